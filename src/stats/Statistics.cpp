#include "stats/Statistics.h"

#include "model/ReviewLog.h"
#include "model/User.h"
#include "store/Channels.h"

#include <algorithm>
#include <cmath>

namespace {

// A pause longer than this between two passes is not time spent learning.
constexpr double kLongestGapDays = 5.0 / 1440.0;

QString SelectedBookIDs(const TUser& user) {
    QStringList ids;
    for (int b = 0; b < user.SelectedBooks.Count(); ++b) {
        ids << QString::number(user.SelectedBooks.Object(b)->BookID);
    }
    return ids.join(QLatin1Char(','));
}

void LoadDays(TAdoChannel& channel, int userID, TStatistics& s) {
    const double first = s.Today - (TStatistics::kHistoryDays - 1);
    s.Days = QVector<TDayPasses>(TStatistics::kHistoryDays);
    const int firstDay = static_cast<int>(first);
    TAdoQuery* q = channel.OpenQuery(
        SqlFormat("select DAY - %d as D, sum(PASSES) as P, sum(KNOWN) as K, sum(REVIEWS) as R, "
                  "sum(REVIEWS_KNOWN) as RK from ReviewDay where USER_ID = %d and DAY >= %d "
                  "group by DAY",
                  {firstDay, userID, firstDay}),
        1);
    for (; q != nullptr && !q->Eof(); q->Next()) {
        const int d = q->AsInteger(QStringLiteral("D"));
        if (d < 0 || d >= TStatistics::kHistoryDays) {
            continue; // a pass dated in the future
        }
        TDayPasses& day = s.Days[d];
        day.Passes = q->AsInteger(QStringLiteral("P"));
        day.Known = q->AsInteger(QStringLiteral("K"));
        day.Reviews = q->AsInteger(QStringLiteral("R"));
        day.ReviewsKnown = q->AsInteger(QStringLiteral("RK"));
    }
    const TDayPasses& today = s.Days.last();
    s.TodayPasses = today.Passes;
    s.TodayKnown = today.Known;
    s.TodayNew = today.Passes - today.Reviews;

    q = channel.OpenQuery(SqlFormat("select REVIEW_DATE as T from ReviewLog where USER_ID = %d "
                                    "and REVIEW_DATE >= %f and REVIEW_DATE < %f order by T",
                                    {userID, s.Today, s.Today + 1}),
                          1);
    double spent = 0.0;
    double last = -1.0;
    for (; q != nullptr && !q->Eof(); q->Next()) {
        const double t = q->AsFloat(QStringLiteral("T"));
        if (last >= 0.0 && t - last <= kLongestGapDays) {
            spent += t - last;
        }
        last = t;
    }
    if (q != nullptr) {
        q->Close();
    }
    s.TodaySeconds = static_cast<int>(std::lround(spent * 86400.0));
}

void LoadProgress(TAdoChannel& channel, const TUser& user, TStatistics& s) {
    s.Bands = QVector<int>(TStatistics::kBands);
    for (int b = 0; b < user.SelectedBooks.Count(); ++b) {
        const TBook* book = user.SelectedBooks.Object(b);
        s.Books.append({book->BookID, book->BookDesc, 0, 0});
    }
    TAdoQuery* q =
        channel.OpenQuery(SqlFormat("select BOOK_ID as B, ABILITY as A, WORD_ROUND as R from "
                                    "Recite where USER_ID = %d",
                                    {user.ID}),
                          1);
    const int limit = user.Config.UpperLimit;
    for (; q != nullptr && !q->Eof(); q->Next()) {
        const int ability = q->AsInteger(QStringLiteral("A"));
        const bool seen = q->AsInteger(QStringLiteral("R")) > 0;
        const int band = !seen ? 0 : ability >= limit ? 5 : 1 + std::clamp(ability / 10, 0, 3);
        ++s.Bands[band];
        const int bookID = q->AsInteger(QStringLiteral("B"));
        for (TBookProgress& book : s.Books) {
            if (book.BookID == bookID) {
                ++book.Total;
                book.Seen += seen ? 1 : 0;
            }
        }
    }
    if (q != nullptr) {
        q->Close();
    }
}

} // namespace

