#pragma once
// Common look and keyboard of the program's windows: Tahoma 8 point, fixed border, client
// size, centred on the desktop, and the two ways a window is used (a start-up instance shown
// modeless and hidden on close, or a per-use instance shown modally and destroyed by its
// caller).
//
// Keys. No window has a default button: Enter in a text box does only what that box does, and
// Enter on a focused button presses that button. Esc closes no window; a bound box and the
// grid's cell editor keep their own Esc, which drops what was typed there.
//
// One task-bar entry. Every window is a dialog-type window that the desktop shows as a
// transient of another: a per-use window of the window that created it, a start-up instance
// of the program's main window, or of the modal window it is shown from (which would
// otherwise block it).
//
// Closing. However a window closes (its close box, close(), accept/reject, hide, or being
// destroyed while shown), FormCloseQuery() is asked first where the window can still stay
// open, and FormClose() runs once it has gone. By default FormCloseQuery asks
// discardQuestion() ("&No" the default) when a dataset of the window's bound controls, grids
// and navigators holds a pending row changed since the window was shown or since the row began
// to be edited; "&No" keeps the window and the text. FormClose then drops every pending row (a
// row being edited or inserted and not posted), so a half-typed row never reaches a later
// window's Insert, which would otherwise post it. A window with an ending of its own overrides
// FormCloseQuery or hasUnsavedChanges, or FormClose calling the base last.

#include "platform/messages.h"

#include <QDialog>
#include <QFont>
#include <QPointer>
#include <QVariant>
#include <vector>

class QWidget;

namespace corvalen {

namespace db {
class Dataset;
}
class DBNavigator;

// The program's font: Tahoma where the system has it, else its metric clone.
QFont programFont(int pointSize = 8, bool bold = false);

enum class Border { Fixed, FixedWithMinimize, FixedWithMinMax, Sizeable, Dialog };

class Form : public QDialog {
    Q_OBJECT
public:
    explicit Form(QWidget* owner = nullptr);
    ~Form() override;

    // The program's main window: the task-bar entry whose transients the start-up instances
    // are. Set by the main window for its lifetime.
    static void setProgramWindow(QWidget* window);
    static QWidget* programWindow();

    // The question asked before a window's changed pending row is thrown away.
    static QString discardQuestion();

    // Caption, client size and border; centred on the desktop.
    void setupForm(const QString& caption, int clientWidth, int clientHeight,
                   Border border = Border::Fixed);

    // Shows a start-up instance modeless (restored if minimised) and brings it to the front,
    // as a transient of the modal window in use, if any, else of the program's window.
    void showInFront();

    // The single-row reload of a record editor, on the dataset of `navigator`'s data source.
    // A key other than 0 replaces the SQL by the lines "SELECT * from <table>" and
    // "where <keyColumn> =<key>;" and opens it (that one row, or none when it no longer
    // exists). Key 0 leaves the dataset as it is, runs Insert through the navigator, hides
    // `removeButton` and sets the caption to `newCaption` (when given). Returns whether a new
    // row was started.
    bool loadRecord(DBNavigator* navigator, const QString& table, const QString& keyColumn, int key,
                    QWidget* removeButton = nullptr, const QString& newCaption = {});

    // Wraps a member handler for connect(): an error it raises is shown in the application
    // error box and the window goes on. The handler takes the signal's arguments, or none.
    template <typename Window, typename Result, typename... Args>
    auto command(Result (Window::*handler)(Args...)) {
        return [this, handler](Args... args) {
            messages::guarded([&] { (static_cast<Window*>(this)->*handler)(args...); });
        };
    }

    // Drops the pending rows of the datasets that this window's bound controls show.
    void dropPendingRows();

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // Runs each time the window becomes visible; errors are shown and the window shown anyway.
    virtual void FormShow() {}
    // Asked before the window closes; false keeps it open. Errors are shown and keep it open.
    // By default asks discardQuestion() when hasUnsavedChanges().
    virtual bool FormCloseQuery();
    // Whether closing now would throw away changes: a changed pending row (see above).
    virtual bool hasUnsavedChanges();
    // Runs after the window has closed or been hidden (not minimised). Drops pending rows.
    virtual void FormClose() { dropPendingRows(); }

private:
    // The pending row of a dataset as it stood when the window was shown or when the row
    // began to be edited, to tell a changed row from one that was only started.
    struct Baseline {
        QPointer<db::Dataset> dataset;
        std::vector<QVariant> values;
        bool taken = false;
    };

    bool closeAllowed();
    std::vector<db::Dataset*> editedDatasets() const;
    void copyControls(db::Dataset* dataset); // the controls' typed text into the fields
    void watchPendingRows();
    void forgetPendingRows();
    void takeBaseline(Baseline& baseline);
    bool pendingRowChanged(const Baseline& baseline);

    bool centred_ = false;
    bool closeAsked_ = false;
    std::vector<Baseline> baselines_;
    QList<QMetaObject::Connection> baselineConnections_;
    QMetaObject::Connection transientConnection_;
};

} // namespace corvalen
