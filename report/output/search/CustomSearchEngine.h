#pragma once

// TppCustomSearchEngine: the base of the search engines. It walks the pages
// of a previewed report, from the publisher's cache first and otherwise by
// asking for them through a screen device of its own that has no viewer,
// so that the page the viewer shows stays as it is while other pages are
// searched. The viewer's screen device and the engine's device take turns
// on the publisher; a search step swaps them and always swaps them back.
//
// What an occurrence is, and how the found ones are kept and stepped
// through, is the concrete engines' business.

#include "report/model/objects/Communicator.h"

#include <QImage>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

namespace gfx {
class Canvas;
}

namespace report {

class TppDrawCommand;
class TppDrawCommandHighlighter;
class TppDrawCommandSearchInfo;
class TppPage;
class TppPublisher;
class TppScreenDevice;
class TppTextSearchSettings;
class TppViewer;

class TppCustomSearchEngine : public TppCommunicator
{
public:
    explicit TppCustomSearchEngine(classes::TComponent *aOwner = nullptr);
    ~TppCustomSearchEngine() override;

    static QString ClassName() { return QStringLiteral("TppCustomSearchEngine"); }

    // ---- Operations the engines give or change ----
    // Draws the command again when the highlighter changed it in place.
    virtual void DrawHighlight(TppDrawCommandHighlighter *aHighlighter, TppDrawCommand *aDrawCommand,
                               TppDrawCommand *aHighlight);
    virtual void BeforeCreateHighlight(TppDrawCommandHighlighter *, TppDrawCommandSearchInfo *, TppDrawCommand *) {}
    virtual void BeforeDrawHighlight(TppDrawCommand *) {}
    // The page of the current occurrence, -1 when none.
    virtual int CurrentPageNo() const = 0;
    virtual int OccurrenceCount() const = 0;
    // Counted from 0 over all pages.
    virtual int CurrentOccurrenceNo() const = 0;
    virtual int GetFoundPageNo() const = 0;
    // Each page the publisher receives while it caches pages.
    virtual void PageReceived(TppPage *) {}
    virtual bool FirstOccurrence() = 0;
    virtual bool LastOccurrence() = 0;
    virtual bool NextOccurrence() = 0;
    virtual bool PriorOccurrence() = 0;
    virtual void GotoOccurrencePage(int aPageNo) = 0;
    virtual void HighlightPage(TppPage *aPage);
    virtual void SetCurrentPage(int aOccurrenceNo) = 0;
    // Frees the highlight commands, last first.
    virtual void ClearHighlights();
    // Runs the search from StartPageNo; whether something was found.
    virtual bool Search(const QString &aText);
    // Searches one page; whether it holds occurrences.
    virtual bool SearchPage(TppPage *aPage, const QString &aText);
    virtual void Reset();

    // ---- Public operations ----
    void SetViewer(TppViewer *aViewer);
    TppViewer *Viewer() const { return m_viewer; }
    void SetTextSearchSettings(TppTextSearchSettings *aSettings);
    TppTextSearchSettings *TextSearchSettings() const { return m_textSearchSettings; }
    // The settings' values; False without settings.
    bool CaseSensitive() const;
    bool ShowAll() const;
    bool WholeWord() const;
    // Makes and draws the highlight of one occurrence: the new highlight
    // command (owned by the engine) or nullptr.
    TppDrawCommand *CreateHighlightDrawCommand(TppDrawCommand *aDrawCommand, TppDrawCommandSearchInfo *aSearchInfo);
    // Puts every highlight on aPage and draws it.
    void HighlightAll(TppPage *aPage);
    // Searches the pages after the shown one: up to the first hit, or all
    // of them. The last page number with a hit, -1 for none, the shown page
    // when cancelled.
    int NavigateForward(const QString &aText);
    int NavigateToLast(const QString &aText);
    // One page through the engine's own device; the page or nullptr.
    TppPage *RequestPage(int aPageNo);
    void RequestAllPages();
    // The viewer shows its page afresh (drawn without highlights).
    void RequestViewerPage();
    void CancelSearch();
    void AssignCanvasScale();
    // Counted: while the count is 0 or less the engine's device, not the
    // viewer's, is attached to the publisher.
    void SetViewerActive(bool aValue);

