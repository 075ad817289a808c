#include "store/AdoChannel.h"

#include "common/Errors.h"

#include <QFileInfo>
#include <algorithm>
#include <sqlite3.h>
#include <utility>

namespace {

// How long a statement waits for another process that holds the file.
constexpr int kBusyTimeoutMs = 5000;
// How long one sleep of a wait for the file lasts at most.
constexpr qint64 kWaitStepMs = 10;

// The value of one "key=value" entry; entries are separated by semicolons, and a value in
// double quotes may hold semicolons (a quote inside is doubled).
QString ConnectionEntry(const QString& connectionString, const QString& key) {
    qsizetype i = 0;
    const qsizetype n = connectionString.size();
    while (i < n) {
        const qsizetype eq = connectionString.indexOf(QLatin1Char('='), i);
        if (eq < 0) {
            break;
        }
        const QString name = connectionString.mid(i, eq - i).trimmed();
        qsizetype j = eq + 1;
        while (j < n && connectionString[j] == QLatin1Char(' ')) {
            ++j;
        }
        QString value;
        if (j < n && connectionString[j] == QLatin1Char('"')) {
            for (++j; j < n; ++j) {
                if (connectionString[j] == QLatin1Char('"')) {
                    if (j + 1 < n && connectionString[j + 1] == QLatin1Char('"')) {
                        value += QLatin1Char('"');
                        ++j;
                    } else {
                        ++j;
                        break;
                    }
                } else {
                    value += connectionString[j];
                }
            }
            const qsizetype end = connectionString.indexOf(QLatin1Char(';'), j);
            j = end < 0 ? n : end;
        } else {
            const qsizetype end = connectionString.indexOf(QLatin1Char(';'), j);
            value = connectionString.mid(j, (end < 0 ? n : end) - j).trimmed();
            j = end < 0 ? n : end;
        }
        if (name.compare(key, Qt::CaseInsensitive) == 0) {
            return value;
        }
        i = j + 1;
    }
    return QString();
}

// A value that holds a semicolon or a quote, or begins or ends with a blank, goes in quotes.
QString ConnectionValue(const QString& value) {
    if (!value.contains(QLatin1Char(';')) && !value.contains(QLatin1Char('"')) &&
        value.trimmed() == value) {
        return value;
    }
    QString quoted = value;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

} // namespace

TAdoChannel::TAdoChannel() : busyTimeoutMs_(kBusyTimeoutMs) {}

TAdoChannel::~TAdoChannel() {
    Disconnect();
    CloseJournal();
}

void TAdoChannel::Disconnect() {
    namedQueries_.clear();
    querySlots_.clear();
    for (auto& [sql, stmt] : statements_) {
        sqlite3_finalize(stmt);
    }
    statements_.clear();
    if (db_ != nullptr) {
        sqlite3_close_v2(db_);
        db_ = nullptr;
    }
    path_.clear();
}

bool TAdoChannel::OpenDatabase(const QString& fileName, const QString& password) {
    return Connect(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=%1; Jet "
                                  "OLEDB:Database Password=%2;Jet OLEDB:Engine Type=5")
                       .arg(ConnectionValue(fileName), ConnectionValue(password)));
}

