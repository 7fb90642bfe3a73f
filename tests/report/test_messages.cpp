#include "report/model/base/MessageTable.h"
#include "report/model/base/Messages.h"

#include "tests/support/report/ReportFakes.h"

#include <gtest/gtest.h>

using namespace report;

namespace {

// Each test starts with a manager of its own and leaves none behind.
class Messages : public ::testing::Test
{
protected:
    void SetUp() override { ppFreeResourceManager(); }
    void TearDown() override { ppFreeResourceManager(); }
    reporttest::LanguageModuleFolder folder;
};

} // namespace

TEST_F(Messages, TheOwnTableHoldsExactlyItsTexts)
{
    int count = 0;
    for (int n = -10; n < 2000; ++n)
        if (!ppLoadStr(n).isEmpty())
            ++count;
    EXPECT_EQ(count, 164);
    EXPECT_EQ(ppLoadStr(18), QStringLiteral("Page"));
    EXPECT_EQ(ppLoadStr(21), QString());
    EXPECT_EQ(ppLoadStr(1037), QString());
    EXPECT_EQ(ppLoadStr(11),
              QStringLiteral("Enter page numbers and/or page ranges separated by commas.  For example, 1,3,5-12."));
    EXPECT_EQ(ppLoadStr(1015), QStringLiteral("Colla&te"));
    EXPECT_EQ(ppLoadStr(1000), QStringLiteral("is greater than"));
    EXPECT_EQ(ppLoadStr(1072), QStringLiteral("Find Text"));
    EXPECT_EQ(ppOwnMessageText(44072), ppLoadStr(1072));
    EXPECT_EQ(ppLoadStr(INT32_MAX), QString());
}

TEST_F(Messages, ModulesAreAskedInOrderBeforeTheOwnTable)
{
    ASSERT_TRUE(folder.write("first.dft", "43017=D'accord\n"));
    ASSERT_TRUE(folder.write("second.dft", "43018=Seite\n43017=Okay\n"));
    TppResourceManager &manager = ppGetResourceManager();
    manager.RegisterModule("first");
    manager.RegisterModule("second");
    manager.RegisterModule("FIRST");
    EXPECT_EQ(manager.ModuleNames(), QStringList({"first", "second"}));
    EXPECT_EQ(manager.ModuleCount(), 2);
    EXPECT_EQ(ppLoadStr(18), QStringLiteral("Seite"));
    EXPECT_EQ(ppLoadStr(17), QStringLiteral("D'accord"));
    EXPECT_EQ(ppLoadStr(16), QStringLiteral("of"));

    manager.UnregisterModule("second");
    EXPECT_EQ(ppLoadStr(18), QStringLiteral("Page"));
    manager.UnregisterModule("first");
    EXPECT_EQ(manager.ModuleCount(), 0);
    EXPECT_EQ(ppLoadStr(17), QStringLiteral("OK"));

    // A module's text comes back whole, however long.
    ASSERT_TRUE(folder.write("long.dft", "43017=" + QByteArray(1500, 'x') + "\n"));
    manager.RegisterModule("long");
    EXPECT_EQ(ppLoadStr(17), QString(1500, u'x'));
}

// A language that has no module keeps the language that was there, with its
// texts, rather than leaving English under a French language setting.
TEST_F(Messages, ALanguageWithoutModulesKeepsTheTextsInUse)
{
    ASSERT_TRUE(folder.write("lib.dft", "43018=Page (default)\n"));
    ASSERT_TRUE(folder.write("lib.fra", "43018=Page (fr)\n"));
    TppResourceManager &manager = ppGetResourceManager();
    manager.RegisterModule("lib");
    EXPECT_EQ(ppLoadStr(18), QStringLiteral("Page (default)"));

    EXPECT_TRUE(manager.SetLanguage(TppLanguageType::lgFrench));
    EXPECT_EQ(ppLoadStr(18), QStringLiteral("Page (fr)"));
    EXPECT_FALSE(manager.SetLanguage(TppLanguageType::lgGerman));
    EXPECT_EQ(manager.Language(), TppLanguageType::lgFrench);
    EXPECT_EQ(ppLoadStr(18), QStringLiteral("Page (fr)"));
    EXPECT_TRUE(manager.SetLanguage(TppLanguageType::lgFrench));

    EXPECT_TRUE(manager.SetLanguage(TppLanguageType::lgDefault));
    EXPECT_EQ(ppLoadStr(18), QStringLiteral("Page (default)"));
    // lgDefault is always possible, with or without modules.
    manager.UnregisterModule("lib");
    EXPECT_TRUE(manager.SetLanguage(TppLanguageType::lgDefault));
    EXPECT_EQ(ppLoadStr(18), QStringLiteral("Page"));

    // A module registered while a language is set loads in that language.
    EXPECT_FALSE(manager.SetLanguage(TppLanguageType::lgFrench));
    manager.RegisterModule("lib");
    EXPECT_TRUE(manager.SetLanguage(TppLanguageType::lgFrench));
    manager.UnregisterModule("lib");
    manager.RegisterModule("lib");
    EXPECT_EQ(ppLoadStr(18), QStringLiteral("Page (fr)"));
}

