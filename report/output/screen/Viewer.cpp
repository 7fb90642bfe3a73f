#include "report/output/screen/Viewer.h"

#include "report/model/forms/DialogServices.h"
#include "report/model/objects/Communicator.h"
#include "report/model/objects/EventIds.h"
#include "report/model/pages/DrawCommand.h"
#include "report/model/pages/Page.h"
#include "report/model/pages/PageRequest.h"
#include "report/model/pages/Publisher.h"
#include "report/model/printing/PageDef.h"
#include "report/model/printing/PrinterSetup.h"
#include "report/model/production/Producer.h"
#include "report/output/screen/ScreenDevice.h"
#include "report/output/screen/ScrollBox.h"

#include "platform/controls/Guard.h"
#include "platform/gfx/Colors.h"

#include <QCursor>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <optional>

namespace report {

namespace {

const QColor ViewerSurround(0x80, 0x80, 0x80); // clBtnShadow

// The pointer can be moved only where there is a display to move it on.
bool viewerHasDisplay()
{
    return QGuiApplication::platformName() != QLatin1String("offscreen") &&
           QGuiApplication::platformName() != QLatin1String("minimal");
}

} // namespace

// Copies what it is asked to repaint from the page bitmap; clicks and moves
// go to the viewer.
class TppViewer::PaintBoxWidget : public QWidget
{
public:
    PaintBoxWidget(TppViewer &aViewer, QWidget *aParent)
        : QWidget(aParent)
        , m_viewer(aViewer)
    {
        setMouseTracking(true);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent *aEvent) override
    {
        controls::guarded(controls::Report::none(), [&] {
            QPainter painter(this);
            painter.fillRect(aEvent->rect(), ViewerSurround);
            if (!m_viewer.m_jobStarted)
                return;
            const QImage &bitmap = m_viewer.m_screenDevice->PageBitmap();
            const QRect area = aEvent->rect() & bitmap.rect();
            if (!area.isEmpty())
                painter.drawImage(area.topLeft(), bitmap, area);
        });
    }
    void mousePressEvent(QMouseEvent *aEvent) override
    {
        if (aEvent->button() == Qt::LeftButton)
            m_pressed = true;
        tell(m_viewer.OnMouseDown, aEvent);
    }
    void mouseReleaseEvent(QMouseEvent *aEvent) override
    {
        const bool click =
            m_pressed && aEvent->button() == Qt::LeftButton && rect().contains(aEvent->position().toPoint());
        m_pressed = false;
        const QPointer<QWidget> alive(this);
        if (click)
            m_viewer.PaintBoxClick(aEvent->position().toPoint());
        if (alive)
            tell(m_viewer.OnMouseUp, aEvent);
    }
    void mouseDoubleClickEvent(QMouseEvent *) override
    {
        controls::guarded(controls::Report::toUser(this), [&] {
            if (m_viewer.OnDblClick)
                m_viewer.OnDblClick(nullptr);
        });
    }
    void mouseMoveEvent(QMouseEvent *aEvent) override
    {
        m_viewer.PaintBoxMouseMove(aEvent->buttons(), aEvent->modifiers(), aEvent->position().toPoint());
    }
    void dragEnterEvent(QDragEnterEvent *aEvent) override { dragOver(aEvent, TDragState::dsDragEnter); }
    void dragMoveEvent(QDragMoveEvent *aEvent) override { dragOver(aEvent, TDragState::dsDragMove); }
    void dragLeaveEvent(QDragLeaveEvent *) override
    {
        // Qt tells no position on leaving: the last one known stands.
        if (m_dragPosition)
            controls::guarded(controls::Report::toUser(this), [&] {
                if (m_viewer.OnDragOver) {
                    const QDropEvent left(QPointF(*m_dragPosition), Qt::IgnoreAction, nullptr, Qt::NoButton,
                                          Qt::NoModifier);
                    bool accept = true;
                    m_viewer.OnDragOver(&m_viewer, left, m_dragPosition->x(), m_dragPosition->y(),
                                        TDragState::dsDragLeave, accept);
                }
            });
        m_dragPosition.reset();
    }
    void dropEvent(QDropEvent *aEvent) override
    {
        m_dragPosition.reset();
        const QPoint at = aEvent->position().toPoint();
        bool dropped = false;
        controls::guarded(controls::Report::toUser(this), [&] {
            if (m_viewer.OnDragDrop) {
                m_viewer.OnDragDrop(&m_viewer, *aEvent, at.x(), at.y());
                dropped = true;
            }
        });
        if (dropped)
            aEvent->acceptProposedAction();
        else
            aEvent->ignore();
    }

private:
    // Without a handler nothing may be dropped on the page.
    void dragOver(QDragMoveEvent *aEvent, TDragState aState)
    {
        const QPoint at = aEvent->position().toPoint();
        bool accept = false;
        controls::guarded(controls::Report::toUser(this), [&] {
            if (m_viewer.OnDragOver) {
                accept = true;
                m_viewer.OnDragOver(&m_viewer, *aEvent, at.x(), at.y(), aState, accept);
            }
        });
        m_dragPosition = at;
        if (accept)
            aEvent->acceptProposedAction();
        else
            aEvent->ignore();
    }

