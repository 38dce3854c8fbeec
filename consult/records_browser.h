#pragma once
// The records browser window.

#include "db/widgets/form.h"

namespace corvalen {

class TForm13 : public Form {
    Q_OBJECT
public:
    explicit TForm13(QWidget* owner = nullptr);
};

// The start-up instance.
extern TForm13* Form13;

} // namespace corvalen
