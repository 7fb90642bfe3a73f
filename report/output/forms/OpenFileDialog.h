#pragma once

// The window layer's answer when the model asks for a file to open: a file
// dialog of Qt's own widgets (the same on every desktop, and one a test can
// drive), run through the program's modal wait.

#include <QString>

namespace report {

// The chosen path, or an empty text when the user cancels.
QString ppExecOpenFileDialog(const QString &aFilter);

} // namespace report
