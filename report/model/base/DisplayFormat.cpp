#include "report/model/base/DisplayFormat.h"

#include "platform/classes/StringList.h"
#include "platform/rtl/EditMask.h"
#include "platform/rtl/FloatToStr.h"
#include "platform/rtl/FormatDateTime.h"
#include "platform/rtl/FormatFloat.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Variants.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <initializer_list>
#include <utility>

namespace report {

namespace {

std::atomic<const TppDisplayFormat *> g_formatter{nullptr};

using Entries = std::initializer_list<std::pair<const char16_t *, const char16_t *>>;

// Trailing blanks of the samples are part of them.
const Entries BooleanFormats = {{u"Yes", u"Yes;No"}, {u"Y", u"Y;N"},     {u"True", u"True;False"},
                                {u"T", u"T;F"},      {u"OK", u"OK;"},    {u"Done", u"Done;"},
                                {u"", u";Not OK"},   {u"", u";Not Done"}};

const Entries DateFormats = {{u"3/4/95", u"m/d/yy"},
                             {u"03/04/95", u"mm/dd/yy"},
                             {u"03/04/1995", u"mm/dd/yyyy"},
                             {u"4-Mar-95 ", u"d-mmm-yy"},
                             {u"04-Mar-95 ", u"dd-mmm-yy"},
                             {u"March 4, 1995", u"mmmm d, yyyy"},
                             {u"3/4", u"m/d"},
                             {u"Mar-95", u"mmm-yy"},
                             {u"March-95", u"mmmm-yy"}};

const Entries TimeFormats = {
    {u"1:30 PM", u"h:nn AM/PM"}, {u"13:30", u"h:nn"}, {u"1:30:55 PM", u"h:nn:ss AM/PM"}, {u"13:30:55", u"h:nn:ss"}};

const Entries DateTimeFormats = {{u"3/4/95 1:30:55 PM", u"m/d/yy h:nn:ss AM/PM"},
                                 {u"3/4/95 13:30:55", u"m/d/yy h:nn:ss"}};

const Entries NumberFormats = {{u"-1,234", u"#,0;-#,0"},
                               {u"-1,234.40", u"#,0.00;-#,0.00"},
                               {u"(1,234.40)", u"#,0.00;(#,0.00)"},
                               {u"($1,234.40)", u"$#,0.00;($#,0.00)"},
                               {u"-$1,234.40", u"$#,0.00;-$#,0.00"},
                               {u"-$1,234", u"$#,0;-$#,0"},
                               {u"($1,234)", u"$#,0;($#,0)"},
                               {u"-1234.4 %", u"0 %"},
                               {u"-1234.40 %", u"0.00 %"}};

const Entries StringFormats = {{u"Phone", u"!\\(999\\)\\ 000\\-0000;0; "},   {u"Extension", u"!99999;0; "},
                               {u"Social Security", u"000\\-00\\-0000;0; "}, {u"Short Zip Code", u"00000;0; "},
                               {u"Long Zip Code", u"00000\\-9999;0; "},      {u"Date", u"!99/99/00;0; "},
                               {u"Long Time", u"!90:00:00\\ >LL;0; "},       {u"Short Time", u"!90:00;0; "}};

void addEntries(classes::TStrings &list, const Entries &entries)
{
    for (const auto &[sample, format] : entries)
        list.Add(QString::fromUtf16(sample) + QChar(1) + QString::fromUtf16(format));
}

bool isNumeric(TppDataType type)
{
    switch (type) {
    case TppDataType::dtInteger:
    case TppDataType::dtSingle:
    case TppDataType::dtDouble:
    case TppDataType::dtExtended:
    case TppDataType::dtCurrency:
    case TppDataType::dtLongint:
    case TppDataType::dtLargeInt: return true;
    default: return false;
    }
}

// The decimals a "$" format asks for: the characters after the "." of its
// first section.
int currencyDecimals(const QString &format)
{
    QStringView first(format);
    const qsizetype semicolon = first.indexOf(u';');
    if (semicolon >= 0)
        first = first.first(semicolon);
    const qsizetype dot = first.indexOf(u'.');
    // The formatter takes at most 18 decimals.
    return dot < 0 ? 0 : int(std::min<qsizetype>(first.size() - dot - 1, 18));
}

QString formatNumber(const QString &format, TppDataType type, const QVariant &value)
{
    const rtl::TFormatSettings &settings = rtl::FormatSettings();
    const long double number = rtl::VarToExtended(value, settings);
    if (format.contains(u'$'))
        return rtl::FloatToStrF(number, rtl::ffCurrency, 15, currencyDecimals(format), settings);
    if (!format.isEmpty())
        return rtl::FormatFloat(format, number, settings);
    if (type == TppDataType::dtCurrency)
        return rtl::FloatToStrF(number, rtl::ffCurrency, 15, settings.CurrencyDecimals, settings);
    // Whole numbers of up to 15 digits, the most common value of an
    // unformatted numeric field, come out of the general format as their
    // plain digits; they need no decimal expansion.
    if (std::fabs(number) < 1e15L && std::trunc(number) == number)
        return QString::number(qint64(number));
    return rtl::FloatToStrF(number, rtl::ffGeneral, 15, 0, settings);
}

} // namespace

QString TppDisplayFormat::Format(const QString &aDisplayFormat, TppDataType aDataType, const QVariant &aValue) const
{
    if (rtl::VarIsNull(aValue))
        return QString();
    const rtl::TFormatSettings &settings = rtl::FormatSettings();
    switch (aDataType) {
    case TppDataType::dtBoolean: {
        if (aDisplayFormat.isEmpty() || aValue.metaType().id() != QMetaType::Bool)
            return rtl::VarToStr(aValue, settings);
        const qsizetype semicolon = aDisplayFormat.indexOf(u';');
        if (aValue.toBool())
            return semicolon < 0 ? aDisplayFormat : aDisplayFormat.left(semicolon);
        return semicolon < 0 ? QString() : aDisplayFormat.mid(semicolon + 1);
    }
    case TppDataType::dtDate:
        return rtl::FormatDateTime(aDisplayFormat.isEmpty() ? settings.ShortDateFormat : aDisplayFormat,
                                   rtl::VarToDateTime(aValue, settings), settings);
    case TppDataType::dtTime:
        return rtl::FormatDateTime(aDisplayFormat.isEmpty() ? settings.LongTimeFormat : aDisplayFormat,
                                   rtl::VarToDateTime(aValue, settings), settings);
    case TppDataType::dtDateTime:
        return rtl::FormatDateTime(aDisplayFormat.isEmpty() ? QStringLiteral("c") : aDisplayFormat,
                                   rtl::VarToDateTime(aValue, settings), settings);
    case TppDataType::dtChar:
    case TppDataType::dtString:
    case TppDataType::dtMemo:
        if (aDisplayFormat.isEmpty())
            return rtl::VarToStr(aValue, settings);
        return rtl::FormatMaskText(aDisplayFormat, rtl::VarToStr(aValue, settings), settings);
    default: break;
    }
    if (isNumeric(aDataType))
        return formatNumber(aDisplayFormat, aDataType, aValue);
    return QString();
}

void TppDisplayFormat::GetDisplayFormats(TppDataType aDataType, classes::TStrings &aList) const
{
    aList.BeginUpdate();
    aList.Clear();
    switch (aDataType) {
    case TppDataType::dtBoolean: addEntries(aList, BooleanFormats); break;
    case TppDataType::dtDate: addEntries(aList, DateFormats); break;
    case TppDataType::dtTime: addEntries(aList, TimeFormats); break;
    case TppDataType::dtDateTime:
        addEntries(aList, DateTimeFormats);
        addEntries(aList, DateFormats);
        break;
    case TppDataType::dtString: addEntries(aList, StringFormats); break;
    default:
        if (isNumeric(aDataType))
            addEntries(aList, NumberFormats);
        break;
    }
    aList.EndUpdate();
}

const TppDisplayFormat *ppDisplayFormatClass()
{
    return g_formatter.load(std::memory_order_acquire);
}

void ppSetDisplayFormatClass(const TppDisplayFormat *aFormatter)
{
    g_formatter.store(aFormatter, std::memory_order_release);
}

const TppDisplayFormat &ppDefaultDisplayFormat()
{
    static const TppDisplayFormat formatter;
    return formatter;
}

QString ppFormatDisplayValue(const QString &aDisplayFormat, TppDataType aDataType, const QVariant &aValue)
{
    const TppDisplayFormat *formatter = ppDisplayFormatClass();
    return formatter ? formatter->Format(aDisplayFormat, aDataType, aValue) : QString();
}

void ppGetDisplayFormats(TppDataType aDataType, classes::TStrings &aList)
{
    if (const TppDisplayFormat *formatter = ppDisplayFormatClass())
        formatter->GetDisplayFormats(aDataType, aList);
    else
        aList.Clear();
}

} // namespace report
