#include "consult/records_browser.h"

#include "consult/exam_list.h"
#include "db/dm2.h"
#include "db/session.h"
#include "db/widgets/dbedit.h"
#include "db/widgets/dbgrid.h"
#include "db/widgets/dbmemo.h"
#include "db/widgets/dbnavigator.h"
#include "platform/error.h"
#include "platform/messages.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvalen {

TForm13* Form13 = nullptr;

namespace {

QLabel* label(const QString& text, QWidget* buddy) {
    auto* l = new QLabel(text);
    l->setBuddy(buddy);
    return l;
}

} // namespace

TForm13::TForm13(QWidget* owner) : Form(owner) {
    setObjectName("Form13");
    setupForm(QStringLiteral("Prontuários"), 757, 518, Border::FixedWithMinMax);
    buildLayout();
    connectCommands();
}

void TForm13::buildLayout() {
    db::DataSource* consultas = Dm2 ? Dm2->DataSource4 : nullptr;

    DBEdit1 = new DBEdit(consultas, "Numero", this);
    DBEdit4 = new DBEdit(consultas, "Data", this);
    DBEdit5 = new DBEdit(consultas, "Hora", this);
    Button1 = new QPushButton(QStringLiteral("&Fechar"), this);
    Button1->setAutoDefault(false);
    DBEdit2 = new DBEdit(consultas, "Cod_pac", this);
    NomeMedico = new QLineEdit(this);
    NomeMedico->setFixedWidth(347);
    Edit1 = new QLineEdit(this);
    for (QWidget* w :
         std::initializer_list<QWidget*>{DBEdit1, DBEdit4, DBEdit5, DBEdit2, NomeMedico, Edit1})
        w->setEnabled(false);
    DBEdit1->setFixedWidth(80);
    DBEdit4->setFixedWidth(100);
    DBEdit5->setFixedWidth(70);
    DBEdit2->setFixedWidth(80);

    DBNavigator1 = new DBNavigator(consultas, this);
    DBNavigator1->setVisibleButtons(
        {DBNavigator::First, DBNavigator::Prior, DBNavigator::Next, DBNavigator::Last});
    DBNavigator1->setFixedSize(160, 25);
    DBNavigator1->setAccessibleName(QStringLiteral("Consultas do paciente"));
    DBEdit3 = new DBEdit(consultas, "Cod_med", this);
    DBEdit3->hide();

    DBMemo1 = new DBMemo(consultas, "Prontuario", this);
    DBMemo1->setReadOnly(true);
    DBMemo1->setFont(programFont(8, true));
    DBMemo1->setFixedSize(723, 170);
    DBMemo2 = new DBMemo(consultas, "Anamnese", this);
    DBMemo2->setReadOnly(true);
    DBMemo2->setFixedSize(449, 89);
    DBGridAbrePronts = new DBGrid(Dm2 ? Dm2->DataSource12 : nullptr, this);
    DBGridAbrePronts->setFixedSize(251, 89);
    DBGridAbrePronts->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    auto* row1 = new QHBoxLayout;
    row1->addWidget(label(QStringLiteral("Consulta:"), DBEdit1));
    row1->addWidget(DBEdit1);
    row1->addSpacing(12);
    row1->addWidget(label(QStringLiteral("Data:"), DBEdit4));
    row1->addWidget(DBEdit4);
    row1->addSpacing(12);
    row1->addWidget(label(QStringLiteral("Hora:"), DBEdit5));
    row1->addWidget(DBEdit5);
    row1->addStretch();
    row1->addWidget(Button1);

    auto* row2 = new QHBoxLayout;
    row2->addWidget(label(QStringLiteral("Paciente:"), DBEdit2));
    row2->addWidget(DBEdit2);
    row2->addSpacing(12);
    row2->addWidget(label(QStringLiteral("Atendido por:"), NomeMedico));
    row2->addWidget(NomeMedico);
    row2->addStretch();

    auto* row3 = new QHBoxLayout;
    row3->addWidget(label(QStringLiteral("Nome:"), Edit1));
    row3->addWidget(Edit1, 1);

    auto* row4 = new QHBoxLayout;
    row4->addWidget(DBNavigator1);
    row4->addStretch();

    auto* anamnese = new QVBoxLayout;
    anamnese->addWidget(label(QStringLiteral("Anamnese:"), DBMemo2));
    anamnese->addWidget(DBMemo2);
    auto* exames = new QVBoxLayout;
    exames->addWidget(label(QStringLiteral("Exames Anexados:"), DBGridAbrePronts));
    exames->addWidget(DBGridAbrePronts);
    auto* row6 = new QHBoxLayout;
    row6->addLayout(anamnese);
    row6->addSpacing(8);
    row6->addLayout(exames);
    row6->addStretch();

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(16, 14, 16, 14);
    root->setSpacing(10);
    root->addLayout(row1);
    root->addLayout(row2);
    root->addLayout(row3);
    root->addLayout(row4);
    root->addWidget(label(QStringLiteral("Receituário:"), DBMemo1));
    root->addWidget(DBMemo1);
    root->addLayout(row6);
    root->addStretch();

    setTabOrder(DBMemo1, Button1);
    setTabOrder(Button1, DBNavigator1);
    setTabOrder(DBNavigator1, DBMemo2);
    setTabOrder(DBMemo2, DBGridAbrePronts);
    DBMemo1->setFocus();
}

