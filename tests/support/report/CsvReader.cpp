#include "tests/support/report/CsvReader.h"

#include <set>

namespace reportcsv {

namespace {

// The length of the UTF-8 sequence at aText[aPos], 0 when it is invalid
// (overlong forms, surrogates and values past U+10FFFF included).
std::size_t csvUtf8Length(std::string_view aText, std::size_t aPos)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(aText[i]); };
    const unsigned char lead = byte(aPos);
    if (lead < 0x80)
        return 1;
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;
        if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        if (lead == 0xF4)
            high = 0x8F;
    } else
        return 0;
    if (aPos + length > aText.size())
        return 0;
    if (byte(aPos + 1) < low || byte(aPos + 1) > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (byte(aPos + i) < 0x80 || byte(aPos + i) > 0xBF)
            return 0;
    return length;
}

bool csvFail(CsvError &aError, std::size_t aLine, const char *aMessage)
{
    aError.line = aLine;
    aError.message = aMessage;
    return false;
}

} // namespace

bool IsCsvNumber(std::string_view aText)
{
    std::size_t i = 0;
    const auto digits = [&] {
        const std::size_t start = i;
        while (i < aText.size() && aText[i] >= '0' && aText[i] <= '9')
            ++i;
        return i - start;
    };
    if (i < aText.size() && (aText[i] == '+' || aText[i] == '-'))
        ++i;
    std::size_t mantissa = digits();
    if (i < aText.size() && aText[i] == '.') {
        ++i;
        mantissa += digits();
    }
    if (mantissa == 0)
        return false;
    if (i < aText.size() && (aText[i] == 'e' || aText[i] == 'E')) {
        ++i;
        if (i < aText.size() && (aText[i] == '+' || aText[i] == '-'))
            ++i;
        if (digits() == 0)
            return false;
    }
    return i == aText.size();
}

bool ParseCsv(std::string_view aText, CsvTable &aTable, CsvError &aError)
{
    aTable = CsvTable();
    if (aText.substr(0, 3) == "\xEF\xBB\xBF")
        aText.remove_prefix(3);
    if (aText.empty())
        return csvFail(aError, 1, "the file is empty");

    std::vector<std::vector<std::string>> records;
    std::vector<std::string> record;
    std::string field;
    std::size_t line = 1;
    std::size_t recordLine = 1;
    bool quoted = false;     // inside a quoted field
    bool afterQuote = false; // a quoted field just closed
    std::size_t quoteLine = 1;
    std::vector<std::size_t> recordLines;

    const auto endRecord = [&] {
        // Blank lines hold no row.
        if (record.empty() && field.empty() && !afterQuote)
            return;
        record.push_back(std::move(field));
        field.clear();
        records.push_back(std::move(record));
        record.clear();
        recordLines.push_back(recordLine);
        afterQuote = false;
    };

    std::size_t i = 0;
    while (i < aText.size()) {
        const char c = aText[i];
        if (c == '\0')
            return csvFail(aError, line, "the file holds a NUL character");
        const std::size_t length = csvUtf8Length(aText, i);
        if (length == 0)
            return csvFail(aError, line, "the file is not valid UTF-8");
        if (length > 1) {
            if (afterQuote)
                return csvFail(aError, line, "text follows a closing quote");
            field.append(aText.substr(i, length));
            i += length;
            continue;
        }
        if (quoted) {
            if (c == '"') {
                if (i + 1 < aText.size() && aText[i + 1] == '"') {
                    field += '"';
                    i += 2;
                    continue;
                }
                quoted = false;
                afterQuote = true;
            } else {
                if (c == '\n')
                    ++line;
                field += c;
            }
            ++i;
            continue;
        }
        if (c == ',') {
            record.push_back(std::move(field));
            field.clear();
            afterQuote = false;
            ++i;
            continue;
        }
        if (c == '\n' || (c == '\r' && i + 1 < aText.size() && aText[i + 1] == '\n')) {
            endRecord();
            i += c == '\r' ? 2 : 1;
            ++line;
            recordLine = line;
            continue;
        }
        if (afterQuote)
            return csvFail(aError, line, "text follows a closing quote");
        if (c == '"' && field.empty()) {
            quoted = true;
            quoteLine = line;
            ++i;
            continue;
        }
        // A quote inside an unquoted field, or a lone CR, stays as it is.
        field += c;
        ++i;
    }
    if (quoted)
        return csvFail(aError, quoteLine, "a quoted field is not closed");
    // The last row needs no line break.
    if (!field.empty() || !record.empty() || afterQuote)
        endRecord();
    if (records.empty())
        return csvFail(aError, 1, "the file is empty");

    aTable.names = std::move(records.front());
    std::set<std::string> seen;
    for (const std::string &name : aTable.names) {
        if (name.empty())
            return csvFail(aError, 1, "a field has no name");
        if (!seen.insert(name).second)
            return csvFail(aError, 1, "a field name is repeated");
    }
    const std::size_t columns = aTable.names.size();
    for (std::size_t r = 1; r < records.size(); ++r)
        if (records[r].size() != columns)
            return csvFail(aError, recordLines[r], "the row has another number of fields than the first");
    aTable.rows.assign(std::make_move_iterator(records.begin() + 1), std::make_move_iterator(records.end()));
    aTable.numeric.assign(columns, !aTable.rows.empty());
    for (const auto &row : aTable.rows)
        for (std::size_t c = 0; c < columns; ++c)
            if (aTable.numeric[c] && !IsCsvNumber(row[c]))
                aTable.numeric[c] = false;
    return true;
}

} // namespace reportcsv
