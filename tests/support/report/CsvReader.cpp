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

bool ReadCsv(std::string_view aText, CsvRowSink &aSink, std::vector<bool> &aNumeric, CsvError &aError)
{
    aNumeric.clear();
    if (aText.substr(0, 3) == "\xEF\xBB\xBF")
        aText.remove_prefix(3);
    if (aText.empty())
        return csvFail(aError, 1, "the file is empty");

    // The fields of the row being read, the first `used` of them; their
    // strings are used again row after row.
    std::vector<std::string> record;
    std::size_t used = 0;
    std::string field;
    std::vector<std::string> names;
    bool named = false;
    std::size_t rows = 0;
    // The first row with another number of fields; the rest of the text is
    // still read, so that a fault in it is the one reported, as it comes first.
    std::size_t unevenLine = 0;
    std::size_t line = 1;
    std::size_t recordLine = 1;
    bool quoted = false;     // inside a quoted field
    bool afterQuote = false; // a quoted field just closed
    std::size_t quoteLine = 1;

    const auto endField = [&] {
        if (used == record.size())
            record.emplace_back();
        record[used].swap(field);
        field.clear();
        ++used;
        afterQuote = false;
    };
    const auto endRecord = [&] {
        // Blank lines hold no row.
        if (used == 0 && field.empty() && !afterQuote)
            return;
        endField();
        if (!named) {
            names.assign(std::make_move_iterator(record.begin()),
                         std::make_move_iterator(record.begin() + std::ptrdiff_t(used)));
            named = true;
            aNumeric.assign(names.size(), true);
            aSink.Names(names);
        } else if (unevenLine == 0 && used != names.size()) {
            unevenLine = recordLine;
        } else if (unevenLine == 0) {
            record.resize(used);
            for (std::size_t c = 0; c < used; ++c)
                if (aNumeric[c] && !IsCsvNumber(record[c]))
                    aNumeric[c] = false;
            aSink.Row(record);
            ++rows;
        }
        used = 0;
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
            endField();
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
        // Plain runs are taken whole.
        std::size_t run = i + 1;
        while (run < aText.size()) {
            const char next = aText[run];
            if (next == ',' || next == '\n' || next == '\r' || next == '"' || next == '\0' ||
                static_cast<unsigned char>(next) >= 0x80)
                break;
            ++run;
        }
        field.append(aText.substr(i, run - i));
        i = run;
    }
    if (quoted)
        return csvFail(aError, quoteLine, "a quoted field is not closed");
    // The last row needs no line break.
    if (!field.empty() || used > 0 || afterQuote)
        endRecord();
    if (!named)
        return csvFail(aError, 1, "the file is empty");

    std::set<std::string> seen;
    for (const std::string &name : names) {
        if (name.empty())
            return csvFail(aError, 1, "a field has no name");
        if (!seen.insert(name).second)
            return csvFail(aError, 1, "a field name is repeated");
    }
    if (unevenLine != 0)
        return csvFail(aError, unevenLine, "the row has another number of fields than the first");
    if (rows == 0)
        aNumeric.assign(names.size(), false);
    return true;
}

bool ParseCsv(std::string_view aText, CsvTable &aTable, CsvError &aError)
{
    struct Rows : CsvRowSink
    {
        explicit Rows(CsvTable &aTable)
            : table(aTable)
        {}
        void Names(const std::vector<std::string> &aNames) override { table.names = aNames; }
        void Row(std::vector<std::string> &aFields) override { table.rows.push_back(aFields); }
        CsvTable &table;
    };
    aTable = CsvTable();
    Rows rows(aTable);
    if (ReadCsv(aText, rows, aTable.numeric, aError))
        return true;
    aTable = CsvTable();
    return false;
}

} // namespace reportcsv
