// Input, docking and the strip's view of the control.

#include "widgets/pagecontrol/dxPageControl.h"

#include "platform/controls/CursorPicture.h"
#include "platform/controls/Guard.h"
#include "platform/controls/PaintCanvas.h"
#include "platform/gfx/Canvas.h"
#include "platform/rtl/QtText.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QCursor>
#include <QDrag>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QVBoxLayout>

#include <algorithm>
#include <cctype>
#include <utility>

namespace widgets {

namespace {

// Tells a control's OnMouseDown or OnMouseUp of the event, in the control's
// coordinates; a double click is a press with ssDouble.
void tellMouseButton(const TMouseEvent &handler, classes::TObject *sender, const QMouseEvent &event,
                     controls::TShiftState extra = 0)
{
    const std::optional<controls::TMouseButton> button = controls::MouseButtonOf(event.button());
    if (!handler || !button)
        return;
    const QPoint p = event.position().toPoint();
    controls::guarded(controls::Report::none(), [&] {
        handler(sender, *button, controls::ShiftStateOf(event.modifiers(), event.buttons()) | extra, p.x(), p.y());
    });
}

void tellMouseMove(const TMouseMoveEvent &handler, classes::TObject *sender, const QMouseEvent &event)
{
    if (!handler)
        return;
    const QPoint p = event.position().toPoint();
    controls::guarded(controls::Report::none(), [&] {
        handler(sender, controls::ShiftStateOf(event.modifiers(), event.buttons()), p.x(), p.y());
    });
}

// Tells OnContextPopup; a handled request goes no further.
void tellContextPopup(const TContextPopupEvent &handler, classes::TObject *sender, QContextMenuEvent &event)
{
    bool handled = false;
    if (handler) {
        const QPoint at = event.reason() == QContextMenuEvent::Keyboard ? QPoint(-1, -1) : event.pos();
        controls::guarded(controls::Report::none(), [&] { handler(sender, at, handled); });
    }
    event.setAccepted(handled);
}

// The control's own menu for a request its handler left.
void popupUnhandled(controls::TPopupMenu *menu, QContextMenuEvent &event)
{
    if (event.isAccepted() || !menu)
        return;
    menu->Popup(event.globalPos());
    event.accept();
}

void tellDragOver(const TDragOverEvent &handler, classes::TObject *sender, QDragMoveEvent &event, TDragState state,
                  std::optional<QPoint> &position)
{
    const QPoint at = event.position().toPoint();
    bool accept = false;
    if (handler) {
        accept = true;
        controls::guarded(controls::Report::none(), [&] { handler(sender, event, at.x(), at.y(), state, accept); });
    }
    position = at;
    if (accept)
        event.acceptProposedAction();
    else
        event.ignore();
}

void tellDragLeave(const TDragOverEvent &handler, classes::TObject *sender, std::optional<QPoint> &position)
{
    if (handler && position) {
        const QDropEvent left(QPointF(*position), Qt::IgnoreAction, nullptr, Qt::NoButton, Qt::NoModifier);
        bool accept = true;
        controls::guarded(controls::Report::none(), [&] {
            handler(sender, left, position->x(), position->y(), TDragState::dsDragLeave, accept);
        });
    }
    position.reset();
}

void tellDrop(const TDragDropEvent &handler, classes::TObject *sender, QDropEvent &event,
              std::optional<QPoint> &position)
{
    position.reset();
    const QPoint at = event.position().toPoint();
    if (!handler) {
        event.ignore();
        return;
    }
    controls::guarded(controls::Report::none(), [&] { handler(sender, event, at.x(), at.y()); });
    event.acceptProposedAction();
}

// Drags the source to the drag's end, telling OnStartDrag before and
// OnEndDrag after.
void runDragOf(QWidget *source, classes::TObject *sender, controls::TCursor cursor, const TStartDragEvent &start,
               const TEndDragEvent &end)
{
    auto *drag = new QDrag(source);
    drag->setMimeData(new QMimeData);
    // Where the target refuses, Qt's forbidden cursor stands for crNoDrop.
    if (cursor != controls::crDrag) {
        const QPixmap picture = controls::CursorPicture(cursor);
        for (const Qt::DropAction action : {Qt::MoveAction, Qt::CopyAction, Qt::LinkAction})
            drag->setDragCursor(picture, action);
    }
    if (start)
        controls::guarded(controls::Report::none(), [&] { start(sender, *drag); });
    controls::runDrag(*drag);
    QObject *target = drag->target();
    drag->deleteLater();
    if (end) {
        const QPoint at = source->mapFromGlobal(QCursor::pos());
        controls::guarded(controls::Report::none(), [&] { end(sender, target, at.x(), at.y()); });
    }
}

// A press that moved past the drag distance, for DragMode dmAutomatic.
bool draggedFar(std::optional<QPoint> &from, const QMouseEvent &event)
{
    if (!from || !(event.buttons() & Qt::LeftButton) ||
        (event.position().toPoint() - *from).manhattanLength() < QApplication::startDragDistance())
        return false;
    from.reset();
    return true;
}

} // namespace

void TdxTabSheet::BeginDrag()
{
    if (m_dragKind == controls::TDragKind::dkDock)
        m_dockDrag.start(this, this, OnStartDock);
    else
        runDragOf(this, this, m_dragCursor, OnStartDrag, OnEndDrag);
}

void TdxCustomPageControl::BeginDrag()
{
    if (m_dragKind == controls::TDragKind::dkDock)
        m_dockDrag.start(this, this, OnStartDock);
    else
        runDragOf(this, this, m_dragCursor, OnStartDrag, OnEndDrag);
}

void TdxTabSheet::keyPressEvent(QKeyEvent *event)
{
    if (m_dockDrag.active() && event->key() == Qt::Key_Escape) {
        m_dockDrag.finish(QCursor::pos(), false, OnEndDock);
        return;
    }
    QWidget::keyPressEvent(event);
}

void TdxTabSheet::dragEnterEvent(QDragEnterEvent *event)
{
    tellDragOver(OnDragOver, this, *event, TDragState::dsDragEnter, m_dragPosition);
}

void TdxTabSheet::dragMoveEvent(QDragMoveEvent *event)
{
    tellDragOver(OnDragOver, this, *event, TDragState::dsDragMove, m_dragPosition);
}

void TdxTabSheet::dragLeaveEvent(QDragLeaveEvent *)
{
    tellDragLeave(OnDragOver, this, m_dragPosition);
}

void TdxTabSheet::dropEvent(QDropEvent *event)
{
    tellDrop(OnDragDrop, this, *event, m_dragPosition);
}

void TdxCustomPageControl::dragEnterEvent(QDragEnterEvent *event)
{
    tellDragOver(OnDragOver, this, *event, TDragState::dsDragEnter, m_dragPosition);
}

void TdxCustomPageControl::dragMoveEvent(QDragMoveEvent *event)
{
    tellDragOver(OnDragOver, this, *event, TDragState::dsDragMove, m_dragPosition);
}

void TdxCustomPageControl::dragLeaveEvent(QDragLeaveEvent *)
{
    tellDragLeave(OnDragOver, this, m_dragPosition);
}

void TdxCustomPageControl::dropEvent(QDropEvent *event)
{
    tellDrop(OnDragDrop, this, *event, m_dragPosition);
}

void TdxTabSheet::contextMenuEvent(QContextMenuEvent *event)
{
    tellContextPopup(OnContextPopup, this, *event);
    popupUnhandled(m_popupMenu, *event);
}

void TdxCustomPageControl::contextMenuEvent(QContextMenuEvent *event)
{
    tellContextPopup(OnContextPopup, this, *event);
    popupUnhandled(m_popupMenu, *event);
}

// A page takes the mouse events on it for itself: they are not the strip's.
void TdxTabSheet::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && m_dragMode == controls::TDragMode::dmAutomatic)
        m_dragFrom = event->position().toPoint();
    tellMouseButton(OnMouseDown, this, *event);
    event->accept();
}

