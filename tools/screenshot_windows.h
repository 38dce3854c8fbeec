#pragma once
// The windows the screenshot tool renders, in start-up order. Each entry creates (or returns the
// start-up instance of) a window; prepare, when set, puts it into a state worth looking at.

#include <QString>
#include <QWidget>
#include <functional>
#include <vector>

namespace corvalen {

struct ScreenshotWindow {
    QString className;
    std::function<QWidget*()> create;
    std::function<void(QWidget*)> prepare = {};
    bool destroy = false; // a per-use instance made for the picture
};

std::vector<ScreenshotWindow> screenshotWindows();

} // namespace corvalen
