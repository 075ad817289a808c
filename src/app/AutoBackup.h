#pragma once

#include "backup/Backup.h"
#include "store/DayNumber.h"

#include <QDate>
#include <QObject>
#include <QString>
#include <atomic>
#include <thread>

class QTimer;

// The program's automatic copy of its database: one per calendar day, taken when the word
// window is up and again when a new day begins while the program runs. The copy runs on a
// thread of its own, so the word window and the cycle never wait for it; its outcome comes
// back to the GUI thread, where a failure is reported once (until a copy succeeds again).
class TAutoBackup : public QObject {
public:
    TAutoBackup(QString databasePath, TClock clock, QObject* parent = nullptr);
    ~TAutoBackup() override; // stops a running copy (its partial file goes) and waits for it
    TAutoBackup(const TAutoBackup&) = delete;
    TAutoBackup& operator=(const TAutoBackup&) = delete;

    // Copies through the program's own connection to the database (see TCopyOptions).
    void ShareConnection(sqlite3* connection) { connection_ = connection; }
    // Checks now, then every minute.
    void Start();
    // Starts the day's copy unless this day was seen already or a copy runs.
    void CheckDay();
    bool Busy() const { return running_; }
    // The outcome of the last copy that ended (for tests and the status of the program).
    TAutoResult LastResult() const { return lastResult_; }

    // The message shown when a copy fails.
    static QString FailureText(const TBackupError& error, const QString& folder);

private:
    void Finished(TAutoResult result, const TBackupError& error);

    QString databasePath_;
    TClock clock_;
    QTimer* tmBackup = nullptr;
    std::thread worker_;
    std::atomic<bool> cancel_{false};
    sqlite3* connection_ = nullptr;
    QDate lastDay_;
    TAutoResult lastResult_ = TAutoResult::NotDue;
    bool running_ = false;
    bool reported_ = false;
};
