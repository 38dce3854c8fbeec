#pragma once
// The consultation report choice window.

#include "db/widgets/form.h"

namespace corvalen {

class TForm21 : public Form {
    Q_OBJECT
public:
    explicit TForm21(QWidget* owner = nullptr);
};

// The start-up instance.
extern TForm21* Form21;

} // namespace corvalen
