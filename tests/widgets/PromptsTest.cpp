#include "model/Prompts.h"
#include "ScopedHandler.h"
#include "widgets/WidgetPrompts.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// The real boxes, answered from a timer that runs inside their modal loop.
class PromptsTest : public ::testing::Test {
protected:
    void SetUp() override { InstallWidgetPrompts(); }
    static int OpenBoxes() {
        int n = 0;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            n += qobject_cast<QMessageBox*>(w) != nullptr && w->isVisible() ? 1 : 0;
        }
        return n;
    }
    static void WhenOpen(std::function<void(QMessageBox*)> answer) {
        QTimer::singleShot(0, qApp, [answer] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            answer(box);
        });
    }
    // Whatever the boxes installed is taken back after each test.
    TScopedHandler<TMessageHandler> messages_{nullptr};
    TScopedHandler<TErrorHandler> errors_{nullptr};
    TScopedHandler<TBusyHandler> cursor_{nullptr};
};

TEST_F(PromptsTest, BoxesShowTheirTextAndAnswerWithTheButtonPressed) {
    for (const auto& [buttons, icon, press] :
         {std::tuple(TMsgButtons::OkCancel, TMsgIcon::Question, QMessageBox::Ok),
          std::tuple(TMsgButtons::OkCancel, TMsgIcon::Question, QMessageBox::Cancel),
          std::tuple(TMsgButtons::Ok, TMsgIcon::Warning, QMessageBox::Ok)}) {
        WhenOpen([&](QMessageBox* box) {
            EXPECT_EQ(std::tuple(box->windowTitle(), box->text()),
                      std::tuple(QStringLiteral("提示"), QStringLiteral("确定吗？")));
            EXPECT_EQ(box->icon(),
                      icon == TMsgIcon::Question ? QMessageBox::Question : QMessageBox::Warning);
            EXPECT_EQ(box->button(QMessageBox::Cancel) != nullptr,
                      buttons == TMsgButtons::OkCancel);
            box->button(press)->click();
        });
        const TMsgResult result =
            ShowMessageBox({QStringLiteral("确定吗？"), QStringLiteral("提示"), buttons, icon});
        EXPECT_EQ(result, press == QMessageBox::Ok ? TMsgResult::Ok : TMsgResult::Cancel);
    }
}

TEST_F(PromptsTest, ErrorReportShowsOneBoxAtATime) {
    int boxesWhileOpen = 0;
    WhenOpen([&](QMessageBox* box) {
        EXPECT_EQ(
            std::tuple(box->windowTitle(), box->text(), box->icon()),
            std::tuple(QStringLiteral("Tavelo"), QStringLiteral("first"), QMessageBox::Critical));
        // Should boxes stack, this closes them rather than hang the test.
        QTimer::singleShot(300, qApp, [] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (auto* b = qobject_cast<QMessageBox*>(w)) {
                    b->done(0);
                }
            }
        });
        ReportError(QStringLiteral("second"));
        boxesWhileOpen = OpenBoxes();
        box->button(QMessageBox::Ok)->click();
    });
    ReportError(QStringLiteral("first"));
    EXPECT_EQ(boxesWhileOpen, 1);

    QString shown; // once closed, the next report is shown again
    WhenOpen([&](QMessageBox* box) {
        shown = box->text();
        box->button(QMessageBox::Ok)->click();
    });
    ReportError(QStringLiteral("third"));
    EXPECT_EQ(shown, QStringLiteral("third"));
}

TEST_F(PromptsTest, BusyCursorLastsAsLongAsTheOperation) {
    {
        TBusyCursor busy;
        ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    }
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

} // namespace
