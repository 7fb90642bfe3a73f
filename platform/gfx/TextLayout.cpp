#include "platform/gfx/TextLayout.h"

#include "platform/rtl/QtText.h"

#include <algorithm>

namespace gfx {

namespace {

const QLatin1String Ellipsis("...");

struct Run
{
    QString text;
    int underline = -1;
};

class Measure
{
public:
    Measure(const TextMeasurer &measurer, const Font &font, int tabWidth)
        : m_measurer(measurer)
        , m_font(font)
        , m_tabWidth(tabWidth)
    {}

    // Width with tabs advancing to the next stop when tabs are expanded.
    int width(QStringView text) const
    {
        if (m_tabWidth <= 0)
            return m_measurer.textWidth(m_font, text);
        int x = 0;
        qsizetype start = 0;
        for (;;) {
            const qsizetype tab = text.indexOf(u'\t', start);
            x += m_measurer.textWidth(m_font, tab < 0 ? text.sliced(start) : text.sliced(start, tab - start));
            if (tab < 0)
                return x;
            x = (x / m_tabWidth + 1) * m_tabWidth;
            start = tab + 1;
        }
    }

private:
    const TextMeasurer &m_measurer;
    const Font &m_font;
    int m_tabWidth;
};

std::vector<Run> splitParagraphs(const Run &all)
{
    std::vector<Run> out;
    Run cur;
    const QString &s = all.text;
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c == u'\r' || c == u'\n') {
            out.push_back(std::move(cur));
            cur = Run{};
            if (c == u'\r' && i + 1 < s.size() && s[i + 1] == u'\n')
                ++i;
            continue;
        }
        if (i == all.underline)
            cur.underline = static_cast<int>(cur.text.size());
        cur.text += c;
    }
    out.push_back(std::move(cur));
    return out;
}

Run slice(const Run &r, qsizetype from, qsizetype to)
{
    Run out;
    out.text = r.text.sliced(from, to - from);
    if (r.underline >= static_cast<int>(from) && r.underline < static_cast<int>(to))
        out.underline = r.underline - static_cast<int>(from);
    return out;
}

// The end of the word after pos, blanks in front of it included.
qsizetype wordEndFrom(const QString &s, qsizetype pos)
{
    while (pos < s.size() && s[pos] == u' ')
        ++pos;
    while (pos < s.size() && s[pos] != u' ')
        ++pos;
    return pos;
}

// Greedy breaking at blanks. A word longer than the line stays whole unless
// breakWords is set (edit-control behaviour), then it is cut at characters.
void wrapParagraph(const Run &para, const Measure &m, int maxWidth, bool breakWords, std::vector<Run> &lines)
{
    const QString &s = para.text;
    qsizetype lineStart = 0;
    while (true) {
        if (lineStart >= s.size()) {
            if (lineStart == 0)
                lines.push_back(para); // empty paragraph: one empty line
            return;
        }
        // Find the furthest break: the end of a word that still fits.
        qsizetype pos = lineStart;
        qsizetype lastFit = -1; // end of the last fitting word
        while (pos < s.size()) {
            const qsizetype wordEnd = wordEndFrom(s, pos);
            if (m.width(QStringView(s).sliced(lineStart, wordEnd - lineStart)) <= maxWidth) {
                lastFit = wordEnd;
                pos = wordEnd;
                continue;
            }
            break;
        }
        qsizetype lineEnd;
        if (lastFit >= 0) {
            lineEnd = lastFit;
        } else {
            // The first word alone is too long.
            const qsizetype wordEnd = wordEndFrom(s, lineStart);
            lineEnd = wordEnd;
            if (breakWords) {
                // Whole characters: the halves of a surrogate pair stay together.
                qsizetype n = lineStart + CharLength(s, lineStart);
                while (n < wordEnd) {
                    const qsizetype next = n + CharLength(s, n);
                    if (m.width(QStringView(s).sliced(lineStart, next - lineStart)) > maxWidth)
                        break;
                    n = next;
                }
                lineEnd = n;
            }
        }
        // Blanks at the break belong to neither line.
        qsizetype shownEnd = lineEnd;
        while (shownEnd > lineStart && s[shownEnd - 1] == u' ' && lineEnd < s.size())
            --shownEnd;
        lines.push_back(slice(para, lineStart, shownEnd));
        qsizetype next = lineEnd;
        while (next < s.size() && s[next] == u' ')
            ++next;
        if (next >= s.size())
            return;
        lineStart = next;
    }
}

// Drops the last character, both halves of a surrogate pair.
void dropLastChar(QString &text)
{
    const qsizetype n = text.size();
    text.chop(n >= 2 && text[n - 1].isLowSurrogate() && text[n - 2].isHighSurrogate() ? 2 : 1);
}

void endEllipsis(Run &line, const Measure &m, int maxWidth, bool force)
{
    if (!force && m.width(line.text) <= maxWidth)
        return;
    QString keep = line.text;
    while (!keep.isEmpty()) {
        if (m.width(QString(keep + Ellipsis)) <= maxWidth)
            break;
        dropLastChar(keep);
    }
    if (line.underline >= keep.size())
        line.underline = -1;
    line.text = keep + Ellipsis;
}

