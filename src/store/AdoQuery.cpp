#include "store/AdoQuery.h"

#include "common/Errors.h"
#include "store/AdoChannel.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <sqlite3.h>

namespace {

const char kRowidAlias[] = "__tavelo_rowid";

QString QuoteIdentifier(const QString& name) {
    QString s = name;
    s.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + s + QLatin1Char('"');
}

QVariant ColumnValue(sqlite3_stmt* stmt, int col) {
    switch (sqlite3_column_type(stmt, col)) {
    case SQLITE_INTEGER:
        return QVariant(static_cast<qlonglong>(sqlite3_column_int64(stmt, col)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(stmt, col));
    case SQLITE_TEXT: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, col));
        return QVariant(QString::fromUtf8(text, sqlite3_column_bytes(stmt, col)));
    }
    case SQLITE_BLOB: {
        const auto* data = static_cast<const char*>(sqlite3_column_blob(stmt, col));
        return QVariant(QByteArray(data, sqlite3_column_bytes(stmt, col)));
    }
    default:
        return QVariant();
    }
}

int BindValue(sqlite3_stmt* stmt, int index, const QVariant& v) {
    if (v.isNull()) {
        return sqlite3_bind_null(stmt, index);
    }
    switch (v.typeId()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return sqlite3_bind_int64(stmt, index, v.toLongLong());
    case QMetaType::Double:
    case QMetaType::Float:
        return sqlite3_bind_double(stmt, index, v.toDouble());
    case QMetaType::QByteArray: {
        const QByteArray b = v.toByteArray();
        return sqlite3_bind_blob64(stmt, index, b.constData(),
                                   static_cast<sqlite3_uint64>(b.size()), SQLITE_TRANSIENT);
    }
    default: {
        const QByteArray u = v.toString().toUtf8();
        return sqlite3_bind_text64(stmt, index, u.constData(),
                                   static_cast<sqlite3_uint64>(u.size()), SQLITE_TRANSIENT,
                                   SQLITE_UTF8);
    }
    }
}

int ClampToInt(long long v) {
    if (v > std::numeric_limits<int>::max()) {
        return std::numeric_limits<int>::max();
    }
    if (v < std::numeric_limits<int>::min()) {
        return std::numeric_limits<int>::min();
    }
    return static_cast<int>(v);
}

int DoubleToInt(double d) {
    if (!(d == d)) {
        return 0; // NaN
    }
    if (d >= static_cast<double>(std::numeric_limits<int>::max())) {
        return std::numeric_limits<int>::max();
    }
    if (d <= static_cast<double>(std::numeric_limits<int>::min())) {
        return std::numeric_limits<int>::min();
    }
    return static_cast<int>(std::llround(d));
}

} // namespace

TAdoQuery::TAdoQuery(TAdoChannel& channel) : channel_(channel) {}

TAdoQuery::~TAdoQuery() {
    ReleaseStatement();
}

void TAdoQuery::SetSQL(const QString& sql) {
    Close();
    sql_ = sql;
}

QString TAdoQuery::EffectiveSQL() const {
    if (filter_.isEmpty() && sort_.isEmpty()) {
        return sql_;
    }
    QString s = QLatin1String("select * from (") + sql_ + QLatin1Char(')');
    if (!filter_.isEmpty()) {
        s += QLatin1String(" where ") + filter_;
    }
    if (!sort_.isEmpty()) {
        s += QLatin1String(" order by ") + sort_;
    }
    return s;
}

bool TAdoQuery::Open() {
    Close();
    if (channel_.Handle() == nullptr) {
        return false;
    }
    const QString sql = EffectiveSQL();
    const bool plain = filter_.isEmpty() && sort_.isEmpty();
    if (!(plain && Prepare(sql, true)) && !Prepare(sql, false)) {
        return false;
    }
    state_ = TState::Browse;
    pos_ = 0;
    // Step once now, so that a statement the database refuses only when it runs (a busy
    // file, a damaged page) fails the open rather than looking like an empty result.
    if (!FetchOne() && lastStepFailed_) {
        Close();
        return false;
    }
    return true;
}

