#pragma once

// TppDesignControl: the light control that stands for a printable object on a
// design surface. It paints through the handler the object binds, remembers
// where the mouse was pressed, keeps its distance to the sides it is anchored
// to when its surface resizes, and pops up the object's menu.

#include "report/model/bands/DesignControls.h"

#include <QPoint>
#include <QWidget>

namespace report {

class TppDesignControl
    : public QWidget
    , public IppDesignControl
{
    Q_OBJECT
public:
    explicit TppDesignControl(QWidget *aParent = nullptr);
    ~TppDesignControl() override;

    void SetDesignBounds(const rtl::TRect &aBounds) override;
    rtl::TRect DesignBounds() const override;
    void SetDesignVisible(bool aVisible) override { setVisible(aVisible); }
    bool DesignVisible() const override { return !isHidden(); }
    void SetAnchors(uint8_t aAnchors) override { m_anchors = aAnchors; }
    uint8_t Anchors() const override { return m_anchors; }
    void Invalidate() override { update(); }
    void BringToFront() override { raise(); }
    void SendToBack() override { lower(); }
    void SetPopupMenu(IppPopupMenu *aMenu) override { m_popupMenu = aMenu; }
    IppPopupMenu *PopupMenu() const override { return m_popupMenu; }
    void Release() override;

    // Where the mouse was last pressed, in the control's pixels.
    QPoint PressPosition() const { return m_pressPosition; }

protected:
    void paintEvent(QPaintEvent *aEvent) override;
    void mousePressEvent(QMouseEvent *aEvent) override;
    void contextMenuEvent(QContextMenuEvent *aEvent) override;
    bool eventFilter(QObject *aWatched, QEvent *aEvent) override;
    void changeEvent(QEvent *aEvent) override;

private:
    void watchSurface();

    uint8_t m_anchors = ppAnchor::Left | ppAnchor::Top;
    IppPopupMenu *m_popupMenu = nullptr;
    QPoint m_pressPosition;
    QWidget *m_watchedSurface = nullptr;
    QSize m_surfaceSize;
};

} // namespace report
