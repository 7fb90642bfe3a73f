#pragma once

// The drawing objects a Canvas selects (font, pen, brush) and the flag words
// of its operations, with the values the component code is written against.

#include "platform/rtl/Colors.h"

#include <QImage>
#include <QString>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

class QFont;
class QPaintDevice;

namespace gfx {

// ---- Fonts ---------------------------------------------------------------

enum FontStyle : unsigned {
    fsBold = 1,
    fsItalic = 2,
    fsUnderline = 4,
    fsStrikeOut = 8,
};
using FontStyles = unsigned;

// A font's family name. Families are named in Unicode; callers on the byte
// side of the text model hand in and read back Windows-1252, so that form is
// kept beside the Unicode one (characters it cannot hold read as "?").
class FaceName
{
public:
    FaceName() = default;
    FaceName(QString text);
    FaceName(std::string_view bytes);
    FaceName(const std::string &bytes)
        : FaceName(std::string_view(bytes))
    {}
    FaceName(const char *bytes)
        : FaceName(std::string_view(bytes))
    {}

    const QString &text() const { return m_text; }
    const std::string &bytes() const { return m_bytes; }
    operator std::string_view() const { return m_bytes; }

    friend bool operator==(const FaceName &a, const FaceName &b) { return a.m_text == b.m_text; }
    friend bool operator==(const FaceName &a, const std::string &bytes) { return a == FaceName(bytes); }

private:
    QString m_text;
    std::string m_bytes;
};

struct Font
{
    FaceName name = "DejaVu Sans";
    // Size in points; used while height is 0.
    int size = 8;
    // Height in pixels when not 0: negative = character (em) height, positive
    // = cell height including the internal leading.
    int height = 0;
    FontStyles style = 0;
    rtl::TColor color = rtl::clWindowText;
    // Rotation of the base line in tenths of a degree, counter-clockwise.
    int orientation = 0;

    bool bold() const { return style & fsBold; }
    bool italic() const { return style & fsItalic; }
    // The pixel height a point size gives on a device of the given resolution
    // (negative: character height), as the class library converts it.
    static int heightFromSize(int points, int dpi);
    friend bool operator==(const Font &, const Font &) = default;
};

// A QFont for a device of the given vertical resolution (dots per inch).
QFont ToQFont(const Font &font, int dpiY);

// ---- Pens ----------------------------------------------------------------

enum class PenStyle { Solid, Dash, Dot, DashDot, DashDotDot, Clear, InsideFrame };
// Copy draws the pen colour, Xor combines it with the destination, Not
// inverts the destination whatever the colour.
enum class PenMode { Copy, Xor, Not };

struct Pen
{
    rtl::TColor color = rtl::clBlack;
    int width = 1;
    PenStyle style = PenStyle::Solid;
    PenMode mode = PenMode::Copy;
    friend bool operator==(const Pen &, const Pen &) = default;
};

// ---- Brushes -------------------------------------------------------------

// The order is that of the class library's brush style (bsSolid = 0 ...).
enum class BrushStyle { Solid, Clear, Horizontal, Vertical, FDiagonal, BDiagonal, Cross, DiagCross, Pattern };

// 8 x 8 monochrome pattern, one byte per row, bit 7 = leftmost pixel.
// A set bit is a "white" pixel and takes the background colour, a clear bit
// takes the text colour, as a monochrome pattern brush does.
using MonoPattern = std::array<std::uint8_t, 8>;

struct Brush
{
    rtl::TColor color = rtl::clWhite;
    BrushStyle style = BrushStyle::Solid;
    // For BrushStyle::Pattern: a colour bitmap (its top-left 8 x 8 pixels)
    // when not null, else the monochrome pattern.
    MonoPattern pattern{};
    QImage bitmap;

    static Brush solid(rtl::TColor color) { return Brush{color, BrushStyle::Solid, {}, {}}; }
    static Brush clear() { return Brush{rtl::clWhite, BrushStyle::Clear, {}, {}}; }
    static Brush hatch(BrushStyle style, rtl::TColor color) { return Brush{color, style, {}, {}}; }
    static Brush monoPattern(const MonoPattern &rows) { return Brush{rtl::clWhite, BrushStyle::Pattern, rows, {}}; }
    static Brush bitmapPattern(const QImage &image) { return Brush{rtl::clWhite, BrushStyle::Pattern, {}, image}; }
    // The 8 x 8 half-tone: black where x and y are both even or both odd.
    static Brush halftone();

