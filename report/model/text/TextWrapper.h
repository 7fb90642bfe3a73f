#pragma once

// One word-wrapping run: fits the tokens of a text into the lines of a
// rectangle on a device and remembers where the text continues.

#include "report/model/base/Types.h"
#include "report/model/text/PlainTextParser.h"

#include "platform/gfx/GdiObjects.h"
#include "platform/rtl/Types.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace report {

class TppCustomPrinter;
class TppTextDevice;

class TppTextWrapper
{
public:
    // The rectangle is in thousandths of a millimetre; tab stops are
    // thousandths of a millimetre, one integer per string.
    TppTextWrapper(const rtl::TRect &aRect, TppTextAlignment aAlignment, bool aWiden, const gfx::Font &aFont,
                   bool aCharWrap, int32_t aLeading, const QStringList &aTabStops, TppCustomPrinter *aDevice);

    // Wraps from aStartPosition (characters already placed) and leaves in it
    // the number of characters placed, so a next call continues the text.
    void Wrap(const QString &aText, qsizetype &aStartPosition);

    const QStringList &Lines() const { return m_lines; }
    int32_t LineHeight() const { return m_lineHeight; }
    int32_t WidestLine() const { return m_widestLine; }
    int32_t UsableWidth() const { return m_usableWidth; }

private:
    int32_t widthOf(const QString &aText) const;
    void endLine(bool aParagraphEnd);
    // Whether aToken fits behind the line; keeps the line's width.
    bool tokenFits(const QString &aToken);
    // Moves the characters of aToken that fit onto the line; answers how many.
    qsizetype splitOnto(const QString &aToken);

    rtl::TRect m_rect;
    TppTextAlignment m_alignment;
    bool m_widen;
    gfx::Font m_font;
    bool m_charWrap;
    int32_t m_leading;
    QStringList m_tabStopTexts;
    TppCustomPrinter *m_device;
    TppTextDevice *m_measure = nullptr;
    std::vector<int> m_tabStops;
    TppPlainTextParser m_parser;
    QString m_line;
    int32_t m_lineWidth = 0;
    QStringList m_lines;
    int32_t m_lineHeight = 0;
    int32_t m_widestLine = 0;
    int32_t m_usableWidth = 0;
    bool m_atLineStart = false;
};

} // namespace report
