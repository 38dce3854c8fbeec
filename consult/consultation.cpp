#include "consult/consultation.h"

#include "consult/exam_list.h"
#include "consult/prescription_report.h"
#include "consult/records_browser.h"
#include "db/dm2.h"
#include "db/session.h"
#include "db/widgets/boundlink.h"
#include "db/widgets/dbedit.h"
#include "db/widgets/dbgrid.h"
#include "db/widgets/dbmemo.h"
#include "db/widgets/dbnavigator.h"
#include "exams/exam.h"
#include "platform/clock.h"
#include "platform/error.h"
#include "platform/messages.h"
#include "resources/icons.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <memory>

namespace corvalen {

TForm11* Form11 = nullptr;

namespace {

const QString crlf = QStringLiteral("\r\n");

QToolButton* toolButton(QWidget* parent, const QString& picture, const QString& hint) {
    auto* b = new QToolButton(parent);
    b->setFixedSize(71, 70);
    b->setIconSize(QSize(64, 64));
    b->setIcon(resources::icon(picture));
    b->setAutoRaise(true);
    b->setToolTip(hint);
    b->setAccessibleName(hint);
    return b;
}

QLabel* label(const QString& text, QWidget* buddy, bool bold = false) {
    auto* l = new QLabel(text);
    l->setBuddy(buddy);
    if (bold) {
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
    }
    // Room above the capitals for their accents ("RECEITUÁRIO:").
    l->setContentsMargins(0, 3, 0, 0);
    return l;
}

} // namespace

TForm11::TForm11(QWidget* owner) : Form(owner) {
    setObjectName("Form11");
    setupForm(QStringLiteral("Consultas"), 809, 553, Border::Sizeable);
    buildLayout();
    connectCommands();
}

TForm11::TForm11(QWidget* owner, int patientCode) : TForm11(owner) {
    setWindowState(Qt::WindowMaximized);
    startConsultation(patientCode);
}

void TForm11::buildLayout() {
    db::DataSource* consulta = Dm2 ? Dm2->DataSource8 : nullptr;

    auto* toolBar = new QWidget(this);
    toolBar->setFixedHeight(75);
    auto* tools = new QHBoxLayout(toolBar);
    tools->setContentsMargins(2, 2, 2, 2);
    tools->setSpacing(0);
    ToolButton1 = toolButton(toolBar, "save", QStringLiteral("Salvar prontuário atual"));
    ToolButton2 = toolButton(toolBar, "records",
                             QStringLiteral("Abrir prontuários salvos do paciente atual"));
    ToolButton3 =
        toolButton(toolBar, "attach", QStringLiteral("Anexa exames do paciente nesta consulta"));
    ToolButton4 =
        toolButton(toolBar, "print", QStringLiteral("Imprime o receituário para o paciente"));
    ToolButton5 = toolButton(toolBar, "end", QStringLiteral("Encerra a consulta atual"));
    for (QToolButton* b : {ToolButton1, ToolButton2, ToolButton3, ToolButton4, ToolButton5})
        tools->addWidget(b);
    tools->addStretch();

    GroupBox1 = new QGroupBox(QStringLiteral("Dados básicos da consulta:"), this);
    GroupBox1->setFont(programFont(10));
    // The system's active-border grey behind the consultation's data.
    GroupBox1->setAutoFillBackground(true);
    QPalette groupPalette = GroupBox1->palette();
    groupPalette.setColor(QPalette::Window, QColor(180, 180, 180));
    GroupBox1->setPalette(groupPalette);

    DBEdit1 = new DBEdit(consulta, "Numero", GroupBox1);
    DBEdit2 = new DBEdit(consulta, "Cod_pac", GroupBox1);
    Edit1 = new QLineEdit(GroupBox1);
    DBEdit4 = new DBEdit(consulta, "Data", GroupBox1);
    DBEdit3 = new DBEdit(consulta, "Hora", GroupBox1);
    DBEdit5 = new DBEdit(Dm2 ? Dm2->DataSource9 : nullptr, "nome", GroupBox1);
    DBEdit6 = new DBEdit(consulta, "Cod_med", GroupBox1);
    for (DBEdit* e : {DBEdit1, DBEdit2, DBEdit4, DBEdit3})
        e->setEnabled(false);
    DBEdit1->setFixedWidth(90);
    DBEdit2->setFixedWidth(90);
    DBEdit4->setFixedWidth(110);
    DBEdit3->setFixedWidth(110);
    DBEdit5->hide();
    DBEdit6->hide();

    auto* data = new QGridLayout(GroupBox1);
    data->addWidget(label(QStringLiteral("Cod. Consulta:"), DBEdit1), 0, 0);
    data->addWidget(DBEdit1, 0, 1);
    data->addWidget(label(QStringLiteral("Cod. Paciente:"), DBEdit2), 0, 2);
    data->addWidget(DBEdit2, 0, 3);
    data->addWidget(label(QStringLiteral("Data:"), DBEdit4), 0, 5, Qt::AlignRight);
    data->addWidget(DBEdit4, 0, 6);
    data->addWidget(label(QStringLiteral("PACIENTE:"), Edit1, true), 1, 0);
    data->addWidget(Edit1, 1, 1, 1, 4);
    data->addWidget(label(QStringLiteral("Hora:"), DBEdit3), 1, 5, Qt::AlignRight);
    data->addWidget(DBEdit3, 1, 6);
    data->setColumnStretch(4, 1);

    DBMemo1 = new DBMemo(consulta, "Prontuario", this);
    DBMemo1->setFont(programFont(12));
    DBMemo2 = new DBMemo(consulta, "Anamnese", this);
    DBMemo2->setFixedHeight(110);

    Button1 = new QPushButton(QStringLiteral("Uso INTERNO"), this);
    Button2 = new QPushButton(QStringLiteral("Uso EXTERNO"), this);
    for (QPushButton* b : {Button1, Button2}) {
        b->setFixedSize(168, 33);
        b->setAutoDefault(false);
    }
    DBGridPronts = new DBGrid(Dm2 ? Dm2->DataSource10 : nullptr, this);
    DBGridPronts->setMinimumSize(210, 105);
    DBGridPronts->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Button3 = new QPushButton(QStringLiteral("Atualizar listagem de exames"), this);
    Button3->setAutoDefault(false);
    Button3->setEnabled(false);

    auto* left = new QVBoxLayout;
    left->addWidget(label(QStringLiteral("RECEITUÁRIO:"), DBMemo1, true));
    left->addWidget(Button1);
    left->addWidget(Button2);
    left->addSpacing(8);
    left->addWidget(label(QStringLiteral("LISTAGEM DE EXAMES ANEXADOS:"), DBGridPronts, true));
    left->addWidget(DBGridPronts, 1);
    left->addWidget(Button3);
    auto* leftColumn = new QWidget(this);
    leftColumn->setFixedWidth(214);
    leftColumn->setLayout(left);
    left->setContentsMargins(0, 0, 0, 0);

    auto* right = new QVBoxLayout;
    right->setContentsMargins(0, 0, 0, 0);
    right->addWidget(DBMemo1, 1);
    right->addWidget(label(QStringLiteral("ANAMNESE:"), DBMemo2, true));
    right->addWidget(DBMemo2);

    auto* body = new QHBoxLayout;
    body->setContentsMargins(6, 6, 6, 6);
    body->addWidget(leftColumn);
    body->addLayout(right, 1);

    // The hidden navigator is the window's means of acting on the row.
    DBNavigator1 = new DBNavigator(consulta, this);
    DBNavigator1->setVisibleButtons({DBNavigator::Insert, DBNavigator::Delete, DBNavigator::Post});
    DBNavigator1->hide();

    StatusBar1 = new QStatusBar(this);

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);
    root->addWidget(toolBar);
    root->addWidget(GroupBox1);
    root->addLayout(body, 1);
    root->addWidget(StatusBar1);
}

