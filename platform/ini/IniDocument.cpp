#include "platform/ini/IniDocument.h"

#include "platform/rtl/Win1252.h"

namespace ini {

namespace {

constexpr std::string_view LineEnd = "\r\n";

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r';
}

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool isQuote(char c)
{
    return c == '"' || c == '\'';
}

} // namespace

bool sameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    const auto &upper = rtl::AnsiUpperTable();
    for (size_t i = 0; i < a.size(); ++i)
        if (upper[uint8_t(a[i])] != upper[uint8_t(b[i])])
            return false;
    return true;
}

IniDocument::IniDocument(std::string text)
    : m_text(std::move(text))
{
    parse();
}

void IniDocument::parse()
{
    m_lines.clear();
    size_t pos = 0;
    while (pos < m_text.size()) {
        Line line;
        line.begin = pos;
        const size_t lf = m_text.find('\n', pos);
        if (lf == std::string::npos) {
            line.length = m_text.size() - pos;
            line.end = m_text.size();
        } else {
            line.length = lf - pos;
            line.end = lf + 1;
            // Only the CR of a CR LF pair belongs to the line end.
            if (line.length > 0 && m_text[lf - 1] == '\r')
                --line.length;
        }
        pos = line.end;

        const std::string_view content(m_text.data() + line.begin, line.length);
        const std::string_view body = trimmed(content);
        const size_t bodyBegin = line.begin + size_t(body.data() - content.data());
        if (body.empty()) {
            line.kind = Kind::Blank;
        } else if (body.front() == ';') {
            line.kind = Kind::Comment;
        } else if (body.front() == '[' && body.rfind(']') != std::string_view::npos) {
            const std::string_view name = trimmed(body.substr(1, body.rfind(']') - 1));
            line.kind = Kind::Section;
            line.nameBegin = size_t(name.data() - m_text.data());
            line.nameLength = name.size();
        } else {
            line.kind = Kind::Key;
            const size_t eq = body.find('=');
            const std::string_view name = trimmed(eq == std::string_view::npos ? body : body.substr(0, eq));
            line.nameBegin = size_t(name.data() - m_text.data());
            line.nameLength = name.size();
            if (eq != std::string_view::npos)
                line.equals = bodyBegin + eq;
        }
        m_lines.push_back(line);
    }
}

std::string_view IniDocument::nameOf(const Line &line) const
{
    return std::string_view(m_text.data() + line.nameBegin, line.nameLength);
}

std::string_view IniDocument::rawValueOf(const Line &line) const
{
    if (line.equals == std::string::npos)
        return {};
    const size_t from = line.equals + 1;
    return std::string_view(m_text.data() + from, line.begin + line.length - from);
}

size_t IniDocument::findSection(std::string_view section) const
{
    for (size_t i = 0; i < m_lines.size(); ++i)
        if (m_lines[i].kind == Kind::Section && sameName(nameOf(m_lines[i]), section))
            return i;
    return std::string::npos;
}

size_t IniDocument::sectionEnd(size_t header) const
{
    size_t i = header + 1;
    while (i < m_lines.size() && m_lines[i].kind != Kind::Section)
        ++i;
    return i;
}

size_t IniDocument::findKey(size_t header, std::string_view key) const
{
    const size_t end = sectionEnd(header);
    for (size_t i = header + 1; i < end; ++i)
        if (m_lines[i].kind == Kind::Key && sameName(nameOf(m_lines[i]), key))
            return i;
    return std::string::npos;
}

