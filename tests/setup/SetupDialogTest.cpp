#include "SetupFixture.h"

#include "ui/Colors.h"

#include <QLocale>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>
#include <map>

namespace {

class SetupDialogTest : public SetupTest {
protected:
    SetupDialogTest() { QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China)); }
    ~SetupDialogTest() override { QLocale::setDefault(QLocale::c()); }
};

TEST_F(SetupDialogTest, OpensOnTheCurrentUserInAFixedCentredDialog) {
    ThreeLearners();
    db.SetSetting(101, 1, 30);
    StartAndOpen(1);
    EXPECT_EQ(form->windowTitle(), QStringLiteral("设置"));
    EXPECT_FALSE(form->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(form->minimumSize(), form->maximumSize());
    const QRect screen = form->screen()->availableGeometry();
    EXPECT_LE((form->frameGeometry().center() - screen.center()).manhattanLength(), 2);

    auto* pages = Find<QTabWidget>("pgcSetup");
    QStringList captions;
    for (int i = 0; i < pages->count(); ++i) {
        captions << pages->tabText(i);
    }
    EXPECT_EQ(captions, (QStringList{" 基本设置", "复习设置", "时间界面", "书本维护"}));
    EXPECT_EQ(pages->currentIndex(), 0);

    EXPECT_EQ(UserItems(), (QStringList{"甲", "乙", "丙"}));
    EXPECT_EQ(Find<QComboBox>("cboUser")->currentIndex(), 1);
    EXPECT_EQ(BoxText("txtWordNum"), QStringLiteral("30"));
    EXPECT_TRUE(Find<QPushButton>("btnDeleteUser")->isEnabled());
    EXPECT_FALSE(Find<QPushButton>("btnSavetoDefault")->isVisible());
    EXPECT_TRUE(Find<QPushButton>("btnSave")->isDefault());
    Choose(0); // the privileged learner: not deleted, may save the defaults
    EXPECT_FALSE(Find<QPushButton>("btnDeleteUser")->isEnabled());
    EXPECT_TRUE(Find<QPushButton>("btnSavetoDefault")->isVisible());
    EXPECT_EQ(engine->UserIndex, 1); // choosing is not confirming
}

TEST_F(SetupDialogTest, EverySettingIsLoadedShownAndStoredAgain) {
    AddLearner(100, QStringLiteral("甲"), 0);
    // SEQUENCE -> a value that is not the start value, within the controls' ranges.
    std::map<int, int> values = {
        {1, 33}, {2, 24},  {3, 9},         {4, 4},         {5, 1234}, {6, 700}, {7, 2},
        {8, 5},  {9, 1},   {10, 77},       {11, 0},        {12, -5},  {13, 2},  {14, -1},
        {15, 3}, {16, 1},  {17, 0x123456}, {20, 0x00ff00}, {24, 1},   {25, 96}, {27, 20},
        {32, 1}, {33, -7}, {34, 0},        {35, 1},        {36, 5},   {37, 3},  {38, 40},
        {71, 0}, {72, 0},  {73, 0},        {74, 1},        {75, 4}};
    ASSERT_EQ(values.size(), 33u);
    for (const auto& [sequence, value] : values) {
        db.SetSetting(100, sequence, value);
    }
    StartAndOpen();
    const std::pair<const char*, QString> shown[] = {
        {"txtWordNum", "33"},   {"txtOblivion", "24"},     {"txtUpperLimit", "1,234"},
        {"txtBaseTime", "700"}, {"txtReciteTime", "1400"}, {"txtTranslateTime", "3500"},
        {"txtFourthNum", "-1"}, {"txtFontSize", "96"},     {"txtTransFontSize", "20"}};
    for (const auto& [box, text] : shown) {
        EXPECT_EQ(BoxText(box), text) << box;
    }
    EXPECT_EQ(Find<QLabel>("lblStartDate")->text(), QStringLiteral("前7天"));
    EXPECT_EQ(Find<QLabel>("lblEndDate")->text(), QStringLiteral("今天"));
    EXPECT_EQ(Find<QComboBox>("cboOrder")->currentText(), QStringLiteral("乱序"));
    EXPECT_EQ(Find<QComboBox>("cbRound")->currentText(), QStringLiteral(" >="));
    EXPECT_FALSE(Find<QCheckBox>("cbPronounce")->isChecked());
    EXPECT_EQ(Find<TUpdownEdit>("udCeilingAbility")->Text(), QStringLiteral("40"));
    EXPECT_EQ(Find<TColorSwatch>("lblDesktopColor")->palette().color(QPalette::Window),
              QColor(0x56, 0x34, 0x12));

    Click("btnSave");
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->result(), QDialog::Accepted);
    values[12] = 0; // a negative reserved value is stored as 0
    for (const auto& [sequence, value] : values) {
        EXPECT_EQ(Stored(100, sequence), value) << "SEQUENCE " << sequence;
    }
    EXPECT_EQ(db.Count(QStringLiteral("from CONFIG where USERID = 100")), 33);
}