void TdxTabSheet::mouseDoubleClickEvent(QMouseEvent *event)
{
    tellMouseButton(OnMouseDown, this, *event, controls::ssDouble);
    event->accept();
}

void TdxTabSheet::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_dockDrag.active()) {
        m_dockDrag.finish(event->globalPosition().toPoint(), true, OnEndDock);
        event->accept();
        return;
    }
    m_dragFrom.reset();
    tellMouseButton(OnMouseUp, this, *event);
    event->accept();
}

void TdxTabSheet::mouseMoveEvent(QMouseEvent *event)
{
    if (m_dockDrag.active()) {
        m_dockDrag.move(event->globalPosition().toPoint());
        event->accept();
        return;
    }
    tellMouseMove(OnMouseMove, this, *event);
    if (draggedFar(m_dragFrom, *event))
        BeginDrag();
    event->accept();
}

namespace {

// ch is an upper-case character. The letter after "&" is a whole character
// of any script ("&Жизнь", "&Übersicht"), a pair of UTF-16 units included.
bool isAccel(char32_t ch, const QString &caption)
{
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != u'&')
            continue;
        if (caption[i + 1] == u'&') {
            ++i; // "&&" is a literal ampersand
            continue;
        }
        char32_t letter = caption[i + 1].unicode();
        if (QChar::isHighSurrogate(letter) && i + 2 < caption.size() && caption[i + 2].isLowSurrogate())
            letter = QChar::surrogateToUcs4(caption[i + 1], caption[i + 2]);
        return QChar::toUpper(letter) == ch;
    }
    return false;
}

