#include "report/output/screen/ScrollBox.h"

#include "platform/controls/Guard.h"

#include <QAbstractSlider>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>

namespace report {

namespace {

// The platform's scroll codes, shared by both directions.
constexpr int ScrollLineUp = 0;
constexpr int ScrollLineDown = 1;
constexpr int ScrollPageUp = 2;
constexpr int ScrollPageDown = 3;
constexpr int ScrollThumbPosition = 4;
constexpr int ScrollThumbTrack = 5;
constexpr int ScrollTop = 6;
constexpr int ScrollBottom = 7;
constexpr int ScrollEnd = 8;

int16_t scrollBoxPosition(int aValue)
{
    return int16_t(std::clamp(aValue, -32768, 32767));
}

} // namespace

TppScrollBox::TppScrollBox(QWidget *aParent)
    : QScrollArea(aParent)
{
    for (QScrollBar *bar : {verticalScrollBar(), horizontalScrollBar()}) {
        const bool vertical = bar == verticalScrollBar();
        // Tracking: the page follows the thumb while it is dragged.
        bar->setTracking(true);
        connect(bar, &QAbstractSlider::actionTriggered, this, [this, bar, vertical](int aAction) {
            const int code = scrollCode(aAction);
            if (code >= 0)
                scrolled(vertical, code, bar->sliderPosition());
        });
        connect(bar, &QAbstractSlider::sliderReleased, this, [this, bar, vertical]() {
            scrolled(vertical, ScrollThumbPosition, bar->sliderPosition());
            scrolled(vertical, ScrollEnd, bar->value());
        });
    }
}

int TppScrollBox::scrollCode(int aAction)
{
    switch (aAction) {
    case QAbstractSlider::SliderSingleStepSub: return ScrollLineUp;
    case QAbstractSlider::SliderSingleStepAdd: return ScrollLineDown;
    case QAbstractSlider::SliderPageStepSub: return ScrollPageUp;
    case QAbstractSlider::SliderPageStepAdd: return ScrollPageDown;
    case QAbstractSlider::SliderMove: return ScrollThumbTrack;
    case QAbstractSlider::SliderToMinimum: return ScrollTop;
    case QAbstractSlider::SliderToMaximum: return ScrollBottom;
    default: return -1;
    }
}

void TppScrollBox::scrolled(bool aVertical, int aCode, int aPosition)
{
    controls::guarded(controls::Report::none(), [&] {
        if (aVertical)
            DoOnVerticalScroll(scrollBoxPosition(aPosition), TppVerticalScrollEventType(aCode));
        else
            DoOnHorizontalScroll(scrollBoxPosition(aPosition), TppHorizontalScrollEventType(aCode));
    });
}

void TppScrollBox::DoOnVerticalScroll(int16_t aPosition, TppVerticalScrollEventType aEventType)
{
    if (OnVerticalScroll)
        OnVerticalScroll(this, aPosition, aEventType);
}

void TppScrollBox::DoOnHorizontalScroll(int16_t aPosition, TppHorizontalScrollEventType aEventType)
{
    if (OnHorizontalScroll)
        OnHorizontalScroll(this, aPosition, aEventType);
}

void TppScrollBox::wheelEvent(QWheelEvent *aEvent)
{
    bool handled = false;
    const bool ran = controls::guarded(controls::Report::none(), [&] {
        if (OnMouseWheel)
            OnMouseWheel(this, aEvent->modifiers(), aEvent->angleDelta().y(), aEvent->position().toPoint(), handled);
    });
    if (ran && handled) {
        aEvent->accept();
        return;
    }
    QScrollArea::wheelEvent(aEvent);
}

} // namespace report
