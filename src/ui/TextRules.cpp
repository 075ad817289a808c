#include "ui/TextRules.h"

#include <QLocale>

namespace {

bool IsBlank(QChar c) {
    return c.unicode() <= 0x20;
}

char16_t AsciiLower(char16_t c) {
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + (u'a' - u'A')) : c;
}

} // namespace

QString TrimBlanks(const QString& text) {
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && IsBlank(text[first])) {
        ++first;
    }
    while (last > first && IsBlank(text[last - 1])) {
        --last;
    }
    return text.mid(first, last - first);
}

bool SameTextAscii(const QString& a, const QString& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i].unicode()) != AsciiLower(b[i].unicode())) {
            return false;
        }
    }
    return true;
}

QString GroupedNumber(long long n) {
    QString digits = QString::number(n < 0 ? -n : n);
    const QString separator = QLocale().groupSeparator();
    for (qsizetype i = digits.size() - 3; i > 0; i -= 3) {
        digits.insert(i, separator);
    }
    return n < 0 ? QLatin1Char('-') + digits : digits;
}
