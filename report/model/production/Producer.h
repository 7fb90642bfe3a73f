#pragma once

// TppProducer: the output side of a report, the base of every report class.
// Print is the one entry: to the screen it opens the preview; to any other
// device it runs the print dialog, picks the device by its registered name,
// shows the cancel dialog and drives the job (StartJob, Publish, EndJob)
// through its publisher, whose page requests make the report generate pages.
//
// Dialogs come from the form-class registry; one not registered is skipped.
// Handlers may free the producer, its dialogs or devices while the print
// runs: every step after a handler, a pump or a modal wait checks first
// that they are still there.

#include "report/model/base/Types.h"
#include "report/model/objects/Communicator.h"

#include <QIcon>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <exception>
#include <memory>

namespace classes {
class TIcon;
} // namespace classes

namespace report {

class TppCustomCancelDialog;
class TppCustomPreviewer;
class TppCustomPrintDialog;
class TppDevice;
class TppDeviceClass;
class TppPageDef;
class TppPageRequest;
class TppPreviewFormSettings;
class TppPrinter;
class TppPrinterSetup;
class TppPublisher;
class TppTextSearchSettings;

using TppPageRequestNotify = classes::TEvent<void(classes::TObject *Sender, classes::TObject *aPageRequest)>;
using TppSaveTextEvent = classes::TEvent<void(classes::TObject *Sender, QString &Text)>;

// The version stamp written into stored reports, and its number.
inline const QString ppProducerVersion = QStringLiteral("7.01");
constexpr int32_t ppProducerVersionNo = 7010;

// The state flag that shows the print dialog even when ShowPrintDialog is off.
constexpr TppCommunicatorState ppForcePrintDialog = 4;

class TppProducer : public TppCommunicator
{
    ZVO_CLASS(TppProducer)
public:
    explicit TppProducer(classes::TComponent *aOwner = nullptr);
    // Closes and releases an open preview and cancel dialog first.
    ~TppProducer() override;

    // ---- Printing ----
    virtual void Print();
    // StartJob, Publish, EndJob on the devices attached to the publisher.
    virtual void PrintToDevices();
    virtual void StartJob();
    virtual void Publish();
    virtual void EndJob();
    virtual void Cancel();
    virtual void Reset();
    virtual void HandlePrintError(const std::exception &aError);
    // Ends a non-screen job, and every print that stops early.
    void EndPrint();
    // Serves the pending window messages when EnableProcessMessages.
    void ProcessMessages();
    // Legacy selector: 0 printer, 1 screen, 2 text file, 3 archive.
    virtual void SetDevice(int aDevice);

    // ---- Properties ----
    bool AllowPrintToArchive() const { return m_allowPrintToArchive; }
    void SetAllowPrintToArchive(bool aValue);
    bool AllowPrintToFile() const { return m_allowPrintToFile; }
    void SetAllowPrintToFile(bool aValue);
    const QString &ArchiveFileName() const { return m_archiveFileName; }
    // Also resets the report and the publisher's pages.
    void SetArchiveFileName(const QString &aValue);
    const QString &DeviceType() const { return m_deviceType; }
    // Outside loading, a name no registered device class has is refused.
    virtual void SetDeviceType(const QString &aValue);
    const QIcon &Icon() const { return m_icon; }
    // Kept as the icon file's bytes too, so that a stored report keeps it.
    void SetIcon(const QIcon &aValue);
    classes::TIcon *IconData() const { return m_iconData.get(); }
    void SetIconData(const classes::TIcon *aValue);
    TppLanguageType Language() const { return m_language; }
    // Refused when the messages cannot switch (lgDefault taken while
    // loading).
    virtual void SetLanguage(TppLanguageType aValue);
    bool ModalCancelDialog() const { return m_modalCancelDialog; }
    void SetModalCancelDialog(bool aValue);
    bool ModalPreview() const { return m_modalPreview; }
    void SetModalPreview(bool aValue);
    TppPreviewFormSettings *PreviewFormSettings() const { return m_previewFormSettings.get(); }
    void SetPreviewFormSettings(const TppPreviewFormSettings *aValue);
    TppPrinterSetup *PrinterSetup() const { return m_printerSetup.get(); }
    void SetPrinterSetup(const TppPrinterSetup *aValue);
    bool SavePrinterSetup() const { return m_savePrinterSetup; }
    void SetSavePrinterSetup(bool aValue) { m_savePrinterSetup = aValue; }
    bool ShowAutoSearchDialog() const { return m_showAutoSearchDialog; }
    void SetShowAutoSearchDialog(bool aValue) { m_showAutoSearchDialog = aValue; }
    bool ShowCancelDialog() const { return m_showCancelDialog; }
    void SetShowCancelDialog(bool aValue);
    bool ShowPrintDialog() const { return m_showPrintDialog; }
    void SetShowPrintDialog(bool aValue);
    const QString &TextFileName() const { return m_textFileName; }
    void SetTextFileName(const QString &aValue);
    TppFileType TextFileType() const { return m_textFileType; }
    void SetTextFileType(TppFileType aValue);
    TppTextSearchSettings *TextSearchSettings() const { return m_textSearchSettings.get(); }
    void SetTextSearchSettings(const TppTextSearchSettings *aValue);

