#pragma once
// The main window: the program's frame with its menus, tool bar and status bar.

#include <QMainWindow>

namespace corvalen {

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);

    // Fixes the program folder (the current directory) and the data folder.
    void FormCreate();

protected:
    void closeEvent(QCloseEvent* event) override;
};

extern TForm1* Form1;

} // namespace corvalen
