#include "tests/support/report/BandFakes.h"
#include "tests/support/report/FormFakes.h"
#include "tests/support/report/MemoryPipeline.h"

#include "report/content/ContentRegistration.h"
#include "report/content/drawcommands/DrawVariables.h"
#include "report/content/variables/DBCalc.h"
#include "report/content/variables/LookAheadList.h"
#include "report/content/variables/SystemVariable.h"
#include "report/content/variables/Variable.h"
#include "report/content/variables/VariablesRTTI.h"
#include "report/model/ModelRegistration.h"
#include "report/model/bands/BandClasses.h"
#include "report/model/bands/DetailBand.h"
#include "report/model/components/ComponentRegistry.h"
#include "report/model/data/PipelineList.h"
#include "report/model/forms/DialogBases.h"
#include "report/model/forms/FormClassRegistry.h"
#include "report/model/groups/Group.h"
#include "report/model/objects/EventIds.h"
#include "report/model/objects/ParamList.h"
#include "report/model/reports/Report.h"
#include "report/model/subreports/SubReport.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/ObjectText.h"
#include "platform/classes/Reader.h"
#include "platform/classes/Streams.h"
#include "platform/classes/Writer.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Variants.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace report;
using namespace reporttest;

namespace {

class Variables : public ::testing::Test
{
protected:
    Variables()
    {
        ppModelLayerInit();
        ppContentLayerInit();
        detail->SetReport(&report);
        footer->SetReport(&report);
    }
    ~Variables() override { ppContentLayerFinalize(); }

    TppVariable *variable(TppBand *aBand, const QString &aName)
    {
        auto *v = new TppVariable;
        v->SetBand(aBand);
        v->SetUserName(aName);
        return v;
    }

    // What the engine sends while the report prints.
    void send(int aEventID, TppCommunicator *aSender = nullptr)
    {
        TppCommunicator *sender = aSender ? aSender : &report;
        sender->SendEventNotify(sender, aEventID, nullptr);
    }

    rtl::ScopedNow clock{[] { return 46000.5; }};
    TppReport report;
    TppDetailBand *detail = new TppDetailBand(nullptr);
    TppFooterBand *footer = new TppFooterBand(nullptr);
};

std::vector<int> subscribedIds(const TppCommunicator &aReceiver)
{
    std::vector<int> ids;
    for (int id = 0; id < ppEvent::Count; ++id)
        if (aReceiver.IsSubscribed(id))
            ids.push_back(id);
    return ids;
}

} // namespace

TEST_F(Variables, TimingSubscribesToExactlyTheCalcAndResetEvents)
{
    TppVariable v;
    EXPECT_EQ(subscribedIds(v), (std::vector<int>{14, 35}));
    v.SetCalcType(TppVarEventType::vePageEnd);
    v.SetResetType(TppVarEventType::vePageStart);
    EXPECT_EQ(subscribedIds(v), (std::vector<int>{17, 21}));
    v.SetCalcType(TppVarEventType::veGroupEnd);
    v.SetResetType(TppVarEventType::veGroupEnd);
    EXPECT_EQ(subscribedIds(v), (std::vector<int>{27}));
    // A kind no stream should hold calculates on traversal.
    v.SetCalcType(TppVarEventType(99));
    EXPECT_EQ(v.CalcEventId(), 35);
}

TEST_F(Variables, InitBindsTheTimingAndResetRunsBeforeCalc)
{
    TppVariable *v = variable(detail, "Total");
    QStringList order;
    v->OnReset.Set([&](classes::TObject *, QVariant &) { order << "reset"; });
    v->OnCalc.Set([&](classes::TObject *, QVariant &aValue) {
        order << "calc";
        aValue = aValue.toString() + "x";
    });
    // Both on traversal: the reset comes first, then the calc.
    v->SetResetType(TppVarEventType::veTraversal);
    v->Init();
    EXPECT_EQ(v->CalcComponent(), &report);
    EXPECT_EQ(v->ResetComponent(), &report);
    report.SetPrinting(true);
    send(ppEvent::Traversal);
    send(ppEvent::Traversal);
    report.SetPrinting(false);
    EXPECT_EQ(order, QStringList({"reset", "calc", "reset", "calc"}));
    EXPECT_EQ(v->AsString(), "x");
    // Not printing: no calculation.
    send(ppEvent::Traversal);
    EXPECT_EQ(order.size(), 5);
}

