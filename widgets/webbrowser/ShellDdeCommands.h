#pragma once

// The shell's DDE names and the parsing of its folder commands. Command texts
// come from outside the wrapper: nothing here trusts their shape.

#include "widgets/webbrowser/IEUtils.h"

#include <optional>
#include <string>

namespace webbrowser {

// The servers and commands the shell registers for opening pages and folders.
struct TShellDdeNames
{
    std::string PageApplication, PageTopic;
    std::string FolderApplication, FolderTopic;
    std::string OpenCommand, ExploreCommand, FindCommand;
};

// Writes the desktop shell's registration of its page and folder servers to
// the registry's classes root, for each verb that has none there yet.
void RegisterDesktopShellDde();
// The names a wrapper reads at its creation from the classes root; what is
// missing there reads empty, and an empty name matches nothing.
TShellDdeNames ShellDdeNames();
// The text between "[" and "(" of a command text; empty when either is missing.
std::string DdeCommandName(const std::string &commandText);

// A folder command: "[" name "(" quoted path "," item list "," show ")]".
struct TFolderCommand
{
    std::string Name;
    std::string Path;
    std::string ItemListField;
    int ShowCommand = 1;
};
TFolderCommand ParseFolderCommand(const std::string &text);

// The item list a command's field names (":handle:process" for the shell's
// shared block, a plain number for a list of this process), taken over and
// released; none when the field names no well-formed list.
std::optional<TItemList> ResolveItemListField(const std::string &field);

} // namespace webbrowser
