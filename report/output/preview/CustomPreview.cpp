#include "report/output/preview/CustomPreview.h"

#include "report/model/objects/EventIds.h"
#include "report/model/production/Producer.h"
#include "report/model/production/TextSearchSettings.h"
#include "report/output/preview/CustomSearchPreview.h"
#include "report/output/preview/PreviewPlugIn.h"
#include "report/output/screen/ScreenDevice.h"
#include "report/output/screen/Viewer.h"

#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>

namespace report {

namespace {

// Panel 0 of a host's status bar: its label of that name when it has one.
void customPreviewShowStatus(QStatusBar *aStatusBar, const QString &aText)
{
    if (auto *panel = aStatusBar->findChild<QLabel *>(QStringLiteral("Panel0")))
        panel->setText(aText);
    else
        aStatusBar->showMessage(aText);
}

} // namespace

TppCustomPreview::TppCustomPreview(QWidget *aParent)
    : TppCommunicator(nullptr)
    , m_parent(aParent)
    , m_viewer(new TppViewer(aParent))
{
    TppEventSet events;
    for (int id : {ppEvent::OnPageChange, ppEvent::OnPrintStateChange, ppEvent::OnStatusChange, ppEvent::ViewerChange,
                   ppEvent::SearchPanelToggled, ppEvent::SearchChange})
        events.set(id);
    SetEventSubscriptions(events);
    m_viewer->Communicator()->AddEventNotify(this);
}

TppCustomPreview::~TppCustomPreview()
{
    BeforeDestruction();
    m_searchPreview.reset();
}

TppProducer *TppCustomPreview::Report() const
{
    return m_reportAlive ? m_report : nullptr;
}

void TppCustomPreview::SetStatusBar(QStatusBar *aStatusBar)
{
    m_statusBar = aStatusBar;
    if (m_searchPreview)
        m_searchPreview->SetStatusBar(aStatusBar);
}

TppCustomSearchPreview *TppCustomPreview::GetSearchPreview()
{
    if (!m_searchPreview) {
        m_searchPreview = TppPreviewPlugIn::CreateSearchPreview(this);
        if (m_searchPreview)
            m_searchPreview->AddEventNotify(this);
    }
    return m_searchPreview.get();
}

void TppCustomPreview::PageChange()
{
    if (OnPageChange)
        OnPageChange(this);
}

void TppCustomPreview::StatusChange()
{
    if (m_viewer->Busy() && m_statusBar)
        customPreviewShowStatus(m_statusBar, m_viewer->Status());
    if (m_searchPreview)
        m_searchPreview->StatusChanged();
}

void TppCustomPreview::AfterPreview()
{
    m_viewer->ScreenDevice()->SetActive(false);
    if (m_searchPreview)
        m_searchPreview->EndPreview();
    m_report = nullptr;
    m_reportAlive.clear();
}

void TppCustomPreview::BeforePreview()
{
    m_report = m_viewer->Report();
    m_reportAlive = m_report ? m_report->Guard() : QPointer<QObject>();
    m_viewer->ScreenDevice()->SetActive(true);
    m_viewer->CreateControls();
    if (m_report && m_report->TextSearchSettings() && m_report->TextSearchSettings()->Enabled())
        GetSearchPreview();
    if (m_searchPreview) {
        m_searchPreview->SetViewer(m_viewer);
        m_searchPreview->SetStatusBar(m_statusBar);
        m_searchPreview->SetTextSearchSettings(m_report ? m_report->TextSearchSettings() : nullptr);
    }
}

void TppCustomPreview::ActivateSearch()
{
    if (!m_searchPreview)
        return;
    if (!m_searchPreview->HasSearchResults())
        m_searchPreview->ShowSearchPanel();
    else
        m_searchPreview->CancelSearch();
}

void TppCustomPreview::Cancel()
{
    if (TppProducer *report = Report(); report && report->Printing())
        m_viewer->Cancel();
}

void TppCustomPreview::LanguageChanged()
{
    if (m_searchPreview)
        m_searchPreview->LanguageChanged();
}

void TppCustomPreview::PerformPreviewAction(int aAction)
{
    const std::weak_ptr<char> alive = m_alive;
    if (m_searchPreview)
        m_searchPreview->BeforePreviewAction(aAction);
    switch (aAction) {
    case ppPreviewAction::Print: Print(); break;
    case ppPreviewAction::AutoSearch: m_viewer->PerformAutoSearch(); break;
    case ppPreviewAction::ZoomWholePage: SetZoomSetting(TppZoomSettingType::zsWholePage); break;
    case ppPreviewAction::ZoomPageWidth: SetZoomSetting(TppZoomSettingType::zsPageWidth); break;
    case ppPreviewAction::Zoom100Percent: SetZoomSetting(TppZoomSettingType::zs100Percent); break;
    case ppPreviewAction::FirstPage: m_viewer->FirstPage(); break;
    case ppPreviewAction::PriorPage: m_viewer->PriorPage(); break;
    case ppPreviewAction::NextPage: m_viewer->NextPage(); break;
    case ppPreviewAction::LastPage: m_viewer->LastPage(); break;
    case ppPreviewAction::Cancel: Cancel(); break;
    case ppPreviewAction::Close:
        if (OnClose)
            OnClose(this);
        break;
    default: break;
    }
    if (!alive.expired() && m_searchPreview)
        m_searchPreview->AfterPreviewAction(aAction);
}

void TppCustomPreview::Print()
{
    if (!Report())
        return;
    const std::weak_ptr<char> alive = m_alive;
    if (OnBeforePreviewPrint)
        OnBeforePreviewPrint(this);
    if (alive.expired())
        return;
    try {
        m_viewer->Print();
    } catch (...) {
        if (!alive.expired() && OnAfterPreviewPrint)
            OnAfterPreviewPrint(this);
        throw;
    }
    if (!alive.expired() && OnAfterPreviewPrint)
        OnAfterPreviewPrint(this);
}

void TppCustomPreview::SetZoomSetting(TppZoomSettingType aSetting)
{
    m_viewer->SetZoomSetting(aSetting);
}

void TppCustomPreview::SetZoomPercentage(int aPercentage)
{
    m_viewer->SetZoomPercentage(aPercentage);
    PageChange();
}

void TppCustomPreview::GotoPage(int aPageNo)
{
    if (m_searchPreview)
        m_searchPreview->BeforeGotoPage(aPageNo);
    m_viewer->GotoPage(aPageNo);
}

bool TppCustomPreview::KeyDown(int aKey, Qt::KeyboardModifiers aShift)
{
    if (aShift & Qt::ControlModifier) {
        switch (aKey) {
        case Qt::Key_PageUp: PerformPreviewAction(ppPreviewAction::PriorPage); return true;
        case Qt::Key_PageDown: PerformPreviewAction(ppPreviewAction::NextPage); return true;
        case Qt::Key_End: PerformPreviewAction(ppPreviewAction::LastPage); return true;
        case Qt::Key_Home: PerformPreviewAction(ppPreviewAction::FirstPage); return true;
        default: return false;
        }
    }
    switch (aKey) {
    case Qt::Key_Escape: PerformPreviewAction(ppPreviewAction::Close); return true;
    case Qt::Key_PageUp:
    case Qt::Key_Up: m_viewer->ScrollPage(0); return true;
    case Qt::Key_PageDown:
    case Qt::Key_Down: m_viewer->ScrollPage(1); return true;
    case Qt::Key_Left: m_viewer->ScrollPage(2); return true;
    case Qt::Key_Right: m_viewer->ScrollPage(3); return true;
    default: return false;
    }
}

bool TppCustomPreview::editKeepsKey(const QObject *aReceiver, int aKey) const
{
    if (aKey != Qt::Key_Left && aKey != Qt::Key_Right)
        return false;
    const auto *edit = qobject_cast<const QLineEdit *>(aReceiver);
    return edit && edit != pageFocus() && !edit->isReadOnly();
}

bool TppCustomPreview::controlKeepsKey(const QObject *aReceiver, int aKey, Qt::KeyboardModifiers aShift) const
{
    if (editKeepsKey(aReceiver, aKey))
        return true;
    if (aShift & Qt::ControlModifier)
        return false;
    switch (aKey) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: break;
    default: return false;
    }
    const QWidget *tree = outlineTree();
    const auto *widget = qobject_cast<const QWidget *>(aReceiver);
    return tree && widget && (widget == tree || tree->isAncestorOf(widget));
}

