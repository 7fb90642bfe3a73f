#include "report/model/bands/StretchableRTTI.h"

#include "report/model/bands/Stretchable.h"
#include "report/model/objects/ParamList.h"

namespace report {

namespace {

struct StretchablePropName
{
    const char *name;
    TraDataType type;
    bool readOnly;
};

constexpr StretchablePropName StretchableProps[] = {
    {"CurrentPosition", TraDataType::daInteger, true},   {"mmBottomOffset", TraDataType::daInteger, true},
    {"mmOverFlowOffset", TraDataType::daInteger, true},  {"KeepTogether", TraDataType::daBoolean, false},
    {"KeptTogether", TraDataType::daBoolean, true},      {"PageBottom", TraDataType::daInteger, true},
    {"PartialAdjustment", TraDataType::daInteger, true}, {"PartialGeneration", TraDataType::daBoolean, true},
    {"ShifterCount", TraDataType::daInteger, true},      {"ShiftRelativeTo", TraDataType::daClass, false},
    {"mmStopPosition", TraDataType::daInteger, true},    {"Stretch", TraDataType::daBoolean, false},
};

const StretchablePropName *stretchablePropNamed(const QString &aName)
{
    for (const StretchablePropName &p : StretchableProps)
        if (raSameName(aName, p.name))
            return &p;
    return nullptr;
}

} // namespace

TraTppStretchableRTTI::TraTppStretchableRTTI()
    : TraRTTI(&TraTppComponentRTTI::Instance())
{}

const TraTppStretchableRTTI &TraTppStretchableRTTI::Instance()
{
    static const TraTppStretchableRTTI instance;
    return instance;
}

const classes::TMetaClass &TraTppStretchableRTTI::RefClass() const
{
    return TppStretchable::StaticClass();
}

void TraTppStretchableRTTI::GetPropList(const classes::TMetaClass &aClass, classes::TStrings &aList) const
{
    TraRTTI::GetPropList(aClass, aList);
    for (const StretchablePropName &p : StretchableProps)
        raAddPropName(aList, QString::fromLatin1(p.name));
}

bool TraTppStretchableRTTI::GetPropRec(const classes::TMetaClass &aClass, const QString &aName, TraPropRec &aRec) const
{
    const StretchablePropName *p = stretchablePropNamed(aName);
    if (!p)
        return TraRTTI::GetPropRec(aClass, aName, aRec);
    if (p->type == TraDataType::daClass)
        ClassPropToRec(QString::fromLatin1(p->name), TppStretchable::StaticClass(), p->readOnly, aRec);
    else
        InitPropRec(QString::fromLatin1(p->name), p->type, p->readOnly, aRec);
    return true;
}

bool TraTppStretchableRTTI::GetPropValue(classes::TObject *aObject, const QString &aName,
                                         const TraValuePointer &aValue) const
{
    auto *s = dynamic_cast<TppStretchable *>(aObject);
    if (!s || !stretchablePropNamed(aName))
        return TraRTTI::GetPropValue(aObject, aName, aValue);
    if (raSameName(aName, "CurrentPosition"))
        raWriteValue(aValue, s->CurrentPosition(), aName);
    else if (raSameName(aName, "mmBottomOffset"))
        raWriteValue(aValue, s->mmBottomOffset(), aName);
    else if (raSameName(aName, "mmOverFlowOffset"))
        raWriteValue(aValue, s->mmOverFlowOffset(), aName);
    else if (raSameName(aName, "KeepTogether"))
        raWriteValue(aValue, s->KeepTogether(), aName);
    else if (raSameName(aName, "KeptTogether"))
        raWriteValue(aValue, s->KeptTogether(), aName);
    else if (raSameName(aName, "PageBottom"))
        raWriteValue(aValue, s->PageBottom(), aName);
    else if (raSameName(aName, "PartialAdjustment"))
        raWriteValue(aValue, s->PartialAdjustment(), aName);
    else if (raSameName(aName, "PartialGeneration"))
        raWriteValue(aValue, s->PartialGeneration(), aName);
    else if (raSameName(aName, "ShifterCount"))
        raWriteValue(aValue, int32_t(s->ShifterCount()), aName);
    else if (raSameName(aName, "ShiftRelativeTo"))
        raWriteValue(aValue, s->ShiftRelativeTo(), aName);
    else if (raSameName(aName, "mmStopPosition"))
        raWriteValue(aValue, s->mmStopPosition(), aName);
    else
        raWriteValue(aValue, s->Stretch(), aName);
    return true;
}

bool TraTppStretchableRTTI::SetPropValue(classes::TObject *aObject, const QString &aName,
                                         const TraValuePointer &aValue) const
{
    auto *s = dynamic_cast<TppStretchable *>(aObject);
    if (!s)
        return TraRTTI::SetPropValue(aObject, aName, aValue);
    if (raSameName(aName, "KeepTogether"))
        s->SetKeepTogether(raReadValue<bool>(aValue, aName));
    else if (raSameName(aName, "ShiftRelativeTo"))
        s->SetShiftRelativeTo(raReadValue<TppStretchable *>(aValue, aName));
    else if (raSameName(aName, "Stretch"))
        s->SetStretch(raReadValue<bool>(aValue, aName));
    else
        return TraRTTI::SetPropValue(aObject, aName, aValue);
    return true;
}

} // namespace report
