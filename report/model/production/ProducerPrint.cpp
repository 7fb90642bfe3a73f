// The print road of TppProducer: Print, the screen and the printer branch,
// the conversion notice and EndPrint.

#include "report/model/production/Producer.h"

#include "report/model/base/Exceptions.h"
#include "report/model/base/Messages.h"
#include "report/model/forms/DialogBases.h"
#include "report/model/forms/DialogServices.h"
#include "report/model/forms/FormClassRegistry.h"
#include "report/model/pages/Device.h"
#include "report/model/pages/DeviceRegistry.h"
#include "report/model/pages/PageRequest.h"
#include "report/model/pages/Publisher.h"
#include "report/model/printing/Printer.h"
#include "report/model/printing/PrinterSetup.h"
#include "report/model/production/FileDevice.h"
#include "report/model/production/PreviewFormSettings.h"
#include "report/model/production/PrinterOutput.h"
#include "report/model/production/TextFileOutput.h"

#include "platform/classes/MetaClass.h"

#include <QDebug>
#include <QObject>

namespace report {

namespace {

const QString ProducerPrintArchiveName = QStringLiteral("ArchiveFile");
const QString ProducerPrintPrinterName = QStringLiteral("Printer");

// How long the conversion notice waits before the print goes on.
constexpr int64_t ProducerConversionWaitMs = 1000;

} // namespace

void TppProducer::Print()
{
    // A job already running (Print again from one of its handlers or from
    // inside its dialogs) is not started again. An open preview is no job:
    // its print button prints the same report to another device.
    if (m_jobRunning)
        return;
    const QPointer<QObject> alive = Guard();
    if (m_convertedFromPre40) {
        conversionNotice();
        if (!alive)
            return;
    }
    if (isScreenDeviceType()) {
        try {
            printToScreen();
        } catch (...) {
            if (alive)
                abandonPreview();
            throw;
        }
    } else {
        if (m_cancelDialog)
            return;
        const TppDeviceClass *deviceClass = ppGetDeviceClass(m_deviceType);
        if (!deviceClass) {
            qWarning().noquote() << QStringLiteral("Print: no device class is registered as \"%1\".").arg(m_deviceType);
            return;
        }
        try {
            printToPrinter(*deviceClass);
        } catch (...) {
            // A handler of the dialogs or of the device raised: the print
            // ends as any early stop does, and the caller learns why.
            if (alive && m_jobRunning)
                abandonJob();
            throw;
        }
    }
    if (alive)
        rethrowPendingError();
}

void TppProducer::abandonPreview()
{
    // A preview that never showed goes; one that shows keeps the print.
    if (m_previewForm && !m_previewForm->Showing())
        releasePreviewForm();
    if (!m_previewForm)
        m_producing = false;
}

void TppProducer::abandonJob()
{
    const QPointer<QObject> alive = Guard();
    try {
        EndPrint();
    } catch (...) {
        // The first error is the one the caller learns of.
    }
    if (!alive)
        return;
    m_producing = false;
    m_jobRunning = false;
    freeJobObjects();
    releaseCancelDialog();
}

void TppProducer::rethrowPendingError()
{
    if (std::exception_ptr error = std::exchange(m_pendingError, nullptr))
        std::rethrow_exception(error);
}

void TppProducer::runJob()
{
    const QPointer<QObject> alive = Guard();
    try {
        PrintToDevices();
    } catch (...) {
        if (!alive)
            return;
        m_pendingError = std::current_exception();
        try {
            try {
                throw;
            } catch (const std::exception &error) {
                HandlePrintError(error);
            } catch (...) {
                HandlePrintError(EBrevantorError(QStringLiteral("Print: an unknown error stopped the job.")));
            }
        } catch (...) {
            // The first error is the one the caller learns of.
        }
        if (alive && m_producing)
            EndPrint();
    }
}

// ---- Screen -----------------------------------------------------------------------

void TppProducer::printToScreen()
{
    if (m_previewForm)
        return;
    TppCustomPreviewer *form = ppCreateForm<TppCustomPreviewer>();
    if (!form)
        return;
    const QPointer<QObject> alive = Guard();
    m_producing = true;
    m_previewForm = form;
    const QPointer<QObject> formAlive = form->Guard();
    form->SetReport(this);
    form->OnCloseNotify.Set([this](classes::TObject *) {
        const QPointer<QObject> stillAlive = Guard();
        m_producing = false;
        DoAfterPrint();
        if (stillAlive)
            DoOnPreviewFormClose();
    });
    form->OnDestroyNotify.Set([this](classes::TObject *) { m_previewForm = nullptr; });
    form->OnCancelRequest.Set([this](classes::TObject *) {
        const QPointer<QObject> stillAlive = Guard();
        Cancel();
        if (stillAlive)
            DoOnCancel();
    });
    // A handler that frees the preview ends the screen print with it.
    DoOnAssignPreviewFormSettings();
    if (!alive)
        return;
    if (!formAlive) {
        m_producing = false;
        return;
    }
    form->ApplyPreviewFormSettings(*m_previewFormSettings);
    DoOnPreviewFormCreate();
    if (!alive)
        return;
    if (!formAlive) {
        m_producing = false;
        return;
    }
    if (m_modalPreview) {
        form->OnActivateNotify.Set([this, form](classes::TObject *) {
            form->OnActivateNotify.Clear();
            if (isScreenDeviceType())
                runJob();
        });
        form->ShowModal();
        if (formAlive && alive && m_previewForm == form) {
            m_previewForm = nullptr;
            form->OnDestroyNotify.Clear();
            delete form;
        }
    } else {
        form->Show();
        runJob();
    }
    if (alive)
        ProcessMessages();
}

// ---- Printer, files, archive ----------------------------------------------------------

void TppProducer::printToPrinter(const TppDeviceClass &aDeviceClass)
{
    const QPointer<QObject> alive = Guard();
    m_producing = true;
    m_jobRunning = true;
    m_regenerate = false;
    m_setupCopy = std::make_unique<TppPrinterSetup>();
    m_setupCopy->AssignAll(*m_printerSetup);
    if (const TppDeviceClass *printerClass = ppGetDeviceClass(ProducerPrintPrinterName)) {
        m_printerDevice = printerClass->Create(nullptr);
        if (m_printerDevice) {
            AddNotify(m_printerDevice);
            m_printerDevice->SetLanguageIndex(m_languageIndex);
            if (auto *output = dynamic_cast<TppPrinterOutput *>(m_printerDevice))
                if (TppPrinter *printer = output->OutputPrinter())
                    printer->SetPrinterSetup(m_printerSetup.get());
        }
    }

    if (m_showPrintDialog || HasCommunicatorState(ppForcePrintDialog)) {
        m_printDialog = ppCreateForm<TppCustomPrintDialog>();
        if (m_printDialog) {
            TppCustomPrintDialog *dialog = m_printDialog;
            const QPointer<QObject> dialogAlive = dialog->Guard();
            dialog->OnDestroyNotify.Set([this](classes::TObject *) { m_printDialog = nullptr; });
            dialog->SetReport(this);
            dialog->DeviceType = m_deviceType;
            // The printer the job prints on, which the setup is read back
            // from afterwards; a printer of the producer's own would take
            // the user's choice away from the job.
            TppPrinter *jobPrinter = nullptr;
            if (auto *output = dynamic_cast<TppPrinterOutput *>(m_printerDevice))
                jobPrinter = output->OutputPrinter();
            dialog->Printer = jobPrinter ? jobPrinter : currentPrinter();
            dialog->SetLanguageIndex(m_languageIndex);
            dialog->AllowPrintToArchive = m_allowPrintToArchive;
            dialog->AllowPrintToFile = m_allowPrintToFile;
            dialog->ArchiveFileName = m_archiveFileName;
            dialog->TextFileName = m_textFileName;
            TppPageRequest current;
            current.SetPageRequested(m_currentPage);
            dialog->SetPageRequest(&current);
            if (!m_icon.isNull())
                dialog->SetIcon(m_icon);
            DoOnPrintDialogCreate();
            int result = ppModalResultNone;
            if (alive && dialogAlive)
                result = dialog->ShowModal();
            if (!alive)
                return;
            DoOnPrintDialogClose();
            if (!alive)
                return;
            if (!dialogAlive || result != ppModalResultOK) {
                EndPrint();
                return;
            }
        }
    }

    TppDevice *device = chooseDevice(aDeviceClass);
    if (!alive)
        return;
    if (!device) {
        EndPrint();
        return;
    }
    device->SetPublisher(m_publisher.get());
    DeviceCreated(device);
    if (!alive)
        return;
    if (device != m_printerDevice && device != m_fileDevice) {
        EndPrint();
        return;
    }
    // What the user chose in the print dialog becomes the report's setup;
    // without a dialog the report's own setup stands.
    if (device == m_printerDevice && m_printDialog)
        if (auto *output = dynamic_cast<TppPrinterOutput *>(device))
            if (TppPrinter *printer = output->OutputPrinter())
                SetPrinterSetup(printer->GetPrinterSetup());

    if (!m_printerSetup->IsSamePrinterAndPaper(*m_setupCopy)) {
        m_regenerate = true;
        resetForNewSetup();
    }
    showCancelDialogAndPrint(device);
}

TppDevice *TppProducer::chooseDevice(const TppDeviceClass &aDeviceClass)
{
    TppCustomPrintDialog *dialog = m_printDialog;
    const TppPageRequest *request = dialog ? dialog->PageRequest() : nullptr;
    const bool isArchive = classes::SameName(aDeviceClass.deviceName(), ProducerPrintArchiveName);
    const bool isFile = aDeviceClass.MetaClass().InheritsFrom(TppFileDevice::StaticClass());
    const bool toFile = dialog ? dialog->PrintToFile : isFile && !isArchive;
    const bool toArchive = dialog ? dialog->PrintToArchive : isArchive;

    if (toFile || toArchive) {
        const TppDeviceClass *fileClass = toFile ? ppGetDeviceClass(dialog ? dialog->DeviceType : m_deviceType)
                                                 : ppGetDeviceClass(ProducerPrintArchiveName);
        if (!fileClass)
            return nullptr;
        m_fileDevice = fileClass->Create(nullptr);
        if (!m_fileDevice)
            return nullptr;
        AddNotify(m_fileDevice);
        m_fileDevice->SetLanguageIndex(m_languageIndex);
        if (auto *fileDevice = dynamic_cast<TppFileDevice *>(m_fileDevice)) {
            if (toFile)
                fileDevice->SetFileName(dialog ? dialog->TextFileName : m_textFileName);
            else
                fileDevice->SetFileName(dialog ? dialog->ArchiveFileName : m_archiveFileName);
        }
        // A text-file device writes in the producer's format and asks the
        // producer about each field.
        if (auto *textOutput = dynamic_cast<TppTextFileOutput *>(m_fileDevice); toFile && textOutput) {
            textOutput->SetOutputFileType(m_textFileType);
            textOutput->HookSaveText(
                [this](classes::TObject *Sender, QString &aText) { TextFileDeviceSaveText(Sender, aText); });
        }
        if (request)
            m_fileDevice->SetPageRequest(request);
        return m_fileDevice;
    }

    auto *output = dynamic_cast<TppPrinterOutput *>(m_printerDevice);
    if (!m_printerDevice || (output && !output->PrinterUsable())) {
        ppShowMessage(ppLoadStr(1020), TppMessageKind::Warning);
        return nullptr;
    }
    if (request)
        m_printerDevice->SetPageRequest(request);
    return m_printerDevice;
}

void TppProducer::showCancelDialogAndPrint(TppDevice *aDevice)
{
    const QPointer<QObject> alive = Guard();
    if (m_showCancelDialog)
        m_cancelDialog = ppCreateForm<TppCustomCancelDialog>();
    TppCustomCancelDialog *dialog = m_cancelDialog;
    if (!dialog) {
        runJob();
        return;
    }
    const QPointer<QObject> dialogAlive = dialog->Guard();
    // The device lives as long as the job holds it.
    const auto deviceAlive = [this, aDevice] { return aDevice == m_printerDevice || aDevice == m_fileDevice; };
    dialog->SetReport(this);
    dialog->SetLanguageIndex(m_languageIndex);
    if (!m_icon.isNull())
        dialog->SetIcon(m_icon);
    dialog->OnCloseNotify.Set([this](classes::TObject *) {
        const QPointer<QObject> stillAlive = Guard();
        Cancel();
        if (stillAlive)
            DoOnCancel();
    });
    dialog->OnCloseQueryNotify.Set([this, aDevice, deviceAlive](classes::TObject *) {
        const QPointer<QObject> stillAlive = Guard();
        DoOnCancelDialogClose();
        if (stillAlive && deviceAlive())
            aDevice->SetCancelDialog(nullptr);
    });
    dialog->OnDestroyNotify.Set([this, aDevice, deviceAlive](classes::TObject *) {
        m_cancelDialog = nullptr;
        if (deviceAlive())
            aDevice->SetCancelDialog(nullptr);
    });
    dialog->CancelEnabled = true;
    aDevice->SetCancelDialog(dialog);
    DoOnCancelDialogCreate();
    if (!alive)
        return;
    if (!dialogAlive) {
        // A handler freed the dialog: the job runs without one.
        runJob();
        if (alive && m_jobRunning)
            EndPrint();
        return;
    }

    if (!m_modalCancelDialog) {
        dialog->Show();
        runJob();
    } else {
        dialog->OnPrintNotify.Set([this](classes::TObject *) { runJob(); });
        dialog->ShowModalAndPrint();
    }
    if (!alive)
        return;
    if (dialogAlive && m_cancelDialog == dialog) {
        m_cancelDialog = nullptr;
        dialog->OnDestroyNotify.Clear();
        if (deviceAlive())
            aDevice->SetCancelDialog(nullptr);
        delete dialog;
    }
    // A dialog closed before the job ended (Cancel before the first page,
    // the window's close button) leaves the job to be ended here.
    if (m_jobRunning)
        EndPrint();
}

void TppProducer::resetForNewSetup()
{
    m_producing = false;
    m_publisher->ResetPages();
    Reset();
    m_producing = true;
}

void TppProducer::EndPrint()
{
    const QPointer<QObject> alive = Guard();
    if (TppCustomCancelDialog *dialog = m_cancelDialog) {
        if (dialog->Modal)
            dialog->SetModalResult(ppModalResultOK);
        else
            dialog->Close();
        if (!alive)
            return;
    }
    if (m_regenerate)
        resetForNewSetup();
    if (!m_savePrinterSetup && m_setupCopy) {
        const std::unique_ptr<TppPrinterSetup> copy = std::move(m_setupCopy);
        SetPrinterSetup(copy.get());
        if (!alive)
            return;
    }
    freeJobObjects();
    m_producing = false;
    m_jobRunning = false;
    m_regenerate = false;
    SendEventNotify(this, ppEvent::EndOfPrint, nullptr);
}

// ---- Conversion notice ------------------------------------------------------------------

void TppProducer::conversionNotice()
{
    if (m_printing)
        return;
    const QPointer<QObject> alive = Guard();
    ppShowMessage(QStringLiteral("This report will be converted to 4.0 format before printing."),
                  TppMessageKind::Information);
    if (!alive)
        return;
    m_printing = true;
    ppProcessMessagesFor(ProducerConversionWaitMs);
    if (!alive)
        return;
    m_convertedFromPre40 = false;
    m_printing = false;
}

} // namespace report