QVector<TDueWord> DueDays(TAdoChannel& channel, const TUser& user, double now, int days) {
    QVector<TDueWord> words;
    const QString books = SelectedBookIDs(user);
    if (books.isEmpty()) {
        return words;
    }
    // The selection's own arithmetic: both numbers as the two-decimal literals it writes.
    const double rate = FormatFixed2(std::max(user.Config.Oblivion, 1) * 0.042).toDouble();
    QVector<double> nows;
    for (int k = 0; k <= days; ++k) {
        nows << FormatFixed2(now + k).toDouble();
    }
    TAdoQuery* q = channel.OpenQuery(
        SqlFormat("select recite.BOOK_ID as B, recite.WORD_ID as W, ABILITY as A, UPDATE_DATE as U "
                  "from recite, book where recite.user_id = %d and recite.book_id in (%s) and "
                  "recite.book_id = book.book_id and recite.word_id = book.word_id and "
                  "ABILITY < %d",
                  {user.ID, books, user.Config.UpperLimit}),
        1);
    for (; q != nullptr && !q->Eof(); q->Next()) {
        const double ability = q->AsInteger(QStringLiteral("A"));
        const double updated = q->AsFloat(QStringLiteral("U"));
        TDueWord w{q->AsInteger(QStringLiteral("B")), q->AsInteger(QStringLiteral("W")), -1};
        for (int k = 0; k <= days; ++k) {
            if ((nows[k] - updated) / rate >= ability) {
                w.Day = k;
                break;
            }
        }
        words << w;
    }
    if (q != nullptr) {
        q->Close();
    }
    return words;
}

TStatistics LoadStatistics(TAdoChannel& channel, const TUser& user, double now) {
    TStatistics s;
    s.Today = DateOf(now);
    s.HasLog = HasReviewLog(channel);
    if (s.HasLog) {
        LoadDays(channel, user.ID, s);
    } else {
        s.Days = QVector<TDayPasses>(TStatistics::kHistoryDays);
    }
    s.Forecast = QVector<int>(TStatistics::kForecastDays + 1);
    for (const TDueWord& w : DueDays(channel, user, now, TStatistics::kForecastDays)) {
        if (w.Day >= 0) {
            ++s.Forecast[w.Day];
        }
    }
    LoadProgress(channel, user, s);
    return s;
}

TDayPasses SumOfDays(const TStatistics& s, int days) {
    TDayPasses sum;
    const int n = static_cast<int>(s.Days.size());
    for (int i = std::max(0, n - days); i < n; ++i) {
        sum.Passes += s.Days[i].Passes;
        sum.Known += s.Days[i].Known;
        sum.Reviews += s.Days[i].Reviews;
        sum.ReviewsKnown += s.Days[i].ReviewsKnown;
    }
    return sum;
}

QVector<double> WeeklyRecall(const TStatistics& s, int weeks) {
    QVector<double> shares;
    const int n = static_cast<int>(s.Days.size());
    for (int w = weeks - 1; w >= 0; --w) {
        int reviews = 0;
        int known = 0;
        for (int i = std::max(0, n - 7 * (w + 1)); i < n - 7 * w; ++i) {
            reviews += s.Days[i].Reviews;
            known += s.Days[i].ReviewsKnown;
        }
        shares << (reviews > 0 ? static_cast<double>(known) / reviews : -1.0);
    }
    return shares;
}

QString BandName(int band, int upperLimit) {
    switch (band) {
    case 0:
        return QStringLiteral("未学");
    case 5:
        return QStringLiteral("已掌握(≥%1)").arg(upperLimit);
    case 4:
        return QStringLiteral("30–%1").arg(upperLimit - 1);
    default:
        return QStringLiteral("%1–%2").arg((band - 1) * 10).arg(band * 10 - 1);
    }
}
