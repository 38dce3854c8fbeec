#pragma once
// Asking the desktop to open a file with its associated program. The answer is not examined.

#include <QString>
#include <functional>

namespace corvalen::platform {

void shellOpen(const QString& path);

// Tests replace the desktop with a recorder.
void setShellOpenHook(std::function<void(const QString&)> hook);

} // namespace corvalen::platform
