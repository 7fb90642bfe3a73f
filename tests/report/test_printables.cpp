#include "tests/support/report/BandFakes.h"
#include "tests/support/report/MemoryPipeline.h"
#include "tests/support/report/PageFakes.h"

#include "ModelObjects.h"

#include "report/model/bands/Printable.h"
#include "report/model/bands/PrintableRTTI.h"
#include "report/model/data/PipelineList.h"
#include "report/model/printing/PageDef.h"

#include "report/model/ModelRegistration.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/ObjectText.h"
#include "platform/classes/Reader.h"
#include "platform/classes/Streams.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <stdexcept>

using namespace report;
using namespace reporttest;

namespace {

// A printable that makes text commands; what it is can be set per test.
class TestPrintable : public TppPrintable
{
    ZVO_CLASS(TestPrintable)
public:
    explicit TestPrintable(classes::TComponent *aOwner = nullptr)
        : TppPrintable(aOwner)
    {
        SetDrawCommandClass(&StandInTextCommand::StaticClass());
    }
    bool IsDataAware() const override { return DataAware; }
    bool HasColor() const override { return Colored; }
    bool SupportsFullJustify() const override { return Justifies; }
    void withoutCommands() { SetDrawCommandClass(nullptr); }
    using TppPrintable::SetDefaultProp;
    void makeDataAware()
    {
        DataAware = true;
        MakeDataAware();
    }

    bool DataAware = false;
    bool Colored = true;
    bool Justifies = false;
};

const classes::TMetaClass &TestPrintable::StaticClass()
{
    static const classes::TMetaClass meta = classes::MakeClass<TestPrintable, TppPrintable>("TestPrintable");
    return meta;
}

// Subscribes to one event of the objects it is registered with.
class Listener : public TppCommunicator
{
public:
    explicit Listener(int aEventID)
        : TppCommunicator(nullptr)
    {
        SubscribeEvent(aEventID);
    }
    void EventNotify(TppCommunicator *aSender, int aEventID, TraParamList *aParams) override
    {
        TppCommunicator::EventNotify(aSender, aEventID, aParams);
        ++Count;
        if (aParams && aParams->Count() > 0)
            Argument = aParams->ParamValue<classes::TObject *>(0);
    }
    int Count = 0;
    classes::TObject *Argument = nullptr;
};

class Printables : public ::testing::Test
{
protected:
    std::unique_ptr<TppPage> page()
    {
        auto p = makePage(1, 0);
        TppPageDef *def = p->PageDef();
        def->SetmmWidth(210000);
        def->SetmmHeight(297000);
        def->SetmmMarginLeft(10000);
        def->SetmmMarginTop(12000);
        def->SetmmMarginRight(14000);
        def->SetmmMarginBottom(16000);
        return p;
    }

    ScopedScreenPixelsPerInch screen{96};
    StandInCommandClasses registered;
};

} // namespace

TEST_F(Printables, OnlyAVisibleObjectWithACommandClassPutsACommandOnThePage)
{
    auto target = page();
    TestPrintable none;
    none.withoutCommands();
    TestPrintable hidden;
    hidden.SetVisible(false);
    TestPrintable shown;
    for (TestPrintable *p : {&none, &hidden, &shown}) {
        p->InitDrawComponent();
        p->PrintToPage(target.get());
    }
    EXPECT_FALSE(hidden.DrawComponent());
    hidden.SetDrawComponent(true);
    hidden.PrintToPage(target.get());
    ASSERT_EQ(target->DrawCommandCount(), 1);
    TppDrawCommand *command = target->DrawCommands(0);
    EXPECT_EQ(command->Component(), &shown);
    EXPECT_EQ(command->PrintableArea(), (rtl::TRect{10000, 12000, 196000, 281000}));
    EXPECT_EQ(command->Owner(), target.get());
    EXPECT_FALSE(command->Clickable());

    // A finished object is not drawn again on the next page.
    shown.SetGenerationComplete(true);
    shown.ClearDrawComponent();
    EXPECT_FALSE(shown.DrawComponent());
}

