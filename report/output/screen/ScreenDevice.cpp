#include "report/output/screen/ScreenDevice.h"

#include "report/content/drawcommands/DrawImage.h"
#include "report/content/drawcommands/DrawShapes.h"
#include "report/content/drawcommands/DrawText.h"
#include "report/model/base/Messages.h"
#include "report/model/base/Units.h"
#include "report/model/forms/DialogServices.h"
#include "report/model/objects/EventIds.h"
#include "report/model/pages/DrawCommand.h"
#include "report/model/pages/Page.h"
#include "report/model/pages/PageRequest.h"
#include "report/model/pages/Publisher.h"
#include "report/model/printing/PageDef.h"
#include "report/model/printing/PrinterSetup.h"
#include "report/model/production/Producer.h"
#include "report/output/screen/CommandRenderer.h"
#include "report/output/screen/ScrollBox.h"
#include "report/output/screen/Viewer.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/gfx/Canvas.h"

#include <QPainter>

#include <map>

namespace report {

namespace {

constexpr rtl::TColor ScreenSurroundColor = 0x808080; // clBtnShadow
constexpr rtl::TColor ScreenPageColor = 0xFFFFFF;

std::map<const classes::TMetaClass *, TppScreenDevice::DrawRoutine> &screenDrawRoutines()
{
    static std::map<const classes::TMetaClass *, TppScreenDevice::DrawRoutine> routines;
    return routines;
}

// The routine registered for the command's class or its nearest ancestor.
const TppScreenDevice::DrawRoutine *screenDrawRoutineFor(const classes::TMetaClass &aClass)
{
    const auto &routines = screenDrawRoutines();
    const TppScreenDevice::DrawRoutine *best = nullptr;
    const classes::TMetaClass *bestClass = nullptr;
    for (const auto &[meta, routine] : routines) {
        if (!aClass.InheritsFrom(*meta))
            continue;
        if (!bestClass || meta->InheritsFrom(*bestClass)) {
            best = &routine;
            bestClass = meta;
        }
    }
    return best;
}

// "Calculating page <page> for report <documentname>" (4) and "Drawing page
// <page> of <pagecount> for report <documentname>" (10), filled as every
// device fills its status texts.
QString screenCalculatingText(const TppPage &aPage)
{
    return ppLoadStrFormat(4, {QString::number(aPage.AbsolutePageNo()), aPage.DocumentName()});
}

QString screenDrawingText(const TppPage &aPage)
{
    return ppLoadStrFormat(10, {QString::number(aPage.AbsolutePageNo()), QString::number(aPage.AbsolutePageCount()),
                                aPage.DocumentName()});
}

} // namespace

const classes::TMetaClass &TppScreenDevice::StaticClass()
{
    static const classes::TMetaClass meta = classes::MakeClass<TppScreenDevice, TppRasterDevice>("TppScreenDevice");
    return meta;
}

TppScreenDevice::TppScreenDevice(classes::TComponent *aOwner)
    : TppRasterDevice(aOwner)
    , m_page(std::make_unique<TppPage>())
{
    m_pageBitmap = QImage(1, 1, QImage::Format_RGB32);
    m_pageBitmap.fill(Qt::white);
    PageRequest()->SetPageSetting(TppPageSettingType::psFirstPage);
    PageRequest()->SetPageRequested(1);
    TppEventSet events;
    events.set(ppEvent::OnNoData);
    SetEventSubscriptions(events);
}

TppScreenDevice::~TppScreenDevice()
{
    BeforeDestruction();
}

int TppScreenDevice::PixelsPerInch() const
{
    return ppScreenPixelsPerInch();
}

void TppScreenDevice::AttachViewer(TppViewer *aViewer)
{
    m_viewer = aViewer;
    if (aViewer) {
        QImage bitmap(std::max(aViewer->width(), 1), std::max(aViewer->height(), 1), QImage::Format_RGB32);
        bitmap.fill(QColor(0x80, 0x80, 0x80));
        m_pageBitmap = bitmap;
    }
}

// ---- Device --------------------------------------------------------------------

void TppScreenDevice::Notify(TppCommunicator *aCommunicator, int aOperation)
{
    // The report (or its publisher) goes: the viewer forgets it and shows
    // an empty page.
    if (aOperation == ppNotify::Remove && m_viewer && aCommunicator &&
        (aCommunicator == Publisher() || aCommunicator == m_viewer->Report())) {
        TppViewer *viewer = m_viewer;
        TppRasterDevice::Notify(aCommunicator, aOperation);
        if (!IsDestroying())
            viewer->ReportGone();
        return;
    }
    TppRasterDevice::Notify(aCommunicator, aOperation);
}

void TppScreenDevice::EventNotify(TppCommunicator *aCommunicator, int aEventID, TraParamList *aParams)
{
    TppRasterDevice::EventNotify(aCommunicator, aEventID, aParams);
    if (aEventID == ppEvent::OnNoData && m_viewer && aCommunicator && aCommunicator == m_viewer->Report())
        RenderPage();
}

void TppScreenDevice::SetStatus(const QString &aText)
{
    if (!m_statusEnabled)
        return;
    TppRasterDevice::SetStatus(aText);
    const std::weak_ptr<char> alive = LifeToken();
    if (m_viewer)
        m_viewer->DoOnStatusChange();
    if (!alive.expired())
        ppProcessMessages();
}

void TppScreenDevice::CancelJob()
{
    // The viewer's status handler may free the viewer, and this device
    // with it.
    const std::weak_ptr<char> alive = LifeToken();
    SetStatus(m_page->PageNoDescription());
    if (!alive.expired())
        TppRasterDevice::CancelJob();
}

bool TppScreenDevice::lastPageKnown() const
{
    return Publisher() && Publisher()->LastPageKnown();
}

void TppScreenDevice::EndJob()
{
    const std::weak_ptr<char> alive = LifeToken();
    SetStatus(lastPageKnown() ? m_page->PageNoOfCountDescription() : m_page->PageNoDescription());
    if (!alive.expired())
        TppRasterDevice::EndJob();
}

void TppScreenDevice::StartJob()
{
    const std::weak_ptr<char> alive = LifeToken();
    TppRasterDevice::StartJob();
    if (alive.expired())
        return;
    SetStatus(ppLoadStr(2));
    if (alive.expired())
        return;
    m_page->Clear();
    ++m_pageGeneration;
}

void TppScreenDevice::Reset()
{
    TppRasterDevice::Reset();
    if (m_viewer && m_viewer->isEnabled())
        RecreatePageBitmap();
    PageRequest()->SetPageSetting(TppPageSettingType::psFirstPage);
    PageRequest()->SetPageRequested(1);
}

void TppScreenDevice::statusForPage(const TppPage &aPage, bool aOfCount)
{
    SetStatus(aOfCount ? aPage.PageNoOfCountDescription() : aPage.PageNoDescription());
}

void TppScreenDevice::ReceivePage(TppPage *aPage)
{
    if (!aPage)
        return;
    const std::weak_ptr<char> alive = LifeToken();
    TppRasterDevice::ReceivePage(aPage);
    if (alive.expired() || PageGone())
        return;
    if (HasState(classes::csDesigning) && !(m_viewer && m_viewer->DesignPreview()))
        return;
    if (!PageInRequest()) {
        if (!aPage->Calculation())
            return;
        SetStatus(screenCalculatingText(*aPage));
        if (alive.expired())
            return;
        if (m_page->AbsolutePageCount() != aPage->AbsolutePageCount()) {
            m_page->SetAbsolutePageCount(aPage->AbsolutePageCount());
            if (m_page->ControlGroupBreakNo() == aPage->ControlGroupBreakNo())
                m_page->SetPageCount(aPage->PageCount());
            if (m_page->HasRecalcDrawCommands()) {
                m_page->RecalcDrawCommands(this);
                if (alive.expired())
                    return;
                ppProcessMessages();
            }
        }
        return;
    }
    if (SkipPage()) {
        SetStatus(lastPageKnown() ? screenDrawingText(*aPage) : screenCalculatingText(*aPage));
        return;
    }
    m_page->Assign(aPage);
    ++m_pageGeneration;
    RenderPage();
    if (alive.expired())
        return;
    if (m_viewer)
        m_viewer->UpdateScrollRange();
    statusForPage(*m_page, lastPageKnown());
    if (alive.expired() || !m_viewer)
        return;
    m_viewer->PaintPage();
    m_viewer->DoOnPageChange();
}

// ---- Navigation -----------------------------------------------------------------

void TppScreenDevice::FirstPage()
{
    if (Busy() || Cancelled() || m_page->AbsolutePageNo() == 1)
        return;
    PageRequest()->SetPageSetting(TppPageSettingType::psFirstPage);
    RequestPages();
}

void TppScreenDevice::LastPage()
{
    if (Busy() || Cancelled() || m_page->LastPage())
        return;
    PageRequest()->SetPageSetting(TppPageSettingType::psLastPage);
    RequestPages();
}

void TppScreenDevice::GotoPage(int aPageNo)
{
    if (Busy() || aPageNo == m_page->AbsolutePageNo())
        return;
    PageRequest()->SetPageSetting(TppPageSettingType::psSinglePage);
    PageRequest()->SetPageRequested(aPageNo);
    RequestPages();
}

int TppScreenDevice::AbsolutePageNo() const
{
    return m_page->AbsolutePageNo();
}

void TppScreenDevice::CancelReport()
{
    if (m_viewer && m_viewer->Report())
        m_viewer->Report()->Cancel();
}

// ---- Drawing --------------------------------------------------------------------

TppRenderSettings TppScreenDevice::RenderSettings() const
{
    TppRenderSettings settings;
    settings.pixelsPerInchX = PixelsPerInch();
    settings.pixelsPerInchY = PixelsPerInch();
    settings.offsetX = m_offsetX;
    settings.offsetY = m_offsetY;
    settings.scaleX = m_scaleX;
    settings.scaleY = m_scaleY;
    return settings;
}

void TppScreenDevice::CalcDrawRect(TppDrawCommand *aDrawCommand)
{
    if (!aDrawCommand)
        return;
    gfx::Canvas *canvas = m_canvas;
    QImage scratch;
    std::unique_ptr<gfx::Canvas> own;
    if (!canvas) {
        scratch = QImage(1, 1, QImage::Format_RGB32);
        own = std::make_unique<gfx::Canvas>(&scratch);
        canvas = own.get();
    }
    TppCommandRenderer(*canvas, RenderSettings()).CalcDrawRect(*aDrawCommand);
}

bool TppScreenDevice::FindClickableDrawCommand(int X, int Y, TppDrawCommand *&aDrawCommand) const
{
    aDrawCommand = nullptr;
    for (int i = 0; i < m_page->ClickableDrawCommandCount(); ++i) {
        TppDrawCommand *command = m_page->ClickableDrawCommands(i);
        if (command && command->Clickable() && command->DrawLeft() <= X && X <= command->DrawRight() &&
            command->DrawTop() <= Y && Y <= command->DrawBottom()) {
            aDrawCommand = command;
            return true;
        }
    }
    return false;
}

void TppScreenDevice::RebuildPageBitmap()
{
    TppScreenPageSizeInput input;
    input.pixelsPerInch = PixelsPerInch();
    input.width100 = m_page->PageDef()->spWidth();
    input.height100 = m_page->PageDef()->spHeight();
    if (m_viewer) {
        const QWidget *box = m_viewer->ScrollBox() ? static_cast<const QWidget *>(m_viewer->ScrollBox()) : m_viewer;
        input.scrollBoxWidth = box->width();
        input.scrollBoxHeight = box->height();
        input.hasViewer = true;
        input.zoomSetting = m_viewer->ZoomSetting();
        input.zoomPercentage = m_viewer->ZoomPercentage();
    }
    const TppScreenPageSize size = ppCalcScreenPageSize(input);
    m_pageWidth = size.pageWidth;
    m_pageHeight = size.pageHeight;
    m_calculatedZoom = size.calculatedZoom;
    m_zoomLimited = size.limited;
    m_pageBitmap = QImage(size.bitmapWidth, size.bitmapHeight, QImage::Format_RGB32);
    if (m_pageBitmap.isNull()) {
        // Out of memory: a grey pixel rather than a crash.
        m_pageBitmap = QImage(1, 1, QImage::Format_RGB32);
    }
    const int dotsPerMeter = qRound(PixelsPerInch() / 0.0254);
    m_pageBitmap.setDotsPerMeterX(dotsPerMeter);
    m_pageBitmap.setDotsPerMeterY(dotsPerMeter);
    m_pageBitmap.fill(QColor(0x80, 0x80, 0x80));
}

void TppScreenDevice::RenderPage()
{
    const TppPageDef *pageDef = m_page->PageDef();
    if (pageDef->mmWidth() == 0 || pageDef->mmHeight() == 0)
        return;
    if (m_viewer && m_viewer->ScrollBox() && m_viewer->ScrollBox()->isHidden()) {
        // The scroll box appears with the first page; the window shows
        // nothing of it before the page is ready.
        QWidget *frozen = m_viewer->parentWidget() ? m_viewer->parentWidget() : m_viewer;
        const bool wasEnabled = frozen->updatesEnabled();
        frozen->setUpdatesEnabled(false);
        struct Unfreeze
        {
            QWidget *widget;
            bool enabled;
            ~Unfreeze() { widget->setUpdatesEnabled(enabled); }
        } unfreeze{frozen, wasEnabled};
        m_viewer->ScrollBox()->show();
        RebuildPageBitmap();
    } else {
        RebuildPageBitmap();
    }
    if (m_viewer)
        m_viewer->update();
    m_offsetX = (m_pageBitmap.width() - m_pageWidth) / 2;
    m_offsetY = (m_pageBitmap.height() - m_pageHeight) / 2;
    const double w100 = std::max(pageDef->spWidth(), 1);
    const double h100 = std::max(pageDef->spHeight(), 1);
    m_scaleX = m_pageWidth / w100;
    m_scaleY = m_pageHeight / h100;
    const std::weak_ptr<char> alive = LifeToken();
    {
        gfx::Canvas canvas(&m_pageBitmap);
        // The page shows as it prints, whose system colours are the classic
        // ones: a dark desktop's window colour would give a dark page under
        // the default black text.
        canvas.setSystemColors(rtl::SystemColors::classic());
        canvas.setBrush(gfx::Brush::solid(m_viewer ? m_viewer->PageColor() : ScreenPageColor));
        canvas.Rectangle(rtl::TRect{m_offsetX, m_offsetY, m_offsetX + m_pageWidth, m_offsetY + m_pageHeight});
        TppCommandRenderer renderer(canvas, RenderSettings());
        m_canvas = &canvas;
        m_renderer = &renderer;
        try {
            SendEventNotify(this, ppEvent::PageDisplayBegins, nullptr);
            if (!alive.expired())
                DrawPage(m_page.get());
            if (!alive.expired())
                SendEventNotify(this, ppEvent::PageDisplayEnds, nullptr);
        } catch (...) {
            if (!alive.expired()) {
                m_canvas = nullptr;
                m_renderer = nullptr;
            }
            throw;
        }
        if (alive.expired())
            return;
        m_canvas = nullptr;
        m_renderer = nullptr;
    }
    if (m_viewer && m_viewer->PaintBox() && m_viewer->PaintBox()->isHidden())
        m_viewer->PaintBox()->show();
    if (OnPageDrawn)
        OnPageDrawn(this);
}

bool TppScreenDevice::Draw(TppDrawCommand *aDrawCommand)
{
    if (!aDrawCommand)
        return false;
    if (!m_canvas) {
        // Outside a rendering (a recalculated command): straight onto the
        // bitmap.
        gfx::Canvas canvas(&m_pageBitmap);
        TppCommandRenderer renderer(canvas, RenderSettings());
        m_canvas = &canvas;
        m_renderer = &renderer;
        bool drawn = false;
        try {
            drawn = drawWithCanvas(aDrawCommand);
        } catch (...) {
            m_canvas = nullptr;
            m_renderer = nullptr;
            throw;
        }
        m_canvas = nullptr;
        m_renderer = nullptr;
        return drawn;
    }
    return drawWithCanvas(aDrawCommand);
}

bool TppScreenDevice::drawWithCanvas(TppDrawCommand *aDrawCommand)
{
    m_renderer->CalcDrawRect(*aDrawCommand);
    if (auto *text = dynamic_cast<TppDrawText *>(aDrawCommand)) {
        DrawText(text);
        return true;
    }
    if (auto *shape = dynamic_cast<TppDrawShape *>(aDrawCommand)) {
        DrawShape(shape);
        return true;
    }
    if (auto *line = dynamic_cast<TppDrawLine *>(aDrawCommand)) {
        DrawLine(line);
        return true;
    }
    if (auto *image = dynamic_cast<TppDrawImage *>(aDrawCommand)) {
        DrawImage(image);
        return true;
    }
    if (const DrawRoutine *routine = screenDrawRoutineFor(aDrawCommand->ClassType()))
        return (*routine)(*this, *aDrawCommand);
    return false;
}

void TppScreenDevice::DrawText(TppDrawText *aDrawCommand)
{
    if (m_renderer && aDrawCommand)
        m_renderer->DrawText(*aDrawCommand);
}

void TppScreenDevice::DrawShape(TppDrawShape *aDrawCommand)
{
    if (m_renderer && aDrawCommand)
        m_renderer->DrawShape(*aDrawCommand);
}

void TppScreenDevice::DrawLine(TppDrawLine *aDrawCommand)
{
    if (m_renderer && aDrawCommand)
        m_renderer->DrawLine(*aDrawCommand);
}

void TppScreenDevice::DrawImage(TppDrawImage *aDrawCommand)
{
    if (m_renderer && aDrawCommand)
        m_renderer->DrawImage(*aDrawCommand);
}

void TppScreenDevice::DirectDrawImage(TppDrawImage *aDrawCommand)
{
    if (m_renderer && aDrawCommand)
        m_renderer->DirectDrawImage(*aDrawCommand);
}

bool TppScreenDevice::RedrawDrawCommand(TppDrawCommand *aDrawCommand)
{
    if (!aDrawCommand || m_pageBitmap.isNull())
        return true;
    auto *text = dynamic_cast<TppDrawText *>(aDrawCommand);
    // Its new text must cover the old one.
    const bool transparent = text && text->Transparent();
    if (transparent)
        text->SetTransparent(false);
    bool drawn = false;
    try {
        drawn = Draw(aDrawCommand);
    } catch (...) {
        if (transparent)
            text->SetTransparent(true);
        throw;
    }
    if (transparent)
        text->SetTransparent(true);
    if (drawn && m_viewer && m_viewer->PaintBox()) {
        // Only the command's rectangle goes to the screen.
        m_viewer->SetRedrawing(true);
        const rtl::TRect &r = aDrawCommand->DrawRect();
        m_viewer->PaintBox()->repaint(QRect(r.Left, r.Top, r.Right - r.Left + 1, r.Bottom - r.Top + 1));
        m_viewer->SetRedrawing(false);
    }
    return drawn;
}

void TppScreenDevice::RegisterDrawRoutine(const classes::TMetaClass &aClass, DrawRoutine aRoutine)
{
    screenDrawRoutines()[&aClass] = std::move(aRoutine);
}

void TppScreenDevice::UnRegisterDrawRoutine(const classes::TMetaClass &aClass)
{
    screenDrawRoutines().erase(&aClass);
}

void TppScreenDevice::RecreatePageBitmap()
{
    while (m_page->DrawCommandCount() > 0)
        delete m_page->DrawCommands(m_page->DrawCommandCount() - 1);
    ++m_pageGeneration;
    if (m_viewer) {
        if (TppProducer *report = m_viewer->Report())
            m_page->SetPrinterSetup(report->PrinterSetup());
        AttachViewer(m_viewer);
    }
    RenderPage();
    if (m_viewer)
        m_viewer->PaintPage();
}

} // namespace report
