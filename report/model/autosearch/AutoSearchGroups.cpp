#include "report/model/autosearch/AutoSearchGroups.h"

#include "report/model/autosearch/AutoSearchField.h"
#include "report/model/data/DataPipeline.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/ClassErrors.h"
#include "platform/classes/TypInfo.h"

namespace report {

namespace {

const classes::TPropInfo *autoSearchPipelineProp(const classes::TPersistent *aPipeline, QStringView aName,
                                                 bool aOrdinal)
{
    if (!aPipeline)
        return nullptr;
    const classes::TPropInfo *prop = classes::GetPropInfo(*aPipeline, aName);
    if (!prop)
        return nullptr;
    const classes::TTypeKind kind = prop->Kind;
    const bool ordinal = kind == classes::TTypeKind::tkInteger || kind == classes::TTypeKind::tkInt64;
    const bool text = kind == classes::TTypeKind::tkString;
    return (aOrdinal ? ordinal : text) ? prop : nullptr;
}

} // namespace

QString ppAutoSearchPipelineDescription(const classes::TPersistent *aPipeline)
{
    const classes::TPropInfo *prop = autoSearchPipelineProp(aPipeline, u"Description", false);
    return prop ? classes::GetStrProp(*aPipeline, *prop) : QString();
}

int32_t ppAutoSearchPipelineTabOrder(const classes::TPersistent *aPipeline)
{
    const classes::TPropInfo *prop = autoSearchPipelineProp(aPipeline, u"AutoSearchTabOrder", true);
    return prop ? int32_t(classes::GetOrdProp(*aPipeline, *prop)) : 0;
}

// ---- Group ---------------------------------------------------------------------------------

const classes::TMetaClass &TppAutoSearchGroup::StaticClass()
{
    using G = TppAutoSearchGroup;
    static const classes::TMetaClass meta = classes::MakeClass<G, TppRelative>("TppAutoSearchGroup", [](auto &c) {
        c.String("Description", &G::Description, &G::SetDescription);
        c.Integer("TabOrder", &G::TabOrder, &G::SetTabOrder);
    });
    return meta;
}

TppAutoSearchGroup::TppAutoSearchGroup(classes::TComponent *aOwner)
    : TppRelative(aOwner)
{}

TppAutoSearchGroup::~TppAutoSearchGroup()
{
    BeforeDestruction();
    if (FieldCount() > 0) {
        TppDataPipeline *pipeline = Fields(0)->DataPipeline();
        const classes::TPropInfo *prop = autoSearchPipelineProp(pipeline, u"AutoSearchTabOrder", true);
        if (prop && !prop->IsReadOnly())
            classes::SetOrdProp(*pipeline, *prop, m_tabOrder);
    }
    for (int i = ChildCount() - 1; i >= 0; --i) {
        TppRelative *child = ChildAt(i);
        if (child->Parent() != this) {
            RemoveChild(child);
            RemoveNotify(child);
        }
    }
}

void TppAutoSearchGroup::AddField(TppAutoSearchField *aField)
{
    if (!aField)
        return;
    AddChild(aField);
    // A report's field that goes leaves the list.
    if (aField->Parent() != this)
        AddNotify(aField);
}

TppAutoSearchField *TppAutoSearchGroup::Fields(int aIndex) const
{
    return static_cast<TppAutoSearchField *>(ChildAt(aIndex));
}

void TppAutoSearchGroup::Assign(const classes::TPersistent *aSource)
{
    const auto *source = dynamic_cast<const TppAutoSearchGroup *>(aSource);
    if (!source) {
        TppRelative::Assign(aSource);
        return;
    }
    m_description = source->m_description;
    m_tabOrder = source->m_tabOrder;
    for (int i = 0; i < source->FieldCount(); ++i) {
        auto *copy = new TppAutoSearchField(nullptr);
        copy->SetParent(this);
        copy->Assign(source->Fields(i));
    }
}

void TppAutoSearchGroup::Notify(TppCommunicator *aCommunicator, int aOperation)
{
    TppRelative::Notify(aCommunicator, aOperation);
    if (aOperation != ppNotify::Remove)
        return;
    // The field is past its own destructor: it is found by address.
    for (int i = ChildCount() - 1; i >= 0; --i)
        if (static_cast<TppCommunicator *>(ChildAt(i)) == aCommunicator)
            RemoveChild(ChildAt(i));
}

// ---- Groups --------------------------------------------------------------------------------

const classes::TMetaClass &TppAutoSearchGroups::StaticClass()
{
    static const classes::TMetaClass meta = classes::MakeClass<TppAutoSearchGroups, TppRelative>("TppAutoSearchGroups");
    return meta;
}

TppAutoSearchGroups::TppAutoSearchGroups(classes::TComponent *aOwner)
    : TppRelative(aOwner)
{}

TppAutoSearchGroups::~TppAutoSearchGroups()
{
    BeforeDestruction();
    freeGroups();
}

void TppAutoSearchGroups::freeGroups()
{
    while (ChildCount() > 0) {
        TppRelative *group = ChildAt(ChildCount() - 1);
        delete group;
        if (ChildCount() > 0 && ChildAt(ChildCount() - 1) == group)
            RemoveChild(group);
    }
}

TppAutoSearchGroup *TppAutoSearchGroups::Groups(int aIndex) const
{
    return static_cast<TppAutoSearchGroup *>(ChildAt(aIndex));
}

void TppAutoSearchGroups::CreateGroups(const std::vector<TppAutoSearchField *> &aFields)
{
    freeGroups();
    for (TppAutoSearchField *field : aFields) {
        if (!field)
            continue;
        TppDataPipeline *pipeline = field->DataPipeline();
        const QString key = ppAutoSearchPipelineDescription(pipeline);
        TppAutoSearchGroup *group = nullptr;
        for (int i = 0; i < GroupCount() && !group; ++i)
            if (Groups(i)->Description() == key)
                group = Groups(i);
        if (!group) {
            group = new TppAutoSearchGroup(nullptr);
            group->SetDescription(key);
            group->SetParent(this);
        }
        group->SetTabOrder(ppAutoSearchPipelineTabOrder(pipeline));
        group->AddField(field);
    }
}

void TppAutoSearchGroups::Assign(const classes::TPersistent *aSource)
{
    const auto *source = dynamic_cast<const TppAutoSearchGroups *>(aSource);
    if (!source) {
        TppRelative::Assign(aSource);
        return;
    }
    freeGroups();
    for (int i = 0; i < source->GroupCount(); ++i) {
        auto *group = new TppAutoSearchGroup(nullptr);
        group->SetParent(this);
        group->Assign(source->Groups(i));
    }
}

} // namespace report