TEST_F(Printables, ACommandIsClickableForAHandlerOrASubscriberAndCallsBackOnlyWhileTheObjectLives)
{
    auto target = page();
    auto printable = std::make_unique<TestPrintable>();
    Listener clicks(ppEvent::OnDrawCommandClick);
    printable->AddEventNotify(&clicks);
    TppDrawCommand *command = printable->CreateDrawCommand(target.get());
    EXPECT_TRUE(command->Clickable());
    command->DoOnClick();
    EXPECT_EQ(clicks.Count, 1);
    EXPECT_EQ(clicks.Argument, command);

    printable->RemoveEventNotify(&clicks);
    EXPECT_FALSE(printable->CreateDrawCommand(target.get())->Clickable());
    int handled = 0;
    classes::TObject *handledCommand = nullptr;
    printable->OnDrawCommandClick.Set([&](classes::TObject *aSender, classes::TObject *aCommand) {
        ++handled;
        handledCommand = aCommand;
        EXPECT_EQ(aSender, printable.get());
    });
    TppDrawCommand *handledByCode = printable->CreateDrawCommand(target.get());
    EXPECT_TRUE(handledByCode->Clickable());
    printable->DrawCommandClick(target.get()); // not a draw command
    EXPECT_EQ(handled, 0);
    handledByCode->DoOnClick();
    EXPECT_EQ(handled, 1);
    EXPECT_EQ(handledCommand, handledByCode);

    printable.reset();
    command->DoOnClick();
    EXPECT_EQ(clicks.Count, 1);
}

TEST_F(Printables, TheCreateEventCarriesTheNewCommandAndARaisingHandlerLeaksNothing)
{
    auto target = page();
    TestPrintable printable;
    Listener created(ppEvent::OnDrawCommandCreate);
    printable.AddEventNotify(&created);
    TppDrawCommand *seen = nullptr;
    printable.OnDrawCommandCreate.Set([&](classes::TObject *, classes::TObject *c) {
        seen = static_cast<TppDrawCommand *>(c);
        EXPECT_EQ(seen->Page(), nullptr); // before the page takes it
    });
    TppDrawCommand *command = printable.CreateDrawCommand(target.get());
    EXPECT_EQ(seen, command);
    EXPECT_EQ(created.Argument, command);

    const int living = TppLiveCount<TppDrawCommand>::Count();
    printable.OnDrawCommandCreate.Set([](classes::TObject *, classes::TObject *) { throw std::runtime_error("no"); });
    EXPECT_THROW(printable.CreateDrawCommand(target.get()), std::runtime_error);
    EXPECT_EQ(TppLiveCount<TppDrawCommand>::Count(), living);
    EXPECT_EQ(target->DrawCommandCount(), 1);
}

// The hint names what the default property holds: a data field for a
// data-aware object, the printed text for one whose default is its caption.
TEST_F(Printables, TheDefaultPropertyHintNamesWhatThePropertyHolds)
{
    ppModelLayerInit();
    TestPrintable plain;
    EXPECT_EQ(plain.GetDefaultPropHint(), QString());
    TestPrintable caption;
    caption.SetDefaultProp(QStringLiteral("Caption"), TppPropEditType(1));
    EXPECT_EQ(caption.GetDefaultPropHint(), QStringLiteral("The text this object prints"));
    TestPrintable data;
    data.makeDataAware();
    EXPECT_EQ(data.GetDefaultPropHint(), QStringLiteral("The data field whose value this object prints"));
    ppModelLayerFinalize();
}

TEST_F(Printables, GeometryKeepsItsDefaultsFlagsAndRefusals)
{
    TestPrintable p;
    EXPECT_EQ(p.mmWidth(), 17198);
    EXPECT_EQ(p.mmHeight(), 4498);

    p.SetShiftWithParent(true);
    p.SetStretchWithParent(true);
    EXPECT_FALSE(p.ShiftWithParent());
    p.SetShiftWithParent(false);
    EXPECT_TRUE(p.StretchWithParent());

    p.Colored = false;
    p.SetColor(0x0000FF);
    EXPECT_EQ(p.Color(), 0xFFFFFF);

    p.SetTextAlignment(TppTextAlignment::taCentered);
    p.SetTextAlignment(TppTextAlignment::taFullJustified);
    EXPECT_EQ(p.TextAlignment(), TppTextAlignment::taCentered);
    EXPECT_EQ(p.Alignment(), classes::TAlignment::taCenter);
    p.Justifies = true;
    p.SetTextAlignment(TppTextAlignment::taFullJustified);
    EXPECT_EQ(p.TextAlignment(), TppTextAlignment::taFullJustified);
    EXPECT_EQ(p.Alignment(), classes::TAlignment::taLeftJustify);

    p.SetUnits(TppUnitType::utMillimeters);
    p.SetLeft(12.5f);
    EXPECT_EQ(p.mmLeft(), 12500);
    for (float bad : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()}) {
        p.SetLeft(bad);
        p.SetHeight(bad);
        EXPECT_EQ(p.mmLeft(), 12500);
        EXPECT_EQ(p.mmHeight(), 4498);
    }
    p.SetWidth(std::numeric_limits<float>::max());
    EXPECT_EQ(p.mmWidth(), std::numeric_limits<int32_t>::max());
}

