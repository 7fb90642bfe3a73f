#include "grid/widgets/TreeListWidget.h"

#include "grid/core/TreeList.h"
#include "grid/core/TreeListColumn.h"
#include "grid/paint/TreeListDragPictures.h"
#include "grid/paint/TreeListGlyphs.h"
#include "grid/paint/TreeListPainter.h"
#include "grid/widgets/ContainerHintWindow.h"
#include "grid/widgets/CursorTable.h"
#include "grid/widgets/FocusChain.h"
#include "grid/widgets/InplaceEdit.h"
#include "grid/widgets/InplaceMaskEdit.h"
#include "grid/widgets/InplaceTextEdit.h"
#include "grid/widgets/KeyTranslation.h"
#include "grid/widgets/PanningSession.h"
#include "grid/widgets/TreeListDragImageWindow.h"

#include "platform/gfx/Canvas.h"

#include <QApplication>
#include <QClipboard>
#include <QEnterEvent>
#include <QGuiApplication>
#include <QImage>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QTimerEvent>
#include <QWheelEvent>

#include <cstdio>
#include <exception>
#include <set>
#include <utility>

namespace grid {

namespace {

// Draws the inverted feedback over the grid's picture, so that the grid's
// own painting never has to erase it.
class TreeListFeedbackOverlay : public QWidget
{
public:
    TreeListFeedbackOverlay(TreeListWidget *grid, QWidget *parent)
        : QWidget(parent)
        , m_grid(grid)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setFocusPolicy(Qt::NoFocus);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        const QRect line = m_grid->sizingLine();
        const QRect arrows = m_grid->dropArrows();
        if (line.isEmpty() && arrows.isEmpty())
            return;
        QPainter p(this);
        p.setCompositionMode(QPainter::CompositionMode_Difference);
        if (!line.isEmpty())
            p.fillRect(line, Qt::white);
        if (!arrows.isEmpty())
            paintArrows(p, arrows);
    }

private:
    // Two arrows pointing at the middle column of the rectangle, one down
    // from its top and one up from its bottom, each a stem and a head.
    static void paintArrows(QPainter &p, const QRect &r)
    {
        const int mid = r.left() + r.width() / 2;
        for (int i = 0; i < 9; ++i) {
            const int half = i < 3 ? 1 : 5 - (i - 3);
            p.fillRect(QRect(mid - half, r.top() + i, 2 * half + 1, 1), Qt::white);
            p.fillRect(QRect(mid - half, r.bottom() - i, 2 * half + 1, 1), Qt::white);
        }
    }

public:
private:
    TreeListWidget *m_grid;
};

// The grid windows alive, for drops on a grid other than the source.
std::set<TreeListWidget *> &treeListWidgetsAlive()
{
    static std::set<TreeListWidget *> alive;
    return alive;
}

} // namespace

TreeListWidget::TreeListWidget(TCustomdxTreeList *tree, QWidget *parent)
    : QAbstractScrollArea(parent)
{
    treeListWidgetsAlive().insert(this);
    // The grid covers every pixel of the viewport on each pass.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAttribute(Qt::WA_NoSystemBackground);
    // Moves without a button pressed choose the cursor over sizing edges.
    viewport()->setMouseTracking(true);
    m_overlay = new TreeListFeedbackOverlay(this, viewport());
    m_overlay->setGeometry(viewport()->rect());
    setFrameShape(QFrame::StyledPanel);
    setFocusPolicy(Qt::StrongFocus);
    // The grid lays itself out from the left, the scroll offset counting
    // what went out on the left, in any program: its bars and its editors
    // go the same way, or the bar across would scroll against its arrows.
    setLayoutDirection(Qt::LeftToRight);
    setAttribute(Qt::WA_InputMethodEnabled);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    connect(horizontalScrollBar(), &QScrollBar::actionTriggered, this, [this](int a) { barAction(false, a); });
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this, [this](int a) { barAction(true, a); });
    resize(DefaultSize);
    setTreeList(tree);
}

void TreeListWidget::barsFollow()
{
    // Through the tree list, so that a descendant hears of it.
    if (m_tree && m_tree->Host() == this)
        m_tree->UpdateScrollBars();
    else
        updateScrollBars();
}

