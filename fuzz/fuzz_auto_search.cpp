// A criterion's value text comes from a stored report or a command line.
// Under any data type and operator its values either convert or raise the
// conversion error; the count, the values beyond it and the description
// hold whatever the text.

#include "ReportFuzz.h"

#include "report/model/autosearch/AutoSearchField.h"

#include "platform/rtl/Exceptions.h"

#include <cstdio>
#include <cstdlib>

namespace {

constexpr int autoSearchFuzzDataTypes = 18;
constexpr int autoSearchFuzzOperators = 15; // one past the last: an unknown operator

void autoSearchFuzzFail(const char *aWhat)
{
    std::fprintf(stderr, "auto-search fuzz: %s\n", aWhat);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 3)
        return 0;
    report::TppAutoSearchField field;
    field.SetDataType(report::TppDataType(data[0] % autoSearchFuzzDataTypes));
    field.SetSearchOperator(report::TppSearchOperatorType(data[1] % autoSearchFuzzOperators));
    if (data[2] & 1)
        field.SetWildCard(QStringLiteral("%"));
    field.SetFieldName(QStringLiteral("F"));
    field.SetFirstField(data[2] & 2);
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data + 3), qsizetype(size - 3));
    field.SetSearchExpression(text);
    const int count = field.ValueCount();
    if ((count == 0) != text.isEmpty())
        autoSearchFuzzFail("the count does not follow the text");
    for (int i = 0; i < count && i < 64; ++i) {
        try {
            field.Values(i);
        } catch (const rtl::EConvertError &) {
        }
    }
    if (field.Values(count) != QVariant(QString()) || field.Values(-1) != QVariant(QString()))
        autoSearchFuzzFail("a value beyond the list is not empty");
    if (!field.GetDescription().contains(QStringLiteral(" F ")))
        autoSearchFuzzFail("the description lacks the field");
    return 0;
}
