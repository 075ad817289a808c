#pragma once

// The word-list grid's model: the print query's rows, fetched once when the list is opened,
// then narrowed and sorted in memory, as a client-side record set is. The grid, the count
// and the print walk see the same rows, and no click after the opening waits for the
// database file or meets its errors.
#include <QAbstractTableModel>
#include <QStringList>
#include <vector>

class TAdoQuery;

class TPrintGridModel : public QAbstractTableModel {
public:
    explicit TPrintGridModel(QObject* parent = nullptr);

    // Reads every row of the query (null: no rows).
    void SetQuery(TAdoQuery* query);
    TAdoQuery* Query() const { return query_; }
    // Keeps the rows with ABILITY <= maxAbility and WORD_ROUND >= minRound; the sort stays.
    void SetLimits(int maxAbility, int minRound);
    // Sorts the kept rows by a column; -1 keeps the query's own order.
    void SetSort(int column, bool ascending);

    // The query's row behind a listed row.
    int SourceRow(int row) const { return rows_[static_cast<size_t>(row)]; }
    const std::vector<int>& ListedRows() const { return rows_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant& value,
                       int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    void Rebuild();

    TAdoQuery* query_ = nullptr;
    QStringList titles_;
    int count_ = 0;         // the query's rows, all fetched when it was set
    std::vector<int> rows_; // the listed ones, in the listed order
    int ability_ = -1;
    int round_ = -1;
    int maxAbility_ = 0;
    int minRound_ = 0;
    bool limited_ = false;
    int sortColumn_ = -1;
    bool ascending_ = true;
};
