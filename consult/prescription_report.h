#pragma once
// The prescription printout window.

#include "db/widgets/form.h"

namespace corvalen {

class TForm18 : public Form {
    Q_OBJECT
public:
    explicit TForm18(QWidget* owner = nullptr);
};

// The start-up instance.
extern TForm18* Form18;

} // namespace corvalen
