#pragma once

// A list of equally sized glyphs, each with a transparency mask, and the
// change notification its users (tab strips, grids) repaint on.

#include "platform/rtl/Colors.h"

#include <QImage>

#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace gfx {

enum class ImageDrawStyle { Normal, Transparent, Focus, Selected };

class ImageList
{
public:
    ImageList(int width = 16, int height = 16);

    int width() const { return m_width; }
    int height() const { return m_height; }
    int count() const { return static_cast<int>(m_images.size()); }

    // Answers the new index. An image wider than the list is cut into several
    // glyphs of the list's width. Pixels of maskColor become transparent
    // (clNone: the image's own alpha is kept).
    int add(const QImage &image, rtl::TColor maskColor = rtl::clNone);
    void clear();
    // A new glyph size empties the list: its glyphs no longer fit.
    void setSize(int width, int height);
    // The glyph with transparent pixels as alpha 0 (null for a bad index).
    QImage image(int index) const;

    // clNone: transparent where masked; another colour fills those pixels
    // when drawn in the Normal style.
    rtl::TColor bkColor() const { return m_bkColor; }
    void setBkColor(rtl::TColor color);
    // Colour blended over Focus (25 %) and Selected (50 %) glyphs;
    // clDefault means the system highlight colour.
    rtl::TColor blendColor() const { return m_blendColor; }
    void setBlendColor(rtl::TColor color);
    ImageDrawStyle drawingStyle() const { return m_drawingStyle; }
    void setDrawingStyle(ImageDrawStyle style);

    // Change links: the callback runs after every change of the list.
    int subscribe(std::function<void()> onChange);
    void unsubscribe(int link);
    int linkCount() const { return static_cast<int>(m_links.size()); }
    // Expires when this list goes: a user that may outlive the list holds
    // it to know whether its link is still there to undo.
    std::weak_ptr<const void> lifetime() const { return m_lifetime.token; }

private:
    void changed();

    int m_width;
    int m_height;
    std::vector<QImage> m_images;
    rtl::TColor m_bkColor = rtl::clNone;
    rtl::TColor m_blendColor = rtl::clDefault;
    ImageDrawStyle m_drawingStyle = ImageDrawStyle::Normal;
    std::map<int, std::function<void()>> m_links;
    int m_nextLink = 1;
    struct Lifetime
    {
        Lifetime() = default;
        // A copy is a list of its own and lives its own life.
        Lifetime(const Lifetime &) {}
        Lifetime &operator=(const Lifetime &) { return *this; }
        std::shared_ptr<const int> token = std::make_shared<const int>(0);
    } m_lifetime;
};

} // namespace gfx