TEST_F(Printables, StreamsHoldTheGeometryAlwaysAndThePipelineOnlyWhenSet)
{
    TestPrintable p;
    p.SetName("Label1");
    p.SetBounds(0, 0, 1000, 2000);
    const QByteArray text = componentStreamText(&p);
    EXPECT_TRUE(text.contains("mmLeft = 0")) << text.toStdString();
    EXPECT_TRUE(text.contains("mmTop = 0"));
    EXPECT_TRUE(text.contains("mmHeight = 2000"));
    EXPECT_FALSE(text.contains("DataPipelineName"));

    MemoryPipeline pipeline;
    pipeline.SetName("Customers");
    p.SetDataPipeline(&pipeline);
    EXPECT_TRUE(componentStreamText(&p).contains("DataPipelineName = 'Customers'"));

    TestPrintable read;
    modeltest::readText(&read, "object Label1: TestPrintable\n  Alignment = taCenter\n  mmLeft = 300\n"
                               "  mmWidth = 4.6\n  ReportField = 'Amount'\n  Region = Region1\n"
                               "  DataSource = Source1\nend\n");
    EXPECT_EQ(read.Alignment(), classes::TAlignment::taCenter);
    EXPECT_EQ(read.TextAlignment(), TppTextAlignment::taCentered);
    EXPECT_EQ(read.mmLeft(), 300);
    EXPECT_EQ(read.mmWidth(), 5);
    EXPECT_EQ(read.LegacyReportField(), "Amount");
    EXPECT_EQ(read.LegacyRegionName(), "Region1");
}

TEST_F(Printables, OlderVersionsConvertTheirGeometryAndNames)
{
    for (int version : {2096, 2097}) {
        TestPrintable p;
        p.SetName("Label1");
        p.SetUserName("Caption1");
        p.SetBounds(96, 48, 192, 24);
        p.Convert(version);
        if (version == 2096) {
            EXPECT_EQ(p.mmLeft(), 25400);
            EXPECT_EQ(p.mmTop(), 12700);
            EXPECT_EQ(p.mmWidth(), 50800);
            EXPECT_EQ(p.mmHeight(), 6350);
        } else {
            EXPECT_EQ(p.mmLeft(), 96);
            EXPECT_EQ(p.mmHeight(), 24);
        }
        EXPECT_EQ(p.UserName(), "Label1");
    }
    TestPrintable early;
    modeltest::readText(&early, "object Label1: TestPrintable\n  ReportField = 'Amount'\nend\n");
    early.Convert(1269);
    EXPECT_EQ(early.DataField(), "Amount");

    TestPrintable kept;
    kept.SetName("Label2");
    kept.SetUserName("Total");
    kept.Convert(3530);
    EXPECT_EQ(kept.UserName(), "Total");
}

TEST_F(Printables, ScriptsReadTheThousandthsButMayNotWriteThem)
{
    TestPrintable p;
    p.SetmmLeft(1234);
    const TraRTTI &rtti = TraTppPrintableRTTI::Instance();
    for (const char *name : {"mmleft", "MMLEFT", "mmLeft"}) {
        int32_t value = 0;
        EXPECT_TRUE(rtti.GetPropValue(&p, name, &value));
        EXPECT_EQ(value, 1234);
        value = 5;
        EXPECT_FALSE(rtti.SetPropValue(&p, name, &value));
    }
    EXPECT_EQ(p.mmLeft(), 1234);
    TraPropRec rec;
    ASSERT_TRUE(rtti.GetPropRec(TestPrintable::StaticClass(), "ondrawcommandcreate", rec));
    EXPECT_EQ(rec.EventID, ppEvent::OnDrawCommandCreate);
    ASSERT_TRUE(rec.Params);
    EXPECT_EQ(rec.Params->ParamRec(0).Name, "aDrawCommand");
    bool wrap = true;
    EXPECT_TRUE(rtti.SetPropValue(&p, "WordWrap", &wrap));
    EXPECT_TRUE(p.WordWrap());
}

TEST_F(Printables, TheDataTypeComesFromTheBoundField)
{
    auto target = page();
    MemoryPipeline pipeline;
    pipeline.AddField("Amount", TppDataType::dtCurrency);
    TestPrintable p;
    p.makeDataAware();
    EXPECT_EQ(p.DefaultPropName(), "DataField");
    p.SetDataPipeline(&pipeline);
    pipeline.Open();
    EXPECT_EQ(p.CreateDrawCommand(target.get())->DataType(), TppDataType::dtString);
    p.SetDataField("Amount");
    EXPECT_EQ(p.CreateDrawCommand(target.get())->DataType(), TppDataType::dtCurrency);
}

