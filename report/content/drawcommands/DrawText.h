#pragma once

// TppDrawText: a text on a page as the text controls fill it and every
// device reads it: the text (or its wrapped lines), the font, the alignment
// and the text-export settings of the control and its band.

#include "report/model/base/Font.h"
#include "report/model/base/Types.h"
#include "report/model/pages/DrawCommand.h"

#include "platform/classes/EnumTypes.h"
#include "platform/classes/StringList.h"
#include "platform/rtl/Colors.h"

#include <memory>

namespace report {

class TppDrawText : public TppDrawCommand
{
    ZVO_CLASS(TppDrawText)
public:
    explicit TppDrawText(classes::TComponent *aOwner = nullptr);
    ~TppDrawText() override;

    void Assign(const classes::TPersistent *source) override;
    bool IsEqual(const TppDrawCommand *aDrawCommand) const override;

    // The band's sequence number and the control's save order, each "%8d":
    // sorted as strings, exported texts follow bands, then save orders.
    QString GetSaveSortKey() const;

    // The legacy alignment and TextAlignment follow one another.
    classes::TAlignment Alignment() const { return m_alignment; }
    void SetAlignment(classes::TAlignment aValue);
    TppTextAlignment TextAlignment() const { return m_textAlignment; }
    void SetTextAlignment(TppTextAlignment aValue);

    bool AutoSize() const { return m_autoSize; }
    void SetAutoSize(bool aValue) { m_autoSize = aValue; }
    rtl::TColor Color() const { return m_color; }
    void SetColor(rtl::TColor aValue) { m_color = aValue; }
    TppFont *Font() const { return &m_font; }
    void SetFont(const classes::TFont *aFont);
    bool IsMemo() const { return m_isMemo; }
    void SetIsMemo(bool aValue) { m_isMemo = aValue; }
    int32_t Leading() const { return m_leading; }
    void SetLeading(int32_t aValue) { m_leading = aValue; }
    const QString &Text() const { return m_text; }
    void SetText(const QString &aValue) { m_text = aValue; }
    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool aValue) { m_transparent = aValue; }
    bool WordWrap() const { return m_wordWrap; }
    void SetWordWrap(bool aValue) { m_wordWrap = aValue; }
    classes::TStringList *WrappedText() const { return listOf(m_wrappedText); }
    void SetWrappedText(const classes::TStrings *aLines);
    classes::TStringList *TabStopPositions() const { return listOf(m_tabStopPositions); }
    void SetTabStopPositions(const classes::TStrings *aLines);
    // What the screen device last drew with; not streamed.
    int32_t ScreenFontHeight() const { return m_screenFontHeight; }
    void SetScreenFontHeight(int32_t aValue) { m_screenFontHeight = aValue; }
    int32_t ScreenLineHeight() const { return m_screenLineHeight; }
    void SetScreenLineHeight(int32_t aValue) { m_screenLineHeight = aValue; }
    int32_t ScreenTextWidth() const { return m_screenTextWidth; }
    void SetScreenTextWidth(int32_t aValue) { m_screenTextWidth = aValue; }
    bool BandSave() const { return m_bandSave; }
    void SetBandSave(bool aValue) { m_bandSave = aValue; }
    int32_t BandSaveNo() const { return m_bandSaveNo; }
    void SetBandSaveNo(int32_t aValue) { m_bandSaveNo = aValue; }
    bool ComponentSave() const { return m_componentSave; }
    void SetComponentSave(bool aValue) { m_componentSave = aValue; }
    int32_t ComponentSaveNo() const { return m_componentSaveNo; }
    void SetComponentSaveNo(int32_t aValue) { m_componentSaveNo = aValue; }
    bool ForceJustifyLastLine() const { return m_forceJustifyLastLine; }
    void SetForceJustifyLastLine(bool aValue) { m_forceJustifyLastLine = aValue; }
    int32_t SaveLength() const { return m_saveLength; }
    void SetSaveLength(int32_t aValue) { m_saveLength = aValue; }

    void DefineProperties(classes::TFiler &aFiler) override;

private:
    classes::TAlignment m_alignment = classes::TAlignment::taLeftJustify;
    bool m_autoSize = false;
    rtl::TColor m_color = 0xFFFFFF;
    // Held in place: a page makes and frees one text per printed field.
    mutable TppFont m_font;
    bool m_isMemo = false;
    int32_t m_leading = 0;
    QString m_text;
    bool m_transparent = false;
    bool m_wordWrap = false;
    // Most texts neither wrap nor carry tab stops, and a page makes and
    // frees thousands of texts: their lists are made when first asked for.
    static classes::TStringList *listOf(std::unique_ptr<classes::TStringList> &aList);
    static QString textOf(const std::unique_ptr<classes::TStringList> &aList);
    mutable std::unique_ptr<classes::TStringList> m_wrappedText;
    mutable std::unique_ptr<classes::TStringList> m_tabStopPositions;
    int32_t m_screenFontHeight = 0;
    int32_t m_screenLineHeight = 0;
    int32_t m_screenTextWidth = 0;
    bool m_bandSave = false;
    int32_t m_bandSaveNo = 0;
    bool m_componentSave = false;
    int32_t m_componentSaveNo = 0;
    bool m_forceJustifyLastLine = false;
    TppTextAlignment m_textAlignment = TppTextAlignment::taLeftJustified;
    int32_t m_saveLength = 0;
};

// Names the class for scripts; its properties are the draw command's.
class TraTppDrawTextRTTI : public TraRTTI
{
public:
    static const TraTppDrawTextRTTI &Instance();
    const classes::TMetaClass &RefClass() const override;

protected:
    TraTppDrawTextRTTI();
};

} // namespace report
