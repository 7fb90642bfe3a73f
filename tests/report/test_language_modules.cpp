#include "report/model/base/LanguageModule.h"
#include "report/model/base/MessageTable.h"
#include "report/model/base/Messages.h"

#include "tests/support/report/ReportFakes.h"

#include <QFile>

#include <utility>

#include <gtest/gtest.h>

using namespace report;

TEST(LanguageModules, LinesEscapesAndComments)
{
    const auto module = LanguageModule::parse("\xEF\xBB\xBF# comment\r\n"
                                              "  # indented comment\n"
                                              "43001=Two\\nlines\\tand a \\\\ and \\q\r\n"
                                              "no equals sign\n"
                                              "abc=not an id\n"
                                              "99999=too large\n"
                                              " 43002 = padded\n"
                                              "43003=first\n"
                                              "43003=second\n"
                                              "43004=ends with \\\n"
                                              "43005=\xC3\xA9t\xC3\xA9 = summer\n"
                                              "43006=");
    ASSERT_TRUE(module);
    EXPECT_EQ(module->text(43001), QStringLiteral("Two\nlines\tand a \\ and \\q"));
    EXPECT_EQ(module->text(43002), QStringLiteral(" padded"));
    EXPECT_EQ(module->text(43003), QStringLiteral("second"));
    EXPECT_EQ(module->text(43004), QStringLiteral("ends with \\"));
    EXPECT_EQ(module->text(43005), QStringLiteral("\u00E9t\u00E9 = summer"));
    EXPECT_EQ(module->text(43006), QString());
    EXPECT_EQ(module->count(), 6);
}

// A file that is no module leaves the module unloaded (and the texts of the
// own table in place) instead of loading garbage.
TEST(LanguageModules, FilesThatAreNoModule)
{
    EXPECT_TRUE(LanguageModule::parse(QByteArray()));
    EXPECT_EQ(LanguageModule::parse("only\nwords\n")->count(), 0);
    EXPECT_FALSE(LanguageModule::parse("43001=\xFF\xFE broken"));
    EXPECT_FALSE(LanguageModule::parse(QByteArray("43001=a\0b", 9)));
    EXPECT_FALSE(LanguageModule::parse(QByteArray(10 * 1024 * 1024, 'a')));
    EXPECT_FALSE(LanguageModule::load(QStringLiteral("/nonexistent/bvPrint.dft")));

    ppFreeResourceManager();
    reporttest::LanguageModuleFolder folder;
    ASSERT_TRUE(folder.write("binary.fra", QByteArray("\x7F"
                                                      "ELF\x02\x01\x01\0\0\0",
                                                      10)));
    ASSERT_TRUE(folder.write("big.fra", "43018=x\n" + QByteArray(2 * 1024 * 1024, '#')));
    TppResourceManager &manager = ppGetResourceManager();
    manager.RegisterModule("binary");
    manager.RegisterModule("big");
    EXPECT_EQ(manager.ModuleCount(), 0);
    EXPECT_FALSE(manager.SetLanguage(TppLanguageType::lgFrench));
    EXPECT_EQ(ppLoadStr(18), QStringLiteral("Page"));
    ppFreeResourceManager();
}

// The module that ships in the program folder and its built-in copy are one
// file, and it has a text for every number the library uses without one of
// its own.
TEST(LanguageModules, TheShippedModuleHasTheLibrarysTexts)
{
    QFile shipped(qEnvironmentVariable("ZVO_SOURCE_DIR") + QStringLiteral("/data/bvPrint.dft"));
    QFile builtIn(QStringLiteral(":/pplang/bvPrint.dft"));
    ASSERT_TRUE(shipped.open(QIODevice::ReadOnly));
    ASSERT_TRUE(builtIn.open(QIODevice::ReadOnly));
    const QByteArray bytes = builtIn.readAll();
    EXPECT_EQ(shipped.readAll(), bytes);
    const auto module = LanguageModule::parse(bytes);
    ASSERT_TRUE(module);

    QList<int> used{119, 284, 297, 300, 301, 328, 331, 342, 343, 374, 378, 415, 459, 691, 1127, 1132, 1150, 117,
                    118, 162, 181, 182, 318, 319, 320, 321, 322, 323, 325, 327, 370, 371, 412,  681,  1138};
    // The data types' captions and the variables' menu items.
    used << 324 << 334 << 335 << 337 << 339 << 341 << 363 << 379 << 409 << 689 << 1131;
    // The rich text controls' menu items.
    used << 120 << 502 << 1130;
    // The designer's menu items.
    used << 146 << 161 << 177 << 386 << 693 << 296;
    // The template dialogs.
    used << 134 << 138 << 361 << 362 << 416 << 417 << 418 << 494 << 523;
    // The hints on the default property: a caption, a data field.
    used << 154 << 203;
    for (int n = 226; n <= 248; ++n)
        if (n != 233)
            used << n;
    for (const auto &[first, last] : {std::pair{187, 195}, {292, 295}, {303, 311}, {423, 443}, {451, 458}, {645, 655}})
        for (int n = first; n <= last; ++n)
            used << n;
    for (const int n : used) {
        EXPECT_FALSE(module->text(ppMessageIdBase + n).isEmpty()) << n;
        EXPECT_TRUE(ppOwnMessageText(ppMessageIdBase + n).isEmpty()) << n;
    }
    EXPECT_EQ(module->count(), used.size());
    // Texts that are filled in carry the placeholders their callers fill.
    EXPECT_TRUE(module->text(43427).contains(QStringLiteral("<minbarwidth>")));
    EXPECT_TRUE(module->text(43428).contains(QStringLiteral("<maxbarwidth>")));
    EXPECT_TRUE(module->text(43453).contains(QStringLiteral("<character>")));
    EXPECT_TRUE(module->text(43523).contains(QStringLiteral("<name>")));
}
