#pragma once

// Support for the browser wrapper: shell item lists (the shell's path form),
// the shell's shared-memory hand-over of item lists, and the help binding.
//
// An item list is a run of items, each starting with its 16-bit size (the
// size counts its own two bytes), ended by an item of size 0. Our shell's
// items carry one path segment each, so a list stands for a file path.

#include "platform/rtl/ScopedOverride.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace webbrowser {

using TItemList = std::vector<uint8_t>;

// The size of the list including its terminator: 2 plus the sizes of its
// items. 0 when the bytes hold no well-formed list (an item running past the
// end, an item shorter than its own size field, no terminator).
size_t ItemListSize(std::span<const uint8_t> bytes);

// A copy of the list and its terminator, nothing after it; none when the
// bytes hold no well-formed list.
std::optional<TItemList> CopyItemList(std::span<const uint8_t> bytes);

// The list of the given path segments and the path a list stands for
// ("/" followed by the segments joined with "/").
TItemList MakeItemList(const std::vector<std::string> &segments);
std::string ItemListPath(std::span<const uint8_t> list);

// The shell hands an item list to another process through a shared block
// named by a handle and the owning process id. Lock answers a copy of the
// block, or none when the handle is unknown or the process id does not match.
uint32_t ShareItemList(std::span<const uint8_t> list, int64_t processId);
std::optional<TItemList> LockSharedItemList(uint32_t handle, int64_t processId);
void UnlockSharedItemList(uint32_t handle);
void FreeSharedItemList(uint32_t handle, int64_t processId);

// An item list of this process passed by number (where the shell would pass
// its address). Take answers the list and releases it: one use only.
uintptr_t LendItemList(std::span<const uint8_t> list);
std::optional<TItemList> TakeLentItemList(uintptr_t number);

// The help viewer the wrapper's help answer calls: (window, help file,
// command, data) -> the window that shows the help, 0 when none does.
// Unbound, a call returns 0, as a call through a library that cannot be
// loaded does. The program binds it at start-up; tests stand in for it.
using THtmlHelpFunction =
    std::function<intptr_t(void *window, const std::string &file, uint32_t command, uintptr_t data)>;
using ScopedHtmlHelpFunction = rtl::ScopedOverride<struct HtmlHelpFunctionTag, THtmlHelpFunction>;
void BindHtmlHelp(THtmlHelpFunction function);
intptr_t HtmlHelp(void *window, const std::string &file, uint32_t command, uintptr_t data);

// The compiled-help commands the viewer serves.
constexpr uint32_t HH_DISPLAY_TOPIC = 0x0000;
constexpr uint32_t HH_DISPLAY_TOC = 0x0001;
constexpr uint32_t HH_DISPLAY_INDEX = 0x0002;
constexpr uint32_t HH_HELP_CONTEXT = 0x000F;
constexpr uint32_t HH_CLOSE_ALL = 0x0012;
// The program's help viewer behind the compiled-help calls: the window is a
// QWidget (or null); the data of HH_HELP_CONTEXT is the context number, that
// of the other commands is not read. Other commands show nothing.
THtmlHelpFunction ViewerHtmlHelp();

} // namespace webbrowser
