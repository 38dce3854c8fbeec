#pragma once
// The mailing labels report window.

#include "db/widgets/form.h"

namespace corvalen {

class TForm19 : public Form {
    Q_OBJECT
public:
    explicit TForm19(QWidget* owner = nullptr);
};

// The start-up instance.
extern TForm19* Form19;

} // namespace corvalen
