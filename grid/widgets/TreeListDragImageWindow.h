#pragma once

// The window that carries a drag's picture over the screen, above every
// other window and never in the way of the pointer: the grid under the
// pointer is found through it, and it takes neither clicks nor the focus.

#include <QImage>
#include <QPoint>
#include <QWidget>

namespace grid {

class TreeListDragImageWindow : public QWidget
{
public:
    TreeListDragImageWindow(const QImage &image, const QPoint &hotSpot);

    const QImage &image() const { return m_image; }
    const QPoint &hotSpot() const { return m_hotSpot; }
    // The hot spot at a screen point; beside the cursor it keeps 16 pixels
    // further right and down, so that a large cursor does not hide it.
    void follow(const QPoint &globalPoint, bool besideCursor);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_image;
    QPoint m_hotSpot;
};

} // namespace grid
