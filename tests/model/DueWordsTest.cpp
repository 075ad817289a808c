#include "TestDatabase.h"
#include "model/User.h"
#include "store/Channels.h"

#include <gtest/gtest.h>

namespace {

constexpr double kNow = 46000.30; // a fixed "now" for every selection

class DueWordsTest : public ::testing::Test {
protected:
    void SetUp() override {
        db.AddStartSettings(DefaultUserID);
        db.AddUser(100, QStringLiteral("甲"), 1);
        db.AddStartSettings(100);
    }
    TUser* Load() {
        users.Clear();
        LoadUsers(ch, users, [this] { return now; });
        return users.Object(0);
    }
    void SetProgress(const QString& where, int ability, double date, int round = 0) {
        db.Exec(
            SqlFormat("update Recite set ABILITY = %d, UPDATE_DATE = %f, WORD_ROUND = %d where %s",
                      {ability, date, round, where}));
    }
    // Learner 100 subscribed to book 1 alone, whose words w1, w2, ... have the ids 1, 2, ...
    void OneBook(int count) {
        db.AddBook(1, QStringLiteral("a"), count, 1);
        db.Subscribe(100, 1, 1);
    }
    // Review mode from its first page, over the abilities floor to ceiling.
    static void Review(TUser* u, int floor, int ceiling) {
        u->ReviewMode = true;
        u->ReviewPage = 0;
        u->Config.FloorAbility = floor;
        u->Config.CeilingAbility = ceiling;
    }
    // The names of the words the next selection gives.
    QStringList Select(TUser* u) {
        u->SelectDueWords(words);
        return Names(words);
    }
    QStringList Names(const TWordList& list) {
        QStringList names;
        for (int i = 0; i < list.Count(); ++i) {
            names << list.Text(i);
        }
        return names;
    }
    TTestDatabase db;
    TAdoChannel& ch = db.Channel();
    TUserList users;
    TWordList words;
    double now = kNow;
};

TEST_F(DueWordsTest, UserWithoutBooksGetsNothingButStillPages) {
    TUser* u = Load();
    EXPECT_TRUE(u->SelectDueWords(words));
    EXPECT_TRUE(words.Empty());
    EXPECT_EQ(u->ReviewPage, 1);
}

TEST_F(DueWordsTest, GroupFillsFromTheBooksInOrderWithTheLastWordTakenFirst) {
    db.AddBook(1, QStringLiteral("a"), 5, 1, QStringLiteral("a"));
    db.AddBook(2, QStringLiteral("b"), 30, 101, QStringLiteral("b"));
    db.AddBook(3, QStringLiteral("c"), 5, 201, QStringLiteral("c"));
    db.Subscribe(100, 1, 1);
    db.Subscribe(100, 2, 2);
    db.Subscribe(100, 3, 3);
    TUser* u = Load();
    ASSERT_EQ(u->Config.WordNum, 20);
    EXPECT_FALSE(u->SelectDueWords(words));
    ASSERT_EQ(words.Count(), 20);
    EXPECT_EQ(words.Text(0), QStringLiteral("b115")) << "the 15th word of the second book";
    EXPECT_EQ(words.Text(14), QStringLiteral("b101"));
    EXPECT_EQ(words.Text(15), QStringLiteral("a5"));
    EXPECT_EQ(words.Text(19), QStringLiteral("a1"));
    const TWord* w = words.Object(19);
    EXPECT_EQ(w->WordID, 1);
    EXPECT_EQ(w->UserID, 100);
    EXPECT_EQ(w->Trans, QStringLiteral("trans 1"));
    EXPECT_EQ(w->Example, QStringLiteral("ex"));
    EXPECT_DOUBLE_EQ(w->UpdateDate, 36526.0);
    EXPECT_EQ(w->Ability, 0);
    EXPECT_EQ(w->ShowCount, 0);
    EXPECT_FALSE(w->Known);
    // The next selection replaces the group.
    SetProgress(QStringLiteral("BOOK_ID in (1, 2)"), 5, kNow);
    EXPECT_TRUE(u->SelectDueWords(words));
    EXPECT_EQ(Names(words), (QStringList{"c205", "c204", "c203", "c202", "c201"}));
}

TEST_F(DueWordsTest, AWordIsDueOnceTheLostPointsReachItsAbility) {
    OneBook(1);
    const double d = 46000.00;
    SetProgress(QStringLiteral("1 = 1"), 8, d);
    TUser* u = Load();
    ASSERT_EQ(u->Config.Oblivion, 12); // a rate of 0.50 days per point
    now = d + 3.99;
    EXPECT_EQ(Select(u), QStringList());
    now = d + 4.00;
    EXPECT_EQ(Select(u).size(), 1);
    // At the upper limit a word is never due in learning mode, but review still finds it.
    SetProgress(QStringLiteral("1 = 1"), 50, 36526.0);
    EXPECT_EQ(Select(u), QStringList());
    Review(u, 1, 100);
    EXPECT_EQ(Select(u).size(), 1);
}

TEST_F(DueWordsTest, ARateBelowOneHourCountsAsOne) {
    OneBook(2);
    SetProgress(QStringLiteral("WORD_ID = 1"), 10, kNow - 0.40); // 10 points at 0.04 days each
    SetProgress(QStringLiteral("WORD_ID = 2"), 10, kNow - 0.30);
    TUser* u = Load();
    u->Config.Oblivion = 0;
    EXPECT_EQ(Select(u), QStringList{QStringLiteral("w1")});
    u->Config.Oblivion = -5;
    EXPECT_EQ(Select(u).size(), 1);
}

TEST_F(DueWordsTest, RandomOrderFollowsTheStoredNumbers) {
    OneBook(3);
    db.Exec(QStringLiteral("update Recite set RANDOM_NUM = 10 - WORD_ID"));
    TUser* u = Load();
    u->Config.ReciteOrder = 1;
    EXPECT_EQ(Select(u), (QStringList{"w1", "w2", "w3"}))
        << "w3 has the lowest number, so it is last in";
    u->Config.ReciteOrder = 0;
    EXPECT_EQ(Select(u), (QStringList{"w3", "w2", "w1"}));
}

TEST_F(DueWordsTest, ReviewFiltersByPassesAbilityAndDate) {
    OneBook(4);
    const double today = 46000.0;
    now = today + 0.6;
    SetProgress(QStringLiteral("WORD_ID = 1"), 5, today - 2 + 0.01, 0); // day before yesterday
    SetProgress(QStringLiteral("WORD_ID = 2"), 5, today - 0.01, 3);     // yesterday, late
    SetProgress(QStringLiteral("WORD_ID = 3"), 5, today, 1);            // today's midnight
    SetProgress(QStringLiteral("WORD_ID = 4"), 0, today - 3, 0);        // never passed, ability 0
    TUser* u = Load();
    Review(u, 0, 100);
    TConfig& c = u->Config;
    c.RoundCompare = false;
    c.RoundNumber = 0;
    EXPECT_EQ(Select(u), (QStringList{"w4", "w1"})) << "only words never passed";
    c.RoundCompare = true;
    c.RoundNumber = 1;
    u->ReviewPage = 0;
    EXPECT_EQ(Select(u), (QStringList{"w3", "w2"}));
    c.RoundNumber = 0;
    Review(u, 6, 5);
    EXPECT_EQ(Select(u), QStringList()) << "floor above ceiling";
    c.RestrictTime = true;
    c.StartDay = -2;
    c.EndDay = -1;
    Review(u, 1, 5);
    EXPECT_EQ(Select(u), (QStringList{"w2", "w1"})) << "from the day before yesterday up to today";
}

TEST_F(DueWordsTest, ReviewGroupsPageThroughEachBook) {
    OneBook(12);
    SetProgress(QStringLiteral("1 = 1"), 5, kNow, 1);
    TUser* u = Load();
    Review(u, 1, 10);
    u->Config.WordNum = 5;
    u->Config.RoundCompare = true;
    u->Config.RoundNumber = 1;
    EXPECT_FALSE(u->SelectDueWords(words));
    EXPECT_EQ(words.Text(4), QStringLiteral("w1"));
    EXPECT_FALSE(u->SelectDueWords(words));
    EXPECT_EQ(words.Text(4), QStringLiteral("w6"));
    EXPECT_TRUE(u->SelectDueWords(words)) << "the third group skips 2 x 5 rows";
    EXPECT_EQ(Names(words), (QStringList{"w12", "w11"}));
    EXPECT_EQ(u->ReviewPage, 3);
}

TEST_F(DueWordsTest, ProgressOfAWordSharedByTwoBooksChangesBothRows) {
    db.AddBook(1, QStringLiteral("a"), 2, 1);
    db.AddBook(2, QStringLiteral("b"), 2, 2); // word 2 is in both books
    db.Subscribe(100, 1, 1);
    db.Subscribe(100, 2, 2);
    TUser* u = Load();
    u->SelectDueWords(words);
    TWord* w = words.Object(words.Count() - 2);
    ASSERT_EQ(w->WordID, 2);
    w->Ability = 9;
    w->WordRound = 4;
    w->UpdateDate = 46000.123456;
    w->Save();
    EXPECT_EQ(db.Count(QStringLiteral(
                  "from Recite where WORD_ID = 2 and ABILITY = 9 and WORD_ROUND = 4")),
              2);
    EXPECT_DOUBLE_EQ(
        db.Scalar(QStringLiteral("select UPDATE_DATE from Recite where WORD_ID = 2")).toDouble(),
        46000.12)
        << "stored with two decimals";
    EXPECT_DOUBLE_EQ(w->UpdateDate, 46000.123456);
    EXPECT_EQ(db.Count(QStringLiteral("from Recite where ABILITY = 0")), 2);
}

TEST_F(DueWordsTest, PrintQueryListsEveryWordAndKeepsItsRows) {
    db.AddBook(1, QStringLiteral("a"), 3, 1);
    db.AddBook(2, QStringLiteral("b"), 2, 11);
    db.Subscribe(100, 1, 1);
    db.Subscribe(100, 2, 2);
    SetProgress(QStringLiteral("WORD_ID = 1"), 49, kNow, 7);
    TUser* u = Load();
    TAdoQuery* print = u->OpenPrintQuery();
    ASSERT_NE(print, nullptr);
    EXPECT_EQ(print->RecordCount(), 5);
    u->SelectDueWords(words); // reuses slot 1
    EXPECT_EQ(print->RecordCount(), 5);
    print->SetFilter(QStringLiteral("ABILITY >= 40"));
    ASSERT_EQ(print->RecordCount(), 1);
    EXPECT_EQ(print->AsString(QStringLiteral("word_name")), QStringLiteral("w1"));
    EXPECT_EQ(print->AsInteger(QStringLiteral("WORD_ROUND")), 7);
}

TEST_F(DueWordsTest, ABookWhoseQueryFailsContributesNothing) {
    OneBook(3);
    TUser* u = Load();
    db.Exec(QStringLiteral("drop table Book"));
    EXPECT_TRUE(u->SelectDueWords(words));
    EXPECT_TRUE(words.Empty());
    EXPECT_EQ(u->OpenPrintQuery(), nullptr);
}

} // namespace