QSize TreeListWidget::sizeHint() const
{
    return DefaultSize;
}

TreeListWidget::~TreeListWidget()
{
    treeListWidgetsAlive().erase(this);
    m_dragImage.reset();
    // A pan running when the window goes ends first: its grabs, timer and
    // filter must not outlive the window.
    delete std::exchange(m_panning, nullptr);
    setTreeList(nullptr);
}

void TreeListWidget::startPanning(TCustomdxTreeList &tree)
{
    if (m_panning || &tree != m_tree)
        return;
    // Where the press that starts it was, not where the pointer is by now:
    // a synthetic press does not move the pointer.
    m_panning = new PanningSession(this, tree, m_pressGlobal, [this] {
        m_panning->deleteLater();
        m_panning = nullptr;
    });
}

void TreeListWidget::setTreeList(TCustomdxTreeList *tree)
{
    if (m_panning)
        m_panning->end();
    m_dragImage.reset();
    if (holdsTree() && m_tree->Host() == this) {
        // The hint and the hot item belong to this window.
        m_tree->BottomHint().Stop();
        m_tree->HotTrack().Reset();
        m_tree->SetHost(nullptr);
    }
    m_tree.reset(tree, tree ? tree->AliveToken() : TreeListAlive());
    applyBorder();
    if (m_tree) {
        m_tree->SetHost(this);
        m_tree->CalcMetrics();
        clientResized();
    }
    viewport()->update();
}

bool TreeListWidget::holdsTree()
{
    return m_tree.get();
}

void TreeListWidget::clientResized()
{
    if (m_tree)
        m_tree->SetClientRect(rtl::Rect(0, 0, viewport()->width(), viewport()->height()));
}

