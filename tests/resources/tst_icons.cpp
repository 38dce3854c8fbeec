// The program's pictures, and the files the build puts in the program folder beside the
// executable: the manual help/index.html and the default logo medicina.jpg.

#include "resources/icons.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QRegularExpression>
#include <QTextDocument>
#include <QtTest>

using namespace corvalen;

class TstIcons : public QObject {
    Q_OBJECT

    const QDir programFolder{QStringLiteral(CORVALEN_PROGRAM_DIR)};

private slots:
    void iconRenders_data() {
        QTest::addColumn<QString>("name");
        for (const char* name :
             {"stethoscope", "people",  "firstaid", "keys",      "key",     "about", "save",
              "remove",      "close",   "add",      "refresh",   "records", "print", "attach",
              "end",         "exit",    "logo",     "magnifier", "pdf",     "image", "folder",
              "backup",      "restore", "internal", "external"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }

    // Catches a picture the windows ask for that is missing, misnamed, unparsable, or that
    // draws nothing (or only a speck) inside its frame.
    void iconRenders() {
        QFETCH(QString, name);
        const QImage image = resources::pixmap(name, 32).toImage();
        QVERIFY2(!image.isNull(), "no picture for this name");
        QCOMPARE(image.size(), QSize(32, 32));
        int opaque = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                opaque += qAlpha(image.pixel(x, y)) >= 128 ? 1 : 0;
        QVERIFY2(opaque >= 32 * 32 / 10, qPrintable(QString("only %1 opaque pixels").arg(opaque)));
    }

    // Catches the copy of the manual missing from the program folder, an unreadable page,
    // and a page that is not self-contained or has a broken link.
    void manualIsInProgramFolder() {
        const QDir help(programFolder.filePath("help"));
        QFile file(help.filePath("index.html"));
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
        const QString html = QString::fromUtf8(file.readAll());

        QTextDocument document;
        document.setHtml(html);
        QVERIFY(document.metaInformation(QTextDocument::DocumentTitle).contains("Corvalen"));
        for (const char* section : {"Backup e Restauração", "Pacientes", "Consultas", "LUPA"})
            QVERIFY2(document.toPlainText().contains(QString::fromUtf8(section)), section);

        QVERIFY(!html.contains("<script", Qt::CaseInsensitive));
        const QRegularExpression reference("(?:src|href)\\s*=\\s*\"([^\"]*)\"");
        for (const auto& match : reference.globalMatch(html)) {
            const QString target = match.captured(1);
            if (target.startsWith('#')) {
                QVERIFY2(html.contains(QString("id=\"%1\"").arg(target.mid(1))),
                         qPrintable("no anchor for " + target));
            } else {
                QVERIFY2(!target.contains(':'), qPrintable("external reference " + target));
                QVERIFY2(help.exists(target), qPrintable("missing file " + target));
            }
        }
    }

    // Catches the default logo missing from the program folder or not being a real JPEG
    // picture (a new data folder's logo.cfg names it, and the prescription prints it).
    void defaultLogoIsJpeg() {
        QImageReader reader(programFolder.filePath("medicina.jpg"));
        QCOMPARE(reader.format(), QByteArray("jpeg"));
        const QImage logo = reader.read();
        QVERIFY2(!logo.isNull(), qPrintable(reader.errorString()));
        QCOMPARE(logo.size(), QSize(400, 320));
        QVERIFY(logo.pixelColor(200, 160) != logo.pixelColor(0, 0));
    }
};

QTEST_MAIN(TstIcons)
#include "tst_icons.moc"
