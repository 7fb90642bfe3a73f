#include "report/model/objects/Relative.h"

#include "report/model/base/StreamUtils.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/ClassErrors.h"
#include "platform/classes/Reader.h"

#include <algorithm>

namespace report {

using classes::TComponent;

const classes::TMetaClass &TppRelative::StaticClass()
{
    static const classes::TMetaClass meta = classes::MakeClass<TppRelative, TppCommunicator>("TppRelative");
    return meta;
}

TppRelative::TppRelative(TComponent *aOwner)
    : TppCommunicator(aOwner)
{}

TppRelative::~TppRelative()
{
    BeforeDestruction();
    // A page frees thousands of commands that have left it already and
    // hold nothing.
    if (m_parent)
        SetParent(nullptr);
    if (!m_children.empty())
        freeChildren();
}

void TppRelative::freeChildren()
{
    m_freeingChildren = true;
    // Each child leaves the list as it goes; one that does not is taken off
    // here, so that the loop ends whatever the children do.
    while (!m_children.empty()) {
        TppRelative *child = m_children.back();
        delete child;
        if (!m_children.empty() && m_children.back() == child)
            m_children.pop_back();
    }
    m_freeingChildren = false;
}

bool TppRelative::isAncestorOf(const TppRelative *aRelative) const
{
    for (const TppRelative *r = aRelative; r; r = r->m_parent)
        if (r == this)
            return true;
    return false;
}

void TppRelative::SetParent(TppRelative *aParent)
{
    if (!HasParent() || (aParent && isAncestorOf(aParent)))
        return;
    if (m_parent)
        m_parent->RemoveChild(this);
    m_parent = aParent;
    if (aParent)
        aParent->AddChild(this);
}

int TppRelative::CountChildren() const
{
    return ChildCount();
}

TppRelative *TppRelative::ChildAt(int aIndex) const
{
    if (aIndex < 0 || aIndex >= ChildCount())
        throw classes::EListError("List index out of bounds (" + std::to_string(aIndex) + ")");
    return m_children[size_t(aIndex)];
}

void TppRelative::GetOtherChildren(const classes::TGetChildProc &, TComponent *) {}

int TppRelative::AddChild(TppRelative *aChild)
{
    m_children.push_back(aChild);
    return ChildCount() - 1;
}

void TppRelative::InsertChild(int aIndex, TppRelative *aChild)
{
    if (aIndex < 0 || aIndex > ChildCount())
        throw classes::EListError("List index out of bounds (" + std::to_string(aIndex) + ")");
    m_children.insert(m_children.begin() + aIndex, aChild);
}

int TppRelative::IndexOfChild(const TppRelative *aChild) const
{
    // From the back: children are freed from the last, each looking itself
    // up on its way out; from the front, freeing n children took n * n steps.
    const auto it = std::find(m_children.rbegin(), m_children.rend(), aChild);
    return int(m_children.rend() - it) - 1;
}

int TppRelative::RemoveChild(TppRelative *aChild)
{
    const int index = IndexOfChild(aChild);
    if (index >= 0)
        m_children.erase(m_children.begin() + index);
    return index;
}

void TppRelative::TransferRelatives(TppRelative *aSource)
{
    // Taking over the object itself or a descendant would free the source
    // with this object's own children.
    if (!aSource || isAncestorOf(aSource))
        return;
    m_orderedChildren = aSource->m_orderedChildren;
    SetParent(aSource->m_parent);
    freeChildren();
    const std::vector<TppRelative *> moving = aSource->m_children;
    TComponent *sourceOwner = aSource->Owner();
    for (TppRelative *child : moving) {
        if (aSource->IndexOfChild(child) < 0)
            continue;
        child->SetParent(this);
        if (child->Owner() == sourceOwner)
            child->ChangeOwner(Owner());
    }
}

void TppRelative::SetChildType(int aChildType)
{
    if (!HasParent())
        return;
    TppRelative *parent = m_parent;
    if (parent)
        parent->RemoveChild(this);
    m_childType = aChildType;
    if (parent)
        parent->AddChild(this);
}

int TppRelative::Position() const
{
    return m_parent ? m_parent->IndexOfChild(this) : -1;
}

void TppRelative::SetPosition(int aPosition)
{
    if (HasState(classes::csReading)) {
        m_storedPosition = aPosition;
        return;
    }
    moveTo(aPosition);
    PropertyChange();
}

void TppRelative::moveTo(int aPosition)
{
    if (!m_parent)
        return;
    int wanted = std::max(aPosition, 0);
    const int count = m_parent->ChildCount();
    if (count > 0 && wanted >= count)
        wanted = count - 1;
    const int current = Position();
    if (wanted == current)
        return;
    if (current >= 0)
        m_parent->RemoveChild(this);
    m_parent->InsertChild(wanted, this);
}

void TppRelative::PropertyChange()
{
    TppCommunicator::PropertyChange();
    if (m_parent)
        m_parent->PropertyChange();
    AfterPropertyChange();
}

void TppRelative::ChangeOwner(TComponent *aNewOwner)
{
    TComponent *oldOwner = Owner();
    if (oldOwner == aNewOwner)
        return;
    TppCommunicator::ChangeOwner(aNewOwner);
    const std::vector<TppRelative *> children = m_children;
    for (TppRelative *child : children)
        if (IndexOfChild(child) >= 0 && child->Owner() == oldOwner)
            child->ChangeOwner(aNewOwner);
}

void TppRelative::DefineProperties(classes::TFiler &aFiler)
{
    if (StoresDesignInfo())
        TppCommunicator::DefineProperties(aFiler);
    // Older streams stored the child type of classes that no longer publish
    // it; it is read into the field as it stands and never written.
    if (!ClassType().FindProperty(std::string_view("ChildType")))
        aFiler.DefineProperty(
            QStringLiteral("ChildType"), [this](classes::TReader &r) { m_childType = ppReadIntegerOrFloat(r); },
            nullptr, false);
}

void TppRelative::ReadState(classes::TReader &aReader)
{
    TppCommunicator::ReadState(aReader);
    const int count = ChildCount();
    if (m_orderedChildren && count > 0) {
        // A later child recorded for a slot takes it from an earlier one.
        std::vector<TppRelative *> places(size_t(count), nullptr);
        for (TppRelative *child : m_children)
            if (child->m_storedPosition >= 0 && child->m_storedPosition < count)
                places[size_t(child->m_storedPosition)] = child;
        for (int i = 0; i < count; ++i)
            if (places[size_t(i)] && IndexOfChild(places[size_t(i)]) >= 0)
                places[size_t(i)]->moveTo(i);
    }
    for (TppRelative *child : m_children)
        child->m_storedPosition = -1;
}

TComponent *TppRelative::GetParentComponent() const
{
    return m_parent;
}

void TppRelative::SetParentComponent(TComponent *aParent)
{
    if (auto *parent = dynamic_cast<TppRelative *>(aParent))
        SetParent(parent);
}

void TppRelative::GetChildren(const classes::TGetChildProc &aProc, TComponent *aRoot)
{
    for (size_t i = 0; i < m_children.size(); ++i)
        aProc(m_children[i]);
    GetOtherChildren(aProc, aRoot);
}

// ---- Descriptor -------------------------------------------------------------

TraTppRelativeRTTI::TraTppRelativeRTTI()
    : TraRTTI(&TraTppCommunicatorRTTI::Instance())
{}

const TraTppRelativeRTTI &TraTppRelativeRTTI::Instance()
{
    static const TraTppRelativeRTTI instance;
    return instance;
}

const classes::TMetaClass &TraTppRelativeRTTI::RefClass() const
{
    return TppRelative::StaticClass();
}

void TraTppRelativeRTTI::GetPropList(const classes::TMetaClass &aClass, classes::TStrings &aList) const
{
    TraRTTI::GetPropList(aClass, aList);
    for (const char *name : {"AllChildCount", "ChildCount", "ChildType", "FreeingChildren", "Index", "OrderedChildren",
                             "Parent", "Position"})
        raAddPropName(aList, QString::fromLatin1(name));
}

bool TraTppRelativeRTTI::GetPropRec(const classes::TMetaClass &aClass, const QString &aName, TraPropRec &aRec) const
{
    for (const char *name : {"AllChildCount", "ChildCount", "Index"})
        if (raSameName(aName, name)) {
            InitPropRec(QString::fromLatin1(name), TraDataType::daInteger, true, aRec);
            return true;
        }
    for (const char *name : {"FreeingChildren", "OrderedChildren"})
        if (raSameName(aName, name)) {
            InitPropRec(QString::fromLatin1(name), TraDataType::daBoolean, true, aRec);
            return true;
        }
    for (const char *name : {"ChildType", "Position"})
        if (raSameName(aName, name)) {
            InitPropRec(QString::fromLatin1(name), TraDataType::daInteger, false, aRec);
            return true;
        }
    if (raSameName(aName, "Parent")) {
        ClassPropToRec(QStringLiteral("Parent"), TppRelative::StaticClass(), false, aRec);
        return true;
    }
    return TraRTTI::GetPropRec(aClass, aName, aRec);
}

bool TraTppRelativeRTTI::GetPropValue(classes::TObject *aObject, const QString &aName,
                                      const TraValuePointer &aValue) const
{
    auto *relative = dynamic_cast<TppRelative *>(aObject);
    if (!relative)
        return TraRTTI::GetPropValue(aObject, aName, aValue);
    if (raSameName(aName, "AllChildCount"))
        raWriteValue(aValue, int32_t(relative->CountChildren()), aName);
    else if (raSameName(aName, "ChildCount"))
        raWriteValue(aValue, int32_t(relative->ChildCount()), aName);
    else if (raSameName(aName, "ChildType"))
        raWriteValue(aValue, int32_t(relative->ChildType()), aName);
    else if (raSameName(aName, "FreeingChildren"))
        raWriteValue(aValue, relative->FreeingChildren(), aName);
    else if (raSameName(aName, "Index") || raSameName(aName, "Position"))
        raWriteValue(aValue, int32_t(relative->Position()), aName);
    else if (raSameName(aName, "OrderedChildren"))
        raWriteValue(aValue, relative->OrderedChildren(), aName);
    else if (raSameName(aName, "Parent"))
        raWriteValue(aValue, relative->Parent(), aName);
    else
        return TraRTTI::GetPropValue(aObject, aName, aValue);
    return true;
}

bool TraTppRelativeRTTI::SetPropValue(classes::TObject *aObject, const QString &aName,
                                      const TraValuePointer &aValue) const
{
    auto *relative = dynamic_cast<TppRelative *>(aObject);
    if (!relative)
        return TraRTTI::SetPropValue(aObject, aName, aValue);
    if (raSameName(aName, "ChildType"))
        relative->SetChildType(raReadValue<int32_t>(aValue, aName));
    else if (raSameName(aName, "Parent"))
        relative->SetParent(raReadValue<TppRelative *>(aValue, aName));
    else if (raSameName(aName, "Position"))
        relative->SetPosition(raReadValue<int32_t>(aValue, aName));
    else
        return TraRTTI::SetPropValue(aObject, aName, aValue);
    return true;
}

} // namespace report
