#include "db/widgets/form.h"

#include "db/widgets/boundlink.h"
#include "db/widgets/dbnavigator.h"
#include "platform/messages.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHideEvent>
#include <QScreen>
#include <QSet>
#include <QShowEvent>

namespace corvalen {

QFont programFont(int pointSize, bool bold) {
    static const QString family = [] {
        // Debian's fonts-wine ships a metric clone of Tahoma outside fontconfig's folders.
        if (!QFontDatabase::families().contains("Tahoma")) {
            for (const char* file :
                 {"/usr/share/wine/fonts/tahoma.ttf", "/usr/share/wine/fonts/tahomabd.ttf"})
                QFontDatabase::addApplicationFont(QString::fromLatin1(file));
        }
        return QFontDatabase::families().contains("Tahoma") ? QStringLiteral("Tahoma")
                                                            : QStringLiteral("DejaVu Sans");
    }();
    QFont f(family, pointSize);
    f.setBold(bold);
    return f;
}

Form::Form(QWidget* owner) : QDialog(owner) {
    setFont(programFont());
}

Form::~Form() {
    // A window destroyed while shown gets no hide event: its closing runs here, while its
    // controls still exist.
    if (isVisible())
        dropPendingRows();
}

void Form::setupForm(const QString& caption, int clientWidth, int clientHeight, Border border) {
    setWindowTitle(caption);
    Qt::WindowFlags flags = Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                            Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint;
    switch (border) {
    case Border::Fixed:
    case Border::Dialog:
        break;
    case Border::FixedWithMinimize:
        flags |= Qt::WindowMinimizeButtonHint;
        break;
    case Border::FixedWithMinMax:
    case Border::Sizeable:
        flags |= Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint;
        break;
    }
    setWindowFlags(flags);
    if (border == Border::Sizeable)
        resize(clientWidth, clientHeight);
    else
        setFixedSize(clientWidth, clientHeight);
    setSizeGripEnabled(false);
}

void Form::showInFront() {
    show();
    raise();
    activateWindow();
}

void Form::showEvent(QShowEvent* event) {
    if (!centred_) {
        centred_ = true;
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
            QRect r = frameGeometry();
            r.moveCenter(screen->availableGeometry().center());
            move(r.topLeft());
        }
    }
    QDialog::showEvent(event);
    if (!event->spontaneous())
        messages::guarded([this] { FormShow(); });
}

} // namespace corvalen

namespace corvalen {

bool Form::loadRecord(DBNavigator* navigator, const QString& table, const QString& keyColumn,
                      int key, QWidget* removeButton, const QString& newCaption) {
    if (key != 0) {
        db::Dataset* dataset = navigator->dataset();
        if (!dataset)
            return false;
        // The key is an integer formatted here; no typed text enters the statement.
        dataset->setSql({QStringLiteral("SELECT * from %1").arg(table),
                         QStringLiteral("where %1 =%2;").arg(keyColumn).arg(key)});
        dataset->open();
        return false;
    }
    navigator->run(DBNavigator::Insert);
    if (removeButton)
        removeButton->hide();
    if (!newCaption.isEmpty())
        setWindowTitle(newCaption);
    return true;
}

void Form::dropPendingRows() {
    QSet<db::Dataset*> done;
    for (BoundLink* link : findChildren<BoundLink*>()) {
        db::Dataset* dataset = link->dataset();
        if (!dataset || !link->editsRows() || done.contains(dataset))
            continue;
        done.insert(dataset);
        if (dataset->isEditing())
            dataset->cancel();
    }
}

bool Form::closeAllowed() {
    if (closeAsked_)
        return true;
    bool allowed = false;
    messages::guarded([&] { allowed = FormCloseQuery(); });
    return allowed;
}

void Form::done(int result) {
    if (closeAllowed())
        QDialog::done(result);
}

void Form::closeEvent(QCloseEvent* event) {
    if (!closeAllowed()) {
        event->ignore();
        return;
    }
    // QDialog's close rejects the dialog, which must not ask a second time.
    closeAsked_ = true;
    QDialog::closeEvent(event);
    closeAsked_ = false;
}

void Form::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    // A minimised window is hidden by the system, spontaneously: it has not closed.
    if (!event->spontaneous())
        messages::guarded([this] { FormClose(); });
}

} // namespace corvalen
