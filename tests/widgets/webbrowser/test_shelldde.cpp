#include "platform/registry/Registry.h"
#include "widgets/webbrowser/EmbeddedWB.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <thread>
#include <unistd.h>

using namespace webbrowser;

namespace {

// Records the folder commands instead of handing them to the desktop.
class RecordingOpener
{
public:
    std::vector<std::string> calls;
    std::function<void()> during;

private:
    ScopedFolderOpener m_opener{[this](const std::string &path, const std::string &verb, int show) {
        calls.push_back(verb + " " + path + " " + std::to_string(show));
        if (during)
            during();
        return true;
    }};
};

std::string folderCommand(const std::string &name, const std::string &path, const std::string &list,
                          const std::string &show = "1")
{
    return "[" + name + "(\"" + path + "\"," + list + "," + show + ")]";
}

} // namespace

TEST(ShellDdeParsing, CommandFieldsAndNames)
{
    EXPECT_EQ(DdeCommandName("[ViewFolder(\"%l\", %I, %S)]"), "ViewFolder");
    EXPECT_EQ(DdeCommandName("ViewFolder(\"%l\")"), "");
    EXPECT_EQ(DdeCommandName("[ViewFolder"), "");

    // A comma in the path shifts no field; the show command is one digit,
    // 1 when missing.
    const struct
    {
        const char *command, *expected;
    } cases[] = {
        {"[ExploreFolder(\"/home/ann/a,b\", :312:4711, 5)]", "ExploreFolder|/home/ann/a,b|:312:4711|5"},
        {"[ViewFolder(\"\",123456,  37)]", "ViewFolder||123456|3"},
        {"[FindFolder(\"/tmp\", 99)]", "FindFolder|/tmp|99|1"},
        {"[ViewFolder(noquotes, 7, 2)]", "ViewFolder||7|2"},
    };
    for (const auto &c : cases) {
        const TFolderCommand f = ParseFolderCommand(c.command);
        EXPECT_EQ(f.Name + "|" + f.Path + "|" + f.ItemListField + "|" + std::to_string(f.ShowCommand), c.expected);
    }
}

TEST(ShellDdeItemLists, SizesCopiesAndMalformedLists)
{
    const TItemList list = MakeItemList({"home", "ann"});
    EXPECT_EQ(ItemListSize(list), 2u + 6u + 5u);
    EXPECT_EQ(ItemListPath(list), "/home/ann");

    TItemList padded = list;
    padded.insert(padded.end(), {0xAA, 0xBB, 0xCC});
    const std::optional<TItemList> copy = CopyItemList(padded);
    ASSERT_TRUE(copy.has_value());
    EXPECT_EQ(*copy, list); // the bytes after the terminator are not copied

    EXPECT_EQ(ItemListSize(TItemList{0, 0}), 2u);
    EXPECT_EQ(ItemListPath(TItemList{0, 0}), "/");
    // An item running past the end, an item too short to move on, no end.
    EXPECT_EQ(ItemListSize(TItemList{10, 0, 'a', 'b'}), 0u);
    EXPECT_EQ(ItemListSize(TItemList{1, 0, 0, 0}), 0u);
    EXPECT_EQ(ItemListSize(TItemList{3, 0, 'a'}), 0u);
    EXPECT_EQ(ItemListSize(TItemList{}), 0u);
    EXPECT_FALSE(CopyItemList(TItemList{4, 0, 'a', 'b'}).has_value());
}

TEST(ShellDdeItemLists, HandedOverListsAreTakenOnce)
{
    const TItemList list = MakeItemList({"srv"});
    const int64_t me = ::getpid();

    const uint32_t handle = ShareItemList(list, me);
    EXPECT_FALSE(ResolveItemListField(":" + std::to_string(handle) + ":" + std::to_string(me + 1)).has_value());
    EXPECT_EQ(ResolveItemListField(":" + std::to_string(handle) + ":" + std::to_string(me)), list);
    // The block was freed after the copy.
    EXPECT_FALSE(ResolveItemListField(":" + std::to_string(handle) + ":" + std::to_string(me)).has_value());

    const uintptr_t number = LendItemList(list);
    EXPECT_EQ(ResolveItemListField(std::to_string(number)), list);
    EXPECT_FALSE(ResolveItemListField(std::to_string(number)).has_value());

    EXPECT_FALSE(ResolveItemListField("").has_value());
    EXPECT_FALSE(ResolveItemListField(":12").has_value());
    EXPECT_FALSE(ResolveItemListField("12abc").has_value());
    EXPECT_FALSE(ResolveItemListField(std::to_string(LendItemList(TItemList{9, 0}))).has_value());
}

