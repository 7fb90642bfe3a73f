#include "widgets/webbrowser/IEUtils.h"

#include <map>
#include <mutex>

namespace webbrowser {

namespace {

uint16_t itemSizeAt(std::span<const uint8_t> bytes, size_t pos)
{
    return uint16_t(bytes[pos] | (bytes[pos + 1] << 8));
}

struct SharedBlock
{
    TItemList bytes;
    int64_t processId = 0;
    bool locked = false;
};

// The shell's shared blocks and this process's lent lists: one table each,
// reached from any thread.
std::mutex s_tableMutex;
std::map<uint32_t, SharedBlock> s_shared;
uint32_t s_nextHandle = 0x100;
std::map<uintptr_t, TItemList> s_lent;
uintptr_t s_nextLent = 0x10000;

} // namespace

size_t ItemListSize(std::span<const uint8_t> bytes)
{
    // The list comes from outside the wrapper: walk it only within the bytes
    // there are, and refuse an item that would not move the walk forward.
    size_t pos = 0;
    while (pos + 2 <= bytes.size()) {
        const uint16_t size = itemSizeAt(bytes, pos);
        if (size == 0)
            return pos + 2;
        if (size < 2 || pos + size > bytes.size())
            return 0;
        pos += size;
    }
    return 0;
}

std::optional<TItemList> CopyItemList(std::span<const uint8_t> bytes)
{
    const size_t size = ItemListSize(bytes);
    if (size == 0)
        return std::nullopt;
    return TItemList(bytes.begin(), bytes.begin() + std::ptrdiff_t(size));
}

TItemList MakeItemList(const std::vector<std::string> &segments)
{
    TItemList list;
    for (const std::string &segment : segments) {
        const size_t size = std::min<size_t>(segment.size(), 0xFFFF - 2) + 2;
        list.push_back(uint8_t(size & 0xFF));
        list.push_back(uint8_t(size >> 8));
        list.insert(list.end(), segment.begin(), segment.begin() + std::ptrdiff_t(size - 2));
    }
    list.push_back(0);
    list.push_back(0);
    return list;
}

std::string ItemListPath(std::span<const uint8_t> list)
{
    const size_t total = ItemListSize(list);
    if (total == 0)
        return {};
    std::string path;
    size_t pos = 0;
    while (pos + 2 < total) {
        const uint16_t size = itemSizeAt(list, pos);
        path += '/';
        path.append(reinterpret_cast<const char *>(list.data() + pos + 2), size - 2);
        pos += size;
    }
    return path.empty() ? std::string("/") : path;
}

uint32_t ShareItemList(std::span<const uint8_t> list, int64_t processId)
{
    std::lock_guard lock(s_tableMutex);
    const uint32_t handle = s_nextHandle++;
    s_shared[handle] = SharedBlock{TItemList(list.begin(), list.end()), processId, false};
    return handle;
}

std::optional<TItemList> LockSharedItemList(uint32_t handle, int64_t processId)
{
    std::lock_guard lock(s_tableMutex);
    const auto it = s_shared.find(handle);
    if (it == s_shared.end() || it->second.processId != processId)
        return std::nullopt;
    it->second.locked = true;
    return it->second.bytes;
}

void UnlockSharedItemList(uint32_t handle)
{
    std::lock_guard lock(s_tableMutex);
    const auto it = s_shared.find(handle);
    if (it != s_shared.end())
        it->second.locked = false;
}

void FreeSharedItemList(uint32_t handle, int64_t processId)
{
    std::lock_guard lock(s_tableMutex);
    const auto it = s_shared.find(handle);
    if (it != s_shared.end() && it->second.processId == processId)
        s_shared.erase(it);
}

uintptr_t LendItemList(std::span<const uint8_t> list)
{
    std::lock_guard lock(s_tableMutex);
    const uintptr_t number = s_nextLent++;
    s_lent[number] = TItemList(list.begin(), list.end());
    return number;
}

std::optional<TItemList> TakeLentItemList(uintptr_t number)
{
    // A number is never read as an address: only lists this process lent
    // out can be taken back.
    std::lock_guard lock(s_tableMutex);
    const auto it = s_lent.find(number);
    if (it == s_lent.end())
        return std::nullopt;
    TItemList list = std::move(it->second);
    s_lent.erase(it);
    return list;
}

namespace {
std::mutex s_helpMutex;
THtmlHelpFunction s_boundHelp;
} // namespace

void BindHtmlHelp(THtmlHelpFunction function)
{
    std::lock_guard lock(s_helpMutex);
    s_boundHelp = std::move(function);
}

intptr_t HtmlHelp(void *window, const std::string &file, uint32_t command, uintptr_t data)
{
    THtmlHelpFunction function = ScopedHtmlHelpFunction::valueOr({});
    if (!function) {
        std::lock_guard lock(s_helpMutex);
        function = s_boundHelp;
    }
    return function ? function(window, file, command, data) : 0;
}

} // namespace webbrowser
