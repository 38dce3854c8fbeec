#pragma once
// The consultations by date report window.

#include "db/widgets/form.h"

namespace corvalen {

class TForm23 : public Form {
    Q_OBJECT
public:
    explicit TForm23(QWidget* owner = nullptr);
};

// The start-up instance.
extern TForm23* Form23;

} // namespace corvalen
