#include "exams/exam.h"

#include "db/dm2.h"
#include "db/session.h"
#include "db/widgets/dbcontrols.h"
#include "exams/magnifier.h"
#include "exams/pdf_viewer.h"
#include "platform/error.h"
#include "platform/folders.h"
#include "platform/messages.h"
#include "platform/picture.h"
#include "platform/textfile.h"
#include "resources/icons.h"

#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QToolButton>
#include <QVBoxLayout>
#include <optional>

namespace corvalen {

TForm14* Form14 = nullptr;

namespace {

// The extension of a file name: from its last dot on, dot included; empty without a dot.
QString fileExtension(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot);
}

struct ExamCopy {
    qint64 number;
    QString path;
};

// Copies source into the ex/ folder as <number><extension>, starting at `number` and moving
// on past names already taken; an existing file is never replaced. Nothing when the source
// cannot be read or the copy cannot be written (a missing folder, a full disk).
std::optional<ExamCopy> copyExamFile(const QString& source, qint64 number) {
    QFile in(source);
    if (source.isEmpty() || !in.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QString folder = session().sharedFile(QStringLiteral("ex"));
    const QString extension = fileExtension(source);
    for (;; ++number) {
        const QString path = platform::joinPath(folder, QString::number(number) + extension);
        QFile out(path);
        // NewOnly creates the file or fails, so a name taken meanwhile by another program
        // copy is never overwritten.
        if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            if (QFileInfo::exists(path))
                continue;
            return std::nullopt;
        }
        bool ok = true;
        while (ok && !in.atEnd()) {
            const QByteArray block = in.read(1 << 20);
            ok = !block.isEmpty() && out.write(block) == block.size();
        }
        out.close();
        if (!ok || out.error() != QFileDevice::NoError) {
            out.remove();
            return std::nullopt;
        }
        return ExamCopy{number, path};
    }
}

QLabel* buddyLabel(const QString& text, QWidget* input) {
    auto* label = new QLabel(text);
    label->setBuddy(input);
    return label;
}

} // namespace

TForm14::TForm14(QWidget* owner) : Form(owner) {
    setObjectName("Form14");
    setupForm(QStringLiteral("Exames"), 1018, 740, Border::FixedWithMinimize);

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setHorizontalSpacing(8);
    layout->setVerticalSpacing(6);
    layout->addWidget(buildLeftColumn(), 0, 0, Qt::AlignTop);
    layout->addWidget(buildViewers(), 0, 1, Qt::AlignTop | Qt::AlignRight);
    layout->addWidget(buildExamBoxes(), 1, 0, 1, 2);
    layout->setRowStretch(0, 1);
    connectCommands();
}

TForm14::TForm14(QWidget* owner, int consultationNumber, int examCode) : TForm14(owner) {
    consultationNumber_ = consultationNumber;
    examCode_ = examCode;
    openExam();
}

