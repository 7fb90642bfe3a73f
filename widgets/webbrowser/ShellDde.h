#pragma once

// The browser wrapper's answer to the shell's DDE conversations, over a small
// in-process message layer: a conversation is offered to every hidden DDE
// window of the process, and a window that accepts it carries out the
// commands that follow. Pages open in the wrapper; folder commands go to the
// desktop through a replaceable opener.

#include "platform/rtl/ScopedOverride.h"
#include "widgets/webbrowser/ShellDdeCommands.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace webbrowser {

struct TDdeSender
{
    int64_t ProcessId = 0;
    std::thread::id ThreadId;
};
// The calling thread of this process, as a conversation partner.
TDdeSender CurrentDdeSender();

struct TDdeAck
{
    std::string Application;
    std::string Topic;
};

enum class TDdeMode { None, Page, Folder };
// The mode of the current conversation: one for the whole process.
TDdeMode CurrentDdeMode();

// Opens a folder through the desktop: (path, verb "explore" or "find", show
// command) -> whether it was carried out. Tests stand in for the desktop.
using TFolderOpener = std::function<bool(const std::string &path, const std::string &verb, int showCommand)>;
using ScopedFolderOpener = rtl::ScopedOverride<struct FolderOpenerTag, TFolderOpener>;

class TShellDdeWindow
{
public:
    using TNavigator = std::function<void(const std::string &target)>;
    using TItemListNavigator = std::function<void(const TItemList &list)>;

    TShellDdeWindow(TNavigator navigate, TItemListNavigator navigateList);
    ~TShellDdeWindow();
    TShellDdeWindow(const TShellDdeWindow &) = delete;
    TShellDdeWindow &operator=(const TShellDdeWindow &) = delete;

    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool value) { m_enabled = value; }
    const TShellDdeNames &Names() const { return m_names; }

    // WM_DDE_INITIATE: the acknowledgement, or none (the default handling:
    // no conversation starts).
    std::optional<TDdeAck> Initiate(const TDdeSender &from, const std::string &application, const std::string &topic);
    // WM_DDE_EXECUTE: the status word of the acknowledgement, 1 when the
    // command was carried out.
    uint16_t Execute(const TDdeSender &from, const std::string &command);
    // WM_DDE_TERMINATE: answered with a terminate of its own while the
    // sender is in a conversation with this window.
    bool Terminate(const TDdeSender &from);

private:
    bool accepts(const TDdeSender &from) const;
    bool executeFolderCommand(const std::string &command);
    bool runShellCommand(const std::string &path, const std::string &verb, int show);

    TNavigator m_navigate;
    TItemListNavigator m_navigateList;
    TShellDdeNames m_names;
    const std::thread::id m_owner;
    bool m_enabled = false;
    std::optional<TDdeSender> m_partner;
};

// The message layer: offers WM_DDE_INITIATE to every hidden DDE window of
// the process and collects the windows that acknowledged it.
std::vector<std::pair<TShellDdeWindow *, TDdeAck>>
DdeBroadcastInitiate(const TDdeSender &from, const std::string &application, const std::string &topic);

} // namespace webbrowser
