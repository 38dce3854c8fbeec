#include "registers/users_list.h"

#include "db/dm2.h"
#include "db/widgets/dbgrid.h"
#include "platform/messages.h"
#include "registers/user_editor.h"
#include "resources/icons.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvalen {

TForm4* Form4 = nullptr;

TForm4::TForm4(QWidget* owner) : Form(owner) {
    setObjectName("Form4");
    setupForm(QStringLiteral("Usuários"), 683, 421, Border::FixedWithMinimize);
    buildLayout();
    connectCommands();
}

void TForm4::buildLayout() {
    Label1 = new QLabel(QStringLiteral("Selecione o usuário que deseja gerenciar:"), this);
    Label1->setObjectName("Label1");

    DBGrid1 = new DBGrid(Dm2->DataSource2, this);
    DBGrid1->setObjectName("DBGrid1");
    DBGrid1->setFixedSize(641, 233);
    DBGrid1->setFont(programFont(11));
    DBGrid1->setTitleFont(programFont(8));
    Label1->setBuddy(DBGrid1);

    auto button = [this](const char* name, const QString& text) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(name);
        b->setAutoDefault(false);
        return b;
    };
    Button1 = button("Button1", QStringLiteral("&Adicionar Novo Usuário"));
    Button3 = button("Button3", QStringLiteral("Atualizar"));
    Button2 = button("Button2", QStringLiteral("&Editar Usuário"));
    for (QPushButton* b : {Button1, Button3, Button2})
        b->setMinimumSize(150, 30);

    Label2 = new QLabel(
        QStringLiteral("Nível 0 = Usuário Comum / Nível 1 = Administrador do sistema"), this);
    Label2->setObjectName("Label2");

    BitBtn1 = button("BitBtn1", QStringLiteral("&Sair"));
    BitBtn1->setIcon(resources::icon("exit"));
    BitBtn1->setMinimumSize(100, 30);

    auto* commands = new QHBoxLayout;
    commands->addWidget(Button1);
    commands->addStretch(2);
    commands->addWidget(Button3);
    commands->addStretch(1);
    commands->addWidget(Button2);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(Label2);
    bottom->addStretch(1);
    bottom->addWidget(BitBtn1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(21, 16, 21, 16);
    layout->setSpacing(10);
    layout->addWidget(Label1);
    layout->addWidget(DBGrid1);
    layout->addLayout(commands);
    layout->addStretch(1);
    layout->addLayout(bottom);

    setTabOrder(BitBtn1, DBGrid1);
    setTabOrder(DBGrid1, Button1);
    setTabOrder(Button1, Button2);
    setTabOrder(Button2, Button3);
    BitBtn1->setFocus();
}

void TForm4::connectCommands() {
    connect(Button1, &QPushButton::clicked, this, command(&TForm4::Button1Click));
    connect(Button2, &QPushButton::clicked, this, command(&TForm4::Button2Click));
    connect(Button3, &QPushButton::clicked, this, command(&TForm4::Button3Click));
    connect(BitBtn1, &QPushButton::clicked, this, command(&TForm4::BitBtn1Click));
    connect(DBGrid1, &DBGrid::dblClick, this, command(&TForm4::DBGrid1DblClick));
}

void TForm4::openEditor(int code) {
    // A window of its own for each use, owned by the list and gone when it closes.
    TForm5 editor(this, code);
    editor.exec();
}

void TForm4::Button1Click() {
    openEditor(0);
}

void TForm4::Button2Click() {
    openEditor(DBGrid1->columnField(0).asInteger());
}

void TForm4::DBGrid1DblClick() {
    Button2Click();
}

void TForm4::Button3Click() {
    Dm2->ADOQuery2->requery();
}

void TForm4::BitBtn1Click() {
    close();
}

} // namespace corvalen