QWidget* TForm14::buildLeftColumn() {
    auto* column = new QWidget(this);
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);

    auto addButton = [&](QToolButton*& button, const char* name, const QString& text,
                         const char* icon) {
        button = new QToolButton(column);
        button->setObjectName(name);
        button->setText(text);
        button->setIcon(resources::icon(icon));
        button->setIconSize(QSize(32, 32));
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        button->setAutoRaise(true);
        button->setFixedSize(249, 49);
        layout->addWidget(button);
    };
    addButton(SpeedButton1, "SpeedButton1", QStringLiteral("Adicionar arquivo de imagem JPEG"),
              "image");
    addButton(SpeedButton2, "SpeedButton2", QStringLiteral("Adicionar arquivo em PDF"), "pdf");

    GroupBox1 = new QGroupBox(QStringLiteral("Ações"), column);
    GroupBox1->setObjectName("GroupBox1");
    auto bigButton = [&](QToolButton*& button, const char* name, const QString& text,
                         const char* icon) {
        button = new QToolButton(GroupBox1);
        button->setObjectName(name);
        button->setText(text);
        button->setIcon(resources::icon(icon));
        button->setIconSize(QSize(32, 32));
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setFixedSize(101, 73);
    };
    bigButton(BitBtn2, "BitBtn2", QStringLiteral("Salvar"), "save");
    BitBtn2->setFont(programFont(8, true));
    BitBtn2->setEnabled(false);
    bigButton(BitBtn3, "BitBtn3", QStringLiteral("Fechar"), "close");
    BitBtn4 = new QPushButton(resources::icon("remove"), QStringLiteral("Excluir"), GroupBox1);
    BitBtn4->setObjectName("BitBtn4");
    auto* actions = new QGridLayout(GroupBox1);
    actions->addWidget(BitBtn2, 0, 0);
    actions->addWidget(BitBtn3, 0, 1);
    actions->addWidget(BitBtn4, 1, 0, 1, 2);
    layout->addWidget(GroupBox1);

    GroupBox2 = new QGroupBox(QStringLiteral("Ferramentas"), column);
    GroupBox2->setObjectName("GroupBox2");
    BitBtn1 = new QPushButton(QStringLiteral("LUPA"), GroupBox2);
    BitBtn1->setObjectName("BitBtn1");
    (new QVBoxLayout(GroupBox2))->addWidget(BitBtn1);
    layout->addWidget(GroupBox2);

    // The hidden navigator acts on the row; its delete asks nothing ("Excluir" has asked).
    DBNavigator1 = new DBNavigator(Dm2 ? Dm2->DataSource5 : nullptr, column);
    DBNavigator1->setObjectName("DBNavigator1");
    DBNavigator1->setConfirmDelete(false);
    DBNavigator1->hide();
    Edit1 = new QLineEdit(column);
    Edit1->setObjectName("Edit1");
    Edit1->hide();

    auto* codes = new QGridLayout;
    codes->setContentsMargins(0, 8, 0, 0);
    codes->setColumnStretch(2, 1);
    auto addCode = [&](DBEdit*& box, const char* name, const char* field, const QString& label) {
        box = new DBEdit(Dm2 ? Dm2->DataSource5 : nullptr, QString::fromLatin1(field), column);
        box->setObjectName(name);
        box->setEnabled(false);
        box->setFixedWidth(121);
        const int row = codes->rowCount();
        codes->addWidget(buddyLabel(label, box), row, 0);
        codes->addWidget(box, row, 1);
    };
    addCode(DBEdit1, "DBEdit1", "cod", QStringLiteral("Cód. Exame:"));
    addCode(DBEdit4, "DBEdit4", "cod_pront", QStringLiteral("Cod. Prontuário:"));
    addCode(DBEdit2, "DBEdit2", "cod_paciente", QStringLiteral("Cod. Paciente:"));
    layout->addLayout(codes);

    Label7 = new QLabel(QStringLiteral("Carregando.. Aguarde..."), column);
    Label7->setObjectName("Label7");
    QFont loading = programFont(8, true);
    loading.setPixelSize(16);
    Label7->setFont(loading);
    Label7->setStyleSheet(QStringLiteral("color: red"));
    Label7->hide();
    layout->addSpacing(12);
    layout->addWidget(Label7);
    layout->addStretch(1);
    return column;
}

QWidget* TForm14::buildViewers() {
    // The picture box and the PDF viewer lie in the same place; one is shown at a time.
    auto* area = new QWidget(this);
    area->setFixedSize(705, 584);
    Image1 = new QLabel(area);
    Image1->setObjectName("Image1");
    Image1->setAccessibleName(QStringLiteral("Imagem do exame"));
    Image1->setScaledContents(true);
    Image1->setGeometry(4, 4, 697, 576);
    AcroPDF1 = new PdfViewer(area);
    AcroPDF1->setObjectName("AcroPDF1");
    AcroPDF1->setGeometry(0, 0, 705, 584);
    AcroPDF1->hide();
    return area;
}

QWidget* TForm14::buildExamBoxes() {
    // Labels right-aligned before boxes of fixed width that end at the window's right margin.
    auto* boxes = new QWidget(this);
    auto* grid = new QGridLayout(boxes);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setColumnStretch(0, 1);
    db::DataSource* source = Dm2 ? Dm2->DataSource5 : nullptr;
    auto addRow = [&](QWidget* box, const QString& label) {
        const int row = grid->rowCount();
        const Qt::Alignment vertical = qobject_cast<DBMemo*>(box) ? Qt::AlignTop : Qt::AlignVCenter;
        grid->addWidget(buddyLabel(label, box), row, 0, Qt::AlignRight | vertical);
        grid->addWidget(box, row, 1);
    };

    DBEdit5 = new DBEdit(source, QStringLiteral("nome"), boxes);
    DBEdit5->setObjectName("DBEdit5");
    DBEdit5->setFixedWidth(857);
    addRow(DBEdit5, QStringLiteral("Titulo do exame:"));

    DBMemo1 = new DBMemo(source, QStringLiteral("descricao"), boxes);
    DBMemo1->setObjectName("DBMemo1");
    DBMemo1->setFixedSize(857, 52);
    addRow(DBMemo1, QStringLiteral("Descrição:"));

    DBEdit3 = new DBEdit(source, QStringLiteral("arquivo"), boxes);
    DBEdit3->setObjectName("DBEdit3");
    DBEdit3->setEnabled(false);
    DBEdit3->setFixedWidth(857);
    addRow(DBEdit3, QStringLiteral("Arquivo:"));
    return boxes;
}

