#pragma once

// The reading of the engine table "ZVO-SearchEngines.txt": the program's own
// reader, which the update also uses to judge a table before installing it.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace foundation {

struct TSearchEngineEntry
{
    std::string Name;
    std::string URLTemplate;
};

inline constexpr const char *SearchEngineFileName = "ZVO-SearchEngines.txt";

// The most engines the program takes from a table. Each is a list column, a
// popup entry and a query per site; the window is made for some dozens, and
// a table of tens of thousands held the start for minutes. The rest of a
// longer table is left out.
inline constexpr size_t MaxSearchEngines = 1000;

// Whether a line of the table names an engine: it holds ":http://" (any case).
bool IsSearchEngineLine(std::string_view line);

// The engines of a table in file order. Lines end in CR LF or a lone LF;
// every line that is not an engine line is skipped.
std::vector<TSearchEngineEntry> ParseSearchEngineTable(std::string_view text);

// Why the program could not use this table as its engine table; empty when
// it can.
std::string SearchEngineTableRefusal(std::string_view text);

} // namespace foundation
