#pragma once

#include "model/StringList.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

class TAdoChannel;

// One selected word of the current group with its progress.
class TWord {
public:
    explicit TWord(TAdoChannel* channel) : Channel(channel) {}

    // Writes Ability, UpdateDate and WordRound back, found by user and word only (every book
    // of the learner that carries the word changes). When another program holds the file the
    // write is kept by the channel and made at the next chance, in order.
    void Save();
    // A scored showing: the progress write (not in review mode, where nothing is written
    // back) and, when the database keeps a log, the pass's log row, as one kept write so
    // they are stored together or kept together. False when nothing was written.
    bool SavePass(bool reviewMode, bool logPass, double now);

    TAdoChannel* Channel;
    bool Known = false;
    double UpdateDate = 0.0;
    int Ability = 0;
    int WordID = 0;
    int ShowCount = 0;
    int UserID = 0;
    int WordRound = 0;
    QString Example;
    QString Trans;
    QString WordName;
    // The book the word was selected from, and the values the file held at selection or
    // at the last write: the log's "before".
    int BookID = 0;
    int StoredAbility = 0;
    int StoredRound = 0;
};

// True when a word's text may name its files (recording, picture): no path separator, not
// "." or "..", no control character. Other names are never turned into paths.
bool IsSafeFileStem(const QString& name);

// The group of due words, keyed by WORD_NAME.
using TWordList = TStringList<TWord>;

// The progress of one word as a progress write leaves it in the database (the date with two
// decimals, as stored).
struct TProgressRow {
    int UserID = 0;
    int WordID = 0;
    int Ability = 0;
    double UpdateDate = 0.0;
    int WordRound = 0;
};

// True for exactly the statements TWord::Save and TWord::SavePass write (with any numbers):
// the only kinds of statement the program reads back from its file of progress writes still
// to be made.
bool IsProgressWrite(const QString& sql);
// The row a progress write leaves; false for any other statement.
bool ParseProgressWrite(const QString& sql, TProgressRow* row);

// The newest progress of a user's words among writes not yet in the database, by word id:
// the later write of a word wins.
using TNewestProgress = QHash<int, TProgressRow>;
TNewestProgress NewestProgress(const QList<QStringList>& units, int userID);
