#include "Criteria.h"

#include "tests/support/report/MemoryPipeline.h"

#include "report/model/autosearch/AutoSearchField.h"
#include "report/model/base/Types.h"
#include "report/model/data/PipelineFields.h"
#include "report/model/reports/Report.h"

#include "platform/rtl/Variants.h"

#include <exception>

namespace reportdemo {

namespace {

using Op = report::TppSearchOperatorType;

bool criteriaIsNumber(report::TppDataType aType)
{
    return aType == report::TppDataType::dtDouble || aType == report::TppDataType::dtInteger;
}

// Below zero, zero or above: numbers by value, other values as texts.
int criteriaCompare(const QVariant &aCell, const QVariant &aValue, report::TppDataType aType)
{
    if (criteriaIsNumber(aType)) {
        const double cell = aCell.toDouble();
        const double value = aValue.toDouble();
        return cell < value ? -1 : (cell > value ? 1 : 0);
    }
    return rtl::VarToStr(aCell).compare(rtl::VarToStr(aValue));
}

bool criteriaMatches(const report::TppAutoSearchField &aField, const QVariant &aCell)
{
    const report::TppDataType type = aField.DataType();
    const bool blank = rtl::VarIsNull(aCell) || rtl::VarToStr(aCell).isEmpty();
    switch (aField.SearchOperator()) {
    case Op::soBlank: return blank;
    case Op::soNotBlank: return !blank;
    default: break;
    }
    const int count = aField.ValueCount();
    if (count == 0)
        return true;
    const QVariant value = aField.Value();
    switch (aField.SearchOperator()) {
    case Op::soEqual: return criteriaCompare(aCell, value, type) == 0;
    case Op::soNotEqual: return criteriaCompare(aCell, value, type) != 0;
    case Op::soLessThan: return criteriaCompare(aCell, value, type) < 0;
    case Op::soLessThanOrEqualTo: return criteriaCompare(aCell, value, type) <= 0;
    case Op::soGreaterThan: return criteriaCompare(aCell, value, type) > 0;
    case Op::soGreaterThanOrEqualTo: return criteriaCompare(aCell, value, type) >= 0;
    case Op::soLike:
    case Op::soNotLike: {
        QString prefix = rtl::VarToStr(value);
        if (!aField.WildCard().isEmpty() && prefix.endsWith(aField.WildCard()))
            prefix.chop(aField.WildCard().size());
        const bool begins = rtl::VarToStr(aCell).startsWith(prefix, Qt::CaseInsensitive);
        return aField.SearchOperator() == Op::soLike ? begins : !begins;
    }
    case Op::soBetween:
    case Op::soNotBetween: {
        // One end alone is no range.
        if (count < 2)
            return true;
        const bool inside =
            criteriaCompare(aCell, value, type) >= 0 && criteriaCompare(aCell, aField.Values(1), type) <= 0;
        return aField.SearchOperator() == Op::soBetween ? inside : !inside;
    }
    case Op::soInList:
    case Op::soNotInList: {
        bool found = false;
        for (int i = 0; i < count && !found; ++i)
            found = criteriaCompare(aCell, aField.Values(i), type) == 0;
        return aField.SearchOperator() == Op::soInList ? found : !found;
    }
    default: return true;
    }
}

} // namespace

DemoCriteria::DemoCriteria(report::TppReport &aReport, reporttest::MemoryPipeline &aData)
    : m_report(aReport)
    , m_data(aData)
{
    for (int i = 0; i < aData.GetFieldCount(); ++i)
        m_fieldNames << aData.GetField(i)->FieldName;
    aReport.OnGetAutoSearchValues.Set([this](classes::TObject *) { Apply(); });
}

DemoCriteria::~DemoCriteria()
{
    m_report.OnGetAutoSearchValues.Clear();
}

bool DemoCriteria::Add(const QString &aSpec, QString &aError)
{
    const qsizetype first = aSpec.indexOf(QLatin1Char(':'));
    const qsizetype second = first < 0 ? -1 : aSpec.indexOf(QLatin1Char(':'), first + 1);
    if (second < 0) {
        aError = QStringLiteral("--criteria \"%1\": give FIELD:OPERATOR:EXPRESSION").arg(aSpec.left(80));
        return false;
    }
    const QString fieldName = aSpec.left(first);
    const QString operatorName = aSpec.mid(first + 1, second - first - 1);
    const QString expression = aSpec.mid(second + 1);
    report::TppField *field = m_data.GetFieldForName(fieldName);
    if (!field) {
        aError = QStringLiteral("--criteria: the data has no field \"%1\"; its fields are %2")
                     .arg(fieldName.left(80), m_fieldNames.join(QStringLiteral(", ")));
        return false;
    }
    const classes::TEnumInfo &operators = report::EnumInfo<Op>();
    const int64_t op = operators.ValueOf(operatorName);
    if (op < operators.MinValue() || op > operators.MaxValue()) {
        QStringList names;
        for (int i = operators.MinValue(); i <= operators.MaxValue(); ++i)
            names << operators.NameOf(i);
        aError = QStringLiteral("--criteria: unknown operator \"%1\"; the operators are %2")
                     .arg(operatorName.left(80), names.join(QStringLiteral(", ")));
        return false;
    }
    report::TppAutoSearchField *criterion =
        m_report.CreateAutoSearchCriteria(m_data.Name(), field->FieldName, Op(op), expression, false);
    if (!criterion) {
        aError = QStringLiteral("--criteria: the criterion was refused");
        return false;
    }
    criterion->SetDataType(criteriaIsNumber(field->DataType) ? report::TppDataType::dtDouble
                                                             : report::TppDataType::dtString);
    try {
        for (int i = 0; i < criterion->ValueCount(); ++i)
            criterion->Values(i);
    } catch (const std::exception &) {
        aError = QStringLiteral("--criteria: \"%1\" is no value of the field \"%2\"")
                     .arg(expression.left(80), field->FieldName);
        delete criterion;
        return false;
    }
    return true;
}

bool DemoCriteria::matches(int aRow) const
{
    for (report::TppAutoSearchField *field : m_report.AutoSearchFieldList()) {
        if (field->ShowAllValues() || !field->CriteriaEnabled())
            continue;
        const qsizetype column = m_fieldNames.indexOf(field->FieldName());
        if (column >= 0 && !criteriaMatches(*field, m_data.RowCell(aRow, int(column))))
            return false;
    }
    return true;
}

void DemoCriteria::Apply()
{
    // A run without criteria leaves the records as loaded and walks none.
    if (m_report.AutoSearchFieldList().empty() && !m_data.IsRowFilterSet())
        return;
    // The rows stay as loaded: the records become those that pass, and a
    // later search starts again from all of them.
    std::vector<int> rows;
    for (int row = 0; row < m_data.RowCount(); ++row)
        if (matches(row))
            rows.push_back(row);
    m_data.SetRowFilter(std::move(rows));
}

} // namespace reportdemo
