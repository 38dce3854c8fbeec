// The record navigator: enabling by state, actions, the delete question, the click event.

#include "db/dm2.h"
#include "db/widgets/dbnavigator.h"
#include "tests/support/fixture.h"

#include <QToolButton>
#include <QtTest>

using namespace corvalen;
using State = db::Dataset::State;

class TstNavigator : public QObject {
    Q_OBJECT

    std::unique_ptr<test::MessageRecorder> recorder;
    std::unique_ptr<test::DataFolder> folder;
    std::unique_ptr<QWidget> window;
    DBNavigator* nav = nullptr;
    QList<int> clicks;

    db::Dataset* patients() { return Dm2->ADOEditPacientes; }

    // Enabled buttons as letters (FPNLIDEPCR), '-' for a disabled one.
    QString enabling() const {
        const QString letters = "FPNLIDEPCR";
        QString s;
        for (int i = 0; i < DBNavigator::buttonCount; ++i)
            s += nav->button(DBNavigator::Button(i))->isEnabled() ? letters.at(i) : QChar('-');
        return s;
    }

private slots:
    void init() {
        recorder = std::make_unique<test::MessageRecorder>();
        folder = std::make_unique<test::DataFolder>();
        folder->exec("insert into Pacientes (nome) values ('Ana'), ('Bruno'), ('Carla')");
        folder->openDataModule();
        patients()->setSql({"select * from Pacientes", "order by inscricao"});
        patients()->open();
        window = std::make_unique<QWidget>();
        nav = new DBNavigator(Dm2->DataSource7, window.get());
        nav->resize(250, 25);
        clicks.clear();
        connect(nav, &DBNavigator::click, this, [this](DBNavigator::Button b) { clicks << b; });
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
    void cleanup() {
        window.reset();
        folder.reset();
        recorder.reset();
    }

    // The rows cannot be read when the navigator works out its buttons. Catches the failure
    // escaping from the dataset's signal, buttons left usable on rows never read, and buttons
    // that stay disabled once the rows can be read again.
    void failedRead() {
        {
            const test::ReadFailure failing;
            patients()->requery();
            QCOMPARE(enabling(), "----------");
            QTRY_COMPARE(recorder->shown().size(), size_t(1));
        }
        patients()->requery();
        QCOMPARE(enabling(), "--NLIDE--R");
        QCOMPARE(recorder->shown().size(), size_t(1));
    }

    // Catches a button enabled or disabled against the dataset's state.
    void enablingFollowsState_data() {
        QTest::addColumn<QString>("situation");
        QTest::addColumn<QString>("expected");
        QTest::newRow("closed") << "closed"
                                << "----------";
        QTest::newRow("first row") << "first"
                                   << "--NLIDE--R";
        QTest::newRow("middle row") << "middle"
                                    << "FPNLIDE--R";
        QTest::newRow("last row") << "last"
                                  << "FP--IDE--R";
        QTest::newRow("editing") << "edit"
                                 << "--NLID-PCR";
        QTest::newRow("inserting") << "insert"
                                   << "FPNLID-PCR";
        QTest::newRow("no rows") << "empty"
                                 << "----I-E--R";
        QTest::newRow("read-only join") << "join"
                                        << "--NL------";
    }
    void enablingFollowsState() {
        QFETCH(QString, situation);
        QFETCH(QString, expected);
        db::Dataset* d = patients();
        if (situation == "closed") {
            d->close();
        } else if (situation == "middle") {
            d->next();
        } else if (situation == "last") {
            d->last();
        } else if (situation == "edit") {
            d->edit();
        } else if (situation == "insert") {
            d->next();
            d->insert();
        } else if (situation == "empty") {
            d->setSql({"select * from Pacientes where inscricao < 0"});
            d->open();
        } else if (situation == "join") {
            folder->exec("insert into Consultas (Cod_pac, Cod_med) values (1, 1), (2, 1)");
            d->setSql({"select c.Numero, p.nome from Consultas c, Pacientes p",
                       "where c.Cod_pac = p.inscricao"});
            d->open();
        }
        QCOMPARE(enabling(), expected);
    }

    // Catches an action that acts, complains or skips its click event on a closed dataset.
    void actionsOnClosedDatasetDoNothing() {
        patients()->close();
        for (int i = 0; i < DBNavigator::buttonCount; ++i)
            nav->run(DBNavigator::Button(i));
        QCOMPARE(patients()->state(), State::Inactive);
        QVERIFY2(recorder->shown().empty(), qPrintable(recorder->last()));
        QCOMPARE(clicks, QList<int>({0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    }

    // Catches Delete acting on "Cancel", or disturbing the row or its pending edit.
    void deleteCancelledLeavesRowAndState_data() {
        QTest::addColumn<bool>("editing");
        QTest::newRow("browsing") << false;
        QTest::newRow("editing") << true;
    }
    void deleteCancelledLeavesRowAndState() {
        QFETCH(bool, editing);
        db::Dataset* d = patients();
        d->next();
        if (editing) {
            d->edit();
            d->fieldByName("nome").setAsString("Bruna");
        }
        recorder->answer(messages::Answer::Cancel);
        nav->run(DBNavigator::Delete);
        QCOMPARE(recorder->shown().size(), size_t(1));
        const messages::Shown& box = recorder->shown().front();
        QCOMPARE(box.caption, "Confirm");
        QCOMPARE(box.text, "Delete record?");
        QVERIFY(box.buttons == messages::Buttons::OkCancel);
        QCOMPARE(d->state(), editing ? State::Edit : State::Browse);
        QCOMPARE(d->recNo(), 1);
        QCOMPARE(d->fieldByName("nome").asString(), editing ? "Bruna" : "Bruno");
        QCOMPARE(folder->scalar("select count(*) from Pacientes").toInt(), 3);
        QCOMPARE(clicks, QList<int>({DBNavigator::Delete}));
    }

    // Catches Delete ignoring "OK" or the confirm-delete switch.
    void deleteConfirmedOrUnasked() {
        db::Dataset* d = patients();
        nav->run(DBNavigator::Delete); // answered OK
        QCOMPARE(recorder->texts(), QStringList({"Delete record?"}));
        QCOMPARE(d->fieldByName("nome").asString(), "Bruno");
        nav->setConfirmDelete(false);
        nav->run(DBNavigator::Delete);
        QCOMPARE(recorder->shown().size(), size_t(1));
        QCOMPARE(folder->scalar("select group_concat(nome) from Pacientes").toString(), "Carla");
    }

    // Catches a button that runs the wrong operation, or a click event missing or numbered
    // wrongly, also when the action changed nothing (Prior at the first row).
    void buttonsRunTheirActionThenClick() {
        db::Dataset* d = patients();
        QTest::mouseClick(nav->button(DBNavigator::Last), Qt::LeftButton);
        QCOMPARE(d->fieldByName("nome").asString(), "Carla");
        QTest::mouseClick(nav->button(DBNavigator::First), Qt::LeftButton);
        QCOMPARE(d->recNo(), 0);
        nav->run(DBNavigator::Prior);
        QCOMPARE(d->recNo(), 0);
        QTest::mouseClick(nav->button(DBNavigator::Next), Qt::LeftButton);
        QCOMPARE(d->fieldByName("nome").asString(), "Bruno");
        QTest::mouseClick(nav->button(DBNavigator::Edit), Qt::LeftButton);
        QCOMPARE(d->state(), State::Edit);
        d->fieldByName("nome").setAsString("Bruna");
        QTest::mouseClick(nav->button(DBNavigator::Post), Qt::LeftButton);
        QCOMPARE(d->state(), State::Browse);
        QCOMPARE(folder->scalar("select nome from Pacientes where nome like 'Bru%'").toString(),
                 "Bruna");
        QTest::mouseClick(nav->button(DBNavigator::Insert), Qt::LeftButton);
        QCOMPARE(d->state(), State::Insert);
        QTest::mouseClick(nav->button(DBNavigator::Cancel), Qt::LeftButton);
        QCOMPARE(d->state(), State::Browse);
        folder->exec("insert into Pacientes (nome) values ('Davi')");
        QTest::mouseClick(nav->button(DBNavigator::Refresh), Qt::LeftButton);
        QCOMPARE(d->recordCount(), 4);
        QCOMPARE(clicks, QList<int>({3, 0, 1, 2, 6, 7, 4, 8, 9}));
        QVERIFY2(recorder->shown().empty(), qPrintable(recorder->last()));
    }

    // Catches an action's error escaping the button unreported, or the click event running
    // after a failed action.
    void failedActionIsReportedWithoutClick() {
        nav->run(DBNavigator::Edit);
        patients()->cancel();
        clicks.clear();
        nav->button(DBNavigator::Post)->setEnabled(true); // as a stale button would be
        QTest::mouseClick(nav->button(DBNavigator::Post), Qt::LeftButton);
        QCOMPARE(recorder->texts(),
                 QStringList({"ADOEditPacientes: Dataset not in edit or insert mode."}));
        QVERIFY(clicks.isEmpty());
    }

    // Catches run() obeying the buttons' enabling or visibility (the register windows dispatch
    // through a hidden navigator).
    void runIgnoresEnablingAndVisibility() {
        nav->setVisibleButtons(
            {DBNavigator::First, DBNavigator::Prior, DBNavigator::Next, DBNavigator::Last});
        QCOMPARE(nav->visibleButtons().size(), 4);
        QVERIFY(nav->button(DBNavigator::Insert)->isHidden());
        nav->hide();
        nav->run(DBNavigator::Insert);
        QCOMPARE(patients()->state(), State::Insert);
        patients()->fieldByName("nome").setAsString("Eva");
        nav->run(DBNavigator::Post);
        QCOMPARE(folder->scalar("select count(*) from Pacientes where nome = 'Eva'").toInt(), 1);
        try {
            nav->run(DBNavigator::Post);
            QFAIL("a post without a pending row must raise");
        } catch (const Error& e) {
            QCOMPARE(e.message(), "ADOEditPacientes: Dataset not in edit or insert mode");
        }
    }

    // Catches hints shown where the window did not turn them on, or wrong texts; the buttons
    // carry them as accessible names all the same.
    void hintsOnlyWhenTurnedOn() {
        const QStringList hints = {"First record",  "Prior record",  "Next record", "Last record",
                                   "Insert record", "Delete record", "Edit record", "Post edit",
                                   "Cancel edit",   "Refresh data"};
        for (int i = 0; i < DBNavigator::buttonCount; ++i) {
            QVERIFY(nav->button(DBNavigator::Button(i))->toolTip().isEmpty());
            QCOMPARE(nav->button(DBNavigator::Button(i))->accessibleName(), hints.at(i));
        }
        nav->setShowHint(true);
        for (int i = 0; i < DBNavigator::buttonCount; ++i)
            QCOMPARE(nav->button(DBNavigator::Button(i))->toolTip(), hints.at(i));
    }
};

QTEST_MAIN(TstNavigator)
#include "tst_navigator.moc"
