#include "foundation/FastStrings.h"

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Win1252.h"

#include <algorithm>
#include <cstring>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace foundation {

namespace {

constexpr size_t NotFound = std::string_view::npos;

const uint8_t *bytesOf(std::string_view s)
{
    return reinterpret_cast<const uint8_t *>(s.data());
}

// A smaller skip is always safe (it only costs speed), so a pattern beyond the
// entry range simply skips less.
uint32_t skipValue(size_t distance)
{
    return distance > std::numeric_limits<uint32_t>::max() ? std::numeric_limits<uint32_t>::max() : uint32_t(distance);
}

template <bool NoCase>
void makeTable(std::string_view pattern, TSkipTable &table)
{
    if (pattern.empty())
        throw rtl::Exception("BufferLen is 0");
    const auto &upper = rtl::AnsiUpperTable();
    const uint8_t *p = bytesOf(pattern);
    const size_t m = pattern.size();
    table.fill(skipValue(m));
    for (size_t i = 0; i + 1 < m; ++i)
        table[NoCase ? upper[p[i]] : p[i]] = skipValue(m - 1 - i);
}

template <bool NoCase>
inline bool sameByte(const std::array<uint8_t, 256> &upper, uint8_t a, uint8_t b)
{
    if constexpr (NoCase)
        return upper[a] == upper[b];
    else
        return a == b;
}

template <bool NoCase>
inline bool sameBytes(const std::array<uint8_t, 256> &upper, const uint8_t *a, const uint8_t *b, size_t n)
{
    if constexpr (NoCase) {
        for (size_t k = 0; k < n; ++k)
            if (upper[a[k]] != upper[b[k]])
                return false;
        return true;
    } else {
        return n == 0 || std::memcmp(a, b, n) == 0;
    }
}

// Horspool search with the table indexed by the raw text byte (for the
// no-case rule the caller has already folded the index through the upper
// table, which saves one dependent load per step). The skip loop runs on a
// copy of the table whose entry for the pattern's last byte is 0, so that the
// loop only stops at candidates; three unchecked steps are taken while the
// window cannot run off the text.
template <bool NoCase>
size_t horspool(std::string_view text, std::string_view pattern, const uint32_t *shift)
{
    const size_t n = text.size();
    const size_t m = pattern.size();
    if (m == 0 || m > n)
        return NotFound;
    const auto &upper = rtl::AnsiUpperTable();
    const uint8_t *t = bytesOf(text);
    const uint8_t *p = bytesOf(pattern);
    const uint8_t last = p[m - 1];

    // Entries are clamped to at least 1 and the unchecked steps to the largest
    // entry, so that even a table made for another pattern cannot make the
    // loop stall or read past the text.
    uint32_t zeroed[256];
    size_t maxStep = 1;
    for (int b = 0; b < 256; ++b) {
        zeroed[b] = sameByte<NoCase>(upper, uint8_t(b), last) ? 0 : std::max<uint32_t>(shift[b], 1);
        maxStep = std::max<size_t>(maxStep, zeroed[b]);
    }
    const size_t lastShift = std::max<uint32_t>(shift[last], 1);

    size_t i = m - 1; // text index under the pattern's last byte
    for (;;) {
        uint32_t k = 1;
        while (i < n && n - i > 2 * maxStep) {
            k = zeroed[t[i]];
            i += k;
            k = zeroed[t[i]];
            i += k;
            k = zeroed[t[i]];
            i += k;
            if (k == 0)
                break;
        }
        if (k != 0) {
            while (i < n && (k = zeroed[t[i]]) != 0)
                i += k;
            if (i >= n)
                return NotFound;
        }
        const size_t begin = i - (m - 1);
        if (sameBytes<NoCase>(upper, t + begin, p, m))
            return begin;
        i += lastShift;
    }
}

template <bool NoCase>
size_t tableFind(std::string_view text, std::string_view pattern, const TSkipTable &table)
{
    if constexpr (NoCase) {
        const auto &upper = rtl::AnsiUpperTable();
        uint32_t raw[256];
        for (int b = 0; b < 256; ++b)
            raw[b] = table[upper[size_t(b)]];
        return horspool<true>(text, pattern, raw);
    } else {
        return horspool<false>(text, pattern, table.data());
    }
}

#if defined(__SSE2__)

// For each byte, the other byte with the same upper-case form (the byte
// itself when it has none), and whether that pair covers the whole class.
struct CasePartners
{
    std::array<uint8_t, 256> partner{};
    std::array<bool, 256> pairOnly{};
};

CasePartners makeCasePartners()
{
    const auto &upper = rtl::AnsiUpperTable();
    CasePartners cp;
    std::array<int, 256> classSize{};
    for (int b = 0; b < 256; ++b)
        ++classSize[upper[size_t(b)]];
    for (int b = 0; b < 256; ++b) {
        cp.partner[size_t(b)] = uint8_t(b);
        cp.pairOnly[size_t(b)] = classSize[upper[size_t(b)]] <= 2;
        for (int o = 0; o < 256; ++o)
            if (o != b && upper[size_t(o)] == upper[size_t(b)])
                cp.partner[size_t(b)] = uint8_t(o);
    }
    return cp;
}

const CasePartners &casePartners()
{
    static const CasePartners partners = makeCasePartners();
    return partners;
}

// Filters 16 window starts at a time by the pattern's first and last bytes
// (and their case partners) and verifies only the candidates, lowest first,
// so the first match found is the leftmost one, as the skip-table search
// finds it.
template <bool NoCase>
size_t blockFind(std::string_view text, std::string_view pattern)
{
    const size_t n = text.size();
    const size_t m = pattern.size();
    if (m == 0 || m > n)
        return NotFound;
    const auto &upper = rtl::AnsiUpperTable();
    const auto &cp = casePartners();
    const uint8_t *t = bytesOf(text);
    const uint8_t *p = bytesOf(pattern);
    const uint8_t first = p[0];
    const uint8_t last = p[m - 1];
    const __m128i f1 = _mm_set1_epi8(char(first));
    const __m128i l1 = _mm_set1_epi8(char(last));
    const __m128i f2 = _mm_set1_epi8(char(NoCase ? cp.partner[first] : first));
    const __m128i l2 = _mm_set1_epi8(char(NoCase ? cp.partner[last] : last));
    const size_t middle = m > 2 ? m - 2 : 0;

    size_t i = 0;
    for (; n - i >= m - 1 + 16; i += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(t + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(t + i + m - 1));
        __m128i ea = _mm_cmpeq_epi8(a, f1);
        __m128i eb = _mm_cmpeq_epi8(b, l1);
        if constexpr (NoCase) {
            ea = _mm_or_si128(ea, _mm_cmpeq_epi8(a, f2));
            eb = _mm_or_si128(eb, _mm_cmpeq_epi8(b, l2));
        }
        unsigned mask = unsigned(_mm_movemask_epi8(_mm_and_si128(ea, eb)));
        while (mask != 0) {
            const size_t at = i + size_t(__builtin_ctz(mask));
            if (sameBytes<NoCase>(upper, t + at + 1, p + 1, middle))
                return at;
            mask &= mask - 1;
        }
    }
    for (; n - i >= m; ++i)
        if (sameByte<NoCase>(upper, t[i], first) && sameByte<NoCase>(upper, t[i + m - 1], last) &&
            sameBytes<NoCase>(upper, t + i + 1, p + 1, middle))
            return i;
    return NotFound;
}

#endif

// Both searches give the leftmost match, so the choice only affects speed:
// the block filter runs at memory speed on whole pages whatever the needle;
// the skip-table search serves where no 16-byte compare is available or a
// byte's case class is larger than a pair. Kept as a decision of the
// program's, with its figures, in docs/decisions.md.
template <bool NoCase>
size_t searchFrom(std::string_view text, std::string_view pattern)
{
#if defined(__SSE2__)
    if constexpr (NoCase) {
        const auto &cp = casePartners();
        if (cp.pairOnly[bytesOf(pattern)[0]] && cp.pairOnly[bytesOf(pattern)[pattern.size() - 1]])
            return blockFind<true>(text, pattern);
    } else {
        return blockFind<false>(text, pattern);
    }
#endif
    TSkipTable table;
    makeTable<NoCase>(pattern, table);
    return tableFind<NoCase>(text, pattern, table);
}

template <bool NoCase>
std::ptrdiff_t fastFind(std::string_view text, std::string_view pattern, std::ptrdiff_t start)
{
    ZVO_ASSERT(start >= 1, "FastStrings");
    if (pattern.empty())
        throw rtl::Exception("BufferLen is 0");
    const size_t from = size_t(start - 1);
    if (from >= text.size())
        return 0;
    const size_t hit = searchFrom<NoCase>(text.substr(from), pattern);
    return hit == NotFound ? 0 : std::ptrdiff_t(from + hit + 1);
}

template <bool NoCase>
std::string replaceAll(std::string_view source, std::string_view find, std::string_view replacement)
{
    // Sized for the worst case so that the common page needs one allocation;
    // the estimate is capped because a long replacement of a short find text
    // would otherwise reserve many times the page for matches that may not
    // be there, and growth by half covers the rest.
    constexpr size_t maxSlack = size_t(16) << 20;
    size_t size = source.size();
    if (replacement.size() > find.size()) {
        const size_t cap = source.size() + maxSlack;
        const auto estimate = static_cast<unsigned __int128>(source.size()) * replacement.size() / find.size();
        size = estimate > cap ? cap : size_t(estimate);
        if (size == 0)
            size = (source.size() + replacement.size()) / 2 * 3;
    }
    std::string result;
    result.reserve(size);
    auto makeRoom = [&result](size_t adding) {
        size_t capacity = result.capacity();
        if (result.size() + adding < capacity)
            return;
        while (result.size() + adding >= capacity)
            capacity = std::max(capacity + capacity / 2, capacity + 1);
        result.reserve(capacity);
    };

    size_t pos = 0;
    while (source.size() - pos >= find.size()) {
        const size_t hit = searchFrom<NoCase>(source.substr(pos), find);
        if (hit == NotFound)
            break;
        makeRoom(hit + replacement.size());
        result.append(source.data() + pos, hit);
        result.append(replacement);
        pos += hit + find.size();
    }
    makeRoom(source.size() - pos);
    result.append(source.data() + pos, source.size() - pos);
    return result;
}

} // namespace

