#pragma once
// Common look of the program's windows: Tahoma 8 point, fixed border, client size, centred
// on the desktop, and the two ways a window is used (a start-up instance shown modeless and
// hidden on close, or a per-use instance shown modally and destroyed by its caller).
//
// Closing. However a window closes (its close box, close(), accept/reject, hide, or being
// destroyed while shown), FormCloseQuery() is asked first where the window can still stay
// open, and FormClose() runs once it has gone: by default it drops the pending row (a row
// being edited or inserted and not posted) of every dataset that the window's bound controls,
// grids and navigators show. So a half-typed row never reaches a later window's Insert, which
// would otherwise post it. A window with an ending of its own (asking before dropping unsaved
// text) overrides FormCloseQuery, or FormClose calling the base last.

#include "platform/messages.h"

#include <QDialog>
#include <QFont>

class QWidget;

namespace corvalen {

class DBNavigator;

// The program's font: Tahoma where the system has it, else its metric clone.
QFont programFont(int pointSize = 8, bool bold = false);

enum class Border { Fixed, FixedWithMinimize, FixedWithMinMax, Sizeable, Dialog };

class Form : public QDialog {
    Q_OBJECT
public:
    explicit Form(QWidget* owner = nullptr);
    ~Form() override;

    // Caption, client size and border; centred on the desktop.
    void setupForm(const QString& caption, int clientWidth, int clientHeight,
                   Border border = Border::Fixed);

    // Shows a start-up instance modeless and brings it to the front.
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
    // error box and the window goes on.
    template <typename Window> auto command(void (Window::*handler)()) {
        return [this, handler] {
            messages::guarded([this, handler] { (static_cast<Window*>(this)->*handler)(); });
        };
    }

    // Drops the pending rows of the datasets that this window's bound controls show.
    void dropPendingRows();

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // Runs each time the window becomes visible; errors are shown and the window shown anyway.
    virtual void FormShow() {}
    // Asked before the window closes; false keeps it open. Errors are shown and keep it open.
    virtual bool FormCloseQuery() { return true; }
    // Runs after the window has closed or been hidden (not minimised). Drops pending rows.
    virtual void FormClose() { dropPendingRows(); }

private:
    bool closeAllowed();

    bool centred_ = false;
    bool closeAsked_ = false;
};

} // namespace corvalen