// The upper-case character of an accelerator key, 0 for a key that is no
// letter or digit. A Latin-1 letter's key code is its upper-case character;
// a letter of another layout comes as the event's text.
char32_t accelCharacter(const QKeyEvent &event)
{
    const int key = event.key();
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        return char32_t(key);
    if (key >= 0xC0 && key <= 0xFF && QChar(key).isLetter())
        return QChar(key).toUpper().unicode();
    const QList<uint> text = event.text().toUcs4();
    if (text.size() == 1 && QChar::isLetterOrNumber(text[0]))
        return QChar::toUpper(text[0]);
    return 0;
}

QString firstLine(const QString &text)
{
    qsizetype end = 0;
    while (end < text.size() && text[end] != u'\r' && text[end] != u'\n')
        ++end;
    return text.left(end);
}

} // namespace

// --- docking -------------------------------------------------------------------

TdxTabSheet *TdxCustomPageControl::dockPageOf(QWidget *client) const
{
    for (const DockClient &d : m_dockClients)
        if (d.client == client)
            return d.page;
    return nullptr;
}

void TdxCustomPageControl::forgetDockClients(const std::function<bool(const DockClient &)> &matches)
{
    const auto gone = std::remove_if(m_dockClients.begin(), m_dockClients.end(), [&](const DockClient &d) {
        if (!matches(d))
            return false;
        QObject::disconnect(d.freed);
        return true;
    });
    m_dockClients.erase(gone, m_dockClients.end());
}

// A docked client freed leaves as an undocked one: its page goes and the page
// after it is selected. The page is freed once the client is gone for good,
// since it still holds the client while the client is being destroyed.
void TdxCustomPageControl::dockedClientFreed(QObject *client)
{
    TdxTabSheet *page = nullptr;
    for (const DockClient &d : m_dockClients)
        if (d.client == client)
            page = d.page;
    if (!page)
        return;
    forgetDockClients([client](const DockClient &d) { return d.client == client; });
    endClientDrag(client);
    page->deleteLater();
}

void TdxCustomPageControl::endClientDrag(QObject *client)
{
    if (client != m_dragClient)
        return;
    if (m_dockDragging)
        m_dockDrag.abandon(client);
    m_dragClient = nullptr;
    m_dockDragging = false;
}

