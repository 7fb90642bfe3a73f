#include "PipelineFixtures.h"

#include "report/model/data/DataPipelineRTTI.h"
#include "report/model/base/Exceptions.h"
#include "report/model/data/PipelineFields.h"
#include "report/model/data/PipelineList.h"
#include "report/model/base/Utils.h"

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/ObjectText.h"
#include "platform/classes/Reader.h"
#include "platform/classes/Streams.h"
#include "platform/classes/StringList.h"

#include <gtest/gtest.h>

#include <thread>

using namespace report;
using namespace pipelinetest;

namespace {

class Fields : public modeltest::ObjectModelTest
{
protected:
    void SetUp() override
    {
        ObjectModelTest::SetUp();
        classes::RegisterClasses({&MemoryPipeline::StaticClass(), &TppField::StaticClass()});
    }
};

QByteArray toText(classes::TComponent *aRoot)
{
    classes::TMemoryStream binary, text;
    binary.WriteComponent(aRoot);
    binary.SetPosition(0);
    classes::ObjectBinaryToText(binary, text);
    return QByteArray(text.Memory(), qsizetype(text.Size()));
}

class Host
    : public classes::TObject
    , public IppComponentHost
{
public:
    void EnumerateComponents(const classes::TMetaClass &aClass,
                             const std::function<void(classes::TComponent *)> &aProc) override
    {
        for (classes::TComponent *c : Shown)
            if (c->ClassType().InheritsFrom(aClass))
                aProc(c);
    }
    std::vector<classes::TComponent *> Shown;
};

} // namespace

TEST_F(Fields, SettersKeepTheirRules)
{
    MemoryPipeline p;
    p.SetUnsupportedDataTypes({TppDataType::dtGraphic});
    TppField *f = p.AddField("Amount", TppDataType::dtCurrency);
    try {
        f->SetDataType(TppDataType::dtGraphic);
        ADD_FAILURE() << "an unsupported type was taken";
    } catch (const EInvalidPropertyError &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("DataType not supported by TMemoryPipeline"));
    }
    EXPECT_EQ(f->DataType, TppDataType::dtCurrency);

    f->SetFieldName("Total"); // the alias followed the name
    EXPECT_EQ(f->FieldAlias, QStringLiteral("Total"));
    f->FieldAlias = "Sum";
    f->SetFieldName("Net");
    EXPECT_EQ(f->FieldAlias, QStringLiteral("Sum"));

    f->SetShowAllValues(true);
    f->SetMandatory(true);
    EXPECT_FALSE(f->ShowAllValues);
    f->SetShowAllValues(true);
    EXPECT_FALSE(f->Mandatory);

    TppField loose;
    EXPECT_EQ(loose.DataPipeline(), nullptr);
    EXPECT_TRUE(loose.IsNull());
    EXPECT_EQ(loose.AsString(), QString());
    EXPECT_EQ(loose.AsDouble(), 0.0);
    EXPECT_EQ(loose.AsPicture(), nullptr);
    EXPECT_FALSE(loose.Value().isValid());
    loose.SetDataType(TppDataType::dtGraphic); // no pipeline to refuse it
    EXPECT_EQ(loose.DataType, TppDataType::dtGraphic);
}

TEST_F(Fields, AssignCopiesAndIsEqualComparesEveryOwnValue)
{
    MemoryPipeline p;
    p.AddField("A");
    TppField *source = p.AddField("B", TppDataType::dtDouble, 8, "Bee");
    source->SortType = TppSortOrderType::soDescending;
    source->SearchExpression = "x > 1";
    source->Alignment = classes::TAlignment::taCenter;
    TppField loose;
    loose.Assign(source);
    EXPECT_EQ(loose.FieldAlias, QStringLiteral("Bee"));
    EXPECT_FALSE(loose.IsEqual(source)); // no parent to take position 1 in
    MemoryPipeline other;
    other.AddField("X");
    other.AddField("Y");
    auto *copy = new TppField(nullptr);
    copy->SetParent(&other);
    EXPECT_FALSE(copy->IsEqual(source));
    copy->Assign(source);
    EXPECT_EQ(copy->Position(), 1);
    EXPECT_TRUE(copy->IsEqual(source));
    // A field named as the source's alias: copying the name must not carry
    // the copied alias along as if it still followed the old name.
    MemoryPipeline third;
    third.AddField("Q");
    TppField *named = third.AddField("Bee");
    named->Assign(source);
    EXPECT_EQ(named->FieldAlias, QStringLiteral("Bee"));
    EXPECT_TRUE(named->IsEqual(source));
    copy->TableName = "T";
    EXPECT_FALSE(copy->IsEqual(source));
    EXPECT_FALSE(copy->IsEqual(nullptr));
    EXPECT_EQ(TppField::StaticClass().Properties().size() - TppRelative::StaticClass().Properties().size(), 26u);
}

