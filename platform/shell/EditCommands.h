#pragma once

// Clipboard and selection commands for whatever text control has the
// keyboard focus, as the Edit menu of a window sends them.

class QWidget;

namespace shell {

enum class EditCommand { Copy, Cut, Paste, Undo, SelectAll };

// Runs the command on the target, or on the focused widget when the target is
// null. Widgets that are not text controls ignore it. Returns whether a text
// control took the command.
bool sendEditCommand(EditCommand command, QWidget *target = nullptr);

// Removes the selection of a text control, puts the cursor at the start of
// the text and hides the cursor.
void hideSelection(QWidget *control);

} // namespace shell
