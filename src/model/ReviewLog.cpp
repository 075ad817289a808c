#include "ReviewLog.h"

#include "Channels.h"
#include "Errors.h"

namespace {

// The learner's passes are read by time: the index covers what the day counts need, so
// they never touch the table itself.
const char* const kCreate[] = {
    "create table if not exists ReviewLog (USER_ID integer, BOOK_ID integer, WORD_ID integer, "
    "REVIEW_DATE real, KNOWN integer, ABILITY_BEFORE integer, ABILITY_AFTER integer, "
    "ROUND_BEFORE integer, ROUND_AFTER integer, REVIEW_MODE integer)",
    "create index if not exists IX_ReviewLog_User_Date on ReviewLog(USER_ID, REVIEW_DATE, "
    "KNOWN, ROUND_BEFORE)",
    // The learner's and the subscription's own deletes take the rows with them, in the same
    // transaction, whoever deletes them (the program, a tool, the sqlite3 shell).
    "create trigger if not exists TR_ReviewLog_User after delete on USERS begin "
    "delete from ReviewLog where USER_ID = old.ID; end",
    "create trigger if not exists TR_ReviewLog_UserBook after delete on UserBooks begin "
    "delete from ReviewLog where USER_ID = old.USERID and BOOK_ID = old.BOOKID; end",
};

} // namespace

bool EnsureReviewLog(TAdoChannel& channel) {
    if (!channel.Connected()) {
        return false;
    }
    if (HasReviewLog(channel)) {
        // The triggers and the index may be missing from a table made by hand.
        TAdoQuery* q = channel.OpenQuery(
            QStringLiteral("select count(*) as N from sqlite_master where name in "
                           "('IX_ReviewLog_User_Date', 'TR_ReviewLog_User', "
                           "'TR_ReviewLog_UserBook')"),
            1);
        const bool complete = q != nullptr && !q->Eof() && q->AsInteger(QStringLiteral("N")) == 3;
        if (q != nullptr) {
            q->Close();
        }
        if (complete) {
            return true;
        }
    }
    QStringList sqls;
    for (const char* sql : kCreate) {
        sqls << QString::fromLatin1(sql);
    }
    try {
        return channel.ExecuteListInTransaction(sqls);
    } catch (const EDatabaseError&) {
        return false; // a refused commit: the file takes no writes
    }
}

bool HasReviewLog(TAdoChannel& channel) {
    TAdoQuery* q = channel.OpenQuery(
        QStringLiteral("select count(*) as N from sqlite_master where type = 'table' and "
                       "name = 'ReviewLog' collate nocase"),
        1);
    const bool has = q != nullptr && !q->Eof() && q->AsInteger(QStringLiteral("N")) > 0;
    if (q != nullptr) {
        q->Close();
    }
    return has;
}

QString ReviewLogInsert(const TPass& p) {
    return SqlFormat("insert into ReviewLog (USER_ID, BOOK_ID, WORD_ID, REVIEW_DATE, KNOWN, "
                     "ABILITY_BEFORE, ABILITY_AFTER, ROUND_BEFORE, ROUND_AFTER, REVIEW_MODE) "
                     "values (%d, %d, %d, %s, %d, %d, %d, %d, %d, %d)",
                     {p.UserID, p.BookID, p.WordID, QString::number(p.Time, 'f', 6),
                      p.Known ? 1 : 0, p.AbilityBefore, p.AbilityAfter, p.RoundBefore, p.RoundAfter,
                      p.ReviewMode ? 1 : 0});
}
