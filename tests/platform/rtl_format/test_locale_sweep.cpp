#include "platform/rtl/DateTime.h"
#include "platform/rtl/FloatToStr.h"
#include "platform/rtl/FormatFloat.h"
#include "platform/rtl/FormatDateTime.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/StrToDateTime.h"
#include "platform/rtl/StrToFloat.h"

#include "QStringPrinter.h"

#include <gtest/gtest.h>

#include <QLocale>
#include <QStringList>

using namespace rtl;

namespace {

TDateTime moment(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    return EncodeDate(y, mo, d) + EncodeTime(h, mi, s, 0);
}

// Every text a writer makes with a locale's record reads back to its value
// with the same record: the search dialog shows values this way and checks
// what the user leaves standing.
TEST(FormatSettings, EveryLocaleReadsWhatItWrites)
{
    const QList<QLocale> locales =
        QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory);
    ASSERT_GT(locales.size(), 500);
    const TDateTime dates[] = {moment(2025, 4, 1), moment(1999, 12, 31), moment(2024, 2, 29), moment(1900, 1, 1)};
    const TDateTime times[] = {moment(1899, 12, 30, 13, 30, 5), moment(1899, 12, 30, 8), moment(1899, 12, 30, 0, 0, 1),
                               moment(1899, 12, 30, 12, 59, 59), moment(1899, 12, 30, 23, 0, 0)};
    const long double numbers[] = {0.5L, -1234.5L, 1e20L, 3.14159265358979L, 1e-5L, -0.0625L};
    const Currency amounts[] = {Currency{12345000}, Currency{-100}, Currency{999999999999900}};
    QStringList failures;
    for (const QLocale &locale : locales) {
        const TFormatSettings s = FormatSettingsFromLocale(locale);
        auto fail = [&](const char *what, const QString &text) {
            failures << QStringLiteral("%1 %2 \"%3\"").arg(locale.name(), QLatin1String(what), text);
        };
        TDateTime read = 0;
        for (TDateTime d : dates) {
            const QString text = DateToStr(d, s);
            if (!TryStrToDate(text, read, s) || read != d)
                fail("date", text);
            for (TDateTime t : times) {
                const QString both = DateTimeToStr(d + t, s);
                if (!TryStrToDateTime(both, read, s) || std::abs(read - (d + t)) > 1e-9)
                    fail("date-time", both);
            }
            const QString midnight = DateTimeToStr(d, s);
            if (!TryStrToDateTime(midnight, read, s) || read != d)
                fail("date-time", midnight);
        }
        for (TDateTime t : times) {
            const QString text = TimeToStr(t, s);
            if (!TryStrToTime(text, read, s) || std::abs(read - t) > 1e-9)
                fail("time", text);
        }
        for (long double x : numbers) {
            const QString text = FloatToStr(x, s);
            long double back = 0;
            if (!TryStrToFloat(text, back, s) || FloatToStr(back, s) != text)
                fail("number", text);
        }
        // A number typed in groups, as the search dialog takes it: without
        // the locale's thousand separator (a narrow no-break space in fr_FR,
        // U+066C in Arabic) it reads.
        for (long double x : {1234567.25L, -9876.5L}) {
            const QString text = FormatFloat(QStringLiteral("#,##0.00"), x, s);
            long double back = 0;
            if (!TryStrToFloat(QString(text).remove(s.ThousandSeparator), back, s) || back != x)
                fail("grouped number", text);
        }
        for (Currency c : amounts) {
            for (const QString &text :
                 {FloatToStr(c.toExtended(), s), FloatToStrF(c.toExtended(), ffFixed, 18, 2, s)}) {
                Currency back;
                if (!TryStrToCurr(text, back, s) || back != c)
                    fail("amount", text);
            }
        }
    }
    EXPECT_TRUE(failures.isEmpty()) << failures.size() << " of " << locales.size() << " locales' texts:\n"
                                    << failures.join(u'\n').toStdString();
}

TEST(FormatSettings, ZoneFieldsAndDirectionMarksLeaveTheForms)
{
    const TDateTime t = moment(1899, 12, 30, 13, 30, 5);
    // The zone's brackets go with the zone.
    const TFormatSettings es = FormatSettingsFromLocale(QLocale(QLocale::Spanish, QLocale::Spain));
    EXPECT_EQ(TimeToStr(t, es), "13:30:05");
    // So does a day period that Qt passes through as a letter.
    const TFormatSettings tw =
        FormatSettingsFromLocale(QLocale(QLocale::Chinese, QLocale::TraditionalChineseScript, QLocale::Taiwan));
    EXPECT_EQ(TimeToStr(t, tw), "13:30:05");
    const TFormatSettings ja = FormatSettingsFromLocale(QLocale(QLocale::Japanese, QLocale::Japan));
    EXPECT_EQ(TimeToStr(t, ja), QString::fromUtf8("13時30分05秒"));
    // A right-to-left mark is no separator, and a date typed without marks reads.
    const TFormatSettings sa = FormatSettingsFromLocale(QLocale(QLocale::Arabic, QLocale::SaudiArabia));
    EXPECT_EQ(sa.DateSeparator, u'/');
    TDateTime read = 0;
    ASSERT_TRUE(TryStrToDate(u"1/4/2025", read, sa));
    EXPECT_EQ(read, moment(2025, 4, 1));
    EXPECT_EQ(DateToStr(read, sa).remove(QChar(0x200F)), "1/4/2025");
    long double number = 0;
    ASSERT_TRUE(TryStrToFloat(QString::fromUtf8("\u200F-12\u200F") + sa.DecimalSeparator + u'5', number, sa));
    EXPECT_EQ(number, -12.5L);
    // A time without its seconds, in the fields of the locale's short form.
    const TFormatSettings ko = FormatSettingsFromLocale(QLocale(QLocale::Korean, QLocale::SouthKorea));
    ASSERT_TRUE(TryStrToTime(QString::fromUtf8("오후 1:30"), read, ko));
    EXPECT_NEAR(read, moment(1899, 12, 30, 13, 30), 1e-9);
    EXPECT_FALSE(TryStrToTime(QString::fromUtf8("오후 13:30"), read, ko));
}

} // namespace
