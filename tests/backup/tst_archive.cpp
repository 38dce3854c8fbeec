// The archive writer's deflate, which cuts a file into blocks compressed side by side: every
// size around the block boundaries reads back whole, as one deflated entry, in order.

#include "backup/archive.h"
#include "tests/support/archive_check.h"
#include "tests/support/fixture.h"

#include <QProcess>
#include <QtTest>

using namespace corvalen;

class TstArchive : public QObject {
    Q_OBJECT

private slots:
    // A block boundary that drops, repeats or misorders bytes, or a block compressed without
    // the text before it, shows as a different content or a failed read.
    void filesOfEverySizeReadBackWhole_data() {
        QTest::addColumn<qsizetype>("size");
        const qsizetype block = 1 << 20;
        for (const qsizetype size :
             {qsizetype(0), qsizetype(1), block - 1, block, block + 1, 3 * block + 4099})
            QTest::addRow("%lld bytes", qlonglong(size)) << size;
    }
    void filesOfEverySizeReadBackWhole() {
        QFETCH(qsizetype, size);
        test::MessageRecorder recorder;
        QTemporaryDir dir;
        // Text that repeats across blocks, so the blocks lean on the text before them.
        QByteArray content;
        content.reserve(size);
        for (qsizetype i = 0; content.size() < size; ++i)
            content += "Paciente " + QByteArray::number(i % 7919) + " consulta " +
                       QByteArray::number(i * 31 % 1013) + "\n";
        content.truncate(size);
        QVERIFY(test::writeBytes(dir.filePath("dados.bin"), content));
        QVERIFY(test::writeBytes(dir.filePath("foto.jpg"), content.left(5000)));

        archive::ZipArchiveWriter writer;
        writer.setFileName(dir.filePath("copia.zip"));
        writer.addFile(dir.filePath("dados.bin"), "dados.bin");
        writer.addFile(dir.filePath("foto.jpg"), "ex/foto.jpg", false);
        std::vector<double> progress;
        writer.setProgress([&](double f) { progress.push_back(f); });
        QVERIFY(writer.add());
        QCOMPARE(recorder.texts(), QStringList());

        const auto entries = test::zipEntries(dir.filePath("copia.zip"));
        QCOMPARE(entries.size(), size_t(2));
        QCOMPARE(entries[0].name, "dados.bin");
        QCOMPARE(entries[0].method, ZIP_CM_DEFLATE);
        QVERIFY(entries[0].content == content);
        QCOMPARE(entries[1].method, ZIP_CM_STORE);
        QVERIFY(entries[1].content == content.left(5000));
        QVERIFY(std::is_sorted(progress.begin(), progress.end()));
        // Another reader agrees.
        QProcess unzip;
        unzip.start("unzip", {"-tq", dir.filePath("copia.zip")});
        QVERIFY(unzip.waitForFinished());
        QCOMPARE(unzip.exitCode(), 0);
    }
};

QTEST_GUILESS_MAIN(TstArchive)
#include "tst_archive.moc"
