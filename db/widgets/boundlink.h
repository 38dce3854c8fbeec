#pragma once
// The link between one control and a data source, shared by every data-bound control, grid
// and navigator. It follows the source's dataset (also when the source is given another one),
// tells its control when to show the current row again, starts edit state for it (auto-edit),
// and, as the dataset's DataLink, copies the control's value into the field before the row is
// written. It is a child of its control, so a window finds the links of all its controls with
// findChildren<BoundLink*>().

#include "db/datasource.h"

#include <QObject>
#include <QPointer>
#include <functional>

class QWidget;

namespace corvalen {

class DeferredError;

class BoundLink : public QObject, public db::DataLink {
    Q_OBJECT
public:
    // A link for `control` on `source`; `fieldName` is empty for grids and navigators.
    BoundLink(QWidget* control, db::DataSource* source, const QString& fieldName = {});
    ~BoundLink() override;

    db::DataSource* dataSource() const { return source_; }
    void setDataSource(db::DataSource* source);
    QString fieldName() const { return fieldName_; }
    void setFieldName(const QString& name);

    db::Dataset* dataset() const { return dataset_; }
    bool active() const;     // the dataset is open
    bool editing() const;    // the dataset is in edit or insert state
    bool hasField() const;   // open, and the result has the column
    db::Field field() const; // raises "<dataset>: Field '<name>' not found"
    // The field's text as shown (display format honoured), and its plain text; empty while
    // closed, without rows or without the column, and when the row cannot be read (the failure
    // is then reported once the current event is over).
    QString displayText() const;
    QString text() const;
    // Whether typing may change the field: the dataset can be written and the field is not
    // read-only (an auto-number, an expression).
    bool canModify() const;

    // Auto-edit: puts the dataset into edit state (insert on an empty dataset) when the field
    // can be changed. Returns whether the dataset is now being edited.
    bool edit();

    // The control's value differs from the field: it is copied by updateRecord().
    void setModified() { modified_ = true; }
    bool isModified() const { return modified_; }
    // Shows the field again in the control, dropping what was typed.
    void reset();
    // How many times the control has been given the field's value to show.
    int timesShown() const { return shown_; }

    // Copies the control's value into the field when it was changed. A failure selects the
    // control's text, gives it the focus and raises; the row stays pending.
    void updateRecord() override;

    // A control losing the focus copies its value at once; a failure is reported in the error
    // box when the focus change is over, with the text selected and the focus back in the
    // control (unless a post has met and raised the same failure meanwhile).
    void exit(Qt::FocusReason reason);

    // Whether the window's closing drops this dataset's pending row. Off for a lookup list,
    // which only reads its rows.
    bool editsRows() const { return editsRows_; }
    void setEditsRows(bool on) { editsRows_ = on; }

    // Callbacks of the control.
    std::function<void()> onDataChange;  // show the field (displayText()) in the control
    std::function<void()> onUpdateData;  // write the control's value into field(); may raise
    std::function<void()> onSelectAll;   // select the control's text after a failed copy
    std::function<void()> onStateChange; // the dataset was opened, closed or changed state

signals:
    // The dataset behind the link was replaced (a new source, or the source's new dataset).
    void datasetChanged();

private:
    void bind();
    void unbind();
    void dataChange();
    void failed();
    QString read(QString (*as)(const db::Field&)) const;

    QWidget* control_;
    QPointer<db::DataSource> source_;
    QPointer<db::Dataset> dataset_;
    QString fieldName_;
    QList<QMetaObject::Connection> connections_;
    bool modified_ = false;
    int shown_ = 0;
    bool editsRows_ = true;
    DeferredError* readFailure_;
    DeferredError* exitFailure_;
};

} // namespace corvalen
