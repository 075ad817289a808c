#include "model/Word.h"

#include "model/ReviewLog.h"
#include "model/User.h"
#include "store/Channels.h"

#include <QRegularExpression>
#include <algorithm>

namespace {

const char kSelectColumns[] =
    "select recite.word_id, ability, word_round,UPDATE_DATE,WORD_NAME,WORD_SYMBOL, "
    "WORD_AFFIX,WORD_TRANS,WORD_EXPLAIN,WORD_SYNONYMY,WORD_ANTONYM,WORD_ANALOPY, "
    "WORD_EXAMPLE,WAV_FILE,PICT_NAME from recite,book   where (recite.user_id=%d) and "
    "(recite.book_id=%d)  and   (recite.book_id=book.book_id)   and "
    "(recite.Word_id=book.Word_id)  and ";

// A number as the statements write it: what the database compares with.
double Literal(double value) {
    return SqlFormat("%f", {value}).toDouble();
}

// The learning-mode condition: due when the points lost since the last update reach the
// ability.
QString LearningCondition(const TUser& user, double now) {
    return SqlFormat(" ((%f - update_date)/%f>=Ability) and (Ability<%d)",
                     {now, user.Config.DaysPerLostPoint(), user.Config.UpperLimit});
}

QString ReviewCondition(const TUser& user, double now) {
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
    return QLatin1Char('(') + condition + QLatin1Char(')');
}

// The condition of either statement, computed as the database computes it from the same
// literals: for the words whose newest progress is not yet in the file.
bool Selectable(const TUser& user, double now, const TProgressRow& row) {
    const TConfig& c = user.Config;
    if (!user.ReviewMode) {
        return (Literal(now) - row.UpdateDate) / Literal(c.DaysPerLostPoint()) >= row.Ability &&
               row.Ability < c.UpperLimit;
    }
    if (c.RoundCompare ? row.WordRound < c.RoundNumber : row.WordRound > c.RoundNumber) {
        return false;
    }
    if (row.Ability < c.FloorAbility || row.Ability > c.CeilingAbility) {
        return false;
    }
    const double today = DateOf(now);
    return !c.RestrictTime || (Literal(today + c.StartDay) <= row.UpdateDate &&
                               row.UpdateDate < Literal(today + c.EndDay + 1));
}

// The system's statement; with newer progress kept for some words, those words are read
// whatever their stored values, and judged by the newer ones.
QString Statement(const TUser& user, int bookID, double now, const QString& sortKey,
                  const QString& newerIDs) {
    QString condition = user.ReviewMode ? ReviewCondition(user, now) : LearningCondition(user, now);
    if (!newerIDs.isEmpty()) {
        condition = QLatin1Char('(') + condition + QStringLiteral(" or recite.Word_id in (") +
                    newerIDs + QStringLiteral("))");
    }
    return SqlFormat(kSelectColumns, {user.ID, bookID}) + condition +
           QStringLiteral("  order by ") + sortKey;
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
    // One kept write of both statements: one transaction, one line of the pending file.
    Channel->ExecuteKept(sqls);
    return true;
}

bool IsProgressWrite(const QString& sql) {
    TProgressRow row;
    return ParseProgressWrite(sql, &row) || IsReviewLogInsert(sql);
}

bool ParseProgressWrite(const QString& sql, TProgressRow* row) {
    static const QRegularExpression pattern(QRegularExpression::anchoredPattern(
        QStringLiteral("update Recite set Ability=(-?\\d+), UPDATE_DATE=(-?\\d+\\.\\d\\d), "
                       "WORD_ROUND=(-?\\d+)  where USER_ID=(-?\\d+) and WORD_ID=(-?\\d+)")));
    const QRegularExpressionMatch m = pattern.match(sql);
    if (!m.hasMatch()) {
        return false;
    }
    bool ok[5] = {};
    row->Ability = m.captured(1).toInt(&ok[0]);
    row->UpdateDate = m.captured(2).toDouble(&ok[1]);
    row->WordRound = m.captured(3).toInt(&ok[2]);
    row->UserID = m.captured(4).toInt(&ok[3]);
    row->WordID = m.captured(5).toInt(&ok[4]);
    return std::all_of(std::begin(ok), std::end(ok), [](bool b) { return b; });
}

TNewestProgress NewestProgress(const QList<QStringList>& units, int userID) {
    TNewestProgress newest;
    TProgressRow row;
    for (const QStringList& unit : units) {
        for (const QString& sql : unit) {
            if (ParseProgressWrite(sql, &row) && row.UserID == userID) {
                newest.insert(row.WordID, row);
            }
        }
    }
    return newest;
}

bool TUser::SelectDueWords(TWordList& words) {
    return SelectDueWords(words, {}, nullptr);
}

bool TUser::SelectDueWords(TWordList& words, const TNewestProgress& newest, bool* busy) {
    words.Clear();
    if (busy != nullptr) {
        *busy = false;
    }
    const QString sortKey = Config.ReciteOrder > 0 ? QStringLiteral("recite.RANDOM_NUM")
                                                   : QStringLiteral("recite.Word_id");
    const double now = Clock();
    const int wordNum = Config.WordNum;
    QStringList ids;
    for (auto it = newest.cbegin(); it != newest.cend(); ++it) {
        ids << QString::number(it.key());
    }
    const QString newerIDs = ids.join(QLatin1Char(','));
    const long long skip = ReviewMode ? static_cast<long long>(ReviewPage) * wordNum : 0;
    for (int b = 0; b < SelectedBooks.Count() && words.Count() < wordNum; ++b) {
        const int bookID = SelectedBooks.Object(b)->BookID;
        TAdoQuery* q = Channel->OpenQuery(Statement(*this, bookID, now, sortKey, newerIDs), 1);
        if (q == nullptr) {
            if (busy != nullptr && Channel->LastErrorIsBusy()) {
                words.Clear();
                *busy = true;
                return false;
            }
            continue;
        }
        long long skipped = 0;
        for (; !q->Eof() && words.Count() < wordNum; q->Next()) {
            TProgressRow row;
            row.WordID = q->AsInteger(QStringLiteral("WORD_ID"));
            row.UpdateDate = q->AsFloat(QStringLiteral("UPDATE_DATE"));
            row.Ability = q->AsInteger(QStringLiteral("ABILITY"));
            row.WordRound = q->AsInteger(QStringLiteral("WORD_ROUND"));
            const auto newer = newest.constFind(row.WordID);
            if (newer != newest.cend()) {
                row = *newer;
                if (!Selectable(*this, now, row)) {
                    continue;
                }
            }
            if (skipped < skip) { // review mode pages through the rows of each book
                ++skipped;
                continue;
            }
            auto w = std::make_unique<TWord>(Channel);
            w->UserID = ID;
            w->WordID = row.WordID;
            w->WordName = q->AsString(QStringLiteral("WORD_NAME"));
            w->Trans = q->AsString(QStringLiteral("WORD_TRANS"));
            w->Example = q->AsString(QStringLiteral("WORD_EXAMPLE"));
            w->UpdateDate = row.UpdateDate;
            w->Ability = row.Ability;
            w->WordRound = row.WordRound;
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