TEST_F(Variables, AGroupTimingKeepsItsGroupUntilTheGroupGoes)
{
    TppVariable *v = variable(footer, "Count");
    v->SetDataType(TppDataType::dtInteger);
    v->OnCalc.Set([](classes::TObject *, QVariant &aValue) { aValue = aValue.toInt() + 1; });
    auto *group = new TppGroup;
    group->SetReport(&report);
    v->SetCalcType(TppVarEventType::veGroupEnd);
    v->SetCalcComponent(group);
    v->Init();
    EXPECT_EQ(v->CalcComponent(), group);
    report.SetPrinting(true);
    send(ppEvent::AfterGroupBreak, group);
    // The report's own events do not count for a group timing.
    send(ppEvent::AfterGroupBreak);
    EXPECT_EQ(v->AsInteger(), 1);
    delete group;
    EXPECT_EQ(v->CalcComponent(), nullptr);
    v->Init();
    send(ppEvent::Traversal);
    report.SetPrinting(false);
    EXPECT_EQ(v->AsInteger(), 0);
}

TEST_F(Variables, AnOnCalcThatLeavesTheValueDoesNotStoreItAgain)
{
    TppVariable *v = variable(detail, "Exact");
    const long double third = 1.0L / 3.0L;
    v->SetAsExtended(third);
    int calls = 0;
    v->OnCalc.Set([&](classes::TObject *, QVariant &) { ++calls; });
    v->Init();
    v->SetAsExtended(third);
    report.SetPrinting(true);
    v->Calc();
    // A handler that answers another type of value has it converted.
    v->OnCalc.Set([](classes::TObject *, QVariant &aValue) { aValue = 2; });
    v->Calc();
    const long double two = v->AsExtended();
    report.SetPrinting(false);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(two, 2.0L);
    v->SetAsExtended(third);
    v->OnCalc.Clear();
    report.SetPrinting(true);
    v->Calc();
    report.SetPrinting(false);
    EXPECT_EQ(v->AsExtended(), third); // a value through a double would have lost digits
}

TEST_F(Variables, ValuesConvertToTheDataTypeAndBadOnesAreRefused)
{
    TppVariable v;
    v.SetDataType(TppDataType::dtInteger);
    v.SetValue(QVariant(" 41 "));
    EXPECT_EQ(v.AsInteger(), 41);
    v.SetValue(QVariant());
    v.SetValue(rtl::Null());
    EXPECT_EQ(v.AsInteger(), 41);
    EXPECT_THROW(v.SetValue(QVariant("abc")), rtl::EConvertError);
    EXPECT_THROW(v.SetValue(QVariant(1e12)), rtl::EConvertError);
    EXPECT_EQ(v.AsInteger(), 41);
    v.SetDataType(TppDataType(200));
    EXPECT_EQ(v.DataType(), TppDataType::dtInteger);
    EXPECT_EQ(v.Value(), QVariant(41));

    v.SetAsCurrency(123456); // 12.3456
    EXPECT_DOUBLE_EQ(v.Value().toDouble(), 12.3456);
    v.SetAsBoolean(false);
    v.SetValue(QVariant("True"));
    EXPECT_TRUE(v.AsBoolean());
    v.SetAsChar(QChar(u'q'));
    v.SetValue(QVariant("zed"));
    EXPECT_EQ(v.AsChar(), QChar(u'z'));
    v.SetAsString("s");
    v.SetText("typed");
    EXPECT_EQ(v.AsString(), "typed");
    EXPECT_EQ(v.DataType(), TppDataType::dtString);
}

