#include "report/model/autosearch/AutoSearchField.h"

#include "report/model/autosearch/AutoSearchValues.h"

#include "report/model/base/Messages.h"
#include "report/model/data/DataPipeline.h"
#include "report/model/reports/Report.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/StrToFloat.h"
#include "platform/rtl/Variants.h"

#include <vector>

namespace report {

namespace {

// Message numbers of the operators: for other data types, for dates.
struct AutoSearchOperatorTexts
{
    int other;
    int dates;
};

constexpr AutoSearchOperatorTexts autoSearchOperatorTexts[] = {
    {93, 92},     {95, 94},     {97, 96},     {99, 98},     {1000, 100},  {1002, 1001}, {1003, 1003},
    {1004, 1004}, {1005, 1005}, {1006, 1006}, {1007, 1007}, {1027, 1027}, {1008, 1008}, {1009, 1009}};

bool autoSearchIsDateType(TppDataType aType)
{
    return aType == TppDataType::dtDate || aType == TppDataType::dtTime || aType == TppDataType::dtDateTime;
}

QVariant autoSearchConvert(const QString &aText, TppDataType aType, const QString &aWildCard)
{
    // The value text is read in its stored form, whatever the system's own:
    // a file means the same wherever it prints.
    const rtl::TFormatSettings &stored = ppAutoSearchStoredSettings();
    switch (aType) {
    case TppDataType::dtDate:
    case TppDataType::dtTime:
    case TppDataType::dtDateTime: return rtl::DateTimeToVar(ppReadStoredSearchMoment(aText));
    case TppDataType::dtInteger:
    case TppDataType::dtLongint: return QVariant(rtl::StrToInt(ppStoredSearchNumber(aText, aType)));
    case TppDataType::dtSingle:
    case TppDataType::dtDouble:
    case TppDataType::dtExtended: return QVariant(double(rtl::StrToFloat(ppStoredSearchNumber(aText, aType), stored)));
    case TppDataType::dtCurrency:
        return QVariant(double(rtl::StrToCurr(ppStoredSearchNumber(aText, aType), stored).toExtended()));
    case TppDataType::dtChar:
    case TppDataType::dtString:
    case TppDataType::dtMemo:
        if (!aWildCard.isEmpty() && !aText.contains(aWildCard))
            return QVariant(aText + aWildCard);
        return QVariant(aText);
    default: return QVariant(QString());
    }
}

} // namespace

QString ppAutoSearchOperatorText(TppSearchOperatorType aOperator, TppDataType aDataType)
{
    const auto index = size_t(aOperator);
    if (index >= std::size(autoSearchOperatorTexts))
        return ppLoadStr(93);
    const AutoSearchOperatorTexts &texts = autoSearchOperatorTexts[index];
    return ppLoadStr(autoSearchIsDateType(aDataType) ? texts.dates : texts.other);
}

QStringList ppSplitSearchExpression(const QString &aExpression)
{
    QStringList pieces = aExpression.split(QLatin1Char(','), Qt::KeepEmptyParts);
    if (!pieces.isEmpty() && pieces.last().isEmpty())
        pieces.removeLast();
    return pieces;
}

const classes::TMetaClass &TppAutoSearchField::StaticClass()
{
    using F = TppAutoSearchField;
    static const classes::TMetaClass meta = classes::MakeClass<F, TppRelative>("TppAutoSearchField", [](auto &c) {
        c.Enum("Alignment", classes::AlignmentInfo(), &F::Alignment, &F::SetAlignment)
            .Default(int(classes::TAlignment::taLeftJustify));
        c.String("FieldAlias", &F::FieldAlias, &F::SetFieldAlias);
        c.String("FieldName", &F::FieldName, &F::SetFieldName);
        c.Integer("FieldLength", &F::FieldLength, &F::SetFieldLength).Default(10);
        c.Boolean("IsDetail", &F::IsDetail, &F::SetIsDetail).Default(false);
        c.Boolean("Linkable", &F::Linkable, &F::SetLinkable).Default(true);
        c.Integer("GroupOrder", &F::GroupOrder, &F::SetGroupOrder).Default(-1);
        c.Enum("DataType", EnumInfo<TppDataType>(), &F::DataType, &F::SetDataType).Default(int(TppDataType::dtString));
        c.String("DisplayFormat", &F::DisplayFormat, &F::SetDisplayFormat);
        c.Integer("DisplayWidth", &F::DisplayWidth, &F::SetDisplayWidth).Default(10);
        c.Boolean("Mandatory", &F::Mandatory, &F::SetMandatory).Default(false);
        // A field of the report has no place among relatives to keep.
        c.Integer("Position", &F::Position, &F::SetPosition).Stored([](const classes::TPersistent &aField) {
            return static_cast<const F &>(aField).Parent() != nullptr;
        });
        c.Boolean("Selectable", &F::Selectable, &F::SetSelectable).Default(true);
        c.Integer("SelectOrder", &F::SelectOrder, &F::SetSelectOrder).Default(-1);
        c.Boolean("Searchable", &F::Searchable, &F::SetSearchable).Default(true);
        c.Boolean("Search", &F::Search, &F::SetSearch).Default(false);
        c.String("SearchExpression", &F::SearchExpression, &F::SetSearchExpression);
        c.Integer("SearchOrder", &F::SearchOrder, &F::SetSearchOrder).Default(-1);
        c.Boolean("ShowAllValues", &F::ShowAllValues, &F::SetShowAllValues).Default(false);
        c.Boolean("Sortable", &F::Sortable, &F::SetSortable).Default(true);
        c.Boolean("Sort", &F::Sort, &F::SetSort).Default(false);
        c.Integer("SortOrder", &F::SortOrder, &F::SetSortOrder).Default(-1);
        c.Enum("SortType", EnumInfo<TppSortOrderType>(), &F::SortType, &F::SetSortType)
            .Default(int(TppSortOrderType::soAscending));
        c.String("SortExpression", &F::SortExpression, &F::SetSortExpression);
        c.String("TableAlias", &F::TableAlias, &F::SetTableAlias);
        c.String("TableName", &F::TableName, &F::SetTableName);
        c.String("Delimiter", &F::Delimiter, &F::SetDelimiter);
        c.Enum("SearchOperator", EnumInfo<TppSearchOperatorType>(), &F::SearchOperator, &F::SetSearchOperator)
            .Default(int(TppSearchOperatorType::soEqual));
        c.String("WildCard", &F::WildCard, &F::SetWildCard);
    });
    return meta;
}

TppAutoSearchField::TppAutoSearchField(classes::TComponent *aOwner)
    : TppRelative(aOwner)
{}

TppAutoSearchField::~TppAutoSearchField()
{
    BeforeDestruction();
    SetReport(nullptr);
}

void TppAutoSearchField::changed()
{
    if (HasState(classes::csLoading | classes::csReading))
        return;
    if (OnChange)
        OnChange(this);
}

void TppAutoSearchField::SetFieldName(const QString &aValue)
{
    if (m_fieldAlias == m_fieldName)
        m_fieldAlias = aValue;
    m_fieldName = aValue;
    PropertyChange();
    changed();
}

void TppAutoSearchField::SetSearchExpression(const QString &aValue)
{
    m_searchExpression = aValue;
    m_valuePiecesRead = false;
    PropertyChange();
    changed();
}

void TppAutoSearchField::SetSearchOperator(TppSearchOperatorType aValue)
{
    m_searchOperator = aValue;
    m_valuePiecesRead = false;
    changed();
}

void TppAutoSearchField::SetMandatory(bool aValue)
{
    m_mandatory = aValue;
    if (aValue)
        m_showAllValues = false;
    changed();
}

void TppAutoSearchField::SetShowAllValues(bool aValue)
{
    m_showAllValues = aValue;
    if (aValue)
        m_mandatory = false;
    changed();
}

bool ppAutoSearchTakesList(TppSearchOperatorType aOperator)
{
    switch (aOperator) {
    case TppSearchOperatorType::soBetween:
    case TppSearchOperatorType::soNotBetween:
    case TppSearchOperatorType::soInList:
    case TppSearchOperatorType::soNotInList: return true;
    default: return false;
    }
}

const QStringList &TppAutoSearchField::valuePieces() const
{
    if (m_valuePiecesRead)
        return m_valuePieces;
    if (ppAutoSearchTakesList(m_searchOperator))
        m_valuePieces = ppSplitSearchExpression(m_searchExpression);
    else if (m_searchExpression.isEmpty())
        m_valuePieces.clear();
    else // One value, commas and all: "1,5" is not the list 1 and 5.
        m_valuePieces = QStringList{m_searchExpression};
    m_valuePiecesRead = true;
    return m_valuePieces;
}

QVariant TppAutoSearchField::Values(int aIndex) const
{
    const QStringList &pieces = valuePieces();
    if (aIndex < 0 || aIndex >= pieces.size())
        return QVariant(QString());
    return autoSearchConvert(pieces[aIndex], m_dataType, m_wildCard);
}

int TppAutoSearchField::ValueCount() const
{
    return int(valuePieces().size());
}

QString TppAutoSearchField::GetDescription() const
{
    QStringList parts{ppLoadStr(m_firstField ? 54 : 55), m_fieldAlias};
    if (m_showAllValues) {
        parts << ppLoadStr(1036);
    } else {
        parts << ppAutoSearchOperatorText(m_searchOperator, m_dataType) << shownSearchExpression();
    }
    return parts.join(QLatin1Char(' '));
}

// The values as the "Search" dialog shows them: a range's or a list's one by
// one, a single value's operator the whole text as one value, as its edit box
// takes it. A shown value with a "," of its own ("9,25") makes "; " part the
// values, which "," would run together.
QString TppAutoSearchField::shownSearchExpression() const
{
    switch (m_searchOperator) {
    case TppSearchOperatorType::soBetween:
    case TppSearchOperatorType::soNotBetween:
    case TppSearchOperatorType::soInList:
    case TppSearchOperatorType::soNotInList: break;
    default: return ppSearchValueToShown(m_searchExpression, m_dataType);
    }
    QStringList values = ppSplitSearchExpression(m_searchExpression);
    bool comma = false;
    for (QString &value : values) {
        value = ppSearchValueToShown(value, m_dataType);
        comma = comma || value.contains(QLatin1Char(','));
    }
    return values.join(comma ? QStringLiteral("; ") : QStringLiteral(","));
}

bool TppAutoSearchField::AssignCriteria(const TppAutoSearchField &aField)
{
    if (m_searchExpression == aField.m_searchExpression && m_showAllValues == aField.m_showAllValues)
        return false;
    SetSearchExpression(aField.m_searchExpression);
    SetShowAllValues(aField.m_showAllValues);
    return true;
}

void TppAutoSearchField::Assign(const classes::TPersistent *aSource)
{
    const auto *source = dynamic_cast<const TppAutoSearchField *>(aSource);
    if (!source) {
        TppRelative::Assign(aSource);
        return;
    }
    m_alignment = source->m_alignment;
    m_fieldAlias = source->m_fieldAlias;
    m_fieldName = source->m_fieldName;
    m_fieldLength = source->m_fieldLength;
    m_isDetail = source->m_isDetail;
    m_linkable = source->m_linkable;
    m_groupOrder = source->m_groupOrder;
    m_dataType = source->m_dataType;
    m_displayFormat = source->m_displayFormat;
    m_displayWidth = source->m_displayWidth;
    m_mandatory = source->m_mandatory;
    m_selectable = source->m_selectable;
    m_selectOrder = source->m_selectOrder;
    m_searchable = source->m_searchable;
    m_search = source->m_search;
    m_searchExpression = source->m_searchExpression;
    m_searchOrder = source->m_searchOrder;
    m_showAllValues = source->m_showAllValues;
    m_sortable = source->m_sortable;
    m_sort = source->m_sort;
    m_sortOrder = source->m_sortOrder;
    m_sortType = source->m_sortType;
    m_sortExpression = source->m_sortExpression;
    m_tableAlias = source->m_tableAlias;
    m_tableName = source->m_tableName;
    m_delimiter = source->m_delimiter;
    m_searchOperator = source->m_searchOperator;
    m_wildCard = source->m_wildCard;
    m_valuePiecesRead = false;
    // A copy in a group reaches the same pipeline.
    m_dataPipelineName = source->m_dataPipelineName;
    SetDataPipeline(source->DataPipeline());
    if (Parent() && source->Parent())
        SetPosition(source->Position());
}

void TppAutoSearchField::SetDataPipelineName(const QString &aName)
{
    if (aName == m_dataPipelineName)
        return;
    SetDataPipeline(nullptr);
    m_dataPipelineName = aName;
}

TppDataPipeline *TppAutoSearchField::DataPipeline() const
{
    if (m_dataPipeline || m_dataPipelineName.isEmpty())
        return m_dataPipeline;
    const auto matches = [this](const classes::TComponent *c) {
        const auto *pipeline = dynamic_cast<const TppDataPipeline *>(c);
        return pipeline && (pipeline->Name().compare(m_dataPipelineName, Qt::CaseInsensitive) == 0 ||
                            pipeline->UserName().compare(m_dataPipelineName, Qt::CaseInsensitive) == 0);
    };
    TppDataPipeline *found = nullptr;
    if (m_report) {
        std::vector<TppDataPipeline *> pipelines;
        m_report->GetDataPipelines(pipelines);
        for (TppDataPipeline *pipeline : pipelines)
            if (!found && matches(pipeline))
                found = pipeline;
    }
    // A pipeline the report does not print from yet, beside it on its form.
    classes::TComponent *owner = m_report ? m_report->Owner() : Owner();
    for (int i = 0; !found && owner && i < owner->ComponentCount(); ++i)
        if (matches(owner->Components(i)))
            found = static_cast<TppDataPipeline *>(owner->Components(i));
    if (found)
        const_cast<TppAutoSearchField *>(this)->SetDataPipeline(found);
    return m_dataPipeline;
}

void TppAutoSearchField::SetDataPipeline(TppDataPipeline *aPipeline)
{
    if (aPipeline == m_dataPipeline)
        return;
    if (m_dataPipeline)
        RemoveNotify(m_dataPipeline);
    m_dataPipeline = aPipeline;
    if (aPipeline) {
        AddNotify(aPipeline);
        if (m_dataPipelineName.isEmpty())
            m_dataPipelineName = aPipeline->UserName();
    }
}

void TppAutoSearchField::SetReport(TppReport *aReport)
{
    if (aReport == m_report)
        return;
    if (m_report)
        m_report->RemoveChild(this);
    if (aReport)
        aReport->AddChild(this);
}

void TppAutoSearchField::Notify(TppCommunicator *aCommunicator, int aOperation)
{
    TppRelative::Notify(aCommunicator, aOperation);
    if (aOperation != ppNotify::Remove)
        return;
    if (aCommunicator == m_dataPipeline)
        m_dataPipeline = nullptr;
    if (aCommunicator == m_report)
        m_report = nullptr;
}

classes::TComponent *TppAutoSearchField::GetParentComponent() const
{
    if (m_report)
        return m_report;
    return TppRelative::GetParentComponent();
}

void TppAutoSearchField::SetParentComponent(classes::TComponent *aParent)
{
    if (auto *report = dynamic_cast<TppReport *>(aParent)) {
        SetReport(report);
        return;
    }
    TppRelative::SetParentComponent(aParent);
}

} // namespace report
