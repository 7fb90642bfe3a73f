#include "report/output/preview/SearchPreview.h"

#include "report/model/base/Messages.h"
#include "report/model/objects/EventIds.h"
#include "report/model/objects/ParamList.h"
#include "report/model/pages/Page.h"
#include "report/model/production/SearchErrors.h"
#include "report/model/production/TextSearchSettings.h"
#include "report/output/screen/ScreenDevice.h"
#include "report/output/screen/Viewer.h"
#include "report/output/search/CustomSearchEngine.h"
#include "report/output/search/SearchEngineRegistry.h"

#include "platform/controls/EventPump.h"
#include "platform/controls/Guard.h"

#include <QAction>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>

namespace report {

namespace {

Q_LOGGING_CATEGORY(searchPreviewLog, "zarvello.report.searchpreview")

// Panel 1's option words each follow this many blanks.
const QString SearchPreviewOptionGap(10, u' ');

QLabel *searchPreviewPanel(QStatusBar *aStatusBar, int aIndex)
{
    return aStatusBar->findChild<QLabel *>(QStringLiteral("Panel%1").arg(aIndex));
}

// A status bar shows panels when it holds a "Panel0" label and is not put
// in simple mode (its "SimplePanel" property).
bool searchPreviewSimplePanel(QStatusBar *aStatusBar)
{
    return aStatusBar->property("SimplePanel").toBool() || !searchPreviewPanel(aStatusBar, 0);
}

} // namespace

// Locks the window updates of the viewer's parent for a scope.
class TppSearchPreview::ParentUpdateLock
{
public:
    explicit ParentUpdateLock(QWidget *aWidget)
        : m_widget(aWidget)
        , m_wasEnabled(aWidget && aWidget->updatesEnabled())
    {
        if (m_widget)
            m_widget->setUpdatesEnabled(false);
    }
    ~ParentUpdateLock()
    {
        if (m_widget && m_wasEnabled)
            m_widget->setUpdatesEnabled(true);
    }
    ParentUpdateLock(const ParentUpdateLock &) = delete;
    ParentUpdateLock &operator=(const ParentUpdateLock &) = delete;

private:
    QPointer<QWidget> m_widget;
    bool m_wasEnabled;
};

TppSearchPreview::TppSearchPreview(TppCustomPreview *aPreview)
    : TppCustomSearchPreview(aPreview)
    , m_settings(std::make_unique<TppTextSearchSettings>())
    , m_context(std::make_unique<QObject>())
{
    TppEventSet events;
    for (int id : {ppEvent::PageDisplayBegins, ppEvent::PageDisplayEnds, ppEvent::ViewerChange,
                   ppEvent::DevicePageReceived, ppEvent::SearchResultsChanged})
        events.set(id);
    SetEventSubscriptions(events);
    m_settings->WalkieTalkie()->AddNotify(this);
}

TppSearchPreview::~TppSearchPreview()
{
    m_freeing = true;
    BeforeDestruction();
    if (m_engine && IsSearching()) {
        try {
            m_engine->CancelSearch();
        } catch (const std::exception &error) {
            qCWarning(searchPreviewLog, "%s", error.what());
        }
    }
    freeEngine();
    if (m_settings)
        m_settings->WalkieTalkie()->RemoveNotify(this);
    // The controls live in the preview's panels; their handlers end here.
    delete m_findButton.data();
    if (m_searchPanel)
        qDeleteAll(m_searchPanel->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly));
    if (m_busyCursor)
        QGuiApplication::restoreOverrideCursor();
}

// ---- Binding ----------------------------------------------------------------

void TppSearchPreview::SetViewer(TppViewer *aViewer)
{
    if (m_viewer == aViewer)
        return;
    if (m_viewerCommunicator)
        m_viewerCommunicator->RemoveEventNotify(this);
    if (m_screenDevice)
        m_screenDevice->RemoveEventNotify(this);
    m_screenDevice = nullptr;
    m_viewer = aViewer;
    m_viewerCommunicator = aViewer ? aViewer->Communicator() : nullptr;
    if (m_viewerCommunicator)
        m_viewerCommunicator->AddEventNotify(this);
    subscribeScreenDevice();
}

void TppSearchPreview::subscribeScreenDevice()
{
    TppCommunicator *device = m_viewer ? m_viewer->ScreenDevice() : nullptr;
    if (device == m_screenDevice)
        return;
    if (m_screenDevice)
        m_screenDevice->RemoveEventNotify(this);
    m_screenDevice = device;
    if (m_screenDevice)
        m_screenDevice->AddEventNotify(this);
}

