#pragma once
// The patient selection for a new consultation window.

#include "db/widgets/form.h"

namespace corvalen {

class TForm10 : public Form {
    Q_OBJECT
public:
    explicit TForm10(QWidget* owner = nullptr);
};

// The start-up instance.
extern TForm10* Form10;

} // namespace corvalen
