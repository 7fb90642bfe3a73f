#pragma once

// The settings that number, date and mask texts follow: one record for the
// whole process, seeded from the desktop's locale, and the same record passed
// explicitly wherever a caller needs texts that do not depend on the machine
// (stored reports, tests).
//
// The process-wide record is replaced as a whole and never changed in place:
// a reader holds a reference to an immutable record that stays alive for the
// rest of the process, so formatting on any thread needs neither a lock nor a
// copy.

#include <QChar>
#include <QString>

#include <array>
#include <cstdint>

class QLocale;

namespace rtl {

struct TFormatSettings
{
    QString CurrencyString;
    // 0 "$1", 1 "1$", 2 "$ 1", 3 "1 $".
    uint8_t CurrencyFormat = 0;
    // 0 "($1)", 1 "-$1", 2 "$-1", 3 "$1-", 4 "(1$)", 5 "-1$", 6 "1-$", 7 "1$-",
    // 8 "-1 $", 9 "-$ 1", 10 "1 $-", 11 "$ 1-", 12 "$ -1", 13 "1- $",
    // 14 "($ 1)", 15 "(1 $)".
    uint8_t NegCurrFormat = 0;
    uint8_t CurrencyDecimals = 2;
    QChar ThousandSeparator;
    QChar DecimalSeparator;
    QChar DateSeparator;
    QChar TimeSeparator;
    // In the date-time format language of FormatDateTime.
    QString ShortDateFormat;
    QString LongDateFormat;
    QString ShortTimeFormat;
    QString LongTimeFormat;
    QString TimeAMString;
    QString TimePMString;
    // January first; Sunday first.
    std::array<QString, 12> ShortMonthNames;
    std::array<QString, 12> LongMonthNames;
    std::array<QString, 7> ShortDayNames;
    std::array<QString, 7> LongDayNames;
    // A two-digit year read from a text lands within this many years of the
    // current year (0: in the current century).
    int TwoDigitYearCenturyWindow = 50;

    friend bool operator==(const TFormatSettings &, const TFormatSettings &) = default;
};

// The marks that set the direction of bidirectional text (left-to-right and
// right-to-left marks, the Arabic letter mark, embeddings, overrides and
// isolates). A locale puts them around the parts of its dates and numbers;
// they are never a separator, and every reader passes over them.
inline bool isBidiMark(QChar c)
{
    const char16_t u = c.unicode();
    return u == 0x200E || u == 0x200F || u == 0x061C || (u >= 0x202A && u <= 0x202E) || (u >= 0x2066 && u <= 0x2069);
}

// The text without its bidirectional marks.
QString withoutBidiMarks(QStringView text);

// The record every machine agrees on: English (United States) as the class
// library knows it. It is also what the C locale gives.
const TFormatSettings &FormatSettingsEnUS();

// A record for the given locale, in the class library's format language.
TFormatSettings FormatSettingsFromLocale(const QLocale &locale);

// The record of the desktop's locale, made on first use.
const TFormatSettings &SystemFormatSettings();

// The process-wide record (the desktop's until replaced).
const TFormatSettings &FormatSettings();
void SetFormatSettings(const TFormatSettings &settings);
void ResetFormatSettings();

// Replaces the process-wide record for a scope and puts the previous one back.
class ScopedFormatSettings
{
public:
    explicit ScopedFormatSettings(const TFormatSettings &settings);
    ~ScopedFormatSettings();
    ScopedFormatSettings(const ScopedFormatSettings &) = delete;
    ScopedFormatSettings &operator=(const ScopedFormatSettings &) = delete;

private:
    const TFormatSettings *m_previous;
};

} // namespace rtl
