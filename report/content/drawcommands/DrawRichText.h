#pragma once

// TppDrawRichText: formatted text on a page, carried as the RTF of the
// control with the range of characters this page shows.

#include "report/model/pages/DrawCommand.h"

#include "platform/classes/Streams.h"
#include "platform/rtl/Colors.h"
#include "platform/rtl/Types.h"

#include <QByteArray>

#include <memory>
#include <mutex>

class QColor;
class QPainter;

namespace richedit {
class RichEdit;
}

namespace gfx {
class Canvas;
}

namespace report {

// The RTF of one document as a control printed it, shared by the commands of
// every page the document fills, with the document read from it once for all
// of them: a text of many pages would otherwise be copied, read and laid out
// again for each of its pages.
struct TppRichTextSource
{
    explicit TppRichTextSource(QByteArray aRtf);
    ~TppRichTextSource();

    const QByteArray rtf;
    std::mutex lock;
    // Read on the first page drawn.
    std::unique_ptr<richedit::RichEdit> document;
};

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
    // The RTF as a stream; a command that shares its source makes its own
    // copy here, and from then on reads and draws from that copy.
    classes::TMemoryStream &RichTextStream() const;
    // The RTF of a source the commands of other pages share.
    void SetRichTextSource(std::shared_ptr<TppRichTextSource> aSource);
    // The RTF the command carries, without copying a shared source.
    QByteArray RichTextBytes() const;

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
    bool render(QPainter &aPainter, const QColor &aBackground, rtl::TPoint aResolution);

    rtl::TColor m_color = 0xFFFFFF;
    int32_t m_endCharPos = -1;
    std::unique_ptr<classes::TMemoryStream> m_richTextStream;
    // While set, the RTF is the source's and the stream is empty.
    mutable std::shared_ptr<TppRichTextSource> m_source;
    int32_t m_startCharPos = -1;
    bool m_transparent = false;
};

} // namespace report