namespace {

std::string describeNames(const TShellDdeNames &n)
{
    return n.PageApplication + "|" + n.PageTopic + "|" + n.FolderApplication + "|" + n.FolderTopic + "|" +
           n.OpenCommand + "|" + n.ExploreCommand + "|" + n.FindCommand;
}

bool writeDefault(const std::string &path, const std::string &text)
{
    registry::Registry key(registry::RootKey::ClassesRoot);
    return key.openKey(path, false) && key.writeText("", text);
}

} // namespace

// The servers and commands come from the registry's classes root, read when
// a wrapper is made; the program's start writes the desktop's there.
TEST(ShellDdeNamesFromRegistry, ReadAtCreation)
{
    const TDdeSender me = CurrentDdeSender();
    {
        TEmbeddedWB wb;
        EXPECT_EQ(describeNames(wb.DdeWindow().Names()),
                  "IExplore|WWW_OpenURL|Folders|AppProperties|ViewFolder|ExploreFolder|FindFolder");
    }
    ASSERT_TRUE(writeDefault("\\htmlfile\\shell\\open\\ddeexec\\Application", "ZBrowser"));
    ASSERT_TRUE(writeDefault("\\Folder\\shell\\explore\\ddeexec", "[OpenTree(\"%l\", %I, %S)]"));
    RegisterDesktopShellDde(); // overwrites nothing that is there
    {
        TEmbeddedWB wb;
        wb.SetEnableDDE(true);
        EXPECT_EQ(describeNames(wb.DdeWindow().Names()),
                  "ZBrowser|WWW_OpenURL|Folders|AppProperties|ViewFolder|OpenTree|FindFolder");
        EXPECT_FALSE(wb.DdeWindow().Initiate(me, "IExplore", "WWW_OpenURL").has_value());
        EXPECT_TRUE(wb.DdeWindow().Initiate(me, "ZBrowser", "WWW_OpenURL").has_value());
    }
    writeDefault("\\htmlfile\\shell\\open\\ddeexec\\Application", "IExplore");
    writeDefault("\\Folder\\shell\\explore\\ddeexec", "[ExploreFolder(\"%l\", %I, %S)]");

    // Nothing registered: every name is empty and no conversation starts.
    QTemporaryDir folder;
    const registry::ScopedStoreFilePath empty(folder.filePath(QStringLiteral("empty.ini")).toStdString());
    TEmbeddedWB wb;
    wb.SetEnableDDE(true);
    EXPECT_EQ(describeNames(wb.DdeWindow().Names()), "||||||");
    EXPECT_FALSE(wb.DdeWindow().Initiate(me, "", "").has_value());
    EXPECT_FALSE(wb.DdeWindow().Initiate(me, "IExplore", "WWW_OpenURL").has_value());
}

