#include "backup/Backup.h"

#include "backup/BackupInternal.h"
#include "backup/platform/Files.h"
#include "backup/platform/InstanceLock.h"
#include "store/Channels.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sqlite3.h>

namespace {

// The first lines of PRAGMA integrity_check; "ok" alone when the file is sound.
QStringList IntegrityProblems(sqlite3* db) {
    QStringList problems;
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, "pragma integrity_check(10)", -1, &stmt, nullptr) != SQLITE_OK) {
        problems << QString::fromUtf8(sqlite3_errmsg(db));
        return problems;
    }
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        problems << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
    }
    if (rc != SQLITE_DONE) {
        problems << QString::fromUtf8(sqlite3_errmsg(db));
    }
    sqlite3_finalize(stmt);
    if (problems == QStringList{QStringLiteral("ok")}) {
        problems.clear();
    }
    return problems;
}

int CountLearners(sqlite3* db) {
    sqlite3_stmt* stmt = nullptr;
    const QByteArray sql =
        QStringLiteral("select count(*) from USERS where ID >= %1").arg(FirstLearnerID).toUtf8();
    int n = -1;
    if (sqlite3_prepare_v2(db, sql.constData(), -1, &stmt, nullptr) == SQLITE_OK &&
        sqlite3_step(stmt) == SQLITE_ROW) {
        n = sqlite3_column_int(stmt, 0);
    }
    sqlite3_finalize(stmt);
    return n;
}

// The current database goes into backups/ under a name of its own before it is replaced, out
// of the daily rotation. A file the online copy cannot read (damaged, the usual reason to
// restore) is kept byte for byte instead.
bool KeepCurrent(const QString& databasePath, const QDateTime& now, QString* kept, QString* error) {
    const QString folder = BackupFolder(databasePath);
    if (!QDir().mkpath(folder) || !QFileInfo(folder).isDir()) {
        *error = QStringLiteral("the folder %1 cannot be created").arg(folder);
        return false;
    }
    RemoveAbandonedPartials(folder);
    QString target = QDir(folder).filePath(BeforeRestoreFileName(now));
    for (int i = 1; i < 60 && QFileInfo::exists(target); ++i) {
        target = QDir(folder).filePath(BeforeRestoreFileName(now.addSecs(i)));
    }
    TBackupError copyError;
    if (CopyDatabase(databasePath, target, &copyError)) {
        *kept = target;
        return true;
    }
    if (copyError.fault != TBackupFault::Source) {
        *error = QStringLiteral("the current database could not be copied into %1: %2")
                     .arg(folder, copyError.text);
        return false;
    }
    const QString partial = PartialCopyPath(target);
    QFile::remove(partial);
    if (!QFile::copy(databasePath, partial) || !SyncFile(partial) ||
        !ReplaceFile(partial, target)) {
        QFile::remove(partial);
        *error = QStringLiteral("the current database could not be copied into %1").arg(folder);
        return false;
    }
    *kept = target;
    return true;
}

// Moves a file, also to another file system (a folder reached through a link).
bool MoveFile(const QString& from, const QString& to) {
    if (ReplaceFile(from, to)) {
        return true;
    }
    if (!QFileInfo(from).isFile()) {
        return false; // a pipe or a device is never read
    }
    QFile::remove(to);
    if (!QFile::copy(from, to) || !SyncFile(to)) {
        QFile::remove(to);
        return false;
    }
    return QFile::remove(from);
}

} // namespace

bool KeepCurrentDatabase(const QString& databasePath, const QDateTime& now, QString* kept,
                         QString* error) {
    return KeepCurrent(databasePath, now, kept, error);
}

bool CheckDatabase(const QString& path, QStringList* problems, int* learners) {
    problems->clear();
    if (learners != nullptr) {
        *learners = 0;
    }
    // First the start-up's own check of the file, before any connection of this process is
    // open on it (closing its probe would drop their locks).
    switch (QFileInfo(path).isFile() ? CheckDatabaseFile(path) : TFileFitness::Usable) {
    case TFileFitness::Usable:
    case TFileFitness::NotDatabase: // said in detail below
        break;
    case TFileFitness::Damaged:
        *problems << QStringLiteral("damaged: SQLite's quick check fails");
        return false;
    case TFileFitness::ReadOnlyFile:
        *problems << QStringLiteral("the file is read-only: progress could not be saved");
        return false;
    case TFileFitness::ReadOnlyFolder:
        *problems << QStringLiteral("its folder is read-only: progress could not be saved");
        return false;
    }
    sqlite3* db = nullptr;
    QString text;
    if (!OpenDatabaseFile(path, true, &db, &text)) {
        *problems << text;
        return false;
    }
    const QStringList damage = IntegrityProblems(db);
    if (!damage.isEmpty()) {
        *problems << QStringLiteral("damaged: %1").arg(damage.join(QStringLiteral("; ")));
        sqlite3_close_v2(db);
        return false;
    }
    TAdoChannel channel;
    const QStringList missing =
        channel.OpenDatabase(path, QString()) ? MissingSchemaParts(channel) : QStringList{};
    if (!missing.isEmpty()) {
        *problems << QStringLiteral("not a Tavelo database; it lacks %1")
                         .arg(missing.join(QStringLiteral(", ")));
    } else {
        const int n = CountLearners(db);
        if (learners != nullptr) {
            *learners = n;
        }
        if (n <= 0) {
            *problems
                << QStringLiteral("holds no learner (user id %1 or above)").arg(FirstLearnerID);
        }
    }
    sqlite3_close_v2(db);
    return problems->isEmpty();
}

