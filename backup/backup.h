#pragma once
// The backup and restore window.

#include "db/widgets/form.h"

namespace corvalen {

class TForm25 : public Form {
    Q_OBJECT
public:
    explicit TForm25(QWidget* owner = nullptr);
};

// The start-up instance.
extern TForm25* Form25;

} // namespace corvalen
