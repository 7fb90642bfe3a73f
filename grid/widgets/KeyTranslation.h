#pragma once

// Qt's keys in the platform's numbering that the grid's key rules use.

#include "grid/core/ControlTypes.h"

#include <QString>
#include <Qt>

class QKeyEvent;

namespace grid {

// The virtual key of the event; 0 for keys the rules know nothing of.
TKey VirtualKey(const QKeyEvent &event);
TShiftState ShiftState(Qt::KeyboardModifiers modifiers);
// The characters the key types, as the platform makes them: with Ctrl (and
// not Alt) a letter types its control character and nothing else is typed.
QString TypedCharacters(const QKeyEvent &event);

} // namespace grid