TEST_F(Variables, HugeAndUndefinedNumbersFormatWithoutFailing)
{
    TppVariable v;
    report.SetPrinting(true);
    v.SetBand(detail);
    for (double value : {1e308, -1e308, std::numeric_limits<double>::infinity(),
                         -std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN()}) {
        v.SetAsDouble(value);
        EXPECT_NO_THROW(v.GetText());
    }
    v.SetAsDouble(1e308);
    v.OnCalc.Set([](classes::TObject *, QVariant &aValue) { aValue = aValue.toDouble() * 10; });
    v.Calc();
    EXPECT_TRUE(std::isinf(v.AsDouble()));
    EXPECT_FALSE(v.GetText().isEmpty());
    report.SetPrinting(false);
}

TEST_F(Variables, CalcOrderIsTheIndexInTheBandAndDecidesWhatALaterOneReads)
{
    TppVariable *a = variable(detail, "A");
    TppVariable *b = variable(detail, "B");
    variable(detail, "C");
    TppVariable *d = variable(detail, "D");
    EXPECT_EQ(d->CalcOrder(), 3);
    a->SetCalcOrder(10);
    EXPECT_EQ(a->CalcOrder(), 3);
    a->SetCalcOrder(std::numeric_limits<int>::min());
    EXPECT_EQ(a->CalcOrder(), 0);
    a->SetCalcOrder(std::numeric_limits<int>::max());
    EXPECT_EQ(a->CalcOrder(), 3);
    EXPECT_EQ(b->GetNotifyOrderKey(), QStringLiteral("       5       0"));

    // A counts, B copies A: behind A it sees the new count, before A the old.
    a->SetDataType(TppDataType::dtInteger);
    b->SetDataType(TppDataType::dtInteger);
    a->OnCalc.Set([](classes::TObject *, QVariant &aValue) { aValue = aValue.toInt() + 1; });
    b->OnCalc.Set([a](classes::TObject *, QVariant &aValue) { aValue = a->AsInteger(); });
    const auto run = [&] {
        a->Init();
        b->Init();
        report.SetPrinting(true);
        send(ppEvent::Traversal);
        send(ppEvent::Traversal);
        report.SetPrinting(false);
        return b->AsInteger();
    };
    EXPECT_EQ(run(), 1);
    a->SetCalcOrder(0);
    EXPECT_EQ(run(), 2);
}

TEST_F(Variables, TheLookAheadKeyFollowsTheResetTiming)
{
    TppVariable *v = variable(footer, "GroupTotal");
    auto *group = new TppGroup;
    group->SetReport(&report);
    v->SetResetType(TppVarEventType::veGroupEnd);
    v->SetResetComponent(group);
    for (int i = 0; i < 3; ++i)
        group->AfterFooter();
    EXPECT_EQ(v->LookAheadKey(), QStringLiteral("       3|       0"));
    v->SetResetType(TppVarEventType::veReportEnd);
    EXPECT_EQ(v->LookAheadKey(), QStringLiteral("       0|       0"));
}

TEST_F(Variables, LookAheadSwitchesToTwoPassesAndStreamsPipelinesByName)
{
    TppVariable *v = variable(detail, "Total");
    EXPECT_EQ(report.PassSetting(), TppPassSettingType::psOnePass);
    v->SetLookAhead(true);
    EXPECT_EQ(report.PassSetting(), TppPassSettingType::psTwoPass);
    v->Init();
    ASSERT_NE(v->LookAheadList(), nullptr);

    MemoryPipeline pipeline;
    pipeline.SetName("Orders");
    v->SetCalcType(TppVarEventType::veDataPipelineTraversal);
    v->SetCalcComponent(&pipeline);
    const QByteArray text = componentStreamText(v);
    EXPECT_TRUE(text.contains("CalcDataPipelineName = 'Orders'")) << text.constData();
    EXPECT_FALSE(text.contains("CalcComponent =")) << text.constData();

    // Read back, the name finds the pipeline once the report has loaded.
    const auto readBack = [&text](TppVariable &aTarget) {
        classes::TMemoryStream source;
        source.WriteBuffer(text.constData(), text.size());
        source.SetPosition(0);
        classes::TMemoryStream binary;
        classes::ObjectTextToBinary(source, binary);
        binary.SetPosition(0);
        classes::TReader(binary).ReadRootComponent(&aTarget);
    };
    classes::TComponent owner(nullptr);
    auto *orders = new MemoryPipeline(&owner);
    orders->SetName("Orders");
    TppVariable loaded;
    readBack(loaded);
    EXPECT_EQ(loaded.CalcType(), TppVarEventType::veDataPipelineTraversal);
    EXPECT_EQ(loaded.CalcComponent(), nullptr);
    loaded.ResolveDataPipeline(TppDataPipelineList(orders));
    EXPECT_EQ(loaded.CalcComponent(), orders);
    // A name that names nothing leaves the variable deaf.
    orders->SetName("Other");
    TppVariable orphan;
    readBack(orphan);
    orphan.ResolveDataPipeline(TppDataPipelineList(orders));
    EXPECT_EQ(orphan.CalcComponent(), nullptr);
}

