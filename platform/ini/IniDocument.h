#pragma once

// An INI text held in memory and edited in place. Lookups follow the rules of
// the Windows private-profile calls that existing "Options.ini" files were
// written for: section and key names match without regard to case (the
// Windows-1252 upper-case table), values lose their surrounding blanks and one
// pair of surrounding quotes, the first of duplicate keys wins, and ";" starts
// a comment line. Edits touch only the line they change or insert; every other
// byte of the text - foreign sections and keys, comments, blank lines, odd
// line ends, even binary garbage - stays exactly as it was.
//
// This class uses no Qt so that it can be fuzzed on its own.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ini {

struct IniEntry
{
    std::string key;
    std::string value;
    friend bool operator==(const IniEntry &, const IniEntry &) = default;
};

class IniDocument
{
public:
    IniDocument() = default;
    explicit IniDocument(std::string text);

    const std::string &text() const { return m_text; }

    bool hasSection(std::string_view section) const;
    // The value of the first matching key of the first matching section;
    // nullopt when the section or key is missing or the key line has no "=".
    std::optional<std::string> value(std::string_view section, std::string_view key) const;
    // Distinct section names in file order, as written in the file.
    std::vector<std::string> sectionNames() const;
    // Key names of the section in file order (duplicates included).
    std::vector<std::string> keyNames(std::string_view section) const;
    // Every key of the section with its value as value() reads it.
    std::vector<IniEntry> sectionEntries(std::string_view section) const;

    // Replaces the first matching key's value in its line, or appends the key
    // at the end of its section, or appends the section at the end of the text.
    // A line break in the value ends it, so that a value can never inject lines.
    void setValue(std::string_view section, std::string_view key, std::string_view value);
    // Appends an empty section unless one of that name exists.
    void addSection(std::string_view section);
    // Removes every line of the key in the section; false when there was none.
    bool removeKey(std::string_view section, std::string_view key);
    // Removes every section of that name with all its lines.
    bool removeSection(std::string_view section);

    // How setValue writes a value so that value() reads it back unchanged.
    static std::string encodeValue(std::string_view value);
    // What value() makes of the raw text after "=".
    static std::string decodeValue(std::string_view raw);

private:
    enum class Kind { Blank, Comment, Section, Key, Other };
    struct Line
    {
        size_t begin = 0;  // first byte of the line
        size_t length = 0; // content without the line end
        size_t end = 0;    // first byte after the line end
        Kind kind = Kind::Other;
        size_t nameBegin = 0; // section or key name, trimmed
        size_t nameLength = 0;
        size_t equals = std::string::npos; // position of "=" in a key line
    };

    void parse();
    std::string_view nameOf(const Line &line) const;
    std::string_view rawValueOf(const Line &line) const;
    // Index of the header line of the first matching section, or npos.
    size_t findSection(std::string_view section) const;
    // One past the last line of the section whose header is at `header`.
    size_t sectionEnd(size_t header) const;
    size_t findKey(size_t header, std::string_view key) const;
    std::string sectionHeaderToAppend(std::string_view section) const;
    void replaceBytes(size_t pos, size_t count, std::string_view with);

    std::string m_text;
    std::vector<Line> m_lines;
};

// Compares two names without regard to case in Windows-1252.
bool sameName(std::string_view a, std::string_view b);

} // namespace ini
