#pragma once

// The font of report objects: the class library's font, but stored by its
// point size rather than its pixel height, so that a report keeps its fonts
// whatever the resolution of the screen it was designed on.

#include "platform/classes/Graphics.h"

namespace report {

class TppFont : public classes::TFont
{
    ZVO_CLASS(TppFont)
public:
    TppFont() = default;
};

} // namespace report
