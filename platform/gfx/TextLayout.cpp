#include "platform/gfx/TextLayout.h"

#include <algorithm>

namespace gfx {

namespace {

constexpr std::string_view Ellipsis = "...";

struct Run
{
    std::string text;
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
    int width(std::string_view text) const
    {
        if (m_tabWidth <= 0)
            return m_measurer.textWidth(m_font, text);
        int x = 0;
        size_t start = 0;
        for (;;) {
            const size_t tab = text.find('\t', start);
            x += m_measurer.textWidth(m_font, text.substr(start, tab == std::string_view::npos ? tab : tab - start));
            if (tab == std::string_view::npos)
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
    const std::string &s = all.text;
    for (size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '\r' || c == '\n') {
            out.push_back(std::move(cur));
            cur = Run{};
            if (c == '\r' && i + 1 < s.size() && s[i + 1] == '\n')
                ++i;
            continue;
        }
        if (static_cast<int>(i) == all.underline)
            cur.underline = static_cast<int>(cur.text.size());
        cur.text += c;
    }
    out.push_back(std::move(cur));
    return out;
}

Run slice(const Run &r, size_t from, size_t to)
{
    Run out;
    out.text = r.text.substr(from, to - from);
    if (r.underline >= static_cast<int>(from) && r.underline < static_cast<int>(to))
        out.underline = r.underline - static_cast<int>(from);
    return out;
}

// The end of the word after pos, blanks in front of it included.
size_t wordEndFrom(const std::string &s, size_t pos)
{
    while (pos < s.size() && s[pos] == ' ')
        ++pos;
    while (pos < s.size() && s[pos] != ' ')
        ++pos;
    return pos;
}

// Greedy breaking at blanks. A word longer than the line stays whole unless
// breakWords is set (edit-control behaviour), then it is cut at characters.
void wrapParagraph(const Run &para, const Measure &m, int maxWidth, bool breakWords, std::vector<Run> &lines)
{
    const std::string &s = para.text;
    size_t lineStart = 0;
    while (true) {
        if (lineStart >= s.size()) {
            if (lineStart == 0)
                lines.push_back(para); // empty paragraph: one empty line
            return;
        }
        // Find the furthest break: the end of a word that still fits.
        size_t pos = lineStart;
        size_t lastFit = std::string::npos; // end of the last fitting word
        while (pos < s.size()) {
            const size_t wordEnd = wordEndFrom(s, pos);
            if (m.width(std::string_view(s).substr(lineStart, wordEnd - lineStart)) <= maxWidth) {
                lastFit = wordEnd;
                pos = wordEnd;
                continue;
            }
            break;
        }
        size_t lineEnd;
        if (lastFit != std::string::npos) {
            lineEnd = lastFit;
        } else {
            // The first word alone is too long.
            const size_t wordEnd = wordEndFrom(s, lineStart);
            lineEnd = wordEnd;
            if (breakWords) {
                size_t n = lineStart + 1;
                while (n < wordEnd && m.width(std::string_view(s).substr(lineStart, n + 1 - lineStart)) <= maxWidth)
                    ++n;
                lineEnd = n;
            }
        }
        // Blanks at the break belong to neither line.
        size_t shownEnd = lineEnd;
        while (shownEnd > lineStart && s[shownEnd - 1] == ' ' && lineEnd < s.size())
            --shownEnd;
        lines.push_back(slice(para, lineStart, shownEnd));
        size_t next = lineEnd;
        while (next < s.size() && s[next] == ' ')
            ++next;
        if (next >= s.size())
            return;
        lineStart = next;
    }
}

void endEllipsis(Run &line, const Measure &m, int maxWidth, bool force)
{
    if (!force && m.width(line.text) <= maxWidth)
        return;
    std::string keep = line.text;
    while (!keep.empty()) {
        if (m.width(keep + std::string(Ellipsis)) <= maxWidth)
            break;
        keep.pop_back();
    }
    if (line.underline >= static_cast<int>(keep.size()))
        line.underline = -1;
    line.text = keep + std::string(Ellipsis);
}

void pathEllipsis(Run &line, const Measure &m, int maxWidth)
{
    if (m.width(line.text) <= maxWidth)
        return;
    const size_t slash = line.text.find_last_of("\\/");
    if (slash == std::string::npos) {
        endEllipsis(line, m, maxWidth, false);
        return;
    }
    const std::string tail = line.text.substr(slash);
    std::string head = line.text.substr(0, slash);
    while (!head.empty() && m.width(head + std::string(Ellipsis) + tail) > maxWidth)
        head.pop_back();
    std::string shown = head + std::string(Ellipsis) + tail;
    if (m.width(shown) > maxWidth) {
        // Even the last path element does not fit: cut it at its end.
        Run rest{std::string(Ellipsis) + tail, -1};
        endEllipsis(rest, m, maxWidth, false);
        shown = rest.text;
        head.clear();
    }
    if (line.underline >= static_cast<int>(head.size()))
        line.underline = -1;
    line.text = shown;
}

} // namespace

std::string StripPrefixes(std::string_view text, int *underline)
{
    std::string out;
    out.reserve(text.size());
    int mark = -1;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '&') {
            out += text[i];
            continue;
        }
        if (i + 1 >= text.size())
            break; // a trailing "&" marks nothing
        ++i;
        if (text[i] != '&' && mark < 0)
            mark = static_cast<int>(out.size());
        out += text[i];
    }
    if (underline)
        *underline = mark;
    return out;
}

TextLayout LayoutText(const TextMeasurer &measurer, const Font &font, std::string_view text, const rtl::TRect &rect,
                      unsigned format)
{
    TextLayout layout;
    const TextMetrics tm = measurer.metrics(font);
    layout.lineHeight = tm.height;
    layout.calcRect = rtl::TRect{rect.Left, rect.Top, rect.Left, rect.Top};
    if (text.empty())
        return layout;

    const int tabWidth = (format & DT_EXPANDTABS) ? 8 * std::max(1, tm.avgCharWidth) : 0;
    const Measure m(measurer, font, tabWidth);
    const int maxWidth = rect.Width();
    const bool single = format & DT_SINGLELINE;

    Run all;
    if (format & DT_NOPREFIX)
        all.text = std::string(text);
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
