#pragma once

// The program's run from start to end, apart from the process entry itself,
// so that tests can start the program as a user would.

class QApplication;

namespace app {

// "Zarvello", the caption of every error the program reports; the windows
// keep the titles they give themselves.
void setApplicationTitle();

// Sets the application's title, registers the component libraries, creates
// the main window, runs its start-up and, when that says so, the event loop.
// Returns the process exit code.
int RunZarvello(QApplication &app);

} // namespace app
