#include "grid/widgets/InplaceEdit.h"

#include "grid/core/Container.h"
#include "grid/paint/EditPaint.h"
#include "grid/widgets/CursorTable.h"
#include "grid/widgets/FocusChain.h"
#include "grid/widgets/KeyTranslation.h"

#include "platform/classes/MetaClass.h"
#include "platform/controls/PaintCanvas.h"
#include "platform/gfx/Canvas.h"
#include "platform/gfx/TextMeasurer.h"
#include "platform/shell/Beep.h"
#include "platform/shell/MessageBox.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QCloseEvent>
#include <QEnterEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QWheelEvent>

namespace grid {

namespace {

QWidget *parentFor(TCustomdxContainer *container, QWidget *parent)
{
    if (parent)
        return parent;
    return dynamic_cast<QWidget *>(static_cast<classes::TComponent *>(container));
}

} // namespace

TdxInplaceEdit::TdxInplaceEdit(TCustomdxContainer *container, QWidget *parent)
    : QWidget(parentFor(container, parent))
    , InplaceEditor(container)
{
    // Hidden until the host shows it over a cell.
    setVisible(false);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
}

TdxInplaceEdit::~TdxInplaceEdit()
{
    if (m_window)
        m_window->removeEventFilter(this);
}

void TdxInplaceEdit::setTextMeasurer(const gfx::TextMeasurer *measurer)
{
    m_measurer = measurer;
    update();
}

QRect TdxInplaceEdit::clientRect()
{
    const std::unique_ptr<TdxEditViewData> viewData = CreateViewData(false);
    return gfx::ToQRect(CalcViewInfo(*viewData).ClientRect);
}

QWidget *TdxInplaceEdit::containerWidget() const
{
    return dynamic_cast<QWidget *>(static_cast<classes::TComponent *>(Container()));
}

// ---- Window operations ------------------------------------------------------------

void TdxInplaceEdit::SetText(const QString &text)
{
    if (text == m_text)
        return;
    m_text = text;
    update();
}

rtl::TRect TdxInplaceEdit::BoundsRect() const
{
    return gfx::FromQRect(geometry());
}

void TdxInplaceEdit::SetBoundsRect(const rtl::TRect &rect)
{
    setGeometry(gfx::ToQRect(rect));
}

void TdxInplaceEdit::ShowEditWindow()
{
    watchWindow();
    // The cursor may differ from point to point of the editor.
    if (QWidget *input = inputWidget(); input != m_pointerWidget) {
        m_pointerWidget = input;
        input->setMouseTracking(true);
        input->installEventFilter(this);
    }
    show();
}

void TdxInplaceEdit::HideEditWindow()
{
    m_focusHeld = false;
    // Hidden with the keys, the editor gives them to its control, not to
    // whatever control comes next in the window.
    const QWidget *focus = QApplication::focusWidget();
    if (focus && (focus == this || isAncestorOf(focus)) && isVisible())
        if (QWidget *host = hostWidget(); host && host->isVisible() && host->isEnabled()) {
            m_hidingWithKeys = true;
            const QPointer<TdxInplaceEdit> self(this);
            host->setFocus(Qt::OtherFocusReason);
            if (!self)
                return;
            m_hidingWithKeys = false;
        }
    // Qt repaints what the editor covered in its parent.
    hide();
}

bool TdxInplaceEdit::HasFocus() const
{
    return inputWidget()->hasFocus();
}

void TdxInplaceEdit::SetFocus()
{
    inputWidget()->setFocus(Qt::OtherFocusReason);
}

void TdxInplaceEdit::ReturnFocus()
{
    // Not an entry: nothing is selected anew, nothing saved for Esc.
    m_focusHeld = true;
    SetFocus();
}

void TdxInplaceEdit::ApplyWindowRegion(const std::vector<rtl::TRect> &region)
{
    QRegion mask;
    for (const rtl::TRect &r : region)
        mask += gfx::ToQRect(r);
    if (region.empty())
        clearMask();
    else if (mask.isEmpty())
        setMask(QRegion(-1, -1, 1, 1)); // nothing of the editor shows
    else
        setMask(mask);
    update();
}

void TdxInplaceEdit::UpdateWindowRegion()
{
    InplaceEditor::UpdateWindowRegion();
    clientRectChanged(clientRect());
}

void TdxInplaceEdit::Beep()
{
    shell::MessageBeep(shell::BeepKind::Default);
}

void TdxInplaceEdit::ReportRefusal(const QString &errorText)
{
    // The message comes once the refused event is done with, as an error
    // that ended a command is reported; the editor may be gone by then.
    QTimer::singleShot(0, this, [this, errorText]() {
        QPointer<TdxInplaceEdit> self(this);
        m_reporting = true;
        controls::guarded(controls::Report::none(), [&] {
            shell::MessageBox(window(), errorText, QStringLiteral("Zarvello"), shell::MessageButtons::Ok,
                              shell::MessageIcon::Stop);
        });
        if (!self)
            return;
        m_reporting = false;
        if (isVisible())
            SetFocus();
    });
}

void TdxInplaceEdit::watchWindow()
{
    QWidget *top = window();
    if (top == m_window || top == this)
        return;
    if (m_window)
        m_window->removeEventFilter(this);
    m_window = top;
    m_window->installEventFilter(this);
}

bool TdxInplaceEdit::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_pointerWidget && event->type() == QEvent::MouseMove) {
        const QPoint at = m_pointerWidget->mapTo(this, static_cast<QMouseEvent *>(event)->position().toPoint());
        atEdge([&] { applyEditCursor(at); });
    }
    // Closing the window leaves the editor: a refusal keeps the window open.
    if (watched == m_window && event->type() == QEvent::Close && Shown() && isVisible() && !m_reporting) {
        bool accepted = true;
        atEdge([&] { accepted = ValidateEdit(); });
        if (!accepted) {
            event->ignore();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// ---- Keys ------------------------------------------------------------------------

bool TdxInplaceEdit::routesTab()
{
    return Container() && Container()->EditWantTabs();
}

QWidget *TdxInplaceEdit::hostWidget() const
{
    QWidget *host = parentWidget();
    if (host && qobject_cast<QAbstractScrollArea *>(host->parentWidget()))
        host = host->parentWidget();
    return host;
}

bool TdxInplaceEdit::tabOutOfHost(bool backward)
{
    QWidget *host = hostWidget();
    // Leaving validates: a refusal takes the focus back.
    return host && !host->isWindow() && focusPastControl(host, backward);
}

void TdxInplaceEdit::handleKeyPress(QKeyEvent *event)
{
    event->accept();
    if (IsOutOfSync())
        return;
    QPointer<TdxInplaceEdit> self(this);
    TShiftState shift = ShiftState(event->modifiers());
    if (event->key() == Qt::Key_Backtab)
        shift |= ssShift;
    const TKey original = VirtualKey(*event);
    TKey key = original;
    if (key != 0)
        KeyDown(key, shift);
    if (!self)
        return;
    // The platform's Enter and Tab drop the character they would type; the
    // Delete key types none.
    QString characters = TypedCharacters(*event);
    const bool dropsCharacter = original == VK_RETURN || (original == VK_TAB && !WantTabChar());
    if (dropsCharacter || original == VK_DELETE)
        characters.clear();
    for (TChar c : m_typed.take(characters)) {
        KeyPress(c);
        if (!self)
            return;
    }
    ownKeyEvent(event, key, characters);
}

void TdxInplaceEdit::handleCommittedText(QStringView text)
{
    if (IsOutOfSync())
        return;
    QPointer<TdxInplaceEdit> self(this);
    for (TChar c : CharactersOf(text)) {
        KeyPress(c);
        if (!self)
            return;
    }
}

void TdxInplaceEdit::handleKeyRelease(QKeyEvent *event)
{
    event->accept();
    TKey key = VirtualKey(*event);
    if (key != 0)
        KeyUp(key, ShiftState(event->modifiers()));
}

void TdxInplaceEdit::ownKeyEvent(QKeyEvent *, TKey, const QString &) {}

// ---- Focus -----------------------------------------------------------------------

void TdxInplaceEdit::handleFocusIn(Qt::FocusReason reason)
{
    if (m_focusHeld) {
        m_focusHeld = false;
        return;
    }
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
        // Only a left click places the caret; the other buttons enter as
        // the keyboard does.
        m_enteredByMouse = reason == Qt::MouseFocusReason && (QGuiApplication::mouseButtons() & Qt::LeftButton);
        Enter();
        m_enteredByMouse = false;
    }
    FocusGained();
}

void TdxInplaceEdit::handleFocusOut(Qt::FocusReason reason)
{
    if (m_reporting || m_focusHeld)
        return;
    QWidget *to = QApplication::focusWidget();
    if (to && (to == this || isAncestorOf(to)))
        return;
    // Another window or a popup taking the focus leaves the editor the
    // focused control of its window; only a move within it is an exit.
    const bool leaves = reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
    if (leaves && Shown() && !Exit()) {
        m_focusHeld = true;
        return;
    }
    QWidget *container = containerWidget();
    FocusLost(to && container && (to == container || to == container->focusProxy()));
}

void TdxInplaceEdit::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    atEdge([&] { handleFocusIn(event->reason()); });
}

