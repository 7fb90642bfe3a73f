#include "report/content/variables/Variable.h"

#include "report/content/drawcommands/DrawVariables.h"
#include "report/model/bands/Band.h"
#include "report/model/bands/PublishedGeometry.h"
#include "report/model/base/DisplayFormat.h"
#include "report/model/base/Messages.h"
#include "report/model/base/StreamUtils.h"
#include "report/model/data/DataPipeline.h"
#include "report/model/data/PipelineList.h"
#include "report/model/engine/CustomEngine.h"
#include "report/model/forms/DialogBases.h"
#include "report/model/forms/FormClassRegistry.h"
#include "report/model/groups/Group.h"
#include "report/model/objects/EventIds.h"
#include "report/model/objects/ParamList.h"
#include "report/model/reports/CustomReport.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/Filer.h"
#include "platform/classes/Reader.h"
#include "platform/classes/Writer.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Variants.h"

#include <cmath>
#include <limits>

namespace report {

namespace {

struct VariableCacheRecord
{
    uint8_t drawComponent = 0;
    uint8_t resetOnCompute = 0;
    uint8_t boolean = 0;
    uint16_t character = 0;
    int32_t integer = 0;
    int64_t currency = 0;
    double dateTime = 0;
    double doubleValue = 0;
    long double extended = 0;
    float single = 0;
};

VariableCacheRecord variableRecordOf(const TppVariable &aVariable)
{
    VariableCacheRecord record;
    record.drawComponent = aVariable.DrawComponent() ? 1 : 0;
    record.resetOnCompute = aVariable.ResetOnCompute() ? 1 : 0;
    record.boolean = aVariable.AsBoolean() ? 1 : 0;
    record.character = aVariable.AsChar().unicode();
    record.integer = aVariable.AsInteger();
    record.currency = aVariable.AsCurrency();
    record.dateTime = aVariable.AsDateTime();
    record.doubleValue = aVariable.AsDouble();
    record.extended = aVariable.AsExtended();
    record.single = aVariable.AsSingle();
    return record;
}

bool variableIsPageOrColumnEnd(TppVarEventType aType)
{
    return aType == TppVarEventType::vePageEnd || aType == TppVarEventType::veColumnEnd;
}

// The kinds whose component the user chooses; the others follow the report.
bool variableKeepsUserComponent(TppVarEventType aType)
{
    switch (aType) {
    case TppVarEventType::veDataPipelineTraversal:
    case TppVarEventType::veGroupStart:
    case TppVarEventType::veGroupEnd:
    case TppVarEventType::veGroupBeforeHeader:
    case TppVarEventType::veGroupBeforeFooter: return true;
    default: return false;
    }
}

TppVarEventType variableCheckedType(TppVarEventType aType)
{
    return int(aType) <= int(TppVarEventType::veGroupBeforeFooter) ? aType : TppVarEventType::veTraversal;
}

[[noreturn]] void variableRangeError(long double aValue)
{
    throw rtl::EConvertError("The value " + std::to_string(double(aValue)) + " does not fit the variable's type");
}

bool variableSameValue(const QVariant &aBefore, const QVariant &aAfter)
{
    return aBefore.metaType() == aAfter.metaType() && aBefore == aAfter;
}

} // namespace

int ppVarEventToEventId(TppVarEventType aType)
{
    switch (aType) {
    case TppVarEventType::veTraversal: return ppEvent::Traversal;
    case TppVarEventType::veDataPipelineTraversal: return ppEvent::OnTraversal;
    case TppVarEventType::vePageStart: return ppEvent::OnStartPage;
    case TppVarEventType::vePageEnd: return ppEvent::OnEndPage;
    case TppVarEventType::veColumnStart: return ppEvent::OnStartColumn;
    case TppVarEventType::veColumnEnd: return ppEvent::OnEndColumn;
    case TppVarEventType::veReportStart: return ppEvent::ReportStart;
    case TppVarEventType::veReportEnd: return ppEvent::ReportEnd;
    case TppVarEventType::veGroupStart: return ppEvent::BeforeGroupBreak;
    case TppVarEventType::veGroupEnd: return ppEvent::AfterGroupBreak;
    case TppVarEventType::veGroupBeforeHeader: return ppEvent::BeforeHeader;
    case TppVarEventType::veGroupBeforeFooter: return ppEvent::BeforeFooter;
    }
    return ppEvent::Traversal;
}

const classes::TMetaClass &TppVariable::StaticClass()
{
    using C = TppVariable;
    static const classes::TMetaClass meta =
        classes::MakeClass<C, TppCustomVariable>("TppVariable", [](classes::TClassBuilder<C> &c) {
            c.Boolean("AutoSize", &C::AutoSize, &C::SetAutoSize).Default(false);
            c.Integer("CalcOrder", &C::CalcOrder, &C::SetCalcOrder).Default(-1);
            c.Reference("CalcComponent", &C::CalcComponent, &C::SetCalcComponent);
            c.Enum("CalcType", EnumInfo<TppVarEventType>(), &C::CalcType, &C::SetCalcType)
                .Default(TppVarEventType::veTraversal);
            c.Integer("Color", &C::Color, &C::SetColor).Default(0xFFFFFF);
            c.Enum("DataType", EnumInfo<TppDataType>(), &C::DataType, &C::SetDataType).Default(TppDataType::dtString);
            c.String("DisplayFormat", &C::DisplayFormat, &C::SetDisplayFormat);
            c.Object("Font", &C::Font, &C::SetFont);
            c.Boolean("LookAhead", &C::LookAhead, &C::SetLookAhead).Default(false);
            c.Event("OldOnCalc", &C::OldOnCalc);
            c.Event("OnCalc", &C::OnCalc, QStringLiteral("TppVarCalcEvent"));
            c.Event("OnFormat", &C::OnFormat, QStringLiteral("TppFormatEvent"));
            c.Event("OnReset", &C::OnReset, QStringLiteral("TppVarCalcEvent"));
            c.Reference("ResetComponent", &C::ResetComponent, &C::SetResetComponent);
            c.Enum("ResetType", EnumInfo<TppVarEventType>(), &C::ResetType, &C::SetResetType)
                .Default(TppVarEventType::veReportEnd);
            c.Enum("TextAlignment", EnumInfo<TppTextAlignment>(), &C::TextAlignment, &C::SetTextAlignment)
                .Default(TppTextAlignment::taLeftJustified);
            c.Boolean("Transparent", &C::Transparent, &C::SetTransparent).Default(false);
            c.Boolean("Visible", &C::Visible, &C::SetVisible).Default(true);
            c.Boolean("WordWrap", &C::WordWrap, &C::SetWordWrap).Default(false);
            ppPublishBounds(c);
        });
    return meta;
}

TppVariable::TppVariable(classes::TComponent *aOwner)
    : TppCustomVariable(aOwner)
{
    SetDrawCommandClass(&TppDrawVariable::StaticClass());
    SetCacheRecordSize(int32_t(sizeof(VariableCacheRecord)));
    m_dateTime = rtl::Now();
    updateSubscriptions();
}

TppVariable::~TppVariable()
{
    // The holders' listeners leave this sender while it is still whole.
    m_lookAheadList.reset();
}

// ---- Timing ----------------------------------------------------------------------

void TppVariable::updateSubscriptions()
{
    m_calcEventId = ppVarEventToEventId(m_calcType);
    m_resetEventId = ppVarEventToEventId(m_resetType);
    TppEventSet events;
    for (int id : {m_calcEventId, m_resetEventId})
        if (id >= 0 && id < ppEvent::Count)
            events.set(size_t(id));
    SetEventSubscriptions(events);
}

void TppVariable::SetCalcType(TppVarEventType aValue)
{
    m_calcType = variableCheckedType(aValue);
    updateSubscriptions();
    PropertyChange();
}

void TppVariable::SetResetType(TppVarEventType aValue)
{
    m_resetType = variableCheckedType(aValue);
    updateSubscriptions();
    PropertyChange();
}

bool TppVariable::storing() const
{
    return HasState(classes::csWriting);
}

TppCommunicator *TppVariable::CalcComponent() const
{
    if (storing() && (!variableKeepsUserComponent(m_calcType) || dynamic_cast<TppDataPipeline *>(m_calcComponent)))
        return nullptr;
    return m_calcComponent;
}

TppCommunicator *TppVariable::ResetComponent() const
{
    if (storing() && (!variableKeepsUserComponent(m_resetType) || dynamic_cast<TppDataPipeline *>(m_resetComponent)))
        return nullptr;
    return m_resetComponent;
}

void TppVariable::bindComponent(TppCommunicator *&aField, TppCommunicator *aComponent, bool aRefresh)
{
    if (aField == aComponent && !aRefresh)
        return;
    TppCommunicator *old = aField;
    TppCommunicator *&other = (&aField == &m_calcComponent) ? m_resetComponent : m_calcComponent;
    aField = aComponent;
    // One registration serves both timings when they share a component.
    if (old && old != other)
        old->RemoveEventNotify(this);
    if (aComponent) {
        if (aRefresh)
            aComponent->RemoveEventNotify(this);
        aComponent->AddEventNotify(this);
    }
}

void TppVariable::SetCalcComponent(TppCommunicator *aComponent)
{
    bindComponent(m_calcComponent, aComponent, false);
}

void TppVariable::SetResetComponent(TppCommunicator *aComponent)
{
    bindComponent(m_resetComponent, aComponent, false);
}

int TppVariable::CalcOrder() const
{
    return Band() ? Band()->IndexOfVariable(this) : -1;
}

void TppVariable::SetCalcOrder(int aIndex)
{
    if (loadingOrReading()) {
        m_streamedCalcOrder =
            int16_t(std::clamp<int>(aIndex, std::numeric_limits<int16_t>::min(), std::numeric_limits<int16_t>::max()));
        return;
    }
    TppBand *band = Band();
    if (!band)
        return;
    const int index = std::clamp(aIndex, 0, std::max(band->VariableCount() - 1, 0));
    const int current = band->IndexOfVariable(this);
    if (index == current)
        return;
    if (current >= 0)
        band->RemoveVariable(this);
    band->InsertVariable(std::min(index, band->VariableCount()), this);
}

QString TppVariable::GetNotifyOrderKey() const
{
    const QString bandKey = Band() ? Band()->GetSortKey() : QString();
    return bandKey + QString::asprintf("%8d", CalcOrder());
}

// ---- Value -----------------------------------------------------------------------

void TppVariable::SetDataType(TppDataType aValue)
{
    if (int(aValue) <= int(TppDataType::dtString))
        m_dataType = aValue;
    PropertyChange();
}

QVariant TppVariable::Value() const
{
    switch (m_dataType) {
    case TppDataType::dtBoolean: return QVariant(m_boolean);
    case TppDataType::dtChar: return m_char.isNull() ? QVariant(QString()) : QVariant(QString(m_char));
    case TppDataType::dtCurrency: return QVariant(double(m_currency) / 10000.0);
    case TppDataType::dtDate:
    case TppDataType::dtTime:
    case TppDataType::dtDateTime: return rtl::DateTimeToVar(m_dateTime);
    case TppDataType::dtDouble: return QVariant(m_double);
    case TppDataType::dtExtended: return QVariant(double(m_extended));
    case TppDataType::dtInteger: return QVariant(m_integer);
    case TppDataType::dtSingle: return QVariant(m_single);
    default: return QVariant(m_string);
    }
}

void TppVariable::SetValue(const QVariant &aValue)
{
    if (rtl::VarIsEmpty(aValue) || rtl::VarIsNull(aValue))
        return;
    switch (m_dataType) {
    case TppDataType::dtBoolean:
        if (aValue.typeId() == QMetaType::QString) {
            const QString text = aValue.toString().trimmed();
            if (text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
                m_boolean = true;
            else if (text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
                m_boolean = false;
            else
                m_boolean = rtl::VarToExtended(aValue) != 0;
        } else {
            m_boolean = aValue.typeId() == QMetaType::Bool ? aValue.toBool() : rtl::VarToExtended(aValue) != 0;
        }
        break;
    case TppDataType::dtChar: {
        const QString text = rtl::VarToStr(aValue);
        m_char = text.isEmpty() ? QChar() : text.front();
        break;
    }
    case TppDataType::dtCurrency: {
        const long double scaled = rtl::VarToExtended(aValue) * 10000.0L;
        if (!std::isfinite(scaled) || std::fabs(scaled) >= 9.2e18L)
            variableRangeError(scaled / 10000.0L);
        m_currency = std::llround(scaled);
        break;
    }
    case TppDataType::dtDate:
    case TppDataType::dtTime:
    case TppDataType::dtDateTime: m_dateTime = rtl::VarToDateTime(aValue); break;
    case TppDataType::dtDouble: m_double = double(rtl::VarToExtended(aValue)); break;
    case TppDataType::dtExtended: m_extended = rtl::VarToExtended(aValue); break;
    case TppDataType::dtInteger: {
        const long double number = std::nearbyint(rtl::VarToExtended(aValue));
        if (!std::isfinite(number) || number < std::numeric_limits<int32_t>::min() ||
            number > std::numeric_limits<int32_t>::max())
            variableRangeError(number);
        m_integer = int32_t(number);
        break;
    }
    case TppDataType::dtSingle: m_single = float(rtl::VarToExtended(aValue)); break;
    default: m_string = rtl::VarToStr(aValue); break;
    }
}

void TppVariable::SetAsBoolean(bool aValue)
{
    m_boolean = aValue;
    SetDataType(TppDataType::dtBoolean);
}

void TppVariable::SetAsChar(QChar aValue)
{
    m_char = aValue;
    SetDataType(TppDataType::dtChar);
}

void TppVariable::SetAsCurrency(int64_t aValue)
{
    m_currency = aValue;
    SetDataType(TppDataType::dtCurrency);
}

void TppVariable::SetAsDateTime(rtl::TDateTime aValue)
{
    m_dateTime = aValue;
    SetDataType(TppDataType::dtDateTime);
}

void TppVariable::SetAsDate(rtl::TDateTime aValue)
{
    m_dateTime = aValue;
    SetDataType(TppDataType::dtDate);
}

void TppVariable::SetAsTime(rtl::TDateTime aValue)
{
    m_dateTime = aValue;
    SetDataType(TppDataType::dtTime);
}

void TppVariable::SetAsDouble(double aValue)
{
    m_double = aValue;
    SetDataType(TppDataType::dtDouble);
}

void TppVariable::SetAsExtended(long double aValue)
{
    m_extended = aValue;
    SetDataType(TppDataType::dtExtended);
}

void TppVariable::SetAsInteger(int32_t aValue)
{
    m_integer = aValue;
    SetDataType(TppDataType::dtInteger);
}

void TppVariable::SetAsSingle(float aValue)
{
    m_single = aValue;
    SetDataType(TppDataType::dtSingle);
}

void TppVariable::SetAsString(const QString &aValue)
{
    m_string = aValue;
    SetDataType(TppDataType::dtString);
}

void TppVariable::SetText(const QString &aText)
{
    SetAsString(aText);
}

void TppVariable::clearValue()
{
    m_boolean = false;
    m_char = QChar();
    m_currency = 0;
    m_dateTime = rtl::Now();
    m_double = 0;
    m_extended = 0;
    m_integer = 0;
    m_single = 0;
    m_string.clear();
}

void TppVariable::storeIfChanged(const QVariant &aBefore, const QVariant &aAfter)
{
    // Storing an unchanged value again would round an Extended or a
    // Currency through its Variant.
    if (!variableSameValue(aBefore, aAfter))
        SetValue(aAfter);
}

// ---- Generation --------------------------------------------------------------

void TppVariable::Init()
{
    TppCustomVariable::Init();
    TppCommunicator *report = Report() ? Report()->ReportObject() : nullptr;
    // The report tells of pages, columns, traversals and its start and end.
    bindComponent(m_calcComponent, variableKeepsUserComponent(m_calcType) ? m_calcComponent : report, true);
    bindComponent(m_resetComponent, variableKeepsUserComponent(m_resetType) ? m_resetComponent : report, true);
    clearValue();
    m_cachedValue = false;
    m_cachedStrings.StartRun(*this);
    setUpLookAhead();
}

void TppVariable::saveAtSegmentEnd(TppVarEventType aType)
{
    // The page's record was written before the page ended; the value the
    // segment ended with replaces it.
    if (!m_cachedValue || !variableIsPageOrColumnEnd(aType))
        return;
    m_cachedValue = false;
    SaveToCache(ppLookAheadMainPageNo(*this));
}

void TppVariable::Reset()
{
    const std::weak_ptr<char> alive = AliveToken();
    TppCustomVariable::Reset();
    clearValue();
    if (OnReset) {
        QVariant value = Value();
        const QVariant before = value;
        OnReset(this, value);
        if (alive.expired())
            return;
        storeIfChanged(before, value);
    }
    if (HasEventNotify(ppEvent::OnReset)) {
        QVariant value = Value();
        const QVariant before = value;
        TraParamList params;
        params.AddParam(QStringLiteral("Value"), TraDataType::daVariant, true);
        params.BindParamValue(0, &value);
        SendEventNotify(this, ppEvent::OnReset, &params);
        if (alive.expired())
            return;
        storeIfChanged(before, value);
    }
    saveAtSegmentEnd(m_resetType);
}

void TppVariable::Calc()
{
    if (!ReportPrinting())
        return;
    const std::weak_ptr<char> alive = AliveToken();
    if (OnCalc) {
        QVariant value = Value();
        const QVariant before = value;
        OnCalc(this, value);
        if (alive.expired())
            return;
        storeIfChanged(before, value);
    } else if (OldOnCalc) {
        OldOnCalc(this);
        if (alive.expired())
            return;
    }
    if (HasEventNotify(ppEvent::OnCalc)) {
        QVariant value = Value();
        const QVariant before = value;
        TraParamList params;
        params.AddParam(QStringLiteral("Value"), TraDataType::daVariant, true);
        params.BindParamValue(0, &value);
        SendEventNotify(this, ppEvent::OnCalc, &params);
        if (alive.expired())
            return;
        storeIfChanged(before, value);
    }
    saveAtSegmentEnd(m_calcType);
    if (m_lookAheadList && ppLookAheadFirstPass(*this)) {
        // Its text runs OnFormat and OnGetText, which may free it.
        const QString text = GetText();
        if (!alive.expired())
            m_lookAheadList->AddOrUpdate(LookAheadKey(), TraversalCount(), text);
    }
}

void TppVariable::EventNotify(TppCommunicator *aCommunicator, int aEventID, TraParamList *aParams)
{
    TppCustomVariable::EventNotify(aCommunicator, aEventID, aParams);
    const std::weak_ptr<char> alive = AliveToken();
    if (aCommunicator && aCommunicator == m_resetComponent && aEventID == m_resetEventId)
        Reset();
    if (!alive.expired() && aCommunicator && aCommunicator == m_calcComponent && aEventID == m_calcEventId)
        Calc();
}

void TppVariable::Notify(TppCommunicator *aCommunicator, int aOperation)
{
    TppCustomVariable::Notify(aCommunicator, aOperation);
    if (aOperation != ppNotify::Remove)
        return;
    if (aCommunicator == m_calcComponent)
        m_calcComponent = nullptr;
    if (aCommunicator == m_resetComponent)
        m_resetComponent = nullptr;
}

void TppVariable::SaveToCache(int32_t aPageIndex)
{
    VariableCacheRecord record = variableRecordOf(*this);
    WriteCacheRecord(aPageIndex, &record);
    m_cachedStrings.Save(*this, aPageIndex, m_string);
    m_cachedValue = true;
}

void TppVariable::RestoreFromCache(int32_t aPageIndex)
{
    VariableCacheRecord record = variableRecordOf(*this);
    ReadCacheRecord(aPageIndex, &record);
    SetDrawComponent(record.drawComponent != 0);
    SetResetOnCompute(record.resetOnCompute != 0);
    m_boolean = record.boolean != 0;
    m_char = QChar(record.character);
    m_integer = record.integer;
    m_currency = record.currency;
    m_dateTime = record.dateTime;
    m_double = record.doubleValue;
    m_extended = record.extended;
    m_single = record.single;
    m_cachedStrings.Restore(*this, aPageIndex, m_string);
}

// ---- Look-ahead --------------------------------------------------------------

void TppVariable::SetLookAhead(bool aValue)
{
    ppSetLookAhead(*this, m_lookAhead, aValue);
}

bool TppVariable::LookAheadActive() const
{
    return ppLookAheadActive(*this, m_lookAhead);
}

void TppVariable::setUpLookAhead()
{
    if (LookAheadActive() && ppLookAheadKeepList(*this, m_lookAheadList != nullptr))
        return;
    m_lookAheadList.reset();
    if (!LookAheadActive())
        return;
    m_lookAheadList = std::make_unique<TppLookAheadList>(this);
    if (TppCustomEngine *engine = ppLookAheadEngine(*this))
        engine->AddEventNotify(this);
}

void TppVariable::FreeLookAhead()
{
    if (m_lookAheadList)
        m_lookAheadList->UnsubscribeAll();
}

int32_t TppVariable::TraversalCount() const
{
    if (auto *pipeline = dynamic_cast<TppDataPipeline *>(m_calcComponent))
        return pipeline->TraversalCount();
    const TppDataPipeline *pipeline = ppLookAheadDetailPipeline(*this);
    return pipeline ? pipeline->TraversalCount() : 0;
}

QString TppVariable::LookAheadKey() const
{
    int resetNo = 0;
    switch (m_resetType) {
    case TppVarEventType::veTraversal: resetNo = TraversalCount(); break;
    case TppVarEventType::veDataPipelineTraversal:
        if (auto *pipeline = dynamic_cast<TppDataPipeline *>(m_resetComponent))
            resetNo = pipeline->TraversalCount();
        break;
    case TppVarEventType::vePageStart:
    case TppVarEventType::vePageEnd:
    case TppVarEventType::veColumnStart:
    case TppVarEventType::veColumnEnd: resetNo = ppLookAheadPageNo(*this); break;
    case TppVarEventType::veReportStart:
    case TppVarEventType::veReportEnd: break;
    default:
        if (auto *group = dynamic_cast<TppGroup *>(m_resetComponent))
            resetNo = group->BreakNo();
        break;
    }
    const bool columns = m_resetType == TppVarEventType::veColumnStart || m_resetType == TppVarEventType::veColumnEnd;
    return ppLookAheadKeyPrefix(*this, LookAheadActive()) +
           ppLookAheadKey(resetNo, columns ? ppLookAheadColumn(*this) : 0);
}

void TppVariable::PropertiesToDrawCommand(TppDrawCommand *aDrawCommand)
{
    // The text's handlers may free the control.
    const std::weak_ptr<char> alive = AliveToken();
    TppCustomVariable::PropertiesToDrawCommand(aDrawCommand);
    if (alive.expired())
        return;
    if (m_lookAheadList)
        ppLookAheadToDrawCommand(*this, *m_lookAheadList, LookAheadKey(), aDrawCommand);
}

// ---- Designer ----------------------------------------------------------------

bool TppVariable::EditTiming()
{
    std::unique_ptr<TppCustomCalcTimingDialog> dialog(ppCreateForm<TppCustomCalcTimingDialog>());
    IppReportContext *report = Report();
    if (!dialog || !report)
        return false;
    TppCommunicator *reportObject = report->ReportObject();
    dialog->SetReport(reportObject);
    dialog->SetLanguageIndex(GetLanguageIndex());
    TppDataPipelineList components(reportObject);
    for (int i = 0; i < report->GroupCount(); ++i)
        if (auto *group = dynamic_cast<TppCommunicator *>(report->GroupAt(i)))
            components.AddObject(group->UserName(), group);
    dialog->SetCalcComponents(&components);
    dialog->SetResetComponents(&components);
    dialog->CalcType = int32_t(m_calcType);
    dialog->CalcComponent = m_calcComponent;
    dialog->ResetType = int32_t(m_resetType);
    dialog->ResetComponent = m_resetComponent;
    if (dialog->ShowModal() != ppModalResultOK)
        return false;
    const auto kind = [](int32_t aValue, TppVarEventType aOld) {
        return aValue >= 0 && aValue <= int32_t(TppVarEventType::veGroupBeforeFooter) ? TppVarEventType(aValue) : aOld;
    };
    SetCalcType(kind(dialog->CalcType, m_calcType));
    SetResetType(kind(dialog->ResetType, m_resetType));
    SetCalcComponent(dynamic_cast<TppCommunicator *>(dialog->CalcComponent));
    SetResetComponent(dynamic_cast<TppCommunicator *>(dialog->ResetComponent));
    return true;
}

// ---- Text --------------------------------------------------------------------

QString TppVariable::GetTheText() const
{
    if (InDesignState() && !ReportPrinting())
        return UserName();
    const QVariant value = Value();
    QString text = ppFormatComputedValue(OnFormat ? QString() : DisplayFormat(), m_dataType, value);
    if (OnFormat)
        OnFormat(const_cast<TppVariable *>(this), DisplayFormat(), m_dataType, value, text);
    return text;
}

QString TppVariable::GetClassDescription() const
{
    return ppLoadStr(379);
}

QStringList TppVariable::DataTypeCaptions()
{
    QStringList captions;
    for (int message : {363, 303, 311, 304, 334, 335, 337, 339, 341, 409, 324})
        captions << ppLoadStr(message);
    return captions;
}

// ---- Streams -----------------------------------------------------------------

void TppVariable::DefineProperties(classes::TFiler &aFiler)
{
    TppCustomVariable::DefineProperties(aFiler);
    const auto pipelineName = [&aFiler](const char *aName, QString &aStored, TppCommunicator *const &aComponent) {
        auto *pipeline = dynamic_cast<TppDataPipeline *>(aComponent);
        aFiler.DefineProperty(
            QString::fromLatin1(aName),
            [&aStored](classes::TReader &r) { aStored = ppUnqualifiedName(r.ReadString()); },
            [pipeline](classes::TWriter &w) { w.WriteString(pipeline ? pipeline->Name() : QString()); },
            pipeline != nullptr);
    };
    pipelineName("CalcDataPipelineName", m_calcPipelineName, m_calcComponent);
    pipelineName("ResetDataPipelineName", m_resetPipelineName, m_resetComponent);
}

void TppVariable::ResolveDataPipeline(const TppDataPipelineList &aList)
{
    TppCustomVariable::ResolveDataPipeline(aList);
    if (!m_calcComponent && !m_calcPipelineName.isEmpty())
        SetCalcComponent(aList.GetPipelineByName(m_calcPipelineName));
    if (!m_resetComponent && !m_resetPipelineName.isEmpty())
        SetResetComponent(aList.GetPipelineByName(m_resetPipelineName));
}

} // namespace report
