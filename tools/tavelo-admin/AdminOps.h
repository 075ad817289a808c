#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class TAdoChannel;
class TConfig;

// What the command-line companion does, as functions the tests call too. Every operation
// reports failure as false with a message in *error and leaves the database as it was.

// The settings a new database gives the default user (id 1): the start values of the
// settings dialog.
void SeedStartValues(TConfig& config);
// The demo database's settings: the start values with the word in a font that fills the
// word window.
void SeedDemoValues(TConfig& config);

struct TInitOptions {
    QString learnerName = QStringLiteral("学员");
    QString dataDir;   // with demo: the folder holding the demo books
    bool demo = false; // import the demo books and subscribe the learner to them
};

bool InitDatabase(const QString& path, const TInitOptions& options, QString* error);

// One entry of a book file.
struct TBookEntry {
    QString word;
    QString symbol;
    QString translation;
    QString example;
};

// Reads a UTF-8 TSV or CSV book file: columns word, phonetic spelling, translation,
// example (the last two optional); a first row naming the columns is skipped.
bool ReadBookFile(const QString& path, QList<TBookEntry>* entries, QString* error);

// Adds a book with its words in one transaction. *bookID receives the new book's id.
bool ImportBook(TAdoChannel& channel, const QString& path, const QString& bookName, int* bookID,
                QString* error);

bool SubscribeBook(TAdoChannel& channel, int userID, int bookID, QString* error);

// Packs one MP3 file, or every .mp3 file of a folder, into the stored form (compressed,
// enciphered) as mp3Dir/<name>.mp3. *packed counts the files written.
bool PackSounds(const QString& source, const QString& mp3Dir, int* packed, QString* error);

// Records every word of the book (0: of every book) that has no stored recording in mp3Dir,
// with espeak-ng's Mandarin voice and lame, and packs it. Words whose text cannot name a
// file are skipped. *made counts the recordings written. progress, when given, hears how many
// of the words still silent are recorded, before the first and after each.
using TSpeakProgress = std::function<void(int done, int total)>;
bool SpeakBook(TAdoChannel& channel, int bookID, const QString& mp3Dir, int* made, QString* error,
               const TSpeakProgress& progress = {});

// Writes or removes the desktop's autostart entry (XDG: ~/.config/autostart) for program.
bool SetAutostart(bool on, const QString& program, QString* error);

// Learners, books and subscriptions as readable lines.
QStringList ListDatabase(TAdoChannel& channel);

// The learner ids and book ids of the database.
QList<int> LearnerIDs(TAdoChannel& channel);
// The ids of the books in the book store.
QList<int> BookIDs(TAdoChannel& channel);
