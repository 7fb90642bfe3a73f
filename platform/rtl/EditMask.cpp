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

bool isRequired(QChar c)
{
    return c == u'L' || c == u'A' || c == u'C' || c == u'0';
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
    for (qsizetype i = 0; i < bodyEnd; ++i) {
        const QChar c = mask[i];
        const bool wasAfterLower = afterLower;
        afterLower = false;
        if (c == u'\\') {
            if (i + 1 < bodyEnd)
                m_positions.push_back(Position{mask[++i], true, CharCase::Normal});
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
            m_positions.push_back(
                Position{settings.DateSeparator.isNull() ? c : settings.DateSeparator, true, CharCase::Normal});
            break;
        case u':':
            m_positions.push_back(
                Position{settings.TimeSeparator.isNull() ? c : settings.TimeSeparator, true, CharCase::Normal});
            break;
        default:
            if (isMaskChar(c))
                m_positions.push_back(Position{c, false, charCase});
            else
                m_positions.push_back(Position{c, true, CharCase::Normal});
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

QChar EditMask::convert(QChar c, CharCase charCase)
{
    switch (charCase) {
    case CharCase::Upper: return QChar(char16_t(SimpleUpperCase(c.unicode())));
    case CharCase::Lower: return QChar(char16_t(SimpleLowerCase(c.unicode())));
    default: return c;
    }
}

QString EditMask::format(QStringView value, QChar blank) const
{
    if (isEmpty())
        return value.toString();
    const int n = size();
    QString out(n, blank);
    QChar *o = out.data();
    if (!m_reversed) {
        qsizetype v = 0;
        for (int p = 0; p < n; ++p) {
            const Position &pos = m_positions[size_t(p)];
            if (pos.literal) {
                o[p] = pos.ch;
                if (v < value.size() && value[v] == pos.ch)
                    ++v;
            } else if (v < value.size()) {
                o[p] = convert(value[v++], pos.charCase);
            }
        }
    } else {
        qsizetype v = value.size() - 1;
        for (int p = n - 1; p >= 0; --p) {
            const Position &pos = m_positions[size_t(p)];
            if (pos.literal) {
                o[p] = pos.ch;
                if (v >= 0 && value[v] == pos.ch)
                    --v;
            } else if (v >= 0) {
                o[p] = convert(value[v--], pos.charCase);
            }
        }
    }
    return out;
}

QString EditMask::unformat(QStringView text) const
{
    if (isEmpty())
        return text.toString();
    const int n = size();
    auto at = [&](int p) { return p < text.size() ? text[p] : m_blank; };
    bool allBlank = true;
    for (int p = 0; p < n && allBlank; ++p)
        allBlank = m_positions[size_t(p)].literal || at(p) == m_blank;
    if (allBlank)
        return QString();
    QString out;
    out.reserve(n);
    if (m_saveLiterals) {
        for (int p = 0; p < n; ++p) {
            const Position &pos = m_positions[size_t(p)];
            out += pos.literal ? pos.ch : (at(p) == m_blank ? QChar(u' ') : at(p));
        }
        return out;
    }
    for (int p = 0; p < n; ++p)
        if (!m_positions[size_t(p)].literal)
            out += at(p);
    if (m_reversed) {
        qsizetype lead = 0;
        while (lead < out.size() && out[lead] == m_blank)
            ++lead;
        out.remove(0, lead);
    } else {
        qsizetype keep = out.size();
        while (keep > 0 && out[keep - 1] == m_blank)
            --keep;
        out.truncate(keep);
    }
    out.replace(m_blank, u' ');
    return out;
}

QString EditMask::formatUnformatted(QStringView value) const
{
    if (isEmpty() || m_saveLiterals)
        return format(value);
    const int n = size();
    QString out(n, m_blank);
    QChar *o = out.data();
    const int step = m_reversed ? -1 : 1;
    qsizetype v = m_reversed ? value.size() - 1 : 0;
    for (int p = m_reversed ? n - 1 : 0; p >= 0 && p < n; p += step) {
        const Position &pos = m_positions[size_t(p)];
        if (pos.literal) {
            o[p] = pos.ch;
        } else if (v >= 0 && v < value.size()) {
            o[p] = convert(value[v], pos.charCase);
            v += step;
        }
    }
    return out;
}

int EditMask::firstFailure(QStringView text, bool acceptBlanks) const
{
    if (text.isEmpty())
        return -1;
    for (int p = 0; p < size(); ++p) {
        const Position &pos = m_positions[size_t(p)];
        if (pos.literal || !isRequired(pos.ch))
            continue;
        const QChar c = p < text.size() ? text[p] : m_blank;
        if (acceptBlanks && c == m_blank)
            continue;
        if (c == m_blank || (c == u' ' && pos.ch != u'C'))
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

std::optional<QChar> EditMask::accept(int pos, QChar c) const
{
    if (pos < 0 || pos >= size())
        return std::nullopt;
    const Position &p = m_positions[size_t(pos)];
    if (p.literal)
        return p.ch;
    // A position holds one UTF-16 unit: half of a character beyond the
    // basic plane would split it.
    if (c.isSurrogate())
        return std::nullopt;
    switch (p.ch.unicode()) {
    case u'0':
    case u'9':
        if (isAsciiDigit(c))
            return c;
        return std::nullopt;
    case u'#':
        if (isAsciiDigit(c) || c == u' ' || c == u'+' || c == u'-')
            return c;
        return std::nullopt;
    case u'C':
    case u'c': return c.isLetter() ? convert(c, p.charCase) : c;
    case u'A':
    case u'a':
        if (c.isLetter())
            return convert(c, p.charCase);
        if (c.isLetterOrNumber())
            return c;
        return std::nullopt;
    default: // L, l
        if (c.isLetter())
            return convert(c, p.charCase);
        return std::nullopt;
    }
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

int EditMask::findLiteral(int pos, QChar c) const
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
    QString out = text.toString();
    const qsizetype from = std::max(start, 0);
    const qsizetype to = std::min<qsizetype>({qsizetype(start) + std::max(count, 0), out.size(), qsizetype(size())});
    for (qsizetype p = from; p < to; ++p)
        if (!m_positions[size_t(p)].literal)
            out[p] = m_blank;
    return out;
}

QString FormatMaskText(QStringView mask, QStringView value, const TFormatSettings &settings)
{
    return EditMask(mask, settings).format(value, u' ');
}

QString FormatMaskText(QStringView mask, QStringView value)
{
    return FormatMaskText(mask, value, FormatSettings());
}

} // namespace rtl