bool TAdoQuery::Prepare(const QString& sql, bool withRowid) {
    QString text = sql;
    if (withRowid) {
        const QString trimmed = sql.trimmed();
        if (!trimmed.startsWith(QLatin1String("select"), Qt::CaseInsensitive) ||
            trimmed.size() < 7 || !trimmed.at(6).isSpace()) {
            return false;
        }
        text = QLatin1String("select rowid as ") + QLatin1String(kRowidAlias) +
               QLatin1String(", ") + trimmed.mid(7);
    }
    const QByteArray utf8 = text.toUtf8();
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(channel_.Handle(), utf8.constData(), static_cast<int>(utf8.size()),
                           &stmt, nullptr) != SQLITE_OK ||
        stmt == nullptr) {
        sqlite3_finalize(stmt);
        return false;
    }
    const int count = sqlite3_column_count(stmt);
    const int first = withRowid ? 1 : 0;
    QString table;
    bool singleTable = withRowid;
    if (withRowid) {
        const char* t = sqlite3_column_table_name(stmt, 0);
        singleTable = t != nullptr;
        table = singleTable ? QString::fromUtf8(t) : QString();
    }
    fields_.clear();
    for (int i = first; i < count; ++i) {
        TField f;
        f.name = QString::fromUtf8(sqlite3_column_name(stmt, i));
        const char* origin = sqlite3_column_origin_name(stmt, i);
        const char* t = sqlite3_column_table_name(stmt, i);
        if (origin != nullptr && t != nullptr &&
            table.compare(QString::fromUtf8(t), Qt::CaseInsensitive) == 0) {
            f.column = QString::fromUtf8(origin);
        } else if (t == nullptr || table.compare(QString::fromUtf8(t), Qt::CaseInsensitive) != 0) {
            // A column of another source, an expression or an aggregate: not a plain
            // single-table result, so it must not be written back.
            singleTable = false;
        }
        fields_.push_back(std::move(f));
    }
    stmt_ = stmt;
    hasRowid_ = withRowid;
    table_ = singleTable ? table : QString();
    return true;
}

bool TAdoQuery::FetchOne() {
    lastStepFailed_ = false;
    if (stmt_ == nullptr) {
        return false;
    }
    const int rc = sqlite3_step(stmt_);
    if (rc != SQLITE_ROW) {
        lastStepFailed_ = rc != SQLITE_DONE;
        ReleaseStatement();
        return false;
    }
    const int first = hasRowid_ ? 1 : 0;
    TRow row;
    row.reserve(fields_.size());
    for (int i = 0; i < static_cast<int>(fields_.size()); ++i) {
        row.push_back(ColumnValue(stmt_, i + first));
    }
    rows_.push_back(std::move(row));
    rowids_.push_back(hasRowid_ ? sqlite3_column_int64(stmt_, 0) : 0);
    return true;
}

void TAdoQuery::ReleaseStatement() {
    if (stmt_ != nullptr) {
        sqlite3_finalize(stmt_);
        stmt_ = nullptr;
    }
}

void TAdoQuery::FetchAll() {
    while (FetchOne()) {
    }
}

void TAdoQuery::Close() {
    ReleaseStatement();
    state_ = TState::Inactive;
    fields_.clear();
    rows_.clear();
    rowids_.clear();
    buffer_.clear();
    modified_.clear();
    table_.clear();
    hasRowid_ = false;
    pos_ = 0;
}

bool TAdoQuery::EnsureRow(int index) {
    while (static_cast<int>(rows_.size()) <= index && FetchOne()) {
    }
    return index >= 0 && index < static_cast<int>(rows_.size());
}

void TAdoQuery::First() {
    pos_ = 0;
}

void TAdoQuery::Next() {
    if (Active() && EnsureRow(pos_)) {
        ++pos_;
    }
}

