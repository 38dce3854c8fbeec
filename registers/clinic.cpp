#include "registers/clinic.h"

#include "db/dm2.h"
#include "db/session.h"
#include "db/widgets/dbcontrols.h"
#include "platform/messages.h"
#include "platform/picture.h"
#include "platform/textfile.h"
#include "resources/icons.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace corvalen {

TForm16* Form16 = nullptr;

namespace {
QString logoFile() {
    return session().sharedFile(QStringLiteral("logo.cfg"));
}
} // namespace

TForm16::TForm16(QWidget* owner) : Form(owner) {
    setObjectName("Form16");
    setupForm(QStringLiteral("Clínica"), 598, 476, Border::FixedWithMinMax);
    buildLayout();
    connectCommands();
}

void TForm16::buildLayout() {
    db::DataSource* source = Dm2->DataSource13;
    Label10 = new QLabel(QStringLiteral("Insira os dados do estabelecimento:"), this);
    Label10->setObjectName("Label10");
    Label10->setFont(programFont(8, true));

    auto box = [this, source](QLabel*& label, const char* labelName, const QString& caption,
                              DBEdit*& edit, const char* editName, const char* column, int width) {
        label = new QLabel(caption, this);
        label->setObjectName(labelName);
        edit = new DBEdit(source, QLatin1String(column), this);
        edit->setObjectName(editName);
        edit->setAccessibleName(caption);
        if (width)
            edit->setFixedWidth(width);
        label->setBuddy(edit);
    };
    box(Label1, "Label1", QStringLiteral("Clínica:"), DBEdit2, "DBEdit2", "nome", 0);
    box(Label2, "Label2", QStringLiteral("Endereço:"), DBEdit9, "DBEdit9", "endereco", 0);
    box(Label3, "Label3", QStringLiteral("Complemento:"), DBEdit5, "DBEdit5", "complemento", 0);
    box(Label4, "Label4", QStringLiteral("Bairro:"), DBEdit7, "DBEdit7", "bairro", 230);
    box(Label5, "Label5", QStringLiteral("Cidade:"), DBEdit8, "DBEdit8", "cidade", 230);
    box(Label6, "Label6", QStringLiteral("CEP:"), DBEdit4, "DBEdit4", "cep", 100);
    box(Label7, "Label7", QStringLiteral("Telefone:"), DBEdit3, "DBEdit3", "telefone", 140);
    box(Label8, "Label8", QStringLiteral("CPF / CNPJ:"), DBEdit6, "DBEdit6", "documento", 230);

    Label11 = new QLabel(QStringLiteral("Logotipo:"), this);
    Label11->setObjectName("Label11");
    Image1 = new QLabel(this);
    Image1->setObjectName("Image1");
    Image1->setFixedSize(153, 122);
    // Stretched to fill the box, proportions not kept.
    Image1->setScaledContents(true);
    Image1->setAccessibleName(QStringLiteral("Logotipo"));

    BitBtn3 = new QToolButton(this);
    BitBtn3->setObjectName("BitBtn3");
    BitBtn3->setIcon(resources::icon("image"));
    BitBtn3->setIconSize(QSize(20, 20));
    BitBtn3->setFixedSize(28, 28);
    BitBtn3->setToolTip(QStringLiteral("Clique para selecionar o logotipo"));
    BitBtn3->setAccessibleName(BitBtn3->toolTip());
    BitBtn3->setFocusPolicy(Qt::StrongFocus);

    Edit1 = new QLineEdit(this);
    Edit1->setObjectName("Edit1");
    Edit1->setFixedWidth(153);
    Edit1->setAccessibleDescription(QStringLiteral("Arquivo do logotipo"));
    Label11->setBuddy(Edit1);

    // Kept hidden: the window's own buttons run its actions.
    DBNavigator1 = new DBNavigator(source, this);
    DBNavigator1->setObjectName("DBNavigator1");
    DBNavigator1->hide();

    auto button = [this](const char* name, const QString& text, const char* icon) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(name);
        b->setAutoDefault(false);
        b->setMinimumSize(100, 30);
        b->setIcon(resources::icon(QLatin1String(icon)));
        return b;
    };
    BitBtn1 = button("BitBtn1", QStringLiteral("&Salvar"), "save");
    BitBtn2 = button("BitBtn2", QStringLiteral("&Fechar"), "close");

    auto* logoRow = new QHBoxLayout;
    logoRow->setSpacing(4);
    logoRow->addWidget(Image1);
    logoRow->addWidget(BitBtn3, 0, Qt::AlignTop);
    logoRow->addStretch(1);
    auto* logo = new QVBoxLayout;
    logo->setSpacing(4);
    logo->addWidget(Label11);
    logo->addLayout(logoRow);
    logo->addWidget(Edit1);
    logo->addStretch(1);

    auto* fields = new QGridLayout;
    fields->setHorizontalSpacing(8);
    fields->setVerticalSpacing(10);
    const std::pair<QLabel*, DBEdit*> rows[] = {
        {Label1, DBEdit2}, {Label2, DBEdit9}, {Label3, DBEdit5}, {Label4, DBEdit7},
        {Label5, DBEdit8}, {Label6, DBEdit4}, {Label7, DBEdit3}, {Label8, DBEdit6}};
    for (int i = 0; i < int(std::size(rows)); ++i) {
        fields->addWidget(rows[i].first, i, 0);
        // The name and address lines run the whole width; the logo sits beside the rest.
        if (i < 3)
            fields->addWidget(rows[i].second, i, 1, 1, 2);
        else
            fields->addWidget(rows[i].second, i, 1, Qt::AlignLeft);
    }
    fields->addLayout(logo, 3, 2, 5, 1);
    fields->setColumnStretch(1, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BitBtn1);
    buttons->addStretch(1);
    buttons->addWidget(BitBtn2);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 16, 20, 16);
    layout->setSpacing(14);
    layout->addWidget(Label10);
    layout->addLayout(fields);
    layout->addStretch(1);
    layout->addLayout(buttons);

    const QList<QWidget*> order{DBEdit2, DBEdit3, DBEdit4, DBEdit5, DBEdit6, DBEdit7,
                                DBEdit8, DBEdit9, BitBtn1, BitBtn2, BitBtn3, Edit1};
    for (int i = 1; i < order.size(); ++i)
        setTabOrder(order.at(i - 1), order.at(i));
    DBEdit2->setFocus();
}

