#pragma once
// The patient editor window.

#include "db/widgets/form.h"

namespace corvalen {

class TForm9 : public Form {
    Q_OBJECT
public:
    explicit TForm9(QWidget* owner = nullptr);
};

// The start-up instance.
extern TForm9* Form9;

} // namespace corvalen
