#include "restore/restore_window.h"

#include "db/datafolder.h"

#include "db/widgets/progress.h"
#include "platform/clock.h"
#include "platform/folders.h"
#include "platform/messages.h"
#include "platform/pickers.h"
#include "platform/shell.h"
#include "resources/icons.h"

#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QSettings>
#include <QStackedWidget>
#include <QTableWidget>
#include <QVBoxLayout>

namespace corvalen {

namespace {

const QString foldersKey = QStringLiteral("pastasUsadas");
// How many folders used before are remembered.
constexpr int foldersKept = 8;

QLabel* newLabel(QWidget* parent, const char* name, const QString& text = {}, bool bold = false) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setWordWrap(true);
    if (bold)
        label->setFont(programFont(9, true));
    return label;
}

QPushButton* newButton(QWidget* parent, const char* name, const QString& text,
                       const char* icon = nullptr) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    button->setMinimumSize(100, 28);
    if (icon)
        button->setIcon(resources::icon(QLatin1String(icon)));
    return button;
}

std::unique_ptr<QSettings> openSettings(const QString& file) {
    if (file.isEmpty())
        return std::make_unique<QSettings>(QStringLiteral("Talvane"), QStringLiteral("restaura"));
    return std::make_unique<QSettings>(file, QSettings::IniFormat);
}

QString count(qint64 n) {
    return QLocale(QLocale::Portuguese, QLocale::Brazil).toString(n);
}

int examFilesIn(const QString& dataFolder) {
    return int(QDir(platform::joinPath(dataFolder, QStringLiteral("ex")))
                   .entryList(QDir::Files | QDir::Hidden)
                   .size());
}

} // namespace

RestoreWindow::RestoreWindow(Setup setup, QWidget* owner) : Form(owner), setup_(std::move(setup)) {
    setObjectName("RestoreWindow");
    setupForm(QStringLiteral("Restauração de dados do Corvalen"), 620, 470,
              Border::FixedWithMinimize);
    setWindowIcon(resources::icon("restore"));

    Pages = new QStackedWidget(this);
    Pages->setObjectName("Pages");
    Pages->addWidget(buildChoosePage());
    Pages->addWidget(buildConfirmPage());
    Pages->addWidget(buildDonePage());

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName("ProgressBar1");
    ProgressBar1->setRange(0, 1000);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setAccessibleName(QStringLiteral("Andamento"));
    ProgressBar1->hide();
    // Each step's commands, in one row under the steps.
    ButtonBack = newButton(this, "ButtonBack", QStringLiteral("< &Voltar"));
    ButtonCheck = newButton(this, "ButtonCheck", QStringLiteral("&Verificar backup"));
    ButtonRestore = newButton(this, "ButtonRestore", QStringLiteral("&Restaurar"), "restore");
    ButtonStart = newButton(this, "ButtonStart", QStringLiteral("&Iniciar o Corvalen"));
    ButtonClose = newButton(this, "ButtonClose", QStringLiteral("Fechar"), "close");

    auto* bottom = new QHBoxLayout;
    bottom->setSpacing(8);
    bottom->addWidget(ButtonBack);
    bottom->addWidget(ProgressBar1, 1);
    bottom->addStretch(0);
    bottom->addSpacing(12);
    bottom->addWidget(ButtonCheck);
    bottom->addWidget(ButtonRestore);
    bottom->addWidget(ButtonStart);
    bottom->addWidget(ButtonClose);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 16, 18, 14);
    layout->addWidget(Pages, 1);
    layout->addLayout(bottom);
    connectCommands();
    showStep(0);
}

void RestoreWindow::showStep(int step) {
    Pages->setCurrentIndex(step);
    ButtonCheck->setVisible(step == 0);
    ButtonBack->setVisible(step == 1);
    ButtonRestore->setVisible(step == 1);
    ButtonStart->setVisible(step == 2);
    QPushButton* const main[] = {ButtonCheck, ButtonRestore, ButtonStart};
    main[step]->setDefault(true);
    if (step == 0)
        EditArchive->setFocus();
    else
        main[step]->setFocus();
}

