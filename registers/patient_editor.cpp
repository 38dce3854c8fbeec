#include "registers/patient_editor.h"

#include "consult/records_browser.h"
#include "db/dataset.h"
#include "db/dm2.h"
#include "db/session.h"
#include "db/widgets/dbedit.h"
#include "db/widgets/dbnavigator.h"
#include "platform/messages.h"
#include "resources/icons.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvalen {

TForm9* Form9 = nullptr;

TForm9::TForm9(QWidget* owner) : Form(owner) {
    setObjectName("Form9");
    setupForm(QStringLiteral("Pacientes"), 742, 536, Border::FixedWithMinMax);
    buildLayout();
    connectCommands();
}

TForm9::TForm9(QWidget* owner, int code) : TForm9(owner) {
    code_ = code;
    loadRecord(DBNavigator1, QStringLiteral("Pacientes"), QStringLiteral("inscricao"), code,
               BitBtn2, QStringLiteral("Adicionar Novo Paciente"));
}

void TForm9::buildLayout() {
    db::DataSource* source = Dm2 ? Dm2->DataSource7 : nullptr;
    const auto bound = [&](QLabel*& label, DBEdit*& edit, int n, const QString& caption,
                           const QString& column) {
        label = new QLabel(caption, this);
        label->setObjectName(QStringLiteral("Label%1").arg(n));
        edit = new DBEdit(source, column, this);
        edit->setObjectName(QStringLiteral("DBEdit%1").arg(n));
        label->setBuddy(edit);
        edit->setAccessibleName(caption);
    };
    bound(Label1, DBEdit1, 1, QStringLiteral("Codigo:"), "inscricao");
    bound(Label2, DBEdit2, 2, QStringLiteral("Plano de saúde:"), "plano");
    bound(Label3, DBEdit3, 3, QStringLiteral("Nome:"), "nome");
    bound(Label4, DBEdit4, 4, QStringLiteral("Rua:"), "rua");
    bound(Label5, DBEdit5, 5, QStringLiteral("Bairro:"), "bairro");
    bound(Label6, DBEdit6, 6, QStringLiteral("Cidade:"), "cidade");
    bound(Label7, DBEdit7, 7, QStringLiteral("CEP:"), "cep");
    bound(Label8, DBEdit8, 8, QStringLiteral("Tel:"), "tel");
    bound(Label9, DBEdit9, 9, QStringLiteral("CPF:"), "cpf");
    bound(Label10, DBEdit10, 10, QStringLiteral("RG:"), "identidade");
    bound(Label11, DBEdit11, 11, QStringLiteral("Mãe:"), "mae");
    bound(Label12, DBEdit12, 12, QStringLiteral("Pai:"), "pai");
    bound(Label13, DBEdit13, 13, QStringLiteral("Data de Nascimento (dd/mm/aaaa):"), "nascimento");

    DBEdit1->setEnabled(false);
    DBEdit1->setFixedWidth(90);
    Label3->setFont(programFont(10, true));
    DBEdit3->setFont(programFont(10, true));
    for (DBEdit* shortBox : {DBEdit7, DBEdit8, DBEdit9, DBEdit10})
        shortBox->setFixedWidth(120);
    DBEdit13->setFixedWidth(73);

    DBNavigator1 = new DBNavigator(source, this);
    DBNavigator1->setObjectName("DBNavigator1");
    DBNavigator1->hide();

    BitBtn1 = new QPushButton(resources::icon("save"), QStringLiteral("&SALVAR ALTERAÇÕES"), this);
    BitBtn1->setObjectName("BitBtn1");
    BitBtn1->setFixedSize(152, 46);
    BitBtn3 = new QPushButton(resources::icon("records"), QStringLiteral("Prontuários"), this);
    BitBtn3->setObjectName("BitBtn3");
    BitBtn3->setFixedSize(137, 46);
    BitBtn2 = new QPushButton(resources::icon("remove"), QStringLiteral("Remover"), this);
    BitBtn2->setObjectName("BitBtn2");
    BitBtn2->setMinimumSize(100, 30);
    Button1 = new QPushButton(QStringLiteral("Fechar"), this);
    Button1->setObjectName("Button1");
    Button1->setMinimumSize(100, 30);
    for (QPushButton* b : {BitBtn1, BitBtn3, BitBtn2, Button1}) {
        b->setAutoDefault(false);
        b->setIconSize(QSize(24, 24));
    }

    // Labels in the first column; a row with several boxes puts the next labels beside them.
    const auto row = [](const QList<QWidget*>& widgets, bool fill) {
        auto* r = new QHBoxLayout;
        r->setSpacing(8);
        for (QWidget* w : widgets)
            r->addWidget(w);
        if (!fill)
            r->addStretch(1);
        return r;
    };
    DBEdit2->setFixedWidth(300);
    auto* codeRow = row({DBEdit1}, false);
    codeRow->addWidget(Label2);
    codeRow->addWidget(DBEdit2);

    auto* fields = new QGridLayout;
    fields->setHorizontalSpacing(8);
    fields->setVerticalSpacing(12);
    fields->addWidget(Label1, 0, 0);
    fields->addLayout(codeRow, 0, 1);
    fields->addWidget(Label3, 1, 0);
    fields->addWidget(DBEdit3, 1, 1);
    fields->addWidget(Label4, 2, 0);
    fields->addWidget(DBEdit4, 2, 1);
    fields->addWidget(Label5, 3, 0);
    fields->addLayout(row({DBEdit5, Label6, DBEdit6}, true), 3, 1);
    fields->addWidget(Label7, 4, 0);
    fields->addLayout(row({DBEdit7, Label8, DBEdit8, Label9, DBEdit9, Label10, DBEdit10}, false), 4,
                      1);
    fields->addWidget(Label11, 5, 0);
    fields->addWidget(DBEdit11, 5, 1);
    fields->addWidget(Label12, 6, 0);
    fields->addWidget(DBEdit12, 6, 1);
    fields->addLayout(row({Label13, DBEdit13}, false), 7, 0, 1, 2);
    fields->setColumnStretch(1, 1);

    auto* buttons = row({BitBtn1, BitBtn3}, false);
    buttons->addWidget(BitBtn2);
    buttons->addSpacing(16);
    buttons->addWidget(Button1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->addLayout(fields);
    layout->addStretch(1);
    layout->addWidget(DBNavigator1);
    layout->addLayout(buttons);

    const QList<QWidget*> tabOrder = {Button1,  BitBtn1,  DBEdit2, DBEdit3, DBEdit4,  DBEdit5,
                                      DBEdit6,  DBEdit7,  DBEdit8, DBEdit9, DBEdit10, DBEdit11,
                                      DBEdit12, DBEdit13, BitBtn2, BitBtn3};
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    Button1->setFocus();
}

void TForm9::connectCommands() {
    connect(BitBtn1, &QPushButton::clicked, this, command(&TForm9::BitBtn1Click));
    connect(BitBtn2, &QPushButton::clicked, this, command(&TForm9::BitBtn2Click));
    connect(BitBtn3, &QPushButton::clicked, this, command(&TForm9::BitBtn3Click));
    connect(Button1, &QPushButton::clicked, this, command(&TForm9::Button1Click));
}

void TForm9::BitBtn1Click() {
    DBNavigator1->run(DBNavigator::Post);
}

void TForm9::BitBtn2Click() {
    DBNavigator1->run(DBNavigator::Delete);
}

void TForm9::BitBtn3Click() {
    db::Dataset* records = Dm2->ADOQueryPronts;
    records->clearSql();
    records->addSql(QStringLiteral("SELECT Numero from Consultas"));
    records->addSql(QStringLiteral("where Cod_pac =") + QString::number(code_) + ';');
    records->open();
    if (records->recordCount() == 0) {
        messages::showMessage(
            QStringLiteral("Não há nenhum prontuário deste paciente cadastrado no sistema."));
        return;
    }
    session().patient = CurrentPatient{code_, DBEdit3->text()};
    Form13->showInFront();
}

void TForm9::Button1Click() {
    close();
}

} // namespace corvalen
