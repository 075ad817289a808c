#include "WindowFixture.h"

#include "ui/Colors.h"

namespace {

using DisplayTest = WindowTest;

TEST_F(DisplayTest, StatusLineWordAnswerPauseAndEnd) {
    AddLearner(100, QStringLiteral("甲"));
    AddBook({QStringLiteral("a")}, QStringLiteral("  \tmeaning of "));
    db.SetSetting(100, 20, 0x00ff0000); // FontColor: blue
    db.SetSetting(100, 25, 40);         // FontSize
    db.SetSetting(100, 27, 18);         // TransFontSize
    Create();
    form->show();
    EXPECT_EQ(WordLabel(), QStringLiteral("甲(生词)"));
    EXPECT_EQ(std::tuple(WordColor(), WordPoints()), std::tuple(QColor(Qt::red), 36));

    Key(Qt::Key_Return);
    Ticks(1); // the start tick shows the first word alone
    EXPECT_EQ(std::tuple(WordLabel(), TransLabel()), std::tuple(QStringLiteral("a"), QString()));
    EXPECT_EQ(std::tuple(WordColor(), WordPoints()), std::tuple(QColor(0, 0, 255), 40));
    Ticks(4);
    EXPECT_EQ(TransLabel(), QStringLiteral("meaning of a")); // trimmed
    EXPECT_EQ(Label("lblTrans")->font().pointSize(), 18);
    EXPECT_EQ(Label("lblTrans")->palette().color(QPalette::WindowText),
              ColorFromStored(kWindowTextColor));

    Key(Qt::Key_Space);
    EXPECT_EQ(std::tuple(WordLabel(), WordColor()),
              std::tuple(QStringLiteral("a"), QColor(Qt::red)));
    Key(Qt::Key_Space);
    Key(Qt::Key_Return);
    Ticks(1); // known and scored: the group is done
    EXPECT_EQ(WordLabel(), QStringLiteral("背记结束！"));
    EXPECT_EQ(std::tuple(WordColor(), WordPoints()), std::tuple(QColor(Qt::red), 36));
    EXPECT_EQ(TransLabel(), QString());

    User()->Config.WordNum = 1; // as if the group had been a full one
    Probe(Engine()).Exhausted() = false;
    form->RefreshView();
    EXPECT_EQ(WordLabel(), QStringLiteral("下1个字？"));
}

TEST_F(DisplayTest, ShownAgainTheLineWaitsForTheNextWordOrHoldsTheSavedText) {
    CreateWithWords({QStringLiteral("a"), QStringLiteral("b")});
    form->hide();
    Key(Qt::Key_Return);
    Ticks(1);
    form->show(); // running: empty until the engine shows the next thing
    EXPECT_EQ(std::tuple(WordLabel(), TransLabel()), std::tuple(QString(), QString()));
    Ticks(3);
    EXPECT_EQ(WordLabel(), QString());
    Ticks(1);
    EXPECT_EQ(std::tuple(WordLabel(), TransLabel()),
              std::tuple(QStringLiteral("a"), QStringLiteral("trans of a")));

    Key(Qt::Key_Space);
    form->hide();
    Engine()->SavedText = QStringLiteral(" \t a \n");
    form->show();
    EXPECT_EQ(std::tuple(WordLabel(), WordColor()),
              std::tuple(QStringLiteral("a"), QColor(Qt::red)));
    EXPECT_EQ(WordPoints(), 24); // FontSize: not a status line
}

TEST_F(DisplayTest, WithoutALearnerEveryCommandIsHarmless) {
    Create();
    ASSERT_EQ(Engine()->CurrentUser(), nullptr);
    form->show();
    for (Qt::Key key : {Qt::Key_F2, Qt::Key_M, Qt::Key_Space, Qt::Key_Return, Qt::Key_Escape}) {
        Key(key);
    }
    Engine()->Tick();
    Settle();
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(WordLabel(), QString());
    form->show();
    EXPECT_FALSE(Backdrop()->isVisible());
}

} // namespace
