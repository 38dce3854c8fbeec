#pragma once
// The program-wide block of Alt+F4: one filter on the application object sees every key event
// before any window, shortcut or dialog does, swallows Alt+F4 and says so in a plain message.
// It covers every window of the program and its own message boxes, modal loops included.
//
// It sees only what reaches the program: where a window manager binds Alt+F4 itself, the key
// never arrives and the manager asks the window to close instead, which the window's own close
// handling decides (the login window refuses; other windows close as from their close box).

namespace corvalen {

// Installs the filter on the application object; installing it again changes nothing.
void installAltF4Block();

// True once the filter is installed on the running application object.
bool altF4BlockInstalled();

} // namespace corvalen