void TdxInplaceEdit::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    atEdge([&] { handleFocusOut(event->reason()); });
}

// ---- Qt events of the frame ----------------------------------------------------------

bool TdxInplaceEdit::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) && inputWidget() == this) {
            if (routesTab()) {
                atEdge([&] { handleKeyPress(key); });
                return true;
            }
            if (!(key->modifiers() & Qt::AltModifier) &&
                tabOutOfHost(key->key() == Qt::Key_Backtab || (key->modifiers() & Qt::ShiftModifier)))
                return true;
        }
        break;
    }
    case QEvent::Enter:
        atEdge([&] {
            MouseEnter();
            const auto *enter = dynamic_cast<const QEnterEvent *>(event);
            applyEditCursor(enter ? enter->position().toPoint() : mapFromGlobal(QCursor::pos()));
        });
        break;
    case QEvent::Leave: atEdge([&] { MouseLeave(); }); break;
    default: break;
    }
    return QWidget::event(event);
}

void TdxInplaceEdit::paintEvent(QPaintEvent *)
{
    gfx::Canvas *current = nullptr;
    controls::paintOnCanvas(*this, m_measurer, current, [this](gfx::Canvas &canvas) {
        // A disabled editor shows its value in the disabled colours.
        const std::unique_ptr<TdxEditViewData> viewData = CreateViewData(!NeedsRepaintOnFocus());
        PaintEdit(canvas, *viewData);
    });
}

