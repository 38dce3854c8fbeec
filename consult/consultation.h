#pragma once
// The consultation window window.

#include "db/widgets/form.h"

namespace corvalen {

class TForm11 : public Form {
    Q_OBJECT
public:
    explicit TForm11(QWidget* owner = nullptr);
};

// The start-up instance.
extern TForm11* Form11;

} // namespace corvalen
