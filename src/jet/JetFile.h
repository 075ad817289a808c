#pragma once

// Reading an Access (Jet 4) database through libmdb: the file's kind from its first page,
// the tables' row counts, and every row of a table as typed cells.
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <string>
#include <variant>
#include <vector>

// What the first bytes of a file say it is.
enum class TFileKind {
    Jet4,     // an Access 2000-2003 database
    OtherJet, // Jet 3 (Access 97) or ACE (Access 2007 and later)
    SQLite,
    Other, // not a database file, or too short to be one
};

TFileKind SniffFileKind(const QString& path);

// How a column's values are read: integers of any width as integers, texts as UTF-8, date-times
// as the stored day number (days since 30 December 1899, the time as the fraction).
enum class TJetKind { Integer, Text, Day };

// libmdb gives NULL and an empty text alike: the column says which of the two to write.
enum class TEmptyText { Null, Empty };

struct TJetColumn {
    const char* name;
    TJetKind kind;
    TEmptyText empty = TEmptyText::Null;
};

// NULL, an integer, a day number or a UTF-8 text.
using TJetCell = std::variant<std::monostate, std::int64_t, double, std::string>;
using TJetRow = std::vector<TJetCell>;

class TJetFile {
public:
    TJetFile() = default;
    ~TJetFile();
    TJetFile(const TJetFile&) = delete;
    TJetFile& operator=(const TJetFile&) = delete;

    // Opens a Jet 4 file and reads its table catalogue. False with *error otherwise.
    bool Open(const QString& path, QString* error);

    // The names of the user tables.
    QStringList Tables() const { return tables_; }

    // The rows the table's definition counts; -1 when the table is missing or unreadable.
    std::int64_t RowCount(const QString& table);

    // Calls row() with the cells of every row of the table, in the order of columns (names
    // without regard to case). False with *error when the table or a column is missing, a
    // column has another type, or fewer or more rows than the definition counts can be read
    // (a damaged file). row() returning false stops the walk (and the call returns false).
    bool ReadTable(const QString& table, const std::vector<TJetColumn>& columns,
                   const std::function<bool(const TJetRow&)>& row, QString* error);

private:
    QString CatalogName(const QString& table) const;

    void* mdb_ = nullptr; // MdbHandle, an unnamed struct in libmdb's header
    QStringList tables_;
};