    // ---- Run-time state ----
    TppCustomCancelDialog *CancelDialog() const { return m_cancelDialog; }
    bool Cancelled() const { return m_cancelled; }
    bool Converted() const { return m_converted; }
    bool ConvertedFromPre40() const { return m_convertedFromPre40; }
    void SetConvertedFromPre40(bool aValue) { m_convertedFromPre40 = aValue; }
    int32_t CurrentPage() const { return m_currentPage; }
    void SetCurrentPage(int32_t aValue) { m_currentPage = aValue; }
    bool EnableProcessMessages() const { return m_enableProcessMessages; }
    virtual void SetEnableProcessMessages(bool aValue) { m_enableProcessMessages = aValue; }
    TppDevice *FileDevice() const { return m_fileDevice; }
    bool JobStarted() const { return m_jobStarted; }
    int32_t LanguageIndex() const { return m_languageIndex; }
    void SetLanguageIndex(int32_t aValue) { m_languageIndex = aValue; }
    TppCustomPreviewer *PreviewForm() const { return m_previewForm; }
    TppCustomPrintDialog *PrintDialog() const { return m_printDialog; }
    TppDevice *PrinterDevice() const { return m_printerDevice; }
    // The report sets it while it generates; most setters are ignored then.
    bool Printing() const { return m_printing; }
    void SetPrinting(bool aValue) { m_printing = aValue; }
    bool Producing() const { return m_producing; }
    TppPublisher *Publisher() const { return m_publisher.get(); }
    bool Active() const { return m_active; }
    const QString &Version() const { return m_version; }
    int32_t VersionNo() const { return m_versionNo; }
    // The printer for this producer, given its printer setup: its own
    // printer when it has one, the printer device's during a job, one of its
    // own off the main thread, else the process-wide printer.
    TppPrinter *Printer();

    // ---- Events ----
    classes::TNotifyEvent AfterPrint;
    classes::TNotifyEvent BeforePrint;
    classes::TNotifyEvent OnCancel;
    classes::TNotifyEvent OnCancelDialogCreate;
    classes::TNotifyEvent OnCancelDialogClose;
    TppPageRequestNotify OnPageRequest;
    classes::TNotifyEvent OnAssignPreviewFormSettings;
    classes::TNotifyEvent OnPreviewFormCreate;
    classes::TNotifyEvent OnPreviewFormClose;
    classes::TNotifyEvent OnPrintDialogCreate;
    classes::TNotifyEvent OnPrintDialogClose;
    TppSaveTextEvent OnSaveText;
    classes::TNotifyEvent OnPrintingComplete;

    void Notify(TppCommunicator *aCommunicator, int aOperation) override;

    // ---- Streaming ----
    void DefineProperties(classes::TFiler &filer) override;
    void Loaded() override;
    virtual void Convert(int32_t aVersionNo);
    // Copies the output settings, the versions and the handlers of another
    // producer.
    virtual void TransferRelatives(const TppProducer &aSource);
    virtual bool StoresDesignInfo() const { return true; }

    // Null once the producer is gone.
    QPointer<QObject> Guard() const { return QPointer<QObject>(m_sentinel.get()); }