void TForm11::connectCommands() {
    auto bind = [this](QAbstractButton* button, void (TForm11::*handler)()) {
        connect(button, &QAbstractButton::clicked, this, command(handler));
    };
    bind(ToolButton1, &TForm11::ToolButton1Click);
    bind(ToolButton2, &TForm11::ToolButton2Click);
    bind(ToolButton3, &TForm11::ToolButton3Click);
    bind(ToolButton4, &TForm11::ToolButton4Click);
    bind(ToolButton5, &TForm11::ToolButton5Click);
    bind(Button1, &TForm11::Button1Click);
    bind(Button2, &TForm11::Button2Click);
    bind(Button3, &TForm11::Button3Click);
    connect(DBGridPronts, &DBGrid::dblClick, this, command(&TForm11::DBGridProntsDblClick));
}

void TForm11::startConsultation(int patientCode) {
    session().patient.code = patientCode;
    DBNavigator1->run(DBNavigator::Insert);

    const QDateTime now = platform::now();
    DBEdit2->setText(QString::number(patientCode));
    DBEdit4->setText(now.date().toString(QStringLiteral("dd/MM/yyyy")));
    DBEdit3->setText(now.time().toString(QStringLiteral("hh:mm")));
    DBEdit6->setText(QString::number(session().user.code));

    setWindowTitle(windowTitle() + QStringLiteral(" - Usuário: ") + session().user.name);

    db::Dataset* pac = Dm2->ADOConsultaPac;
    pac->setSql({QStringLiteral("SELECT nome from Pacientes"),
                 QStringLiteral("where inscricao =%1;").arg(patientCode)});
    pac->open();
    Edit1->setText(DBEdit5->text());
    session().patient.name = Edit1->text();

    Dm2->ADOQueryListPronts->close();
    DBMemo1->setFocus();
}

