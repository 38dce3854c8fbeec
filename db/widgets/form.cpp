#include "db/widgets/form.h"

#include "platform/messages.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>
#include <QShowEvent>

namespace corvalen {

QFont programFont(int pointSize, bool bold) {
    static const QString family = [] {
        // Debian's fonts-wine ships a metric clone of Tahoma outside fontconfig's folders.
        if (!QFontDatabase::families().contains("Tahoma")) {
            for (const char* file : {"/usr/share/wine/fonts/tahoma.ttf"})
                QFontDatabase::addApplicationFont(QString::fromLatin1(file));
        }
        return QFontDatabase::families().contains("Tahoma") ? QStringLiteral("Tahoma")
                                                            : QStringLiteral("DejaVu Sans");
    }();
    QFont f(family, pointSize);
    f.setBold(bold);
    return f;
}

Form::Form(QWidget* owner) : QDialog(owner) { setFont(programFont()); }

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
