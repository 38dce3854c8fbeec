// The patient selection window: its unsorted list with the incremental search, re-reading on
// each showing, and the modal consultation window it creates on a double-click.

#include "consult/consultation.h"
#include "consult/patient_selection.h"
#include "db/dm2.h"
#include "db/session.h"
#include "db/widgets/dbgrid.h"
#include "tests/registers/register_fixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace corvalen;

class TstPatientSelection : public QObject {
    Q_OBJECT

    std::unique_ptr<test::MessageRecorder> recorder;
    std::unique_ptr<test::DataFolder> folder;
    std::unique_ptr<TForm10> selection;

    QStringList listed() const {
        QStringList names;
        const QAbstractItemModel* m = selection->DBGrid1->model();
        for (int r = 0; r < m->rowCount(); ++r)
            names << m->index(r, 1).data().toString();
        return names;
    }

    void showSelection() {
        selection->show();
        QVERIFY(QTest::qWaitForWindowActive(selection.get()));
    }

private slots:
    void init() {
        recorder = std::make_unique<test::MessageRecorder>();
        folder = std::make_unique<test::DataFolder>();
        folder->exec("insert into Pacientes (inscricao, nome, tel, plano) values "
                     "(3, 'Carla Reis', '2222', 'Amil'), (1, 'Bruno Lopes', '1111', null), "
                     "(2, 'Ana Prado', '3333', 'Cassi')");
        folder->openDataModule();
        QVERIFY2(recorder->shown().empty(), qPrintable(recorder->last()));
        session().user = CurrentUser{1, "admin", true};
        selection = std::make_unique<TForm10>();
    }
    void cleanup() {
        selection.reset();
        folder.reset();
        recorder.reset();
        session().patient = CurrentPatient{};
    }

    // Catches a sorted list, a search that does not narrow at each key or restore every row
    // when cleared, or a wrong layout, font or tab order.
    void listsAndNarrows() {
        showSelection();
        QCOMPARE(listed(), (QStringList{"Bruno Lopes", "Ana Prado", "Carla Reis"}));
        test::typeInto(selection->Edit1, "c");
        QCOMPARE(listed(), (QStringList{"Ana Prado", "Carla Reis"})); // plan "Cassi", name
        test::typeInto(selection->Edit1, "a");
        QCOMPARE(listed(), (QStringList{"Ana Prado", "Carla Reis"}));
        test::typeInto(selection->Edit1, "r");
        QCOMPARE(listed(), QStringList{"Carla Reis"});
        selection->Edit1->selectAll();
        QTest::keyClick(selection->Edit1, Qt::Key_Backspace);
        QCOMPARE(listed().size(), 3);
        QCOMPARE(selection->ADODataSet1->recNo(), 0);
        QVERIFY(!selection->ADODataSet1->filtered());

        QCOMPARE(selection->windowTitle(), "Consulta - Seleção de paciente para nova consulta:");
        QCOMPARE(selection->size(), QSize(831, 376));
        QCOMPARE(selection->DBGrid1->size(), QSize(777, 201));
        QCOMPARE(selection->Edit1->width(), 689);
        QCOMPARE(selection->Edit1->font().pointSize(), 12);
        QVERIFY(selection->Label2->font().bold());
        QCOMPARE(selection->Label2->buddy(), selection->Edit1);
        QCOMPARE(test::tabChain(selection->DBGrid1, 3),
                 (QStringList{"Edit1", "Button1", "BitBtn1"}));
    }

    // Catches a showing that does not re-read the table, a search text or filter lost while
    // hidden, or "Atualizar listagem" not reopening the list.
    void rereadsAndKeepsSearch() {
        showSelection();
        QCOMPARE(QApplication::focusWidget(), selection->DBGrid1);
        test::typeInto(selection->Edit1, "b");
        QCOMPARE(listed(), QStringList{"Bruno Lopes"});
        folder->exec("insert into Pacientes (nome) values ('Beatriz Melo')");
        QTest::mouseClick(selection->Button1, Qt::LeftButton);
        QVERIFY(!selection->isVisible());
        showSelection();
        QCOMPARE(selection->Edit1->text(), "b");
        QCOMPARE(listed(), (QStringList{"Bruno Lopes", "Beatriz Melo"}));

        folder->exec("insert into Pacientes (nome) values ('Bento Lima')");
        QTest::mouseClick(selection->BitBtn1, Qt::LeftButton);
        QCOMPARE(listed(), (QStringList{"Bruno Lopes", "Beatriz Melo", "Bento Lima"}));
        QVERIFY2(recorder->shown().empty(), qPrintable(recorder->last()));
    }

    // With a screen reader running, the accessibility layer asks the grid's model about its
    // rows and titles whenever the list announces a change. Catches a model answering for rows
    // or columns that a re-query has already dropped ("List index out of bounds (1)"), or a
    // grid left without titles or rows, after "Atualizar listagem" and after showing the
    // window again with a search text.
    void refreshWithScreenReader() {
        test::ScreenReader reader(selection->DBGrid1);
        showSelection();
        QCOMPARE(listed().size(), 3);
        QTest::mouseClick(selection->BitBtn1, Qt::LeftButton);
        QCOMPARE(listed().size(), 3);
        test::typeInto(selection->Edit1, "b");
        QTest::mouseClick(selection->Button1, Qt::LeftButton);
        showSelection();
        QCOMPARE(listed(), QStringList{"Bruno Lopes"});
        QCOMPARE(selection->DBGrid1->model()->headerData(1, Qt::Horizontal).toString(), "nome");
        QVERIFY(reader.queries() > 0);
        QVERIFY2(reader.errors().isEmpty(), qPrintable(reader.errors().join(" | ")));
        QVERIFY2(recorder->shown().empty(), qPrintable(recorder->last()));
    }

    // Catches the consultation window opening for another patient, not modal over this
    // window, left alive after closing, or the list and search text changed behind it.
    void doubleClickStartsConsultation() {
        showSelection();
        test::typeInto(selection->Edit1, "car");
        QCOMPARE(listed(), QStringList{"Carla Reis"});
        for (int round = 0; round < 2; ++round) {
            QWidget* owner = nullptr;
            int patient = 0;
            QVERIFY(test::whileModal<TForm11>([&] { test::doubleClick(selection->DBGrid1, 0, 1); },
                                              [&](TForm11& consultation) {
                                                  owner = consultation.parentWidget();
                                                  patient = session().patient.code;
                                              }));
            QCOMPARE(owner, selection.get());
            QCOMPARE(patient, 3);
            QTRY_VERIFY(selection->findChildren<TForm11*>().isEmpty());
            QVERIFY(selection->isVisible());
            QCOMPARE(selection->Edit1->text(), "car");
            QCOMPARE(listed(), QStringList{"Carla Reis"});
        }
    }

    // Catches a consultation window opened, or a wrong message, on an empty list.
    void doubleClickOnEmptyList() {
        showSelection();
        test::typeInto(selection->Edit1, "xyz");
        QCOMPARE(listed(), QStringList{});
        QVERIFY(!test::whileModal<TForm11>([&] { test::doubleClick(selection->DBGrid1, 0, 1); }));
        QCOMPARE(recorder->texts(), QStringList{"'' is not a valid integer value."});
    }
};

QTEST_MAIN(TstPatientSelection)
#include "tst_patient_selection.moc"