TEST_F(SetupDialogTest, TimingBoxesShowTheProductsWithoutSeparators) {
    ThreeLearners();
    db.SetSetting(101, 6, 30000);
    db.SetSetting(101, 7, 9);
    StartAndOpen();
    EXPECT_EQ(BoxText("txtReciteTime"), QStringLiteral("1500"));
    EXPECT_EQ(BoxText("txtTranslateTime"), QStringLiteral("2000"));
    ClickArrow("udBaseTime", 1);
    EXPECT_EQ(BoxText("txtReciteTime"), QStringLiteral("1800"));
    EXPECT_EQ(BoxText("txtTranslateTime"), QStringLiteral("2400"));
    ClickArrow("udReciteTime", -1);
    EXPECT_EQ(BoxText("txtReciteTime"), QStringLiteral("1200"));
    EXPECT_EQ(Arrows("udReciteTime")->Position(), 2);
    ClickArrow("udTranslateTime", 1, 20);
    EXPECT_EQ(BoxText("txtTranslateTime"), QStringLiteral("5400")); // held at 9

    Choose(1);
    EXPECT_EQ(BoxText("txtBaseTime"), QStringLiteral("30000"));
    EXPECT_EQ(BoxText("txtReciteTime"), QStringLiteral("270000"));
    Click("btnApply");
    EXPECT_EQ(Stored(101, 7), 9); // the multiple, not the product
}

TEST_F(SetupDialogTest, PassScoreBoundsFollowTheArrowsButNeverMoveAScoreByThemselves) {
    AddLearner(100, QStringLiteral("甲"), 0);
    db.SetSetting(100, 3, 6);
    db.SetSetting(100, 4, 5);
    StartAndOpen();
    EXPECT_EQ(Arrows("udSecondNum")->Max(), 99); // loading leaves the table's bounds
    ClickArrow("udFirstNum", -1);                // 6 -> 5
    EXPECT_EQ(Arrows("udSecondNum")->Max(), 4);
    EXPECT_EQ(Arrows("udThirdNum")->Max(), 4);  // second (5) - 1
    EXPECT_EQ(Arrows("udFourthNum")->Max(), 0); // third (1) - 1
    EXPECT_EQ(BoxText("txtSecondNum"), QStringLiteral("5"));
    Click("btnApply");
    EXPECT_EQ(Stored(100, 4), 5); // stored above its bound
    ClickArrow("udSecondNum", 1); // its own arrows: down to the bound
    EXPECT_EQ(BoxText("txtSecondNum"), QStringLiteral("4"));
    EXPECT_EQ(Arrows("udThirdNum")->Max(), 3);

    // Another learner's scores load with the table's bounds, untouched by these arrows.
    AddLearner(101, QStringLiteral("乙"), 0);
    db.SetSetting(101, 3, 20);
    db.SetSetting(101, 4, 15);
    db.SetSetting(101, 13, 10);
    db.SetSetting(101, 14, 5);
    form.reset();
    engine.reset();
    StartAndOpen();
    ClickArrow("udFirstNum", -1);
    Choose(1);
    Click("btnApply");
    EXPECT_EQ(QList<int>({Stored(101, 3), Stored(101, 4), Stored(101, 13), Stored(101, 14)}),
              QList<int>({20, 15, 10, 5}));

    ClickArrow("udFirstNum", 1, 200);
    EXPECT_EQ(BoxText("txtFirstNum"), QStringLiteral("100"));
    EXPECT_EQ(Arrows("udSecondNum")->Max(), 99);
    ClickArrow("udFourthNum", -1, 200);
    EXPECT_EQ(BoxText("txtFourthNum"), QStringLiteral("-100"));
}

TEST_F(SetupDialogTest, ReviewDateCaptions) {
    const std::pair<int, QString> captions[] = {
        {-2, "前天"}, {-1, "昨天"}, {0, "今天"}, {-30, "前30天"}, {-10000, "前10000天"}};
    for (const auto& [day, caption] : captions) {
        EXPECT_EQ(TfrmSetup::DayCaption(day), caption);
    }
    AddLearner(100, QStringLiteral("甲"), 0);
    StartAndOpen();
    ClickArrow("udStart", -1);
    EXPECT_EQ(Find<QLabel>("lblStartDate")->text(), QStringLiteral("前3天"));
    QTest::keyClick(Arrows("udStart"), Qt::Key_Up); // arrows without a box take the keys
    EXPECT_EQ(Find<QLabel>("lblStartDate")->text(), QStringLiteral("前天"));
    QTest::keyClick(Arrows("udStart"), Qt::Key_Down);
    EXPECT_EQ(Arrows("udStart")->focusPolicy(), Qt::StrongFocus);
    ClickArrow("udEnd", 1, 3);
    EXPECT_EQ(Find<QLabel>("lblEndDate")->text(), QStringLiteral("今天"));
    Click("btnSave");
    EXPECT_EQ(Stored(100, 33), -3);
    EXPECT_EQ(Stored(100, 34), 0);
}

