// Ctrl+P on the word window opens the print dialog; the tray item stays hidden.
#include "Named.h"
#include "PrintFixture.h"
#include "window/Recitefrm.h"

#include <QAction>
#include <QMenu>
#include <QTest>

namespace {

struct TNoHotkey : IHotkey {
    bool Claim(std::function<void()>) override { return true; }
    void Release() override {}
};
struct TNoClick : ISynthClick {
    bool ClickAt(const QPoint&, WId) override { return false; }
};

class WindowShortcutTest : public PrintFixture {};

TEST_F(WindowShortcutTest, CtrlPOpensThePrintDialog) {
    AddLearner();
    TfrmRecite window(Deps(),
                      TWindowPlatform{std::make_unique<TNoHotkey>(), std::make_unique<TNoClick>()});
    int opened = 0;
    window.SetPrintDialog([&opened, &window](QWidget* owner, TRecite* shown) {
        EXPECT_EQ(owner, &window);
        EXPECT_EQ(shown, window.Engine());
        ++opened;
    });
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(&window, Qt::Key_P);
    EXPECT_EQ(opened, 0); // P alone is no command
    QTest::keyClick(&window, Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(opened, 1);
    EXPECT_TRUE(window.isVisible()); // the word window is not hidden
    QAction* item = Named<QMenu>(&window, QStringLiteral("pmuWord"))
                        ->findChild<QAction*>(QStringLiteral("mmiOut"));
    ASSERT_NE(item, nullptr);
    EXPECT_FALSE(item->isVisible());
    window.close();
}

} // namespace