void TppSearchPreview::SetStatusBar(QStatusBar *aStatusBar)
{
    m_statusBar = aStatusBar;
}

void TppSearchPreview::SetTextSearchSettings(TppTextSearchSettings *aSettings)
{
    if (aSettings)
        m_settings->Assign(aSettings);
    checksFromSettings();
}

void TppSearchPreview::checksFromSettings()
{
    if (m_textBox)
        m_textBox->setText(m_settings->DefaultString());
    if (!m_showAllItem)
        return;
    m_showAllItem->setChecked(m_settings->ShowAll());
    m_caseSensitiveItem->setChecked(m_settings->CaseSensitive());
    m_wholeWordItem->setChecked(m_settings->WholeWord());
    (m_settings->SearchFromCurrentPage() ? m_currentPageItem : m_firstPageItem)->setChecked(true);
}

void TppSearchPreview::optionsIntoSettings()
{
    if (m_showAllItem) {
        m_settings->SetShowAll(m_showAllItem->isChecked());
        m_settings->SetCaseSensitive(m_caseSensitiveItem->isChecked());
        m_settings->SetWholeWord(m_wholeWordItem->isChecked());
        m_settings->SetSearchFromCurrentPage(m_currentPageItem->isChecked());
    }
    if (m_textBox) {
        m_settings->SetDefaultString(m_textBox->text());
        m_searchText = m_textBox->text();
    }
}

void TppSearchPreview::createEngine()
{
    const TppSearchEngineClass *engineClass = TppSearchEngineRegistry::GetEngineClass(EngineName());
    if (!engineClass)
        engineClass = TppSearchEngineRegistry::GetEngineClass(QStringLiteral("Full Search"));
    if (!engineClass)
        throw ESearchError(
            QStringLiteral("TppCustomSearchPreview.CreateSearchEngine: Text search engine not found in registry: ") +
            EngineName());
    if (m_engine && engineClass == m_engineClass)
        return;
    freeEngine();
    m_engine = std::shared_ptr<TppCustomSearchEngine>(engineClass->Create(nullptr));
    m_engineClass = engineClass;
    m_engine->AddEventNotify(this);
    m_offScreenDevice = m_engine->OffScreenDevice();
    if (m_offScreenDevice)
        m_offScreenDevice->AddEventNotify(this);
}

void TppSearchPreview::freeEngine()
{
    if (!m_engine)
        return;
    if (m_offScreenDevice)
        m_offScreenDevice->RemoveEventNotify(this);
    m_offScreenDevice = nullptr;
    m_engine->RemoveEventNotify(this);
    // An action still running keeps its own reference to the engine, which
    // must not hold on to the settings copy beyond this.
    m_engine->SetTextSearchSettings(nullptr);
    m_engine.reset();
    m_engineClass = nullptr;
}

// ---- Start and end of a preview -------------------------------------------

void TppSearchPreview::BeginPreview()
{
    if (!m_viewer)
        throw ESearchError(QStringLiteral("TppCustomSearchPreview.BeforePreview: Must assign viewer first."));
    if (!m_viewer->ScreenDevice())
        throw ESearchError(QStringLiteral("TppCustomSearchPreview.BeforePreview: Screen device is nil."));
    if (!m_statusBar)
        throw ESearchError(QStringLiteral("TppCustomSearchPreview.BeforePreview: Must assign status bar first."));
    ParentUpdateLock lock(m_viewer->parentWidget());
    subscribeScreenDevice();
    createEngine();
    if (m_viewer->DesignPreview())
        if (QLabel *panel = searchPreviewPanel(m_statusBar, 1))
            panel->clear();
    m_cancelled = false;
    m_searchOnStartPending = m_settings->SearchOnStart();
    if (m_findButton)
        m_findButton->setVisible(m_settings->Enabled());
    m_searchPanelVisible = m_settings->Enabled() && m_settings->Visible();
    applySearchPanelVisibility();
    if (!m_searchPanelVisible && IsSearching()) {
        PerformSearchAction(ppSearchAction::Cancel);
    } else {
        resetSearch();
        StatusChange();
    }
}

void TppSearchPreview::EndPreview()
{
    if (m_engine && IsSearching())
        PerformSearchAction(ppSearchAction::Cancel);
    m_searchOnStartPending = false;
}

// ---- The panel ----------------------------------------------------------------

