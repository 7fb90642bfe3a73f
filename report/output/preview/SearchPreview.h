#pragma once

// TppSearchPreview: the text search inside the preview. A find toggle on
// the preview's toolbar shows a search panel (text box, first / prior /
// next / last buttons, Find and Done, an options menu); the panel runs the
// report's search engine over the pages, keeps the highlights in step with
// the page shown and reports progress and results in panel 1 of the host's
// status bar. The options menu changes only the preview's own copy of the
// report's search settings.

#include "report/output/preview/CustomSearchPreview.h"

#include <QPointer>
#include <QStatusBar>
#include <QString>
#include <QToolButton>

#include <memory>

class QAction;
class QLineEdit;
class QMenu;
class QPushButton;
class QWidget;

namespace report {

class TppCustomSearchEngine;
class TppPage;
class TppSearchEngineClass;
class TppTextSearchSettings;

// The search actions, as the panel's controls run them.
namespace ppSearchAction {
constexpr int Search = 0;
constexpr int First = 1;
constexpr int Next = 2;
constexpr int Prior = 3;
constexpr int Last = 4;
constexpr int SearchPageAgain = 5;
constexpr int Cancel = 6;
constexpr int Clear = 7;
} // namespace ppSearchAction

class TppSearchPreview : public TppCustomSearchPreview
{
public:
    explicit TppSearchPreview(TppCustomPreview *aPreview);
    ~TppSearchPreview() override;

    // ---- The preview's hooks ----
    void SetViewer(TppViewer *aViewer) override;
    void SetStatusBar(QStatusBar *aStatusBar) override;
    void SetTextSearchSettings(TppTextSearchSettings *aSettings) override;
    void CreateToolbar(QWidget *aButtonPanel) override;
    void CreateResultPanel(QWidget *aSearchPanel) override;
    void PlaceSearchPanel(QWidget *aOutlinePanel, QWidget *aSearchPanel) override;
    void BeginPreview() override;
    void EndPreview() override;
    void BeforePreviewAction(int aAction) override;
    void AfterPreviewAction(int aAction) override;
    void BeforeGotoPage(int aPageNo) override;
    void ZoomChanged() override {}
    void StatusChanged() override { StatusChange(); }
    void LanguageChanged() override;
    bool IsSearching() const override { return m_searching || m_actionCount > 0; }
    bool HasSearchResults() const override { return m_hasResults; }
    // Shows the panel and lets it be used (the preview's search activation).
    void ShowSearchPanel() override;
    void CancelSearch() override;
    bool SearchPanelVisible() const override { return m_searchPanelVisible; }
    bool SearchPanelInOutlinePanel() const override;

    // ---- Operations ----
    virtual void StatusChange();
    virtual void ToggleSearchPanel();
    virtual void PerformSearchAction(int aAction);
    // The engine the search runs on.
    virtual QString EngineName() const { return QStringLiteral("Full Search"); }
    // The panel beside the outline, on top of the outline panel.
    virtual void PlaceBesideOutline(QWidget *aOutlinePanel);
    // The panel in a toolbar, right of aControl.
    virtual void PlaceInToolbar(QWidget *aControl);

    // ---- Properties ----
    TppViewer *Viewer() const { return m_viewer; }
    QStatusBar *StatusBar() const { return m_statusBar; }
    TppTextSearchSettings *TextSearchSettings() const { return m_settings.get(); }
    TppCustomSearchEngine *SearchEngine() const { return m_engine.get(); }
    QWidget *SearchPanel() const { return m_searchPanel; }
    const QString &SearchText() const { return m_searchText; }
    int CurrentOccurrence() const { return m_currentOccurrence; }
    int FirstSearchPage() const { return m_firstSearchPage; }
    int HighlightedPage() const { return m_highlightedPage; }
    int64_t ElapsedMilliseconds() const { return m_elapsedMilliseconds; }
    bool Cancelled() const { return m_cancelled; }
    bool Silent() const { return m_silent; }
    void SetSilent(bool aValue) { m_silent = aValue; }

