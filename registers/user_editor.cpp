#include "registers/user_editor.h"

#include "db/dm2.h"
#include "db/widgets/dbcontrols.h"
#include "platform/messages.h"
#include "resources/icons.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace corvalen {

TForm5* Form5 = nullptr;

TForm5::TForm5(QWidget* owner) : Form(owner) {
    setObjectName("Form5");
    setupForm(QStringLiteral("Edição de Usuários"), 816, 493, Border::FixedWithMinMax);
    buildLayout();
    connectCommands();
}

TForm5::TForm5(QWidget* owner, int code) : TForm5(owner) {
    code_ = code;
    loadRecord(DBNavigator1, QStringLiteral("Usuarios"), QStringLiteral("cod"), code, Btndel,
               QStringLiteral("Adicionar novo usuário"));
}

void TForm5::buildLayout() {
    db::DataSource* source = Dm2->DataSource3;
    auto box = [this, source](QLabel*& label, const char* labelName, const QString& caption,
                              DBEdit*& edit, const char* editName, const char* column,
                              bool bold = false) {
        label = new QLabel(caption, this);
        label->setObjectName(labelName);
        edit = new DBEdit(source, QLatin1String(column), this);
        edit->setObjectName(editName);
        edit->setAccessibleName(caption);
        label->setBuddy(edit);
        if (bold) {
            label->setFont(programFont(8, true));
            edit->setFont(programFont(8, true));
        }
    };
    box(Label1, "Label1", QStringLiteral("Código:"), DBEdit1, "DBEdit1", "cod");
    DBEdit1->setEnabled(false);
    DBEdit1->setFixedWidth(80);
    box(Label2, "Label2", QStringLiteral("Login:"), DBEdit2, "DBEdit2", "nome", true);
    box(Label3, "Label3", QStringLiteral("Senha:"), DBEdit3, "DBEdit3", "senha", true);
    DBEdit3->setPasswordChar(QLatin1Char('*'));
    DBRadioGroup1 = new DBRadioGroup(QStringLiteral("Nível de acesso:"), source, "nivel", this);
    DBRadioGroup1->setObjectName("DBRadioGroup1");
    DBRadioGroup1->setItems({QStringLiteral("Usuario comum"), QStringLiteral("Administrador")},
                            {QStringLiteral("0"), QStringLiteral("1")});
    DBRadioGroup1->setMinimumWidth(200);
    box(Label4, "Label4", QStringLiteral("NOME:"), DBEdit4, "DBEdit4", "medico", true);
    box(Label5, "Label5", QStringLiteral("N. Conselho (CRM):"), DBEdit5, "DBEdit5", "crm");
    box(Label6, "Label6", QStringLiteral("Endereço:"), DBEdit6, "DBEdit6", "endereco");
    box(Label7, "Label7", QStringLiteral("Bairro:"), DBEdit7, "DBEdit7", "bairro");
    box(Label8, "Label8", QStringLiteral("Cidade:"), DBEdit8, "DBEdit8", "cidade");
    box(Label9, "Label9", QStringLiteral("CEP:"), DBEdit9, "DBEdit9", "cep");
    box(Label10, "Label10", QStringLiteral("Telefone:"), DBEdit10, "DBEdit10", "telefone");
    box(Label11, "Label11", QStringLiteral("Email:"), DBEdit11, "DBEdit11", "email");
    box(Label12, "Label12", QStringLiteral("CPF:"), DBEdit12, "DBEdit12", "cpf");
    box(Label14, "Label14", QStringLiteral("RG:"), DBEdit14, "DBEdit14", "rg");

    // Kept hidden: the window's own buttons run its actions.
    DBNavigator1 = new DBNavigator(source, this);
    DBNavigator1->setObjectName("DBNavigator1");
    DBNavigator1->hide();

    auto button = [this](const char* name, const QString& text, const char* icon) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(name);
        b->setAutoDefault(false);
        b->setMinimumSize(150, 34);
        if (icon)
            b->setIcon(resources::icon(QLatin1String(icon)));
        return b;
    };
    BitBtn1 = button("BitBtn1", QStringLiteral("SALVAR ALTERAÇÕES"), "save");
    Btndel = button("Btndel", QStringLiteral("Remover"), "remove");
    Button1 = button("Button1", QStringLiteral("Fechar"), nullptr);
    Button1->setMinimumWidth(100);

    auto* top = new QGridLayout;
    top->setHorizontalSpacing(8);
    top->addWidget(Label1, 0, 0);
    top->addWidget(DBEdit1, 0, 1);
    top->addWidget(Label2, 0, 2, Qt::AlignRight);
    top->addWidget(DBEdit2, 0, 3);
    top->addWidget(Label3, 1, 2, Qt::AlignRight);
    top->addWidget(DBEdit3, 1, 3);
    top->addWidget(DBRadioGroup1, 0, 4, 2, 1);
    top->setColumnMinimumWidth(1, 80);
    top->setColumnStretch(3, 1);
    top->setColumnMinimumWidth(2, 60);
    top->setHorizontalSpacing(12);

    // From the address down, two columns of label and box.
    auto* body = new QGridLayout;
    body->setHorizontalSpacing(8);
    body->setVerticalSpacing(10);
    body->addWidget(Label4, 0, 0);
    body->addWidget(DBEdit4, 0, 1, 1, 3);
    body->addWidget(Label5, 1, 0);
    body->addWidget(DBEdit5, 1, 1);
    body->addWidget(Label6, 2, 0);
    body->addWidget(DBEdit6, 2, 1, 1, 3);
    const std::pair<QLabel*, DBEdit*> pairs[] = {
        {Label7, DBEdit7},   {Label8, DBEdit8},   {Label9, DBEdit9},  {Label10, DBEdit10},
        {Label11, DBEdit11}, {Label12, DBEdit12}, {Label14, DBEdit14}};
    for (int i = 0; i < int(std::size(pairs)); ++i) {
        const int row = 3 + i / 2;
        const int column = (i % 2) * 2;
        body->addWidget(pairs[i].first, row, column, column ? Qt::AlignRight : Qt::Alignment());
        body->addWidget(pairs[i].second, row, column + 1);
    }
    body->setColumnStretch(1, 1);
    body->setColumnStretch(3, 1);
    body->setColumnMinimumWidth(2, 70);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BitBtn1);
    buttons->addStretch(1);
    buttons->addWidget(Btndel);
    buttons->addStretch(2);
    buttons->addWidget(Button1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 20);
    layout->setSpacing(16);
    layout->addLayout(top);
    layout->addLayout(body);
    layout->addStretch(1);
    layout->addLayout(buttons);

    QList<QWidget*> order{DBEdit2, DBEdit3, Button1};
    for (QRadioButton* r : DBRadioGroup1->findChildren<QRadioButton*>())
        order << r;
    order << BitBtn1 << Btndel << DBEdit4 << DBEdit5 << DBEdit6 << DBEdit7 << DBEdit8 << DBEdit9
          << DBEdit10 << DBEdit11 << DBEdit12 << DBEdit14;
    for (int i = 1; i < order.size(); ++i)
        setTabOrder(order.at(i - 1), order.at(i));
    DBEdit2->setFocus();
}

