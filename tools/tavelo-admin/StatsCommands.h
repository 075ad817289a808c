#pragma once

#include <QString>
#include <QStringList>

// The commands that show a learner's history: the figures and the log as CSV.
extern const char kStatsUsage[];

// Runs command when it is one of them: *exitCode receives the exit code and the result is
// true. False for any other command.
bool RunStatsCommand(const QString& command, const QStringList& args, const QString& db,
                     int* exitCode);
