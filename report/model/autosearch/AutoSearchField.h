#pragma once

// TppAutoSearchField: one search criterion a report asks its user for
// before it generates: a field of a data pipeline, an operator and the value
// text. Several values (between, in a list) are separated by "," in that
// text, as it is stored. The report owns its fields; the dialog's panels
// write the answers back into them, and the report's handler hands them to
// the pipelines.

#include "report/model/base/Types.h"
#include "report/model/objects/Relative.h"

#include "platform/classes/EnumTypes.h"

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace report {

class TppDataPipeline;
class TppReport;

// The operator as a sentence part ("is equal to"; for dates "is"), in the
// current language.
QString ppAutoSearchOperatorText(TppSearchOperatorType aOperator, TppDataType aDataType);
// The value text split at every ",": no quoting, empty pieces kept, all but
// a trailing one.
QStringList ppSplitSearchExpression(const QString &aExpression);
// Between and in-list operators take several values; the others take the
// whole value text as their one value.
bool ppAutoSearchTakesList(TppSearchOperatorType aOperator);

class TppAutoSearchField : public TppRelative
{
    ZVO_CLASS(TppAutoSearchField)
public:
    explicit TppAutoSearchField(classes::TComponent *aOwner = nullptr);
    // Leaves its report.
    ~TppAutoSearchField() override;

    // ---- Published ----
    classes::TAlignment Alignment() const { return m_alignment; }
    void SetAlignment(classes::TAlignment aValue) { m_alignment = aValue; }
    const QString &FieldAlias() const { return m_fieldAlias; }
    void SetFieldAlias(const QString &aValue) { m_fieldAlias = aValue; }
    const QString &FieldName() const { return m_fieldName; }
    // An alias still equal to the old name follows the new one.
    void SetFieldName(const QString &aValue);
    int32_t FieldLength() const { return m_fieldLength; }
    void SetFieldLength(int32_t aValue) { m_fieldLength = aValue; }
    bool IsDetail() const { return m_isDetail; }
    void SetIsDetail(bool aValue) { m_isDetail = aValue; }
    bool Linkable() const { return m_linkable; }
    void SetLinkable(bool aValue) { m_linkable = aValue; }
    int32_t GroupOrder() const { return m_groupOrder; }
    void SetGroupOrder(int32_t aValue) { m_groupOrder = aValue; }
    TppDataType DataType() const { return m_dataType; }
    void SetDataType(TppDataType aValue) { m_dataType = aValue; }
    const QString &DisplayFormat() const { return m_displayFormat; }
    void SetDisplayFormat(const QString &aValue) { m_displayFormat = aValue; }
    int32_t DisplayWidth() const { return m_displayWidth; }
    void SetDisplayWidth(int32_t aValue) { m_displayWidth = aValue; }
    // A value must be entered; excludes ShowAllValues.
    bool Mandatory() const { return m_mandatory; }
    void SetMandatory(bool aValue);
    bool Selectable() const { return m_selectable; }
    void SetSelectable(bool aValue) { m_selectable = aValue; }
    int32_t SelectOrder() const { return m_selectOrder; }
    void SetSelectOrder(int32_t aValue) { m_selectOrder = aValue; }
    bool Searchable() const { return m_searchable; }
    void SetSearchable(bool aValue) { m_searchable = aValue; }
    bool Search() const { return m_search; }
    void SetSearch(bool aValue) { m_search = aValue; }
    const QString &SearchExpression() const { return m_searchExpression; }
    void SetSearchExpression(const QString &aValue);
    int32_t SearchOrder() const { return m_searchOrder; }
    void SetSearchOrder(int32_t aValue) { m_searchOrder = aValue; }
    // The criterion is switched off: every value matches. Excludes Mandatory.
    bool ShowAllValues() const { return m_showAllValues; }
    void SetShowAllValues(bool aValue);
    bool Sortable() const { return m_sortable; }
    void SetSortable(bool aValue) { m_sortable = aValue; }
    bool Sort() const { return m_sort; }
    void SetSort(bool aValue) { m_sort = aValue; }
    int32_t SortOrder() const { return m_sortOrder; }
    void SetSortOrder(int32_t aValue) { m_sortOrder = aValue; }
    TppSortOrderType SortType() const { return m_sortType; }
    void SetSortType(TppSortOrderType aValue) { m_sortType = aValue; }
    const QString &SortExpression() const { return m_sortExpression; }
    void SetSortExpression(const QString &aValue) { m_sortExpression = aValue; }
    const QString &TableAlias() const { return m_tableAlias; }
    void SetTableAlias(const QString &aValue) { m_tableAlias = aValue; }
    const QString &TableName() const { return m_tableName; }
    void SetTableName(const QString &aValue) { m_tableName = aValue; }
    const QString &Delimiter() const { return m_delimiter; }
    void SetDelimiter(const QString &aValue) { m_delimiter = aValue; }
    TppSearchOperatorType SearchOperator() const { return m_searchOperator; }
    void SetSearchOperator(TppSearchOperatorType aValue);
    // Appended to string values that do not hold it yet.
    const QString &WildCard() const { return m_wildCard; }
    void SetWildCard(const QString &aValue) { m_wildCard = aValue; }

    // ---- Values ----
    // The first value, converted by DataType (numbers without thousand
    // separators); an empty text beyond the list.
    // A piece the conversion cannot read raises EConvertError.
    QVariant Value() const { return Values(0); }
    QVariant Values(int aIndex) const;
    int ValueCount() const;
    // "Show all data where the Name is equal to Lyon", each value as the
    // user reads it.
    QString GetDescription() const;
    // Takes the other's SearchExpression and ShowAllValues through the
    // setters; false when both are equal already.
    virtual bool AssignCriteria(const TppAutoSearchField &aField);
    // Every published property and the position.
    void Assign(const classes::TPersistent *aSource) override;

    // ---- Run-time state ----
    // Heads its description or its panel's column ("Show all data where").
    bool FirstField() const { return m_firstField; }
    void SetFirstField(bool aValue) { m_firstField = aValue; }
    const QString &DataPipelineName() const { return m_dataPipelineName; }
    void SetDataPipelineName(const QString &aName);
    // The pipeline set, else the one of the report's pipelines (or of its
    // owner's components) whose name or user name is DataPipelineName.
    TppDataPipeline *DataPipeline() const;
    void SetDataPipeline(TppDataPipeline *aPipeline);
    // The dialog's panel and its container while the dialog shows the field.
    // Guarded: a window that goes takes its reference along.
    QObject *AutoSearchPanel() const { return m_panel; }
    void SetAutoSearchPanel(QObject *aPanel) { m_panel = aPanel; }
    QObject *AutoSearchContainer() const { return m_container; }
    void SetAutoSearchContainer(QObject *aContainer) { m_container = aContainer; }
    bool CriteriaEnabled() const { return m_criteriaEnabled; }
    void DisableCriteria() { m_criteriaEnabled = false; }
    // Fired after each criterion setter, except while loading.
    classes::TNotifyEvent OnChange;

    // ---- The report ----
    // The report whose AutoSearchFields list the field: leaving the old one,
    // joining the new one at its end.
    TppReport *Report() const { return m_report; }
    void SetReport(TppReport *aReport);
    // Only the report's own list calls this.
    void ReportChanged(TppReport *aReport) { m_report = aReport; }

    void Notify(TppCommunicator *aCommunicator, int aOperation) override;
    classes::TComponent *GetParentComponent() const override;
    void SetParentComponent(classes::TComponent *aParent) override;

private:
    QString shownSearchExpression() const;
    void changed();
    // Split once per value text: a handler asks every value of a long list
    // for each record.
    const QStringList &valuePieces() const;

    classes::TAlignment m_alignment = classes::TAlignment::taLeftJustify;
    QString m_fieldAlias;
    QString m_fieldName;
    int32_t m_fieldLength = 10;
    bool m_isDetail = false;
    bool m_linkable = true;
    int32_t m_groupOrder = -1;
    TppDataType m_dataType = TppDataType::dtString;
    QString m_displayFormat;
    int32_t m_displayWidth = 10;
    bool m_mandatory = false;
    bool m_selectable = true;
    int32_t m_selectOrder = -1;
    bool m_searchable = true;
    bool m_search = false;
    QString m_searchExpression;
    int32_t m_searchOrder = -1;
    bool m_showAllValues = false;
    bool m_sortable = true;
    bool m_sort = false;
    int32_t m_sortOrder = -1;
    TppSortOrderType m_sortType = TppSortOrderType::soAscending;
    QString m_sortExpression;
    QString m_tableAlias;
    QString m_tableName;
    QString m_delimiter;
    TppSearchOperatorType m_searchOperator = TppSearchOperatorType::soEqual;
    QString m_wildCard;
    mutable QStringList m_valuePieces;
    mutable bool m_valuePiecesRead = false;

    bool m_firstField = false;
    QString m_dataPipelineName;
    mutable TppDataPipeline *m_dataPipeline = nullptr;
    QPointer<QObject> m_panel;
    QPointer<QObject> m_container;
    bool m_criteriaEnabled = true;
    TppReport *m_report = nullptr;
};

} // namespace report