TEST_F(Fields, FieldsStreamAndReadTheLegacyVisibleEntry)
{
    TppField original;
    original.SetName("Field1");
    original.SetFieldName("Price");
    original.DataType = TppDataType::dtDouble;
    original.IsDetail = true;
    original.Linkable = false;
    original.GroupOrder = 3;
    const QByteArray text = toText(&original);
    EXPECT_TRUE(text.contains("DataType = dtDouble"));
    EXPECT_FALSE(text.contains("FieldLength"));
    TppField read;
    readText(&read, QByteArray(text).replace("IsDetail = True", "IsDetail = True\n  Visible = False"));
    EXPECT_TRUE(read.IsEqual(&original));
}

TEST_F(Fields, MasterNamesStreamAndResolveAfterLoading)
{
    classes::TComponent form(nullptr);
    form.SetName("Form1");
    auto *master = new MemoryPipeline(&form);
    master->SetName("Customers");
    auto *detail = new MemoryPipeline(&form);
    detail->SetName("Orders");
    detail->SetMasterDataPipeline(master);
    const QByteArray text = toText(&form);
    EXPECT_TRUE(text.contains("MasterDataPipelineName = 'Customers'")) << text.constData();

    classes::TComponent copy(nullptr);
    readText(&copy, text);
    auto *orders = dynamic_cast<MemoryPipeline *>(copy.FindComponent(u"Orders"));
    ASSERT_NE(orders, nullptr);
    EXPECT_EQ(orders->MasterDataPipeline(), nullptr);
    EXPECT_EQ(orders->MasterDataPipelineName(), QStringLiteral("Customers"));
    orders->ResolveMasterDataPipeline(TppDataPipelineList(orders));
    EXPECT_EQ(orders->MasterDataPipeline(), copy.FindComponent(u"Customers"));

    // Older reports named the master as a reference.
    classes::TComponent old(nullptr);
    readText(&old, "object Form1: TComponent\n"
                   "  object Customers: TMemoryPipeline\n  end\n"
                   "  object Orders: TMemoryPipeline\n    MasterDataPipeline = Form1.customers\n  end\n"
                   "end\n");
    auto *legacy = dynamic_cast<MemoryPipeline *>(old.FindComponent(u"Orders"));
    ASSERT_NE(legacy, nullptr);
    legacy->ResolveMasterDataPipeline(TppDataPipelineList(legacy));
    EXPECT_EQ(legacy->MasterDataPipeline(), old.FindComponent(u"Customers"));
}

TEST_F(Fields, PipelineListsGatherVisiblePipelinesOnce)
{
    classes::TComponent form(nullptr), module(nullptr);
    form.SetName("Form1");
    module.SetName("Module1");
    auto *shown = new MemoryPipeline(&form);
    shown->SetName("Shown");
    auto *hidden = new MemoryPipeline(&form);
    hidden->SetName("Hidden");
    hidden->SetVisible(false);
    auto *elsewhere = new MemoryPipeline(&module);
    elsewhere->SetName("Elsewhere");
    classes::RegisterRootComponent(&module);
    classes::RegisterRootComponent(&form);

    ppSetMainThread();
    TppDataPipelineList list(shown);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Pipelines(0), shown);
    EXPECT_EQ(list.Strings(0), shown->GetUserName());
    EXPECT_EQ(list.GetPipelineByName("ELSEWHERE"), elsewhere);
    EXPECT_EQ(list.GetPipelineByName("Hidden"), nullptr);
    EXPECT_EQ(list.Component(), shown);

    // Off the main thread only the owner's components count.
    int counted = -1;
    std::thread([&] { counted = TppDataPipelineList(shown).Count(); }).join();
    EXPECT_EQ(counted, 1);

    Host host;
    host.Shown = {elsewhere, hidden, &module};
    shown->SetHostObject(&host);
    TppDataPipelineList hosted(shown);
    ASSERT_EQ(hosted.Count(), 1);
    EXPECT_EQ(hosted.Pipelines(0), elsewhere);
    shown->SetHostObject(nullptr);
    classes::UnRegisterRootComponent(&module);
    classes::UnRegisterRootComponent(&form);
}

