#include "platform/rtl/StrToDateTime.h"

#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/QtText.h"

#include <cmath>

namespace rtl {

namespace {

enum class DateOrder { MDY, DMY, YMD };

// The order of the first field letter of the short date format.
DateOrder dateOrder(QStringView format)
{
    QChar quote;
    for (QChar c : format) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            continue;
        }
        switch (c.toUpper().unicode()) {
        case u'\'':
        case u'"': quote = c; break;
        case u'Y': return DateOrder::YMD;
        case u'M': return DateOrder::MDY;
        case u'D': return DateOrder::DMY;
        default: break;
        }
    }
    return DateOrder::MDY;
}

class Scanner
{
public:
    explicit Scanner(QStringView text)
        : m_text(text)
    {}

    bool atEnd() const { return m_pos >= m_text.size(); }

    static bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

    void skipBlanks()
    {
        while (m_pos < m_text.size() && m_text[m_pos] == u' ')
            ++m_pos;
    }

    // One to four digits after blanks. A longer run is no field at all:
    // read in part, "1/1/10000" would be a year 1000 with an hour after it.
    bool number(int &value, int &length)
    {
        skipBlanks();
        qsizetype i = m_pos;
        int n = 0;
        while (i < m_text.size() && i - m_pos < 4 && isDigit(m_text[i]))
            n = n * 10 + (m_text[i++].unicode() - u'0');
        if (i == m_pos || (i < m_text.size() && isDigit(m_text[i])))
            return false;
        length = int(i - m_pos);
        value = n;
        m_pos = i;
        return true;
    }

    bool character(QChar c)
    {
        skipBlanks();
        if (c.isNull() || m_pos >= m_text.size() || m_text[m_pos] != c)
            return false;
        ++m_pos;
        return true;
    }

    bool word(QStringView w)
    {
        if (w.isEmpty())
            return false;
        skipBlanks();
        if (m_text.size() - m_pos < w.size() || m_text.mid(m_pos, w.size()).compare(w, Qt::CaseInsensitive) != 0)
            return false;
        m_pos += w.size();
        return true;
    }

    bool date(const TFormatSettings &s, TDateTime &value)
    {
        int n1 = 0, n2 = 0, n3 = 0, l1 = 0, l2 = 0, l3 = 0;
        if (!number(n1, l1) || !character(s.DateSeparator) || !number(n2, l2))
            return false;
        const DateOrder order = dateOrder(s.ShortDateFormat);
        auto currentYear = [] { return DecodeDate(Now()).year; };
        int year = 0, month = 0, day = 0;
        if (character(s.DateSeparator)) {
            if (!number(n3, l3))
                return false;
            int yearLength = l3;
            switch (order) {
            case DateOrder::MDY: year = n3, month = n1, day = n2; break;
            case DateOrder::DMY: year = n3, month = n2, day = n1; break;
            case DateOrder::YMD: year = n1, month = n2, day = n3, yearLength = l1; break;
            }
            if (yearLength <= 2) {
                const int window = s.TwoDigitYearCenturyWindow;
                const int base = currentYear() - window;
                year += base / 100 * 100;
                if (window > 0 && year < base)
                    year += 100;
            }
        } else {
            year = currentYear();
            if (order == DateOrder::DMY)
                day = n1, month = n2;
            else
                month = n1, day = n2;
        }
        character(s.DateSeparator);
        skipBlanks();
        return TryEncodeDate(year, month, day, value);
    }

    bool time(const TFormatSettings &s, TDateTime &value)
    {
        int baseHour = amPm(s);
        int hour = 0, minute = 0, second = 0, msec = 0, length = 0;
        if (!number(hour, length))
            return false;
        if (character(s.TimeSeparator)) {
            if (!number(minute, length))
                return false;
            if (character(s.TimeSeparator)) {
                if (!number(second, length))
                    return false;
                if (character(s.DecimalSeparator) && !fraction(msec))
                    return false;
            }
        }
        if (baseHour < 0)
            baseHour = amPm(s);
        if (baseHour >= 0) {
            if (hour == 0 || hour > 12)
                return false;
            hour = (hour == 12 ? 0 : hour) + baseHour;
        }
        skipBlanks();
        return TryEncodeTime(hour, minute, second, msec, value);
    }

private:
    // 0 for AM, 12 for PM, -1 for neither.
    int amPm(const TFormatSettings &s)
    {
        if (word(s.TimeAMString) || word(u"AM"))
            return 0;
        if (word(s.TimePMString) || word(u"PM"))
            return 12;
        return -1;
    }

    // The digits after the decimal separator are a fraction of a second
    // ("5" is 500 ms), to the millisecond.
    bool fraction(int &msec)
    {
        int digits = 0;
        if (!number(msec, digits) || digits > 3)
            return false;
        for (; digits < 3; ++digits)
            msec *= 10;
        return true;
    }

    QStringView m_text;
    qsizetype m_pos = 0;
};

bool isBlank(QChar c)
{
    return c == u' ' || c == QChar(0x00A0) || c == QChar(0x202F) || c == QChar(0x2009);
}

