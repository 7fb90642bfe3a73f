// The text routine of TppCommandRenderer: fonts at the zoom, memo fitting,
// alignment, justification and what the text leaves behind for the search.

#include "report/output/screen/CommandRenderer.h"

#include "report/content/drawcommands/DrawText.h"
#include "report/model/base/Units.h"
#include "report/model/pages/DeviceRegistry.h"
#include "report/model/text/PlainText.h"
#include "report/model/text/TextMarkups.h"

#include "platform/gfx/Canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace report {

namespace {

// Heights beyond this draw nothing readable on any page, and Qt spends
// seconds rasterising a single glyph of them.
constexpr int TextRendererMaxFontHeight = 16384;

QString textRendererPlain(const QString &aLine)
{
    return TppPlainText::RemoveAll(aLine, TppTextMarkups::NewLineMarkup());
}

int textRendererShrink(int aHeight)
{
    return aHeight < 0 ? aHeight + 1 : aHeight - 1;
}

QStringList textRendererLines(const classes::TStrings &aLines)
{
    QStringList lines;
    lines.reserve(aLines.Count());
    for (int i = 0; i < aLines.Count(); ++i)
        lines.append(aLines.Get(i));
    return lines;
}

bool textRendererHasBlank(const QString &aLine)
{
    return aLine.trimmed().contains(TppTextMarkups::Space());
}

} // namespace

int TppCommandRenderer::lineHeight(const TppDrawText &aCommand) const
{
    const gfx::TextMetrics metrics = m_canvas.GetTextMetrics();
    const int leading =
        aCommand.IsMemo() ? ToPixels(aCommand.Leading(), TppAxisType::atVertical) : metrics.externalLeading;
    return metrics.height + leading;
}

void TppCommandRenderer::fitMemo(const TppDrawText &aCommand, const rtl::TRect &aRect,
                                 const std::vector<int> &aTabStops, int &aLineHeight, int &aLastLine)
{
    const classes::TStrings &wrapped = *aCommand.WrappedText();
    const int count = wrapped.Count();
    const int tabCount = int(aTabStops.size());
    const int width = aRect.Right - aRect.Left;
    gfx::Font &font = m_canvas.font();
    // Width: one step of font height for each line too wide, in a single
    // pass. The lines were wrapped to this width at 100 %, so they overrun
    // only by the zoom's rounding; shrinking until the widest fits would
    // leave a line that cannot be wrapped (one long word) unreadably small.
    for (int i = 0; i < count && std::abs(font.height) >= 2; ++i) {
        const QString line = textRendererPlain(wrapped.Get(i));
        if (TppPlainText::GetTabbedTextWidth(m_canvas, line, tabCount, aTabStops) > width)
            font.height = textRendererShrink(font.height);
    }
    // Height: within a tenth of a line the lines are spaced to fill the
    // rectangle exactly; else leading, then the font, give way.
    int leading = aCommand.IsMemo() ? ToPixels(aCommand.Leading(), TppAxisType::atVertical)
                                    : m_canvas.GetTextMetrics().externalLeading;
    int lh = m_canvas.GetTextMetrics().height + leading;
    const double avail = double(aRect.Bottom - aRect.Top) / count;
    bool fits = false;
    if (lh > 0 && std::abs(ppRound(avail) - lh) / double(lh) <= 0.1) {
        lh = ppRound(avail);
        fits = true;
    } else {
        fits = lh <= int(std::trunc(avail));
        while (!fits && std::abs(font.height) >= 2) {
            if (leading >= 1)
                --leading;
            else
                font.height = textRendererShrink(font.height);
            lh = m_canvas.GetTextMetrics().height + leading;
            fits = lh <= int(std::trunc(avail));
        }
    }
    aLineHeight = std::max(lh, 1);
    if (!fits)
        aLastLine = std::min(int(std::trunc(double(aRect.Bottom - aRect.Top) / aLineHeight)), count - 1);
}