    // ---- Hooks for the report classes ----
    virtual void TextFileDeviceSaveText(classes::TObject *Sender, QString &Text);
    virtual void DoAfterPrint();
    virtual void DoBeforePrint();
    virtual void DoOnCancel();
    virtual void DoOnCancelDialogCreate();
    virtual void DoOnCancelDialogClose();
    virtual void DeviceCreated(TppDevice *) {}
    virtual void DoOnPageRequest(TppPageRequest *aPageRequest);
    virtual void DoOnAssignPreviewFormSettings();
    virtual void DoOnPreviewFormCreate();
    virtual void DoOnPreviewFormClose();
    virtual void DoOnPrintDialogCreate();
    virtual void DoOnPrintDialogClose();
    virtual void DoOnPrintingComplete();
    virtual void DoOnSaveText(QString &aText);
    // Not a screen job: the device class of DeviceType is not the screen's.
    virtual bool NonScreenOutput() const;
    virtual void LanguageChanged() {}
    virtual void PrinterSetupChanged() {}
    virtual void PageDefChanged();
    // aAllow false refuses the new page definition.
    virtual void PrinterSetupPageDefChanging(TppPageDef *, bool &) {}
    virtual void PrinterSetupPageDefChange();
    virtual void PrinterSetupChange();
    virtual bool ExecuteAutoSearchDialog() { return false; }
    virtual void PublisherPageRequest(classes::TObject *Sender, classes::TObject *aPageRequest);
    virtual void Deactivate();
    virtual void Activate();
    virtual void InitializeData();
    virtual void FinalizeData();

private:
    bool loading() const;
    bool isScreenDeviceType() const;
    TppPrinter *currentPrinter();
    void printToScreen();
    void printToPrinter(const TppDeviceClass &aDeviceClass);
    // Step 3 of a print job: the device the job goes to, or nullptr when
    // the job stops.
    TppDevice *chooseDevice(const TppDeviceClass &aDeviceClass);
    void showCancelDialogAndPrint(TppDevice *aDevice);
    // PrintToDevices with the job's errors handled: the job is cancelled,
    // ended, and the error kept for the caller of Print.
    void runJob();
    void rethrowPendingError();
    // End a print that a raising handler left half done.
    void abandonPreview();
    void abandonJob();
    // The conversion notice of a report from before 4.0: once, before its
    // first job, unless a print is already running.
    void conversionNotice();
    void resetForNewSetup();
    void fire(const classes::TNotifyEvent &aEvent, int aEventID);
    void releaseForms();
    // Unhooked, closed and freed once its handlers have returned.
    void releasePreviewForm();
    void releaseCancelDialog();
    void freeJobObjects();

    // Settings.
    bool m_allowPrintToArchive = false;
    bool m_allowPrintToFile = false;
    QString m_archiveFileName;
    QString m_deviceType = QStringLiteral("Screen");
    QIcon m_icon;
    std::unique_ptr<classes::TIcon> m_iconData;
    TppLanguageType m_language = TppLanguageType::lgDefault;
    bool m_modalCancelDialog = true;
    bool m_modalPreview = true;
    std::unique_ptr<TppPreviewFormSettings> m_previewFormSettings;
    std::unique_ptr<TppPrinterSetup> m_printerSetup;
    bool m_savePrinterSetup = false;
    bool m_showAutoSearchDialog = false;
    bool m_showCancelDialog = true;
    bool m_showPrintDialog = true;
    QString m_textFileName;
    TppFileType m_textFileType = TppFileType::ftComma;
    std::unique_ptr<TppTextSearchSettings> m_textSearchSettings;

    // Run-time state.
    TppCustomCancelDialog *m_cancelDialog = nullptr;
    TppCustomPreviewer *m_previewForm = nullptr;
    TppCustomPrintDialog *m_printDialog = nullptr;
    TppDevice *m_fileDevice = nullptr;
    TppDevice *m_printerDevice = nullptr;
    bool m_converted = false;
    bool m_convertedFromPre40 = false;
    int32_t m_currentPage = 1;
    bool m_enableProcessMessages = true;
    int32_t m_languageIndex = 0;
    bool m_printing = false;
    bool m_producing = false;
    // A print to a device other than the screen runs, up to its EndPrint.
    bool m_jobRunning = false;
    bool m_jobStarted = false;
    bool m_cancelled = false;
    bool m_active = false;
    bool m_regenerate = false;
    std::unique_ptr<TppPrinterSetup> m_setupCopy;
    std::unique_ptr<TppPublisher> m_publisher;
    std::unique_ptr<TppPrinter> m_ownPrinter;
    QString m_version = QStringLiteral("1.0");
    int32_t m_versionNo = 1000;
    std::exception_ptr m_pendingError;
    std::unique_ptr<QObject> m_sentinel;
};

} // namespace report