TEST_F(Messages, ModulesAreFoundByExactThenLowerCaseNameOrByPath)
{
    ASSERT_TRUE(folder.write("mixed.eng", "43018=lower\n"));
    ASSERT_TRUE(folder.write("Exact.eng", "43018=exact\n"));
    EXPECT_EQ(ppFindLanguageModule("MIXED", TppLanguageType::lgEnglish), folder.path() + "/mixed.eng");
    EXPECT_EQ(ppFindLanguageModule("Exact", TppLanguageType::lgEnglish), folder.path() + "/Exact.eng");
    EXPECT_EQ(ppFindLanguageModule(folder.path() + "/mixed", TppLanguageType::lgEnglish), folder.path() + "/mixed.eng");
    EXPECT_EQ(ppFindLanguageModule(folder.path() + "/MIXED", TppLanguageType::lgEnglish), QString());
    EXPECT_EQ(ppFindLanguageModule("absent", TppLanguageType::lgEnglish), QString());

    const QStringList folders = ppLanguageModuleFolders();
    ASSERT_EQ(folders.size(), 3);
    EXPECT_EQ(folders[1], folder.path());
    EXPECT_EQ(folders[2], QStringLiteral(":/pplang"));
    {
        // A folder added later is looked at after the earlier ones.
        reporttest::LanguageModuleFolder later;
        ASSERT_TRUE(later.write("mixed.eng", "43018=later\n"));
        EXPECT_EQ(ppLanguageModuleFolders().mid(1), QStringList({folder.path(), later.path(), ":/pplang"}));
        EXPECT_EQ(ppFindLanguageModule("mixed", TppLanguageType::lgEnglish), folder.path() + "/mixed.eng");
    }
    EXPECT_EQ(ppLanguageModuleFolders(), folders);
    EXPECT_EQ(ppLanguageExtension(TppLanguageType::lgPortugueseBrazil), QStringLiteral("ptb"));
    EXPECT_EQ(ppLanguageExtension(TppLanguageType::lgCustom), QStringLiteral("cst"));
}

TEST_F(Messages, PlaceholdersBecomeFormatArguments)
{
    EXPECT_EQ(ppMessageTokensToFormat(ppLoadStr(28)), QStringLiteral("Printing page %s of %s for report %s on the %s"));
    EXPECT_EQ(ppLoadStrFormat(28, {"3", "9", "Sales", "Laser"}),
              QStringLiteral("Printing page 3 of 9 for report Sales on the Laser"));
    EXPECT_EQ(ppLoadStrFormat(73, {"Grid", "Amount"}), QStringLiteral("CrossTab: Grid references field 'Amount'"));
    // Missing arguments are empty; surplus ones are ignored.
    EXPECT_EQ(ppLoadStrFormat(43, {}), QStringLiteral("Unable to find position for column ."));
    EXPECT_EQ(ppLoadStrFormat(18, {"x"}), QStringLiteral("Page"));
}

// Translators write what they like; nothing of it may reach a printf-style
// formatter or cut the text.
TEST_F(Messages, ModuleTextsAreNeverFormatStrings)
{
    const QString longText = QString(3000, u'x');
    ASSERT_TRUE(folder.write("bad.dft", "43004=%d %n %s %% %x %\n43005=" + longText.toUtf8() + "\n"));
    ppGetResourceManager().RegisterModule("bad");
    EXPECT_EQ(ppLoadStrFormat(4, {"A"}), QStringLiteral("%d %n A % %x %"));
    EXPECT_EQ(ppLoadStr(5), longText);
    EXPECT_EQ(ppFormatMessage(QStringLiteral("%s%s%"), {"%s", "%%"}), QStringLiteral("%s%%%"));
}
