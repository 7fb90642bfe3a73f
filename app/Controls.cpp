#include "app/Controls.h"

#include "platform/controls/Guard.h"

#include <QMouseEvent>
#include <QPainter>

namespace app {

using controls::guarded;
using controls::Report;

TPaintBox::TPaintBox(QWidget *parent)
    : QWidget(parent)
{
    setMouseTracking(true);
}

void TPaintBox::paintEvent(QPaintEvent *)
{
    if (!OnPaint)
        return;
    guarded(Report::none(), [this] {
        QPainter painter(this);
        OnPaint(painter);
    });
}

void TPaintBox::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint at = event->position().toPoint();
    if (OnMouseMove)
        guarded(Report::none(), [&] { OnMouseMove(at.x(), at.y()); });
    QWidget::mouseMoveEvent(event);
}

void TImage::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (OnDblClick)
        guarded(Report::toUser(window()), [this] { OnDblClick(); });
    QLabel::mouseDoubleClickEvent(event);
}

} // namespace app

#include "moc_Controls.cpp"