TdxTabSheet *TdxCustomPageControl::DockControl(QWidget *client)
{
    if (!m_dockSite || !client || client == this || client->isAncestorOf(this))
        return nullptr;
    for (TdxTabSheet *page : m_pages)
        if (page->isAncestorOf(client))
            return nullptr;
    // A form docked in another control is a form still; it leaves that
    // control first, which may keep it, and its page there goes once it is
    // here.
    auto *fromPage = qobject_cast<TdxTabSheet *>(client->parentWidget());
    TdxCustomPageControl *from = fromPage ? fromPage->PageControl() : nullptr;
    if (from && from->dockPageOf(client) != fromPage)
        from = nullptr;
    const bool form = client->isWindow() || from;
    const bool visible = client->isWindow() ? client->isVisible() : !client->isHidden();
    // The handlers called below (the other control's OnUnDock and page
    // events, this control's OnChanging, page events and OnDockDrop) may
    // free the form, its new page or this control: each is held by its
    // QPointer and the docking ends where one went.
    const QPointer<TdxCustomPageControl> self(this);
    const QPointer<QWidget> held(client);
    if (from && !from->releaseClient(client, this))
        return nullptr;
    if (!self || !held)
        return nullptr;
    auto *page = new TdxTabSheet();
    page->SetCaption(form ? firstLine(client->windowTitle()) : QString());
    page->SetTabVisible(visible);
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    client->setParent(page);
    layout->addWidget(client);
    if (visible)
        client->setVisible(true);
    const QPointer<TdxTabSheet> heldPage(page);
    if (from)
        delete fromPage;
    if (!self || !heldPage || !held) {
        // Nothing is left to dock into: the form floats again.
        if (held)
            client->setParent(nullptr, Qt::Window);
        delete heldPage.data();
        return nullptr;
    }
    page->SetPageControl(this);
    if (!self || !heldPage || !held)
        return nullptr;
    m_dockClients.push_back({client, page, QObject::connect(client, &QObject::destroyed, this, [this](QObject *gone) {
                                 dockedClientFreed(gone);
                             })});
    client->installEventFilter(this);
    if (visible) {
        SetActivePage(page);
        if (!self || !heldPage || !held)
            return nullptr;
    }
    if (OnDockDrop) {
        const QPoint at = mapFromGlobal(QCursor::pos());
        controls::guarded(controls::Report::none(), [&] { OnDockDrop(this, client, at.x(), at.y()); });
    }
    return page;
}

TdxTabSheet *TdxCustomPageControl::releaseClient(QWidget *client, QWidget *newTarget)
{
    TdxTabSheet *page = dockPageOf(client);
    if (!page)
        return nullptr;
    bool allow = true;
    // OnUnDock may free the form, its page or this control.
    const QPointer<TdxCustomPageControl> self(this);
    const QPointer<QWidget> held(client);
    if (OnUnDock)
        controls::guarded(controls::Report::none(), [&] { OnUnDock(this, client, newTarget, allow); });
    if (!self || !held || !allow || dockPageOf(client) != page)
        return nullptr;
    client->removeEventFilter(this);
    // Let go of while its tab is dragged: the drag no longer holds it.
    endClientDrag(client);
    forgetDockClients([client](const DockClient &d) { return d.client == client; });
    return page;
}

bool TdxCustomPageControl::UndockControl(QWidget *client)
{
    TdxTabSheet *page = releaseClient(client, nullptr);
    if (!page)
        return false;
    const bool wasVisible = !client->isHidden();
    client->setParent(nullptr, Qt::Window);
    delete page;
    if (wasVisible)
        client->show();
    return true;
}

void TdxCustomPageControl::finishClientDrag(QPoint globalPos, bool drop)
{
    QWidget *client = m_dragClient;
    m_dragClient = nullptr;
    m_dockDragging = false;
    // The form is the drag's own; the control's dock events are for drags
    // of the control.
    QObject *target = m_dockDrag.finish(globalPos, drop, {});
    // Let go on no site and off this control, it floats where it was let
    // go; over this control it stays.
    if (drop && client && !target && !rect().contains(mapFromGlobal(globalPos)) && dockPageOf(client) &&
        UndockControl(client))
        client->move(globalPos);
}

// --- the strip's host ------------------------------------------------------------

int TdxCustomPageControl::textWidth(const QString &text) const
{
    // Captions of pages long gone are not kept for ever.
    if (m_textWidthsMeasurer != m_measurer || !(m_textWidthsFont == m_font) ||
        m_textWidths.size() > 2 * m_pages.size() + 64) {
        m_textWidths.clear();
        m_textWidthsMeasurer = m_measurer;
        m_textWidthsFont = m_font;
    }
    const auto [it, added] = m_textWidths.try_emplace(text, 0);
    if (added)
        it->second = m_measurer->textWidth(m_font, text);
    return it->second;
}

