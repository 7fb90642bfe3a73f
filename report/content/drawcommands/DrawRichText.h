#pragma once

// TppDrawRichText: formatted text on a page, carried as the RTF of the
// control with the range of characters this page shows.

#include "report/model/pages/DrawCommand.h"

#include "platform/classes/Streams.h"
#include "platform/rtl/Colors.h"
#include "platform/rtl/Types.h"

#include <memory>

class QPainter;

namespace gfx {
class Canvas;
}

namespace report {

// Devices with no printer of their own lay rich text out as a printer of
// this resolution would.
constexpr int ppRichTextReferenceResolution = 600;

class TppDrawRichText : public TppDrawCommand
{
    ZVO_CLASS(TppDrawRichText)
public:
    explicit TppDrawRichText(classes::TComponent *aOwner = nullptr);
    ~TppDrawRichText() override;

    void Assign(const classes::TPersistent *source) override;
    // Besides the geometry and values, the RTF line by line.
    bool IsEqual(const TppDrawCommand *aDrawCommand) const override;
    // "RTFStream": a 4-byte length, then the RTF.
    void DefineProperties(classes::TFiler &aFiler) override;

    rtl::TColor Color() const { return m_color; }
    void SetColor(rtl::TColor aValue) { m_color = aValue; }
    int32_t StartCharPos() const { return m_startCharPos; }
    void SetStartCharPos(int32_t aValue) { m_startCharPos = aValue; }
    int32_t EndCharPos() const { return m_endCharPos; }
    void SetEndCharPos(int32_t aValue) { m_endCharPos = aValue; }
    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool aValue) { m_transparent = aValue; }
    classes::TMemoryStream &RichTextStream() const { return *m_richTextStream; }

    // Reads the "RTFStream" value: a length that is negative or beyond the
    // bytes left raises EBrevantorError before anything is kept.
    void ReadRTFStream(classes::TStream &aStream);
    void WriteRTFStream(classes::TStream &aStream) const;

    // The range of characters this page shows, rendered into aDrawRect
    // (printer pixels) at the printer's resolution; opaque text on Color.
    bool DrawToPrinter(gfx::Canvas &aCanvas, const rtl::TRect &aDrawRect, rtl::TPoint aResolution);
    // The same range laid out as on a printer of aPrinterResolution and
    // stretched into aDrawRect, so that the screen breaks the lines where
    // the paper does.
    bool DrawToScreen(gfx::Canvas &aCanvas, const rtl::TRect &aDrawRect, rtl::TPoint aPrinterResolution);

private:
    bool render(QPainter &aPainter, rtl::TPoint aResolution);

    rtl::TColor m_color = 0xFFFFFF;
    int32_t m_endCharPos = -1;
    std::unique_ptr<classes::TMemoryStream> m_richTextStream;
    int32_t m_startCharPos = -1;
    bool m_transparent = false;
};

} // namespace report