void TppCustomPreview::Notify(TppCommunicator *aCommunicator, int aOperation)
{
    TppCommunicator::Notify(aCommunicator, aOperation);
    // The search preview is the preview's own; one freed by somebody else
    // is let go of, or the preview would free it a second time. No error
    // can be raised here: the notice comes from its destructor.
    if (aOperation == ppNotify::Remove && m_searchPreview && aCommunicator == m_searchPreview.get())
        (void)m_searchPreview.release();
}

void TppCustomPreview::EventNotify(TppCommunicator *aCommunicator, int aEventID, TraParamList *aParams)
{
    TppCommunicator::EventNotify(aCommunicator, aEventID, aParams);
    if (aCommunicator == m_viewer->Communicator()) {
        switch (aEventID) {
        case ppEvent::OnPageChange: PageChange(); break;
        case ppEvent::OnPrintStateChange: PrintStateChange(); break;
        case ppEvent::OnStatusChange: StatusChange(); break;
        case ppEvent::ViewerChange: Reset(); break;
        default: break;
        }
    } else if (m_searchPreview && aCommunicator == m_searchPreview.get()) {
        if (aEventID == ppEvent::SearchPanelToggled)
            UpdateOutlinePanel();
        else if (aEventID == ppEvent::SearchChange)
            SearchChange();
    }
}

} // namespace report