TEST(ShellDdeConversation, AcceptanceRules)
{
    TEmbeddedWB wb;
    const TShellDdeNames names = wb.DdeWindow().Names();
    const TDdeSender me = CurrentDdeSender();

    EXPECT_TRUE(DdeBroadcastInitiate(me, names.PageApplication, names.PageTopic).empty());

    wb.SetEnableDDE(true);
    auto acks = DdeBroadcastInitiate(me, "iexplore", "anything");
    ASSERT_EQ(acks.size(), 1u);
    EXPECT_EQ(acks[0].second.Application, names.PageApplication);
    EXPECT_EQ(acks[0].second.Topic, names.PageTopic);
    EXPECT_EQ(CurrentDdeMode(), TDdeMode::Page);

    EXPECT_TRUE(DdeBroadcastInitiate(me, names.FolderApplication, "OtherTopic").empty());
    EXPECT_TRUE(DdeBroadcastInitiate(me, "Unknown", names.FolderTopic).empty());
    ASSERT_EQ(DdeBroadcastInitiate(me, names.FolderApplication, names.FolderTopic).size(), 1u);
    EXPECT_EQ(CurrentDdeMode(), TDdeMode::Folder);

    TDdeSender otherProcess = me;
    otherProcess.ProcessId = me.ProcessId + 1;
    EXPECT_FALSE(wb.DdeWindow().Initiate(otherProcess, names.PageApplication, names.PageTopic).has_value());
    std::size_t fromOtherThread = 99;
    std::thread([&] {
        fromOtherThread = DdeBroadcastInitiate(CurrentDdeSender(), names.PageApplication, names.PageTopic).size();
    }).join();
    EXPECT_EQ(fromOtherThread, 0u);

    // Only the partner is served, and a terminate ends the conversation.
    EXPECT_EQ(wb.DdeWindow().Execute(otherProcess, "\"http://127.0.0.1/\""), 0);
    EXPECT_FALSE(wb.DdeWindow().Terminate(otherProcess));
    EXPECT_TRUE(wb.DdeWindow().Terminate(me));
    EXPECT_EQ(wb.DdeWindow().Execute(me, "\"http://127.0.0.1/\""), 0);
}

TEST(ShellDdeConversation, PageAndFolderCommands)
{
    RecordingOpener opener;
    TEmbeddedWB wb;
    wb.SetEnableDDE(true);
    const TShellDdeNames names = wb.DdeWindow().Names();
    const TDdeSender me = CurrentDdeSender();
    TShellDdeWindow &window = wb.DdeWindow();

    ASSERT_TRUE(window.Initiate(me, names.PageApplication, names.PageTopic));
    EXPECT_EQ(window.Execute(me, "\"http://127.0.0.1:8/page\""), 1);
    EXPECT_EQ(wb.LocationURL(), "http://127.0.0.1:8/page");
    EXPECT_EQ(window.Execute(me, "\"\""), 0);
    window.Terminate(me);

    ASSERT_TRUE(window.Initiate(me, names.FolderApplication, names.FolderTopic));
    EXPECT_EQ(window.Execute(me, folderCommand("ViewFolder", "/srv/www", "0")), 1);
    EXPECT_EQ(wb.LocationURL(), "/srv/www");

    const std::string lent = std::to_string(LendItemList(MakeItemList({"srv", "data"})));
    EXPECT_EQ(window.Execute(me, folderCommand("ViewFolder", "", lent)), 1);
    EXPECT_EQ(wb.LocationURL(), "file:///srv/data");
    EXPECT_EQ(window.Execute(me, folderCommand("ViewFolder", "", lent)), 0); // released after use

    const uint32_t shared = ShareItemList(MakeItemList({"home"}), me.ProcessId);
    EXPECT_EQ(window.Execute(me, folderCommand("ExploreFolder", "",
                                               ":" + std::to_string(shared) + ":" + std::to_string(me.ProcessId), "5")),
              1);
    EXPECT_EQ(window.Execute(me, folderCommand("FindFolder", "/tmp", "0", "")), 1);
    EXPECT_EQ(opener.calls, (std::vector<std::string>{"explore /home 5", "find /tmp 1"}));

    // Exact names only; an unknown name is left undone.
    EXPECT_EQ(window.Execute(me, folderCommand("viewfolder", "/srv", "0")), 0);
    EXPECT_EQ(window.Execute(me, folderCommand("OpenFolder", "/srv", "0")), 0);
    EXPECT_EQ(window.Execute(me, folderCommand("ExploreFolder", "", "0")), 0);

    // While a shell command runs, the service does not answer conversations:
    // the shell's own would otherwise come back to it.
    std::size_t acksDuring = 99;
    opener.during = [&] { acksDuring = DdeBroadcastInitiate(me, names.PageApplication, names.PageTopic).size(); };
    EXPECT_EQ(window.Execute(me, folderCommand("ExploreFolder", "/var", "0")), 1);
    EXPECT_EQ(acksDuring, 0u);
    EXPECT_EQ(DdeBroadcastInitiate(me, names.PageApplication, names.PageTopic).size(), 1u);
}
