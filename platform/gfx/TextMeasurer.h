#pragma once

// Text measurement behind layout: the page control's strip geometry and the
// line breaking of DrawText both ask a TextMeasurer, so tests can swap in a
// fixed-width fake and get the same numbers on every machine.

#include "platform/gfx/GdiObjects.h"

#include <QStringView>

#include <memory>
#include <string_view>

namespace gfx {

struct TextMetrics
{
    int height = 0; // ascent + descent: the line height
    int ascent = 0;
    int descent = 0;
    int internalLeading = 0;
    int externalLeading = 0;
    int avgCharWidth = 0;
    friend bool operator==(const TextMetrics &, const TextMetrics &) = default;
};

class TextMeasurer
{
public:
    virtual ~TextMeasurer() = default;
    // Width in pixels of a single-line text in the font.
    int textWidth(const Font &font, QStringView text) const { return text.isEmpty() ? 0 : width(font, text); }
    int textWidth(const Font &font, std::string_view text) const; // Windows-1252
    virtual TextMetrics metrics(const Font &font) const = 0;

    int textHeight(const Font &font) const { return metrics(font).height; }

protected:
    // text is not empty.
    virtual int width(const Font &font, QStringView text) const = 0;
};

// Measures with the real font at a given resolution (96 dpi unless told).
class QtTextMeasurer : public TextMeasurer
{
public:
    explicit QtTextMeasurer(int dpiY = 96)
        : m_dpiY(dpiY)
    {}
    TextMetrics metrics(const Font &font) const override;
    int dpiY() const { return m_dpiY; }

protected:
    int width(const Font &font, QStringView text) const override;

private:
    struct Cache;
    const Cache &cached(const Font &font) const;

    int m_dpiY;
    // The last font's Qt objects; layout asks about one font many times in a
    // row. Measurers belong to the user-interface thread.
    mutable std::shared_ptr<Cache> m_cache;
};

// Every character (code point: a surrogate pair is one) is charWidth pixels
// wide whatever the font; lines are height pixels high with the given ascent.
class FixedTextMeasurer : public TextMeasurer
{
public:
    explicit FixedTextMeasurer(int charWidth = 7, int height = 13, int ascent = 10)
        : m_charWidth(charWidth)
        , m_height(height)
        , m_ascent(ascent)
    {}
    TextMetrics metrics(const Font &font) const override;

protected:
    int width(const Font &font, QStringView text) const override;

private:
    int m_charWidth;
    int m_height;
    int m_ascent;
};

} // namespace gfx
