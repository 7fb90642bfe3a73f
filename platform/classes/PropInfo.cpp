#include "platform/classes/PropInfo.h"

#include "platform/classes/ClassErrors.h"
#include "platform/classes/Component.h"

#include <algorithm>
#include <cstring>
#include <type_traits>

namespace classes {

namespace {

char lowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

bool identStart(char16_t c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

bool identPart(char16_t c)
{
    return identStart(c) || (c >= '0' && c <= '9');
}

template <class View>
bool validIdent(const View &text, bool dotted)
{
    bool atStart = true;
    for (auto ch : text) {
        char16_t c;
        if constexpr (std::is_same_v<decltype(ch), QChar>)
            c = ch.unicode();
        else
            c = char16_t(uint8_t(ch));
        if (atStart) {
            if (!identStart(c))
                return false;
            atStart = false;
        } else if (dotted && c == '.') {
            atStart = true;
        } else if (!identPart(c)) {
            return false;
        }
    }
    return !atStart;
}

} // namespace

TEnumInfo::TEnumInfo(QString typeName, std::initializer_list<const char *> names, int minValue)
    : m_typeName(std::move(typeName))
    , m_minValue(minValue)
{
    for (const char *n : names) {
        m_names.push_back(QString::fromLatin1(n));
        m_bytes.emplace_back(n);
    }
}

const std::string *TEnumInfo::NameBytesOf(int64_t value) const
{
    if (value < m_minValue || value > MaxValue())
        return nullptr;
    return &m_bytes[size_t(value - m_minValue)];
}

int64_t TEnumInfo::ValueOf(std::string_view name) const
{
    for (size_t i = 0; i < m_bytes.size(); ++i)
        if (SameName(m_bytes[i], name))
            return m_minValue + int64_t(i);
    return -1;
}

QString TEnumInfo::NameOf(int64_t value) const
{
    if (value < m_minValue || value > MaxValue())
        return QString();
    return m_names[size_t(value - m_minValue)];
}

int64_t TEnumInfo::ValueOf(QStringView name) const
{
    for (size_t i = 0; i < m_names.size(); ++i)
        if (SameName(m_names[i], name))
            return m_minValue + int64_t(i);
    return -1;
}

const TEnumInfo &BooleanInfo()
{
    static const TEnumInfo info(QStringLiteral("Boolean"), {"False", "True"});
    return info;
}

namespace {

// Eight bytes at a time. Setting bit 5 of every byte folds ASCII capitals
// onto small letters (and a few punctuation characters together, which costs
// no more than a comparison).
size_t foldedHash(const char *data, size_t bytes)
{
    constexpr uint64_t fold = 0x2020202020202020ull;
    constexpr uint64_t k = 0x9E3779B97F4A7C15ull;
    uint64_t h = bytes * k;
    size_t i = 0;
    for (; i + 8 <= bytes; i += 8) {
        uint64_t chunk;
        std::memcpy(&chunk, data + i, 8);
        h = (h ^ (chunk | fold)) * k;
    }
    if (i < bytes) {
        // Loads of fixed sizes that may overlap: a copy of a varying length
        // would be a library call, and most names are short.
        uint64_t chunk = 0;
        if (bytes >= 8) {
            std::memcpy(&chunk, data + bytes - 8, 8);
        } else if (bytes >= 4) {
            uint32_t head = 0, tail = 0;
            std::memcpy(&head, data, 4);
            std::memcpy(&tail, data + bytes - 4, 4);
            chunk = head | (uint64_t(tail) << 32);
        } else {
            chunk = uint64_t(uint8_t(data[0])) | (uint64_t(uint8_t(data[bytes / 2])) << 8) |
                    (uint64_t(uint8_t(data[bytes - 1])) << 16);
        }
        h = (h ^ (chunk | fold)) * k;
    }
    return size_t(h ^ (h >> 29));
}

} // namespace

size_t TNameHash::operator()(std::string_view name) const
{
    return foldedHash(name.data(), name.size());
}

size_t TNameHash::operator()(QStringView name) const
{
    return foldedHash(reinterpret_cast<const char *>(name.utf16()), 2 * size_t(name.size()));
}

bool TNameEqual::operator()(std::string_view a, std::string_view b) const
{
    return SameName(a, b);
}

bool TNameEqual::operator()(QStringView a, QStringView b) const
{
    return SameName(a, b);
}

TIdentMap::TIdentMap(std::span<const TIdentMapEntry> entries)
{
    for (const TIdentMapEntry &e : entries) {
        m_byName.emplace(e.Name, e.Value);
        m_byValue.emplace(e.Value, e.Name);
    }
}

const char *TIdentMap::NameOf(int32_t value) const
{
    const auto it = m_byValue.find(value);
    return it == m_byValue.end() ? nullptr : it->second;
}

bool TIdentMap::ValueOf(std::string_view ident, int32_t &value) const
{
    const auto it = m_byName.find(ident);
    if (it == m_byName.end())
        return false;
    value = it->second;
    return true;
}

bool TIdentMap::IntToIdent(int32_t value, QString &ident) const
{
    const char *name = NameOf(value);
    if (!name)
        return false;
    ident = QString::fromLatin1(name);
    return true;
}

bool TIdentMap::IdentToInt(QStringView ident, int32_t &value) const
{
    for (QChar c : ident)
        if (c.unicode() > 0x7F)
            return false;
    return ValueOf(ident.toLatin1().toStdString(), value);
}

bool TPropInfo::IsReference() const
{
    return Kind == TTypeKind::tkClass && Class && Class->InheritsFrom(TComponent::StaticClass());
}

bool TPropInfo::IsReadOnly() const
{
    return !SetOrd && !SetFloat && !SetStr && !SetObj && !SetMethod && !SetVar;
}

bool IsValidIdent(QStringView text, bool dotted)
{
    return validIdent(text, dotted);
}

bool IsValidIdent(std::string_view text, bool dotted)
{
    return validIdent(text, dotted);
}

bool SameName(QStringView a, QStringView b)
{
    if (a.size() != b.size())
        return false;
    if (a == b)
        return true;
    for (qsizetype i = 0; i < a.size(); ++i) {
        char16_t x = a[i].unicode(), y = b[i].unicode();
        if (x == y)
            continue;
        if (x >= 'A' && x <= 'Z')
            x = char16_t(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = char16_t(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

bool SameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    if (a == b)
        return true;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i] && lowerAscii(a[i]) != lowerAscii(b[i]))
            return false;
    return true;
}

std::string AsciiLower(std::string_view text)
{
    std::string out(text);
    for (char &c : out)
        c = lowerAscii(c);
    return out;
}

} // namespace classes
