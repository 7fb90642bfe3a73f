#include "platform/gfx/ImageList.h"

#include "platform/gfx/Colors.h"

#include <QPainter>

namespace gfx {

ImageList::ImageList(int width, int height)
    : m_width(std::max(1, width))
    , m_height(std::max(1, height))
{}

void ImageList::setSize(int width, int height)
{
    width = std::max(1, width);
    height = std::max(1, height);
    if (width == m_width && height == m_height)
        return;
    m_width = width;
    m_height = height;
    m_images.clear();
    changed();
}

int ImageList::add(const QImage &image, rtl::TColor maskColor)
{
    if (image.isNull())
        return -1;
    QImage src = image.convertToFormat(QImage::Format_ARGB32);
    if (maskColor != rtl::clNone) {
        const QRgb mask = ToQColor(maskColor).rgb() & 0xFFFFFF;
        for (int y = 0; y < src.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(src.scanLine(y));
            for (int x = 0; x < src.width(); ++x)
                if ((line[x] & 0xFFFFFF) == mask)
                    line[x] = 0;
        }
    }
    const int first = count();
    const int pieces = std::max(1, src.width() / m_width);
    for (int i = 0; i < pieces; ++i) {
        QImage glyph(m_width, m_height, QImage::Format_ARGB32);
        glyph.fill(Qt::transparent);
        QPainter p(&glyph);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(QPoint(0, 0), src, QRect(i * m_width, 0, m_width, m_height));
        p.end();
        m_images.push_back(glyph);
    }
    changed();
    return first;
}

void ImageList::clear()
{
    m_images.clear();
    changed();
}

QImage ImageList::image(int index) const
{
    if (index < 0 || index >= count())
        return {};
    return m_images[static_cast<size_t>(index)];
}

void ImageList::setBkColor(rtl::TColor color)
{
    if (m_bkColor != color) {
        m_bkColor = color;
        changed();
    }
}

void ImageList::setBlendColor(rtl::TColor color)
{
    if (m_blendColor != color) {
        m_blendColor = color;
        changed();
    }
}

void ImageList::setDrawingStyle(ImageDrawStyle style)
{
    if (m_drawingStyle != style) {
        m_drawingStyle = style;
        changed();
    }
}

int ImageList::subscribe(std::function<void()> onChange)
{
    const int id = m_nextLink++;
    m_links.emplace(id, std::move(onChange));
    return id;
}

void ImageList::unsubscribe(int link)
{
    m_links.erase(link);
}

void ImageList::changed()
{
    // A callback may unsubscribe itself; walk a copy of the ids.
    std::vector<int> ids;
    for (const auto &[id, fn] : m_links)
        ids.push_back(id);
    for (int id : ids) {
        auto it = m_links.find(id);
        if (it != m_links.end() && it->second)
            it->second();
    }
}

} // namespace gfx
