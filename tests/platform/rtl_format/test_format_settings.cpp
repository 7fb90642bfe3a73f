#include "platform/rtl/FloatToStr.h"
#include "platform/rtl/FormatDateTime.h"
#include "platform/rtl/FormatFloat.h"
#include "platform/rtl/FormatSettings.h"

#include "QStringPrinter.h"

#include <gtest/gtest.h>

#include <QLocale>

#include <atomic>
#include <thread>

using namespace rtl;

namespace {

TEST(FormatSettings, EnUSRecord)
{
    const TFormatSettings &s = FormatSettingsEnUS();
    EXPECT_EQ(s.CurrencyString, "$");
    EXPECT_EQ(s.CurrencyFormat, 0);
    EXPECT_EQ(s.NegCurrFormat, 0);
    EXPECT_EQ(s.CurrencyDecimals, 2);
    EXPECT_EQ(s.ThousandSeparator, u',');
    EXPECT_EQ(s.DecimalSeparator, u'.');
    EXPECT_EQ(s.DateSeparator, u'/');
    EXPECT_EQ(s.TimeSeparator, u':');
    EXPECT_EQ(s.ShortDateFormat, "M/d/yyyy");
    EXPECT_EQ(s.LongDateFormat, "dddd, MMMM d, yyyy");
    EXPECT_EQ(s.ShortTimeFormat, "h:mm AMPM");
    EXPECT_EQ(s.LongTimeFormat, "h:mm:ss AMPM");
    EXPECT_EQ(s.TimeAMString, "AM");
    EXPECT_EQ(s.TimePMString, "PM");
    EXPECT_EQ(s.ShortMonthNames[2], "Mar");
    EXPECT_EQ(s.LongDayNames[0], "Sunday");
    // The C locale (the tests' own) gives the same record.
    EXPECT_EQ(FormatSettingsFromLocale(QLocale::c()), s);
}

TEST(FormatSettings, LocaleFormatsBecomeTheClassLibrarysLanguage)
{
    const TDateTime moment = 34762 + (13 * 3600 + 30 * 60 + 55) / 86400.0; // 1995-03-04 13:30:55
    const TFormatSettings de = FormatSettingsFromLocale(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(de.ThousandSeparator, u'.');
    EXPECT_EQ(de.DecimalSeparator, u',');
    EXPECT_EQ(de.DateSeparator, u'.');
    EXPECT_EQ(de.CurrencyString, QString(QChar(0x20AC)));
    EXPECT_EQ(de.CurrencyFormat, 3);
    EXPECT_EQ(de.NegCurrFormat, 8);
    // Two-digit years of the locale's short date become four.
    EXPECT_EQ(DateToStr(moment, de), "04.03.1995");
    EXPECT_EQ(TimeToStr(moment, de), "13:30:55");
    EXPECT_EQ(FormatDateTime(de.LongDateFormat, moment, de), QString::fromUtf8("Samstag, 4. März 1995"));
    EXPECT_EQ(FloatToStrF(-1234.5, ffCurrency, 15, 2, de), QString::fromUtf8("-1.234,50 €"));

    const TFormatSettings us = FormatSettingsFromLocale(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(DateTimeToStr(moment, us), DateTimeToStr(moment, FormatSettingsEnUS()));
    EXPECT_EQ(FloatToStrF(-1234.4, ffCurrency, 15, 2, us), "($1,234.40)");

    // A minute field named "m" in the locale is not read as a month.
    const TFormatSettings fi = FormatSettingsFromLocale(QLocale(QLocale::Finnish, QLocale::Finland));
    EXPECT_EQ(fi.TimeSeparator, u'.');
    EXPECT_EQ(FormatDateTime(fi.ShortTimeFormat, moment, fi), "13.30");
}

TEST(FormatSettings, ProcessWideRecordIsReplacedAsAWhole)
{
    const TFormatSettings &before = FormatSettings();
    const QString shortDate = before.ShortDateFormat;
    TFormatSettings german = FormatSettingsEnUS();
    german.DecimalSeparator = u',';
    german.ShortDateFormat = QStringLiteral("d.m.yyyy");
    {
        ScopedFormatSettings scope(german);
        EXPECT_EQ(FormatSettings(), german);
        EXPECT_EQ(FloatToStr(1.5), "1,5");
        // A reference taken earlier still reads the record it was taken from.
        EXPECT_EQ(before.ShortDateFormat, shortDate);
    }
    EXPECT_EQ(&FormatSettings(), &before);

    // The single-byte separators are a view of the same record.
    german.ThousandSeparator = u'.';
    {
        ScopedFormatSettings scope(german);
        EXPECT_EQ(formatSeparators().thousands, '.');
        EXPECT_EQ(formatSeparators().decimal, ',');
        EXPECT_EQ(FormatFloat(std::string(",0.0"), 1234.5), "1.234,5");
        EXPECT_EQ(FormatFloat(u",0.0", 1234.5L), "1.234,5");
    }
    EXPECT_EQ(&FormatSettings(), &before);
}

TEST(FormatSettings, ReadersNeverSeeAHalfReplacedRecord)
{
    TFormatSettings comma = FormatSettingsEnUS();
    comma.DecimalSeparator = u',';
    comma.ThousandSeparator = u'.';
    // Between the scopes the system's record is back, in whatever form.
    const QString system = FormatFloat(u"#,0.00", 1234.5L);
    std::atomic<bool> stop{false};
    std::atomic<int> bad{0};
    std::vector<std::thread> readers;
    for (int r = 0; r < 2; ++r)
        readers.emplace_back([&] {
            while (!stop.load()) {
                const QString text = FormatFloat(u"#,0.00", 1234.5L);
                if (text != "1,234.50" && text != "1.234,50" && text != system)
                    ++bad;
            }
        });
    for (int i = 0; i < 2000; ++i) {
        ScopedFormatSettings scope(i % 2 ? comma : FormatSettingsEnUS());
    }
    stop = true;
    for (auto &t : readers)
        t.join();
    EXPECT_EQ(bad.load(), 0);
}

} // namespace
