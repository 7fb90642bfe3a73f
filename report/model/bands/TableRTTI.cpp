#include "report/model/bands/TableRTTI.h"

#include "platform/classes/MetaClass.h"
#include "platform/classes/StringList.h"

namespace report {

TraTableRTTI::TraTableRTTI(const TraRTTI *aParent, const classes::TMetaClass &(*aClass)(),
                           std::vector<TraTableEntry> aEntries, std::vector<const char *> aMethods,
                           std::vector<Event> aEvents)
    : TraRTTI(aParent)
    , m_class(aClass)
    , m_entries(std::move(aEntries))
    , m_methods(std::move(aMethods))
    , m_events(std::move(aEvents))
{}

const TraTableEntry *TraTableRTTI::find(const QString &aName) const
{
    for (const TraTableEntry &entry : m_entries)
        if (raSameName(aName, entry.Name))
            return &entry;
    return nullptr;
}

bool TraTableRTTI::applies(classes::TObject *aObject) const
{
    return aObject && aObject->ClassType().InheritsFrom(m_class());
}

void TraTableRTTI::GetPropList(const classes::TMetaClass &aClass, classes::TStrings &aList) const
{
    TraRTTI::GetPropList(aClass, aList);
    for (const TraTableEntry &entry : m_entries)
        raAddPropName(aList, QString::fromLatin1(entry.Name));
    for (const char *method : m_methods)
        raAddMethodName(aList, QString::fromLatin1(method));
}

void TraTableRTTI::GetEventList(const classes::TMetaClass &aClass, classes::TStrings &aList) const
{
    TraRTTI::GetEventList(aClass, aList);
    for (const Event &event : m_events)
        raAddPropName(aList, QString::fromLatin1(event.Name));
}

bool TraTableRTTI::GetPropRec(const classes::TMetaClass &aClass, const QString &aName, TraPropRec &aRec) const
{
    for (const Event &event : m_events)
        if (raSameName(aName, event.Name)) {
            // A descendant may give an event parameters of other types.
            EventToRec(QString::fromLatin1(event.Name), event.Id, true, aRec);
            return true;
        }
    const TraTableEntry *entry = find(aName);
    if (!entry)
        return TraRTTI::GetPropRec(aClass, aName, aRec);
    const QString name = QString::fromLatin1(entry->Name);
    switch (entry->Type) {
    case TraTableEntry::Kind::Integer: InitPropRec(name, TraDataType::daInteger, entry->ReadOnly, aRec); break;
    case TraTableEntry::Kind::Boolean: InitPropRec(name, TraDataType::daBoolean, entry->ReadOnly, aRec); break;
    case TraTableEntry::Kind::String: InitPropRec(name, TraDataType::daString, entry->ReadOnly, aRec); break;
    case TraTableEntry::Kind::Single: InitPropRec(name, TraDataType::daSingle, entry->ReadOnly, aRec); break;
    case TraTableEntry::Kind::DateTime: InitPropRec(name, TraDataType::daDateTime, entry->ReadOnly, aRec); break;
    case TraTableEntry::Kind::Enum:
        EnumPropToRec(name, QString::fromLatin1(entry->EnumType), entry->ReadOnly, aRec);
        break;
    case TraTableEntry::Kind::Object: ClassPropToRec(name, entry->Class(), entry->ReadOnly, aRec); break;
    }
    return true;
}

std::unique_ptr<TraParamList> TraTableRTTI::GetParams(const QString &aName) const
{
    for (const Event &event : m_events)
        if (raSameName(aName, event.Name) && event.Param) {
            auto params = std::make_unique<TraParamList>();
            params->AddParam(QString::fromLatin1(event.Param), TraDataType::daString, true);
            return params;
        }
    return TraRTTI::GetParams(aName);
}

bool TraTableRTTI::GetPropValue(classes::TObject *aObject, const QString &aName, const TraValuePointer &aValue) const
{
    const TraTableEntry *entry = find(aName);
    if (!entry || !applies(aObject))
        return TraRTTI::GetPropValue(aObject, aName, aValue);
    entry->Get(*aObject, aValue, aName);
    return true;
}

bool TraTableRTTI::SetPropValue(classes::TObject *aObject, const QString &aName, const TraValuePointer &aValue) const
{
    const TraTableEntry *entry = find(aName);
    if (!entry || !applies(aObject))
        return TraRTTI::SetPropValue(aObject, aName, aValue);
    if (entry->ReadOnly || !entry->Set)
        return false;
    return entry->Set(*aObject, aValue, aName);
}

} // namespace report