bool TForm11::saved() const {
    return !DBEdit1->text().trimmed().isEmpty();
}

void TForm11::ToolButton1Click() {
    DBNavigator1->run(DBNavigator::Post);
}

void TForm11::ToolButton2Click() {
    db::Dataset* pronts = Dm2->ADOQueryPronts;
    pronts->setSql({QStringLiteral("SELECT Numero from Consultas"),
                    QStringLiteral("where Cod_pac =%1;").arg(session().patient.code)});
    pronts->open();
    if (pronts->recordCount() > 0)
        Form13->showInFront();
    else
        messages::showMessage(
            QStringLiteral("Não há nenhum prontuário deste paciente cadastrado no sistema."));
}

void TForm11::ToolButton3Click() {
    if (!saved()) {
        messages::warning(QStringLiteral(
            "Para anexar exames é necessário primeiro que a consulta esteja salva."));
        return;
    }
    {
        std::unique_ptr<TForm14> exam(new TForm14(this, toInteger(DBEdit1->text()), 0));
        exam->exec();
    }
    Button3->setEnabled(true);
    Button3Click();
}

void TForm11::ToolButton4Click() {
    if (!saved()) {
        messages::warning(QStringLiteral(
            "Por favor salve primeiro a consulta para que a impressão possa ser realizada."));
        return;
    }
    printPrescription(this, DBEdit1->text());
}

void TForm11::ToolButton5Click() {
    close();
}

bool TForm11::FormCloseQuery() {
    if (DBEdit1->text().isEmpty())
        return messages::confirm(
            QStringLiteral("A consulta ainda não foi salva. Deseja sair agora?"));
    // Typed clinical text is never thrown away without a word.
    return Form::FormCloseQuery();
}

void TForm11::FormClose() {
    DBNavigator1->run(DBNavigator::Cancel);
    if (Dm2) {
        Dm2->ADOConsultaPac->close();
        Dm2->ADORelatConsulta->close();
    }
    Form::FormClose();
}

void TForm11::Button1Click() {
    appendHeading(QStringLiteral("Uso INT:"));
}

void TForm11::Button2Click() {
    appendHeading(QStringLiteral("Uso EXT:"));
}

void TForm11::appendHeading(const QString& heading) {
    // The heading reopens a saved row for editing, as typing would: what the memo shows is
    // what the next save stores, and ending without saving asks first.
    if (!DBMemo1->dataLink()->edit())
        return;
    DBMemo1->setText(DBMemo1->text() + crlf + heading + crlf + crlf + QStringLiteral(" "));
    DBMemo1->moveCursor(QTextCursor::End);
    DBMemo1->ensureCursorVisible();
    DBMemo1->setFocus(Qt::OtherFocusReason);
}

void TForm11::Button3Click() {
    loadExamList(Dm2->ADOQueryListPronts, DBEdit1->text(), QString::number(session().patient.code));
}

void TForm11::DBGridProntsDblClick() {
    openListedExam(this, DBGridPronts, DBEdit1->text());
}

} // namespace corvalen
