#pragma once

#include <QString>
#include <cstdint>
#include <initializer_list>
#include <variant>

// One argument of an SQL format string.
class TSqlArg {
public:
    TSqlArg(int v) : value_(static_cast<std::int64_t>(v)) {}
    TSqlArg(std::int64_t v) : value_(v) {}
    TSqlArg(double v) : value_(v) {}
    TSqlArg(const QString& v) : value_(v) {}
    TSqlArg(const char* v) : value_(QString::fromUtf8(v)) {}

    const std::variant<std::int64_t, double, QString>& value() const { return value_; }

private:
    std::variant<std::int64_t, double, QString> value_;
};

// Formats the program's SQL texts: %d a decimal integer, %f a number with exactly two
// decimals and a point, %s a text as it is, %% a percent sign. Arguments are taken in
// order; a missing argument formats as nothing.
QString SqlFormat(const char* format, std::initializer_list<TSqlArg> args);

// A text made safe for use between single quotes in SQL: every quote doubled.
QString QuoteSqlText(const QString& text);
