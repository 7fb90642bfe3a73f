// A user's handler may free or move any object of the report while the run
// calls it. For every event and page callback a run fires and every step a
// descendant overrides, in run order, and for every object such a handler
// is likely to reach for (the sender, what holds it, its next sibling, what
// it shifts below, the detail band, the data, the group, the region, the
// subreport, the child report and the report itself), a handler frees it,
// or moves it, the first time the event fires. The run must end, normally
// or with the library's own error, and touch nothing it freed: the
// sanitizer build is the judge of that.
//
// With ZVO_HANDLER_VICTIMS_ISOLATE=1 (or the seconds a run may take) every
// combination runs in a child process of its own, the known faults too, so
// that a crash or an endless run names its combination and a mended fault
// shows as such; only the sanitizer build tells a mended one, as a plain
// build reads freed memory without a sign.

#include "tests/report/CallOutSites.h"
#include "tests/support/report/FakePrinters.h"
#include "tests/support/report/MemoryPipeline.h"
#include "tests/support/report/SamplePage.h"

#include "platform/gfx/Canvas.h"
#include "platform/shell/Modal.h"

#include "report/content/ContentRegistration.h"
#include "report/content/barcodes/BarCode.h"
#include "report/content/graphics/Graphics.h"
#include "report/content/graphics/Images.h"
#include "report/content/graphics/Region.h"
#include "report/content/richtext/RichText.h"
#include "report/content/text/DBText.h"
#include "report/content/text/Label.h"
#include "report/content/text/Memo.h"
#include "report/content/variables/Calc.h"
#include "report/content/variables/DBCalc.h"
#include "report/content/variables/SystemVariable.h"
#include "report/content/variables/Variable.h"
#include "report/model/ModelRegistration.h"
#include "report/model/bands/BandClasses.h"
#include "report/model/bands/DetailBand.h"
#include "report/model/engine/CustomEngine.h"
#include "report/model/base/Exceptions.h"
#include "report/model/groups/Group.h"
#include "report/model/groups/GroupBands.h"
#include "report/model/autosearch/AutoSearchField.h"
#include "report/model/objects/EventIds.h"
#include "report/model/pages/Device.h"
#include "report/model/pages/DrawCommand.h"
#include "report/model/pages/Page.h"
#include "report/model/printing/PageDef.h"
#include "report/model/production/PreviewFormSettings.h"
#include "report/model/printing/Printer.h"
#include "report/model/printing/PrinterSetup.h"
#include "report/model/printing/PrinterList.h"
#include "report/model/reports/Report.h"
#include "report/model/templates/ReportTemplate.h"
#include "report/output/ArchiveDevice.h"
#include "report/output/LibraryInit.h"
#include "report/output/autosearch/AutoSearchDialog.h"
#include "report/output/forms/CancelDialog.h"
#include "report/output/forms/PrintDialog.h"
#include "report/output/forms/PrintPreview.h"
#include "report/output/forms/UpDown.h"
#include "report/output/preview/CustomPreview.h"
#include "report/output/preview/PreviewPlugIn.h"
#include "report/output/PrinterDevice.h"
#include "report/output/ReportTextFileDevice.h"
#include "report/output/TextFileDevice.h"
#include "report/output/screen/ScreenDevice.h"
#include "report/output/screen/Viewer.h"
#include "report/model/subreports/SubReport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPushButton>
#include <QTest>
#include <QTemporaryDir>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <optional>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

using namespace report;

namespace {

// The objects of the report the sweep runs, as the table names them.
enum class Obj {
    None,
    Report,
    Device,
    Data,
    ChildData,
    Title,
    TitleLabel,
    Header,
    HeaderLabel,
    PageNo,
    Outer,
    OuterHeader,
    Group,
    GroupHeader,
    GroupValue,
    Detail,
    Value,
    Label,
    Region,
    Memo,
    Shifter,
    Stretcher,
    Follower,
    Calc,
    SubReport,
    Hooked,
    ChildReport,
    ChildDetail,
    ChildLabel,
    ChildValue,
    GroupFooter,
    Sum,
    Variable,
    Summary,
    SummaryLabel,
    RichText,
    Picture,
    Footer,
    FooterLabel,
    Listener,
    Count
};

// Which report part an event runs in: its detail band and its data.
enum class Part { Main, Child };

// The report as built, or run in two passes, in two columns, or without
// records: the events of passes, columns and empty data fire only there.
// The devices other than the bare one: each class takes its pages in a way
// of its own after its OnPageReceive.
enum class Variant { Plain, TwoPass, Columns, Across, NoData, TextFile, ReportTextFile, Archive, Printer, Screen };

// ShiftTarget: the object the sender shifts below; Report: the report being
// printed itself.
enum class Victim {
    Sender,
    Container,
    NextSibling,
    ShiftTarget,
    DetailBand,
    Pipeline,
    Group,
    Region,
    SubReport,
    ChildReport,
    Report
};
enum class Action { Free, ToFront, ToBack, ToOtherBand };

const char *victimName(Victim aVictim)
{
    switch (aVictim) {
    case Victim::Sender: return "Sender";
    case Victim::Container: return "Container";
    case Victim::NextSibling: return "NextSibling";
    case Victim::ShiftTarget: return "ShiftTarget";
    case Victim::DetailBand: return "DetailBand";
    case Victim::Pipeline: return "Pipeline";
    case Victim::Group: return "Group";
    case Victim::Region: return "Region";
    case Victim::SubReport: return "SubReport";
    case Victim::ChildReport: return "ChildReport";
    case Victim::Report: return "Report";
    }
    return "";
}

const char *actionName(Action aAction)
{
    switch (aAction) {
    case Action::Free: return "Free";
    case Action::ToFront: return "ToFront";
    case Action::ToBack: return "ToBack";
    case Action::ToOtherBand: return "ToOtherBand";
    }
    return "";
}

// A label of a user's own class, as a descendant overrides the steps the
// run calls; each step, once its own work is done, calls the handler set
// for it.
class HookedLabel : public TppLabel
{
public:
    void setHook(const char *aStep, std::function<void()> aHook)
    {
        m_step = aStep;
        m_hook = std::move(aHook);
    }

    // Each override holds the label by its life token across the base step,
    // whose own call-outs may free it, as the library's routines do: a
    // label gone by then calls no hook.
    void Init() override
    {
        const auto alive = AliveToken();
        TppLabel::Init();
        if (!alive.expired())
            hook("Init");
    }
#define HOOKED_STEP(Step)                                                                                             \
    void Step() override                                                                                               \
    {                                                                                                                  \
        const auto alive = AliveToken();                                                                               \
        TppLabel::Step();                                                                                              \
        if (!alive.expired())                                                                                          \
            hook(#Step);                                                                                               \
    }
    HOOKED_STEP(ResetGeneration)
    HOOKED_STEP(InitDrawComponent)
    HOOKED_STEP(ClearDrawComponent)
    HOOKED_STEP(ComputeLookAhead)
    HOOKED_STEP(FreeLookAhead)
    HOOKED_STEP(ResetHook)
    HOOKED_STEP(Generate)
    HOOKED_STEP(AfterPlace)
#undef HOOKED_STEP
    void PrintToPage(TppPage *aPage) override
    {
        const auto alive = AliveToken();
        TppLabel::PrintToPage(aPage);
        if (!alive.expired())
            hook("PrintToPage");
    }
    void PropertiesToDrawCommand(TppDrawCommand *aDrawCommand) override
    {
        const auto alive = AliveToken();
        TppLabel::PropertiesToDrawCommand(aDrawCommand);
        if (!alive.expired())
            hook("PropertiesToDrawCommand");
    }
    QString GetText() const override
    {
        const auto alive = AliveToken();
        QString text = TppLabel::GetText();
        if (!alive.expired())
            const_cast<HookedLabel *>(this)->hook("GetText");
        return text;
    }

private:
    // The hook may free this label: nothing of it is touched afterwards.
    void hook(const char *aStep)
    {
        if (m_hook && std::strcmp(aStep, m_step) == 0)
            m_hook();
    }

    const char *m_step = "";
    std::function<void()> m_hook;
};

// A memo of a user's own class that measures itself as the stretching
// memos do, then calls the handler set for it.
class HookedMemo : public TppDBMemo
{
public:
    void setHook(std::function<void()> aHook) { m_hook = std::move(aHook); }
    void CalcSpaceUsed() override
    {
        const auto alive = AliveToken();
        TppDBMemo::CalcSpaceUsed();
        if (!alive.expired() && m_hook)
            m_hook();
    }

private:
    std::function<void()> m_hook;
};

// The undisturbed scene makes two pages (more with its passes and columns);
// a run past this bound is one that would never end.
constexpr int kPageBound = 20;

// Counts the pages a run makes; past the bound it ends the run, so that a
// run that would never end fails instead of hanging the sweep.
class PageCounter : public TppDevice
{
public:
    void ReceivePage(TppPage *aPage) override
    {
        TppDevice::ReceivePage(aPage);
        // What a viewer does with the first page it shows: a click, say.
        if (shown && aPage && !aPage->Calculation()) {
            const std::weak_ptr<char> self = AliveToken();
            std::function<void(TppPage &)> show = std::move(shown);
            shown = nullptr;
            show(*aPage);
            if (self.expired())
                return;
        }
        if (++pages > kPageBound && !alive.expired() && report->Engine())
            report->Engine()->EndReport();
        if (pages > 4 * kPageBound)
            throw std::runtime_error("the run went on after it was told to end");
    }

    int pages = 0;
    std::function<void(TppPage &)> shown;
    TppCustomReport *report = nullptr;
    std::weak_ptr<char> alive;
};

// Six records in three groups on G inside two on H, over two pages; a
// title, page header and footer, a header for H, a group header and footer
// for G, a summary with a data rich text and a data picture; a detail band
// holding a data text, a label, a region with a stretching data memo and
// one that shifts below it, the same pair outside the region, a
// calculation, a label of a user's own class and a subreport whose child
// lists two records of its own data.
class Scene
{
public:
    static constexpr int32_t kPageHeight = 200000;

    explicit Scene(Variant aVariant = Variant::Plain)
        : m_variant(aVariant)
    {
        auto *data = new reporttest::MemoryPipeline;
        data->AddField(QStringLiteral("G"));
        data->AddField(QStringLiteral("V"), TppDataType::dtInteger);
        data->AddField(QStringLiteral("M"), TppDataType::dtMemo);
        data->AddField(QStringLiteral("H"));
        int v = 0;
        for (const char *g : {"A", "A", "B", "C"})
            if (aVariant != Variant::NoData) {
                ++v;
                data->AddRow({QString::fromLatin1(g), v, QStringLiteral("Memo of %1\nits second line").arg(v),
                              v <= 2 ? QStringLiteral("X") : QStringLiteral("Y")});
            }
        auto *childData = new reporttest::MemoryPipeline;
        childData->AddField(QStringLiteral("R"));
        childData->AddRow({QStringLiteral("r1")});
        childData->AddRow({QStringLiteral("r2")});
        set(Obj::Data, data);
        set(Obj::ChildData, childData);

        m_report = std::make_unique<TppReport>();
        reporttest::SetA4Portrait(*m_report->PrinterSetup());
        // A short page: four records fill two of them.
        m_report->PrinterSetup()->PageDef()->SetmmHeight(kPageHeight);
        m_report->SetDataPipeline(data);
        if (aVariant == Variant::TwoPass)
            m_report->SetPassSetting(TppPassSettingType::psTwoPass);
        if (aVariant == Variant::Columns || aVariant == Variant::Across)
            m_report->SetColumns(2);
        set(Obj::Report, m_report.get());

        auto *title = band<TppTitleBand>(Obj::Title, *m_report, 10000);
        // What a text file saves.
        title->SetSave(true);
        label(Obj::TitleLabel, title, 0, QStringLiteral("Title"))->SetSave(true);
        auto *header = band<TppHeaderBand>(Obj::Header, *m_report, 10000);
        label(Obj::HeaderLabel, header, 0, QStringLiteral("Header"));
        auto *pageNo = place(Obj::PageNo, new TppSystemVariable, header, 100000);
        pageNo->SetVarType(TppVarType::vtPageNo);

        auto *outer = new TppGroup;
        outer->SetReport(m_report.get());
        outer->SetDataPipeline(data);
        outer->SetBreakName(QStringLiteral("H"));
        set(Obj::Outer, outer);
        band<TppGroupHeaderBand>(Obj::OuterHeader, *m_report, 5000)->SetGroup(outer);
        auto *group = new TppGroup;
        group->SetReport(m_report.get());
        group->SetDataPipeline(data);
        group->SetBreakName(QStringLiteral("G"));
        set(Obj::Group, group);
        auto *groupHeader = band<TppGroupHeaderBand>(Obj::GroupHeader, *m_report, 10000);
        groupHeader->SetGroup(group);
        auto *groupValue = place(Obj::GroupValue, new TppDBText, groupHeader, 0);
        groupValue->SetDataPipeline(data);
        groupValue->SetDataField(QStringLiteral("G"));

        auto *detail = band<TppDetailBand>(Obj::Detail, *m_report, 30000);
        detail->SetPrintHeight(TppPrintHeightType::phDynamic);
        // Records side by side across the columns.
        if (aVariant == Variant::Across)
            detail->SetColumnTraversal(TppColumnTraversalType::ctLeftToRight);
        auto *value = place(Obj::Value, new TppDBText, detail, 0);
        value->SetDataPipeline(data);
        value->SetDataField(QStringLiteral("V"));
        label(Obj::Label, detail, 50000, QStringLiteral("Label"));
        auto *region = place(Obj::Region, new TppRegion, detail, 0, 5000, 190000, 12000);
        auto *calc = place(Obj::Calc, new TppCalc, detail, 100000);
        calc->SetCalcType(TppCalcType::ctCustom);
        auto *subreport = place(Obj::SubReport, new TppSubReport, detail, 0, 20000, 190000, 5000);
        subreport->SetDataPipeline(childData);
        set(Obj::ChildReport, subreport->Report());
        auto *hooked = place(Obj::Hooked, new HookedLabel, detail, 150000);
        hooked->SetCaption(QStringLiteral("Hooked"));
        auto *memo = place(Obj::Memo, new TppDBMemo, detail, 0, 6000, 90000, 4000);
        memo->SetDataPipeline(data);
        memo->SetDataField(QStringLiteral("M"));
        memo->SetStretch(true);
        memo->SetRegion(region);
        auto *shifter = place(Obj::Shifter, new TppDBMemo, detail, 0, 11000, 90000, 4000);
        shifter->SetDataPipeline(data);
        shifter->SetDataField(QStringLiteral("M"));
        shifter->SetShiftRelativeTo(memo);
        shifter->SetRegion(region);
        // The same pair outside any region, where the stretching one
        // generates its shifters itself.
        auto *stretcher = place(Obj::Stretcher, new HookedMemo, detail, 100000, 18000, 90000, 4000);
        stretcher->SetDataPipeline(data);
        stretcher->SetDataField(QStringLiteral("M"));
        stretcher->SetStretch(true);
        auto *follower = place(Obj::Follower, new TppDBMemo, detail, 100000, 23000, 90000, 4000);
        follower->SetDataPipeline(data);
        follower->SetDataField(QStringLiteral("M"));
        follower->SetShiftRelativeTo(stretcher);

        auto *childDetail = band<TppDetailBand>(Obj::ChildDetail, *subreport->Report(), 5000);
        label(Obj::ChildLabel, childDetail, 0, QStringLiteral("Child"));
        auto *childValue = place(Obj::ChildValue, new TppDBText, childDetail, 50000);
        childValue->SetDataPipeline(childData);
        childValue->SetDataField(QStringLiteral("R"));

        auto *groupFooter = band<TppGroupFooterBand>(Obj::GroupFooter, *m_report, 10000);
        groupFooter->SetGroup(group);
        auto *sum = place(Obj::Sum, new TppDBCalc, groupFooter, 0);
        sum->SetDataPipeline(data);
        sum->SetDataField(QStringLiteral("V"));
        sum->SetResetGroup(group);
        auto *variable = place(Obj::Variable, new TppVariable, groupFooter, 50000);
        variable->SetDataType(TppDataType::dtInteger);

        auto *summary = band<TppSummaryBand>(Obj::Summary, *m_report, 10000);
        label(Obj::SummaryLabel, summary, 0, QStringLiteral("Summary"));
        auto *rich = place(Obj::RichText, new TppDBRichText, summary, 50000);
        rich->SetDataPipeline(data);
        rich->SetDataField(QStringLiteral("M"));
        auto *picture = place(Obj::Picture, new TppDBImage, summary, 100000);
        picture->SetDataPipeline(data);
        picture->SetDataField(QStringLiteral("M"));
        auto *footer = band<TppFooterBand>(Obj::Footer, *m_report, 10000);
        label(Obj::FooterLabel, footer, 0, QStringLiteral("Footer"));

        // What follows the detail band's numbered events, as variables and
        // the outline do.
        auto *listener = new TppCommunicator(nullptr);
        listener->SubscribeEvent(ppEvent::BandBeforePrint);
        detail->AddEventNotify(listener);
        set(Obj::Listener, listener);
    }

