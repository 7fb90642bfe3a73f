#include "report/model/text/TextWrapper.h"

#include "report/model/base/Units.h"
#include "report/model/text/PlainText.h"
#include "report/model/text/TextDevice.h"
#include "report/model/text/TextMarkups.h"

#include "platform/gfx/Canvas.h"
#include "platform/gfx/TextLayout.h"

#include <algorithm>

namespace report {

namespace {

// Far more characters than any line holds: a longer word is wrapped piece
// by piece.
constexpr qsizetype WordPieceLength = 1024;

bool wrapperIsBlank(const QString &aToken)
{
    return aToken.size() == 1 && (aToken[0] == TppTextMarkups::Space() || aToken[0] == TppTextMarkups::Tab());
}

// Whether the character before aIndex belongs to a word (the token at aIndex
// then continues it).
bool wrapperEndsWord(const QString &aText, qsizetype aIndex)
{
    const QChar c = aText[aIndex - 1];
    if (c == TppTextMarkups::Space() || c == TppTextMarkups::Tab() || c == TppTextMarkups::CarriageReturn() ||
        c == TppTextMarkups::LineFeed() || c == TppTextMarkups::EndOfText())
        return false;
    return !(aIndex >= 2 && TppTextMarkups::IsNewLineAt(aText, aIndex - 2));
}

bool wrapperIsShortSpaceRun(const QString &aLine)
{
    return (aLine.size() == 1 || aLine.size() == 2) &&
           std::all_of(aLine.begin(), aLine.end(), [](QChar c) { return c == TppTextMarkups::Space(); });
}

} // namespace

TppTextWrapper::TppTextWrapper(const rtl::TRect &aRect, TppTextAlignment aAlignment, bool aWiden,
                               const gfx::Font &aFont, bool aCharWrap, int32_t aLeading, const QStringList &aTabStops,
                               TppCustomPrinter *aDevice)
    : m_rect(aRect)
    , m_alignment(aAlignment)
    , m_widen(aWiden)
    , m_font(aFont)
    , m_charWrap(aCharWrap)
    , m_leading(aLeading)
    , m_tabStopTexts(aTabStops)
    , m_device(aDevice)
{}

int32_t TppTextWrapper::widthOf(const QString &aText) const
{
    // Looked for in what is measured, not in the whole text: a text of
    // megabytes is not scanned again for every page it fills.
    return m_measure->TextWidthMM(aText, aText.contains(TppTextMarkups::Tab()), m_tabStops);
}

void TppTextWrapper::endLine(bool aParagraphEnd)
{
    if (!m_line.isEmpty() && m_line.back() == TppTextMarkups::Space()) {
        qsizetype end = m_line.size();
        while (end > 0 && (m_line[end - 1] == TppTextMarkups::Space() || m_line[end - 1] == TppTextMarkups::Tab()))
            --end;
        m_line.truncate(end);
    }
    m_widestLine = std::max(m_widestLine, widthOf(m_line));
    // The draw command leaves the last line of a paragraph unstretched.
    if (aParagraphEnd && m_alignment == TppTextAlignment::taFullJustified)
        m_line += TppTextMarkups::NewLineMarkup();
    m_lines.append(m_line);
    m_line.clear();
    m_lineWidth = 0;
    m_atLineStart = true;
}

bool TppTextWrapper::tokenFits(const QString &aToken)
{
    // Measuring the whole line again for every word makes wrapping
    // quadratic in the line's length. Far from the edge the line's width
    // plus the word's decides; near it (where kerning across the joint
    // could matter) and with tabs, whose widths depend on where they stand,
    // the line is measured whole.
    if (!m_line.contains(TppTextMarkups::Tab()) && aToken != TppTextMarkups::Tab()) {
        const int32_t estimate = m_lineWidth + widthOf(aToken);
        if (estimate < m_usableWidth - m_usableWidth / 16) {
            m_lineWidth = estimate;
            return true;
        }
    }
    const int32_t exact = widthOf(m_line + aToken);
    if (exact > m_usableWidth)
        return false;
    m_lineWidth = exact;
    return true;
}

qsizetype TppTextWrapper::splitOnto(const QString &aToken)
{
    // The longest head of the token that fits, found by halving: a piece of
    // a long word would otherwise be measured once for every character.
    qsizetype fits = 0;
    qsizetype wider = aToken.size();
    while (fits < wider) {
        const qsizetype middle = fits + (wider - fits + 1) / 2;
        if (widthOf(m_line + aToken.left(middle)) > m_usableWidth)
            wider = middle - 1;
        else
            fits = middle;
    }
    // Never half a surrogate pair.
    if (fits > 0 && fits < aToken.size() && aToken[fits - 1].isHighSurrogate())
        --fits;
    qsizetype moved = fits;
    if (moved == 0) {
        if (!m_line.isEmpty())
            return 0;
        // Not one character fits an empty line: it goes there anyway, or the
        // text would never move on.
        moved = gfx::CharLength(aToken, 0);
    }
    m_line += QStringView(aToken).left(moved);
    return moved;
}

void TppTextWrapper::Wrap(const QString &aText, qsizetype &aStartPosition)
{
    TppTextDevice device(m_device);
    m_measure = &device;
    device.SetFont(m_font);
    m_lines.clear();
    m_line.clear();
    m_lineWidth = 0;
    m_widestLine = 0;

    // A negative leading could leave no height at all, and lines without
    // height would never fill the rectangle.
    m_lineHeight = std::max<int32_t>(device.LineHeightMM(m_leading), 1);
    int tabCount = 0;
    TppPlainText::GetTabStopArray(device.PixelUnits(), m_tabStopTexts, m_tabStops, tabCount, device.Printer());
    if (m_tabStops.size() > size_t(TppPlainText::MaxTabStops))
        m_tabStops.resize(TppPlainText::MaxTabStops);
    m_usableWidth = m_rect.Right - m_rect.Left;
    if (m_widen)
        m_usableWidth += ppRound(widthOf(QStringLiteral(" ")) * 0.3);

    const int64_t top = m_rect.Top;
    const int64_t bottom = m_rect.Bottom;
    if (top + m_lineHeight >= bottom) {
        m_measure = nullptr;
        return;
    }
    m_parser.SetText(aText);
    m_parser.SetMaxWordLength(WordPieceLength);
    m_parser.SetPosition(aStartPosition);
    m_atLineStart = m_parser.Position() > 0;
    qsizetype placed = m_parser.Position();
    const auto anotherLineFits = [&] { return int64_t(m_lines.size() + 1) * m_lineHeight + top <= bottom; };

    while (!m_parser.EndOfText() && anotherLineFits()) {
        const qsizetype tokenStart = m_parser.Position();
        const QString token = m_parser.NextToken();
        if (token.isEmpty())
            break;
        if (TppPlainTextParser::IsLineBreak(token)) {
            endLine(true);
            placed = m_parser.Position();
            continue;
        }
        if (m_atLineStart && !wrapperIsBlank(token)) {
            // One or two blanks left over from the break go; a longer run
            // is meant as indentation.
            if (wrapperIsShortSpaceRun(m_line)) {
                m_line.clear();
                m_lineWidth = 0;
            }
            m_atLineStart = false;
        }
        if (tokenFits(token)) {
            m_line += token;
            placed = m_parser.Position();
            continue;
        }
        // A piece of a word too long to be read whole goes on filling the
        // line, as the whole word would.
        const bool continuesWord = tokenStart > 0 && !wrapperIsBlank(token) && wrapperEndsWord(aText, tokenStart);
        if (m_charWrap || m_line.isEmpty() || continuesWord || widthOf(token) > m_usableWidth) {
            const qsizetype moved = splitOnto(token);
            placed = tokenStart + moved;
        } else {
            placed = tokenStart;
        }
        m_parser.SetPosition(placed);
        endLine(false);
    }
    if (!m_line.isEmpty())
        endLine(false);
    aStartPosition = placed;
    m_measure = nullptr;
}

} // namespace report
