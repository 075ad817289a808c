#pragma once

#include <QString>

// Leading and trailing blanks and control characters (everything up to the space) removed.
QString TrimBlanks(const QString& text);

// Every three digits grouped from 1000 up with the locale's separator, also where the locale
// itself would leave four-digit numbers ungrouped (QLocale::toString does in es_ES, pl_PL).
QString GroupedNumber(long long n);

// Equal when only ASCII letters differ in case; other characters must match exactly.
bool SameTextAscii(const QString& a, const QString& b);
