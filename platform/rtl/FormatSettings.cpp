#include "platform/rtl/FormatSettings.h"

#include <QLocale>

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

namespace rtl {

namespace {

TFormatSettings makeEnUS()
{
    TFormatSettings s;
    s.CurrencyString = QStringLiteral("$");
    s.CurrencyFormat = 0;
    s.NegCurrFormat = 0;
    s.CurrencyDecimals = 2;
    s.ThousandSeparator = u',';
    s.DecimalSeparator = u'.';
    s.DateSeparator = u'/';
    s.TimeSeparator = u':';
    s.ShortDateFormat = QStringLiteral("M/d/yyyy");
    s.LongDateFormat = QStringLiteral("dddd, MMMM d, yyyy");
    s.ShortTimeFormat = QStringLiteral("h:mm AMPM");
    s.LongTimeFormat = QStringLiteral("h:mm:ss AMPM");
    s.TimeAMString = QStringLiteral("AM");
    s.TimePMString = QStringLiteral("PM");
    const char *const longMonths[12] = {"January", "February", "March",     "April",   "May",      "June",
                                        "July",    "August",   "September", "October", "November", "December"};
    const char *const longDays[7] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
    for (size_t i = 0; i < 12; ++i) {
        s.LongMonthNames[i] = QString::fromLatin1(longMonths[i]);
        s.ShortMonthNames[i] = s.LongMonthNames[i].left(3);
    }
    for (size_t i = 0; i < 7; ++i) {
        s.LongDayNames[i] = QString::fromLatin1(longDays[i]);
        s.ShortDayNames[i] = s.LongDayNames[i].left(3);
    }
    s.TwoDigitYearCenturyWindow = 50;
    return s;
}

// --- Qt's date-time format language to the class library's --------------

bool isAsciiLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

// The first separator character of a Qt format: what stands between its
// first two fields. A direction mark beside it is none.
QChar firstSeparator(const QString &qtFormat, QChar fallback)
{
    bool quoted = false;
    for (QChar c : qtFormat) {
        if (c == u'\'')
            quoted = !quoted;
        else if (!quoted && !isAsciiLetter(c) && !c.isSpace() && !isBidiMark(c))
            return c;
    }
    return fallback;
}

// Qt's letters for the fields the class library writes; any other letter
// outside quotes is a field Qt passes through as it stands (the day period
// "B" of zh_TW), which means nothing to a reader.
bool isKnownQtField(QChar c)
{
    switch (c.unicode()) {
    case u'd':
    case u'M':
    case u'y':
    case u'h':
    case u'H':
    case u'm':
    case u's':
    case u'z':
    case u'A':
    case u'a': return true;
    default: return false;
    }
}

bool opensAround(QChar c)
{
    return c == u'(' || c == u'[' || c == QChar(0xFF08);
}

bool closesAround(QChar c)
{
    return c == u')' || c == u']' || c == QChar(0xFF09);
}

void appendLiteral(QString &out, const QString &text)
{
    if (text.isEmpty())
        return;
    const QChar quote = text.contains(u'"') ? u'\'' : u'"';
    out += quote;
    out += text;
    out += quote;
}

// Qt's letters become the class library's; literal letters are quoted so that
// they cannot be read as fields; the separator becomes '/' or ':' so that it
// follows the record; time-zone fields are dropped.
QString convertQtFormat(const QString &qt, QChar separator, QChar separatorCode, bool widenYear)
{
    QString out;
    QString literal;
    auto flush = [&] {
        appendLiteral(out, literal);
        literal.clear();
    };
    const qsizetype n = qt.size();
    for (qsizetype i = 0; i < n;) {
        const QChar c = qt.at(i);
        if (c == u'\'') {
            // '' is a quote; 'text' is literal text.
            if (i + 1 < n && qt.at(i + 1) == u'\'') {
                literal += u'\'';
                i += 2;
                continue;
            }
            qsizetype j = i + 1;
            while (j < n) {
                if (qt.at(j) == u'\'') {
                    if (j + 1 < n && qt.at(j + 1) == u'\'') {
                        literal += u'\'';
                        j += 2;
                        continue;
                    }
                    break;
                }
                literal += qt.at(j++);
            }
            i = j + 1;
            continue;
        }
        if (!isAsciiLetter(c)) {
            if (c == separator) {
                flush();
                out += separatorCode;
            } else if (c == u'/' || c == u':' || c == u'"') {
                literal += c;
            } else {
                flush();
                out += c;
            }
            ++i;
            continue;
        }
        qsizetype count = 1;
        while (i + count < n && qt.at(i + count) == c)
            ++count;
        const char16_t letter = c.unicode();
        QString token;
        switch (letter) {
        case u'd': token = QString(int(std::min<qsizetype>(count, 4)), u'd'); break;
        case u'M': token = QString(int(std::min<qsizetype>(count, 4)), u'M'); break;
        case u'y': token = (count <= 2 && !widenYear) ? QStringLiteral("yy") : QStringLiteral("yyyy"); break;
        case u'h':
        case u'H': token = QString(int(std::min<qsizetype>(count, 2)), u'h'); break;
        case u'm': token = QString(int(std::min<qsizetype>(count, 2)), u'n'); break;
        case u's': token = QString(int(std::min<qsizetype>(count, 2)), u's'); break;
        case u'z': token = count == 1 ? QStringLiteral("z") : QStringLiteral("zzz"); break;
        case u'A':
        case u'a':
            token = QStringLiteral("AMPM");
            if (count == 1 && i + 1 < n && (qt.at(i + 1) == u'P' || qt.at(i + 1) == u'p'))
                ++count;
            break;
        default:
            if (letter != u't' && isKnownQtField(c)) {
                literal += qt.mid(i, count);
                i += count;
                continue;
            }
            // The time zone ("t") and the fields without a counterpart go
            // with what stands only for them: the blanks and commas before,
            // a bracket around ("13:30:05 (t)" is "13:30:05", not
            // "13:30:05 ()").
            flush();
            while (!out.isEmpty() && (out.back() == u' ' || out.back() == u',' || opensAround(out.back())))
                out.chop(1);
            i += count;
            while (i < n && (qt.at(i) == u' ' || closesAround(qt.at(i))))
                ++i;
            continue;
        }
        flush();
        out += token;
        i += count;
    }
    flush();
    return out.trimmed();
}

QString normaliseSpaces(QString s)
{
    for (QChar &c : s)
        if (c == QChar(0x00A0) || c == QChar(0x202F) || c == QChar(0x2009))
            c = u' ';
    s.replace(QChar(0x2212), u'-');
    return s;
}

// Where the locale puts its currency symbol, found from how it writes 1 and
// -1 with a plain "$" in place of the symbol.
void setCurrencyFormats(const QLocale &locale, TFormatSettings &s)
{
    const QString positive = normaliseSpaces(locale.toCurrencyString(1.0, QStringLiteral("$")));
    const QString negative = normaliseSpaces(locale.toCurrencyString(-1.0, QStringLiteral("$")));
    auto numberSpan = [](const QString &text, qsizetype &first, qsizetype &last) {
        first = -1;
        last = -1;
        for (qsizetype i = 0; i < text.size(); ++i)
            if (text.at(i).isDigit()) {
                if (first < 0)
                    first = i;
                last = i;
            }
        return first >= 0;
    };
    qsizetype first = 0;
    qsizetype last = 0;
    if (!numberSpan(positive, first, last))
        return;
    const QString number = positive.mid(first, last - first + 1);
    const qsizetype point = number.indexOf(locale.decimalPoint());
    s.CurrencyDecimals = point < 0 ? 0 : uint8_t(std::min<qsizetype>(number.size() - point - 1, 18));
    const QString prefix = positive.left(first);
    const QString suffix = positive.mid(last + 1);
    if (prefix.contains(u'$'))
        s.CurrencyFormat = prefix.endsWith(u' ') ? 2 : 0;
    else if (suffix.contains(u'$'))
        s.CurrencyFormat = suffix.startsWith(u' ') ? 3 : 1;

    static const char *const patterns[16] = {"($1)", "-$1",  "$-1",  "$1-",  "(1$)", "-1$",  "1-$",   "1$-",
                                             "-1 $", "-$ 1", "1 $-", "$ 1-", "$ -1", "1- $", "($ 1)", "(1 $)"};
    static const uint8_t fallback[4] = {1, 5, 9, 8};
    s.NegCurrFormat = fallback[s.CurrencyFormat];
    if (!numberSpan(negative, first, last))
        return;
    const QString shape = negative.left(first) + u'1' + negative.mid(last + 1);
    for (uint8_t i = 0; i < 16; ++i)
        if (shape == QLatin1String(patterns[i])) {
            s.NegCurrFormat = i;
            break;
        }
}

QChar firstChar(const QString &s, QChar fallback)
{
    for (QChar c : s)
        if (!isBidiMark(c))
            return c;
    return fallback;
}

// --- the process-wide record ----------------------------------------------

std::atomic<const TFormatSettings *> g_current{nullptr};
std::mutex g_replaceMutex;

// Every record ever installed, kept for the life of the process so that no
// reader's reference can dangle; equal records are installed once.
std::vector<std::unique_ptr<const TFormatSettings>> &installedRecords()
{
    static auto *records = new std::vector<std::unique_ptr<const TFormatSettings>>();
    return *records;
}

void install(const TFormatSettings *record)
{
    g_current.store(record, std::memory_order_release);
}

} // namespace

QString withoutBidiMarks(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text)
        if (!isBidiMark(c))
            out += c;
    return out;
}

