#include "app/main_window.h"

#include "app/about.h"
#include "app/login.h"
#include "backup/backup.h"
#include "consult/patient_selection.h"
#include "db/session.h"
#include "db/widgets/form.h"
#include "platform/folders.h"
#include "platform/messages.h"
#include "platform/shell.h"
#include "registers/clinic.h"
#include "registers/patient_list.h"
#include "registers/users_list.h"
#include "reports/consultations_choice.h"
#include "reports/labels_report.h"
#include "reports/patients_report.h"
#include "reports/users_report.h"
#include "resources/icons.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QLabel>
#include <QMenuBar>
#include <QPointer>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <memory>

namespace corvalen {

TForm1* Form1 = nullptr;

namespace {

const QString askForLogin = QStringLiteral("FAVOR EFETUAR O LOGIN PARA UTILIZAR O APLICATIVO");

// Tool buttons are 90 pixels wide, or wider when their caption needs it.
constexpr int toolButtonWidth = 90;

} // namespace

TForm1::TForm1(QWidget* parent) : QMainWindow(parent) {
    setObjectName("Form1");
    setWindowTitle("Corvalen");
    setFont(programFont());
    setWindowIcon(resources::icon("stethoscope"));
    // The program's one task-bar entry: the other windows are its transients.
    Form::setProgramWindow(this);

    auto* client = new QWidget(this);
    client->setObjectName("ClientArea");
    client->setAutoFillBackground(true);
    QPalette palette = client->palette();
    palette.setColor(QPalette::Window, QColor(192, 220, 192));
    client->setPalette(palette);
    setCentralWidget(client);

    buildMenus();
    buildToolBar();
    buildStatusBar();
    FormCreate();
}

void TForm1::buildMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName("MainMenu1");

    Arquivo1 = bar->addMenu("&Arquivo");
    Arquivo1->setObjectName("Arquivo1");
    Trocar1 =
        command(Arquivo1, "Trocar1", "&Fazer Login / Logoff", &TForm1::Trocar1Click, Qt::Key_F3);
    N1 = separator(Arquivo1, "N1");
    Sair1 = command(Arquivo1, "Sair1", "&Sair", &TForm1::Sair1Click);

    Editar1 = bar->addMenu("&Ferramentas");
    Editar1->setObjectName("Editar1");
    Configuraes1 = command(Editar1, "Configuraes1", QStringLiteral("&Backup e Restauração"),
                           &TForm1::Configuraes1Click);

    Locais1 = bar->addMenu("&Cadastros");
    Locais1->setObjectName("Locais1");
    Estabelecimento1 = command(Locais1, "Estabelecimento1", QStringLiteral("&Clínica"),
                               &TForm1::Estabelecimento1Click);
    usuarios1 = command(Locais1, "usuarios1", QStringLiteral("&Usuários"), &TForm1::usuarios1Click,
                        Qt::Key_F5);
    Pacientes1 = command(Locais1, "Pacientes1", "&Pacientes", &TForm1::Pacientes1Click, Qt::Key_F7);
    N2 = separator(Locais1, "N2");
    Consultas1 = command(Locais1, "Consultas1", "&Consultas", &TForm1::Consultas1Click, Qt::Key_F8);

    Relatrios1 = bar->addMenu(QStringLiteral("&Relatórios"));
    Relatrios1->setObjectName("Relatrios1");
    Clientes1 = command(Relatrios1, "Clientes1", "&Pacientes", &TForm1::Clientes1Click);
    Usurios1 = command(Relatrios1, "Usurios1", QStringLiteral("&Usuários"), &TForm1::Usurios1Click);
    Consultas2 = command(Relatrios1, "Consultas2", "&Consultas", &TForm1::Consultas2Click);
    MalaDireta1 = command(Relatrios1, "MalaDireta1", "&Mala Direta", &TForm1::MalaDireta1Click);

    Ajuda1 = bar->addMenu("Aj&uda");
    Ajuda1->setObjectName("Ajuda1");
    Manual1 = command(Ajuda1, "Manual1", "&Manual", &TForm1::Manual1Click);
    N3 = separator(Ajuda1, "N3");
    Sobre1 = command(Ajuda1, "Sobre1", "&Sobre", &TForm1::Sobre1Click);

    // The governed commands start disabled; the login window enables them.
    for (QAction* governed : {Estabelecimento1, usuarios1, Pacientes1, Consultas1})
        governed->setEnabled(false);
}

void TForm1::buildToolBar() {
    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName("ToolBar1");
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->setIconSize(QSize(32, 32));
    ToolBar1->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    ToolBar1->setContextMenuPolicy(Qt::PreventContextMenu);
    ToolBar1->toggleViewAction()->setVisible(false);
    addToolBar(Qt::TopToolBarArea, ToolBar1);

    ToolButton1 = toolButton("ToolButton1", QStringLiteral("Usuários (F5)"), "stethoscope",
                             &TForm1::ToolButton1Click);
    ToolButton3 = toolButton("ToolButton3", "Pacientes (F7)", "people", &TForm1::ToolButton3Click);
    ToolButton4 = separator(ToolBar1, "ToolButton4");
    ToolButton5 =
        toolButton("ToolButton5", "Consultas (F8)", "firstaid", &TForm1::ToolButton5Click);
    ToolButton6 = separator(ToolBar1, "ToolButton6");
    ToolButton7 = toolButton("ToolButton7", "Login/Logoff (F3)", "keys", &TForm1::ToolButton7Click);

    for (QToolButton* governed : {ToolButton1, ToolButton3, ToolButton5})
        governed->setEnabled(false);
}