TEST_F(Variables, InASubreportLookAheadFollowsTheMainReportAndKeysByThePlaceInTheTree)
{
    auto *subreport = new TppSubReport;
    subreport->SetBand(detail);
    TppChildReport *child = subreport->Report();
    ASSERT_NE(child, nullptr);
    auto *rows = new TppDetailBand(nullptr);
    rows->SetReport(child);
    auto *summary = new TppFooterBand(nullptr);
    summary->SetReport(child);

    // The passes are the main report's: its second pass fills the values.
    TppVariable *v = variable(rows, "ChildTotal");
    v->SetLookAhead(true);
    EXPECT_EQ(report.PassSetting(), TppPassSettingType::psTwoPass);
    v->Init();
    EXPECT_TRUE(v->LookAheadActive());
    ASSERT_NE(v->LookAheadList(), nullptr);
    // Each run of the subreport keeps values of its own.
    QString tree;
    child->GetTreeKey(tree);
    EXPECT_EQ(tree, QStringLiteral("       0|"));
    EXPECT_EQ(v->LookAheadKey(), tree + QStringLiteral("       0|       0"));

    auto *calc = new TppDBCalc;
    calc->SetBand(summary);
    report.SetPassSetting(TppPassSettingType::psOnePass);
    calc->SetLookAhead(true);
    EXPECT_EQ(report.PassSetting(), TppPassSettingType::psTwoPass);
    calc->Init();
    EXPECT_TRUE(calc->LookAheadActive());
    EXPECT_EQ(calc->LookAheadKey(), tree + QStringLiteral("       0|       0"));

    auto *pages = new TppSystemVariable;
    pages->SetBand(summary);
    report.SetPassSetting(TppPassSettingType::psOnePass);
    pages->SetVarType(TppVarType::vtPageSetDesc);
    EXPECT_EQ(report.PassSetting(), TppPassSettingType::psTwoPass);

    // Without look-ahead there is no prefix.
    v->SetLookAhead(false);
    EXPECT_EQ(v->LookAheadKey(), QStringLiteral("       0|       0"));
}

TEST_F(Variables, TheLookAheadListSendsLaterValuesToTheCommandsOfTheirKey)
{
    TppCommunicator owner(nullptr);
    TppLookAheadList list(&owner);
    TppDrawVariable onPage;
    onPage.SetLookAheadKey("k1");
    onPage.SetLookAhead(true);
    owner.AddEventNotify(onPage.Listener());

    list.AddOrUpdate("k1", 1, "10");
    EXPECT_EQ(onPage.Text(), ""); // a new key is only held
    list.AddOrUpdate("k1", 3, "30");
    EXPECT_EQ(onPage.Text(), "30");
    EXPECT_EQ(list.GetValue("k1", "-"), "30");
    // A value of a lower traversal count changes nothing.
    list.AddOrUpdate("k1", 2, "20");
    EXPECT_EQ(onPage.Text(), "30");
    EXPECT_EQ(list.GetValue("k1", "-"), "30");
    EXPECT_EQ(list.GetValue("none", "-"), "-");

    // Another key's value ends the command's listening.
    list.AddOrUpdate("k2", 1, "5");
    list.AddOrUpdate("k2", 2, "6");
    EXPECT_EQ(onPage.Text(), "30");
    EXPECT_FALSE(onPage.Recalculate());
    EXPECT_EQ(list.GetValue("k2", "-"), "6");
    EXPECT_EQ(list.Count(), 2);
}

