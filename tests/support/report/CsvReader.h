#pragma once

// Reads comma-separated text (RFC 4180: fields in double quotes may hold
// commas, line breaks and doubled quotes; rows end with CR LF or LF) in
// UTF-8 with an optional byte-order mark. The first row names the fields; a
// column whose every value is a number is numeric. Standard library only,
// so that a fuzz target compiles it alone.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace reportcsv {

struct CsvTable
{
    std::vector<std::string> names;
    std::vector<std::vector<std::string>> rows;
    // Per column: it has at least one row and every value is a number.
    std::vector<bool> numeric;
};

struct CsvError
{
    // The line the offending row starts on, from 1.
    std::size_t line = 0;
    std::string message;
};

// Takes the rows of a table one by one, as they are read.
class CsvRowSink
{
public:
    virtual ~CsvRowSink() = default;
    // Before any row.
    virtual void Names(const std::vector<std::string> &aNames) = 0;
    // A row with a field per name; the fields may be moved from.
    virtual void Row(std::vector<std::string> &aFields) = 0;
};

// ParseCsv without keeping the rows: each goes to aSink as it is read, and
// aNumeric tells the numeric columns at the end. A text that proves to be no
// table may have handed rows to aSink before the answer false.
bool ReadCsv(std::string_view aText, CsvRowSink &aSink, std::vector<bool> &aNumeric, CsvError &aError);

// False with the error for text that is no table: nothing at all, invalid
// UTF-8, a NUL, a quote left open, text after a closing quote, a row with
// another number of fields than the first, an empty or repeated name.
bool ParseCsv(std::string_view aText, CsvTable &aTable, CsvError &aError);

// A decimal number: optional sign, digits with an optional fraction (or a
// fraction alone), an optional exponent; no blanks.
bool IsCsvNumber(std::string_view aText);

} // namespace reportcsv
