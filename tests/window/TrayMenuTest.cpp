#include "WindowFixture.h"

#include "SoundPack.h"
#include "window/TrayIcon.h"
#include "window/Website.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QMenu>

// Takes the web pages the program opens instead of a browser.
class TUrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void Open(const QUrl& url) { urls << url; }
};

namespace {

class TrayMenuTest : public WindowTest {
protected:
    QAction* Item(const char* name) const {
        return Menu()->findChild<QAction*>(QString::fromLatin1(name));
    }
};

TEST_F(TrayMenuTest, MenuItemsAndWhatTheyDo) {
    CreateWithWords({QStringLiteral("a")});
    QStringList layout;
    for (const QAction* a : Menu()->actions()) {
        layout << (a->isSeparator() ? QStringLiteral("-")
                                    : QStringLiteral("%1=%2%3").arg(a->objectName(), a->text(),
                                                                    a->isVisible() ? "" : "!"));
    }
    EXPECT_EQ(layout, (QStringList{"mmiStart=背词", "-", "mmiSetup=设置", "mmiStats=学习统计",
                                   "mmiOut=打印!", "-", "mmiWebsite=网站", "-", "mmiClose=退出"}));
    EXPECT_FALSE(Item("mmiSetup")->isEnabled()); // until a setup dialog is given
    QSystemTrayIcon* icon = TrayIcon();
    EXPECT_EQ(std::tuple(icon->objectName(), icon->toolTip(), icon->contextMenu()),
              std::tuple(QStringLiteral("TrayNotifyIcon1"), QStringLiteral("背词"), Menu()));
    EXPECT_FALSE(icon->icon().pixmap(16, 16).isNull());

    Key(Qt::Key_Return);
    form->hide();
    Item("mmiStart")->trigger();
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(Engine()->State, rsRunning);

    bool hiddenForDialog = false;
    form->SetSetupDialog([&](QWidget* owner, TRecite* engine) {
        hiddenForDialog = owner == form.get() && engine == Engine() && !form->isVisible();
    });
    ASSERT_TRUE(Item("mmiSetup")->isEnabled());
    Item("mmiSetup")->trigger();
    EXPECT_TRUE(hiddenForDialog);
    EXPECT_EQ(Engine()->State, rsRunning); // hiding for the dialog does not pause

    TUrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("http"), &catcher, "Open");
    Item("mmiWebsite")->trigger();
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    EXPECT_EQ(catcher.urls,
              QList<QUrl>{QUrl(QStringLiteral("http://github.com/tavelo/tavelo#readme"))});

    form->show();
    Ticks(5);
    Item("mmiClose")->trigger();
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(Engine()->SavedText, QStringLiteral("a"));
}

TEST_F(TrayMenuTest, SingleClickShowsAfterTheDoubleClickTimeADoubleClickNothing) {
    const int savedInterval = QApplication::doubleClickInterval();
    QApplication::setDoubleClickInterval(80);
    CreateWithWords({QStringLiteral("a")});
    QSystemTrayIcon* icon = TrayIcon();
    form->hide();
    emit icon->activated(QSystemTrayIcon::Trigger);
    EXPECT_FALSE(form->isVisible()); // a second click may still follow
    EXPECT_TRUE(QTest::qWaitFor([this] { return form->isVisible(); }, 2000));

    using Clicks = std::vector<QSystemTrayIcon::ActivationReason>;
    // Trays report a double click as such, or as two clicks.
    for (const Clicks& series : {Clicks{QSystemTrayIcon::Trigger, QSystemTrayIcon::DoubleClick},
                                 Clicks{QSystemTrayIcon::Trigger, QSystemTrayIcon::Trigger}}) {
        form->hide();
        for (auto reason : series) {
            emit icon->activated(reason);
        }
        EXPECT_FALSE(TrayClickPending());
        QTest::qWait(200);
        EXPECT_FALSE(form->isVisible());
    }
    QApplication::setDoubleClickInterval(savedInterval);
}

TEST(WebsiteTest, AddressLosesItsZeroPaddingAndBlanks) {
    const std::string key = "0123456789abcdef";
    for (const std::string plain : {" \tsome.example/x \r\n", "exactly16bytes.x", "a"}) {
        const std::string hex = EncipherToHexText(std::string_view(plain), key, AESKeySize128);
        EXPECT_EQ(DecipherAddress(hex, key), QString::fromStdString(plain).trimmed());
    }
}

} // namespace

#include "TrayMenuTest.moc"
