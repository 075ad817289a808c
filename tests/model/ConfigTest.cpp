#include "AdminOps.h"
#include "TestDatabase.h"
#include "model/User.h"
#include "store/Channels.h"

#include <gtest/gtest.h>

namespace {

class ConfigTest : public ::testing::Test {
protected:
    // One stored column of a setting's row.
    QVariant Stored(const char* column, int user, int sequence) {
        return db.Scalar(SqlFormat("select %s from CONFIG where USERID = %d and SEQUENCE = %d",
                                   {column, user, sequence}));
    }
    TTestDatabase db;
    TAdoChannel& ch = db.Channel();
};

TEST_F(ConfigTest, UserWithoutRowsLoadsAsZeros) {
    TConfig c(&ch);
    c.Load(100);
    EXPECT_EQ(c.UserID, 100);
    for (int sequence : TConfig::kSequences) {
        int v = -1;
        ASSERT_TRUE(c.Get(sequence, &v));
        EXPECT_EQ(v, 0) << "SEQUENCE " << sequence;
    }
}

TEST_F(ConfigTest, LoadMapsSequencesAndTakesFlagsOnlyWhenOne) {
    db.SetSetting(100, 1, 25);        // WordNum
    db.SetSetting(100, 17, 0x123456); // DesktopColor
    db.SetSetting(100, 20, static_cast<int>(0x80000008u));
    db.SetSetting(100, 9, 2);   // ShowPicture: 2 is not 1
    db.SetSetting(100, 32, 1);  // RestrictTime
    db.SetSetting(100, 11, 2);  // Pronounce is an integer: kept as 2, which means silent
    db.SetSetting(100, 18, 77); // not a setting
    db.Exec(QStringLiteral("insert into CONFIG values (100, 2, 5, ''), (100, 2, 6, '')"));
    TConfig c(&ch);
    c.ShowPicture = true;
    c.UpperLimit = 9; // a field without a row keeps its value
    c.Load(100);
    EXPECT_EQ(c.WordNum, 25);
    EXPECT_EQ(c.DesktopColor, 0x123456);
    EXPECT_EQ(static_cast<unsigned>(c.FontColor), 0x80000008u);
    EXPECT_FALSE(c.ShowPicture);
    EXPECT_TRUE(c.RestrictTime);
    EXPECT_EQ(c.Pronounce, 2);
    EXPECT_EQ(c.UpperLimit, 9);
    EXPECT_EQ(c.Oblivion, 6) << "the later of two rows wins";
}

TEST_F(ConfigTest, SaveWritesExactlyTheSettingsWithTheDefaultUsersChoiceTexts) {
    db.Exec(
        QStringLiteral("insert into CONFIG values (1, 1, 20, 'group'), (1, 1, 21, 'second'), "
                       "(1, 75, 3, 'it''s columns'), (100, 99, 1, 'stray'), (100, 1, 4, 'old')"));
    TConfig c(&ch);
    SeedStartValues(c);
    c.ShowPicture = true;
    c.Save(100);
    EXPECT_EQ(db.Count(QStringLiteral("from CONFIG where USERID = 100")), 33);
    EXPECT_EQ(db.Count(QStringLiteral("from CONFIG where USERID = 100 and SEQUENCE = 99")), 0);
    EXPECT_EQ(Stored("CHOICE", 100, 1).toString(), QStringLiteral("group"))
        << "the first of the default user's texts";
    EXPECT_EQ(Stored("CHOICE", 100, 75).toString(), QStringLiteral("it's columns"));
    EXPECT_EQ(Stored("CHOICE", 100, 2).toString(), QString());
    EXPECT_EQ(Stored("NUMBEREX", 100, 9).toInt(), 1);
    TConfig back(&ch);
    back.Load(100);
    for (int sequence : TConfig::kSequences) {
        int a = 0;
        int b = 0;
        c.Get(sequence, &a);
        back.Get(sequence, &b);
        EXPECT_EQ(a, b) << "SEQUENCE " << sequence;
    }
}

TEST_F(ConfigTest, SavingUnderTheDefaultIdKeepsItsTextsAndLeavesTheUserAlone) {
    db.Exec(QStringLiteral("insert into CONFIG values (1, 3, 8, 'first score')"));
    db.SetSetting(100, 1, 10);
    TConfig a(&ch);
    a.Load(100);
    a.WordNum = 30;
    a.Save(DefaultUserID);
    EXPECT_EQ(db.Count(QStringLiteral("from CONFIG where USERID = 1")), 33);
    EXPECT_EQ(Stored("CHOICE", DefaultUserID, 3).toString(), QStringLiteral("first score"));
    EXPECT_EQ(Stored("NUMBEREX", DefaultUserID, 1).toInt(), 30);
    EXPECT_EQ(db.Count(QStringLiteral("from CONFIG where USERID = 100")), 1);
    EXPECT_EQ(Stored("NUMBEREX", 100, 1).toInt(), 10);
}

TEST_F(ConfigTest, AFailedSaveLeavesTheStoredRowsAsTheyWere) {
    db.SetSetting(100, 1, 10);
    db.Exec(
        QStringLiteral("create trigger NoColumns before insert on CONFIG when new.SEQUENCE = 75 "
                       "begin select raise(abort, 'refused'); end"));
    TConfig c(&ch);
    SeedStartValues(c);
    c.Save(100);
    EXPECT_EQ(db.Count(QStringLiteral("from CONFIG where USERID = 100")), 1);
    EXPECT_EQ(c.WordNum, 20) << "the in-memory values stay";
}

TEST_F(ConfigTest, MissingTableLeavesValuesAndWritesNothing) {
    db.Exec(QStringLiteral("drop table CONFIG"));
    TConfig c(&ch);
    c.WordNum = 7;
    c.Load(100);
    EXPECT_EQ(c.WordNum, 7);
    c.Save(100); // no crash; the statements fail and are rolled back
    EXPECT_FALSE(ch.InTransaction());
}

} // namespace
