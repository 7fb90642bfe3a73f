#pragma once

// The program's mouse cursors by number. The standard numbers (0 down to
// -22) are Qt's own shapes; other numbers are entries that a library
// registers at start-up and releases at shut-down.

#include "grid/core/ControlTypes.h"

#include <QCursor>

namespace grid {

// A registered entry, else the standard shape of the number, else the arrow.
QCursor CursorFor(TCursor number);
bool HasCursorEntry(TCursor number);
// Replaces an entry of that number.
void SetCursorEntry(TCursor number, const QCursor &cursor);
// False when there was none.
bool RemoveCursorEntry(TCursor number);

} // namespace grid
