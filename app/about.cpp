#include "app/about.h"

#include "platform/messages.h"
#include "resources/icons.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvalen {

TForm24* Form24 = nullptr;

TForm24::TForm24(QWidget* owner) : Form(owner) {
    setObjectName("Form24");
    setupForm(QStringLiteral("Sobre"), 411, 183);

    Label1 = new QLabel(QStringLiteral("Corvalen v 1.0"), this);
    Label1->setObjectName("Label1");
    Label1->setFont(programFont(10));

    BitBtn1 = new QPushButton(QStringLiteral("Fechar"), this);
    BitBtn1->setObjectName("BitBtn1");
    BitBtn1->setIcon(resources::icon("close"));
    BitBtn1->setMinimumSize(90, 28);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(BitBtn1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 12);
    layout->addWidget(Label1, 0, Qt::AlignLeft | Qt::AlignTop);
    layout->addStretch(1);
    layout->addLayout(buttons);

    connect(BitBtn1, &QPushButton::clicked, this, command(&TForm24::BitBtn1Click));
}

void TForm24::BitBtn1Click() {
    close();
}

} // namespace corvalen
