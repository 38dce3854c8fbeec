#pragma once
// The main window: the program's frame with its menus, tool bar and status bar. Every other
// window is reached from its commands; closing it ends the program. Which commands are enabled
// is decided by the login window alone.

#include <QMainWindow>

class QAction;
class QLabel;
class QMenu;
class QToolBar;
class QToolButton;

namespace corvalen {

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);

    // Fixes the program folder (the current directory) and the data folder.
    void FormCreate();
    // Asks for a login: sets the status text, then runs a new login window modally.
    void FormShow();

    // When on, the first show runs FormShow once the window is on screen. Start-up turns it on;
    // tests and tools that only need the window leave it off.
    void setLoginOnFirstShow(bool on) { loginOnFirstShow_ = on; }

    // The text of the status bar's one panel.
    QString statusText() const;
    void setStatusText(const QString& text);

    // Menu bar.
    QMenu* Arquivo1;
    QAction* Trocar1;
    QAction* N1;
    QAction* Sair1;
    QMenu* Editar1;
    QAction* Configuraes1;
    QMenu* Locais1;
    QAction* Estabelecimento1;
    QAction* usuarios1;
    QAction* Pacientes1;
    QAction* N2;
    QAction* Consultas1;
    QMenu* Relatrios1;
    QAction* Clientes1;
    QAction* Usurios1;
    QAction* Consultas2;
    QAction* MalaDireta1;
    QMenu* Ajuda1;
    QAction* Manual1;
    QAction* N3;
    QAction* Sobre1;

    // Tool bar.
    QToolBar* ToolBar1;
    QToolButton* ToolButton1;
    QToolButton* ToolButton3;
    QAction* ToolButton4;
    QToolButton* ToolButton5;
    QAction* ToolButton6;
    QToolButton* ToolButton7;

    // Command handlers.
    void Trocar1Click();
    void ToolButton7Click();
    void Sair1Click();
    void Configuraes1Click();
    void Estabelecimento1Click();
    void usuarios1Click();
    void ToolButton1Click();
    void Pacientes1Click();
    void ToolButton3Click();
    void Consultas1Click();
    void ToolButton5Click();
    void Clientes1Click();
    void Usurios1Click();
    void Consultas2Click();
    void MalaDireta1Click();
    void Manual1Click();
    void Sobre1Click();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void buildToolBar();
    void buildStatusBar();
    QAction* command(QMenu* menu, const char* name, const QString& caption,
                     void (TForm1::*handler)(), const QKeySequence& shortcut = {});
    QToolButton* toolButton(const char* name, const QString& caption, const QString& picture,
                            void (TForm1::*handler)());
    QAction* separator(QWidget* on, const char* name);

    QLabel* statusPanel_;
    bool loginOnFirstShow_ = false;
    bool shown_ = false;
};

extern TForm1* Form1;

} // namespace corvalen
