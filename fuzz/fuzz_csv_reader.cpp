// Feeds arbitrary bytes to the CSV reader and checks what the demonstration
// program relies on: a table it accepts is rectangular, its names are
// unique and not empty, and a column it calls numeric holds numbers only.

#include "tests/support/report/CsvReader.h"

#include <cstdint>
#include <cstdlib>
#include <set>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    reportcsv::CsvTable table;
    reportcsv::CsvError error;
    if (!reportcsv::ParseCsv(std::string_view(reinterpret_cast<const char *>(data), size), table, error)) {
        if (error.line == 0 || error.message.empty())
            std::abort();
        return 0;
    }
    const std::set<std::string> names(table.names.begin(), table.names.end());
    if (names.size() != table.names.size() || names.count(std::string()) != 0)
        std::abort();
    if (table.numeric.size() != table.names.size())
        std::abort();
    for (const auto &row : table.rows) {
        if (row.size() != table.names.size())
            std::abort();
        for (size_t c = 0; c < row.size(); ++c)
            if (table.numeric[c] && !reportcsv::IsCsvNumber(row[c]))
                std::abort();
    }
    return 0;
}
