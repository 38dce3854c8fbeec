#pragma once
// The user list report window.

#include "db/widgets/form.h"

namespace corvalen {

class TForm20 : public Form {
    Q_OBJECT
public:
    explicit TForm20(QWidget* owner = nullptr);
};

// The start-up instance.
extern TForm20* Form20;

} // namespace corvalen
