#include "app/Controls.h"

#include <QMouseEvent>
#include <QPainter>

namespace app {

TPaintBox::TPaintBox(QWidget *parent)
    : QWidget(parent)
{
    setMouseTracking(true);
}

void TPaintBox::paintEvent(QPaintEvent *)
{
    if (!OnPaint)
        return;
    QPainter painter(this);
    OnPaint(painter);
}

void TPaintBox::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint at = event->position().toPoint();
    if (OnMouseMove)
        OnMouseMove(at.x(), at.y());
    QWidget::mouseMoveEvent(event);
}

void TImage::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (OnDblClick)
        OnDblClick();
    QLabel::mouseDoubleClickEvent(event);
}

} // namespace app
