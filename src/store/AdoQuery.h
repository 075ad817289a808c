#pragma once

#include <QString>
#include <QVariant>
#include <QVector>
#include <vector>

struct sqlite3_stmt;
class TAdoChannel;

// A result set bound to the channel's connection. Rows are fetched from the database as the
// cursor needs them and kept, so a result set never changes under its reader: before
// anything is written through the channel, every open result set fetches its remaining
// rows (see TAdoChannel::BeforeWrite). Field names are matched without regard to case.
// Single-table results can be edited and appended to; posting changes exactly the row the
// values came from (by rowid) with bound values.
class TAdoQuery {
public:
    enum class TState { Inactive, Browse, Edit, Insert };

    explicit TAdoQuery(TAdoChannel& channel);
    ~TAdoQuery();
    TAdoQuery(const TAdoQuery&) = delete;
    TAdoQuery& operator=(const TAdoQuery&) = delete;

    void SetSQL(const QString& sql);
    const QString& SQL() const { return sql_; }

    // Runs the statement (with the filter and sort, if any) and positions at the first
    // row. False when the database refuses the statement; the set is then inactive.
    bool Open();
    void Close();
    bool Active() const { return state_ != TState::Inactive; }
    TState State() const { return state_; }

    void First();
    void Next();
    void MoveBy(int rows);
    bool Eof();
    int RecordCount();
    int RecNo() const { return pos_; }

    int FieldCount() const { return static_cast<int>(fields_.size()); }
    QString FieldName(int index) const { return fields_.at(index).name; }
    int FieldIndex(const QString& name) const;
    bool HasField(const QString& name) const { return FieldIndex(name) >= 0; }

    // Values of the current row; a missing field raises EDatabaseError, a null or a row
    // past the end reads as 0, empty text or 0.0.
    QVariant Value(const QString& name);
    int AsInteger(const QString& name);
    QString AsString(const QString& name);
    double AsFloat(const QString& name);
    // The value of any row by field index, without moving the cursor (a grid reads what it
    // shows while the cursor walks); null past the end or for a bad index.
    QVariant ValueAt(int row, int field);

    bool CanModify() const { return !table_.isEmpty(); }
    void Edit();
    void Append();
    void SetValue(const QString& name, const QVariant& value);
    void Post();
    void Cancel();

    // Re-run the statement as select * from (statement) where filter order by sort; empty
    // texts remove them. False when the database refuses the combined statement.
    bool SetFilter(const QString& filter);
    bool SetSort(const QString& sort);
    const QString& Filter() const { return filter_; }
    const QString& Sort() const { return sort_; }

    // Reads every remaining row and releases the statement.
    void FetchAll();
    bool Fetching() const { return stmt_ != nullptr; }

private:
    struct TField {
        QString name;
        QString column; // the table's own column name, empty for an expression
    };
    using TRow = std::vector<QVariant>;

    QString EffectiveSQL() const;
    bool Prepare(const QString& sql, bool withRowid);
    bool FetchOne();
    void ReleaseStatement();
    bool EnsureRow(int index);
    const TField& FieldOrThrow(const QString& name, int* index) const;
    void PostEdit();
    void PostInsert();
    // The fields changed since Edit or Append, in column order.
    std::vector<size_t> ModifiedFields() const;
    // Runs a write with those fields bound in order, then the current row's rowid when asked;
    // on failure leaves edit mode and raises EDatabaseError.
    void RunBoundWrite(const QString& sql, const std::vector<size_t>& bound, bool bindRowid);

    TAdoChannel& channel_;
    QString sql_;
    QString filter_;
    QString sort_;
    TState state_ = TState::Inactive;
    sqlite3_stmt* stmt_ = nullptr;
    bool hasRowid_ = false;
    QString table_; // set when the result can be modified
    std::vector<TField> fields_;
    std::vector<TRow> rows_;
    std::vector<qint64> rowids_;
    int pos_ = 0;
    bool lastStepFailed_ = false;
    TRow buffer_;                // values being edited or appended
    std::vector<bool> modified_; // which fields of buffer_ were set
};
