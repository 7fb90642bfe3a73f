#include "grid/widgets/TreeListWidget.h"

#include "grid/core/TreeList.h"
#include "grid/paint/TreeListGlyphs.h"
#include "grid/paint/TreeListPainter.h"
#include "grid/widgets/CursorTable.h"
#include "grid/widgets/KeyTranslation.h"

#include "platform/gfx/Canvas.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimerEvent>

#include <cstdio>
#include <exception>

namespace grid {

TreeListWidget::TreeListWidget(TCustomdxTreeList *tree, QWidget *parent)
    : QAbstractScrollArea(parent)
{
    // The grid covers every pixel of the viewport on each pass.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAttribute(Qt::WA_NoSystemBackground);
    setFrameShape(QFrame::StyledPanel);
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTreeList(tree);
}

TreeListWidget::~TreeListWidget()
{
    setTreeList(nullptr);
}

void TreeListWidget::setTreeList(TCustomdxTreeList *tree)
{
    if (m_tree && m_tree->Host() == this)
        m_tree->SetHost(nullptr);
    m_tree = tree;
    if (m_tree) {
        m_tree->SetHost(this);
        m_tree->CalcMetrics();
        clientResized();
    }
    viewport()->update();
}

void TreeListWidget::clientResized()
{
    if (m_tree)
        m_tree->SetClientRect(rtl::Rect(0, 0, viewport()->width(), viewport()->height()));
}

void TreeListWidget::paintOn(QPainter &painter)
{
    if (!m_tree) {
        painter.fillRect(viewport()->rect(), palette().base());
        return;
    }
    gfx::Canvas canvas(painter);
    TreeListPainter pass(*m_tree, canvas, hasKeyboardFocus());
    try {
        pass.Paint();
    } catch (const std::exception &error) {
        // A handler's failure ends this pass only; the pass has released
        // what it held and the next one starts afresh.
        ++m_failedPaints;
        std::fprintf(stderr, "tree list paint: %s\n", error.what());
    } catch (...) {
        ++m_failedPaints;
        std::fprintf(stderr, "tree list paint: unknown exception\n");
    }
}

bool TreeListWidget::event(QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            keyPressEvent(key);
            return true;
        }
    }
    return QAbstractScrollArea::event(event);
}

void TreeListWidget::keyPressEvent(QKeyEvent *event)
{
    if (!m_tree) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    TKey key = VirtualKey(*event);
    const TShiftState shift = ShiftState(event->modifiers());
    if (key != 0)
        m_tree->KeyDown(key, shift);
    if (key == 0 && VirtualKey(*event) != 0)
        return;
    for (QChar ch : TypedCharacters(*event)) {
        if (!m_tree)
            break;
        m_tree->KeyPress(ch);
    }
    event->accept();
}

void TreeListWidget::paintEvent(QPaintEvent *)
{
    QPainter painter(viewport());
    paintOn(painter);
}

QImage TreeListWidget::render(bool withFocus, QSize size)
{
    if (!size.isValid())
        size = viewport()->size();
    QImage image(size, QImage::Format_RGB32);
    if (image.isNull())
        return image;
    image.fill(Qt::white);
    if (m_tree)
        m_tree->SetClientRect(rtl::Rect(0, 0, size.width(), size.height()));
    m_assumeFocus = withFocus;
    {
        QPainter painter(&image);
        paintOn(painter);
    }
    m_assumeFocus = false;
    clientResized();
    return image;
}

void TreeListWidget::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    clientResized();
}

void TreeListWidget::scrollContentsBy(int, int)
{
    // The tree list moves its contents itself through the host.
}

void TreeListWidget::timerEvent(QTimerEvent *event)
{
    for (auto &[id, timer] : m_timers) {
        if (timer.timerId() == event->timerId()) {
            if (m_tree)
                m_tree->TimerFired(id);
            return;
        }
    }
    QAbstractScrollArea::timerEvent(event);
}

void TreeListWidget::focusInEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void TreeListWidget::focusOutEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

void TreeListWidget::changeEvent(QEvent *event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange) {
        RefreshExpandGlyphs();
        viewport()->update();
    }
}

void TreeListWidget::invalidate(const rtl::TRect &rect)
{
    viewport()->update(gfx::ToQRect(rect));
}

void TreeListWidget::invalidateAll()
{
    viewport()->update();
}

void TreeListWidget::updateNow()
{
    viewport()->repaint();
}

bool TreeListWidget::hasKeyboardFocus() const
{
    if (m_assumeFocus)
        return true;
    const QWidget *focus = QApplication::focusWidget();
    return focus && (focus == this || isAncestorOf(focus));
}

void TreeListWidget::setKeyboardFocus()
{
    setFocus(Qt::OtherFocusReason);
}

void TreeListWidget::startTimer(int id, int intervalMs)
{
    m_timers[id].start(intervalMs, this);
}

void TreeListWidget::stopTimer(int id)
{
    auto it = m_timers.find(id);
    if (it != m_timers.end())
        it->second.stop();
}

void TreeListWidget::setCursor(TCursor cursor)
{
    viewport()->setCursor(CursorFor(cursor));
}

void TreeListWidget::setBusyCursor(bool busy)
{
    if (busy)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QGuiApplication::restoreOverrideCursor();
}

void TreeListWidget::setClipboardText(const QString &text)
{
    QGuiApplication::clipboard()->setText(text);
}

TShiftState TreeListWidget::keyState() const
{
    return ShiftState(QGuiApplication::queryKeyboardModifiers());
}

void TreeListWidget::beep()
{
    QApplication::beep();
}

} // namespace grid
