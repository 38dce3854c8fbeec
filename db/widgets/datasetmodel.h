#pragma once
// A table model over a dataset's accepted rows, for grids and lookup lists: one column per
// field headed by its name, cells read on demand by row and field (nothing is copied). It
// resets only when the dataset rebuilds its row list (open, close, filter, refresh), the reset
// begun before the dataset changes anything and ended after, and otherwise follows single-row
// inserts, removals and changes, so that moving the cursor or editing a row costs nothing in
// proportion to the row count.
//
// It answers views and the accessibility layer at any moment, and never for rows or fields
// that the dataset no longer has. A failed read of the rows is reported once, after the
// current event (a paint, a layout), and the model shows no rows until the dataset's next
// reset (a re-query, or a read that succeeds).
//
// A model starts inactive and shows no rows until activate(): a grid activates it when first
// shown, so a window built at start-up does not make its dataset fetch rows nobody looks at.

#include <QAbstractTableModel>
#include <QPointer>

namespace corvalen {

namespace db {
class Dataset;
}
class DeferredError;

class DatasetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit DatasetModel(QObject* parent = nullptr);

    db::Dataset* dataset() const { return dataset_; }
    void setDataset(db::Dataset* dataset);
    void activate();
    bool isActive() const { return active_; }
    // True while the model follows a change of the dataset's rows (views moving their current
    // index then are following, not choosing, a row).
    bool isChanging() const { return changing_ > 0; }
    // The dataset's current row as last announced, -1 for none: what the indicator marks.
    int currentRow() const { return marked_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    // DisplayRole: the field's display text; EditRole: its text for editing.
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

signals:
    // The row marked in the indicator column, or its mark, changed.
    void indicatorChanged(int row);

private:
    void aboutToReset();
    void reset();
    void resetLater();
    void rowInserted(int row);
    void rowRemoved(int row);
    void rowChanged(int row);
    void fieldChanged(int field);
    void markChanged();

    QPointer<db::Dataset> dataset_;
    QList<QMetaObject::Connection> connections_;
    bool active_ = false;
    mutable int count_ = -1; // -1: not asked since the last reset
    int columns_ = 0;
    int marked_ = -1;
    int changing_ = 0;
    bool resetting_ = false;      // between the dataset's rowsAboutToReset and rowsReset
    mutable bool failed_ = false; // the rows could not be read
    mutable int answering_ = 0;   // inside an answer that may read the rows
    DeferredError* failure_;
};

} // namespace corvalen
