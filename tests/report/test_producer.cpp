// The producer's print road on the stand-in report: device choice by name,
// the dialogs through the form-class registry, the job protocol, cancelling,
// errors, re-entry, and the producer freed under its own feet.

#include "ModelObjects.h"
#include "ProducerFixture.h"

#include "tests/support/report/ReportFakes.h"

#include "report/model/base/Messages.h"
#include "report/model/forms/DialogBases.h"
#include "report/model/forms/FormClassRegistry.h"
#include "report/model/pages/Publisher.h"
#include "report/model/printing/PrinterList.h"
#include "report/model/printing/PrinterSetup.h"
#include "report/model/production/PreviewFormSettings.h"
#include "report/model/production/TextSearchSettings.h"
#include "report/output/forms/CancelDialog.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/Streams.h"
#include "platform/shell/Modal.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QPushButton>

#include <algorithm>
#include <stdexcept>
#include <thread>

using namespace report;
using namespace producertest;

namespace {

// A preview without a window.
class StandInPreviewer : public reporttest::WindowlessForm<TppCustomPreviewer>
{
    ZVO_CLASS(StandInPreviewer)
public:
    using WindowlessForm::WindowlessForm;
};

QStringList expectedJob(int aPages)
{
    QStringList calls{QStringLiteral("StartJob")};
    for (int no = 1; no <= aPages; ++no)
        calls.append(QStringLiteral("page %1").arg(no));
    return calls << QStringLiteral("EndJob") << QStringLiteral("Free");
}

} // namespace

const classes::TMetaClass &StandInPreviewer::StaticClass()
{
    static const classes::TMetaClass meta =
        classes::MakeClass<StandInPreviewer, TppCustomPreviewer>("StandInPreviewer");
    return meta;
}

TEST(Producer, AFileDevicePrintsEveryPageUnderTheModalCancelDialog)
{
    ProducerFixture f;
    int afterPrints = 0;
    f.producer->AfterPrint.Set([&](classes::TObject *) { ++afterPrints; });
    // Each page is printed from inside the cancel dialog's modal wait.
    QList<bool> insideDialog;
    StandInFileDevice::OnPage = [&](int) {
        auto *dialog = dynamic_cast<TppCancelDialog *>(f.producer->CancelDialog());
        insideDialog.append(dialog && dialog->isVisible() && dialog->Modal);
    };
    f.producer->SetDeviceType(QStringLiteral("standinfile"));
    ASSERT_EQ(f.producer->DeviceType(), QStringLiteral("standinfile"));
    f.producer->Print();

    EXPECT_EQ(StandInFileDevice::Calls, expectedJob(3));
    EXPECT_EQ(insideDialog, QList<bool>({true, true, true}));
    EXPECT_EQ(afterPrints, 1);
    EXPECT_EQ(f.events->Count(ppEvent::EndOfPrint), 1);
    EXPECT_FALSE(f.producer->Producing());
    EXPECT_EQ(f.producer->CancelDialog(), nullptr);
    EXPECT_EQ(f.producer->FileDevice(), nullptr);
    QFile file(f.fileName());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("page 1\npage 2\npage 3\n"));
}

