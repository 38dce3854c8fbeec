#pragma once
// The user list window.

#include "db/widgets/form.h"

namespace corvalen {

class TForm4 : public Form {
    Q_OBJECT
public:
    explicit TForm4(QWidget* owner = nullptr);
};

// The start-up instance.
extern TForm4* Form4;

} // namespace corvalen