    ~Scene()
    {
        m_report.reset();
        delete m_objects[size_t(Obj::Data)];
        delete m_objects[size_t(Obj::ChildData)];
        delete m_objects[size_t(Obj::Listener)];
    }

    template <class T = classes::TObject>
    T *get(Obj aObj) const
    {
        return dynamic_cast<T *>(m_objects[size_t(aObj)]);
    }

    // What every handler of the table calls: the action, once.
    auto handler()
    {
        return [this](auto &&...) { fire(); };
    }
    void setAction(std::function<void()> aAction) { m_action = std::move(aAction); }
    bool fired() const { return m_fired; }

    // The victim's action. Only the pipelines, the device, the listener and
    // the report itself stand outside the report, so only they must be
    // forgotten here once freed.
    void act(Obj aObj, Action aAction)
    {
        classes::TObject *object = m_objects[size_t(aObj)];
        if (aAction == Action::Free) {
            if (aObj == Obj::Report) {
                m_objects[size_t(aObj)] = nullptr;
                m_report.reset();
                return;
            }
            if (aObj == Obj::Data || aObj == Obj::ChildData || aObj == Obj::Listener || aObj == Obj::Device)
                m_objects[size_t(aObj)] = nullptr;
            delete object;
            return;
        }
        auto *component = dynamic_cast<TppComponent *>(object);
        switch (aAction) {
        case Action::ToFront: component->BringToFront(); break;
        case Action::ToBack: component->SendToBack(); break;
        case Action::ToOtherBand: {
            // Out of its region and band into the summary, or from the
            // summary into the detail band.
            auto *summary = get<TppBand>(Obj::Summary);
            component->SetRegion(nullptr);
            component->SetBand(component->Band() == summary ? get<TppBand>(Obj::Detail) : summary);
            break;
        }
        case Action::Free: break;
        }
    }

    // Prints to a device that only takes the pages: commands on a page keep
    // their objects unlinked, and a device must not follow them to objects
    // freed since. False when the run raised an error not the library's own,
    // or did not end by itself within kPageBound pages (then it is ended
    // here, and aError says so).
    bool run(std::string &aError)
    {
        TppDevice *device = makeDevice();
        PageCounter counter;
        set(Obj::Device, device);
        if (m_install)
            m_install(*this);
        bool ok = true;
        try {
            device->SetPublisher(m_report->Publisher());
            // The device's OnPublisherChange may have freed the report.
            if (!m_report) {
                delete m_objects[size_t(Obj::Device)];
                set(Obj::Device, nullptr);
                return true;
            }
            counter.SetPublisher(m_report->Publisher());
            counter.report = m_report.get();
            counter.shown = m_shown;
            counter.alive = m_report->AliveToken();
            if (m_drive)
                m_drive(*m_report);
            else
                m_report->PrintToDevices();
        } catch (const EBrevantorError &) {
        } catch (const std::exception &error) {
            aError = error.what();
            ok = false;
        }
        if (counter.pages > kPageBound) {
            aError = "the run did not end by itself within " + std::to_string(kPageBound) + " pages";
            ok = false;
        }
        if (m_report)
            counter.SetPublisher(nullptr);
        delete m_objects[size_t(Obj::Device)];
        set(Obj::Device, nullptr);
        return ok;
    }
    void setInstall(std::function<void(Scene &)> aInstall) { m_install = std::move(aInstall); }
    // What the program does instead of printing (saves or loads the
    // report's template).
    void setDrive(std::function<void(TppReport &)> aDrive) { m_drive = std::move(aDrive); }
    // What is done with the first page the run makes, as a viewer shows it.
    void setShown(std::function<void(TppPage &)> aShown) { m_shown = std::move(aShown); }

private:
    void set(Obj aObj, classes::TObject *aObject) { m_objects[size_t(aObj)] = aObject; }

    void fire()
    {
        if (m_fired)
            return;
        m_fired = true;
        // The action may free the handler that runs it: nothing of it is
        // touched afterwards.
        m_action();
    }

    template <class B>
    B *band(Obj aObj, TppCustomReport &aReport, int32_t aHeight)
    {
        auto *b = new B(nullptr);
        b->SetReport(&aReport);
        b->SetmmHeight(aHeight);
        set(aObj, b);
        return b;
    }

    template <class C>
    C *place(Obj aObj, C *aComponent, TppBand *aBand, int32_t aLeft, int32_t aTop = 500, int32_t aWidth = 40000,
             int32_t aHeight = 4000)
    {
        aComponent->SetBand(aBand);
        aComponent->SetBounds(aLeft, aTop, aWidth, aHeight);
        set(aObj, aComponent);
        return aComponent;
    }

    TppLabel *label(Obj aObj, TppBand *aBand, int32_t aLeft, const QString &aCaption)
    {
        auto *l = place(aObj, new TppLabel, aBand, aLeft);
        l->SetCaption(aCaption);
        return l;
    }

    // The device of the variant, on the file of a folder of its own or on
    // a printer of the test's.
    TppDevice *makeDevice()
    {
        const auto file = [this](TppFileDevice *aDevice, const char *aName) {
            aDevice->SetFileName(m_folder.emplace().filePath(QString::fromLatin1(aName)));
            return aDevice;
        };
        switch (m_variant) {
        case Variant::TextFile: {
            auto *device = new TppTextFileDevice;
            file(device, "out.txt");
            // As the producer hooks a device it makes, so that its own
            // OnSaveText runs too.
            device->HookSaveText(
                [this](classes::TObject *aSender, QString &aText) { m_report->TextFileDeviceSaveText(aSender, aText); });
            return device;
        }
        case Variant::ReportTextFile: return file(new TppReportTextFileDevice, "out.rtf.txt");
        case Variant::Archive: return file(new TppArchiveDevice, "out.raf");
        case Variant::Printer: {
            m_printers.emplace();
            (*m_printers)->add("Office");
            (*m_printers)->setDefaultDevice("Office");
            ppFreePrinters();
            m_report->PrinterSetup()->SetPrinterName(QStringLiteral("Office"));
            return new TppPrinterDevice;
        }
        case Variant::Screen: return new TppScreenDevice;
        default: return new TppDevice;
        }
    }

