#include "tests/report/ProducerFixture.h"

#include "report/model/base/Exceptions.h"
#include "report/model/forms/FormClassRegistry.h"
#include "report/model/pages/Page.h"
#include "report/output/LibraryInit.h"
#include "report/output/screen/ScreenDevice.h"

#include "platform/classes/ClassBuilder.h"

#include <QCoreApplication>
#include <QEvent>

namespace producertest {

using namespace report;

QStringList StandInFileDevice::Calls;
std::function<void(int)> StandInFileDevice::OnPage;
bool StandInFileDevice::FailAtEndJob = false;
bool StandInPrinterDevice::Usable = true;
QStringList StandInPrinterDevice::Calls;
std::function<int(ScriptedPrintDialog &)> ScriptedPrintDialog::Script;

const classes::TMetaClass &StandInFileDevice::StaticClass()
{
    static const classes::TMetaClass meta = classes::MakeClass<StandInFileDevice, TppFileDevice>("StandInFileDevice");
    return meta;
}

StandInFileDevice::StandInFileDevice(classes::TComponent *aOwner)
    : TppFileDevice(aOwner)
{}

StandInFileDevice::~StandInFileDevice()
{
    Calls.append(QStringLiteral("Free"));
}

void StandInFileDevice::StartJob()
{
    Calls.append(QStringLiteral("StartJob"));
    TppFileDevice::StartJob();
}

void StandInFileDevice::EndJob()
{
    Calls.append(QStringLiteral("EndJob"));
    if (FailAtEndJob)
        throw EBrevantorError(QStringLiteral("the file cannot be closed"));
    TppFileDevice::EndJob();
}

void StandInFileDevice::CancelJob()
{
    Calls.append(QStringLiteral("CancelJob"));
    TppFileDevice::CancelJob();
}

void StandInFileDevice::ReceivePage(TppPage *aPage)
{
    TppFileDevice::ReceivePage(aPage);
    if (!Busy() || !PageInRequest())
        return;
    UpdateStatus(aPage);
    if (SkipPage())
        return;
    Calls.append(QStringLiteral("page %1").arg(aPage->AbsolutePageNo()));
    const QByteArray line = QByteArray("page ") + QByteArray::number(aPage->AbsolutePageNo()) + '\n';
    WriteBuffer(line.constData(), line.size());
    if (OnPage)
        OnPage(aPage->AbsolutePageNo());
}

const classes::TMetaClass &StandInPrinterDevice::StaticClass()
{
    static const classes::TMetaClass meta =
        classes::MakeClass<StandInPrinterDevice, reporttest::PrinterStandInDevice>("StandInPrinterDevice");
    return meta;
}

StandInPrinterDevice::StandInPrinterDevice(classes::TComponent *aOwner)
    : PrinterStandInDevice(aOwner)
    , m_printer(std::make_unique<TppPrinter>())
{}

StandInPrinterDevice::~StandInPrinterDevice()
{
    Calls.append(QStringLiteral("Free"));
}

void StandInPrinterDevice::StartJob()
{
    Calls.append(QStringLiteral("StartJob"));
    PrinterStandInDevice::StartJob();
}

void StandInPrinterDevice::EndJob()
{
    Calls.append(QStringLiteral("EndJob"));
    PrinterStandInDevice::EndJob();
}

void StandInPrinterDevice::CancelJob()
{
    Calls.append(QStringLiteral("CancelJob"));
    PrinterStandInDevice::CancelJob();
}

const classes::TMetaClass &ScriptedPrintDialog::StaticClass()
{
    static const classes::TMetaClass meta =
        classes::MakeClass<ScriptedPrintDialog, TppCustomPrintDialog>("ScriptedPrintDialog");
    return meta;
}

EventCounter::EventCounter(TppProducer &aProducer)
    : TppCommunicator(nullptr)
{
    for (int id = 0; id < ppEvent::Count; ++id)
        SubscribeEvent(id);
    aProducer.AddEventNotify(this);
}

EventCounter::~EventCounter()
{
    BeforeDestruction();
}

void EventCounter::EventNotify(TppCommunicator *, int aEventID, TraParamList *)
{
    Events.append(aEventID);
}

int EventCounter::Count(int aEventID) const
{
    return int(Events.count(aEventID));
}

ProducerFixture::ProducerFixture()
{
    printers->add(QStringLiteral("Office"));
    printers->setDefaultDevice(QStringLiteral("Office"));
    // No preview window opens unless a test registers its own, before or
    // after the library's start-up.
    const classes::TMetaClass *previewer = ppGetFormClass(TppCustomPreviewer::StaticClass());
    ppLibraryInit();
    if (previewer)
        ppRegisterFormClass(TppCustomPreviewer::StaticClass(), *previewer);
    else
        ppUnRegisterFormClass(TppCustomPreviewer::StaticClass());
    // The stand-in takes the screen device's class name.
    ppUnRegisterDevice(&ppDeviceClass<TppScreenDevice>());
    ppRegisterFormClass(TppCustomPrintDialog::StaticClass(), ScriptedPrintDialog::StaticClass());
    ppRegisterDevice(&ppDeviceClass<StandInFileDevice>());
    // The stand-in takes the name of the library's printer device.
    ppUnRegisterDevice(ppGetDeviceClass(QStringLiteral("Printer")));
    ppRegisterDevice(&ppDeviceClass<StandInPrinterDevice>());
    ppRegisterDevice(&ppDeviceClass<reporttest::ScreenStandInDevice>());
    StandInFileDevice::Calls.clear();
    StandInFileDevice::OnPage = nullptr;
    StandInFileDevice::FailAtEndJob = false;
    StandInPrinterDevice::Usable = true;
    StandInPrinterDevice::Calls.clear();
    ScriptedPrintDialog::Script = nullptr;
    producer = std::make_unique<TppProducer>();
    producer->Publisher()->SetCachePages(true);
    producer->SetTextFileName(fileName());
    producer->SetShowPrintDialog(false);
    engine = std::make_unique<reporttest::StandInProducer>(producer->Publisher(), script(3));
    events = std::make_unique<EventCounter>(*producer);
}

ProducerFixture::~ProducerFixture()
{
    events.reset();
    engine.reset();
    producer.reset();
    ppUnRegisterDevice(&ppDeviceClass<reporttest::ScreenStandInDevice>());
    ppUnRegisterDevice(&ppDeviceClass<StandInPrinterDevice>());
    ppUnRegisterDevice(&ppDeviceClass<StandInFileDevice>());
    ppLibraryFinalize();
    // Forms released while their handlers ran are freed by now.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

reporttest::ProducerScript ProducerFixture::script(int aPages) const
{
    reporttest::ProducerScript s;
    s.pageCount = aPages;
    return s;
}

QString ProducerFixture::fileName() const
{
    return folder.filePath(QStringLiteral("report.txt"));
}

} // namespace producertest
