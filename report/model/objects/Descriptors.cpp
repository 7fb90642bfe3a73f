#include "report/model/objects/Descriptors.h"

#include "platform/classes/Component.h"
#include "platform/classes/MetaClass.h"
#include "platform/classes/StringList.h"
#include "platform/classes/TypInfo.h"
#include "platform/rtl/FloatToStr.h"
#include "platform/rtl/FormatDateTime.h"
#include "platform/rtl/Variants.h"

#include <mutex>

namespace report {

using classes::TMetaClass;
using classes::TObject;
using classes::TPersistent;
using classes::TPropInfo;
using classes::TTypeKind;

namespace {

bool same(QStringView a, const char *b)
{
    return raSameName(a, b);
}

// The published property of that name of the object, when the object has
// published properties at all.
const TPropInfo *publishedProp(TObject *aObject, const QString &aName, TPersistent *&aInstance)
{
    aInstance = dynamic_cast<TPersistent *>(aObject);
    return aInstance ? aInstance->ClassType().FindProperty(aName) : nullptr;
}

bool listedKind(TTypeKind kind)
{
    switch (kind) {
    case TTypeKind::tkInteger:
    case TTypeKind::tkChar:
    case TTypeKind::tkEnumeration:
    case TTypeKind::tkFloat:
    case TTypeKind::tkString:
    case TTypeKind::tkClass:
    case TTypeKind::tkVariant:
    case TTypeKind::tkInt64: return true;
    case TTypeKind::tkUnknown:
    case TTypeKind::tkSet:
    case TTypeKind::tkMethod: break;
    }
    return false;
}

bool fitsEnumeration(const TPropInfo &prop, int64_t value)
{
    return !prop.Enum || raFitsEnumeration(*prop.Enum, value);
}

} // namespace

bool raFitsEnumeration(const classes::TEnumInfo &aInfo, int64_t aValue)
{
    return aValue >= aInfo.MinValue() && aValue <= aInfo.MaxValue();
}

bool raSameName(QStringView aName, const char *aOwnName)
{
    qsizetype i = 0;
    for (; aOwnName[i]; ++i) {
        if (i >= aName.size())
            return false;
        char16_t a = aName[i].unicode();
        char16_t b = char16_t(uint8_t(aOwnName[i]));
        if (a >= u'A' && a <= u'Z')
            a = char16_t(a + 32);
        if (b >= u'A' && b <= u'Z')
            b = char16_t(b + 32);
        if (a != b)
            return false;
    }
    return i == aName.size();
}

TraDataType raDataTypeOf(const TPropInfo &aProp)
{
    switch (aProp.Kind) {
    case TTypeKind::tkInteger: return TraDataType::daInteger;
    case TTypeKind::tkChar: return TraDataType::daChar;
    case TTypeKind::tkEnumeration: {
        const QString &typeName = aProp.Enum ? aProp.Enum->TypeName() : aProp.TypeName;
        return typeName == QLatin1String("Boolean") ? TraDataType::daBoolean : TraDataType::daEnumerated;
    }
    case TTypeKind::tkFloat:
        switch (aProp.FloatType) {
        case classes::TFloatType::ftSingle: return TraDataType::daSingle;
        case classes::TFloatType::ftDouble: return TraDataType::daDouble;
        case classes::TFloatType::ftExtended:
        case classes::TFloatType::ftComp: return TraDataType::daExtended;
        case classes::TFloatType::ftCurr: return TraDataType::daCurrency;
        }
        break;
    case TTypeKind::tkString: return TraDataType::daString;
    case TTypeKind::tkClass: return TraDataType::daClass;
    case TTypeKind::tkVariant: return TraDataType::daVariant;
    case TTypeKind::tkUnknown:
    case TTypeKind::tkSet:
    case TTypeKind::tkMethod:
    case TTypeKind::tkInt64: break;
    }
    return TraDataType::daNotSupported;
}

// ---- TraRTTI --------------------------------------------------------------

void TraRTTI::GetPropList(const TMetaClass &aClass, classes::TStrings &aList) const
{
    if (m_parent) {
        m_parent->GetPropList(aClass, aList);
        return;
    }
    for (const TPropInfo *prop : aClass.Properties())
        if (listedKind(prop->Kind))
            raAddPropName(aList, prop->Name);
}

void TraRTTI::GetEventList(const TMetaClass &aClass, classes::TStrings &aList) const
{
    if (m_parent) {
        m_parent->GetEventList(aClass, aList);
        return;
    }
    for (const TPropInfo *prop : aClass.Properties())
        if (prop->Kind == TTypeKind::tkMethod)
            raAddPropName(aList, prop->Name);
}

const TMetaClass &TraRTTI::RefClass() const
{
    return TObject::StaticClass();
}

bool TraRTTI::GetPropRec(const TMetaClass &aClass, const QString &aName, TraPropRec &aRec) const
{
    if (m_parent)
        return m_parent->GetPropRec(aClass, aName, aRec);
    const TPropInfo *prop = aClass.FindProperty(aName);
    if (!prop)
        return false;
    InitPropRec(prop->Name, raDataTypeOf(*prop), prop->IsReadOnly(), aRec);
    aRec.IsPublished = true;
    if (prop->Kind == TTypeKind::tkClass)
        aRec.ClassType = prop->Class;
    if (prop->Kind == TTypeKind::tkEnumeration)
        aRec.TypeName = prop->Enum ? prop->Enum->TypeName() : prop->TypeName;
    return true;
}

bool TraRTTI::CallMethod(TObject *aObject, const QString &aName, TraParamList &aParams) const
{
    return m_parent && m_parent->CallMethod(aObject, aName, aParams);
}

std::unique_ptr<TraParamList> TraRTTI::GetParams(const QString &aName) const
{
    return m_parent ? m_parent->GetParams(aName) : nullptr;
}

bool TraRTTI::GetPropValue(TObject *aObject, const QString &aName, const TraValuePointer &aValue) const
{
    if (m_parent)
        return m_parent->GetPropValue(aObject, aName, aValue);
    TPersistent *instance = nullptr;
    const TPropInfo *prop = publishedProp(aObject, aName, instance);
    if (!prop)
        return false;
    const QString &name = prop->Name;
    switch (raDataTypeOf(*prop)) {
    case TraDataType::daInteger: raWriteValue(aValue, int32_t(GetOrdProp(*instance, *prop)), name); break;
    case TraDataType::daChar: raWriteValue(aValue, QChar(char16_t(GetOrdProp(*instance, *prop))), name); break;
    case TraDataType::daBoolean: raWriteValue(aValue, GetOrdProp(*instance, *prop) != 0, name); break;
    case TraDataType::daEnumerated: raWriteValue(aValue, uint8_t(GetOrdProp(*instance, *prop)), name); break;
    case TraDataType::daSingle: raWriteValue(aValue, float(GetFloatProp(*instance, *prop)), name); break;
    case TraDataType::daDouble: raWriteValue(aValue, double(GetFloatProp(*instance, *prop)), name); break;
    case TraDataType::daExtended: raWriteValue(aValue, GetFloatProp(*instance, *prop), name); break;
    // Currency's ordinal is its Int64 of value x 10000.
    case TraDataType::daCurrency: raWriteValue(aValue, int64_t(GetOrdProp(*instance, *prop)), name); break;
    case TraDataType::daString: raWriteValue(aValue, GetStrProp(*instance, *prop), name); break;
    case TraDataType::daClass:
        raWriteValue(aValue, static_cast<TObject *>(GetObjectProp(*instance, *prop)), name);
        break;
    case TraDataType::daVariant: raWriteValue(aValue, GetVariantProp(*instance, *prop), name); break;
    default: return false;
    }
    return true;
}

bool TraRTTI::SetPropValue(TObject *aObject, const QString &aName, const TraValuePointer &aValue) const
{
    if (m_parent)
        return m_parent->SetPropValue(aObject, aName, aValue);
    TPersistent *instance = nullptr;
    const TPropInfo *prop = publishedProp(aObject, aName, instance);
    if (!prop || prop->IsReadOnly())
        return false;
    const QString &name = prop->Name;
    switch (raDataTypeOf(*prop)) {
    case TraDataType::daInteger: SetOrdProp(*instance, *prop, raReadValue<int32_t>(aValue, name)); break;
    case TraDataType::daChar: SetOrdProp(*instance, *prop, raReadValue<QChar>(aValue, name).unicode()); break;
    case TraDataType::daBoolean: SetOrdProp(*instance, *prop, raReadValue<bool>(aValue, name) ? 1 : 0); break;
    case TraDataType::daEnumerated: {
        const int64_t value = raReadValue<uint8_t>(aValue, name);
        if (!fitsEnumeration(*prop, value))
            return false;
        SetOrdProp(*instance, *prop, value);
        break;
    }
    case TraDataType::daSingle: SetFloatProp(*instance, *prop, raReadValue<float>(aValue, name)); break;
    case TraDataType::daDouble: SetFloatProp(*instance, *prop, raReadValue<double>(aValue, name)); break;
    case TraDataType::daExtended: SetFloatProp(*instance, *prop, raReadValue<long double>(aValue, name)); break;
    case TraDataType::daCurrency: SetOrdProp(*instance, *prop, raReadValue<int64_t>(aValue, name)); break;
    case TraDataType::daString: SetStrProp(*instance, *prop, raReadValue<QString>(aValue, name)); break;
    case TraDataType::daClass: {
        // An object of another class is refused, not stored as nil.
        TObject *object = raReadValue<TObject *>(aValue, name);
        auto *persistent = dynamic_cast<TPersistent *>(object);
        if (object && (!persistent || (prop->Class && !object->ClassType().InheritsFrom(*prop->Class))))
            return false;
        SetObjectProp(*instance, *prop, persistent);
        break;
    }
    case TraDataType::daVariant: SetVariantProp(*instance, *prop, raReadValue<QVariant>(aValue, name)); break;
    default: return false;
    }
    return true;
}

void TraRTTI::GetPropText(TObject *aObject, const QString &aName, QString &aText) const
{
    aText.clear();
    TraPropRec rec;
    if (!aObject || !GetPropRec(aObject->ClassType(), aName, rec))
        return;
    const auto read = [&](auto &value) { return GetPropValue(aObject, aName, &value); };
    switch (rec.DataType) {
    case TraDataType::daInteger: {
        int32_t value = 0;
        if (read(value))
            aText = QString::number(value);
        break;
    }
    case TraDataType::daChar: {
        QChar value;
        if (read(value))
            aText = QString::number(value.unicode());
        break;
    }
    case TraDataType::daSingle: {
        float value = 0;
        if (read(value))
            aText = rtl::FloatToStrF(value, rtl::ffGeneral, 8, 0);
        break;
    }
    case TraDataType::daDouble: {
        double value = 0;
        if (read(value))
            aText = rtl::FloatToStrF(value, rtl::ffGeneral, 15, 0);
        break;
    }
    case TraDataType::daExtended: {
        long double value = 0;
        if (read(value))
            aText = rtl::FloatToStrF(value, rtl::ffGeneral, 18, 0);
        break;
    }
    case TraDataType::daCurrency: {
        int64_t value = 0;
        if (read(value))
            aText = rtl::FloatToStrF(static_cast<long double>(value) / 10000.0L, rtl::ffCurrency, 15, 2);
        break;
    }
    case TraDataType::daDateTime:
    case TraDataType::daDate:
    case TraDataType::daTime: {
        double value = 0;
        if (!read(value))
            break;
        if (rec.DataType == TraDataType::daDateTime)
            aText = rtl::DateTimeToStr(value);
        else if (rec.DataType == TraDataType::daDate)
            aText = rtl::DateToStr(value);
        else
            aText = rtl::TimeToStr(value);
        break;
    }
    case TraDataType::daString: {
        QString value;
        if (read(value))
            aText = value;
        break;
    }
    case TraDataType::daBoolean: {
        bool value = false;
        if (read(value))
            aText = value ? QStringLiteral("True") : QStringLiteral("False");
        break;
    }
    case TraDataType::daVariant: {
        QVariant value;
        if (read(value))
            aText = rtl::VarToStr(value);
        break;
    }
    case TraDataType::daEnumerated: {
        uint8_t value = 0;
        TPersistent *instance = nullptr;
        const TPropInfo *prop = publishedProp(aObject, aName, instance);
        if (prop && prop->Enum && read(value))
            aText = prop->Enum->NameOf(value);
        break;
    }
    default: break;
    }
}

void TraRTTI::InitPropRec(const QString &aName, TraDataType aDataType, bool aReadOnly, TraPropRec &aRec) const
{
    aRec = TraPropRec();
    aRec.Name = aName;
    aRec.DataType = aDataType;
    aRec.ReadOnly = aReadOnly;
}

void TraRTTI::ClassPropToRec(const QString &aName, const TMetaClass &aClass, bool aReadOnly, TraPropRec &aRec) const
{
    InitPropRec(aName, TraDataType::daClass, aReadOnly, aRec);
    aRec.ClassType = &aClass;
}

void TraRTTI::EnumPropToRec(const QString &aName, const QString &aTypeName, bool aReadOnly, TraPropRec &aRec) const
{
    InitPropRec(aName, TraDataType::daEnumerated, aReadOnly, aRec);
    aRec.TypeName = aTypeName;
}

void TraRTTI::EventToRec(const QString &aName, int aEventID, bool aHasParams, TraPropRec &aRec) const
{
    MethodToRec(aName, aHasParams, aRec);
    aRec.EventID = aEventID;
}

void TraRTTI::MethodToRec(const QString &aName, bool aHasParams, TraPropRec &aRec) const
{
    InitPropRec(aName, TraDataType::daMethod, true, aRec);
    if (!aHasParams)
        return;
    aRec.Params = GetParams(aName);
    if (!aRec.Params || aRec.Params->Count() == 0)
        return;
    const TraParamRec &last = aRec.Params->ParamRec(aRec.Params->Count() - 1);
    if (last.DataType == TraDataType::daClass && same(last.Name, "Result"))
        aRec.ClassType = last.ClassType;
}

void TraRTTI::ArrayPropToRec(const QString &aName, TraPropRec &aRec) const
{
    MethodToRec(aName, true, aRec);
    aRec.IsArray = true;
}

void TraRTTI::ConstructorToRec(const QString &aName, const TMetaClass &aClass, TraPropRec &aRec) const
{
    InitPropRec(aName, TraDataType::daMethod, true, aRec);
    aRec.Params = GetParams(aName);
    if (!aRec.Params)
        aRec.Params = std::make_unique<TraParamList>();
    aRec.Params->AddParam(QStringLiteral("Class"), TraDataType::daClass, false, false, QString(), &aClass);
    aRec.Params->AddParam(QStringLiteral("Result"), TraDataType::daClass, false, false, QString(), &aClass);
    aRec.ClassType = &aClass;
    aRec.IsConstructor = true;
}

void raAddPropName(classes::TStrings &aList, const QString &aName)
{
    if (aList.IndexOf(aName) < 0)
        aList.Add(aName);
}

void raAddMethodName(classes::TStrings &aList, const QString &aName)
{
    raAddPropName(aList, aName);
}

void raRemoveName(classes::TStrings &aList, const QString &aName)
{
    const int index = aList.IndexOf(aName);
    if (index >= 0)
        aList.Delete(index);
}

// ---- The registry ---------------------------------------------------------

namespace {

// The lock exists for the whole process, so that the registry can be made
// under it by whichever thread registers first.
std::mutex &registryLock()
{
    static std::mutex lock;
    return lock;
}

std::unique_ptr<TraRTTIClassRegistry> g_registry;

} // namespace

int TraRTTIClassRegistry::indexOf(const QString &aClassName) const
{
    for (size_t i = 0; i < m_entries.size(); ++i)
        if (classes::SameName(m_entries[i].className, aClassName))
            return int(i);
    return -1;
}

bool TraRTTIClassRegistry::Register(const TraRTTI &aDescriptor)
{
    const QString &name = aDescriptor.RefClass().ClassName();
    if (indexOf(name) >= 0)
        return false;
    m_entries.push_back({name, &aDescriptor});
    return true;
}

bool TraRTTIClassRegistry::UnRegister(const TraRTTI &aDescriptor)
{
    const int index = indexOf(aDescriptor.RefClass().ClassName());
    if (index < 0 || m_entries[size_t(index)].descriptor != &aDescriptor)
        return false;
    m_entries.erase(m_entries.begin() + index);
    return true;
}

const TraRTTI *TraRTTIClassRegistry::Find(const QString &aClassName) const
{
    const int index = indexOf(aClassName);
    return index < 0 ? nullptr : m_entries[size_t(index)].descriptor;
}

QStringList TraRTTIClassRegistry::ClassNames() const
{
    QStringList names;
    for (const Entry &e : m_entries)
        names.append(e.className);
    return names;
}

int TraRTTIClassRegistry::Count() const
{
    return int(m_entries.size());
}

void raRegisterRTTI(const TraRTTI &aDescriptor)
{
    std::lock_guard lock(registryLock());
    if (!g_registry)
        g_registry = std::make_unique<TraRTTIClassRegistry>();
    g_registry->Register(aDescriptor);
}

void raUnRegisterRTTI(const TraRTTI &aDescriptor)
{
    std::lock_guard lock(registryLock());
    if (g_registry)
        g_registry->UnRegister(aDescriptor);
}

const TraRTTI *raFindRTTI(const QString &aClassName)
{
    std::lock_guard lock(registryLock());
    return g_registry ? g_registry->Find(aClassName) : nullptr;
}

QStringList raRegisteredRTTIClassNames()
{
    std::lock_guard lock(registryLock());
    return g_registry ? g_registry->ClassNames() : QStringList();
}

void raFreeRTTIRegistry()
{
    std::lock_guard lock(registryLock());
    g_registry.reset();
}

// ---- TObject ----------------------------------------------------------------

TraTObjectRTTI::TraTObjectRTTI()
    : TraRTTI(nullptr)
{}

const TraTObjectRTTI &TraTObjectRTTI::Instance()
{
    static const TraTObjectRTTI instance;
    return instance;
}

const TMetaClass &TraTObjectRTTI::RefClass() const
{
    return TObject::StaticClass();
}

void TraTObjectRTTI::GetPropList(const TMetaClass &aClass, classes::TStrings &aList) const
{
    TraRTTI::GetPropList(aClass, aList);
    raAddMethodName(aList, QStringLiteral("ClassName"));
    raAddMethodName(aList, QStringLiteral("Create"));
    raAddMethodName(aList, QStringLiteral("Free"));
}

bool TraTObjectRTTI::GetPropRec(const TMetaClass &aClass, const QString &aName, TraPropRec &aRec) const
{
    if (same(aName, "ClassName"))
        MethodToRec(QStringLiteral("ClassName"), true, aRec);
    else if (same(aName, "Create"))
        ConstructorToRec(QStringLiteral("Create"), aClass, aRec);
    else if (same(aName, "Free"))
        MethodToRec(QStringLiteral("Free"), false, aRec);
    else
        return TraRTTI::GetPropRec(aClass, aName, aRec);
    return true;
}

std::unique_ptr<TraParamList> TraTObjectRTTI::GetParams(const QString &aName) const
{
    if (same(aName, "ClassName")) {
        auto params = std::make_unique<TraParamList>();
        params->AddParam(QStringLiteral("Result"), TraDataType::daString);
        return params;
    }
    return TraRTTI::GetParams(aName);
}

bool TraTObjectRTTI::CallMethod(TObject *aObject, const QString &aName, TraParamList &aParams) const
{
    if (same(aName, "Create")) {
        const TMetaClass *meta = aParams.ParamValue<const TMetaClass *>(0);
        if (!meta)
            throw EBrevantorError(QStringLiteral("Create needs a class"));
        aParams.SetParamValue(1, static_cast<TObject *>(meta->NewInstance()));
        return true;
    }
    if (!aObject)
        return false;
    if (same(aName, "ClassName")) {
        aParams.SetParamValue(0, aObject->ClassName());
        return true;
    }
    if (same(aName, "Free")) {
        delete aObject;
        return true;
    }
    return TraRTTI::CallMethod(aObject, aName, aParams);
}

// ---- TPersistent ------------------------------------------------------------

TraTPersistentRTTI::TraTPersistentRTTI()
    : TraRTTI(&TraTObjectRTTI::Instance())
{}

const TraTPersistentRTTI &TraTPersistentRTTI::Instance()
{
    static const TraTPersistentRTTI instance;
    return instance;
}

const TMetaClass &TraTPersistentRTTI::RefClass() const
{
    return TPersistent::StaticClass();
}

void TraTPersistentRTTI::GetPropList(const TMetaClass &aClass, classes::TStrings &aList) const
{
    TraRTTI::GetPropList(aClass, aList);
    raAddMethodName(aList, QStringLiteral("Assign"));
}

bool TraTPersistentRTTI::GetPropRec(const TMetaClass &aClass, const QString &aName, TraPropRec &aRec) const
{
    if (!same(aName, "Assign"))
        return TraRTTI::GetPropRec(aClass, aName, aRec);
    MethodToRec(QStringLiteral("Assign"), true, aRec);
    return true;
}

std::unique_ptr<TraParamList> TraTPersistentRTTI::GetParams(const QString &aName) const
{
    if (!same(aName, "Assign"))
        return TraRTTI::GetParams(aName);
    auto params = std::make_unique<TraParamList>();
    params->AddParam(QStringLiteral("Source"), TraDataType::daClass, false, false, QString(),
                     &TPersistent::StaticClass());
    return params;
}

bool TraTPersistentRTTI::CallMethod(TObject *aObject, const QString &aName, TraParamList &aParams) const
{
    auto *persistent = dynamic_cast<TPersistent *>(aObject);
    if (!persistent || !same(aName, "Assign"))
        return TraRTTI::CallMethod(aObject, aName, aParams);
    persistent->Assign(aParams.ParamValue<TPersistent *>(0));
    return true;
}

// ---- TComponent -------------------------------------------------------------

TraTComponentRTTI::TraTComponentRTTI()
    : TraRTTI(&TraTPersistentRTTI::Instance())
{}

const TraTComponentRTTI &TraTComponentRTTI::Instance()
{
    static const TraTComponentRTTI instance;
    return instance;
}

const TMetaClass &TraTComponentRTTI::RefClass() const
{
    return classes::TComponent::StaticClass();
}

void TraTComponentRTTI::GetPropList(const TMetaClass &aClass, classes::TStrings &aList) const
{
    TraRTTI::GetPropList(aClass, aList);
    raAddPropName(aList, QStringLiteral("Owner"));
}

bool TraTComponentRTTI::GetPropRec(const TMetaClass &aClass, const QString &aName, TraPropRec &aRec) const
{
    if (same(aName, "Owner"))
        ClassPropToRec(QStringLiteral("Owner"), classes::TComponent::StaticClass(), false, aRec);
    else if (same(aName, "Create"))
        ConstructorToRec(QStringLiteral("Create"), aClass, aRec);
    else
        return TraRTTI::GetPropRec(aClass, aName, aRec);
    return true;
}

std::unique_ptr<TraParamList> TraTComponentRTTI::GetParams(const QString &aName) const
{
    if (!same(aName, "Create"))
        return TraRTTI::GetParams(aName);
    auto params = std::make_unique<TraParamList>();
    params->AddParam(QStringLiteral("Owner"), TraDataType::daClass, false, false, QString(),
                     &classes::TComponent::StaticClass());
    return params;
}

bool TraTComponentRTTI::CallMethod(TObject *aObject, const QString &aName, TraParamList &aParams) const
{
    if (!same(aName, "Create"))
        return TraRTTI::CallMethod(aObject, aName, aParams);
    auto *owner = aParams.ParamValue<classes::TComponent *>(0);
    const TMetaClass *meta = aParams.ParamValue<const TMetaClass *>(1);
    if (!meta || !meta->InheritsFrom(classes::TComponent::StaticClass()))
        throw EBrevantorError(QStringLiteral("Create needs a component class"));
    aParams.SetParamValue(2, meta->NewComponent(owner));
    return true;
}

bool TraTComponentRTTI::GetPropValue(TObject *aObject, const QString &aName, const TraValuePointer &aValue) const
{
    auto *component = dynamic_cast<classes::TComponent *>(aObject);
    if (component && same(aName, "Owner"))
        raWriteValue(aValue, component->Owner(), aName);
    else if (component && same(aName, "Tag"))
        raWriteValue(aValue, component->Tag(), aName);
    else
        return TraRTTI::GetPropValue(aObject, aName, aValue);
    return true;
}

bool TraTComponentRTTI::SetPropValue(TObject *aObject, const QString &aName, const TraValuePointer &aValue) const
{
    auto *component = dynamic_cast<classes::TComponent *>(aObject);
    if (!component || !same(aName, "Tag"))
        return TraRTTI::SetPropValue(aObject, aName, aValue);
    component->SetTag(raReadValue<int32_t>(aValue, aName));
    return true;
}

} // namespace report