TEST(Producer, APrintDialogChangingThePaperRegeneratesForTheJobAndAfterIt)
{
    for (const bool keep : {false, true}) {
        ProducerFixture f;
        f.producer->SetDeviceType(QStringLiteral("Printer"));
        f.producer->SetShowPrintDialog(true);
        f.producer->SetShowCancelDialog(false);
        f.producer->SetSavePrinterSetup(keep);
        const QString before = f.producer->PrinterSetup()->PaperName();
        const QString other = before == QStringLiteral("A4") ? QStringLiteral("Letter") : QStringLiteral("A4");
        QString paperDuringJob;
        int cachedAtStart = -1;
        f.producer->BeforePrint.Set([&](classes::TObject *) {
            paperDuringJob = f.producer->PrinterSetup()->PaperName();
            cachedAtStart = f.producer->Publisher()->CachedPageCount();
        });
        ScriptedPrintDialog::Script = [&](ScriptedPrintDialog &dialog) {
            EXPECT_EQ(dialog.DeviceType, QStringLiteral("Printer"));
            EXPECT_EQ(dialog.PageRequest()->PageRequested(), 1);
            dialog.Printer->PrinterSetup()->SetPaperName(other);
            return ppModalResultOK;
        };
        f.producer->Print();

        EXPECT_EQ(paperDuringJob, other);
        EXPECT_EQ(cachedAtStart, 0);
        EXPECT_EQ(StandInPrinterDevice::Calls, QStringList({"StartJob", "EndJob", "Free"}));
        // The pages of the job's paper are gone again afterwards.
        EXPECT_EQ(f.producer->Publisher()->CachedPageCount(), 0);
        EXPECT_EQ(f.producer->PrinterSetup()->PaperName(), keep ? other : before);
        EXPECT_EQ(f.events->Count(ppEvent::EndOfPrint), 1);
        EXPECT_FALSE(f.producer->Producing());
    }
}

TEST(Producer, ThePrintDialogSetsUpThePrinterOfTheJob)
{
    // Even when a worker thread gave the producer a printer of its own.
    ProducerFixture f;
    std::thread([&] { f.producer->Printer(); }).join();
    f.producer->SetDeviceType(QStringLiteral("Printer"));
    f.producer->SetShowPrintDialog(true);
    f.producer->SetShowCancelDialog(false);
    f.producer->SetSavePrinterSetup(true);
    f.producer->PrinterSetup()->SetPaperName(QStringLiteral("A4"));
    ASSERT_EQ(f.producer->PrinterSetup()->PaperName(), QStringLiteral("A4"));
    ScriptedPrintDialog::Script = [&](ScriptedPrintDialog &dialog) {
        EXPECT_EQ(dialog.Printer, dynamic_cast<StandInPrinterDevice *>(f.producer->PrinterDevice())->OutputPrinter());
        dialog.Printer->PrinterSetup()->SetPaperName(QStringLiteral("Letter"));
        return ppModalResultOK;
    };
    f.producer->Print();
    EXPECT_EQ(f.producer->PrinterSetup()->PaperName(), QStringLiteral("Letter"));
}

TEST(Producer, TheSamePaperKeepsThePagesAndAPrintDialogCancelledPrintsNothing)
{
    ProducerFixture f;
    f.producer->SetDeviceType(QStringLiteral("Printer"));
    f.producer->SetShowCancelDialog(false);
    f.producer->Print();
    EXPECT_EQ(f.producer->Publisher()->CachedPageCount(), 3);

    f.producer->SetShowPrintDialog(true);
    StandInPrinterDevice::Calls.clear();
    ScriptedPrintDialog::Script = [](ScriptedPrintDialog &) { return ppModalResultCancel; };
    f.producer->Print();
    EXPECT_EQ(StandInPrinterDevice::Calls, QStringList({"Free"}));
    EXPECT_EQ(f.events->Count(ppEvent::EndOfPrint), 2);
    EXPECT_FALSE(f.producer->Producing());
}

TEST(Producer, WithoutARegisteredPrintDialogThePrintGoesStraightToTheDevice)
{
    ProducerFixture f;
    ppUnRegisterFormClass(TppCustomPrintDialog::StaticClass());
    f.producer->SetDeviceType(QStringLiteral("Printer"));
    f.producer->SetShowPrintDialog(true);
    f.producer->SetShowCancelDialog(false);
    f.producer->Print();
    EXPECT_EQ(StandInPrinterDevice::Calls, QStringList({"StartJob", "EndJob", "Free"}));
}

