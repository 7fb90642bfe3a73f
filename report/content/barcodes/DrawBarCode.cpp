#include "report/content/barcodes/DrawBarCode.h"

#include "report/model/base/Units.h"
#include "report/model/forms/DialogServices.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/gfx/Canvas.h"

#include <QCoreApplication>
#include <QImage>

#include <algorithm>
#include <cmath>

namespace report {

const classes::TMetaClass &TppDrawBarCode::StaticClass()
{
    using C = TppDrawBarCode;
    static const classes::TMetaClass meta =
        classes::MakeClass<C, TppDrawCommand>("TppDrawBarCode", [](classes::TClassBuilder<C> &c) {
            c.String("AddOnCode", &C::AddOnCode, &C::SetAddOnCode);
            c.Boolean("AutoEncode", &C::AutoEncode, &C::SetAutoEncode).Default(false);
            c.Boolean("AutoSize", &C::AutoSize, &C::SetAutoSize).Default(true);
            c.Boolean("AutoSizeFont", &C::AutoSizeFont, &C::SetAutoSizeFont).Default(true);
            c.Enum("BarCodeType", EnumInfo<TppBarCodeType>(), &C::BarCodeType, &C::SetBarCodeType);
            c.Integer("BarColor", &C::BarColor, &C::SetBarColor);
            c.Integer("BarWidth", &C::BarWidth, &C::SetBarWidth);
            c.Boolean("BearerBars", &C::BearerBars, &C::SetBearerBars).Default(false);
            c.Boolean("CalcCheckDigit", &C::CalcCheckDigit, &C::SetCalcCheckDigit).Default(true);
            c.Integer("Color", &C::Color, &C::SetColor);
            c.String("Data", &C::Data, &C::SetData);
            c.Object("Font", &C::Font, &C::SetFont);
            c.Enum("Alignment", classes::AlignmentInfo(), &C::Alignment, &C::SetAlignment)
                .Default(classes::TAlignment::taLeftJustify);
            c.Enum("Orientation", EnumInfo<TppBarCodeOrientation>(), &C::Orientation, &C::SetOrientation)
                .Default(TppBarCodeOrientation::orLeftToRight);
            c.Boolean("PrintHumanReadable", &C::PrintHumanReadable, &C::SetPrintHumanReadable).Default(true);
            c.Boolean("Transparent", &C::Transparent, &C::SetTransparent).Default(false);
            c.Single("WideBarRatio", &C::WideBarRatio, &C::SetWideBarRatio);
            c.Boolean("CodeOK", &C::CodeOK, &C::SetCodeOK).Default(true);
        });
    return meta;
}

// ---- The painter ------------------------------------------------------------

// Draws one symbol. Every position is worked out in symbol space (x along
// the bars, y across them, origin top-left) and mapped to the canvas for the
// orientation, so the four directions are exact rotations of one drawing.
class BarCodePainter
{
public:
    BarCodePainter(TppDrawBarCode &aCommand, gfx::Canvas *aCanvas, int aLeft, int aTop, rtl::TPoint aResolution)
        : cmd(aCommand)
        , canvas(aCanvas)
        , x0(aLeft)
        , y0(aTop)
        , resolution(aResolution)
    {}

    void run(bool aDraw);

private:
    using T = TppBarCodeType;

    bool upcEAN() const { return ppIsUPCEANType(cmd.m_barCodeType); }
    int verticalResolution() const { return resolution.Y > 0 ? resolution.Y : 96; }
    void fitFont();
    int textWidth(const QString &aText) const { return canvas->TextWidth(QStringView(aText)); }
    int textHeightOfZero() const { return canvas->TextHeight(QStringView(u"0")); }
    void setFontSize(int aSize);
    rtl::TRect mapRect(int64_t l, int64_t t, int64_t r, int64_t b) const;
    rtl::TPoint mapPoint(int64_t x, int64_t y) const;
    void fill(int64_t l, int64_t t, int64_t r, int64_t b, rtl::TColor aColor);
    void text(int64_t x, int64_t y, const QString &aText);
    void drawBars();
    void drawHumanReadable();
    void drawAddOn();