const TFormatSettings &FormatSettingsEnUS()
{
    static const TFormatSettings record = makeEnUS();
    return record;
}

TFormatSettings FormatSettingsFromLocale(const QLocale &locale)
{
    if (locale.language() == QLocale::C)
        return FormatSettingsEnUS();
    TFormatSettings s = FormatSettingsEnUS();
    s.CurrencyString = locale.currencySymbol(QLocale::CurrencySymbol);
    setCurrencyFormats(locale, s);
    s.ThousandSeparator = firstChar(locale.groupSeparator(), u',');
    s.DecimalSeparator = firstChar(locale.decimalPoint(), u'.');

    const QString shortDate = locale.dateFormat(QLocale::ShortFormat);
    const QString shortTime = locale.timeFormat(QLocale::ShortFormat);
    s.DateSeparator = firstSeparator(shortDate, u'/');
    s.TimeSeparator = firstSeparator(shortTime, u':');
    // Short dates keep four-digit years: a text written by the program must
    // read back as the same century.
    s.ShortDateFormat = convertQtFormat(shortDate, s.DateSeparator, u'/', true);
    s.LongDateFormat = convertQtFormat(locale.dateFormat(QLocale::LongFormat), s.DateSeparator, u'/', false);
    s.ShortTimeFormat = convertQtFormat(shortTime, s.TimeSeparator, u':', false);
    s.LongTimeFormat = convertQtFormat(locale.timeFormat(QLocale::LongFormat), s.TimeSeparator, u':', false);
    s.TimeAMString = locale.amText();
    s.TimePMString = locale.pmText();
    for (int m = 1; m <= 12; ++m) {
        s.ShortMonthNames[size_t(m - 1)] = locale.monthName(m, QLocale::ShortFormat);
        s.LongMonthNames[size_t(m - 1)] = locale.monthName(m, QLocale::LongFormat);
    }
    for (int d = 0; d < 7; ++d) {
        const int qtDay = d == 0 ? 7 : d; // Qt counts from Monday, the record from Sunday
        s.ShortDayNames[size_t(d)] = locale.dayName(qtDay, QLocale::ShortFormat);
        s.LongDayNames[size_t(d)] = locale.dayName(qtDay, QLocale::LongFormat);
    }
    return s;
}

const TFormatSettings &SystemFormatSettings()
{
    static const TFormatSettings record = FormatSettingsFromLocale(QLocale::system());
    return record;
}

const TFormatSettings &FormatSettings()
{
    const TFormatSettings *record = g_current.load(std::memory_order_acquire);
    return record ? *record : SystemFormatSettings();
}

void SetFormatSettings(const TFormatSettings &settings)
{
    std::lock_guard lock(g_replaceMutex);
    auto &records = installedRecords();
    for (const auto &r : records)
        if (*r == settings) {
            install(r.get());
            return;
        }
    records.push_back(std::make_unique<const TFormatSettings>(settings));
    install(records.back().get());
}

void ResetFormatSettings()
{
    std::lock_guard lock(g_replaceMutex);
    install(nullptr);
}

ScopedFormatSettings::ScopedFormatSettings(const TFormatSettings &settings)
    : m_previous(g_current.load(std::memory_order_acquire))
{
    SetFormatSettings(settings);
}

ScopedFormatSettings::~ScopedFormatSettings()
{
    std::lock_guard lock(g_replaceMutex);
    install(m_previous);
}

} // namespace rtl
