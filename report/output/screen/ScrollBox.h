#pragma once

// TppScrollBox: the viewer's scroll area. It tells every scroll-bar action
// with the platform's scroll codes (line, page, thumb position and track,
// top, bottom, end of scroll) and the position it led to, and asks its
// owner about the wheel before scrolling with it.

#include "report/model/base/Types.h"

#include <QScrollArea>

#include <functional>

class QWheelEvent;

namespace report {

class TppScrollBox : public QScrollArea
{
public:
    explicit TppScrollBox(QWidget *aParent = nullptr);

    using VerticalScrollEvent =
        std::function<void(TppScrollBox *Sender, int16_t aPosition, TppVerticalScrollEventType aEventType)>;
    using HorizontalScrollEvent =
        std::function<void(TppScrollBox *Sender, int16_t aPosition, TppHorizontalScrollEventType aEventType)>;
    // Answers whether it took the wheel event; the box scrolls otherwise.
    using MouseWheelEvent = std::function<void(TppScrollBox *Sender, Qt::KeyboardModifiers aShift, int aWheelDelta,
                                               QPoint aMousePos, bool &aHandled)>;

    VerticalScrollEvent OnVerticalScroll;
    HorizontalScrollEvent OnHorizontalScroll;
    MouseWheelEvent OnMouseWheel;

    virtual void DoOnVerticalScroll(int16_t aPosition, TppVerticalScrollEventType aEventType);
    virtual void DoOnHorizontalScroll(int16_t aPosition, TppHorizontalScrollEventType aEventType);

protected:
    void wheelEvent(QWheelEvent *aEvent) override;

private:
    // A slider action of Qt as the platform's scroll code; -1 for none.
    static int scrollCode(int aAction);
    void scrolled(bool aVertical, int aCode, int aPosition);
};

} // namespace report
