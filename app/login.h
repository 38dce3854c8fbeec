#pragma once
// The login window.

#include "db/widgets/form.h"

namespace corvalen {

class TForm3 : public Form {
    Q_OBJECT
public:
    explicit TForm3(QWidget* owner = nullptr);
};

extern TForm3* Form3;

} // namespace corvalen
