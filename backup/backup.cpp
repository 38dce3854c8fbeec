#include "backup/backup.h"

#include "backup/archive.h"
#include "db/dm2.h"
#include "db/engine.h"
#include "db/session.h"
#include "db/widgets/progress.h"
#include "platform/clock.h"
#include "platform/folders.h"
#include "platform/messages.h"
#include "platform/pickers.h"
#include "platform/shell.h"
#include "resources/icons.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QVBoxLayout>

namespace corvalen {

TForm25* Form25 = nullptr;

QString backupArchiveName(const QString& folder, const QDateTime& moment) {
    return platform::joinPath(folder, QStringLiteral("medbackup_%1_%2.zip")
                                          .arg(moment.toString(QStringLiteral("ddMMyyyy")),
                                               moment.toString(QStringLiteral("HHmm"))));
}

namespace {

// The share of the progress bar taken by the database snapshot; compressing takes the rest.
constexpr double snapshotShare = 0.08;

bool isCompressedPicture(const QString& name) {
    const QString suffix = QFileInfo(name).suffix().toLower();
    return suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg");
}

} // namespace

TForm25::TForm25(QWidget* owner) : Form(owner) {
    setObjectName("Form25");
    setupForm(QStringLiteral("Backup e Restauração"), 570, 508);
    buildLayout();
    connectCommands();
}

void TForm25::buildLayout() {
    auto label = [this](const char* name, const QString& text, bool bold = false) {
        auto* l = new QLabel(text, this);
        l->setObjectName(name);
        l->setWordWrap(true);
        if (bold)
            l->setFont(programFont(8, true));
        return l;
    };
    GroupBox1 = new QGroupBox(QStringLiteral("Backup"), this);
    GroupBox1->setObjectName("GroupBox1");
    Label1 = label("Label1", QStringLiteral("Crie uma cópia de segurança de seus dados aqui."));
    Label4 = label("Label4", QStringLiteral("Recomendamos que este procedimento seja realizado de "
                                            "forma rotineira."));
    Label2 = label("Label2", QStringLiteral("Selecione um local de destino para que o sistema crie "
                                            "uma cópia dos dados"));
    Label3 = label("Label3", QStringLiteral("(Recomendamos que o local seja em partição ou unidade "
                                            "de disco distinta da atual)"));
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName("Edit1");
    Edit1->setEnabled(false);
    // The box only shows the chosen folder (it takes no focus): a short name of its own, with
    // the sentence above it as its description.
    Edit1->setAccessibleName(QStringLiteral("Pasta de destino do backup"));
    Edit1->setAccessibleDescription(Label2->text());
    BitBtn1 = new QPushButton(resources::icon("folder"),
                              QStringLiteral("Selecionar local de destino"), this);
    BitBtn1->setObjectName("BitBtn1");
    BitBtn1->setAutoDefault(false);
    CheckBox1 = new QCheckBox(QStringLiteral("Incluir exames anexados"), this);
    CheckBox1->setObjectName("CheckBox1");
    CheckBox1->setToolTip(
        QStringLiteral("Grava também os arquivos de exames, cont.cfg e logo.cfg"));
    BitBtn2 = new QPushButton(resources::icon("backup"), QStringLiteral("Realizar Backup"), this);
    BitBtn2->setObjectName("BitBtn2");
    BitBtn2->setFont(programFont(8, true));
    BitBtn2->setIconSize(QSize(32, 32));
    BitBtn2->setMinimumSize(170, 48);
    BitBtn2->setAutoDefault(false);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName("ProgressBar1");
    ProgressBar1->setRange(0, 1000);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setAccessibleName(QStringLiteral("Andamento do backup"));
    ProgressBar1->hide();

    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(Edit1, 1);
    folderRow->addWidget(BitBtn1);
    auto* backupRow = new QHBoxLayout;
    backupRow->addWidget(BitBtn2);
    backupRow->addSpacing(12);
    backupRow->addWidget(ProgressBar1, 1);
    backupRow->addStretch(0);
    auto* backup = new QVBoxLayout(GroupBox1);
    backup->setSpacing(6);
    backup->addWidget(Label1);
    backup->addWidget(Label4);
    backup->addSpacing(8);
    backup->addWidget(Label2);
    backup->addWidget(Label3);
    backup->addLayout(folderRow);
    backup->addWidget(CheckBox1);
    backup->addSpacing(4);
    backup->addLayout(backupRow);

    GroupBox2 = new QGroupBox(QStringLiteral("Restauração"), this);
    GroupBox2->setObjectName("GroupBox2");
    Label5 = label("Label5", QStringLiteral("Para iniciar o procedimento de restauração de dados "
                                            "clique no botão abaixo."));
    Label6 = label("Label6",
                   QStringLiteral("O aplicativo será fechado e será aberto um aplicativo externo "
                                  "que continuará o processo."),
                   true);
    Label8 = label("Label8",
                   QStringLiteral("Salve seu trabalho antes de iniciar este procedimento."), true);
    QPalette red = Label8->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    Label8->setPalette(red);
    Label7 =
        label("Label7", QStringLiteral("Recomendamos, ainda, que seja feito o backup dos dados "
                                       "atuais antes do início deste procedimento."));
    Button2 = new QPushButton(QStringLiteral("Iniciar restauração de dados"), this);
    Button2->setObjectName("Button2");
    Button2->setAutoDefault(false);
    auto* restore = new QVBoxLayout(GroupBox2);
    restore->setSpacing(6);
    restore->addWidget(Label5);
    restore->addWidget(Label6);
    restore->addWidget(Label8);
    restore->addWidget(Label7);
    restore->addSpacing(4);
    restore->addWidget(Button2, 0, Qt::AlignLeft);

    Button1 = new QPushButton(QStringLiteral("Fechar"), this);
    Button1->setObjectName("Button1");
    Button1->setAutoDefault(false);
    Button1->setMinimumWidth(90);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(10);
    layout->addWidget(GroupBox1);
    layout->addWidget(GroupBox2);
    layout->addStretch(1);
    layout->addWidget(Button1, 0, Qt::AlignRight);
}

void TForm25::connectCommands() {
    connect(BitBtn1, &QPushButton::clicked, this, command(&TForm25::BitBtn1Click));
    connect(BitBtn2, &QPushButton::clicked, this, command(&TForm25::BitBtn2Click));
    connect(Button2, &QPushButton::clicked, this, command(&TForm25::Button2Click));
    connect(Button1, &QPushButton::clicked, this, command(&TForm25::Button1Click));
}

bool TForm25::BrowseForFolder(QString& folder, const QString& title) {
    const auto chosen =
        platform::pick(this, {platform::PickerKind::Folder, title, {}, targetFolder_});
    if (!chosen || chosen->isEmpty())
        return false;
    folder = *chosen;
    return true;
}

void TForm25::BitBtn1Click() {
    QString folder;
    if (BrowseForFolder(folder, QStringLiteral("Selecione a pasta de destino do backup:"))) {
        targetFolder_ = folder;
        Edit1->setText(QDir::toNativeSeparators(folder));
    } else {
        targetFolder_.clear();
        Edit1->clear();
    }
}

void TForm25::addAttachedExams(archive::ZipArchiveWriter& writer) const {
    // The exam copies lie directly in ex/; the folder is not searched deeper.
    const QDir exams(session().sharedFile(QStringLiteral("ex")));
    for (const QFileInfo& file : exams.entryInfoList(QDir::Files | QDir::Hidden, QDir::Name))
        writer.addFile(file.filePath(), QStringLiteral("ex/") + file.fileName(),
                       !isCompressedPicture(file.fileName()));
    for (const char* name : {"cont.cfg", "logo.cfg"}) {
        const QString path = session().sharedFile(QLatin1String(name));
        if (QFileInfo(path).isFile())
            writer.addFile(path, QLatin1String(name));
    }
}

void TForm25::BitBtn2Click() {
    if (Edit1->text().isEmpty()) {
        messages::warning(QStringLiteral("Favor selecionar pasta de destino"));
        return;
    }
    archive::ZipArchiveWriter writer;
    // One reading of the clock, so the date and the time in the name belong together.
    writer.setFileName(backupArchiveName(targetFolder_, platform::now()));
    WorkInProgress running(ProgressBar1, {BitBtn1, BitBtn2, CheckBox1, Button2, Button1});

    const QTemporaryDir work;
    if (!work.isValid()) {
        writer.showFailure(QStringLiteral("não foi possível criar uma pasta temporária (%1)")
                               .arg(work.errorString()));
        return;
    }
    const QString snapshot = work.filePath(QStringLiteral("med.mdb"));
    try {
        QSqlDatabase db = Dm2->ADOConnection1->database();
        db::engine::backup(db, snapshot, [&running](qint64 done, qint64 total) {
            running.progress(snapshotShare * double(done) / double(std::max<qint64>(total, 1)));
        });
    } catch (const Error& e) {
        writer.showFailure(
            QStringLiteral("não foi possível ler o banco de dados (%1)").arg(e.message()));
        return;
    }
    writer.addFile(snapshot, QStringLiteral("med.mdb"));
    if (CheckBox1->isChecked())
        addAttachedExams(writer);
    writer.setProgress([&running](double fraction) {
        running.progress(snapshotShare + (1 - snapshotShare) * fraction);
    });
    if (writer.add())
        messages::information(QStringLiteral("Backup realizado com sucesso!"));
}

void TForm25::Button2Click() {
    platform::startProgram(session().programFile(QStringLiteral("restaura")));
    platform::endProgram();
}

void TForm25::Button1Click() {
    close();
}

} // namespace corvalen
