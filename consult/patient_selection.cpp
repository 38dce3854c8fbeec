#include "consult/patient_selection.h"

#include "consult/consultation.h"
#include "db/dataset.h"
#include "db/datasource.h"
#include "db/widgets/dbgrid.h"
#include "db/widgets/incremental_search.h"
#include "platform/error.h"
#include "platform/messages.h"
#include "resources/icons.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <memory>

namespace corvalen {

TForm10* Form10 = nullptr;

TForm10::TForm10(QWidget* owner) : Form(owner) {
    setObjectName("Form10");
    setupForm(QStringLiteral("Consulta - Seleção de paciente para nova consulta:"), 831, 376,
              Border::FixedWithMinimize);
    bindData();
    buildLayout();
    search = new IncrementalSearch(Edit1, ADODataSet1, DBGrid1, this);
    connectCommands();
}

void TForm10::bindData() {
    ADODataSet1 = new db::Dataset("ADODataSet1", this);
    ADODataSet1->setSql({QStringLiteral("select inscricao, nome, tel, plano from Pacientes")});
    DataSource1 = new db::DataSource("DataSource1", ADODataSet1, this);
}

void TForm10::buildLayout() {
    Label1 = new QLabel(
        QStringLiteral("Selecione um paciente com um duplo clique para iniciar uma nova consulta:"),
        this);
    Label1->setObjectName("Label1");

    DBGrid1 = new DBGrid(DataSource1, this);
    DBGrid1->setObjectName("DBGrid1");
    DBGrid1->setFixedSize(777, 201);
    Label1->setBuddy(DBGrid1);

    Label2 = new QLabel(QStringLiteral("PESQUISA:"), this);
    Label2->setObjectName("Label2");
    Label2->setFont(programFont(12, true));
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName("Edit1");
    Edit1->setFont(programFont(12));
    Edit1->setFixedWidth(689);
    Label2->setBuddy(Edit1);
    Edit1->setAccessibleName(Label2->text());

    BitBtn1 =
        new QPushButton(resources::icon("refresh"), QStringLiteral("Atualizar listagem"), this);
    BitBtn1->setObjectName("BitBtn1");
    Button1 = new QPushButton(QStringLiteral("Cancelar"), this);
    Button1->setObjectName("Button1");
    for (QPushButton* b : {BitBtn1, Button1}) {
        b->setAutoDefault(false);
        b->setMinimumSize(140, 30);
    }

    auto* searchRow = new QHBoxLayout;
    searchRow->addWidget(Label2);
    searchRow->addStretch(1);
    searchRow->addWidget(Edit1);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BitBtn1);
    buttons->addStretch(1);
    buttons->addWidget(Button1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(27, 12, 27, 16);
    layout->setSpacing(8);
    layout->addWidget(Label1);
    layout->addWidget(DBGrid1);
    layout->addSpacing(6);
    layout->addLayout(searchRow);
    layout->addStretch(1);
    layout->addLayout(buttons);

    setTabOrder(DBGrid1, Edit1);
    setTabOrder(Edit1, Button1);
    setTabOrder(Button1, BitBtn1);
    DBGrid1->setFocus();
}

void TForm10::connectCommands() {
    connect(DBGrid1, &DBGrid::dblClick, this, command(&TForm10::DBGrid1DblClick));
    connect(BitBtn1, &QPushButton::clicked, this, command(&TForm10::BitBtn1Click));
    connect(Button1, &QPushButton::clicked, this, command(&TForm10::Button1Click));
}

void TForm10::reopen() {
    ADODataSet1->close();
    ADODataSet1->open();
    search->prepare();
}

void TForm10::FormShow() {
    reopen();
}

void TForm10::BitBtn1Click() {
    reopen();
}

void TForm10::Button1Click() {
    close();
}

void TForm10::DBGrid1DblClick() {
    const int patient = toInteger(ADODataSet1->fieldByName("inscricao").asString());
    const std::unique_ptr<TForm11> consultation(new TForm11(this, patient));
    consultation->exec();
}

} // namespace corvalen
