#include "widgets/webbrowser/ShellDdeCommands.h"

#include "platform/registry/Registry.h"

#include <algorithm>
#include <charconv>

namespace webbrowser {

namespace {

template <typename T>
bool parseNumber(std::string_view text, T &value)
{
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

} // namespace

namespace {

// The shell's registration of one DDE verb: the command text as the key's
// default value, the server in its "Application" and "Topic" subkeys.
struct DdeVerb
{
    const char *key;
    const char *command;
    const char *application;
    const char *topic;
};

constexpr DdeVerb DesktopVerbs[] = {
    {"htmlfile\\shell\\open\\ddeexec", "\"%1\",,-1,0,,,,", "IExplore", "WWW_OpenURL"},
    {"Folder\\shell\\open\\ddeexec", "[ViewFolder(\"%l\", %I, %S)]", "Folders", "AppProperties"},
    {"Folder\\shell\\explore\\ddeexec", "[ExploreFolder(\"%l\", %I, %S)]", "Folders", "AppProperties"},
    {"Directory\\shell\\find\\ddeexec", "[FindFolder(\"%l\", %I)]", "Folders", "AppProperties"},
};

// The default value of a key of the classes root; empty when the key or the
// value is missing or not a text.
std::string defaultText(const std::string &path)
{
    registry::Registry key(registry::RootKey::ClassesRoot);
    if (!key.openKey("\\" + path, false))
        return {};
    const std::optional<registry::Value> value = key.readValue(std::string());
    return value && value->type == registry::ValueType::Text ? value->data : std::string();
}

bool writeDefaultText(const std::string &path, const std::string &text)
{
    registry::Registry key(registry::RootKey::ClassesRoot);
    return key.openKey("\\" + path, true) && key.writeText(std::string(), text);
}

} // namespace

void RegisterDesktopShellDde()
{
    for (const DdeVerb &verb : DesktopVerbs) {
        const std::string key = verb.key;
        if (registry::Registry(registry::RootKey::ClassesRoot).keyExists("\\" + key))
            continue;
        writeDefaultText(key, verb.command);
        writeDefaultText(key + "\\Application", verb.application);
        writeDefaultText(key + "\\Topic", verb.topic);
    }
}

TShellDdeNames ShellDdeNames()
{
    const std::string page = "htmlfile\\shell\\open\\ddeexec";
    const std::string folder = "Folder\\shell\\open\\ddeexec";
    TShellDdeNames names;
    names.PageApplication = defaultText(page + "\\Application");
    names.PageTopic = defaultText(page + "\\Topic");
    names.FolderApplication = defaultText(folder + "\\Application");
    names.FolderTopic = defaultText(folder + "\\Topic");
    names.OpenCommand = DdeCommandName(defaultText(folder));
    names.ExploreCommand = DdeCommandName(defaultText("Folder\\shell\\explore\\ddeexec"));
    names.FindCommand = DdeCommandName(defaultText("Directory\\shell\\find\\ddeexec"));
    return names;
}

std::string DdeCommandName(const std::string &commandText)
{
    const size_t open = commandText.find('[');
    if (open == std::string::npos)
        return {};
    const size_t paren = commandText.find('(', open + 1);
    if (paren == std::string::npos)
        return {};
    return commandText.substr(open + 1, paren - open - 1);
}

TFolderCommand ParseFolderCommand(const std::string &text)
{
    TFolderCommand command;
    command.Name = DdeCommandName(text);
    const size_t open = text.find('[');
    const size_t paren = open == std::string::npos ? std::string::npos : text.find('(', open + 1);
    if (paren == std::string::npos)
        return command;

    // The fields after the path are counted from the path's closing quotation
    // mark, so that a comma inside the path cannot shift them.
    size_t fieldsFrom = paren + 1;
    const size_t q1 = text.find('"', paren + 1);
    if (q1 != std::string::npos) {
        const size_t q2 = text.find('"', q1 + 1);
        if (q2 != std::string::npos) {
            command.Path = text.substr(q1 + 1, q2 - q1 - 1);
            fieldsFrom = q2 + 1;
        }
    }
    const size_t comma1 = text.find(',', fieldsFrom);
    if (comma1 == std::string::npos)
        return command;
    const size_t comma2 = text.find(',', comma1 + 1);
    const size_t fieldEnd = comma2 != std::string::npos ? comma2 : text.find_first_of(")]", comma1 + 1);
    std::string field =
        text.substr(comma1 + 1, fieldEnd == std::string::npos ? std::string::npos : fieldEnd - comma1 - 1);
    field.erase(std::remove(field.begin(), field.end(), ' '), field.end());
    command.ItemListField = field;
    if (comma2 != std::string::npos) {
        const size_t digit = text.find_first_of("0123456789", comma2 + 1);
        if (digit != std::string::npos)
            command.ShowCommand = text[digit] - '0';
    }
    return command;
}

std::optional<TItemList> ResolveItemListField(const std::string &field)
{
    if (field.empty())
        return std::nullopt;
    if (field[0] == ':') {
        const size_t colon = field.find(':', 1);
        uint32_t handle = 0;
        int64_t process = 0;
        if (colon == std::string::npos || !parseNumber(std::string_view(field).substr(1, colon - 1), handle) ||
            !parseNumber(std::string_view(field).substr(colon + 1), process))
            return std::nullopt;
        const std::optional<TItemList> block = LockSharedItemList(handle, process);
        if (!block)
            return std::nullopt;
        std::optional<TItemList> copy = CopyItemList(*block);
        UnlockSharedItemList(handle);
        FreeSharedItemList(handle, process);
        return copy;
    }
    uintptr_t number = 0;
    if (!parseNumber(std::string_view(field), number))
        return std::nullopt;
    const std::optional<TItemList> lent = TakeLentItemList(number);
    return lent ? CopyItemList(*lent) : std::nullopt;
}

} // namespace webbrowser
