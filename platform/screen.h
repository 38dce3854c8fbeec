#pragma once
// The screen as the magnifier sees it: the cursor's position, the primary display's rectangle,
// a read-only copy of screen pixels, and whether the application is minimised. Tests install
// a fake screen in place of the real one.

#include <QImage>
#include <QPoint>
#include <QRect>

namespace corvalen::platform {

class Screen {
public:
    virtual ~Screen() = default;
    // The mouse cursor's position in screen coordinates.
    virtual QPoint cursorPos() const = 0;
    // The primary display in screen coordinates (its left and top are 0 on one display).
    virtual QRect primaryGeometry() const = 0;
    // A copy of the screen pixels of area (screen coordinates), one image pixel per screen
    // pixel; parts of the area off the screen come back black.
    virtual QImage grab(const QRect& area) const = 0;
    // True when every visible window of the application is minimised.
    virtual bool applicationMinimised() const = 0;
};

// The screen in use: the fake one while a test has installed it, else the real one.
Screen& screen();
// Installs a fake screen (not owned); nullptr restores the real one.
void setScreenForTests(Screen* fake);

} // namespace corvalen::platform
