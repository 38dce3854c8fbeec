// The exam window: attaching a file (counter, copy names, failures), showing a stored exam,
// deleting one, the choosers' cancels, files that cannot be shown (damaged, protected, large,
// a crashing metafile decoder) and the magnifier over the modal window.

#include "db/dm2.h"
#include "db/session.h"
#include "db/widgets/dbedit.h"
#include "db/widgets/dbmemo.h"
#include "exams/exam.h"
#include "exams/magnifier.h"
#include "exams/pdf_viewer.h"
#include "platform/error.h"
#include "platform/picture.h"
#include "tests/support/fixture.h"
#include "tests/support/pictures.h"
#include "tests/support/server.h"

#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPdfDocument>
#include <QPdfView>
#include <QPdfWriter>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>
#include <QToolButton>
#include <QtTest>
#include <deque>

using namespace corvalen;
using messages::Answer;
using messages::Kind;

namespace {

// Answers the file choosers in place of the dialogs: a path, or nothing for a cancel.
class Choosers {
public:
    Choosers() {
        platform::setPickerHook([this](const platform::PickerRequest& r) {
            requests.push_back(r);
            std::optional<QString> answer;
            if (!answers.empty() && !answers.front().isNull())
                answer = answers.front();
            if (!answers.empty())
                answers.pop_front();
            return answer;
        });
    }
    ~Choosers() { platform::setPickerHook({}); }
    void choose(const QString& path) { answers.push_back(path); }
    void cancel() { answers.push_back(QString()); }

    std::deque<QString> answers; // a null text cancels
    std::vector<platform::PickerRequest> requests;
};

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

void makeJpeg(const QString& path, QColor colour) {
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(colour);
    QVERIFY(image.save(path, "JPEG"));
}

void makePdf(const QString& path, int pages) {
    QPdfWriter writer(path);
    writer.setPageSize(QPageSize(QPageSize::A4));
    QPainter painter(&writer);
    QFont font = painter.font();
    font.setPointSize(28);
    painter.setFont(font);
    for (int page = 1; page <= pages; ++page) {
        if (page > 1)
            writer.newPage();
        painter.drawText(QRect(0, 0, writer.width(), writer.height() / 4), Qt::AlignCenter,
                         QStringLiteral("Laudo - página %1").arg(page));
        painter.drawRect(writer.width() / 8, writer.height() / 3, writer.width() * 3 / 4,
                         writer.height() / 3);
    }
}

// A copy of `source` protected by `password` (qpdf, AES-256); false when qpdf is missing or fails.
bool protect(const QString& source, const QString& target, const QString& password) {
    const QString qpdf = QStandardPaths::findExecutable("qpdf");
    if (qpdf.isEmpty())
        return false;
    return QProcess::execute(qpdf, {"--encrypt", password, "dono", "256", "--", source, target}) ==
           0;
}

const platform::MetafileDecoder metafileHelper{
    QStringLiteral(CORVALEN_METAFILE_HELPER), {}, 10'000};

} // namespace

class TstExam : public QObject {
    Q_OBJECT

    std::unique_ptr<test::MessageRecorder> recorder;
    std::unique_ptr<test::DataFolder> folder;
    std::unique_ptr<Choosers> choosers;
    QTemporaryDir sources; // the user's own files, outside the data folder

    QString counter() const { return folder->file("cont.cfg"); }
    QString ex(const QString& name) const { return folder->file("ex/" + name); }
    QString source(const QString& name) const { return sources.filePath(name); }
    QStringList exFiles() const { return QDir(folder->file("ex")).entryList(QDir::Files); }
    int examRows() { return folder->scalar("select count(*) from Exames").toInt(); }
    QStringList errors() const {
        QStringList t;
        for (const auto& s : recorder->shown())
            if (s.kind == Kind::Error)
                t << s.text;
        return t;
    }

    std::unique_ptr<TForm14> openWindow(int consultation, int examCode) {
        auto form = std::make_unique<TForm14>(nullptr, consultation, examCode);
        form->show();
        if (!QTest::qWaitForWindowExposed(form.get()))
            qWarning("exam window not exposed");
        return form;
    }

