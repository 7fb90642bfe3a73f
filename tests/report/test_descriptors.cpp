#include "ModelObjects.h"

#include "report/model/objects/Communicator.h"
#include "report/model/objects/Descriptors.h"
#include "report/model/objects/ParamList.h"

#include "platform/classes/StringList.h"
#include "platform/rtl/FormatSettings.h"

#include <gtest/gtest.h>

#include <thread>

using namespace report;
using modeltest::TKinds;
using modeltest::TNode;

namespace {

class Descriptors : public modeltest::ObjectModelTest
{
    rtl::ScopedFormatSettings m_settings{rtl::FormatSettingsEnUS()};
};

QStringList namesOf(const classes::TStrings &list)
{
    QStringList names;
    for (int i = 0; i < list.Count(); ++i)
        names.append(list.Strings(i));
    return names;
}

} // namespace

TEST(ParamList, BindsOnlyVariablesOfTheTypeTheCodeNames)
{
    TraParamList params;
    const int text = params.AddParam("Text", TraDataType::daString, true);
    const int flag = params.AddParam("Accept", TraDataType::daBoolean, true);
    const int kind = params.AddParam("Kind", TraDataType::daEnumerated, false, true, "TppUnitType");
    const int node = params.AddParam("Node", TraDataType::daClass, false, false, {}, &TNode::StaticClass());
    EXPECT_EQ(params.IndexOf("accept"), flag);

    QString s;
    bool b = false;
    int32_t i = 0;
    uint8_t e = 0;
    classes::TObject *o = nullptr;
    EXPECT_THROW(params.BindParamValue(text, &i), EBrevantorError);
    EXPECT_THROW(params.BindParamValue(99, &s), EBrevantorError);
    params.BindParamValue(text, &s);
    params.BindParamValue(flag, &b);
    params.BindParamValue(kind, &e);
    params.BindParamValue(node, &o);

    // Reading or writing as another type is refused, never a copy of bytes.
    EXPECT_THROW(params.ParamValue<int32_t>(text), EBrevantorError);
    EXPECT_THROW(params.SetParamValue(flag, 1.5), EBrevantorError);
    params.SetParamValue(text, QStringLiteral("abc"));
    params.SetParamValue(kind, TppUnitType::utMillimeters);
    EXPECT_EQ(s, "abc");
    EXPECT_EQ(params.ParamValue<TppUnitType>(kind), TppUnitType::utMillimeters);

    // An object reference reads as its own class, not as another.
    TNode n;
    params.SetParamValue(node, &n);
    EXPECT_EQ(params.ParamValue<TppRelative *>(node), &n);
    EXPECT_THROW(params.ParamValue<TKinds *>(node), EBrevantorError);
    params.SetParamValue(node, nullptr);
    EXPECT_EQ(params.ParamValue<TKinds *>(node), nullptr);

    params.BindParamValue(text, std::monostate());
    EXPECT_THROW(params.SetParamValue(text, QString()), EBrevantorError);
}

