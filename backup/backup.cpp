#include "backup/backup.h"

namespace corvalen {

TForm25* Form25 = nullptr;

TForm25::TForm25(QWidget* owner) : Form(owner) {
    setObjectName("Form25");
    setupForm(QStringLiteral("Backup e Restauração"), 600, 400);
}

} // namespace corvalen
