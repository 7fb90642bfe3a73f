#include "report/output/forms/PrintPreview.h"

#include "report/model/base/Messages.h"
#include "report/model/printing/PrinterSetup.h"
#include "report/model/production/PreviewFormSettings.h"
#include "report/model/production/Producer.h"
#include "report/output/preview/CustomPreview.h"
#include "report/output/preview/PreviewPlugIn.h"
#include "report/output/screen/ScreenDevice.h"
#include "report/output/screen/Viewer.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/controls/Guard.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QStatusBar>
#include <QVBoxLayout>

namespace report {

const classes::TMetaClass &TppPrintPreview::StaticClass()
{
    static const classes::TMetaClass meta = classes::MakeClass<TppPrintPreview, TppCustomPreviewer>("TppPrintPreview");
    return meta;
}

TppPrintPreview::TppPrintPreview(classes::TComponent *aOwner)
    : TppFormOf<TppCustomPreviewer>(aOwner)
{
    setObjectName(QStringLiteral("ppPrintPreview"));
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
    resize(547, 323);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto *area = new QWidget(this);
    layout->addWidget(area, 1);
    m_statusBar = new QStatusBar(this);
    m_statusPanel = new QLabel(m_statusBar);
    m_statusPanel->setObjectName(QStringLiteral("Panel0"));
    m_statusPanel->setFixedWidth(275);
    m_statusBar->addWidget(m_statusPanel);
    layout->addWidget(m_statusBar);
    m_plugIn = TppPreviewPlugIn::CreatePreview(area);
    m_plugIn->SetStatusBar(m_statusBar);
    m_plugIn->OnClose.Set([this](classes::TObject *) { close(); });
    // The producer stops the print and tells the report's cancel handlers.
    m_plugIn->Viewer()->OnCancelRequest = [this] {
        if (const classes::TNotifyEvent request = OnCancelRequest)
            request(this);
        else
            m_plugIn->Viewer()->ScreenDevice()->CancelReport();
    };
    // Keys reach the preview before the control that has the focus, but for
    // the caret keys of an edit box.
    qApp->installEventFilter(this);
    int left = 0;
    int top = 0;
    CenterPosition(left, top);
    move(left, top);
    LanguageChanged();
}

TppPrintPreview::~TppPrintPreview()
{
    qApp->removeEventFilter(this);
    DestroyNotify();
    m_plugIn.reset();
}

TppViewer *TppPrintPreview::PreviewViewer() const
{
    return m_plugIn ? m_plugIn->Viewer() : nullptr;
}

void TppPrintPreview::Init()
{
    if (auto *producer = dynamic_cast<TppProducer *>(Report()))
        m_plugIn->Viewer()->SetReport(producer);
    m_plugIn->BeforePreview();
    m_previewing = true;
}

void TppPrintPreview::ReportAssigned()
{
    Init();
}

void TppPrintPreview::LanguageChanged()
{
    setWindowTitle(ppLoadStr(23));
    if (m_plugIn)
        m_plugIn->LanguageChanged();
}

void TppPrintPreview::Activate()
{
    if (DocumentNameAsCaption())
        if (auto *producer = dynamic_cast<TppProducer *>(Report()))
            setWindowTitle(producer->PrinterSetup()->DocumentName());
    TppCustomPreviewer::Activate();
}

void TppPrintPreview::ApplyPreviewFormSettings(const TppPreviewFormSettings &aSettings)
{
    TppViewer *viewer = m_plugIn->Viewer();
    if (aSettings.ZoomSetting() == TppZoomSettingType::zsPercentage)
        viewer->SetZoomPercentage(aSettings.ZoomPercentage());
    else
        viewer->SetZoomSetting(aSettings.ZoomSetting());
    switch (aSettings.WindowState()) {
    case TWindowState::wsMaximized: setWindowState(Qt::WindowMaximized); break;
    case TWindowState::wsMinimized: setWindowState(Qt::WindowMinimized); break;
    case TWindowState::wsNormal: break;
    }
}

int TppPrintPreview::ShowModal()
{
    m_modal = true;
    return TppFormOf<TppCustomPreviewer>::ShowModal();
}

void TppPrintPreview::done(int aResult)
{
    const QPointer<QObject> alive(this);
    // A page still generating stops first; the print must not go on
    // behind a window that is gone.
    if (m_plugIn && m_plugIn->Viewer()->Busy())
        m_plugIn->Viewer()->Cancel();
    if (!alive)
        return;
    if (m_previewing) {
        m_previewing = false;
        m_plugIn->AfterPreview();
        DoClose();
        if (!alive)
            return;
    }
    QDialog::done(aResult);
    if (alive && !m_modal)
        Release();
}

bool TppPrintPreview::eventFilter(QObject *aWatched, QEvent *aEvent)
{
    if (aEvent->type() != QEvent::KeyPress || !m_plugIn || !isActiveWindow())
        return TppFormOf<TppCustomPreviewer>::eventFilter(aWatched, aEvent);
    auto *widget = qobject_cast<QWidget *>(aWatched);
    if (!widget || widget->window() != this)
        return TppFormOf<TppCustomPreviewer>::eventFilter(aWatched, aEvent);
    auto *key = static_cast<QKeyEvent *>(aEvent);
    if (m_plugIn->controlKeepsKey(aWatched, key->key(), key->modifiers()))
        return TppFormOf<TppCustomPreviewer>::eventFilter(aWatched, aEvent);
    bool taken = false;
    controls::guarded(controls::Report::toUser(this), [&] { taken = m_plugIn->KeyDown(key->key(), key->modifiers()); });
    return taken;
}

} // namespace report

#include "moc_PrintPreview.cpp"
