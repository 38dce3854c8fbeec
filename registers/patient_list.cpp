#include "registers/patient_list.h"

#include "db/dataset.h"
#include "db/datasource.h"
#include "db/dm2.h"
#include "db/widgets/dbgrid.h"
#include "db/widgets/incremental_search.h"
#include "platform/error.h"
#include "platform/messages.h"
#include "registers/patient_editor.h"
#include "resources/icons.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <memory>

namespace corvalen {

TForm8* Form8 = nullptr;

TForm8::TForm8(QWidget* owner) : Form(owner) {
    setObjectName("Form8");
    setupForm(QStringLiteral("Pacientes"), 799, 427, Border::FixedWithMinimize);
    bindData();
    buildLayout();
    search = new IncrementalSearch(Edit1, ADODataSet1, DBGrid1, this);
    connectCommands();
}

void TForm8::bindData() {
    ADODataSet1 = new db::Dataset("ADODataSet1", this);
    ADODataSet1->setSql({QStringLiteral("select inscricao, nome, tel, plano from Pacientes"),
                         QStringLiteral(" order by nome")});
    DataSource1 = new db::DataSource("DataSource1", ADODataSet1, this);

    // The master link on DataSource6 names no fields: its one effect is that ADOQuery4 opening
    // or closing first finishes a row being edited in the grid.
    if (Dm2 && Dm2->DataSource6->dataset()) {
        connect(Dm2->DataSource6->dataset(), &db::Dataset::beforeAction, this, [this] {
            if (ADODataSet1->isOpen())
                ADODataSet1->checkBrowseMode();
        });
    }
}

void TForm8::buildLayout() {
    Label2 = new QLabel(QStringLiteral("Selecione um paciente para edição dos dados com um duplo "
                                       "clique no registro que deseja modificar."),
                        this);
    Label2->setObjectName("Label2");

    DBGrid1 = new DBGrid(DataSource1, this);
    DBGrid1->setObjectName("DBGrid1");
    DBGrid1->setFixedSize(753, 273);
    Label2->setBuddy(DBGrid1);

    Label1 = new QLabel(QStringLiteral("PESQUISA:"), this);
    Label1->setObjectName("Label1");
    Label1->setFont(programFont(8, true));
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName("Edit1");
    Edit1->setFont(programFont(8, true));
    Label1->setBuddy(Edit1);
    Edit1->setAccessibleName(Label1->text());

    BitBtn1 = new QPushButton(QStringLiteral("&Adicionar paciente"), this);
    BitBtn1->setObjectName("BitBtn1");
    BitBtn1->setIcon(resources::icon("add"));
    Button2 = new QPushButton(QStringLiteral("Atualizar"), this);
    Button2->setObjectName("Button2");
    Button1 = new QPushButton(QStringLiteral("&Fechar"), this);
    Button1->setObjectName("Button1");
    for (QPushButton* b : {BitBtn1, Button2, Button1}) {
        b->setAutoDefault(false);
        b->setMinimumSize(120, 28);
    }

    auto* searchRow = new QHBoxLayout;
    searchRow->addWidget(Label1);
    searchRow->addWidget(Edit1, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BitBtn1);
    buttons->addStretch(1);
    buttons->addWidget(Button2);
    buttons->addStretch(1);
    buttons->addWidget(Button1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(23, 12, 23, 16);
    layout->setSpacing(8);
    layout->addWidget(Label2);
    layout->addWidget(DBGrid1);
    layout->addSpacing(6);
    layout->addLayout(searchRow);
    layout->addStretch(1);
    layout->addLayout(buttons);

    setTabOrder(DBGrid1, Edit1);
    setTabOrder(Edit1, Button1);
    setTabOrder(Button1, BitBtn1);
    setTabOrder(BitBtn1, Button2);
    DBGrid1->setFocus();
}

void TForm8::connectCommands() {
    connect(DBGrid1, &DBGrid::dblClick, this, command(&TForm8::DBGrid1DblClick));
    connect(BitBtn1, &QPushButton::clicked, this, command(&TForm8::BitBtn1Click));
    connect(Button2, &QPushButton::clicked, this, command(&TForm8::Button2Click));
    connect(Button1, &QPushButton::clicked, this, command(&TForm8::Button1Click));
}

void TForm8::requery() {
    db::Dataset* master = Dm2->ADOQuery4;
    if (!master->isOpen())
        master->open();
    master->requery();
    ADODataSet1->requery();
    search->prepare();
}

void TForm8::FormShow() {
    requery();
}

void TForm8::DBGrid1DblClick() {
    openEditor(toInteger(ADODataSet1->fieldByName("inscricao").asString()));
}

void TForm8::BitBtn1Click() {
    openEditor(0);
}

void TForm8::Button2Click() {
    requery();
}

void TForm8::Button1Click() {
    close();
}

void TForm8::openEditor(int code) {
    const std::unique_ptr<TForm9> editor(new TForm9(this, code));
    editor->exec();
}

} // namespace corvalen