QWidget* RestoreWindow::buildChoosePage() {
    auto* page = new QWidget;
    LabelIntro = newLabel(
        page, "LabelIntro",
        QStringLiteral("Este programa devolve os dados do Corvalen ao estado de uma cópia de "
                       "segurança: um arquivo medbackup_...zip criado em Ferramentas, Backup e "
                       "Restauração. O Corvalen precisa estar fechado em todos os computadores que "
                       "usam estes dados. Nada é apagado: os dados atuais ficam guardados na pasta "
                       "de dados com outro nome."));
    LabelFolder = newLabel(
        page, "LabelFolder",
        QStringLiteral("Pasta de dados: %1").arg(QDir::toNativeSeparators(setup_.dataFolder)));
    LabelArchive = newLabel(page, "LabelArchive", QStringLiteral("&Arquivo de backup:"));
    EditArchive = new QLineEdit(page);
    EditArchive->setObjectName("EditArchive");
    LabelArchive->setBuddy(EditArchive);
    ButtonBrowse = newButton(page, "ButtonBrowse", QStringLiteral("&Procurar..."), "folder");

    auto* archiveRow = new QHBoxLayout;
    archiveRow->addWidget(EditArchive, 1);
    archiveRow->addWidget(ButtonBrowse);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    layout->addWidget(newLabel(page, "LabelTitle", QStringLiteral("Restauração de dados"), true));
    layout->addWidget(LabelIntro);
    layout->addSpacing(6);
    layout->addWidget(LabelFolder);
    layout->addSpacing(10);
    layout->addWidget(LabelArchive);
    layout->addLayout(archiveRow);
    layout->addStretch(1);
    return page;
}

QWidget* RestoreWindow::buildConfirmPage() {
    auto* page = new QWidget;
    LabelChecked = newLabel(page, "LabelChecked", QStringLiteral("Backup verificado."), true);
    LabelMoment = newLabel(page, "LabelMoment");
    GridCounts = new QTableWidget(0, 3, page);
    GridCounts->setObjectName("GridCounts");
    GridCounts->setAccessibleName(QStringLiteral("Comparação do backup com os dados atuais"));
    GridCounts->setHorizontalHeaderLabels(
        {QString(), QStringLiteral("No backup"), QStringLiteral("Dados atuais")});
    GridCounts->verticalHeader()->hide();
    GridCounts->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GridCounts->setSelectionMode(QAbstractItemView::NoSelection);
    GridCounts->setFocusPolicy(Qt::NoFocus);
    GridCounts->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    GridCounts->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    LabelCurrent = newLabel(page, "LabelCurrent");
    LabelReplace = newLabel(page, "LabelReplace",
                            QStringLiteral("Ao restaurar, os dados atuais serão substituídos pelos "
                                           "do backup. Eles ficam guardados na pasta de dados."),
                            true);

    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    layout->addWidget(LabelChecked);
    layout->addWidget(LabelMoment);
    layout->addSpacing(4);
    layout->addWidget(GridCounts);
    layout->addWidget(LabelCurrent);
    layout->addStretch(1);
    layout->addWidget(LabelReplace);
    return page;
}

QWidget* RestoreWindow::buildDonePage() {
    auto* page = new QWidget;
    LabelDone = newLabel(page, "LabelDone", QStringLiteral("Restauração concluída."), true);
    MemoOutcome = new QPlainTextEdit(page);
    MemoOutcome->setObjectName("MemoOutcome");
    MemoOutcome->setReadOnly(true);
    MemoOutcome->setAccessibleName(QStringLiteral("Resultado da restauração"));
    auto* question =
        newLabel(page, "LabelStart", QStringLiteral("Deseja iniciar o Corvalen agora?"));

    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    layout->addWidget(LabelDone);
    layout->addWidget(MemoOutcome, 1);
    layout->addWidget(question);
    return page;
}

void RestoreWindow::connectCommands() {
    connect(ButtonBrowse, &QPushButton::clicked, this, command(&RestoreWindow::ButtonBrowseClick));
    connect(ButtonCheck, &QPushButton::clicked, this, command(&RestoreWindow::ButtonCheckClick));
    connect(ButtonRestore, &QPushButton::clicked, this,
            command(&RestoreWindow::ButtonRestoreClick));
    connect(ButtonBack, &QPushButton::clicked, this, command(&RestoreWindow::ButtonBackClick));
    connect(ButtonStart, &QPushButton::clicked, this, command(&RestoreWindow::ButtonStartClick));
    connect(ButtonClose, &QPushButton::clicked, this, [this] { close(); });
}

