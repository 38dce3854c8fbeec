#pragma once
// The exam attachments window.

#include "db/widgets/form.h"

namespace corvalen {

class TForm14 : public Form {
    Q_OBJECT
public:
    explicit TForm14(QWidget* owner = nullptr);
};

// The start-up instance.
extern TForm14* Form14;

} // namespace corvalen
