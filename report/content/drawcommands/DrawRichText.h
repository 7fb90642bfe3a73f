#pragma once

// TppDrawRichText: formatted text on a page, carried as the RTF of the
// control with the range of characters this page shows.

#include "report/model/pages/DrawCommand.h"

#include "platform/classes/Streams.h"
#include "platform/rtl/Colors.h"

#include <memory>

namespace report {

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

private:
    rtl::TColor m_color = 0xFFFFFF;
    int32_t m_endCharPos = -1;
    std::unique_ptr<classes::TMemoryStream> m_richTextStream;
    int32_t m_startCharPos = -1;
    bool m_transparent = false;
};

} // namespace report