TEST_F(Descriptors, PublishedPropertiesByDataType)
{
    const TraRTTI &rtti = TraTComponentRTTI::Instance();
    TKinds k;
    k.Count = -12;
    k.Initial = QChar(u'A');
    k.Units = TppUnitType::utMillimeters;
    k.Visible = true;
    k.Ratio = 1.0f / 3.0f;
    k.Width = 1.0 / 3.0;
    k.Precise = 1.0L / 3.0L;
    k.Amount = 15000;
    k.Caption = "Total";
    k.Value = QVariant(2.5);
    const struct
    {
        const char *name;
        TraDataType type;
        const char *text;
    } cases[] = {
        {"Count", TraDataType::daInteger, "-12"},
        {"Initial", TraDataType::daChar, "65"},
        {"Units", TraDataType::daEnumerated, "utMillimeters"},
        {"visible", TraDataType::daBoolean, "True"}, // code 11, not 15
        {"Ratio", TraDataType::daSingle, "0.33333334"},
        {"Width", TraDataType::daDouble, "0.333333333333333"},
        {"Precise", TraDataType::daExtended, "0.333333333333333333"},
        {"Amount", TraDataType::daCurrency, "$1.50"},
        {"Stamp", TraDataType::daDouble, "0"},
        {"Caption", TraDataType::daString, "Total"},
        {"Buddy", TraDataType::daClass, ""},
        {"Value", TraDataType::daVariant, "2.5"},
        {"Big", TraDataType::daNotSupported, ""},
        {"Options", TraDataType::daNotSupported, ""},
    };
    for (const auto &c : cases) {
        TraPropRec rec;
        ASSERT_TRUE(rtti.GetPropRec(TKinds::StaticClass(), c.name, rec)) << c.name;
        EXPECT_EQ(rec.DataType, c.type) << c.name;
        EXPECT_TRUE(rec.IsPublished);
        EXPECT_EQ(rtti.PropText(&k, c.name), c.text) << c.name;
    }
    EXPECT_EQ(int(TraDataType::daBoolean), 11);
    TraPropRec rec;
    ASSERT_TRUE(rtti.GetPropRec(TKinds::StaticClass(), "VISIBLE", rec));
    EXPECT_EQ(rec.Name, "Visible");
    EXPECT_EQ(rec.TypeName, "Boolean");
    ASSERT_TRUE(rtti.GetPropRec(TKinds::StaticClass(), "Serial", rec));
    EXPECT_TRUE(rec.ReadOnly);
    EXPECT_FALSE(rtti.GetPropRec(TKinds::StaticClass(), "NoSuchName", rec));

    classes::TStringList props, events;
    rtti.GetPropList(TKinds::StaticClass(), props);
    rtti.GetEventList(TKinds::StaticClass(), events);
    const QStringList names = namesOf(props);
    EXPECT_TRUE(names.contains("Big") && names.contains("Owner"));
    EXPECT_FALSE(names.contains("Options") || names.contains("OnDone"));
    EXPECT_EQ(namesOf(events), QStringList{"OnDone"});
}

TEST_F(Descriptors, ValuesTravelInVariablesOfTheirType)
{
    const TraRTTI &rtti = TraTComponentRTTI::Instance();
    TKinds k;
    k.Amount = 15000; // 1.5
    int64_t amount = 0;
    ASSERT_TRUE(rtti.GetPropValue(&k, "Amount", &amount));
    EXPECT_EQ(amount, 15000);
    amount = 25000;
    ASSERT_TRUE(rtti.SetPropValue(&k, "amount", &amount));
    EXPECT_EQ(k.Amount, 25000);

    uint8_t units = uint8_t(TppUnitType::utMMThousandths);
    ASSERT_TRUE(rtti.SetPropValue(&k, "Units", &units));
    units = 200; // no such unit
    EXPECT_FALSE(rtti.SetPropValue(&k, "Units", &units));
    EXPECT_EQ(k.Units, TppUnitType::utMMThousandths);

    TNode buddy;
    classes::TObject *object = &buddy;
    ASSERT_TRUE(rtti.SetPropValue(&k, "Buddy", &object));
    EXPECT_EQ(k.Buddy, &buddy);

    double wrong = 0;
    EXPECT_THROW(rtti.GetPropValue(&k, "Amount", &wrong), EBrevantorError);
    EXPECT_THROW(rtti.SetPropValue(&k, "Caption", &wrong), EBrevantorError);
    int64_t big = 0;
    EXPECT_FALSE(rtti.GetPropValue(&k, "Big", &big));
    int32_t serial = 0;
    EXPECT_FALSE(rtti.SetPropValue(&k, "Serial", &serial)); // read only
    EXPECT_FALSE(rtti.GetPropValue(&k, "Missing", &serial));
    EXPECT_FALSE(rtti.GetPropValue(nullptr, "Count", &serial));

    // Tag and Owner are the component descriptor's own.
    int32_t tag = 42;
    ASSERT_TRUE(rtti.SetPropValue(&k, "TAG", &tag));
    EXPECT_EQ(k.Tag(), 42);
    TKinds owned(&k);
    ASSERT_TRUE(rtti.GetPropValue(&owned, "Owner", &object));
    EXPECT_EQ(object, &k);
}

