// The magnifier: the screen area and crosshair it draws, the picture/panel swap, its size
// limits and its timer.

#include "exams/magnifier.h"
#include "tests/exams/fake_screen.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QtTest>

using namespace corvalen;

class TstMagnifier : public QObject {
    Q_OBJECT

    std::unique_ptr<test::FakeScreen> screen;
    std::unique_ptr<TForm15> zoom;

    // Shows the window and moves it out of the way of the cursors the tests use.
    void showAwayFromCursor() {
        zoom->show();
        QVERIFY(QTest::qWaitForWindowExposed(zoom.get()));
        zoom->move(900, 700);
        QTRY_COMPARE(zoom->frameGeometry().topLeft(), QPoint(900, 700));
    }

    QImage picture() const { return zoom->Image1->pixmap().toImage(); }

private slots:
    void init() {
        screen = std::make_unique<test::FakeScreen>();
        zoom = std::make_unique<TForm15>();
    }
    void cleanup() {
        zoom.reset();
        screen.reset();
    }

    // Wrong half sizes (rounding), edge clamping order, stretching or crosshair position.
    void geometry_data() {
        QTest::addColumn<int>("position");
        QTest::addColumn<QSize>("client");
        QTest::addColumn<QPoint>("cursor");
        QTest::addColumn<QRect>("source");
        QTest::addColumn<QPoint>("centre");

        QTest::newRow("2 x, middle: 202/4 = 50.5 goes to 50")
            << 1 << QSize(304, 202) << QPoint(640, 500) << QRect(564, 450, 152, 100)
            << QPoint(152, 100);
        QTest::newRow("8 x, middle: 202/16 = 12.625 goes to 13")
            << 4 << QSize(304, 202) << QPoint(640, 500) << QRect(621, 487, 38, 26)
            << QPoint(152, 104);
        QTest::newRow("6 x: 304/12 = 25.33, 202/12 = 16.83")
            << 3 << QSize(304, 202) << QPoint(640, 500) << QRect(615, 483, 50, 34)
            << QPoint(150, 102);
        QTest::newRow("2 x, 254/4 = 63.5 goes to 64")
            << 1 << QSize(300, 254) << QPoint(640, 500) << QRect(565, 436, 150, 128)
            << QPoint(150, 128);
        QTest::newRow("top-left corner")
            << 1 << QSize(304, 202) << QPoint(0, 0) << QRect(0, 0, 152, 100) << QPoint(0, 0);
        QTest::newRow("bottom-right corner") << 1 << QSize(304, 202) << QPoint(1279, 1023)
                                             << QRect(1128, 924, 152, 100) << QPoint(302, 198);
        QTest::newRow("left edge at 4 x")
            << 2 << QSize(304, 202) << QPoint(10, 500) << QRect(0, 475, 76, 50) << QPoint(40, 100);
        QTest::newRow("top edge at 8 x")
            << 4 << QSize(304, 202) << QPoint(300, 5) << QRect(281, 0, 38, 26) << QPoint(152, 40);
    }
    void geometry() {
        QFETCH(int, position);
        QFETCH(QSize, client);
        QFETCH(QPoint, cursor);
        QFETCH(QRect, source);
        QFETCH(QPoint, centre);

        showAwayFromCursor();
        zoom->resize(client);
        QTRY_COMPARE(zoom->Image1->size(), client);
        zoom->Slider->setValue(position);
        screen->cursor = cursor;
        zoom->Timer1Timer();

        QCOMPARE(screen->lastGrab, source);
        const QImage shown = picture();
        QCOMPARE(shown.size(), client);
        const QRgb black = qRgb(0, 0, 0);
        auto at = [&](int x, int y) { return shown.pixel(x, y) & 0xffffff; };
        auto inside = [&](int x, int y) { return shown.rect().contains(x, y); };

        // The corners of the picture are the corners of the source area, enlarged.
        if (centre != QPoint(0, 0))
            QCOMPARE(at(0, 0), test::FakeScreen::colourAt(source.topLeft()) & 0xffffff);
        QCOMPARE(at(client.width() - 1, client.height() - 1),
                 test::FakeScreen::colourAt(source.bottomRight()) & 0xffffff);
        // A screen pixel becomes a block of 2z × 2z picture pixels.
        const int block = 2 * position;
        QCOMPARE(at(block - 1, client.height() - 1), at(0, client.height() - 1));
        QVERIFY(at(block, client.height() - 1) != at(block - 1, client.height() - 1));

        // The crosshair: centre, arm ends, and nothing beyond them.
        const int armX = client.width() / 4;
        const int armY = client.height() / 4;
        QCOMPARE(at(centre.x(), centre.y()), black & 0xffffff);
        for (QPoint end :
             {QPoint(centre.x() - armX, centre.y()), QPoint(centre.x() + armX, centre.y()),
              QPoint(centre.x(), centre.y() - armY), QPoint(centre.x(), centre.y() + armY)}) {
            if (inside(end.x(), end.y()))
                QCOMPARE(at(end.x(), end.y()), black & 0xffffff);
        }
        for (QPoint beyond :
             {QPoint(centre.x() + armX + 1, centre.y()), QPoint(centre.x(), centre.y() + armY + 1),
              QPoint(centre.x() + 1, centre.y() + 1)}) {
            if (inside(beyond.x(), beyond.y()))
                QVERIFY(at(beyond.x(), beyond.y()) != (black & 0xffffff));
        }
    }

