#pragma once

// The text drawing that cells and editors share. It has a flag word of its
// own (the DTR_ values) and chooses between laying the text out (line
// breaks, ellipses, prefixes) and putting it down as one clipped run.

#include "platform/gfx/Canvas.h"
#include "platform/rtl/Types.h"

#include <QStringView>

namespace grid {

// Horizontal alignment, the two low bits.
constexpr unsigned DTR_LEFT = 0x0000;
constexpr unsigned DTR_CENTER = 0x0001;
constexpr unsigned DTR_RIGHT = 0x0002;
constexpr unsigned DTR_HALIGN = 0x0003;
// Vertical layout: 0x04 centred single line, 0x08 bottom single line, 0x10
// word-wrapped lines; any other value of the field is a top single line.
constexpr unsigned DTR_VCENTER = 0x0004;
constexpr unsigned DTR_BOTTOM = 0x0008;
constexpr unsigned DTR_WORDBREAK = 0x0010;
constexpr unsigned DTR_VLAYOUT = 0x001C;
constexpr unsigned DTR_END_ELLIPSIS = 0x0100;
constexpr unsigned DTR_PATH_ELLIPSIS = 0x0200;
constexpr unsigned DTR_FOCUSRECT = 0x0400;
// With DTR_FOCUSRECT: the focus rectangle hugs the text, and a text must be
// there for it.
constexpr unsigned DTR_FOCUS_ON_TEXT = 0x0800;
constexpr unsigned DTR_NOFILL = 0x1000;
constexpr unsigned DTR_PREFIX = 0x2000;
constexpr unsigned DTR_MEASURE = 0x4000;
constexpr unsigned DTR_KEEPBKMODE = 0x8000;

enum class TextRectPath { Layout, SingleRun };

// Layout when the flags ask for word breaks or prefixes, or when the text
// is too wide for its rectangle or holds a line break and an ellipsis or
// word breaks are asked for; otherwise one run.
TextRectPath ChooseTextRectPath(unsigned flags, int textRectWidth, int textWidth, bool hasLineBreak);

// Draws text in textRect and fills fillRect with brush (or, on the
// single-run path, with bkColor) around it. With DTR_MEASURE nothing is
// drawn and the answer is the height the text needs plus what fillRect has
// beyond textRect; lineHeight, when given, receives the line height. The
// canvas's font, text and background colours are as before afterwards.
int DrawTextRect(gfx::Canvas &canvas, QStringView text, const rtl::TRect &fillRect, const rtl::TRect &textRect,
                 unsigned flags, const gfx::Brush &brush, const gfx::Font &font, rtl::TColor bkColor,
                 rtl::TColor textColor, int *lineHeight = nullptr);

} // namespace grid
