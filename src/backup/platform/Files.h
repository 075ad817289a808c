#pragma once

#include <QString>

// File-system steps that Qt does not offer: durability and atomic replacement.

// Flushes a file's contents to the disk.
bool SyncFile(const QString& path);
// Flushes a folder's entries (a rename in it) to the disk; a no-op where not needed.
bool SyncFolder(const QString& path);
// Renames from to to, replacing an existing to in one step: a reader sees the old file or
// the new one, never none.
bool ReplaceFile(const QString& from, const QString& to);
// Whether a process with this id runs (a temporary file of a dead one can go).
bool ProcessRuns(qint64 pid);
// Whether two paths name the same file (the same device and inode, through links).
bool SameFile(const QString& a, const QString& b);
