#include "grid/widgets/PanningSession.h"

#include "grid/core/TreeList.h"
#include "grid/widgets/CursorTable.h"
#include "grid/widgets/TreeListWidget.h"

#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QScreen>

namespace grid {

namespace {

// The round marker where the mode began: a ring with the arrows of the
// directions that can scroll.
class PanningIndicator : public QWidget
{
public:
    PanningIndicator(PanIndicator kind, const QRect &bounds)
        : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus)
        , m_kind(kind)
    {
        setAttribute(Qt::WA_ShowWithoutActivating);
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setGeometry(bounds);
        setMask(QRegion(0, 0, bounds.width() + 1, bounds.height() + 1, QRegion::Ellipse));
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        p.fillRect(rect(), palette().color(QPalette::Window));
        p.setPen(palette().color(QPalette::WindowText));
        p.drawEllipse(r);
        p.setBrush(palette().color(QPalette::WindowText));
        const QPointF c = r.center();
        const qreal a = r.width() / 2 - 3;
        auto arrow = [&](QPointF tip, QPointF side) {
            QPainterPath path;
            path.moveTo(c + tip);
            path.lineTo(c + tip * 0.6 + side);
            path.lineTo(c + tip * 0.6 - side);
            path.closeSubpath();
            p.drawPath(path);
        };
        if (m_kind != PanIndicator::Horizontal) {
            arrow({0, -a}, {a / 3, 0});
            arrow({0, a}, {a / 3, 0});
        }
        if (m_kind != PanIndicator::Vertical) {
            arrow({-a, 0}, {0, a / 3});
            arrow({a, 0}, {0, a / 3});
        }
        p.drawEllipse(c, 1.5, 1.5);
    }

private:
    PanIndicator m_kind;
};

QCursor panningCursor(TCursor number)
{
    if (HasCursorEntry(number))
        return CursorFor(number);
    switch (number) {
    case crPanFull: return Qt::SizeAllCursor;
    case crPanHorz:
    case crPanLeft:
    case crPanRight: return Qt::SizeHorCursor;
    default: return Qt::SizeVerCursor;
    }
}

} // namespace

PanningSession::PanningSession(TreeListWidget *window, TCustomdxTreeList &tree, QPoint origin,
                               std::function<void()> ended)
    : QObject(window)
    , m_window(window)
    , m_tree(tree)
    , m_treeAlive(tree.AliveToken())
    , m_ended(std::move(ended))
{
    PanningController::Setup setup;
    setup.origin = {origin.x(), origin.y()};
    // The bars the window shows as the mode begins, each on its own.
    setup.hasHorzBar = window->horizontalScrollBarPolicy() == Qt::ScrollBarAlwaysOn;
    setup.hasVertBar = window->verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOn;
    if (const QScreen *screen = window->screen())
        setup.screen = {screen->geometry().width(), screen->geometry().height()};
    m_controller = std::make_unique<PanningController>(setup, [this](bool horizontal, int code) {
        if (m_treeAlive.expired())
            return;
        if (horizontal)
            m_tree.HScroll(code);
        else
            m_tree.VScroll(code);
        m_window->updateScrollBars();
    });

    const rtl::TRect b = m_controller->IndicatorBounds();
    m_indicator = new PanningIndicator(m_controller->Indicator(), QRect(b.Left, b.Top, b.Width(), b.Height()));
    m_indicator->show();
    m_running = true;
    m_timer.start(PanningController::TickMs, this);
    window->viewport()->grabMouse(panningCursor(m_controller->Cursor()));
    window->viewport()->grabKeyboard();
    qApp->installEventFilter(this);
}

PanningSession::~PanningSession()
{
    m_ended = nullptr;
    end();
}

bool PanningSession::lostGrab() const
{
    return QWidget::mouseGrabber() != m_window->viewport();
}

void PanningSession::showCursor()
{
    // The grab's cursor is the one shown wherever the pointer is.
    m_window->viewport()->grabMouse(panningCursor(m_controller->Cursor()));
}

void PanningSession::end()
{
    if (!m_running)
        return;
    m_running = false;
    qApp->removeEventFilter(this);
    m_timer.stop();
    QWidget *viewport = m_window->viewport();
    if (QWidget::mouseGrabber() == viewport)
        viewport->releaseMouse();
    if (QWidget::keyboardGrabber() == viewport)
        viewport->releaseKeyboard();
    delete m_indicator.data();
    if (m_ended)
        m_ended();
}

void PanningSession::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != m_timer.timerId())
        return QObject::timerEvent(event);
    tick();
}

void PanningSession::tick()
{
    if (!m_running)
        return;
    if (lostGrab() || m_treeAlive.expired()) {
        end();
        return;
    }
    m_controller->Tick();
    // A scroll's handler that freed the grid ends the mode at once.
    if (m_treeAlive.expired())
        end();
}

bool PanningSession::eventFilter(QObject *watched, QEvent *event)
{
    if (!m_running)
        return false;
    const QEvent::Type type = event->type();
    const bool input = type == QEvent::KeyPress || type == QEvent::KeyRelease || type == QEvent::MouseMove ||
                       type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease ||
                       type == QEvent::MouseButtonDblClick || type == QEvent::Wheel;
    if (!input || !watched->isWidgetType())
        return false;
    if (lostGrab()) {
        end();
        return false;
    }
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        // Only Esc counts; other keys typed meanwhile are lost.
        if (static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape)
            end();
        return true;
    case QEvent::MouseMove: {
        const QPoint at = static_cast<QMouseEvent *>(event)->globalPosition().toPoint();
        const TCursor before = m_controller->Cursor();
        m_controller->PointerMoved({at.x(), at.y()});
        if (m_controller->Cursor() != before)
            showCursor();
        return true;
    }
    case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent *>(event)->button() == Qt::MiddleButton) {
            if (m_controller->EndsOnMiddleRelease())
                end();
            return true;
        }
        end();
        return true;
    default:
        // Any other button or the wheel ends the mode and is consumed.
        end();
        return true;
    }
}

} // namespace grid