    void tell(const MouseEvent &aHandler, QMouseEvent *aEvent)
    {
        controls::guarded(controls::Report::toUser(this), [&] {
            if (aHandler)
                aHandler(&m_viewer, aEvent->buttons() | aEvent->button(), aEvent->modifiers(),
                         int(aEvent->position().x()), int(aEvent->position().y()));
        });
    }

    TppViewer &m_viewer;
    bool m_pressed = false;
    std::optional<QPoint> m_dragPosition;
};

// Hears the end of a print the viewer started (event 89).
class TppViewer::ViewerCommunicator : public TppCommunicator
{
public:
    explicit ViewerCommunicator(TppViewer &aViewer)
        : TppCommunicator(nullptr)
        , m_viewer(aViewer)
    {
        TppEventSet events;
        events.set(ppEvent::EndOfPrint);
        SetEventSubscriptions(events);
    }
    void EventNotify(TppCommunicator *aCommunicator, int aEventID, TraParamList *aParams) override
    {
        TppCommunicator::EventNotify(aCommunicator, aEventID, aParams);
        m_viewer.ReportEventNotify(aCommunicator, aEventID);
    }

private:
    TppViewer &m_viewer;
};

TppViewer::TppViewer(QWidget *aParent)
    : QWidget(aParent)
{
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, ViewerSurround);
    setPalette(palette);
    setAutoFillBackground(true);
    resize(320, 120);
    m_screenDevice = std::make_unique<TppScreenDevice>();
    m_screenDevice->AttachViewer(this);
    m_screenDevice->OnStartJob.Set([this](classes::TObject *) {
        m_jobStarted = true;
        DoOnPrintStateChange();
    });
    m_screenDevice->OnEndJob.Set([this](classes::TObject *) { DoOnPrintStateChange(); });
    m_screenDevice->OnCancelJob.Set([this](classes::TObject *) { DoOnPrintStateChange(); });
    m_communicator = std::make_unique<ViewerCommunicator>(*this);
}

TppViewer::~TppViewer()
{
    // Freed by a handler of the print it started: the report goes back to
    // previewing on the screen all the same.
    restorePrintState(false);
    // The device goes first: its removal from the publisher must not call
    // back into a viewer half gone.
    m_screenDevice->AttachViewer(nullptr);
    m_screenDevice.reset();
    m_communicator.reset();
}

void TppViewer::CreateControls()
{
    if (m_controlsCreated)
        return;
    m_controlsCreated = true;
    m_scrollBox = new TppScrollBox(this);
    m_scrollBox->OnMouseWheel = [this](TppScrollBox *aSender, Qt::KeyboardModifiers aShift, int aDelta, QPoint aPos,
                                       bool &aHandled) {
        ScrollBoxMouseWheel(aSender, aShift, aDelta, aPos, aHandled);
    };
    m_scrollBox->setFrameShape(QFrame::NoFrame);
    // Its scroll bars keep the arrow: the viewer's cursor (the hand over a
    // clickable command) is the page's alone.
    m_scrollBox->setCursor(Qt::ArrowCursor);
    m_scrollBox->setWidgetResizable(false);
    m_scrollBox->setGeometry(rect());
    m_paintBox = new PaintBoxWidget(*this, m_scrollBox);
    // Drops on the page go to OnDragOver and OnDragDrop, whenever they are
    // set.
    m_paintBox->setAcceptDrops(true);
    m_scrollBox->setWidget(m_paintBox);
    m_paintBox->hide();
    m_scrollBox->hide();
    m_paintBox->setCursor(cursor());
    m_savedCursor = cursor().shape();
    update();
}

