#include "platform/screen.h"

#include <QApplication>
#include <QCursor>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QWidget>

namespace corvalen::platform {

namespace {

class QtScreen : public Screen {
public:
    QPoint cursorPos() const override { return QCursor::pos(); }

    QRect primaryGeometry() const override {
        const QScreen* s = QGuiApplication::primaryScreen();
        return s ? s->geometry() : QRect();
    }

    QImage grab(const QRect& area) const override {
        QImage image(area.size(), QImage::Format_RGB32);
        image.fill(Qt::black);
        QScreen* s = QGuiApplication::screenAt(area.center());
        if (!s)
            s = QGuiApplication::primaryScreen();
        const QRect visible = s ? area.intersected(s->geometry()) : QRect();
        if (visible.isEmpty())
            return image;
        // grabWindow(0, ...) reads the whole desktop on X11, in coordinates of that screen.
        const QPoint origin = visible.topLeft() - s->geometry().topLeft();
        const QPixmap pixels =
            s->grabWindow(0, origin.x(), origin.y(), visible.width(), visible.height());
        QPainter painter(&image);
        painter.drawPixmap(QRect(visible.topLeft() - area.topLeft(), visible.size()), pixels);
        return image;
    }

    bool applicationMinimised() const override {
        bool anyVisible = false;
        for (const QWidget* w : QApplication::topLevelWidgets()) {
            if (!w->isVisible())
                continue;
            anyVisible = true;
            if (!w->isMinimized())
                return false;
        }
        return anyVisible;
    }
};

Screen* fakeScreen = nullptr;

} // namespace

Screen& screen() {
    static QtScreen real;
    return fakeScreen ? *fakeScreen : real;
}

void setScreenForTests(Screen* fake) {
    fakeScreen = fake;
}

} // namespace corvalen::platform