QStringList RestoreWindow::usedFolders() const {
    return openSettings(setup_.settingsFile)->value(foldersKey).toStringList();
}

void RestoreWindow::rememberFolder(const QString& folder) const {
    QStringList folders = usedFolders();
    folders.removeAll(folder);
    folders.prepend(folder);
    openSettings(setup_.settingsFile)->setValue(foldersKey, folders.mid(0, foldersKept));
}

void RestoreWindow::ButtonBrowseClick() {
    QString start =
        EditArchive->text().isEmpty() ? QString() : QFileInfo(EditArchive->text()).absolutePath();
    if (start.isEmpty() || !QFileInfo(start).isDir())
        start = restore::newestBackupFolder(usedFolders());
    const auto chosen = platform::pick(
        this,
        {platform::PickerKind::File, QStringLiteral("Escolha o arquivo de backup"),
         QStringLiteral("Backups do Corvalen (medbackup_*.zip);;Arquivos ZIP (*.zip)"), start});
    if (chosen)
        EditArchive->setText(QDir::toNativeSeparators(*chosen));
}

void RestoreWindow::ButtonCheckClick() {
    const QString path = QDir::fromNativeSeparators(EditArchive->text().trimmed());
    if (path.isEmpty()) {
        messages::warning(QStringLiteral("Escolha o arquivo de backup a restaurar."));
        return;
    }
    if (!QFileInfo(path).isFile()) {
        messages::warning(
            QStringLiteral("O arquivo %1 não existe.").arg(QDir::toNativeSeparators(path)));
        return;
    }
    std::optional<restore::CheckedArchive> checked;
    {
        WorkInProgress work(ProgressBar1, {ButtonBrowse, ButtonCheck, EditArchive, ButtonClose});
        const QScopedValueRollback working(working_, true);
        try {
            checked =
                restore::checkArchive(path, work_.path(), [&work](double f) { work.progress(f); });
        } catch (const Error& e) {
            messages::warning(QStringLiteral("Este backup não pode ser restaurado: %1. Nada foi "
                                             "alterado.")
                                  .arg(e.message()));
            return;
        }
    }
    rememberFolder(QFileInfo(path).absolutePath());
    showConfirmation(*checked);
}

