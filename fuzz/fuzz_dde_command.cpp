// Folder commands and item lists as the shell's conversation hands them in:
// parsing must stay within the bytes given, and a list that is accepted must
// measure, copy and read back consistently.

#include "widgets/webbrowser/ShellDdeCommands.h"

#include <cstdlib>
#include <string>

using namespace webbrowser;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);
    const TFolderCommand command = ParseFolderCommand(text);
    if (command.ShowCommand < 0 || command.ShowCommand > 9)
        std::abort();
    if (command.Path.size() > size || command.ItemListField.size() > size)
        std::abort();
    ResolveItemListField(command.ItemListField);

    const std::span<const uint8_t> bytes(data, size);
    const size_t listSize = ItemListSize(bytes);
    const std::optional<TItemList> copy = CopyItemList(bytes);
    if (listSize > size || copy.has_value() != (listSize != 0))
        std::abort();
    if (copy) {
        if (copy->size() != listSize || ItemListSize(*copy) != listSize)
            std::abort();
        const std::string path = ItemListPath(*copy);
        if (path.empty() || path[0] != '/' || MakeItemList({}).size() != 2)
            std::abort();
    }
    return 0;
}
