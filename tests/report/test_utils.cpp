#include "report/model/base/Messages.h"
#include "report/model/base/PageList.h"
#include "report/model/base/Utils.h"
#include "report/model/objects/RegList.h"

#include "platform/classes/StringList.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/FormatDateTime.h"
#include "platform/rtl/FormatSettings.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <set>
#include <thread>

#include <sys/stat.h>

using namespace report;

namespace {

QStringList entries(const classes::TStrings &list)
{
    QStringList out;
    for (int i = 0; i < list.Count(); ++i)
        out << list.Get(i);
    return out;
}

} // namespace

TEST(PageLists, ValidListsAndTheirPages)
{
    struct Case
    {
        const char *text;
        std::vector<int> pages;
    };
    const Case cases[] = {
        {"3,1,2-4", {1, 2, 3, 4}},
        {"12-5", {5, 6, 7, 8, 9, 10, 11, 12}},
        {" 7 , 2 - 3 ,, 7,", {2, 3, 7}},
        {"", {}},
        {",,,", {}},
        {"2147483647", {2147483647}},
        {"1-100000", {}}, // checked by size below
    };
    for (const Case &c : cases) {
        std::vector<int> pages{99};
        EXPECT_TRUE(ppParsePageList(QString::fromLatin1(c.text), pages)) << c.text;
        if (std::string(c.text) == "1-100000")
            EXPECT_EQ(pages.size(), 100000u);
        else
            EXPECT_EQ(pages, c.pages) << c.text;
    }
    // Overlapping ranges count each page once against the limit.
    std::vector<int> pages;
    EXPECT_TRUE(ppParsePageList(u"1-100000,50000-100000,7", pages));
    EXPECT_EQ(pages.size(), 100000u);

    classes::TStringList list;
    EXPECT_TRUE(ppTextToPageList("10,9", list, false));
    EXPECT_EQ(entries(list), QStringList({"       9", "      10"}));
    EXPECT_TRUE(ppTextToPageList("10,9", list, true));
    EXPECT_EQ(entries(list), QStringList({"9", "10"}));
}

TEST(PageLists, InvalidListsAreRefusedWhole)
{
    const QString commas = QString(10000, u',') + QStringLiteral("5");
    for (const QString &text :
         {QStringLiteral("1-999999999"), QStringLiteral("0"), QStringLiteral("-3"), QStringLiteral("a-b"),
          QStringLiteral("1,x"), QStringLiteral("1-2-3"), QStringLiteral("2147483648"), QStringLiteral("1-100001"),
          QStringLiteral("+4"), QStringLiteral("1 2"), QStringLiteral("1-100000,200000")}) {
        std::vector<int> pages{1};
        EXPECT_FALSE(ppParsePageList(text, pages)) << text.toStdString();
        EXPECT_TRUE(pages.empty());
    }
    std::vector<int> pages;
    EXPECT_TRUE(ppParsePageList(commas, pages));
    EXPECT_EQ(pages, std::vector<int>{5});

    classes::TStringList list;
    list.Add("old");
    EXPECT_FALSE(ppTextToPageList("1,0", list, true));
    EXPECT_EQ(list.Count(), 0);
}

