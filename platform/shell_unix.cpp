#include "platform/shell.h"

#include <QDesktopServices>
#include <QUrl>

namespace corvalen::platform {

namespace {
std::function<void(const QString&)>& hook() {
    static std::function<void(const QString&)> h;
    return h;
}
} // namespace

void shellOpen(const QString& path) {
    if (hook()) {
        hook()(path);
        return;
    }
    // xdg-open underneath; a missing file is the opener's concern, as on Windows.
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void setShellOpenHook(std::function<void(const QString&)> h) {
    hook() = std::move(h);
}

} // namespace corvalen::platform
