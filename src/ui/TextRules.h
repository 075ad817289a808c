#pragma once

#include <QString>

// Leading and trailing blanks and control characters (everything up to the space) removed.
QString TrimBlanks(const QString& text);

// Equal when only ASCII letters differ in case; other characters must match exactly.
bool SameTextAscii(const QString& a, const QString& b);
