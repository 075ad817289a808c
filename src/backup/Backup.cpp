#include "backup/Backup.h"

#include "backup/BackupInternal.h"
#include "backup/platform/Files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <chrono>
#include <optional>
#include <sqlite3.h>

namespace {

// A writer that keeps changing the database restarts a copy made in steps; after this many
// restarts the copy takes the rest of the file in one step, holding the read lock until it
// is done (another process's writes then wait for it, the program's are kept meanwhile). So
// a copy ends after at most this many restarts plus one whole copy (about 0.5 s per 100 MB
// from the page cache), plus the time the file stays locked (kMaxLockedTime at most).
constexpr int kMaxRestarts = 8;

constexpr int kBusyTimeoutMs = 5000;
// A step that finds the source locked (by another process, or by a transaction of the shared
// connection) is tried again after a pause, until it has been locked for this long.
constexpr int kRetryPauseMs = 5;
constexpr auto kMaxLockedTime = std::chrono::milliseconds(2 * kBusyTimeoutMs);
constexpr int kSharedPauseMs = 1;

TBackupFault FaultOf(int rc) {
    switch (rc & 0xff) {
    case SQLITE_FULL:
        return TBackupFault::NoSpace;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return TBackupFault::Source;
    case SQLITE_READONLY:
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
        return TBackupFault::NotWritable;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return TBackupFault::Busy;
    default:
        return TBackupFault::Other;
    }
}

bool Fail(TBackupError* error, TBackupFault fault, const QString& text) {
    if (error != nullptr) {
        error->fault = fault;
        error->text = text;
    }
    return false;
}

QString SqliteText(sqlite3* db) {
    return QString::fromUtf8(sqlite3_errmsg(db));
}

// Through the program's connection a step must never wait for another process inside
// SQLite: it would hold the connection's mutex meanwhile, and every statement of the program
// with it. So the process's read lock is taken first through a private connection that does
// not wait (the program's connection then shares it without touching the file), and a step
// runs only when the connection's mutex is free at once.
class TStepGate {
public:
    TStepGate(sqlite3* gate, sqlite3* shared) : gate_(gate), mutex_(sqlite3_db_mutex(shared)) {
        sqlite3_busy_timeout(gate_, 0);
    }
    bool Enter() {
        if (sqlite3_exec(gate_, "begin; select count(*) from sqlite_master", nullptr, nullptr,
                         nullptr) != SQLITE_OK) {
            sqlite3_exec(gate_, "rollback", nullptr, nullptr, nullptr);
            return false;
        }
        if (sqlite3_mutex_try(mutex_) != SQLITE_OK) {
            sqlite3_exec(gate_, "commit", nullptr, nullptr, nullptr);
            return false;
        }
        return true;
    }
    void Leave() {
        sqlite3_mutex_leave(mutex_);
        sqlite3_exec(gate_, "commit", nullptr, nullptr, nullptr);
    }

private:
    sqlite3* gate_;
    sqlite3_mutex* mutex_;
};

// The page-by-page copy into an open, empty destination at partial; with a gate, through the
// program's connection. Pages per step below 0: the whole file in one step. Returns false with
// *startOver set when the source kept changing under a copy in steps.
bool RunBackup(sqlite3* src, sqlite3* dest, TStepGate* gate, int pagesPerStep,
               const QString& partial, const TCopyOptions& options, TBackupError* error,
               bool* startOver) {
    sqlite3_backup* backup = sqlite3_backup_init(dest, "main", src, "main");
    if (backup == nullptr) {
        return Fail(error, FaultOf(sqlite3_errcode(dest)), SqliteText(dest));
    }
    qint64 pageSize = 4096;
    if (sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(dest, "pragma page_size", -1, &stmt, nullptr) == SQLITE_OK) {
        if (sqlite3_step(stmt) == SQLITE_ROW) {
            pageSize = std::max<qint64>(512, sqlite3_column_int(stmt, 0));
        }
        sqlite3_finalize(stmt);
    }
    int unsynced = 0;
    int restarts = 0;
    std::optional<std::chrono::steady_clock::time_point> lockedSince;
    int lastRemaining = -1;
    int rc = SQLITE_OK;
    while (true) {
        if (options.cancel != nullptr && options.cancel->load()) {
            sqlite3_backup_finish(backup);
            return Fail(error, TBackupFault::Cancelled, QStringLiteral("the copy was cancelled"));
        }
        const bool entered = gate == nullptr || gate->Enter();
        rc = entered ? sqlite3_backup_step(backup, pagesPerStep) : SQLITE_BUSY;
        if (gate != nullptr && entered) {
            gate->Leave();
        }
        if (rc == SQLITE_DONE) {
            break;
        }
        if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED) {
            const auto now = std::chrono::steady_clock::now();
            lockedSince = lockedSince.value_or(now);
            if (now - *lockedSince > kMaxLockedTime) {
                break;
            }
            sqlite3_sleep(kRetryPauseMs);
            continue;
        }
        if (rc != SQLITE_OK) {
            break;
        }
        lockedSince.reset();
        const int remaining = sqlite3_backup_remaining(backup);
        // Another connection changed the source: the copy started over (a step always
        // makes progress otherwise).
        if (lastRemaining >= 0 && remaining >= lastRemaining && ++restarts > kMaxRestarts) {
            sqlite3_backup_finish(backup);
            *startOver = true;
            return Fail(error, TBackupFault::Busy, QStringLiteral("the database kept changing"));
        }
        unsynced += std::max(
            0, (lastRemaining >= 0 ? lastRemaining : sqlite3_backup_pagecount(backup)) - remaining);
        lastRemaining = remaining;
        if (options.flushEveryBytes > 0 && unsynced * pageSize >= options.flushEveryBytes) {
            SyncFile(partial);
            unsynced = 0;
        }
        if (options.progress) {
            const int total = sqlite3_backup_pagecount(backup);
            options.progress(total - remaining, total);
        }
        // The connection's mutex is not fair: without a pause the copy would take it again at
        // once, and the program's statements would wait for many steps instead of one.
        if (gate != nullptr) {
            sqlite3_sleep(kSharedPauseMs);
        }
    }
    // finish reports the first error of the copy; a copy given up on busy reports none.
    const int finished = sqlite3_backup_finish(backup);
    if (rc == SQLITE_DONE && finished == SQLITE_OK) {
        return true;
    }
    const int code = rc != SQLITE_DONE && rc != SQLITE_OK ? rc : finished;
    if ((code & 0xff) == SQLITE_BUSY || (code & 0xff) == SQLITE_LOCKED) {
        return Fail(error, TBackupFault::Busy,
                    QStringLiteral("the database stayed locked or kept changing"));
    }
    const QString text = sqlite3_errcode(dest) != SQLITE_OK
                             ? SqliteText(dest)
                             : QString::fromUtf8(sqlite3_errstr(code));
    return Fail(error, FaultOf(code), text);
}

} // namespace

