#pragma once

#include <QString>
#include <QStringList>

// The commands that copy, check and restore the database.
extern const char kBackupUsage[];

// Runs command when it is one of them: *exitCode receives the exit code and the result is
// true. False for any other command.
bool RunBackupCommand(const QString& command, const QStringList& args, const QString& db,
                      int* exitCode);
