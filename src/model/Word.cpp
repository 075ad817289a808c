#include "Word.h"

#include "Channels.h"
#include "ReviewLog.h"
#include "User.h"

#include <QRegularExpression>
#include <algorithm>

namespace {

const char kSelectColumns[] =
    "select recite.word_id, ability, word_round,UPDATE_DATE,WORD_NAME,WORD_SYMBOL, "
    "WORD_AFFIX,WORD_TRANS,WORD_EXPLAIN,WORD_SYNONYMY,WORD_ANTONYM,WORD_ANALOPY, "
    "WORD_EXAMPLE,WAV_FILE,PICT_NAME from recite,book   where (recite.user_id=%d) and "
    "(recite.book_id=%d)  and   (recite.book_id=book.book_id)   and "
    "(recite.Word_id=book.Word_id)  and ";

// The learning-mode statement: due when the points lost since the last update reach the
// ability. A rate below 1 hour per point exists only in a hand-edited database; it counts
// as 1 so the statement never divides by zero.
QString LearningStatement(const TUser& user, int bookID, double now, const QString& sortKey) {
    const double rate = std::max(user.Config.Oblivion, 1) * 0.042;
    return SqlFormat((QByteArray(kSelectColumns) +
                      " ((%f - update_date)/%f>=Ability) and (Ability<%d)  order by %s")
                         .constData(),
                     {user.ID, bookID, now, rate, user.Config.UpperLimit, sortKey});
}

QString ReviewStatement(const TUser& user, int bookID, double now, const QString& sortKey) {
    const TConfig& c = user.Config;
    QString condition =
        SqlFormat(c.RoundCompare ? "WORD_ROUND >= %d" : "WORD_ROUND <= %d", {c.RoundNumber});
    condition +=
        SqlFormat(" and %d <= ABILITY and ABILITY <= %d ", {c.FloorAbility, c.CeilingAbility});
    if (c.RestrictTime) {
        const double today = DateOf(now);
        condition +=
            QStringLiteral(" and ") + SqlFormat("%f <= update_date and update_date < %f",
                                                {today + c.StartDay, today + c.EndDay + 1});
    }
    return SqlFormat((QByteArray(kSelectColumns) + "(%s)  order by %s").constData(),
                     {user.ID, bookID, condition, sortKey});
}

} // namespace

bool IsSafeFileStem(const QString& name) {
    if (name == QLatin1String(".") || name == QLatin1String("..")) {
        return false;
    }
    for (const QChar c : name) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') ||
            c.category() == QChar::Other_Control) {
            return false;
        }
    }
    return true;
}

namespace {
const char* const kProgressWrite = "update Recite set Ability=%d, UPDATE_DATE=%f, WORD_ROUND=%d  "
                                   "where USER_ID=%d and WORD_ID=%d";
} // namespace

void TWord::Save() {
    Channel->ExecuteKept(
        SqlFormat(kProgressWrite, {Ability, UpdateDate, WordRound, UserID, WordID}));
}

bool TWord::SavePass(bool reviewMode, bool logPass, double now) {
    QStringList sqls;
    if (!reviewMode) {
        sqls << SqlFormat(kProgressWrite, {Ability, UpdateDate, WordRound, UserID, WordID});
    }
    if (logPass) {
        // Nothing is stored in review mode, so the log shows the stored values unchanged.
        const TPass pass{.UserID = UserID,
                         .BookID = BookID,
                         .WordID = WordID,
                         .Time = now,
                         .Known = Known,
                         .AbilityBefore = StoredAbility,
                         .AbilityAfter = reviewMode ? StoredAbility : Ability,
                         .RoundBefore = StoredRound,
                         .RoundAfter = reviewMode ? StoredRound : WordRound,
                         .ReviewMode = reviewMode};
        sqls << ReviewLogInsert(pass);
    }
    if (sqls.isEmpty()) {
        return false;
    }
    if (!reviewMode) {
        StoredAbility = Ability;
        StoredRound = WordRound;
    }
    // One kept write of two statements: one transaction, one line of the pending file.
    Channel->ExecuteKept(sqls.join(QStringLiteral("; ")));
    return true;
}

