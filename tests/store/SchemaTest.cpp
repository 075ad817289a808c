#include "TestDatabase.h"
#include "store/Channels.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <clocale>
#include <gtest/gtest.h>

namespace {

TEST(Schema, NewDatabaseHasEveryTableAndKeepsDatesFloatingPoint) {
    TTestDatabase db;
    EXPECT_TRUE(MissingSchemaParts(db.Channel()).isEmpty());
    db.Exec(QStringLiteral(
        "insert into Recite(USER_ID, WORD_ID, UPDATE_DATE) values (1, 1, 36526.00)"));
    EXPECT_EQ(db.Scalar(QStringLiteral("select typeof(UPDATE_DATE) from Recite")).toString(),
              QStringLiteral("real"));
    // The due condition divides by the rate: with a REAL date it must not be integer division.
    EXPECT_DOUBLE_EQ(
        db.Scalar(QStringLiteral("select (36527.00 - UPDATE_DATE)/0.50 from Recite")).toDouble(),
        2.0);
    EXPECT_FALSE(CreateSchema(db.Channel())) << "the tables exist already";
    EXPECT_FALSE(CreateDatabaseFile(db.Path())) << "never overwrites a file";
}

TEST(Schema, MissingTablesAndColumnsAreNamed) {
    TTestDatabase db;
    db.Exec(QStringLiteral("drop table UserBooks"));
    db.Exec(QStringLiteral("drop index IX_Recite_Rnd"));
    db.Exec(QStringLiteral("alter table Recite drop column RANDOM_NUM"));
    EXPECT_EQ(MissingSchemaParts(db.Channel()),
              (QStringList{QStringLiteral("UserBooks"), QStringLiteral("Recite.RANDOM_NUM")}));
}

TEST(Schema, DatabaseMadeByHandWithTheSqliteShellIsAccepted) {
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(QStringLiteral("Tavelo.mdb"));
    QProcess shell;
    shell.start(QStringLiteral("sqlite3"), {path});
    if (!shell.waitForStarted()) {
        GTEST_SKIP() << "the sqlite3 shell is not installed";
    }
    shell.write(
        "CREATE TABLE users (id INTEGER, name TEXT, cipher TEXT, ispower INTEGER);\n"
        "CREATE TABLE Config (UserID INTEGER, Sequence INTEGER, NumberEx INTEGER, Choice TEXT);\n"
        "CREATE TABLE BOOKSTORE (BOOKID INTEGER, BOOKDESC TEXT);\n"
        "CREATE TABLE book (book_id, word_id, word_name, word_symbol, word_affix, word_trans,"
        " word_explain, word_synonymy, word_antonym, word_analopy, word_example, wav_file, "
        "pict_name);\n"
        "CREATE TABLE userbooks (userid, bookid, sequence);\n"
        "CREATE TABLE recite (user_id, word_id, book_id, ability, word_round, random_num, "
        "update_date);\n");
    shell.closeWriteChannel();
    ASSERT_TRUE(shell.waitForFinished());
    TAdoChannel ch;
    ASSERT_TRUE(ch.OpenDatabase(path, QString()));
    EXPECT_TRUE(MissingSchemaParts(ch).isEmpty());
}

TEST(SqlText, NumbersAreWrittenWithAPointAndTwoDecimals) {
    EXPECT_EQ(SqlFormat("a=%d b=%f c='%s' %%", {-7, 0.504, QStringLiteral("x")}),
              QStringLiteral("a=-7 b=0.50 c='x' %"));
    EXPECT_EQ(SqlFormat("%f %f %f", {36526.0, 0.005, -1.0}), QStringLiteral("36526.00 0.01 -1.00"));
    EXPECT_EQ(SqlFormat("%d %s", {3}), QStringLiteral("3 ")) << "a missing argument is empty";
    EXPECT_EQ(QuoteSqlText(QStringLiteral("it's 'x'")), QStringLiteral("it''s ''x''"));
    // Where a locale with a decimal comma exists, it must not leak into SQL.
    std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    EXPECT_EQ(FormatFixed2(12.5), QStringLiteral("12.50"));
    std::setlocale(LC_NUMERIC, "C");
}

TEST(DayNumber, CountsDaysSince30December1899InLocalTime) {
    EXPECT_DOUBLE_EQ(DayNumberFromDateTime(QDateTime(QDate(2000, 1, 1), QTime(0, 0))), 36526.0);
    EXPECT_DOUBLE_EQ(DayNumberFromDateTime(QDateTime(QDate(2000, 1, 1), QTime(18, 0))), 36526.75);
    EXPECT_DOUBLE_EQ(DayNumberFromDateTime(QDateTime(QDate(1899, 12, 30), QTime(0, 0))), 0.0);
    const QDateTime t(QDate(2026, 12, 9), QTime(7, 30, 15, 250));
    EXPECT_EQ(DateTimeFromDayNumber(DayNumberFromDateTime(t)), t);
    EXPECT_DOUBLE_EQ(DateOf(36526.75), 36526.0);
    const double now = SystemClock()();
    EXPECT_NEAR(now, DayNumberFromDateTime(QDateTime::currentDateTime()), 1.0 / 86400);
}

} // namespace
