#pragma once
// The program's one error type. Every failure a user may see carries a kind name (shown by
// the start-up message of the data module) and a message text (shown by the error box).

#include <QString>
#include <exception>

namespace corvalen {

class Error : public std::exception {
public:
    Error(QString kind, QString message);
    const QString& kind() const { return kind_; }
    const QString& message() const { return message_; }
    const char* what() const noexcept override { return what_.constData(); }

private:
    QString kind_;
    QString message_;
    QByteArray what_;
};

// The errors the windows rely on, with their exact texts.
Error databaseError(const QString& message);              // EDatabaseError
Error engineError(const QString& message);                // EOleException: refused by the engine
Error convertError(const QString& message);               // EConvertError
Error notAnInteger(const QString& text);                  // "'<text>' is not a valid integer value"
Error nullToInteger();                                    // variant Null into Integer
Error listIndexError(int index);                          // "List index out of bounds (<n>)"
Error fileNotFound();                                     // "File not found"
Error fileAccessDenied();                                 // "File access denied"
Error fileError(const QString& kind, const QString& msg); // other file errors

// The text an error shows: the program's message, or the library's text for another exception.
QString errorMessage(const std::exception& e);

// Converts text to an integer as the program does everywhere: optional sign and decimal digits,
// surrounding blanks allowed; anything else raises notAnInteger(text).
int toInteger(const QString& text);

} // namespace corvalen
