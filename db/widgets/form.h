#pragma once
// Common look of the program's windows: Tahoma 8 point, fixed border, client size, centred
// on the desktop, and the two ways a window is used (a start-up instance shown modeless and
// hidden on close, or a per-use instance shown modally and destroyed by its caller).

#include <QDialog>
#include <QFont>

namespace corvalen {

// The program's font: Tahoma where the system has it, else its metric clone.
QFont programFont(int pointSize = 8, bool bold = false);

enum class Border { Fixed, FixedWithMinimize, FixedWithMinMax, Sizeable, Dialog };

class Form : public QDialog {
    Q_OBJECT
public:
    explicit Form(QWidget* owner = nullptr);

    // Caption, client size and border; centred on the desktop.
    void setupForm(const QString& caption, int clientWidth, int clientHeight,
                   Border border = Border::Fixed);

    // Shows a start-up instance modeless and brings it to the front.
    void showInFront();

protected:
    void showEvent(QShowEvent* event) override;
    // Runs each time the window becomes visible; errors are shown and the window shown anyway.
    virtual void FormShow() {}

private:
    bool centred_ = false;
};

} // namespace corvalen