void TAdoQuery::MoveBy(int rows) {
    if (rows < 0) {
        pos_ = std::max(0, pos_ + rows);
        return;
    }
    for (int i = 0; i < rows && !Eof(); ++i) {
        Next();
    }
}

bool TAdoQuery::Eof() {
    return !Active() || !EnsureRow(pos_);
}

int TAdoQuery::RecordCount() {
    FetchAll();
    return static_cast<int>(rows_.size());
}

int TAdoQuery::FieldIndex(const QString& name) const {
    for (int i = 0; i < static_cast<int>(fields_.size()); ++i) {
        if (fields_[static_cast<size_t>(i)].name.compare(name, Qt::CaseInsensitive) == 0) {
            return i;
        }
    }
    return -1;
}

const TAdoQuery::TField& TAdoQuery::FieldOrThrow(const QString& name, int* index) const {
    const int i = FieldIndex(name);
    if (i < 0) {
        throw EDatabaseError(QStringLiteral("Field '%1' not found").arg(name).toStdString());
    }
    *index = i;
    return fields_[static_cast<size_t>(i)];
}

QVariant TAdoQuery::Value(const QString& name) {
    int i = 0;
    FieldOrThrow(name, &i);
    if (state_ == TState::Edit || state_ == TState::Insert) {
        return buffer_[static_cast<size_t>(i)];
    }
    if (!EnsureRow(pos_)) {
        return QVariant();
    }
    return rows_[static_cast<size_t>(pos_)][static_cast<size_t>(i)];
}

QVariant TAdoQuery::ValueAt(int row, int field) {
    if (!Active() || field < 0 || field >= FieldCount() || !EnsureRow(row)) {
        return QVariant();
    }
    return rows_[static_cast<size_t>(row)][static_cast<size_t>(field)];
}

int TAdoQuery::AsInteger(const QString& name) {
    const QVariant v = Value(name);
    if (v.isNull()) {
        return 0;
    }
    switch (v.typeId()) {
    case QMetaType::LongLong:
        return ClampToInt(v.toLongLong());
    case QMetaType::Double:
        return DoubleToInt(v.toDouble());
    default: {
        bool ok = false;
        const QString s = v.toString().trimmed();
        const long long i = s.toLongLong(&ok);
        if (ok) {
            return ClampToInt(i);
        }
        const double d = s.toDouble(&ok);
        return ok ? DoubleToInt(d) : 0;
    }
    }
}

QString TAdoQuery::AsString(const QString& name) {
    const QVariant v = Value(name);
    if (v.isNull()) {
        return QString();
    }
    if (v.typeId() == QMetaType::Double) {
        return QString::number(v.toDouble(), 'g', 15);
    }
    return v.toString();
}

double TAdoQuery::AsFloat(const QString& name) {
    const QVariant v = Value(name);
    if (v.isNull()) {
        return 0.0;
    }
    bool ok = false;
    const double d =
        v.typeId() == QMetaType::QString ? v.toString().trimmed().toDouble(&ok) : v.toDouble(&ok);
    return ok ? d : 0.0;
}

void TAdoQuery::Edit() {
    if (!Active() || !CanModify()) {
        throw EDatabaseError("Cannot modify a read-only dataset");
    }
    if (!EnsureRow(pos_)) {
        throw EDatabaseError("Cannot perform this operation on an empty dataset");
    }
    buffer_ = rows_[static_cast<size_t>(pos_)];
    modified_.assign(fields_.size(), false);
    state_ = TState::Edit;
}

void TAdoQuery::Append() {
    if (!Active() || !CanModify()) {
        throw EDatabaseError("Cannot modify a read-only dataset");
    }
    buffer_.assign(fields_.size(), QVariant());
    modified_.assign(fields_.size(), false);
    state_ = TState::Insert;
}

