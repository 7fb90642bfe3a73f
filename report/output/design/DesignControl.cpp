#include "report/output/design/DesignControl.h"

#include "report/output/design/PopupMenu.h"

#include "platform/gfx/Canvas.h"

#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPaintEvent>

namespace report {

TppDesignControl::TppDesignControl(QWidget *aParent)
    : QWidget(aParent)
{
    // The object paints every pixel it wants; what it leaves is the surface's.
    setAttribute(Qt::WA_NoSystemBackground);
    watchSurface();
}

TppDesignControl::~TppDesignControl()
{
    if (OnFreed) {
        auto freed = std::move(OnFreed);
        OnFreed = nullptr;
        freed();
    }
}

// Its object may be going from inside this control's paint event, after
// which Qt still reads the widget.
void TppDesignControl::Release()
{
    hide();
    deleteLater();
}

void TppDesignControl::SetDesignBounds(const rtl::TRect &aBounds)
{
    setGeometry(aBounds.Left, aBounds.Top, std::max(0, aBounds.Right - aBounds.Left),
                std::max(0, aBounds.Bottom - aBounds.Top));
}

rtl::TRect TppDesignControl::DesignBounds() const
{
    const QRect r = geometry();
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

void TppDesignControl::paintEvent(QPaintEvent *)
{
    if (!OnPaint)
        return;
    gfx::Canvas canvas(this);
    OnPaint(canvas);
}

void TppDesignControl::mousePressEvent(QMouseEvent *aEvent)
{
    m_pressPosition = aEvent->position().toPoint();
    QWidget::mousePressEvent(aEvent);
}

void TppDesignControl::contextMenuEvent(QContextMenuEvent *aEvent)
{
    if (OnPopup)
        OnPopup();
    if (auto *menu = dynamic_cast<TppPopupMenu *>(m_popupMenu))
        menu->popup(aEvent->globalPos());
}

void TppDesignControl::changeEvent(QEvent *aEvent)
{
    if (aEvent->type() == QEvent::ParentChange)
        watchSurface();
    QWidget::changeEvent(aEvent);
}

void TppDesignControl::watchSurface()
{
    if (m_watchedSurface)
        m_watchedSurface->removeEventFilter(this);
    m_watchedSurface = parentWidget();
    if (m_watchedSurface) {
        m_surfaceSize = m_watchedSurface->size();
        m_watchedSurface->installEventFilter(this);
    }
}

// Anchored to both sides of an axis, the control grows and shrinks with the
// surface; anchored to the far side only, it moves with it.
bool TppDesignControl::eventFilter(QObject *aWatched, QEvent *aEvent)
{
    if (aWatched == m_watchedSurface && aEvent->type() == QEvent::Resize) {
        const QSize now = m_watchedSurface->size();
        const int dx = now.width() - m_surfaceSize.width();
        const int dy = now.height() - m_surfaceSize.height();
        m_surfaceSize = now;
        QRect r = geometry();
        if ((m_anchors & ppAnchor::LeftRight) == ppAnchor::LeftRight)
            r.setWidth(std::max(0, r.width() + dx));
        else if (m_anchors & ppAnchor::Right)
            r.translate(dx, 0);
        if ((m_anchors & ppAnchor::TopBottom) == ppAnchor::TopBottom)
            r.setHeight(std::max(0, r.height() + dy));
        else if (m_anchors & ppAnchor::Bottom)
            r.translate(0, dy);
        setGeometry(r);
    }
    return QWidget::eventFilter(aWatched, aEvent);
}

} // namespace report

#include "moc_DesignControl.cpp"