bool TppViewer::PageAvailable()
{
    if (!m_controlsCreated)
        CreateControls();
    return m_jobStarted && !m_redrawing;
}

// ---- Properties ---------------------------------------------------------------------

void TppViewer::SetPageColor(rtl::TColor aValue)
{
    m_pageColor = aValue;
    update();
}

void TppViewer::SetReport(TppProducer *aReport)
{
    if (m_report && m_reportAlive && m_report != aReport)
        m_report->RemoveEventNotify(m_screenDevice.get());
    m_report = aReport;
    m_reportAlive = aReport ? aReport->Guard() : QPointer<QObject>();
    if (aReport) {
        m_screenDevice->SetPublisher(aReport->Publisher());
        aReport->AddEventNotify(m_screenDevice.get());
    } else {
        m_screenDevice->SetPublisher(nullptr);
    }
    SetPageDefFromReport();
}

void TppViewer::ReportGone()
{
    m_report = nullptr;
    m_reportAlive.clear();
    m_printPending = false;
    m_savedPrinterSetup.reset();
    m_screenDevice->SetPublisher(nullptr);
    Reset();
}

void TppViewer::SetPageDefFromReport()
{
    if (!m_report || !m_reportAlive)
        return;
    TppPageDef *screenPageDef = m_screenDevice->Page()->PageDef();
    const TppPageDef *pageDef = m_report->PrinterSetup()->PageDef();
    screenPageDef->SetmmHeight(pageDef->mmHeight());
    screenPageDef->SetmmWidth(pageDef->mmWidth());
}

void TppViewer::SetZoomSetting(TppZoomSettingType aValue)
{
    m_zoomSetting = aValue;
    if (!PageAvailable())
        return;
    if (!isVisible()) {
        update();
        return;
    }
    m_paintBox->hide();
    m_screenDevice->RenderPage();
    m_resetScrollPositions = true;
    UpdateScrollRange();
    PaintPage();
    m_paintBox->show();
}

void TppViewer::SetZoomPercentage(int aValue)
{
    m_zoomPercentage = std::clamp(aValue, 25, 250);
    SetZoomSetting(TppZoomSettingType::zsPercentage);
}

// ---- Painting and scrolling --------------------------------------------------------

void TppViewer::PaintPage()
{
    if (PageAvailable() && m_paintBox->isVisible())
        m_paintBox->repaint();
}

