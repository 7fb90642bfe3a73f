#include "platform/classes/PropInfo.h"

#include "platform/classes/ClassErrors.h"
#include "platform/classes/Component.h"

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

bool sameLatin1(const char *a, QStringView b)
{
    qsizetype i = 0;
    for (; a[i]; ++i) {
        if (i >= b.size())
            return false;
        char16_t x = char16_t(uint8_t(a[i])), y = b[i].unicode();
        if (x >= 'A' && x <= 'Z')
            x = char16_t(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = char16_t(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return i == b.size();
}

} // namespace

std::string messageText(const QString &text)
{
    return text.toStdString();
}

TEnumInfo::TEnumInfo(QString typeName, std::initializer_list<const char *> names, int minValue)
    : m_typeName(std::move(typeName))
    , m_minValue(minValue)
{
    for (const char *n : names)
        m_names.push_back(QString::fromLatin1(n));
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

bool TIdentMap::IntToIdent(int32_t value, QString &ident) const
{
    for (const TIdentMapEntry &e : m_entries)
        if (e.Value == value) {
            ident = QString::fromLatin1(e.Name);
            return true;
        }
    return false;
}

bool TIdentMap::IdentToInt(QStringView ident, int32_t &value) const
{
    for (const TIdentMapEntry &e : m_entries)
        if (sameLatin1(e.Name, ident)) {
            value = e.Value;
            return true;
        }
    return false;
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

std::string AsciiLower(std::string_view text)
{
    std::string out(text);
    for (char &c : out)
        c = lowerAscii(c);
    return out;
}

} // namespace classes
