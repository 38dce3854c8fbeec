#pragma once
// The magnifier window.

#include "db/widgets/form.h"

namespace corvalen {

class TForm15 : public Form {
    Q_OBJECT
public:
    explicit TForm15(QWidget* owner = nullptr);
};

// The start-up instance.
extern TForm15* Form15;

} // namespace corvalen
