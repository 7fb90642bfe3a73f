// Feeds arbitrary bytes to the INI parser and checks the promises the
// settings store relies on: a written value reads back, and a write never
// changes another section's values.

#include "platform/ini/IniDocument.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);
    ini::IniDocument doc(text);
    const std::vector<std::string> sections = doc.sectionNames();
    for (const std::string &s : sections)
        (void)doc.sectionEntries(s);

    // The first bytes name the key and value that get written.
    const std::string key = size > 0 ? std::string("K") + char(data[0] % 26 + 'a') : "K";
    const std::string value = size > 4 ? text.substr(1, 3) : "v";
    ini::IniDocument edited(text);
    edited.setValue("Fuzz", key, value);
    const size_t cut = value.find_first_of("\r\n");
    if (edited.value("Fuzz", key) != value.substr(0, cut))
        std::abort();
    for (const std::string &s : sections) {
        if (ini::sameName(s, "Fuzz"))
            continue;
        if (edited.sectionEntries(s) != doc.sectionEntries(s))
            std::abort();
    }
    edited.removeSection("Fuzz");
    if (edited.hasSection("Fuzz"))
        std::abort();
    return 0;
}
