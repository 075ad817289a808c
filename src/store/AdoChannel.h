#pragma once

#include "store/AdoQuery.h"

#include <QElapsedTimer>
#include <QString>
#include <QStringList>
#include <functional>
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

    // Builds the "Data Source=" connection string for fileName and connects with it.
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

    // Writes that must not be lost (the learner's progress). A unit is one or more statements
    // made together. Each unit is made in one transaction together with the units kept
    // before it, in order, waiting only briefly for the file. When another program holds the
    // file, or the disk or the file refuses the write, the units are kept: in memory and, once
    // a journal is open, appended to it and flushed to disk before the call returns, so no
    // unit is lost when the process is killed. They are made at the next call or FlushKept,
    // and the journal is removed once none is left. A unit with a statement the database
    // refuses for good (not for want of the file) is dropped, so it cannot hold back those
    // after it. True when everything kept so far is in the database.
    bool ExecuteKept(const QString& sql) { return ExecuteKept(QStringList{sql}); }
    bool ExecuteKept(const QStringList& unit);
    // Keeps a unit for the next attempt without trying it now.
    void Keep(const QStringList& unit) { kept_ << unit; }
    void Keep(const QString& sql) { Keep(QStringList{sql}); }
    bool FlushKept(int waitMs = kKeptWaitMs);
    const QList<QStringList>& KeptWrites() const { return kept_; }
    // The SQLite result code of the last failed attempt (0 after a success), and whether it
    // only meant that another program held the file.
    int LastKeptFailure() const { return keptFailure_; }
    bool KeptFailureIsBusy() const;
    // Statements refused for good since the last call, for a report.
    QStringList TakeDroppedWrites();

    // The journal of kept units: a file of one line per unit, its statements separated by
    // tabs. Opening reads the units a killed or refused run left (only lines that end and
    // whose every statement `accept` takes; a torn last line is ignored) and keeps them
    // first. A journal that is not a regular file (a pipe, a link, a device) is never opened:
    // it is renamed aside and *setAside names it (empty when it could not be moved).
    struct TJournalOpening {
        int units = 0;         // units read back
        bool setAside = false; // the file was not a regular file
        QString setAsideAs;    // where it went
    };
    TJournalOpening OpenKeptJournal(const QString& path,
                                    const std::function<bool(const QString&)>& accept);
    // Makes the journal hold exactly the kept units (appending what is new, or writing it
    // anew); false when the disk refused. Done by every ExecuteKept and FlushKept.
    bool SyncKeptJournal();
    bool KeptJournalComplete() const {
        return kept_.isEmpty() || (journalFd_ >= 0 && journaled_ == kept_.size() && !journalStale_);
    }
    const QString& KeptJournalPath() const { return journalPath_; }

    // How long a kept write waits for the file on the caller's thread: the learner's window
    // must not freeze while a backup or another tool reads the database.
    static constexpr int kKeptWaitMs = 40;

    // How long a statement waits for another process that holds the file (5 s by default).
    void SetBusyTimeout(int ms);
    int BusyTimeout() const { return busyTimeoutMs_; }
    // The SQLite result code of the last failure on this connection, and whether it only
    // meant that another program held the file.
    int LastErrorCode() const;
    bool LastErrorIsBusy() const;

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
    void WaitForTheFile(int ms);
    friend class TShortWait;
    // From now on every statement's wait counts from here, so that together they wait no
    // longer than the timeout (a query waits once to read the schema and again for its rows).
    void StartSharedWait() {
        shared_ = true;
        waiting_.start();
    }
    void EndSharedWait() { shared_ = false; }

    std::vector<std::pair<QString, std::unique_ptr<TAdoQuery>>> namedQueries_;
    std::vector<std::unique_ptr<TAdoQuery>> querySlots_;
    std::unordered_map<QString, sqlite3_stmt*> statements_;
    bool AppendToJournal();
    bool WriteJournal();
    void CloseJournal();

    QList<QStringList> kept_;
    QStringList dropped_;
    QString journalPath_;
    int journalFd_ = -1;
    qsizetype journaled_ = 0;   // the first kept units that are in the journal
    bool journalStale_ = false; // it holds units no longer kept, or a torn line
    int keptFailure_ = 0;
    int busyTimeoutMs_;
    int waitMs_ = 0;        // the wait now in force
    QElapsedTimer waiting_; // since the first refusal of the statement now waiting
    bool shared_ = false;   // one wait for every statement until EndSharedWait
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

// Sets a connection's busy timeout for its lifetime: the window's thread waits only this long
// for another program that holds the file.
class TShortWait {
public:
    TShortWait(TAdoChannel& channel, int ms) : channel_(channel), before_(channel.BusyTimeout()) {
        channel_.SetBusyTimeout(ms);
        channel_.StartSharedWait();
    }
    ~TShortWait() {
        channel_.EndSharedWait();
        channel_.SetBusyTimeout(before_);
    }
    TShortWait(const TShortWait&) = delete;
    TShortWait& operator=(const TShortWait&) = delete;

private:
    TAdoChannel& channel_;
    int before_;
};
