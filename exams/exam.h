#pragma once
// The exam attachments window.

#include "db/widgets/form.h"

namespace corvalen {

class TForm14 : public Form {
    Q_OBJECT
public:
    // The start-up instance, never shown.
    explicit TForm14(QWidget* owner = nullptr);
    // The window for an exam of a consultation: exam code 0 for a new attachment, else the
    // stored exam with that code. The caller shows it modally and destroys it afterwards.
    TForm14(QWidget* owner, int consultationNumber, int examCode);

    int consultationNumber() const { return consultationNumber_; }
    int examCode() const { return examCode_; }

private:
    int consultationNumber_ = 0;
    int examCode_ = 0;
};

// The start-up instance.
extern TForm14* Form14;

} // namespace corvalen