    // A stored exam row naming `file`; returns its code.
    int storeExam(const QString& file) {
        folder->exec(QStringLiteral("insert into Exames (nome, descricao, arquivo, cod_pront, "
                                    "cod_paciente) values ('Raio X', 'Tórax PA', '%1', 7, 3)")
                         .arg(file));
        return folder->scalar("select max(cod) from Exames").toInt();
    }

    void click(QAbstractButton* button) {
        QVERIFY(button->isEnabled());
        QTest::mouseClick(button, Qt::LeftButton);
    }

private slots:
    void init() {
        recorder = std::make_unique<test::MessageRecorder>();
        folder = std::make_unique<test::DataFolder>();
        folder->openDataModule();
        choosers = std::make_unique<Choosers>();
        session().patient = {3, QStringLiteral("Ana")};
        platform::setMetafileDecoder(metafileHelper);
        writeAll(counter(), "41\r\n");
        QVERIFY(recorder->shown().empty());
    }
    void cleanup() {
        choosers.reset();
        folder.reset();
        recorder.reset();
    }

    // The save path: wrong number, extension case, counter format, stored path or row values.
    void saveCopiesUnderNextNumber() {
        makeJpeg(source("Torax.JPG"), Qt::darkCyan);
        auto form = openWindow(7, 0);
        QVERIFY(form->BitBtn2->isEnabled());
        QCOMPARE(form->DBEdit4->text(), QStringLiteral("7"));
        QCOMPARE(form->DBEdit2->text(), QStringLiteral("3"));
        QVERIFY(form->Image1->isVisible());
        QVERIFY(form->AcroPDF1->isHidden());

        QTest::keyClicks(form->DBEdit5, "Torax PA");
        QTest::keyClicks(form->DBMemo1, "sem alteracoes");
        choosers->choose(source("Torax.JPG"));
        click(form->SpeedButton1);
        QCOMPARE(choosers->requests.back().kind, platform::PickerKind::Picture);
        QCOMPARE(choosers->requests.back().filter, platform::pictureFilter());
        QCOMPARE(form->Edit1->text(), source("Torax.JPG"));
        QVERIFY(!form->Image1->pixmap().isNull());

        click(form->BitBtn2);
        QVERIFY2(recorder->shown().empty(), qPrintable(recorder->last()));
        QCOMPARE(exFiles(), QStringList{"42.JPG"});
        QCOMPARE(readAll(ex("42.JPG")), readAll(source("Torax.JPG")));
        QCOMPARE(readAll(counter()), QByteArray("42\r\n"));
        QCOMPARE(form->DBEdit3->text(), ex("42.JPG"));

        QCOMPARE(examRows(), 1);
        QCOMPARE(folder->scalar("select arquivo from Exames").toString(), ex("42.JPG"));
        QCOMPARE(folder
                     ->scalar("select nome || '|' || descricao || '|' || cod_pront || '|' || "
                              "cod_paciente from Exames")
                     .toString(),
                 QStringLiteral("Torax PA|sem alteracoes|7|3"));
        QCOMPARE(form->DBEdit1->text(), folder->scalar("select cod from Exames").toString());
        // Saved once: "Salvar" is off, the window stays open and the label is gone.
        QVERIFY(!form->BitBtn2->isEnabled());
        QVERIFY(form->isVisible());
        QVERIFY(form->Label7->isHidden());
    }