TEST_F(Printables, ReceiversThatComeAndGoDuringTheCreateEventAreEachServedOnce)
{
    auto target = page();
    TestPrintable printable;
    Listener late(ppEvent::OnDrawCommandCreate);
    // The first receiver leaves and brings another in while it is told.
    class Swapping : public Listener
    {
    public:
        Swapping(TestPrintable &aSender, Listener &aOther)
            : Listener(ppEvent::OnDrawCommandCreate)
            , m_sender(aSender)
            , m_other(aOther)
        {}
        void EventNotify(TppCommunicator *aSender, int aEventID, TraParamList *aParams) override
        {
            Listener::EventNotify(aSender, aEventID, aParams);
            m_sender.RemoveEventNotify(this);
            m_sender.AddEventNotify(&m_other);
            m_sender.AddEventNotify(this);
        }

    private:
        TestPrintable &m_sender;
        Listener &m_other;
    } first(printable, late);
    printable.AddEventNotify(&first);
    printable.CreateDrawCommand(target.get());
    EXPECT_EQ(first.Count, 1);
    EXPECT_LE(late.Count, 1);
    const int lateSoFar = late.Count;
    printable.CreateDrawCommand(target.get());
    EXPECT_EQ(first.Count, 2);
    EXPECT_EQ(late.Count, lateSoFar + 1);
}

TEST_F(Printables, AnObjectFreedByItsCreateHandlerLeavesNoCommandNamingIt)
{
    auto target = page();
    auto *printable = new TestPrintable();
    Listener created(ppEvent::OnDrawCommandCreate);
    printable->AddEventNotify(&created);
    printable->OnDrawCommandCreate.Set([printable](classes::TObject *, classes::TObject *) { delete printable; });
    const int living = TppLiveCount<TppDrawCommand>::Count();
    EXPECT_EQ(printable->CreateDrawCommand(target.get()), nullptr);
    EXPECT_EQ(target->DrawCommandCount(), 0);
    EXPECT_EQ(TppLiveCount<TppDrawCommand>::Count(), living);
    EXPECT_EQ(created.Count, 0);
}

TEST_F(Printables, TheFieldIsReadInTheDesignerOnlyWhenItShowsData)
{
    MemoryPipeline pipeline;
    pipeline.AddField("Amount", TppDataType::dtCurrency, 10, "Total amount");
    TestPrintable p;
    p.makeDataAware();
    p.SetDataPipeline(&pipeline);
    p.SetDataField("Amount");
    pipeline.Open();
    EXPECT_TRUE(p.CheckForPipelineData());
    p.IncludeState(ppState::Design);
    EXPECT_FALSE(p.CheckForPipelineData());
    EXPECT_EQ(p.GetCaption(), "Total amount");
    p.IncludeState(ppState::DesignData);
    EXPECT_TRUE(p.CheckForPipelineData());
    p.ExcludeState(ppState::DesignData);
    p.SetDataField(QString());
    EXPECT_FALSE(p.CheckForPipelineData());
}

TEST_F(Printables, BindingsFollowLoadedNamesAndRenamedFieldsAndPipelines)
{
    MemoryPipeline customers, orders;
    customers.SetName("Customers");
    customers.SetUserName("Customers");
    TppDataPipelineList list(nullptr);
    list.AddPipeline(&customers);

    TestPrintable plain;
    modeltest::readText(&plain, "object Label1: TestPrintable\n  DataPipelineName = 'Customers'\nend\n");
    plain.ResolveDataPipeline(list);
    EXPECT_EQ(plain.DataPipeline(), nullptr); // not data-aware

    TestPrintable p;
    p.makeDataAware();
    modeltest::readText(&p, "object Text1: TestPrintable\n  DataPipelineName = 'Customers'\nend\n");
    p.ResolveDataPipeline(list);
    ASSERT_EQ(p.DataPipeline(), &customers);
    p.SetDataField("Amount");
    p.ReplaceDataField(&orders, "Amount", "Other");
    EXPECT_EQ(p.DataField(), "Amount");
    p.ReplaceDataField(&customers, "AMOUNT", "Total");
    EXPECT_EQ(p.DataField(), "Total");
    p.ReplaceDataPipeline(&orders, "Suppliers");
    EXPECT_EQ(p.DataPipeline(), &customers);
    p.ReplaceDataPipeline(&orders, "Customers");
    EXPECT_EQ(p.DataPipeline(), &orders);
}

TEST_F(Printables, PrintingFiresTheHandlerThenTellsTheReceivers)
{
    auto printable = std::make_unique<TestPrintable>();
    Listener printed(ppEvent::OnPrint);
    printable->AddEventNotify(&printed);
    int heardBefore = -1;
    printable->OnPrint.Set([&](classes::TObject *aSender) {
        EXPECT_EQ(aSender, printable.get());
        heardBefore = printed.Count;
    });
    printable->DoOnPrint();
    EXPECT_EQ(heardBefore, 0);
    EXPECT_EQ(printed.Count, 1);

    printable->OnPrint.Set([&](classes::TObject *) { printable.reset(); });
    printable->DoOnPrint();
    EXPECT_EQ(printed.Count, 1);
}