bool RestoreDatabase(const QString& file, const QString& databasePath, const QDateTime& now,
                     QString* safetyCopy, QString* error) {
    // Held to the end, so the program cannot start on a half-restored folder either. The
    // lock beside the database is seen by every process; the marker by those of the session.
    TInstanceLock lock;
    if (!lock.Acquire(QString::fromLatin1(kInstanceName))) {
        *error = QStringLiteral("Tavelo is running; quit it (tray menu 退出) and restore again");
        return false;
    }
    if (!LockDatabase(lock, databasePath, error)) {
        return false;
    }
    if (!QFileInfo(file).isFile()) {
        *error = QStringLiteral("%1 does not exist").arg(file);
        return false;
    }
    if (QFileInfo(file).canonicalFilePath() == QFileInfo(databasePath).canonicalFilePath()) {
        *error = QStringLiteral("%1 is the database itself").arg(file);
        return false;
    }
    // A database reached through a link is replaced where the link points.
    const QFileInfo current(databasePath);
    const QString target =
        current.isSymLink() && current.exists() ? current.canonicalFilePath() : databasePath;
    const QString folder = QFileInfo(target).absolutePath();
    RemoveAbandonedPartials(folder);
    // The candidate is copied beside the database and checked there: what is checked is
    // exactly what replaces the database, whatever happens to file meanwhile.
    const QString staged = PartialCopyPath(target);
    QFile::remove(staged);
    TBackupError copyError;
    if (!CopyDatabase(file, staged, &copyError)) {
        *error = QStringLiteral("%1 cannot be restored: %2").arg(file, copyError.text);
        return false;
    }
    QStringList problems;
    if (!CheckDatabase(staged, &problems)) {
        QFile::remove(staged);
        *error = QStringLiteral("%1 cannot be restored: %2")
                     .arg(file, problems.join(QStringLiteral("; ")));
        return false;
    }
    safetyCopy->clear();
    if (QFileInfo::exists(databasePath) && !KeepCurrent(databasePath, now, safetyCopy, error)) {
        QFile::remove(staged);
        return false;
    }
    // Passes not yet written belong to the database they were made on: they go with its copy,
    // and those kept with the restored file (an earlier restore's copy) come back.
    const QString pending = PendingPath(databasePath); // beside the database as the program sees it
    const QString keptPending = PendingPathOfCopy(
        safetyCopy->isEmpty()
            ? QDir(BackupFolder(databasePath)).filePath(BeforeRestoreFileName(now))
            : *safetyCopy);
    const bool hadPending = QFileInfo::exists(pending) || QFileInfo(pending).isSymLink();
    if (hadPending &&
        (!QDir().mkpath(BackupFolder(databasePath)) || !MoveFile(pending, keptPending))) {
        QFile::remove(staged);
        *error = QStringLiteral("%1 cannot be kept beside the copy of the database").arg(pending);
        return false;
    }
    const QString restoredPending = PendingPathOfCopy(file);
    const QString stagedPending = PartialCopyPath(pending);
    bool bringBack = QFileInfo(restoredPending).isFile();
    if (bringBack && (!QFile::copy(restoredPending, stagedPending) || !SyncFile(stagedPending))) {
        QFile::remove(stagedPending);
        bringBack = false;
    }
    if (!ReplaceFile(staged, target)) {
        QFile::remove(staged);
        QFile::remove(stagedPending);
        if (hadPending) {
            MoveFile(keptPending, pending);
        }
        *error = QStringLiteral("%1 cannot be replaced").arg(databasePath);
        return false;
    }
    if (bringBack && !ReplaceFile(stagedPending, pending)) {
        QFile::remove(stagedPending);
    }
    SyncFolder(folder);
    return true;
}
