#include "Backup.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <algorithm>

QList<QDateTime> BackupsToKeep(QList<QDateTime> times, const QDateTime& now) {
    std::sort(times.begin(), times.end(), std::greater<>());
    QList<QDateTime> keep;
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
    return removed;
}