bool IsProgressWrite(const QString& sql) {
    static const QString update =
        QStringLiteral("update Recite set Ability=-?\\d+, UPDATE_DATE=-?\\d+\\.\\d\\d, "
                       "WORD_ROUND=-?\\d+  where USER_ID=-?\\d+ and WORD_ID=-?\\d+");
    static const QString insert = QStringLiteral(
        "insert into ReviewLog \\(USER_ID, BOOK_ID, WORD_ID, REVIEW_DATE, KNOWN, "
        "ABILITY_BEFORE, ABILITY_AFTER, ROUND_BEFORE, ROUND_AFTER, REVIEW_MODE\\) values "
        "\\(-?\\d+, -?\\d+, -?\\d+, -?\\d+\\.\\d{6}, [01], -?\\d+, -?\\d+, -?\\d+, -?\\d+, "
        "[01]\\)");
    static const QRegularExpression pattern(QRegularExpression::anchoredPattern(
        QStringLiteral("(%1)|(%1; %2)|(%2)").arg(update, insert)));
    return pattern.match(sql).hasMatch();
}

bool TUser::SelectDueWords(TWordList& words) {
    words.Clear();
    const QString sortKey = Config.ReciteOrder > 0 ? QStringLiteral("recite.RANDOM_NUM")
                                                   : QStringLiteral("recite.Word_id");
    const double now = Clock();
    const int wordNum = Config.WordNum;
    for (int b = 0; b < SelectedBooks.Count() && words.Count() < wordNum; ++b) {
        const int bookID = SelectedBooks.Object(b)->BookID;
        const QString sql = ReviewMode ? ReviewStatement(*this, bookID, now, sortKey)
                                       : LearningStatement(*this, bookID, now, sortKey);
        TAdoQuery* q = Channel->OpenQuery(sql, 1);
        if (q == nullptr) {
            continue;
        }
        if (ReviewMode) {
            const long long skip = static_cast<long long>(ReviewPage) * wordNum;
            q->MoveBy(static_cast<int>(std::clamp<long long>(skip, 0, 0x7fffffff)));
        }
        for (; !q->Eof() && words.Count() < wordNum; q->Next()) {
            auto w = std::make_unique<TWord>(Channel);
            w->UserID = ID;
            w->WordID = q->AsInteger(QStringLiteral("WORD_ID"));
            w->WordName = q->AsString(QStringLiteral("WORD_NAME"));
            w->Trans = q->AsString(QStringLiteral("WORD_TRANS"));
            w->Example = q->AsString(QStringLiteral("WORD_EXAMPLE"));
            w->UpdateDate = q->AsFloat(QStringLiteral("UPDATE_DATE"));
            w->Ability = q->AsInteger(QStringLiteral("ABILITY"));
            w->WordRound = q->AsInteger(QStringLiteral("WORD_ROUND"));
            w->BookID = bookID;
            w->StoredAbility = w->Ability;
            w->StoredRound = w->WordRound;
            w->ShowCount = 0;
            w->Known = false;
            const QString name = w->WordName;
            words.Insert(0, name, std::move(w));
        }
        // Done with the rows: release the statement rather than keep the file locked.
        q->Close();
    }
    ++ReviewPage;
    return words.Count() < wordNum;
}

TAdoQuery* TUser::OpenPrintQuery() {
    return Channel->OpenNamedQuery(
        QStringLiteral("Print"),
        SqlFormat("select WORD_NAME, recite.word_id, ABILITY, WORD_ROUND,UPDATE_DATE,WORD_SYMBOL, "
                  "WORD_AFFIX,WORD_TRANS,WORD_EXPLAIN,WORD_SYNONYMY,WORD_ANTONYM,WORD_ANALOPY, "
                  "WORD_EXAMPLE,WAV_FILE,PICT_NAME,RANDOM_NUM from recite,book where "
                  "(recite.user_id=%d)   and   (recite.book_id=book.book_id)   and "
                  "(recite.Word_id=book.Word_id) ",
                  {ID}));
}
