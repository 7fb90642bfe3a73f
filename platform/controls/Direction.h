#pragma once

// Windows and rows laid out for left-to-right reading at fixed places.

class QWidget;

namespace controls {

// Keeps the widget and the controls in it left to right whatever the
// application's layout direction: their places, and the direction their
// captions are laid out in. Qt's painters take the application's direction,
// not the widget's, so under a right-to-left application "< Back" would
// still show as "Back >". Call it once the controls exist.
void KeepLeftToRight(QWidget *widget);

} // namespace controls
