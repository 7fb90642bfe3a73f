#include "report/model/bands/PrintableRTTI.h"

#include "report/model/bands/Printable.h"
#include "report/model/data/Cacheable.h"
#include "report/model/data/DataPipeline.h"
#include "report/model/objects/EventIds.h"

#include "platform/classes/Component.h"
#include "platform/classes/EnumTypes.h"
#include "platform/classes/Graphics.h"

#include <functional>

namespace report {

namespace {

using PrintableGet = std::function<void(TppPrintable &, const TraValuePointer &, const QString &)>;
// False: the value is refused.
using PrintableSet = std::function<bool(TppPrintable &, const TraValuePointer &, const QString &)>;

enum class PrintableKind { Boolean, Integer, Single, String, Enum, Object };

struct PrintableProp
{
    const char *name;
    PrintableKind kind;
    const char *typeName; // enumerations
    const classes::TMetaClass *(*classOf)();
    PrintableGet get;
    PrintableSet set; // empty: read only
};

template <class T>
PrintableGet printableGet(T (*aRead)(const TppPrintable &))
{
    return [aRead](TppPrintable &p, const TraValuePointer &v, const QString &n) { raWriteValue(v, aRead(p), n); };
}

template <class T>
PrintableSet printableSet(void (*aWrite)(TppPrintable &, T))
{
    return [aWrite](TppPrintable &p, const TraValuePointer &v, const QString &n) {
        aWrite(p, raReadValue<T>(v, n));
        return true;
    };
}

// A value the enumeration lacks is refused.
template <class E>
PrintableSet printableEnumSet(const classes::TEnumInfo &(*aInfo)(), void (*aWrite)(TppPrintable &, E))
{
    return [aInfo, aWrite](TppPrintable &p, const TraValuePointer &v, const QString &n) {
        E value{};
        if (!raReadEnumeration(v, n, aInfo(), value))
            return false;
        aWrite(p, value);
        return true;
    };
}

const classes::TMetaClass *printableObjectClass()
{
    return &classes::TObject::StaticClass();
}

#define ZVO_PRINTABLE_BOOL_RO(Name, Expr)                                                                              \
    {                                                                                                                  \
        Name, PrintableKind::Boolean, nullptr, nullptr,                                                                \
            printableGet<bool>([](const TppPrintable &p) { return Expr; }),                                            \
        {}                                                                                                             \
    }
#define ZVO_PRINTABLE_BOOL(Name, Getter, Setter)                                                                       \
    {                                                                                                                  \
        Name, PrintableKind::Boolean, nullptr, nullptr,                                                                \
            printableGet<bool>([](const TppPrintable &p) { return p.Getter(); }),                                      \
            printableSet<bool>([](TppPrintable &p, bool v) { p.Setter(v); })                                           \
    }
#define ZVO_PRINTABLE_INT_RO(Name, Getter)                                                                             \
    {                                                                                                                  \
        Name, PrintableKind::Integer, nullptr, nullptr,                                                                \
            printableGet<int32_t>([](const TppPrintable &p) { return int32_t(p.Getter()); }),                          \
        {}                                                                                                             \
    }
#define ZVO_PRINTABLE_INT(Name, Getter, Setter)                                                                        \
    {                                                                                                                  \
        Name, PrintableKind::Integer, nullptr, nullptr,                                                                \
            printableGet<int32_t>([](const TppPrintable &p) { return p.Getter(); }),                                   \
            printableSet<int32_t>([](TppPrintable &p, int32_t v) { p.Setter(v); })                                     \
    }
#define ZVO_PRINTABLE_SINGLE(Name, Getter, Setter)                                                                     \
    {                                                                                                                  \
        Name, PrintableKind::Single, nullptr, nullptr,                                                                 \
            printableGet<float>([](const TppPrintable &p) { return p.Getter(); }),                                     \
            printableSet<float>([](TppPrintable &p, float v) { p.Setter(v); })                                         \
    }

const std::vector<PrintableProp> &printableProps()
{
    static const std::vector<PrintableProp> props = {
        {"Alignment", PrintableKind::Enum, "TAlignment", nullptr,
         printableGet<uint8_t>([](const TppPrintable &p) { return uint8_t(p.Alignment()); }),
         printableEnumSet<classes::TAlignment>(&classes::AlignmentInfo,
                                               [](TppPrintable &p, classes::TAlignment v) { p.SetAlignment(v); })},
        ZVO_PRINTABLE_BOOL("AutoSize", AutoSize, SetAutoSize),
        {"Caption", PrintableKind::String, nullptr, nullptr,
         [](TppPrintable &p, const TraValuePointer &v, const QString &n) { raWriteValue(v, p.GetCaption(), n); },
         printableSet<QString>([](TppPrintable &p, QString v) { p.SetCaption(v); })},
        {"DataField", PrintableKind::String, nullptr, nullptr,
         printableGet<QString>([](const TppPrintable &p) { return p.DataField(); }),
         printableSet<QString>([](TppPrintable &p, QString v) { p.SetDataField(v); })},
        {"DataPipeline", PrintableKind::Object, nullptr, []() { return &TppDataPipeline::StaticClass(); },
         printableGet<TppDataPipeline *>([](const TppPrintable &p) { return p.DataPipeline(); }),
         printableSet<TppDataPipeline *>([](TppPrintable &p, TppDataPipeline *v) { p.SetDataPipeline(v); })},
        {"DefaultPropHint",
         PrintableKind::String,
         nullptr,
         nullptr,
         printableGet<QString>([](const TppPrintable &p) { return p.GetDefaultPropHint(); }),
         {}},
        {"DefaultPropName",
         PrintableKind::String,
         nullptr,
         nullptr,
         printableGet<QString>([](const TppPrintable &p) { return p.DefaultPropName(); }),
         {}},
        {"DefaultPropEditType",
         PrintableKind::Enum,
         "TppPropEditType",
         nullptr,
         printableGet<uint8_t>([](const TppPrintable &p) { return p.DefaultPropEditType(); }),
         {}},
        {"Description",
         PrintableKind::String,
         nullptr,
         nullptr,
         printableGet<QString>([](const TppPrintable &p) { return p.GetDescription(); }),
         {}},
        {"DesignControl",
         PrintableKind::Object,
         nullptr,
         printableObjectClass,
         printableGet<classes::TObject *>([](const TppPrintable &) -> classes::TObject * { return nullptr; }),
         {}},
        ZVO_PRINTABLE_BOOL_RO("DrawComponent", p.DrawComponent()),
        {"Font", PrintableKind::Object, nullptr, []() { return &classes::TFont::StaticClass(); },
         printableGet<classes::TFont *>([](const TppPrintable &p) -> classes::TFont * { return p.Font(); }),
         // The font is owned and written into: nil is refused, as there is
         // nothing to copy.
         [](TppPrintable &p, const TraValuePointer &v, const QString &n) {
             auto *font = raReadValue<classes::TFont *>(v, n);
             if (!font)
                 return false;
             p.SetFont(font);
             return true;
         }},
        ZVO_PRINTABLE_BOOL_RO("GenerationComplete", p.GenerationComplete()),
        ZVO_PRINTABLE_SINGLE("Height", Height, SetHeight),
        ZVO_PRINTABLE_SINGLE("Left", Left, SetLeft),
        ZVO_PRINTABLE_SINGLE("Top", Top, SetTop),
        ZVO_PRINTABLE_SINGLE("Width", Width, SetWidth),
        {"LookupPipeline",
         PrintableKind::Object,
         nullptr,
         printableObjectClass,
         printableGet<classes::TObject *>(
             [](const TppPrintable &p) -> classes::TObject * { return p.LookupPipeline(); }),
         {}},
        ZVO_PRINTABLE_INT_RO("mmLeft", mmLeft),
        ZVO_PRINTABLE_INT_RO("mmHeight", mmHeight),
        ZVO_PRINTABLE_INT_RO("mmTop", mmTop),
        ZVO_PRINTABLE_INT_RO("mmWidth", mmWidth),
        ZVO_PRINTABLE_BOOL_RO("OutOfSpace", p.OutOfSpace()),
        ZVO_PRINTABLE_BOOL_RO("OverFlow", p.OverFlow()),
        ZVO_PRINTABLE_BOOL("ParentHeight", ParentHeight, SetParentHeight),
        ZVO_PRINTABLE_BOOL("ParentWidth", ParentWidth, SetParentWidth),
        ZVO_PRINTABLE_BOOL("ReprintOnOverFlow", ReprintOnOverFlow, SetReprintOnOverFlow),
        ZVO_PRINTABLE_BOOL("ShiftWithParent", ShiftWithParent, SetShiftWithParent),
        ZVO_PRINTABLE_BOOL("StretchWithParent", StretchWithParent, SetStretchWithParent),
        ZVO_PRINTABLE_BOOL("Visible", Visible, SetVisible),
        ZVO_PRINTABLE_BOOL("WordWrap", WordWrap, SetWordWrap),
        ZVO_PRINTABLE_BOOL_RO("ResetOnCompute", p.ResetOnCompute()),
        {"SelectionObject",
         PrintableKind::Object,
         nullptr,
         []() { return &classes::TComponent::StaticClass(); },
         printableGet<classes::TObject *>([](const TppPrintable &) -> classes::TObject * { return nullptr; }),
         {}},
        ZVO_PRINTABLE_INT_RO("SpaceUsed", SpaceUsed),
        ZVO_PRINTABLE_INT("spLeft", spLeft, SetspLeft),
        ZVO_PRINTABLE_INT("spHeight", spHeight, SetspHeight),
        ZVO_PRINTABLE_INT("spTop", spTop, SetspTop),
        ZVO_PRINTABLE_INT("spWidth", spWidth, SetspWidth),
        {"Text", PrintableKind::String, nullptr, nullptr,
         printableGet<QString>([](const TppPrintable &p) { return p.GetText(); }),
         printableSet<QString>([](TppPrintable &p, QString v) { p.SetText(v); })},
        {"Units", PrintableKind::Enum, "TppUnitType", nullptr,
         printableGet<uint8_t>([](const TppPrintable &p) { return uint8_t(p.Units()); }),
         printableEnumSet<TppUnitType>(&EnumInfo<TppUnitType>, [](TppPrintable &p, TppUnitType v) { p.SetUnits(v); })},
        ZVO_PRINTABLE_INT_RO("ZOrder", GetZOrder),
    };
    return props;
}

#undef ZVO_PRINTABLE_BOOL_RO
#undef ZVO_PRINTABLE_BOOL
#undef ZVO_PRINTABLE_INT_RO
#undef ZVO_PRINTABLE_INT
#undef ZVO_PRINTABLE_SINGLE

const PrintableProp *findPrintableProp(const QString &aName)
{
    for (const PrintableProp &prop : printableProps())
        if (raSameName(aName, prop.name))
            return &prop;
    return nullptr;
}

struct PrintableEvent
{
    const char *name;
    int id;
    bool hasParams;
};

constexpr PrintableEvent PrintableEvents[] = {
    {"OnPrint", ppEvent::OnPrint, false},
    {"OnDrawCommandCreate", ppEvent::OnDrawCommandCreate, true},
    {"OnDrawCommandClick", ppEvent::OnDrawCommandClick, true},
};

} // namespace

TraTppPrintableRTTI::TraTppPrintableRTTI()
    : TraRTTI(&TraTppCacheableRTTI::Instance())
{}

const TraTppPrintableRTTI &TraTppPrintableRTTI::Instance()
{
    static const TraTppPrintableRTTI instance;
    return instance;
}

const classes::TMetaClass &TraTppPrintableRTTI::RefClass() const
{
    return TppPrintable::StaticClass();
}

void TraTppPrintableRTTI::GetPropList(const classes::TMetaClass &aClass, classes::TStrings &aList) const
{
    TraRTTI::GetPropList(aClass, aList);
    for (const PrintableProp &prop : printableProps())
        raAddPropName(aList, QString::fromLatin1(prop.name));
}

void TraTppPrintableRTTI::GetEventList(const classes::TMetaClass &aClass, classes::TStrings &aList) const
{
    TraRTTI::GetEventList(aClass, aList);
    for (const PrintableEvent &e : PrintableEvents)
        raAddPropName(aList, QString::fromLatin1(e.name));
}

bool TraTppPrintableRTTI::GetPropRec(const classes::TMetaClass &aClass, const QString &aName, TraPropRec &aRec) const
{
    for (const PrintableEvent &e : PrintableEvents)
        if (raSameName(aName, e.name)) {
            EventToRec(QString::fromLatin1(e.name), e.id, e.hasParams, aRec);
            return true;
        }
    const PrintableProp *prop = findPrintableProp(aName);
    if (!prop)
        return TraRTTI::GetPropRec(aClass, aName, aRec);
    const QString name = QString::fromLatin1(prop->name);
    const bool readOnly = !prop->set;
    switch (prop->kind) {
    case PrintableKind::Boolean: InitPropRec(name, TraDataType::daBoolean, readOnly, aRec); break;
    case PrintableKind::Integer: InitPropRec(name, TraDataType::daInteger, readOnly, aRec); break;
    case PrintableKind::Single: InitPropRec(name, TraDataType::daSingle, readOnly, aRec); break;
    case PrintableKind::String: InitPropRec(name, TraDataType::daString, readOnly, aRec); break;
    case PrintableKind::Enum: EnumPropToRec(name, QString::fromLatin1(prop->typeName), readOnly, aRec); break;
    case PrintableKind::Object: ClassPropToRec(name, *prop->classOf(), readOnly, aRec); break;
    }
    return true;
}

std::unique_ptr<TraParamList> TraTppPrintableRTTI::GetParams(const QString &aName) const
{
    if (!raSameName(aName, "OnDrawCommandCreate") && !raSameName(aName, "OnDrawCommandClick"))
        return TraRTTI::GetParams(aName);
    auto params = std::make_unique<TraParamList>();
    params->AddParam(QStringLiteral("aDrawCommand"), TraDataType::daClass, false, false, QString(),
                     &classes::TObject::StaticClass());
    return params;
}

bool TraTppPrintableRTTI::GetPropValue(classes::TObject *aObject, const QString &aName,
                                       const TraValuePointer &aValue) const
{
    auto *printable = dynamic_cast<TppPrintable *>(aObject);
    const PrintableProp *prop = printable ? findPrintableProp(aName) : nullptr;
    if (!prop)
        return TraRTTI::GetPropValue(aObject, aName, aValue);
    prop->get(*printable, aValue, aName);
    return true;
}

bool TraTppPrintableRTTI::SetPropValue(classes::TObject *aObject, const QString &aName,
                                       const TraValuePointer &aValue) const
{
    auto *printable = dynamic_cast<TppPrintable *>(aObject);
    const PrintableProp *prop = printable ? findPrintableProp(aName) : nullptr;
    if (!prop)
        return TraRTTI::SetPropValue(aObject, aName, aValue);
    return prop->set && prop->set(*printable, aValue, aName);
}

} // namespace report
