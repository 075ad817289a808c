#include "backup/Backup.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// A simulated year and more: a copy every morning, and every seventh day a second one in
// the evening, each followed by the rotation.
const QDate kFirstDay(2026, 1, 1);

QDateTime Evening(const QDate& d) {
    return QDateTime(d, QTime(20, 0));
}
// The newest copy of a day of the simulation.
QDateTime NewestOf(const QDate& d) {
    return kFirstDay.daysTo(d) % 7 == 0 ? Evening(d) : QDateTime(d, QTime(8, 0));
}

QList<QDateTime> Kept(const QString& folder) {
    QList<QDateTime> kept;
    for (const QString& name : QDir(folder).entryList(QDir::Files, QDir::Name | QDir::Reversed)) {
        if (BackupTime(name).isValid()) {
            kept << BackupTime(name);
        }
    }
    return kept;
}

// What the rotation keeps on the day of a checkpoint, newest first: the newest copy of each
// day from the day back to firstDaily, then that of the last day of each of months months from
// newestMonth back.
struct TCheckpoint {
    QDate day;
    QDate firstDaily;
    QDate newestMonth;
    int months;
    QList<QDateTime> Expected() const {
        QList<QDateTime> times;
        for (QDate d = day; d >= firstDaily; d = d.addDays(-1)) {
            times << NewestOf(d);
        }
        for (int i = 0; i < months; ++i) {
            const QDate m = newestMonth.addMonths(-i);
            times << NewestOf(QDate(m.year(), m.month(), m.daysInMonth()));
        }
        return times;
    }
};

void Touch(const QString& path) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
}

TEST(Rotation, KeepsTenDaysAndTwelveMonthsAcrossAYear) {
    QTemporaryDir dir;
    const QString folder = dir.path();
    Touch(dir.filePath(QStringLiteral("notes.txt")));
    Touch(dir.filePath(QStringLiteral("Tavelo-2026.mdb")));

    const QList<TCheckpoint> checkpoints = {
        {QDate(2026, 1, 5), QDate(2026, 1, 1), {}, 0},
        {QDate(2026, 1, 31), QDate(2026, 1, 22), {}, 0},
        {QDate(2026, 3, 3), QDate(2026, 2, 22), QDate(2026, 1, 1), 1},
        {QDate(2026, 12, 31), QDate(2026, 12, 22), QDate(2026, 11, 1), 11},
        // A year on, January 2026 has left the twelve months; February goes a month later.
        {QDate(2027, 1, 3), QDate(2026, 12, 25), QDate(2026, 11, 1), 10},
        {QDate(2027, 2, 5), QDate(2027, 1, 27), QDate(2026, 12, 1), 10},
    };
    int next = 0;
    for (QDate d = kFirstDay; next < checkpoints.size(); d = d.addDays(1)) {
        QList<QDateTime> taken{QDateTime(d, QTime(8, 0))};
        if (NewestOf(d) != taken.first()) {
            taken << Evening(d);
        }
        for (const QDateTime& t : taken) {
            Touch(dir.filePath(BackupFileName(t)));
            RotateBackups(folder, t);
            const QList<QDateTime> kept = Kept(folder);
            ASSERT_FALSE(kept.isEmpty());
            ASSERT_EQ(kept.first(), t) << "the newest copy always stays";
            ASSERT_LE(kept.size(), kDailyCopies + kMonthlyCopies);
        }
        if (d == checkpoints[next].day) {
            EXPECT_EQ(Kept(folder), checkpoints[next].Expected()) << d.toString().toStdString();
            ++next;
        }
    }
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("notes.txt"))));
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("Tavelo-2026.mdb"))));
}

TEST(Rotation, DailyCopiesAreTheNewestDaysWithCopiesNotTheLastTenCalendarDays) {
    // Copies on 12 days in March, then nothing until August.
    QList<QDateTime> times;
    for (int d = 1; d <= 12; ++d) {
        times << QDateTime(QDate(2026, 3, d), QTime(9, 0));
    }
    const QDateTime now(QDate(2026, 8, 20), QTime(9, 0));
    const QList<QDateTime> keep = BackupsToKeep(times, now);
    ASSERT_EQ(keep.size(), 10);
    EXPECT_EQ(keep.first(), times.last());
    EXPECT_EQ(keep.last(), times[2]);
    // However old, the newest ten days stay: they are the newest copies there are.
    EXPECT_EQ(BackupsToKeep(times, QDateTime(QDate(2027, 2, 1), QTime(9, 0))).size(), 10);
    EXPECT_TRUE(BackupsToKeep({}, now).isEmpty());
}

} // namespace
