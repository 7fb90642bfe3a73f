#include "foundation/SearchEngineTable.h"

#include "foundation/MyUtilities.h"

namespace foundation {

namespace {

// Blanks and control characters, as the table's trimming understands them.
bool isTableBlank(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

std::string tableTrimmed(std::string_view text)
{
    size_t first = 0;
    size_t last = text.size();
    while (first < last && isTableBlank(text[first]))
        ++first;
    while (last > first && isTableBlank(text[last - 1]))
        --last;
    return std::string(text.substr(first, last - first));
}

} // namespace

bool IsSearchEngineLine(std::string_view line)
{
    return StrPos(line, ":http://", false) > 0;
}

std::vector<TSearchEngineEntry> ParseSearchEngineTable(std::string_view text)
{
    std::vector<TSearchEngineEntry> engines;
    while (!text.empty()) {
        const size_t eol = text.find('\n');
        std::string_view line = text.substr(0, eol);
        text = eol == std::string_view::npos ? std::string_view() : text.substr(eol + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty() || !IsSearchEngineLine(line))
            continue;
        const size_t colon = line.find(':');
        engines.push_back({tableTrimmed(line.substr(0, colon)), tableTrimmed(line.substr(colon + 1))});
    }
    return engines;
}

std::string SearchEngineTableRefusal(std::string_view text)
{
    const size_t engines = ParseSearchEngineTable(text).size();
    if (engines == 0)
        return "holds no search engine";
    if (engines > MaxSearchEngines)
        return "holds " + std::to_string(engines) + " search engines, more than the " +
               std::to_string(MaxSearchEngines) + " the program takes";
    return {};
}

} // namespace foundation
