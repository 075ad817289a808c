#include "model/ReviewLog.h"

#include "common/Errors.h"
#include "store/Channels.h"

#include <QRegularExpression>
#include <QStringList>

namespace {

// The day counts (ReviewDay) follow every insert through a trigger, so the statistics read a
// few hundred rows instead of a year of passes. The learner's and the subscription's own
// deletes take the rows of both tables with them, in the same transaction, whoever deletes
// them (the program, a tool, the sqlite3 shell).
const char* const kCreate[] = {
    "create table if not exists ReviewLog (USER_ID integer, BOOK_ID integer, WORD_ID integer, "
    "REVIEW_DATE real, KNOWN integer, ABILITY_BEFORE integer, ABILITY_AFTER integer, "
    "ROUND_BEFORE integer, ROUND_AFTER integer, REVIEW_MODE integer)",
    "create index if not exists IX_ReviewLog_User_Date on ReviewLog(USER_ID, REVIEW_DATE)",
    // A pass written again from the pending file (the program ended between the commit and
    // emptying the file) is the same row: it is ignored, and the day counts stay right.
    "create unique index if not exists UX_ReviewLog_Pass on ReviewLog(USER_ID, WORD_ID, "
    "REVIEW_DATE)",
    "create table if not exists ReviewDay (USER_ID integer, BOOK_ID integer, DAY integer, "
    "PASSES integer, KNOWN integer, REVIEWS integer, REVIEWS_KNOWN integer, "
    "primary key (USER_ID, BOOK_ID, DAY))",
    "create trigger if not exists TR_ReviewDay_Add after insert on ReviewLog begin "
    "insert into ReviewDay values (new.USER_ID, new.BOOK_ID, cast(new.REVIEW_DATE as integer), "
    "1, new.KNOWN, new.ROUND_BEFORE > 0, new.KNOWN and new.ROUND_BEFORE > 0) "
    "on conflict (USER_ID, BOOK_ID, DAY) do update set PASSES = PASSES + 1, "
    "KNOWN = KNOWN + excluded.KNOWN, REVIEWS = REVIEWS + excluded.REVIEWS, "
    "REVIEWS_KNOWN = REVIEWS_KNOWN + excluded.REVIEWS_KNOWN; end",
    "create trigger if not exists TR_ReviewLog_User after delete on USERS begin "
    "delete from ReviewLog where USER_ID = old.ID; "
    "delete from ReviewDay where USER_ID = old.ID; end",
    "create trigger if not exists TR_ReviewLog_UserBook after delete on UserBooks begin "
    "delete from ReviewLog where USER_ID = old.USERID and BOOK_ID = old.BOOKID; "
    "delete from ReviewDay where USER_ID = old.USERID and BOOK_ID = old.BOOKID; end",
};

// The day counts of passes logged before the table of day counts existed.
const char kFillDays[] =
    "insert or ignore into ReviewDay select USER_ID, BOOK_ID, cast(REVIEW_DATE as integer), "
    "count(*), sum(KNOWN), sum(ROUND_BEFORE > 0), sum(KNOWN and ROUND_BEFORE > 0) from "
    "ReviewLog group by 1, 2, 3";

int CountOf(TAdoChannel& channel, const QString& names) {
    TAdoQuery* q = channel.OpenQuery(
        QStringLiteral("select count(*) as N from sqlite_master where name in (%1)").arg(names), 1);
    const int n = q != nullptr && !q->Eof() ? q->AsInteger(QStringLiteral("N")) : 0;
    if (q != nullptr) {
        q->Close();
    }
    return n;
}

} // namespace

bool EnsureReviewLog(TAdoChannel& channel) {
    if (!channel.Connected()) {
        return false;
    }
    const bool hadDays = CountOf(channel, QStringLiteral("'ReviewDay'")) == 1;
    if (HasReviewLog(channel) && hadDays &&
        CountOf(channel, QStringLiteral("'IX_ReviewLog_User_Date', 'TR_ReviewDay_Add', "
                                        "'TR_ReviewLog_User', 'TR_ReviewLog_UserBook'")) == 4) {
        return true;
    }
    QStringList sqls;
    for (const char* sql : kCreate) {
        sqls << QString::fromLatin1(sql);
    }
    if (!hadDays) {
        sqls << QString::fromLatin1(kFillDays);
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

namespace {

const char kInsert[] =
    "insert or ignore into ReviewLog (USER_ID, BOOK_ID, WORD_ID, REVIEW_DATE, KNOWN, "
    "ABILITY_BEFORE, ABILITY_AFTER, ROUND_BEFORE, ROUND_AFTER, REVIEW_MODE) "
    "values (%d, %d, %d, %s, %d, %d, %d, %d, %d, %d)";

// What each value of kInsert may be, in order: ids, the time with six decimals, flags.
const QString kInt = QStringLiteral("-?\\d+");
const QString kTime = QStringLiteral("-?\\d+\\.\\d{6}");
const QString kFlag = QStringLiteral("[01]");

} // namespace

QString ReviewLogInsert(const TPass& p) {
    return SqlFormat(kInsert, {p.UserID, p.BookID, p.WordID, QString::number(p.Time, 'f', 6),
                               p.Known ? 1 : 0, p.AbilityBefore, p.AbilityAfter, p.RoundBefore,
                               p.RoundAfter, p.ReviewMode ? 1 : 0});
}

bool IsReviewLogInsert(const QString& sql) {
    static const QRegularExpression pattern = [] {
        const QString values[] = {kInt, kInt, kInt, kTime, kFlag, kInt, kInt, kInt, kInt, kFlag};
        const QStringList parts =
            QString::fromLatin1(kInsert).split(QRegularExpression(QStringLiteral("%[ds]")));
        QString text = QRegularExpression::escape(parts[0]);
        for (qsizetype i = 1; i < parts.size(); ++i) {
            text += values[i - 1] + QRegularExpression::escape(parts[i]);
        }
        return QRegularExpression(QRegularExpression::anchoredPattern(text));
    }();
    return pattern.match(sql).hasMatch();
}