TEST(Producer, CancelStopsTheJobWithoutItsEnd)
{
    // Between pages, from the dialog's Cancel button.
    {
        ProducerFixture f;
        f.producer->SetDeviceType(QStringLiteral("StandInFile"));
        int cancels = 0;
        f.producer->OnCancel.Set([&](classes::TObject *) { ++cancels; });
        StandInFileDevice::OnPage = [&](int no) {
            if (no == 2)
                dynamic_cast<TppCancelDialog *>(f.producer->CancelDialog())->btnCancel()->click();
        };
        f.producer->Print();
        EXPECT_EQ(StandInFileDevice::Calls, QStringList({"StartJob", "page 1", "page 2", "CancelJob", "Free"}));
        EXPECT_TRUE(f.producer->Cancelled());
        EXPECT_EQ(cancels, 1);
        EXPECT_EQ(f.events->Count(ppEvent::EndOfPrint), 1);
        EXPECT_FALSE(f.producer->Producing());
    }
    // Before the first page: the dialog's modal wait is answered at once.
    {
        ProducerFixture f;
        f.producer->SetDeviceType(QStringLiteral("StandInFile"));
        shell::ScriptedDialogs dialogs;
        dialogs.drive<TppCancelDialog>([](TppCancelDialog &dialog) { dialog.btnCancel()->click(); });
        f.producer->Print();
        EXPECT_EQ(StandInFileDevice::Calls, QStringList({"CancelJob", "Free"}));
        EXPECT_TRUE(f.producer->Cancelled());
        EXPECT_EQ(f.events->Count(ppEvent::EndOfPrint), 1);
        EXPECT_FALSE(f.producer->Producing());
    }
    // After the job there is nothing left to stop.
    {
        ProducerFixture f;
        f.producer->SetDeviceType(QStringLiteral("StandInFile"));
        f.producer->Print();
        f.producer->Cancel();
        EXPECT_EQ(StandInFileDevice::Calls, expectedJob(3));
        EXPECT_EQ(f.events->Count(ppEvent::EndOfPrint), 1);
    }
}

TEST(Producer, TheCancelDialogTellsOfItsCloseOnceHoweverItCloses)
{
    enum class Close { AtTheEnd, CancelButton, CloseButton };
    for (const bool modal : {true, false})
        for (const Close how : {Close::AtTheEnd, Close::CancelButton, Close::CloseButton}) {
            SCOPED_TRACE(testing::Message() << "modal " << modal << ", close " << int(how));
            ProducerFixture f;
            f.producer->SetDeviceType(QStringLiteral("StandInFile"));
            f.producer->SetModalCancelDialog(modal);
            int closes = 0;
            f.producer->OnCancelDialogClose.Set([&](classes::TObject *) { ++closes; });
            StandInFileDevice::OnPage = [&](int no) {
                auto *dialog = dynamic_cast<TppCancelDialog *>(f.producer->CancelDialog());
                if (no != 2 || !dialog)
                    return;
                if (how == Close::CancelButton)
                    dialog->btnCancel()->click();
                else if (how == Close::CloseButton)
                    dialog->close();
            };
            f.producer->Print();
            EXPECT_EQ(closes, 1);
            EXPECT_EQ(f.events->Count(ppEvent::OnCancelDialogClose), 1);
            EXPECT_EQ(f.events->Count(ppEvent::EndOfPrint), 1);
            EXPECT_FALSE(f.producer->Producing());
        }
}

TEST(Producer, DeviceTypesAreRefusedUnlessRegisteredButKeptWhileLoading)
{
    ProducerFixture f;
    for (const QString &name : {QString(), QString(300, QChar(u'x')), QStringLiteral("screen ")}) {
        f.producer->SetDeviceType(name);
        EXPECT_EQ(f.producer->DeviceType(), QStringLiteral("Screen"));
    }
    f.producer->SetPrinting(true);
    f.producer->SetDeviceType(QStringLiteral("printer"));
    EXPECT_EQ(f.producer->DeviceType(), QStringLiteral("printer"));
    f.producer->SetPrinting(false);

    // A stored report names a device this program lacks: kept as read, and
    // Print then does nothing. The archive device is taken out meanwhile, so
    // that its name is one the program lacks.
    const auto archive = ppGetDeviceClass(QStringLiteral("ArchiveFile"));
    if (archive)
        ppUnRegisterDevice(archive);
    TppProducer loaded;
    EventCounter loadedEvents(loaded);
    modeltest::readText(&loaded, "object P: TppProducer\n  Version = '7.01'\n  Device = dvArchive\nend\n");
    EXPECT_EQ(loaded.DeviceType(), QStringLiteral("ArchiveFile"));
    loaded.Print();
    EXPECT_FALSE(loaded.Producing());
    EXPECT_EQ(loadedEvents.Count(ppEvent::EndOfPrint), 0);
    if (archive)
        ppRegisterDevice(archive);
}

