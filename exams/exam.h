#pragma once
// The exam window "Exames": attaches an exam file (a picture or a PDF document) to a saved
// consultation, shows an attached exam, and deletes one. Saving copies the chosen file into
// the data folder's ex/ folder under the next number of cont.cfg and posts an Exames row on
// the shared ADOQueryExame naming the copy.
//
// Two modes, fixed at creation: a new exam (exam code 0: a row being inserted, "Salvar"
// enabled until the save) and an existing exam (the stored row, its file shown: ".pdf" in the
// PDF viewer, anything else in the picture box). Opening an existing exam whose file the
// picture box cannot load raises from the constructor; the caller reports it.
//
// A save never leaves a row naming a file that does not exist or that belongs to another
// exam: a failed copy stores nothing and keeps the window in new mode; a copy name already
// taken moves on to the next free number, which becomes the counter.

#include "db/widgets/form.h"
#include "platform/pickers.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace corvalen {

class DBEdit;
class DBMemo;
class DBNavigator;
class PdfViewer;

class TForm14 : public Form {
    Q_OBJECT
public:
    // The start-up instance, never shown.
    explicit TForm14(QWidget* owner = nullptr);
    // The window for an exam of a consultation: exam code 0 for a new attachment, else the
    // stored exam with that code. The caller shows it modally and destroys it afterwards.
    TForm14(QWidget* owner, int consultationNumber, int examCode);

    int consultationNumber() const { return consultationNumber_; }
    int examCode() const { return examCode_; }

    // Command handlers.
    void SpeedButton1Click(); // "Adicionar arquivo de imagem JPEG"
    void SpeedButton2Click(); // "Adicionar arquivo em PDF"
    void BitBtn2Click();      // "Salvar"
    void BitBtn3Click();      // "Fechar"
    void BitBtn4Click();      // "Excluir"
    void BitBtn1Click();      // "LUPA"

    QToolButton* SpeedButton1 = nullptr;
    QToolButton* SpeedButton2 = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QToolButton* BitBtn2 = nullptr;
    QToolButton* BitBtn3 = nullptr;
    QPushButton* BitBtn4 = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    DBNavigator* DBNavigator1 = nullptr;
    QLineEdit* Edit1 = nullptr; // hidden: the source path, the file last chosen
    DBEdit* DBEdit1 = nullptr;  // cod
    DBEdit* DBEdit4 = nullptr;  // cod_pront
    DBEdit* DBEdit2 = nullptr;  // cod_paciente
    QLabel* Label7 = nullptr;   // "Carregando.. Aguarde..."
    DBEdit* DBEdit5 = nullptr;  // nome
    DBMemo* DBMemo1 = nullptr;  // descricao
    DBEdit* DBEdit3 = nullptr;  // arquivo
    QLabel* Image1 = nullptr;   // the picture box, stretching its picture
    PdfViewer* AcroPDF1 = nullptr;

    platform::OpenDialog OpenPictureDialog1{platform::PickerKind::Picture};
    platform::OpenDialog OpenDialog1{platform::PickerKind::File};

private:
    QWidget* buildLeftColumn();
    QWidget* buildViewers();
    QWidget* buildExamBoxes();
    void connectCommands();
    void openExam();
    void showPicture(const QImage& picture);
    void showPdf(const QString& path);

    int consultationNumber_ = 0;
    int examCode_ = 0;
};

// The start-up instance.
extern TForm14* Form14;

} // namespace corvalen