void TForm1::buildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName("StatusBar1");
    bar->setSizeGripEnabled(false);
    statusPanel_ = new QLabel(bar);
    // No accessible name: a screen reader reads the login text itself.
    statusPanel_->setObjectName("StatusPanel0");
    bar->addWidget(statusPanel_, 1);
}

QAction* TForm1::command(QMenu* menu, const char* name, const QString& caption,
                         void (TForm1::*handler)(), const QKeySequence& shortcut) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    // Single function keys, shown beside the item; a disabled item ignores its key. They act
    // from every window of the program that no modal window blocks, as from the main window.
    action->setShortcut(shortcut);
    action->setShortcutContext(Qt::ApplicationShortcut);
    connect(action, &QAction::triggered, this,
            [this, handler] { messages::guarded([this, handler] { (this->*handler)(); }); });
    return action;
}

QToolButton* TForm1::toolButton(const char* name, const QString& caption, const QString& picture,
                                void (TForm1::*handler)()) {
    auto* button = new QToolButton(ToolBar1);
    button->setObjectName(QString::fromLatin1(name));
    button->setText(caption);
    button->setToolTip(caption);
    button->setAccessibleName(caption);
    button->setIcon(resources::icon(picture));
    button->setIconSize(QSize(32, 32));
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setAutoRaise(true);
    button->setMinimumWidth(toolButtonWidth);
    connect(button, &QToolButton::clicked, this,
            [this, handler] { messages::guarded([this, handler] { (this->*handler)(); }); });
    ToolBar1->addWidget(button);
    return button;
}

QAction* TForm1::separator(QWidget* on, const char* name) {
    QAction* action = nullptr;
    if (auto* menu = qobject_cast<QMenu*>(on))
        action = menu->addSeparator();
    else
        action = ToolBar1->addSeparator();
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

void TForm1::FormCreate() {
    session().programFolder = QDir::currentPath();
    session().dataFolder = platform::joinPath(
        platform::joinPath(platform::commonAppDataFolder(), "Talvane"), "Corvalen");
}

void TForm1::FormShow() {
    setStatusText(askForLogin);
    Trocar1Click();
}

QString TForm1::statusText() const {
    return statusPanel_->text();
}

void TForm1::setStatusText(const QString& text) {
    statusPanel_->setText(text);
}

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (shown_)
        return;
    shown_ = true;
    // Queued, so that the main window is on screen, maximised, behind the login window.
    if (loginOnFirstShow_)
        QTimer::singleShot(0, this, [this] { messages::guarded([this] { FormShow(); }); });
}

void TForm1::closeEvent(QCloseEvent* event) {
    // Closing the main window ends the program at once: nothing is saved or asked.
    event->accept();
    QApplication::quit();
}

// modal: a new login window owned by the main window, destroyed when it closes.
void TForm1::Trocar1Click() {
    const QPointer<QWidget> from = QApplication::activeWindow();
    const auto login = std::make_unique<TForm3>(this);
    login->exec();
    // Keyboard focus returns to the window the command came from (F3 works from the other
    // windows too), even where no window manager hands it back.
    if (from && from->isVisible())
        from->activateWindow();
    else
        activateWindow();
}

void TForm1::ToolButton7Click() {
    Trocar1Click();
}

void TForm1::Sair1Click() {
    close();
}

// show: the start-up instances, brought to the front; closing them only hides them.
void TForm1::Configuraes1Click() {
    Form25->showInFront();
}

void TForm1::Estabelecimento1Click() {
    Form16->showInFront();
}

void TForm1::usuarios1Click() {
    Form4->showInFront();
}

void TForm1::ToolButton1Click() {
    usuarios1Click();
}

void TForm1::Pacientes1Click() {
    Form8->showInFront();
}

void TForm1::ToolButton3Click() {
    Pacientes1Click();
}

void TForm1::Consultas1Click() {
    Form10->showInFront();
}

void TForm1::ToolButton5Click() {
    Consultas1Click();
}

void TForm1::Consultas2Click() {
    Form21->showInFront();
}

void TForm1::Sobre1Click() {
    Form24->showInFront();
}

// report: a new report object for each request, owned by the main window and never shown
// itself; its preview opens and the command returns when the preview closes.
void TForm1::Clientes1Click() {
    reports::printOnce<TForm17>(this);
}

void TForm1::Usurios1Click() {
    reports::printOnce<TForm20>(this);
}

void TForm1::MalaDireta1Click() {
    reports::printOnce<TForm19>(this);
}

void TForm1::Manual1Click() {
    // The shell's answer is not examined: a missing page shows nothing of ours.
    platform::shellOpen(session().programFile("help/index.html"));
}

} // namespace corvalen
