// Loading pictures by extension, and the pickers' hook.

#include "platform/error.h"
#include "platform/pickers.h"
#include "platform/picture.h"

#include <QBuffer>
#include <QDataStream>
#include <QTemporaryDir>
#include <QtTest>

using namespace corvalen;

namespace {

// A minimal enhanced metafile: header, one filled rectangle, end of file.
QByteArray emfBytes() {
    QByteArray body;
    QDataStream s(&body, QIODevice::WriteOnly);
    s.setByteOrder(QDataStream::LittleEndian);
    const quint32 headerSize = 88, rectSize = 24, eofSize = 20;
    const quint32 total = headerSize + rectSize + eofSize;
    s << quint32(1) << headerSize;                               // EMR_HEADER
    s << qint32(0) << qint32(0) << qint32(99) << qint32(49);     // bounds (device units)
    s << qint32(0) << qint32(0) << qint32(2645) << qint32(1322); // frame (0.01 mm)
    s << quint32(0x464D4520) << quint32(0x10000) << total << quint32(3);
    s << quint16(1) << quint16(0) << quint32(0) << quint32(0) << quint32(0);
    s << qint32(1024) << qint32(768) << qint32(270) << qint32(203); // device, millimetres
    s << quint32(43) << rectSize << qint32(10) << qint32(10) << qint32(90)
      << qint32(40);                                                     // rectangle
    s << quint32(14) << eofSize << quint32(0) << quint32(16) << eofSize; // EOF
    return body;
}

// A minimal placeable metafile: placeable header, standard header, a rectangle, end.
QByteArray wmfBytes() {
    QByteArray body;
    QDataStream s(&body, QIODevice::WriteOnly);
    s.setByteOrder(QDataStream::LittleEndian);
    const quint16 left = 0, top = 0, right = 1000, bottom = 500, inch = 1000;
    quint16 checksum = 0;
    const quint16 words[] = {0xCDD7, 0x9AC6, 0, left, top, right, bottom, inch, 0, 0};
    for (quint16 w : words)
        checksum ^= w;
    s << quint32(0x9AC6CDD7) << quint16(0) << left << top << right << bottom << inch << quint32(0)
      << checksum;
    const quint32 records = 7 + 3; // rectangle (7 words) and EOF (3 words)
    s << quint16(1) << quint16(9) << quint16(0x0300) << quint32(9 + records) << quint16(0)
      << quint32(7) << quint16(0);
    s << quint32(7) << quint16(0x041B) << quint16(400) << quint16(900) << quint16(100)
      << quint16(100); // META_RECTANGLE bottom, right, top, left
    s << quint32(3) << quint16(0);
    return body;
}

} // namespace

class TstPicture : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

    QString write(const QString& name, const QByteArray& bytes) {
        QFile f(dir.filePath(name));
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return f.fileName();
    }
    QString writeImage(const QString& name, const char* format) {
        QImage image(40, 30, QImage::Format_RGB32);
        image.fill(Qt::red);
        const QString path = dir.filePath(name);
        image.save(path, format);
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

private slots:
    // Every picture kind loads by its extension, whatever the case of the extension.
    void loadsEachKind_data() {
        QTest::addColumn<QString>("path");
        QTest::newRow("jpg") << writeImage("a.jpg", "JPEG");
        QTest::newRow("JPG") << writeImage("b.JPG", "JPEG");
        QTest::newRow("jpeg") << writeImage("c.jpeg", "JPEG");
        QTest::newRow("bmp") << writeImage("d.bmp", "BMP");
        QTest::newRow("ico") << writeImage("e.ico", "ICO");
        QTest::newRow("emf") << write("f.emf", emfBytes());
        QTest::newRow("wmf") << write("g.WMF", wmfBytes());
    }
    void loadsEachKind() {
        QFETCH(QString, path);
        QImage image;
        try {
            image = platform::loadPicture(path);
        } catch (const Error& e) {
            QFAIL(qPrintable(e.message()));
        }
        QVERIFY(!image.isNull());
        QVERIFY(image.width() > 1 && image.height() > 1);
        // Something was drawn: the test pictures are red fills and black-outlined rectangles.
        bool drawn = false;
        for (int y = 0; y < image.height() && !drawn; ++y)
            for (int x = 0; x < image.width() && !drawn; ++x)
                drawn = image.pixelColor(x, y).lightness() < 200;
        QVERIFY(drawn);
    }

    // The refusals carry their texts: unknown extension (".PDF" too), missing or broken file.
    void refusals() {
        QCOMPARE(errorOf(dir.filePath("laudo.pdf")), "Unknown picture file extension (.pdf)");
        QCOMPARE(errorOf(dir.filePath("laudo.PDF")), "Unknown picture file extension (.PDF)");
        QCOMPARE(errorOf(dir.filePath("semextensao")), "Unknown picture file extension (.)");
        const QString missing = dir.filePath("sumiu.jpg");
        QCOMPARE(errorOf(missing),
                 "Cannot open file \"" + missing + "\". The system cannot find the file specified");
        const QString broken = write("quebrado.jpg", "isto não é um JPEG");
        QVERIFY(errorOf(broken).startsWith("Cannot open file \"" + broken + "\". "));
        QVERIFY(errorOf(write("quebrado.emf", "nada")).startsWith("Cannot open file"));
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