bool TppSearchPreview::SearchPanelInOutlinePanel() const
{
    return m_searchPanel && m_outlinePanel && m_searchPanel->parentWidget() == m_outlinePanel;
}

void TppSearchPreview::ShowSearchPanel()
{
    m_searchPanelVisible = true;
    m_settings->SetVisible(true);
    if (m_searchPanel)
        m_searchPanel->setEnabled(true);
    applySearchPanelVisibility();
}

void TppSearchPreview::applySearchPanelVisibility()
{
    if (m_searchPanel)
        m_searchPanel->setVisible(m_searchPanelVisible);
    if (m_findButton) {
        m_findButton->setToolTip(ppLoadStr(m_searchPanelVisible ? 1055 : 1054));
        m_findButton->setChecked(m_searchPanelVisible);
    }
    SendEventNotify(this, ppEvent::SearchPanelToggled, nullptr);
}

void TppSearchPreview::ToggleSearchPanel()
{
    const std::weak_ptr<char> alive = m_alive;
    {
        ParentUpdateLock lock(m_viewer ? m_viewer->parentWidget() : nullptr);
        const bool redrawing = m_viewer && m_viewer->Redrawing();
        if (m_viewer)
            m_viewer->SetRedrawing(true);
        m_searchPanelVisible = !m_searchPanelVisible;
        m_settings->SetVisible(m_searchPanelVisible);
        applySearchPanelVisibility();
        if (!m_searchPanelVisible) {
            if (IsSearching()) {
                PerformSearchAction(ppSearchAction::Cancel);
            } else {
                resetSearch();
                repaintPage();
            }
        } else {
            resetSearch();
        }
        if (alive.expired())
            return;
        if (m_viewer)
            m_viewer->SetRedrawing(redrawing);
    }
    StatusChange();
    SendEventNotify(this, ppEvent::SearchChange, nullptr);
}

// ---- State --------------------------------------------------------------------

void TppSearchPreview::resetSearch()
{
    m_searching = false;
    m_cancelled = false;
    m_hasResults = false;
    m_currentOccurrence = -1;
    m_firstSearchPage = 1;
    m_highlightedPage = 0;
    m_errorText.clear();
    if (m_engine)
        m_engine->Reset();
    refreshButtons();
}

void TppSearchPreview::repaintPage()
{
    if (!m_viewer || !m_viewer->ScreenDevice() || !m_viewer->ScreenDevice()->Page())
        return;
    // Drawn afresh: event 92 takes the old highlights off, event 93 puts
    // the current ones on.
    m_viewer->ScreenDevice()->RenderPage();
    m_viewer->PaintPage();
}

void TppSearchPreview::givePanel0Back()
{
    if (m_panel0Borrowed && m_viewer)
        showPanel0(m_viewer->Status());
    m_panel0Borrowed = false;
}

void TppSearchPreview::showPanel0(const QString &aText)
{
    if (!m_statusBar)
        return;
    if (QLabel *panel = searchPreviewPanel(m_statusBar, 0))
        panel->setText(aText);
    else
        m_statusBar->showMessage(aText);
}

void TppSearchPreview::StatusChange()
{
    if (!m_statusBar)
        return;
    if (searchPreviewSimplePanel(m_statusBar))
        throw ESearchError(QStringLiteral(
            "TppCustomSearchPreview.StatusChange: Must have a non SimplePanel status bar to support text search."));
    QLabel *panel0 = searchPreviewPanel(m_statusBar, 0);
    QLabel *panel1 = searchPreviewPanel(m_statusBar, 1);
    if (!panel1) {
        panel1 = new QLabel(m_statusBar);
        panel1->setObjectName(QStringLiteral("Panel1"));
        m_statusBar->addWidget(panel1, 1);
    }
    panel0->setFixedWidth(275);
    panel0->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    QString text;
    if (!m_errorText.isEmpty()) {
        text = m_errorText;
    } else if (m_cancelled) {
        text = ppLoadStr(1051);
    } else if (m_hasResults && m_engine) {
        const int count = m_engine->OccurrenceCount();
        text = m_settings->ShowAll() ? ppLoadStr(1048) + u' ' + QString::number(count)
                                     : ppLoadStr(1048) + u' ' + QString::number(m_currentOccurrence + 1) + u' ' +
                                           ppLoadStr(16) + u' ' + QString::number(count);
        if (!m_engine->LastPageReached())
            text += ppLoadStr(1045);
        const std::pair<bool, int> options[] = {
            {m_settings->ShowAll(), 1062}, {m_settings->CaseSensitive(), 1063}, {m_settings->WholeWord(), 1064}};
        for (const auto &[set, message] : options)
            if (set)
                text += SearchPreviewOptionGap + ppLoadStr(message);
        text += SearchPreviewOptionGap + ppLoadStr(1050) + u' ' + QString::number(m_firstSearchPage);
    }
    panel1->setText(text);
}