void RestoreWindow::showConfirmation(const restore::CheckedArchive& archive) {
    checked_ = archive;
    const QString made =
        archive.moment.isValid()
            ? QStringLiteral("Backup feito em %1 às %2 (pelo nome do arquivo).")
                  .arg(archive.moment.toString(QStringLiteral("dd/MM/yyyy")),
                       archive.moment.toString(QStringLiteral("HH:mm")))
            : QStringLiteral("O nome do arquivo não diz quando o backup foi feito.");
    const QString newest =
        archive.summary.newestConsultation.isValid()
            ? QStringLiteral("Última consulta registrada no backup: %1.")
                  .arg(archive.summary.newestConsultation.toString(QStringLiteral("dd/MM/yyyy")))
            : QStringLiteral("O backup não tem consultas registradas.");
    LabelMoment->setText(QDir::toNativeSeparators(archive.path) + '\n' + made + ' ' + newest);

    std::optional<db::DatabaseSummary> current;
    try {
        current = db::summarizeDataFolder(setup_.dataFolder);
        if (!current)
            LabelCurrent->setText(QStringLiteral("Não há banco de dados atual na pasta de dados."));
        else
            LabelCurrent->setText(
                current->newestConsultation.isValid()
                    ? QStringLiteral("Última consulta registrada nos dados "
                                     "atuais: %1.")
                          .arg(current->newestConsultation.toString(QStringLiteral("dd/MM/yyyy")))
                    : QString());
    } catch (const Error& e) {
        LabelCurrent->setText(
            QStringLiteral("Os dados atuais não puderam ser lidos: %1.").arg(e.message()));
    }
    struct Row {
        QString name;
        qint64 backup;
        std::optional<qint64> current;
    };
    std::vector<Row> rows{
        {QStringLiteral("Pacientes"), archive.summary.patients,
         current ? std::optional(current->patients) : std::nullopt},
        {QStringLiteral("Consultas"), archive.summary.consultations,
         current ? std::optional(current->consultations) : std::nullopt},
        {QStringLiteral("Exames"), archive.summary.exams,
         current ? std::optional(current->exams) : std::nullopt},
        {QStringLiteral("Usuários"), archive.summary.users,
         current ? std::optional(current->users) : std::nullopt},
    };
    if (archive.withExams)
        rows.push_back({QStringLiteral("Arquivos de exames"), archive.examFiles.size(),
                        examFilesIn(db::sharedFolder(setup_.dataFolder))});
    GridCounts->setRowCount(int(rows.size()));
    for (int r = 0; r < int(rows.size()); ++r) {
        const QString values[] = {rows[size_t(r)].name, count(rows[size_t(r)].backup),
                                  rows[size_t(r)].current ? count(*rows[size_t(r)].current)
                                                          : QStringLiteral("—")};
        for (int c = 0; c < 3; ++c) {
            auto* item = new QTableWidgetItem(values[c]);
            if (c > 0)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            GridCounts->setItem(r, c, item);
        }
    }
    // As high as its lines, no empty space below them.
    GridCounts->setFixedHeight(GridCounts->horizontalHeader()->sizeHint().height() +
                               GridCounts->rowCount() *
                                   GridCounts->verticalHeader()->defaultSectionSize() +
                               2 * GridCounts->frameWidth());
    showStep(1);
}

void RestoreWindow::ButtonBackClick() {
    checked_.reset();
    showStep(0);
}

void RestoreWindow::ButtonRestoreClick() {
    if (!checked_)
        return;
    std::optional<restore::Outcome> outcome;
    {
        WorkInProgress work(ProgressBar1, {ButtonBack, ButtonRestore, ButtonClose});
        const QScopedValueRollback working(working_, true);
        try {
            outcome = restore::restoreArchive(*checked_, setup_.dataFolder, platform::now(),
                                              [&work](double f) { work.progress(f); });
        } catch (const db::DatabaseInUse&) {
            messages::warning(QStringLiteral("O Corvalen está aberto e usando o banco de dados. "
                                             "Feche-o em todos os computadores e tente de novo. "
                                             "Nada foi alterado."));
            return;
        } catch (const Error& e) {
            messages::showError(QStringLiteral("A restauração não pôde ser concluída: %1. Os "
                                               "dados atuais ficaram como estavam.")
                                    .arg(e.message()));
            return;
        }
    }
    showOutcome(*outcome);
}

void RestoreWindow::showOutcome(const restore::Outcome& outcome) {
    QStringList lines;
    if (checked_)
        lines << QStringLiteral("Os dados foram restaurados do backup %1.")
                     .arg(QDir::toNativeSeparators(checked_->path));
    if (!outcome.keptDatabase.isEmpty())
        lines << QStringLiteral("Os dados anteriores foram guardados em %1.")
                     .arg(QDir::toNativeSeparators(outcome.keptDatabase));
    if (checked_ && checked_->withExams)
        lines << QStringLiteral("Arquivos de exames: %1 restaurados, %2 já estavam na pasta.")
                     .arg(outcome.examsRestored)
                     .arg(outcome.examsAlreadyThere);
    if (!outcome.examsKeptBoth.isEmpty()) {
        lines << QString()
              << QStringLiteral("Arquivos de exames diferentes dos do backup (os dois foram "
                                "mantidos):");
        lines += outcome.examsKeptBoth;
    }
    if (!outcome.notes.isEmpty()) {
        lines << QString();
        lines += outcome.notes;
    }
    MemoOutcome->setPlainText(lines.join('\n'));
    showStep(2);
}

void RestoreWindow::ButtonStartClick() {
    platform::startProgram(platform::joinPath(setup_.programFolder, QStringLiteral("corvalen")));
    close();
}

} // namespace corvalen