TEST(Producer, VersionTextsLoadAsTheirNumbersSay)
{
    ProducerFixture f;
    reporttest::LanguageModuleFolder modules;
    for (const TppLanguageType language : {TppLanguageType::lgSpanish, TppLanguageType::lgSpanishMexico})
        ASSERT_TRUE(modules.write("bvPrint." + ppLanguageExtension(language), "43001=x\n"));
    const struct
    {
        const char *version;
        bool converted;
        bool pre40;
        TppLanguageType language;
    } cases[] = {
        {"7.01", false, false, TppLanguageType::lgSpanish},
        {"4.2", true, false, TppLanguageType::lgSpanishMexico},
        {"7.01 Beta Build 8", true, false, TppLanguageType::lgSpanishMexico},
        {"", true, true, TppLanguageType::lgSpanishMexico},
        {"1234567890123456789012345", false, false, TppLanguageType::lgSpanish},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.version);
        TppProducer producer;
        producer.SetLanguage(TppLanguageType::lgSpanish);
        ASSERT_EQ(producer.Language(), TppLanguageType::lgSpanish);
        modeltest::readText(&producer, QByteArray("object P: TppProducer\n  Version = '") + c.version + "'\nend\n");
        EXPECT_EQ(producer.Converted(), c.converted);
        EXPECT_EQ(producer.ConvertedFromPre40(), c.pre40);
        EXPECT_EQ(producer.Language(), c.language);
        EXPECT_EQ(producer.TextSearchSettings()->Enabled(), !c.converted);
        EXPECT_EQ(producer.Version(), QStringLiteral("7.01"));
        EXPECT_EQ(producer.VersionNo(), 7010);
    }
    ppGetResourceManager().SetLanguage(TppLanguageType::lgDefault);
}

TEST(Producer, WithoutAUsablePrinterMessage1020IsShownAndThePrintEnds)
{
    // A printer that cannot print, and no printer device class at all.
    for (const bool registered : {true, false}) {
        ProducerFixture f;
        ppRegisterDevice(&ppDeviceClass<reporttest::RecordingDevice>());
        if (registered) {
            StandInPrinterDevice::Usable = false;
        } else {
            ppUnRegisterDevice(&ppDeviceClass<StandInPrinterDevice>());
        }
        f.producer->SetDeviceType(QStringLiteral("RecordingDevice"));
        f.producer->Print();
        ppUnRegisterDevice(&ppDeviceClass<reporttest::RecordingDevice>());
        ASSERT_EQ(f.boxes.requests().size(), 1u);
        const shell::MessageBoxRequest &box = f.boxes.requests()[0];
        EXPECT_EQ(box.text, ppLoadStr(1020));
        EXPECT_EQ(box.icon, shell::MessageIcon::Exclamation);
        EXPECT_EQ(box.buttons, shell::MessageButtons::Ok);
        EXPECT_EQ(f.events->Count(ppEvent::EndOfPrint), 1);
        EXPECT_FALSE(f.producer->Producing());
        EXPECT_EQ(f.producer->PrinterDevice(), nullptr);
    }
}

