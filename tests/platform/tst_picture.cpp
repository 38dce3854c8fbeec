// Loading pictures: the kinds by extension and by content, large photos and scans, the
// decoders' own reasons, metafiles in the helper process (its crash, hang and absence), and
// the pickers' hook.

#include "platform/error.h"
#include "platform/pickers.h"
#include "platform/picture.h"
#include "tests/support/pictures.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace corvalen;

namespace {

const platform::MetafileDecoder helper{
    QStringLiteral(CORVALEN_METAFILE_HELPER), {}, metafile::timeLimitMs};

QByteArray wmfRectangle() {
    return test::wmf(1000, 500, {test::wmfRectangle(100, 100, 900, 400)});
}

QByteArray emfEllipse() {
    return test::emf(QSize(100, 50), {test::emfEllipse(10, 10, 90, 40)});
}

} // namespace

class TstPicture : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

    QString write(const QString& name, const QByteArray& bytes) {
        const QString path = dir.filePath(name);
        if (!test::writeFile(path, bytes))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }
    static QString errorOf(const QString& path) {
        try {
            platform::loadPicture(path);
        } catch (const Error& e) {
            return e.message();
        }
        return {};
    }
    static QImage load(const QString& path) {
        try {
            return platform::loadPicture(path);
        } catch (const Error& e) {
            qWarning("%s", qPrintable(e.message()));
        }
        return {};
    }
    static bool drawn(const QImage& image) {
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixelColor(x, y).lightness() < 200)
                    return true;
        return false;
    }

