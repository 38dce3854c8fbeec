#pragma once
// A data source: the binding point between one dataset and any number of bound controls,
// grids and navigators. Auto-edit is on: typing into a bound control puts the dataset into
// edit state (insert on an empty dataset).

#include "db/dataset.h"

#include <QObject>
#include <QPointer>

namespace corvalen::db {

class DataSource : public QObject {
    Q_OBJECT
public:
    explicit DataSource(const QString& name, Dataset* dataset = nullptr, QObject* parent = nullptr);

    Dataset* dataset() const { return dataset_; }
    void setDataset(Dataset* dataset);
    bool autoEdit() const { return autoEdit_; }
    void setAutoEdit(bool on) { autoEdit_ = on; }

    // Called by a bound control before it lets the user change its text: starts edit state
    // when auto-edit is on. Returns whether the dataset is now being edited.
    bool edit();

signals:
    void datasetChanged();

private:
    QPointer<Dataset> dataset_;
    bool autoEdit_ = true;
};

} // namespace corvalen::db
