#include "platform/rtl/StrToDateTime.h"

#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/QtText.h"

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

} // namespace

bool TryStrToDate(QStringView text, TDateTime &value, const TFormatSettings &settings)
{
    Scanner scan(text);
    TDateTime date = 0;
    if (!scan.date(settings, date) || !scan.atEnd())
        return false;
    value = date;
    return true;
}

bool TryStrToTime(QStringView text, TDateTime &value, const TFormatSettings &settings)
{
    Scanner scan(text);
    TDateTime time = 0;
    if (!scan.time(settings, time) || !scan.atEnd())
        return false;
    value = time;
    return true;
}

bool TryStrToDateTime(QStringView text, TDateTime &value, const TFormatSettings &settings)
{
    Scanner scan(text);
    TDateTime date = 0;
    TDateTime time = 0;
    if (scan.date(settings, date) && (scan.atEnd() || (scan.time(settings, time) && scan.atEnd()))) {
        // Before 1899-12-30 the time still runs forward from the day.
        value = date >= 0 ? date + time : date - time;
        return true;
    }
    return TryStrToTime(text, value, settings);
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
