#include "store/DayNumber.h"

#include <cmath>
#include <cstdio>

namespace {
const QDate kEpoch(1899, 12, 30);
constexpr double kMsPerDay = 86400000.0;
} // namespace

double DayNumberFromDateTime(const QDateTime& local) {
    const QDateTime t = local.toLocalTime();
    const auto days = static_cast<double>(kEpoch.daysTo(t.date()));
    return days + t.time().msecsSinceStartOfDay() / kMsPerDay;
}

QDateTime DateTimeFromDayNumber(double day) {
    const double whole = std::floor(day);
    const auto ms = static_cast<int>(std::llround((day - whole) * kMsPerDay));
    QDate date = kEpoch.addDays(static_cast<qint64>(whole));
    if (ms >= static_cast<int>(kMsPerDay)) {
        return QDateTime(date.addDays(1), QTime(0, 0));
    }
    return QDateTime(date, QTime::fromMSecsSinceStartOfDay(ms));
}

TClock SystemClock() {
    return [] { return DayNumberFromDateTime(QDateTime::currentDateTime()); };
}

double DateOf(double day) {
    return std::floor(day);
}

QString FormatFixed2(double value) {
    // snprintf honours LC_NUMERIC; the program never calls setlocale for numbers, but a
    // library might, so replace a decimal comma defensively.
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.2f", value);
    QString s = QString::fromLatin1(buf);
    s.replace(QLatin1Char(','), QLatin1Char('.'));
    return s;
}
