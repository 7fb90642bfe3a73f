#pragma once

// The class library's terms for a mouse event: the button and the shift
// state, with the keys and buttons held, as a control's events carry them.

#include <Qt>

#include <cstdint>
#include <optional>

namespace controls {

enum TMouseButton : uint8_t { mbLeft, mbRight, mbMiddle };

using TShiftState = unsigned;
enum : unsigned {
    ssShift = 0x01,
    ssAlt = 0x02,
    ssCtrl = 0x04,
    ssLeft = 0x08,
    ssRight = 0x10,
    ssMiddle = 0x20,
    ssDouble = 0x40,
};

// None for the buttons the class library has no name for.
std::optional<TMouseButton> MouseButtonOf(Qt::MouseButton button);
TShiftState ShiftStateOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons);

} // namespace controls
