#include "reports/consultations_choice.h"

#include "db/dm2.h"
#include "db/widgets/dblookupcombobox.h"
#include "db/widgets/dbradiogroup.h"
#include "platform/messages.h"
#include "reports/consultations_by_date.h"
#include "reports/consultations_by_professional.h"

#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvalen {

TForm21* Form21 = nullptr;

namespace {

// The two report queries differ only in their condition.
QStringList consultationsQuery(const QString& condition) {
    return {QStringLiteral("SELECT Consultas.Numero, Consultas.Data, Consultas.Cod_med, "
                           "Consultas.Cod_pac, Consultas.Hora, Usuarios.medico, Pacientes.nome"),
            QStringLiteral("FROM Usuarios INNER JOIN (Pacientes INNER JOIN Consultas ON "
                           "Pacientes.inscricao=Consultas.Cod_pac) ON "
                           "Usuarios.cod=Consultas.Cod_med"),
            condition, QStringLiteral("ORDER BY Consultas.Data;")};
}

} // namespace

TForm21::TForm21(QWidget* owner) : Form(owner) {
    setObjectName("Form21");
    setupForm(QStringLiteral("Relatório de Consultas"), 455, 380);
    buildLayout();
    connect(RadioGroup1, &DBRadioGroup::changed, this, command(&TForm21::RadioGroup1Click));
    connect(Button1, &QPushButton::clicked, this, command(&TForm21::Button1Click));
    connect(Button2, &QPushButton::clicked, this, command(&TForm21::Button2Click));
}

void TForm21::buildLayout() {
    RadioGroup1 = new DBRadioGroup(QStringLiteral("Selecione a organização do relatório:"), nullptr,
                                   {}, this);
    RadioGroup1->setObjectName("RadioGroup1");
    RadioGroup1->setItems({QStringLiteral("Por Data"), QStringLiteral("Por Profissional")});

    Label1 = new QLabel(QStringLiteral("Profissional:"), this);
    Label1->setObjectName("Label1");
    BuscaProf = new DBLookupComboBox(Dm2 ? Dm2->DataSource3 : nullptr, QStringLiteral("cod"),
                                     QStringLiteral("medico"), this);
    BuscaProf->setObjectName("BuscaProf");
    Label1->setBuddy(BuscaProf);

    // The dates stored with the window; afterwards each keeps the user's last choice.
    const QDate initial(2015, 8, 31);
    auto datePicker = [this, initial](QLabel*& label, const char* labelName, const QString& caption,
                                      QDateEdit*& picker, const char* pickerName) {
        label = new QLabel(caption, this);
        label->setObjectName(labelName);
        picker = new QDateEdit(initial, this);
        picker->setObjectName(pickerName);
        picker->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
        picker->setCalendarPopup(true);
        label->setBuddy(picker);
    };
    datePicker(Label2, "Label2", QStringLiteral("Data Inicial:"), Data1, "Data1");
    datePicker(Label3, "Label3", QStringLiteral("Data Final:"), Data2, "Data2");
    for (QWidget* hidden : {static_cast<QWidget*>(Label1), static_cast<QWidget*>(BuscaProf),
                            static_cast<QWidget*>(Label2), static_cast<QWidget*>(Data1),
                            static_cast<QWidget*>(Label3), static_cast<QWidget*>(Data2)})
        hidden->hide();

    Button1 = new QPushButton(QStringLiteral("Fechar"), this);
    Button1->setObjectName("Button1");
    Button2 = new QPushButton(QStringLiteral("Gerar"), this);
    Button2->setObjectName("Button2");
    for (QPushButton* b : {Button1, Button2}) {
        b->setAutoDefault(false);
        b->setMinimumSize(90, 28);
    }

    auto* fields = new QGridLayout;
    fields->setHorizontalSpacing(8);
    fields->setVerticalSpacing(10);
    fields->addWidget(Label1, 0, 0);
    fields->addWidget(BuscaProf, 0, 1);
    fields->addWidget(Label2, 1, 0);
    fields->addWidget(Data1, 1, 1, Qt::AlignLeft);
    fields->addWidget(Label3, 2, 0);
    fields->addWidget(Data2, 2, 1, Qt::AlignLeft);
    fields->setColumnStretch(1, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Button1);
    buttons->addStretch(1);
    buttons->addWidget(Button2);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->setSpacing(16);
    layout->addWidget(RadioGroup1);
    layout->addLayout(fields);
    layout->addStretch(1);
    layout->addLayout(buttons);
}

void TForm21::RadioGroup1Click() {
    const bool byDate = RadioGroup1->itemIndex() == 0;
    const bool byProfessional = RadioGroup1->itemIndex() == 1;
    Label1->setVisible(byProfessional);
    BuscaProf->setVisible(byProfessional);
    for (QWidget* w : {static_cast<QWidget*>(Label2), static_cast<QWidget*>(Data1),
                       static_cast<QWidget*>(Label3), static_cast<QWidget*>(Data2)})
        w->setVisible(byDate);
}

void TForm21::Button1Click() {
    close();
}

void TForm21::Button2Click() {
    switch (RadioGroup1->itemIndex()) {
    case 0:
        if (queryByDate())
            reports::printOnce<TForm23>(this);
        break;
    case 1:
        queryByProfessional();
        reports::printOnce<TForm22>(this);
        break;
    default:
        break; // nothing chosen: nothing happens
    }
}

bool TForm21::queryByDate() {
    if (Data1->date() > Data2->date()) {
        messages::warning(QStringLiteral("A data inicial não pode ser superior a data final"));
        return false;
    }
    db::Dataset* data = Dm2->ADORelatData;
    data->setSql(consultationsQuery(
        QStringLiteral("WHERE Consultas.Data Between :datainicial And :datafinal")));
    // Both days are included: the dates reach the engine as day, month and year.
    data->setParameter(QStringLiteral("datainicial"),
                       Data1->date().toString(QStringLiteral("dd/MM/yyyy")));
    data->setParameter(QStringLiteral("datafinal"),
                       Data2->date().toString(QStringLiteral("dd/MM/yyyy")));
    data->open();
    return true;
}

void TForm21::queryByProfessional() {
    // The chosen professional's key as text; empty when none is chosen.
    const QString professional = BuscaProf->keyValue();
    db::Dataset* data = Dm2->ADORelatCProf;
    data->setSql(consultationsQuery(QStringLiteral("WHERE Consultas.Cod_med= :prof")));
    data->setParameter(QStringLiteral("prof"), professional);
    data->open();
}

} // namespace corvalen
