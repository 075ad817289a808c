#include "TestDatabase.h"
#include "model/ReviewLog.h"
#include "stats/LogExport.h"
#include "stats/Statistics.h"

#include "model/User.h"
#include "store/Channels.h"

#include <QFile>
#include <QSet>
#include <gtest/gtest.h>

namespace {

constexpr double kToday = 46000.0;

// A file's bytes; none when it cannot be read.
QByteArray Contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Learners 100 and 101 with the start settings (forgetting rate 12, upper limit 50), both
// subscribed to books 1 (20 words) and 2 (10 words), and the log table.
class StatsTest : public ::testing::Test {
protected:
    void SetUp() override {
        db.AddStartSettings(DefaultUserID);
        db.AddBook(1, QStringLiteral("一"), 20, 1);
        db.AddBook(2, QStringLiteral("二"), 10, 101);
        for (int id : {100, 101}) {
            db.AddUser(id, QStringLiteral("学生%1").arg(id));
            db.AddStartSettings(id);
            db.Subscribe(id, 1, 1);
            db.Subscribe(id, 2, 2);
        }
        ASSERT_TRUE(EnsureReviewLog(db.Channel()));
    }
    TUser* Load(int index = 0) {
        users.Clear();
        LoadUsers(db.Channel(), users, [this] { return now; });
        return users.Object(index);
    }
    void Log(int user, int book, int word, double time, bool known, int roundBefore) {
        db.Exec(ReviewLogInsert({.UserID = user,
                                 .BookID = book,
                                 .WordID = word,
                                 .Time = time,
                                 .Known = known,
                                 .RoundBefore = roundBefore,
                                 .RoundAfter = roundBefore + 1}));
    }
    TTestDatabase db;
    TUserList users;
    double now = kToday + 0.5;
};

TEST_F(StatsTest, DeletingALearnerOrASubscriptionTakesTheirRows) {
    for (int user : {100, 101}) {
        Log(user, 1, 1, now, true, 0);
        Log(user, 2, 101, now, true, 0);
    }
    TUser* u = Load();
    u->ExcludeBook(u->SelectedBooks.Object(0));
    EXPECT_EQ(db.Count(QStringLiteral("from ReviewLog where USER_ID = 100")), 1);
    DeleteUser(users, u);
    for (const char* table : {"ReviewLog", "ReviewDay"}) {
        const QString from = QStringLiteral("from %1 where USER_ID = ").arg(QLatin1String(table));
        EXPECT_EQ(db.Count(from + QStringLiteral("100")), 0) << table;
        EXPECT_EQ(db.Count(from + QStringLiteral("101")), 2) << table;
    }
}

// The forecast and the selection agree: with the clock moved a day at a time, the words
// the forecast of the first day puts on days 0..k are those the selection returns on day k.
TEST_F(StatsTest, ForecastAgreesWithTheSelectionDayByDay) {
    // Abilities 0..49 spread over the words, last updated at different hours; some at the
    // upper limit, never due; book 2 in random order.
    db.Exec(QStringLiteral("update Recite set ABILITY = (WORD_ID * 7) % 52, "
                           "UPDATE_DATE = 45990.0 + (WORD_ID % 9) * 0.37, "
                           "RANDOM_NUM = (WORD_ID * 13) % 17 where USER_ID = 100"));
    TUser* u = Load();
    u->Config.WordNum = 1000; // every due word in one group
    const double start = now;
    const QVector<TDueWord> forecast = DueDays(db.Channel(), *u, start, 30);
    int counted = 0;
    for (int k = 0; k <= 30; ++k) {
        now = start + k;
        TWordList words;
        u->SelectDueWords(words);
        QSet<QPair<int, int>> selected;
        for (int i = 0; i < words.Count(); ++i) {
            selected << qMakePair(words.Object(i)->BookID, words.Object(i)->WordID);
        }
        QSet<QPair<int, int>> predicted;
        for (const TDueWord& w : forecast) {
            if (w.Day >= 0 && w.Day <= k) {
                predicted << qMakePair(w.BookID, w.WordID);
            }
        }
        EXPECT_EQ(predicted, selected) << "day " << k;
        counted += static_cast<int>(selected.size());
    }
    EXPECT_GT(counted, 31) << "the case must have words coming due on later days";
}

TEST_F(StatsTest, FiguresOfAConstructedHistory) {
    db.Exec(QStringLiteral("update Recite set WORD_ROUND = 1, ABILITY = 12 where USER_ID = 100 "
                           "and WORD_ID <= 5"));
    db.Exec(QStringLiteral("update Recite set WORD_ROUND = 3, ABILITY = 50 where USER_ID = 100 "
                           "and WORD_ID = 101"));
    const double minute = 1.0 / 1440.0;
    // Today: three passes a minute apart, a pause of an hour, two more a minute apart.
    Log(100, 1, 1, kToday + 0.3, false, 0);
    Log(100, 1, 1, kToday + 0.3 + minute, true, 1);
    Log(100, 1, 2, kToday + 0.3 + 2 * minute, true, 0);
    Log(100, 1, 3, kToday + 0.4, true, 4);
    Log(100, 1, 4, kToday + 0.4 + minute, false, 2);
    // Ten days ago: two review passes, one known; another learner's pass never counts.
    Log(100, 2, 101, kToday - 10 + 0.5, true, 1);
    Log(100, 2, 102, kToday - 10 + 0.6, false, 1);
    Log(101, 1, 1, kToday + 0.3, true, 0);
    const TStatistics s = LoadStatistics(db.Channel(), *Load(), now);
    EXPECT_EQ(s.TodayPasses, 5);
    EXPECT_EQ(s.TodayKnown, 3);
    EXPECT_EQ(s.TodayNew, 2);
    EXPECT_EQ(s.TodaySeconds, 180) << "the hour's pause is left out";
    EXPECT_EQ(SumOfDays(s, 30).Passes, 7);
    EXPECT_EQ(SumOfDays(s, 7).Passes, 5);
    EXPECT_EQ(s.Days[TStatistics::kHistoryDays - 11].Reviews, 2);
    const QVector<double> recall = WeeklyRecall(s, 3);
    EXPECT_DOUBLE_EQ(recall[2], 2.0 / 3.0) << "this week: reviews of words 1 and 3 known";
    EXPECT_DOUBLE_EQ(recall[1], 0.5);
    EXPECT_DOUBLE_EQ(recall[0], -1.0);
    EXPECT_EQ(s.Bands, (QVector<int>{24, 0, 5, 0, 0, 1}));
    ASSERT_EQ(s.Books.size(), 2);
    EXPECT_EQ(s.Books[0].Seen, 5);
    EXPECT_EQ(s.Books[0].Total, 20);
    EXPECT_EQ(s.Books[1].Seen, 1);
    EXPECT_EQ(s.Forecast[0], 29) << "all but the word at the upper limit are due now";
}

TEST_F(StatsTest, ExportRoundTripsAndNeverOverwritesAForeignFile) {
    db.Exec(QStringLiteral("update Book set WORD_NAME = '词,\"引\"' where WORD_ID = 1"));
    Log(100, 1, 1, kToday + 0.123456, true, 0);
    Log(100, 1, 2, kToday + 0.2, false, 3);
    const QString path = db.Dir() + QStringLiteral("/log.csv");
    int rows = 0;
    ASSERT_EQ(ExportLogCsv(db.Channel(), 100, path, &rows), QString());
    EXPECT_EQ(rows, 2);
    const QByteArray bytes = Contents(path);
    EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBF")) << "spreadsheets take it for UTF-8";
    const QStringList lines = QString::fromUtf8(bytes).split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 4); // header, two passes, the final line end
    EXPECT_EQ(lines[0], LogCsvColumns().join(QLatin1Char(',')));
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("100,1,1,\"词,\"\"引\"\"\",46000.123456,")));
    EXPECT_EQ(lines[2], QStringLiteral("100,1,2,w2,46000.200000,2025-12-09 04:48:00,0,0,0,3,4,0"));
    // Our own export is replaced; anything else, the database above all, is refused.
    ASSERT_EQ(ExportLogCsv(db.Channel(), 100, path), QString());
    QFile foreign(db.Dir() + QStringLiteral("/notes.csv"));
    ASSERT_TRUE(foreign.open(QIODevice::WriteOnly));
    foreign.write("a,b\n");
    foreign.close();
    for (const QString& target : {foreign.fileName(), db.Path()}) {
        const QByteArray before = Contents(target);
        EXPECT_FALSE(ExportLogCsv(db.Channel(), 100, target).isEmpty());
        EXPECT_EQ(Contents(target), before) << target.toStdString();
    }
}

} // namespace
