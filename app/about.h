#pragma once
// The about window: the product name and version, and a button that closes it.

#include "db/widgets/form.h"

class QLabel;
class QPushButton;

namespace corvalen {

class TForm24 : public Form {
    Q_OBJECT
public:
    explicit TForm24(QWidget* owner = nullptr);

    void BitBtn1Click();

    QLabel* Label1;
    QPushButton* BitBtn1;
};

extern TForm24* Form24;

} // namespace corvalen
