#pragma once
// The patient list window.

#include "db/widgets/form.h"

namespace corvalen {

class TForm8 : public Form {
    Q_OBJECT
public:
    explicit TForm8(QWidget* owner = nullptr);
};

// The start-up instance.
extern TForm8* Form8;

} // namespace corvalen
