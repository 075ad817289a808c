#pragma once

// The word-list grid's model: a table over the print query itself, so the grid, the count
// and the print walk see the same filtered, sorted rows. Reading a cell never moves the
// query's cursor.
#include <QAbstractTableModel>
#include <QStringList>

class TAdoQuery;

class TPrintGridModel : public QAbstractTableModel {
public:
    explicit TPrintGridModel(QObject* parent = nullptr);

    void SetQuery(TAdoQuery* query);
    TAdoQuery* Query() const { return query_; }
    // Re-run the query with the filter or the sort; the rows are read anew.
    bool SetFilter(const QString& filter);
    bool SetSort(const QString& sort);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant& value,
                       int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    void Reload();

    TAdoQuery* query_ = nullptr;
    int rows_ = 0;
    QStringList titles_;
};
