// The user list and the user editor: the level check, saving, removing, the last
// administrator, and the list that reloads only on "Atualizar".

#include "db/dm2.h"
#include "db/widgets/dbcontrols.h"
#include "registers/user_editor.h"
#include "registers/users_list.h"
#include "tests/registers/register_fixture.h"
#include "tests/support/server.h"

#include <QLabel>
#include <QPushButton>

using namespace corvalen;
using State = db::Dataset::State;

namespace {
const QString lastAdminRemoved =
    QStringLiteral("Não é possível remover o último administrador do sistema. "
                   "Cadastre outro administrador antes.");
const QString lastAdminDemoted =
    QStringLiteral("Não é possível tornar usuário comum o último administrador do sistema. "
                   "Cadastre outro administrador antes.");
} // namespace

class TstUsers : public QObject {
    Q_OBJECT

    std::unique_ptr<test::MessageRecorder> recorder;
    std::unique_ptr<test::DataFolder> folder;

    int addUser(const QString& login, const QString& level) {
        folder->exec(QStringLiteral("insert into Usuarios (nome, senha, nivel) values ('%1', "
                                    "'x', %2)")
                         .arg(login, level));
        return folder
            ->scalar(QStringLiteral("select cod from Usuarios where nome = '%1'").arg(login))
            .toInt();
    }
    int count(const QString& where = QStringLiteral("1 = 1")) {
        return folder->scalar("select count(*) from Usuarios where " + where).toInt();
    }
    std::unique_ptr<TForm5> openEditor(int code) {
        auto editor = std::make_unique<TForm5>(nullptr, code);
        editor->show();
        return editor;
    }

private slots:
    void init() {
        recorder = std::make_unique<test::MessageRecorder>();
        folder = std::make_unique<test::DataFolder>();
    }
    void cleanup() {
        folder.reset();
        recorder.reset();
    }

    // A new user without a level is refused and nothing is written; with one it is saved as
    // typed (password included, shown masked) and the editor stays open.
    void newUserNeedsLevel() {
        folder->openDataModule();
        auto editor = openEditor(0);
        QCOMPARE(editor->windowTitle(), QStringLiteral("Adicionar novo usuário"));
        QVERIFY(editor->Btndel->isHidden());
        QCOMPARE(editor->DBRadioGroup1->itemIndex(), -1);
        QCOMPARE(Dm2->ADOEditUsuarios->state(), State::Insert);

        test::typeInto(editor->DBEdit2, "maria");
        test::typeInto(editor->DBEdit3, "s3gr3do");
        QCOMPARE(editor->DBEdit3->displayText(), QStringLiteral("*******"));
        QTest::mouseClick(editor->BitBtn1, Qt::LeftButton);
        QCOMPARE(recorder->texts(), QStringList{"Selecione um nível para o usuário!"});
        QCOMPARE(count(), 1);
        QCOMPARE(Dm2->ADOEditUsuarios->state(), State::Insert);

        recorder->clear();
        QTest::mouseClick(test::radioItem(editor->DBRadioGroup1, "Administrador"), Qt::LeftButton);
        QTest::mouseClick(editor->BitBtn1, Qt::LeftButton);
        QCOMPARE(recorder->texts(), QStringList());
        QCOMPARE(count("nome = 'maria' and senha = 's3gr3do' and nivel = 1"), 1);
        QVERIFY(editor->isVisible());
        QVERIFY(!editor->DBEdit1->text().isEmpty()); // the code the database assigned
    }

