#pragma once

// Bringing an Access (Jet 4) learner database over into a new database of the program: the six
// tables, every row and column as stored.
//
// libmdb reads NULL and an empty text alike. Where the program itself writes texts, the import
// writes what the program would: CONFIG.CHOICE, USERS.NAME and BookStore.BookDesc become ''
// (the program always writes these as texts); USERS.CIPHER and the Book texts become NULL (a
// learner added without a password has none, and a book's unused columns are empty). The
// program reads either alike.
#include <QDateTime>
#include <QList>
#include <QPair>
#include <QString>
#include <functional>

struct TJetReport {
    // Rows carried over, per table in the schema's order.
    QList<QPair<QString, qint64>> rows;
    // The learners (id 100 and above): id and name.
    QList<QPair<int, QString>> learners;
    // Rows the program will not use, carried over all the same.
    qint64 reciteWithoutWord = 0; // progress of a word missing from its book
    qint64 reservedUsers = 0;     // user ids below 100 other than the default user 1

    // The report as lines for the command line.
    QStringList Lines() const;
};

// Called now and then with the rows done and the rows in all.
using TJetProgress = std::function<void(qint64 done, qint64 total)>;

// Writes the content of the Jet 4 file at jet into a new database at target, which must not
// exist. On failure *error says why and target does not exist (nothing is left behind).
bool BuildFromJet(const QString& jet, const QString& target, TJetReport* report, QString* error,
                  const TJetProgress& progress = {});

struct TJetImportOptions {
    bool replace = false; // an existing target goes into its backups/ first, then is replaced
    QDateTime now;        // names that copy
};

// The import of the command line: builds the database under a temporary name beside target and
// renames it when complete. An existing target is refused unless options.replace; with it the
// target is copied into backups/ (as a restore does, *keptCopy names the copy) and replaced in
// one step, while the program cannot run (the instance lock). On failure nothing has changed.
bool ImportJet(const QString& jet, const QString& target, const TJetImportOptions& options,
               TJetReport* report, QString* keptCopy, QString* error);
