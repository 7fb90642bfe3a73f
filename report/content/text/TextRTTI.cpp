#include "report/content/text/TextRTTI.h"

#include "report/content/text/DBText.h"
#include "report/model/bands/Component.h"
#include "report/model/data/DataPipeline.h"
#include "report/model/objects/EventIds.h"
#include "report/model/objects/ParamList.h"

#include "platform/classes/StringList.h"

namespace report {

namespace {

struct TextPropName
{
    const char *name;
    TraDataType type;
    bool readOnly;
};

constexpr TextPropName CustomTextProps[] = {
    {"AutoSize", TraDataType::daBoolean, true},     {"CharWrap", TraDataType::daBoolean, false},
    {"Color", TraDataType::daInteger, false},       {"Description", TraDataType::daString, true},
    {"SaveOrder", TraDataType::daInteger, false},   {"Save", TraDataType::daBoolean, false},
    {"SaveLength", TraDataType::daInteger, false},  {"Text", TraDataType::daString, false},
    {"Transparent", TraDataType::daBoolean, false},
};

constexpr TextPropName DBTextProps[] = {
    {"AlreadyPrinted", TraDataType::daBoolean, true},
    {"FirstPage", TraDataType::daInteger, true},
    {"PriorValue", TraDataType::daString, true},
    {"PriorValueSame", TraDataType::daBoolean, true},
    {"FieldValue", TraDataType::daVariant, true},
    {"BlankWhenZero", TraDataType::daBoolean, false},
    {"ReprintOnSubsequent", TraDataType::daBoolean, false},
    {"SuppressRepeatedValues", TraDataType::daBoolean, false},
};

template <size_t N>
const TextPropName *textPropNamed(const QString &aName, const TextPropName (&aProps)[N])
{
    for (const TextPropName &p : aProps)
        if (raSameName(aName, p.name))
            return &p;
    return nullptr;
}

} // namespace

// ---- TppCustomText ---------------------------------------------------------------

TraTppCustomTextRTTI::TraTppCustomTextRTTI()
    : TraRTTI(&TraTppComponentRTTI::Instance())
{}

const TraTppCustomTextRTTI &TraTppCustomTextRTTI::Instance()
{
    static const TraTppCustomTextRTTI instance;
    return instance;
}

const classes::TMetaClass &TraTppCustomTextRTTI::RefClass() const
{
    return TppCustomText::StaticClass();
}

void TraTppCustomTextRTTI::GetPropList(const classes::TMetaClass &aClass, classes::TStrings &aList) const
{
    TraRTTI::GetPropList(aClass, aList);
    for (const TextPropName &p : CustomTextProps)
        raAddPropName(aList, QString::fromLatin1(p.name));
}

void TraTppCustomTextRTTI::GetEventList(const classes::TMetaClass &aClass, classes::TStrings &aList) const
{
    TraRTTI::GetEventList(aClass, aList);
    raAddPropName(aList, QStringLiteral("OnGetText"));
    raAddPropName(aList, QStringLiteral("OnFormat"));
}

bool TraTppCustomTextRTTI::GetPropRec(const classes::TMetaClass &aClass, const QString &aName, TraPropRec &aRec) const
{
    if (raSameName(aName, "OnGetText")) {
        EventToRec(QStringLiteral("OnGetText"), ppEvent::OnGetText, true, aRec);
        return true;
    }
    if (const TextPropName *p = textPropNamed(aName, CustomTextProps)) {
        InitPropRec(QString::fromLatin1(p->name), p->type, p->readOnly, aRec);
        return true;
    }
    return TraRTTI::GetPropRec(aClass, aName, aRec);
}

std::unique_ptr<TraParamList> TraTppCustomTextRTTI::GetParams(const QString &aName) const
{
    if (!raSameName(aName, "OnGetText"))
        return TraRTTI::GetParams(aName);
    auto params = std::make_unique<TraParamList>();
    params->AddParam(QStringLiteral("Text"), TraDataType::daString, true);
    return params;
}

bool TraTppCustomTextRTTI::GetPropValue(classes::TObject *aObject, const QString &aName,
                                        const TraValuePointer &aValue) const
{
    auto *t = dynamic_cast<TppCustomText *>(aObject);
    if (!t || !textPropNamed(aName, CustomTextProps))
        return TraRTTI::GetPropValue(aObject, aName, aValue);
    if (raSameName(aName, "AutoSize"))
        raWriteValue(aValue, t->AutoSize(), aName);
    else if (raSameName(aName, "CharWrap"))
        raWriteValue(aValue, t->CharWrap(), aName);
    else if (raSameName(aName, "Color"))
        raWriteValue(aValue, int32_t(t->Color()), aName);
    else if (raSameName(aName, "Description"))
        raWriteValue(aValue, t->GetDescription(), aName);
    else if (raSameName(aName, "SaveOrder"))
        raWriteValue(aValue, int32_t(t->SaveOrder()), aName);
    else if (raSameName(aName, "Save"))
        raWriteValue(aValue, t->Save(), aName);
    else if (raSameName(aName, "SaveLength"))
        raWriteValue(aValue, t->SaveLength(), aName);
    else if (raSameName(aName, "Text"))
        raWriteValue(aValue, t->GetText(), aName);
    else
        raWriteValue(aValue, t->Transparent(), aName);
    return true;
}

bool TraTppCustomTextRTTI::SetPropValue(classes::TObject *aObject, const QString &aName,
                                        const TraValuePointer &aValue) const
{
    auto *t = dynamic_cast<TppCustomText *>(aObject);
    const TextPropName *p = textPropNamed(aName, CustomTextProps);
    if (!t || !p)
        return TraRTTI::SetPropValue(aObject, aName, aValue);
    // A name this descriptor calls read-only stays so for scripts, though
    // the class publishes a setter under it (AutoSize) that the root would
    // find.
    if (p->readOnly)
        return false;
    if (raSameName(aName, "CharWrap"))
        t->SetCharWrap(raReadValue<bool>(aValue, aName));
    else if (raSameName(aName, "Color"))
        t->SetColor(raReadValue<int32_t>(aValue, aName));
    else if (raSameName(aName, "SaveOrder"))
        t->SetSaveOrder(raReadValue<int32_t>(aValue, aName));
    else if (raSameName(aName, "Save"))
        t->SetSave(raReadValue<bool>(aValue, aName));
    else if (raSameName(aName, "SaveLength"))
        t->SetSaveLength(raReadValue<int32_t>(aValue, aName));
    else if (raSameName(aName, "Text"))
        t->SetText(raReadValue<QString>(aValue, aName));
    else
        t->SetTransparent(raReadValue<bool>(aValue, aName));
    return true;
}

// ---- TppDBText -------------------------------------------------------------------

TraTppDBTextRTTI::TraTppDBTextRTTI()
    : TraRTTI(&TraTppCustomTextRTTI::Instance())
{}

const TraTppDBTextRTTI &TraTppDBTextRTTI::Instance()
{
    static const TraTppDBTextRTTI instance;
    return instance;
}

const classes::TMetaClass &TraTppDBTextRTTI::RefClass() const
{
    return TppDBText::StaticClass();
}

void TraTppDBTextRTTI::GetPropList(const classes::TMetaClass &aClass, classes::TStrings &aList) const
{
    TraRTTI::GetPropList(aClass, aList);
    for (const TextPropName &p : DBTextProps)
        raAddPropName(aList, QString::fromLatin1(p.name));
}

bool TraTppDBTextRTTI::GetPropRec(const classes::TMetaClass &aClass, const QString &aName, TraPropRec &aRec) const
{
    if (const TextPropName *p = textPropNamed(aName, DBTextProps)) {
        InitPropRec(QString::fromLatin1(p->name), p->type, p->readOnly, aRec);
        return true;
    }
    return TraRTTI::GetPropRec(aClass, aName, aRec);
}

bool TraTppDBTextRTTI::GetPropValue(classes::TObject *aObject, const QString &aName,
                                    const TraValuePointer &aValue) const
{
    auto *t = dynamic_cast<TppDBText *>(aObject);
    if (!t || !textPropNamed(aName, DBTextProps))
        return TraRTTI::GetPropValue(aObject, aName, aValue);
    if (raSameName(aName, "AlreadyPrinted"))
        raWriteValue(aValue, t->AlreadyPrinted(), aName);
    else if (raSameName(aName, "FirstPage"))
        raWriteValue(aValue, int32_t(t->FirstPage()), aName);
    else if (raSameName(aName, "PriorValue"))
        raWriteValue(aValue, t->PriorValue(), aName);
    else if (raSameName(aName, "PriorValueSame"))
        raWriteValue(aValue, t->PriorValueSame(), aName);
    else if (raSameName(aName, "FieldValue")) {
        // 0 without data to read.
        QVariant value(0);
        if (t->CheckForPipelineData())
            value = t->DataPipeline()->GetFieldValue(t->DataField());
        raWriteValue(aValue, value, aName);
    } else if (raSameName(aName, "BlankWhenZero"))
        raWriteValue(aValue, t->BlankWhenZero(), aName);
    else if (raSameName(aName, "ReprintOnSubsequent"))
        raWriteValue(aValue, t->ReprintOnSubsequent(), aName);
    else
        raWriteValue(aValue, t->SuppressRepeatedValues(), aName);
    return true;
}

bool TraTppDBTextRTTI::SetPropValue(classes::TObject *aObject, const QString &aName,
                                    const TraValuePointer &aValue) const
{
    auto *t = dynamic_cast<TppDBText *>(aObject);
    const TextPropName *p = textPropNamed(aName, DBTextProps);
    if (!t || !p)
        return TraRTTI::SetPropValue(aObject, aName, aValue);
    if (p->readOnly)
        return false;
    if (raSameName(aName, "BlankWhenZero"))
        t->SetBlankWhenZero(raReadValue<bool>(aValue, aName));
    else if (raSameName(aName, "ReprintOnSubsequent"))
        t->SetReprintOnSubsequent(raReadValue<bool>(aValue, aName));
    else
        t->SetSuppressRepeatedValues(raReadValue<bool>(aValue, aName));
    return true;
}

} // namespace report
