#pragma once
// The consultations by professional report window.

#include "db/widgets/form.h"

namespace corvalen {

class TForm22 : public Form {
    Q_OBJECT
public:
    explicit TForm22(QWidget* owner = nullptr);
};

// The start-up instance.
extern TForm22* Form22;

} // namespace corvalen
