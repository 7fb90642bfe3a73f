#include "report/model/autosearch/AutoSearchValues.h"

#include "platform/rtl/DateTime.h"
#include "platform/rtl/FormatDateTime.h"
#include "platform/rtl/StrToDateTime.h"
#include "platform/rtl/StrToFloat.h"

#include <QRegularExpression>

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

bool ppTryReadIsoSearchMoment(const QString &aText, rtl::TDateTime &aValue)
{
    // yyyy-mm-dd, hh:nn[:ss[.zzz]], or both joined by a "T" or a blank.
    static const QRegularExpression datePart(QStringLiteral("^(\\d{4})-(\\d{2})-(\\d{2})"));
    static const QRegularExpression timePart(QStringLiteral("^(\\d{2}):(\\d{2})(?::(\\d{2})(?:\\.(\\d{1,3}))?)?$"));
    const QString text = aText.trimmed();
    rtl::TDateTime date = 0;
    rtl::TDateTime time = 0;
    qsizetype at = 0;
    if (const QRegularExpressionMatch m = datePart.match(text); m.hasMatch()) {
        if (!rtl::TryEncodeDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt(), date))
            return false;
        at = m.capturedLength();
        if (at < text.size() && text[at] != QLatin1Char('T') && text[at] != QLatin1Char(' '))
            return false;
        if (at < text.size())
            ++at;
    }
    if (at < text.size() || at == 0) {
        const QRegularExpressionMatch m = timePart.match(QStringView(text).mid(at));
        if (!m.hasMatch())
            return false;
        const int msec = m.capturedLength(4) > 0 ? m.captured(4).leftJustified(3, QLatin1Char('0')).toInt() : 0;
        if (!rtl::TryEncodeTime(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt(), msec, time))
            return false;
    }
    aValue = date >= 0 ? date + time : date - time;
    return true;
}

QString ppIsoSearchMoment(rtl::TDateTime aValue, TppDataType aType)
{
    const rtl::TDateParts d = rtl::DecodeDate(aValue);
    const rtl::TTimeParts t = rtl::DecodeTime(aValue);
    const QString date = QString::asprintf("%04d-%02d-%02d", d.year, d.month, d.day);
    QString time = QString::asprintf("%02d:%02d:%02d", t.hour, t.minute, t.second);
    if (t.msec != 0)
        time += QString::asprintf(".%03d", t.msec);
    switch (aType) {
    case TppDataType::dtDate: return date;
    case TppDataType::dtTime: return time;
    default: return t == rtl::TTimeParts{} ? date : date + QLatin1Char('T') + time;
    }
}

rtl::TDateTime ppReadStoredSearchMoment(const QString &aText)
{
    rtl::TDateTime value = 0;
    if (ppTryReadIsoSearchMoment(aText, value))
        return value;
    return rtl::StrToDateTime(aText, rtl::FormatSettings());
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
    if (searchValueKind(aType) == SearchValueKind::Moment) {
        rtl::TDateTime value = 0;
        if (!searchTryReadMoment(aText, aType, value, rtl::FormatSettings()))
            return aText;
        return ppIsoSearchMoment(value, aType);
    }
    return ppConvertSearchValue(aText, aType, rtl::FormatSettings(), ppAutoSearchStoredSettings());
}

QString ppSearchValueToShown(const QString &aStored, TppDataType aType)
{
    if (searchValueKind(aType) == SearchValueKind::Moment) {
        // Any other text is in the system's form already, or reads in none.
        rtl::TDateTime value = 0;
        if (!ppTryReadIsoSearchMoment(aStored, value))
            return aStored;
        return searchWriteMoment(value, aType, rtl::FormatSettings());
    }
    return ppConvertSearchValue(aStored, aType, ppAutoSearchStoredSettings(), rtl::FormatSettings());
}

} // namespace report
