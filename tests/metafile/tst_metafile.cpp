// The metafile helper's decoding: well-formed SVG from the parsers, proportions kept when a
// large frame is bounded, and a conversion that draws nothing reported as an error.

#include "metafile/metafile.h"
#include "tests/support/pictures.h"

#include <QXmlStreamReader>
#include <QtTest>

using namespace corvalen;
using metafile::Kind;

namespace {

// The texts of an SVG document's text elements; fails the test on any XML error.
QStringList svgTexts(const QByteArray& svg) {
    QStringList texts;
    QXmlStreamReader xml(svg);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"text")
            texts << xml.readElementText();
    }
    if (xml.hasError())
        texts << "XML error: " + xml.errorString();
    return texts;
}

bool hasDarkPixel(const QImage& image) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 128)
                return true;
    return false;
}

} // namespace

class TstMetafile : public QObject {
    Q_OBJECT

private slots:
    // libwmf writes texts in the Windows code page with "<" and "&" unescaped: the document must
    // come out well-formed, its texts intact, and be drawn.
    void wmfTextsReachTheDocumentIntact() {
        const QByteArray file = test::wmf(
            2000, 1000,
            {test::wmfFont(120), test::wmfText(50, 200, QStringLiteral("Ângulo 45°").toLatin1()),
             test::wmfText(50, 500, QByteArray("p < 0,05 & \xB5 \xB1 \x80")),
             test::wmfText(50, 800, QByteArray("fim\x01"))});
        QString error;
        const QByteArray svg = metafile::toSvg(Kind::Wmf, file, &error);
        QVERIFY2(!svg.isEmpty(), qPrintable(error));
        QVERIFY(svg.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\""));
        QCOMPARE(svgTexts(svg),
                 (QStringList{QStringLiteral("Ângulo 45°"), QStringLiteral("p < 0,05 & µ ± €"),
                              QStringLiteral("fim")}));
        const QImage picture = metafile::render(svg, &error);
        QVERIFY2(!picture.isNull(), qPrintable(error));
        QCOMPARE(picture.size(), QSize(144, 72)); // two inches by one, at 72 pixels per inch
        QVERIFY(hasDarkPixel(picture));
    }

    // A metafile without texts keeps converting as before.
    void wmfWithoutTextsStillConverts() {
        QString error;
        const QByteArray svg = metafile::toSvg(
            Kind::Wmf, test::wmf(1000, 500, {test::wmfRectangle(100, 100, 900, 400)}), &error);
        QVERIFY2(!svg.isEmpty(), qPrintable(error));
        QVERIFY(svgTexts(svg).isEmpty());
        QVERIFY(hasDarkPixel(metafile::render(svg, &error)));
    }

    // Frames beyond the bound are scaled down as a whole: a circle stays a circle.
    void proportionsKept_data() {
        QTest::addColumn<QSize>("bounds");
        QTest::addColumn<QSize>("drawn");
        QTest::newRow("4:1, small") << QSize(400, 100) << QSize(399, 99);
        QTest::newRow("4:1, beyond the bound") << QSize(16000, 4000) << QSize(4096, 1023);
        QTest::newRow("portrait page") << QSize(10198, 13198) << QSize(3164, 4096);
    }
    void proportionsKept() {
        QFETCH(QSize, bounds);
        QFETCH(QSize, drawn);
        const QByteArray file =
            test::emf(bounds, {test::emfEllipse(0, 0, bounds.width() - 1, bounds.height() - 1)});
        QString error;
        const QImage picture = metafile::render(metafile::toSvg(Kind::Emf, file, &error), &error);
        QVERIFY2(!picture.isNull(), qPrintable(error));
        QCOMPARE(picture.size(), drawn);
        // The ellipse touches the middle of each side.
        QVERIFY(qGray(picture.pixel(drawn.width() / 2, 1)) < 128);
        QVERIFY(qGray(picture.pixel(1, drawn.height() / 2)) < 128);
    }

    // What cannot be shown is an error with its reason, never a blank picture.
    void failures_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("error");
        QTest::newRow("EMF without drawing")
            << int(Kind::Emf) << test::emf(QSize(400, 100)) << "Metafile contains no drawing";
        QTest::newRow("WMF without drawing")
            << int(Kind::Wmf) << test::wmf(1000, 500, {}) << "Metafile contains no drawing";
        QTest::newRow("EMF of garbage")
            << int(Kind::Emf) << QByteArray(300, 'x') << "Metafile is not valid";
        QTest::newRow("WMF of garbage")
            << int(Kind::Wmf) << QByteArray(300, 'x') << "Metafile is not valid";
        QByteArray cut = test::wmf(1000, 500, {test::wmfRectangle(100, 100, 900, 400)});
        cut.chop(10);
        QTest::newRow("WMF cut short") << int(Kind::Wmf) << cut << "Metafile is truncated";
    }
    void failures() {
        QFETCH(int, kind);
        QFETCH(QByteArray, file);
        QFETCH(QString, error);
        QString reason;
        const QByteArray svg = metafile::toSvg(Kind(kind), file, &reason);
        if (!svg.isEmpty())
            QVERIFY(metafile::render(svg, &reason).isNull());
        QCOMPARE(reason, error);
    }
};

QTEST_MAIN(TstMetafile)
#include "tst_metafile.moc"