void MakeSkipTable(std::string_view pattern, TSkipTable &table)
{
    makeTable<false>(pattern, table);
}

void MakeSkipTableNoCase(std::string_view pattern, TSkipTable &table)
{
    makeTable<true>(pattern, table);
}

size_t SkipTableFind(std::string_view text, std::string_view pattern, const TSkipTable &table)
{
    return tableFind<false>(text, pattern, table);
}

size_t SkipTableFindNoCase(std::string_view text, std::string_view pattern, const TSkipTable &table)
{
    return tableFind<true>(text, pattern, table);
}

std::ptrdiff_t FastFind(std::string_view text, std::string_view pattern, std::ptrdiff_t start)
{
    return fastFind<false>(text, pattern, start);
}

std::ptrdiff_t FastFindNoCase(std::string_view text, std::string_view pattern, std::ptrdiff_t start)
{
    return fastFind<true>(text, pattern, start);
}

std::string FastReplaceAll(std::string_view source, std::string_view find, std::string_view replacement,
                           bool caseSensitive)
{
    if (source.empty())
        return {};
    if (find.empty())
        return std::string(source);
    return caseSensitive ? replaceAll<false>(source, find, replacement) : replaceAll<true>(source, find, replacement);
}

void MoveBytes(const void *source, void *destination, size_t count)
{
    const auto *s = static_cast<const uint8_t *>(source);
    auto *d = static_cast<uint8_t *>(destination);
    const auto sAddr = reinterpret_cast<uintptr_t>(s);
    const auto dAddr = reinterpret_cast<uintptr_t>(d);
    if (count == 0 || sAddr == dAddr)
        return;
    if (dAddr < sAddr || dAddr - sAddr >= count) {
        std::memmove(d, s, count);
        return;
    }
    for (size_t k = 0; k < count; ++k)
        d[k] = s[k];
}

} // namespace foundation