void TppViewer::UpdateScrollRange()
{
    if (!PageAvailable())
        return;
    const QImage &bitmap = m_screenDevice->PageBitmap();
    const bool wide = bitmap.width() > m_scrollBox->width();
    const bool tall = bitmap.height() > m_scrollBox->height();
    m_scrollBox->setHorizontalScrollBarPolicy(wide ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    m_scrollBox->setVerticalScrollBarPolicy(tall ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    m_paintBox->resize(wide ? bitmap.width() : width(), tall ? bitmap.height() : height());
    if (m_resetScrollPositions) {
        m_scrollBox->horizontalScrollBar()->setValue(0);
        m_scrollBox->verticalScrollBar()->setValue(0);
        m_resetScrollPositions = false;
    }
}

void TppViewer::ScrollPage(int aDirection)
{
    if (!m_scrollBox)
        return;
    QScrollBar *vertical = m_scrollBox->verticalScrollBar();
    QScrollBar *horizontal = m_scrollBox->horizontalScrollBar();
    switch (aDirection) {
    case 0: vertical->setValue(vertical->value() - m_scrollBox->height()); break;
    case 1: vertical->setValue(vertical->value() + m_scrollBox->height()); break;
    case 2: horizontal->setValue(horizontal->value() - m_scrollBox->width()); break;
    case 3: horizontal->setValue(horizontal->value() + m_scrollBox->width()); break;
    default: break;
    }
}

void TppViewer::ScrollBoxMouseWheel(QObject *, Qt::KeyboardModifiers, int, QPoint, bool &) {}

bool TppViewer::event(QEvent *aEvent)
{
    if (aEvent->type() == QEvent::CursorChange) {
        // The page shows the viewer's cursor (the hourglass of a busy
        // preview, a user's own); one set from outside is also the one to
        // come back to when the pointer leaves a clickable command.
        if (m_paintBox)
            m_paintBox->setCursor(cursor());
        if (!m_cursorChanging)
            m_savedCursor = cursor().shape();
    }
    return QWidget::event(aEvent);
}

void TppViewer::resizeEvent(QResizeEvent *aEvent)
{
    QWidget::resizeEvent(aEvent);
    if (m_scrollBox)
        m_scrollBox->setGeometry(rect());
    controls::guarded(controls::Report::none(), [&] { Resize(); });
}

void TppViewer::Resize()
{
    if (const classes::TNotifyEvent resized = OnResize)
        resized(nullptr);
    if (!PageAvailable())
        return;
    BeginUpdate();
    try {
        m_screenDevice->RenderPage();
        UpdateScrollRange();
        DoOnPageChange();
        PaintPage();
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

// ---- Navigation ------------------------------------------------------------------------

void TppViewer::FirstPage()
{
    m_screenDevice->FirstPage();
}

void TppViewer::LastPage()
{
    m_screenDevice->LastPage();
}

void TppViewer::GotoPage(int aPageNo)
{
    m_screenDevice->GotoPage(aPageNo);
}

void TppViewer::NextPage()
{
    if (!m_screenDevice->Page()->LastPage())
        GotoPage(AbsolutePageNo() + 1);
}

void TppViewer::PriorPage()
{
    if (AbsolutePageNo() != 1)
        GotoPage(AbsolutePageNo() - 1);
}

int TppViewer::AbsolutePageNo() const
{
    return m_screenDevice->AbsolutePageNo();
}

int TppViewer::CalculatedZoom() const
{
    return m_screenDevice->CalculatedZoom();
}

QString TppViewer::Status() const
{
    return m_screenDevice->Status();
}

bool TppViewer::Busy() const
{
    return m_screenDevice->Busy();
}

TppPage *TppViewer::CurrentPage() const
{
    return m_screenDevice->Page();
}

// ---- Clicks and the pointer ------------------------------------------------------

void TppViewer::refreshCursor()
{
    if (!viewerHasDisplay())
        return;
    const QPointer<TppViewer> alive(this);
    const QPoint at = QCursor::pos();
    QCursor::setPos(at - QPoint(1, 1));
    ppProcessMessages();
    if (!alive)
        return;
    QCursor::setPos(at);
    ppProcessMessages();
}

void TppViewer::PaintBoxClick(QPoint aPosition)
{
    const QPointer<TppViewer> alive(this);
    controls::guarded(controls::Report::toUser(this), [&] {
        TppDrawCommand *command = nullptr;
        if (m_screenDevice->FindClickableDrawCommand(aPosition.x(), aPosition.y(), command)) {
            const uint64_t generation = m_screenDevice->PageGeneration();
            command->DoOnClick();
            // The handler may have freed the report, and with it the page,
            // or the viewer itself.
            if (!alive)
                return;
            if (generation == m_screenDevice->PageGeneration() && command->RedrawPage()) {
                command->SetRedrawPage(false);
                TppPageRequest *request = m_screenDevice->PageRequest();
                request->SetPageSetting(TppPageSettingType::psSinglePage);
                request->SetPageRequested(AbsolutePageNo());
                m_screenDevice->RequestPages();
                if (!alive)
                    return;
                refreshCursor();
                if (!alive)
                    return;
            }
        }
        if (OnClick)
            OnClick(nullptr);
    });
}

void TppViewer::PaintBoxMouseMove(Qt::MouseButtons aButtons, Qt::KeyboardModifiers aShift, QPoint aPosition)
{
    controls::guarded(controls::Report::none(), [&] {
        m_cursorChanging = true;
        TppDrawCommand *command = nullptr;
        const bool over = m_screenDevice->FindClickableDrawCommand(aPosition.x(), aPosition.y(), command);
        const Qt::CursorShape shape = over ? Qt::PointingHandCursor : m_savedCursor;
        // Through the viewer's own cursor, which the page follows; the
        // hand is not taken for the cursor to come back to.
        if (cursor().shape() != shape)
            setCursor(shape);
        m_cursorChanging = false;
        if (OnMouseMove)
            OnMouseMove(this, aButtons, aShift, aPosition.x(), aPosition.y());
    });
    m_cursorChanging = false;
}

// ---- Events -------------------------------------------------------------------------

// Each handler may free the viewer (a preview closed from it): the
// subscribers are then not told, and nothing of the viewer is touched.
void TppViewer::DoOnPageChange()
{
    const QPointer<TppViewer> alive(this);
    if (OnPageChange)
        OnPageChange(nullptr);
    if (alive)
        m_communicator->SendEventNotify(m_communicator.get(), ppEvent::OnPageChange, nullptr);
}

void TppViewer::DoOnStatusChange()
{
    const QPointer<TppViewer> alive(this);
    if (OnStatusChange)
        OnStatusChange(nullptr);
    if (alive)
        m_communicator->SendEventNotify(m_communicator.get(), ppEvent::OnStatusChange, nullptr);
}

void TppViewer::DoOnPrintStateChange()
{
    PaintPage();
    const QPointer<TppViewer> alive(this);
    if (OnPrintStateChange)
        OnPrintStateChange(nullptr);
    if (alive)
        m_communicator->SendEventNotify(m_communicator.get(), ppEvent::OnPrintStateChange, nullptr);
}

void TppViewer::DoOnReset()
{
    const QPointer<TppViewer> alive(this);
    if (OnReset)
        OnReset(nullptr);
    if (alive)
        m_communicator->SendEventNotify(m_communicator.get(), ppEvent::ViewerChange, nullptr);
}

// ---- Printing, searching, regenerating ---------------------------------------------

void TppViewer::Print()
{
    if (Busy() || !m_report || !m_reportAlive || m_printPending)
        return;
    TppProducer *report = m_report;
    m_screenDevice->SetPublisher(nullptr);
    report->SetCurrentPage(AbsolutePageNo() > 0 ? AbsolutePageNo() : 1);
    m_savedDeviceType = report->DeviceType();
    m_savedPrinterSetup = std::make_unique<TppPrinterSetup>();
    m_savedPrinterSetup->Assign(report->PrinterSetup());
    m_savedShowAutoSearchDialog = report->ShowAutoSearchDialog();
    m_printPending = true;
    report->AddEventNotify(m_communicator.get());
    const QPointer<TppViewer> alive(this);
    // Whatever happens to the print, the report goes back to previewing:
    // event 89 usually puts it back, a print that raises before it does not.
    try {
        report->SetShowAutoSearchDialog(false);
        report->SetDeviceType(QStringLiteral("Printer"));
        report->Print();
    } catch (...) {
        if (alive)
            restorePrintState(true);
        throw;
    }
    if (alive)
        restorePrintState(true);
}

void TppViewer::ReportEventNotify(TppCommunicator *aSender, int aEventID)
{
    if (aEventID == ppEvent::EndOfPrint && aSender == m_report)
        restorePrintState(true);
}

void TppViewer::restorePrintState(bool aRejoin)
{
    if (!m_printPending)
        return;
    m_printPending = false;
    std::unique_ptr<TppPrinterSetup> saved = std::move(m_savedPrinterSetup);
    if (!m_report || !m_reportAlive)
        return;
    m_report->SetDeviceType(m_savedDeviceType);
    m_report->SetShowAutoSearchDialog(m_savedShowAutoSearchDialog);
    if (!aRejoin)
        return;
    m_screenDevice->SetPublisher(m_report->Publisher());
    if (saved && !m_report->PrinterSetup()->IsEqual(*saved))
        m_screenDevice->RequestPages();
}

void TppViewer::Cancel()
{
    if (OnCancelRequest)
        OnCancelRequest();
    else
        m_screenDevice->CancelReport();
}

void TppViewer::PerformAutoSearch()
{
    if (Busy() || !m_report || !m_reportAlive)
        return;
    if (m_report->ExecuteAutoSearchDialog())
        RegenerateReport();
}

void TppViewer::RegenerateReport()
{
    if (Busy())
        return;
    m_jobStarted = false;
    if (TppPublisher *publisher = m_screenDevice->Publisher())
        publisher->Reset();
    m_screenDevice->Reset();
    m_jobStarted = true;
    const QPointer<TppViewer> alive(this);
    if (OnReset)
        OnReset(nullptr);
    if (alive)
        m_screenDevice->RequestPages();
}

void TppViewer::Reset()
{
    SetPageDefFromReport();
    m_screenDevice->Reset();
    DoOnReset();
}

} // namespace report
