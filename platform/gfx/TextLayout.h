#pragma once

// Line breaking, alignment, ellipsis and "&" prefixes of DrawText, computed
// apart from any device so that the result depends only on the measurer.

#include "platform/gfx/TextMeasurer.h"
#include "platform/rtl/Types.h"

#include <string>
#include <string_view>
#include <vector>

namespace gfx {

struct TextLine
{
    std::string text; // as shown: prefixes resolved, tabs expanded, ellipsis added
    int x = 0;        // left edge of the text
    int y = 0;        // top of the line
    int width = 0;
    // Position (from 0) in text of the character to underline, -1 for none.
    int underline = -1;
    // Tabs in text advance to the next multiple of tabWidth from x; 0: tabs
    // are ordinary characters.
    int tabWidth = 0;
};

struct TextLayout
{
    std::vector<TextLine> lines;
    // The rectangle DT_CALCRECT reports.
    rtl::TRect calcRect;
    // What DrawText answers: the height of the text, or, with DT_VCENTER or
    // DT_BOTTOM on a single line, the offset from the rectangle's top to the
    // bottom of the text.
    int result = 0;
    int lineHeight = 0;
};

TextLayout LayoutText(const TextMeasurer &measurer, const Font &font, std::string_view text, const rtl::TRect &rect,
                      unsigned format);

// Strips "&" prefixes: "&&" gives "&", "&x" gives x and reports its position.
// Answers the shown text; underline receives the index or -1.
std::string StripPrefixes(std::string_view text, int *underline = nullptr);

} // namespace gfx
