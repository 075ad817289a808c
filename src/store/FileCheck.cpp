#include "store/FileCheck.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <sqlite3.h>

namespace {

enum class TContent { Sound, NotDatabase, Damaged, NeedsRecovery, Busy };

// Another process writing the file for longer than this leaves the check undone: the
// program waits for such a writer itself.
constexpr int kCheckBusyTimeoutMs = 5000;

TContent FromCode(int rc) {
    switch (rc) {
    case SQLITE_READONLY_ROLLBACK:
        return TContent::NeedsRecovery;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return TContent::Busy;
    default:
        break;
    }
    switch (rc & 0xff) {
    case SQLITE_CORRUPT:
    case SQLITE_IOERR: // a page cannot be read whole, e.g. a cut-off file
        return TContent::Damaged;
    default:
        return TContent::NotDatabase;
    }
}

TContent InspectReadOnly(const QString& path) {
    sqlite3* db = nullptr;
    const QByteArray utf8 = path.toUtf8();
    if (sqlite3_open_v2(utf8.constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close_v2(db);
        return TContent::NotDatabase;
    }
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, kCheckBusyTimeoutMs);
    TContent result = TContent::Sound;
    sqlite3_stmt* stmt = nullptr;
    // quick_check(1): stop at the first fault; its one row reads "ok" when there is none.
    int rc = sqlite3_prepare_v2(db, "pragma quick_check(1)", -1, &stmt, nullptr);
    if (rc == SQLITE_OK) {
        rc = sqlite3_step(stmt);
    }
    if (rc == SQLITE_ROW) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
        if (text == nullptr || qstrcmp(text, "ok") != 0) {
            result = TContent::Damaged;
        }
    } else {
        result = FromCode(sqlite3_extended_errcode(db));
    }
    sqlite3_finalize(stmt);
    sqlite3_close_v2(db);
    return result;
}

// Rolls back what an interrupted writer left in the journal: the first read on a writable
// connection does it.
void Recover(const QString& path) {
    sqlite3* db = nullptr;
    const QByteArray utf8 = path.toUtf8();
    if (sqlite3_open_v2(utf8.constData(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
        sqlite3_busy_timeout(db, kCheckBusyTimeoutMs);
        sqlite3_exec(db, "select count(*) from sqlite_master", nullptr, nullptr, nullptr);
    }
    sqlite3_close_v2(db);
}

// Opening for writing writes nothing; it fails on a write-protected file, an immutable file
// and a read-only mount alike, also for root, whom permission bits do not stop.
bool FileTakesWrites(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadWrite | QIODevice::ExistingOnly);
}

// SQLite writes its rollback journal beside the database (beside the target of a link); a
// probe file is the one sure test.
bool FolderTakesWrites(const QString& path) {
    const QDir folder = QFileInfo(QFileInfo(path).canonicalFilePath()).absoluteDir();
    QTemporaryFile probe(folder.filePath(QStringLiteral(".probe-XXXXXX")));
    return probe.open();
}

} // namespace

TFileFitness CheckDatabaseFile(const QString& path) {
    TContent content = InspectReadOnly(path);
    const bool fileWritable = FileTakesWrites(path);
    const bool folderWritable = FolderTakesWrites(path);
    if (content == TContent::NeedsRecovery && fileWritable && folderWritable) {
        Recover(path);
        content = InspectReadOnly(path);
    }
    switch (content) {
    case TContent::NotDatabase:
        return TFileFitness::NotDatabase;
    case TContent::Damaged:
        return TFileFitness::Damaged;
    case TContent::Sound:
    case TContent::Busy:          // left unchecked: the program itself waits for that writer
    case TContent::NeedsRecovery: // here the file or its folder refuses writes
        break;
    }
    if (!fileWritable) {
        return TFileFitness::ReadOnlyFile;
    }
    if (!folderWritable) {
        return TFileFitness::ReadOnlyFolder;
    }
    return content == TContent::NeedsRecovery ? TFileFitness::Damaged : TFileFitness::Usable;
}
