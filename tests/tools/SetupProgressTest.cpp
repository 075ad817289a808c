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

QWidget* ShownProgress() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == QLatin1String("setupProgress") && w->isVisible()) {
            return w;
        }
    }
    return nullptr;
}

// Work that reports 3 of 10 and waits until the window has shown that (at most 300 ms),
// watched from the event loop's own thread: what the window showed, then what a message box
// said (the box is closed).
TEST(SetupProgressTest, ShowsSlowWorkWithItsCountAndAFailureInABox) {
    for (const auto& [delay, fails, shown] : {std::tuple{0ms, false, true},
                                              {60s, false, false},
                                              {0ms, true, true},
                                              {60s, true, false}}) {
        SCOPED_TRACE(testing::Message() << delay.count() << " ms, fails " << fails);
        std::promise<void> looked;
        QString seen;
        QString box;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (auto* b = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                box = b->windowTitle() + QLatin1Char('|') + b->text();
                b->accept();
            }
            const QWidget* w = ShownProgress();
            if (seen.isEmpty() && w != nullptr && w->findChild<QProgressBar*>()->value() == 3) {
                seen = w->windowTitle();
                for (const QLabel* label : w->findChildren<QLabel*>()) {
                    seen += QLatin1Char('|') + label->text();
                }
                seen += QLatin1Char('|') + w->findChild<QProgressBar*>()->text();
                looked.set_value();
            }
        });
        poll.start(5);
        QString error;
        const bool ok = RunWithProgressWindow(
            [&, fails = fails, released = looked.get_future().share()](const TSetupReport& report,
                                                                       QString* failure) {
                report(QStringLiteral("正在录制"), 3, 10);
                released.wait_for(300ms);
                *failure = fails ? QStringLiteral("没有读音") : QString();
                return !fails;
            },
            delay, &error);
        EXPECT_EQ(ok, !fails);
        EXPECT_EQ(error.isEmpty(), !fails);
        EXPECT_EQ(ShownProgress(), nullptr) << "the window closes when the work ends";
        EXPECT_EQ(seen,
                  shown ? QStringLiteral("背词|背词第一次启动，正在准备示范词库。|正在录制|3 / 10")
                        : QString());
        EXPECT_EQ(box, fails ? QStringLiteral("提示|没有读音") : QString());
    }
}

} // namespace
