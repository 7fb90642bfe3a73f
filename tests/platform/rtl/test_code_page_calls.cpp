// Every call of a code-page conversion, read from the sources: each stands
// here with what it serves, so that a new one is looked at before it folds a
// user's text to "?" or reads a path as the code page. A call that is not on
// the list, or a list entry whose calls are gone, fails.

#include <gtest/gtest.h>

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>

#include <map>
#include <string>
#include <utility>

namespace {

struct Calls
{
    const char *file;
    const char *helper;
    int count;
    const char *serves;
};

// clang-format off
const Calls Listed[] = {
    {"app/MainUnit.cpp", "FromQString", 1, "a row's shown total read back for sorting"},
    {"app/MainUnit.cpp", "ToQString", 2, "engine column captions, the window caption"},
    {"app/MainUnitCheck.cpp", "ToQString", 2, "the counts written into a row after a check"},
    {"app/MainUnitCommands.cpp", "FromQString", 2, "the selected row's domain for the row commands"},
    {"app/MainUnitCommands.cpp", "ToQString", 3, "the input box's caption, prompt and default"},
    {"app/MainUnitHooks.cpp", "ToQString", 2, "a count written into a row, a stored site's caption from the reference counts"},
    {"app/MainUnitSiteList.cpp", "FromQString", 5, "the site list's rows read back as the program's texts"},
    {"app/MainUnitSiteList.cpp", "ToQString", 3, "engine captions, a site's row and the legend's hint"},
    {"app/ProgressUnit.cpp", "ToQString", 1, "the progress window's status line"},
    {"app/SearchEngines.cpp", "AnsiToUnicode", 1, "the engine table file"},
    {"app/SiteListView.cpp", "ToQString", 1, "a row caption edited in place"},
    {"app/about/AboutUnit.cpp", "ToQString", 1, "the about window's version line"},
    {"app/help/ApplicationHelp.cpp", "ToQString", 1, "the classic help's jump topic (paths go as file names)"},
    {"app/help/HelpRouter.cpp", "ToQString", 4, "help topics, macros and pop-up texts (paths go as file names)"},
    {"app/worker/CheckSEThreadUnit.cpp", "ToQString", 3, "the proxy server, user name and password handed to the browser"},
    {"foundation/MyUtilitiesFiles.cpp", "FromQString", 2, "the site list file written from the list (refused where a cell does not fit)"},
    {"foundation/MyUtilitiesFiles.cpp", "ToQString", 2, "the site list file read into the list"},
    {"foundation/MyUtilitiesUi.cpp", "FromQString", 2, "a typed address and the list's incremental search"},
    {"foundation/MyUtilitiesUi.cpp", "ToQString", 5, "message boxes, a typed address, opened addresses and the list search"},
    {"grid/core/RegIniWrapper.cpp", "FromStoredText", 1, "the grid's layout stores (ini file and registry)"},
    {"grid/core/RegIniWrapper.cpp", "ToStoredText", 1, "the grid's layout stores (ini file and registry)"},
    {"platform/browser/HiddenPage.cpp", "toLatin1", 1, "the user-agent header (UTF-8 where Latin-1 lacks a character)"},
    {"platform/classes/CodePage.cpp", "AnsiToUnicode", 1, "the component streams' single-byte strings"},
    {"platform/classes/CodePage.cpp", "ToWin1252", 1, "the component streams' single-byte strings"},
    {"platform/classes/CodePage.cpp", "UnicodeToAnsi", 2, "the component streams' single-byte strings"},
    {"platform/classes/MetaClass.cpp", "toLatin1", 1, "a property looked up by name (identifiers)"},
    {"platform/classes/Picture.cpp", "toLatin1", 1, "a picture's graphic class in the stream (an identifier)"},
    {"platform/classes/PropInfo.cpp", "toLatin1", 1, "an enumeration's value names (identifiers)"},
    {"platform/classes/Reader.cpp", "FromWin1252", 1, "names read from a component stream"},
    {"platform/classes/TextParser.cpp", "AnsiToUnicode", 1, "quoted strings of the stream's text form"},
    {"platform/classes/ValueReader.cpp", "FromWin1252", 2, "String and LString values of a component stream"},
    {"platform/classes/Writer.cpp", "ToWin1252", 1, "a stream string in the single-byte form where it fits, else the wide form"},
    {"platform/classes/Writer.cpp", "ToWin1252Lossy", 6, "class, component, property and method names in a stream (identifiers)"},
    {"platform/controls/Guard.cpp", "ToQString", 1, "the message of an error caught at a Qt edge, where it is no UTF-8"},
    {"platform/gfx/CanvasText.cpp", "ToQString", 6, "the canvas's single-byte text entry points"},
    {"platform/gfx/GdiObjects.cpp", "FromQString", 1, "a font family's byte form beside its Unicode name"},
    {"platform/gfx/GdiObjects.cpp", "ToQString", 1, "a font family named by the program's single-byte text"},
    {"platform/gfx/MetafileWmf.cpp", "AnsiToUnicode", 1, "text records of Windows metafiles"},
    {"platform/gfx/TextLayout.cpp", "FromQString", 1, "accelerator prefixes stripped from single-byte captions"},
    {"platform/gfx/TextLayout.cpp", "ToQString", 1, "accelerator prefixes stripped from single-byte captions"},
    {"platform/gfx/TextMeasurer.cpp", "ToQString", 1, "single-byte text measured"},
    {"platform/help/HelpBook.cpp", "ToQString", 6, "the help book's text files"},
    {"platform/ini/StoredText.cpp", "FromStoredText", 2, "the settings stores' escape, and a name as an earlier build stored it"},
    {"platform/ini/StoredText.cpp", "ToQString", 2, "the settings stores' escape"},
    {"platform/ini/StoredText.cpp", "ToStoredText", 3, "the settings stores' escape"},
    {"platform/ini/StoredText.cpp", "UnicodeToAnsi", 4, "the settings stores' escape, and a name as an earlier build stored it"},
    {"platform/richedit/RichEdit.cpp", "windows-1252", 1, "plain text that is no UTF-8, loaded into a rich-text editor"},
    {"platform/richedit/RtfCodePages.cpp", "windows-1252", 1, "an RTF character set without a decoder of its own"},
    {"platform/rtl/DateTime.cpp", "FromQString", 1, "a date conversion's error message"},
    {"platform/rtl/FormatDateTime.cpp", "FromQString", 1, "a date formatting's error message"},
    {"platform/rtl/FormatFloat.cpp", "AnsiToUnicode", 2, "the program's number formatting: its separators"},
    {"platform/rtl/FormatFloat.cpp", "FromQString", 1, "the program's number formatting: its result"},
    {"platform/rtl/FormatFloat.cpp", "ToQString", 1, "the program's number formatting: its format"},
    {"platform/rtl/FormatFloat.cpp", "UnicodeToAnsi", 1, "the program's number formatting: a separator's byte"},
    {"platform/rtl/QtText.cpp", "AnsiToUnicode", 1, "the conversion itself"},
    {"platform/rtl/QtText.cpp", "FromQString", 1, "a conversion's error message"},
    {"platform/rtl/QtText.cpp", "UnicodeToAnsi", 2, "the conversion itself, and the check whether a text fits"},
    {"platform/rtl/Variants.cpp", "ToQString", 1, "a byte-string variant read as text"},
    {"report/content/richtext/RichText.cpp", "toLatin1", 1, "rich text kept as bytes (UTF-8 where Latin-1 lacks a character)"},
    {"report/model/base/StreamUtils.cpp", "ToQString", 1, "property names read from a stored report (identifiers)"},
    {"report/model/storage/IniFiles.cpp", "FromStoredText", 3, "the report library's ini and registry stores"},
    {"report/model/storage/IniFiles.cpp", "ToStoredText", 11, "the report library's ini and registry stores"},
    {"report/output/ArchiveReader.cpp", "toLatin1", 1, "the archive's page class name (an identifier)"},
    {"settings/CheckForUpdatesFormUnit.cpp", "ToQString", 1, "the update window's status line"},
    {"settings/FirstStartWizardUnit.cpp", "ToQString", 4, "the wizard's placeholder addresses"},
    {"settings/OptionsUnit.cpp", "FromQString", 2, "the options window's connection count and update interval"},
    {"settings/OptionsUnit.cpp", "ToQString", 2, "the options window's connection counts and update intervals"},
    {"settings/SettingsFormControls.cpp", "FromQString", 4, "the proxy fields into Options.ini (refused where one does not fit)"},
    {"settings/SettingsFormControls.cpp", "ToQString", 4, "the proxy fields from Options.ini"},
    {"widgets/webbrowser/EmbeddedWB.cpp", "FromQString", 5, "a page's messages, script errors and document handed to the program"},
    {"widgets/webbrowser/EmbeddedWB.cpp", "FromStoredText", 1, "the user-agent token's registry name"},
    {"widgets/webbrowser/EmbeddedWB.cpp", "ToQString", 2, "an address the program or a handler gives"},
    {"widgets/webbrowser/EmbeddedWB.cpp", "ToStoredText", 2, "the user-agent token's registry name"},
};
// clang-format on

// A declaration or the definition of a helper is no call.
const QRegularExpression Declaration(QStringLiteral(
    R"(^\s*(inline\s+)?(QString|std::string|bool|char16_t|uint8_t)\s+[\w:]*\b)"
    R"((ToQString|FromQString|AnsiToUnicode|UnicodeToAnsi|FromWin1252|ToWin1252Lossy|ToWin1252|ToStoredText|FromStoredText)\s*\()"));
const QRegularExpression Call(QStringLiteral(
    R"re(\b(ToQString|FromQString|AnsiToUnicode|UnicodeToAnsi|FromWin1252|ToWin1252Lossy|ToWin1252|ToStoredText)re"
    R"re(|FromStoredText|toLatin1)\s*\(|"(windows-1252)")re"));

using Key = std::pair<std::string, std::string>;

std::map<Key, int> callsInSources(const QString &root)
{
    std::map<Key, int> found;
    for (const char *folder :
         {"app", "foundation", "settings", "platform", "grid", "report", "widgets", "tools", "fuzz", "bench"}) {
        QDirIterator it(root + u'/' + QLatin1String(folder), {QStringLiteral("*.cpp"), QStringLiteral("*.h")},
                        QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly))
                continue;
            const std::string relative = path.mid(root.size() + 1).toStdString();
            for (const QByteArray &bytes : file.readAll().split('\n')) {
                const QString line = QString::fromUtf8(bytes).section(QStringLiteral("//"), 0, 0);
                if (Declaration.match(line).hasMatch())
                    continue;
                for (auto m = Call.globalMatch(line); m.hasNext();) {
                    const QRegularExpressionMatch match = m.next();
                    const QString helper = match.captured(1).isEmpty() ? match.captured(2) : match.captured(1);
                    ++found[{relative, helper.toStdString()}];
                }
            }
        }
    }
    return found;
}

TEST(CodePageCalls, EveryCallStandsOnTheList)
{
    const std::map<Key, int> found = callsInSources(QStringLiteral(ZVO_SOURCE_ROOT));
    ASSERT_FALSE(found.empty()) << "no sources under " << ZVO_SOURCE_ROOT;
    std::map<Key, int> listed;
    for (const Calls &c : Listed) {
        EXPECT_TRUE(listed.emplace(Key{c.file, c.helper}, c.count).second) << c.file << " " << c.helper << " twice";
        EXPECT_GT(std::string(c.serves).size(), 10u) << c.file << ": say what the calls serve";
    }
    for (const auto &[key, count] : found) {
        const auto it = listed.find(key);
        const int expected = it == listed.end() ? 0 : it->second;
        EXPECT_EQ(count, expected) << key.first << " calls " << key.second << " " << count
                                   << " times: a call of a code-page conversion keeps a user's text only if it "
                                      "serves the program's own single-byte texts; list it with what it serves";
    }
    for (const auto &[key, count] : listed)
        EXPECT_TRUE(found.contains(key)) << key.first << " no longer calls " << key.second << ": take it off the list";
}

} // namespace