void TreeListWidget::updateScrollBars()
{
    if (!m_tree || m_updatingBars)
        return;
    m_updatingBars = true;
    const bool trim = std::exchange(m_trimBars, false);
    // Each bar is decided on the area the other one leaves, the vertical
    // first and the pair twice, since a bar coming changes the other's
    // page. Measured without the host: trying a size is no change to
    // repaint.
    const QSize area = contentsRect().size();
    const int vExtent = verticalScrollBar()->sizeHint().width();
    const int hExtent = horizontalScrollBar()->sizeHint().height();
    const auto clientFor = [&area, vExtent, hExtent](bool h, bool v) {
        return rtl::Rect(0, 0, std::max(area.width() - (v ? vExtent : 0), 0),
                         std::max(area.height() - (h ? hExtent : 0), 0));
    };
    const rtl::TRect client = m_tree->ClientRect();
    const int top = m_tree->TopRowIndex();
    const int offset = m_tree->HorzOffset();
    m_tree->SetHost(nullptr);
    bool h = horizontalScrollBarPolicy() == Qt::ScrollBarAlwaysOn;
    bool v = verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOn;
    // A resize takes both bars away only when everything fits the area
    // they leave; one bar needed for the other's sake stays otherwise.
    if (trim && h && v && m_tree->MayTrimScrollBars()) {
        m_tree->SetClientRect(clientFor(false, false));
        if (m_tree->ContentsFit())
            h = v = false;
    }
    const TreeListSettings &settings = m_tree->Settings();
    for (int pass = 0; pass < 2; ++pass) {
        m_tree->SetClientRect(clientFor(h, v));
        const TCustomdxTreeList::ScrollBarValues down = m_tree->VertScrollBarValues();
        v = settings.VertScrollBar() && down.Max > down.Min;
        m_tree->SetClientRect(clientFor(h, v));
        const TCustomdxTreeList::ScrollBarValues across = m_tree->HorzScrollBarValues();
        h = settings.HorzScrollBar() && across.Max > across.Min;
    }
    m_tree->SetClientRect(client);
    // Trying other areas may have moved the positions; they go back only
    // when they did, since moving ends an edit.
    if (top >= 0 && m_tree->TopRowIndex() != top)
        m_tree->SetTopRowIndex(top);
    if (m_tree->HorzOffset() != offset)
        m_tree->SetHorzOffset(offset);
    m_tree->SetHost(this);
    setHorizontalScrollBarPolicy(h ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(v ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    clientResized();
    m_tree->KeepPositionsValid();
    const auto apply = [](QScrollBar *bar, const TCustomdxTreeList::ScrollBarValues &values) {
        const QSignalBlocker block(bar);
        bar->setRange(values.Min, std::max(values.Min, values.Max - std::max(values.Page - 1, 0)));
        bar->setPageStep(std::max(values.Page, 1));
        bar->setSingleStep(1);
        bar->setValue(values.Pos);
    };
    apply(horizontalScrollBar(), m_tree->HorzScrollBarValues());
    apply(verticalScrollBar(), m_tree->VertScrollBarValues());
    m_updatingBars = false;
}

void TreeListWidget::barAction(bool vertical, int action)
{
    if (!m_tree)
        return;
    QScrollBar *bar = vertical ? verticalScrollBar() : horizontalScrollBar();
    int code = -1;
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd: code = SB_LINEDOWN; break;
    case QAbstractSlider::SliderSingleStepSub: code = SB_LINEUP; break;
    case QAbstractSlider::SliderPageStepAdd: code = SB_PAGEDOWN; break;
    case QAbstractSlider::SliderPageStepSub: code = SB_PAGEUP; break;
    case QAbstractSlider::SliderToMinimum: code = SB_TOP; break;
    case QAbstractSlider::SliderToMaximum: code = SB_BOTTOM; break;
    case QAbstractSlider::SliderMove: code = SB_THUMBTRACK; break;
    default: return;
    }
    if (vertical)
        m_tree->VScrollTo(code, bar->sliderPosition());
    else
        m_tree->HScroll(code, bar->sliderPosition());
    // The bar shows where the tree list went, not where the slider aimed.
    barsFollow();
    bar->setSliderPosition(bar->value());
}

void TreeListWidget::paintOn(QPainter &painter)
{
    if (!m_tree) {
        painter.fillRect(viewport()->rect(), palette().base());
        return;
    }
    gfx::Canvas canvas(painter);
    const bool focused = hasKeyboardFocus();
    try {
        std::unique_ptr<TreeListPaintPass> pass = m_tree->CreatePainter(canvas, focused);
        if (!pass)
            pass = std::make_unique<TreeListPainter>(*m_tree, canvas, focused);
        pass->Paint();
        m_lastRowsPainted = pass->RowsPainted();
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

bool TreeListWidget::applyBorder()
{
    const int border = m_tree ? int(m_tree->Border()) : int(TCustomdxTreeList::tbClientEdge);
    if (border == m_border)
        return false;
    m_border = border;
    const bool flat = border == TCustomdxTreeList::tbFlatEdge || border == TCustomdxTreeList::tbFlatFrame;
    // The window system's sunken edge is the style's panel frame; the flat
    // ones are a pixel of our own round the viewport.
    setFrameStyle(border == TCustomdxTreeList::tbClientEdge ? QFrame::StyledPanel | QFrame::Sunken : QFrame::NoFrame);
    setViewportMargins(flat ? QMargins(1, 1, 1, 1) : QMargins());
    update();
    return true;
}

void TreeListWidget::paintFlatBorder()
{
    if (m_border != TCustomdxTreeList::tbFlatEdge && m_border != TCustomdxTreeList::tbFlatFrame)
        return;
    QPainter painter(this);
    gfx::Canvas canvas(painter);
    const rtl::TRect all = rtl::Rect(0, 0, width(), height());
    if (m_border == TCustomdxTreeList::tbFlatFrame)
        canvas.FrameRect(all, gfx::Brush::solid(rtl::ColorToRGB(rtl::clBtnShadow)));
    else
        canvas.DrawEdge(all, gfx::BDR_SUNKENOUTER, gfx::BF_RECT);
    const QScrollBar *h = horizontalScrollBar();
    const QScrollBar *v = verticalScrollBar();
    if (h->isVisible() && v->isVisible()) {
        // The bars sit in containers of their own.
        const QRect corner(v->mapTo(this, QPoint(0, 0)).x(), h->mapTo(this, QPoint(0, 0)).y(), v->width(), h->height());
        canvas.FillRect(gfx::FromQRect(corner), gfx::Brush::solid(rtl::ColorToRGB(rtl::clBtnFace)));
    }
}

bool TreeListWidget::event(QEvent *event)
{
    // A modal window coming up, or the grid being disabled, takes the mouse
    // away from a sizing or a drag: the mode ends unapplied, instead of
    // waiting for a release that goes elsewhere.
    if (m_tree && (event->type() == QEvent::WindowBlocked || (event->type() == QEvent::EnabledChange && !isEnabled())))
        m_tree->CancelMode();
    if (event->type() == QEvent::Paint) {
        const bool handled = QAbstractScrollArea::event(event);
        paintFlatBorder();
        return handled;
    }
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            // The grid keeps Tab only when its options ask for it and Ctrl
            // is up; otherwise Tab moves the focus on, as in any dialog.
            m_eventModifiers = key->modifiers();
            const bool keep = m_tree && m_tree->EditWantTabs();
            m_eventModifiers.reset();
            if (keep) {
                keyPressEvent(key);
            } else {
                const bool backward = key->key() == Qt::Key_Backtab || (key->modifiers() & Qt::ShiftModifier);
                focusPastControl(this, backward);
                key->accept();
            }
            return true;
        }
    }
    return QAbstractScrollArea::event(event);
}

void TreeListWidget::keyPressEvent(QKeyEvent *event)
{
    if (!holdsTree()) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    // While the open editor is hidden, its edit going on, the keys are its
    // own as when it is shown: the grid keeps them only for it. Taken here,
    // an arrow would move the focus off the edited cell, and the editor
    // back would take no key at all.
    if (auto *edit = m_tree->EditorAside() ? dynamic_cast<TdxInplaceEdit *>(m_tree->Editor()) : nullptr;
        edit && edit->inputWidget()) {
        QApplication::sendEvent(edit->inputWidget(), event);
        if (holdsTree())
            barsFollow();
        return;
    }
    TKey key = VirtualKey(*event);
    const TShiftState shift = ShiftState(event->modifiers());
    m_eventModifiers = event->modifiers();
    if (key != 0)
        m_tree->KeyDown(key, shift);
    if (!holdsTree()) {
        m_eventModifiers.reset();
        event->accept();
        return;
    }
    barsFollow();
    feedbackChanged();
    if (key == 0 && VirtualKey(*event) != 0) {
        m_eventModifiers.reset();
        return;
    }
    typeCharacters(m_typed.take(TypedCharacters(*event)));
    m_eventModifiers.reset();
    event->accept();
}

void TreeListWidget::typeCharacters(const std::vector<TChar> &characters)
{
    for (TChar ch : characters) {
        if (!holdsTree())
            break;
        // The characters after the one that opened the editor are typed
        // into it, as the keys after the event will be; so are those typed
        // while it is hidden, its edit going on.
        if (InplaceEditor *editor = m_tree->State() == tsEditing ? m_tree->Editor() : nullptr;
            editor && (editor->IsFocused() || m_tree->EditorAside()))
            editor->KeyPress(ch);
        else
            m_tree->KeyPress(ch);
    }
}

namespace {

TShiftState widgetButtonsState(Qt::MouseButtons buttons)
{
    TShiftState state = 0;
    if (buttons & Qt::LeftButton)
        state |= ssLeft;
    if (buttons & Qt::RightButton)
        state |= ssRight;
    if (buttons & Qt::MiddleButton)
        state |= ssMiddle;
    return state;
}

} // namespace

void TreeListWidget::mouseButton(QMouseEvent *event, bool down, TShiftState extra)
{
    if (!holdsTree())
        return;
    TMouseButton button = mbLeft;
    if (event->button() == Qt::RightButton)
        button = mbRight;
    else if (event->button() == Qt::MiddleButton)
        button = mbMiddle;
    else if (event->button() != Qt::LeftButton)
        return;
    const QPoint at = event->position().toPoint();
    const TShiftState shift = ShiftState(event->modifiers()) | widgetButtonsState(event->buttons()) | extra;
    if (down)
        m_pressGlobal = event->globalPosition().toPoint();
    if (down) {
        m_tree->MouseDown(button, shift, at.x(), at.y());
        // A press on the editor soon after this one, once the release has
        // opened it, is the second click of a double click.
        if (InplaceEditor *editor = holdsTree() ? m_tree->Editor() : nullptr; editor && button == mbLeft && !extra)
            editor->SetClickTime(std::max<int64_t>(int64_t(event->timestamp()), 1));
    } else {
        m_tree->MouseUp(button, shift, at.x(), at.y());
    }
    holdsTree();
    barsFollow();
    feedbackChanged();
    event->accept();
}

void TreeListWidget::mousePressEvent(QMouseEvent *event)
{
    mouseButton(event, true, 0);
}

void TreeListWidget::mouseDoubleClickEvent(QMouseEvent *event)
{
    mouseButton(event, true, ssDouble);
}

void TreeListWidget::mouseMoveEvent(QMouseEvent *event)
{
    if (!holdsTree())
        return;
    const QPoint at = event->position().toPoint();
    const bool sizing = TCustomdxTreeList::IsMouseMode(m_tree->State());
    m_tree->MouseMove(ShiftState(event->modifiers()) | widgetButtonsState(event->buttons()), at.x(), at.y());
    if (!holdsTree() || sizing || TCustomdxTreeList::IsMouseMode(m_tree->State()))
        feedbackChanged();
    event->accept();
}

void TreeListWidget::mouseReleaseEvent(QMouseEvent *event)
{
    mouseButton(event, false, 0);
}

void TreeListWidget::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    // The canvas tests what is visible against the painter's clip: only the
    // rows the event's region touches are drawn.
    painter.setClipRegion(event->region());
    paintOn(painter);
}

