#include "ModelObjects.h"

#include "report/model/base/Types.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/ClassRegistry.h"

namespace modeltest {

using classes::MakeClass;
using classes::TClassBuilder;
using classes::TMetaClass;

namespace {

const classes::TEnumInfo &optionInfo()
{
    static const classes::TEnumInfo info(QStringLiteral("TOption"), {"opOne", "opTwo"});
    return info;
}

} // namespace

const TMetaClass &TKinds::StaticClass()
{
    static const TMetaClass meta = MakeClass<TKinds, TppCommunicator>("TKinds", [](TClassBuilder<TKinds> &c) {
        c.Integer("Count", &TKinds::Count, &TKinds::Count);
        c.Char("Initial", &TKinds::Initial, &TKinds::Initial);
        c.Enum("Units", report::EnumInfo<report::TppUnitType>(), &TKinds::Units, &TKinds::Units);
        c.Boolean("Visible", &TKinds::Visible, &TKinds::Visible);
        c.Single("Ratio", &TKinds::Ratio, &TKinds::Ratio);
        c.Double("Width", &TKinds::Width, &TKinds::Width);
        c.Extended("Precise", &TKinds::Precise, &TKinds::Precise);
        c.Currency("Amount", &TKinds::Amount, &TKinds::Amount);
        c.DateTime("Stamp", &TKinds::Stamp, &TKinds::Stamp);
        c.String("Caption", &TKinds::Caption, &TKinds::Caption);
        c.Reference("Buddy", &TKinds::Buddy, &TKinds::Buddy);
        c.Variant("Value", &TKinds::Value, &TKinds::Value);
        c.Int64("Big", &TKinds::Big, &TKinds::Big);
        c.Set("Options", optionInfo(), QStringLiteral("TOptions"), &TKinds::Options, &TKinds::Options);
        c.Event("OnDone", &TKinds::OnDone);
        c.Integer("Serial", &TKinds::Serial);
    });
    return meta;
}

const TMetaClass &TLabel::StaticClass()
{
    static const TMetaClass meta = MakeClass<TLabel, TppCommunicator>("TppLabel", [](TClassBuilder<TLabel> &c) {
        c.String("UserName", &TppCommunicator::GetUserName, &TppCommunicator::SetUserName);
    });
    return meta;
}

const TMetaClass &TNode::StaticClass()
{
    static const TMetaClass meta = MakeClass<TNode, TppRelative>("TppNode", [](TClassBuilder<TNode> &c) {
        c.String("UserName", &TppCommunicator::GetUserName, &TppCommunicator::SetUserName);
        c.Integer("Position", &TppRelative::Position, &TppRelative::SetPosition);
    });
    return meta;
}

const TMetaClass &TTypedNode::StaticClass()
{
    static const TMetaClass meta = MakeClass<TTypedNode, TNode>("TppTypedNode", [](TClassBuilder<TTypedNode> &c) {
        c.Integer("ChildType", &TppRelative::ChildType, &TppRelative::SetChildType);
    });
    return meta;
}

TNode::TNode(classes::TComponent *owner, TppRelative *parent)
    : TppRelative(owner)
{
    SetOrderedChildren(true);
    if (parent)
        SetParent(parent);
}

TNode::~TNode()
{
    if (FreeLog) {
        const bool freeing = Parent() && Parent()->FreeingChildren();
        FreeLog->append(Name() + (freeing ? QStringLiteral(" freeing") : QString()));
    }
}

void ObjectModelTest::SetUp()
{
    classes::RegisterClasses({&TNode::StaticClass(), &TTypedNode::StaticClass(), &TLabel::StaticClass()});
    m_communicators = report::TppLiveCount<TppCommunicator>::Count();
    m_relatives = report::TppLiveCount<TppRelative>::Count();
}

void ObjectModelTest::TearDown()
{
    EXPECT_EQ(report::TppLiveCount<TppCommunicator>::Count(), m_communicators) << "communicators left alive";
    EXPECT_EQ(report::TppLiveCount<TppRelative>::Count(), m_relatives) << "relatives left alive";
}

} // namespace modeltest
