#pragma once

#include <QString>

// What a database file is fit for, as far as it can be told before the program uses it.
enum class TFileFitness {
    Usable,
    NotDatabase,    // not an SQLite file at all
    Damaged,        // an SQLite file whose pages fail the structural check
    ReadOnlyFile,   // the file cannot be opened for writing
    ReadOnlyFolder, // no journal can be made beside the file, so no write can be committed
};

// Checks an existing file without writing to it: SQLite's structural check (quick_check,
// which reads every page once) on a read-only connection, then whether the file and its
// folder take writes. SQLite would open a write-protected file read-only without a word and
// every later write would fail, so this is asked of the file system directly. The one
// write ever made is SQLite's own recovery: a transaction that an interrupted writer left
// in a journal beside the file is rolled back first, as the next writer would do anyway.
// Call it before this process opens the file otherwise: closing its own probe of the file
// would drop the POSIX locks another connection of the process held on it.
TFileFitness CheckDatabaseFile(const QString& path);
