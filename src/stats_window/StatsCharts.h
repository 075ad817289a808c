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
