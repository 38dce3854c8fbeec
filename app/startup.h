#pragma once
// The program's start-up: creates every window and the data module in their fixed order,
// runs the event loop and destroys everything when the main window closes.

namespace corvalen {

// Creates the start-up instances in order (main window first, login second, Dm2 third), after
// setting the process's file modes for the shared data folder and checking that the account
// may work in it (a message when it may not; the database is then opened only when readable).
void createWindows();
// Shows the main window maximised; once it is on screen it runs the login modally.
void showMainWindow();
// Destroys them in reverse order.
void destroyWindows();

int runProgram(int argc, char** argv);

} // namespace corvalen
