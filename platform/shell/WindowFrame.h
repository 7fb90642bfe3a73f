#pragma once

// The frame a window manager puts around a top-level window. Stored window
// bounds include it, but Qt learns its size only after the window manager
// has framed the window; a window placed by its outer bounds before it is
// shown needs to know it earlier, or it grows by the frame at every start.

#include <QMargins>
#include <QRect>
#include <QSize>

class QWidget;

namespace shell {

// The margins the window manager's frame adds around a top-level window, as
// the platform states them, also before the window first shows. Under X11
// the window manager is asked for them when the window has not been framed
// yet (one that follows the desktop standards answers before the window is
// shown). A window without a native window yet is not given one, as that
// would change where Qt puts it: a stand-in of the same kind is asked about.
// Zero for child widgets and where nothing frames the window, or when the
// window manager does not answer within a second.
QMargins frameMargins(QWidget *window);

// A top-level window's bounds including its frame, also while it is hidden or
// not framed yet: then the position is the one Qt keeps (for a top-level
// window that is the frame's), and the size is grown by frameMargins().
QRect outerGeometry(QWidget *window);

// Resizes a top-level window so that its outer size becomes `size`.
void resizeOuter(QWidget *window, const QSize &size);

} // namespace shell
