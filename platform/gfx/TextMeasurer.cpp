#include "platform/gfx/TextMeasurer.h"

#include "platform/rtl/QtText.h"

#include <QFont>
#include <QFontMetrics>

namespace gfx {

namespace {

// QFontMetrics over a font set up for the measurer's resolution. QFont needs a
// paint device to know the resolution; a point size is therefore converted to
// pixels here so that 96 dpi measuring does not depend on the screen.
QFont measuringFont(const Font &font, int dpiY)
{
    QFont f = ToQFont(font, dpiY);
    if (f.pixelSize() <= 0)
        f.setPixelSize(std::max(1, -Font::heightFromSize(font.size, dpiY)));
    return f;
}

TextMetrics computeMetrics(const QFont &f, const QFontMetrics &fm);

} // namespace

struct QtTextMeasurer::Cache
{
    Font key;
    QFont font;
    QFontMetrics fm;
    TextMetrics metrics;
};

const QtTextMeasurer::Cache &QtTextMeasurer::cached(const Font &font) const
{
    if (!m_cache || m_cache->key != font) {
        const QFont f = measuringFont(font, m_dpiY);
        auto c = std::make_shared<Cache>(Cache{font, f, QFontMetrics(f), {}});
        c->metrics = computeMetrics(f, c->fm);
        m_cache = std::move(c);
    }
    return *m_cache;
}

int TextMeasurer::textWidth(const Font &font, std::string_view text) const
{
    return text.empty() ? 0 : width(font, rtl::ToQString(text));
}

int QtTextMeasurer::width(const Font &font, QStringView text) const
{
    // Layout measures many slices of one text; wrapping them copies nothing.
    return cached(font).fm.horizontalAdvance(QString::fromRawData(text.data(), text.size()));
}

TextMetrics QtTextMeasurer::metrics(const Font &font) const
{
    return cached(font).metrics;
}

namespace {

TextMetrics computeMetrics(const QFont &f, const QFontMetrics &fm)
{
    TextMetrics m;
    m.ascent = fm.ascent();
    m.descent = fm.descent();
    m.height = m.ascent + m.descent;
    m.internalLeading = std::max(0, m.height - f.pixelSize());
    m.externalLeading = std::max(0, fm.leading());
    m.avgCharWidth = fm.averageCharWidth();
    return m;
}

} // namespace

int FixedTextMeasurer::width(const Font &, QStringView text) const
{
    qsizetype chars = text.size();
    for (qsizetype i = 1; i < text.size(); ++i)
        if (text[i].isLowSurrogate() && text[i - 1].isHighSurrogate())
            --chars;
    return static_cast<int>(chars) * m_charWidth;
}

TextMetrics FixedTextMeasurer::metrics(const Font &) const
{
    TextMetrics m;
    m.height = m_height;
    m.ascent = m_ascent;
    m.descent = m_height - m_ascent;
    m.avgCharWidth = m_charWidth;
    return m;
}

} // namespace gfx
