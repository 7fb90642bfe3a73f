#include "report/output/search/CustomSearchEngine.h"

#include "report/model/pages/DrawCommand.h"
#include "report/model/pages/Page.h"
#include "report/model/pages/PageRequest.h"
#include "report/model/pages/Publisher.h"
#include "report/model/production/SearchErrors.h"
#include "report/model/production/TextSearchSettings.h"
#include "report/output/screen/ScreenDevice.h"
#include "report/output/screen/Viewer.h"
#include "report/output/search/Highlighter.h"

#include "platform/controls/EventPump.h"
#include "platform/gfx/Canvas.h"

#include <QLoggingCategory>

#include <algorithm>

namespace report {

namespace {

Q_LOGGING_CATEGORY(searchEngineLog, "zarvello.report.search")

// Within a page the window is served at most this often; between pages
// always.
constexpr int64_t searchEnginePumpInterval = 10;

} // namespace

TppCustomSearchEngine::TppCustomSearchEngine(classes::TComponent *aOwner)
    : TppCommunicator(aOwner)
    , m_offScreenDevice(std::make_unique<TppScreenDevice>())
{
    TppEventSet events;
    events.set(ppEvent::PageDisplayBegins);
    events.set(ppEvent::PageDisplayEnds);
    events.set(ppEvent::DevicePageReceived);
    events.set(ppEvent::PublisherPageReceived);
    SetEventSubscriptions(events);
    m_offScreenDevice->SetActive(true);
    m_offScreenDevice->AddNotify(this);
    m_offScreenDevice->AddEventNotify(this);
}

TppCustomSearchEngine::~TppCustomSearchEngine()
{
    BeforeDestruction();
    ClearHighlights();
    detachViewer();
    m_freeingOffScreenDevice = true;
    m_offScreenDevice->SetPublisher(nullptr);
    m_offScreenDevice.reset();
    m_measureCanvas.reset();
}

// ---- Viewer and settings ----------------------------------------------------

void TppCustomSearchEngine::SetViewer(TppViewer *aViewer)
{
    if (aViewer == m_viewer)
        return;
    detachViewer();
    m_viewer = aViewer;
    if (!aViewer)
        return;
    m_viewerCommunicator = aViewer->Communicator();
    m_viewerDevice = aViewer->ScreenDevice();
    if (m_viewerCommunicator)
        m_viewerCommunicator->AddNotify(this);
    if (m_viewerDevice)
        m_viewerDevice->AddNotify(this);
    followViewerPublisher();
}

void TppCustomSearchEngine::detachViewer()
{
    if (m_publisher) {
        m_publisher->RemoveEventNotify(this);
        RemoveNotify(m_publisher);
        m_publisher = nullptr;
    }
    if (m_viewerDevice)
        RemoveNotify(m_viewerDevice);
    if (m_viewerCommunicator)
        RemoveNotify(m_viewerCommunicator);
    m_viewerDevice = nullptr;
    m_viewerCommunicator = nullptr;
    m_viewer = nullptr;
}

// The viewer's device gets its publisher only when the preview starts, and
// another one (or none) when the viewer is given another report: while the
// device is attached, its publisher is the one searched and given back.
void TppCustomSearchEngine::followViewerPublisher()
{
    TppPublisher *current = m_viewerDevice ? m_viewerDevice->Publisher() : nullptr;
    if (current == m_publisher)
        return;
    if (m_publisher) {
        m_publisher->RemoveEventNotify(this);
        RemoveNotify(m_publisher);
    }
    m_publisher = current;
    if (m_publisher)
        m_publisher->AddEventNotify(this);
}

void TppCustomSearchEngine::SetTextSearchSettings(TppTextSearchSettings *aSettings)
{
    if (aSettings == m_textSearchSettings)
        return;
    if (m_textSearchSettings && m_textSearchSettings->WalkieTalkie())
        RemoveNotify(m_textSearchSettings->WalkieTalkie());
    m_textSearchSettings = aSettings;
    if (aSettings && aSettings->WalkieTalkie())
        aSettings->WalkieTalkie()->AddNotify(this);
}

bool TppCustomSearchEngine::CaseSensitive() const
{
    return m_textSearchSettings && m_textSearchSettings->CaseSensitive();
}

bool TppCustomSearchEngine::ShowAll() const
{
    return m_textSearchSettings && m_textSearchSettings->ShowAll();
}

bool TppCustomSearchEngine::WholeWord() const
{
    return m_textSearchSettings && m_textSearchSettings->WholeWord();
}

void TppCustomSearchEngine::Notify(TppCommunicator *aCommunicator, int aOperation)
{
    TppCommunicator::Notify(aCommunicator, aOperation);
    if (aOperation != ppNotify::Remove || !aCommunicator)
        return;
    if (aCommunicator == m_offScreenDevice.get()) {
        if (!m_freeingOffScreenDevice) {
            // A destructor is running: the device goes whatever is said, so
            // the error is logged rather than thrown through it.
            qCCritical(searchEngineLog,
                       "TppCustomSearchEngine.Notify: Do not attempt to free the embedded OffScreenDevice.");
            (void)m_offScreenDevice.release();
        }
        return;
    }
    if (m_textSearchSettings && aCommunicator == m_textSearchSettings->WalkieTalkie()) {
        m_textSearchSettings = nullptr;
        return;
    }
    if (aCommunicator == m_viewerCommunicator || aCommunicator == m_viewerDevice) {
        if (m_publisher)
            m_publisher->RemoveEventNotify(this);
        m_publisher = nullptr;
        m_viewerDevice = nullptr;
        m_viewerCommunicator = nullptr;
        m_viewer = nullptr;
        m_canvas = nullptr;
        return;
    }
    if (aCommunicator == m_publisher) {
        m_publisher = nullptr;
        return;
    }
    if (aCommunicator == m_watchedPage) {
        m_watchedPage = nullptr;
        return;
    }
    auto it = std::find(m_highlights.begin(), m_highlights.end(), aCommunicator);
    if (it != m_highlights.end())
        m_highlights.erase(it);
}

void TppCustomSearchEngine::EventNotify(TppCommunicator *aCommunicator, int aEventID, TraParamList *aParams)
{
    TppCommunicator::EventNotify(aCommunicator, aEventID, aParams);
    if (!aParams || aParams->Count() < 1)
        return;
    classes::TObject *object = nullptr;
    aParams->GetParamValue(0, object);
    auto *page = dynamic_cast<TppPage *>(object);
    if (aEventID == ppEvent::DevicePageReceived && aCommunicator == m_offScreenDevice.get()) {
        m_receivedPage = page;
        m_pageArrived = page != nullptr;
    } else if (aEventID == ppEvent::PublisherPageReceived && aCommunicator == m_publisher && m_publisher &&
               m_publisher->CachePages() && page) {
        PageReceived(page);
    }
}

// ---- Devices ------------------------------------------------------------------

TppCustomSearchEngine::ViewerDeactivation::ViewerDeactivation(TppCustomSearchEngine &aEngine)
    : m_engine(aEngine)
{
    m_engine.SetViewerActive(false);
}

TppCustomSearchEngine::ViewerDeactivation::~ViewerDeactivation()
{
    try {
        m_engine.SetViewerActive(true);
    } catch (const std::exception &error) {
        qCCritical(searchEngineLog, "%s", error.what());
    }
}

void TppCustomSearchEngine::SetViewerActive(bool aValue)
{
    if (m_viewerActiveCount > 0)
        followViewerPublisher();
    m_viewerActiveCount += aValue ? 1 : -1;
    if (!m_viewerDevice || !m_publisher) {
        // The viewer went during the step: nothing takes the engine's
        // device's place, but the report must not go on feeding it.
        if (m_viewerActiveCount > 0 && m_offScreenDevice->Publisher())
            m_offScreenDevice->SetPublisher(nullptr);
        return;
    }
    for (int i = m_publisher->DeviceCount() - 1; i >= 0; --i)
        if (auto *screen = dynamic_cast<TppScreenDevice *>(m_publisher->Devices(i)))
            screen->SetPublisher(nullptr);
    if (m_viewerActiveCount <= 0) {
        m_offScreenDevice->SetPublisher(m_publisher);
        AssignCanvasScale();
    } else {
        m_viewerDevice->SetPublisher(m_publisher);
    }
}

TppScreenDevice *TppCustomSearchEngine::DrawingDevice() const
{
    return m_viewerDevice ? m_viewerDevice : m_offScreenDevice.get();
}

gfx::Canvas *TppCustomSearchEngine::measuringCanvas(const TppScreenDevice &aDevice)
{
    const QImage &bitmap = aDevice.PageBitmap();
    const int dotsX = bitmap.isNull() ? qRound(aDevice.PixelsPerInch() / 0.0254) : bitmap.dotsPerMeterX();
    const int dotsY = bitmap.isNull() ? qRound(aDevice.PixelsPerInch() / 0.0254) : bitmap.dotsPerMeterY();
    if (!m_measureCanvas || m_measureImage.dotsPerMeterX() != dotsX || m_measureImage.dotsPerMeterY() != dotsY) {
        m_measureCanvas.reset();
        m_measureImage = QImage(1, 1, QImage::Format_RGB32);
        m_measureImage.setDotsPerMeterX(dotsX);
        m_measureImage.setDotsPerMeterY(dotsY);
        m_measureCanvas = std::make_unique<gfx::Canvas>(&m_measureImage);
    }
    return m_measureCanvas.get();
}

void TppCustomSearchEngine::AssignCanvasScale()
{
    TppScreenDevice *device = DrawingDevice();
    // Between pages the device has no canvas: text is then measured on one
    // of the engine's at the device's resolution.
    m_canvas = device ? (device->Canvas() ? device->Canvas() : measuringCanvas(*device)) : nullptr;
    if (!m_canvas)
        throw ESearchEngineError(
            QStringLiteral("TppCustomSearchEngine.AssignCanvasScale: Must have a non nil canvas."));
    m_scaleX = device->ScaleX();
    m_scaleY = device->ScaleY();
}

// ---- Highlights -----------------------------------------------------------------

void TppCustomSearchEngine::DrawHighlight(TppDrawCommandHighlighter *, TppDrawCommand *aDrawCommand,
                                          TppDrawCommand *aHighlight)
{
    if (aHighlight || !aDrawCommand)
        return;
    aDrawCommand->Draw(DrawingDevice());
    if (m_viewer && m_viewer->PaintBox())
        m_viewer->PaintBox()->update();
}

TppDrawCommand *TppCustomSearchEngine::CreateHighlightDrawCommand(TppDrawCommand *aDrawCommand,
                                                                  TppDrawCommandSearchInfo *aSearchInfo)
{
    if (!aDrawCommand || !TppDrawCommandHighlightRegistry::IsRegistered(aDrawCommand->ClassType()))
        throw ESearchEngineError(QStringLiteral("TppCustomSearchEngine.CreateHighlightDrawCommand: Highlighter "
                                                "class not registered for draw ommand class ") +
                                 (aDrawCommand ? aDrawCommand->ClassType().ClassName() : QString()) +
                                 QStringLiteral("."));
    TppDrawCommandHighlighter *highlighter = TppDrawCommandHighlightRegistry::GetHighlighter(aDrawCommand);
    highlighter->SetCaseSensitive(CaseSensitive());
    highlighter->SetWholeWord(WholeWord());
    highlighter->SetScaleX(m_scaleX);
    highlighter->SetScaleY(m_scaleY);
    BeforeCreateHighlight(highlighter, aSearchInfo, aDrawCommand);
    std::unique_ptr<TppDrawCommand> highlight =
        highlighter->CreateHighlight(aDrawCommand, aSearchInfo, m_searchText, m_canvas);
    TppDrawCommand *result = highlight.get();
    if (highlight) {
        m_highlights.push_back(highlight.release());
        result->AddNotify(this);
    }
    DrawHighlight(highlighter, aDrawCommand, result);
    return result;
}

void TppCustomSearchEngine::HighlightAll(TppPage *aPage)
{
    TppScreenDevice *device = DrawingDevice();
    const std::vector<TppDrawCommand *> highlights = m_highlights;
    for (TppDrawCommand *highlight : highlights) {
        if (std::find(m_highlights.begin(), m_highlights.end(), highlight) == m_highlights.end())
            continue;
        BeforeDrawHighlight(highlight);
        highlight->SetPage(aPage);
        highlight->Draw(device);
    }
    if (m_viewer && m_viewer->PaintBox())
        m_viewer->PaintBox()->update();
}

void TppCustomSearchEngine::ClearHighlights()
{
    while (!m_highlights.empty()) {
        TppDrawCommand *highlight = m_highlights.back();
        m_highlights.pop_back();
        RemoveNotify(highlight);
        highlight->SetPage(nullptr);
        delete highlight;
    }
}

void TppCustomSearchEngine::HighlightPage(TppPage *)
{
    AssignCanvasScale();
}

// ---- Searching ------------------------------------------------------------------

void TppCustomSearchEngine::PumpMessages(bool aNow)
{
    const int64_t now = controls::tickCount();
    if (!aNow && now - m_lastPump < searchEnginePumpInterval)
        return;
    m_lastPump = now;
    controls::processEventsFor(0);
}

TppCustomSearchEngine::PageWatch::PageWatch(TppCustomSearchEngine &aEngine, TppPage *aPage)
    : m_engine(aEngine)
    , m_previous(aEngine.m_watchedPage)
    , m_generation(aEngine.m_viewerDevice ? aEngine.m_viewerDevice->PageGeneration() : 0)
{
    m_engine.m_watchedPage = aPage;
    if (aPage)
        aPage->AddNotify(&m_engine);
}

TppCustomSearchEngine::PageWatch::~PageWatch()
{
    if (m_engine.m_watchedPage && m_engine.m_watchedPage != m_previous)
        m_engine.RemoveNotify(m_engine.m_watchedPage);
    m_engine.m_watchedPage = m_previous;
}

bool TppCustomSearchEngine::PageWatch::Unchanged() const
{
    TppPage *page = m_engine.m_watchedPage;
    if (!page)
        return false;
    TppScreenDevice *viewerDevice = m_engine.m_viewerDevice;
    return !viewerDevice || viewerDevice->Page() != page || viewerDevice->PageGeneration() == m_generation;
}

bool TppCustomSearchEngine::Search(const QString &)
{
    m_cancelled = false;
    if (!m_viewer)
        throw ESearchEngineError(QStringLiteral(
            "TppCustomSearchEngine.Search: Must assign a non-nil viewer from the device in order to search."));
    AssignCanvasScale();
    return true;
}

bool TppCustomSearchEngine::SearchPage(TppPage *aPage, const QString &)
{
    AssignCanvasScale();
    if (aPage)
        m_highestPageSearched = std::max(m_highestPageSearched, int(aPage->AbsolutePageNo()));
    return true;
}

void TppCustomSearchEngine::Reset()
{
    m_canvas = nullptr;
    m_scaleX = 1.0;
    m_scaleY = 1.0;
    m_highestPageSearched = 0;
    ClearHighlights();
}

bool TppCustomSearchEngine::ScanPages(const QString &aText)
{
    ViewerDeactivation deactivation(*this);
    if (!m_offScreenDevice->Publisher())
        throw ESearchEngineError(QStringLiteral(
            "TppSearchEngine.Search: The publisher is nil because the off screen device has been deactivated."));
    m_foundPageNo = -1;
    bool requestPages = true;
    if (m_publisher->CachePages() && m_publisher->CachedPageCount() >= m_startPageNo) {
        // The publisher may go while the window is served.
        auto lastCachedIsLast = [this] {
            return m_publisher && m_publisher->CachedPageCount() > 0 &&
                   m_publisher->CachedPages(m_publisher->CachedPageCount() - 1)->LastPage();
        };
        if (m_searchAllPages && !lastCachedIsLast()) {
            Reset();
            RequestAllPages();
            AssignCanvasScale();
        }
        // A page search may pump the window, and a page may then join the
        // cache: the pages are walked by number, not by a held position.
        int pageNo = m_startPageNo;
        for (; !m_cancelled && m_publisher; ++pageNo) {
            TppPage *page = m_publisher->GetCachedPage(pageNo);
            if (!page)
                break;
            const bool last = page->LastPage();
            if (SearchPage(page, aText) && m_foundPageNo == -1)
                m_foundPageNo = pageNo;
            PumpMessages(true);
            if (last || (m_foundPageNo != -1 && !lastCachedIsLast()))
                break;
        }
        if (m_publisher && lastCachedIsLast())
            m_lastPageReached = true;
        // Asked for from the first page the cache could not give, which is
        // the page after the cached ones while the cache has no gaps.
        if (m_foundPageNo == -1 && !m_lastPageReached && m_publisher)
            m_startPageNo = pageNo;
        else
            requestPages = false;
    }
    if (requestPages && !m_cancelled)
        SearchRequestedPages(aText);
    if (m_cancelled) {
        m_foundPageNo = m_viewer ? m_viewer->AbsolutePageNo() : -1;
        return false;
    }
    return m_foundPageNo != -1;
}

bool TppCustomSearchEngine::SearchRequestedPages(const QString &aText)
{
    int pageNo = m_startPageNo;
    while (!m_cancelled) {
        TppPage *page = nullptr;
        if (m_viewer && !m_viewer->DesignPreview() && m_viewerDevice && m_viewerDevice->Page() &&
            m_viewerDevice->Page()->AbsolutePageNo() == pageNo)
            page = m_viewerDevice->Page();
        else
            page = RequestPage(pageNo);
        if (!page)
            throw ESearchEngineError(
                QStringLiteral("TppTextSearchEngine.SearchRequestedPages: Requested page is nil."));
        const int received = page->AbsolutePageNo();
        // A request past the end brings the last page again.
        const bool last = page->LastPage() || received < pageNo;
        const bool found = SearchPage(page, aText);
        if (found && m_foundPageNo == -1)
            m_foundPageNo = received;
        PumpMessages(true);
        if (last || (found && !m_searchAllPages))
            break;
        pageNo = received + 1;
    }
    return m_foundPageNo != -1;
}

TppPage *TppCustomSearchEngine::RequestPage(int aPageNo)
{
    TppPageRequest request;
    request.SetPageSetting(TppPageSettingType::psSinglePage);
    request.SetPageRequested(aPageNo);
    m_offScreenDevice->SetPageRequest(&request);
    m_receivedPage = nullptr;
    m_pageArrived = false;
    m_offScreenDevice->RequestPages();
    // The page the event carried may be gone with its request; the device's
    // copy stays until the next one.
    TppPage *copy = m_offScreenDevice ? m_offScreenDevice->Page() : nullptr;
    m_receivedPage = m_pageArrived && copy && copy->AbsolutePageNo() > 0 ? copy : nullptr;
    return m_receivedPage;
}

void TppCustomSearchEngine::RequestAllPages()
{
    ViewerDeactivation deactivation(*this);
    TppPageRequest request;
    request.SetPageSetting(TppPageSettingType::psAll);
    m_offScreenDevice->SetPageRequest(&request);
    m_offScreenDevice->RequestPages();
}

void TppCustomSearchEngine::RequestViewerPage()
{
    if (!m_viewerDevice || !m_viewerDevice->Page())
        return;
    TppPageRequest request;
    request.SetPageSetting(TppPageSettingType::psSinglePage);
    request.SetPageRequested(m_viewerDevice->Page()->AbsolutePageNo());
    m_viewerDevice->SetPageRequest(&request);
    m_viewerDevice->RequestPages();
}

int TppCustomSearchEngine::NavigateForward(const QString &aText)
{
    return navigate(aText, true);
}

int TppCustomSearchEngine::NavigateToLast(const QString &aText)
{
    return navigate(aText, false);
}

int TppCustomSearchEngine::navigate(const QString &aText, bool aStopAtFirstHit)
{
    if (!m_viewer)
        throw ESearchEngineError(
            QStringLiteral("TppCustomSearchEngine.NavigateForward: Cannot request pages when the viewer is nil."));
    const int shown = m_viewer->AbsolutePageNo();
    int result = -1;
    bool reachedLast = false;
    {
        ViewerDeactivation deactivation(*this);
        int pageNo = shown + 1;
        while (!m_cancelled) {
            TppPage *page = RequestPage(pageNo);
            if (!page || page->AbsolutePageNo() < pageNo) {
                reachedLast = true;
                break;
            }
            const bool lastPage = page->LastPage();
            const int known = OccurrenceCount();
            const bool hit = SearchPage(page, aText);
            // A page whose hits were found before is no place to stop: the
            // shown page may lie before them when the user paged back.
            const bool stop = aStopAtFirstHit && hit && OccurrenceCount() > known;
            if (hit)
                result = pageNo;
            if (lastPage) {
                reachedLast = !stop;
                break;
            }
            PumpMessages(true);
            if (stop)
                break;
            ++pageNo;
        }
    }
    if (m_cancelled)
        return shown;
    if (reachedLast)
        RequestViewerPage();
    return result;
}

void TppCustomSearchEngine::CancelSearch()
{
    m_cancelled = true;
    if (!m_publisher)
        throw ESearchEngineError(QStringLiteral(
            "TppCustomSearchEngine.CancelSearch: Publisher is nil and cannot cancel the search cleanly."));
    if (m_offScreenDevice->Publisher())
        m_publisher->CancelJob();
    m_offScreenDevice->CancelReport();
    Reset();
}

} // namespace report