void TppSearchPreview::showBusyCursor(bool aBusy)
{
    if (aBusy == m_busyCursor)
        return;
    m_busyCursor = aBusy;
    if (aBusy)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QGuiApplication::restoreOverrideCursor();
}

// ---- Actions --------------------------------------------------------------------

bool TppSearchPreview::newSearchNeeded() const
{
    return m_optionsChanged || m_searchText != m_lastSearchText || m_refreshPending || m_settings->SearchOnStart() ||
           m_engine->OccurrenceCount() == 0 || (m_engine->SearchAllPages() && !m_engine->LastPageReached());
}

void TppSearchPreview::runSearch(bool aAllPages)
{
    m_searching = true;
    m_cancelled = false;
    m_hasResults = true;
    optionsIntoSettings();
    const std::shared_ptr<TppCustomSearchEngine> engine = m_engine;
    engine->Reset();
    engine->SetTextSearchSettings(m_settings.get());
    engine->SetViewer(m_viewer);
    engine->SetSearchAllPages(aAllPages);
    m_currentOccurrence = -1;
    m_firstSearchPage = m_settings->SearchFromCurrentPage() && m_viewer ? m_viewer->AbsolutePageNo() : 1;
    engine->SetStartPageNo(m_firstSearchPage);
    m_lastSearchText = m_searchText;
    m_refreshPending = false;
    StatusChange();
    refreshButtons();
    const std::weak_ptr<char> alive = m_alive;
    // A copy: this object may go while the search serves the window.
    const QString text = m_searchText;
    engine->Search(text);
    if (alive.expired())
        return;
    m_optionsChanged = false;
    m_searching = false;
}

void TppSearchPreview::showOccurrence(int aAction)
{
    const std::shared_ptr<TppCustomSearchEngine> engine = m_engine;
    const std::weak_ptr<char> alive = m_alive;
    const int count = engine->OccurrenceCount();
    bool moved = false;
    switch (aAction) {
    case ppSearchAction::First:
        if (m_currentOccurrence != 0 && engine->FirstOccurrence()) {
            m_currentOccurrence = 0;
            moved = true;
        }
        break;
    case ppSearchAction::Prior:
        if (m_currentOccurrence > 0 && engine->PriorOccurrence()) {
            --m_currentOccurrence;
            moved = true;
        }
        break;
    case ppSearchAction::Next:
        if (m_currentOccurrence + 1 >= count) {
            if (engine->LastPageReached())
                break;
            // The next occurrence lies on a page not searched yet.
            engine->NavigateForward(QString(m_searchText));
            if (alive.expired() || m_cancelled)
                return;
        }
        if (engine->NextOccurrence()) {
            ++m_currentOccurrence;
            moved = true;
        }
        break;
    case ppSearchAction::Last:
        if (!engine->LastPageReached()) {
            engine->NavigateToLast(QString(m_searchText));
            if (alive.expired() || m_cancelled)
                return;
        }
        if (engine->LastOccurrence()) {
            m_currentOccurrence = engine->OccurrenceCount() - 1;
            moved = true;
        }
        break;
    default: break;
    }
    if (!moved || !m_viewer)
        return;
    const int page = engine->CurrentPageNo();
    if (page > 0 && page != m_viewer->AbsolutePageNo())
        m_viewer->GotoPage(page);
    else
        repaintPage();
}

