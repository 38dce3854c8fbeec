// The patient list: the incremental search's accept rule and highlight, the filter that lasts
// across "Atualizar" and hiding, the master link, and opening the editor.

#include "consult/records_browser.h"
#include "db/dm2.h"
#include "db/widgets/dbcontrols.h"
#include "registers/patient_editor.h"
#include "registers/patient_list.h"
#include "tests/registers/register_fixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace corvalen;
using State = db::Dataset::State;

class TstPatientList : public QObject {
    Q_OBJECT

    std::unique_ptr<test::MessageRecorder> recorder;
    std::unique_ptr<test::DataFolder> folder;
    std::unique_ptr<TForm8> list;

    // The names the grid lists, top to bottom.
    QStringList listed() const {
        QStringList names;
        const QAbstractItemModel* m = list->DBGrid1->model();
        for (int r = 0; r < m->rowCount(); ++r)
            names << m->index(r, 1).data().toString();
        return names;
    }

    void showList() {
        list->show();
        QVERIFY(QTest::qWaitForWindowActive(list.get()));
    }

    void search(const QString& text) {
        list->Edit1->clear();
        test::typeInto(list->Edit1, text);
    }

    QPoint cell(int row, int column) const {
        return list->DBGrid1->visualRect(list->DBGrid1->model()->index(row, column)).center();
    }

private slots:
    void init() {
        recorder = std::make_unique<test::MessageRecorder>();
        folder = std::make_unique<test::DataFolder>();
        folder->exec("insert into Pacientes (inscricao, nome, tel, plano) values "
                     "(1, 'Ana Souza', '1234-5678', 'Unimed'), "
                     "(12, 'João Pereira', '3333-1111', 'Bradesco'), "
                     "(120, 'Mariana Lima', '', 'SUS'), "
                     "(7, 'ANA Beatriz', '9999-0000', null), "
                     "(33, 'Silva Neto', '1290', 'Amil'), "
                     "(40, 'Álvaro Dias', '5555', 'Unimed')");
        folder->openDataModule();
        QVERIFY2(recorder->shown().empty(), qPrintable(recorder->last()));
        Form13 = new TForm13;
        list = std::make_unique<TForm8>();
    }
    void cleanup() {
        list.reset();
        delete Form13;
        Form13 = nullptr;
        folder.reset();
        recorder.reset();
    }

    // The accept rule typed key by key: catches matching inside words, upper-casing accented
    // letters, a field shorter than the text matching, a column left out, the sort order lost,
    // or the cursor not on the first kept row.
    void acceptRule_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("names");

