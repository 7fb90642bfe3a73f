#include "report/model/production/Producer.h"

#include "report/model/base/Messages.h"
#include "report/model/base/Utils.h"
#include "report/model/forms/DialogBases.h"
#include "report/model/forms/DialogServices.h"
#include "report/model/pages/Device.h"
#include "report/model/pages/DeviceRegistry.h"
#include "report/model/pages/PageRequest.h"
#include "report/model/pages/Publisher.h"
#include "report/model/printing/PageDef.h"
#include "report/model/printing/Printer.h"
#include "report/model/printing/PrinterList.h"
#include "report/model/printing/PrinterSetup.h"
#include "report/model/production/PreviewFormSettings.h"
#include "report/model/production/PrinterOutput.h"
#include "report/model/production/TextSearchSettings.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/Picture.h"
#include "platform/classes/Reader.h"
#include "platform/classes/Writer.h"

#include <QBuffer>
#include <QImageWriter>
#include <QObject>
#include <QPixmap>

namespace report {

namespace {

// The names of the devices the legacy selectors stand for.
const QString ProducerScreenDevice = QStringLiteral("Screen");
const QString ProducerPrinterDevice = QStringLiteral("Printer");
const QString ProducerTextFileDevice = QStringLiteral("TextFile");
const QString ProducerArchiveDevice = QStringLiteral("ArchiveFile");

} // namespace

const classes::TMetaClass &TppProducer::StaticClass()
{
    static const classes::TMetaClass meta = classes::MakeClass<TppProducer, TppCommunicator>("TppProducer");
    return meta;
}

TppProducer::TppProducer(classes::TComponent *aOwner)
    : TppCommunicator(aOwner)
    , m_iconData(std::make_unique<classes::TIcon>())
    , m_previewFormSettings(std::make_unique<TppPreviewFormSettings>())
    , m_printerSetup(std::make_unique<TppPrinterSetup>(this))
    , m_textSearchSettings(std::make_unique<TppTextSearchSettings>())
    , m_publisher(std::make_unique<TppPublisher>(nullptr))
    , m_sentinel(std::make_unique<QObject>())
{
    m_printerSetup->SetActive(true);
    m_printerSetup->OnChange.Set([this](classes::TObject *) { PrinterSetupChange(); });
    m_printerSetup->OnPageDefChange.Set([this](classes::TObject *) { PrinterSetupPageDefChange(); });
    m_printerSetup->OnPageDefChanging.Set([this](classes::TObject *, TppPageDef *aNewPageDef, bool &aAllow) {
        PrinterSetupPageDefChanging(aNewPageDef, aAllow);
    });
    m_printerSetup->OnGetPrinter.Set(
        [this](classes::TObject *, TppCustomPrinter *&aPrinter) { aPrinter = currentPrinter(); });
    m_publisher->OnPageRequest.Set(
        [this](classes::TObject *Sender, classes::TObject *aRequest) { PublisherPageRequest(Sender, aRequest); });
}

TppProducer::~TppProducer()
{
    BeforeDestruction();
    releaseForms();
    m_printerSetup->OnGetPrinter.Clear();
    freeJobObjects();
    m_publisher.reset();
}

void TppProducer::releaseForms()
{
    // A form may be what runs the code that frees the producer: it is closed
    // now and freed once its handlers have returned.
    releasePreviewForm();
    releaseCancelDialog();
    if (m_printDialog) {
        TppCustomPrintDialog *dialog = m_printDialog;
        m_printDialog = nullptr;
        dialog->OnDestroyNotify.Clear();
        dialog->Release();
    }
}

void TppProducer::releasePreviewForm()
{
    TppCustomPreviewer *form = std::exchange(m_previewForm, nullptr);
    if (!form)
        return;
    form->OnCloseNotify.Clear();
    form->OnDestroyNotify.Clear();
    form->OnActivateNotify.Clear();
    form->OnCancelRequest.Clear();
    form->Close();
    form->Release();
}

void TppProducer::releaseCancelDialog()
{
    TppCustomCancelDialog *dialog = std::exchange(m_cancelDialog, nullptr);
    if (!dialog)
        return;
    dialog->OnCloseNotify.Clear();
    dialog->OnCloseQueryNotify.Clear();
    dialog->OnDestroyNotify.Clear();
    dialog->OnPrintNotify.Clear();
    if (dialog->Modal)
        dialog->SetModalResult(ppModalResultCancel);
    dialog->Close();
    dialog->Release();
}

void TppProducer::Notify(TppCommunicator *aCommunicator, int aOperation)
{
    // A job's device freed by someone else (a handler of one of its pages)
    // is forgotten, not used or freed again.
    if (aOperation == ppNotify::Remove) {
        if (aCommunicator == m_fileDevice)
            m_fileDevice = nullptr;
        if (aCommunicator == m_printerDevice)
            m_printerDevice = nullptr;
    }
    TppCommunicator::Notify(aCommunicator, aOperation);
}

void TppProducer::freeJobObjects()
{
    if (m_printDialog) {
        TppCustomPrintDialog *dialog = m_printDialog;
        m_printDialog = nullptr;
        dialog->OnDestroyNotify.Clear();
        delete dialog;
    }
    m_setupCopy.reset();
    if (TppDevice *device = std::exchange(m_fileDevice, nullptr))
        delete device;
    if (TppDevice *device = std::exchange(m_printerDevice, nullptr))
        delete device;
}

bool TppProducer::loading() const
{
    return HasState(classes::csLoading | classes::csReading);
}

// ---- Settings -------------------------------------------------------------------

void TppProducer::SetAllowPrintToArchive(bool aValue)
{
    if (!m_printing)
        m_allowPrintToArchive = aValue;
}

void TppProducer::SetAllowPrintToFile(bool aValue)
{
    if (!m_printing)
        m_allowPrintToFile = aValue;
}

void TppProducer::SetArchiveFileName(const QString &aValue)
{
    if (m_printing)
        return;
    m_archiveFileName = aValue;
    Reset();
    m_publisher->ResetPages();
}

void TppProducer::SetDeviceType(const QString &aValue)
{
    if (!loading() && !ppGetDeviceClass(aValue))
        return;
    m_deviceType = aValue;
}

void TppProducer::SetIcon(const QIcon &aValue)
{
    if (m_printing)
        return;
    m_icon = aValue;
    m_iconData->Clear();
    const QImage image = aValue.isNull() ? QImage() : aValue.pixmap(32, 32).toImage();
    if (image.isNull())
        return;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    // Without an icon writer the icon still shows; it is only not stored.
    if (QImageWriter(&buffer, "ico").write(image))
        m_iconData->LoadFromBytes(bytes);
}

void TppProducer::SetIconData(const classes::TIcon *aValue)
{
    if (m_printing)
        return;
    if (aValue)
        m_iconData->Assign(aValue);
    else
        m_iconData->Clear();
    const QImage &image = m_iconData->Image();
    m_icon = image.isNull() ? QIcon() : QIcon(QPixmap::fromImage(image));
}

void TppProducer::SetLanguage(TppLanguageType aValue)
{
    if (m_printing)
        return;
    if (!ppGetResourceManager().SetLanguage(aValue)) {
        if (!loading())
            return;
        aValue = TppLanguageType::lgDefault;
        ppGetResourceManager().SetLanguage(aValue);
    }
    const bool changed = aValue != m_language;
    m_language = aValue;
    m_languageIndex = 0;
    // A report that is read hears of its language once, when it is loaded;
    // setting the language it has already recaptions nothing, and a
    // designer would rebuild its menus for nothing.
    if (changed && !loading())
        LanguageChanged();
}

void TppProducer::SetModalCancelDialog(bool aValue)
{
    if (!m_printing)
        m_modalCancelDialog = aValue;
}

void TppProducer::SetModalPreview(bool aValue)
{
    if (!m_printing)
        m_modalPreview = aValue;
}

void TppProducer::SetPreviewFormSettings(const TppPreviewFormSettings *aValue)
{
    if (aValue)
        m_previewFormSettings->CopyFrom(*aValue);
}

void TppProducer::SetPrinterSetup(const TppPrinterSetup *aValue)
{
    if (!aValue)
        return;
    if (loading()) {
        m_printerSetup->Assign(aValue);
        return;
    }
    TppPageDef before;
    before.Assign(m_printerSetup->PageDef());
    const auto orientation = m_printerSetup->Orientation();
    m_printerSetup->Assign(aValue);
    if (before.IsEqual(*m_printerSetup->PageDef()) && orientation == m_printerSetup->Orientation())
        PrinterSetupChanged();
    else
        PageDefChanged();
}

void TppProducer::SetShowCancelDialog(bool aValue)
{
    if (!m_printing)
        m_showCancelDialog = aValue;
}

void TppProducer::SetShowPrintDialog(bool aValue)
{
    if (!m_printing)
        m_showPrintDialog = aValue;
}

void TppProducer::SetTextFileName(const QString &aValue)
{
    if (!m_printing)
        m_textFileName = aValue;
}

void TppProducer::SetTextFileType(TppFileType aValue)
{
    if (!m_printing)
        m_textFileType = aValue;
}

void TppProducer::SetTextSearchSettings(const TppTextSearchSettings *aValue)
{
    if (aValue)
        m_textSearchSettings->Assign(aValue);
}

void TppProducer::SetDevice(int aDevice)
{
    static const QString *const names[] = {&ProducerPrinterDevice, &ProducerScreenDevice, &ProducerTextFileDevice,
                                           &ProducerArchiveDevice};
    if (aDevice < 0 || aDevice > 3)
        return;
    const TppDeviceClass *deviceClass = ppGetDeviceClass(*names[aDevice]);
    SetDeviceType(deviceClass ? deviceClass->deviceName() : *names[aDevice]);
}

// ---- Printer ----------------------------------------------------------------------

TppPrinter *TppProducer::currentPrinter()
{
    if (m_ownPrinter)
        return m_ownPrinter.get();
    if (auto *output = dynamic_cast<TppPrinterOutput *>(m_printerDevice))
        if (TppPrinter *printer = output->OutputPrinter())
            return printer;
    if (!ppInMainThread()) {
        m_ownPrinter = std::make_unique<TppPrinter>();
        return m_ownPrinter.get();
    }
    return ppGetGlobalPrinter();
}

TppPrinter *TppProducer::Printer()
{
    TppPrinter *printer = currentPrinter();
    if (printer)
        printer->SetPrinterSetup(m_printerSetup.get());
    return printer;
}

void TppProducer::PageDefChanged()
{
    PrinterSetupChanged();
}

void TppProducer::PrinterSetupPageDefChange()
{
    PageDefChanged();
}

void TppProducer::PrinterSetupChange()
{
    PrinterSetupChanged();
}

// ---- Job protocol -------------------------------------------------------------------

void TppProducer::PrintToDevices()
{
    const QPointer<QObject> alive = Guard();
    StartJob();
    if (!alive)
        return;
    Publish();
    if (!alive)
        return;
    EndJob();
}

void TppProducer::StartJob()
{
    // The notice only holds the job up: the start goes on as any other, so
    // that the devices are started before the caller publishes and ends
    // the job, once.
    const QPointer<QObject> alive = Guard();
    if (m_convertedFromPre40) {
        conversionNotice();
        if (!alive)
            return;
    }
    DoBeforePrint();
    if (!alive)
        return;
    if (!m_jobStarted && !m_cancelled)
        m_publisher->Reset();
    m_jobStarted = true;
    m_cancelled = false;
    m_publisher->StartJob();
}

void TppProducer::Publish()
{
    m_publisher->Publish();
}

void TppProducer::EndJob()
{
    // A device's OnEndJob may free the report that owns this producer.
    const QPointer<QObject> alive = Guard();
    if (!m_cancelled)
        m_publisher->EndJob();
    if (!alive || !NonScreenOutput())
        return;
    DoAfterPrint();
    if (!alive)
        return;
    DoOnPrintingComplete();
    if (!alive)
        return;
    EndPrint();
}

void TppProducer::Cancel()
{
    m_cancelled = true;
    m_publisher->CancelJob();
}

void TppProducer::Reset()
{
    if (m_printing)
        return;
    m_jobStarted = false;
    m_cancelled = false;
}

void TppProducer::HandlePrintError(const std::exception &)
{
    m_publisher->CancelJob();
}

void TppProducer::ProcessMessages()
{
    if (m_enableProcessMessages)
        ppProcessMessages();
}

bool TppProducer::NonScreenOutput() const
{
    return !isScreenDeviceType();
}

bool TppProducer::isScreenDeviceType() const
{
    return classes::SameName(m_deviceType, ProducerScreenDevice);
}

void TppProducer::PublisherPageRequest(classes::TObject *, classes::TObject *aPageRequest)
{
    DoOnPageRequest(dynamic_cast<TppPageRequest *>(aPageRequest));
}

// ---- Events ----------------------------------------------------------------------

void TppProducer::fire(const classes::TNotifyEvent &aEvent, int aEventID)
{
    const QPointer<QObject> alive = Guard();
    if (aEvent)
        aEvent(this);
    if (alive)
        SendEventNotify(this, aEventID, nullptr);
}

void TppProducer::Activate()
{
    if (m_active)
        return;
    m_active = true;
    SendEventNotify(this, ppEvent::BeforePrint, nullptr);
}

void TppProducer::Deactivate()
{
    if (!m_active)
        return;
    m_active = false;
    SendEventNotify(this, ppEvent::AfterPrint, nullptr);
}

void TppProducer::DoAfterPrint()
{
    const QPointer<QObject> alive = Guard();
    Deactivate();
    if (alive && AfterPrint)
        AfterPrint(this);
}

void TppProducer::DoBeforePrint()
{
    if (BeforePrint)
        BeforePrint(this);
}

void TppProducer::InitializeData()
{
    SendEventNotify(this, ppEvent::DataStart, nullptr);
}

void TppProducer::FinalizeData()
{
    SendEventNotify(this, ppEvent::DataEnd, nullptr);
}

void TppProducer::DoOnCancel()
{
    fire(OnCancel, ppEvent::OnCancel);
}

void TppProducer::DoOnCancelDialogCreate()
{
    fire(OnCancelDialogCreate, ppEvent::OnCancelDialogCreate);
}

void TppProducer::DoOnCancelDialogClose()
{
    fire(OnCancelDialogClose, ppEvent::OnCancelDialogClose);
}

void TppProducer::DoOnPageRequest(TppPageRequest *aPageRequest)
{
    if (OnPageRequest)
        OnPageRequest(this, aPageRequest);
}

void TppProducer::DoOnAssignPreviewFormSettings()
{
    fire(OnAssignPreviewFormSettings, ppEvent::OnAssignPreviewFormSettings);
}

void TppProducer::DoOnPreviewFormCreate()
{
    if (m_previewForm) {
        m_previewForm->SetLanguageIndex(m_languageIndex);
        if (!m_icon.isNull())
            m_previewForm->SetIcon(m_icon);
    }
    fire(OnPreviewFormCreate, ppEvent::OnPreviewFormCreate);
}

void TppProducer::DoOnPreviewFormClose()
{
    const QPointer<QObject> alive = Guard();
    if (m_printing)
        Cancel();
    if (alive)
        fire(OnPreviewFormClose, ppEvent::OnPreviewFormClose);
}

void TppProducer::DoOnPrintDialogCreate()
{
    fire(OnPrintDialogCreate, ppEvent::OnPrintDialogCreate);
}

void TppProducer::DoOnPrintDialogClose()
{
    fire(OnPrintDialogClose, ppEvent::OnPrintDialogClose);
}

void TppProducer::DoOnPrintingComplete()
{
    if (OnPrintingComplete)
        OnPrintingComplete(this);
}

void TppProducer::DoOnSaveText(QString &aText)
{
    const QPointer<QObject> alive = Guard();
    if (OnSaveText)
        OnSaveText(this, aText);
    if (!alive || !HasEventNotify(ppEvent::OnSaveText))
        return;
    TraParamList params;
    params.AddParam(QStringLiteral("Text"), TraDataType::daString, true);
    params.SetParamValuePointer(0, &aText);
    SendEventNotify(this, ppEvent::OnSaveText, &params);
}

void TppProducer::TextFileDeviceSaveText(classes::TObject *, QString &Text)
{
    DoOnSaveText(Text);
}

// ---- Streaming -------------------------------------------------------------------

void TppProducer::DefineProperties(classes::TFiler &filer)
{
    TppCommunicator::DefineProperties(filer);
    filer.DefineProperty(
        QStringLiteral("Version"),
        [this](classes::TReader &r) {
            m_version = r.ReadString();
            m_versionNo = ppVersionToNumber(m_version);
        },
        [](classes::TWriter &w) { w.WriteString(ppProducerVersion); }, true);
    filer.DefineProperty(
        QStringLiteral("Device"),
        [this](classes::TReader &r) {
            const QString ident = r.ReadIdent();
            static const struct
            {
                const char *ident;
                const QString *device;
            } legacy[] = {{"dvScreen", &ProducerScreenDevice},
                          {"dvPrinter", &ProducerPrinterDevice},
                          {"dvFile", &ProducerTextFileDevice},
                          {"dvArchive", &ProducerArchiveDevice}};
            for (const auto &entry : legacy)
                if (classes::SameName(ident, QString::fromLatin1(entry.ident))) {
                    const TppDeviceClass *deviceClass = ppGetDeviceClass(*entry.device);
                    m_deviceType = deviceClass ? deviceClass->deviceName() : *entry.device;
                }
        },
        nullptr, false);
}

void TppProducer::Loaded()
{
    TppCommunicator::Loaded();
    // The stream filled the icon's bytes in place.
    if (!m_iconData->Empty())
        m_icon = QIcon(QPixmap::fromImage(m_iconData->Image()));
    // Whether the report predates 4.0 is told by the number as read: a beta
    // build of a later version is converted, but without the 4.0 notice.
    m_convertedFromPre40 = m_versionNo < 4000;
    const int betaAt = m_version.indexOf(QStringLiteral("Beta Build"));
    if (m_versionNo >= ppProducerVersionNo && betaAt >= 0) {
        const int digitAt = betaAt + 11;
        const bool late =
            digitAt < m_version.size() && m_version.at(digitAt).isDigit() && m_version.at(digitAt).digitValue() >= 7;
        m_versionNo = late ? 3999 : 3998;
    }
    if (m_versionNo < ppProducerVersionNo) {
        Convert(m_versionNo);
        m_converted = true;
    }
    m_version = ppProducerVersion;
    m_versionNo = ppProducerVersionNo;
}

void TppProducer::Convert(int32_t aVersionNo)
{
    if (aVersionNo < 4211 && m_language == TppLanguageType::lgSpanish)
        m_language = TppLanguageType::lgSpanishMexico;
    if (aVersionNo < 7010)
        m_textSearchSettings->SetEnabled(false);
}

void TppProducer::TransferRelatives(const TppProducer &aSource)
{
    m_allowPrintToFile = aSource.m_allowPrintToFile;
    m_allowPrintToArchive = aSource.m_allowPrintToArchive;
    m_archiveFileName = aSource.m_archiveFileName;
    m_converted = aSource.m_converted;
    m_convertedFromPre40 = aSource.m_convertedFromPre40;
    m_deviceType = aSource.m_deviceType;
    m_icon = aSource.m_icon;
    m_iconData->Assign(aSource.m_iconData.get());
    m_language = aSource.m_language;
    m_languageIndex = aSource.m_languageIndex;
    m_modalCancelDialog = aSource.m_modalCancelDialog;
    m_showCancelDialog = aSource.m_showCancelDialog;
    m_showPrintDialog = aSource.m_showPrintDialog;
    SetTag(aSource.Tag());
    m_textFileName = aSource.m_textFileName;
    m_textFileType = aSource.m_textFileType;
    m_version = aSource.m_version;
    m_versionNo = aSource.m_versionNo;
    m_printerSetup->Assign(aSource.m_printerSetup.get());
    m_textSearchSettings->Assign(aSource.m_textSearchSettings.get());
    // Stored with the report too: a template load would lose them otherwise.
    m_modalPreview = aSource.m_modalPreview;
    m_savePrinterSetup = aSource.m_savePrinterSetup;
    m_previewFormSettings->Assign(aSource.m_previewFormSettings.get());
    AfterPrint = aSource.AfterPrint;
    BeforePrint = aSource.BeforePrint;
    OnCancel = aSource.OnCancel;
    OnCancelDialogCreate = aSource.OnCancelDialogCreate;
    OnCancelDialogClose = aSource.OnCancelDialogClose;
    OnPageRequest = aSource.OnPageRequest;
    OnAssignPreviewFormSettings = aSource.OnAssignPreviewFormSettings;
    OnPreviewFormCreate = aSource.OnPreviewFormCreate;
    OnPreviewFormClose = aSource.OnPreviewFormClose;
    OnPrintDialogCreate = aSource.OnPrintDialogCreate;
    OnPrintDialogClose = aSource.OnPrintDialogClose;
    OnSaveText = aSource.OnSaveText;
    OnPrintingComplete = aSource.OnPrintingComplete;
}

} // namespace report