void TdxInplaceEdit::DrawEditBorder(gfx::Canvas &canvas, const TdxEditViewInfo &info, const TdxEditViewData &viewData)
{
    grid::DrawEditBorder(canvas, info, viewData);
}

void TdxInplaceEdit::DrawEditContent(gfx::Canvas &canvas, const rtl::TRect &rect, const TdxEditViewData &viewData)
{
    grid::DrawEditContent(canvas, rect, viewData);
}

void TdxInplaceEdit::applyEditCursor(const QPoint &at)
{
    QWidget *input = inputWidget();
    const TCursor cursor = GetEditCursor(at.x(), at.y(), *CreateViewData(false));
    if (cursor != crDefault) {
        if (!m_windowCursor)
            m_windowCursor = input->cursor();
        input->setCursor(CursorFor(cursor));
    } else if (m_windowCursor) {
        input->setCursor(*m_windowCursor);
        m_windowCursor.reset();
    }
}

void TdxInplaceEdit::PaintEdit(gfx::Canvas &canvas, TdxEditViewData &viewData)
{
    const TdxEditViewInfo info = CalcViewInfo(viewData);
    DrawEditBorder(canvas, info, viewData);
    if (!IsTextEditor())
        DrawEditContent(canvas, info.ClientRect, viewData);
}

int TdxInplaceEdit::GetDefaultHeight()
{
    const std::unique_ptr<TdxEditViewData> viewData = CreateViewData(false);
    const gfx::QtTextMeasurer screen;
    return 3 + (m_measurer ? *m_measurer : static_cast<const gfx::TextMeasurer &>(screen)).textHeight(viewData->Font);
}

TShiftState TdxInplaceEdit::KeyboardState() const
{
    return ShiftState(QGuiApplication::queryKeyboardModifiers());
}

void TdxInplaceEdit::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    controls::guarded(controls::Report::none(), [&] { UpdateWindowRegion(); });
}

void TdxInplaceEdit::keyPressEvent(QKeyEvent *event)
{
    atEdge([&] { handleKeyPress(event); });
}

void TdxInplaceEdit::keyReleaseEvent(QKeyEvent *event)
{
    atEdge([&] { handleKeyRelease(event); });
}

bool TdxInplaceEdit::handleLeftPress(const QMouseEvent *event)
{
    return TakeClickAsDoubleClick(int64_t(event->timestamp()), QApplication::doubleClickInterval());
}

void TdxInplaceEdit::mousePressEvent(QMouseEvent *event)
{
    bool asDouble = false;
    if (event->button() == Qt::LeftButton)
        atEdge([&] { asDouble = handleLeftPress(event); });
    if (asDouble) {
        mouseDoubleClickEvent(event);
        return;
    }
    QWidget::mousePressEvent(event);
}

void TdxInplaceEdit::mouseReleaseEvent(QMouseEvent *event)
{
    QWidget::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        atEdge([&] { Click(); });
}

void TdxInplaceEdit::handleWheel(QWheelEvent *event)
{
    event->accept();
    MouseWheel(event->angleDelta().y());
}

void TdxInplaceEdit::wheelEvent(QWheelEvent *event)
{
    event->accept();
    atEdge([&] { handleWheel(event); });
}

void TdxInplaceEdit::contextMenuEvent(QContextMenuEvent *event)
{
    // The frame is the editor's non-client area: no menu of the editor's
    // there; a control it sits in may show its own.
    if (parentHasPopupMenu())
        event->ignore();
    else
        event->accept();
}

bool TdxInplaceEdit::parentHasPopupMenu() const
{
    for (const QWidget *w = parentWidget(); w; w = w->parentWidget()) {
        const Qt::ContextMenuPolicy policy = w->contextMenuPolicy();
        if (policy == Qt::CustomContextMenu || (policy == Qt::ActionsContextMenu && !w->actions().isEmpty()))
            return true;
        // A control of the class library names its menu in PopupMenu.
        if (const auto *control = dynamic_cast<const classes::TPersistent *>(w))
            if (const classes::TPropInfo *menu = control->ClassType().FindProperty(std::string_view("PopupMenu"));
                menu && menu->GetObj && menu->GetObj(*control))
                return true;
        if (w->isWindow())
            break;
    }
    return false;
}

void TdxInplaceEdit::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange)
        controls::guarded(controls::Report::none(), [&] { StyleChanged(); });
}

} // namespace grid

#include "moc_InplaceEdit.cpp"
