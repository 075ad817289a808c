#pragma once

#include "model/Config.h"
#include "model/StringList.h"
#include "model/Word.h"

#include "store/DayNumber.h"

#include <QString>
#include <optional>

class TAdoChannel;
class TAdoQuery;

class TBook {
public:
    TBook(int bookID, const QString& bookDesc) : BookID(bookID), BookDesc(bookDesc) {}
    int BookID;
    QString BookDesc;
};

using TBookList = TStringList<TBook>;

// A learner with its settings and its ordered choice of books.
class TUser {
public:
    explicit TUser(TAdoChannel* channel);

    void LoadBooks();
    void IncludeBook(TBook* book);
    void ExcludeBook(TBook* book);
    void SaveBookOrder();
    void SaveAccount();
    void DeleteRecords();
    void CreateRandomNumbers(TBook* book);
    // Whether the learner has passed any word of the book; empty when that cannot be read.
    std::optional<bool> BookHasProgress(const TBook& book) const;

    // Fills the list with the next group of due words; true when fewer than WordNum were
    // found (nothing more is due).
    bool SelectDueWords(TWordList& words);
    // The same, seeing `newest` instead of the stored rows of those words (writes still kept
    // while another program holds the file). *busy is set, and nothing selected nor paged,
    // when the file was held against reading.
    bool SelectDueWords(TWordList& words, const TNewestProgress& newest, bool* busy);
    TAdoQuery* OpenPrintQuery();

    TAdoChannel* Channel;
    int ID = 0;
    QString Cipher;
    QString Name;
    bool IsPower = false;
    int ReviewPage = 0;
    TConfig Config;
    TBookList SpareBooks;
    TBookList SelectedBooks;
    bool ReviewMode = false;
    // The source of "now" for the due-word selection.
    TClock Clock = SystemClock();
};

using TUserList = TStringList<TUser>;

// The learners (ids of 100 and above) with their settings and books, in the database's
// order. Every user gets the clock.
void LoadUsers(TAdoChannel& channel, TUserList& users, const TClock& clock = SystemClock());

// Creates a learner with a copy of the default settings and appends it to the list.
// Returns the new user, or nullptr when the database could not take it.
TUser* AddUser(TAdoChannel& channel, TUserList& users, const QString& name, const QString& password,
               const TClock& clock = SystemClock());

// Deletes every row of the user and removes it from the list.
void DeleteUser(TUserList& users, TUser* user);
