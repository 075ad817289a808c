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

// The name of the single-instance marker of the program.
inline const char kInstanceName[] = "Tavelo";

// The folder of the copies, beside the database.
inline const char kBackupFolderName[] = "backups";

// Rotation: the newest copy of each of the newest days that have copies, and beyond them the
// newest copy of each of the last months (the current one included).
inline constexpr int kDailyCopies = 10;
inline constexpr int kMonthlyCopies = 12;

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
// The moment a copy's file name stands for; invalid for any other name.
QDateTime BackupTime(const QString& fileName);
// Whether a file name is that of a temporary file of a copy in progress (or interrupted).
bool IsPartialCopyName(const QString& fileName);

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
// Returns how many were removed.
int RotateBackups(const QString& folder, const QDateTime& now);

struct TBackupInfo {
    QString path;
    QDateTime taken;
    qint64 size = 0;
    int learners = -1; // -1 when the copy cannot be read
};
// The copies in folder, newest first.
QList<TBackupInfo> ListBackups(const QString& folder);

// Whether the file is a database the program can use: the start-up's checks (an SQLite file
// that passes the quick check and takes writes, in a folder that takes a journal, holding
// the six tables with their columns and at least one learner) and PRAGMA integrity_check.
// Writes nothing but SQLite's own recovery of a journal an interrupted writer left.
// *problems says what is wrong; *learners counts the learners.
bool CheckDatabase(const QString& path, QStringList* problems, int* learners = nullptr);

// Replaces the database with a copy of file. Refuses while the program runs (the instance
// marker is held), or when file fails CheckDatabase; takes a copy of the current database
// into backups/ first (*safetyCopy), then replaces it atomically. On refusal or failure the
// current database is untouched.
bool RestoreDatabase(const QString& file, const QString& databasePath, const QDateTime& now,
                     QString* safetyCopy, QString* error);

// Keeps the database's current content in backups/ before it is replaced: an online copy, or
// the bytes as they are when the file is too damaged to copy. *kept names the copy.
bool KeepCurrentDatabase(const QString& databasePath, const QDateTime& now, QString* kept,
                         QString* error);
