#include "SetupProgress.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QTimer>
#include <future>
#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

// What was on the screen while the work ran, seen from the event loop's own thread.
struct TSeen {
    bool window = false;
    QString title;
    QStringList texts;
    QString bar;
    QString box;
};

QWidget* ShownProgress() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == QLatin1String("setupProgress") && w->isVisible()) {
            return w;
        }
    }
    return nullptr;
}

// Runs work that reports 3 of 10 and then waits until the window has shown it (or 300 ms
// have gone by); a message box at the end is read and closed.
bool RunWatched(std::chrono::milliseconds delay, bool fails, TSeen* seen, QString* error) {
    std::promise<void> looked;
    auto released = looked.get_future();
    QTimer poll;
    bool done = false;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            seen->box = box->windowTitle() + QLatin1Char('|') + box->text();
            box->accept();
        }
        QWidget* w = ShownProgress();
        if (done || w == nullptr || w->findChild<QProgressBar*>()->value() != 3) {
            return;
        }
        seen->window = true;
        seen->title = w->windowTitle();
        for (const QLabel* label : w->findChildren<QLabel*>()) {
            seen->texts << label->text();
        }
        seen->bar = w->findChild<QProgressBar*>()->text();
        done = true;
        looked.set_value();
    });
    poll.start(5);
    const bool ok = RunWithProgressWindow(
        [&](const TSetupReport& report, QString* failure) {
            report(QStringLiteral("正在录制示范词语的读音……"), 3, 10);
            released.wait_for(300ms);
            *failure = fails ? QStringLiteral("没有读音") : QString();
            return !fails;
        },
        delay, error);
    EXPECT_EQ(ShownProgress(), nullptr) << "the window closes when the work ends";
    return ok;
}

TEST(SetupProgressTest, ShowsSlowWorkWithItsCountAndAFailureInABox) {
    struct TCase {
        std::chrono::milliseconds delay;
        bool fails;
        bool shown;
    };
    for (const TCase& c : {TCase{0ms, false, true}, TCase{60s, false, false},
                           TCase{0ms, true, true}, TCase{60s, true, false}}) {
        SCOPED_TRACE(testing::Message() << c.delay.count() << " ms, fails " << c.fails);
        TSeen seen;
        QString error;
        EXPECT_EQ(RunWatched(c.delay, c.fails, &seen, &error), !c.fails);
        EXPECT_EQ(seen.window, c.shown);
        if (c.shown) {
            EXPECT_EQ(seen.title, QStringLiteral("背词"));
            EXPECT_TRUE(seen.texts.contains(QStringLiteral("正在录制示范词语的读音……")))
                << seen.texts.join(QLatin1Char('|')).toStdString();
            EXPECT_EQ(seen.bar, QStringLiteral("3 / 10"));
        }
        EXPECT_EQ(seen.box, c.fails ? QStringLiteral("提示|没有读音") : QString());
        EXPECT_EQ(error.isEmpty(), !c.fails);
    }
}

} // namespace
