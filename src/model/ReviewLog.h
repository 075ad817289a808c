#pragma once

#include <QString>

class TAdoChannel;

// The history of passes: one row of ReviewLog per scored showing of a word. It sits beside
// the six tables and is never needed to learn: a database without it works, only without
// statistics.
struct TPass {
    int UserID = 0;
    int BookID = 0;
    int WordID = 0;
    double Time = 0.0; // day number
    bool Known = false;
    int AbilityBefore = 0;
    int AbilityAfter = 0;
    int RoundBefore = 0;
    int RoundAfter = 0;
    bool ReviewMode = false;
};

// Creates the table, its index and the triggers that delete a learner's rows with the
// learner or with a subscription, when they are missing. False when the database cannot
// take them (read-only, foreign, not connected).
bool EnsureReviewLog(TAdoChannel& channel);

// True when the connected database holds the table.
bool HasReviewLog(TAdoChannel& channel);

// The statement that stores one pass. The time keeps six decimals (a tenth of a second),
// since the time spent is measured from the gaps between passes.
QString ReviewLogInsert(const TPass& pass);
// Whether sql is a statement ReviewLogInsert makes.
bool IsReviewLogInsert(const QString& sql);
