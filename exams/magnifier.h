#pragma once
// The magnifier window "Zoom": a small topmost window showing the screen around the mouse
// cursor enlarged 2, 4, 6 or 8 times, with an optional crosshair on the cursor. While the
// cursor is inside the window the picture gives way to the settings panel. One instance lives
// for the whole run; "&Concluído" and the close box hide it. Its timer runs only while it is
// shown. The screen is read through platform::screen(), so tests can install a fake one.

#include "db/widgets/form.h"

class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QPushButton;
class QSlider;
class QTimer;

namespace corvalen {

class TForm15 : public Form {
    Q_OBJECT
public:
    explicit TForm15(QWidget* owner = nullptr);

    // Outer size limits of the window, width × height.
    static constexpr QSize minimumOuterSize{158, 177};
    static constexpr QSize maximumOuterSize{350, 350};

    // One tick of the timer: the panel while the cursor is inside the window, otherwise the
    // enlarged screen area around the cursor.
    void Timer1Timer();
    void BitBtn1Click();

    QLabel* Image1 = nullptr;
    QFrame* Panel1 = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QSlider* Slider = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QCheckBox* cbSrediste = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QTimer* Timer1 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildPanel();
    void FormResize();
    void applySizeLimits();

    bool placed_ = false;
};

// The start-up instance.
extern TForm15* Form15;

} // namespace corvalen
