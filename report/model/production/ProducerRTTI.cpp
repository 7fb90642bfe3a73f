#include "report/model/production/ProducerRTTI.h"

#include "report/model/forms/DialogBases.h"
#include "report/model/objects/Communicator.h"
#include "report/model/objects/EventIds.h"
#include "report/model/pages/Device.h"
#include "report/model/pages/Publisher.h"
#include "report/model/printing/Printer.h"
#include "report/model/printing/PrinterSetup.h"
#include "report/model/production/PreviewFormSettings.h"
#include "report/model/production/Producer.h"
#include "report/model/production/TextSearchSettings.h"

#include "platform/classes/MetaClass.h"

#include <functional>
#include <type_traits>

namespace report {

namespace {

struct ProducerEventName
{
    const char *name;
    int id;
};

constexpr ProducerEventName ProducerEvents[] = {
    {"AfterPrint", ppEvent::AfterPrint},
    {"BeforePrint", ppEvent::BeforePrint},
    {"OnCancel", ppEvent::OnCancel},
    {"OnCancelDialogCreate", ppEvent::OnCancelDialogCreate},
    {"OnCancelDialogClose", ppEvent::OnCancelDialogClose},
    {"OnAssignPreviewFormSettings", ppEvent::OnAssignPreviewFormSettings},
    {"OnPreviewFormCreate", ppEvent::OnPreviewFormCreate},
    {"OnPreviewFormClose", ppEvent::OnPreviewFormClose},
    {"OnPrintDialogCreate", ppEvent::OnPrintDialogCreate},
    {"OnPrintDialogClose", ppEvent::OnPrintDialogClose},
    {"OnSaveText", ppEvent::OnSaveText},
};

// One property: its type, and how a script reads and writes it. A property
// without a setter is read only.
struct ProducerProperty
{
    const char *name;
    TraDataType type;
    const classes::TMetaClass *(*classOf)() = nullptr;
    const char *enumName = nullptr;
    std::function<void(TppProducer &, const TraValuePointer &, const QString &)> get;
    // False: the value is refused.
    std::function<bool(TppProducer &, const TraValuePointer &, const QString &)> set;
};

template <class T>
auto producerGetter(T (TppProducer::*aGet)() const)
{
    return [aGet](TppProducer &p, const TraValuePointer &v, const QString &n) { raWriteValue(v, (p.*aGet)(), n); };
}

// An enumerated value the enumeration lacks is refused: stored, it would
// break the next save of the report.
template <class T>
auto producerSetter(void (TppProducer::*aSet)(T))
{
    using V = std::remove_cvref_t<T>;
    return [aSet](TppProducer &p, const TraValuePointer &v, const QString &n) {
        if constexpr (std::is_enum_v<V>) {
            V value{};
            if (!raReadEnumeration(v, n, EnumInfo<V>(), value))
                return false;
            (p.*aSet)(value);
        } else {
            (p.*aSet)(raReadValue<V>(v, n));
        }
        return true;
    };
}

// For a setter that may keep the old value (an unknown device name, a
// language without its messages): a script learns whether the value took.
template <class T, class G>
auto producerCheckedSetter(void (TppProducer::*aSet)(T), G (TppProducer::*aGet)() const)
{
    return [set = producerSetter(aSet), aGet](TppProducer &p, const TraValuePointer &v, const QString &n) {
        return set(p, v, n) && (p.*aGet)() == raReadValue<std::remove_cvref_t<T>>(v, n);
    };
}

template <class C>
const classes::TMetaClass *producerClassOf()
{
    return &C::StaticClass();
}

template <class T>
auto producerObject(T *(TppProducer::*aGet)() const)
{
    return [aGet](TppProducer &p, const TraValuePointer &v, const QString &n) {
        raWriteValue(v, static_cast<classes::TObject *>((p.*aGet)()), n);
    };
}

const std::vector<ProducerProperty> &producerProperties()
{
    using P = TppProducer;
    using D = TraDataType;
    static const std::vector<ProducerProperty> properties = {
        {"AllowPrintToArchive", D::daBoolean, nullptr, nullptr, producerGetter(&P::AllowPrintToArchive),
         producerSetter(&P::SetAllowPrintToArchive)},
        {"AllowPrintToFile", D::daBoolean, nullptr, nullptr, producerGetter(&P::AllowPrintToFile),
         producerSetter(&P::SetAllowPrintToFile)},
        {"ArchiveFileName", D::daString, nullptr, nullptr, producerGetter(&P::ArchiveFileName),
         producerSetter(&P::SetArchiveFileName)},
        {"CancelDialog", D::daClass, &producerClassOf<TppCustomCancelDialog>, nullptr, producerObject(&P::CancelDialog),
         nullptr},
        {"Converted", D::daBoolean, nullptr, nullptr, producerGetter(&P::Converted), nullptr},
        {"ConvertedFromPre40", D::daBoolean, nullptr, nullptr, producerGetter(&P::ConvertedFromPre40),
         producerSetter(&P::SetConvertedFromPre40)},
        {"CurrentPage", D::daInteger, nullptr, nullptr, producerGetter(&P::CurrentPage),
         producerSetter(&P::SetCurrentPage)},
        {"DeviceType", D::daString, nullptr, nullptr, producerGetter(&P::DeviceType),
         producerCheckedSetter(&P::SetDeviceType, &P::DeviceType)},
        {"EnableProcessMessages", D::daBoolean, nullptr, nullptr, producerGetter(&P::EnableProcessMessages),
         producerSetter(&P::SetEnableProcessMessages)},
        {"FileDevice", D::daClass, &producerClassOf<TppDevice>, nullptr, producerObject(&P::FileDevice), nullptr},
        {"Icon", D::daNotSupported, nullptr, nullptr, nullptr, nullptr},
        {"Language", D::daEnumerated, nullptr, "TppLanguageType", producerGetter(&P::Language),
         producerCheckedSetter(&P::SetLanguage, &P::Language)},
        {"LanguageIndex", D::daInteger, nullptr, nullptr, producerGetter(&P::LanguageIndex),
         producerSetter(&P::SetLanguageIndex)},
        {"ModalCancelDialog", D::daBoolean, nullptr, nullptr, producerGetter(&P::ModalCancelDialog),
         producerSetter(&P::SetModalCancelDialog)},
        {"ModalPreview", D::daBoolean, nullptr, nullptr, producerGetter(&P::ModalPreview),
         producerSetter(&P::SetModalPreview)},
        {"PreviewForm", D::daClass, &producerClassOf<TppCustomPreviewer>, nullptr, producerObject(&P::PreviewForm),
         nullptr},
        {"PreviewFormSettings", D::daClass, &producerClassOf<TppPreviewFormSettings>, nullptr,
         producerObject(&P::PreviewFormSettings), nullptr},
        {"PrinterSetup", D::daClass, &producerClassOf<TppPrinterSetup>, nullptr, producerObject(&P::PrinterSetup),
         nullptr},
        {"Printer", D::daClass, &producerClassOf<classes::TObject>, nullptr,
         [](TppProducer &p, const TraValuePointer &v, const QString &n) {
             raWriteValue(v, static_cast<classes::TObject *>(p.Printer()), n);
         },
         nullptr},
        {"PrintDialog", D::daClass, &producerClassOf<TppCustomPrintDialog>, nullptr, producerObject(&P::PrintDialog),
         nullptr},
        {"Printing", D::daBoolean, nullptr, nullptr, producerGetter(&P::Printing), nullptr},
        {"Producing", D::daBoolean, nullptr, nullptr, producerGetter(&P::Producing), nullptr},
        {"PrinterDevice", D::daClass, &producerClassOf<TppDevice>, nullptr, producerObject(&P::PrinterDevice), nullptr},
        {"Publisher", D::daClass, &producerClassOf<TppPublisher>, nullptr, producerObject(&P::Publisher), nullptr},
        {"SavePrinterSetup", D::daBoolean, nullptr, nullptr, producerGetter(&P::SavePrinterSetup),
         producerSetter(&P::SetSavePrinterSetup)},
        {"ShowAutoSearchDialog", D::daBoolean, nullptr, nullptr, producerGetter(&P::ShowAutoSearchDialog),
         producerSetter(&P::SetShowAutoSearchDialog)},
        {"ShowCancelDialog", D::daBoolean, nullptr, nullptr, producerGetter(&P::ShowCancelDialog),
         producerSetter(&P::SetShowCancelDialog)},
        {"ShowPrintDialog", D::daBoolean, nullptr, nullptr, producerGetter(&P::ShowPrintDialog),
         producerSetter(&P::SetShowPrintDialog)},
        {"TextFileName", D::daString, nullptr, nullptr, producerGetter(&P::TextFileName),
         producerSetter(&P::SetTextFileName)},
        {"TextFileType", D::daEnumerated, nullptr, "TppFileType", producerGetter(&P::TextFileType),
         producerSetter(&P::SetTextFileType)},
        {"TextSearchSettings", D::daClass, &producerClassOf<TppTextSearchSettings>, nullptr,
         producerObject(&P::TextSearchSettings), nullptr},
        {"Version", D::daString, nullptr, nullptr, producerGetter(&P::Version), nullptr},
        {"VersionNo", D::daInteger, nullptr, nullptr, producerGetter(&P::VersionNo), nullptr},
    };
    return properties;
}

const ProducerProperty *producerProperty(const QString &aName)
{
    for (const ProducerProperty &property : producerProperties())
        if (raSameName(aName, property.name))
            return &property;
    return nullptr;
}

} // namespace

TraTppProducerRTTI::TraTppProducerRTTI()
    : TraRTTI(&TraTppCommunicatorRTTI::Instance())
{}

const TraTppProducerRTTI &TraTppProducerRTTI::Instance()
{
    static const TraTppProducerRTTI instance;
    return instance;
}

const classes::TMetaClass &TraTppProducerRTTI::RefClass() const
{
    return TppProducer::StaticClass();
}

void TraTppProducerRTTI::GetPropList(const classes::TMetaClass &aClass, classes::TStrings &aList) const
{
    TraRTTI::GetPropList(aClass, aList);
    for (const ProducerProperty &property : producerProperties())
        raAddPropName(aList, QString::fromLatin1(property.name));
    raAddMethodName(aList, QStringLiteral("Cancel"));
}

void TraTppProducerRTTI::GetEventList(const classes::TMetaClass &aClass, classes::TStrings &aList) const
{
    TraRTTI::GetEventList(aClass, aList);
    for (const ProducerEventName &e : ProducerEvents)
        raAddPropName(aList, QString::fromLatin1(e.name));
}

bool TraTppProducerRTTI::GetPropRec(const classes::TMetaClass &aClass, const QString &aName, TraPropRec &aRec) const
{
    for (const ProducerEventName &e : ProducerEvents)
        if (raSameName(aName, e.name)) {
            EventToRec(QString::fromLatin1(e.name), e.id, e.id == ppEvent::OnSaveText, aRec);
            return true;
        }
    if (raSameName(aName, "Cancel")) {
        MethodToRec(QStringLiteral("Cancel"), false, aRec);
        return true;
    }
    const ProducerProperty *property = producerProperty(aName);
    if (!property)
        return TraRTTI::GetPropRec(aClass, aName, aRec);
    const QString name = QString::fromLatin1(property->name);
    const bool readOnly = !property->set;
    if (property->type == TraDataType::daClass)
        ClassPropToRec(name, *property->classOf(), readOnly, aRec);
    else if (property->type == TraDataType::daEnumerated)
        EnumPropToRec(name, QString::fromLatin1(property->enumName), readOnly, aRec);
    else
        InitPropRec(name, property->type, readOnly, aRec);
    return true;
}

std::unique_ptr<TraParamList> TraTppProducerRTTI::GetParams(const QString &aName) const
{
    if (!raSameName(aName, "OnSaveText"))
        return TraRTTI::GetParams(aName);
    auto params = std::make_unique<TraParamList>();
    params->AddParam(QStringLiteral("Text"), TraDataType::daString, true);
    return params;
}

bool TraTppProducerRTTI::CallMethod(classes::TObject *aObject, const QString &aName, TraParamList &aParams) const
{
    auto *producer = dynamic_cast<TppProducer *>(aObject);
    if (!producer || !raSameName(aName, "Cancel"))
        return TraRTTI::CallMethod(aObject, aName, aParams);
    producer->Cancel();
    return true;
}

bool TraTppProducerRTTI::GetPropValue(classes::TObject *aObject, const QString &aName,
                                      const TraValuePointer &aValue) const
{
    auto *producer = dynamic_cast<TppProducer *>(aObject);
    const ProducerProperty *property = producer ? producerProperty(aName) : nullptr;
    if (!property)
        return TraRTTI::GetPropValue(aObject, aName, aValue);
    if (!property->get)
        return false;
    property->get(*producer, aValue, QString::fromLatin1(property->name));
    return true;
}

bool TraTppProducerRTTI::SetPropValue(classes::TObject *aObject, const QString &aName,
                                      const TraValuePointer &aValue) const
{
    auto *producer = dynamic_cast<TppProducer *>(aObject);
    const ProducerProperty *property = producer ? producerProperty(aName) : nullptr;
    if (!property)
        return TraRTTI::SetPropValue(aObject, aName, aValue);
    return property->set && property->set(*producer, aValue, QString::fromLatin1(property->name));
}

} // namespace report