    // ---- Properties ----
    bool Cancelled() const { return m_cancelled; }
    bool LastPageReached() const { return m_lastPageReached; }
    TppScreenDevice *OffScreenDevice() const { return m_offScreenDevice.get(); }
    int ViewerActiveCount() const { return m_viewerActiveCount; }
    TppPublisher *Publisher() const { return m_publisher; }
    const std::vector<TppDrawCommand *> &Highlights() const { return m_highlights; }
    int StartPageNo() const { return m_startPageNo; }
    void SetStartPageNo(int aValue) { m_startPageNo = aValue; }
    bool SearchAllPages() const { return m_searchAllPages; }
    void SetSearchAllPages(bool aValue) { m_searchAllPages = aValue; }
    TppPage *ReceivedPage() const { return m_receivedPage; }
    int HighestPageSearched() const { return m_highestPageSearched; }
    double ScaleX() const { return m_scaleX; }
    double ScaleY() const { return m_scaleY; }
    gfx::Canvas *Canvas() const { return m_canvas; }
    const QString &SearchText() const { return m_searchText; }
    void SetSearchText(const QString &aText) { m_searchText = aText; }
    int FoundPageNo() const { return m_foundPageNo; }

    void Notify(TppCommunicator *aCommunicator, int aOperation) override;
    void EventNotify(TppCommunicator *aCommunicator, int aEventID, TraParamList *aParams) override;

protected:
    // Swaps the devices for a search step and back on every exit.
    class ViewerDeactivation
    {
    public:
        explicit ViewerDeactivation(TppCustomSearchEngine &aEngine);
        ~ViewerDeactivation();
        ViewerDeactivation(const ViewerDeactivation &) = delete;
        ViewerDeactivation &operator=(const ViewerDeactivation &) = delete;

    private:
        TppCustomSearchEngine &m_engine;
    };

    // The cached pages first, then pages asked for: sets FoundPageNo and
    // answers whether something was found.
    bool ScanPages(const QString &aText);
    bool SearchRequestedPages(const QString &aText);
    // Serves the window between steps of a long scan.
    void PumpMessages(bool aNow);

    // Watches the page being searched while the window is served: a page
    // the publisher drops, or a viewer page whose commands are replaced, is
    // no longer searched.
    class PageWatch
    {
    public:
        PageWatch(TppCustomSearchEngine &aEngine, TppPage *aPage);
        ~PageWatch();
        PageWatch(const PageWatch &) = delete;
        PageWatch &operator=(const PageWatch &) = delete;
        // Whether the page still stands as it did when the watch began.
        bool Unchanged() const;

    private:
        TppCustomSearchEngine &m_engine;
        TppPage *m_previous;
        uint64_t m_generation;
    };
    // The device highlights are drawn on: the viewer's, else the engine's.
    TppScreenDevice *DrawingDevice() const;
    void SetFoundPageNo(int aValue) { m_foundPageNo = aValue; }
    void SetLastPageReached(bool aValue) { m_lastPageReached = aValue; }
    void SetCancelled(bool aValue) { m_cancelled = aValue; }

private:
    int navigate(const QString &aText, bool aStopAtFirstHit);
    void followViewerPublisher();
    void detachViewer();
    gfx::Canvas *measuringCanvas(const TppScreenDevice &aDevice);

    bool m_cancelled = false;
    bool m_lastPageReached = false;
    TppViewer *m_viewer = nullptr;
    TppScreenDevice *m_viewerDevice = nullptr;
    TppCommunicator *m_viewerCommunicator = nullptr;
    std::unique_ptr<TppScreenDevice> m_offScreenDevice;
    bool m_freeingOffScreenDevice = false;
    int m_viewerActiveCount = 1;
    TppPublisher *m_publisher = nullptr;
    std::vector<TppDrawCommand *> m_highlights;
    int m_startPageNo = 1;
    bool m_searchAllPages = false;
    TppPage *m_receivedPage = nullptr;
    bool m_pageArrived = false;
    int m_highestPageSearched = 0;
    double m_scaleX = 1.0;
    double m_scaleY = 1.0;
    gfx::Canvas *m_canvas = nullptr;
    QString m_searchText;
    TppTextSearchSettings *m_textSearchSettings = nullptr;
    int m_foundPageNo = -1;
    int64_t m_lastPump = 0;
    TppPage *m_watchedPage = nullptr;
    // Text is measured here when the device is not drawing a page.
    QImage m_measureImage;
    std::unique_ptr<gfx::Canvas> m_measureCanvas;
};

} // namespace report
