#pragma once

// TppCustomSearchPreview: what the preview asks of the text search that
// joins it when a report's text search is on. Every operation does nothing
// here; the search preview that the text search registers fills them in.
// It tells the preview of its panel (event 102) and its search (event 103)
// through its communicator.

#include "report/model/objects/Communicator.h"

class QStatusBar;
class QWidget;

namespace report {

class TppCustomPreview;
class TppTextSearchSettings;
class TppViewer;

class TppCustomSearchPreview : public TppCommunicator
{
public:
    explicit TppCustomSearchPreview(TppCustomPreview *aPreview);
    ~TppCustomSearchPreview() override;

    TppCustomPreview *Preview() const { return m_preview; }

    virtual void SetViewer(TppViewer *) {}
    virtual void SetStatusBar(QStatusBar *) {}
    virtual void SetTextSearchSettings(TppTextSearchSettings *) {}
    // Builds its toolbar into the preview's button panel and its results
    // into the search panel.
    virtual void CreateToolbar(QWidget *) {}
    virtual void CreateResultPanel(QWidget *) {}
    // Puts the search panel where it belongs beside the outline.
    virtual void PlaceSearchPanel(QWidget *, QWidget *) {}
    virtual void BeginPreview() {}
    virtual void EndPreview() {}
    virtual void BeforePreviewAction(int) {}
    virtual void AfterPreviewAction(int) {}
    virtual void BeforeGotoPage(int) {}
    virtual void ZoomChanged() {}
    virtual void StatusChanged() {}
    virtual void LanguageChanged() {}
    virtual bool IsSearching() const { return false; }
    virtual bool HasSearchResults() const { return false; }
    virtual void ShowSearchPanel() {}
    // Ends the search without telling the preview of it.
    virtual void CancelSearch() {}
    virtual bool SearchPanelVisible() const { return false; }
    // Whether the search panel sits in the outline panel.
    virtual bool SearchPanelInOutlinePanel() const { return false; }

private:
    TppCustomPreview *m_preview;
};

} // namespace report
