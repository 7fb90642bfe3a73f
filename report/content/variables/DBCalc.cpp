#include "report/content/variables/DBCalc.h"

#include "report/content/drawcommands/DrawVariables.h"
#include "report/content/variables/CustomVariable.h"
#include "report/model/bands/BandClasses.h"
#include "report/model/base/DisplayFormat.h"
#include "report/model/base/Messages.h"
#include "report/model/data/DataPipeline.h"
#include "report/model/groups/Group.h"
#include "report/model/groups/GroupBands.h"
#include "report/model/objects/EventIds.h"
#include "report/model/reports/CustomReport.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Variants.h"

#include <QDate>
#include <QTime>

namespace report {

namespace {

struct DBCalcCacheRecord
{
    uint8_t drawComponent = 0;
    uint8_t alreadyPrinted = 0;
    uint8_t priorValueSame = 0;
    uint8_t resetOnCompute = 0;
    int32_t firstPage = -1;
    int32_t printedPage = -1;
    double value = 0;
    double divisor = 0;
};

DBCalcCacheRecord dbCalcRecordOf(const TppDBCalc &aCalc)
{
    DBCalcCacheRecord record;
    record.drawComponent = aCalc.DrawComponent() ? 1 : 0;
    record.alreadyPrinted = aCalc.AlreadyPrinted() ? 1 : 0;
    record.priorValueSame = aCalc.PriorValueSame() ? 1 : 0;
    record.resetOnCompute = aCalc.ResetOnCompute() ? 1 : 0;
    record.firstPage = aCalc.FirstPage();
    record.printedPage = aCalc.PrintedPage();
    record.value = aCalc.Value();
    record.divisor = aCalc.Divisor();
    return record;
}

// A field value as the aggregate takes it: numbers and dates by value,
// anything else (texts included) as 0. Unsigned integers are numbers too:
// a field of such a type summed to 0 whatever it held.
double dbCalcNumber(const QVariant &aValue)
{
    if (rtl::VarIsNumber(aValue))
        return aValue.toDouble();
    rtl::TDateTime moment = 0;
    return rtl::TryDateVarToDateTime(aValue, moment) ? moment : 0;
}

bool dbCalcInPageBand(const TppBand *aBand)
{
    return dynamic_cast<const TppHeaderBand *>(aBand) || dynamic_cast<const TppFooterBand *>(aBand) ||
           dynamic_cast<const TppColumnHeaderBand *>(aBand) || dynamic_cast<const TppColumnFooterBand *>(aBand);
}

bool dbCalcInColumnBand(const TppBand *aBand)
{
    return dynamic_cast<const TppColumnHeaderBand *>(aBand) || dynamic_cast<const TppColumnFooterBand *>(aBand);
}

} // namespace

QString ppDBCalcTypeCaption(TppDBCalcType aType)
{
    return ppLoadStr(1028 + int(aType));
}

const classes::TMetaClass &TppDBCalc::StaticClass()
{
    using C = TppDBCalc;
    static const classes::TMetaClass meta =
        classes::MakeClass<C, TppDBText>("TppDBCalc", [](classes::TClassBuilder<C> &c) {
            c.Enum("DBCalcType", EnumInfo<TppDBCalcType>(), &C::DBCalcType, &C::SetDBCalcType)
                .Default(TppDBCalcType::dcSum);
            c.Boolean("LookAhead", &C::LookAhead, &C::SetLookAhead).Default(false);
            c.Event("OnCalc", &C::OnCalc);
            c.Event("OnGroupBreak", &C::OnGroupBreak);
        });
    return meta;
}

TppDBCalc::TppDBCalc(classes::TComponent *aOwner)
    : TppDBText(aOwner)
{
    SetDrawCommandClass(&TppDrawVariable::StaticClass());
    SetCacheRecordSize(int32_t(sizeof(DBCalcCacheRecord)));
}

TppDBCalc::~TppDBCalc()
{
    m_lookAheadList.reset();
}

void TppDBCalc::SetDBCalcType(TppDBCalcType aValue)
{
    m_dbCalcType = int(aValue) <= int(TppDBCalcType::dcAverage) ? aValue : TppDBCalcType::dcSum;
    if (!ReportPrinting())
        InvalidateDesignControl();
    PropertyChange();
}

// ---- Generation --------------------------------------------------------------

void TppDBCalc::Calc()
{
    TppDataPipeline *pipeline = DataPipeline();
    if (pipeline && pipeline->NoRecords()) {
        m_value = 0;
        return;
    }
    const std::weak_ptr<char> alive = AliveToken();
    if (ResetOnCompute() && OnGroupBreak) {
        OnGroupBreak(this);
        if (alive.expired())
            return;
    }
    double x = 0;
    if (CheckForPipelineData())
        x = dbCalcNumber(pipeline->GetFieldValue(DataField()));
    m_divisor += 1;
    switch (m_dbCalcType) {
    case TppDBCalcType::dcCount: m_value = m_divisor; break;
    case TppDBCalcType::dcMinimum:
        if (ResetOnCompute() || x < m_value)
            m_value = x;
        break;
    case TppDBCalcType::dcMaximum:
        if (ResetOnCompute() || x > m_value)
            m_value = x;
        break;
    default: m_value += x; break;
    }
    UpdateValue();
    if (alive.expired())
        return;
    if (OnCalc) {
        OnCalc(this);
        if (alive.expired())
            return;
    }
    SendEventNotify(this, ppEvent::OnCalc, nullptr);
    if (alive.expired())
        return;
    if (m_lookAheadList && ppLookAheadFirstPass(*this)) {
        // Its text runs OnFormat and OnGetText, which may free it.
        const QString text = GetText();
        if (!alive.expired())
            m_lookAheadList->AddOrUpdate(LookAheadKey(), TraversalCount(), text);
    }
}

void TppDBCalc::Reset()
{
    TppDBText::Reset();
    m_value = 0;
    m_divisor = 0;
    if (m_cachedValue && (dynamic_cast<TppFooterBand *>(Band()) || dynamic_cast<TppColumnFooterBand *>(Band()))) {
        // The page's record holds the total before this reset.
        m_cachedValue = false;
        SaveToCache(ppLookAheadMainPageNo(*this));
    }
}

void TppDBCalc::Init()
{
    TppDBText::Init();
    m_cachedValue = false;
    setUpLookAhead();
}

void TppDBCalc::EventNotify(TppCommunicator *aCommunicator, int aEventID, TraParamList *aParams)
{
    if (aEventID != ppEvent::Traversal) {
        TppDBText::EventNotify(aCommunicator, aEventID, aParams);
        return;
    }
    TppCustomText::EventNotify(aCommunicator, aEventID, aParams);
    Calc();
}

void TppDBCalc::SaveToCache(int32_t aPageIndex)
{
    DBCalcCacheRecord record = dbCalcRecordOf(*this);
    WriteCacheRecord(aPageIndex, &record);
    SavePriorValue(aPageIndex);
    m_cachedValue = true;
}

void TppDBCalc::RestoreFromCache(int32_t aPageIndex)
{
    DBCalcCacheRecord record = dbCalcRecordOf(*this);
    ReadCacheRecord(aPageIndex, &record);
    SetDrawComponent(record.drawComponent != 0);
    SetResetOnCompute(record.resetOnCompute != 0);
    SetRepeatState(record.priorValueSame != 0, record.alreadyPrinted != 0, record.firstPage, record.printedPage);
    RestorePriorValue(aPageIndex);
    m_value = record.value;
    m_divisor = record.divisor;
}

void TppDBCalc::SetBand(TppBand *aBand)
{
    TppDBText::SetBand(aBand);
    if (!InDesignState() || loadingOrReading())
        return;
    if (auto *groupBand = dynamic_cast<TppGroupBand *>(Band()))
        SetResetGroup(groupBand->Group());
    else
        SetResetGroup(nullptr);
}

// ---- Look-ahead --------------------------------------------------------------

void TppDBCalc::SetLookAhead(bool aValue)
{
    ppSetLookAhead(*this, m_lookAhead, aValue);
}

bool TppDBCalc::LookAheadActive() const
{
    return ppLookAheadActive(*this, m_lookAhead);
}

void TppDBCalc::setUpLookAhead()
{
    if (LookAheadActive() && ppLookAheadKeepList(*this, m_lookAheadList != nullptr))
        return;
    m_lookAheadList.reset();
    if (LookAheadActive())
        m_lookAheadList = std::make_unique<TppLookAheadList>(this);
}

void TppDBCalc::FreeLookAhead()
{
    if (m_lookAheadList)
        m_lookAheadList->UnsubscribeAll();
}

int32_t TppDBCalc::TraversalCount() const
{
    if (const TppDataPipeline *pipeline = DataPipeline())
        return pipeline->TraversalCount();
    if (const auto *group = dynamic_cast<const TppGroup *>(ResetGroup()))
        if (const TppDataPipeline *pipeline = group->DataPipeline())
            return pipeline->TraversalCount();
    const TppDataPipeline *pipeline = ppLookAheadDetailPipeline(*this);
    return pipeline ? pipeline->TraversalCount() : 0;
}

QString TppDBCalc::LookAheadKey() const
{
    const QString prefix = ppLookAheadKeyPrefix(*this, LookAheadActive());
    if (const auto *group = dynamic_cast<const TppGroup *>(ResetGroup()))
        return prefix + ppLookAheadKey(group->BreakNo(), 0);
    const int resetNo = dbCalcInPageBand(Band()) ? ppLookAheadPageNo(*this) : 0;
    return prefix + ppLookAheadKey(resetNo, dbCalcInColumnBand(Band()) ? ppLookAheadColumn(*this) : 0);
}

QString TppDBCalc::GetLookAheadValue(const QString &aKey) const
{
    return m_lookAheadList ? m_lookAheadList->GetValue(aKey, QStringLiteral("0")) : QStringLiteral("0");
}

void TppDBCalc::PropertiesToDrawCommand(TppDrawCommand *aDrawCommand)
{
    // The text's handlers may free the control.
    const std::weak_ptr<char> alive = AliveToken();
    TppDBText::PropertiesToDrawCommand(aDrawCommand);
    if (alive.expired())
        return;
    if (m_lookAheadList)
        ppLookAheadToDrawCommand(*this, *m_lookAheadList, LookAheadKey(), aDrawCommand);
}

// ---- Text --------------------------------------------------------------------

QString TppDBCalc::fieldCaption() const
{
    if (DataField().isEmpty())
        return m_dbCalcType == TppDBCalcType::dcCount ? QStringLiteral("*)") : QStringLiteral("?)");
    return DataField() + QStringLiteral(")");
}

TppDataType TppDBCalc::formatType() const
{
    if (m_dbCalcType == TppDBCalcType::dcCount)
        return TppDataType::dtInteger;
    TppDataPipeline *pipeline = DataPipeline();
    if (!pipeline || DataField().isEmpty())
        return TppDataType::dtDouble;
    const TppDataType fieldType = pipeline->GetFieldDataType(DataField());
    if (fieldType == TppDataType::dtDate || fieldType == TppDataType::dtTime || fieldType == TppDataType::dtDateTime)
        return TppDataType::dtDateTime;
    return TppDataType::dtDouble;
}

QString TppDBCalc::GetTheText() const
{
    if (InDesignState() && !ReportPrinting()) {
        QString field = fieldCaption();
        if (!DataField().isEmpty() && DataPipeline())
            field = DataPipeline()->GetFieldAlias(DataField()) + QStringLiteral(")");
        return ppDBCalcTypeCaption(m_dbCalcType) + QStringLiteral("(") + field;
    }
    double v = m_value;
    if (m_dbCalcType == TppDBCalcType::dcAverage)
        v = m_divisor != 0 ? m_value / m_divisor : 0;
    if (BlankWhenZero() && v == 0)
        return QString();
    const TppDataType type = formatType();
    if (type == TppDataType::dtDateTime && v == 0)
        return QString();
    const QVariant value(v);
    QString text = ppFormatComputedValue(OnFormat ? QString() : DisplayFormat(), type, value);
    if (OnFormat)
        OnFormat(const_cast<TppDBCalc *>(this), DisplayFormat(), type, value, text);
    return text;
}

QString TppDBCalc::GetDescription() const
{
    return UserName() + QStringLiteral(": ") + ppDBCalcTypeCaption(m_dbCalcType) + QStringLiteral("(") + fieldCaption();
}

} // namespace report
