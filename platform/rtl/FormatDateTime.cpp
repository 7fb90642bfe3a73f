#include "platform/rtl/FormatDateTime.h"

#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FloatToStr.h"
#include "platform/rtl/QtText.h"

namespace rtl {

namespace {

// A format named by the record is expanded at this depth at most (the
// caller's format being depth 0).
constexpr int MaxDepth = 1;

bool startsWithNoCase(QStringView f, qsizetype at, QLatin1StringView word)
{
    return f.size() - at >= word.size() && f.mid(at, word.size()).compare(word, Qt::CaseInsensitive) == 0;
}

class DateTimeWriter
{
public:
    DateTimeWriter(const TFormatSettings &settings, TDateTime value)
        : m_settings(settings)
    {
        if (!TryDecodeDateTime(value, m_date, m_time, m_dayOfWeek))
            throw EConvertError("'" + FromQString(FloatToStr(value, FormatSettingsEnUS())) +
                                "' is not a valid date and time");
    }

    QString write(QStringView format)
    {
        m_out.reserve(format.size() + 16);
        append(format.isEmpty() ? QStringView(u"c") : format, 0);
        return m_out;
    }

private:
    void appendNumber(int value, int minDigits)
    {
        char buf[12];
        int len = 0;
        do {
            buf[len++] = char('0' + value % 10);
            value /= 10;
        } while (value > 0 && len < 12);
        for (int i = len; i < minDigits; ++i)
            m_out += u'0';
        while (len > 0)
            m_out += QChar(buf[--len]);
    }

    // Whether an am/pm field follows this hour field before the next one.
    static bool twelveHourAhead(QStringView f, qsizetype from)
    {
        bool quoted = false;
        for (qsizetype p = from; p < f.size(); ++p) {
            const QChar c = f[p];
            if ((c == u'A' || c == u'a') && !quoted)
                return startsWithNoCase(f, p, QLatin1StringView("am/pm")) ||
                       startsWithNoCase(f, p, QLatin1StringView("a/p")) ||
                       startsWithNoCase(f, p, QLatin1StringView("ampm"));
            if (c == u'H' || c == u'h')
                return false;
            if (c == u'\'' || c == u'"')
                quoted = !quoted;
        }
        return false;
    }

