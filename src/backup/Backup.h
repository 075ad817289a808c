#pragma once

// Copies of the database: taken with SQLite's online backup API (consistent while another
// connection or process writes), kept in backups/ beside the database under names that carry
// the moment of the copy, thinned out by age, checked and restored.
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>

struct sqlite3;

// The folder of the copies, beside the database.
inline const char kBackupFolderName[] = "backups";

// Rotation: the newest copy of each of the newest days that have copies, and beyond them the
// newest copy of each of the last months (the current one included).
inline constexpr int kDailyCopies = 10;
inline constexpr int kMonthlyCopies = 12;
// The copy a restore keeps of the database it replaces stays out of that rotation: it goes
// only when it is older than this many days and is not among the newest few of its kind.
inline constexpr int kBeforeRestoreDays = 30;
inline constexpr int kBeforeRestoreCopies = 5;

// The passes the program could not yet write, kept beside the database until its next start.
inline const char kPendingFileName[] = "Tavelo.pending";

// Why a copy failed, for the messages of the program and the tool.
enum class TBackupFault {
    None,
    Source,      // the database cannot be read (missing, not SQLite, damaged)
    NotWritable, // the target folder cannot be created or written
    NoSpace,     // the disk is full
    Busy,        // another process kept the database changing or locked for too long
    Exists,      // the target exists already
    Cancelled,
    Other,
};

struct TBackupError {
    TBackupFault fault = TBackupFault::None;
    QString text; // for the command line and logs (English)
};

struct TCopyOptions {
    // Pages copied while the source is read-locked; between steps a writer gets its turn.
    int pagesPerStep = 1024;
    // Checked between steps: a set flag ends the copy and removes the partial file.
    const std::atomic<bool>* cancel = nullptr;
    // Called after each step with the pages copied and the pages in all.
    std::function<void(int copied, int total)> progress;
    // The program's own open connection to the source, to copy through instead of a new one:
    // its writes then go into the copy as they happen rather than restarting it, and they
    // wait at most for one step. Used only when SharableConnection says so.
    sqlite3* connection = nullptr;
    // The copy is flushed to the disk each time this much more of it is written, so that the
    // final flush is short and no flush makes the program's commits wait behind a hundred
    // megabytes of dirty pages; 0: once, at the end.
    qint64 flushEveryBytes = 4 * 1024 * 1024;
};

// Whether a connection may be used by a copy on another thread meanwhile (SQLite serializes
// the calls on it).
bool SharableConnection(sqlite3* connection);

// Copies the database at source into target, which must not exist. The copy is written
// under a hidden temporary name beside target, made durable, and renamed when complete, so
// an interrupted copy never leaves a file that looks like one.
bool CopyDatabase(const QString& source, const QString& target, TBackupError* error,
                  const TCopyOptions& options = {});

// backups/ beside the database.
QString BackupFolder(const QString& databasePath);
// "Tavelo-YYYYMMDD-HHMMSS.mdb" for a copy taken at the local time `when`.
QString BackupFileName(const QDateTime& when);
// "Tavelo-YYYYMMDD-HHMMSS-before-restore.mdb": the database as it was before a restore.
QString BeforeRestoreFileName(const QDateTime& when);
// The moment a copy's file name stands for; invalid for any other name (the whole name must
// match: no prefix, suffix or line break).
QDateTime BackupTime(const QString& fileName);
// The same for the name of a copy kept by a restore.
QDateTime BeforeRestoreTime(const QString& fileName);
// Whether a file name is that of a temporary file of a copy in progress (or interrupted)
// made by this program: it names its process and carries a mark derived from its name.
bool IsPartialCopyName(const QString& fileName);
// Whether path is a whole SQLite file (its header's page count times its page size is its
// length) that opens and reads its catalogue: only such a file counts as a copy.
bool IsCompleteCopy(const QString& path);

// The pending passes beside a database, and beside a copy (the copy's name, ".pending").
QString PendingPath(const QString& databasePath);
QString PendingPathOfCopy(const QString& copyPath);

// The lock every process that writes the database takes: a file beside it, held with flock
// (whoever runs the process, whatever its environment). Returns false, with *error, when
// another process holds it or it cannot be taken.
class TInstanceLock;
QString DatabaseLockPath(const QString& databasePath);
bool LockDatabase(TInstanceLock& lock, const QString& databasePath, QString* error);

// Takes a copy of the database into its backups/ folder (created when missing) named after
// `now`, a second later when that name is taken. With rotate, thins the folder out after.
bool TakeBackup(const QString& databasePath, const QDateTime& now, bool rotate, QString* copyPath,
                TBackupError* error, const TCopyOptions& options = {});

// The automatic copy: nothing when the folder holds a copy of today already; otherwise
// TakeBackup with rotation. Also removes temporary files left by interrupted copies.
enum class TAutoResult { Taken, NotDue, Failed };
TAutoResult BackupIfDue(const QString& databasePath, const QDateTime& now, QString* copyPath,
                        TBackupError* error, const TCopyOptions& options = {});

// Of copies taken at `times`, those that rotation keeps at `now`.
QList<QDateTime> BackupsToKeep(QList<QDateTime> times, const QDateTime& now);
// Removes the copies in folder that rotation does not keep; files with other names stay.
// Copies dated after `now` are kept and take no place of a present one (the clock was wrong,
// not the copies). Copies kept by a restore follow their own rule (kBeforeRestoreDays).
// Returns how many were removed.
int RotateBackups(const QString& folder, const QDateTime& now);

struct TBackupInfo {
    QString path;
    QDateTime taken;
    qint64 size = 0;
    int learners = -1;          // -1 when the copy cannot be read
    bool beforeRestore = false; // kept by a restore
};
// The copies in folder, newest first.
QList<TBackupInfo> ListBackups(const QString& folder);

// Whether the file is a database the program can use: the start-up's checks (an SQLite file
// that passes the quick check and takes writes, in a folder that takes a journal, holding
// the six tables with their columns and at least one learner) and PRAGMA integrity_check.
// Writes nothing but SQLite's own recovery of a journal an interrupted writer left.
// *problems says what is wrong; *learners counts the learners.
bool CheckDatabase(const QString& path, QStringList* problems, int* learners = nullptr);

// Replaces the database with a copy of file. Refuses while the program runs (the lock beside
// the database or the instance marker is held), or when file fails CheckDatabase; keeps the
// current database in backups/ first as a copy named "before restore" (*safetyCopy), with
// the pending passes beside it, then replaces the database atomically. When file has
// pending passes beside it (an earlier restore's copy), they come back beside the database.
// On refusal or failure the current database is untouched.
bool RestoreDatabase(const QString& file, const QString& databasePath, const QDateTime& now,
                     QString* safetyCopy, QString* error);

// Keeps the database's current content in backups/ before it is replaced: an online copy, or
// the bytes as they are when the file is too damaged to copy. *kept names the copy.
bool KeepCurrentDatabase(const QString& databasePath, const QDateTime& now, QString* kept,
                         QString* error);
