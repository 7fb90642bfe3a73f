#include "report/model/autosearch/AutoSearchValues.h"

#include "platform/rtl/FormatDateTime.h"
#include "platform/rtl/StrToDateTime.h"
#include "platform/rtl/StrToFloat.h"

namespace report {

namespace {

enum class SearchValueKind { Other, Integer, Float, Moment };

SearchValueKind searchValueKind(TppDataType aType)
{
    switch (aType) {
    case TppDataType::dtInteger:
    case TppDataType::dtLongint: return SearchValueKind::Integer;
    case TppDataType::dtSingle:
    case TppDataType::dtDouble:
    case TppDataType::dtExtended:
    case TppDataType::dtCurrency: return SearchValueKind::Float;
    case TppDataType::dtDate:
    case TppDataType::dtTime:
    case TppDataType::dtDateTime: return SearchValueKind::Moment;
    default: return SearchValueKind::Other;
    }
}

bool searchReadsAsNumber(const QString &aText, TppDataType aType, const rtl::TFormatSettings &aSettings)
{
    if (searchValueKind(aType) == SearchValueKind::Integer) {
        int32_t value = 0;
        return rtl::TryStrToInt(aText, value);
    }
    if (aType == TppDataType::dtCurrency) {
        rtl::Currency value;
        return rtl::TryStrToCurr(aText, value, aSettings);
    }
    long double value = 0;
    return rtl::TryStrToFloat(aText, value, aSettings);
}

bool searchTryReadMoment(const QString &aText, TppDataType aType, rtl::TDateTime &aValue,
                         const rtl::TFormatSettings &aSettings)
{
    switch (aType) {
    case TppDataType::dtDate: return rtl::TryStrToDate(aText, aValue, aSettings);
    case TppDataType::dtTime: return rtl::TryStrToTime(aText, aValue, aSettings);
    default: return rtl::TryStrToDateTime(aText, aValue, aSettings);
    }
}

QString searchWriteMoment(rtl::TDateTime aValue, TppDataType aType, const rtl::TFormatSettings &aSettings)
{
    switch (aType) {
    case TppDataType::dtDate: return rtl::DateToStr(aValue, aSettings);
    case TppDataType::dtTime: return rtl::TimeToStr(aValue, aSettings);
    default: return rtl::DateTimeToStr(aValue, aSettings);
    }
}

// Whether every "," of aText stands before a group of exactly three digits,
// as a thousand separator does.
bool searchCommasGroupThousands(const QString &aText)
{
    const QStringList groups = aText.split(QLatin1Char(','));
    for (qsizetype i = 1; i < groups.size(); ++i) {
        const QString &group = groups[i];
        qsizetype digits = 0;
        while (digits < group.size() && group[digits].isDigit())
            ++digits;
        const bool last = i == groups.size() - 1;
        if (digits != 3 || (!last && group.size() != 3))
            return false;
    }
    return true;
}

} // namespace

const rtl::TFormatSettings &ppAutoSearchStoredSettings()
{
    return rtl::FormatSettingsEnUS();
}

QString ppStoredSearchNumber(QString aText, TppDataType aType)
{
    const rtl::TFormatSettings &stored = ppAutoSearchStoredSettings();
    if (searchValueKind(aType) == SearchValueKind::Float && aText.contains(stored.ThousandSeparator) &&
        !aText.contains(stored.DecimalSeparator) && aText.count(stored.ThousandSeparator) == 1 &&
        !searchCommasGroupThousands(aText))
        return aText.replace(stored.ThousandSeparator, stored.DecimalSeparator);
    return aText.remove(stored.ThousandSeparator);
}

rtl::TDateTime ppReadStoredSearchMoment(const QString &aText)
{
    rtl::TDateTime value = 0;
    if (rtl::TryStrToDateTime(aText, value, ppAutoSearchStoredSettings()) ||
        rtl::TryStrToDateTime(aText, value, rtl::FormatSettings()))
        return value;
    return rtl::StrToDateTime(aText, ppAutoSearchStoredSettings());
}

QString ppConvertSearchValue(const QString &aText, TppDataType aType, const rtl::TFormatSettings &aFrom,
                             const rtl::TFormatSettings &aTo)
{
    switch (searchValueKind(aType)) {
    case SearchValueKind::Integer:
    case SearchValueKind::Float: {
        if (aFrom.DecimalSeparator == aTo.DecimalSeparator && aFrom.ThousandSeparator == aTo.ThousandSeparator)
            return aText;
        QString number = aFrom == ppAutoSearchStoredSettings() ? ppStoredSearchNumber(aText, aType)
                                                               : QString(aText).remove(aFrom.ThousandSeparator);
        if (!searchReadsAsNumber(number, aType, aFrom))
            return aText;
        // What reads is digits, signs, blanks, an exponent and at most one
        // decimal separator: only that one differs between the forms.
        return number.replace(aFrom.DecimalSeparator, aTo.DecimalSeparator);
    }
    case SearchValueKind::Moment: {
        if (aFrom == aTo)
            return aText;
        rtl::TDateTime value = 0;
        if (!searchTryReadMoment(aText, aType, value, aFrom))
            return aText;
        return searchWriteMoment(value, aType, aTo);
    }
    case SearchValueKind::Other: break;
    }
    return aText;
}

QString ppSearchValueToStored(const QString &aText, TppDataType aType)
{
    return ppConvertSearchValue(aText, aType, rtl::FormatSettings(), ppAutoSearchStoredSettings());
}

QString ppSearchValueToShown(const QString &aStored, TppDataType aType)
{
    return ppConvertSearchValue(aStored, aType, ppAutoSearchStoredSettings(), rtl::FormatSettings());
}

} // namespace report
