#pragma once
// The clinic data and logo window.

#include "db/widgets/form.h"

namespace corvalen {

class TForm16 : public Form {
    Q_OBJECT
public:
    explicit TForm16(QWidget* owner = nullptr);
};

// The start-up instance.
extern TForm16* Form16;

} // namespace corvalen
