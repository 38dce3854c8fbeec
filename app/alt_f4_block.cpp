#include "app/alt_f4_block.h"

#include "platform/messages.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>

namespace corvalen {

namespace {

// Alt held without Ctrl: the combination the desktop treats as "close this window"
// (Ctrl+Alt is AltGr on many keyboards and is left alone).
bool isAltF4(const QEvent* event) {
    const auto* key = static_cast<const QKeyEvent*>(event);
    const Qt::KeyboardModifiers mods = key->modifiers();
    return key->key() == Qt::Key_F4 && mods.testFlag(Qt::AltModifier) &&
           !mods.testFlag(Qt::ControlModifier);
}

class AltF4Block : public QObject {
public:
    explicit AltF4Block(QObject* parent) : QObject(parent) { setObjectName("AltF4Block"); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::ShortcutOverride:
            // Accepting the override keeps any shortcut from acting on the key; the key press
            // that follows is swallowed below.
            if (isAltF4(event)) {
                event->accept();
                return true;
            }
            break;
        case QEvent::KeyPress:
            if (isAltF4(event)) {
                messages::showMessage(
                    QStringLiteral("Tecla ALT+F4 foi bloqueada pelo administrador."));
                return true;
            }
            break;
        case QEvent::KeyRelease:
            if (isAltF4(event))
                return true;
            break;
        default:
            break;
        }
        return QObject::eventFilter(watched, event);
    }
};

QPointer<AltF4Block>& installed() {
    static QPointer<AltF4Block> block;
    return block;
}

} // namespace

void installAltF4Block() {
    if (installed() || !qApp)
        return;
    installed() = new AltF4Block(qApp);
    qApp->installEventFilter(installed());
}

bool altF4BlockInstalled() {
    return !installed().isNull();
}

} // namespace corvalen