        const QStringList all = {"Álvaro Dias",  "ANA Beatriz",  "Ana Souza",
                                 "João Pereira", "Mariana Lima", "Silva Neto"};
        QTest::newRow("empty box lists everyone") << "" << all;
        QTest::newRow("name in either case") << "ana" << QStringList{"ANA Beatriz", "Ana Souza"};
        QTest::newRow("capitals") << "ANA" << QStringList{"ANA Beatriz", "Ana Souza"};
        QTest::newRow("with a blank") << "ana s" << QStringList{"Ana Souza"};
        QTest::newRow("inside a word never matches") << "lima" << QStringList{};
        QTest::newRow("plain letters before an accented one")
            << "jo" << QStringList{"João Pereira"};
        QTest::newRow("accented letter as stored") << "joã" << QStringList{"João Pereira"};
        QTest::newRow("accented capital is not the stored letter") << "JOÃ" << QStringList{};
        QTest::newRow("plain letter for an accented one") << "alv" << QStringList{};
        QTest::newRow("accented capital as stored") << "Ál" << QStringList{"Álvaro Dias"};
        QTest::newRow("accented small letter is not upper-cased") << "ál" << QStringList{};
        QTest::newRow("health plan") << "uni" << QStringList{"Álvaro Dias", "Ana Souza"};
        QTest::newRow("name or plan") << "s" << QStringList{"Mariana Lima", "Silva Neto"};
        QTest::newRow("digits in code and telephone")
            << "12" << QStringList{"Ana Souza", "João Pereira", "Mariana Lima", "Silva Neto"};
        QTest::newRow("code beyond the telephones") << "120" << QStringList{"Mariana Lima"};
        QTest::newRow("code or telephone") << "3" << QStringList{"João Pereira", "Silva Neto"};
        QTest::newRow("longer than every field")
            << "Mariana Lima da Silva Pereira" << QStringList{};
    }
    void acceptRule() {
        QFETCH(QString, text);
        QFETCH(QStringList, names);
        showList();
        search(text);
        QCOMPARE(listed(), names);
        QCOMPARE(list->ADODataSet1->filtered(), !text.isEmpty());
        if (!names.isEmpty()) {
            QCOMPARE(list->ADODataSet1->recNo(), 0);
            QCOMPARE(list->DBGrid1->currentIndex().row(), 0);
        }
    }

    // Catches a search copy that does not follow the rows: an edited name still found by its
    // old beginning or missed by its new one (also when the keystroke itself posts the edit),
    // a new row never found, or rows rejected by a longer text missing after a backspace.
    void filterFollowsEditsAndBackspace() {
        showList();
        test::typeInto(list->Edit1, "a");
        QCOMPARE(listed(), (QStringList{"ANA Beatriz", "Ana Souza", "Silva Neto"}));

        list->DBGrid1->setFocus();
        QTest::mouseClick(list->DBGrid1->viewport(), Qt::LeftButton, {}, cell(1, 1));
        test::typeFollowingFocus(list->DBGrid1, "Zilda Souza");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up); // leaves the row: posted
        QCOMPARE(list->ADODataSet1->state(), State::Browse);
        QCOMPARE(folder->scalar("select nome from Pacientes where inscricao = 1").toString(),
                 "Zilda Souza");

        test::typeInto(list->Edit1, "n");
        QCOMPARE(listed(), QStringList{"ANA Beatriz"});
        QTest::keyClick(list->Edit1, Qt::Key_Backspace);
        QCOMPARE(listed(), (QStringList{"ANA Beatriz", "Silva Neto"}));
        QTest::keyClick(list->Edit1, Qt::Key_Backspace);
        QCOMPARE(listed().size(), 6);
        test::typeInto(list->Edit1, "zi");
        QCOMPARE(listed(), QStringList{"Zilda Souza"});

        // A row added in the grid is searched like the others.
        QTest::keyClick(list->Edit1, Qt::Key_Backspace);
        QTest::keyClick(list->Edit1, Qt::Key_Backspace);
        list->DBGrid1->setFocus();
        QTest::mouseClick(list->DBGrid1->viewport(), Qt::LeftButton, {}, cell(0, 1));
        QTest::keyClick(list->DBGrid1, Qt::Key_Insert);
        test::typeFollowingFocus(list->DBGrid1, "Quirino");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        QCOMPARE(folder->scalar("select count(*) from Pacientes where nome = 'Quirino'").toInt(),
                 1);
        test::typeInto(list->Edit1, "qu");
        QCOMPARE(listed(), QStringList{"Quirino"});

        // A name typed in the grid and not yet posted is posted by the next keystroke in the
        // search box, and searched with its new text.
        list->Edit1->selectAll();
        QTest::keyClick(list->Edit1, Qt::Key_Backspace);
        list->DBGrid1->setFocus();
        QTest::mouseClick(list->DBGrid1->viewport(), Qt::LeftButton, {}, cell(0, 1));
        test::typeFollowingFocus(list->DBGrid1, "Xavier");
        QCOMPARE(list->ADODataSet1->state(), State::Edit);
        test::typeInto(list->Edit1, "x");
        QCOMPARE(list->ADODataSet1->state(), State::Browse);
        QCOMPARE(listed(), QStringList{"Xavier"});
        QVERIFY2(recorder->shown().empty(), qPrintable(recorder->last()));
    }

    // Catches the highlight missing, drawn 2 pixels in like ordinary text, not bold red, not
    // wiping the ordinary text, drawing the rest in the selection's text colour, or reaching a
    // cell that does not begin with the text.
    void highlightPixels() {
        showList();
        QWidget* viewport = list->DBGrid1->viewport();
        const QRect nameCell =
            list->DBGrid1->visualRect(list->DBGrid1->model()->index(5, 1)).adjusted(0, 0, -1, -1);
        QCOMPARE(list->DBGrid1->model()->index(5, 1).data().toString(), "Silva Neto");

        // Bounds of the pixels matching `pick` inside `r`.
        const auto bounds = [](const QImage& image, const QRect& r, auto pick) {
            QRect b;
            for (int y = r.top(); y <= r.bottom(); ++y)
                for (int x = r.left(); x <= r.right(); ++x)
                    if (pick(image.pixelColor(x, y)))
                        b |= QRect(x, y, 1, 1);
            return b;
        };
        const auto red = [](const QColor& c) {
            return c.red() > 200 && c.green() < 90 && c.blue() < 90;
        };
        const auto dark = [](const QColor& c) { return c.lightness() < 100; };

        list->DBGrid1->clearFocus();
        const QImage plain = viewport->grab().toImage();
        const QRect ordinary = bounds(plain, nameCell, dark);
        QVERIFY(!ordinary.isEmpty());

        test::typeInto(list->Edit1, "sIlva n");
        QCOMPARE(listed(), QStringList{"Silva Neto"});
        const QRect silva =
            list->DBGrid1->visualRect(list->DBGrid1->model()->index(0, 1)).adjusted(0, 0, -1, -1);
        const QImage image = viewport->grab().toImage();
        QFont bold = list->DBGrid1->font();
        bold.setBold(true);
        const int w = QFontMetrics(bold).horizontalAdvance("Silva N");

        const QRect prefix = bounds(image, silva, red);
        QVERIFY(!prefix.isEmpty());
        QVERIFY2(prefix.right() < silva.left() + w + 1, "red beyond the prefix");
        // At the corner: the ordinary text starts 2 pixels further right and down.
        QVERIFY(prefix.left() - silva.left() <= ordinary.left() - nameCell.left() - 1);
        QVERIFY(prefix.top() - silva.top() <= ordinary.top() - nameCell.top() - 1);
        // The ordinary "Silva N" is wiped: nothing dark where only the prefix is drawn.
        const QRect prefixZone(silva.left(), silva.top(), w - 1, silva.height());
        QVERIFY(bounds(image, prefixZone, dark).isEmpty());
        // The rest in the grid's colour, from the bold prefix's width on.
        const QRect rest = bounds(image, silva, dark);
        QVERIFY(!rest.isEmpty());
        QVERIFY(rest.left() >= silva.left() + w - 1);
        // Its plan "Amil" does not begin with the text: left as drawn.
        const QRect plan =
            list->DBGrid1->visualRect(list->DBGrid1->model()->index(0, 3)).adjusted(0, 0, -1, -1);
        QVERIFY(bounds(image, plan, red).isEmpty());
        QVERIFY(!bounds(image, plan, dark).isEmpty());

        // On the selected cell of the focused grid the rest keeps the grid font's colour.
        list->DBGrid1->setFocus();
        QTest::mouseClick(viewport, Qt::LeftButton, {}, cell(0, 1));
        QVERIFY(list->DBGrid1->hasFocus());
        const QImage selected = viewport->grab().toImage();
        const QColor highlight =
            list->DBGrid1->palette().color(QPalette::Active, QPalette::Highlight);
        QCOMPARE(selected.pixelColor(silva.right() - 3, silva.bottom() - 2), highlight);
        QVERIFY(!bounds(selected, silva.adjusted(w, 1, -1, -1), dark).isEmpty());
        QVERIFY(!bounds(selected, silva, red).isEmpty());
    }

    // Catches a filter dropped by "Atualizar" or by hiding, a re-query that does not happen,
    // or the cursor left elsewhere than the first row.
    void filterLastsAcrossRequeryAndHiding() {
        showList();
        test::typeInto(list->Edit1, "ana");
        folder->exec("insert into Pacientes (nome) values ('Anabela Costa')");
        QCOMPARE(listed(), (QStringList{"ANA Beatriz", "Ana Souza"}));
        QTest::mouseClick(list->Button2, Qt::LeftButton);
        QCOMPARE(listed(), (QStringList{"ANA Beatriz", "Ana Souza", "Anabela Costa"}));

        QTest::mouseClick(list->Button1, Qt::LeftButton);
        QVERIFY(!list->isVisible());
        folder->exec("insert into Pacientes (nome) values ('Anastácia'), ('Bruno')");
        showList();
        QCOMPARE(list->Edit1->text(), "ana");
        QCOMPARE(listed(), (QStringList{"ANA Beatriz", "Ana Souza", "Anabela Costa", "Anastácia"}));
        QCOMPARE(list->ADODataSet1->recNo(), 0);
        QVERIFY2(recorder->shown().empty(), qPrintable(recorder->last()));
    }

    // Catches a missing master link: a name typed in the grid and not yet posted is lost when
    // "Atualizar" re-queries the list, instead of being saved first.
    void atualizarFinishesGridEdit() {
        showList();
        list->DBGrid1->setFocus();
        QTest::mouseClick(list->DBGrid1->viewport(), Qt::LeftButton, {}, cell(0, 1));
        test::typeFollowingFocus(list->DBGrid1, "Zeca");
        QCOMPARE(list->ADODataSet1->state(), State::Edit);
        QTest::mouseClick(list->Button2, Qt::LeftButton);
        QCOMPARE(folder->scalar("select nome from Pacientes where inscricao = 40").toString(),
                 "Zeca");
        QCOMPARE(listed().last(), "Zeca");
    }

    // Catches the editor opening on the wrong row of a filtered list, or opening at all on an
    // empty one instead of the conversion error.
    void doubleClickOpensEditor() {
        showList();
        test::typeInto(list->Edit1, "1");
        int code = -1;
        QString name;
        QVERIFY(test::whileModal<TForm9>([&] { test::doubleClick(list->DBGrid1, 1, 1); },
                                         [&](TForm9& editor) {
                                             code = editor.code();
                                             name = editor.DBEdit3->text();
                                             QCOMPARE(editor.parent(), list.get());
                                         }));
        QCOMPARE(code, 12);
        QCOMPARE(name, "João Pereira");

        search("zzz");
        QCOMPARE(listed(), QStringList{});
        QVERIFY(!test::whileModal<TForm9>([&] { test::doubleClick(list->DBGrid1, 0, 1); }));
        QCOMPARE(recorder->texts(), QStringList{"'' is not a valid integer value."});
    }

    // Catches "&Adicionar paciente" opening anything but a new-patient editor, or the list
    // showing the new patient before "Atualizar".
    void addPatient() {
        showList();
        QVERIFY(test::whileModal<TForm9>([&] { QTest::mouseClick(list->BitBtn1, Qt::LeftButton); },
                                         [&](TForm9& editor) {
                                             QCOMPARE(editor.windowTitle(),
                                                      "Adicionar Novo Paciente");
                                             test::typeInto(editor.DBEdit3, "Zuleica");
                                             QTest::mouseClick(editor.BitBtn1, Qt::LeftButton);
                                         }));
        QCOMPARE(folder->scalar("select count(*) from Pacientes where nome = 'Zuleica'").toInt(),
                 1);
        QVERIFY(!listed().contains("Zuleica"));
        QTest::mouseClick(list->Button2, Qt::LeftButton);
        QCOMPARE(listed().last(), "Zuleica");
    }

    // Catches a wrong first focus, tab order, caption or client size.
    void layout() {
        showList();
        QCOMPARE(list->windowTitle(), "Pacientes");
        QCOMPARE(list->size(), QSize(799, 427));
        QCOMPARE(list->DBGrid1->size(), QSize(753, 273));
        QCOMPARE(QApplication::focusWidget(), list->DBGrid1);
        QCOMPARE(test::tabChain(list->DBGrid1, 4),
                 (QStringList{"Edit1", "Button1", "BitBtn1", "Button2"}));
        QCOMPARE(list->Label1->buddy(), list->Edit1);
        QVERIFY(list->Edit1->font().bold());
        QCOMPARE(list->DBGrid1->model()->headerData(3, Qt::Horizontal).toString(), "plano");
    }
};

QTEST_MAIN(TstPatientList)
#include "tst_patient_list.moc"