bool OpenDatabaseFile(const QString& path, bool readOnly, sqlite3** db, QString* error) {
    *db = nullptr;
    if (!QFileInfo(path).isFile()) {
        *error = QStringLiteral("%1 does not exist").arg(path);
        return false;
    }
    const int flags = readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
    if (sqlite3_open_v2(path.toUtf8().constData(), db, flags, nullptr) != SQLITE_OK) {
        *error = QStringLiteral("%1 cannot be opened: %2").arg(path, SqliteText(*db));
        sqlite3_close_v2(*db);
        *db = nullptr;
        return false;
    }
    sqlite3_extended_result_codes(*db, 1);
    sqlite3_busy_timeout(*db, kBusyTimeoutMs);
    // Opening is lazy; reading the catalogue proves the file is a database at all.
    const int rc =
        sqlite3_exec(*db, "select count(*) from sqlite_master", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        *error =
            ((rc & 0xff) == SQLITE_CORRUPT ? QStringLiteral("%1 is damaged (%2)")
                                           : QStringLiteral("%1 is not an SQLite database (%2)"))
                .arg(path, SqliteText(*db));
        sqlite3_close_v2(*db);
        *db = nullptr;
        return false;
    }
    return true;
}

bool SharableConnection(sqlite3* connection) {
    return connection != nullptr && sqlite3_db_mutex(connection) != nullptr;
}

