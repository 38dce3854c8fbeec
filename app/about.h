#pragma once
// The about window.

#include "db/widgets/form.h"

namespace corvalen {

class TForm24 : public Form {
    Q_OBJECT
public:
    explicit TForm24(QWidget* owner = nullptr);
};

extern TForm24* Form24;

} // namespace corvalen