void TAdoQuery::SetValue(const QString& name, const QVariant& value) {
    if (state_ != TState::Edit && state_ != TState::Insert) {
        throw EDatabaseError("Dataset not in edit or insert mode");
    }
    int i = 0;
    const TField& f = FieldOrThrow(name, &i);
    if (f.column.isEmpty()) {
        throw EDatabaseError(
            QStringLiteral("Field '%1' cannot be modified").arg(name).toStdString());
    }
    buffer_[static_cast<size_t>(i)] = value;
    modified_[static_cast<size_t>(i)] = true;
}

void TAdoQuery::Cancel() {
    if (state_ == TState::Edit || state_ == TState::Insert) {
        state_ = TState::Browse;
        buffer_.clear();
        modified_.clear();
    }
}

void TAdoQuery::Post() {
    if (state_ == TState::Edit) {
        PostEdit();
    } else if (state_ == TState::Insert) {
        PostInsert();
    } else {
        throw EDatabaseError("Dataset not in edit or insert mode");
    }
}

std::vector<size_t> TAdoQuery::ModifiedFields() const {
    std::vector<size_t> bound;
    for (size_t i = 0; i < fields_.size(); ++i) {
        if (modified_[i]) {
            bound.push_back(i);
        }
    }
    return bound;
}

void TAdoQuery::RunBoundWrite(const QString& sql, const std::vector<size_t>& bound,
                              bool bindRowid) {
    channel_.BeforeWrite();
    sqlite3_stmt* stmt = channel_.CachedStatement(sql);
    int rc = SQLITE_ERROR;
    if (stmt != nullptr) {
        int n = 1;
        for (size_t i : bound) {
            BindValue(stmt, n++, buffer_[i]);
        }
        if (bindRowid) {
            sqlite3_bind_int64(stmt, n, rowids_[static_cast<size_t>(pos_)]);
        }
        rc = sqlite3_step(stmt);
        sqlite3_reset(stmt);
        sqlite3_clear_bindings(stmt);
    }
    if (rc != SQLITE_DONE) {
        const QString error = channel_.LastError();
        Cancel();
        throw EDatabaseError(error.toStdString());
    }
}

void TAdoQuery::PostEdit() {
    const std::vector<size_t> bound = ModifiedFields();
    if (bound.empty()) {
        Cancel();
        return;
    }
    QStringList sets;
    for (size_t i : bound) {
        sets << QuoteIdentifier(fields_[i].column) + QLatin1String("=?");
    }
    RunBoundWrite(QLatin1String("update ") + QuoteIdentifier(table_) + QLatin1String(" set ") +
                      sets.join(QLatin1Char(',')) + QLatin1String(" where rowid=?"),
                  bound, true);
    rows_[static_cast<size_t>(pos_)] = buffer_;
    Cancel();
}

void TAdoQuery::PostInsert() {
    const std::vector<size_t> bound = ModifiedFields();
    QStringList columns;
    QStringList marks;
    for (size_t i : bound) {
        columns << QuoteIdentifier(fields_[i].column);
        marks << QStringLiteral("?");
    }
    RunBoundWrite(bound.empty()
                      ? QLatin1String("insert into ") + QuoteIdentifier(table_) +
                            QLatin1String(" default values")
                      : QLatin1String("insert into ") + QuoteIdentifier(table_) + QLatin1Char('(') +
                            columns.join(QLatin1Char(',')) + QLatin1String(") values(") +
                            marks.join(QLatin1Char(',')) + QLatin1Char(')'),
                  bound, false);
    rows_.push_back(buffer_);
    rowids_.push_back(sqlite3_last_insert_rowid(channel_.Handle()));
    pos_ = static_cast<int>(rows_.size()) - 1;
    Cancel();
}

bool TAdoQuery::SetFilter(const QString& filter) {
    filter_ = filter.trimmed();
    return !Active() || Open();
}

bool TAdoQuery::SetSort(const QString& sort) {
    sort_ = sort.trimmed();
    return !Active() || Open();
}
