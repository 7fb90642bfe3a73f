#pragma once

// TppCustomPreview: turns a host window into a report previewer. It makes
// the page viewer in the host, follows it through events 94 to 97 (page
// change, print state, status, reset), maps the preview actions (print,
// auto-search, zoom, first / prior / next / last page, cancel, close) and
// keys to the viewer, and shows the viewer's status in the host's status
// bar. A search preview joins it when the report's text search is on.

#include "report/model/base/Types.h"
#include "report/model/objects/Communicator.h"

#include <QPointer>
#include <QStatusBar>

#include <memory>

class QStatusBar;
class QWidget;

namespace report {

class TppCustomSearchPreview;
class TppProducer;
class TppViewer;

// The preview actions, as the toolbar buttons carry them.
namespace ppPreviewAction {
constexpr int Print = 0;
constexpr int AutoSearch = 1;
constexpr int None = 2;
constexpr int ZoomWholePage = 3;
constexpr int ZoomPageWidth = 4;
constexpr int Zoom100Percent = 5;
constexpr int FirstPage = 6;
constexpr int PriorPage = 7;
constexpr int NextPage = 8;
constexpr int LastPage = 9;
constexpr int Cancel = 10;
constexpr int Close = 11;
} // namespace ppPreviewAction

class TppCustomPreview : public TppCommunicator
{
public:
    // Builds into aParent, which must outlive the preview.
    explicit TppCustomPreview(QWidget *aParent);
    ~TppCustomPreview() override;

    QWidget *Parent() const { return m_parent; }
    TppViewer *Viewer() const { return m_viewer; }
    TppProducer *Report() const;
    QStatusBar *StatusBar() const { return m_statusBar; }
    void SetStatusBar(QStatusBar *aStatusBar);
    TppCustomSearchPreview *SearchPreview() const { return m_searchPreview.get(); }

    // ---- Operations ----
    virtual TppCustomSearchPreview *GetSearchPreview();
    virtual void UpdateOutlinePanel() = 0;
    virtual bool OutlineShowing() const { return false; }
    virtual void PageChange();
    virtual void PrintStateChange() {}
    virtual void ShowOutline(bool) {}
    virtual void SearchChange() {}
    virtual void StatusChange();
    virtual void Reset() {}
    virtual void AfterPreview();
    virtual void BeforePreview();
    virtual void ActivateSearch();
    virtual void Cancel();
    virtual void LanguageChanged();
    virtual void PerformPreviewAction(int aAction);
    virtual void Print();
    virtual void SetZoomSetting(TppZoomSettingType aSetting);
    // Answers whether the key was one of the preview's.
    virtual bool KeyDown(int aKey, Qt::KeyboardModifiers aShift);
    // Whether a key sent to aReceiver belongs to it rather than to the
    // preview: an edit box moves its caret with the arrow keys. The edit
    // that stands for the page (pageFocus) hands them on.
    bool editKeepsKey(const QObject *aReceiver, int aKey) const;
    // Whether a key sent to aReceiver is the control's own rather than the
    // preview's: the edit boxes' as above, and the outline tree's arrows and
    // page keys, which move its selection (and with it the page). Keys held
    // with Ctrl stay the preview's.
    bool controlKeepsKey(const QObject *aReceiver, int aKey, Qt::KeyboardModifiers aShift) const;

    void GotoPage(int aPageNo);
    void SetZoomPercentage(int aPercentage);

    void Notify(TppCommunicator *aCommunicator, int aOperation) override;
    void EventNotify(TppCommunicator *aCommunicator, int aEventID, TraParamList *aParams) override;

    // ---- Events ----
    classes::TNotifyEvent OnBeforePreviewPrint;
    classes::TNotifyEvent OnAfterPreviewPrint;
    classes::TNotifyEvent OnClose;
    classes::TNotifyEvent OnPageChange;

protected:
    // The widget that has the focus when the page has it; nullptr when
    // there is none.
    virtual const QWidget *pageFocus() const { return nullptr; }
    // The outline tree; nullptr when there is none.
    virtual const QWidget *outlineTree() const { return nullptr; }
    // Whether the preview object still stands after a call that can run
    // handlers (a print, a close).
    std::weak_ptr<char> AliveToken() const { return m_alive; }

private:
    QWidget *m_parent;
    TppViewer *m_viewer;
    QPointer<QStatusBar> m_statusBar;
    std::unique_ptr<TppCustomSearchPreview> m_searchPreview;
    TppProducer *m_report = nullptr;
    QPointer<QObject> m_reportAlive;
    std::shared_ptr<char> m_alive = std::make_shared<char>(0);
};

} // namespace report