void TreeListWidget::wheelEvent(QWheelEvent *event)
{
    if (!m_tree) {
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    // A notch is 120; finer wheels add up to one before the grid moves, and
    // a huge turn is still one notch's lines, as the grid takes it.
    m_wheelRest += event->angleDelta().y();
    if (std::abs(m_wheelRest) >= 120) {
        m_tree->MouseWheel(m_wheelRest);
        m_wheelRest = 0;
        barsFollow();
    }
    event->accept();
}

QImage TreeListWidget::render(bool withFocus, QSize size)
{
    if (!size.isValid())
        size = viewport()->size();
    QImage image(size, QImage::Format_RGB32);
    if (image.isNull())
        return image;
    image.fill(Qt::white);
    // The bars keep the window's size out of this picture's.
    const bool updatingBars = m_updatingBars;
    m_updatingBars = true;
    if (m_tree)
        m_tree->SetClientRect(rtl::Rect(0, 0, size.width(), size.height()));
    m_assumeFocus = withFocus;
    {
        QPainter painter(&image);
        paintOn(painter);
    }
    m_assumeFocus = false;
    clientResized();
    m_updatingBars = updatingBars;
    return image;
}

QRect TreeListWidget::sizingLine() const
{
    if (!m_tree || m_tree->FeedbackHidden() > 0)
        return {};
    const uint8_t state = m_tree->State();
    if (!TCustomdxTreeList::IsMouseMode(state) || state == tsColumnDragging || state == tsBandDragging)
        return {};
    TdxTreeListLayoutInfo info;
    m_tree->CalcLayout(info);
    const int at = m_tree->SizingPosition();
    if (state == tsColumnSizing || state == tsBandSizing) {
        const int top =
            state == tsBandSizing && !info.BandPanelRect.IsEmpty() ? info.BandPanelRect.Top : info.HeaderPanelRect.Top;
        return QRect(at, top, state == tsBandSizing ? 2 : 1, std::max(info.RowsRect.Bottom - top, 0));
    }
    const int left = state == tsRowSizing ? info.ClientRect.Left : info.RowsRect.Left;
    return QRect(left, at, std::max(info.RowsRect.Right - left, 0), 1);
}

QRect TreeListWidget::dropArrows() const
{
    return m_tree ? gfx::ToQRect(m_tree->DropArrowsRect()) : QRect();
}

TCustomdxTreeList *TreeListWidget::treeListAt(TCustomdxTreeList & /*self*/, rtl::TPoint &point)
{
    const QPoint global = viewport()->mapToGlobal(QPoint(point.X, point.Y));
    const auto under = [&global](const TreeListWidget *w) {
        return w->m_tree && w->isVisible() && w->viewport()->rect().contains(w->viewport()->mapFromGlobal(global));
    };
    // The window system knows which window is on top: a grid it names is
    // the one, and any other window there covers the grids below it. Only
    // where it names none, or the drag's own picture, are the grids shown
    // looked through, this one first.
    TreeListWidget *found = nullptr;
    QWidget *top = QApplication::widgetAt(global);
    if (top && !dynamic_cast<TreeListDragImageWindow *>(top->window())) {
        for (QWidget *w = top; w && !found; w = w->parentWidget())
            if (auto *grid = dynamic_cast<TreeListWidget *>(w); grid && under(grid))
                found = grid;
    } else {
        if (under(this))
            found = this;
        for (auto it = treeListWidgetsAlive().begin(); !found && it != treeListWidgetsAlive().end(); ++it)
            if (under(*it))
                found = *it;
    }
    if (!found)
        return nullptr;
    const QPoint at = found->viewport()->mapFromGlobal(global);
    point = {at.x(), at.y()};
    return found->m_tree;
}

void TreeListWidget::beginDragImage(const TreeListDragPicture &picture, const rtl::TPoint &clientPoint)
{
    m_dragImage.reset();
    if (!m_tree)
        return;
    const QScreen *screen = this->screen();
    const int maxWidth = screen ? screen->geometry().width() : 4096;
    TreeListDragImage drawn = PaintTreeListDragPicture(*m_tree, picture, nullptr, maxWidth);
    if (drawn.Image.isNull())
        return;
    m_dragImage = std::make_unique<TreeListDragImageWindow>(drawn.Image, drawn.HotSpot);
    moveDragImage(clientPoint, false);
}

void TreeListWidget::moveDragImage(const rtl::TPoint &clientPoint, bool besideCursor)
{
    if (m_dragImage)
        m_dragImage->follow(viewport()->mapToGlobal(QPoint(clientPoint.X, clientPoint.Y)), besideCursor);
}

void TreeListWidget::endDragImage()
{
    m_dragImage.reset();
}

void TreeListWidget::feedbackChanged()
{
    m_overlay->setGeometry(viewport()->rect());
    m_overlay->raise();
    m_overlay->update();
}

void TreeListWidget::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    m_overlay->setGeometry(viewport()->rect());
    clientResized();
    if (m_tree && viewport()->size() != m_lastViewportSize && m_lastViewportSize.isValid()) {
        // A size from outside ends an edit. One the grid's own bars made, as
        // rows or columns came or went, is a change of its layout, which the
        // editor follows: the client rectangle has told the rows already.
        if (!m_updatingBars)
            m_tree->WindowResized();
        else if (holdsTree())
            m_tree->PlaceEditor();
    }
    m_lastViewportSize = viewport()->size();
    // Only a size from outside trims the bars, not one the bars made.
    if (!m_updatingBars)
        m_trimBars = true;
    barsFollow();
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
    if (m_tree)
        m_tree->FocusEntered();
    viewport()->update();
}