TEST_F(SetupDialogTest, ApplyStoresAndSelectsTheShownUserAndCancelUndoesNeither) {
    ThreeLearners();
    StartAndOpen();
    ClickArrow("udWordNum", 1);
    Choose(1); // unsaved edits of 甲 are dropped
    Choose(0);
    EXPECT_EQ(BoxText("txtWordNum"), QStringLiteral("20"));
    Choose(1);
    ClickArrow("udWordNum", 1);
    Click("btnApply");
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(engine->UserIndex, 1);
    EXPECT_EQ(Stored(101, 1), 21);
    EXPECT_EQ(engine->Users.Object(1)->Config.WordNum, 21);
    EXPECT_EQ(Stored(100, 1), 20);

    ClickArrow("udWordNum", 1);
    Click("btnCancel");
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->result(), QDialog::Rejected);
    EXPECT_EQ(engine->UserIndex, 1);
    EXPECT_EQ(Stored(101, 1), 21);
    EXPECT_EQ(engine->Users.Object(1)->Config.WordNum, 21);
}

TEST_F(SetupDialogTest, SaveAsDefaultRewritesTheDefaultsOnlyAndCloses) {
    ThreeLearners();
    StartAndOpen(2);
    Choose(0);
    ClickArrow("udWordNum", 1, 3);
    Click("btnSavetoDefault");
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->result(), QDialog::Accepted);
    EXPECT_EQ(Stored(DefaultUserID, 1), 23);
    EXPECT_EQ(Stored(100, 1), 20);                          // its own rows stay
    EXPECT_EQ(engine->Users.Object(0)->Config.WordNum, 23); // in memory it changed
    EXPECT_EQ(engine->UserIndex, 2);
}

TEST_F(SetupDialogTest, ColourSwatchesAskTheColourDialog) {
    AddLearner(100, QStringLiteral("甲"), 0);
    StartAndOpen();
    auto* font = Find<TColorSwatch>("lblFontColor");
    QTest::mouseClick(font, Qt::LeftButton);
    ASSERT_EQ(offeredColors.size(), 1);
    EXPECT_EQ(offeredColors[0], ColorFromStored(kWindowTextColor));
    EXPECT_EQ(font->ColorValue(), kWindowTextColor); // cancelled
    pickedColor = QColor(0x12, 0x34, 0x56);
    QTest::mouseClick(Find<TColorSwatch>("lblDesktopColor"), Qt::LeftButton);
    EXPECT_EQ(offeredColors[1], QColor(0x00, 0x80, 0x80)); // teal
    Click("btnSave");
    EXPECT_EQ(Stored(100, 17), 0x563412);
    EXPECT_EQ(Stored(100, 20), kWindowTextColor);
}

TEST_F(SetupDialogTest, EnterConfirmsUnlessAButtonHasTheFocusAndEscapeCancels) {
    AddLearner(100, QStringLiteral("甲"), 0);
    StartAndOpen();
    auto* wordNum = Find<QLineEdit>("txtWordNum");
    wordNum->setFocus();
    QTest::keyClick(wordNum, Qt::Key_Up);
    QTest::keyClick(wordNum, Qt::Key_Up);
    QTest::keyClick(wordNum, Qt::Key_A); // read-only: typing changes nothing
    EXPECT_EQ(wordNum->text(), QStringLiteral("22"));
    auto* add = Find<QPushButton>("btnAddUser");
    add->setFocus();
    QTest::keyClick(add, Qt::Key_Return);
    EXPECT_EQ(offeredEntries.size(), 1u);
    EXPECT_TRUE(form->isVisible());
    wordNum->setFocus();
    QTest::keyClick(wordNum, Qt::Key_Return);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(Stored(100, 1), 22);

    Open();
    QTest::keyClick(Find<QLineEdit>("txtWordNum"), Qt::Key_Up);
    QTest::keyClick(form.get(), Qt::Key_Escape);
    EXPECT_EQ(form->result(), QDialog::Rejected);
    EXPECT_EQ(Stored(100, 1), 22);
}

TEST_F(SetupDialogTest, TheEngineFollowsTheStoredSettings) {
    AddLearner(100, QStringLiteral("甲"), 1);
    db.AddBook(1, QStringLiteral("书"), 3, 1);
    db.Subscribe(100, 1, 1);
    Start();
    engine->SetState(rsLoading);
    ASSERT_EQ(engine->State, rsRunning);
    Open();
    EXPECT_EQ(engine->State, rsRunning); // opening leaves the cycle alone
    ClickArrow("udBaseTime", 1, 5);
    ClickArrow("udFontSize", 1, 6);
    Click("btnSavetoDefault"); // stores without selecting a user: the cycle runs on
    ASSERT_EQ(engine->State, rsRunning);
    engine->Tick();
    EXPECT_EQ(Probe(engine).Timer()->interval(), 1000);    // at the next tick
    EXPECT_EQ(engine->CurrentUser()->Config.FontSize, 30); // what the next display reads

    Open();
    ClickArrow("udBaseTime", -1, 2);
    Click("btnApply"); // confirming selects the shown user, which stops the cycle
    EXPECT_EQ(engine->State, rsIdle);
    engine->SetState(rsLoading);
    engine->Tick();
    EXPECT_EQ(Probe(engine).Timer()->interval(), 800);
}

} // namespace
