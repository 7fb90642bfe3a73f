#include "report/model/base/DisplayFormat.h"
#include "report/model/objects/EnumRegistry.h"

#include "platform/classes/EnumTypes.h"
#include "platform/classes/StringList.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FloatToStr.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Variants.h"

#include <QDate>
#include <QDateTime>
#include <QSize>

#include <gtest/gtest.h>

using namespace report;
using DT = TppDataType;

namespace {

class DisplayFormats : public ::testing::Test
{
protected:
    void SetUp() override { ppSetDisplayFormatClass(&ppDefaultDisplayFormat()); }
    void TearDown() override { ppSetDisplayFormatClass(nullptr); }

    static QString format(const char *displayFormat, DT type, const QVariant &value)
    {
        return ppFormatDisplayValue(QString::fromUtf8(displayFormat), type, value);
    }

    rtl::ScopedFormatSettings us{rtl::FormatSettingsEnUS()};
    const rtl::TDateTime sample = rtl::EncodeDate(1995, 3, 4) + rtl::EncodeTime(13, 30, 55, 0);
};

QList<std::pair<QString, QString>> entries(DT type)
{
    classes::TStringList list;
    list.Add("stale");
    ppGetDisplayFormats(type, list);
    QList<std::pair<QString, QString>> out;
    for (int i = 0; i < list.Count(); ++i) {
        const QStringList parts = list.Get(i).split(QChar(1));
        EXPECT_EQ(parts.size(), 2) << list.Get(i).toStdString();
        out.append({parts.value(0), parts.value(1)});
    }
    return out;
}

} // namespace

TEST_F(DisplayFormats, ValuesByDataType)
{
    EXPECT_EQ(format("Yes;No", DT::dtBoolean, true), QStringLiteral("Yes"));
    EXPECT_EQ(format("Yes;No", DT::dtBoolean, false), QStringLiteral("No"));
    EXPECT_EQ(format("OK;", DT::dtBoolean, false), QString());
    EXPECT_EQ(format("Done", DT::dtBoolean, true), QStringLiteral("Done"));
    EXPECT_EQ(format("Done", DT::dtBoolean, false), QString());
    EXPECT_EQ(format("", DT::dtBoolean, true), QStringLiteral("True"));
    EXPECT_EQ(format("Yes;No", DT::dtBoolean, 1), QStringLiteral("1"));

    EXPECT_EQ(format("$#,0.00;($#,0.00)", DT::dtDouble, 1234.4), QStringLiteral("$1,234.40"));
    EXPECT_EQ(format("$#,0.00;($#,0.00)", DT::dtCurrency, -1234.4), QStringLiteral("($1,234.40)"));
    EXPECT_EQ(format("$#,0", DT::dtInteger, 1234), QStringLiteral("$1,234"));
    EXPECT_EQ(format("#,0.00", DT::dtExtended, QStringLiteral("1234.4")), QStringLiteral("1,234.40"));
    EXPECT_EQ(format("", DT::dtCurrency, 2.5), QStringLiteral("$2.50"));
    EXPECT_EQ(format("", DT::dtDouble, 1.0 / 3), QStringLiteral("0.333333333333333"));
    EXPECT_EQ(format("", DT::dtLargeInt, qint64(123456789012345)), QStringLiteral("123456789012345"));

    EXPECT_EQ(format("", DT::dtDateTime, sample), QStringLiteral("3/4/1995 1:30:55 PM"));
    EXPECT_EQ(format("", DT::dtDateTime, QDate(1995, 3, 4)), QStringLiteral("3/4/1995"));
    EXPECT_EQ(format("", DT::dtDate, sample), QStringLiteral("3/4/1995"));
    EXPECT_EQ(format("", DT::dtTime, sample), QStringLiteral("1:30:55 PM"));
    EXPECT_EQ(format("dd-mmm-yy", DT::dtDate, sample), QStringLiteral("04-Mar-95"));

    EXPECT_EQ(format("!\\(999\\)\\ 000\\-0000;0; ", DT::dtString, QStringLiteral("5551234567")),
              QStringLiteral("(555) 123-4567"));
    // A character beyond U+FFFF takes one position, whole.
    EXPECT_EQ(format("cccc;0; ", DT::dtString, QString::fromUtf8("Ann\xF0\x9F\x98\x80")),
              QString::fromUtf8("Ann\xF0\x9F\x98\x80"));
    EXPECT_EQ(format("", DT::dtMemo, QStringLiteral("as is")), QStringLiteral("as is"));
    EXPECT_EQ(format("#,0", DT::dtBLOB, 5), QString());
    EXPECT_EQ(format("#,0", DT::dtGraphic, 5), QString());
}