int TdxCustomPageControl::textHeight(const QString &) const
{
    return m_measurer->textHeight(m_font);
}

bool TdxCustomPageControl::stripFocused() const
{
    return window()->focusWidget() == this;
}

void TdxCustomPageControl::activateTabPage(TabStripPage *page)
{
    SetActivePage(static_cast<TdxTabSheet *>(page));
}

void TdxCustomPageControl::focusControl()
{
    if (focusPolicy() != Qt::NoFocus)
        setFocus(Qt::MouseFocusReason);
}

void TdxCustomPageControl::invalidateStrip(const rtl::TRect &rect)
{
    if (!rect.IsEmpty())
        update(gfx::ToQRect(rect));
}

void TdxCustomPageControl::startRepeatTimer(int periodMs)
{
    m_repeatTimer.start(periodMs);
}

void TdxCustomPageControl::stopRepeatTimer()
{
    m_repeatTimer.stop();
}

void TdxCustomPageControl::customizeTabFont(gfx::Canvas &canvas, const TdxPageControlButton &tab)
{
    if (!OnDrawTabEx)
        return;
    TdxDrawTabExRecord record{&tab, canvas.font()};
    OnDrawTabEx(this, record);
    canvas.setFont(record.Font);
}

bool TdxCustomPageControl::ownerDrawTab(gfx::Canvas &, const TdxPageControlButton &tab)
{
    if (!m_ownerDraw || !OnDrawTab)
        return false;
    auto *page = static_cast<TdxTabSheet *>(tab.page());
    OnDrawTab(this, page->TabIndex(), tab.rect(), tab.active());
    return true;
}

// --- events ----------------------------------------------------------------------

void TdxCustomPageControl::paintEvent(QPaintEvent *)
{
    controls::paintOnCanvas(*this, m_measurer == &m_realMeasurer ? nullptr : m_measurer, m_canvas,
                            [this](gfx::Canvas &canvas) {
                                canvas.FillRect(rtl::TRect{0, 0, width(), height()}, gfx::Brush::solid(rtl::clBtnFace));
                                const bool nested = std::exchange(m_painting, true);
                                m_painter->paint(canvas);
                                m_painting = nested;
                            });
    if (!m_painting)
        m_retiredPainter.reset();
}

void TdxCustomPageControl::changeEvent(QEvent *event)
{
    // Desktop colours feed the system colours the strip is drawn in.
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange)
        update();
    QWidget::changeEvent(event);
}

void TdxCustomPageControl::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    controls::guarded(controls::Report::none(), [&] {
        relayout();
        if (OnResize)
            OnResize(this);
    });
}

void TdxCustomPageControl::keyPressEvent(QKeyEvent *event)
{
    if (m_dockDrag.active() && event->key() == Qt::Key_Escape) {
        if (m_dockDragging)
            controls::guarded(controls::Report::none(), [&] { finishClientDrag(QCursor::pos(), false); });
        else
            m_dockDrag.finish(QCursor::pos(), false, OnEndDock);
        return;
    }
    if (event->modifiers() == Qt::NoModifier && (event->key() == Qt::Key_Left || event->key() == Qt::Key_Right)) {
        controls::guarded(controls::Report::none(), [&] { SelectNextPage(event->key() == Qt::Key_Right, true); });
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TdxCustomPageControl::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        tellMouseButton(OnMouseDown, this, *event);
        QWidget::mousePressEvent(event);
        return;
    }
    const QPoint p = event->position().toPoint();
    // The press may switch pages, whose handlers may free this control.
    const QPointer<TdxCustomPageControl> self(this);
    controls::guarded(controls::Report::none(), [&] {
        m_painter->mouseDown({p.x(), p.y()});
        if (!self)
            return;
        // A docked form is taken out by dragging its tab, in the styles whose
        // tabs look like something to pick up.
        m_dragClient = nullptr;
        m_dockDragging = false;
        if (m_options.style != TdxTabStyle::dxtsTabs && m_options.style != TdxTabStyle::dxtsFlat)
            return;
        if (const TdxPageControlButton *tab = m_painter->tabAt({p.x(), p.y()})) {
            auto *page = static_cast<TdxTabSheet *>(tab->page());
            for (const DockClient &d : m_dockClients)
                if (d.page == page) {
                    m_dragClient = d.client;
                    m_dragStart = p;
                }
        }
    });
    if (!self)
        return;
    // A docked form's tab drags the form, not the control.
    if (m_dragMode == controls::TDragMode::dmAutomatic && !m_dragClient)
        m_dragFrom = p;
    tellMouseButton(OnMouseDown, this, *event);
}