TEST_F(Fields, TheDescriptorReadsValuesAndCallsByName)
{
    auto p = numbers(3);
    p->AddField("Name");
    const TraTppDataPipelineRTTI &rtti = TraTppDataPipelineRTTI::Instance();
    p->First();
    p->Next();

    auto params = rtti.GetParams("FieldValues");
    QString field = "id";
    QVariant result;
    params->SetParamValuePointer(0, &field);
    params->SetParamValuePointer(1, &result);
    ASSERT_TRUE(rtti.CallMethod(p.get(), "fieldvalues", *params));
    EXPECT_EQ(result, QVariant(1));
    field = "Name";
    ASSERT_TRUE(rtti.CallMethod(p.get(), "FieldValues", *params));
    EXPECT_EQ(result, QVariant(QString())); // null text reads as ''

    auto indexed = rtti.GetParams("Fields");
    int32_t index = 1;
    classes::TObject *object = nullptr;
    indexed->SetParamValuePointer(0, &index);
    indexed->SetParamValuePointer(1, &object);
    ASSERT_TRUE(rtti.CallMethod(p.get(), "Fields", *indexed));
    EXPECT_EQ(object, p->GetField(1));

    bool flag = true;
    EXPECT_TRUE(rtti.GetPropValue(p.get(), "EOF", &flag));
    EXPECT_FALSE(flag);
    int32_t count = 0;
    EXPECT_TRUE(rtti.GetPropValue(p.get(), "FieldCount", &count));
    EXPECT_EQ(count, 2);
    flag = false;
    EXPECT_TRUE(rtti.SetPropValue(p.get(), "SkipWhenNoRecords", &flag));
    EXPECT_FALSE(p->SkipWhenNoRecords());
    EXPECT_FALSE(rtti.SetPropValue(p.get(), "EOF", &flag));
    classes::TObject *master = p.get();
    EXPECT_FALSE(rtti.SetPropValue(p.get(), "MasterDataPipeline", &master)); // not published here

    TraPropRec rec;
    ASSERT_TRUE(rtti.GetPropRec(p->ClassType(), "OnGotoBookmark", rec));
    EXPECT_EQ(rec.EventID, ppEvent::OnGotoBookmark);
    ASSERT_TRUE(rtti.GetPropRec(p->ClassType(), "Links", rec));
    EXPECT_TRUE(rec.IsArray);
    EXPECT_EQ(rec.ClassType, &TppMasterFieldLink::StaticClass());
    classes::TStringList events;
    rtti.GetEventList(p->ClassType(), events);
    EXPECT_EQ(events.IndexOf("OnClose"), events.Count() - 1);

    TppField *name = p->GetField(1);
    QString text = "x";
    EXPECT_TRUE(TraTppFieldRTTI::Instance().GetPropValue(name, "AsString", &text));
    EXPECT_EQ(text, QString());
    classes::TObject *owner = nullptr;
    EXPECT_TRUE(TraTppFieldRTTI::Instance().GetPropValue(name, "DataPipeline", &owner));
    EXPECT_EQ(owner, p.get());
}

TEST_F(Fields, AUserNameTakenWhileLoadingIsKeptAsAsked)
{
    classes::TComponent form(nullptr);
    readText(&form, "object Form1: TComponent\n"
                    "  object First: TMemoryPipeline\n    UserName = 'Data'\n  end\n"
                    "  object Second: TMemoryPipeline\n    UserName = 'Data'\n  end\n"
                    "end\n");
    auto *first = dynamic_cast<MemoryPipeline *>(form.FindComponent(u"First"));
    auto *second = dynamic_cast<MemoryPipeline *>(form.FindComponent(u"Second"));
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->GetUserName(), QStringLiteral("Data"));
    EXPECT_EQ(first->StoredUserName(), QString());
    EXPECT_EQ(second->GetUserName(), QStringLiteral("Data1"));
    EXPECT_EQ(second->StoredUserName(), QStringLiteral("Data"));
    EXPECT_EQ(second->GetDataView(), nullptr);
}