TEST(Producer, AReportFromBefore40ShowsTheNoticeOnceWaitsASecondThenPrints)
{
    ProducerFixture f;
    f.producer->SetDeviceType(QStringLiteral("StandInFile"));
    f.producer->SetShowCancelDialog(false);
    f.producer->SetConvertedFromPre40(true);
    bool printingDuringWait = false;
    f.clock.onWait = [&](int64_t) { printingDuringWait = printingDuringWait || f.producer->Printing(); };
    f.producer->Print();
    ASSERT_EQ(f.boxes.requests().size(), 1u);
    EXPECT_EQ(f.boxes.requests()[0].text,
              QStringLiteral("This report will be converted to 4.0 format before printing."));
    EXPECT_TRUE(f.clock.waits().end() != std::find(f.clock.waits().begin(), f.clock.waits().end(), 1000));
    EXPECT_TRUE(printingDuringWait);
    EXPECT_FALSE(f.producer->ConvertedFromPre40());
    EXPECT_FALSE(f.producer->Printing());
    EXPECT_EQ(StandInFileDevice::Calls, expectedJob(3));

    f.producer->Print();
    EXPECT_EQ(f.boxes.requests().size(), 1u);
}

// Devices a program attaches itself: the notice holds the job up, and the
// job then runs as any other, started, published and ended once.
TEST(Producer, AReportFromBefore40PrintedToItsOwnDevicesStartsThemAndEndsOnce)
{
    ProducerFixture f;
    f.producer->SetDeviceType(QStringLiteral("StandInFile"));
    f.producer->SetConvertedFromPre40(true);
    QStringList steps;
    f.producer->BeforePrint.Set([&](classes::TObject *) { steps << QStringLiteral("BeforePrint"); });
    f.producer->AfterPrint.Set([&](classes::TObject *) { steps << QStringLiteral("AfterPrint"); });
    f.producer->OnPrintingComplete.Set([&](classes::TObject *) { steps << QStringLiteral("Complete"); });
    {
        StandInFileDevice device;
        device.SetFileName(f.fileName());
        device.SetPublisher(f.producer->Publisher());
        f.producer->PrintToDevices();
        device.SetPublisher(nullptr);
    }
    EXPECT_EQ(f.boxes.requests().size(), 1u);
    EXPECT_FALSE(f.producer->ConvertedFromPre40());
    EXPECT_EQ(StandInFileDevice::Calls, expectedJob(3));
    EXPECT_EQ(steps, (QStringList{"BeforePrint", "AfterPrint", "Complete"}));
    EXPECT_EQ(f.events->Count(ppEvent::EndOfPrint), 1);
    QFile file(f.fileName());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("page 1\npage 2\npage 3\n"));
}

TEST(Producer, APrinterUsedFromAnotherThreadIsTheProducersOwn)
{
    ProducerFixture f;
    TppPrinter *main = f.producer->Printer();
    EXPECT_EQ(main, ppGetGlobalPrinter());
    TppPrinter *first = nullptr;
    TppPrinter *second = nullptr;
    std::thread worker([&] {
        first = f.producer->Printer();
        second = f.producer->Printer();
    });
    worker.join();
    EXPECT_NE(first, main);
    EXPECT_EQ(first, second);
    // From then on the producer keeps its own.
    EXPECT_EQ(f.producer->Printer(), first);
}

TEST(Producer, PrintIsNotStartedAgainFromItsOwnHandlers)
{
    ProducerFixture f;
    f.producer->SetDeviceType(QStringLiteral("StandInFile"));
    int afterPrints = 0;
    f.producer->AfterPrint.Set([&](classes::TObject *) {
        ++afterPrints;
        f.producer->Print();
    });
    f.producer->OnCancelDialogCreate.Set([&](classes::TObject *) { f.producer->Print(); });
    StandInFileDevice::OnPage = [&](int) { f.producer->Print(); };
    f.producer->Print();
    EXPECT_EQ(StandInFileDevice::Calls, expectedJob(3));
    EXPECT_EQ(afterPrints, 1);
    EXPECT_EQ(f.events->Count(ppEvent::EndOfPrint), 1);
    EXPECT_FALSE(f.producer->Producing());
}

