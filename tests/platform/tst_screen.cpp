// The real screen behind platform::screen(): reading pixels and the minimised state.

#include "platform/screen.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QtTest>

using namespace corvalen;

class TstScreen : public QObject {
    Q_OBJECT

private slots:
    // Reading the wrong area, or garbage where the area leaves the screen.
    void grabReadsScreenPixels() {
        QWidget red;
        red.setWindowFlag(Qt::FramelessWindowHint);
        red.setStyleSheet("background: #ff0000");
        red.setGeometry(100, 120, 60, 40);
        red.show();
        QVERIFY(QTest::qWaitForWindowExposed(&red));

        const QRect screen = platform::screen().primaryGeometry();
        QCOMPARE(screen, QGuiApplication::primaryScreen()->geometry());

        const QImage inside = platform::screen().grab(QRect(110, 130, 20, 10));
        QCOMPARE(inside.size(), QSize(20, 10));
        QCOMPARE(inside.pixel(0, 0) & 0xffffff, 0xff0000u);
        QCOMPARE(inside.pixel(19, 9) & 0xffffff, 0xff0000u);

        const QImage edge = platform::screen().grab(QRect(-5, -5, 10, 10));
        QCOMPARE(edge.size(), QSize(10, 10));
        QCOMPARE(edge.pixel(0, 0) & 0xffffff, 0u);
    }

    // A fake left installed, or the minimised state read from the wrong windows.
    void fakeAndMinimised() {
        struct Fake : platform::Screen {
            QPoint cursorPos() const override { return {7, 8}; }
            QRect primaryGeometry() const override { return {0, 0, 10, 10}; }
            QImage grab(const QRect&) const override { return {}; }
            bool applicationMinimised() const override { return true; }
        } fake;
        platform::setScreenForTests(&fake);
        QCOMPARE(platform::screen().cursorPos(), QPoint(7, 8));
        platform::setScreenForTests(nullptr);
        QCOMPARE(platform::screen().primaryGeometry(),
                 QGuiApplication::primaryScreen()->geometry());

        QWidget window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(!platform::screen().applicationMinimised());
        window.showMinimized();
        QTRY_VERIFY(platform::screen().applicationMinimised());
    }
};

QTEST_MAIN(TstScreen)
#include "tst_screen.moc"
