#pragma once

// A stand-in report for the producer's tests: a producer whose publisher is
// served by the stand-in engine, with the library started (the real cancel
// dialog registered), a fake printing system, a file device and a printer
// device of the test's own, a print dialog without a window that a test
// scripts, and a record of the boxes shown and of event 89.

#include "tests/support/report/FakePrinters.h"
#include "tests/support/report/FormFakes.h"
#include "tests/support/report/PageFakes.h"

#include "report/model/forms/DialogBases.h"
#include "report/model/pages/DeviceRegistry.h"
#include "report/model/printing/Printer.h"
#include "report/model/production/FileDevice.h"
#include "report/model/production/PrinterOutput.h"
#include "report/model/production/Producer.h"

#include "platform/controls/ManualClock.h"
#include "platform/shell/MessageBox.h"

#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>

namespace producertest {

// Records the job and the pages it is handed, and writes one line a page.
class StandInFileDevice : public report::TppFileDevice
{
    ZVO_CLASS(StandInFileDevice)
public:
    explicit StandInFileDevice(classes::TComponent *aOwner = nullptr);
    ~StandInFileDevice() override;
    static QString ClassDeviceName() { return QStringLiteral("StandInFile"); }
    QString DeviceName() const override { return ClassDeviceName(); }

    void StartJob() override;
    void EndJob() override;
    void CancelJob() override;
    void ReceivePage(report::TppPage *aPage) override;

    // What every device of the class saw, in order.
    static QStringList Calls;
    static std::function<void(int aPageNo)> OnPage;
    static bool FailAtEndJob;
};

// The printer device: a recording device with a printer of its own.
class StandInPrinterDevice
    : public reporttest::PrinterStandInDevice
    , public report::TppPrinterOutput
{
    ZVO_CLASS(StandInPrinterDevice)
public:
    explicit StandInPrinterDevice(classes::TComponent *aOwner = nullptr);
    ~StandInPrinterDevice() override;
    report::TppPrinter *OutputPrinter() const override { return m_printer.get(); }
    bool PrinterUsable() const override { return Usable; }

    static bool Usable;
    static QStringList Calls;

    void StartJob() override;
    void EndJob() override;
    void CancelJob() override;

private:
    std::unique_ptr<report::TppPrinter> m_printer;
};

// A print dialog without a window: ShowModal runs the test's script.
class ScriptedPrintDialog : public reporttest::WindowlessForm<report::TppCustomPrintDialog>
{
    ZVO_CLASS(ScriptedPrintDialog)
public:
    using WindowlessForm::WindowlessForm;
    int ShowModal() override { return Script ? Script(*this) : report::ppModalResultOK; }

    static std::function<int(ScriptedPrintDialog &)> Script;
};

// Counts the events a producer sends.
class EventCounter : public report::TppCommunicator
{
public:
    explicit EventCounter(report::TppProducer &aProducer);
    ~EventCounter() override;
    void EventNotify(report::TppCommunicator *, int aEventID, report::TraParamList *) override;
    int Count(int aEventID) const;

    QList<int> Events;
};

struct ProducerFixture
{
    ProducerFixture();
    ~ProducerFixture();

    // The stand-in report's pages, and the text file of the file device.
    reporttest::ProducerScript script(int aPages) const;
    QString fileName() const;

    controls::ManualClock clock;
    shell::RecordingMessageBoxes boxes;
    reporttest::FakePrinters printers;
    QTemporaryDir folder;
    reporttest::StandInCommandClasses commands;
    std::unique_ptr<report::TppProducer> producer;
    std::unique_ptr<reporttest::StandInProducer> engine;
    std::unique_ptr<EventCounter> events;
};

} // namespace producertest