    Variant m_variant;
    std::optional<QTemporaryDir> m_folder;
    std::optional<reporttest::FakePrinters> m_printers;
    std::unique_ptr<TppReport> m_report;
    classes::TObject *m_objects[size_t(Obj::Count)] = {};
    std::function<void()> m_action;
    std::function<void(Scene &)> m_install;
    std::function<void(TppPage &)> m_shown;
    std::function<void(TppReport &)> m_drive;
    bool m_fired = false;
};

// One event of the table: who sends it, what holds the sender and what
// follows it there, and how a handler is set on it.
struct Event
{
    const char *name;
    Part part;
    Obj sender;
    Obj container;
    Obj next;
    std::function<void(Scene &)> install;
    Variant variant = Variant::Plain;
    // The places in the library's sources where it calls out to fire it,
    // as the scan of the sources names them.
    std::vector<std::string> sites = {};
};

template <class T, class E>
std::function<void(Scene &)> on(Obj aObj, E T::*aEvent)
{
    return [aObj, aEvent](Scene &aScene) { (aScene.get<T>(aObj)->*aEvent).Set(aScene.handler()); };
}

// A band's four events, in the order the band engine fires them.
void bandEvents(std::vector<Event> &aEvents, const char *aName, Part aPart, Obj aBand, Obj aContainer, Obj aNext)
{
    const std::pair<const char *, classes::TNotifyEvent TppBand::*> events[] = {
        {"BeforePrint", &TppBand::BeforePrint},
        {"BeforeGenerate", &TppBand::BeforeGenerate},
        {"AfterGenerate", &TppBand::AfterGenerate},
        {"AfterPrint", &TppBand::AfterPrint},
    };
    for (const auto &[name, event] : events) {
        static std::set<std::string> names;
        const char *full = names.insert(std::string(aName) + "." + name).first->c_str();
        aEvents.push_back({full, aPart, aBand, aContainer, aNext, on(aBand, event)});
    }
}

// Where the library calls out to fire an event of the table: the routine
// that calls and the holder it calls, or the step of a printable.
std::vector<std::string> sitesOf(const Event &aEvent)
{
    const std::string name = aEvent.name;
    const std::string what = name.substr(name.rfind('.') + 1);
    const auto band = [&](const char *aDo, const char *aEngine, const char *aEngineHolder) {
        std::vector<std::string> sites = {std::string("TppBand::") + aDo + "/" + what};
        const bool detail = aEvent.sender == Obj::Detail || aEvent.sender == Obj::ChildDetail;
        sites.push_back(std::string(detail && std::strcmp(aEngine, "StartCycle") == 0 ? "TppDetailBandEngine::"
                                                                                          : "TppBandEngine::") +
                        aEngine + "/" + aEngineHolder);
        return sites;
    };
    const bool report = aEvent.sender == Obj::Report || aEvent.sender == Obj::ChildReport;
    if (name.rfind("Template.", 0) == 0) {
        static const std::map<std::string, std::string> templ = {
            {"OnSaveStart", "TppTemplate::SaveToStream/OnSaveStart"},
            {"OnSaveStream", "TppTemplate::DoOnSaveStream/OnSaveStream"},
            {"OwnerOnSaveStream", "TppTemplate::DoOnSaveStream/OwnerOnSaveStream"},
            {"OnLoadStream", "TppTemplate::DoOnLoadStream/OnLoadStream"},
            {"OnLoadEnd", "TppTemplate::LoadFromStream/OnLoadEnd"},
            {"OwnerOnLoadEnd", "TppTemplate::LoadFromStream/OwnerOnLoadEnd"},
            {"OnNew", "TppTemplate::New/OnNew"},
            {"OwnerOnNew", "TppTemplate::New/OwnerOnNew"},
        };
        return {templ.at(what)};
    }
    if (name.rfind("Hooked.", 0) == 0) {
        const std::string owner = what == "AfterPlace"     ? "TppCustomComponent"
                                  : what == "AdjustBounds" ? "TppCustomText"
                                                           : "TppPrintable";
        return {"virtual " + owner + "::" + what};
    }
    if (what == "CalcSpaceUsed")
        return {"virtual TppStretchable::CalcSpaceUsed"};
    if (report && what == "OnSaveText")
        return {"TppProducer::DoOnSaveText/OnSaveText"};
    if (report && what == "BeforePrint")
        return {"TppProducer::DoBeforePrint/BeforePrint"};
    if (report && what == "AfterPrint")
        return {"TppProducer::DoAfterPrint/AfterPrint"};
    if (what == "BeforePrint")
        return band("DoBeforePrint", "StartCycle", "OnBeforePrint");
    if (what == "BeforeGenerate")
        return band("DoBeforeGenerate", "BeforeComponents", "OnBeforeGenerate");
    if (what == "AfterGenerate")
        return band("DoAfterGenerate", "AfterComponents", "OnAfterGenerate");
    if (what == "AfterPrint")
        return band("DoAfterPrint", "AfterCycle", "OnAfterPrint");
    if (aEvent.sender == Obj::Device) {
        static const std::map<Variant, std::vector<std::string>> classes = {
            {Variant::TextFile, {"device TppTextFileDevice", "device TppFileDevice"}},
            {Variant::ReportTextFile, {"device TppReportTextFileDevice"}},
            {Variant::Archive, {"device TppArchiveDevice"}},
            {Variant::Printer, {"device TppPrinterDevice"}},
            {Variant::Screen, {"device TppScreenDevice", "device TppRasterDevice"}},
        };
        if (what == "OnPageReceive" && classes.count(aEvent.variant))
            return classes.at(aEvent.variant);
        if (what == "OnSaveText")
            return {"TppTextFileDevice::WritePage/OnSaveText"};
        if (what == "OnStartPage")
            return {"TppPrinterDevice::StartPrinterPage/OnStartPage"};
        if (what == "OnEndPage")
            return {"TppPrinterDevice::EndPrinterPage/OnEndPage"};
        if (what == "OnPageReceive")
            return {"TppDevice::ReceivePage/OnPageReceive", "device TppDevice", "TppEngine::fillPageRecord/OnPageUpdated"};
        if (what == "OnPublisherChange")
            return {"TppDevice::SetPublisher/OnPublisherChange"};
        if (what == "OnStartJob")
            return {"TppDevice::StartJob/OnStartJob"};
        if (what == "OnEndJob")
            return {"TppDevice::EndJob/OnEndJob"};
        if (what == "OnPageRequest")
            return {"TppDevice::DoOnPageRequest/OnPageRequest"};
    }
    if (aEvent.sender == Obj::Data || aEvent.sender == Obj::ChildData) {
        static const std::map<std::string, std::string> pipeline = {
            {"OnOpen", "Open"},
            {"OnClose", "Close"},
            {"OnFirst", "First"},
            {"OnLast", "Last"},
            {"OnNext", "Next"},
            {"OnPrior", "Prior"},
            {"OnGotoBookmark", "GotoBookmark"},
            {"OnTraversal", "DoOnTraversal"},
            {"OnRecordPositionChange", "DoOnRecordPositionChange"},
            {"OnDataChange", "DataChange"},
        };
        return {"TppDataPipeline::" + pipeline.at(what) + "/" + what};
    }
    if (what == "OnFormat") {
        switch (aEvent.sender) {
        case Obj::PageNo: return {"TppSystemVariable::GetTheText/OnFormat"};
        case Obj::Calc: return {"TppCalc::GetTheText/OnFormat"};
        case Obj::Sum: return {"TppDBCalc::GetTheText/OnFormat"};
        case Obj::Variable: return {"TppVariable::GetTheText/OnFormat"};
        default: return {"TppDBText::GetTheText/OnFormat"};
        }
    }
    if (aEvent.variant == Variant::Across && what == "OnStartColumn")
        return {"TppHorizontalBandEngine::startColumn/OnStartColumn"};
    if (aEvent.variant == Variant::Across && what == "OnEndColumn")
        return {"TppHorizontalBandEngine::endColumn/OnEndColumn"};
    if (what == "OldOnCalc")
        return {"TppVariable::Calc/OldOnCalc"};
    if (what == "OnCalc") {
        switch (aEvent.sender) {
        case Obj::Calc: return {"TppCalc::Compute/OnCalc"};
        case Obj::Sum: return {"TppDBCalc::Calc/OnCalc"};
        default: return {"TppVariable::Calc/OnCalc"};
        }
    }
    static const std::map<std::string, std::vector<std::string>> byEvent = {
        {"OnPrint", {"TppPrintable::DoOnPrint/OnPrint"}},
        {"OnDrawCommandCreate", {"TppPrintable::CreateDrawCommand/OnDrawCommandCreate"}},
        {"OnDrawCommandClick",
         {"TppPrintable::DrawCommandClick/OnDrawCommandClick", "TppDrawCommand::DoOnClick/OnClick",
          "virtual TppPrintable::DrawCommandClick"}},
        {"OnGetText", {"TppCustomText::GetText/OnGetText"}},
        {"OnGetMemo", {"TppDBMemo::loadLines/OnGetMemo"}},
        {"OnGetRichText", {"TppDBRichText::Reload/OnGetRichText"}},
        {"OnGetPicture", {"TppDBImage::LoadPicture/OnGetPicture"}},
        {"OnGetBreakValue", {"TppGroup::GetBreakValue/OnGetBreakValue"}},
        {"BeforeGroupBreak", {"TppGroup::BeforeHeader/BeforeGroupBreak"}},
        {"AfterGroupBreak", {"TppGroup::AfterFooter/AfterGroupBreak"}},
        {"OnGroupBreak", {"TppDBCalc::Calc/OnGroupBreak"}},
        {"OnReset", {"TppVariable::Reset/OnReset"}},
        {"OnEventNotify", {"TppCommunicator::EventNotify/OnEventNotify"}},
        {"OnNotify", {"TppCommunicator::Notify/OnNotify"}},
        {"OnOutlineNodeCreate",
         {"TppReport::DoOnOutlineNodeCreate/OnOutlineNodeCreate", "TppOutline::DoOnOutlineNodeCreate/OnOutlineNodeCreate"}},
        {"OnStartPage", {"TppEngine::basicPageStart/OnStartPage"}},
        {"OnEndPage", {"TppCustomReport::CheckPageLimit/OnEndPage", "TppEngine::endPage/OnCheckPageLimit"}},
        {"OnPageRequest", {"TppProducer::DoOnPageRequest/OnPageRequest", "TppPublisher::processPageRequest/OnPageRequest"}},
        {"OnPrintingComplete", {"TppProducer::DoOnPrintingComplete/OnPrintingComplete"}},
        {"OnStartFirstPass", {"TppEnginePasses::Start/OnStartFirstPass"}},
        {"OnStartSecondPass", {"TppEnginePasses::Start/OnStartSecondPass"}},
        {"OnEndFirstPass", {"TppEnginePasses::End/OnEndFirstPass"}},
        {"OnEndSecondPass", {"TppEnginePasses::End/OnEndSecondPass"}},
        {"OnStartColumn", {"TppEngine::startNextColumn/OnStartColumn"}},
        {"OnEndColumn", {"TppEngine::endColumn/OnEndColumn"}},
        {"OnNoData", {"TppCustomReport::DoOnNoData/OnNoData"}},
    };
    const auto it = byEvent.find(what);
    return it == byEvent.end() ? std::vector<std::string>{} : it->second;
}

// Every event, hook and callback a run fires, in about the order of the
// run; each one fires in a run nobody's handler disturbs.
const std::vector<Event> &events()
{
    static const std::vector<Event> table = [] {
        using M = Part;
        std::vector<Event> e;
        const auto add = [&e](const char *aName, Part aPart, Obj aSender, Obj aContainer, Obj aNext,
                              std::function<void(Scene &)> aInstall, Variant aVariant = Variant::Plain) {
            e.push_back({aName, aPart, aSender, aContainer, aNext, std::move(aInstall), aVariant});
        };
        // The report's own events where only a variant fires them.
        const auto report = [&add](const char *aName, classes::TNotifyEvent TppCustomReport::*aEvent,
                                   Variant aVariant) {
            add(aName, Part::Main, Obj::Report, Obj::None, Obj::None, on(Obj::Report, aEvent), aVariant);
        };
        add("Device.OnPublisherChange", M::Main, Obj::Device, Obj::None, Obj::None,
            on(Obj::Device, &TppDevice::OnPublisherChange));
        add("Report.BeforePrint", M::Main, Obj::Report, Obj::None, Obj::None, on(Obj::Report, &TppReport::BeforePrint));
        add("Device.OnStartJob", M::Main, Obj::Device, Obj::None, Obj::None, on(Obj::Device, &TppDevice::OnStartJob));
        add("Device.OnPageRequest", M::Main, Obj::Device, Obj::None, Obj::None,
            on(Obj::Device, &TppDevice::OnPageRequest));
        add("Report.OnPageRequest", M::Main, Obj::Report, Obj::None, Obj::None,
            on(Obj::Report, &TppReport::OnPageRequest));
        add("Data.OnOpen", M::Main, Obj::Data, Obj::None, Obj::None, on(Obj::Data, &TppDataPipeline::OnOpen));
        add("Data.OnFirst", M::Main, Obj::Data, Obj::None, Obj::None, on(Obj::Data, &TppDataPipeline::OnFirst));
        add("Data.OnTraversal", M::Main, Obj::Data, Obj::None, Obj::None, on(Obj::Data, &TppDataPipeline::OnTraversal));
        add("Data.OnRecordPositionChange", M::Main, Obj::Data, Obj::None, Obj::None,
            on(Obj::Data, &TppDataPipeline::OnRecordPositionChange));
        add("Report.OnOutlineNodeCreate", M::Main, Obj::Report, Obj::None, Obj::None,
            on(Obj::Report, &TppReport::OnOutlineNodeCreate));
        add("Report.OnStartPage", M::Main, Obj::Report, Obj::None, Obj::None, on(Obj::Report, &TppReport::OnStartPage));
        bandEvents(e, "Title", M::Main, Obj::Title, Obj::None, Obj::OuterHeader);
        add("TitleLabel.OnGetText", M::Main, Obj::TitleLabel, Obj::Title, Obj::None,
            on(Obj::TitleLabel, &TppLabel::OnGetText));
        add("TitleLabel.OnPrint", M::Main, Obj::TitleLabel, Obj::Title, Obj::None,
            on(Obj::TitleLabel, &TppLabel::OnPrint));
        add("TitleLabel.OnDrawCommandCreate", M::Main, Obj::TitleLabel, Obj::Title, Obj::None,
            on(Obj::TitleLabel, &TppLabel::OnDrawCommandCreate));
        bandEvents(e, "Header", M::Main, Obj::Header, Obj::None, Obj::Title);
        add("HeaderLabel.OnPrint", M::Main, Obj::HeaderLabel, Obj::Header, Obj::PageNo,
            on(Obj::HeaderLabel, &TppLabel::OnPrint));
        add("PageNo.OnFormat", M::Main, Obj::PageNo, Obj::Header, Obj::None,
            on(Obj::PageNo, &TppSystemVariable::OnFormat));
        add("PageNo.OnPrint", M::Main, Obj::PageNo, Obj::Header, Obj::None,
            on(Obj::PageNo, &TppSystemVariable::OnPrint));
        add("Outer.OnGetBreakValue", M::Main, Obj::Outer, Obj::None, Obj::Group,
            on(Obj::Outer, &TppGroup::OnGetBreakValue));
        add("Outer.BeforeGroupBreak", M::Main, Obj::Outer, Obj::None, Obj::Group,
            on(Obj::Outer, &TppGroup::BeforeGroupBreak));
        add("Outer.AfterGroupBreak", M::Main, Obj::Outer, Obj::None, Obj::Group,
            on(Obj::Outer, &TppGroup::AfterGroupBreak));
        bandEvents(e, "OuterHeader", M::Main, Obj::OuterHeader, Obj::Outer, Obj::GroupHeader);
        add("Group.OnGetBreakValue", M::Main, Obj::Group, Obj::None, Obj::None,
            on(Obj::Group, &TppGroup::OnGetBreakValue));
        add("Group.BeforeGroupBreak", M::Main, Obj::Group, Obj::None, Obj::None,
            on(Obj::Group, &TppGroup::BeforeGroupBreak));
        add("Group.AfterGroupBreak", M::Main, Obj::Group, Obj::None, Obj::None,
            on(Obj::Group, &TppGroup::AfterGroupBreak));
        bandEvents(e, "GroupHeader", M::Main, Obj::GroupHeader, Obj::Group, Obj::Detail);
        add("GroupValue.OnGetText", M::Main, Obj::GroupValue, Obj::GroupHeader, Obj::None,
            on(Obj::GroupValue, &TppDBText::OnGetText));
        add("GroupValue.OnFormat", M::Main, Obj::GroupValue, Obj::GroupHeader, Obj::None,
            on(Obj::GroupValue, &TppDBText::OnFormat));
        add("GroupValue.OnPrint", M::Main, Obj::GroupValue, Obj::GroupHeader, Obj::None,
            on(Obj::GroupValue, &TppDBText::OnPrint));
        bandEvents(e, "Detail", M::Main, Obj::Detail, Obj::None, Obj::GroupFooter);
        add("Value.OnGetText", M::Main, Obj::Value, Obj::Detail, Obj::Label, on(Obj::Value, &TppDBText::OnGetText));
        add("Value.OnFormat", M::Main, Obj::Value, Obj::Detail, Obj::Label, on(Obj::Value, &TppDBText::OnFormat));
        add("Value.OnPrint", M::Main, Obj::Value, Obj::Detail, Obj::Label, on(Obj::Value, &TppDBText::OnPrint));
        add("Label.OnGetText", M::Main, Obj::Label, Obj::Detail, Obj::Region, on(Obj::Label, &TppLabel::OnGetText));
        add("Label.OnPrint", M::Main, Obj::Label, Obj::Detail, Obj::Region, on(Obj::Label, &TppLabel::OnPrint));
        add("Label.OnDrawCommandCreate", M::Main, Obj::Label, Obj::Detail, Obj::Region,
            on(Obj::Label, &TppLabel::OnDrawCommandCreate));
        // A click on the label as the first page shows, while the run goes on.
        add("Label.OnDrawCommandClick", M::Main, Obj::Label, Obj::Detail, Obj::Region, [](Scene &aScene) {
            auto *label = aScene.get<TppLabel>(Obj::Label);
            label->OnDrawCommandClick.Set(aScene.handler());
            aScene.setShown([label](TppPage &aPage) {
                for (int i = 0; i < aPage.DrawCommandCount(); ++i)
                    if (aPage.DrawCommands(i)->Component() == label) {
                        aPage.DrawCommands(i)->DoOnClick();
                        return;
                    }
            });
        });
        add("Region.OnPrint", M::Main, Obj::Region, Obj::Detail, Obj::Calc, on(Obj::Region, &TppRegion::OnPrint));
        add("Memo.OnGetMemo", M::Main, Obj::Memo, Obj::Region, Obj::Shifter, on(Obj::Memo, &TppDBMemo::OnGetMemo));
        add("Memo.OnPrint", M::Main, Obj::Memo, Obj::Region, Obj::Shifter, on(Obj::Memo, &TppDBMemo::OnPrint));
        add("Shifter.OnGetMemo", M::Main, Obj::Shifter, Obj::Region, Obj::None,
            on(Obj::Shifter, &TppDBMemo::OnGetMemo));
        add("Shifter.OnPrint", M::Main, Obj::Shifter, Obj::Region, Obj::None, on(Obj::Shifter, &TppDBMemo::OnPrint));
        add("Follower.OnGetMemo", M::Main, Obj::Follower, Obj::Detail, Obj::None,
            on(Obj::Follower, &TppDBMemo::OnGetMemo));
        add("Follower.OnPrint", M::Main, Obj::Follower, Obj::Detail, Obj::None, on(Obj::Follower, &TppDBMemo::OnPrint));
        add("Calc.OnCalc", M::Main, Obj::Calc, Obj::Detail, Obj::SubReport, on(Obj::Calc, &TppCalc::OnCalc));
        add("Calc.OnFormat", M::Main, Obj::Calc, Obj::Detail, Obj::SubReport, on(Obj::Calc, &TppCalc::OnFormat));
        add("Calc.OnPrint", M::Main, Obj::Calc, Obj::Detail, Obj::SubReport, on(Obj::Calc, &TppCalc::OnPrint));
        // The steps a descendant overrides, in the order the run calls them.
        for (const char *step : {"Init", "ResetGeneration", "InitDrawComponent", "ClearDrawComponent",
                                 "ComputeLookAhead", "FreeLookAhead", "ResetHook", "AfterPlace", "Generate",
                                 "GetText", "PropertiesToDrawCommand", "PrintToPage"}) {
            static std::set<std::string> names;
            const char *name = names.insert(std::string("Hooked.") + step).first->c_str();
            add(name, M::Main, Obj::Hooked, Obj::Detail, Obj::None,
                [step](Scene &aScene) { aScene.get<HookedLabel>(Obj::Hooked)->setHook(step, aScene.handler()); });
        }
        add("Stretcher.CalcSpaceUsed", M::Main, Obj::Stretcher, Obj::Detail, Obj::Follower, [](Scene &aScene) {
            aScene.get<HookedMemo>(Obj::Stretcher)->setHook(aScene.handler());
        });
        add("Listener.OnEventNotify", M::Main, Obj::Listener, Obj::Detail, Obj::None,
            on(Obj::Listener, &TppCommunicator::OnEventNotify));
        add("SubReport.OnPrint", M::Main, Obj::SubReport, Obj::Detail, Obj::Hooked,
            on(Obj::SubReport, &TppSubReport::OnPrint));
        add("ChildData.OnOpen", M::Child, Obj::ChildData, Obj::None, Obj::None,
            on(Obj::ChildData, &TppDataPipeline::OnOpen));
        add("ChildData.OnFirst", M::Child, Obj::ChildData, Obj::None, Obj::None,
            on(Obj::ChildData, &TppDataPipeline::OnFirst));
        add("ChildData.OnTraversal", M::Child, Obj::ChildData, Obj::None, Obj::None,
            on(Obj::ChildData, &TppDataPipeline::OnTraversal));
        add("ChildData.OnRecordPositionChange", M::Child, Obj::ChildData, Obj::None, Obj::None,
            on(Obj::ChildData, &TppDataPipeline::OnRecordPositionChange));
        add("ChildReport.OnStartPage", M::Child, Obj::ChildReport, Obj::SubReport, Obj::None,
            on(Obj::ChildReport, &TppChildReport::OnStartPage));
        bandEvents(e, "ChildDetail", M::Child, Obj::ChildDetail, Obj::ChildReport, Obj::None);
        add("ChildLabel.OnGetText", M::Child, Obj::ChildLabel, Obj::ChildDetail, Obj::ChildValue,
            on(Obj::ChildLabel, &TppLabel::OnGetText));
        add("ChildLabel.OnPrint", M::Child, Obj::ChildLabel, Obj::ChildDetail, Obj::ChildValue,
            on(Obj::ChildLabel, &TppLabel::OnPrint));
        add("ChildValue.OnPrint", M::Child, Obj::ChildValue, Obj::ChildDetail, Obj::None,
            on(Obj::ChildValue, &TppDBText::OnPrint));
        add("ChildData.OnNext", M::Child, Obj::ChildData, Obj::None, Obj::None,
            on(Obj::ChildData, &TppDataPipeline::OnNext));
        add("ChildReport.OnEndPage", M::Child, Obj::ChildReport, Obj::SubReport, Obj::None,
            on(Obj::ChildReport, &TppChildReport::OnEndPage));
        add("Data.OnNext", M::Main, Obj::Data, Obj::None, Obj::None, on(Obj::Data, &TppDataPipeline::OnNext));
        add("Data.OnDataChange", M::Main, Obj::Data, Obj::None, Obj::None,
            on(Obj::Data, &TppDataPipeline::OnDataChange));
        // The data text hears of the change of its data before the event.
        add("Value.OnNotify", M::Main, Obj::Value, Obj::Detail, Obj::Label, on(Obj::Value, &TppCommunicator::OnNotify));
        bandEvents(e, "GroupFooter", M::Main, Obj::GroupFooter, Obj::Group, Obj::Summary);
        add("Sum.OnCalc", M::Main, Obj::Sum, Obj::GroupFooter, Obj::Variable, on(Obj::Sum, &TppDBCalc::OnCalc));
        add("Sum.OnGroupBreak", M::Main, Obj::Sum, Obj::GroupFooter, Obj::Variable,
            on(Obj::Sum, &TppDBCalc::OnGroupBreak));
        add("Sum.OnFormat", M::Main, Obj::Sum, Obj::GroupFooter, Obj::Variable, on(Obj::Sum, &TppDBCalc::OnFormat));
        add("Sum.OnPrint", M::Main, Obj::Sum, Obj::GroupFooter, Obj::Variable, on(Obj::Sum, &TppDBCalc::OnPrint));
        add("Variable.OnReset", M::Main, Obj::Variable, Obj::GroupFooter, Obj::None,
            on(Obj::Variable, &TppVariable::OnReset));
        add("Variable.OnCalc", M::Main, Obj::Variable, Obj::GroupFooter, Obj::None,
            on(Obj::Variable, &TppVariable::OnCalc));
        add("Variable.OldOnCalc", M::Main, Obj::Variable, Obj::GroupFooter, Obj::None,
            on(Obj::Variable, &TppVariable::OldOnCalc));
        add("Variable.OnFormat", M::Main, Obj::Variable, Obj::GroupFooter, Obj::None,
            on(Obj::Variable, &TppVariable::OnFormat));
        add("Variable.OnPrint", M::Main, Obj::Variable, Obj::GroupFooter, Obj::None,
            on(Obj::Variable, &TppVariable::OnPrint));
        bandEvents(e, "Footer", M::Main, Obj::Footer, Obj::None, Obj::None);
        add("FooterLabel.OnGetText", M::Main, Obj::FooterLabel, Obj::Footer, Obj::None,
            on(Obj::FooterLabel, &TppLabel::OnGetText));
        add("FooterLabel.OnPrint", M::Main, Obj::FooterLabel, Obj::Footer, Obj::None,
            on(Obj::FooterLabel, &TppLabel::OnPrint));
        add("Report.OnEndPage", M::Main, Obj::Report, Obj::None, Obj::None, on(Obj::Report, &TppReport::OnEndPage));
        add("Device.OnPageReceive", M::Main, Obj::Device, Obj::None, Obj::None,
            on(Obj::Device, &TppDevice::OnPageReceive));
        bandEvents(e, "Summary", M::Main, Obj::Summary, Obj::None, Obj::Footer);
        add("SummaryLabel.OnPrint", M::Main, Obj::SummaryLabel, Obj::Summary, Obj::RichText,
            on(Obj::SummaryLabel, &TppLabel::OnPrint));
        add("RichText.OnGetRichText", M::Main, Obj::RichText, Obj::Summary, Obj::Picture,
            on(Obj::RichText, &TppDBRichText::OnGetRichText));
        add("RichText.OnPrint", M::Main, Obj::RichText, Obj::Summary, Obj::Picture,
            on(Obj::RichText, &TppDBRichText::OnPrint));
        add("Picture.OnGetPicture", M::Main, Obj::Picture, Obj::Summary, Obj::None,
            on(Obj::Picture, &TppDBImage::OnGetPicture));
        add("Picture.OnPrint", M::Main, Obj::Picture, Obj::Summary, Obj::None, on(Obj::Picture, &TppDBImage::OnPrint));
        add("Data.OnGotoBookmark", M::Main, Obj::Data, Obj::None, Obj::None,
            on(Obj::Data, &TppDataPipeline::OnGotoBookmark));
        add("Device.OnEndJob", M::Main, Obj::Device, Obj::None, Obj::None, on(Obj::Device, &TppDevice::OnEndJob));
        add("Report.AfterPrint", M::Main, Obj::Report, Obj::None, Obj::None, on(Obj::Report, &TppReport::AfterPrint));
        add("Report.OnPrintingComplete", M::Main, Obj::Report, Obj::None, Obj::None,
            on(Obj::Report, &TppReport::OnPrintingComplete));
        report("TwoPass.Report.OnStartFirstPass", &TppCustomReport::OnStartFirstPass, Variant::TwoPass);
        report("TwoPass.Report.OnEndFirstPass", &TppCustomReport::OnEndFirstPass, Variant::TwoPass);
        report("TwoPass.Report.OnStartSecondPass", &TppCustomReport::OnStartSecondPass, Variant::TwoPass);
        report("TwoPass.Report.OnEndSecondPass", &TppCustomReport::OnEndSecondPass, Variant::TwoPass);
        report("Columns.Report.OnStartColumn", &TppCustomReport::OnStartColumn, Variant::Columns);
        report("Columns.Report.OnEndColumn", &TppCustomReport::OnEndColumn, Variant::Columns);
        report("Across.Report.OnStartColumn", &TppCustomReport::OnStartColumn, Variant::Across);
        report("Across.Report.OnEndColumn", &TppCustomReport::OnEndColumn, Variant::Across);
        add("NoData.Report.OnNoData", Part::Main, Obj::Report, Obj::None, Obj::None,
            on(Obj::Report, &TppCustomReport::OnNoData), Variant::NoData);
        // The report's template as a program saves, loads and renews it; the
        // objects of the report are those a load makes, so only the report
        // goes, which holds the template.
        const auto templ = [&add](const char *aName, auto aEvent, std::function<void(TppReport &)> aDrive) {
            add(aName, Part::Main, Obj::Report, Obj::None, Obj::None,
                [aEvent, aDrive](Scene &aScene) {
                    (aScene.get<TppReport>(Obj::Report)->Template()->*aEvent).Set(aScene.handler());
                    aScene.setDrive(aDrive);
                });
        };
        const auto save = [](TppReport &aReport) {
            classes::TMemoryStream stream;
            aReport.Template()->SaveToStream(stream);
        };
        const auto load = [](TppReport &aReport) {
            classes::TMemoryStream stream;
            {
                // Saved without the handlers, as a file made earlier.
                TppReport other;
                other.Template()->SaveToStream(stream);
            }
            stream.SetPosition(0);
            aReport.Template()->LoadFromStream(stream);
        };
        const auto renew = [](TppReport &aReport) { aReport.Template()->New(); };
        templ("Template.OnSaveStart", &TppTemplate::OnSaveStart, save);
        templ("Template.OnSaveStream", &TppTemplate::OnSaveStream, save);
        templ("Template.OwnerOnSaveStream", &TppTemplate::OwnerOnSaveStream, save);
        templ("Template.OnLoadStream", &TppTemplate::OnLoadStream, load);
        templ("Template.OnLoadEnd", &TppTemplate::OnLoadEnd, load);
        templ("Template.OwnerOnLoadEnd", &TppTemplate::OwnerOnLoadEnd, load);
        templ("Template.OnNew", &TppTemplate::OnNew, renew);
        templ("Template.OwnerOnNew", &TppTemplate::OwnerOnNew, renew);
        // Each device class after its page receipt, and its own events.
        const auto device = [&add](const char *aName, auto aEvent, Variant aVariant) {
            add(aName, Part::Main, Obj::Device, Obj::None, Obj::None, on(Obj::Device, aEvent), aVariant);
        };
        device("TextFile.Device.OnPageReceive", &TppTextFileDevice::OnPageReceive, Variant::TextFile);
        device("TextFile.Device.OnSaveText", &TppTextFileDevice::OnSaveText, Variant::TextFile);
        add("TextFile.Report.OnSaveText", Part::Main, Obj::Report, Obj::None, Obj::None,
            on(Obj::Report, &TppReport::OnSaveText), Variant::TextFile);
        device("ReportTextFile.Device.OnPageReceive", &TppReportTextFileDevice::OnPageReceive, Variant::ReportTextFile);
        device("Archive.Device.OnPageReceive", &TppArchiveDevice::OnPageReceive, Variant::Archive);
        device("Printer.Device.OnPageReceive", &TppPrinterDevice::OnPageReceive, Variant::Printer);
        device("Printer.Device.OnStartPage", &TppPrinterDevice::OnStartPage, Variant::Printer);
        device("Printer.Device.OnEndPage", &TppPrinterDevice::OnEndPage, Variant::Printer);
        device("Screen.Device.OnPageReceive", &TppScreenDevice::OnPageReceive, Variant::Screen);
        for (Event &event : e)
            event.sites = sitesOf(event);
        return e;
    }();
    return table;
}

// The object a victim names for an event; None where there is none. The
// report being printed goes only as the victim of that name, once per event.
Obj victimOf(const Event &aEvent, Victim aVictim)
{
    const bool child = aEvent.part == Part::Child;
    Obj obj = Obj::None;
    switch (aVictim) {
    case Victim::Sender: obj = aEvent.sender; break;
    case Victim::Container: obj = aEvent.container; break;
    case Victim::NextSibling: obj = aEvent.next; break;
    case Victim::ShiftTarget:
        obj = aEvent.sender == Obj::Shifter ? Obj::Memo : aEvent.sender == Obj::Follower ? Obj::Stretcher : Obj::None;
        break;
    case Victim::DetailBand: obj = child ? Obj::ChildDetail : Obj::Detail; break;
    case Victim::Pipeline: obj = child ? Obj::ChildData : Obj::Data; break;
    case Victim::Group: obj = Obj::Group; break;
    case Victim::Region: obj = Obj::Region; break;
    case Victim::SubReport: obj = Obj::SubReport; break;
    case Victim::ChildReport: obj = Obj::ChildReport; break;
    case Victim::Report: return Obj::Report;
    }
    return obj == Obj::Report ? Obj::None : obj;
}

bool isComponent(Obj aObj)
{
    switch (aObj) {
    case Obj::TitleLabel:
    case Obj::HeaderLabel:
    case Obj::PageNo:
    case Obj::GroupValue:
    case Obj::Value:
    case Obj::Label:
    case Obj::Region:
    case Obj::Memo:
    case Obj::Shifter:
    case Obj::Stretcher:
    case Obj::Follower:
    case Obj::Calc:
    case Obj::SubReport:
    case Obj::Hooked:
    case Obj::ChildLabel:
    case Obj::ChildValue:
    case Obj::Sum:
    case Obj::Variable:
    case Obj::SummaryLabel:
    case Obj::RichText:
    case Obj::Picture:
    case Obj::FooterLabel: return true;
    default: return false;
    }
}

struct Combination
{
    const Event *event;
    Victim victim;
    Obj object;
    Action action;
    std::string key() const { return std::string(event->name) + "/" + victimName(victim) + "/" + actionName(action); }
};

// A move matters to the loop that holds the object as it moves: the
// sender, what holds it, its next sibling and what it shifts below,
// anywhere; the region and the subreport while the detail band generates
// them.
bool movesMatter(const Event &aEvent, Victim aVictim)
{
    if (aVictim == Victim::Sender || aVictim == Victim::Container || aVictim == Victim::NextSibling ||
        aVictim == Victim::ShiftTarget)
        return true;
    return aEvent.part == Part::Child || aEvent.sender == Obj::Detail || aEvent.container == Obj::Detail ||
           aEvent.container == Obj::Region;
}

// Every combination: each victim once per event (a victim that names the
// same object as one before it is left out), freed, then moved wherever
// it can move and the move matters.
std::vector<Combination> combinations()
{
    std::vector<Combination> all;
    const Victim victims[] = {Victim::Sender,     Victim::Container,   Victim::NextSibling, Victim::ShiftTarget,
                              Victim::DetailBand, Victim::Pipeline,    Victim::Group,       Victim::Region,
                              Victim::SubReport,  Victim::ChildReport, Victim::Report};
    for (const Action action : {Action::Free, Action::ToFront, Action::ToBack, Action::ToOtherBand})
        for (const Event &event : events()) {
            std::set<Obj> taken;
            for (const Victim victim : victims) {
                const Obj obj = victimOf(event, victim);
                if (obj == Obj::None || !taken.insert(obj).second)
                    continue;
                if (action != Action::Free && (!isComponent(obj) || !movesMatter(event, victim)))
                    continue;
                // A load makes the report's objects anew: only what stands
                // outside it is still the scene's.
                if (std::strncmp(event.name, "Template.", 9) == 0 && victim != Victim::Report &&
                    victim != Victim::Pipeline)
                    continue;
                // What a device class does after its handlers meets only the
                // device and the page, which goes with the report; the run's
                // other objects go at the same point on the bare device.
                if (event.sender == Obj::Device && event.variant != Variant::Plain && victim != Victim::Sender &&
                    victim != Victim::Report)
                    continue;
                all.push_back({&event, victim, obj, action});
            }
        }
    return all;
}

// The places where the library calls out that neither an event of the
// table nor a site scene fires, each with the reason. "Not swept yet" marks a place a program reaches
// that a later sweep must take; everything else here is out of a program's
// reach or excluded by a recorded decision.
const std::map<std::string, const char *> &unsweptSites()
{
    static const char *const wiring = "the library's own wiring between two objects it makes: the report sets it on "
                                      "its engine (or the subreport on the child's); a program's handler runs inside "
                                      "as a site of its own";
    static const char *const design = "a step of the designer and of property setters, which a run does not take";
    static const char *const dialogs = "the producer's own wiring to the cancel dialog and the preview it makes; the "
                                       "program's handlers inside (OnCancel, OnCancelDialogClose, OnPreviewFormClose "
                                       "and the run's events) are sites of their own, swept by their scenes";
    static const char *const printer = "the producer's own wiring to its printer setup (and a printer's to the setup it "
                                       "holds), whose handlers recompute the layout and run no program's handler";
    static const std::map<std::string, const char *> sites = {
        {"TppEngine::InitReport/OnResetCache", wiring},
        {"TppEngine::generateOnePage/OnRestorePageState", wiring},
        {"TppEngine::lastCachedPage/OnGetLastCachedPage", wiring},
        {"TppEngine::savePageState/OnSavePageState", wiring},
        {"TppEngine::endPage/OnPageComplete", wiring},
        {"TppEngine::endPage/OnPageEnding", wiring},
        {"virtual TppPrintable::AdjustSize", design},
        {"virtual TppPrintable::BoundsChange", design},
        {"virtual TppPrintable::FontChange", design},
        {"virtual TppPrintable::RefreshTabStops", design},
        {"virtual TppStretchable::AddShifter", "called by the program's own SetShiftRelativeTo, not by a run"},
        {"virtual TppStretchable::RemoveShifter", "called by the program's own SetShiftRelativeTo, not by a run"},
        {"TppCustomCancelDialog::TimerTick/OnPrintNotify", dialogs},
        {"TppCustomForm::Activate/OnActivateNotify", dialogs},
        {"TppCustomForm::CloseQuery/OnCloseQueryNotify", dialogs},
        {"TppCustomForm::DestroyNotify/OnDestroyNotify", dialogs},
        {"TppCustomForm::DoClose/OnCloseNotify", dialogs},
        {"TppPrinterSetup::changed/OnChange", printer},
        {"TppPrinterSetup::offer/OnPageDefChanging", printer},
        {"TppPrinterSetup::pageDefChanged/OnPageDefChange", printer},
        {"TppPrinterSetup::printer/OnGetPrinter", printer},
        {"TppPrintPreview::TppPrintPreview/OnCancelRequest", dialogs},
        {"TppDevice::Notify/OnPublisherChange",
         "fires only inside the report's own destruction, as its publisher goes: the report cannot be freed "
         "again there; the device freed there is its own test"},
        {"virtual TppPrintable::Reset", "taken by Init only for the objects that answer ResetOnInit, the variables, "
                                        "whose Reset runs OnReset, swept there"},
        {"virtual TppPrintable::Compute", "taken by a calculation's own Generate, which runs OnCalc, swept there"},
        {"virtual TppPrintable::BandHook", "no routine calls it"},
        {"virtual TppPrintable::SubReportHook", "no routine calls it"},
        {"virtual TppPrintable::ReportHook", "taken by the band's UpdateCaption, a step of the designer"},
        {"virtual TppCustomText::AdjustBounds", "taken by the text's property setters, the designer's and a "
                                                "program's own, which a run does not call"},

    };
    return sites;
}

// The combinations that still end in a read of freed memory, an endless run
// or a crash, each with what goes wrong; they are skipped until mended. A
// reason names the first read the sanitizer reports: mending it may bring
// a later one to light.
const std::map<std::string, const char *> &knownFaults()
{
    static const std::map<std::string, const char *> faults = {};
    return faults;
}

enum Outcome { Ended = 0, ForeignError = 2, NotFired = 3 };

int runCombination(const Combination &aCombination, std::string &aError)
{
    Scene scene(aCombination.event->variant);
    scene.setInstall(aCombination.event->install);
    scene.setAction([&scene, aCombination] { scene.act(aCombination.object, aCombination.action); });
    if (!scene.run(aError))
        return ForeignError;
    return scene.fired() ? Ended : NotFired;
}

// The seconds a combination may run in its child process; 0 when they run
// in this one.
int isolated()
{
    const char *value = std::getenv("ZVO_HANDLER_VICTIMS_ISOLATE");
    const int seconds = value ? std::atoi(value) : 0;
    return seconds == 1 ? 20 : seconds;
}

// Runs the combination in a child process; a description of how it failed,
// empty when it ended.
std::string runInChild(const Combination &aCombination)
{
    fflush(nullptr);
    const pid_t pid = fork();
    if (pid < 0)
        return "no child process";
    if (pid == 0) {
        alarm(unsigned(isolated()));
        std::string error;
        const int outcome = runCombination(aCombination, error);
        if (!error.empty())
            fprintf(stderr, "%s\n", error.c_str());
        fflush(nullptr);
        _exit(outcome);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFSIGNALED(status))
        return WTERMSIG(status) == SIGALRM ? "no end within " + std::to_string(isolated()) + " s"
                                           : "killed by signal " + std::to_string(WTERMSIG(status));
    switch (WEXITSTATUS(status)) {
    case Ended: return {};
    case ForeignError: return "an error not of the library";
    case NotFired: return "the event never fired";
    default: return "exit status " + std::to_string(WEXITSTATUS(status)) + " (a sanitizer report?)";
    }
}

class HandlerVictims : public ::testing::TestWithParam<Combination>
{
protected:
    static void SetUpTestSuite()
    {
        ppModelLayerInit();
        ppContentLayerInit();
    }
};

TEST_P(HandlerVictims, TheRunEndsAndTouchesNothingFreed)
{
    const Combination &combination = GetParam();
    const auto known = knownFaults().find(combination.key());
    if (isolated()) {
        const std::string failure = runInChild(combination);
        if (known != knownFaults().end()) {
            if (failure.empty())
                printf("MENDED %s: remove it from the known faults\n", combination.key().c_str());
            else
                GTEST_SKIP() << "known fault: " << known->second << " (" << failure << ")";
            return;
        }
        EXPECT_TRUE(failure.empty()) << combination.key() << ": " << failure;
        return;
    }
    if (known != knownFaults().end())
        GTEST_SKIP() << "known fault: " << known->second;
    std::string error;
    const int outcome = runCombination(combination, error);
    EXPECT_NE(outcome, NotFired) << combination.key() << ": the event never fired";
    EXPECT_NE(outcome, ForeignError) << combination.key() << ": " << error;
}

void PrintTo(const Combination &aCombination, std::ostream *aOut)
{
    *aOut << aCombination.key();
}

std::string testName(const ::testing::TestParamInfo<Combination> &aInfo)
{
    std::string name = aInfo.param.key();
    for (char &c : name)
        if (!isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Sweep, HandlerVictims, ::testing::ValuesIn(combinations()), testName);

// The scene a handler disturbs runs over two pages and breaks both groups,
// so that a handler's free is followed by a page end, a later page and
// later breaks, where a freed object is looked for again.
TEST_F(HandlerVictims, TheUndisturbedSceneRunsOverTwoPagesAndBreaksBothGroups)
{
    Scene scene;
    int pages = 0;
    int outerBreaks = 0;
    scene.setInstall([&](Scene &aScene) {
        aScene.get<TppDevice>(Obj::Device)->OnPageReceive.Set([&](classes::TObject *, classes::TObject *aPage) {
            if (!static_cast<TppPage *>(aPage)->Calculation())
                ++pages;
        });
        aScene.get<TppGroup>(Obj::Outer)->AfterGroupBreak.Set([&](classes::TObject *) { ++outerBreaks; });
    });
    std::string error;
    ASSERT_TRUE(scene.run(error)) << error;
    EXPECT_EQ(pages, 2);
    EXPECT_GE(outerBreaks, 1);
}

// Every key of the known faults names a combination of the table.
TEST(HandlerVictimsTable, KnownFaultsNameCombinationsOfTheTable)
{
    std::set<std::string> keys;
    for (const Combination &combination : combinations())
        keys.insert(combination.key());
    for (const auto &[key, reason] : knownFaults())
        EXPECT_TRUE(keys.count(key)) << key;
}

// The designer paints a control from its data, and the handlers that give
// its text, lines, picture or rich text run there too. For every control
// class that paints itself and every object within such a handler's reach
// (the control, its band, the next control there, the report), a handler
// frees it while the control paints: painting must end and touch nothing
// freed. Classes whose painting calls no handler of a program are painted
// all the same, so that a handler added to them is met here.
struct PaintCase
{
    const char *control; // the class whose painting is swept
    const char *site;    // its painting, as the scan of the sources names it
    std::function<TppComponent *(TppDataPipeline &)> make;
    bool callsHandler;
    Victim victim;
    std::string key() const { return std::string(control) + "/" + victimName(victim); }
};

template <class C>
std::function<TppComponent *(TppDataPipeline &)> dataControl()
{
    return [](TppDataPipeline &aData) {
        auto *control = new C;
        control->SetDataPipeline(&aData);
        control->SetDataField(QStringLiteral("M"));
        return control;
    };
}

template <class C>
std::function<TppComponent *(TppDataPipeline &)> plainControl()
{
    return [](TppDataPipeline &) { return new C; };
}

std::vector<PaintCase> paintCases()
{
    const std::vector<PaintCase> controls = {
        {"TppLabel", "paint TppCustomText", plainControl<TppLabel>(), false, {}},
        {"TppDBText", "paint TppCustomText", dataControl<TppDBText>(), false, {}},
        {"TppDBMemo", "paint TppCustomMemo", dataControl<TppDBMemo>(), false, {}},
        {"TppDBImage", "paint TppCustomImage", dataControl<TppDBImage>(), true, {}},
        {"TppDBRichText", "paint TppCustomRichText", dataControl<TppDBRichText>(), true, {}},
        {"TppDBBarCode", "paint TppCustomBarCode", dataControl<TppDBBarCode>(), false, {}},
        {"TppRegion", "paint TppCustomRegion", plainControl<TppRegion>(), false, {}},
        {"TppShape", "paint TppShape", plainControl<TppShape>(), false, {}},
        {"TppLine", "paint TppLine", plainControl<TppLine>(), false, {}},
        {"TppSubReport", "paint TppPrintable", plainControl<TppSubReport>(), false, {}},
    };
    std::vector<PaintCase> cases;
    for (const PaintCase &control : controls)
        for (const Victim victim : {Victim::Sender, Victim::Container, Victim::NextSibling, Victim::Report}) {
            PaintCase c = control;
            c.victim = victim;
            cases.push_back(c);
        }
    return cases;
}

// Paints the case's control in a band of a report, with every handler that
// may run there freeing the case's victim the first time; true when one ran.
bool paintCase(const PaintCase &aCase)
{
    reporttest::MemoryPipeline data;
    data.AddField(QStringLiteral("M"), TppDataType::dtMemo);
    data.AddRow({QStringLiteral("Memo of 1\nits second line")});
    auto report = std::make_unique<TppReport>();
    reporttest::SetA4Portrait(*report->PrinterSetup());
    report->SetDataPipeline(&data);
    auto *band = new TppDetailBand(nullptr);
    band->SetReport(report.get());
    data.Open();
    TppComponent *control = aCase.make(data);
    // As the designer shows it, with its data.
    control->IncludeState(ppState::Design | ppState::DesignData);
    control->SetBand(band);
    control->SetBounds(0, 500, 40000, 8000);
    auto *sibling = new TppLabel;
    sibling->SetBand(band);
    sibling->SetCaption(QStringLiteral("Next"));

    bool fired = false;
    const auto handler = [&](auto &&...) {
        if (fired)
            return;
        fired = true;
        switch (aCase.victim) {
        case Victim::Sender: delete control; break;
        case Victim::Container: delete band; break;
        case Victim::NextSibling: delete sibling; break;
        default: report.reset(); break;
        }
    };
    if (auto *text = dynamic_cast<TppCustomText *>(control))
        text->OnGetText.Set(handler);
    if (auto *value = dynamic_cast<TppDBText *>(control))
        value->OnFormat.Set(handler);
    if (auto *memo = dynamic_cast<TppDBMemo *>(control))
        memo->OnGetMemo.Set(handler);
    if (auto *image = dynamic_cast<TppDBImage *>(control))
        image->OnGetPicture.Set(handler);
    if (auto *rich = dynamic_cast<TppDBRichText *>(control))
        rich->OnGetRichText.Set(handler);
    control->OnPrint.Set(handler);
    control->OnDrawCommandCreate.Set(handler);

    QImage image(200, 60, QImage::Format_RGB32);
    image.fill(Qt::white);
    gfx::Canvas canvas(&image);
    control->PaintDesignControl(canvas);
    return fired;
}

// The combinations of painting that still read freed memory, with what
// goes wrong; skipped until mended.
const std::map<std::string, const char *> &knownPaintFaults()
{
    static const std::map<std::string, const char *> faults = {};
    return faults;
}

class DesignPaintVictims : public ::testing::TestWithParam<PaintCase>
{
protected:
    static void SetUpTestSuite()
    {
        ppModelLayerInit();
        ppContentLayerInit();
    }
};

TEST_P(DesignPaintVictims, PaintingEndsAndTouchesNothingFreed)
{
    const auto known = knownPaintFaults().find(GetParam().key());
    if (known != knownPaintFaults().end())
        GTEST_SKIP() << "known fault: " << known->second;
    // The table says which classes call a program's handler as they paint:
    // one that starts or stops doing so is looked at again.
    EXPECT_EQ(paintCase(GetParam()), GetParam().callsHandler) << GetParam().key();
}

void PrintTo(const PaintCase &aCase, std::ostream *aOut)
{
    *aOut << aCase.key();
}

INSTANTIATE_TEST_SUITE_P(Paint, DesignPaintVictims, ::testing::ValuesIn(paintCases()),
                         [](const ::testing::TestParamInfo<PaintCase> &aInfo) {
                             std::string name = aInfo.param.key();
                             for (char &c : name)
                                 if (!isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return name;
                         });


// The scan finds a call-out however it is written: called directly, through
// a routine that takes the holder, through a copy, a device class, a
// control's painting and a printable's step; not the holder's declaration,
// a handler set, or a member pointer.
TEST(HandlerVictimsTable, TheScanFindsEveryFormOfACallOut)
{
    QTemporaryDir root;
    ASSERT_TRUE(QDir(root.path()).mkpath(QStringLiteral("report/model/bands")));
    const auto write = [&](const char *aPath, const char *aText) {
        QFile file(root.filePath(QString::fromLatin1(aPath)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(aText);
    };
    write("report/model/bands/Printable.h", R"(
using TppThingEvent = classes::TEvent<void(classes::TObject *, int &)>;
class TppPrintable : public TppCommunicator
{
public:
    virtual void Generate() {}
    virtual bool CanPrint() const { return true; }
    virtual void SetText(const QString &aText);
    classes::TNotifyEvent OnPrint;
    TppThingEvent OnThing;
    void fire(const classes::TNotifyEvent &aEvent, int aId);
};
class TppDevice : public TppCommunicator
{
};
class TppOwnDevice
    : public TppDevice
{
};
)");
    write("report/model/bands/Printable.cpp", R"(
void TppPrintable::DoOnPrint()
{
    // OnThing(this, n) in a comment is no call
    if (OnPrint)
        OnPrint(this);
}
void TppPrintable::Relayed()
{
    fire(OnPrint, 32);
}
void TppPrintable::Copied()
{
    const TppThingEvent thing = OnThing;
    int n = 0;
    thing(this, n);
}
void TppPrintable::NotACall()
{
    OnPrint.Set([](classes::TObject *) {});
    auto member = &TppPrintable::OnPrint;
}
void TppLabel::PaintDesignControl(gfx::Canvas &aCanvas)
{
}
)");
    std::set<std::string> names;
    for (const reporttest::CallOutSite &site : reporttest::ScanCallOutSites(root.path().toStdString()))
        names.insert(site.name);
    const std::set<std::string> expected = {
        "TppPrintable::DoOnPrint/OnPrint", "TppPrintable::Relayed/OnPrint", "TppPrintable::Copied/OnThing",
        "device TppDevice",                "device TppOwnDevice",           "paint TppLabel",
        "virtual TppPrintable::Generate",
    };
    EXPECT_EQ(names, expected);
}

// Places a program reaches outside a run, each fired by a scene of its own
// whose handler frees the victim there. A template belongs to its report,
// so freeing the report frees the sender of a template's events too.
struct SiteScene {
    const char *name;
    const char *site;
    std::vector<const char *> victims;
    // Fires the site; true once the handler freed its victim.
    std::function<bool()> run;
};

// A report with a header label and a database pipeline its template keeps
// its records in, with one record already saved.
struct TemplateScene {
    TemplateScene()
    {
        report = new TppReport(nullptr);
        report->SetName(QStringLiteral("ppReport1"));
        auto *header = new TppHeaderBand(report);
        header->SetReport(report);
        auto *label = new TppLabel(report);
        label->SetBand(header);
        store.AddField(QStringLiteral("Name"));
        store.AddField(QStringLiteral("Data"), TppDataType::dtBLOB);
        TppTemplateDBSettings &settings = *report->Template()->DatabaseSettings();
        settings.SetDataPipeline(&store);
        settings.SetName(QStringLiteral("Monthly"));
        settings.SetNameField(QStringLiteral("Name"));
        settings.SetTemplateField(QStringLiteral("Data"));
        report->Template()->SetFileName(folder.filePath(QStringLiteral("report.rtm")));
        report->Template()->SaveToDatabase();
        report->Template()->SaveToFile();
    }
    ~TemplateScene() { delete report; }

    // A handler that frees the report (and its template) the first time.
    template <typename... Args> auto freer()
    {
        return [this](Args...) {
            delete std::exchange(report, nullptr);
        };
    }

    QTemporaryDir folder;
    reporttest::MemoryPipeline store;
    TppReport *report = nullptr;
};

// A report over three records printed by the producer as a program prints
// it, with its dialogs and preview served by the test's own modal sink.
struct PrintScene {
    PrintScene()
    {
        data.SetName(QStringLiteral("Data"));
        data.AddField(QStringLiteral("Name"));
        for (const char *name : {"a", "b", "c"})
            data.AddRow({QString::fromLatin1(name)});
        report = new TppReport(nullptr);
        report->SetDataPipeline(&data);
        auto *detail = new TppDetailBand(report);
        detail->SetReport(report);
        auto *label = new TppLabel(report);
        label->SetBand(detail);
        label->SetCaption(QStringLiteral("row"));
        report->SetTextFileName(folder.filePath(QStringLiteral("out.txt")));
        report->SetDeviceType(QStringLiteral("TextFile"));
        report->SetShowCancelDialog(false);
        report->SetShowPrintDialog(false);
    }
    ~PrintScene() { delete report; }

    // A handler that frees the report the first time it runs.
    auto freer()
    {
        return [this](classes::TObject *) { delete std::exchange(report, nullptr); };
    }
    // A criterion on the data, asked before the print.
    TppAutoSearchField *searchCriterion()
    {
        report->SetShowAutoSearchDialog(true);
        return report->CreateAutoSearchCriteria(QStringLiteral("Data"), QStringLiteral("Name"),
                                                TppSearchOperatorType::soEqual, QStringLiteral("a"), false);
    }
    // Prints; true when the handler freed the report.
    bool print()
    {
        report->Print();
        return report == nullptr;
    }

    reporttest::FakePrinters printers;
    QTemporaryDir folder;
    reporttest::MemoryPipeline data;
    shell::ScriptedDialogs dialogs;
    TppReport *report = nullptr;
};

// A report over a pipeline of three records, both the program's, which a
// program moves or closes itself; the handler frees the pipeline or the
// report.
struct PipelineScene {
    PipelineScene()
    {
        data = new reporttest::MemoryPipeline;
        data->AddField(QStringLiteral("Name"));
        for (const char *name : {"a", "b", "c"})
            data->AddRow({QString::fromLatin1(name)});
        report = new TppReport(nullptr);
        report->SetDataPipeline(data);
        data->Open();
        data->First();
        data->Next();
    }
    ~PipelineScene()
    {
        delete report;
        delete data;
    }
    // Runs aStep with aEvent freeing the pipeline (aReport false) or the
    // report; true when it did.
    static bool run(classes::TNotifyEvent TppDataPipeline::*aEvent,
                    void (TppDataPipeline::*aStep)(), bool aReport)
    {
        PipelineScene scene;
        (scene.data->*aEvent).Set([&scene, aReport](classes::TObject *) {
            if (aReport)
                delete std::exchange(scene.report, nullptr);
            else
                delete std::exchange(scene.data, nullptr);
        });
        TppDataPipeline *pipeline = scene.data;
        (pipeline->*aStep)();
        return aReport ? scene.report == nullptr : scene.data == nullptr;
    }

    reporttest::MemoryPipeline *data = nullptr;
    TppReport *report = nullptr;
};

// A detail pipeline under the report's master, both the program's; the
// master moves and the detail's handler frees the detail or the report.
bool masterMoves(bool aReport)
{
    auto *master = new reporttest::MemoryPipeline;
    master->AddField(QStringLiteral("Id"), TppDataType::dtInteger);
    auto *detail = new reporttest::MemoryPipeline;
    detail->AddField(QStringLiteral("MasterId"), TppDataType::dtInteger);
    for (int id : {1, 2, 3}) {
        master->AddRow({id});
        detail->AddRow({id});
    }
    detail->AddLink(QStringLiteral("Id"), QStringLiteral("MasterId"));
    detail->SetMasterDataPipeline(master);
    auto *report = new TppReport(nullptr);
    report->SetDataPipeline(master);
    master->Open();
    detail->Open();
    master->First();
    detail->OnMasterRecordPositionChange.Set([&](classes::TObject *) {
        if (aReport)
            delete std::exchange(report, nullptr);
        else
            delete std::exchange(detail, nullptr);
    });
    master->Next();
    const bool freed = aReport ? report == nullptr : detail == nullptr;
    delete report;
    delete detail;
    delete master;
    return freed;
}

// A viewer of the program's own showing the report's pages; aStep acts on
// it (or the print brings the pages) with aEvent freeing the viewer
// (aReport false) or the report.
bool viewerScene(classes::TNotifyEvent TppViewer::*aEvent, const std::function<void(TppViewer &)> &aStep,
                 bool aReport)
{
    PrintScene scene;
    scene.report->SetDeviceType(QStringLiteral("Screen"));
    auto *viewer = new TppViewer;
    viewer->resize(600, 800);
    viewer->SetReport(scene.report);
    viewer->show();
    // Without a step the print that brings the first page is the step.
    if (aStep)
        scene.report->PrintToDevices();
    (viewer->*aEvent).Set([&](classes::TObject *) {
        if (aReport)
            delete std::exchange(scene.report, nullptr);
        else
            delete std::exchange(viewer, nullptr);
    });
    if (aStep)
        aStep(*viewer);
    else
        scene.report->PrintToDevices();
    QApplication::processEvents();
    const bool freed = aReport ? scene.report == nullptr : viewer == nullptr;
    delete viewer;
    return freed;
}

// The viewer's screen device draws the first page; its handler frees the
// viewer (and the device with it) or the report.
bool pageDrawnScene(bool aReport)
{
    PrintScene scene;
    scene.report->SetDeviceType(QStringLiteral("Screen"));
    auto *viewer = new TppViewer;
    viewer->resize(600, 800);
    viewer->SetReport(scene.report);
    viewer->show();
    viewer->ScreenDevice()->OnPageDrawn.Set([&](classes::TObject *) {
        if (aReport)
            delete std::exchange(scene.report, nullptr);
        else
            delete std::exchange(viewer, nullptr);
    });
    scene.report->PrintToDevices();
    QApplication::processEvents();
    const bool freed = aReport ? scene.report == nullptr : viewer == nullptr;
    delete viewer;
    return freed;
}

// The viewer's Cancel asks its host, whose request frees the viewer or the
// report.
bool viewerCancel(bool aReport)
{
    PrintScene scene;
    auto *viewer = new TppViewer;
    viewer->SetReport(scene.report);
    viewer->OnCancelRequest = [&] {
        if (aReport)
            delete std::exchange(scene.report, nullptr);
        else
            delete std::exchange(viewer, nullptr);
    };
    viewer->Cancel();
    const bool freed = aReport ? scene.report == nullptr : viewer == nullptr;
    delete viewer;
    return freed;
}

// A program's arrows beside an edit of its own; the owner's step frees the
// arrows or the report.
bool arrowClicked(bool aReport)
{
    PrintScene scene;
    auto *arrows = new TppUpDown;
    arrows->resize(16, 22);
    arrows->show();
    arrows->OnClick = [&](int) {
        if (aReport)
            delete std::exchange(scene.report, nullptr);
        else
            delete std::exchange(arrows, nullptr);
    };
    QTest::mousePress(arrows, Qt::LeftButton, {}, QPoint(8, 4));
    const bool freed = aReport ? scene.report == nullptr : arrows == nullptr;
    if (arrows)
        QTest::mouseRelease(arrows, Qt::LeftButton, {}, QPoint(8, 4));
    delete arrows;
    return freed;
}

// A data-aware text of a user's own class whose pipeline steps call the
// handler set for them once their own work is done.
class PipelineHookedText : public TppDBText
{
public:
    std::function<void()> hook;

    void ResolveDataPipeline(const TppDataPipelineList &aList) override
    {
        TppDBText::ResolveDataPipeline(aList);
        call();
    }
    void ReplaceDataPipeline(TppDataPipeline *aPipeline, const QString &aName) override
    {
        TppDBText::ReplaceDataPipeline(aPipeline, aName);
        call();
    }
    void ReplaceDataField(TppDataPipeline *aPipeline, const QString &aOldName, const QString &aNewName) override
    {
        TppDBText::ReplaceDataField(aPipeline, aOldName, aNewName);
        call();
    }

private:
    // The hook may free this text: nothing of it is touched afterwards.
    void call()
    {
        if (const std::function<void()> step = hook)
            step();
    }
};

// Two texts of that class on the detail band of a report over the
// program's pipeline; aStep makes the program's change, whose step frees
// the first text or the report. The walk goes on to the second text, or
// ends with the report.
bool pipelineStepScene(const std::function<void(TppReport &, TppDataPipeline &)> &aStep, bool aReport)
{
    PrintScene scene;
    auto *detail = dynamic_cast<TppDetailBand *>(scene.report->Bands(0));
    PipelineHookedText *victim = nullptr;
    for (int i = 0; i < 2; ++i) {
        auto *text = new PipelineHookedText;
        text->SetBand(detail);
        text->SetDataPipeline(&scene.data);
        text->SetDataField(QStringLiteral("Name"));
        if (!victim)
            victim = text;
    }
    victim->hook = [&] {
        if (aReport)
            delete std::exchange(scene.report, nullptr);
        else
            delete std::exchange(victim, nullptr);
    };
    aStep(*scene.report, scene.data);
    return aReport ? scene.report == nullptr : victim == nullptr;
}

// A preview of the registered plug-in on a host window of the program's,
// its viewer on the first page; aStep fires aEvent, whose handler frees the
// preview or the report.
bool previewScene(classes::TNotifyEvent TppCustomPreview::*aEvent,
                  const std::function<void(TppCustomPreview &)> &aStep, bool aReport)
{
    PrintScene scene;
    scene.printers->add("Office");
    scene.printers->setDefaultDevice("Office");
    scene.report->SetDeviceType(QStringLiteral("Screen"));
    QWidget host;
    host.resize(700, 600);
    std::unique_ptr<TppCustomPreview> preview = TppPreviewPlugIn::CreatePreview(&host);
    preview->Viewer()->SetReport(scene.report);
    preview->BeforePreview();
    host.show();
    // Without a step the print that brings the first page is the step.
    if (aStep)
        scene.report->PrintToDevices();
    ((*preview).*aEvent).Set([&](classes::TObject *) {
        if (aReport)
            delete std::exchange(scene.report, nullptr);
        else
            preview.reset();
    });
    if (aStep)
        aStep(*preview);
    else
        scene.report->PrintToDevices();
    QApplication::processEvents();
    return aReport ? scene.report == nullptr : preview == nullptr;
}

// Victims a recorded decision takes out of a site's reach, each with that
// decision: the check accepts the site without them, never without the
// other victim.
const std::map<std::string, std::map<std::string, const char *>> &excludedVictims()
{
    static const char *const ownQtEvent =
        "the viewer fires it from its own resize, a Qt event of its own: \"A window is ended from its own Qt "
        "events by closing it, not by delete\"";
    static const std::map<std::string, std::map<std::string, const char *>> excluded = {
        {"TppViewer::Resize/OnResize", {{"Sender", ownQtEvent}}},
    };
    return excluded;
}

const std::vector<SiteScene> &siteScenes()
{
    static const std::vector<SiteScene> scenes = {
        {"SaveToFileStart", "TppTemplate::save/OnSaveStart", {"Sender", "Report"},
         [] {
             TemplateScene scene;
             scene.report->Template()->OnSaveStart.Set(scene.freer<classes::TObject *, classes::TObject *>());
             scene.report->Template()->SaveToFile();
             return scene.report == nullptr;
         }},
        {"SaveToDatabaseLocate", "TppTemplate::locateRecord/OnLocateRecord", {"Sender", "Report"},
         [] {
             TemplateScene scene;
             scene.report->Template()->OnLocateRecord.Set(
                 scene.freer<classes::TObject *, const QString &, bool &>());
             scene.report->Template()->SaveToDatabase();
             return scene.report == nullptr;
         }},
        {"LoadFromDatabaseLocate", "TppTemplate::locateRecord/OnLocateRecord", {"Sender", "Report"},
         [] {
             TemplateScene scene;
             scene.report->Template()->OnLocateRecord.Set(
                 scene.freer<classes::TObject *, const QString &, bool &>());
             scene.report->Template()->LoadFromDatabase();
             return scene.report == nullptr;
         }},
        {"LoadFromDatabaseOwnerLocate", "TppTemplate::locateRecord/OwnerOnLocateRecord", {"Sender", "Report"},
         [] {
             TemplateScene scene;
             scene.report->Template()->OwnerOnLocateRecord.Set(
                 scene.freer<classes::TObject *, const QString &, bool &>());
             scene.report->Template()->LoadFromDatabase();
             return scene.report == nullptr;
         }},
        {"PrintDialogCreate", "TppProducer::DoOnPrintDialogCreate/OnPrintDialogCreate", {"Sender", "Report"},
         [] {
             PrintScene scene;
             scene.report->SetShowPrintDialog(true);
             scene.report->OnPrintDialogCreate.Set(scene.freer());
             return scene.print();
         }},
        {"PrintDialogClose", "TppProducer::DoOnPrintDialogClose/OnPrintDialogClose", {"Sender", "Report"},
         [] {
             PrintScene scene;
             scene.report->SetShowPrintDialog(true);
             scene.report->SetAllowPrintToFile(true);
             scene.dialogs.answer(ppModalResultOK);
             scene.report->OnPrintDialogClose.Set(scene.freer());
             return scene.print();
         }},
        {"CancelDialogCreate", "TppProducer::DoOnCancelDialogCreate/OnCancelDialogCreate", {"Sender", "Report"},
         [] {
             PrintScene scene;
             scene.report->SetShowCancelDialog(true);
             scene.report->OnCancelDialogCreate.Set(scene.freer());
             return scene.print();
         }},
        {"CancelButton", "TppProducer::DoOnCancel/OnCancel", {"Sender", "Report"},
         [] {
             PrintScene scene;
             scene.report->SetShowCancelDialog(true);
             scene.dialogs.drive<TppCancelDialog>([](TppCancelDialog &dialog) { dialog.btnCancel()->click(); });
             scene.report->OnCancel.Set(scene.freer());
             return scene.print();
         }},
        {"CancelDialogClose", "TppProducer::DoOnCancelDialogClose/OnCancelDialogClose", {"Sender", "Report"},
         [] {
             PrintScene scene;
             scene.report->SetShowCancelDialog(true);
             scene.dialogs.drive<TppCancelDialog>([](TppCancelDialog &dialog) { dialog.btnCancel()->click(); });
             scene.report->OnCancelDialogClose.Set(scene.freer());
             return scene.print();
         }},
        {"CancelJob", "TppDevice::CancelJob/OnCancelJob", {"Sender", "Report"},
         [] {
             PrintScene scene;
             scene.report->SetShowCancelDialog(true);
             scene.dialogs.drive<TppCancelDialog>([](TppCancelDialog &dialog) { dialog.btnCancel()->click(); });
             // The device goes with the report that made it.
             scene.report->OnCancelDialogCreate.Set([&scene](classes::TObject *) {
                 scene.report->FileDevice()->OnCancelJob.Set(scene.freer());
             });
             return scene.print();
         }},
        {"PreviewSettings", "TppProducer::DoOnAssignPreviewFormSettings/OnAssignPreviewFormSettings",
         {"Sender", "Report"},
         [] {
             PrintScene scene;
             scene.report->SetDeviceType(QStringLiteral("Screen"));
             scene.report->OnAssignPreviewFormSettings.Set(scene.freer());
             return scene.print();
         }},
        {"PreviewCreate", "TppProducer::DoOnPreviewFormCreate/OnPreviewFormCreate", {"Sender", "Report"},
         [] {
             PrintScene scene;
             scene.report->SetDeviceType(QStringLiteral("Screen"));
             scene.report->OnPreviewFormCreate.Set(scene.freer());
             return scene.print();
         }},
        {"PreviewClose", "TppProducer::DoOnPreviewFormClose/OnPreviewFormClose", {"Sender", "Report"},
         [] {
             PrintScene scene;
             scene.report->SetDeviceType(QStringLiteral("Screen"));
             // The preview left open by the script closes as with its close button.
             scene.dialogs.drive<TppPrintPreview>([](TppPrintPreview &) {});
             scene.report->OnPreviewFormClose.Set(scene.freer());
             return scene.print();
         }},
        {"PreviewSettingsChange", "TppPreviewFormSettings::changed/OnChange", {"Sender", "Report"},
         [] {
             PrintScene scene;
             scene.report->PreviewFormSettings()->OnChange.Set(scene.freer());
             scene.report->PreviewFormSettings()->SetZoomPercentage(150);
             return scene.report == nullptr;
         }},
        {"AutoSearchFieldChange", "TppAutoSearchField::changed/OnChange", {"Sender", "Report"},
         [] {
             PrintScene scene;
             scene.searchCriterion()->OnChange.Set(scene.freer());
             scene.report->AutoSearchFields(0)->SetSearchExpression(QStringLiteral("b"));
             return scene.report == nullptr;
         }},
        {"BeforeAutoSearch", "TppReport::DoBeforeAutoSearchDialogCreate/BeforeAutoSearchDialogCreate",
         {"Sender", "Report"},
         [] {
             PrintScene scene;
             scene.searchCriterion();
             scene.report->BeforeAutoSearchDialogCreate.Set(scene.freer());
             return scene.print();
         }},
        {"AfterAutoSearch", "TppReport::DoAfterAutoSearchDialogCreate/AfterAutoSearchDialogCreate", {"Sender", "Report"},
         [] {
             PrintScene scene;
             scene.searchCriterion();
             scene.report->AfterAutoSearchDialogCreate.Set(scene.freer());
             return scene.print();
         }},
        {"AutoSearchClose", "TppReport::DoOnAutoSearchDialogClose/OnAutoSearchDialogClose", {"Sender", "Report"},
         [] {
             PrintScene scene;
             scene.searchCriterion();
             scene.dialogs.drive<TppAutoSearchDialog>([](TppAutoSearchDialog &dialog) { dialog.btnOK()->click(); });
             scene.report->OnAutoSearchDialogClose.Set(scene.freer());
             return scene.print();
         }},
        {"AutoSearchValues", "TppReport::DoOnGetAutoSearchValues/OnGetAutoSearchValues", {"Sender", "Report"},
         [] {
             PrintScene scene;
             scene.searchCriterion();
             scene.dialogs.drive<TppAutoSearchDialog>([](TppAutoSearchDialog &dialog) { dialog.btnOK()->click(); });
             scene.report->OnGetAutoSearchValues.Set(scene.freer());
             return scene.print();
         }},
        {"PrinterPropertiesFreeThePrinter", "TppCustomPrinter::ShowProperties/OnDevModeChange", {"Sender"},
         [] {
             reporttest::FakePrinters printers;
             printers->add("Office");
             auto *printer = new TppPrinter;
             printer->SetPrinterName(QStringLiteral("Office"));
             const ScopedPrinterPropertiesDialog accept(
                 [](TppCustomPrinter &, std::optional<DriverSettings> &) { return true; });
             printer->OnDevModeChange.Set([&printer](classes::TObject *) { delete std::exchange(printer, nullptr); });
             printer->ShowProperties();
             delete printer;
             return printer == nullptr;
         }},
        {"PrinterPropertiesInThePrintDialog", "TppCustomPrinter::ShowProperties/OnDevModeChange", {"Report"},
         [] {
             PrintScene scene;
             scene.printers->add("Office");
             scene.printers->setDefaultDevice("Office");
             scene.report->SetDeviceType(QStringLiteral("Printer"));
             scene.report->SetShowPrintDialog(true);
             // The printer of the job goes with the report's device.
             const ScopedPrinterPropertiesDialog accept(
                 [](TppCustomPrinter &, std::optional<DriverSettings> &) { return true; });
             scene.dialogs.drive<TppPrintDialog>([&scene](TppPrintDialog &dialog) {
                 dialog.Printer->OnDevModeChange.Set(scene.freer());
                 dialog.Printer->ShowProperties();
             });
             return scene.print();
         }},
        {"LastFreesThePipeline", "TppDataPipeline::Last/OnLast", {"Sender"},
         [] { return PipelineScene::run(&TppDataPipeline::OnLast, &TppDataPipeline::Last, false); }},
        {"LastFreesTheReport", "TppDataPipeline::Last/OnLast", {"Report"},
         [] { return PipelineScene::run(&TppDataPipeline::OnLast, &TppDataPipeline::Last, true); }},
        {"PriorFreesThePipeline", "TppDataPipeline::Prior/OnPrior", {"Sender"},
         [] { return PipelineScene::run(&TppDataPipeline::OnPrior, &TppDataPipeline::Prior, false); }},
        {"PriorFreesTheReport", "TppDataPipeline::Prior/OnPrior", {"Report"},
         [] { return PipelineScene::run(&TppDataPipeline::OnPrior, &TppDataPipeline::Prior, true); }},
        {"CloseFreesThePipeline", "TppDataPipeline::Close/OnClose", {"Sender"},
         [] { return PipelineScene::run(&TppDataPipeline::OnClose, &TppDataPipeline::Close, false); }},
        {"CloseFreesTheReport", "TppDataPipeline::Close/OnClose", {"Report"},
         [] { return PipelineScene::run(&TppDataPipeline::OnClose, &TppDataPipeline::Close, true); }},
        {"MasterMovesFreeingTheDetail", "TppDataPipeline::DoOnMasterRecordPositionChange/OnMasterRecordPositionChange",
         {"Sender"}, [] { return masterMoves(false); }},
        {"MasterMovesFreeingTheReport", "TppDataPipeline::DoOnMasterRecordPositionChange/OnMasterRecordPositionChange",
         {"Report"}, [] { return masterMoves(true); }},
        {"ResetFreesTheViewer", "TppViewer::DoOnReset/OnReset", {"Sender"},
         [] { return viewerScene(&TppViewer::OnReset, [](TppViewer &viewer) { viewer.Reset(); }, false); }},
        {"ResetFreesTheReport", "TppViewer::DoOnReset/OnReset", {"Report"},
         [] { return viewerScene(&TppViewer::OnReset, [](TppViewer &viewer) { viewer.Reset(); }, true); }},
        {"RegenerateFreesTheViewer", "TppViewer::RegenerateReport/OnReset", {"Sender"},
         [] {
             return viewerScene(&TppViewer::OnReset, [](TppViewer &viewer) { viewer.RegenerateReport(); }, false);
         }},
        {"RegenerateFreesTheReport", "TppViewer::RegenerateReport/OnReset", {"Report"},
         [] { return viewerScene(&TppViewer::OnReset, [](TppViewer &viewer) { viewer.RegenerateReport(); }, true); }},
        {"PageChangeFreesTheViewer", "TppViewer::DoOnPageChange/OnPageChange", {"Sender"},
         [] { return viewerScene(&TppViewer::OnPageChange, nullptr, false); }},
        {"PageChangeFreesTheReport", "TppViewer::DoOnPageChange/OnPageChange", {"Report"},
         [] { return viewerScene(&TppViewer::OnPageChange, nullptr, true); }},
        {"StatusChangeFreesTheViewer", "TppViewer::DoOnStatusChange/OnStatusChange", {"Sender"},
         [] { return viewerScene(&TppViewer::OnStatusChange, nullptr, false); }},
        {"StatusChangeFreesTheReport", "TppViewer::DoOnStatusChange/OnStatusChange", {"Report"},
         [] { return viewerScene(&TppViewer::OnStatusChange, nullptr, true); }},
        {"PrintStateFreesTheViewer", "TppViewer::DoOnPrintStateChange/OnPrintStateChange", {"Sender"},
         [] { return viewerScene(&TppViewer::OnPrintStateChange, nullptr, false); }},
        {"PrintStateFreesTheReport", "TppViewer::DoOnPrintStateChange/OnPrintStateChange", {"Report"},
         [] { return viewerScene(&TppViewer::OnPrintStateChange, nullptr, true); }},
        {"ClickFreesTheViewer", "TppViewer::PaintBoxClick/OnClick", {"Sender"},
         [] {
             return viewerScene(
                 &TppViewer::OnClick, [](TppViewer &viewer) { QTest::mouseClick(viewer.PaintBox(), Qt::LeftButton); },
                 false);
         }},
        {"ClickFreesTheReport", "TppViewer::PaintBoxClick/OnClick", {"Report"},
         [] {
             return viewerScene(
                 &TppViewer::OnClick, [](TppViewer &viewer) { QTest::mouseClick(viewer.PaintBox(), Qt::LeftButton); },
                 true);
         }},
        {"DoubleClickFreesTheViewer", "viewerHasDisplay/OnDblClick", {"Sender"},
         [] {
             return viewerScene(
                 &TppViewer::OnDblClick,
                 [](TppViewer &viewer) { QTest::mouseDClick(viewer.PaintBox(), Qt::LeftButton); }, false);
         }},
        {"PageDrawnFreesTheViewer", "TppScreenDevice::RenderPage/OnPageDrawn", {"Sender"},
         [] { return pageDrawnScene(false); }},
        {"PageDrawnFreesTheReport", "TppScreenDevice::RenderPage/OnPageDrawn", {"Report"},
         [] { return pageDrawnScene(true); }},
        {"ViewerCancelFreesTheViewer", "TppViewer::Cancel/OnCancelRequest", {"Sender"},
         [] { return viewerCancel(false); }},
        {"ViewerCancelFreesTheReport", "TppViewer::Cancel/OnCancelRequest", {"Report"},
         [] { return viewerCancel(true); }},
        {"ArrowFreesItself", "TppUpDown::step/OnClick", {"Sender"}, [] { return arrowClicked(false); }},
        {"ArrowFreesTheReport", "TppUpDown::step/OnClick", {"Report"}, [] { return arrowClicked(true); }},
        {"ResizeFreesTheReport", "TppViewer::Resize/OnResize", {"Report"},
         [] {
             return viewerScene(&TppViewer::OnResize, [](TppViewer &viewer) { viewer.resize(640, 700); }, true);
         }},
        {"PreviewPageChangeFreesThePreview", "TppCustomPreview::PageChange/OnPageChange", {"Sender"},
         [] {
             return previewScene(&TppCustomPreview::OnPageChange,
nullptr, false);
         }},
        {"PreviewPageChangeFreesTheReport", "TppCustomPreview::PageChange/OnPageChange", {"Report"},
         [] {
             return previewScene(&TppCustomPreview::OnPageChange,
nullptr, true);
         }},
        {"PreviewCloseFreesThePreview", "TppCustomPreview::PerformPreviewAction/OnClose", {"Sender"},
         [] {
             return previewScene(
                 &TppCustomPreview::OnClose,
                 [](TppCustomPreview &preview) { preview.PerformPreviewAction(ppPreviewAction::Close); }, false);
         }},
        {"PreviewCloseFreesTheReport", "TppCustomPreview::PerformPreviewAction/OnClose", {"Report"},
         [] {
             return previewScene(
                 &TppCustomPreview::OnClose,
                 [](TppCustomPreview &preview) { preview.PerformPreviewAction(ppPreviewAction::Close); }, true);
         }},
        {"BeforePreviewPrintFreesThePreview", "TppCustomPreview::Print/OnBeforePreviewPrint", {"Sender"},
         [] {
             return previewScene(
                 &TppCustomPreview::OnBeforePreviewPrint,
                 [](TppCustomPreview &preview) { preview.PerformPreviewAction(ppPreviewAction::Print); }, false);
         }},
        {"BeforePreviewPrintFreesTheReport", "TppCustomPreview::Print/OnBeforePreviewPrint", {"Report"},
         [] {
             return previewScene(
                 &TppCustomPreview::OnBeforePreviewPrint,
                 [](TppCustomPreview &preview) { preview.PerformPreviewAction(ppPreviewAction::Print); }, true);
         }},
        {"AfterPreviewPrintFreesThePreview", "TppCustomPreview::Print/OnAfterPreviewPrint", {"Sender"},
         [] {
             return previewScene(
                 &TppCustomPreview::OnAfterPreviewPrint,
                 [](TppCustomPreview &preview) { preview.PerformPreviewAction(ppPreviewAction::Print); }, false);
         }},
        {"AfterPreviewPrintFreesTheReport", "TppCustomPreview::Print/OnAfterPreviewPrint", {"Report"},
         [] {
             return previewScene(
                 &TppCustomPreview::OnAfterPreviewPrint,
                 [](TppCustomPreview &preview) { preview.PerformPreviewAction(ppPreviewAction::Print); }, true);
         }},
        {"ReplacePipelineFreesTheText", "virtual TppPrintable::ReplaceDataPipeline", {"Sender"},
         [] {
             return pipelineStepScene(
                 [](TppReport &aReport, TppDataPipeline &aData) {
                     aReport.Bands(0)->ReplaceDataPipeline(&aData, aData.UserName());
                 },
                 false);
         }},
        {"ReplacePipelineFreesTheReport", "virtual TppPrintable::ReplaceDataPipeline", {"Report"},
         [] {
             return pipelineStepScene(
                 [](TppReport &aReport, TppDataPipeline &aData) {
                     aReport.Bands(0)->ReplaceDataPipeline(&aData, aData.UserName());
                 },
                 true);
         }},
        {"ReplaceFieldFreesTheText", "virtual TppPrintable::ReplaceDataField", {"Sender"},
         [] {
             return pipelineStepScene(
                 [](TppReport &aReport, TppDataPipeline &aData) {
                     aReport.Bands(0)->ReplaceDataField(&aData, QStringLiteral("Name"), QStringLiteral("Title"));
                 },
                 false);
         }},
        {"ReplaceFieldFreesTheReport", "virtual TppPrintable::ReplaceDataField", {"Report"},
         [] {
             return pipelineStepScene(
                 [](TppReport &aReport, TppDataPipeline &aData) {
                     aReport.Bands(0)->ReplaceDataField(&aData, QStringLiteral("Name"), QStringLiteral("Title"));
                 },
                 true);
         }},
        {"ChildTemplateLoadFreesTheReport", "TppReport::TemplateLoadRequest/OnTemplateLoad", {"Sender", "Report"},
         [] {
             // A child report kept in its template asks its main report as
             // the reader finishes it; the handler frees the main report,
             // the subreport and the child with it.
             PrintScene scene;
             auto *subreport = new TppSubReport(scene.report);
             subreport->SetBand(scene.report->Bands(0));
             TppChildReport *child = subreport->Report();
             child->SetSaveAsTemplate(true);
             scene.report->OnTemplateLoad.Set(
                 [&scene](classes::TObject *, TppCustomReport *) { delete std::exchange(scene.report, nullptr); });
             child->Loaded();
             return scene.report == nullptr;
         }},
        {"ResolvePipelinesFreesTheText", "virtual TppPrintable::ResolveDataPipeline", {"Sender"},
         [] {
             return pipelineStepScene([](TppReport &aReport, TppDataPipeline &) { aReport.ResolveDataPipelines(); },
                                      false);
         }},
        {"ResolvePipelinesFreesTheReport", "virtual TppPrintable::ResolveDataPipeline", {"Report"},
         [] {
             return pipelineStepScene([](TppReport &aReport, TppDataPipeline &) { aReport.ResolveDataPipelines(); },
                                      true);
         }},
        {"DoubleClickFreesTheReport", "viewerHasDisplay/OnDblClick", {"Report"},
         [] {
             return viewerScene(
                 &TppViewer::OnDblClick,
                 [](TppViewer &viewer) { QTest::mouseDClick(viewer.PaintBox(), Qt::LeftButton); }, true);
         }},
    };
    return scenes;
}

class SiteVictims : public ::testing::TestWithParam<SiteScene>
{
protected:
    // The dialogs, the preview and the devices a program prints through.
    static void SetUpTestSuite() { ppLibraryInit(); }
    static void TearDownTestSuite() { ppLibraryFinalize(); }
};

// The step that fired the handler ends, quietly or with the library's own
// error, and touches nothing the handler freed.
TEST_P(SiteVictims, TheStepEndsAndTouchesNothingFreed)
{
    bool freed = false;
    try {
        freed = GetParam().run();
    } catch (const EBrevantorError &) {
        freed = true;
    }
    EXPECT_TRUE(freed) << GetParam().site << " did not fire";
}

void PrintTo(const SiteScene &aScene, std::ostream *aOut)
{
    *aOut << aScene.name;
}

INSTANTIATE_TEST_SUITE_P(Site, SiteVictims, ::testing::ValuesIn(siteScenes()),
                         [](const ::testing::TestParamInfo<SiteScene> &aInfo) { return std::string(aInfo.param.name); });

// A device the program attached to a report hears the report's publisher go
// as the report is freed; its handler may free the device then.
TEST(HandlerVictimsDevice, ADeviceFreedAsItsReportsPublisherGoesIsNotTouchedAgain)
{
    ppModelLayerInit();
    auto *report = new TppReport(nullptr);
    auto *device = new TppTextFileDevice;
    device->SetPublisher(report->Publisher());
    device->OnPublisherChange.Set([&device](classes::TObject *) { delete std::exchange(device, nullptr); });
    delete report;
    EXPECT_EQ(device, nullptr);
}

// The places where the library calls out, read from its sources, and the
// sweep: each place is fired by an event of the table, with the sender and
// the report freed at least, or it stands on the unswept list with its
// reason. A new call-out that is neither fails here, by its name and place.
TEST(HandlerVictimsTable, EveryCallOutSiteIsSweptOrListedWithItsReason)
{
    const std::vector<reporttest::CallOutSite> scanned = reporttest::ScanCallOutSites(ZVO_REPORT_SOURCE_ROOT);
    // A scan that finds little has lost its way in the sources.
    ASSERT_GT(scanned.size(), 100u);
    std::map<std::string, std::set<std::string>> swept; // site -> the victims freed there
    for (const Combination &combination : combinations())
        if (combination.action == Action::Free)
            for (const std::string &site : combination.event->sites) {
                swept[site].insert(victimName(combination.victim));
                // The report as the sender goes as the victim "Report".
                if (combination.victim == Victim::Report && combination.event->sender == Obj::Report)
                    swept[site].insert("Sender");
            }
    for (const Event &event : events())
        EXPECT_FALSE(event.sites.empty()) << event.name << " names no place where the library fires it";
    for (const PaintCase &paint : paintCases()) {
        swept[paint.site].insert(victimName(paint.victim));
        if (paint.victim == Victim::Report)
            swept[paint.site].insert("Report");
    }
    for (const SiteScene &scene : siteScenes())
        for (const char *victim : scene.victims)
            swept[scene.site].insert(victim);
    std::set<std::string> names;
    for (const reporttest::CallOutSite &site : scanned) {
        names.insert(site.name);
        const auto fired = swept.find(site.name);
        const bool listed = unsweptSites().count(site.name) != 0;
        if (fired == swept.end()) {
            EXPECT_TRUE(listed) << "the call-out " << site.name << " (" << site.where
                                << ") is neither fired by the sweep nor on its unswept list with a reason";
            continue;
        }
        EXPECT_FALSE(listed) << site.name << " is swept: take it off the unswept list";
        const auto excluded = excludedVictims().find(site.name);
        for (const char *victim : {"Sender", "Report"})
            if (excluded == excludedVictims().end() || excluded->second.count(victim) == 0)
                EXPECT_TRUE(fired->second.count(victim))
                    << "the sweep does not free the " << victim << " at " << site.name;
    }
    for (const auto &[site, victims] : swept)
        EXPECT_TRUE(names.count(site)) << "the sweep names " << site << ", which the sources no longer have";
    for (const auto &[site, reason] : unsweptSites())
        EXPECT_TRUE(names.count(site)) << "the unswept list names " << site << ", which the sources no longer have";
    for (const auto &[site, victims] : excludedVictims()) {
        EXPECT_TRUE(names.count(site)) << "the excluded victims name " << site << ", which the sources no longer have";
        // Only one victim may be excluded: the other still has to be freed.
        EXPECT_EQ(victims.size(), 1u) << site;
        for (const auto &[victim, reason] : victims) {
            EXPECT_TRUE(std::strlen(reason) > 0) << site << " excludes the " << victim << " without a reason";
            EXPECT_TRUE(swept.count(site) == 0 || swept.at(site).count(victim) == 0)
                << site << " sweeps the " << victim << " it excludes: take it off the excluded victims";
        }
    }
}

} // namespace