    // Copy names: the extension as chosen from the last dot of the file name, and a taken
    // name (counter set back) moving on to the next free number, never overwriting it.
    void copyNames_data() {
        QTest::addColumn<bool>("pdf");
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QStringList>("taken");
        QTest::addColumn<QString>("copy");
        QTest::addColumn<QByteArray>("counter");

        QTest::newRow("pdf with two dots")
            << true << "laudo.final.pdf" << QStringList() << "42.pdf" << QByteArray("42\r\n");
        QTest::newRow("no dot") << true << "exame" << QStringList() << "42" << QByteArray("42\r\n");
        QTest::newRow("dot in the folder only")
            << true << "pasta.v2/exame" << QStringList() << "42" << QByteArray("42\r\n");
        QTest::newRow("jpeg") << false << "foto.jpeg" << QStringList() << "42.jpeg"
                              << QByteArray("42\r\n");
        QTest::newRow("taken name moves on")
            << true << "laudo.pdf" << QStringList{"42.pdf", "43.pdf"} << "44.pdf"
            << QByteArray("44\r\n");
        QTest::newRow("other extension is not taken")
            << true << "laudo.pdf" << QStringList{"42.jpg"} << "42.pdf" << QByteArray("42\r\n");
    }
    void copyNames() {
        QFETCH(bool, pdf);
        QFETCH(QString, chosen);
        QFETCH(QStringList, taken);
        QFETCH(QString, copy);
        QFETCH(QByteArray, counter);

        QDir(sources.path()).mkpath(QFileInfo(source(chosen)).path());
        if (pdf)
            makePdf(source(chosen), 1);
        else
            makeJpeg(source(chosen), Qt::red);
        for (const QString& name : taken)
            writeAll(ex(name), "older exam " + name.toLatin1());

        auto form = openWindow(7, 0);
        choosers->choose(source(chosen));
        click(pdf ? form->SpeedButton2 : form->SpeedButton1);
        click(form->BitBtn2);

        QVERIFY2(recorder->shown().empty(), qPrintable(recorder->last()));
        QCOMPARE(readAll(ex(copy)), readAll(source(chosen)));
        for (const QString& name : taken)
            QCOMPARE(readAll(ex(name)), "older exam " + name.toLatin1());
        QCOMPARE(readAll(this->counter()), counter);
        QCOMPARE(folder->scalar("select arquivo from Exames").toString(), ex(copy));
    }

    // A bad counter file must stop the save before anything is copied or stored.
    void counterErrors_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("exists");
        QTest::addColumn<QString>("error");
        QTest::newRow("missing") << QByteArray() << false << "File not found.";
        QTest::newRow("empty") << QByteArray() << true << "'' is not a valid integer value.";
        QTest::newRow("not a number")
            << QByteArray("quarenta\r\n") << true << "'quarenta' is not a valid integer value.";
    }
    void counterErrors() {
        QFETCH(QByteArray, content);
        QFETCH(bool, exists);
        QFETCH(QString, error);
        QFile::remove(counter());
        if (exists)
            writeAll(counter(), content);
        makeJpeg(source("a.jpg"), Qt::blue);

        auto form = openWindow(7, 0);
        choosers->choose(source("a.jpg"));
        click(form->SpeedButton1);
        click(form->BitBtn2);

        QCOMPARE(errors(), QStringList{error});
        QVERIFY(exFiles().isEmpty());
        QCOMPARE(QFileInfo::exists(counter()), exists);
        QCOMPARE(readAll(counter()), content);
        QCOMPARE(examRows(), 0);
        QCOMPARE(Dm2->ADOQueryExame->state(), db::Dataset::State::Insert);
        QVERIFY(form->BitBtn2->isEnabled());
        QVERIFY(form->Label7->isHidden());
    }