void TForm5::connectCommands() {
    connect(BitBtn1, &QPushButton::clicked, this, command(&TForm5::BitBtn1Click));
    connect(Btndel, &QPushButton::clicked, this, command(&TForm5::BtndelClick));
    connect(Button1, &QPushButton::clicked, this, command(&TForm5::Button1Click));
    connect(DBNavigator1, &DBNavigator::click, this, command(&TForm5::DBNavigator1Click));
}

void TForm5::BitBtn1Click() {
    if (DBRadioGroup1->itemIndex() == -1) {
        messages::showMessage(QStringLiteral("Selecione um nível para o usuário!"));
        return;
    }
    DBNavigator1->run(DBNavigator::Post);
}

void TForm5::BtndelClick() {
    db::Dataset* users = Dm2->ADOEditUsuarios;
    const int before = users->isOpen() ? users->recordCount() : 0;
    DBNavigator1->run(DBNavigator::Delete);
    // "Cancel" to "Delete record?" leaves the row where it was: nothing to report.
    if (!users->isOpen() || users->recordCount() >= before)
        return;
    messages::showMessage(QStringLiteral("Operação concluída!"));
    close();
}

void TForm5::Button1Click() {
    close();
}

void TForm5::DBNavigator1Click(int) {}

} // namespace corvalen