std::string IniDocument::decodeValue(std::string_view raw)
{
    std::string_view v = trimmed(raw);
    if (v.size() >= 2 && isQuote(v.front()) && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    return std::string(v);
}

std::string IniDocument::encodeValue(std::string_view value)
{
    const size_t lineBreak = value.find_first_of("\r\n");
    if (lineBreak != std::string_view::npos)
        value = value.substr(0, lineBreak);
    // Blanks at either end would be trimmed and a quoted value unquoted on
    // the next read; one pair of quotes around it keeps it intact.
    const bool needsQuotes =
        !value.empty() && (isBlank(value.front()) || isBlank(value.back()) ||
                           (value.size() >= 2 && isQuote(value.front()) && value.back() == value.front()));
    if (needsQuotes)
        return '"' + std::string(value) + '"';
    return std::string(value);
}

bool IniDocument::hasSection(std::string_view section) const
{
    return findSection(section) != std::string::npos;
}

std::optional<std::string> IniDocument::value(std::string_view section, std::string_view key) const
{
    const size_t header = findSection(section);
    if (header == std::string::npos)
        return std::nullopt;
    const size_t k = findKey(header, key);
    if (k == std::string::npos || m_lines[k].equals == std::string::npos)
        return std::nullopt;
    return decodeValue(rawValueOf(m_lines[k]));
}

std::vector<std::string> IniDocument::sectionNames() const
{
    std::vector<std::string> names;
    for (const Line &line : m_lines) {
        if (line.kind != Kind::Section)
            continue;
        const std::string_view name = nameOf(line);
        bool known = false;
        for (const std::string &n : names)
            known = known || sameName(n, name);
        if (!known)
            names.emplace_back(name);
    }
    return names;
}

std::vector<std::string> IniDocument::keyNames(std::string_view section) const
{
    std::vector<std::string> names;
    for (IniEntry &entry : sectionEntries(section))
        names.push_back(std::move(entry.key));
    return names;
}

std::vector<IniEntry> IniDocument::sectionEntries(std::string_view section) const
{
    std::vector<IniEntry> entries;
    const size_t header = findSection(section);
    if (header == std::string::npos)
        return entries;
    const size_t end = sectionEnd(header);
    for (size_t i = header + 1; i < end; ++i)
        if (m_lines[i].kind == Kind::Key)
            entries.push_back({std::string(nameOf(m_lines[i])), decodeValue(rawValueOf(m_lines[i]))});
    return entries;
}

void IniDocument::replaceBytes(size_t pos, size_t count, std::string_view with)
{
    m_text.replace(pos, count, with);
    parse();
}

std::string IniDocument::sectionHeaderToAppend(std::string_view section) const
{
    std::string block;
    if (!m_lines.empty()) {
        const Line &last = m_lines.back();
        if (last.end == last.begin + last.length)
            block += LineEnd; // the last line had no line end
        if (last.kind != Kind::Blank)
            block += LineEnd; // keep sections apart by a blank line
    }
    block += '[';
    block += section;
    block += ']';
    block += LineEnd;
    return block;
}

void IniDocument::addSection(std::string_view section)
{
    if (findSection(section) == std::string::npos)
        replaceBytes(m_text.size(), 0, sectionHeaderToAppend(section));
}

void IniDocument::setValue(std::string_view section, std::string_view key, std::string_view value)
{
    const std::string encoded = encodeValue(value);
    const size_t header = findSection(section);
    if (header == std::string::npos) {
        std::string block = sectionHeaderToAppend(section);
        block += key;
        block += '=';
        block += encoded;
        block += LineEnd;
        replaceBytes(m_text.size(), 0, block);
        return;
    }

    const size_t k = findKey(header, key);
    if (k != std::string::npos) {
        const Line line = m_lines[k];
        if (line.equals != std::string::npos) {
            const size_t from = line.equals + 1;
            replaceBytes(from, line.begin + line.length - from, encoded);
        } else {
            replaceBytes(line.begin + line.length, 0, "=" + encoded);
        }
        return;
    }

    // After the section's last key, so that blank lines and comments that
    // lead into the next section stay with it.
    size_t after = header;
    const size_t end = sectionEnd(header);
    for (size_t i = header + 1; i < end; ++i)
        if (m_lines[i].kind == Kind::Key)
            after = i;
    const Line &anchor = m_lines[after];
    std::string insert;
    if (anchor.end == anchor.begin + anchor.length)
        insert += LineEnd;
    insert += key;
    insert += '=';
    insert += encoded;
    insert += LineEnd;
    replaceBytes(anchor.end, 0, insert);
}

bool IniDocument::removeKey(std::string_view section, std::string_view key)
{
    const size_t header = findSection(section);
    if (header == std::string::npos)
        return false;
    bool removed = false;
    // From the back, so that the offsets of earlier lines stay valid.
    for (size_t i = sectionEnd(header); i-- > header + 1;) {
        const Line &line = m_lines[i];
        if (line.kind == Kind::Key && sameName(nameOf(line), key)) {
            m_text.erase(line.begin, line.end - line.begin);
            removed = true;
        }
    }
    if (removed)
        parse();
    return removed;
}

bool IniDocument::removeSection(std::string_view section)
{
    bool removed = false;
    for (size_t i = m_lines.size(); i-- > 0;) {
        if (m_lines[i].kind == Kind::Section && sameName(nameOf(m_lines[i]), section)) {
            const size_t end = sectionEnd(i);
            const size_t to = end < m_lines.size() ? m_lines[end].begin : m_text.size();
            m_text.erase(m_lines[i].begin, to - m_lines[i].begin);
            removed = true;
        }
    }
    if (removed)
        parse();
    return removed;
}

} // namespace ini