    TppDrawBarCode &cmd;
    gfx::Canvas *canvas;
    int x0, y0;
    rtl::TPoint resolution;
    int64_t n = 0, q = 0, W = 0, H = 0, B = 0, mw = 0;
    int textHeight = 0;
    int angle = 0;
    bool vertical = false;
};

rtl::TRect BarCodePainter::mapRect(int64_t l, int64_t t, int64_t r, int64_t b) const
{
    const int64_t wc = vertical ? H : W, hc = vertical ? W : H;
    int64_t L = l, Tp = t, R = r, Bm = b;
    switch (cmd.m_orientation) {
    case TppBarCodeOrientation::orLeftToRight: break;
    case TppBarCodeOrientation::orRightToLeft: L = wc - r, Tp = hc - b, R = wc - l, Bm = hc - t; break;
    case TppBarCodeOrientation::orTopToBottom: L = wc - b, Tp = l, R = wc - t, Bm = r; break;
    case TppBarCodeOrientation::orBottomToTop:
        // Pixel x of the symbol lands on row hc - 1 - x, so [l, r) covers
        // rows [hc - r, hc - l): the rotation stays inside the symbol's box.
        L = t, Tp = hc - r, R = b, Bm = hc - l;
        break;
    }
    auto clampInt = [](int64_t v) { return int(std::clamp<int64_t>(v, INT32_MIN / 2, INT32_MAX / 2)); };
    return {clampInt(x0 + L), clampInt(y0 + Tp), clampInt(x0 + R), clampInt(y0 + Bm)};
}

rtl::TPoint BarCodePainter::mapPoint(int64_t x, int64_t y) const
{
    const int64_t wc = vertical ? H : W, hc = vertical ? W : H;
    int64_t px = x, py = y;
    switch (cmd.m_orientation) {
    case TppBarCodeOrientation::orLeftToRight: break;
    case TppBarCodeOrientation::orRightToLeft: px = wc - 1 - x, py = hc - y; break;
    case TppBarCodeOrientation::orTopToBottom: px = wc - y, py = x; break;
    case TppBarCodeOrientation::orBottomToTop: px = y, py = hc - x - 1; break;
    }
    return {int(std::clamp<int64_t>(x0 + px, INT32_MIN / 2, INT32_MAX / 2)),
            int(std::clamp<int64_t>(y0 + py, INT32_MIN / 2, INT32_MAX / 2))};
}

void BarCodePainter::fill(int64_t l, int64_t t, int64_t r, int64_t b, rtl::TColor aColor)
{
    if (r <= l || b <= t)
        return;
    gfx::Brush brush;
    brush.color = aColor;
    canvas->FillRect(mapRect(l, t, r, b), brush);
}

void BarCodePainter::text(int64_t x, int64_t y, const QString &aText)
{
    if (aText.isEmpty())
        return;
    const rtl::TPoint p = mapPoint(x, y);
    canvas->ExtTextOut(p.X, p.Y, 0, nullptr, QStringView(aText));
}

void BarCodePainter::setFontSize(int aSize)
{
    gfx::Font f = canvas->font();
    f.size = std::max(aSize, 1);
    f.height = 0;
    canvas->setFont(f);
}

void BarCodePainter::fitFont()
{
    const int64_t s0 = ppRound(double(H) * ppScreenPixelsPerInch() / verticalResolution());
    if (cmd.m_barCodeType == T::bcPostnet) {
        setFontSize(int(std::min<int64_t>(s0 / 2, 4096)));
        return;
    }
    double f = 0.25;
    if (upcEAN())
        f = 0.2;
    else if (cmd.m_barCodeType == T::bcInt2of5)
        f = 0.15;
    const int start = int(std::clamp<int64_t>(ppRound(double(s0) * f), 1, 4096));
    const QString zero = QStringLiteral("0");
    auto tooWide = [&](int size) {
        setFontSize(size);
        const int64_t tw = textWidth(zero);
        switch (cmd.m_barCodeType) {
        case T::bcUPC_A: return 5 * tw > 36 * mw;
        case T::bcUPC_E: return 6 * tw > 42 * mw;
        case T::bcEAN_13: return textWidth(QStringLiteral("000000")) > 42 * mw;
        case T::bcEAN_8: return textWidth(QStringLiteral("0000")) > 28 * mw;
        default: return tw * cmd.m_data.size() > W;
        }
    };
    // Widths grow with the size, so the largest size that fits is found by
    // halving instead of stepping down one point at a time.
    int size = start;
    if (size > 1 && tooWide(size)) {
        int lo = 1, hi = size - 1;
        while (lo < hi) {
            const int mid = lo + (hi - lo + 1) / 2;
            if (tooWide(mid))
                hi = mid - 1;
            else
                lo = mid;
        }
        size = lo;
    }
    setFontSize(size);
}

void BarCodePainter::run(bool aDraw)
{
    vertical = cmd.IsVertical();
    n = cmd.m_columns.size();
    BarCodeLayout layout;
    layout.BarCodeType = cmd.m_barCodeType;
    layout.Orientation = cmd.m_orientation;
    layout.BarWidth = cmd.m_barWidth;
    layout.AutoSize = cmd.m_autoSize;
    layout.mmHeight = cmd.Height();
    layout.mmWidth = cmd.Width();
    layout.HorizontalResolution = resolution.X;
    layout.VerticalResolution = resolution.Y;
    const BarCodeGeometry g = MeasureBarCode(layout, n, cmd.m_addOnColumns.size());
    q = g.QuietZone;
    W = g.Width;
    H = g.Height;
    mw = g.ModuleWidth;

    gfx::Font font = cmd.m_font->Font();
    font.size = std::max(cmd.m_font->Size(), 1);
    font.height = 0;
    font.orientation = 0;
    canvas->setFont(font);
    if (cmd.m_autoSizeFont && cmd.m_codeOK) {
        fitFont();
        cmd.m_font->SetSize(canvas->font().size);
    }
    textHeight = textHeightOfZero();
    B = H;
    if (cmd.m_printHumanReadable) {
        if (cmd.m_autoSize)
            H += textHeight;
        else
            B = H - textHeight;
    }
    cmd.m_symbolWidth = W;
    cmd.m_symbolHeight = H;
    cmd.m_quietZone = q;
    cmd.m_textOverhang = 0;
    const bool upcA = cmd.m_barCodeType == T::bcUPC_A;
    if (cmd.m_printHumanReadable && cmd.m_codeOK && (upcA || cmd.m_barCodeType == T::bcUPC_E)) {
        const int tw = textWidth(QStringLiteral("0"));
        const int size = canvas->font().size;
        setFontSize(size - 2);
        const int64_t right = q + (upcA ? 95 : 51) * mw + tw + textWidth(cmd.m_data.mid(upcA ? 11 : 6, 1));
        setFontSize(size);
        cmd.m_textOverhang = std::max<int64_t>(0, right - W);
    }
    if (!aDraw)
        return;

    switch (cmd.m_orientation) {
    case TppBarCodeOrientation::orLeftToRight: angle = 0; break;
    case TppBarCodeOrientation::orRightToLeft: angle = 180; break;
    case TppBarCodeOrientation::orTopToBottom: angle = 270; break;
    case TppBarCodeOrientation::orBottomToTop: angle = 90; break;
    }
    if (!cmd.m_transparent)
        fill(0, 0, W, H, cmd.m_color);
    if (!cmd.m_codeOK)
        return;
    drawBars();
    if (cmd.m_bearerBars) {
        fill(0, 0, W, 3 * mw, cmd.m_barColor);
        fill(0, B - 3 * mw, W, B, cmd.m_barColor);
    }
    gfx::Font textFont = canvas->font();
    textFont.color = cmd.m_barColor;
    textFont.orientation = angle * 10;
    canvas->setFont(textFont);
    const gfx::BkMode oldMode = canvas->setBkMode(gfx::BkMode::Transparent);
    if (cmd.m_printHumanReadable)
        drawHumanReadable();
    if (!cmd.m_addOnColumns.empty())
        drawAddOn();
    canvas->setBkMode(oldMode);
}

void BarCodePainter::drawBars()
{
    const std::string_view columns = cmd.m_columns.view();
    const bool postnet = cmd.m_barCodeType == T::bcPostnet;
    // UPC/EAN bars reach into the text band; its boxes cut them back except
    // at the guards.
    const int64_t low = upcEAN() ? B - mw + (H - B) / 2 : B;
    const int64_t shortTop = B - ppRound(double(B) * 0.4);
    int64_t x = q;
    for (size_t i = 0; i < columns.size();) {
        size_t j = i + 1;
        while (j < columns.size() && columns[j] == columns[i])
            ++j;
        const int64_t run = int64_t(j - i);
        if (x > W)
            break;
        const char c = columns[i];
        if (postnet) {
            if (c == '2')
                fill(x, 0, x + run, B, cmd.m_barColor);
            else if (c == '1')
                fill(x, shortTop, x + run, B, cmd.m_barColor);
        } else if (c == '1') {
            fill(x, 0, x + run, low, cmd.m_barColor);
        }
        x += run;
        i = j;
    }
}

void BarCodePainter::drawHumanReadable()
{
    const int64_t top = B;
    const int tw = textWidth(QStringLiteral("0"));
    const QString &data = cmd.m_data;
    auto box = [&](int64_t from, int64_t to) { fill(q + from * mw, top, q + to * mw, top + textHeight, cmd.m_color); };
    auto smallerBy2 = [&](const std::function<void(int64_t y)> &draw) {
        const int size = canvas->font().size;
        setFontSize(size - 2);
        draw(top + std::abs(gfx::Font::heightFromSize(canvas->font().size, verticalResolution())) / 2);
        setFontSize(size);
    };
    switch (cmd.m_barCodeType) {
    case T::bcUPC_A:
        box(10, 45);
        text(q + 10 * mw, top + mw, data.mid(1, 5));
        box(50, 85);
        text(q + 50 * mw, top + mw, data.mid(6, 5));
        smallerBy2([&](int64_t y) {
            text(1, y, data.left(1));
            text(q + 95 * mw + tw, y, data.mid(11, 1));
        });
        break;
    case T::bcUPC_E:
        box(3, 45);
        text(q + 3 * mw, top + mw, data.left(6));
        smallerBy2([&](int64_t y) {
            text(1, y, QStringLiteral("0"));
            text(q + 51 * mw + tw, y, data.mid(6, 1));
        });
        break;
    case T::bcEAN_13:
        box(3, 45);
        text(q + 3 * mw, top, data.mid(1, 6));
        box(50, 92);
        text(q + 50 * mw, top, data.mid(7, 6));
        text(1, top, data.left(1));
        break;
    case T::bcEAN_8:
        box(3, 31);
        text(q + 3 * mw, top, data.left(4));
        box(36, 64);
        text(q + 36 * mw, top, data.mid(4, 4));
        break;
    case T::bcFIM: break;
    default: {
        QString shown = data;
        if (cmd.m_barCodeType == T::bcCode128)
            shown.removeIf([](QChar c) { return c.unicode() < 32 || c.unicode() > 126; });
        const int64_t width = textWidth(shown);
        int64_t x = 0;
        if (cmd.m_alignment == classes::TAlignment::taRightJustify)
            x = W - width;
        else if (cmd.m_alignment == classes::TAlignment::taCenter)
            x = (W - width) / 2;
        text(x, top, shown);
        break;
    }
    }
}

void BarCodePainter::drawAddOn()
{
    const std::string_view columns = cmd.m_addOnColumns.view();
    const int64_t start = q + n + 9 * mw;
    for (size_t i = 0; i < columns.size(); ++i)
        if (columns[i] == '1')
            fill(start + int64_t(i), textHeight, start + int64_t(i) + 1, B, cmd.m_barColor);
    if (cmd.m_printHumanReadable)
        text(start + int64_t(columns.size()) - textWidth(cmd.m_addOnCode), 0, cmd.m_addOnCode);
}

// ---- The draw command -------------------------------------------------------

TppDrawBarCode::TppDrawBarCode(classes::TComponent *aOwner)
    : TppDrawCommand(aOwner)
    , m_font(std::make_unique<TppFont>())
{}

TppDrawBarCode::~TppDrawBarCode() = default;

void TppDrawBarCode::SetFont(const classes::TFont *aFont)
{
    if (aFont && aFont != m_font.get())
        m_font->Assign(aFont);
}

bool TppDrawBarCode::IsVertical() const
{
    return m_orientation == TppBarCodeOrientation::orTopToBottom ||
           m_orientation == TppBarCodeOrientation::orBottomToTop;
}

void TppDrawBarCode::Assign(const classes::TPersistent *source)
{
    TppDrawCommand::Assign(source);
    const auto *other = dynamic_cast<const TppDrawBarCode *>(source);
    if (!other)
        return;
    m_addOnCode = other->m_addOnCode;
    m_autoEncode = other->m_autoEncode;
    m_autoSize = other->m_autoSize;
    m_autoSizeFont = other->m_autoSizeFont;
    m_barCodeType = other->m_barCodeType;
    m_barColor = other->m_barColor;
    m_barWidth = other->m_barWidth;
    m_bearerBars = other->m_bearerBars;
    m_calcCheckDigit = other->m_calcCheckDigit;
    m_color = other->m_color;
    m_data = other->m_data;
    m_font->Assign(other->m_font.get());
    m_alignment = other->m_alignment;
    m_orientation = other->m_orientation;
    m_printHumanReadable = other->m_printHumanReadable;
    m_transparent = other->m_transparent;
    m_wideBarRatio = other->m_wideBarRatio;
    m_codeOK = other->m_codeOK;
}

void TppDrawBarCode::Encode(int aResolution)
{
    BarCodeSymbol symbol;
    symbol.BarCodeType = m_barCodeType;
    symbol.Data = m_data;
    symbol.AddOnCode = m_addOnCode;
    symbol.AutoEncode = m_autoEncode;
    symbol.CalcCheckDigit = m_calcCheckDigit;
    symbol.BarWidth = m_barWidth;
    symbol.WideBarRatio = m_wideBarRatio;
    symbol.CodeOK = m_codeOK;
    BarCodeError error;
    EncodeBarCode(symbol, aResolution, m_columns, &error);
    m_data = symbol.Data;
    m_codeOK = symbol.CodeOK;
    if (!m_codeOK && error.Message != 0)
        ReportError(error.Text);
    EncodeAddOn(symbol, aResolution, m_addOnColumns);
}

void TppDrawBarCode::ReportError(const QString &aMessage)
{
    if (m_quietPrinting || m_errorReported)
        return;
    m_errorReported = true;
    // Drawing may run inside a paint event, where a modal box must not open:
    // the box waits for the event loop.
    if (QCoreApplication *app = QCoreApplication::instance())
        QMetaObject::invokeMethod(
            app, [aMessage] { ppShowMessage(aMessage, TppMessageKind::Information); }, Qt::QueuedConnection);
    else
        ppShowMessage(aMessage, TppMessageKind::Information);
}

void TppDrawBarCode::RenderBarCode(gfx::Canvas *aCanvas, int aLeft, bool aDraw, rtl::TPoint aResolution, int aTop)
{
    if (!aCanvas)
        return;
    BarCodePainter(*this, aCanvas, aLeft, aTop, aResolution).run(aDraw);
}

void TppDrawBarCode::CalculateSize(gfx::Canvas &aCanvas, rtl::TPoint aResolution)
{
    Encode(aResolution.X);
    RenderBarCode(&aCanvas, 0, false, aResolution, 0);
}

bool TppDrawBarCode::DrawToPrinter(gfx::Canvas &aCanvas, const rtl::TRect &aDrawRect, rtl::TPoint aResolution)
{
    m_quietPrinting = true;
    Encode(IsVertical() ? aResolution.Y : aResolution.X);
    aCanvas.SaveDC();
    RenderBarCode(&aCanvas, aDrawRect.Left, true, aResolution, aDrawRect.Top);
    aCanvas.RestoreDC();
    m_quietPrinting = false;
    return true;
}

namespace {
// A bitmap larger than this (a symbol of a million columns auto-sized to a
// quarter of its length) is not made: nothing is drawn, as for invalid data.
constexpr int64_t kBarCodeMaxBitmapPixels = int64_t(1) << 26;
} // namespace

bool TppDrawBarCode::DrawToScreen(gfx::Canvas &aCanvas, int aScreenPixelsPerInch,
                                  const std::function<rtl::TRect()> &aCalcDrawRect)
{
    const rtl::TPoint resolution{aScreenPixelsPerInch, aScreenPixelsPerInch};
    Encode(aScreenPixelsPerInch);
    aCanvas.SaveDC();
    RenderBarCode(&aCanvas, 0, false, resolution, 0);
    aCanvas.RestoreDC();
    int64_t w = m_symbolWidth, h = m_symbolHeight;
    if (IsVertical())
        std::swap(w, h);
    auto setDrawRect = [this](const rtl::TRect &aRect) {
        SetDrawLeft(aRect.Left);
        SetDrawTop(aRect.Top);
        SetDrawRight(aRect.Right);
        SetDrawBottom(aRect.Bottom);
    };
    setDrawRect({0, 0, int(std::clamp<int64_t>(w, 0, INT32_MAX)), int(std::clamp<int64_t>(h, 0, INT32_MAX))});
    // The zoomed rectangle is where the command stands for clicks too.
    const rtl::TRect target = aCalcDrawRect ? aCalcDrawRect() : DrawRect();
    setDrawRect(target);
    if (w <= 0 || h <= 0 || w * h > kBarCodeMaxBitmapPixels)
        return true;
    // The small last digit of UPC-A and UPC-E stands past the symbol (paper
    // shows it): the bitmap grows by it on the side the orientation puts it,
    // and the target grows in the same proportion.
    const int64_t overhang = std::min<int64_t>(m_textOverhang, IsVertical() ? h : w);
    rtl::TRect symbolPart{0, 0, int(w), int(h)};
    rtl::TRect grown = target;
    int64_t bw = w, bh = h;
    int left = 0, top = 0;
    if (overhang > 0) {
        const int sx = int(ppRound(double(overhang) * target.Width() / double(w)));
        const int sy = int(ppRound(double(overhang) * target.Height() / double(h)));
        switch (m_orientation) {
        case TppBarCodeOrientation::orLeftToRight: bw += overhang, grown.Right += sx; break;
        case TppBarCodeOrientation::orRightToLeft: bw += overhang, left = int(overhang), grown.Left -= sx; break;
        case TppBarCodeOrientation::orTopToBottom: bh += overhang, grown.Bottom += sy; break;
        case TppBarCodeOrientation::orBottomToTop: bh += overhang, top = int(overhang), grown.Top -= sy; break;
        }
        symbolPart = {left, top, left + int(w), top + int(h)};
    }
    QImage bitmap(int(bw), int(bh), QImage::Format_RGB32);
    if (bitmap.isNull())
        return true;
    // A transparent symbol paints no background of its own; white is what
    // the AND combination lets the page show through.
    bitmap.fill(Qt::white);
    const int dotsPerMeter = qRound(aScreenPixelsPerInch / 0.0254);
    bitmap.setDotsPerMeterX(dotsPerMeter);
    bitmap.setDotsPerMeterY(dotsPerMeter);
    {
        gfx::Canvas bitmapCanvas(&bitmap);
        RenderBarCode(&bitmapCanvas, left, true, resolution, top);
    }
    const gfx::RasterOp rop = m_transparent ? gfx::RasterOp::SrcAnd : gfx::RasterOp::SrcCopy;
    if (overhang <= 0) {
        aCanvas.StretchDraw(target, bitmap, rop);
        return true;
    }
    // Outside the symbol only the digit is drawn, as on paper: the white
    // around it lets the page show through.
    aCanvas.StretchDraw(grown, bitmap, gfx::RasterOp::SrcAnd);
    if (!m_transparent)
        aCanvas.StretchDraw(target, bitmap.copy(symbolPart.Left, symbolPart.Top, int(w), int(h)), rop);
    return true;
}

} // namespace report