TEST(Producer, AFailingDeviceEndsThePrintAndReachesTheCaller)
{
    // At StartJob (no file can be made), on page 2, and at EndJob.
    for (const int failAt : {0, 2, -1}) {
        ProducerFixture f;
        f.producer->SetDeviceType(QStringLiteral("StandInFile"));
        if (failAt == 0)
            f.producer->SetTextFileName(f.folder.filePath(QStringLiteral("missing/report.txt")));
        else if (failAt < 0)
            StandInFileDevice::FailAtEndJob = true;
        else
            StandInFileDevice::OnPage = [&](int no) {
                if (no == failAt)
                    throw EBrevantorError(QStringLiteral("disk full"));
            };
        EXPECT_THROW(f.producer->Print(), std::exception);
        EXPECT_EQ(StandInFileDevice::Calls.contains(QStringLiteral("CancelJob")), failAt >= 0);
        EXPECT_EQ(StandInFileDevice::Calls.contains(QStringLiteral("EndJob")), failAt < 0);
        EXPECT_EQ(f.events->Count(ppEvent::EndOfPrint), 1);
        EXPECT_FALSE(f.producer->Producing());
        EXPECT_EQ(f.producer->CancelDialog(), nullptr);
    }
}

TEST(Producer, AHandlerThatRaisesEndsThePrintAndReachesTheCaller)
{
    for (const int at : {0, 1, 2}) {
        SCOPED_TRACE(at);
        ProducerFixture f;
        f.producer->SetDeviceType(QStringLiteral("StandInFile"));
        f.producer->SetShowPrintDialog(true);
        const auto raise = [](classes::TObject *) { throw EBrevantorError(QStringLiteral("no")); };
        if (at == 0)
            f.producer->OnPrintDialogCreate.Set(raise);
        else if (at == 1)
            f.producer->OnPrintDialogClose.Set(raise);
        else
            f.producer->OnCancelDialogCreate.Set(raise);
        EXPECT_THROW(f.producer->Print(), EBrevantorError);
        EXPECT_EQ(f.events->Count(ppEvent::EndOfPrint), 1);
        EXPECT_FALSE(f.producer->Producing());
        EXPECT_EQ(f.producer->CancelDialog(), nullptr);
        EXPECT_EQ(f.producer->PrintDialog(), nullptr);
        EXPECT_EQ(f.producer->PrinterDevice(), nullptr);
        // The next print is not refused.
        f.producer->OnPrintDialogCreate.Clear();
        f.producer->OnPrintDialogClose.Clear();
        f.producer->OnCancelDialogCreate.Clear();
        f.producer->SetShowPrintDialog(false);
        StandInFileDevice::Calls.clear();
        f.producer->Print();
        EXPECT_EQ(StandInFileDevice::Calls, expectedJob(3));
    }
}

TEST(Producer, TheProducerMayBeFreedByItsOwnHandlers)
{
    // While its non-modal cancel dialog is open.
    {
        ProducerFixture f;
        f.producer->SetDeviceType(QStringLiteral("StandInFile"));
        f.producer->SetModalCancelDialog(false);
        f.producer->OnCancelDialogCreate.Set([&](classes::TObject *) {
            f.events.reset();
            f.producer.reset();
        });
        f.producer->Print();
        EXPECT_FALSE(f.producer);
        EXPECT_EQ(StandInFileDevice::Calls, QStringList({"Free"}));
    }
    // From a page of the job, under the engine that generates it.
    for (const bool showCancelDialog : {true, false}) {
        ProducerFixture f;
        f.producer->SetDeviceType(QStringLiteral("StandInFile"));
        f.producer->SetShowCancelDialog(showCancelDialog);
        StandInFileDevice::OnPage = [&](int no) {
            if (no != 2)
                return;
            f.events.reset();
            f.producer.reset();
        };
        f.producer->Print();
        EXPECT_FALSE(f.producer);
        EXPECT_EQ(f.engine->PagesMade, 2);
        EXPECT_EQ(StandInFileDevice::Calls.last(), QStringLiteral("Free"));
    }
    // From the cancel dialog's Cancel, inside its modal wait.
    {
        ProducerFixture f;
        f.producer->SetDeviceType(QStringLiteral("StandInFile"));
        f.producer->OnCancel.Set([&](classes::TObject *) {
            f.events.reset();
            f.producer.reset();
        });
        shell::ScriptedDialogs dialogs;
        dialogs.drive<TppCancelDialog>([](TppCancelDialog &dialog) { dialog.btnCancel()->click(); });
        f.producer->Print();
        EXPECT_FALSE(f.producer);
        EXPECT_EQ(StandInFileDevice::Calls, QStringList({"CancelJob", "Free"}));
    }
}

