#include "report/model/bands/BandRTTI.h"

#include "report/model/bands/Band.h"
#include "report/model/data/Cacheable.h"
#include "report/model/reports/CustomReport.h"

#include "platform/classes/StringList.h"

namespace report {

namespace {

struct BandEventName
{
    const char *name;
    int id;
};

constexpr BandEventName BandEvents[] = {
    {"AfterPrint", ppEvent::BandAfterPrint},
    {"BeforePrint", ppEvent::BandBeforePrint},
    {"AfterGenerate", ppEvent::AfterGenerate},
    {"BeforeGenerate", ppEvent::BeforeGenerate},
};

constexpr const char *BandReadOnlyIntegers[] = {"CaptionIndex", "Index", "ObjectCount", "SaveCount", "VariableCount"};
constexpr const char *BandIntegers[] = {"mmBottomOffset", "mmHeight", "mmPrintPosition", "mmTop",
                                        "mmWidth",        "spHeight", "spTop",           "spWidth"};
constexpr const char *BandLists[] = {"Objects", "Saves", "Variables"};

template <size_t N>
const char *bandOwnName(const QString &aName, const char *const (&aNames)[N])
{
    for (const char *name : aNames)
        if (raSameName(aName, name))
            return name;
    return nullptr;
}

int32_t bandScreenPixels(int32_t aValue)
{
    return ppRound(ppFromMMThousandths(aValue, TppUnitType::utScreenPixels, TppAxisType::atVertical));
}

int32_t bandInteger(const TppBand &b, const QString &aName)
{
    if (raSameName(aName, "mmBottomOffset"))
        return b.mmBottomOffset();
    if (raSameName(aName, "mmHeight"))
        return b.mmHeight();
    if (raSameName(aName, "mmPrintPosition"))
        return b.mmPrintPosition();
    if (raSameName(aName, "mmWidth"))
        return b.BandWidth();
    if (raSameName(aName, "spHeight"))
        return bandScreenPixels(b.mmHeight());
    if (raSameName(aName, "spWidth"))
        return ppRound(ppFromMMThousandths(b.BandWidth(), TppUnitType::utScreenPixels, TppAxisType::atHorizontal));
    if (raSameName(aName, "CaptionIndex"))
        return b.CaptionIndex();
    if (raSameName(aName, "Index"))
        return b.Index();
    if (raSameName(aName, "ObjectCount"))
        return b.ObjectCount();
    if (raSameName(aName, "SaveCount"))
        return b.SaveCount();
    if (raSameName(aName, "VariableCount"))
        return b.VariableCount();
    return 0; // mmTop, spTop: a band starts where the engine places it
}

} // namespace

TraTppBandRTTI::TraTppBandRTTI()
    : TraRTTI(&TraTppCacheableRTTI::Instance())
{}

const TraTppBandRTTI &TraTppBandRTTI::Instance()
{
    static const TraTppBandRTTI instance;
    return instance;
}

const classes::TMetaClass &TraTppBandRTTI::RefClass() const
{
    return TppBand::StaticClass();
}

void TraTppBandRTTI::GetPropList(const classes::TMetaClass &aClass, classes::TStrings &aList) const
{
    TraRTTI::GetPropList(aClass, aList);
    for (const char *name : BandReadOnlyIntegers)
        raAddPropName(aList, QString::fromLatin1(name));
    for (const char *name : BandIntegers)
        raAddPropName(aList, QString::fromLatin1(name));
    for (const char *name : BandLists)
        raAddPropName(aList, QString::fromLatin1(name));
    for (const char *name :
         {"DrawPage", "LastBand", "Rank", "Caption", "Height", "Save", "Visible", "PrintHeight", "Report", "Units"})
        raAddPropName(aList, QString::fromLatin1(name));
}

void TraTppBandRTTI::GetEventList(const classes::TMetaClass &aClass, classes::TStrings &aList) const
{
    TraRTTI::GetEventList(aClass, aList);
    for (const BandEventName &e : BandEvents)
        raAddPropName(aList, QString::fromLatin1(e.name));
}

bool TraTppBandRTTI::GetPropRec(const classes::TMetaClass &aClass, const QString &aName, TraPropRec &aRec) const
{
    for (const BandEventName &e : BandEvents)
        if (raSameName(aName, e.name)) {
            EventToRec(QString::fromLatin1(e.name), e.id, false, aRec);
            return true;
        }
    if (const char *name = bandOwnName(aName, BandReadOnlyIntegers))
        InitPropRec(QString::fromLatin1(name), TraDataType::daInteger, true, aRec);
    else if (const char *integer = bandOwnName(aName, BandIntegers))
        InitPropRec(QString::fromLatin1(integer), TraDataType::daInteger, false, aRec);
    else if (const char *list = bandOwnName(aName, BandLists))
        ArrayPropToRec(QString::fromLatin1(list), aRec);
    else if (raSameName(aName, "DrawPage") || raSameName(aName, "LastBand"))
        InitPropRec(raSameName(aName, "DrawPage") ? QStringLiteral("DrawPage") : QStringLiteral("LastBand"),
                    TraDataType::daBoolean, true, aRec);
    else if (raSameName(aName, "Rank"))
        InitPropRec(QStringLiteral("Rank"), TraDataType::daString, true, aRec);
    else if (raSameName(aName, "Caption"))
        InitPropRec(QStringLiteral("Caption"), TraDataType::daString, false, aRec);
    else if (raSameName(aName, "Height"))
        InitPropRec(QStringLiteral("Height"), TraDataType::daSingle, false, aRec);
    else if (raSameName(aName, "Save") || raSameName(aName, "Visible"))
        InitPropRec(raSameName(aName, "Save") ? QStringLiteral("Save") : QStringLiteral("Visible"),
                    TraDataType::daBoolean, false, aRec);
    else if (raSameName(aName, "PrintHeight"))
        EnumPropToRec(QStringLiteral("PrintHeight"), QStringLiteral("TppPrintHeightType"), false, aRec);
    else if (raSameName(aName, "Units"))
        EnumPropToRec(QStringLiteral("Units"), QStringLiteral("TppUnitType"), false, aRec);
    else if (raSameName(aName, "Report"))
        ClassPropToRec(QStringLiteral("Report"), TppCustomReport::StaticClass(), false, aRec);
    else
        return TraRTTI::GetPropRec(aClass, aName, aRec);
    return true;
}

std::unique_ptr<TraParamList> TraTppBandRTTI::GetParams(const QString &aName) const
{
    if (!bandOwnName(aName, BandLists))
        return TraRTTI::GetParams(aName);
    auto params = std::make_unique<TraParamList>();
    params->AddParam(QStringLiteral("Index"), TraDataType::daInteger);
    params->AddParam(QStringLiteral("Result"), TraDataType::daClass, false, false, QString(),
                     &TppComponent::StaticClass());
    return params;
}

bool TraTppBandRTTI::CallMethod(classes::TObject *aObject, const QString &aName, TraParamList &aParams) const
{
    auto *band = dynamic_cast<TppBand *>(aObject);
    if (!band || !bandOwnName(aName, BandLists))
        return TraRTTI::CallMethod(aObject, aName, aParams);
    const int index = aParams.ParamValue<int32_t>(0);
    if (raSameName(aName, "Objects"))
        aParams.SetParamValue(1, band->Objects(index));
    else if (raSameName(aName, "Saves"))
        aParams.SetParamValue(1, band->Saves(index));
    else
        aParams.SetParamValue(1, band->Variables(index));
    return true;
}

bool TraTppBandRTTI::GetPropValue(classes::TObject *aObject, const QString &aName, const TraValuePointer &aValue) const
{
    auto *b = dynamic_cast<TppBand *>(aObject);
    if (!b)
        return TraRTTI::GetPropValue(aObject, aName, aValue);
    if (bandOwnName(aName, BandReadOnlyIntegers) || bandOwnName(aName, BandIntegers))
        raWriteValue(aValue, bandInteger(*b, aName), aName);
    else if (raSameName(aName, "DrawPage"))
        raWriteValue(aValue, b->DrawPage(), aName);
    else if (raSameName(aName, "LastBand"))
        raWriteValue(aValue, b->LastBand(), aName);
    else if (raSameName(aName, "Rank"))
        raWriteValue(aValue, b->GetSortKey(), aName);
    else if (raSameName(aName, "Caption"))
        raWriteValue(aValue, b->Caption(), aName);
    else if (raSameName(aName, "Height"))
        raWriteValue(aValue, b->Height(), aName);
    else if (raSameName(aName, "Save"))
        raWriteValue(aValue, b->Save(), aName);
    else if (raSameName(aName, "Visible"))
        raWriteValue(aValue, b->Visible(), aName);
    else if (raSameName(aName, "PrintHeight"))
        raWriteValue(aValue, b->PrintHeight(), aName);
    else if (raSameName(aName, "Units"))
        raWriteValue(aValue, b->Units(), aName);
    else if (raSameName(aName, "Report"))
        raWriteValue(aValue, b->GetParentComponent(), aName);
    else
        return TraRTTI::GetPropValue(aObject, aName, aValue);
    return true;
}

bool TraTppBandRTTI::SetPropValue(classes::TObject *aObject, const QString &aName, const TraValuePointer &aValue) const
{
    auto *b = dynamic_cast<TppBand *>(aObject);
    if (!b)
        return TraRTTI::SetPropValue(aObject, aName, aValue);
    if (bandOwnName(aName, BandReadOnlyIntegers) || raSameName(aName, "DrawPage") || raSameName(aName, "LastBand") ||
        raSameName(aName, "Rank"))
        return false;
    if (raSameName(aName, "mmBottomOffset"))
        b->SetmmBottomOffset(raReadValue<int32_t>(aValue, aName));
    else if (raSameName(aName, "mmHeight"))
        b->SetmmHeight(raReadValue<int32_t>(aValue, aName));
    else if (raSameName(aName, "mmPrintPosition"))
        b->SetmmPrintPosition(raReadValue<int32_t>(aValue, aName));
    else if (raSameName(aName, "spHeight"))
        b->SetmmHeight(ppToMMThousandths(float(raReadValue<int32_t>(aValue, aName)), TppUnitType::utScreenPixels,
                                         TppAxisType::atVertical));
    else if (bandOwnName(aName, BandIntegers))
        return false; // the width follows the page or the column, the top the engine's placing
    else if (raSameName(aName, "Caption"))
        b->SetCaption(raReadValue<QString>(aValue, aName));
    else if (raSameName(aName, "Height"))
        b->SetHeight(raReadValue<float>(aValue, aName));
    else if (raSameName(aName, "Save"))
        b->SetSave(raReadValue<bool>(aValue, aName));
    else if (raSameName(aName, "Visible"))
        b->SetVisible(raReadValue<bool>(aValue, aName));
    else if (raSameName(aName, "PrintHeight")) {
        TppPrintHeightType value{};
        if (!raReadEnumeration(aValue, aName, EnumInfo<TppPrintHeightType>(), value))
            return false;
        b->SetPrintHeight(value);
    } else if (raSameName(aName, "Units")) {
        TppUnitType value{};
        if (!raReadEnumeration(aValue, aName, EnumInfo<TppUnitType>(), value))
            return false;
        b->SetUnits(value);
    } else if (raSameName(aName, "Report"))
        b->SetReport(raReadValue<TppCustomReport *>(aValue, aName));
    else
        return TraRTTI::SetPropValue(aObject, aName, aValue);
    return true;
}

} // namespace report