void TForm13::connectCommands() {
    connect(Button1, &QPushButton::clicked, this, command(&TForm13::close));
    connect(DBNavigator1, &DBNavigator::click, this, command(&TForm13::DBNavigator1Click));
    connect(DBGridAbrePronts, &DBGrid::dblClick, this, command(&TForm13::DBGridAbreProntsDblClick));
}

void TForm13::setVisible(bool visible) {
    // The show handler replaces the statements of both datasets. Closed until it runs, they
    // give the navigator and the grid, shown before it, no rows to read: the whole tables of
    // the statements they held would be read for nothing.
    if (visible && !isVisible() && Dm2) {
        Dm2->ADOVerConsultas->close();
        Dm2->ADOListadeExames->close();
    }
    Form::setVisible(visible);
}

void TForm13::FormShow() {
    db::Dataset* consultas = Dm2->ADOVerConsultas;
    consultas->setSql({QStringLiteral("SELECT * from Consultas"),
                       QStringLiteral("where Cod_pac =%1").arg(session().patient.code),
                       QStringLiteral("order by Numero;")});
    consultas->open();
    Edit1->setText(session().patient.name);
    DBMemo1->setFocus();
    loadCurrentConsultation();
}

void TForm13::DBNavigator1Click() {
    NomeMedico->clear();
    loadCurrentConsultation();
}

void TForm13::loadCurrentConsultation() {
    const QString codMed = DBEdit3->text();
    const QString numero = DBEdit1->text();
    const QString codPac = DBEdit2->text();
    // The code is bound as a value; an empty code leaves the statement incomplete, as joining
    // its empty text would, and the engine's refusal is reported.
    QString statement = QStringLiteral("SELECT medico FROM Usuarios where cod = ");
    QVariantMap values;
    if (!codMed.isEmpty()) {
        statement += QStringLiteral(":cod");
        values.insert(QStringLiteral("cod"), codMed);
    }
    CarregaEdit(NomeMedico, statement, values);
    loadExamList(Dm2->ADOListadeExames, numero, codPac);
}

std::unique_ptr<db::Dataset> TForm13::PesquisaSQL(const QString& statement,
                                                  const QVariantMap& values) {
    try {
        auto query = std::make_unique<db::Dataset>(QStringLiteral("PesquisaSQL"));
        query->setDatabase(Dm2->ADOConnection1->database());
        query->setSql({statement});
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            query->setParameter(it.key(), it.value());
        query->open();
        return query;
    } catch (const std::exception& e) {
        messages::showMessage(QStringLiteral("Erro durante a execução da pesquisa: ") +
                              errorMessage(e));
        return nullptr;
    }
}

void TForm13::CarregaEdit(QLineEdit* edit, const QString& statement, const QVariantMap& values) {
    edit->clear();
    try {
        if (std::unique_ptr<db::Dataset> query = PesquisaSQL(statement, values)) {
            for (query->first(); !query->eof(); query->next())
                edit->setText(query->field(0).asString());
        }
    } catch (const std::exception& e) {
        messages::showMessage(
            QStringLiteral("Erro durante a captura das databases do SQL Server. Erro: ") +
            errorMessage(e));
    }
}

void TForm13::DBGridAbreProntsDblClick() {
    openListedExam(this, DBGridAbrePronts, DBEdit1->text());
}

} // namespace corvalen
