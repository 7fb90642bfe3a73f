#pragma once

// The face the program's and the report library's windows were laid out for.

#include <QFont>

namespace controls {

// The forms were laid out for an 8-point sans-serif face (11 pixels at the
// usual 96 dots per inch); a wider face would run labels into their fields.
// A window laid out at fixed places keeps it whatever the application's
// font: a larger one would cut its texts.
QFont FormFont(int points = 8, bool bold = false);

} // namespace controls
