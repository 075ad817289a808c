#pragma once

// The report data set: an in-memory table made for one print run from the listed words,
// read back in the order its rows were appended (ascending ID).
#include <QString>
#include <functional>
#include <vector>

class TAdoQuery;

class TReportDataSet {
public:
    // The field sizes, in bytes as the text would take in GBK.
    static constexpr int kWordNameSize = 80;
    static constexpr int kSymbolSize = 50;
    static constexpr int kFirstID = 1000;

    struct TRow {
        int ID = 0;
        QString WORD_NAME;
        QString WORD_Symbol;
        QString WORD_Trans;
    };

    // Appends a row with the next ID; the texts are trimmed of blanks and control
    // characters and cut to their field sizes.
    void Append(const QString& wordName, const QString& symbol, const QString& trans);

    void First() { pos_ = 0; }
    void Next() {
        if (!Eof()) {
            ++pos_;
        }
    }
    bool Eof() const { return pos_ >= static_cast<int>(rows_.size()); }
    int RecNo() const { return pos_; }
    void SetRecNo(int pos) { pos_ = pos < 0 ? 0 : pos; }
    int RecordCount() const { return static_cast<int>(rows_.size()); }
    const std::vector<TRow>& Rows() const { return rows_; }

    // A field of the current row, by name without regard to case; empty past the end or
    // for a name that is not a field.
    QString AsString(const QString& field) const;

    // The name of the one index: rows come back in ascending ID.
    static QString IndexName() { return QStringLiteral("ID_ASC"); }

private:
    std::vector<TRow> rows_;
    int pos_ = 0;
};

// Text cut so that its GBK form takes at most maxBytes (a character is never split).
QString CutToBytes(const QString& text, int maxBytes);

// Copies every row of the word list, from its first to its end, in the list's order (its
// filter and sort apply). afterRow runs after each row, to keep the windows responsive.
void CopyWordList(TAdoQuery& list, TReportDataSet& dataSet,
                  const std::function<void()>& afterRow = {});