    void append(QStringView f, int depth)
    {
        if (depth > MaxDepth)
            return;
        char16_t lastToken = u' ';
        bool twelveHour = false;
        const qsizetype n = f.size();
        qsizetype i = 0;
        while (i < n) {
            const QChar starter = f[i++];
            char16_t token = starter.unicode();
            if (token >= u'a' && token <= u'z')
                token = char16_t(token - 32);
            if (token >= u'A' && token <= u'Z') {
                if (token == u'M' && lastToken == u'H')
                    token = u'N';
                lastToken = token;
            }
            auto count = [&] {
                int c = 1;
                while (i < n && f[i] == starter) {
                    ++i;
                    ++c;
                }
                return c;
            };
            switch (token) {
            case u'Y':
                if (count() <= 2)
                    appendNumber(m_date.year % 100, 2);
                else
                    appendNumber(m_date.year, 4);
                break;
            case u'M': {
                const int c = count();
                if (c <= 2)
                    appendNumber(m_date.month, c);
                else if (c == 3)
                    m_out += m_settings.ShortMonthNames[size_t(m_date.month - 1)];
                else
                    m_out += m_settings.LongMonthNames[size_t(m_date.month - 1)];
                break;
            }
            case u'D': {
                const int c = count();
                if (c <= 2)
                    appendNumber(m_date.day, c);
                else if (c == 3)
                    m_out += m_settings.ShortDayNames[size_t(m_dayOfWeek - 1)];
                else if (c == 4)
                    m_out += m_settings.LongDayNames[size_t(m_dayOfWeek - 1)];
                else if (c == 5)
                    append(m_settings.ShortDateFormat, depth + 1);
                else
                    append(m_settings.LongDateFormat, depth + 1);
                break;
            }
            case u'H': {
                const int c = count();
                twelveHour = twelveHour || twelveHourAhead(f, i);
                int hour = m_time.hour;
                if (twelveHour)
                    hour = hour == 0 ? 12 : (hour > 12 ? hour - 12 : hour);
                appendNumber(hour, std::min(c, 2));
                break;
            }
            case u'N': appendNumber(m_time.minute, std::min(count(), 2)); break;
            case u'S': appendNumber(m_time.second, std::min(count(), 2)); break;
            case u'Z': appendNumber(m_time.msec, std::min(count(), 3)); break;
            case u'T': append(count() == 1 ? m_settings.ShortTimeFormat : m_settings.LongTimeFormat, depth + 1); break;
            case u'A': i = appendAmPm(f, i - 1, twelveHour); break;
            case u'C':
                count();
                append(m_settings.ShortDateFormat, depth + 1);
                if (m_time.hour != 0 || m_time.minute != 0 || m_time.second != 0 || m_time.msec != 0) {
                    m_out += u' ';
                    append(m_settings.LongTimeFormat, depth + 1);
                }
                break;
            case u'/':
                if (!m_settings.DateSeparator.isNull())
                    m_out += m_settings.DateSeparator;
                break;
            case u':':
                if (!m_settings.TimeSeparator.isNull())
                    m_out += m_settings.TimeSeparator;
                break;
            case u'\'':
            case u'"': {
                qsizetype end = f.indexOf(starter, i);
                if (end < 0)
                    end = n;
                m_out += f.mid(i, end - i);
                i = end < n ? end + 1 : n;
                break;
            }
            default: m_out += starter; break;
            }
        }
    }

    // The am/pm fields at `at`; returns where the format goes on.
    qsizetype appendAmPm(QStringView f, qsizetype at, bool &twelveHour)
    {
        const bool pm = m_time.hour >= 12;
        if (startsWithNoCase(f, at, QLatin1StringView("am/pm"))) {
            m_out += f.mid(pm ? at + 3 : at, 2);
            twelveHour = true;
            return at + 5;
        }
        if (startsWithNoCase(f, at, QLatin1StringView("a/p"))) {
            m_out += f[pm ? at + 2 : at];
            twelveHour = true;
            return at + 3;
        }
        if (startsWithNoCase(f, at, QLatin1StringView("ampm"))) {
            m_out += pm ? m_settings.TimePMString : m_settings.TimeAMString;
            twelveHour = true;
            return at + 4;
        }
        m_out += f[at];
        return at + 1;
    }

    const TFormatSettings &m_settings;
    TDateParts m_date;
    TTimeParts m_time;
    int m_dayOfWeek = 1;
    QString m_out;
};

} // namespace

QString FormatDateTime(QStringView format, TDateTime value, const TFormatSettings &settings)
{
    return DateTimeWriter(settings, value).write(format);
}

QString FormatDateTime(QStringView format, TDateTime value)
{
    return FormatDateTime(format, value, FormatSettings());
}

QString DateTimeToStr(TDateTime value, const TFormatSettings &settings)
{
    return FormatDateTime(u"c", value, settings);
}

QString DateTimeToStr(TDateTime value)
{
    return DateTimeToStr(value, FormatSettings());
}

QString DateToStr(TDateTime value, const TFormatSettings &settings)
{
    return FormatDateTime(settings.ShortDateFormat, value, settings);
}

QString DateToStr(TDateTime value)
{
    return DateToStr(value, FormatSettings());
}

QString TimeToStr(TDateTime value, const TFormatSettings &settings)
{
    return FormatDateTime(settings.LongTimeFormat, value, settings);
}

QString TimeToStr(TDateTime value)
{
    return TimeToStr(value, FormatSettings());
}

} // namespace rtl
