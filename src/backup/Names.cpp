// The names of the copies and of the files beside them, the check that a copy is whole, and
// the lock beside the database.
#include "backup/Backup.h"

#include "backup/BackupInternal.h"
#include "backup/platform/Files.h"
#include "backup/platform/InstanceLock.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QtEndian>
#include <sqlite3.h>

namespace {

const QString kStamp = QStringLiteral("yyyyMMdd-HHmmss");

// Whole-name matches only: "$" would also match before a final line break.
QDateTime StampOf(const QRegularExpression& pattern, const QString& fileName) {
    const QRegularExpressionMatch m = pattern.match(fileName);
    return m.hasMatch() ? QDateTime::fromString(m.captured(1), kStamp) : QDateTime();
}

// Eight hex digits that only this program puts into the name of its temporary files.
QString PartialMark(const QString& targetName, qint64 pid) {
    const QByteArray seed =
        QStringLiteral("Tavelo partial copy\n%1\n%2").arg(targetName).arg(pid).toUtf8();
    return QString::fromLatin1(
        QCryptographicHash::hash(seed, QCryptographicHash::Sha256).toHex().left(8));
}

const QRegularExpression& PartialPattern() {
    static const QRegularExpression pattern(QRegularExpression::anchoredPattern(
        QStringLiteral("\\.(.+)\\.([1-9][0-9]{0,9})\\.([0-9a-f]{8})\\.part")));
    return pattern;
}

} // namespace

QString BackupFileName(const QDateTime& when) {
    return QStringLiteral("Tavelo-%1.mdb").arg(when.toString(kStamp));
}

QString BeforeRestoreFileName(const QDateTime& when) {
    return QStringLiteral("Tavelo-%1-before-restore.mdb").arg(when.toString(kStamp));
}

QDateTime BackupTime(const QString& fileName) {
    static const QRegularExpression pattern(
        QRegularExpression::anchoredPattern(QStringLiteral("Tavelo-(\\d{8}-\\d{6})\\.mdb")));
    return StampOf(pattern, fileName);
}

QDateTime BeforeRestoreTime(const QString& fileName) {
    static const QRegularExpression pattern(QRegularExpression::anchoredPattern(
        QStringLiteral("Tavelo-(\\d{8}-\\d{6})-before-restore\\.mdb")));
    return StampOf(pattern, fileName);
}

QString PartialCopyPath(const QString& target) {
    const QFileInfo info(target);
    const qint64 pid = QCoreApplication::applicationPid();
    return info.dir().filePath(QStringLiteral(".%1.%2.%3.part")
                                   .arg(info.fileName())
                                   .arg(pid)
                                   .arg(PartialMark(info.fileName(), pid)));
}

bool IsPartialCopyName(const QString& fileName) {
    const QRegularExpressionMatch m = PartialPattern().match(fileName);
    return m.hasMatch() && m.captured(3) == PartialMark(m.captured(1), m.captured(2).toLongLong());
}

void RemoveAbandonedPartials(const QString& folder) {
    const QDir dir(folder);
    const QStringList names =
        dir.entryList({QStringLiteral(".*.part")}, QDir::Files | QDir::Hidden | QDir::NoSymLinks);
    for (const QString& name : names) {
        if (!IsPartialCopyName(name)) {
            continue; // not ours, whatever it looks like
        }
        const qint64 pid = PartialPattern().match(name).captured(2).toLongLong();
        if (pid != QCoreApplication::applicationPid() && !ProcessRuns(pid)) {
            QFile::remove(dir.filePath(name));
        }
    }
}

bool IsCompleteCopy(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QByteArray header = f.read(100);
    if (header.size() < 100 || !header.startsWith(QByteArrayLiteral("SQLite format 3\0"))) {
        return false;
    }
    const auto* h = reinterpret_cast<const uchar*>(header.constData());
    qint64 pageSize = qFromBigEndian<quint16>(h + 16);
    if (pageSize == 1) {
        pageSize = 65536;
    }
    // The page count in the header is valid when its change counter matches the version's.
    const quint32 pages = qFromBigEndian<quint32>(h + 28);
    if (pages == 0 || qFromBigEndian<quint32>(h + 24) != qFromBigEndian<quint32>(h + 92) ||
        f.size() != pageSize * pages) {
        return false;
    }
    f.close();
    sqlite3* db = nullptr;
    QString ignored;
    if (!OpenDatabaseFile(path, true, &db, &ignored)) {
        return false;
    }
    sqlite3_close_v2(db);
    return true;
}

QString PendingPath(const QString& databasePath) {
    return QFileInfo(databasePath).absoluteDir().filePath(QLatin1String(kPendingFileName));
}

QString PendingPathOfCopy(const QString& copyPath) {
    const QFileInfo info(copyPath);
    return info.dir().filePath(info.completeBaseName() + QStringLiteral(".pending"));
}

// Beside the file itself when the database is reached through a link, so that every way to
// it finds the same lock.
QString DatabaseLockPath(const QString& databasePath) {
    const QFileInfo info(databasePath);
    const QString real = info.exists() ? info.canonicalFilePath() : info.absoluteFilePath();
    return real + QStringLiteral(".lock");
}

bool LockDatabase(TInstanceLock& lock, const QString& databasePath, QString* error) {
    const QString path = DatabaseLockPath(databasePath);
    bool opened = false;
    if (lock.AcquireFile(path, &opened)) {
        return true;
    }
    *error = opened ? QStringLiteral("Tavelo or another tavelo-admin command is using %1 (its "
                                     "lock %2 is held); quit Tavelo (tray menu 退出) and try again")
                          .arg(databasePath, path)
                    : QStringLiteral("the lock %1 cannot be made").arg(path);
    return false;
}