void TppSearchPreview::PerformSearchAction(int aAction)
{
    if (m_actionCount > 0 && aAction != ppSearchAction::Cancel)
        return;
    const std::weak_ptr<char> alive = m_alive;
    // The engine outlives this preview for as long as the action runs.
    const std::shared_ptr<TppCustomSearchEngine> engine = m_engine;
    ++m_actionCount;
    const int64_t start = controls::tickCount();
    const bool outermost = m_actionCount == 1;
    bool failed = false;
    try {
        if (engine) {
            m_errorText.clear();
            showBusyCursor(true);
            refreshButtons();
            switch (aAction) {
            case ppSearchAction::Search: {
                const bool fresh = newSearchNeeded();
                if (fresh)
                    runSearch(false);
                else if (engine->OccurrenceCount() > 0)
                    showOccurrence(ppSearchAction::First);
                if (!alive.expired() && fresh && !m_cancelled) {
                    if (engine->OccurrenceCount() == 0)
                        repaintPage();
                    else
                        showOccurrence(ppSearchAction::First);
                }
                break;
            }
            case ppSearchAction::First:
            case ppSearchAction::Next:
            case ppSearchAction::Prior:
            case ppSearchAction::Last: showOccurrence(aAction); break;
            case ppSearchAction::SearchPageAgain:
                optionsIntoSettings();
                repaintPage();
                break;
            case ppSearchAction::Cancel:
                m_cancelled = true;
                m_searching = false;
                engine->CancelSearch();
                if (!alive.expired()) {
                    StatusChange();
                    repaintPage();
                }
                break;
            case ppSearchAction::Clear:
                engine->Reset();
                m_searching = false;
                m_cancelled = false;
                m_hasResults = false;
                m_currentOccurrence = -1;
                m_firstSearchPage = 1;
                repaintPage();
                break;
            default: break;
            }
        }
    } catch (const ESearchError &error) {
        // The search's own errors end the action and show in the status.
        if (!alive.expired())
            m_errorText = error.Message();
    } catch (...) {
        failed = true;
        if (!alive.expired()) {
            --m_actionCount;
            m_searching = m_searching && m_actionCount > 0;
            if (outermost)
                showBusyCursor(false);
        }
        throw;
    }
    if (alive.expired() || failed)
        return;
    m_elapsedMilliseconds = controls::tickCount() - start;
    --m_actionCount;
    if (outermost) {
        m_searching = false;
        showBusyCursor(false);
        givePanel0Back();
    }
    StatusChange();
    refreshButtons();
    if (!m_silent)
        SendEventNotify(this, ppEvent::SearchChange, nullptr);
}

void TppSearchPreview::TextBoxEnter()
{
    if (!m_textBox)
        return;
    m_searchText = m_textBox->text();
    m_optionsChanged = true;
    PerformSearchAction(ppSearchAction::Search);
}

void TppSearchPreview::CancelSearch()
{
    m_silent = true;
    try {
        PerformSearchAction(ppSearchAction::Cancel);
    } catch (...) {
        m_silent = false;
        throw;
    }
    m_silent = false;
}

// ---- The preview's actions -----------------------------------------------------

void TppSearchPreview::BeforePreviewAction(int aAction)
{
    if (!IsSearching()) {
        m_cancelled = false;
        return;
    }
    switch (aAction) {
    case 3: // zooms and page moves: the search is refreshed afterwards
    case 4:
    case 5:
    case 6:
    case 7:
    case 8:
    case 9: m_refreshPending = true; break;
    case 11:
        if (m_searchPanel)
            for (QWidget *control : m_searchPanel->findChildren<QWidget *>())
                control->setEnabled(false);
        [[fallthrough]];
    case 0:
    case 1:
    case 10: PerformSearchAction(ppSearchAction::Cancel); break;
    default: break;
    }
}

void TppSearchPreview::AfterPreviewAction(int)
{
    refreshButtons();
}

void TppSearchPreview::BeforeGotoPage(int aPageNo)
{
    if (!m_hasResults || !m_engine || IsSearching())
        return;
    try {
        m_engine->GotoOccurrencePage(aPageNo);
    } catch (const ESearchError &) {
        // A page without occurrences: the current one stays, and the page
        // is shown all the same.
        return;
    }
    if (m_engine->CurrentPageNo() == aPageNo)
        m_currentOccurrence = m_engine->CurrentOccurrenceNo();
}

// ---- Events ----------------------------------------------------------------------

void TppSearchPreview::pageDisplayBegins()
{
    if (m_hasResults && m_engine)
        m_engine->ClearHighlights();
}

void TppSearchPreview::pageDisplayEnds()
{
    TppPage *page = m_viewer ? m_viewer->ScreenDevice()->Page() : nullptr;
    if (!page)
        return;
    if (m_hasResults && m_engine && !m_searching) {
        try {
            const int pageNo = page->AbsolutePageNo();
            if (m_settings->ShowAll()) {
                if (pageNo > m_engine->HighestPageSearched())
                    m_engine->SearchPage(page, m_searchText);
                m_engine->HighlightPage(page);
            } else if (m_currentOccurrence >= 0 && m_engine->CurrentPageNo() == pageNo) {
                m_engine->HighlightPage(page);
            }
            m_highlightedPage = pageNo;
        } catch (const ESearchError &error) {
            // A page that changed under its search (regenerated): the next
            // action searches it again.
            m_errorText = error.Message();
            m_refreshPending = true;
            StatusChange();
        }
    }
    if (m_searchOnStartPending) {
        m_searchOnStartPending = false;
        scheduleSearchOnStart();
    }
}