// Unformatted whole numbers read as the general format writes them, on
// both sides of 15 digits, with either sign and any decimal separator.
TEST_F(DisplayFormats, UnformattedWholeNumbersAsTheGeneralFormat)
{
    rtl::TFormatSettings comma = rtl::FormatSettingsEnUS();
    comma.DecimalSeparator = u',';
    comma.ThousandSeparator = u'.';
    for (const rtl::TFormatSettings &settings : {rtl::FormatSettingsEnUS(), comma}) {
        rtl::ScopedFormatSettings scoped(settings);
        for (const long double value : {0.0L, -0.0L, 7.0L, -42.0L, 1234567.0L, 999999999999999.0L,
                                        -999999999999999.0L, 1e15L, -1e15L, 1e15L + 2, 123456789012345678.0L,
                                        1e300L, 0.5L, -2.5L, 999999999999999.5L})
            for (const DT type : {DT::dtInteger, DT::dtDouble, DT::dtLargeInt})
                EXPECT_EQ(format("", type, double(value)), rtl::FloatToStrF(value, rtl::ffGeneral, 15, 0, settings))
                    << double(value) << " " << int(type);
    }
    EXPECT_EQ(format("", DT::dtLargeInt, qint64(-123456789012345)), QStringLiteral("-123456789012345"));
    EXPECT_EQ(format("", DT::dtLargeInt, qint64(1234567890123456)), QStringLiteral("1.23456789012346E15"));
}

// Nulls are blank; values of the wrong type give a text or the class
// library's conversion error, never a crash.
TEST_F(DisplayFormats, NullAndWrongTypedValues)
{
    for (const DT type : {DT::dtBoolean, DT::dtDate, DT::dtTime, DT::dtDateTime, DT::dtInteger, DT::dtCurrency,
                          DT::dtString, DT::dtMemo, DT::dtVariant})
        EXPECT_EQ(ppFormatDisplayValue("#,0", type, rtl::Null()), QString()) << int(type);
    EXPECT_EQ(format("", DT::dtString, rtl::Unassigned()), QString());
    EXPECT_EQ(format("", DT::dtInteger, rtl::Unassigned()), QStringLiteral("0"));
    EXPECT_THROW(format("", DT::dtDate, QStringLiteral("not a date")), rtl::EConvertError);
    EXPECT_THROW(format("", DT::dtDate, 1e300), rtl::EConvertError);
    EXPECT_THROW(format("#,0", DT::dtDouble, QStringLiteral("abc")), rtl::EConvertError);
    EXPECT_THROW(format("#,0", DT::dtDouble, QVariant::fromValue(QSize(1, 1))), rtl::EConvertError);
    EXPECT_EQ(format("$#,0.00000000000000000000000", DT::dtDouble, 1.5), QStringLiteral("$1.500000000000000000"));
    EXPECT_EQ(format("000", DT::dtString, 12345), QStringLiteral("123"));

    ppSetDisplayFormatClass(nullptr);
    EXPECT_EQ(format("", DT::dtInteger, 5), QString());
    classes::TStringList list;
    list.Add("stale");
    ppGetDisplayFormats(DT::dtBoolean, list);
    EXPECT_EQ(list.Count(), 0);
}

