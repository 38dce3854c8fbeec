#pragma once
// The restore program's window, in three steps: choose a backup archive (the chooser starts in
// the folder of the newest archive among the folders used before) and have it checked; compare
// the backup's date and counts with the current data's and confirm; read the result and start
// Corvalen again. Nothing in the data folder changes before the confirmation, and a refused or
// failed restore leaves it as it was.

#include "db/widgets/form.h"
#include "restore/restore.h"

#include <QTemporaryDir>
#include <optional>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QStackedWidget;
class QTableWidget;

namespace corvalen {

class RestoreWindow : public Form {
    Q_OBJECT
public:
    struct Setup {
        QString dataFolder;
        QString programFolder;
        QString settingsFile; // where the folders used before are kept; empty: the user's own
    };
    explicit RestoreWindow(Setup setup, QWidget* owner = nullptr);

    // "Procurar...": the archive chooser.
    void ButtonBrowseClick();
    // "Verificar backup": checks the archive and, when it is sound, shows the confirmation.
    void ButtonCheckClick();
    // "Restaurar": restores the checked archive and shows the result.
    void ButtonRestoreClick();
    // "< Voltar": back to choosing an archive.
    void ButtonBackClick();
    // "Iniciar o Corvalen": starts the program and closes this one.
    void ButtonStartClick();

    // The confirmation step for a checked archive, beside the current data's counts.
    void showConfirmation(const restore::CheckedArchive& archive);
    // The last step, with what the restore did.
    void showOutcome(const restore::Outcome& outcome);

    QStackedWidget* Pages;
    // Choosing.
    QLabel* LabelIntro;
    QLabel* LabelFolder;
    QLabel* LabelArchive;
    QLineEdit* EditArchive;
    QPushButton* ButtonBrowse;
    // Confirming.
    QLabel* LabelChecked;
    QLabel* LabelMoment;
    QTableWidget* GridCounts;
    QLabel* LabelCurrent;
    QLabel* LabelReplace;
    // Done.
    QLabel* LabelDone;
    QPlainTextEdit* MemoOutcome;
    // The commands under the steps, each shown on its step.
    QPushButton* ButtonCheck;   // choose
    QPushButton* ButtonBack;    // confirm
    QPushButton* ButtonRestore; // confirm
    QPushButton* ButtonStart;   // done
    QProgressBar* ProgressBar1;
    QPushButton* ButtonClose;

protected:
    // The window stays open while an archive is checked or restored.
    bool FormCloseQuery() override { return !working_; }

private:
    QWidget* buildChoosePage();
    QWidget* buildConfirmPage();
    QWidget* buildDonePage();
    // Shows step 0 (choose), 1 (confirm) or 2 (done) with its commands.
    void showStep(int step);
    void connectCommands();
    QStringList usedFolders() const;
    void rememberFolder(const QString& folder) const;

    Setup setup_;
    QTemporaryDir work_;
    std::optional<restore::CheckedArchive> checked_;
    bool working_ = false;
};

} // namespace corvalen