void TppSearchPreview::scheduleSearchOnStart()
{
    // Not inside the page's drawing, nor while the report is still making
    // its first pages: the search swaps the devices on the publisher that
    // is delivering them.
    const std::weak_ptr<char> alive = m_alive;
    QTimer::singleShot(m_viewer && m_viewer->Busy() ? 20 : 0, [this, alive] {
        if (alive.expired() || !m_viewer)
            return;
        if (m_viewer->Busy())
            scheduleSearchOnStart();
        else
            controls::guarded(controls::Report::toUser(m_viewer), [&] { searchOnStart(); });
    });
}

void TppSearchPreview::searchOnStart()
{
    if (!m_engine || !m_textBox || m_actionCount > 0)
        return;
    const std::weak_ptr<char> alive = m_alive;
    m_searchText = m_textBox->text();
    m_optionsChanged = true;
    ++m_actionCount;
    try {
        showBusyCursor(true);
        runSearch(true);
    } catch (const ESearchError &error) {
        if (!alive.expired())
            m_errorText = error.Message();
    } catch (...) {
        if (!alive.expired()) {
            --m_actionCount;
            m_searching = false;
            showBusyCursor(false);
        }
        throw;
    }
    if (alive.expired())
        return;
    --m_actionCount;
    m_searching = false;
    showBusyCursor(false);
    givePanel0Back();
    if (!m_errorText.isEmpty() || m_cancelled) {
        StatusChange();
        refreshButtons();
    } else if (m_engine->OccurrenceCount() > 0) {
        PerformSearchAction(ppSearchAction::First);
    } else {
        PerformSearchAction(ppSearchAction::SearchPageAgain);
    }
}

void TppSearchPreview::Notify(TppCommunicator *aCommunicator, int aOperation)
{
    TppCustomSearchPreview::Notify(aCommunicator, aOperation);
    if (aOperation != ppNotify::Remove)
        return;
    if (aCommunicator == m_viewerCommunicator) {
        // Told from the viewer's destructor: nothing may be raised here.
        if (!m_freeing)
            qCCritical(searchPreviewLog, "TppCustomSearchPreview.Notify: Cannot free the viewer.");
        m_viewerCommunicator = nullptr;
        m_viewer = nullptr;
        m_screenDevice = nullptr;
        if (m_engine)
            m_engine->SetViewer(nullptr);
    } else if (aCommunicator == m_screenDevice) {
        m_screenDevice = nullptr;
    } else if (m_settings && aCommunicator == m_settings->WalkieTalkie()) {
        if (!m_freeing)
            qCCritical(searchPreviewLog, "TppCustomSearchPreview.Notify: Cannot free the TextSearchSettings.");
    } else if (aCommunicator == m_offScreenDevice) {
        m_offScreenDevice = nullptr;
    }
}

void TppSearchPreview::EventNotify(TppCommunicator *aCommunicator, int aEventID, TraParamList *aParams)
{
    TppCustomSearchPreview::EventNotify(aCommunicator, aEventID, aParams);
    if (aCommunicator == m_screenDevice && m_screenDevice) {
        if (aEventID == ppEvent::PageDisplayBegins)
            pageDisplayBegins();
        else if (aEventID == ppEvent::PageDisplayEnds)
            pageDisplayEnds();
    } else if (aCommunicator == m_viewerCommunicator && aEventID == ppEvent::ViewerChange) {
        resetSearch();
    } else if (aCommunicator == m_offScreenDevice && aEventID == ppEvent::DevicePageReceived && aParams) {
        auto *page = dynamic_cast<TppPage *>(aParams->ParamValue<classes::TObject *>(0));
        if (page) {
            showPanel0(ppLoadStrFormat(4, {QString::number(page->AbsolutePageNo()), page->DocumentName()}));
            m_panel0Borrowed = true;
        }
    } else if (m_engine && aCommunicator == m_engine.get() && aEventID == ppEvent::SearchResultsChanged) {
        StatusChange();
    }
}

} // namespace report