void TreeListWidget::focusOutEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusOutEvent(event);
    const QWidget *next = QApplication::focusWidget();
    if (m_tree)
        m_tree->FocusLeft(next && isAncestorOf(next));
    viewport()->update();
}

void TreeListWidget::changeEvent(QEvent *event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange && m_tree && m_tree->ParentFont()) {
        // The window's font is its parent's unless set on it: a grid that
        // takes its parent's font takes it for itself and its headers.
        const QFont qfont = font();
        classes::TFont parent;
        parent.Assign(&m_tree->Font());
        parent.SetName(qfont.family());
        if (qfont.pointSize() > 0)
            parent.SetSize(qfont.pointSize());
        parent.SetStyle((qfont.bold() ? gfx::fsBold : 0u) | (qfont.italic() ? gfx::fsItalic : 0u) |
                        (qfont.underline() ? gfx::fsUnderline : 0u) | (qfont.strikeOut() ? gfx::fsStrikeOut : 0u));
        m_tree->Font().Assign(&parent);
        m_tree->ApplyParentFont(parent);
        barsFollow();
        viewport()->update();
    }
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange) {
        RefreshExpandGlyphs();
        viewport()->update();
    }
}

void TreeListWidget::inputMethodEvent(QInputMethodEvent *event)
{
    if (!holdsTree() || (event->commitString().isEmpty() && event->preeditString().isEmpty())) {
        QAbstractScrollArea::inputMethodEvent(event);
        return;
    }
    // A composition under way opens the editor, so that it shows there,
    // only where a typed character would; the text it commits is typed as
    // keys are, into the search or the grid when the editor stays shut.
    if (!event->preeditString().isEmpty() && m_tree->TypingOpensEditor()) {
        m_tree->ShowEditor();
        // Its can-edit handler may have let the grid go.
        if (!holdsTree()) {
            event->accept();
            return;
        }
    }
    auto *edit = m_tree->State() == tsEditing ? dynamic_cast<TdxInplaceEdit *>(m_tree->Editor()) : nullptr;
    if (edit && edit->inputWidget()) {
        // An editor put aside takes the text where it stands, hidden, as it
        // takes typed keys; the keys stay with the grid until it is back.
        // Focused now, it would be entered anew and its text selected.
        if (!m_tree->EditorAside())
            edit->inputWidget()->setFocus(Qt::OtherFocusReason);
        QApplication::sendEvent(edit->inputWidget(), event);
        return;
    }
    typeCharacters(CharactersOf(event->commitString()));
    event->accept();
}

