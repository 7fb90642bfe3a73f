#include "report/output/screen/ScrollBox.h"

#include "platform/controls/Guard.h"

#include <QAbstractSlider>
#include <QMouseEvent>
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

// A scroll bar that tells when the pointer lets go of it, after the bar has
// finished with the release (a dragged thumb has then been dropped).
class ScrollBoxBar : public QScrollBar
{
public:
    ScrollBoxBar(Qt::Orientation aOrientation, std::function<void()> aReleased)
        : QScrollBar(aOrientation)
        , m_released(std::move(aReleased))
    {}

protected:
    void mouseReleaseEvent(QMouseEvent *aEvent) override
    {
        QScrollBar::mouseReleaseEvent(aEvent);
        if (aEvent->button() == Qt::LeftButton)
            m_released();
    }

private:
    std::function<void()> m_released;
};

} // namespace

TppScrollBox::TppScrollBox(QWidget *aParent)
    : QScrollArea(aParent)
{
    // The scroll ends when the pointer lets go of the bar, whatever part of
    // it was pressed, as the platform tells it.
    setVerticalScrollBar(
        new ScrollBoxBar(Qt::Vertical, [this] { scrolled(true, ScrollEnd, verticalScrollBar()->value()); }));
    setHorizontalScrollBar(
        new ScrollBoxBar(Qt::Horizontal, [this] { scrolled(false, ScrollEnd, horizontalScrollBar()->value()); }));
    for (QScrollBar *bar : {verticalScrollBar(), horizontalScrollBar()}) {
        const bool vertical = bar == verticalScrollBar();
        // Tracking: the page follows the thumb while it is dragged.
        bar->setTracking(true);
        connect(bar, &QAbstractSlider::actionTriggered, this, [this, bar, vertical](int aAction) {
            const int code = scrollCode(aAction);
            if (code >= 0)
                scrolled(vertical, code, bar->sliderPosition());
        });
        connect(bar, &QAbstractSlider::sliderReleased, this,
                [this, bar, vertical]() { scrolled(vertical, ScrollThumbPosition, bar->sliderPosition()); });
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