TEST_F(Descriptors, EachAnswersItsOwnNamesAndPassesTheRest)
{
    const TraRTTI &rtti = TraTppRelativeRTTI::Instance();
    TraPropRec rec;
    ASSERT_TRUE(rtti.GetPropRec(TNode::StaticClass(), "parent", rec));
    EXPECT_EQ(rec.ClassType, &TppRelative::StaticClass());
    ASSERT_TRUE(rtti.GetPropRec(TNode::StaticClass(), "username", rec));
    EXPECT_FALSE(rec.IsPublished); // the communicator's record, not the published one
    ASSERT_TRUE(rtti.GetPropRec(TNode::StaticClass(), "ClassName", rec));
    EXPECT_EQ(rec.DataType, TraDataType::daMethod);
    EXPECT_EQ(rec.Params->ParamRec(0).Name, "Result");
    EXPECT_FALSE(rtti.GetPropRec(TNode::StaticClass(), "NoSuchName", rec));
    EXPECT_EQ(rtti.GetParams("NoSuchName"), nullptr);
    TraParamList none;
    EXPECT_FALSE(rtti.CallMethod(nullptr, "NoSuchName", none));

    classes::TStringList props;
    rtti.GetPropList(TNode::StaticClass(), props);
    const QStringList names = namesOf(props);
    for (const char *name : {"Name", "UserName", "Position", "Owner", "AllChildCount", "Parent", "Assign"})
        EXPECT_EQ(names.count(name), 1) << name;

    // Scripts move relatives through it.
    TNode root, a(nullptr, &root), b(nullptr, &root);
    int32_t front = 0;
    ASSERT_TRUE(rtti.SetPropValue(&b, "Position", &front));
    EXPECT_EQ(root.ChildAt(0), &b);
    classes::TObject *nil = nullptr;
    ASSERT_TRUE(rtti.SetPropValue(&a, "Parent", &nil));
    bool ordered = false;
    EXPECT_FALSE(rtti.SetPropValue(&root, "OrderedChildren", &ordered)); // read only
    EXPECT_EQ(rtti.PropText(&root, "AllChildCount"), "1");
}

TEST_F(Descriptors, ConstructorsAndMethodsRunThroughParameterLists)
{
    const TraRTTI &rtti = TraTppRelativeRTTI::Instance();
    TNode owner;
    TraPropRec rec;
    ASSERT_TRUE(rtti.GetPropRec(TNode::StaticClass(), "Create", rec));
    EXPECT_TRUE(rec.IsConstructor);
    ASSERT_EQ(rec.Params->Count(), 3); // "Owner", then "Class" and "Result"
    EXPECT_EQ(rec.Params->ParamRec(1).Name, "Class");
    EXPECT_EQ(rec.Params->ParamRec(2).ClassType, &TNode::StaticClass());
    classes::TObject *ownerObject = &owner, *made = nullptr;
    const classes::TMetaClass *meta = &TNode::StaticClass();
    rec.Params->BindParamValue(0, &ownerObject);
    rec.Params->BindParamValue(1, &meta);
    rec.Params->BindParamValue(2, &made);
    ASSERT_TRUE(rtti.CallMethod(nullptr, "create", *rec.Params));
    auto *node = dynamic_cast<TNode *>(made);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->Owner(), &owner);
    meta = &classes::TObject::StaticClass(); // no component
    EXPECT_THROW(rtti.CallMethod(nullptr, "Create", *rec.Params), EBrevantorError);

    auto params = rtti.GetParams("ClassName");
    QString className;
    params->BindParamValue(0, &className);
    ASSERT_TRUE(rtti.CallMethod(node, "ClassName", *params));
    EXPECT_EQ(className, "TppNode");
    TraParamList noParams;
    ASSERT_TRUE(rtti.CallMethod(node, "Free", noParams));
    EXPECT_EQ(owner.ComponentCount(), 0);
}

namespace {

// What a report class's descriptor adds: dates, an event with its id and
// parameters, an indexed property, a hidden event.
class TraKindsRTTI : public TraRTTI
{
public:
    TraKindsRTTI()
        : TraRTTI(&TraTppCommunicatorRTTI::Instance())
    {}
    const classes::TMetaClass &RefClass() const override { return TKinds::StaticClass(); }