void TdxCustomPageControl::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_dockDrag.active() && !m_dockDragging) {
        m_dockDrag.finish(event->globalPosition().toPoint(), true, OnEndDock);
        return;
    }
    if (event->button() == Qt::LeftButton) {
        controls::guarded(controls::Report::none(), [&] {
            if (m_dockDragging) {
                finishClientDrag(event->globalPosition().toPoint(), true);
                return;
            }
            m_painter->mouseUp();
            m_dragClient = nullptr;
        });
    }
    m_dragFrom.reset();
    tellMouseButton(OnMouseUp, this, *event);
    QWidget::mouseReleaseEvent(event);
}

void TdxCustomPageControl::mouseDoubleClickEvent(QMouseEvent *event)
{
    tellMouseButton(OnMouseDown, this, *event, controls::ssDouble);
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseDoubleClickEvent(event);
        return;
    }
    const QPoint p = event->position().toPoint();
    controls::guarded(controls::Report::none(), [&] {
        if (const TdxPageControlButton *tab = m_painter->tabAt({p.x(), p.y()})) {
            auto *page = static_cast<TdxTabSheet *>(tab->page());
            for (const DockClient &d : m_dockClients)
                if (d.page == page) {
                    UndockControl(d.client);
                    return;
                }
        }
        // Otherwise the second click of a double click is a press like the first.
        m_painter->mouseDown({p.x(), p.y()});
    });
}

void TdxCustomPageControl::mouseMoveEvent(QMouseEvent *event)
{
    if (m_dockDrag.active()) {
        m_dockDrag.move(event->globalPosition().toPoint());
        return;
    }
    const QPoint p = event->position().toPoint();
    if (m_dragClient && !m_dockDragging && (event->buttons() & Qt::LeftButton) &&
        (p - m_dragStart).manhattanLength() >= QApplication::startDragDistance()) {
        m_dockDragging = true;
        controls::guarded(controls::Report::none(), [&] {
            // The strip lets go of its press before the drag takes the mouse.
            m_painter->mouseUp();
            m_dockDrag.start(m_dragClient, this, {}, this);
            m_dockDrag.move(event->globalPosition().toPoint());
        });
        return;
    }
    controls::guarded(controls::Report::none(), [&] { m_painter->mouseMove({p.x(), p.y()}); });
    tellMouseMove(OnMouseMove, this, *event);
    if (draggedFar(m_dragFrom, *event)) {
        // The strip lets go of its press before the drag takes the mouse.
        controls::guarded(controls::Report::none(), [&] { m_painter->mouseUp(); });
        BeginDrag();
    }
    QWidget::mouseMoveEvent(event);
}

void TdxCustomPageControl::leaveEvent(QEvent *event)
{
    controls::guarded(controls::Report::none(), [&] { m_painter->mouseLeave(); });
    QWidget::leaveEvent(event);
}

void TdxCustomPageControl::invalidateActiveTab()
{
    if (!m_activePage)
        return;
    if (const TdxPageControlButton *tab = m_painter->findTab(m_activePage)) {
        rtl::TRect r = tab->rect();
        invalidateStrip({r.Left - 3, r.Top - 3, r.Right + 3, r.Bottom + 3});
    }
}

void TdxCustomPageControl::focusInEvent(QFocusEvent *event)
{
    controls::guarded(controls::Report::none(), [&] { invalidateActiveTab(); });
    QWidget::focusInEvent(event);
}

void TdxCustomPageControl::focusOutEvent(QFocusEvent *event)
{
    controls::guarded(controls::Report::none(), [&] { invalidateActiveTab(); });
    QWidget::focusOutEvent(event);
}

