#pragma once
// The patient list report window.

#include "db/widgets/form.h"

namespace corvalen {

class TForm17 : public Form {
    Q_OBJECT
public:
    explicit TForm17(QWidget* owner = nullptr);
};

// The start-up instance.
extern TForm17* Form17;

} // namespace corvalen
