#include "print/PrintGrid.h"

#include "store/AdoQuery.h"

#include <algorithm>

namespace {

bool IsNumber(const QVariant& v) {
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Double:
        return true;
    default:
        return false;
    }
}

// SQL's order: nulls first, numbers by value before texts, texts by code point.
int Compare(const QVariant& a, const QVariant& b) {
    if (a.isNull() || b.isNull()) {
        return int(b.isNull()) - int(a.isNull());
    }
    if (IsNumber(a) && IsNumber(b)) {
        const double x = a.toDouble();
        const double y = b.toDouble();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    if (IsNumber(a) != IsNumber(b)) {
        return IsNumber(a) ? -1 : 1;
    }
    return a.toString().compare(b.toString());
}

} // namespace

TPrintGridModel::TPrintGridModel(QObject* parent) : QAbstractTableModel(parent) {}

void TPrintGridModel::SetQuery(TAdoQuery* query) {
    beginResetModel();
    query_ = query;
    titles_.clear();
    count_ = 0;
    ability_ = round_ = -1;
    sortColumn_ = -1;
    limited_ = false;
    if (query_ != nullptr && query_->Active()) {
        for (int i = 0; i < query_->FieldCount(); ++i) {
            titles_ << query_->FieldName(i);
        }
        ability_ = query_->FieldIndex(QStringLiteral("ABILITY"));
        round_ = query_->FieldIndex(QStringLiteral("WORD_ROUND"));
        count_ = query_->RecordCount(); // every row is fetched and kept by the query
    }
    Rebuild();
    endResetModel();
}

void TPrintGridModel::SetLimits(int maxAbility, int minRound) {
    beginResetModel();
    limited_ = true;
    maxAbility_ = maxAbility;
    minRound_ = minRound;
    Rebuild();
    endResetModel();
}

void TPrintGridModel::SetSort(int column, bool ascending) {
    beginResetModel();
    sortColumn_ = column >= 0 && column < titles_.size() ? column : -1;
    ascending_ = ascending;
    Rebuild();
    endResetModel();
}

void TPrintGridModel::Rebuild() {
    rows_.clear();
    const auto value = [this](int row, int column) { return query_->ValueAt(row, column); };
    for (int r = 0; r < count_; ++r) {
        // A row whose score or passes is missing fails the limits, as in SQL.
        if (!limited_ || (!value(r, ability_).isNull() && !value(r, round_).isNull() &&
                          value(r, ability_).toDouble() <= maxAbility_ &&
                          value(r, round_).toDouble() >= minRound_)) {
            rows_.push_back(r);
        }
    }
    if (sortColumn_ >= 0) {
        std::stable_sort(rows_.begin(), rows_.end(), [&](int a, int b) {
            const int order = Compare(value(a, sortColumn_), value(b, sortColumn_));
            return ascending_ ? order < 0 : order > 0;
        });
    }
}

int TPrintGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int TPrintGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(titles_.size());
}

QVariant TPrintGridModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount() ||
        index.column() >= columnCount()) {
        return QVariant();
    }
    const QVariant v = query_->ValueAt(SourceRow(index.row()), index.column());
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