    // The panel not swapped for the picture (or back), or "Mostrar Alvo" ignored.
    void panelAndPictureSwap() {
        showAwayFromCursor();
        QVERIFY(zoom->Panel1->isVisible());
        QVERIFY(zoom->Image1->isHidden());

        screen->cursor = QPoint(640, 500);
        QTRY_VERIFY(zoom->Image1->isVisible());
        QVERIFY(zoom->Panel1->isHidden());
        QTRY_VERIFY(!zoom->Image1->pixmap().isNull());
        QCOMPARE(picture().pixel(152, 100) & 0xffffff, 0u);

        // Into the window: the settings panel comes back; the user unticks "Mostrar Alvo".
        screen->cursor = zoom->frameGeometry().center();
        QTRY_VERIFY(zoom->Panel1->isVisible());
        QVERIFY(zoom->Image1->isHidden());
        QTest::mouseClick(zoom->cbSrediste, Qt::LeftButton, {},
                          QPoint(6, zoom->cbSrediste->height() / 2));
        QVERIFY(!zoom->cbSrediste->isChecked());

        // The bottom-right corner of the window belongs to it; one pixel further does not.
        const QRect outer = zoom->frameGeometry();
        screen->cursor = QPoint(outer.x() + outer.width() - 1, outer.y() + outer.height() - 1);
        zoom->Timer1Timer();
        QVERIFY(zoom->Panel1->isVisible());
        screen->cursor = QPoint(outer.x() + outer.width(), outer.y() + 10);
        zoom->Timer1Timer();
        QVERIFY(zoom->Image1->isVisible());
        QVERIFY(zoom->Panel1->isHidden());

        // Without the crosshair no pixel is black (the fake screen has none).
        screen->cursor = QPoint(640, 500);
        zoom->Timer1Timer();
        const QImage plain = picture();
        for (int y = 0; y < plain.height(); ++y)
            for (int x = 0; x < plain.width(); ++x)
                QVERIFY((plain.pixel(x, y) & 0xffffff) != 0);
    }

    // The window not starting at the top-left corner, or sizes beyond the limits accepted.
    void placementAndSizeLimits() {
        zoom->show();
        QVERIFY(QTest::qWaitForWindowExposed(zoom.get()));
        QCOMPARE(zoom->frameGeometry().topLeft(), QPoint(0, 0));
        QCOMPARE(zoom->size(), QSize(304, 202));
        QCOMPARE(zoom->Panel1->geometry(), QRect(77, 26, 150, 150));

        zoom->resize(500, 500);
        QTRY_COMPARE(zoom->frameGeometry().size(), QSize(350, 350));
        auto centred = [this] { return QPoint(zoom->width() / 2 - 75, zoom->height() / 2 - 75); };
        QCOMPARE(zoom->Panel1->pos(), centred());
        QCOMPARE(zoom->Image1->size(), zoom->size());
        zoom->resize(100, 100);
        QTRY_COMPARE(zoom->frameGeometry().size(), QSize(158, 177));
        QCOMPARE(zoom->Panel1->pos(), centred());

        // Hidden and shown again: it stays where the user left it.
        zoom->move(200, 100);
        QTRY_COMPARE(zoom->frameGeometry().topLeft(), QPoint(200, 100));
        zoom->hide();
        zoom->show();
        QCOMPARE(zoom->frameGeometry().topLeft(), QPoint(200, 100));
    }

    // The timer running while hidden, ticking while minimised, or "&Concluído" not hiding.
    void timerRunsOnlyWhileShown() {
        QVERIFY(!zoom->Timer1->isActive());
        QCOMPARE(zoom->Timer1->interval(), 25);
        screen->cursor = QPoint(640, 500);
        QTest::qWait(60);
        QCOMPARE(screen->grabs, 0);

        showAwayFromCursor();
        QVERIFY(zoom->Timer1->isActive());
        QTRY_VERIFY(screen->grabs > 0);

        screen->minimised = true;
        const int before = screen->grabs;
        zoom->Timer1Timer();
        QCOMPARE(screen->grabs, before);
        screen->minimised = false;

        screen->cursor = zoom->frameGeometry().center();
        QTRY_VERIFY(zoom->BitBtn1->isVisible());
        QTest::mouseClick(zoom->BitBtn1, Qt::LeftButton);
        QVERIFY(zoom->isHidden());
        QVERIFY(!zoom->Timer1->isActive());
    }
};

QTEST_MAIN(TstMagnifier)
#include "tst_magnifier.moc"
