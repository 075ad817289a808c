#pragma once

#include <QDateTime>
#include <QString>
#include <functional>

// Dates are day numbers: whole days since 30 December 1899, the time of day as the
// fraction, local time. 1 January 2000 is 36526.
inline constexpr double kDayNumber2000 = 36526.0;

double DayNumberFromDateTime(const QDateTime& local);
QDateTime DateTimeFromDayNumber(double day);

// Every "now" of the program comes through a clock, so tests can set the time.
using TClock = std::function<double()>;
TClock SystemClock();

// The whole-day part of a day number (midnight of that day).
double DateOf(double day);

// Two decimals with a point, whatever the locale: the form of every floating-point number
// the program writes into SQL text.
QString FormatFixed2(double value);
