#pragma once

// The saved form of a built report: a small versioned file of our own that the preview
// opens again. Loading checks every count and value against the bytes that are there, so a
// damaged or foreign file is refused, never trusted.
#include "report/Prepared.h"

#include <QByteArray>
#include <QString>

inline constexpr char kReportFileSuffix[] = "tvr";

// The cost of laying out and painting a report, in characters of a plain size; a file
// beyond kMaxPaintCost is refused when it is loaded.
inline constexpr double kMaxPaintCost = 4e6;
inline constexpr double kItemPaintCost = 20; // an item's own layout, beside its characters
double PaintCost(const TPreparedReport& report);

QByteArray SerializeReport(const TPreparedReport& report);
// False with a message in *error when the bytes are not a report of ours.
bool ParseReport(const QByteArray& data, TPreparedReport* report, QString* error);

bool SaveReportFile(const TPreparedReport& report, const QString& path, QString* error);
bool LoadReportFile(const QString& path, TPreparedReport* report, QString* error);
