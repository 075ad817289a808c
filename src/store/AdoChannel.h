#pragma once

#include "AdoQuery.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// The program's single way into its database file. Statements that return rows run in
// numbered query slots (opening a slot again discards its previous rows) or in named
// queries that keep their rows while the slots are reused. Statement failures never raise:
// they come back as false or as no result set. Only the transaction control calls raise
// EDatabaseError.
class TAdoChannel {
public:
    TAdoChannel();
    ~TAdoChannel();
    TAdoChannel(const TAdoChannel&) = delete;
    TAdoChannel& operator=(const TAdoChannel&) = delete;

    // Formats the connection string of the original provider and connects with it.
    bool OpenDatabase(const QString& fileName, const QString& password);
    // Reads the file from the "Data Source=" entry. The file must exist and be an SQLite
    // database; a database password is not supported and fails the connection.
    bool Connect(const QString& connectionString);
    bool Connected() const { return db_ != nullptr; }
    const QString& DatabasePath() const { return path_; }

    TAdoQuery* OpenQuery(const QString& sql, int slot);
    TAdoQuery* OpenNamedQuery(const QString& name, const QString& sql);
    int SlotCount() const { return static_cast<int>(querySlots_.size()); }

    bool Execute(const QString& sql);
    bool ExecuteList(const QStringList& sqls);
    bool ExecuteInTransaction(const QString& sql);
    bool ExecuteListInTransaction(const QStringList& sqls);

    // A commit that fails ends the transaction (rolled back) before it raises, and a roll-back
    // of a transaction SQLite has already ended does nothing: no call leaves a transaction
    // open behind it.
    void BeginTransaction();
    void Commit();
    void Rollback();
    bool InTransaction() const;

    // Writes that must not be lost (the learner's progress). Each is made in one transaction
    // together with the writes kept before it, in order, waiting only briefly for the file.
    // When another program holds the file, or the disk or the file refuses the write, they
    // are kept and made at the next call or FlushKept. A statement the database refuses for
    // good (not for want of the file) is dropped, so it cannot hold back those after it.
    // True when everything kept so far is in the file.
    bool ExecuteKept(const QString& sql);
    // Keeps a write for the next attempt without trying it now.
    void Keep(const QString& sql) { kept_ << sql; }
    bool FlushKept(int waitMs = kKeptWaitMs);
    const QStringList& KeptWrites() const { return kept_; }
    // The SQLite result code of the last failed attempt (0 after a success), and whether it
    // only meant that another program held the file.
    int LastKeptFailure() const { return keptFailure_; }
    bool KeptFailureIsBusy() const;
    // Statements dropped since the last call, for a report.
    QStringList TakeDroppedWrites();

    // How long a kept write waits for the file on the caller's thread: the learner's window
    // must not freeze while a backup or another tool reads the database.
    static constexpr int kKeptWaitMs = 60;

    // How long a statement waits for another process that holds the file (5 s by default).
    void SetBusyTimeout(int ms);

    // The database's message for the last failure on this connection.
    QString LastError() const;

    // For result sets: the connection, a prepared statement kept for reuse, and the rule
    // that every open result set reads its remaining rows before anything is written.
    sqlite3* Handle() const { return db_; }
    sqlite3_stmt* CachedStatement(const QString& sql);
    void BeforeWrite();

private:
    void Disconnect();
    void RunControl(const char* sql);

    std::vector<std::pair<QString, std::unique_ptr<TAdoQuery>>> namedQueries_;
    std::vector<std::unique_ptr<TAdoQuery>> querySlots_;
    std::unordered_map<QString, sqlite3_stmt*> statements_;
    QStringList kept_;
    QStringList dropped_;
    int keptFailure_ = 0;
    int busyTimeoutMs_;
    sqlite3* db_ = nullptr;
    QString path_;
};

// Rolls back unless committed: for callers that run several writes as one unit.
class TTransaction {
public:
    explicit TTransaction(TAdoChannel& channel);
    ~TTransaction();
    TTransaction(const TTransaction&) = delete;
    TTransaction& operator=(const TTransaction&) = delete;
    void Commit();

private:
    TAdoChannel& channel_;
    bool done_ = false;
};
