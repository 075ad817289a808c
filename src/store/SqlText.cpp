#include "store/SqlText.h"

#include "store/DayNumber.h"

#include <cmath>

namespace {

QString AsInteger(const TSqlArg& a) {
    const auto& v = a.value();
    if (const auto* i = std::get_if<std::int64_t>(&v)) {
        return QString::number(*i);
    }
    if (const auto* d = std::get_if<double>(&v)) {
        return QString::number(static_cast<std::int64_t>(std::trunc(*d)));
    }
    return std::get<QString>(v);
}

QString AsFixed(const TSqlArg& a) {
    const auto& v = a.value();
    if (const auto* i = std::get_if<std::int64_t>(&v)) {
        return FormatFixed2(static_cast<double>(*i));
    }
    if (const auto* d = std::get_if<double>(&v)) {
        return FormatFixed2(*d);
    }
    return std::get<QString>(v);
}

QString AsText(const TSqlArg& a) {
    const auto& v = a.value();
    if (const auto* s = std::get_if<QString>(&v)) {
        return *s;
    }
    if (const auto* i = std::get_if<std::int64_t>(&v)) {
        return QString::number(*i);
    }
    return FormatFixed2(std::get<double>(v));
}

} // namespace

QString SqlFormat(const char* format, std::initializer_list<TSqlArg> args) {
    const QString fmt = QString::fromUtf8(format);
    QString out;
    out.reserve(fmt.size() + 16 * static_cast<qsizetype>(args.size()));
    auto next = args.begin();
    for (qsizetype i = 0; i < fmt.size(); ++i) {
        const QChar c = fmt[i];
        if (c != QLatin1Char('%') || i + 1 >= fmt.size()) {
            out += c;
            continue;
        }
        const QChar kind = fmt[++i];
        if (kind == QLatin1Char('%')) {
            out += kind;
            continue;
        }
        if (next == args.end()) {
            continue;
        }
        const TSqlArg& arg = *next++;
        if (kind == QLatin1Char('d')) {
            out += AsInteger(arg);
        } else if (kind == QLatin1Char('f')) {
            out += AsFixed(arg);
        } else {
            out += AsText(arg);
        }
    }
    return out;
}

QString QuoteSqlText(const QString& text) {
    QString s = text;
    s.replace(QLatin1Char('\''), QLatin1String("''"));
    return s;
}