// A text read field by field in one of the record's own formats, the way
// FormatDateTime writes it: what the scan above cannot take apart, such as
// "13時30分05秒", "오후 1시 30분 5초" or "13 h 30 min 05 s", whose fields
// stand between words rather than separators.
class FormatReader
{
public:
    FormatReader(QStringView text, const TFormatSettings &settings)
        : m_text(text)
        , m_settings(settings)
    {}

    bool read(QStringView format, TDateTime &value)
    {
        if (!fields(format, 0))
            return false;
        skipBlanks();
        if (m_pos != m_text.size() || (!m_hasDate && !m_hasTime))
            return false;
        TDateTime date = 0;
        TDateTime time = 0;
        if (m_hasDate) {
            if (!m_hasYear)
                m_year = DecodeDate(Now()).year;
            if (!TryEncodeDate(m_year, m_month, m_day, date))
                return false;
        }
        if (m_hasTime) {
            int hour = m_hour;
            if (m_pm >= 0) {
                if (hour == 0 || hour > 12)
                    return false;
                hour = (hour == 12 ? 0 : hour) + m_pm;
            }
            if (!TryEncodeTime(hour, m_minute, m_second, m_msec, time))
                return false;
        }
        value = date >= 0 ? date + time : date - time;
        return true;
    }

private:
    void skipBlanks()
    {
        while (m_pos < m_text.size() && isBlank(m_text[m_pos]))
            ++m_pos;
    }

    bool number(int maxDigits, int &value, int *length = nullptr)
    {
        skipBlanks();
        qsizetype i = m_pos;
        int n = 0;
        while (i < m_text.size() && i - m_pos < maxDigits && Scanner::isDigit(m_text[i]))
            n = n * 10 + (m_text[i++].unicode() - u'0');
        if (i == m_pos)
            return false;
        if (length)
            *length = int(i - m_pos);
        value = n;
        m_pos = i;
        return true;
    }

    // One character of the format as it stands; a blank takes any number of
    // blanks, none included.
    bool literal(QChar c)
    {
        if (isBlank(c)) {
            skipBlanks();
            return true;
        }
        if (m_pos < m_text.size() && m_text.mid(m_pos, 1).compare(QStringView(&c, 1), Qt::CaseInsensitive) == 0) {
            ++m_pos;
            return true;
        }
        return false;
    }

    // The longest of the names that stands here; its index.
    template <size_t N>
    bool name(const std::array<QString, N> &names, int &index)
    {
        skipBlanks();
        qsizetype best = 0;
        for (size_t k = 0; k < N; ++k) {
            const QString &w = names[k];
            if (w.size() > best && m_text.size() - m_pos >= w.size() &&
                m_text.mid(m_pos, w.size()).compare(w, Qt::CaseInsensitive) == 0) {
                best = w.size();
                index = int(k);
            }
        }
        m_pos += best;
        return best > 0;
    }

    bool word(QStringView w)
    {
        skipBlanks();
        if (w.isEmpty() || m_text.size() - m_pos < w.size() ||
            m_text.mid(m_pos, w.size()).compare(w, Qt::CaseInsensitive) != 0)
            return false;
        m_pos += w.size();
        return true;
    }

    bool amPm()
    {
        m_hasTime = true;
        if (word(m_settings.TimeAMString) || word(u"AM"))
            m_pm = 0;
        else if (word(m_settings.TimePMString) || word(u"PM"))
            m_pm = 12;
        else
            return false;
        return true;
    }

    // The fields of a format, as DateTimeWriter takes them apart.
    bool fields(QStringView f, int depth)
    {
        if (depth > 1)
            return false;
        char16_t lastToken = u' ';
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
            int count = 1;
            auto counted = [&] {
                while (i < n && f[i] == starter) {
                    ++i;
                    ++count;
                }
                return count;
            };
            bool ok = true;
            switch (token) {
            case u'Y': {
                int length = 0;
                const bool two = counted() <= 2;
                ok = number(two ? 2 : 4, m_year, &length);
                if (ok && length <= 2) {
                    const int window = m_settings.TwoDigitYearCenturyWindow;
                    const int base = DecodeDate(Now()).year - window;
                    m_year += base / 100 * 100;
                    if (window > 0 && m_year < base)
                        m_year += 100;
                }
                m_hasYear = m_hasDate = true;
                break;
            }
            case u'M': {
                const int c = counted();
                int index = 0;
                ok = c <= 2 ? number(2, m_month)
                            : (name(m_settings.LongMonthNames, index) || name(m_settings.ShortMonthNames, index));
                if (ok && c > 2)
                    m_month = index + 1;
                m_hasDate = true;
                break;
            }
            case u'D': {
                const int c = counted();
                int index = 0;
                if (c <= 2) {
                    ok = number(2, m_day);
                    m_hasDate = true;
                } else if (c <= 4) {
                    ok = name(m_settings.LongDayNames, index) || name(m_settings.ShortDayNames, index);
                } else {
                    ok = fields(c == 5 ? m_settings.ShortDateFormat : m_settings.LongDateFormat, depth + 1);
                }
                break;
            }
            case u'H':
                counted();
                ok = number(2, m_hour);
                m_hasTime = true;
                break;
            case u'N':
                counted();
                ok = number(2, m_minute);
                break;
            case u'S':
                counted();
                ok = number(2, m_second);
                break;
            case u'Z':
                counted();
                ok = number(3, m_msec);
                break;
            case u'T':
                ok = fields(counted() == 1 ? m_settings.ShortTimeFormat : m_settings.LongTimeFormat, depth + 1);
                break;
            case u'A':
                if (f.mid(i - 1).startsWith(u"ampm", Qt::CaseInsensitive)) {
                    i += 3;
                    ok = amPm();
                } else {
                    ok = literal(starter);
                }
                break;
            case u'/': ok = m_settings.DateSeparator.isNull() || literal(m_settings.DateSeparator); break;
            case u':': ok = m_settings.TimeSeparator.isNull() || literal(m_settings.TimeSeparator); break;
            case u'\'':
            case u'"': {
                qsizetype end = f.indexOf(starter, i);
                if (end < 0)
                    end = n;
                for (QChar c : f.mid(i, end - i))
                    ok = ok && literal(c);
                i = end < n ? end + 1 : n;
                break;
            }
            default: ok = isBidiMark(starter) || literal(starter); break;
            }
            if (!ok)
                return false;
        }
        return true;
    }

    QStringView m_text;
    const TFormatSettings &m_settings;
    qsizetype m_pos = 0;
    bool m_hasDate = false;
    bool m_hasYear = false;
    bool m_hasTime = false;
    int m_year = 0, m_month = 1, m_day = 1;
    int m_hour = 0, m_minute = 0, m_second = 0, m_msec = 0;
    int m_pm = -1;
};