QVariant TreeListWidget::inputMethodQuery(Qt::InputMethodQuery query) const
{
    // The input method's window goes beside the focused cell.
    if (query == Qt::ImCursorRectangle && m_tree && m_tree->FocusedNode()) {
        const rtl::TRect cell = m_tree->CellRect(m_tree->FocusedNode(), m_tree->FocusedColumn());
        if (cell.Left != -1 || cell.Right != -1)
            return QRect(viewport()->mapTo(this, gfx::ToQRect(cell).topLeft()), gfx::ToQRect(cell).size());
    }
    return QAbstractScrollArea::inputMethodQuery(query);
}

void TreeListWidget::invalidate(const rtl::TRect &rect)
{
    viewport()->update(gfx::ToQRect(rect));
}

void TreeListWidget::invalidateAll()
{
    if (applyBorder())
        clientResized();
    viewport()->update();
    barsFollow();
    // The grid repaints whole when its cells may have moved: an open editor
    // goes with its cell, or the value typed would show over another row.
    if (holdsTree())
        m_tree->PlaceEditor();
}

void TreeListWidget::scrollContents(int dx, int dy, const rtl::TRect &area)
{
    viewport()->scroll(dx, dy, gfx::ToQRect(area));
    updateScrollBars();
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

bool TreeListWidget::canFocus() const
{
    for (const QWidget *w = this; w; w = w->parentWidget()) {
        if (w->isHidden() || !w->isEnabled())
            return false;
        if (w->isWindow())
            break;
    }
    return true;
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

void TreeListWidget::showHint(const rtl::TPoint &clientPoint, const QString &text, const classes::TFont &font)
{
    if (!m_hint)
        m_hint = std::make_unique<TdxContainerHintWindow>();
    m_hint->ShowCellHintEx(viewport()->mapToGlobal(QPoint(clientPoint.X, clientPoint.Y)), 0, true, font, text);
}

void TreeListWidget::hideHint()
{
    m_hint.reset();
}

bool TreeListWidget::viewportEvent(QEvent *event)
{
    if (m_tree && event->type() == QEvent::Enter) {
        const QPoint at = static_cast<QEnterEvent *>(event)->position().toPoint();
        m_tree->MouseEntered(at.x(), at.y());
    } else if (m_tree && event->type() == QEvent::Leave) {
        m_tree->MouseLeft();
    }
    return QAbstractScrollArea::viewportEvent(event);
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
    return ShiftState(m_eventModifiers ? *m_eventModifiers : QGuiApplication::queryKeyboardModifiers());
}

int TreeListWidget::doubleClickTime() const
{
    return QApplication::doubleClickInterval();
}

void TreeListWidget::beep()
{
    ++m_beeps;
    QApplication::beep();
}

InplaceEditor *TreeListWidget::createEditor(const QString &className, TCustomdxContainer *owner)
{
    if (className == QLatin1String(InplaceTreeListMaskEditName))
        return new TdxInplaceMaskEdit(owner, viewport());
    if (className == QLatin1String(InplaceTreeListTextEditName))
        return new TdxInplaceTextEdit(owner, viewport());
    return nullptr;
}

} // namespace grid