void TForm14::connectCommands() {
    auto on = [this](QAbstractButton* button, void (TForm14::*handler)()) {
        connect(button, &QAbstractButton::clicked, this, command(handler));
    };
    on(SpeedButton1, &TForm14::SpeedButton1Click);
    on(SpeedButton2, &TForm14::SpeedButton2Click);
    on(BitBtn2, &TForm14::BitBtn2Click);
    on(BitBtn3, &TForm14::BitBtn3Click);
    on(BitBtn4, &TForm14::BitBtn4Click);
    on(BitBtn1, &TForm14::BitBtn1Click);
}

void TForm14::openExam() {
    if (loadRecord(DBNavigator1, QStringLiteral("Exames"), QStringLiteral("cod"), examCode_)) {
        DBEdit4->setText(QString::number(consultationNumber_));
        DBEdit2->setText(QString::number(session().patient.code));
        BitBtn2->setEnabled(true);
        showPicture(QImage());
        return;
    }
    // Only ".pdf" in small letters goes to the viewer; the picture box refuses ".PDF".
    const QString path = DBEdit3->text();
    if (fileExtension(path) == QLatin1String(".pdf"))
        showPdf(path);
    else
        showPicture(platform::loadPicture(path));
}

void TForm14::showPicture(const QImage& picture) {
    AcroPDF1->hide();
    Image1->show();
    Image1->setPixmap(QPixmap::fromImage(picture));
}

void TForm14::showPdf(const QString& path) {
    Image1->hide();
    AcroPDF1->show();
    AcroPDF1->setSrc(path);
}

void TForm14::SpeedButton1Click() {
    AcroPDF1->hide();
    Image1->show();
    if (OpenPictureDialog1.execute(this))
        showPicture(platform::loadPicture(OpenPictureDialog1.fileName()));
    // After a cancel the chooser still holds the file chosen with it before.
    Edit1->setText(OpenPictureDialog1.fileName());
}

void TForm14::SpeedButton2Click() {
    Image1->hide();
    AcroPDF1->show();
    if (!OpenDialog1.execute(this))
        return;
    showPdf(OpenDialog1.fileName());
    Edit1->setText(OpenDialog1.fileName());
}

void TForm14::BitBtn2Click() {
    Label7->show();
    Label7->repaint();
    const auto hideLabel = qScopeGuard([this] { Label7->hide(); });

    const QString counter = session().sharedFile(QStringLiteral("cont.cfg"));
    const int last = toInteger(platform::readFirstLine(counter));
    const auto copy = copyExamFile(Edit1->text(), qint64(last) + 1);
    if (!copy) {
        // Nothing stored and the counter kept: the user may choose the file again.
        messages::showMessage(QStringLiteral("Erro ao copiar arquivo para o destino!"));
        return;
    }
    const QString shownPath = DBEdit3->text();
    try {
        platform::writeLine(counter, QString::number(copy->number));
        DBEdit3->setText(copy->path);
        DBNavigator1->run(DBNavigator::Post);
    } catch (...) {
        // No row names the copy: remove it. The row stays pending for another try.
        QFile::remove(copy->path);
        DBEdit3->setText(shownPath);
        throw;
    }
    BitBtn2->setEnabled(false);
}

void TForm14::BitBtn3Click() {
    close();
}

void TForm14::BitBtn4Click() {
    Label7->show();
    const auto hideLabel = qScopeGuard([this] { Label7->hide(); });
    const QString path = DBEdit3->text();
    if (!messages::confirm(QStringLiteral("Você deseja excluir o registro?")))
        return;
    DBNavigator1->run(DBNavigator::Delete);
    if (!path.isEmpty())
        QFile::remove(path);
    Label7->hide();
    messages::showMessage(QStringLiteral("O exame foi apagado!"));
    close();
}

void TForm14::BitBtn1Click() {
    // Shown from this modal window, the magnifier becomes its transient and takes input.
    if (Form15)
        Form15->showInFront();
}

} // namespace corvalen