    // A failed copy must store no row naming a missing file and keep the counter; the user
    // can then choose a file again and save.
    void failedCopyStoresNothing_data() {
        QTest::addColumn<QString>("failure");
        QTest::newRow("nothing chosen") << "nothing";
        QTest::newRow("source gone") << "gone";
        QTest::newRow("ex folder missing") << "folder";
    }
    void failedCopyStoresNothing() {
        QFETCH(QString, failure);
        makeJpeg(source("a.jpg"), Qt::blue);
        auto form = openWindow(7, 0);
        QTest::keyClicks(form->DBEdit5, "Hemograma");
        if (failure != "nothing") {
            choosers->choose(source("a.jpg"));
            click(form->SpeedButton1);
        }
        if (failure == "gone")
            QFile::remove(source("a.jpg"));
        if (failure == "folder")
            QVERIFY(QDir(folder->file("ex")).removeRecursively());

        click(form->BitBtn2);
        QCOMPARE(recorder->texts(), QStringList{"Erro ao copiar arquivo para o destino!"});
        QCOMPARE(recorder->shown().front().kind, Kind::Plain);
        QCOMPARE(readAll(counter()), QByteArray("41\r\n"));
        QCOMPARE(examRows(), 0);
        QVERIFY(form->DBEdit3->text().isEmpty());
        QVERIFY(form->BitBtn2->isEnabled());
        QCOMPARE(Dm2->ADOQueryExame->state(), db::Dataset::State::Insert);

        // Mended: the window is still a new exam, so the user chooses again and saves.
        QDir().mkpath(folder->file("ex"));
        makeJpeg(source("b.jpg"), Qt::green);
        choosers->choose(source("b.jpg"));
        click(form->SpeedButton1);
        click(form->BitBtn2);
        QCOMPARE(recorder->shown().size(), size_t(1));
        QCOMPARE(exFiles(), QStringList{"42.jpg"});
        QCOMPARE(folder->scalar("select nome || '|' || arquivo from Exames").toString(),
                 "Hemograma|" + ex("42.jpg"));
    }

    // A refused post must not leave a copy that no row names, nor a path in the box.
    void refusedPostRemovesCopy() {
        makeJpeg(source("a.jpg"), Qt::blue);
        auto form = openWindow(7, 0);
        QTest::keyClicks(form->DBEdit5, "Hemograma");
        choosers->choose(source("a.jpg"));
        click(form->SpeedButton1);
        // The engine refuses the row.
        if (test::onServer()) {
            folder->exec("create function recusa() returns trigger language plpgsql as "
                         "$$ begin raise exception 'recusado'; end $$");
            folder->exec("create trigger refuse before insert on Exames "
                         "for each row execute function recusa()");
        } else {
            folder->exec("create trigger refuse before insert on Exames begin "
                         "select raise(abort, 'recusado'); end");
        }
        click(form->BitBtn2);

        QCOMPARE(errors().size(), 1);
        QVERIFY(errors().front().contains("recusado"));
        QVERIFY(exFiles().isEmpty());
        QVERIFY(form->DBEdit3->text().isEmpty());
        QVERIFY(form->BitBtn2->isEnabled());
        QCOMPARE(examRows(), 0);
    }

