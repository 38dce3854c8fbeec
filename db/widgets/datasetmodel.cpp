#include "db/widgets/datasetmodel.h"

#include "db/dataset.h"
#include "db/widgets/deferred_error.h"

#include <QTimer>

namespace corvalen {

DatasetModel::DatasetModel(QObject* parent)
    : QAbstractTableModel(parent), failure_(new DeferredError(this)) {}

void DatasetModel::setDataset(db::Dataset* dataset) {
    if (dataset_ == dataset)
        return;
    for (const auto& c : std::as_const(connections_))
        disconnect(c);
    connections_.clear();
    dataset_ = dataset;
    if (dataset_) {
        connections_
            << connect(dataset_, &db::Dataset::rowsAboutToReset, this, &DatasetModel::aboutToReset)
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

void DatasetModel::aboutToReset() {
    if (resetting_)
        return;
    if (answering_ > 0) {
        resetLater();
        return;
    }
    ++changing_;
    resetting_ = true;
    beginResetModel();
}

void DatasetModel::reset() {
    if (answering_ > 0) {
        resetLater();
        return;
    }
    if (!resetting_) {
        ++changing_;
        beginResetModel();
    }
    count_ = -1;
    failed_ = false;
    columns_ = dataset_ && dataset_->isOpen() ? dataset_->fieldCount() : 0;
    marked_ = -1;
    resetting_ = false;
    endResetModel();
    --changing_;
    markChanged();
}

// A reset announced while the model reads the rows for a view (the read that succeeds after
// a failed one) waits until that answer is over.
void DatasetModel::resetLater() {
    QTimer::singleShot(0, this, [this] {
        aboutToReset();
        reset();
    });
}

int DatasetModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !active_ || resetting_ || !dataset_ || !dataset_->isOpen())
        return 0;
    if (count_ < 0 && !failed_) {
        ++answering_;
        try {
            count_ = dataset_->recordCount();
        } catch (const std::exception& e) {
            failed_ = true;
            failure_->report(e);
        }
        --answering_;
    }
    return std::max(count_, 0);
}

int DatasetModel::columnCount(const QModelIndex& parent) const {
    if (parent.isValid() || resetting_ || !dataset_ || !dataset_->isOpen())
        return 0;
    return std::min(columns_, dataset_->fieldCount());
}

QVariant DatasetModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
        return {};
    try {
        switch (role) {
        case Qt::DisplayRole:
            return dataset_->displayTextAt(index.row(), index.column());
        case Qt::EditRole:
            return dataset_->textAt(index.row(), index.column());
        default:
            return {};
        }
    } catch (const std::exception& e) {
        failure_->report(e);
    }
    return {};
}

QVariant DatasetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < columnCount())
        return dataset_->column(section).name;
    return {};
}

Qt::ItemFlags DatasetModel::flags(const QModelIndex& index) const {
    if (!index.isValid() || index.column() >= columnCount())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    if (!dataset_->field(index.column()).readOnly())
        f |= Qt::ItemIsEditable;
    return f;
}

void DatasetModel::rowInserted(int row) {
    // A count nobody has asked for yet needs no notice.
    if (count_ < 0 || row < 0 || row > count_)
        return;
    ++changing_;
    beginInsertRows({}, row, row);
    ++count_;
    endInsertRows();
    --changing_;
}

void DatasetModel::rowRemoved(int row) {
    if (count_ < 0 || row < 0 || row >= count_)
        return;
    ++changing_;
    beginRemoveRows({}, row, row);
    --count_;
    endRemoveRows();
    --changing_;
}

void DatasetModel::rowChanged(int row) {
    if (count_ < 0 || row < 0 || row >= count_ || columnCount() == 0)
        return;
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void DatasetModel::fieldChanged(int field) {
    if (count_ < 0 || !dataset_ || field >= columnCount())
        return;
    const int row = dataset_->recNo();
    if (row >= 0 && row < count_)
        emit dataChanged(index(row, field), index(row, field));
}

void DatasetModel::markChanged() {
    const int row = active_ && !resetting_ && dataset_ && dataset_->isOpen() && count_ >= 0
                        ? dataset_->recNo()
                        : -1;
    if (marked_ >= 0 && marked_ != row && marked_ < count_)
        emit indicatorChanged(marked_);
    marked_ = row;
    if (row >= 0)
        emit indicatorChanged(row);
}

} // namespace corvalen