bool TdxCustomPageControl::ownsEvent(QObject *receiver) const
{
    if (!receiver->isWidgetType())
        return false;
    // The innermost page control around the receiver handles its keys.
    for (QWidget *w = static_cast<QWidget *>(receiver); w; w = w->parentWidget()) {
        if (qobject_cast<const TdxCustomPageControl *>(w))
            return w == this;
        if (w->isWindow())
            return false;
    }
    return false;
}

bool TdxCustomPageControl::handleKey(QKeyEvent *event)
{
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    if (!ctrl || (event->modifiers() & Qt::AltModifier))
        return false;
    if (event->key() == Qt::Key_Tab)
        SelectNextPage(!(event->modifiers() & Qt::ShiftModifier), true);
    else if (event->key() == Qt::Key_Backtab)
        SelectNextPage(false, true);
    else
        return false;
    return true;
}

bool TdxCustomPageControl::handleAccelerator(QKeyEvent *event)
{
    if (!(event->modifiers() & Qt::AltModifier) || (event->modifiers() & Qt::ControlModifier))
        return false;
    const char32_t key = accelCharacter(*event);
    if (key == 0)
        return false;
    if (!isVisible())
        return false;
    for (TdxTabSheet *page : m_pages) {
        if (page->isEnabledTo(this) && page->m_tabVisible && isAccel(key, page->m_caption)) {
            SetActivePage(page);
            return true;
        }
    }
    return false;
}

bool TdxCustomPageControl::eventFilter(QObject *watched, QEvent *event)
{
    bool handled = false;
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto *key = static_cast<QKeyEvent *>(event);
        if (ownsEvent(watched))
            controls::guarded(controls::Report::none(), [&] { handled = handleKey(key); });
        if (!handled && watched->isWidgetType() && static_cast<QWidget *>(watched)->window() == window())
            controls::guarded(controls::Report::none(), [&] { handled = handleAccelerator(key); });
        break;
    }
    case QEvent::Enter:
        // The mouse went on into a page: no tab stays hot.
        if (watched != this && watched->isWidgetType() && isAncestorOf(static_cast<QWidget *>(watched)))
            controls::guarded(controls::Report::none(), [&] { m_painter->mouseLeave(); });
        break;
    case QEvent::Resize:
        if (watched == parentWidget())
            controls::guarded(controls::Report::none(), [&] {
                const auto *resize = static_cast<QResizeEvent *>(event);
                if (m_align != controls::TAlign::alNone)
                    setGeometry(controls::AlignedBounds(m_align, geometry(), resize->size()));
                else if (m_anchors != controls::DefaultAnchors && resize->oldSize().isValid())
                    setGeometry(controls::AnchoredBounds(m_anchors, geometry(), resize->oldSize(), resize->size()));
            });
        break;
    case QEvent::ToolTip:
        // A tool tip of the control, a page or a control on a page, held back
        // where hints are not to show.
        if (watched->isWidgetType() && (watched == this || isAncestorOf(static_cast<QWidget *>(watched)))) {
            const TdxTabSheet *page = nullptr;
            for (QObject *o = watched; o && o != this; o = o->parent())
                if (auto *sheet = qobject_cast<TdxTabSheet *>(o); sheet && sheet->PageControl() == this) {
                    page = sheet;
                    break;
                }
            handled = !(page ? page->HintsShown() : HintsShown());
        }
        break;
    case QEvent::WindowTitleChange:
        if (TdxTabSheet *page = dockPageOf(static_cast<QWidget *>(watched)))
            controls::guarded(controls::Report::none(),
                              [&] { page->SetCaption(firstLine(static_cast<QWidget *>(watched)->windowTitle())); });
        break;
    case QEvent::ShowToParent:
    case QEvent::HideToParent:
        if (TdxTabSheet *page = dockPageOf(static_cast<QWidget *>(watched)))
            controls::guarded(controls::Report::none(),
                              [&] { page->SetTabVisible(event->type() == QEvent::ShowToParent); });
        break;
    default: break;
    }
    return handled || QWidget::eventFilter(watched, event);
}

} // namespace widgets