    void GetEventList(const classes::TMetaClass &aClass, classes::TStrings &aList) const override
    {
        TraRTTI::GetEventList(aClass, aList);
        raAddPropName(aList, "OnNoData");
        raRemoveName(aList, "ondone");
    }
    bool GetPropRec(const classes::TMetaClass &aClass, const QString &aName, TraPropRec &aRec) const override
    {
        if (raSameName(aName, "Printed") || raSameName(aName, "Day") || raSameName(aName, "Clock"))
            InitPropRec(aName,
                        raSameName(aName, "Printed") ? TraDataType::daDateTime
                        : raSameName(aName, "Day")   ? TraDataType::daDate
                                                     : TraDataType::daTime,
                        true, aRec);
        else if (raSameName(aName, "OnNoData"))
            EventToRec("OnNoData", ppEvent::OnNoData, true, aRec);
        else if (raSameName(aName, "Bands"))
            ArrayPropToRec("Bands", aRec);
        else
            return TraRTTI::GetPropRec(aClass, aName, aRec);
        return true;
    }
    std::unique_ptr<TraParamList> GetParams(const QString &aName) const override
    {
        auto params = std::make_unique<TraParamList>();
        if (raSameName(aName, "OnNoData")) {
            params->AddParam("aDialog", TraDataType::daClass, false, false, {}, &classes::TComponent::StaticClass());
            params->AddParam("aShowDialog", TraDataType::daBoolean, true);
        } else if (raSameName(aName, "Bands")) {
            params->AddParam("Index", TraDataType::daInteger);
            params->AddParam("Result", TraDataType::daClass, false, false, {}, &TNode::StaticClass());
        } else {
            return TraRTTI::GetParams(aName);
        }
        return params;
    }
    bool GetPropValue(classes::TObject *aObject, const QString &aName, const TraValuePointer &aValue) const override
    {
        if (!raSameName(aName, "Printed") && !raSameName(aName, "Day") && !raSameName(aName, "Clock"))
            return TraRTTI::GetPropValue(aObject, aName, aValue);
        raWriteValue(aValue, 45356.75, aName); // 2024-03-05 18:00
        return true;
    }
};

} // namespace

TEST_F(Descriptors, DescendantsDescribeTheirOwnNames)
{
    const TraKindsRTTI rtti;
    TKinds k;
    EXPECT_EQ(rtti.PropText(&k, "printed"), "3/5/2024 6:00:00 PM");
    EXPECT_EQ(rtti.PropText(&k, "Day"), "3/5/2024");
    EXPECT_EQ(rtti.PropText(&k, "Clock"), "6:00:00 PM");
    EXPECT_EQ(rtti.PropText(&k, "Units"), "utInches");

    TraPropRec rec;
    ASSERT_TRUE(rtti.GetPropRec(TKinds::StaticClass(), "OnNoData", rec));
    EXPECT_EQ(rec.EventID, 87);
    EXPECT_TRUE(rec.Params->ParamRec(1).IsVar);
    EXPECT_EQ(rec.ClassType, nullptr); // the last parameter is no "Result"
    ASSERT_TRUE(rtti.GetPropRec(TKinds::StaticClass(), "bands", rec));
    EXPECT_TRUE(rec.IsArray);
    EXPECT_EQ(rec.ClassType, &TNode::StaticClass());

    classes::TStringList events;
    rtti.GetEventList(TKinds::StaticClass(), events);
    EXPECT_EQ(namesOf(events), QStringList{"OnNoData"});
}

namespace {

class TraSecondNodeRTTI : public TraRTTI
{
public:
    TraSecondNodeRTTI()
        : TraRTTI(&TraTppRelativeRTTI::Instance())
    {}
    const classes::TMetaClass &RefClass() const override { return TNode::StaticClass(); }
};

} // namespace

TEST(DescriptorRegistry, FirstRegistrationWins)
{
    raFreeRTTIRegistry();
    raUnRegisterRTTI(TraTObjectRTTI::Instance()); // no registry yet: nothing happens
    const TraSecondNodeRTTI first, second;
    raRegisterRTTI(first);
    raRegisterRTTI(second);
    EXPECT_EQ(raFindRTTI("tppnode"), &first);
    raUnRegisterRTTI(second); // the loser cannot take the winner's entry away
    EXPECT_EQ(raFindRTTI("TppNode"), &first);
    raUnRegisterRTTI(first);
    EXPECT_EQ(raFindRTTI("TppNode"), nullptr);

    // Threads registering at once leave one entry per class.
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 200; ++i) {
                raRegisterRTTI(i % 2 ? static_cast<const TraRTTI &>(first) : second);
                raFindRTTI("TppNode");
            }
        });
    for (std::thread &t : threads)
        t.join();
    EXPECT_EQ(raRegisteredRTTIClassNames(), QStringList{"TppNode"});
    raFreeRTTIRegistry();
}
