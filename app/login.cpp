#include "app/login.h"

#include "app/alt_f4_block.h"
#include "app/main_window.h"
#include "db/dataset.h"
#include "db/dm2.h"
#include "db/session.h"
#include "platform/error.h"
#include "platform/messages.h"
#include "resources/icons.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace corvalen {

TForm3* Form3 = nullptr;

TForm3::TForm3(QWidget* owner) : Form(owner) {
    setObjectName("Form3");
    setupForm(QStringLiteral("Corvalen - ACESSO AO SISTEMA"), 437, 289);
    // A caption without system menu or caption buttons: nothing on the frame closes it.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    buildLayout();
    connect(BitBtn1, &QPushButton::clicked, this, command(&TForm3::BitBtn1Click));
    FormCreate();
}

void TForm3::buildLayout() {
    Image1 = new QLabel(this);
    Image1->setObjectName("Image1");
    Image1->setPixmap(resources::pixmap("key", 64));
    Image1->setFixedSize(64, 64);
    Image1->setAccessibleName("Chave");

    Label1 = new QLabel("LOGIN:", this);
    Label1->setObjectName("Label1");
    Label1->setFont(programFont(12, true));
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName("Edit1");
    Edit1->setFont(programFont(12));
    Label1->setBuddy(Edit1);
    Edit1->setAccessibleName("LOGIN:");

    Label2 = new QLabel("SENHA:", this);
    Label2->setObjectName("Label2");
    Label2->setFont(programFont(12, true));
    MaskEdit1 = new QLineEdit(this);
    MaskEdit1->setObjectName("MaskEdit1");
    MaskEdit1->setFont(programFont(12));
    MaskEdit1->setEchoMode(QLineEdit::Password);
    // Every character shows as "*", as the rest of the program's password boxes do.
    MaskEdit1->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    Label2->setBuddy(MaskEdit1);
    MaskEdit1->setAccessibleName("SENHA:");

    BitBtn1 = new QPushButton("&LOGIN", this);
    BitBtn1->setObjectName("BitBtn1");
    BitBtn1->setFont(programFont(8, true));
    BitBtn1->setIcon(resources::icon("keys"));
    BitBtn1->setMinimumSize(100, 30);
    // No default button: Enter belongs to the two boxes, which log in themselves.
    BitBtn1->setAutoDefault(false);
    BitBtn1->setDefault(false);

    auto* fields = new QGridLayout;
    fields->setHorizontalSpacing(12);
    fields->setVerticalSpacing(24);
    fields->addWidget(Image1, 0, 0, 2, 1, Qt::AlignCenter);
    fields->addWidget(Label1, 0, 1);
    fields->addWidget(Edit1, 0, 2);
    fields->addWidget(Label2, 1, 1);
    fields->addWidget(MaskEdit1, 1, 2);
    fields->setColumnMinimumWidth(0, 80);
    fields->setColumnStretch(2, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(BitBtn1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 24, 24, 16);
    layout->addStretch(1);
    layout->addLayout(fields);
    layout->addStretch(1);
    layout->addLayout(buttons);

    setTabOrder(Edit1, MaskEdit1);
    setTabOrder(MaskEdit1, BitBtn1);
    Edit1->setFocus();

    Edit1->installEventFilter(this);
    MaskEdit1->installEventFilter(this);
}

void TForm3::FormCreate() {
    if (TForm1* main = Form1) {
        main->Pacientes1->setEnabled(false);
        main->Consultas1->setEnabled(false);
        main->ToolButton3->setEnabled(false);
        main->ToolButton5->setEnabled(false);
        main->usuarios1->setEnabled(false);
        main->ToolButton1->setEnabled(false);
        main->Estabelecimento1->setEnabled(false);
        main->Usurios1->setEnabled(false);
        main->setStatusText(QStringLiteral("FAVOR EFETUAR O LOGIN PARA UTILIZAR O APLICATIVO"));
    }
    installAltF4Block();
}

void TForm3::Fazlogin() {
    // As typed: no trimming, no change of letter case.
    const QString login = Edit1->text();
    const QString password = MaskEdit1->text();

    db::Dataset* query = Dm2->ADOQuery1;
    query->close();
    query->clearSql();
    query->addSql(QStringLiteral("SELECT * from Usuarios where nome =:nome;"));
    query->setParameter("nome", login);
    query->open();
    if (query->isEmpty()) {
        messages::showMessage(QStringLiteral("Usuário não encontrado!"));
        return;
    }
    query->first();
    const int code = toInteger(query->fieldByName("cod").asString());
    const QString name = query->fieldByName("nome").asString();
    const QString stored = query->fieldByName("senha").asString();
    const QString level = query->fieldByName("nivel").asString();

    if (password != stored) {
        messages::showMessage(QStringLiteral("Senha INCORRETA! Tente novamente"));
        return;
    }
    const bool administrator = toInteger(level) == 1;

    if (TForm1* main = Form1) {
        if (administrator) {
            main->usuarios1->setEnabled(true);
            main->ToolButton1->setEnabled(true);
            main->Consultas1->setEnabled(true);
            main->ToolButton5->setEnabled(true);
            main->Usurios1->setEnabled(true);
            main->Estabelecimento1->setEnabled(true);
        }
        main->Pacientes1->setEnabled(true);
        main->ToolButton3->setEnabled(true);
        main->ToolButton7->setEnabled(true);
        main->Trocar1->setEnabled(true);
        main->setStatusText(QStringLiteral("Sistema liberado! Logado como: ") + name);
    }

    session().user = CurrentUser{code, name, administrator};
    loggedIn_ = true;
    accept();
}

void TForm3::BitBtn1Click() {
    Fazlogin();
}

bool TForm3::eventFilter(QObject* watched, QEvent* event) {
    // Edit1KeyPress and MaskEdit1KeyPress: Enter is consumed and logs in; every other key goes
    // to the box unchanged.
    if ((watched == Edit1 || watched == MaskEdit1) && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            messages::guarded([this] { Fazlogin(); });
            return true;
        }
    }
    return Form::eventFilter(watched, event);
}

// Esc and every other way of cancelling do nothing: only a login ends this window.
void TForm3::reject() {}

void TForm3::closeEvent(QCloseEvent* event) {
    if (loggedIn_)
        Form::closeEvent(event);
    else
        event->ignore();
}

} // namespace corvalen