    // Opening a stored exam: the viewer chosen by the exact ".pdf", the picture box for the
    // rest, and the creation failing for what the picture box cannot load.
    void existingExam_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("make");
        QTest::addColumn<QString>("shows"); // "pdf", "picture" or the error text
        QTest::newRow(".pdf") << "42.pdf" << true << "pdf";
        QTest::newRow(".jpg") << "42.jpg" << true << "picture";
        QTest::newRow(".JPG") << "42.JPG" << true << "picture";
        QTest::newRow(".PDF") << "42.PDF" << true << "Unknown picture file extension (.PDF)";
        QTest::newRow("missing .jpg") << "42.jpg" << false << "Cannot open file";
        QTest::newRow("missing .pdf") << "42.pdf" << false << "pdf";
    }
    void existingExam() {
        QFETCH(QString, file);
        QFETCH(bool, make);
        QFETCH(QString, shows);
        if (make && file.endsWith("pdf", Qt::CaseInsensitive))
            makePdf(ex(file), 2);
        else if (make)
            makeJpeg(ex(file), Qt::darkRed);
        const int code = storeExam(ex(file));

        std::unique_ptr<TForm14> form;
        try {
            form = openWindow(7, code);
        } catch (const Error& e) {
            QVERIFY2(e.message().startsWith(shows), qPrintable(e.message()));
            return;
        }
        QVERIFY2(shows == "pdf" || shows == "picture", "the creation should have failed");
        QCOMPARE(form->DBEdit1->text(), QString::number(code));
        QCOMPARE(form->DBEdit5->text(), QStringLiteral("Raio X"));
        QCOMPARE(form->DBEdit3->text(), ex(file));
        QVERIFY(!form->BitBtn2->isEnabled());
        QCOMPARE(Dm2->ADOQueryExame->sql(),
                 (QStringList{"SELECT * from Exames", QStringLiteral("where cod =%1;").arg(code)}));
        if (shows == "pdf") {
            QVERIFY(form->AcroPDF1->isVisible());
            QVERIFY(form->Image1->isHidden());
            QCOMPARE(form->AcroPDF1->src(), ex(file));
            QCOMPARE(form->AcroPDF1->document()->pageCount(), make ? 2 : 0);
        } else {
            QVERIFY(form->Image1->isVisible());
            QVERIFY(form->AcroPDF1->isHidden());
            const QImage shown = form->Image1->pixmap().toImage();
            QCOMPARE(shown.size(), QSize(64, 48));
            QVERIFY(qAbs(QColor(shown.pixel(10, 10)).red() - QColor(Qt::darkRed).red()) < 8);
        }
    }

    // "Excluir": Yes removes row and copy without a second question and closes; No keeps all.
    void deleteExam_data() {
        QTest::addColumn<bool>("yes");
        QTest::newRow("Yes") << true;
        QTest::newRow("No") << false;
    }
    void deleteExam() {
        QFETCH(bool, yes);
        makeJpeg(ex("42.jpg"), Qt::gray);
        const int code = storeExam(ex("42.jpg"));
        auto form = openWindow(7, code);
        recorder->answer(yes ? Answer::Yes : Answer::No);
        click(form->BitBtn4);

        const auto& asked = recorder->shown().front();
        QCOMPARE(asked.kind, Kind::Confirmation);
        QCOMPARE(asked.text, QStringLiteral("Você deseja excluir o registro?"));
        QCOMPARE(asked.buttons, messages::Buttons::YesNo);
        QCOMPARE(asked.defaultAnswer, Answer::Yes);
        QVERIFY(form->Label7->isHidden());
        if (yes) {
            QCOMPARE(recorder->texts(),
                     (QStringList{"Você deseja excluir o registro?", "O exame foi apagado!"}));
            QCOMPARE(examRows(), 0);
            QVERIFY(!QFileInfo::exists(ex("42.jpg")));
            QVERIFY(!form->isVisible());
            QCOMPARE(readAll(counter()), QByteArray("41\r\n"));
        } else {
            QCOMPARE(recorder->shown().size(), size_t(1));
            QCOMPARE(examRows(), 1);
            QVERIFY(QFileInfo::exists(ex("42.jpg")));
            QVERIFY(form->isVisible());
        }
    }

    // Cancels: the PDF chooser keeps the source, the picture chooser falls back to its own
    // previous file; only the file chosen last is copied.
    void chooserCancels() {
        makeJpeg(source("a.jpg"), Qt::blue);
        makePdf(source("b.pdf"), 1);
        auto form = openWindow(7, 0);

        choosers->cancel();
        click(form->SpeedButton1);
        QVERIFY(form->Edit1->text().isEmpty());

        choosers->choose(source("a.jpg"));
        click(form->SpeedButton1);
        choosers->choose(source("b.pdf"));
        click(form->SpeedButton2);
        QCOMPARE(choosers->requests.back().kind, platform::PickerKind::File);
        QVERIFY(choosers->requests.back().filter.isEmpty());
        QCOMPARE(form->Edit1->text(), source("b.pdf"));
        QCOMPARE(form->AcroPDF1->src(), source("b.pdf"));
        QVERIFY(form->AcroPDF1->isVisible());

        choosers->cancel();
        click(form->SpeedButton2);
        QCOMPARE(form->Edit1->text(), source("b.pdf"));

        choosers->cancel();
        click(form->SpeedButton1);
        QVERIFY(form->Image1->isVisible());
        QVERIFY(form->AcroPDF1->isHidden());
        QCOMPARE(form->Edit1->text(), source("a.jpg"));

        click(form->BitBtn2);
        QCOMPARE(exFiles(), QStringList{"42.jpg"});
    }

    // The viewer's page bar moving through the document, at a zoom that fits the width.
    void pdfPages() {
        makePdf(ex("42.pdf"), 3);
        auto form = openWindow(7, storeExam(ex("42.pdf")));
        PdfViewer* viewer = form->AcroPDF1;
        QCOMPARE(viewer->view()->zoomMode(), QPdfView::ZoomMode::FitToWidth);
        auto* next = viewer->findChild<QToolButton*>("NextPage");
        auto* prior = viewer->findChild<QToolButton*>("PriorPage");
        auto* label = viewer->findChild<QLabel*>("PageLabel");
        QCOMPARE(label->text(), QStringLiteral("Página 1 de 3"));
        QVERIFY(!prior->isEnabled());
        click(next);
        click(next);
        QCOMPARE(viewer->currentPage(), 2);
        QCOMPARE(label->text(), QStringLiteral("Página 3 de 3"));
        QVERIFY(!next->isEnabled());
        click(prior);
        QCOMPARE(viewer->currentPage(), 1);
    }

    // A PDF that cannot be shown says why in the viewer instead of leaving it empty; the
    // window goes on without an error box.
    void pdfNotices_data() {
        QTest::addColumn<QString>("make"); // how the stored file is made
        QTest::addColumn<QString>("notice");
        QTest::newRow("damaged") << "damaged"
                                 << "Não foi possível abrir o PDF.\n"
                                    "O arquivo está danificado ou não é um PDF.";
        QTest::newRow("missing") << "missing"
                                 << "Não foi possível abrir o PDF.\nO arquivo não foi encontrado.";
        QTest::newRow("no pages")
            << "empty"
            << "Este PDF não tem páginas.\nO arquivo não tem nada para mostrar.";
        QTest::newRow("fine") << "fine"
                              << "";
    }
    void pdfNotices() {
        QFETCH(QString, make);
        QFETCH(QString, notice);
        const QString file = ex("42.pdf");
        if (make == "damaged")
            writeAll(file, "%PDF-1.4\nisto não é um PDF de verdade");
        else if (make == "empty")
            QCOMPARE(QProcess::execute(QStandardPaths::findExecutable("qpdf"), {"--empty", file}),
                     0);
        else if (make == "fine")
            makePdf(file, 1);
        auto form = openWindow(7, storeExam(file));
        QCOMPARE(form->AcroPDF1->notice(), notice);
        QCOMPARE(form->AcroPDF1->showsDocument(), notice.isEmpty());
        QVERIFY(!form->AcroPDF1->asksPassword());
        QVERIFY(recorder->shown().empty());
        QVERIFY(form->isVisible());
    }

    // A protected PDF asks for its password in the viewer, asks again after a wrong one, opens
    // with the right one, and the password ends up nowhere: not in the document, the box, the
    // saved copy (still protected) or the row.
    void passwordProtectedPdf() {
        makePdf(source("plain.pdf"), 2);
        QVERIFY2(protect(source("plain.pdf"), source("laudo.pdf"), "01021980"),
                 "qpdf is needed (scripts/install-deps.sh installs it)");
        auto form = openWindow(7, 0);
        choosers->choose(source("laudo.pdf"));
        click(form->SpeedButton2);
        PdfViewer* viewer = form->AcroPDF1;
        QVERIFY(viewer->asksPassword());
        QCOMPARE(viewer->notice(), QStringLiteral("Este PDF é protegido por senha\n"
                                                  "Digite a senha para abrir o documento."));
        auto* password = viewer->findChild<QLineEdit*>("PdfPassword");
        QCOMPARE(password->echoMode(), QLineEdit::Password);

        // A wrong password, confirmed with Enter: asked again; the window takes no Enter.
        password->setFocus();
        QTest::keyClicks(password, "31121999");
        QTest::keyClick(password, Qt::Key_Return);
        QVERIFY(viewer->asksPassword());
        QCOMPARE(viewer->notice(), QStringLiteral("Este PDF é protegido por senha\n"
                                                  "Senha incorreta. Digite a senha novamente."));
        QVERIFY(password->text().isEmpty());
        QVERIFY(form->isVisible());
        QVERIFY(recorder->shown().empty());

        QTest::keyClicks(password, "01021980");
        click(viewer->findChild<QPushButton*>("PdfOpen"));
        QVERIFY(viewer->showsDocument());
        QCOMPARE(viewer->document()->pageCount(), 2);
        QVERIFY(viewer->document()->password().isEmpty());
        QVERIFY(password->text().isEmpty());

        click(form->BitBtn2);
        QVERIFY2(recorder->shown().empty(), qPrintable(recorder->last()));
        QCOMPARE(readAll(ex("42.pdf")), readAll(source("laudo.pdf")));
        QCOMPARE(folder
                     ->scalar("select count(*) from Exames where nome || descricao || arquivo "
                              "like '%01021980%'")
                     .toInt(),
                 0);
    }

    // Pictures a clinic receives: a phone photo above 128 MB decoded shows, reduced; a PNG named
    // .jpg shows; a metafile that crashes the decoder is an error box, and the window goes on
    // to show the next file.
    void realWorldPictures_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("crash");
        QTest::addColumn<QString>("shows"); // "WxH", or the start of the error
        QTest::newRow("48 MP photo")
            << "foto.jpg" << test::jpegClaiming(QSize(8000, 6000)) << false << "4729x3547";
        QTest::newRow("PNG named .jpg")
            << "print.jpg" << test::encoded(QSize(30, 20), Qt::blue, "PNG") << false << "30x20";
        QTest::newRow("decoder crash")
            << "grafico.wmf" << test::wmf(1000, 500, {test::wmfRectangle(10, 10, 900, 400)}) << true
            << "Cannot open file \"%1\". The metafile decoder stopped unexpectedly.";
    }
    void realWorldPictures() {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, crash);
        QFETCH(QString, shows);
        writeAll(source(name), bytes);
        if (crash)
            platform::setMetafileDecoder({metafileHelper.program, {"--test-crash"}, 10'000});
        auto form = openWindow(7, 0);
        choosers->choose(source(name));
        click(form->SpeedButton1);
        if (shows.startsWith("Cannot")) {
            QCOMPARE(errors(), QStringList{shows.replace("%1", source(name))});
            QVERIFY(form->Image1->pixmap().isNull());
            platform::setMetafileDecoder(metafileHelper);
            choosers->choose(source(name));
            click(form->SpeedButton1);
            QCOMPARE(errors().size(), 1);
            QCOMPARE(form->Image1->pixmap().size(), QSize(72, 36));
        } else {
            QVERIFY2(recorder->shown().empty(), qPrintable(recorder->last()));
            const QSize size = form->Image1->pixmap().size();
            QCOMPARE(QStringLiteral("%1x%2").arg(size.width()).arg(size.height()), shows);
        }
    }

    // The magnifier shown from the modal exam window must take the user's clicks.
    void magnifierOverModalWindow() {
        TForm15 magnifier;
        Form15 = &magnifier;
        auto form = std::make_unique<TForm14>(nullptr, 7, 0);
        bool shown = false;
        bool concluded = false;
        // No checks inside: a failed one would leave the modal loop running.
        QTimer::singleShot(0, this, [&] {
            QTest::mouseClick(form->BitBtn1, Qt::LeftButton);
            shown = magnifier.isVisible() && QTest::qWaitForWindowExposed(&magnifier);
            // Through the window system, where a window blocked by the modal loop loses it.
            const QPoint button = magnifier.BitBtn1->mapTo(&magnifier, QPoint(20, 10));
            QTest::mouseClick(magnifier.windowHandle(), Qt::LeftButton, {}, button);
            concluded = magnifier.isHidden();
            form->close();
        });
        form->exec();
        Form15 = nullptr;
        QVERIFY(shown);
        QVERIFY(concluded);
        QVERIFY(form->isHidden());
    }
};

QTEST_MAIN(TstExam)
#include "tst_exam.moc"