void TForm16::connectCommands() {
    connect(BitBtn3, &QToolButton::clicked, this, command(&TForm16::BitBtn3Click));
    connect(BitBtn1, &QPushButton::clicked, this, command(&TForm16::BitBtn1Click));
    connect(BitBtn2, &QPushButton::clicked, this, command(&TForm16::BitBtn2Click));
}

void TForm16::loadLogo(const QString& path) {
    // Loaded before anything is shown, so a failure leaves the picture and the path as they were.
    const QImage picture = platform::loadPicture(path);
    Image1->setPixmap(QPixmap::fromImage(picture));
    Edit1->setText(path);
}

void TForm16::FormShow() {
    shownLogoPath_ = Edit1->text();
    loadLogo(platform::readFirstLine(logoFile()));
    shownLogoPath_ = Edit1->text();
}

bool TForm16::hasUnsavedChanges() {
    return Form::hasUnsavedChanges() ||
           (Dm2->ADOClinica->isEditing() && Edit1->text() != shownLogoPath_);
}

void TForm16::BitBtn3Click() {
    DBNavigator1->run(DBNavigator::Edit);
    if (OpenPictureDialog1.execute(this))
        loadLogo(OpenPictureDialog1.fileName());
}

void TForm16::BitBtn1Click() {
    DBNavigator1->run(DBNavigator::Post);
    platform::writeLine(logoFile(), Edit1->text());
    shownLogoPath_ = Edit1->text();
}

void TForm16::BitBtn2Click() {
    close();
}

} // namespace corvalen
