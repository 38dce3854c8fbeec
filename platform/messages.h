#pragma once
// Every message box the program shows goes through here, so that tests can read what was
// shown and answer it (setHook), and so that the platform's dialog is built in one place.

#include <QString>
#include <exception>
#include <functional>

class QWidget;

namespace corvalen::messages {

enum class Kind { Plain, Warning, Information, Confirmation, Error };
enum class Buttons { Ok, YesNo, OkCancel };
enum class Answer { Ok, Cancel, Yes, No };

struct Shown {
    Kind kind;
    QString caption;
    QString text;
    Buttons buttons;
    Answer defaultAnswer;
};

// A hook replaces the real dialog: it receives what would be shown and returns the answer.
using Hook = std::function<Answer(const Shown&)>;
void setHook(Hook hook);

QString applicationTitle(); // "Corvalen"

// Plain message box: caption the application title, "OK".
void showMessage(const QString& text);
// Warning ("Warning") and information ("Information") dialogs, "OK".
void warning(const QString& text);
void information(const QString& text);
// Confirmation "Confirm" with "&Yes"/"&No"; true for Yes.
bool confirm(const QString& text, Answer defaultAnswer = Answer::Yes);
// The navigator's and grid's delete question: "Delete record?", "OK"/"Cancel"; true for OK.
bool confirmDelete();

// The application error box: caption the application title, error icon, "OK"; a full stop is
// added when the text's last character sorts after ".".
void showError(const QString& text);
QString errorBoxText(const QString& text);
void showException(const std::exception& e);

// Runs a command handler; an error that escapes it is shown in the application error box and
// the program goes on. Returns false when an error was shown.
bool guarded(const std::function<void()>& handler);

} // namespace corvalen::messages