TEST(Producer, ADialogFreedByItsCreateHandlerLeavesNothingHanging)
{
    // The cancel dialog: the job runs without it.
    {
        ProducerFixture f;
        f.producer->SetDeviceType(QStringLiteral("StandInFile"));
        f.producer->OnCancelDialogCreate.Set([&](classes::TObject *) { delete f.producer->CancelDialog(); });
        f.producer->Print();
        EXPECT_EQ(StandInFileDevice::Calls, expectedJob(3));
        EXPECT_EQ(f.events->Count(ppEvent::EndOfPrint), 1);
        EXPECT_FALSE(f.producer->Producing());
    }
    // The preview: nothing is shown and nothing is left producing (the
    // library's end takes the registration with it).
    {
        ProducerFixture f;
        ppRegisterFormClass(TppCustomPreviewer::StaticClass(), StandInPreviewer::StaticClass());
        f.producer->OnPreviewFormCreate.Set([&](classes::TObject *) { delete f.producer->PreviewForm(); });
        f.producer->Print();
        EXPECT_EQ(f.producer->PreviewForm(), nullptr);
        EXPECT_FALSE(f.producer->Producing());
    }
    // A create handler that raises: the preview goes and the error reaches
    // the caller.
    {
        ProducerFixture f;
        ppRegisterFormClass(TppCustomPreviewer::StaticClass(), StandInPreviewer::StaticClass());
        f.producer->OnPreviewFormCreate.Set([](classes::TObject *) { throw EBrevantorError(QStringLiteral("no")); });
        EXPECT_THROW(f.producer->Print(), EBrevantorError);
        EXPECT_EQ(f.producer->PreviewForm(), nullptr);
        EXPECT_FALSE(f.producer->Producing());
    }
}

TEST(Producer, ADeviceFreedDuringItsJobIsNotFreedAgain)
{
    ProducerFixture f;
    f.producer->SetDeviceType(QStringLiteral("StandInFile"));
    StandInFileDevice::OnPage = [&](int no) {
        if (no == 2)
            delete f.producer->FileDevice();
    };
    f.producer->Print();
    EXPECT_EQ(StandInFileDevice::Calls.count(QStringLiteral("Free")), 1);
    EXPECT_EQ(f.producer->FileDevice(), nullptr);
    EXPECT_EQ(f.events->Count(ppEvent::EndOfPrint), 1);
    EXPECT_FALSE(f.producer->Producing());
}

TEST(Producer, NoNoticeWhilePrintingAndThePrintGoesOn)
{
    ProducerFixture f;
    f.producer->SetDeviceType(QStringLiteral("StandInFile"));
    f.producer->SetShowCancelDialog(false);
    f.producer->SetConvertedFromPre40(true);
    f.producer->SetPrinting(true);
    f.producer->Print();
    f.producer->SetPrinting(false);
    EXPECT_TRUE(f.boxes.requests().empty());
    EXPECT_TRUE(f.producer->ConvertedFromPre40());
    EXPECT_EQ(StandInFileDevice::Calls, expectedJob(3));
}