void TppCommandRenderer::DrawText(TppDrawText &aCommand)
{
    // 1. Tab stops, zoomed.
    std::vector<int> tabStops;
    int tabCount = 0;
    if (aCommand.IsMemo() && aCommand.TabStopPositions()->Count() > 0) {
        // Converted at the canvas's own resolution, as every other length.
        for (int i = 0; i < aCommand.TabStopPositions()->Count(); ++i) {
            bool ok = false;
            const int value = aCommand.TabStopPositions()->Get(i).trimmed().toInt(&ok);
            if (ok)
                tabStops.push_back(ppRound(ToPixels(value, TppAxisType::atHorizontal) * m_settings.scaleX));
        }
        tabCount = int(tabStops.size());
    }

    // 2. Font.
    gfx::Font font = aCommand.Font()->Font();
    if (m_settings.substituteFonts)
        font.name = gfx::FaceName(TppDeviceSubstitutions::SubstituteFont(font.name.text()));
    int height = ppRound(double(aCommand.Font()->Height()) * m_settings.scaleY);
    if (height == 0)
        height = -1;
    font.height = std::clamp(height, -TextRendererMaxFontHeight, TextRendererMaxFontHeight);
    m_canvas.setFont(font);

    // 3. Line height and the text rectangle.
    int lh = std::max(lineHeight(aCommand), 1);
    rtl::TRect rect = aCommand.DrawRect();
    if (aCommand.AutoSize() && !aCommand.WordWrap() && !aCommand.Text().isEmpty() && rect.Bottom - rect.Top < lh)
        rect.Bottom = rect.Top + lh;

    // 4, 5. Memo fitting.
    const int wrappedCount = aCommand.WrappedText()->Count();
    int lastLine = wrappedCount - 1;
    if (m_settings.fitMemos && aCommand.IsMemo() && wrappedCount > 1)
        fitMemo(aCommand, rect, tabStops, lh, lastLine);

    // 6. The lines.
    QStringList lines;
    if (aCommand.WordWrap())
        lines = textRendererLines(*aCommand.WrappedText()).mid(0, std::max(lastLine + 1, 0));
    else if (!aCommand.Text().isEmpty())
        lines.append(aCommand.Text());

    // 7. Width of auto-sized text, and the background.
    if (aCommand.AutoSize()) {
        int widest = 0;
        for (const QString &line : lines)
            widest = std::max(widest,
                              TppPlainText::GetTabbedTextWidth(m_canvas, textRendererPlain(line), tabCount, tabStops));
        const int width = rect.Right - rect.Left;
        if (widest != width) {
            switch (aCommand.Alignment()) {
            case classes::TAlignment::taLeftJustify: rect.Right = rect.Left + widest; break;
            case classes::TAlignment::taRightJustify: rect.Left = rect.Right - widest; break;
            case classes::TAlignment::taCenter:
                rect.Left += ppRound((width - widest) / 2.0);
                rect.Right = rect.Left + widest;
                break;
            }
        }
    }
    if (!aCommand.Transparent())
        m_canvas.FillRect(rect, gfx::Brush::solid(aCommand.Color()));
    m_canvas.setBrush(gfx::Brush::clear());
    m_canvas.setBkMode(gfx::BkMode::Transparent);

    // 8. Each line in its place.
    bool justified = false;
    const int width = rect.Right - rect.Left;
    for (int i = 0; i < lines.size(); ++i) {
        const rtl::TRect lineRect{rect.Left, rect.Top + i * lh, rect.Right, rect.Bottom};
        const int y = lineRect.Top;
        QString line = lines[i];
        int x = rect.Left;
        switch (aCommand.TextAlignment()) {
        case TppTextAlignment::taLeftJustified: line = textRendererPlain(line); break;
        case TppTextAlignment::taRightJustified:
            line = textRendererPlain(line);
            x = rect.Right - TppPlainText::GetTabbedTextWidth(m_canvas, line, tabCount, tabStops);
            break;
        case TppTextAlignment::taCentered:
            line = textRendererPlain(line);
            x = rect.Left +
                ppRound((width - TppPlainText::GetTabbedTextWidth(m_canvas, line, tabCount, tabStops)) / 2.0 - 0.5);
            break;
        case TppTextAlignment::taFullJustified: {
            const bool paragraphEnd = line.contains(TppTextMarkups::NewLineMarkup());
            const QString plain = textRendererPlain(line);
            // The one-word last line of a paragraph is not spread letter by
            // letter even when the last line is forced.
            if (paragraphEnd && (!aCommand.ForceJustifyLastLine() || !textRendererHasBlank(plain))) {
                m_canvas.SetTextJustification(0, 0);
                line = plain;
            } else {
                // Spread without the markup, which is no text of the line:
                // measured with it the line stops short of the edge, as it
                // never does on paper.
                line = plain;
                TppPlainText::JustifyLine(m_canvas, lineRect, line, tabCount, tabStops);
                justified = true;
            }
            break;
        }
        }
        if (aCommand.IsMemo())
            m_canvas.TabbedTextOut(x, y, line, tabStops);
        else if (aCommand.AutoSize())
            m_canvas.TextOut(x, y, line);
        else
            m_canvas.ExtTextOut(x, y, gfx::ETO_CLIPPED, &lineRect, line);
    }

    // 9. What an auto-sized text covers now.
    if (justified)
        m_canvas.SetTextJustification(0, 0);
    if (aCommand.AutoSize()) {
        aCommand.SetDrawLeft(rect.Left);
        aCommand.SetDrawRight(rect.Right);
        aCommand.SetDrawBottom(aCommand.DrawTop() + int(lines.size()) * lh);
    }

    // 10. For the search highlighters.
    if (m_settings.recordScreenMetrics) {
        aCommand.SetScreenFontHeight(m_canvas.font().height);
        aCommand.SetScreenLineHeight(ToMM(lh, TppAxisType::atVertical));
        aCommand.SetScreenTextWidth(ToMM(rect.Right - rect.Left, TppAxisType::atHorizontal));
    }
}

} // namespace report
