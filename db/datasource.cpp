#include "db/datasource.h"

namespace corvalen::db {

DataSource::DataSource(const QString& name, Dataset* dataset, QObject* parent)
    : QObject(parent), dataset_(dataset) {
    setObjectName(name);
}

void DataSource::setDataset(Dataset* dataset) {
    if (dataset_ == dataset)
        return;
    dataset_ = dataset;
    emit datasetChanged();
}

bool DataSource::edit() {
    if (!dataset_ || !dataset_->isOpen())
        return false;
    if (!dataset_->isEditing() && autoEdit_)
        dataset_->edit();
    return dataset_->isEditing();
}

} // namespace corvalen::db
