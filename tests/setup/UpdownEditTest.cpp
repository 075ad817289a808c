#include "setup/UpdownEdit.h"
#include "Named.h"
#include "widgets/UpDown.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>
#include <memory>

namespace {

// One spin edit, shown, with its box focused; key-up and click events recorded.
class UpdownEditTest : public ::testing::Test {
protected:
    void Make(int min, int max, const QString& text = QString()) {
        edit = std::make_unique<TUpdownEdit>();
        edit->SetMin(min);
        edit->SetMax(max);
        edit->SetText(text);
        edit->OnKeyUp = [this](int) { keyUps << edit->Text(); };
        edit->OnUpDownClick = [this](int direction) { clicks << direction; };
        edit->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(edit.get()));
        edit->Box()->setFocus();
    }
    void Type(const QString& keys) { QTest::keyClicks(edit->Box(), keys); }
    void Key(Qt::Key key) { QTest::keyClick(edit->Box(), key); }

    std::unique_ptr<TUpdownEdit> edit;
    QStringList keyUps;
    QList<int> clicks;
};

TEST_F(UpdownEditTest, TypedCharactersPassTheFilterOnlyWhenTheTextStaysANumber) {
    struct Case {
        int min, max;
        QString start, typed, text;
        int position;
    };
    const Case cases[] = {
        {0, 30000, "5", "-", "5", 5},       // a minus only into an empty box
        {-100, 100, "", "-", "-", 0},       // "-" alone reads as 0
        {-100, 100, "", "-3", "-3", -3},    // then a digit
        {0, 30000, "", "1a.2 +", "12", 12}, // letters, points, blanks and plus are dropped
        {-100, 100, "", "-00001", "-00001", -1},
        {-100, 100, "-00001", "2", "-00001", -1}, // a seventh character: the length limit
    };
    for (const Case& c : cases) {
        Make(c.min, c.max, c.start);
        Type(c.typed);
        EXPECT_EQ(edit->Text(), c.text) << c.start.toStdString() << " + " << c.typed.toStdString();
        EXPECT_EQ(edit->Position(), c.position) << c.typed.toStdString();
    }
}

TEST_F(UpdownEditTest, ReleasedKeyHoldsTheValueInRangeWithTheCaretAtTheEnd) {
    Make(1, 10000);
    Type(QStringLiteral("20000"));
    EXPECT_EQ(edit->Text(), QStringLiteral("10000"));
    EXPECT_EQ(edit->Position(), 10000);
    EXPECT_EQ(edit->Box()->cursorPosition(), 5);
    // OnKeyUp comes after the clamping, for every key.
    EXPECT_EQ(keyUps, (QStringList{"2", "20", "200", "2000", "10000"}));

    Key(Qt::Key_Backspace); // always let through; the release reads 1000
    EXPECT_EQ(edit->Position(), 1000);
    for (int i = 0; i < 4; ++i) {
        Key(Qt::Key_Backspace);
    }
    EXPECT_EQ(edit->Text(), QStringLiteral("1")); // empty counts as 0, below the minimum
    EXPECT_EQ(edit->Position(), 1);
}

// An input method's commit and a paste reach the box around the key filter; what stays must
// be what is stored: full-width digits read as digits, other characters go, the range holds.
TEST_F(UpdownEditTest, CommittedAndPastedTextIsHeldToTheSameRulesAsTypedText) {
    struct Case {
        bool paste;
        int min, max;
        QString start, commit, text;
        int position;
    };
    const Case cases[] = {
        {false, 0, 30000, "5", "１２三", "512", 512},   {true, 0, 30000, "5", "777", "5777", 5777},
        {true, 1, 10000, "5", "99999", "10000", 10000}, {false, -100, 100, "", "－3a", "-3", -3},
        {true, 1, 10000, "5", "abc", "5", 5},
    };
    for (const Case& c : cases) {
        Make(c.min, c.max, c.start);
        edit->Box()->end(false);
        QInputMethodEvent commit;
        commit.setCommitString(c.commit);
        if (c.paste) {
            QGuiApplication::clipboard()->setText(c.commit);
            edit->Box()->paste();
        } else {
            QApplication::sendEvent(edit->Box(), &commit);
        }
        EXPECT_EQ(edit->Text(), c.text) << c.commit.toStdString();
        EXPECT_EQ(edit->Position(), c.position) << c.commit.toStdString();
    }
}

TEST_F(UpdownEditTest, PageKeysArrowsAndArrowKeysMoveThePosition) {
    Make(0, 30000);
    edit->SetPosition(29995);
    Key(Qt::Key_PageUp);
    EXPECT_EQ(edit->Text(), QStringLiteral("30000"));
    Key(Qt::Key_PageDown);
    Key(Qt::Key_PageDown);
    EXPECT_EQ(edit->Position(), 29980);
    Key(Qt::Key_Up);
    QTest::mouseClick(UpArrow(edit.get()), Qt::LeftButton);
    QTest::mouseClick(DownArrow(edit.get()), Qt::LeftButton);
    EXPECT_EQ(edit->Text(), QStringLiteral("29981"));
    EXPECT_EQ(clicks, (QList<int>{1, 1, -1}));
}

TEST_F(UpdownEditTest, PositionFromCode) {
    Make(-50, 50, QStringLiteral("17"));
    edit->SetPosition(0);
    EXPECT_EQ(edit->Text(), QStringLiteral("0")); // 0 shows "0" whatever the box held
    edit->SetPosition(7);
    EXPECT_EQ(edit->Text(), QStringLiteral("7")); // a new position is written
    for (const QString& text : {QString(), QStringLiteral("-")}) {
        edit->SetText(text);
        edit->SetPosition(7);
        EXPECT_EQ(edit->Text(), QStringLiteral("7")); // an empty box or a lone minus gives way
    }
    edit->SetText(QStringLiteral("12"));
    edit->SetPosition(7);
    EXPECT_EQ(edit->Text(), QStringLiteral("12")); // the same position leaves other text alone
    edit->SetPosition(99);
    EXPECT_EQ(edit->Position(), 50);
    EXPECT_EQ(edit->Text(), QStringLiteral("50"));
    EXPECT_TRUE(clicks.isEmpty()); // code raises no click
}

TEST_F(UpdownEditTest, ArrowsSitAtTheRightEdgeAtEverySize) {
    Make(0, 10);
    const int arrows = edit->Arrows()->width();
    EXPECT_EQ(edit->height(), 25);
    EXPECT_EQ(edit->width(), edit->Box()->width() + arrows);
    edit->resize(120, 40);
    EXPECT_EQ(edit->Box()->geometry(), QRect(0, 0, 120 - arrows, 40));
    EXPECT_EQ(edit->Arrows()->geometry(), QRect(120 - arrows, 0, arrows, 40));
    EXPECT_EQ(edit->Box()->maxLength(), 6);
}

} // namespace