TEST(TextHelpers, PaddingPathsAndLists)
{
    using classes::TAlignment;
    EXPECT_EQ(ppPadString("abc", 6, TAlignment::taCenter), QStringLiteral("  abc "));
    EXPECT_EQ(ppPadString("abc", 8, TAlignment::taCenter), QStringLiteral("  abc   "));
    EXPECT_EQ(ppPadString("abc", 4, TAlignment::taCenter), QStringLiteral("abc "));
    EXPECT_EQ(ppPadString("abc", 5, TAlignment::taRightJustify), QStringLiteral("  abc"));
    EXPECT_EQ(ppPadString("abc", 5, TAlignment::taLeftJustify), QStringLiteral("abc  "));
    EXPECT_EQ(ppPadString("abcdef", 4, TAlignment::taRightJustify), QStringLiteral("abcd"));
    EXPECT_EQ(ppPadString("abc", -1, TAlignment::taLeftJustify), QString());

    EXPECT_EQ(ppGetFilePath("report.rtm"), QString());
    EXPECT_EQ(ppGetFilePath("/home/me/report.rtm"), QStringLiteral("/home/me/"));
    EXPECT_EQ(ppGetFilePath("C:\\Reports\\a.rtm"), QStringLiteral("C:\\Reports\\"));
    EXPECT_EQ(ppRemoveChar(u'&', "P&rint"), QStringLiteral("Print"));
    EXPECT_TRUE(ppTextEquals("\u00C9t\u00E9", "\u00E9T\u00C9"));
    EXPECT_TRUE(ppTextEquals("Detail", "DETAIL"));
    EXPECT_FALSE(ppTextEquals("Detail", "Details"));
    EXPECT_EQ(TppStrUtils::LeftStr("abcdef", 2), QStringLiteral("ab"));
    EXPECT_EQ(TppMath::Max(-3, -7), -3);

    classes::TStringList list;
    ppCommaTextToList("a,,\"b,c\",", list);
    EXPECT_EQ(entries(list), QStringList({"a", "", "\"b", "c\""}));
    ppCommaTextToList("", list);
    EXPECT_EQ(list.Count(), 0);
}

TEST(TextHelpers, VersionsScaleAndKinds)
{
    const std::pair<const char *, int32_t> versions[] = {
        {"7.01 Beta", 7010}, {"7.01", 7010},
        {"1.0", 1000},       {"4.2", 4200},
        {"10.5", 1050},      {"", 0},
        {"Beta", 0},         {"7.0.1", 7000},
        {"12345", 12345},    {"1234567890123456789012345", INT32_MAX},
    };
    for (const auto &[text, number] : versions)
        EXPECT_EQ(ppVersionToNumber(QString::fromLatin1(text)), number) << text;

    EXPECT_EQ(ppGetScaleToFit(200, 100, 100, 100), 0.5f);
    EXPECT_EQ(ppGetScaleToFit(0, 100, 100, 100), 0.0f);
    EXPECT_EQ(ppGetScaleToFit(100, -1, 100, 100), 0.0f);
    EXPECT_EQ(ppGetScaleToFit(3, 3, 1, 2), 1.0f / 3.0f);

    EXPECT_EQ(ppCalcTypeToVarType(TppCalcType::ctPageNoDesc), TppVarType::vtPageNoDesc);
    EXPECT_EQ(ppCalcTypeToVarType(TppCalcType::ctTime), TppVarType::vtTime);
    EXPECT_EQ(ppCalcTypeToVarType(TppCalcType::ctCustom), TppVarType::vtDate);
    EXPECT_EQ(ppVarEventToEventID(TppVarEventType::veGroupBeforeFooter), 30);
    EXPECT_EQ(ppVarEventToEventID(TppVarEventType::vePageEnd), 17);
    EXPECT_EQ(ppVarEventToEventID(TppVarEventType(200)), 35);
}

TEST(TextHelpers, NumberListsInUnits)
{
    ScopedScreenPixelsPerInch screen(96);
    classes::TStringList list;
    list.SetText("25400\r\n12700\r\nwide\r\n");
    ppConvertListFromMMThousandths(list, TppUnitType::utInches, TppAxisType::atHorizontal);
    // In the user's own form ("0,5" on a "," system).
    EXPECT_EQ(entries(list),
              QStringList({"1", QStringLiteral("0") + rtl::FormatSettings().DecimalSeparator + u'5', "wide"}));
    ppConvertListToMMThousandths(list, TppUnitType::utInches, TppAxisType::atHorizontal);
    EXPECT_EQ(entries(list), QStringList({"25400", "12700", "wide"}));

    list.SetText("1.5\r\n2\r\n");
    rtl::TFormatSettings comma = rtl::FormatSettingsEnUS();
    comma.DecimalSeparator = u',';
    rtl::ScopedFormatSettings local(comma);
    ppFixDecimalSeparators(list);
    EXPECT_EQ(entries(list), QStringList({"1,5", "2"}));
    ppConvertListToMMThousandths(list, TppUnitType::utMillimeters, TppAxisType::atHorizontal);
    EXPECT_EQ(entries(list), QStringList({"1500", "2000"}));
}