bool CopyDatabase(const QString& source, const QString& target, TBackupError* error,
                  const TCopyOptions& options) {
    if (QFileInfo::exists(target)) {
        return Fail(error, TBackupFault::Exists, QStringLiteral("%1 exists already").arg(target));
    }
    const bool shared = SharableConnection(options.connection);
    QString text;
    // Read-write, so that a journal left by a crash is rolled back rather than copied;
    // nothing else is written to the source. Through a shared connection this one only
    // takes the read lock for each step.
    sqlite3* own = nullptr;
    if (!OpenDatabaseFile(source, false, &own, &text)) {
        return Fail(error, TBackupFault::Source, text);
    }
    sqlite3* src = shared ? options.connection : own;
    std::optional<TStepGate> gate;
    if (shared) {
        gate.emplace(own, options.connection);
    }
    const QString partial = PartialCopyPath(target);
    QFile::remove(partial);
    // In steps first; when other connections keep changing the source, once more with the
    // whole file in one step on the copy's own connection (never the program's: its
    // statements would wait for the whole copy).
    bool ok = false;
    bool startOver = false;
    for (int attempt = 0; attempt < 2 && !ok && (attempt == 0 || startOver); ++attempt) {
        QFile::remove(partial);
        sqlite3* dest = nullptr;
        if (sqlite3_open_v2(partial.toUtf8().constData(), &dest,
                            SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
            Fail(error, TBackupFault::NotWritable,
                 QStringLiteral("%1 cannot be written: %2").arg(partial, SqliteText(dest)));
            sqlite3_close_v2(dest);
            break;
        }
        sqlite3_extended_result_codes(dest, 1);
        // The partial file is thrown away on any failure: no journal needed; it is made
        // durable as it grows and once more before the rename.
        sqlite3_exec(dest, "pragma journal_mode = off; pragma synchronous = off", nullptr, nullptr,
                     nullptr);
        startOver = false;
        ok = attempt == 0 ? RunBackup(src, dest, gate ? &*gate : nullptr, options.pagesPerStep,
                                      partial, options, error, &startOver)
                          : RunBackup(own, dest, nullptr, -1, partial, options, error, &startOver);
        // A copy of a database in WAL mode would otherwise need a WAL file beside it.
        if (ok && sqlite3_exec(dest, "pragma journal_mode = delete", nullptr, nullptr, nullptr) !=
                      SQLITE_OK) {
            ok = Fail(error, FaultOf(sqlite3_errcode(dest)), SqliteText(dest));
        }
        sqlite3_close_v2(dest);
    }
    sqlite3_close_v2(own);
    const QString folder = QFileInfo(target).absolutePath();
    if (ok && !SyncFile(partial)) {
        ok = Fail(error, TBackupFault::Other, QStringLiteral("%1 cannot be flushed").arg(partial));
    }
    if (ok && !ReplaceFile(partial, target)) {
        ok = Fail(error, TBackupFault::NotWritable,
                  QStringLiteral("%1 cannot be renamed to %2").arg(partial, target));
    }
    if (!ok) {
        QFile::remove(partial);
        return false;
    }
    SyncFolder(folder);
    return true;
}

QString BackupFolder(const QString& databasePath) {
    return QFileInfo(databasePath).absoluteDir().filePath(QLatin1String(kBackupFolderName));
}

bool TakeBackup(const QString& databasePath, const QDateTime& now, bool rotate, QString* copyPath,
                TBackupError* error, const TCopyOptions& options) {
    const QString folder = BackupFolder(databasePath);
    if (!QDir().mkpath(folder) || !QFileInfo(folder).isDir()) {
        return Fail(error, TBackupFault::NotWritable,
                    QStringLiteral("the folder %1 cannot be created").arg(folder));
    }
    RemoveAbandonedPartials(folder);
    // Two copies within a second (a start and a command) get neighbouring names.
    QDateTime when = now;
    QString target = QDir(folder).filePath(BackupFileName(when));
    for (int i = 0; i < 60 && QFileInfo::exists(target); ++i) {
        when = when.addSecs(1);
        target = QDir(folder).filePath(BackupFileName(when));
    }
    if (!CopyDatabase(databasePath, target, error, options)) {
        return false;
    }
    if (rotate) {
        // The new copy is the newest of the present ones, so the rotation keeps it.
        RotateBackups(folder, when);
        if (!QFileInfo::exists(target)) {
            return Fail(error, TBackupFault::Other,
                        QStringLiteral("%1 was removed by the rotation").arg(target));
        }
    }
    if (copyPath != nullptr) {
        *copyPath = target;
    }
    return true;
}

TAutoResult BackupIfDue(const QString& databasePath, const QDateTime& now, QString* copyPath,
                        TBackupError* error, const TCopyOptions& options) {
    const QString folder = BackupFolder(databasePath);
    const QStringList names = QDir(folder).entryList(QDir::Files);
    for (const QString& name : names) {
        // Only a whole copy counts: a name alone (an empty file, one cut short) does not.
        if (BackupTime(name).date() == now.date() && IsCompleteCopy(QDir(folder).filePath(name))) {
            return TAutoResult::NotDue;
        }
    }
    return TakeBackup(databasePath, now, true, copyPath, error, options) ? TAutoResult::Taken
                                                                         : TAutoResult::Failed;
}

QList<TBackupInfo> ListBackups(const QString& folder) {
    QList<TBackupInfo> list;
    const QDir dir(folder);
    for (const QFileInfo& file : dir.entryInfoList(QDir::Files)) {
        TBackupInfo info;
        info.taken = BackupTime(file.fileName());
        if (!info.taken.isValid()) {
            info.taken = BeforeRestoreTime(file.fileName());
            info.beforeRestore = info.taken.isValid();
        }
        if (!info.taken.isValid()) {
            continue;
        }
        info.path = file.absoluteFilePath();
        info.size = file.size();
        sqlite3* db = nullptr;
        QString ignored;
        if (OpenDatabaseFile(info.path, true, &db, &ignored)) {
            sqlite3_stmt* stmt = nullptr;
            if (sqlite3_prepare_v2(db, "select count(*) from USERS where ID >= 100", -1, &stmt,
                                   nullptr) == SQLITE_OK &&
                sqlite3_step(stmt) == SQLITE_ROW) {
                info.learners = sqlite3_column_int(stmt, 0);
            }
            sqlite3_finalize(stmt);
            sqlite3_close_v2(db);
        }
        list << info;
    }
    std::sort(list.begin(), list.end(),
              [](const TBackupInfo& a, const TBackupInfo& b) { return a.taken > b.taken; });
    return list;
}
