#pragma once

#include <QString>
#include <QStringList>

class TAdoChannel;
struct TStatistics;

// The columns of the exported log, in order (the first line of the file).
QStringList LogCsvColumns();

// Writes a learner's passes, oldest first, as CSV (UTF-8 with a byte-order mark, so
// spreadsheets read the words) under a temporary name, renamed when complete. An existing
// file is replaced only when it is such an export itself. Empty on success, else the
// reason, in Chinese.
QString ExportLogCsv(TAdoChannel& channel, int userID, const QString& path, int* rows = nullptr);

// The figures as lines of text, or as one JSON object.
QString StatisticsText(const TStatistics& s, const QString& learner);
QString StatisticsJson(const TStatistics& s, int userID, const QString& learner);
