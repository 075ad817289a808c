#pragma once

// Pieces the copy, the rotation and the restore share.
#include <QString>

struct sqlite3;

// ".<name>.<pid>.part" beside target: the temporary file of a copy in progress.
QString PartialCopyPath(const QString& target);
// Removes temporary files in folder whose writing process has ended.
void RemoveAbandonedPartials(const QString& folder);
// Opens an existing SQLite file (read-only, or read-write without creating it) with a busy
// timeout, and proves it is a database by reading its catalogue.
bool OpenDatabaseFile(const QString& path, bool readOnly, sqlite3** db, QString* error);
