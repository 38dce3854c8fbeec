#pragma once
// Record navigator: a row of buttons on one data source, for the ten actions in this order
// (numbered from 0): First, Prior, Next, Last, Insert, Delete, Edit, Post, Cancel, Refresh.
//
// - Each button runs its dataset operation; nothing happens while the dataset is closed.
//   Delete asks "Delete record?" ("OK"/"Cancel") while confirmDelete() is on (the default).
// - click(action) runs after every action, also when it did nothing. An error raised by the
//   action is shown in the error box and click() does not run.
// - The window chooses the visible buttons. Enabling follows the dataset: First and Prior off
//   at the first row, Next and Last at the last; Insert and Refresh on when the dataset can be
//   changed, Delete when it can be changed and has rows, Edit when it can be changed and no row
//   is being edited or inserted, Post and Cancel only while a row is being edited or inserted;
//   all off while the dataset is closed.
// - Hints ("First record" ...) are shown only where the window turns them on (setShowHint).
// - A window that keeps its navigator hidden runs actions through it with run(), whatever the
//   buttons' enabling; run() raises the action's error to the window's own handler:
//
//     DBNavigator1->run(DBNavigator::Post);

#include <QList>
#include <QWidget>

class QToolButton;

namespace corvalen {

namespace db {
class DataSource;
class Dataset;
} // namespace db
class BoundLink;
class DeferredError;

class DBNavigator : public QWidget {
    Q_OBJECT
public:
    enum Button { First, Prior, Next, Last, Insert, Delete, Edit, Post, Cancel, Refresh };
    Q_ENUM(Button)
    static constexpr int buttonCount = 10;

    explicit DBNavigator(db::DataSource* source = nullptr, QWidget* parent = nullptr);

    db::DataSource* dataSource() const;
    void setDataSource(db::DataSource* source);
    db::Dataset* dataset() const;
    BoundLink* dataLink() const { return link_; }

    void setVisibleButtons(const QList<Button>& buttons);
    QList<Button> visibleButtons() const;
    bool confirmDelete() const { return confirmDelete_; }
    void setConfirmDelete(bool on) { confirmDelete_ = on; }
    void setShowHint(bool on);
    bool showHint() const { return showHint_; }

    // Whether the button would be enabled in the dataset's present state.
    bool isButtonEnabled(Button button) const;
    QToolButton* button(Button button) const { return buttons_.at(button); }
    static QString hint(Button button);

    // Runs an action as its button would, whatever the button's enabling, then click().
    void run(Button button);

signals:
    void click(corvalen::DBNavigator::Button button);

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void updateButtons();

    BoundLink* link_;
    DeferredError* readFailure_;
    QList<QToolButton*> buttons_;
    bool confirmDelete_ = true;
    bool showHint_ = false;
};

} // namespace corvalen
