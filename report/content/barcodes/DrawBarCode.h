#pragma once

// TppDrawBarCode: a bar code on a page. It carries a copy of its control's
// settings, encodes its data into device pixel columns for one resolution and
// paints the symbol (bars, bearer bars, human-readable text, supplement) on a
// canvas. The printer and the screen device call DrawToPrinter and
// DrawToScreen from their own drawing of it.

#include "report/content/barcodes/BarCodeEncoders.h"
#include "report/model/base/Font.h"
#include "report/model/pages/DrawCommand.h"

#include "platform/classes/EnumTypes.h"
#include "platform/rtl/Types.h"

#include <functional>
#include <memory>

namespace gfx {
class Canvas;
}

namespace report {

class TppDrawBarCode : public TppDrawCommand
{
    ZVO_CLASS(TppDrawBarCode)
public:
    explicit TppDrawBarCode(classes::TComponent *aOwner = nullptr);
    ~TppDrawBarCode() override;

    // Every published value, CodeOK included; not the measure nor the
    // columns, which belong to the last encoding.
    void Assign(const classes::TPersistent *source) override;

    // ---- Drawing ----
    // On a printer canvas at its resolution (pixels per inch, X and Y), at
    // the top-left of aDrawRect; encoding errors stay silent meanwhile.
    bool DrawToPrinter(gfx::Canvas &aCanvas, const rtl::TRect &aDrawRect, rtl::TPoint aResolution);
    // At the screen's resolution into a bitmap of the symbol's own size. The
    // draw rectangle is set to that size first; aCalcDrawRect (the device's
    // zoom) then answers where on aCanvas the bitmap is stretched to (without
    // it: the draw rectangle). Transparent symbols are combined with what is
    // there, so white leaves the page visible.
    bool DrawToScreen(gfx::Canvas &aCanvas, int aScreenPixelsPerInch,
                      const std::function<rtl::TRect()> &aCalcDrawRect = {});
    // Measures and, with aDraw, paints at (aLeft, aTop). Encode first.
    void RenderBarCode(gfx::Canvas *aCanvas, int aLeft, bool aDraw, rtl::TPoint aResolution, int aTop);
    // Encodes for the horizontal resolution and measures on aCanvas (for the
    // text height); SymbolWidth and SymbolHeight are the result.
    void CalculateSize(gfx::Canvas &aCanvas, rtl::TPoint aResolution);
    // Fills the module and supplement columns for pixels per inch along
    // the symbol; may append check digits to Data or rewrite it.
    void Encode(int aResolution);
    // Shows an encoding error once per draw command, never while printing
    // and never from inside the drawing that found it.
    void ReportError(const QString &aMessage);

    // ---- Measure of the last rendering, device pixels ----
    int64_t SymbolWidth() const { return m_symbolWidth; }
    int64_t SymbolHeight() const { return m_symbolHeight; }
    int64_t QuietZone() const { return m_quietZone; }
    const BarColumns &Columns() const { return m_columns; }
    const BarColumns &AddOnColumns() const { return m_addOnColumns; }
    bool QuietPrinting() const { return m_quietPrinting; }

    // ---- Properties ----
    const QString &AddOnCode() const { return m_addOnCode; }
    void SetAddOnCode(const QString &aValue) { m_addOnCode = aValue; }
    bool AutoEncode() const { return m_autoEncode; }
    void SetAutoEncode(bool aValue) { m_autoEncode = aValue; }
    bool AutoSize() const { return m_autoSize; }
    void SetAutoSize(bool aValue) { m_autoSize = aValue; }
    bool AutoSizeFont() const { return m_autoSizeFont; }
    void SetAutoSizeFont(bool aValue) { m_autoSizeFont = aValue; }
    TppBarCodeType BarCodeType() const { return m_barCodeType; }
    // Ordinals past the last value (a damaged archive) are ignored.
    void SetBarCodeType(TppBarCodeType aValue)
    {
        if (uint8_t(aValue) <= uint8_t(TppBarCodeType::bcMSI))
            m_barCodeType = aValue;
    }
    rtl::TColor BarColor() const { return m_barColor; }
    void SetBarColor(rtl::TColor aValue) { m_barColor = aValue; }
    // Thousandths of a millimetre.
    int32_t BarWidth() const { return m_barWidth; }
    void SetBarWidth(int32_t aValue) { m_barWidth = aValue; }
    bool BearerBars() const { return m_bearerBars; }
    void SetBearerBars(bool aValue) { m_bearerBars = aValue; }
    bool CalcCheckDigit() const { return m_calcCheckDigit; }
    void SetCalcCheckDigit(bool aValue) { m_calcCheckDigit = aValue; }
    rtl::TColor Color() const { return m_color; }
    void SetColor(rtl::TColor aValue) { m_color = aValue; }
    const QString &Data() const { return m_data; }
    void SetData(const QString &aValue) { m_data = aValue; }
    TppFont *Font() const { return m_font.get(); }
    void SetFont(const classes::TFont *aFont);
    classes::TAlignment Alignment() const { return m_alignment; }
    void SetAlignment(classes::TAlignment aValue) { m_alignment = aValue; }
    TppBarCodeOrientation Orientation() const { return m_orientation; }
    void SetOrientation(TppBarCodeOrientation aValue)
    {
        if (uint8_t(aValue) <= uint8_t(TppBarCodeOrientation::orBottomToTop))
            m_orientation = aValue;
    }
    bool PrintHumanReadable() const { return m_printHumanReadable; }
    void SetPrintHumanReadable(bool aValue) { m_printHumanReadable = aValue; }
    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool aValue) { m_transparent = aValue; }
    float WideBarRatio() const { return m_wideBarRatio; }
    void SetWideBarRatio(float aValue) { m_wideBarRatio = aValue; }
    bool CodeOK() const { return m_codeOK; }
    void SetCodeOK(bool aValue) { m_codeOK = aValue; }

    bool IsVertical() const;

private:
    friend class BarCodePainter;

    QString m_addOnCode;
    bool m_autoEncode = false;
    bool m_autoSize = true;
    bool m_autoSizeFont = true;
    TppBarCodeType m_barCodeType = TppBarCodeType::bcCode39;
    rtl::TColor m_barColor = 0;
    int32_t m_barWidth = 254;
    bool m_bearerBars = false;
    bool m_calcCheckDigit = true;
    rtl::TColor m_color = 0xFFFFFF;
    QString m_data;
    std::unique_ptr<TppFont> m_font;
    classes::TAlignment m_alignment = classes::TAlignment::taLeftJustify;
    TppBarCodeOrientation m_orientation = TppBarCodeOrientation::orLeftToRight;
    bool m_printHumanReadable = true;
    bool m_quietPrinting = false;
    bool m_transparent = false;
    float m_wideBarRatio = 3.0f;
    int64_t m_symbolWidth = 0;
    int64_t m_symbolHeight = 0;
    int64_t m_quietZone = 0;
    // How far the small last digit of UPC-A and UPC-E reaches past the
    // symbol's width.
    int64_t m_textOverhang = 0;
    bool m_codeOK = true;
    bool m_errorReported = false;
    BarColumns m_addOnColumns;
    BarColumns m_columns;
};

} // namespace report
