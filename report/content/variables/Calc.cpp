#include "report/content/variables/Calc.h"

#include "report/content/drawcommands/DrawVariables.h"
#include "report/content/variables/SystemVariable.h"
#include "report/content/variables/Variable.h"
#include "report/model/bands/Band.h"
#include "report/model/bands/PublishedGeometry.h"
#include "report/model/base/DisplayFormat.h"
#include "report/model/base/Messages.h"
#include "report/model/base/Utils.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/Filer.h"
#include "platform/classes/Reader.h"
#include "platform/rtl/DateTime.h"

#include <utility>
#include <vector>

namespace report {

namespace {

struct CalcCacheRecord
{
    uint8_t drawComponent = 0;
    uint8_t boolean = 0;
    int32_t integer = 0;
    double dateTime = 0;
    double doubleValue = 0;
};

bool calcIsFixedKind(TppCalcType aType)
{
    return aType != TppCalcType::ctCustom;
}

// The field types old reports named for a calculation's value.
bool calcLegacyFieldType(const QString &aIdent, TppDataType &aType)
{
    static const std::pair<const char *, TppDataType> types[] = {
        {"ftString", TppDataType::dtString},    {"ftSmallint", TppDataType::dtInteger},
        {"ftInteger", TppDataType::dtInteger},  {"ftWord", TppDataType::dtInteger},
        {"ftBytes", TppDataType::dtInteger},    {"ftFloat", TppDataType::dtDouble},
        {"ftCurrency", TppDataType::dtDouble},  {"ftBoolean", TppDataType::dtBoolean},
        {"ftDate", TppDataType::dtDate},        {"ftTime", TppDataType::dtTime},
        {"ftDateTime", TppDataType::dtDateTime}};
    for (const auto &[name, type] : types)
        if (aIdent.compare(QLatin1String(name), Qt::CaseInsensitive) == 0) {
            aType = type;
            return true;
        }
    return false;
}

// What the successor of a calculation takes over from it.
void calcCopyLooks(TppCalc &aCalc, TppCustomText &aTarget)
{
    aTarget.SetBounds(aCalc.mmLeft(), aCalc.mmTop(), aCalc.mmWidth(), aCalc.mmHeight());
    aTarget.SetAlignment(aCalc.Alignment());
    aTarget.SetTextAlignment(aCalc.TextAlignment());
    aTarget.SetAutoSize(aCalc.AutoSize());
    aTarget.SetColor(aCalc.Color());
    aTarget.SetDisplayFormat(aCalc.DisplayFormat());
    aTarget.SetFont(aCalc.Font());
    aTarget.SetTransparent(aCalc.Transparent());
    aTarget.SetVisible(aCalc.Visible());
    aTarget.SetWordWrap(aCalc.WordWrap());
    aTarget.OnDrawCommandClick = aCalc.OnDrawCommandClick;
    aTarget.OnDrawCommandCreate = aCalc.OnDrawCommandCreate;
    aTarget.OnPrint = aCalc.OnPrint;
    aTarget.OnGetText = aCalc.OnGetText;
}

} // namespace

TppDataType ppCalcTypeDataType(TppCalcType aType)
{
    switch (aType) {
    case TppCalcType::ctDate: return TppDataType::dtDate;
    case TppCalcType::ctDateTime:
    case TppCalcType::ctPrintDateTime: return TppDataType::dtDateTime;
    case TppCalcType::ctPageCount:
    case TppCalcType::ctPageNo: return TppDataType::dtInteger;
    case TppCalcType::ctTime: return TppDataType::dtTime;
    default: return TppDataType::dtString;
    }
}

QString ppCalcTypeCaption(TppCalcType aType)
{
    if (aType == TppCalcType::ctCustom)
        return QStringLiteral("Custom");
    return ppVarTypeCaption(ppCalcTypeToVarType(aType));
}

const classes::TMetaClass &TppCalc::StaticClass()
{
    using C = TppCalc;
    static const classes::TMetaClass meta =
        classes::MakeClass<C, TppCustomText>("TppCalc", [](classes::TClassBuilder<C> &c) {
            c.Enum("Alignment", classes::AlignmentInfo(), &C::Alignment, &C::SetAlignment)
                .Default(classes::TAlignment::taLeftJustify);
            c.Boolean("AutoSize", &C::AutoSize, &C::SetAutoSize).Default(false);
            c.Enum("CalcType", EnumInfo<TppCalcType>(), &C::CalcType, &C::SetCalcType).Default(TppCalcType::ctDate);
            c.Enum("CustomType", EnumInfo<TppDataType>(), &C::CustomType, &C::SetCustomType).Stored(true);
            c.Integer("Color", &C::Color, &C::SetColor).Default(0xFFFFFF);
            c.String("DisplayFormat", &C::DisplayFormat, &C::SetDisplayFormat);
            c.Object("Font", &C::Font, &C::SetFont);
            c.Event("OnCalc", &C::OnCalc);
            c.Event("OnFormat", &C::OnFormat, QStringLiteral("TppFormatEvent"));
            c.Boolean("Transparent", &C::Transparent, &C::SetTransparent).Default(false);
            c.Boolean("Visible", &C::Visible, &C::SetVisible).Default(true);
            c.Boolean("WordWrap", &C::WordWrap, &C::SetWordWrap).Default(false);
            ppPublishBounds(c);
        });
    return meta;
}

TppCalc::TppCalc(classes::TComponent *aOwner)
    : TppCustomText(aOwner)
{
    MakeDataAware();
    SetAutoSize(false);
    SetDrawCommandClass(&TppDrawCalc::StaticClass());
    SetCacheRecordSize(int32_t(sizeof(CalcCacheRecord)));
    m_dateTime = rtl::Now();
}

void TppCalc::SetCalcType(TppCalcType aValue)
{
    m_calcType = int(aValue) <= int(TppCalcType::ctCustom) ? aValue : TppCalcType::ctDate;
    m_customType = ppCalcTypeDataType(m_calcType);
    if (!ReportPrinting())
        InvalidateDesignControl();
    PropertyChange();
}

void TppCalc::SetCustomType(TppDataType aValue)
{
    if (!loadingOrReading() && m_calcType != TppCalcType::ctCustom)
        return;
    m_customType = aValue;
    PropertyChange();
}

void TppCalc::SetDisplayFormat(const QString &aValue)
{
    TppCustomText::SetDisplayFormat(aValue);
    InvalidateDesignControl();
}

void TppCalc::SetText(const QString &aText)
{
    if (m_calcType != TppCalcType::ctCustom)
        return;
    m_string = aText;
    m_customType = TppDataType::dtString;
}

QVariant TppCalc::Value() const
{
    if (calcIsFixedKind(m_calcType))
        return ppSystemVariableValue(*this, ppCalcTypeToVarType(m_calcType));
    if (InDesignState() && !ReportPrinting())
        return QVariant(QStringLiteral("Custom"));
    switch (m_customType) {
    case TppDataType::dtBoolean: return QVariant(m_boolean);
    case TppDataType::dtDate:
    case TppDataType::dtTime:
    case TppDataType::dtDateTime: return QVariant(m_dateTime);
    case TppDataType::dtInteger: return QVariant(m_integer);
    case TppDataType::dtDouble: return QVariant(m_double);
    case TppDataType::dtString: return QVariant(m_string);
    default: return QVariant(QString());
    }
}

void TppCalc::Compute()
{
    if (m_calcType != TppCalcType::ctCustom || !ReportPrinting())
        return;
    if (ResetOnCompute()) {
        Reset();
        // The value starts again once, not at every print.
        SetResetOnCompute(false);
    }
    if (OnCalc)
        OnCalc(this);
}

void TppCalc::Generate()
{
    const std::weak_ptr<char> alive = AliveToken();
    Compute();
    if (!alive.expired())
        TppCustomText::Generate();
}

void TppCalc::Reset()
{
    TppCustomText::Reset();
    m_boolean = false;
    m_integer = 0;
    m_double = 0;
    m_string.clear();
    m_dateTime = rtl::Now();
}

void TppCalc::SaveToCache(int32_t aPageIndex)
{
    CalcCacheRecord record;
    record.drawComponent = DrawComponent() ? 1 : 0;
    record.boolean = m_boolean ? 1 : 0;
    record.integer = m_integer;
    record.dateTime = m_dateTime;
    record.doubleValue = m_double;
    WriteCacheRecord(aPageIndex, &record);
}

void TppCalc::RestoreFromCache(int32_t aPageIndex)
{
    CalcCacheRecord record;
    record.drawComponent = DrawComponent() ? 1 : 0;
    record.boolean = m_boolean ? 1 : 0;
    record.integer = m_integer;
    record.dateTime = m_dateTime;
    record.doubleValue = m_double;
    ReadCacheRecord(aPageIndex, &record);
    SetDrawComponent(record.drawComponent != 0);
    m_boolean = record.boolean != 0;
    m_integer = record.integer;
    m_dateTime = record.dateTime;
    m_double = record.doubleValue;
}

QString TppCalc::GetTheText() const
{
    const QVariant value = Value();
    const bool text = m_calcType == TppCalcType::ctPageSet || m_calcType == TppCalcType::ctPageSetDesc ||
                      m_calcType == TppCalcType::ctPageNoDesc ||
                      (m_calcType == TppCalcType::ctCustom && value.typeId() == QMetaType::QString &&
                       m_customType != TppDataType::dtString);
    QString result =
        text ? value.toString() : ppFormatComputedValue(OnFormat ? QString() : DisplayFormat(), m_customType, value);
    if (OnFormat)
        OnFormat(const_cast<TppCalc *>(this), DisplayFormat(), m_customType, value, result);
    return result;
}

QString TppCalc::GetDescription() const
{
    return Name() + QStringLiteral(": ") + ppCalcTypeCaption(m_calcType);
}

void TppCalc::PropertiesToDrawCommand(TppDrawCommand *aDrawCommand)
{
    // The text's handlers may free the control.
    const std::weak_ptr<char> alive = AliveToken();
    TppCustomText::PropertiesToDrawCommand(aDrawCommand);
    if (alive.expired())
        return;
    if (auto *command = dynamic_cast<TppDrawCalc *>(aDrawCommand)) {
        command->SetCalcType(m_calcType);
        command->SetDataType(m_customType);
    }
}

QStringList TppCalc::CalcTypeCaptions()
{
    QStringList captions;
    for (int kind = 0; kind <= int(TppCalcType::ctCustom); ++kind)
        captions << ppCalcTypeCaption(TppCalcType(kind));
    return captions;
}

void TppCalc::Convert(int aVersionNo)
{
    TppCustomText::Convert(aVersionNo);
    if (aVersionNo < 3000)
        m_customType = ppCalcTypeDataType(m_calcType);
}

void TppCalc::DefineProperties(classes::TFiler &aFiler)
{
    TppCustomText::DefineProperties(aFiler);
    aFiler.DefineProperty(
        QStringLiteral("DataType"),
        [this](classes::TReader &r) {
            TppDataType type = m_customType;
            if (calcLegacyFieldType(r.ReadIdent(), type))
                m_customType = type;
        },
        nullptr, false);
}

// ---- Conversion of old reports -------------------------------------------------

void ppConvertBandCalcs(TppBand &aBand)
{
    std::vector<TppCalc *> calcs;
    for (int i = 0; i < aBand.ObjectCount(); ++i)
        if (auto *calc = dynamic_cast<TppCalc *>(aBand.Objects(i)))
            calcs.push_back(calc);
    for (TppCalc *calc : calcs) {
        TppCustomText *successor = nullptr;
        if (calc->CalcType() != TppCalcType::ctCustom) {
            auto *system = new TppSystemVariable(calc->Owner());
            system->SetVarType(ppCalcTypeToVarType(calc->CalcType()));
            successor = system;
        } else {
            auto *variable = new TppVariable(calc->Owner());
            variable->SetDataType(calc->CustomType());
            variable->OldOnCalc = calc->OnCalc;
            variable->OnFormat = calc->OnFormat;
            successor = variable;
        }
        if (auto *system = dynamic_cast<TppSystemVariable *>(successor))
            system->OnFormat = calc->OnFormat;
        successor->SetBand(&aBand);
        calcCopyLooks(*calc, *successor);
        const QString name = calc->Name();
        const QString userName = calc->UserName();
        delete calc;
        successor->SetName(name);
        successor->SetUserName(userName);
    }
}

} // namespace report
