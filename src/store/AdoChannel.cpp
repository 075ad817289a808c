#include "AdoChannel.h"

#include "Errors.h"

#include <QFileInfo>
#include <sqlite3.h>

namespace {

// How long a statement waits for another process that holds the file.
constexpr int kBusyTimeoutMs = 5000;

QString ConnectionEntry(const QString& connectionString, const QString& key) {
    const QStringList parts = connectionString.split(QLatin1Char(';'));
    for (const QString& part : parts) {
        const qsizetype eq = part.indexOf(QLatin1Char('='));
        if (eq < 0) {
            continue;
        }
        if (part.left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0) {
            return part.mid(eq + 1).trimmed();
        }
    }
    return QString();
}

} // namespace

TAdoChannel::TAdoChannel() = default;

TAdoChannel::~TAdoChannel() {
    Disconnect();
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
                       .arg(fileName, password));
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
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    sqlite3_extended_result_codes(db, 1);
    // Opening is lazy; reading the catalogue proves the file is a database at all.
    if (sqlite3_exec(db, "select count(*) from sqlite_master", nullptr, nullptr, nullptr) !=
        SQLITE_OK) {
        sqlite3_close_v2(db);
        return false;
    }
    // A learner's whole progress fits in memory; the default 2 MB page cache would reread
    // the file on every due-word selection of a large set of books.
    sqlite3_exec(db, "pragma cache_size = -16384", nullptr, nullptr, nullptr);
    db_ = db;
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
    RunControl("commit");
}

void TAdoChannel::Rollback() {
    RunControl("rollback");
}

bool TAdoChannel::InTransaction() const {
    return db_ != nullptr && sqlite3_get_autocommit(db_) == 0;
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