    // ---- Controls ----
    QToolButton *FindButton() const { return m_findButton; }
    QLineEdit *TextBox() const { return m_textBox; }
    QToolButton *FirstButton() const { return m_navButtons[0]; }
    QToolButton *PriorButton() const { return m_navButtons[1]; }
    QToolButton *NextButton() const { return m_navButtons[2]; }
    QToolButton *LastButton() const { return m_navButtons[3]; }
    QPushButton *FindTextButton() const { return m_findTextButton; }
    QPushButton *DoneButton() const { return m_doneButton; }
    QMenu *OptionsMenu() const { return m_optionsMenu; }
    QAction *ShowAllItem() const { return m_showAllItem; }
    QAction *CaseSensitiveItem() const { return m_caseSensitiveItem; }
    QAction *WholeWordItem() const { return m_wholeWordItem; }
    QAction *FirstPageItem() const { return m_firstPageItem; }
    QAction *CurrentPageItem() const { return m_currentPageItem; }

    // What Enter in the text box does.
    void TextBoxEnter();
    // What a click on an options-menu item does.
    void OptionClick(QAction *aItem);

    void Notify(TppCommunicator *aCommunicator, int aOperation) override;
    void EventNotify(TppCommunicator *aCommunicator, int aEventID, TraParamList *aParams) override;

private:
    class ParentUpdateLock;

    void createEngine();
    void freeEngine();
    void applySearchPanelVisibility();
    void resetSearch();
    void repaintPage();
    void refreshButtons();
    void optionsIntoSettings();
    void checksFromSettings();
    bool newSearchNeeded() const;
    void runSearch(bool aAllPages);
    void showOccurrence(int aAction);
    void pageDisplayBegins();
    void pageDisplayEnds();
    void searchOnStart();
    void scheduleSearchOnStart();
    void showBusyCursor(bool aBusy);
    void showPanel0(const QString &aText);
    // Panel 0 back to the viewer's status after it told of pages made.
    void givePanel0Back();
    void layOutBesideOutline();
    void layOutInToolbar();
    // The find and done buttons as large as their captions need.
    void fitSearchButtons();
    void subscribeScreenDevice();

    TppViewer *m_viewer = nullptr;
    TppCommunicator *m_viewerCommunicator = nullptr;
    TppCommunicator *m_screenDevice = nullptr;
    QPointer<QStatusBar> m_statusBar;
    std::unique_ptr<TppTextSearchSettings> m_settings;
    std::shared_ptr<TppCustomSearchEngine> m_engine;
    const TppSearchEngineClass *m_engineClass = nullptr;
    TppCommunicator *m_offScreenDevice = nullptr;

    bool m_searchPanelVisible = false;
    bool m_searchOnStartPending = false;
    bool m_searching = false;
    bool m_cancelled = false;
    bool m_hasResults = false;
    bool m_optionsChanged = false;
    bool m_refreshPending = false;
    QString m_searchText;
    QString m_lastSearchText;
    QString m_errorText;
    int m_currentOccurrence = -1;
    int m_firstSearchPage = 1;
    int m_highlightedPage = 0;
    int64_t m_elapsedMilliseconds = 0;
    int m_actionCount = 0;
    bool m_busyCursor = false;
    bool m_silent = false;
    bool m_freeing = false;
    bool m_panel0Borrowed = false;

    QPointer<QToolButton> m_findButton;
    QPointer<QWidget> m_searchPanel;
    QPointer<QWidget> m_outlinePanel;
    bool m_inToolbar = false;
    // The context of the controls' connections, which end with this object.
    std::unique_ptr<QObject> m_context;
    QLineEdit *m_textBox = nullptr;
    QToolButton *m_navButtons[4] = {};
    QPushButton *m_findTextButton = nullptr;
    QPushButton *m_doneButton = nullptr;
    QMenu *m_optionsMenu = nullptr;
    QAction *m_showAllItem = nullptr;
    QAction *m_caseSensitiveItem = nullptr;
    QAction *m_wholeWordItem = nullptr;
    QAction *m_firstPageItem = nullptr;
    QAction *m_currentPageItem = nullptr;
    std::shared_ptr<char> m_alive = std::make_shared<char>(0);
};

} // namespace report