TEST(TextHelpers, SystemVariableTexts)
{
    ppFreeResourceManager();
    const rtl::ScopedFormatSettings us(rtl::FormatSettingsEnUS());
    const rtl::TDateTime printed = rtl::EncodeDate(1995, 3, 4) + rtl::EncodeTime(13, 30, 55, 0);
    // Every language index shares the process's message language.
    const auto text = [&](TppVarType type, bool known) {
        return ppSystemVariableToText(type, 3, 12, known, 2, printed);
    };
    EXPECT_EQ(text(TppVarType::vtPageSetDesc, false), QStringLiteral("Page 1 of 1"));
    EXPECT_EQ(text(TppVarType::vtPageSetDesc, true), QStringLiteral("Page 3 of 12"));
    EXPECT_EQ(text(TppVarType::vtPageSet, true), QStringLiteral("3 of 12"));
    EXPECT_EQ(text(TppVarType::vtPageNoDesc, true), QStringLiteral("Page 3"));
    EXPECT_EQ(text(TppVarType::vtPageNo, false), QStringLiteral("1"));
    EXPECT_EQ(text(TppVarType::vtPageCount, true), QStringLiteral("12"));
    EXPECT_EQ(text(TppVarType::vtDocumentName, true), QString());
    EXPECT_EQ(text(TppVarType::vtPrintDateTime, true), QStringLiteral("3/4/1995 1:30:55 PM"));
    // Today's date alone; asked twice so that a test running over midnight
    // still agrees with one of the two.
    const QString before = rtl::DateToStr(rtl::Date());
    const QString date = text(TppVarType::vtDate, true);
    EXPECT_TRUE(date == before || date == rtl::DateToStr(rtl::Date())) << date.toStdString();
}

TEST(TempFiles, DistinctPrivateAndNamedByPrefix)
{
    QTemporaryDir dir;
    std::set<QString> names;
    for (int i = 0; i < 20; ++i) {
        const QString name = ppGetTempFileName(dir.path(), QString::fromLatin1(i % 2 ? "cch" : "archive"));
        ASSERT_FALSE(name.isEmpty());
        EXPECT_TRUE(names.insert(name).second);
        EXPECT_TRUE(QFileInfo(name).fileName().startsWith(i % 2 ? "cch" : "arc"));
        struct stat st = {};
        ASSERT_EQ(::stat(QFile::encodeName(name).constData(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0600u);
        EXPECT_EQ(st.st_size, 0);
    }
    EXPECT_TRUE(ppGetTempPath().endsWith(u'/'));
    EXPECT_EQ(ppGetTempFileName(dir.path() + "/missing", "cch"), QString());
    const QString inTemp = ppGetTempFileName(QString(), "cch");
    EXPECT_TRUE(inTemp.startsWith(ppGetTempPath() + "cch"));
    EXPECT_TRUE(QFile::remove(inTemp));
}

TEST(RegLists, ListenersHearEveryChangeAfterIt)
{
    TppRegList list;
    QStringList heard;
    int owner1 = 0, owner2 = 0;
    list.AddEventNotify(&owner1, [&](TppRegList *l) {
        heard << QString::number(l->Count()) + (l->Count() ? ":" + l->Strings(l->Count() - 1) : QString());
    });
    list.AddEventNotify(&owner2, [&](TppRegList *l) {
        // A listener that leaves while it is told.
        l->RemoveEventNotify(&owner2);
        heard << QStringLiteral("second");
    });
    list.AddObject("TppLabel", nullptr);
    list.AddObject("TppShape", nullptr);
    list.Delete(0);
    list.Clear();
    list.Clear();
    EXPECT_EQ(heard, QStringList({"1:TppLabel", "second", "2:TppShape", "1:TppShape", "0"}));
    EXPECT_EQ(list.IndexOf("tpplabel"), -1);
}

TEST(Threads, TheMainThreadIsTheOneThatStarted)
{
    ppSetMainThread();
    EXPECT_TRUE(ppInMainThread());
    bool elsewhere = true;
    std::thread([&] { elsewhere = ppInMainThread(); }).join();
    EXPECT_FALSE(elsewhere);
    ppSetInMainThreadOverride(true);
    std::thread([&] { elsewhere = ppInMainThread(); }).join();
    ppSetInMainThreadOverride(false);
    EXPECT_TRUE(elsewhere);
}
