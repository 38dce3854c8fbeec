#include "db/widgets/datasetmodel.h"

#include "db/dataset.h"

namespace corvalen {

DatasetModel::DatasetModel(QObject* parent) : QAbstractTableModel(parent) {}

void DatasetModel::setDataset(db::Dataset* dataset) {
    if (dataset_ == dataset)
        return;
    for (const auto& c : std::as_const(connections_))
        disconnect(c);
    connections_.clear();
    dataset_ = dataset;
    if (dataset_) {
        connections_
            << connect(dataset_, &db::Dataset::rowsReset, this, &DatasetModel::reset)
            << connect(dataset_, &db::Dataset::rowInserted, this, &DatasetModel::rowInserted)
            << connect(dataset_, &db::Dataset::rowRemoved, this, &DatasetModel::rowRemoved)
            << connect(dataset_, &db::Dataset::rowChanged, this, &DatasetModel::rowChanged)
            << connect(dataset_, &db::Dataset::fieldChanged, this, &DatasetModel::fieldChanged)
            << connect(dataset_, &db::Dataset::currentChanged, this, &DatasetModel::markChanged)
            << connect(dataset_, &db::Dataset::stateChanged, this, &DatasetModel::markChanged)
            << connect(dataset_, &QObject::destroyed, this, &DatasetModel::reset);
    }
    reset();
}

void DatasetModel::activate() {
    if (active_)
        return;
    active_ = true;
    reset();
}

void DatasetModel::reset() {
    ++changing_;
    beginResetModel();
    count_ = -1;
    columns_ = dataset_ && dataset_->isOpen() ? dataset_->fieldCount() : 0;
    marked_ = -1;
    endResetModel();
    --changing_;
    markChanged();
}

int DatasetModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !active_ || !dataset_ || !dataset_->isOpen())
        return 0;
    if (count_ < 0)
        count_ = dataset_->recordCount();
    return count_;
}

int DatasetModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columns_;
}

QVariant DatasetModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !dataset_ || index.row() >= rowCount() || index.column() >= columns_)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return dataset_->displayTextAt(index.row(), index.column());
    case Qt::EditRole:
        return dataset_->textAt(index.row(), index.column());
    default:
        return {};
    }
}

QVariant DatasetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && hasField(section))
        return dataset_->column(section).name;
    return {};
}

bool DatasetModel::hasField(int column) const {
    // Between the dataset's closing or reopening and the model's reset, views (a screen reader's
    // accessibility updates among them) still ask about the columns the model last announced.
    return dataset_ && column >= 0 && column < columns_ && column < dataset_->fieldCount();
}

Qt::ItemFlags DatasetModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    if (hasField(index.column()) && !dataset_->field(index.column()).readOnly())
        f |= Qt::ItemIsEditable;
    return f;
}

void DatasetModel::rowInserted(int row) {
    // A count nobody has asked for yet needs no notice.
    if (count_ < 0)
        return;
    ++changing_;
    beginInsertRows({}, row, row);
    ++count_;
    endInsertRows();
    --changing_;
}

void DatasetModel::rowRemoved(int row) {
    if (count_ < 0)
        return;
    ++changing_;
    beginRemoveRows({}, row, row);
    --count_;
    endRemoveRows();
    --changing_;
}

void DatasetModel::rowChanged(int row) {
    if (count_ < 0 || row < 0 || row >= count_ || columns_ == 0)
        return;
    emit dataChanged(index(row, 0), index(row, columns_ - 1));
}

void DatasetModel::fieldChanged(int field) {
    if (count_ < 0 || !dataset_ || field >= columns_)
        return;
    const int row = dataset_->recNo();
    if (row >= 0 && row < count_)
        emit dataChanged(index(row, field), index(row, field));
}

void DatasetModel::markChanged() {
    const int row =
        active_ && dataset_ && dataset_->isOpen() && count_ >= 0 ? dataset_->recNo() : -1;
    if (marked_ >= 0 && marked_ != row && marked_ < count_)
        emit indicatorChanged(marked_);
    marked_ = row;
    if (row >= 0)
        emit indicatorChanged(row);
}

} // namespace corvalen
