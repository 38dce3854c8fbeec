#pragma once
// The backup and restore window. "Realizar Backup" writes the database into a dated ZIP
// archive in a folder the user picks: the archive's med.mdb is a consistent snapshot of the
// open database (SQLite's online backup into a temporary file), never a copy of the live file,
// and the archive appears under its name only once it has been written and read back whole.
// Optionally the archive also holds the exam copies of the ex/ folder with cont.cfg and
// logo.cfg. "Iniciar restauração de dados" starts the restore program and ends this one.

#include "db/widgets/form.h"

#include <QDateTime>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace corvalen {

namespace archive {
class ZipArchiveWriter;
}

// The archive's name for a backup into `folder` at `moment`:
// folder/medbackup_<ddmmyyyy>_<hhmm>.zip, with one separator even after a root folder.
QString backupArchiveName(const QString& folder, const QDateTime& moment);

class TForm25 : public Form {
    Q_OBJECT
public:
    explicit TForm25(QWidget* owner = nullptr);

    // "Selecionar local de destino": a chosen folder fills the box and the target folder; a
    // cancel empties both.
    void BitBtn1Click();
    // "Realizar Backup".
    void BitBtn2Click();
    // "Iniciar restauração de dados": starts program folder/restaura and ends the program.
    void Button2Click();
    // "Fechar": hides the window; the folder is kept.
    void Button1Click();

    // The folder picker: true with the chosen folder in `folder`, false when cancelled.
    bool BrowseForFolder(QString& folder, const QString& title);

    QString targetFolder() const { return targetFolder_; }

    QGroupBox* GroupBox1;
    QLabel* Label1;
    QLabel* Label4;
    QLabel* Label2;
    QLabel* Label3;
    QLineEdit* Edit1;
    QPushButton* BitBtn1;
    QCheckBox* CheckBox1; // "Incluir exames anexados"
    QPushButton* BitBtn2;
    QProgressBar* ProgressBar1; // shown while a backup runs
    QGroupBox* GroupBox2;
    QLabel* Label5;
    QLabel* Label6;
    QLabel* Label8;
    QLabel* Label7;
    QPushButton* Button2;
    QPushButton* Button1;

private:
    void buildLayout();
    void connectCommands();
    void addAttachedExams(archive::ZipArchiveWriter& writer) const;

    QString targetFolder_;
};

// The start-up instance.
extern TForm25* Form25;

} // namespace corvalen
