#include "backup/Backup.h"

#include <QDir>
#include <QFile>
#include <QPair>
#include <QSet>
#include <algorithm>

QList<QDateTime> BackupsToKeep(QList<QDateTime> times, const QDateTime& now) {
    std::sort(times.begin(), times.end(), std::greater<>());
    // Copies from the future stay and take no day's or month's place of a present copy.
    QList<QDateTime> keep;
    while (!times.isEmpty() && times.first() > now) {
        keep << times.takeFirst();
    }
    // The newest copy of each of the newest days that have copies.
    QSet<QDate> days;
    for (const QDateTime& t : times) {
        if (days.size() == kDailyCopies) {
            break;
        }
        if (!days.contains(t.date())) {
            days.insert(t.date());
            keep << t;
        }
    }
    // Beyond them, the newest copy of each of the last months.
    const QDate thisMonth(now.date().year(), now.date().month(), 1);
    for (int m = 0; m < kMonthlyCopies; ++m) {
        const QDate month = thisMonth.addMonths(-m);
        const auto newest = std::find_if(times.cbegin(), times.cend(), [&](const QDateTime& t) {
            return t.date().year() == month.year() && t.date().month() == month.month();
        });
        if (newest != times.cend() && !keep.contains(*newest)) {
            keep << *newest;
        }
    }
    std::sort(keep.begin(), keep.end(), std::greater<>());
    return keep;
}

namespace {

// The copies a restore kept: any of the newest few, and any younger than kBeforeRestoreDays
// (a future date counts as young). Their pending passes go with them.
int RotateBeforeRestore(const QDir& dir, const QDateTime& now) {
    QList<QPair<QDateTime, QString>> copies;
    for (const QString& name : dir.entryList(QDir::Files)) {
        if (const QDateTime t = BeforeRestoreTime(name); t.isValid()) {
            copies << qMakePair(t, name);
        }
    }
    std::sort(copies.begin(), copies.end(), std::greater<>());
    int removed = 0;
    for (qsizetype i = kBeforeRestoreCopies; i < copies.size(); ++i) {
        const auto& [t, name] = copies.at(i);
        if (t.addDays(kBeforeRestoreDays) < now && QFile::remove(dir.filePath(name))) {
            QFile::remove(PendingPathOfCopy(dir.filePath(name)));
            ++removed;
        }
    }
    return removed;
}

} // namespace

int RotateBackups(const QString& folder, const QDateTime& now) {
    const QDir dir(folder);
    QList<QDateTime> times;
    QHash<QDateTime, QString> names;
    for (const QString& name : dir.entryList(QDir::Files)) {
        const QDateTime t = BackupTime(name);
        if (t.isValid()) {
            times << t;
            names.insert(t, name);
        }
    }
    const QList<QDateTime> keep = BackupsToKeep(times, now);
    int removed = 0;
    for (const QDateTime& t : times) {
        if (!keep.contains(t) && QFile::remove(dir.filePath(names.value(t)))) {
            ++removed;
        }
    }
    return removed + RotateBeforeRestore(dir, now);
}
