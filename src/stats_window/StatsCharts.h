#pragma once

// The charts of the statistics window, each built from the figures alone.
#include <QString>

struct TStatistics;
class QChart;

QChart* ForecastChart(const TStatistics& s);
QChart* CalendarChart(const TStatistics& s);
QChart* DailyChart(const TStatistics& s, int days);
QChart* RecallChart(const TStatistics& s);
QChart* BandsChart(const TStatistics& s, int upperLimit);
QChart* BooksChart(const TStatistics& s);

// A whole number with the locale's digit grouping, also for four digits (QLocale leaves
// those ungrouped in some locales).
QString GroupedNumber(long long n);
