#include "grid/widgets/TreeListDragImageWindow.h"

#include <QPainter>

namespace grid {

TreeListDragImageWindow::TreeListDragImageWindow(const QImage &image, const QPoint &hotSpot)
    : QWidget(nullptr,
              Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus)
    , m_image(image)
    , m_hotSpot(hotSpot)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    resize(image.size());
}

void TreeListDragImageWindow::follow(const QPoint &globalPoint, bool besideCursor)
{
    const QPoint hot = besideCursor ? m_hotSpot - QPoint(16, 16) : m_hotSpot;
    move(globalPoint - hot);
    if (!isVisible())
        show();
}

void TreeListDragImageWindow::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawImage(0, 0, m_image);
}

} // namespace grid