    friend bool operator==(const Brush &a, const Brush &b)
    {
        return a.color == b.color && a.style == b.style && a.pattern == b.pattern && a.bitmap == b.bitmap;
    }
};

// ---- Flag words ----------------------------------------------------------

// DrawText
constexpr unsigned DT_TOP = 0x0;
constexpr unsigned DT_LEFT = 0x0;
constexpr unsigned DT_CENTER = 0x1;
constexpr unsigned DT_RIGHT = 0x2;
constexpr unsigned DT_VCENTER = 0x4;
constexpr unsigned DT_BOTTOM = 0x8;
constexpr unsigned DT_WORDBREAK = 0x10;
constexpr unsigned DT_SINGLELINE = 0x20;
constexpr unsigned DT_EXPANDTABS = 0x40;
constexpr unsigned DT_NOCLIP = 0x100;
constexpr unsigned DT_CALCRECT = 0x400;
constexpr unsigned DT_NOPREFIX = 0x800;
constexpr unsigned DT_EDITCONTROL = 0x2000;
constexpr unsigned DT_PATH_ELLIPSIS = 0x4000;
constexpr unsigned DT_END_ELLIPSIS = 0x8000;
constexpr unsigned DT_HIDEPREFIX = 0x100000;

// DrawEdge: edge kinds
constexpr unsigned BDR_RAISEDOUTER = 0x1;
constexpr unsigned BDR_SUNKENOUTER = 0x2;
constexpr unsigned BDR_RAISEDINNER = 0x4;
constexpr unsigned BDR_SUNKENINNER = 0x8;
constexpr unsigned BDR_OUTER = BDR_RAISEDOUTER | BDR_SUNKENOUTER;
constexpr unsigned BDR_INNER = BDR_RAISEDINNER | BDR_SUNKENINNER;
constexpr unsigned EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER;
constexpr unsigned EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER;
constexpr unsigned EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER;
constexpr unsigned EDGE_BUMP = BDR_RAISEDOUTER | BDR_SUNKENINNER;

// DrawEdge: flags
constexpr unsigned BF_LEFT = 0x1;
constexpr unsigned BF_TOP = 0x2;
constexpr unsigned BF_RIGHT = 0x4;
constexpr unsigned BF_BOTTOM = 0x8;
constexpr unsigned BF_TOPLEFT = BF_TOP | BF_LEFT;
constexpr unsigned BF_TOPRIGHT = BF_TOP | BF_RIGHT;
constexpr unsigned BF_BOTTOMLEFT = BF_BOTTOM | BF_LEFT;
constexpr unsigned BF_BOTTOMRIGHT = BF_BOTTOM | BF_RIGHT;
constexpr unsigned BF_RECT = BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM;
constexpr unsigned BF_DIAGONAL = 0x10;
constexpr unsigned BF_DIAGONAL_ENDTOPRIGHT = BF_DIAGONAL | BF_TOP | BF_RIGHT;
constexpr unsigned BF_DIAGONAL_ENDTOPLEFT = BF_DIAGONAL | BF_TOP | BF_LEFT;
constexpr unsigned BF_DIAGONAL_ENDBOTTOMLEFT = BF_DIAGONAL | BF_BOTTOM | BF_LEFT;
constexpr unsigned BF_DIAGONAL_ENDBOTTOMRIGHT = BF_DIAGONAL | BF_BOTTOM | BF_RIGHT;
constexpr unsigned BF_MIDDLE = 0x800;
constexpr unsigned BF_SOFT = 0x1000;
constexpr unsigned BF_ADJUST = 0x2000;
constexpr unsigned BF_FLAT = 0x4000;
constexpr unsigned BF_MONO = 0x8000;

// ExtTextOut
constexpr unsigned ETO_OPAQUE = 0x2;
constexpr unsigned ETO_CLIPPED = 0x4;

// DrawFrameControl
constexpr unsigned DFC_SCROLL = 3;
constexpr unsigned DFC_BUTTON = 4;
constexpr unsigned DFCS_SCROLLUP = 0x0;
constexpr unsigned DFCS_SCROLLDOWN = 0x1;
constexpr unsigned DFCS_SCROLLLEFT = 0x2;
constexpr unsigned DFCS_SCROLLRIGHT = 0x3;
constexpr unsigned DFCS_BUTTONPUSH = 0x10;
constexpr unsigned DFCS_INACTIVE = 0x100;
constexpr unsigned DFCS_PUSHED = 0x200;
constexpr unsigned DFCS_FLAT = 0x4000;

// Answers of the clipping operations.
constexpr int RGN_ERROR = 0;
constexpr int NULLREGION = 1;
constexpr int SIMPLEREGION = 2;
constexpr int COMPLEXREGION = 3;

enum class BkMode { Transparent, Opaque };

// Raster operations of BitBlt and StretchDraw (S = source, D = destination).
enum class RasterOp {
    SrcCopy,    // S
    SrcAnd,     // S and D
    SrcPaint,   // S or D
    SrcInvert,  // S xor D
    NotSrcCopy, // not S
    DstInvert,  // not D
    Blackness,
    Whiteness,
};

} // namespace gfx