TEST_F(DisplayFormats, ReadyMadeListsAreVerbatim)
{
    EXPECT_EQ(entries(DT::dtBoolean).size(), 8);
    EXPECT_EQ(entries(DT::dtBoolean)[6], std::make_pair(QString(), QStringLiteral(";Not OK")));
    EXPECT_EQ(entries(DT::dtDate).size(), 9);
    EXPECT_EQ(entries(DT::dtDate)[3], std::make_pair(QStringLiteral("4-Mar-95 "), QStringLiteral("d-mmm-yy")));
    EXPECT_EQ(entries(DT::dtTime).size(), 4);
    EXPECT_EQ(entries(DT::dtDateTime).size(), 11);
    EXPECT_EQ(entries(DT::dtDateTime).mid(2), entries(DT::dtDate));
    EXPECT_EQ(entries(DT::dtString).size(), 8);
    EXPECT_EQ(entries(DT::dtString)[6],
              std::make_pair(QStringLiteral("Long Time"), QStringLiteral("!90:00:00\\ >LL;0; ")));
    for (const DT type :
         {DT::dtInteger, DT::dtSingle, DT::dtDouble, DT::dtExtended, DT::dtCurrency, DT::dtLongint, DT::dtLargeInt})
        EXPECT_EQ(entries(type).size(), 9) << int(type);
    for (const DT type : {DT::dtChar, DT::dtMemo, DT::dtVariant, DT::dtBLOB, DT::dtGraphic, DT::dtNotKnown})
        EXPECT_TRUE(entries(type).isEmpty()) << int(type);

    // Where a sample is what its format makes of the sample value, it says
    // so; "-1234.4 %" of "0 %" is a display text only and stays as it is.
    for (const DT type : {DT::dtDate, DT::dtTime, DT::dtDateTime})
        for (const auto &[text, fmt] : entries(type))
            EXPECT_EQ(ppFormatDisplayValue(fmt, type, sample), text.trimmed()) << fmt.toStdString();
    QStringList agreeing;
    for (const auto &[text, fmt] : entries(DT::dtDouble))
        if (ppFormatDisplayValue(fmt, DT::dtDouble, -1234.4) == text)
            agreeing << fmt;
    EXPECT_EQ(agreeing, QStringList({"#,0;-#,0", "#,0.00;-#,0.00", "#,0.00;(#,0.00)", "$#,0.00;($#,0.00)",
                                     "$#,0;($#,0)", "0.00 %"}));
    // The empty samples stand for an empty True text.
    for (const auto &[text, fmt] : entries(DT::dtBoolean))
        EXPECT_EQ(ppFormatDisplayValue(fmt, DT::dtBoolean, true), text) << fmt.toStdString();
}

TEST(EnumRegistry, NamesInOrderAndReplacedInPlace)
{
    ppFreeEnumRegistry();
    ppRegisterLibraryEnumTypes();
    const QStringList names = ppEnumTypeNames();
    ASSERT_EQ(names.size(), 29);
    EXPECT_EQ(names.first(), QStringLiteral("Boolean"));
    EXPECT_EQ(names[23], QStringLiteral("TShapeType"));
    EXPECT_EQ(names.last(), QStringLiteral("TPrinterOrientation"));
    EXPECT_EQ(ppFindEnumType("tppunittype"), &EnumInfo<TppUnitType>());
    EXPECT_EQ(ppFindEnumType("TPenStyle")->NameOf(6), QStringLiteral("psInsideFrame"));
    EXPECT_EQ(ppFindEnumType("TShapeType")->NameOf(5), QStringLiteral("stCircle"));
    EXPECT_EQ(EnumInfo<TppDataType>().MaxValue(), 17);
    EXPECT_EQ(EnumName(TppVarType::vtPageNoDesc), QStringLiteral("vtPageNoDesc"));

    ppRegisterEnumType("TppUnitType", &classes::AlignmentInfo());
    EXPECT_EQ(ppEnumTypeNames(), names);
    EXPECT_EQ(ppFindEnumType("TppUnitType"), &classes::AlignmentInfo());

    ppUnRegisterLibraryEnumTypes();
    EXPECT_TRUE(ppEnumTypeNames().isEmpty());
    EXPECT_EQ(ppFindEnumType("Boolean"), nullptr);
    ppFreeEnumRegistry();
}
