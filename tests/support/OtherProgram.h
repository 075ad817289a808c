#pragma once

#include <QString>
#include <sqlite3.h>

// Another program with the same database file open: it reads (holding the file against
// writers' commits) or writes (holding it against everyone) until it lets go.
class TOtherProgram {
public:
    explicit TOtherProgram(const QString& path) {
        sqlite3_open_v2(path.toUtf8().constData(), &db_, SQLITE_OPEN_READWRITE, nullptr);
    }
    ~TOtherProgram() {
        LetGo();
        sqlite3_close_v2(db_);
    }
    TOtherProgram(const TOtherProgram&) = delete;
    TOtherProgram& operator=(const TOtherProgram&) = delete;

    bool Read() { return Run("begin; select count(*) from Recite;"); }
    bool Write() { return Run("begin exclusive"); }
    void LetGo() {
        if (sqlite3_get_autocommit(db_) == 0) {
            Run("rollback");
        }
    }

private:
    bool Run(const char* sql) {
        return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    sqlite3* db_ = nullptr;
};
