#include "platform/messages.h"

#include "platform/error.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace corvalen::messages {

namespace {

Hook& hook() {
    static Hook h;
    return h;
}

Answer run(const Shown& shown) {
    if (hook())
        return hook()(shown);

    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(shown.caption);
    box.setText(shown.text);
    switch (shown.kind) {
    case Kind::Plain:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case Kind::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case Kind::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case Kind::Confirmation:
        box.setIcon(QMessageBox::Question);
        break;
    case Kind::Error:
        box.setIcon(QMessageBox::Critical);
        break;
    }
    // The captions of the buttons are the platform's English ones, with access keys.
    QPushButton* first = nullptr;
    QPushButton* second = nullptr;
    switch (shown.buttons) {
    case Buttons::Ok:
        first = box.addButton("OK", QMessageBox::AcceptRole);
        break;
    case Buttons::YesNo:
        first = box.addButton("&Yes", QMessageBox::YesRole);
        second = box.addButton("&No", QMessageBox::NoRole);
        break;
    case Buttons::OkCancel:
        first = box.addButton("OK", QMessageBox::AcceptRole);
        second = box.addButton("Cancel", QMessageBox::RejectRole);
        break;
    }
    const bool secondIsDefault =
        shown.defaultAnswer == Answer::No || shown.defaultAnswer == Answer::Cancel;
    box.setDefaultButton(secondIsDefault && second ? second : first);
    box.setEscapeButton(second ? second : first);
    box.exec();
    const bool tookFirst = box.clickedButton() == first;
    switch (shown.buttons) {
    case Buttons::Ok:
        return Answer::Ok;
    case Buttons::YesNo:
        return tookFirst ? Answer::Yes : Answer::No;
    case Buttons::OkCancel:
        return tookFirst ? Answer::Ok : Answer::Cancel;
    }
    return Answer::Ok;
}

} // namespace

void setHook(Hook h) {
    hook() = std::move(h);
}

QString applicationTitle() {
    return QStringLiteral("Corvalen");
}

void showMessage(const QString& text) {
    run({Kind::Plain, applicationTitle(), text, Buttons::Ok, Answer::Ok});
}

void warning(const QString& text) {
    run({Kind::Warning, "Warning", text, Buttons::Ok, Answer::Ok});
}

void information(const QString& text) {
    run({Kind::Information, "Information", text, Buttons::Ok, Answer::Ok});
}

bool confirm(const QString& text, Answer defaultAnswer) {
    return run({Kind::Confirmation, "Confirm", text, Buttons::YesNo, defaultAnswer}) == Answer::Yes;
}

bool confirmDelete() {
    return run({Kind::Confirmation, "Confirm", "Delete record?", Buttons::OkCancel, Answer::Ok}) ==
           Answer::Ok;
}

QString errorBoxText(const QString& text) {
    if (!text.isEmpty() && text.back() > QChar('.'))
        return text + '.';
    return text;
}

void showError(const QString& text) {
    run({Kind::Error, applicationTitle(), errorBoxText(text), Buttons::Ok, Answer::Ok});
}

void showException(const std::exception& e) {
    showError(errorMessage(e));
}

bool guarded(const std::function<void()>& handler) {
    try {
        handler();
        return true;
    } catch (const std::exception& e) {
        showException(e);
    }
    return false;
}

} // namespace corvalen::messages
