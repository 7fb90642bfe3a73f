#include "report/model/outline/TreeNodeRTTI.h"

#include "report/model/outline/TreeNode.h"

#include "platform/classes/StringList.h"

namespace report {

namespace {

constexpr const char *TreeNodeWalks[] = {"GetFirstChild",  "GetLastChild", "GetLastChildDescendent", "GetNext",
                                         "GetNextSibling", "GetPrevious",  "GetPreviousSibling"};
constexpr const char *TreeNodeCounts[] = {"ChildNodeCount", "AbsoluteChildNodeCount", "Level"};

constexpr const char *TreeNodeMethods[] = {"Add", "Assign", "CloneNode"};

template <size_t N>
const char *treeNodeFind(const QString &aName, const char *const (&aNames)[N])
{
    for (const char *name : aNames)
        if (raSameName(aName, name))
            return name;
    return nullptr;
}

const char *treeNodeWalk(const QString &aName)
{
    return treeNodeFind(aName, TreeNodeWalks);
}

TppTreeNode *treeNodeWalkFrom(const TppTreeNode &aNode, const char *aWalk)
{
    const QString walk = QString::fromLatin1(aWalk);
    if (walk == QLatin1String("GetFirstChild"))
        return aNode.GetFirstChild();
    if (walk == QLatin1String("GetLastChild"))
        return aNode.GetLastChild();
    if (walk == QLatin1String("GetLastChildDescendent"))
        return aNode.GetLastChildDescendent();
    if (walk == QLatin1String("GetNext"))
        return aNode.GetNext();
    if (walk == QLatin1String("GetNextSibling"))
        return aNode.GetNextSibling();
    if (walk == QLatin1String("GetPrevious"))
        return aNode.GetPrevious();
    return aNode.GetPreviousSibling();
}

} // namespace

const TraTppTreeNodeRTTI &TraTppTreeNodeRTTI::Instance()
{
    static const TraTppTreeNodeRTTI instance;
    return instance;
}

TraTppTreeNodeRTTI::TraTppTreeNodeRTTI()
    : TraRTTI(&TraTppRelativeRTTI::Instance())
{}

const classes::TMetaClass &TraTppTreeNodeRTTI::RefClass() const
{
    return TppTreeNode::StaticClass();
}

void TraTppTreeNodeRTTI::GetPropList(const classes::TMetaClass &aClass, classes::TStrings &aList) const
{
    TraRTTI::GetPropList(aClass, aList);
    for (const char *name : {"ParentNode", "ChildNodes", "ChildNodeCount", "AbsoluteChildNodeCount", "Level"})
        raAddPropName(aList, QString::fromLatin1(name));
    for (const char *name : TreeNodeMethods)
        raAddMethodName(aList, QString::fromLatin1(name));
    for (const char *name : TreeNodeWalks)
        raAddMethodName(aList, QString::fromLatin1(name));
}

bool TraTppTreeNodeRTTI::GetPropRec(const classes::TMetaClass &aClass, const QString &aName, TraPropRec &aRec) const
{
    if (raSameName(aName, "ParentNode")) {
        ClassPropToRec(QStringLiteral("ParentNode"), TppTreeNode::StaticClass(), false, aRec);
        return true;
    }
    if (const char *count = treeNodeFind(aName, TreeNodeCounts)) {
        InitPropRec(QString::fromLatin1(count), TraDataType::daInteger, true, aRec);
        return true;
    }
    if (raSameName(aName, "ChildNodes")) {
        ArrayPropToRec(QStringLiteral("ChildNodes"), aRec);
        return true;
    }
    if (const char *method = treeNodeFind(aName, TreeNodeMethods)) {
        MethodToRec(QString::fromLatin1(method), true, aRec);
        return true;
    }
    if (const char *walk = treeNodeWalk(aName)) {
        MethodToRec(QString::fromLatin1(walk), true, aRec);
        return true;
    }
    return TraRTTI::GetPropRec(aClass, aName, aRec);
}

std::unique_ptr<TraParamList> TraTppTreeNodeRTTI::GetParams(const QString &aName) const
{
    auto params = std::make_unique<TraParamList>();
    const auto result = [&] {
        params->AddParam(QStringLiteral("Result"), TraDataType::daClass, false, false, QString(),
                         &TppTreeNode::StaticClass());
    };
    if (raSameName(aName, "ChildNodes")) {
        params->AddParam(QStringLiteral("Index"), TraDataType::daInteger);
        result();
    } else if (raSameName(aName, "Assign")) {
        params->AddParam(QStringLiteral("Source"), TraDataType::daClass, false, false, QString(),
                         &classes::TPersistent::StaticClass());
    } else if (raSameName(aName, "CloneNode")) {
        params->AddParam(QStringLiteral("aNewParent"), TraDataType::daClass, false, false, QString(),
                         &TppTreeNode::StaticClass());
        params->AddParam(QStringLiteral("aRecurse"), TraDataType::daBoolean);
        result();
    } else if (raSameName(aName, "Add") || treeNodeWalk(aName)) {
        result();
    } else {
        return TraRTTI::GetParams(aName);
    }
    return params;
}

bool TraTppTreeNodeRTTI::CallMethod(classes::TObject *aObject, const QString &aName, TraParamList &aParams) const
{
    auto *node = dynamic_cast<TppTreeNode *>(aObject);
    if (!node)
        return TraRTTI::CallMethod(aObject, aName, aParams);
    classes::TObject *result = nullptr;
    if (raSameName(aName, "ChildNodes")) {
        const int index = aParams.ParamValue<int32_t>(0);
        result = index >= 0 && index < node->ChildNodeCount() ? node->ChildNodes(index) : nullptr;
        aParams.SetParamValue(1, result);
    } else if (raSameName(aName, "Assign")) {
        classes::TPersistent *source = nullptr;
        if (!raReadObjectOf(aParams.ParamRec(0).ValuePointer, aParams.ParamRec(0).Name, source))
            return false;
        node->Assign(source);
    } else if (raSameName(aName, "CloneNode")) {
        // Another object is no parent: the call is refused rather than
        // making a clone without one.
        TppTreeNode *parent = nullptr;
        if (!raReadObjectOf(aParams.ParamRec(0).ValuePointer, aParams.ParamRec(0).Name, parent))
            return false;
        result = node->CloneNode(parent, aParams.ParamValue<bool>(1));
        aParams.SetParamValue(2, result);
    } else if (raSameName(aName, "Add")) {
        result = node->Add();
        aParams.SetParamValue(0, result);
    } else if (const char *walk = treeNodeWalk(aName)) {
        result = treeNodeWalkFrom(*node, walk);
        aParams.SetParamValue(0, result);
    } else {
        return TraRTTI::CallMethod(aObject, aName, aParams);
    }
    return true;
}

bool TraTppTreeNodeRTTI::GetPropValue(classes::TObject *aObject, const QString &aName,
                                      const TraValuePointer &aValue) const
{
    auto *node = dynamic_cast<TppTreeNode *>(aObject);
    if (!node)
        return TraRTTI::GetPropValue(aObject, aName, aValue);
    if (raSameName(aName, "ParentNode"))
        raWriteValue(aValue, static_cast<classes::TObject *>(node->ParentNode()), aName);
    else if (raSameName(aName, "ChildNodeCount"))
        raWriteValue(aValue, int32_t(node->ChildNodeCount()), aName);
    else if (raSameName(aName, "AbsoluteChildNodeCount"))
        raWriteValue(aValue, int32_t(node->AbsoluteChildNodeCount()), aName);
    else if (raSameName(aName, "Level"))
        raWriteValue(aValue, int32_t(node->Level()), aName);
    else
        return TraRTTI::GetPropValue(aObject, aName, aValue);
    return true;
}

bool TraTppTreeNodeRTTI::SetPropValue(classes::TObject *aObject, const QString &aName,
                                      const TraValuePointer &aValue) const
{
    auto *node = dynamic_cast<TppTreeNode *>(aObject);
    if (!node || !raSameName(aName, "ParentNode"))
        return TraRTTI::SetPropValue(aObject, aName, aValue);
    TppTreeNode *parent = nullptr;
    if (!raReadObjectOf(aValue, aName, parent))
        return false;
    node->SetParentNode(parent);
    return true;
}

} // namespace report
