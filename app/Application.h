#pragma once

// The program's run from start to end, apart from the process entry itself,
// so that tests can start the program as a user would.

class QApplication;

namespace app {

// Sets the application's title, registers the component libraries, creates
// the main window, runs its start-up and, when that says so, the event loop.
// Returns the process exit code.
int RunZarvello(QApplication &app);

} // namespace app
