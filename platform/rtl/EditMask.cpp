#include "platform/rtl/EditMask.h"

#include "platform/rtl/QtText.h"
#include "platform/rtl/SimpleCase.h"

#include <algorithm>

namespace rtl {

namespace {

bool isMaskChar(QChar c)
{
    switch (c.unicode()) {
    case u'L':
    case u'l':
    case u'A':
    case u'a':
    case u'C':
    case u'c':
    case u'0':
    case u'9':
    case u'#': return true;
    default: return false;
    }
}

bool isRequired(char32_t c)
{
    return c == U'L' || c == U'A' || c == U'C' || c == U'0';
}

QString fromCharacters(const std::vector<char32_t> &chars)
{
    QString out;
    out.reserve(qsizetype(chars.size()));
    for (const char32_t c : chars) {
        if (QChar::requiresSurrogates(c)) {
            out += QChar(QChar::highSurrogate(c));
            out += QChar(QChar::lowSurrogate(c));
        } else {
            out += QChar(char16_t(c));
        }
    }
    return out;
}

} // namespace

EditMask::EditMask(QStringView mask)
    : EditMask(mask, FormatSettings())
{}

EditMask::EditMask(QStringView mask, const TFormatSettings &settings)
{
    const qsizetype n = mask.size();
    // A character after a single backslash is a literal, so "\;" never
    // separates fields.
    auto escaped = [&](qsizetype i) { return i > 0 && mask[i - 1] == u'\\' && !(i > 1 && mask[i - 2] == u'\\'); };
    auto isSeparator = [&](qsizetype i) { return n >= 4 && i >= n - 4 && mask[i] == u';' && !escaped(i); };
    qsizetype separators[4];
    int separatorCount = 0;
    for (qsizetype i = std::max<qsizetype>(0, n - 4); i < n; ++i)
        if (isSeparator(i))
            separators[separatorCount++] = i;
    const qsizetype bodyEnd = separatorCount > 0 ? separators[0] : n;
    if (separatorCount > 0) {
        const qsizetype save = separators[0] + 1;
        m_saveLiterals = !(save < n && mask[save] == u'0' && !isSeparator(save));
        if (separatorCount > 1 && separators[separatorCount - 1] == n - 2)
            m_blank = mask[n - 1];
    }

    CharCase charCase = CharCase::Normal;
    bool afterLower = false; // "<>" switches conversion off
    // A literal beyond the basic plane is one position, as a character of
    // the value is.
    auto literalAt = [&](qsizetype &i) -> char32_t {
        const char16_t u = mask[i].unicode();
        if (QChar::isHighSurrogate(u) && i + 1 < bodyEnd && mask[i + 1].isLowSurrogate())
            return QChar::surrogateToUcs4(u, mask[++i].unicode());
        return u;
    };
    for (qsizetype i = 0; i < bodyEnd; ++i) {
        const QChar c = mask[i];
        const bool wasAfterLower = afterLower;
        afterLower = false;
        if (c == u'\\') {
            if (i + 1 < bodyEnd)
                m_positions.push_back(Position{literalAt(++i), true, CharCase::Normal});
            continue; // a trailing backslash stands for nothing
        }
        switch (c.unicode()) {
        case u'!': m_reversed = true; break;
        case u'>': charCase = wasAfterLower ? CharCase::Normal : CharCase::Upper; break;
        case u'<':
            charCase = CharCase::Lower;
            afterLower = true;
            break;
        case u'/':
            m_positions.push_back(Position{(settings.DateSeparator.isNull() ? c : settings.DateSeparator).unicode(),
                                           true, CharCase::Normal});
            break;
        case u':':
            m_positions.push_back(Position{(settings.TimeSeparator.isNull() ? c : settings.TimeSeparator).unicode(),
                                           true, CharCase::Normal});
            break;
        default:
            if (isMaskChar(c))
                m_positions.push_back(Position{c.unicode(), false, charCase});
            else
                m_positions.push_back(Position{literalAt(i), true, CharCase::Normal});
            break;
        }
    }
}

bool EditMask::isEditable(int pos) const
{
    return pos >= 0 && pos < size() && !m_positions[size_t(pos)].literal;
}

bool EditMask::isLiteral(int pos) const
{
    return pos >= 0 && pos < size() && m_positions[size_t(pos)].literal;
}

char32_t EditMask::convert(char32_t c, CharCase charCase)
{
    if (QChar::isSurrogate(c))
        return c;
    switch (charCase) {
    case CharCase::Upper: return SimpleUpperCase(c);
    case CharCase::Lower: return SimpleLowerCase(c);
    default: return c;
    }
}

QString EditMask::format(QStringView value, QChar blank) const
{
    if (isEmpty())
        return value.toString();
    const std::vector<char32_t> chars = MaskCharacters(value);
    const int n = size();
    std::vector<char32_t> out(size_t(n), blank.unicode());
    if (!m_reversed) {
        size_t v = 0;
        for (int p = 0; p < n; ++p) {
            const Position &pos = m_positions[size_t(p)];
            if (pos.literal) {
                out[size_t(p)] = pos.ch;
                if (v < chars.size() && chars[v] == pos.ch)
                    ++v;
            } else if (v < chars.size()) {
                out[size_t(p)] = convert(chars[v++], pos.charCase);
            }
        }
    } else {
        qsizetype v = qsizetype(chars.size()) - 1;
        for (int p = n - 1; p >= 0; --p) {
            const Position &pos = m_positions[size_t(p)];
            if (pos.literal) {
                out[size_t(p)] = pos.ch;
                if (v >= 0 && chars[size_t(v)] == pos.ch)
                    --v;
            } else if (v >= 0) {
                out[size_t(p)] = convert(chars[size_t(v--)], pos.charCase);
            }
        }
    }
    return fromCharacters(out);
}

QString EditMask::unformat(QStringView text) const
{
    if (isEmpty())
        return text.toString();
    const int n = size();
    const std::vector<char32_t> chars = MaskCharacters(text);
    const char32_t blank = m_blank.unicode();
    auto at = [&](int p) { return size_t(p) < chars.size() ? chars[size_t(p)] : blank; };
    bool allBlank = true;
    for (int p = 0; p < n && allBlank; ++p)
        allBlank = m_positions[size_t(p)].literal || at(p) == blank;
    if (allBlank)
        return QString();
    std::vector<char32_t> out;
    out.reserve(size_t(n));
    if (m_saveLiterals) {
        for (int p = 0; p < n; ++p) {
            const Position &pos = m_positions[size_t(p)];
            out.push_back(pos.literal ? pos.ch : (at(p) == blank ? U' ' : at(p)));
        }
        return fromCharacters(out);
    }
    for (int p = 0; p < n; ++p)
        if (!m_positions[size_t(p)].literal)
            out.push_back(at(p));
    if (m_reversed) {
        const auto lead = std::find_if(out.begin(), out.end(), [&](char32_t c) { return c != blank; });
        out.erase(out.begin(), lead);
    } else {
        while (!out.empty() && out.back() == blank)
            out.pop_back();
    }
    std::replace(out.begin(), out.end(), blank, U' ');
    return fromCharacters(out);
}

QString EditMask::formatUnformatted(QStringView value) const
{
    if (isEmpty() || m_saveLiterals)
        return format(value);
    const std::vector<char32_t> chars = MaskCharacters(value);
    const int n = size();
    std::vector<char32_t> out(size_t(n), m_blank.unicode());
    const int step = m_reversed ? -1 : 1;
    qsizetype v = m_reversed ? qsizetype(chars.size()) - 1 : 0;
    for (int p = m_reversed ? n - 1 : 0; p >= 0 && p < n; p += step) {
        const Position &pos = m_positions[size_t(p)];
        if (pos.literal) {
            out[size_t(p)] = pos.ch;
        } else if (v >= 0 && v < qsizetype(chars.size())) {
            out[size_t(p)] = convert(chars[size_t(v)], pos.charCase);
            v += step;
        }
    }
    return fromCharacters(out);
}

int EditMask::firstFailure(QStringView text, bool acceptBlanks) const
{
    if (text.isEmpty())
        return -1;
    const std::vector<char32_t> chars = MaskCharacters(text);
    const char32_t blank = m_blank.unicode();
    for (int p = 0; p < size(); ++p) {
        const Position &pos = m_positions[size_t(p)];
        if (pos.literal || !isRequired(pos.ch))
            continue;
        const char32_t c = size_t(p) < chars.size() ? chars[size_t(p)] : blank;
        if (acceptBlanks && c == blank)
            continue;
        if (c == blank || (c == U' ' && pos.ch != U'C'))
            return p;
    }
    return -1;
}

int EditMask::check(QStringView text) const
{
    return firstFailure(text, false);
}

int EditMask::checkAcceptingBlanks(QStringView text) const
{
    return firstFailure(text, true);
}

std::optional<char32_t> EditMask::acceptCharacter(int pos, char32_t c) const
{
    if (pos < 0 || pos >= size())
        return std::nullopt;
    const Position &p = m_positions[size_t(pos)];
    if (p.literal)
        return p.ch;
    // Half of a pair is no character: it would split one.
    if (QChar::isSurrogate(c) || c > QChar::LastValidCodePoint)
        return std::nullopt;
    switch (p.ch) {
    case U'0':
    case U'9':
        if (c >= U'0' && c <= U'9')
            return c;
        return std::nullopt;
    case U'#':
        if ((c >= U'0' && c <= U'9') || c == U' ' || c == U'+' || c == U'-')
            return c;
        return std::nullopt;
    case U'C':
    case U'c': return QChar::isLetter(c) ? convert(c, p.charCase) : c;
    case U'A':
    case U'a':
        if (QChar::isLetter(c))
            return convert(c, p.charCase);
        if (QChar::isLetterOrNumber(c))
            return c;
        return std::nullopt;
    default: // L, l
        if (QChar::isLetter(c))
            return convert(c, p.charCase);
        return std::nullopt;
    }
}

std::optional<QChar> EditMask::accept(int pos, QChar c) const
{
    if (c.isSurrogate())
        return std::nullopt;
    const std::optional<char32_t> accepted = acceptCharacter(pos, char32_t(c.unicode()));
    if (!accepted || QChar::requiresSurrogates(*accepted))
        return std::nullopt;
    return QChar(char16_t(*accepted));
}

int EditMask::nextEditable(int pos) const
{
    int p = std::max(pos, 0);
    while (p < size() && m_positions[size_t(p)].literal)
        ++p;
    return std::min(p, size());
}

int EditMask::previousEditable(int pos) const
{
    for (int p = std::min(pos, size() - 1); p >= 0; --p)
        if (!m_positions[size_t(p)].literal)
            return p;
    return firstEditable();
}

int EditMask::findLiteral(int pos, char32_t c) const
{
    if (pos >= size())
        return -1;
    for (int p = std::max(pos + 1, 0); p < size(); ++p) {
        const Position &q = m_positions[size_t(p)];
        if (q.literal && q.ch == c)
            return p;
    }
    return -1;
}

QString EditMask::blankRange(QStringView text, int start, int count) const
{
    std::vector<char32_t> chars = MaskCharacters(text);
    const qsizetype from = std::max(start, 0);
    const qsizetype to =
        std::min<qsizetype>({qsizetype(start) + std::max(count, 0), qsizetype(chars.size()), qsizetype(size())});
    for (qsizetype p = from; p < to; ++p)
        if (!m_positions[size_t(p)].literal)
            chars[size_t(p)] = m_blank.unicode();
    return fromCharacters(chars);
}

int EditMask::length(QStringView text)
{
    return int(MaskCharacters(text).size());
}

QString FormatMaskText(QStringView mask, QStringView value, const TFormatSettings &settings)
{
    return EditMask(mask, settings).format(value, u' ');
}

QString FormatMaskText(QStringView mask, QStringView value)
{
    return FormatMaskText(mask, value, FormatSettings());
}

std::vector<char32_t> MaskCharacters(QStringView text)
{
    std::vector<char32_t> out;
    out.reserve(size_t(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        if (QChar::isHighSurrogate(u) && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            out.push_back(QChar::surrogateToUcs4(u, text[++i].unicode()));
        else
            out.push_back(u);
    }
    return out;
}

} // namespace rtl