TEST(Producer, TheScreenOpensTheRegisteredPreviewUntilItCloses)
{
    using Previewer = StandInPreviewer;
    struct PreviewClass
    {
        PreviewClass() { ppRegisterFormClass(TppCustomPreviewer::StaticClass(), StandInPreviewer::StaticClass()); }
        ~PreviewClass() { ppUnRegisterFormClass(TppCustomPreviewer::StaticClass()); }
    };
    ProducerFixture f;
    f.producer->SetModalPreview(false);
    f.producer->PreviewFormSettings()->SetZoomPercentage(150);
    // No previewer registered: nothing happens, nothing is left producing.
    f.producer->Print();
    EXPECT_FALSE(f.producer->Producing());

    PreviewClass registered;
    int afterPrints = 0;
    f.producer->AfterPrint.Set([&](classes::TObject *) { ++afterPrints; });
    f.producer->Print();
    Previewer *preview = dynamic_cast<Previewer *>(f.producer->PreviewForm());
    ASSERT_NE(preview, nullptr);
    EXPECT_EQ(preview->Report(), f.producer.get());
    EXPECT_TRUE(f.producer->Producing());
    EXPECT_EQ(f.events->Count(ppEvent::OnAssignPreviewFormSettings), 1);
    EXPECT_EQ(f.events->Count(ppEvent::OnPreviewFormCreate), 1);
    f.producer->Print(); // the preview is open already
    EXPECT_EQ(f.producer->PreviewForm(), preview);

    preview->DoClose();
    EXPECT_FALSE(f.producer->Producing());
    EXPECT_EQ(afterPrints, 1);
    EXPECT_EQ(f.events->Count(ppEvent::OnPreviewFormClose), 1);
    // Freed with the preview still open: the preview goes with it.
    f.events.reset();
    f.producer.reset();
}

TEST(Producer, AnOpenPreviewPrintsToAnotherDeviceAndStaysOpen)
{
    ppRegisterFormClass(TppCustomPreviewer::StaticClass(), StandInPreviewer::StaticClass());
    {
        ProducerFixture f;
        f.producer->SetModalPreview(false);
        f.producer->Print();
        ASSERT_NE(f.producer->PreviewForm(), nullptr);
        // The preview's print button: another device, the same report.
        f.producer->SetDeviceType(QStringLiteral("StandInFile"));
        f.producer->Print();
        EXPECT_EQ(StandInFileDevice::Calls, expectedJob(3));
        EXPECT_EQ(f.events->Count(ppEvent::EndOfPrint), 1);
        EXPECT_NE(f.producer->PreviewForm(), nullptr);
        // The preview itself is not opened twice.
        f.producer->SetDeviceType(QStringLiteral("Screen"));
        const TppCustomPreviewer *preview = f.producer->PreviewForm();
        f.producer->Print();
        EXPECT_EQ(f.producer->PreviewForm(), preview);
        EXPECT_EQ(f.events->Count(ppEvent::OnPreviewFormCreate), 1);
    }
    ppUnRegisterFormClass(TppCustomPreviewer::StaticClass());
}

TEST(Producer, SettingsWaitWhilePrintingAndASetupTellsWhatChanged)
{
    struct Counting : TppProducer
    {
        void PrinterSetupChanged() override { ++setups; }
        void PageDefChanged() override
        {
            ++pageDefs;
            TppProducer::PageDefChanged();
        }
        int setups = 0;
        int pageDefs = 0;
    };
    ProducerFixture f;
    Counting producer;
    producer.SetPrinting(true);
    producer.SetShowPrintDialog(false);
    producer.SetTextFileName(QStringLiteral("a.txt"));
    producer.SetTextFileType(TppFileType::ftTab);
    producer.SetArchiveFileName(QStringLiteral("a.raf"));
    producer.SetPrinting(false);
    EXPECT_TRUE(producer.ShowPrintDialog());
    EXPECT_EQ(producer.TextFileName(), QString());
    EXPECT_EQ(producer.TextFileType(), TppFileType::ftComma);
    EXPECT_EQ(producer.ArchiveFileName(), QString());

    TppPrinterSetup setup;
    setup.AssignAll(*producer.PrinterSetup());
    setup.SetDocumentName(QStringLiteral("Sales"));
    producer.SetPrinterSetup(&setup);
    EXPECT_EQ(producer.PrinterSetup()->DocumentName(), QStringLiteral("Sales"));
    EXPECT_EQ(producer.setups, 1);
    EXPECT_EQ(producer.pageDefs, 0);
    setup.SetMarginLeft(setup.MarginLeft() + 1);
    producer.SetPrinterSetup(&setup);
    EXPECT_EQ(producer.pageDefs, 1);
    EXPECT_EQ(producer.setups, 2);
}
