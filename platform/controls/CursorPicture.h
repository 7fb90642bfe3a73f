#pragma once

// A picture of a standard cursor, for the places where Qt takes a cursor
// only as a picture (a drag's cursor). The picture is centred on the
// cursor's hot spot, because that is where Qt puts the mouse in a picture
// cursor; the system's own cursors cannot be read back as pictures.

#include "platform/controls/ControlTypes.h"

#include <QPixmap>

namespace controls {

QPixmap CursorPicture(TCursor cursor);

} // namespace controls
