// The program's style keeps line-edit frames as pictures: what is drawn must be Fusion's
// own frame, for every size, focus and palette, wherever the painter stands.

#include "app/program_style.h"

#include <QImage>
#include <QPainter>
#include <QStyleFactory>
#include <QStyleOption>
#include <QtTest>

using namespace corvalen;

class TstProgramStyle : public QObject {
    Q_OBJECT

    // Largest difference of one colour channel between two images of one size.
    static int largestDifference(const QImage& a, const QImage& b) {
        int largest = 0;
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x) {
                const QRgb p = a.pixel(x, y);
                const QRgb q = b.pixel(x, y);
                largest =
                    std::max({largest, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                              std::abs(qBlue(p) - qBlue(q))});
            }
        return largest;
    }

    static QImage panel(QStyle* style, const QStyleOptionFrame& option, const QPoint& offset) {
        QImage image(option.rect.size() + QSize(12, 12), QImage::Format_RGB32);
        image.fill(option.palette.window().color());
        QPainter painter(&image);
        painter.translate(offset);
        style->drawPrimitive(QStyle::PE_PanelLineEdit, &option, &painter);
        return image;
    }

private slots:
    // Catches a kept frame that is not Fusion's: shifted, drawn for the wrong focus, size or
    // palette, or blended twice over the background.
    void framesAreFusions() {
        std::unique_ptr<QStyle> fusion(QStyleFactory::create("fusion"));
        QVERIFY(fusion);
        QApplication::setStyle(QStyleFactory::create("fusion"));
        ProgramStyle program;
        QPalette other = fusion->standardPalette();
        other.setColor(QPalette::Window, QColor(200, 180, 150));
        other.setColor(QPalette::Highlight, QColor(0, 128, 0));
        for (const QSize size : {QSize(121, 21), QSize(40, 30)})
            for (const bool focused : {false, true})
                for (const QPalette& palette : {fusion->standardPalette(), other}) {
                    QStyleOptionFrame option;
                    option.rect = QRect(QPoint(2, 3), size);
                    option.palette = palette;
                    option.lineWidth = 1;
                    option.state = QStyle::State_Enabled | QStyle::State_Sunken;
                    if (focused)
                        option.state |= QStyle::State_HasFocus;
                    for (int round = 0; round < 2; ++round) { // drawn, then from the cache
                        const QImage expected = panel(fusion.get(), option, {3, 4});
                        const QImage drawn = panel(&program, option, {3, 4});
                        // Blending the picture rounds once more than drawing in place.
                        QVERIFY2(largestDifference(expected, drawn) <= 2,
                                 qPrintable(QStringLiteral("%1x%2 focus %3 round %4")
                                                .arg(size.width())
                                                .arg(size.height())
                                                .arg(focused)
                                                .arg(round)));
                    }
                }
    }
};

QTEST_MAIN(TstProgramStyle)
#include "tst_program_style.moc"