bool TAdoChannel::Connect(const QString& connectionString) {
    Disconnect();
    const QString file = ConnectionEntry(connectionString, QStringLiteral("Data Source"));
    const QString password =
        ConnectionEntry(connectionString, QStringLiteral("Jet OLEDB:Database Password"));
    if (file.isEmpty() || !password.isEmpty() || !QFileInfo(file).isFile()) {
        return false;
    }
    sqlite3* db = nullptr;
    const QByteArray utf8 = file.toUtf8();
    if (sqlite3_open_v2(utf8.constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close_v2(db);
        return false;
    }
    sqlite3_extended_result_codes(db, 1);
    db_ = db;
    WaitForTheFile(busyTimeoutMs_);
    // Opening is lazy; reading the catalogue proves the file is a database at all.
    if (sqlite3_exec(db, "select count(*) from sqlite_master", nullptr, nullptr, nullptr) !=
        SQLITE_OK) {
        sqlite3_close_v2(db);
        db_ = nullptr;
        return false;
    }
    // A learner's whole progress fits in memory; the default 2 MB page cache would reread
    // the file on every due-word selection of a large set of books.
    sqlite3_exec(db, "pragma cache_size = -16384", nullptr, nullptr, nullptr);
    path_ = file;
    return true;
}

TAdoQuery* TAdoChannel::OpenQuery(const QString& sql, int slot) {
    const int count = SlotCount();
    if (slot < 1 || slot > count + 1) {
        return nullptr;
    }
    if (slot == count + 1) {
        querySlots_.push_back(std::make_unique<TAdoQuery>(*this));
    }
    TAdoQuery* query = querySlots_[static_cast<size_t>(slot - 1)].get();
    query->Close();
    query->SetSQL(sql);
    return query->Open() ? query : nullptr;
}

TAdoQuery* TAdoChannel::OpenNamedQuery(const QString& name, const QString& sql) {
    TAdoQuery* query = nullptr;
    for (auto& [key, q] : namedQueries_) {
        if (key.compare(name, Qt::CaseInsensitive) == 0) {
            query = q.get();
            break;
        }
    }
    if (query == nullptr) {
        namedQueries_.emplace_back(name, std::make_unique<TAdoQuery>(*this));
        query = namedQueries_.back().second.get();
    }
    query->Close();
    query->SetSQL(sql);
    return query->Open() ? query : nullptr;
}

void TAdoChannel::BeforeWrite() {
    for (auto& q : querySlots_) {
        if (q->Fetching()) {
            q->FetchAll();
        }
    }
    for (auto& [name, q] : namedQueries_) {
        if (q->Fetching()) {
            q->FetchAll();
        }
    }
}

bool TAdoChannel::Execute(const QString& sql) {
    if (db_ == nullptr) {
        return false;
    }
    BeforeWrite();
    const QByteArray utf8 = sql.toUtf8();
    return sqlite3_exec(db_, utf8.constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

bool TAdoChannel::ExecuteList(const QStringList& sqls) {
    for (const QString& sql : sqls) {
        if (!Execute(sql)) {
            return false;
        }
    }
    return true;
}

bool TAdoChannel::ExecuteInTransaction(const QString& sql) {
    BeginTransaction();
    const bool ok = Execute(sql);
    ok ? Commit() : Rollback();
    return ok;
}

bool TAdoChannel::ExecuteListInTransaction(const QStringList& sqls) {
    BeginTransaction();
    const bool ok = ExecuteList(sqls);
    ok ? Commit() : Rollback();
    return ok;
}

void TAdoChannel::RunControl(const char* sql) {
    if (db_ == nullptr) {
        throw EDatabaseError("Connection is not open");
    }
    if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK) {
        throw EDatabaseError(LastError().toStdString());
    }
}

void TAdoChannel::BeginTransaction() {
    RunControl("begin");
}

void TAdoChannel::Commit() {
    if (db_ == nullptr) {
        throw EDatabaseError("Connection is not open");
    }
    if (sqlite3_exec(db_, "commit", nullptr, nullptr, nullptr) != SQLITE_OK) {
        // A commit refused (another program reads the file) leaves the transaction open and
        // its locks held; end it, or every later write of this run would fail.
        const std::string message = LastError().toStdString();
        if (InTransaction()) {
            sqlite3_exec(db_, "rollback", nullptr, nullptr, nullptr);
        }
        throw EDatabaseError(message);
    }
}

void TAdoChannel::Rollback() {
    // After a full disk or an I/O error SQLite has rolled back already.
    if (db_ != nullptr && !InTransaction()) {
        return;
    }
    RunControl("rollback");
}

void TAdoChannel::SetBusyTimeout(int ms) {
    busyTimeoutMs_ = ms;
    WaitForTheFile(ms);
}

// SQLite's own busy timeout sleeps in growing steps (1, 2, 5, 10 ms …); on a loaded machine
// every sleep overshoots, and a 50 ms wait takes three times as long. This one counts the
// time that really passed and sleeps in few steps.
void TAdoChannel::WaitForTheFile(int ms) {
    if (db_ == nullptr) {
        return;
    }
    waitMs_ = ms;
    if (ms <= 0) {
        sqlite3_busy_handler(db_, nullptr, nullptr);
        return;
    }
    sqlite3_busy_handler(
        db_,
        [](void* self, int attempt) -> int {
            auto* channel = static_cast<TAdoChannel*>(self);
            if (attempt == 0 && !channel->shared_) {
                channel->waiting_.start();
            }
            const qint64 left = channel->waitMs_ - channel->waiting_.elapsed();
            if (left <= 0) {
                return 0;
            }
            sqlite3_sleep(static_cast<int>(std::min<qint64>(left, kWaitStepMs)));
            return 1;
        },
        this);
}

bool TAdoChannel::InTransaction() const {
    return db_ != nullptr && sqlite3_get_autocommit(db_) == 0;
}

int TAdoChannel::LastErrorCode() const {
    return db_ == nullptr ? SQLITE_CANTOPEN : sqlite3_extended_errcode(db_);
}

bool TAdoChannel::LastErrorIsBusy() const {
    const int primary = LastErrorCode() & 0xff;
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

QString TAdoChannel::LastError() const {
    return db_ == nullptr ? QStringLiteral("Connection is not open")
                          : QString::fromUtf8(sqlite3_errmsg(db_));
}

sqlite3_stmt* TAdoChannel::CachedStatement(const QString& sql) {
    if (db_ == nullptr) {
        return nullptr;
    }
    auto it = statements_.find(sql);
    if (it != statements_.end()) {
        return it->second;
    }
    const QByteArray utf8 = sql.toUtf8();
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db_, utf8.constData(), static_cast<int>(utf8.size()), &stmt, nullptr) !=
        SQLITE_OK) {
        sqlite3_finalize(stmt);
        return nullptr;
    }
    statements_.emplace(sql, stmt);
    return stmt;
}

TTransaction::TTransaction(TAdoChannel& channel) : channel_(channel) {
    channel_.BeginTransaction();
}

TTransaction::~TTransaction() {
    if (!done_) {
        try {
            channel_.Rollback();
        } catch (const EDatabaseError&) {
            // Nothing to undo when the transaction is already gone.
        }
    }
}

void TTransaction::Commit() {
    channel_.Commit();
    done_ = true;
}
