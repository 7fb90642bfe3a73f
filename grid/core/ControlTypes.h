#pragma once

// The control library's small types that the grid's editors and its host
// talk in: virtual key codes, the shift state of key and mouse events,
// alignment, character case, scroll-bar style and cursor numbers. Keys keep
// the platform's numbering because the grid's keyboard rules are written
// against it; the widgets translate Qt's keys at their edge.

#include <cstdint>

namespace grid {

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

// One typed character, a whole code point: a character beyond the basic
// plane comes as two UTF-16 units and must reach the search, the editors and
// the program's handlers as one, never in halves.
using TChar = char32_t;

// A character the user typed, as against a control character: every code
// point from 32 on except DEL and the C1 controls U+0080-U+009F. The 8-bit
// platform took 32-255, the letters of the user's code page; in Unicode the
// same letters lie anywhere, while 127-159 are controls. A lone surrogate is
// no character at all.
constexpr bool IsTypedChar(TChar c)
{
    return c >= 32 && c != 127 && !(c >= 0x80 && c <= 0x9F) && !(c >= 0xD800 && c <= 0xDFFF) && c <= 0x10FFFF;
}

// Virtual key codes. Letters and digits are their upper-case ASCII codes.
using TKey = uint16_t;
constexpr TKey VK_BACK = 0x08;
constexpr TKey VK_TAB = 0x09;
constexpr TKey VK_RETURN = 0x0D;
constexpr TKey VK_SHIFT = 0x10;
constexpr TKey VK_CONTROL = 0x11;
constexpr TKey VK_MENU = 0x12;
constexpr TKey VK_ESCAPE = 0x1B;
constexpr TKey VK_SPACE = 0x20;
constexpr TKey VK_PRIOR = 0x21;
constexpr TKey VK_NEXT = 0x22;
constexpr TKey VK_END = 0x23;
constexpr TKey VK_HOME = 0x24;
constexpr TKey VK_LEFT = 0x25;
constexpr TKey VK_UP = 0x26;
constexpr TKey VK_RIGHT = 0x27;
constexpr TKey VK_DOWN = 0x28;
constexpr TKey VK_INSERT = 0x2D;
constexpr TKey VK_DELETE = 0x2E;
constexpr TKey VK_APPS = 0x5D;
constexpr TKey VK_ADD = 0x6B;      // "+" of the numeric keypad
constexpr TKey VK_SUBTRACT = 0x6D; // "-" of the numeric keypad
constexpr TKey VK_F1 = 0x70;
constexpr TKey VK_F2 = 0x71;
constexpr TKey VK_F10 = 0x79;

// Scroll requests of a scroll bar; the vertical names serve the horizontal
// bar too (line up = line left, top = left end).
constexpr int SB_LINEUP = 0;
constexpr int SB_LINEDOWN = 1;
constexpr int SB_PAGEUP = 2;
constexpr int SB_PAGEDOWN = 3;
constexpr int SB_THUMBPOSITION = 4;
constexpr int SB_THUMBTRACK = 5;
constexpr int SB_TOP = 6;
constexpr int SB_BOTTOM = 7;

enum TAlignment : uint8_t { taLeftJustify, taRightJustify, taCenter };
enum TEditCharCase : uint8_t { ecNormal, ecUpperCase, ecLowerCase };
enum TScrollBarStyle : uint8_t { ssRegular, ssFlat, ssHotTrack };

enum TMouseButton : uint8_t { mbLeft, mbRight, mbMiddle };

using TCursor = int16_t;
constexpr TCursor crDefault = 0;
constexpr TCursor crArrow = -2;
constexpr TCursor crIBeam = -4;
constexpr TCursor crDrag = -12;
constexpr TCursor crHSplit = -14;
constexpr TCursor crVSplit = -15;

} // namespace grid
