#include "WindowFixture.h"

#include "window/Messages.h"

#include <QScreen>

namespace {

class DesktopTest : public WindowTest {
protected:
    void Start(int useDesktop) {
        AddLearner(100, QStringLiteral("甲"));
        AddBook({QStringLiteral("a")});
        db.SetSetting(100, 16, useDesktop);
        db.SetSetting(100, 17, 0x000000ff); // DesktopColor: red
        Create();
        form->show();
    }
    qintptr Send(qintptr wParam) {
        TReciteMessage message(WM_RECITEDESKTOP, wParam);
        QCoreApplication::sendEvent(form.get(), &message);
        return message.Result;
    }
    bool BackdropShown() const { return Backdrop()->isVisible(); }
};

TEST_F(DesktopTest, BackdropCoversTheScreenInTheLearnersColourAndAClickHidesBoth) {
    Start(1);
    TfrmDesktop* backdrop = Backdrop();
    EXPECT_TRUE(BackdropShown());
    EXPECT_EQ(backdrop->palette().color(QPalette::Window), QColor(255, 0, 0));
    EXPECT_EQ(backdrop->geometry(), form->screen()->geometry());
    // Not a child window of the word window, which would keep it above the word window.
    EXPECT_EQ(backdrop->parentWidget(), nullptr);
    Key(Qt::Key_Return);
    for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton}) {
        QTest::mousePress(backdrop, button);
        EXPECT_TRUE(form->isVisible()); // posted: handled after the press
        Settle();
        EXPECT_FALSE(BackdropShown());
        EXPECT_FALSE(form->isVisible());
        QTest::mouseRelease(backdrop, button);
        User()->Config.DesktopColor = 0x0000ff00; // taken again at each showing
        form->show();
        EXPECT_EQ(backdrop->palette().color(QPalette::Window), QColor(0, 255, 0));
    }
    EXPECT_EQ(Engine()->State, rsRunning); // hiding does not touch the engine
}

TEST_F(DesktopTest, OnlyOneShowsTheBackdropAndWithoutTheSettingItCloses) {
    Start(0);
    EXPECT_FALSE(BackdropShown());
    EXPECT_EQ(Send(1), 1);
    EXPECT_TRUE(BackdropShown());
    form->RefreshView(); // as F2 and M do
    EXPECT_FALSE(BackdropShown());
    Send(1);
    EXPECT_EQ(Send(2), 1);
    EXPECT_FALSE(BackdropShown());
}

TEST_F(DesktopTest, DeactivationPausesSavesAndHidesButLeavesTheBackdrop) {
    Start(1);
    Key(Qt::Key_Return);
    Ticks(1);
    emit qGuiApp->applicationStateChanged(Qt::ApplicationActive);
    EXPECT_TRUE(form->isVisible());
    emit qGuiApp->applicationStateChanged(Qt::ApplicationInactive);
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(BackdropShown());
    EXPECT_EQ(std::tuple(Engine()->State, Engine()->SavedText),
              std::tuple(std::uint8_t(rsPaused), QStringLiteral("a")));
    form->show();
    EXPECT_EQ(std::tuple(WordLabel(), WordColor()),
              std::tuple(QStringLiteral("a"), QColor(Qt::red)));

    Key(Qt::Key_F2); // idle: deactivation only saves and hides
    emit qGuiApp->applicationStateChanged(Qt::ApplicationInactive);
    EXPECT_EQ(std::tuple(Engine()->State, Engine()->SavedText),
              std::tuple(std::uint8_t(rsIdle), QStringLiteral("甲(生词)")));

    form->show();
    Key(Qt::Key_Return);
    Ticks(5);
    form->close(); // closing keeps the text on display
    EXPECT_EQ(Engine()->SavedText, QStringLiteral("a"));
    EXPECT_FALSE(BackdropShown());
}

} // namespace
