#pragma once
// A fake screen for the magnifier: a picture whose every pixel encodes its own coordinates
// (never black), a cursor the test moves, and the last area read.

#include "platform/screen.h"

namespace corvalen::test {

class FakeScreen : public platform::Screen {
public:
    explicit FakeScreen(QSize size = {1280, 1024}) : pixels_(size, QImage::Format_RGB32) {
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                pixels_.setPixel(x, y, colourAt({x, y}));
        platform::setScreenForTests(this);
    }
    ~FakeScreen() override { platform::setScreenForTests(nullptr); }

    static QRgb colourAt(QPoint p) {
        return qRgb(p.x() & 0xff, p.y() & 0xff, 128 + (p.x() >> 8) * 8 + (p.y() >> 8));
    }

    QPoint cursorPos() const override { return cursor; }
    QRect primaryGeometry() const override { return pixels_.rect(); }
    QImage grab(const QRect& area) const override {
        lastGrab = area;
        ++grabs;
        return pixels_.copy(area);
    }
    bool applicationMinimised() const override { return minimised; }

    QPoint cursor;
    bool minimised = false;
    mutable QRect lastGrab;
    mutable int grabs = 0;

private:
    QImage pixels_;
};

} // namespace corvalen::test
