#include "platform/shell.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QProcess>
#include <QUrl>

namespace corvalen::platform {

namespace {
std::function<void(const QString&)>& openHook() {
    static std::function<void(const QString&)> h;
    return h;
}
std::function<void(const QString&)>& startHook() {
    static std::function<void(const QString&)> h;
    return h;
}
std::function<void()>& endHook() {
    static std::function<void()> h;
    return h;
}
} // namespace

void shellOpen(const QString& path) {
    if (openHook()) {
        openHook()(path);
        return;
    }
    // xdg-open underneath; a missing file is the opener's concern, as on Windows.
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void startProgram(const QString& path) {
    if (startHook()) {
        startHook()(path);
        return;
    }
    QProcess::startDetached(path, {});
}

void endProgram() {
    if (endHook()) {
        endHook()();
        return;
    }
    // exit() leaves every running event loop, nested ones included, without sending close
    // events, so no window asks anything on the way out.
    QCoreApplication::exit(0);
}

void setShellOpenHook(std::function<void(const QString&)> h) {
    openHook() = std::move(h);
}

void setStartProgramHook(std::function<void(const QString&)> h) {
    startHook() = std::move(h);
}

void setEndProgramHook(std::function<void()> h) {
    endHook() = std::move(h);
}

} // namespace corvalen::platform
