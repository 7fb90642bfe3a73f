#include "platform/rtl/StringTable.h"

#include <map>
#include <mutex>

namespace rtl {

namespace {

// Made on first use: units enter their texts while static objects are
// constructed, in no order we control.
struct Table
{
    std::mutex mutex;
    std::map<int, const char *> texts;
};

Table &table()
{
    static Table instance;
    return instance;
}

} // namespace

StringTableEntries::StringTableEntries(std::initializer_list<TStringTableEntry> entries)
{
    Table &t = table();
    const std::lock_guard lock(t.mutex);
    for (const TStringTableEntry &entry : entries)
        t.texts[entry.Id] = entry.Text;
}

std::string LoadStr(int id)
{
    Table &t = table();
    const std::lock_guard lock(t.mutex);
    const auto found = t.texts.find(id);
    return found == t.texts.end() ? std::string() : std::string(found->second);
}

} // namespace rtl
