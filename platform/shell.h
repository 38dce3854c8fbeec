#pragma once
// The desktop shell: opening a file with its associated program, starting another program of
// the suite, and ending this one. The outcome of what is started is not examined.

#include <QString>
#include <functional>

namespace corvalen::platform {

void shellOpen(const QString& path);

// Starts the program file at `path` in a process of its own, detached from this one, in the
// current directory (the program folder). A missing or unstartable program is not reported.
void startProgram(const QString& path);

// Ends this program at once: every event loop stops, and no window is asked whether it may
// close.
void endProgram();

// Tests replace the desktop with recorders.
void setShellOpenHook(std::function<void(const QString&)> hook);
void setStartProgramHook(std::function<void(const QString&)> hook);
void setEndProgramHook(std::function<void()> hook);

} // namespace corvalen::platform
