// Cell texts drawn from kept glyphs: the pixels must be QPainter's own, on each drawing of a
// text (shaped, kept, then reused), in the program's fonts and through a translated painter.

#include "db/widgets/celltext.h"
#include "db/widgets/form.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QtTest>

using namespace corvalen;

class TstCellText : public QObject {
    Q_OBJECT

    static QImage canvas() {
        QImage image(260, 24, QImage::Format_RGB32);
        image.fill(Qt::white);
        return image;
    }

private slots:
    void samePixelsAsPainter_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("bold");
        const QStringList texts = {
            QStringLiteral("Maria Aparecida da Silva"),
            QStringLiteral("AVATAR Wa To Ty fi ffi"),   // kerning pairs, ligature candidates
            QStringLiteral("João Ávila Conceição Ñ ü"), // precomposed accents
            QStringLiteral("(19) 3232-1234"),
            QStringLiteral("e\u0301tienne"),           // combining mark: painter's own path
            QStringLiteral("linha 1\r\nlinha 2\tfim"), // control characters
            QStringLiteral("Ωμέγα Дмитрий"),
        };
        for (const QString& t : texts) {
            QTest::addRow("%s regular", qPrintable(t)) << t << false;
            QTest::addRow("%s bold", qPrintable(t)) << t << true;
        }
    }
    // Catches a kept layout placed a pixel off the painter's (baseline, kerning, marks,
    // control characters), or a cached text drawn in the font it was first drawn in.
    void samePixelsAsPainter() {
        QFETCH(QString, text);
        QFETCH(bool, bold);
        const QFont font = programFont(8, bold);
        const QPoint topLeft(3, 2);
        QImage expected = canvas();
        {
            QPainter p(&expected);
            p.translate(5, 1);
            p.setFont(font);
            p.setPen(Qt::red);
            p.drawText(QPoint(topLeft.x(), topLeft.y() + QFontMetrics(font).ascent()), text);
        }
        CellTextCache cache;
        for (int round = 0; round < 3; ++round) {
            // The other weight first, so that the cache must tell the fonts apart.
            QImage other = canvas();
            QImage image = canvas();
            QPainter p(&image);
            p.translate(5, 1);
            p.setPen(Qt::red);
            QPainter o(&other);
            o.setFont(programFont(8, !bold));
            cache.draw(o, topLeft, text);
            p.setFont(font);
            cache.draw(p, topLeft, text);
            p.end();
            QCOMPARE(image, expected);
        }
    }
};

QTEST_MAIN(TstCellText)
#include "tst_celltext.moc"