bool readByFormat(QStringView text, QStringView format, const TFormatSettings &settings, TDateTime &value)
{
    return !format.isEmpty() && FormatReader(text, settings).read(format, value);
}

} // namespace

// Each reader takes at least what the matching writer (DateToStr, TimeToStr,
// DateTimeToStr) writes with the same record, in every locale.

bool TryStrToDate(QStringView text, TDateTime &value, const TFormatSettings &settings)
{
    const QString plain = withoutBidiMarks(text);
    Scanner scan(plain);
    TDateTime date = 0;
    if (scan.date(settings, date) && scan.atEnd()) {
        value = date;
        return true;
    }
    return readByFormat(plain, settings.ShortDateFormat, settings, value) && value == std::trunc(value);
}

bool TryStrToTime(QStringView text, TDateTime &value, const TFormatSettings &settings)
{
    const QString plain = withoutBidiMarks(text);
    Scanner scan(plain);
    TDateTime time = 0;
    if (scan.time(settings, time) && scan.atEnd()) {
        value = time;
        return true;
    }
    for (const QString &format : {settings.LongTimeFormat, settings.ShortTimeFormat})
        if (readByFormat(plain, format, settings, time) && time >= 0 && time < 1) {
            value = time;
            return true;
        }
    return false;
}

bool TryStrToDateTime(QStringView text, TDateTime &value, const TFormatSettings &settings)
{
    const QString plain = withoutBidiMarks(text);
    Scanner scan(plain);
    TDateTime date = 0;
    TDateTime time = 0;
    if (scan.date(settings, date) && (scan.atEnd() || (scan.time(settings, time) && scan.atEnd()))) {
        // Before 1899-12-30 the time still runs forward from the day.
        value = date >= 0 ? date + time : date - time;
        return true;
    }
    const QString &shortDate = settings.ShortDateFormat;
    for (const QString &format :
         {shortDate + u' ' + settings.LongTimeFormat, shortDate + u' ' + settings.ShortTimeFormat, shortDate})
        if (readByFormat(plain, format, settings, value))
            return true;
    return TryStrToTime(plain, value, settings);
}

TDateTime StrToDate(QStringView text, const TFormatSettings &settings)
{
    TDateTime value = 0;
    if (!TryStrToDate(text, value, settings))
        raiseNotValid(text, "date");
    return value;
}

TDateTime StrToTime(QStringView text, const TFormatSettings &settings)
{
    TDateTime value = 0;
    if (!TryStrToTime(text, value, settings))
        raiseNotValid(text, "time");
    return value;
}

TDateTime StrToDateTime(QStringView text, const TFormatSettings &settings)
{
    TDateTime value = 0;
    if (!TryStrToDateTime(text, value, settings))
        raiseNotValid(text, "date and time");
    return value;
}

TDateTime StrToDate(QStringView text)
{
    return StrToDate(text, FormatSettings());
}

TDateTime StrToTime(QStringView text)
{
    return StrToTime(text, FormatSettings());
}

TDateTime StrToDateTime(QStringView text)
{
    return StrToDateTime(text, FormatSettings());
}

bool TryStrToDate(QStringView text, TDateTime &value)
{
    return TryStrToDate(text, value, FormatSettings());
}

bool TryStrToTime(QStringView text, TDateTime &value)
{
    return TryStrToTime(text, value, FormatSettings());
}

bool TryStrToDateTime(QStringView text, TDateTime &value)
{
    return TryStrToDateTime(text, value, FormatSettings());
}

} // namespace rtl