private slots:
    void init() { platform::setMetafileDecoder(helper); }

    // Every picture kind loads, whatever the case of its extension or the kind its content is
    // of: the content decides how it is decoded.
    void loadsEachKind_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QSize>("size");
        const QSize small(40, 30);
        QTest::newRow("jpg") << write("a.jpg", test::encoded(small, Qt::red, "JPEG")) << small;
        QTest::newRow("JPG") << write("b.JPG", test::encoded(small, Qt::red, "JPEG")) << small;
        QTest::newRow("jpeg") << write("c.jpeg", test::encoded(small, Qt::red, "JPEG")) << small;
        QTest::newRow("bmp") << write("d.bmp", test::encoded(small, Qt::red, "BMP")) << small;
        QTest::newRow("ico") << write("e.ico", test::encoded(small, Qt::red, "ICO")) << small;
        QTest::newRow("emf") << write("f.emf", emfEllipse()) << QSize(99, 49);
        QTest::newRow("WMF") << write("g.WMF", wmfRectangle()) << QSize(72, 36);
        QTest::newRow("PNG named .jpg")
            << write("h.jpg", test::encoded(small, Qt::red, "PNG")) << small;
        QTest::newRow("JPEG named .bmp")
            << write("i.bmp", test::encoded(small, Qt::red, "JPEG")) << small;
        QTest::newRow("BMP named .ico")
            << write("j.ico", test::encoded(small, Qt::red, "BMP")) << small;
        QTest::newRow("EMF named .wmf") << write("k.wmf", emfEllipse()) << QSize(99, 49);
        QTest::newRow("WMF named .jpg") << write("l.jpg", wmfRectangle()) << QSize(72, 36);
    }
    void loadsEachKind() {
        QFETCH(QString, path);
        QFETCH(QSize, size);
        const QImage image = load(path);
        QCOMPARE(image.size(), size);
        // Something was drawn: red fills, a black rectangle or ellipse on white.
        QVERIFY(drawn(image));
    }

    // Photos and scans beyond 128 MB decoded used to be refused; they come back reduced to
    // about 4096 × 4096 pixels in area, in their proportions.
    void largePictures_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QSize>("claimed");
        const QSize photo48(8000, 6000), photo108(12000, 9000), portrait(6000, 8000);
        QTest::newRow("48 MP photo") << write("48mp.jpg", test::jpegClaiming(photo48)) << photo48;
        QTest::newRow("108 MP photo")
            << write("108mp.jpg", test::jpegClaiming(photo108)) << photo108;
        QTest::newRow("portrait photo")
            << write("retrato.jpeg", test::jpegClaiming(portrait)) << portrait;
        // An A4 page scanned at 600 dpi: 139 MB once decoded.
        const QSize scan(4960, 7016);
        QTest::newRow("600 dpi scan") << write("scan.bmp", test::bmpRle8(scan)) << scan;
    }
    void largePictures() {
        QFETCH(QString, path);
        QFETCH(QSize, claimed);
        const QImage image = load(path);
        QVERIFY(!image.isNull());
        QVERIFY(qint64(image.width()) * image.height() <= qint64(4096) * 4096);
        QVERIFY2(image.width() >= 3000 || image.height() >= 3000, "reduced too far");
        const double ratio = double(claimed.width()) / claimed.height();
        QVERIFY2(qAbs(double(image.width()) / image.height() - ratio) < 0.01 * ratio,
                 qPrintable(QStringLiteral("%1 x %2").arg(image.width()).arg(image.height())));
    }

    // A camera photo held sideways with an orientation tag comes back upright.
    void photoComesBackUpright() {
        QCOMPARE(load(write("deitada.jpg", test::jpegTurnedQuarter())).size(), QSize(48, 64));
    }

    // The refusals carry their texts, the decoders' own reasons included.
    void refusals_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("error"); // %1: the path
        QTest::newRow("pdf") << dir.filePath("laudo.pdf")
                             << "Unknown picture file extension (.pdf)";
        QTest::newRow("PDF") << dir.filePath("laudo.PDF")
                             << "Unknown picture file extension (.PDF)";
        QTest::newRow("no extension")
            << dir.filePath("semextensao") << "Unknown picture file extension (.)";
        QTest::newRow("missing")
            << dir.filePath("sumiu.jpg")
            << "Cannot open file \"%1\". The system cannot find the file specified";
        QTest::newRow("text named .jpg") << write("quebrado.jpg", "isto não é um JPEG")
                                         << "Cannot open file \"%1\". Invalid image data (Not a "
                                            "JPEG file: starts with 0x69 0x73)";
        QTest::newRow("12-bit JPEG")
            << write("12bits.jpg", test::jpeg12Bit())
            << "Cannot open file \"%1\". Invalid image data (Unsupported JPEG data precision 12)";
        QTest::newRow("SVG named .jpg")
            << write("desenho.jpg",
                     "<?xml version=\"1.0\"?><svg xmlns=\"http://www.w3.org/2000/svg\" "
                     "width=\"10\" height=\"10\"><rect width=\"5\" height=\"5\"/></svg>")
            << "Cannot open file \"%1\". Invalid image data (Not a JPEG file: starts with 0x3c "
               "0x3f)";
        QTest::newRow("EMF of text")
            << write("quebrado.emf", "nada") << "Cannot open file \"%1\". Metafile is not valid";
        QTest::newRow("EMF without drawing")
            << write("vazio.emf", test::emf(QSize(400, 100)))
            << "Cannot open file \"%1\". Metafile contains no drawing";
        const QString huge = write("enorme.wmf", wmfRectangle());
        QFile::resize(huge, (50 << 20) + 1);
        QTest::newRow("metafile over 50 MB")
            << huge << "Cannot open file \"%1\". Metafile is larger than 50 MB";
    }
    void refusals() {
        QFETCH(QString, path);
        QFETCH(QString, error);
        QCOMPARE(errorOf(path), error.replace("%1", path));
    }

    // A helper that crashes, hangs or is missing is an ordinary error, and the next metafile
    // opens as usual.
    void helperFailures_data() {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("error");
        QTest::newRow("crash") << helper.program << QStringList{"--test-crash"}
                               << "The metafile decoder stopped unexpectedly";
        QTest::newRow("hang") << helper.program << QStringList{"--test-hang"}
                              << "Metafile took longer than 0.5 s to decode";
        QTest::newRow("missing") << dir.filePath("corvalen-metafile") << QStringList()
                                 << "The metafile decoder " + dir.filePath("corvalen-metafile") +
                                        " could not be started";
    }
    void helperFailures() {
        QFETCH(QString, program);
        QFETCH(QStringList, arguments);
        QFETCH(QString, error);
        const QString path = write("exame.wmf", wmfRectangle());
        platform::setMetafileDecoder({program, arguments, 500});
        const QString message = errorOf(path);
        QVERIFY2(message.startsWith(QStringLiteral("Cannot open file \"%1\". %2").arg(path, error)),
                 qPrintable(message));

        platform::setMetafileDecoder(helper);
        QCOMPARE(load(path).size(), QSize(72, 36));
    }

    // A dialog remembers its last choice after a cancel.
    void openDialogKeepsNameOnCancel() {
        std::optional<QString> answer = QString("/tmp/a.jpg");
        platform::setPickerHook([&](const platform::PickerRequest&) { return answer; });
        platform::OpenDialog dialog(platform::PickerKind::Picture);
        QVERIFY(dialog.execute(nullptr));
        QCOMPARE(dialog.fileName(), "/tmp/a.jpg");
        answer.reset();
        QVERIFY(!dialog.execute(nullptr));
        QCOMPARE(dialog.fileName(), "/tmp/a.jpg");
        platform::setPickerHook({});
    }
};

QTEST_MAIN(TstPicture)
#include "tst_picture.moc"