void pathEllipsis(Run &line, const Measure &m, int maxWidth)
{
    if (m.width(line.text) <= maxWidth)
        return;
    const qsizetype slash = std::max(line.text.lastIndexOf(u'\\'), line.text.lastIndexOf(u'/'));
    if (slash < 0) {
        endEllipsis(line, m, maxWidth, false);
        return;
    }
    const QString tail = line.text.sliced(slash);
    QString head = line.text.first(slash);
    while (!head.isEmpty() && m.width(QString(head + Ellipsis + tail)) > maxWidth)
        dropLastChar(head);
    QString shown = head + Ellipsis + tail;
    if (m.width(shown) > maxWidth) {
        // Even the last path element does not fit: cut it at its end.
        Run rest{Ellipsis + tail, -1};
        endEllipsis(rest, m, maxWidth, false);
        shown = rest.text;
        head.clear();
    }
    if (line.underline >= head.size())
        line.underline = -1;
    line.text = shown;
}

} // namespace

qsizetype CharLength(QStringView text, qsizetype pos)
{
    if (pos >= text.size())
        return 0;
    return pos + 1 < text.size() && text[pos].isHighSurrogate() && text[pos + 1].isLowSurrogate() ? 2 : 1;
}

QString StripPrefixes(QStringView text, int *underline)
{
    QString out;
    out.reserve(text.size());
    int mark = -1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'&') {
            out += text[i];
            continue;
        }
        if (i + 1 >= text.size())
            break; // a trailing "&" marks nothing
        ++i;
        if (text[i] != u'&' && mark < 0)
            mark = static_cast<int>(out.size());
        out += text[i];
    }
    if (underline)
        *underline = mark;
    return out;
}

std::string StripPrefixes(std::string_view text, int *underline)
{
    return rtl::FromQString(StripPrefixes(rtl::ToQString(text), underline));
}

TextLayout LayoutText(const TextMeasurer &measurer, const Font &font, QStringView text, const rtl::TRect &rect,
                      unsigned format)
{
    TextLayout layout;
    const TextMetrics tm = measurer.metrics(font);
    layout.lineHeight = tm.height;
    layout.calcRect = rtl::TRect{rect.Left, rect.Top, rect.Left, rect.Top};
    if (text.isEmpty())
        return layout;

    const int tabWidth = (format & DT_EXPANDTABS) ? 8 * std::max(1, tm.avgCharWidth) : 0;
    const Measure m(measurer, font, tabWidth);
    const int maxWidth = rect.Width();
    const bool single = format & DT_SINGLELINE;

    Run all;
    if (format & DT_NOPREFIX)
        all.text = text.toString();
    else
        all.text = StripPrefixes(text, &all.underline);
    if (format & DT_HIDEPREFIX)
        all.underline = -1;

    std::vector<Run> lines;
    if (single) {
        lines.push_back(all);
    } else {
        const std::vector<Run> paragraphs = splitParagraphs(all);
        for (const Run &p : paragraphs) {
            if (format & DT_WORDBREAK)
                wrapParagraph(p, m, maxWidth, format & DT_EDITCONTROL, lines);
            else
                lines.push_back(p);
        }
    }

    const bool calc = format & DT_CALCRECT;
    const int lh = tm.height;
    if (!calc && !single && (format & DT_EDITCONTROL)) {
        // A partly visible last line is not shown.
        const size_t fit = lh > 0 ? static_cast<size_t>(std::max(0, rect.Height() / lh)) : lines.size();
        if (lines.size() > fit) {
            lines.resize(std::max<size_t>(fit, 1));
            if (format & DT_END_ELLIPSIS)
                endEllipsis(lines.back(), m, maxWidth, true);
        }
    } else if (!calc && !single && (format & DT_WORDBREAK) && (format & DT_END_ELLIPSIS) && lh > 0) {
        // Wrapped text that runs past the bottom ends its last whole line with
        // an ellipsis, so the reader sees that more follows.
        const size_t fit = static_cast<size_t>(std::max(1, rect.Height() / lh));
        if (lines.size() > fit) {
            lines.resize(fit);
            endEllipsis(lines.back(), m, maxWidth, true);
        }
    }

    for (Run &line : lines) {
        if (format & DT_PATH_ELLIPSIS)
            pathEllipsis(line, m, maxWidth);
        else if (format & DT_END_ELLIPSIS)
            endEllipsis(line, m, maxWidth, false);
    }

    int widest = 0;
    for (const Run &line : lines)
        widest = std::max(widest, m.width(line.text));

    int y = rect.Top;
    if (single) {
        if (format & DT_VCENTER)
            y = rect.Top + (rect.Height() - lh) / 2;
        else if (format & DT_BOTTOM)
            y = rect.Bottom - lh;
    }
    for (const Run &line : lines) {
        TextLine out;
        out.width = m.width(line.text);
        out.text = line.text;
        out.underline = line.underline;
        out.y = y;
        if (format & DT_CENTER)
            out.x = rect.Left + (maxWidth - out.width) / 2;
        else if (format & DT_RIGHT)
            out.x = rect.Right - out.width;
        else
            out.x = rect.Left;
        out.tabWidth = tabWidth;
        layout.lines.push_back(std::move(out));
        y += lh;
    }
    const int total = lh * static_cast<int>(lines.size());
    layout.calcRect.Right = rect.Left + widest;
    layout.calcRect.Bottom = rect.Top + total;
    if (single && (format & (DT_VCENTER | DT_BOTTOM)))
        layout.result = layout.lines.front().y + lh - rect.Top;
    else
        layout.result = total;
    return layout;
}

} // namespace gfx
