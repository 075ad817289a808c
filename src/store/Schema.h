#pragma once

#include <QString>
#include <QStringList>

class TAdoChannel;

// The database file beside the executable.
inline const char kDatabaseFileName[] = "Tavelo.mdb";

// Reserved user ids: 1 owns the default settings; learners start at 100.
inline constexpr int DefaultUserID = 1;
inline constexpr int FirstLearnerID = 100;

// Creates the six tables and their indexes in the connected database, in one transaction.
// False (and nothing created) when any statement fails, for example when a table exists.
bool CreateSchema(TAdoChannel& channel);

// Creates a new, empty database file with the schema. False when the file exists already
// or cannot be written.
bool CreateDatabaseFile(const QString& path);

// What the connected database lacks of the six tables and their columns, as "TABLE" or
// "TABLE.COLUMN" texts; empty when everything the program reads and writes is there.
// Names are compared without regard to case; extra tables, columns and indexes are fine.
QStringList MissingSchemaParts(TAdoChannel& channel);
