#pragma once

// Line breaking, alignment, ellipsis and "&" prefixes of DrawText, computed
// apart from any device so that the result depends only on the measurer.

#include "platform/gfx/TextMeasurer.h"
#include "platform/rtl/Types.h"

#include <QString>
#include <QStringView>

#include <string>
#include <string_view>
#include <vector>

namespace gfx {

struct TextLine
{
    QString text; // as shown: prefixes resolved, ellipsis added
    int x = 0;    // left edge of the text
    int y = 0;    // top of the line
    int width = 0;
    // Position (from 0, in UTF-16 units) in text of the character to
    // underline, -1 for none.
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

TextLayout LayoutText(const TextMeasurer &measurer, const Font &font, QStringView text, const rtl::TRect &rect,
                      unsigned format);

// Strips "&" prefixes: "&&" gives "&", "&x" gives x and reports its position.
// Answers the shown text; underline receives the index or -1.
QString StripPrefixes(QStringView text, int *underline = nullptr);
std::string StripPrefixes(std::string_view text, int *underline = nullptr); // Windows-1252

// The length in UTF-16 units of the character that starts at pos: 2 for a
// surrogate pair, else 1; 0 at the end.
qsizetype CharLength(QStringView text, qsizetype pos);

} // namespace gfx
