#pragma once

// What a learner's history shows: the day's work, the words coming due, the passes per
// day, how well reviewed words are remembered, and how far each book has got. Read from
// the log of passes and the progress rows; no widgets, so the tools use it too.
#include <QString>
#include <QVector>

class TAdoChannel;
class TUser;

// The passes of one calendar day. A review pass is a pass of a word shown before.
struct TDayPasses {
    int Passes = 0;
    int Known = 0;
    int Reviews = 0;
    int ReviewsKnown = 0;
};

struct TBookProgress {
    int BookID = 0;
    QString Desc;
    int Seen = 0;
    int Total = 0;
};

struct TStatistics {
    static constexpr int kForecastDays = 30;
    static constexpr int kHistoryDays = 365;
    // Ability bands: never seen, 0-9, 10-19, 20-29, 30 up to the upper limit, at the limit.
    static constexpr int kBands = 6;

    bool HasLog = false; // false: the database keeps no log; only the progress figures
    double Today = 0.0;  // the day number of today's midnight
    int TodayPasses = 0;
    int TodayKnown = 0;
    int TodayNew = 0;     // words shown today for the first time
    int TodaySeconds = 0; // time between passes, pauses of more than 5 minutes left out
    // Words due now (index 0), then those coming due within each following day.
    QVector<int> Forecast;
    // The last 365 days, oldest first; the last entry is today.
    QVector<TDayPasses> Days;
    QVector<int> Bands;
    QVector<TBookProgress> Books;
};

// The figures for a learner at "now" (a day number).
TStatistics LoadStatistics(TAdoChannel& channel, const TUser& user, double now);

// The share of review passes marked known for each of the last `weeks` weeks (oldest
// first, the current week last); -1 for a week without review passes.
QVector<double> WeeklyRecall(const TStatistics& s, int weeks);

// Sums of the last `days` days.
TDayPasses SumOfDays(const TStatistics& s, int days);

// The text of a band for the charts.
QString BandName(int band, int upperLimit);

// One word's due day as the due-word selection sees it: 0 when due at "now", k when it
// becomes due within the k-th day after now, -1 beyond the forecast or never.
struct TDueWord {
    int BookID = 0;
    int WordID = 0;
    int Day = -1;
};
QVector<TDueWord> DueDays(TAdoChannel& channel, const TUser& user, double now, int days);