    // The stored level selects its item; any other value selects none and blocks the save
    // until an item is chosen.
    void storedLevel_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("index");
        QTest::newRow("common") << "0" << 0;
        QTest::newRow("administrator") << "1" << 1;
        QTest::newRow("unknown number") << "5" << -1;
        QTest::newRow("null") << "null" << -1;
    }
    void storedLevel() {
        QFETCH(QString, stored);
        QFETCH(int, index);
        const int code = addUser("joao", stored);
        folder->openDataModule();
        auto editor = openEditor(code);
        QCOMPARE(editor->windowTitle(), QStringLiteral("Edição de Usuários"));
        QVERIFY(!editor->Btndel->isHidden());
        QCOMPARE(editor->DBEdit2->text(), QStringLiteral("joao"));
        QCOMPARE(editor->DBRadioGroup1->itemIndex(), index);

        test::typeInto(editor->DBEdit4, "João Silva");
        QTest::mouseClick(editor->BitBtn1, Qt::LeftButton);
        if (index >= 0) {
            QCOMPARE(recorder->texts(), QStringList());
            QCOMPARE(count("medico = 'João Silva'"), 1);
            return;
        }
        QCOMPARE(recorder->texts(), QStringList{"Selecione um nível para o usuário!"});
        QCOMPARE(count("medico is not null"), 1); // only the prepared administrator's

        QTest::mouseClick(test::radioItem(editor->DBRadioGroup1, "Usuario comum"), Qt::LeftButton);
        QTest::mouseClick(editor->BitBtn1, Qt::LeftButton);
        QCOMPARE(count("medico = 'João Silva' and nivel = 0"), 1);
    }

    // Saving with nothing changed reports the editor's dataset by name.
    void saveWithoutChange() {
        folder->openDataModule();
        auto editor = openEditor(1);
        QTest::mouseClick(editor->BitBtn1, Qt::LeftButton);
        QCOMPARE(recorder->texts(),
                 QStringList{"ADOEditUsuarios: Dataset not in edit or insert mode."});
    }

    // "Remover" deletes only after OK, then reports and closes; Cancel changes nothing.
    void removeUser_data() {
        QTest::addColumn<bool>("confirm");
        QTest::newRow("OK") << true;
        QTest::newRow("Cancel") << false;
    }
    void removeUser() {
        QFETCH(bool, confirm);
        const int code = addUser("joao", "0");
        folder->openDataModule();
        auto editor = openEditor(code);
        recorder->answer(confirm ? messages::Answer::Ok : messages::Answer::Cancel);
        QTest::mouseClick(editor->Btndel, Qt::LeftButton);

        QCOMPARE(recorder->shown().front().buttons, messages::Buttons::OkCancel);
        if (confirm) {
            QCOMPARE(recorder->texts(), (QStringList{"Delete record?", "Operação concluída!"}));
            QCOMPARE(count("nome = 'joao'"), 0);
            QVERIFY(!editor->isVisible());
        } else {
            QCOMPARE(recorder->texts(), QStringList{"Delete record?"});
            QCOMPARE(count("nome = 'joao'"), 1);
            QVERIFY(editor->isVisible());
            QCOMPARE(Dm2->ADOEditUsuarios->recordCount(), 1);
        }
    }

    // The database refuses to lose its last administrator, by removal or by a change of level,
    // with a text that reaches the error box whole; with a second administrator both work.
    void lastAdministrator_data() {
        QTest::addColumn<bool>("secondAdministrator");
        QTest::addColumn<bool>("remove"); // else: set the level to common user
        QTest::addColumn<QString>("error");
        QTest::newRow("remove the only one") << false << true << lastAdminRemoved;
        QTest::newRow("demote the only one") << false << false << lastAdminDemoted;
        QTest::newRow("remove one of two") << true << true << "";
        QTest::newRow("demote one of two") << true << false << "";
    }
    void lastAdministrator() {
        QFETCH(bool, secondAdministrator);
        QFETCH(bool, remove);
        QFETCH(QString, error);
        addUser("joao", "0");
        if (secondAdministrator)
            addUser("chefe", "1");
        folder->openDataModule();
        auto editor = openEditor(1);

        if (remove) {
            QTest::mouseClick(editor->Btndel, Qt::LeftButton);
            const QString after = error.isEmpty() ? "Operação concluída!" : error;
            QCOMPARE(recorder->texts(), (QStringList{"Delete record?", after}));
            QCOMPARE(recorder->shown().back().kind,
                     error.isEmpty() ? messages::Kind::Plain : messages::Kind::Error);
            QCOMPARE(count("cod = 1"), error.isEmpty() ? 0 : 1);
            QCOMPARE(editor->isVisible(), !error.isEmpty());
        } else {
            QTest::mouseClick(test::radioItem(editor->DBRadioGroup1, "Usuario comum"),
                              Qt::LeftButton);
            QTest::mouseClick(editor->BitBtn1, Qt::LeftButton);
            QCOMPARE(recorder->texts(), error.isEmpty() ? QStringList() : QStringList{error});
            QCOMPARE(count("cod = 1 and nivel = 1"), error.isEmpty() ? 0 : 1);
            // A refused row stays pending, so it can be corrected and saved again.
            QCOMPARE(Dm2->ADOEditUsuarios->state(), error.isEmpty() ? State::Browse : State::Edit);
        }
    }

    // A user added through the list's editor shows in the list only after "Atualizar", also
    // with a screen reader questioning the grid at each change (catches a grid whose model
    // answers for columns a re-query dropped, losing its titles and rows).
    void listShowsNewUserAfterRefresh_data() {
        QTest::addColumn<bool>("screenReader");
        QTest::newRow("plain") << false;
        QTest::newRow("screen reader") << true;
    }
    void listShowsNewUserAfterRefresh() {
        QFETCH(bool, screenReader);
        folder->openDataModule();
        TForm4 list;
        std::optional<test::ScreenReader> reader;
        if (screenReader)
            reader.emplace(list.DBGrid1);
        list.show();
        QCOMPARE(list.DBGrid1->model()->rowCount(), 1);

        const bool opened = test::whileModal<TForm5>(
            [&] { QTest::mouseClick(list.Button1, Qt::LeftButton); },
            [](TForm5& editor) {
                QCOMPARE(editor.windowTitle(), QStringLiteral("Adicionar novo usuário"));
                test::typeInto(editor.DBEdit2, "maria");
                QTest::mouseClick(test::radioItem(editor.DBRadioGroup1, "Usuario comum"),
                                  Qt::LeftButton);
                QTest::mouseClick(editor.BitBtn1, Qt::LeftButton);
                QTest::mouseClick(editor.Button1, Qt::LeftButton);
            });
        QVERIFY(opened);
        QCOMPARE(recorder->texts(), QStringList());
        QCOMPARE(count("nome = 'maria'"), 1);
        QCOMPARE(list.DBGrid1->model()->rowCount(), 1);

        QTest::mouseClick(list.Button3, Qt::LeftButton);
        QCOMPARE(list.DBGrid1->model()->rowCount(), 2);
        QCOMPARE(list.DBGrid1->model()->headerData(1, Qt::Horizontal).toString(), "nome");
        QCOMPARE(recorder->texts(), QStringList());
        if (reader) {
            QVERIFY(reader->queries() > 0);
            QVERIFY2(reader->errors().isEmpty(), qPrintable(reader->errors().join(" | ")));
        }
    }

    // "&Editar Usuário" and a double-click open the editor on the current row's user, and the
    // editor leaves ADOEditUsuarios holding that user alone.
    void editFromList_data() {
        QTest::addColumn<bool>("doubleClick");
        QTest::newRow("button") << false;
        QTest::newRow("double-click") << true;
    }
    void editFromList() {
        QFETCH(bool, doubleClick);
        const int code = addUser("joao", "0");
        folder->openDataModule();
        TForm4 list;
        list.show();
        QWidget* viewport = list.DBGrid1->viewport();
        const QPoint second = list.DBGrid1->visualRect(list.DBGrid1->model()->index(1, 1)).center();
        QTest::mouseClick(viewport, Qt::LeftButton, {}, second);

        QString login;
        int editorCode = 0;
        const bool opened = test::whileModal<TForm5>(
            [&] {
                if (doubleClick)
                    QTest::mouseDClick(viewport, Qt::LeftButton, {}, second);
                else
                    QTest::mouseClick(list.Button2, Qt::LeftButton);
            },
            [&](TForm5& editor) {
                login = editor.DBEdit2->text();
                editorCode = editor.code();
            });
        QVERIFY(opened);
        QCOMPARE(login, QStringLiteral("joao"));
        QCOMPARE(editorCode, code);
        QCOMPARE(Dm2->ADOEditUsuarios->sql(),
                 (QStringList{"SELECT * from Usuarios", QString("where cod =%1;").arg(code)}));
        QCOMPARE(Dm2->ADOEditUsuarios->recordCount(), 1);
        QCOMPARE(recorder->texts(), QStringList());
    }

    // On an empty list "&Editar Usuário" reports the null code and opens no editor.
    void editOnEmptyList() {
        folder->exec(test::onServer() ? "drop trigger usuarios_ultimo_administrador on Usuarios"
                                      : "drop trigger Usuarios_ultimo_administrador_remover");
        folder->exec("delete from Usuarios");
        folder->openDataModule();
        TForm4 list;
        list.show();
        const bool opened =
            test::whileModal<TForm5>([&] { QTest::mouseClick(list.Button2, Qt::LeftButton); });
        QVERIFY(!opened);
        QCOMPARE(recorder->texts(),
                 QStringList{"Could not convert variant of type (Null) into type (Integer)"});
    }

    // Tab order and first focus of both windows, and the labels that name their boxes.
    void keyboard() {
        folder->openDataModule();
        TForm4 list;
        list.show();
        QCOMPARE(list.focusWidget(), list.BitBtn1);
        QCOMPARE(test::tabChain(list.BitBtn1, 4),
                 (QStringList{"DBGrid1", "Button1", "Button2", "Button3"}));

        auto editor = openEditor(1);
        QCOMPARE(editor->focusWidget(), editor->DBEdit2);
        QCOMPARE(test::tabChain(editor->DBEdit2, 16),
                 (QStringList{"DBEdit3", "Button1", "Usuario comum", "Administrador", "BitBtn1",
                              "Btndel", "DBEdit4", "DBEdit5", "DBEdit6", "DBEdit7", "DBEdit8",
                              "DBEdit9", "DBEdit10", "DBEdit11", "DBEdit12", "DBEdit14"}));
        QCOMPARE(editor->Label4->buddy(), editor->DBEdit4);
        QCOMPARE(editor->DBEdit4->accessibleName(), QStringLiteral("NOME:"));
        QVERIFY(!editor->DBEdit1->isEnabled());
    }
};

QTEST_MAIN(TstUsers)
#include "tst_users.moc"