TEST_F(Variables, ManyLookAheadKeysKeepOneHolderEachAndFewListeners)
{
    TppCommunicator owner(nullptr);
    TppLookAheadList list(&owner);
    for (int key = 0; key < 100000; ++key) {
        const QString text = ppLookAheadKey(key, 0);
        list.AddOrUpdate(text, key, "a");
        list.AddOrUpdate(text, key + 1, "b");
    }
    EXPECT_EQ(list.Count(), 100000);
    // Keys passed over stopped listening: only the last one still does.
    EXPECT_EQ(owner.GetEventNotifyCount(), 1);
    EXPECT_EQ(list.GetValue(ppLookAheadKey(99999, 0), "-"), "b");
    list.UnsubscribeAll();
    EXPECT_EQ(owner.GetEventNotifyCount(), 0);
}

TEST_F(Variables, TheDescriptorReadsAndWritesTypedValues)
{
    EXPECT_EQ(raFindRTTI("TppVariable"), &TraTppVariableRTTI::Instance());
    ASSERT_NE(ppFindRegComponent("TppVariable"), nullptr);
    TppVariable v;
    int32_t number = 7;
    ASSERT_TRUE(TraTppVariableRTTI::Instance().SetPropValue(&v, "AsInteger", &number));
    EXPECT_EQ(v.DataType(), TppDataType::dtInteger);
    QVariant value;
    ASSERT_TRUE(TraTppVariableRTTI::Instance().GetPropValue(&v, "Value", &value));
    EXPECT_EQ(value, QVariant(7));
    EXPECT_EQ(TppVariable::DataTypeCaptions().size(), 11);
    EXPECT_EQ(TppVariable::DataTypeCaptions().front(), "Boolean");
}

namespace {

// The timing dialog a designer registers: it sees the groups and answers a
// group timing.
class TimingAnswer : public WindowlessForm<TppCustomCalcTimingDialog>
{
    ZVO_CLASS(TimingAnswer)
public:
    using WindowlessForm::WindowlessForm;
    int ShowModal() override
    {
        Offered = CalcComponents()->Count();
        CalcType = int32_t(TppVarEventType::veGroupEnd);
        CalcComponent = dynamic_cast<classes::TComponent *>(CalcComponents()->Objects(CalcComponents()->Count() - 1));
        ResetType = 99; // not a timing: the reset keeps its own
        return ModalAnswer;
    }
    static inline int Offered = 0;
};

const classes::TMetaClass &TimingAnswer::StaticClass()
{
    static const classes::TMetaClass meta =
        classes::MakeClass<TimingAnswer, TppCustomCalcTimingDialog>("TimingAnswer", [](auto &) {});
    return meta;
}

} // namespace

TEST_F(Variables, TheTimingDialogOffersTheGroupsAndItsAnswerIsTaken)
{
    TppVariable *v = variable(footer, "Total");
    EXPECT_FALSE(v->EditTiming()); // no dialog registered
    auto *group = new TppGroup;
    group->SetReport(&report);
    group->SetUserName("Group1");
    ppRegisterFormClass(TppCustomCalcTimingDialog::StaticClass(), TimingAnswer::StaticClass());
    EXPECT_TRUE(v->EditTiming());
    ppUnRegisterFormClass(TppCustomCalcTimingDialog::StaticClass());
    EXPECT_GE(TimingAnswer::Offered, 1);
    EXPECT_EQ(v->CalcType(), TppVarEventType::veGroupEnd);
    EXPECT_EQ(v->CalcComponent(), group);
    EXPECT_EQ(v->ResetType(), TppVarEventType::veReportEnd);
}
