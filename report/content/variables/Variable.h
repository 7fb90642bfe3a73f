#pragma once

// TppVariable: a text whose value event handlers compute while the report
// generates. It calculates on one communicator event (CalcType, heard from
// CalcComponent) and resets on another (ResetType from ResetComponent);
// variables of a band calculate in their CalcOrder. The value has one of
// eleven data types and formats like a data text; with LookAhead the pages
// of the first pass show the value the variable reaches at the end of its
// reset segment.

#include "report/content/text/DBText.h"
#include "report/content/variables/CustomVariable.h"
#include "report/content/variables/LookAheadList.h"

#include "platform/rtl/Types.h"

#include <QVariant>

#include <map>
#include <memory>

namespace report {

class TppDataPipeline;

using TppVarCalcEvent = classes::TEvent<void(classes::TObject *Sender, QVariant &Value)>;

// The communicator event a timing listens to (35 for an unknown one).
int ppVarEventToEventId(TppVarEventType aType);

class TppVariable : public TppCustomVariable
{
    ZVO_CLASS(TppVariable)
public:
    explicit TppVariable(classes::TComponent *aOwner = nullptr);
    void BuildPopupMenu(IppPopupMenu &aMenu) override;
    void UpdatePopupMenu(IppPopupMenu &aMenu) override;
    // The registered calculation and timing dialogs; the timing dialog's OK
    // sets the four timing values.
    void ShowCalcDialog();
    void ShowTimingDialog();
    ~TppVariable() override;

    // ---- Timing ----
    TppVarEventType CalcType() const { return m_calcType; }
    void SetCalcType(TppVarEventType aValue);
    TppVarEventType ResetType() const { return m_resetType; }
    void SetResetType(TppVarEventType aValue);
    int CalcEventId() const { return m_calcEventId; }
    int ResetEventId() const { return m_resetEventId; }
    // While written, only a pipeline or group timing stores its component.
    TppCommunicator *CalcComponent() const;
    void SetCalcComponent(TppCommunicator *aComponent);
    TppCommunicator *ResetComponent() const;
    void SetResetComponent(TppCommunicator *aComponent);
    // The index in the band's calculation list, -1 without band.
    int CalcOrder() const;
    void SetCalcOrder(int aIndex) override;
    bool JoinsCalcList() const override { return true; }
    int StoredCalcOrder() const override { return m_streamedCalcOrder; }
    // The band's key, then CalcOrder: receivers of one event calculate band
    // by band in calculation order.
    QString GetNotifyOrderKey() const override;

    // ---- Value ----
    TppDataType DataType() const override { return m_dataType; }
    // Only the eleven types dtBoolean .. dtString are taken.
    void SetDataType(TppDataType aValue);
    // The field of DataType; dates as date-times.
    QVariant Value() const;
    // Converted to DataType; an empty or null value is ignored. A value
    // that does not convert raises the conversion error.
    void SetValue(const QVariant &aValue);
    bool AsBoolean() const { return m_boolean; }
    void SetAsBoolean(bool aValue);
    QChar AsChar() const { return m_char; }
    void SetAsChar(QChar aValue);
    // Currency as value x 10000.
    int64_t AsCurrency() const { return m_currency; }
    void SetAsCurrency(int64_t aValue);
    rtl::TDateTime AsDateTime() const { return m_dateTime; }
    void SetAsDateTime(rtl::TDateTime aValue);
    rtl::TDateTime AsDate() const { return m_dateTime; }
    void SetAsDate(rtl::TDateTime aValue);
    rtl::TDateTime AsTime() const { return m_dateTime; }
    void SetAsTime(rtl::TDateTime aValue);
    double AsDouble() const { return m_double; }
    void SetAsDouble(double aValue);
    long double AsExtended() const { return m_extended; }
    void SetAsExtended(long double aValue);
    int32_t AsInteger() const { return m_integer; }
    void SetAsInteger(int32_t aValue);
    float AsSingle() const { return m_single; }
    void SetAsSingle(float aValue);
    const QString &AsString() const { return m_string; }
    void SetAsString(const QString &aValue);
    // Text given to the variable becomes its string value.
    void SetText(const QString &aText) override;

    // ---- Generation ----
    // Binds the timing components, clears the value and prepares the
    // look-ahead values.
    void Init() override;
    void Reset() override;
    // Only while the main report prints.
    void Calc();
    void EventNotify(TppCommunicator *aCommunicator, int aEventID, TraParamList *aParams) override;
    void Notify(TppCommunicator *aCommunicator, int aOperation) override;
    void SaveToCache(int32_t aPageIndex) override;
    void RestoreFromCache(int32_t aPageIndex) override;
    bool CachedValue() const { return m_cachedValue; }

    // ---- Look-ahead ----
    bool LookAhead() const override { return m_lookAhead; }
    void SetLookAhead(bool aValue) override;
    bool LookAheadActive() const;
    TppLookAheadList *LookAheadList() const { return m_lookAheadList.get(); }
    QString LookAheadKey() const;
    int32_t TraversalCount() const;
    void FreeLookAhead() override;
    void PropertiesToDrawCommand(TppDrawCommand *aDrawCommand) override;

    // ---- Designer ----
    // The timing dialog a program registered, given the report's pipelines
    // and groups; its answer is taken on OK. False when nothing changed.
    bool EditTiming();

    // ---- Text ----
    QString GetTheText() const override;
    QString GetDescription() const override { return UserName(); }
    QString GetClassDescription() const override;
    // The captions of the data types for property editors.
    static QStringList DataTypeCaptions();

    TppVarCalcEvent OnCalc;
    classes::TNotifyEvent OldOnCalc;
    TppFormatEvent OnFormat;
    TppVarCalcEvent OnReset;

    void DefineProperties(classes::TFiler &aFiler) override;
    // Pipelines stored by name are looked up once the report has loaded.
    void ResolveDataPipeline(const TppDataPipelineList &aList) override;

private:
    void updateSubscriptions();
    void bindComponent(TppCommunicator *&aField, TppCommunicator *aComponent, bool aRefresh);
    void clearValue();
    void storeIfChanged(const QVariant &aBefore, const QVariant &aAfter);
    void saveAtSegmentEnd(TppVarEventType aType);
    void setUpLookAhead();
    bool storing() const;

    TppVarEventType m_calcType = TppVarEventType::veTraversal;
    TppVarEventType m_resetType = TppVarEventType::veReportEnd;
    int m_calcEventId = 35;
    int m_resetEventId = 14;
    TppCommunicator *m_calcComponent = nullptr;
    TppCommunicator *m_resetComponent = nullptr;
    QString m_calcPipelineName;
    QString m_resetPipelineName;
    int16_t m_streamedCalcOrder = -1;
    TppDataType m_dataType = TppDataType::dtString;
    bool m_boolean = false;
    QChar m_char;
    int64_t m_currency = 0;
    rtl::TDateTime m_dateTime = 0;
    double m_double = 0;
    long double m_extended = 0;
    int32_t m_integer = 0;
    float m_single = 0;
    QString m_string;
    bool m_lookAhead = false;
    bool m_cachedValue = false;
    std::unique_ptr<TppLookAheadList> m_lookAheadList;
    // The string value has no room in the fixed-size cache record. Dropped
    // with the run, not when a cache starts over or cuts its later pages: a
    // kept-together group's own cache starts over for each group, while the
    // report's pages still hold their strings.
    TppPageValues<QString> m_cachedStrings;
};

} // namespace report
