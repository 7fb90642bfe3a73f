#include "report/model/templates/TemplateRTTI.h"

#include "report/model/data/DataPipeline.h"
#include "report/model/reports/CustomReport.h"
#include "report/model/templates/ReportTemplate.h"
#include "report/model/templates/Template.h"

#include "platform/classes/Component.h"

namespace report {

namespace {

using TemplateRttiKind = TraTableEntry::Kind;

template <class C, class F>
TraTableEntry templateValue(const char *aName, TemplateRttiKind aKind, F aGet)
{
    TraTableEntry entry{aName, aKind, true, nullptr, nullptr, {}, {}};
    entry.Get = [aGet](classes::TObject &o, const TraValuePointer &v, const QString &n) {
        raWriteValue(v, aGet(static_cast<C &>(o)), n);
    };
    return entry;
}

template <class C, class T, class F, class S>
TraTableEntry templateSetting(const char *aName, TemplateRttiKind aKind, F aGet, S aSet)
{
    TraTableEntry entry = templateValue<C>(aName, aKind, aGet);
    entry.ReadOnly = false;
    entry.Set = [aSet](classes::TObject &o, const TraValuePointer &v, const QString &n) {
        aSet(static_cast<C &>(o), raReadValue<T>(v, n));
        return true;
    };
    return entry;
}

template <class C>
TraTableEntry templateText(const char *aName, const QString &(C::*aGet)() const, void (C::*aSet)(const QString &))
{
    return templateSetting<C, QString>(
        aName, TemplateRttiKind::String, [aGet](C &c) { return (c.*aGet)(); },
        [aSet](C &c, const QString &v) { (c.*aSet)(v); });
}

TraTableEntry templateObject(TraTableEntry aEntry, const classes::TMetaClass &(*aClass)())
{
    aEntry.Class = aClass;
    return aEntry;
}

// An enumerated setting of the custom template; a value the enumeration
// lacks is refused.
template <class E>
TraTableEntry templateEnum(const char *aName, const char *aEnumType, E (TppCustomTemplate::*aGet)() const,
                           void (TppCustomTemplate::*aSet)(E))
{
    TraTableEntry entry = templateValue<TppCustomTemplate>(aName, TemplateRttiKind::Enum,
                                                           [aGet](TppCustomTemplate &t) { return (t.*aGet)(); });
    entry.EnumType = aEnumType;
    entry.ReadOnly = false;
    entry.Set = [aSet](classes::TObject &o, const TraValuePointer &v, const QString &n) {
        E value{};
        if (!raReadEnumeration(v, n, EnumInfo<E>(), value))
            return false;
        (static_cast<TppCustomTemplate &>(o).*aSet)(value);
        return true;
    };
    return entry;
}

// An object setting; an object of another class is refused and the value
// kept, nil clears it.
template <class C, class T>
TraTableEntry templateObjectSetting(const char *aName, T *(C::*aGet)() const, void (C::*aSet)(T *))
{
    TraTableEntry entry =
        templateObject(templateValue<C>(aName, TemplateRttiKind::Object,
                                        [aGet](C &c) { return static_cast<classes::TObject *>((c.*aGet)()); }),
                       &T::StaticClass);
    entry.ReadOnly = false;
    entry.Set = [aSet](classes::TObject &o, const TraValuePointer &v, const QString &n) {
        T *value = nullptr;
        if (!raReadObjectOf(v, n, value))
            return false;
        (static_cast<C &>(o).*aSet)(value);
        return true;
    };
    return entry;
}

std::vector<TraTableEntry> templateDBSettingsEntries()
{
    using S = TppTemplateDBSettings;
    return {templateObjectSetting("DataPipeline", &S::DataPipeline, &S::SetDataPipeline),
            templateText<S>("Name", &S::Name, &S::SetName),
            templateText<S>("NameField", &S::NameField, &S::SetNameField),
            templateText<S>("TemplateField", &S::TemplateField, &S::SetTemplateField)};
}

std::vector<TraTableEntry> customTemplateEntries()
{
    using T = TppCustomTemplate;
    return {templateObject(templateValue<T>("DatabaseSettings", TemplateRttiKind::Object,
                                            [](T &t) { return static_cast<classes::TObject *>(t.DatabaseSettings()); }),
                           &TppTemplateDBSettings::StaticClass),
            templateValue<T>("Description", TemplateRttiKind::String, [](T &t) { return t.GetDescription(); }),
            templateSetting<T, QString>(
                "FileName", TemplateRttiKind::String, [](T &t) { return t.FileName(); },
                [](T &t, const QString &v) { t.SetFileName(v); }),
            templateEnum("Format", "TppFormatType", &T::Format, &T::SetFormat),
            templateSetting<T, int32_t>(
                "Offset", TemplateRttiKind::Integer, [](T &t) { return t.Offset(); },
                [](T &t, int32_t v) { t.SetOffset(v); }),
            templateObject(templateValue<T>("Owner", TemplateRttiKind::Object,
                                            [](T &t) { return static_cast<classes::TObject *>(t.Owner()); }),
                           &classes::TComponent::StaticClass),
            templateEnum("SaveTo", "TppSaveToType", &T::SaveTo, &T::SetSaveTo)};
}

std::vector<TraTableEntry> templateEntries()
{
    using T = TppTemplate;
    return {templateText<T>("FileExtension", &T::FileExtension, &T::SetFileExtension),
            templateText<T>("FileFilter", &T::FileFilter, &T::SetFileFilter),
            templateObjectSetting("Root", &T::Root, &T::SetRoot),
            templateValue<T>("ReadOnly", TemplateRttiKind::Boolean, [](T &t) { return t.GetReadOnly(); })};
}

constexpr const char *TemplateMethodNames[] = {"LoadFromDatabase", "LoadFromFile", "New", "SaveToDatabase",
                                               "SaveToFile"};

const char *templateMethodName(const QString &aName)
{
    for (const char *name : TemplateMethodNames)
        if (raSameName(aName, name))
            return name;
    return nullptr;
}

} // namespace

const TraTppTemplateDBSettingsRTTI &TraTppTemplateDBSettingsRTTI::Instance()
{
    static const TraTppTemplateDBSettingsRTTI instance;
    return instance;
}

TraTppTemplateDBSettingsRTTI::TraTppTemplateDBSettingsRTTI()
    : TraTableRTTI(&TraTPersistentRTTI::Instance(), &TppTemplateDBSettings::StaticClass, templateDBSettingsEntries())
{}

const TraTppCustomTemplateRTTI &TraTppCustomTemplateRTTI::Instance()
{
    static const TraTppCustomTemplateRTTI instance;
    return instance;
}

TraTppCustomTemplateRTTI::TraTppCustomTemplateRTTI()
    : TraTableRTTI(&TraTPersistentRTTI::Instance(), &TppCustomTemplate::StaticClass, customTemplateEntries())
{}

const TraTppTemplateRTTI &TraTppTemplateRTTI::Instance()
{
    static const TraTppTemplateRTTI instance;
    return instance;
}

TraTppTemplateRTTI::TraTppTemplateRTTI()
    : TraTableRTTI(&TraTppCustomTemplateRTTI::Instance(), &TppTemplate::StaticClass, templateEntries(),
                   {std::begin(TemplateMethodNames), std::end(TemplateMethodNames)})
{}

bool TraTppTemplateRTTI::GetPropRec(const classes::TMetaClass &aClass, const QString &aName, TraPropRec &aRec) const
{
    if (const char *method = templateMethodName(aName)) {
        MethodToRec(QString::fromLatin1(method), false, aRec);
        return true;
    }
    return TraTableRTTI::GetPropRec(aClass, aName, aRec);
}

bool TraTppTemplateRTTI::CallMethod(classes::TObject *aObject, const QString &aName, TraParamList &aParams) const
{
    auto *subject = dynamic_cast<TppTemplate *>(aObject);
    const char *method = templateMethodName(aName);
    if (!subject || !method)
        return TraTableRTTI::CallMethod(aObject, aName, aParams);
    if (raSameName(aName, "LoadFromDatabase"))
        subject->LoadFromDatabase();
    else if (raSameName(aName, "LoadFromFile"))
        subject->LoadFromFile();
    else if (raSameName(aName, "New"))
        subject->New();
    else if (raSameName(aName, "SaveToDatabase"))
        subject->SaveToDatabase();
    else
        subject->SaveToFile();
    return true;
}

const TraTppReportTemplateRTTI &TraTppReportTemplateRTTI::Instance()
{
    static const TraTppReportTemplateRTTI instance;
    return instance;
}

TraTppReportTemplateRTTI::TraTppReportTemplateRTTI()
    : TraTableRTTI(
          &TraTppTemplateRTTI::Instance(), &TppReportTemplate::StaticClass,
          {templateObject(templateValue<TppReportTemplate>(
                              "Report", TemplateRttiKind::Object,
                              [](TppReportTemplate &t) { return static_cast<classes::TObject *>(t.Report()); }),
                          &classes::TComponent::StaticClass)})
{}

} // namespace report
