#include "PrintGrid.h"

#include "AdoQuery.h"

TPrintGridModel::TPrintGridModel(QObject* parent) : QAbstractTableModel(parent) {}

void TPrintGridModel::SetQuery(TAdoQuery* query) {
    beginResetModel();
    query_ = query;
    titles_.clear();
    if (query_ != nullptr) {
        for (int i = 0; i < query_->FieldCount(); ++i) {
            titles_ << query_->FieldName(i);
        }
    }
    Reload();
    endResetModel();
}

void TPrintGridModel::Reload() {
    rows_ = query_ != nullptr && query_->Active() ? query_->RecordCount() : 0;
}

bool TPrintGridModel::SetFilter(const QString& filter) {
    if (query_ == nullptr) {
        return false;
    }
    beginResetModel();
    const bool ok = query_->SetFilter(filter);
    Reload();
    endResetModel();
    return ok;
}

bool TPrintGridModel::SetSort(const QString& sort) {
    if (query_ == nullptr) {
        return false;
    }
    beginResetModel();
    const bool ok = query_->SetSort(sort);
    Reload();
    endResetModel();
    return ok;
}

int TPrintGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int TPrintGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(titles_.size());
}

QVariant TPrintGridModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || query_ == nullptr || !index.isValid()) {
        return QVariant();
    }
    const QVariant v = query_->ValueAt(index.row(), index.column());
    if (v.typeId() == QMetaType::QByteArray) {
        return QVariant(); // pictures or sounds stored in the row are not shown as text
    }
    return v;
}

QVariant TPrintGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < titles_.size()) {
        return titles_.at(section);
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

bool TPrintGridModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant& value,
                                    int role) {
    if (orientation != Qt::Horizontal || role != Qt::EditRole || section < 0 ||
        section >= titles_.size()) {
        return false;
    }
    titles_[section] = value.toString();
    emit headerDataChanged(orientation, section, section);
    return true;
}

Qt::ItemFlags TPrintGridModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}
