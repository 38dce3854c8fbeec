#pragma once
// The user editor window.

#include "db/widgets/form.h"

namespace corvalen {

class TForm5 : public Form {
    Q_OBJECT
public:
    explicit TForm5(QWidget* owner = nullptr);
};

// The start-up instance.
extern TForm5* Form5;

} // namespace corvalen
