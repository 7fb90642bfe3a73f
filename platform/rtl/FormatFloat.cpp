#include "platform/rtl/FormatFloat.h"

#include "platform/rtl/Win1252.h"

#include <QLocale>

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <string_view>
#include <vector>

namespace rtl {

namespace {

// A value as 0.d1d2d3... x 10^exponent with at most 15 significant digits,
// which is all a double holds reliably: rounding works on these decimal
// digits, so 1.255 rounds up as the user reads it.
struct Decimal
{
    std::string digits; // no trailing zeros; empty for zero
    int exponent = 0;
    bool isZero() const { return digits.empty(); }
    void dropTrailingZeros()
    {
        while (!digits.empty() && digits.back() == '0')
            digits.pop_back();
        if (digits.empty())
            exponent = 0;
    }
};

constexpr int Precision = 15;

Decimal toDecimal(double value)
{
    char buf[64];
    const auto res =
        std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, Precision - 1);
    const std::string_view text(buf, size_t(res.ptr - buf));
    Decimal d;
    const size_t e = text.find('e');
    for (size_t i = 0; i < e; ++i)
        if (text[i] != '.')
            d.digits += text[i];
    d.exponent = std::atoi(std::string(text.substr(e + 1)).c_str()) + 1;
    d.dropTrailingZeros();
    return d;
}

// Keeps `count` leading digits, rounding half away from zero.
Decimal roundDigits(Decimal d, int count)
{
    if (count < 0 || d.isZero())
        return count < 0 ? Decimal{} : d;
    if (size_t(count) >= d.digits.size())
        return d;
    const bool up = d.digits[size_t(count)] >= '5';
    d.digits.resize(size_t(count));
    if (up) {
        int i = count - 1;
        while (i >= 0 && d.digits[size_t(i)] == '9')
            d.digits[size_t(i--)] = '0';
        if (i >= 0) {
            ++d.digits[size_t(i)];
        } else {
            d.digits.insert(d.digits.begin(), '1');
            ++d.exponent;
        }
    }
    d.dropTrailingZeros();
    return d;
}

// The digit at `index` (0 = the first significant digit), '0' beyond them.
char digitAt(const Decimal &d, int index)
{
    return index >= 0 && size_t(index) < d.digits.size() ? d.digits[size_t(index)] : '0';
}

std::mutex g_sepMutex;
std::optional<FormatSeparators> g_pinned;

char toAnsiSeparator(const QString &s, char fallback)
{
    if (s.isEmpty())
        return fallback;
    const char16_t u = s.at(0).unicode();
    if (u == 0x202F || u == 0x2009) // narrow and thin spaces: the code page's no-break space
        return char(0xA0);
    const uint8_t c = UnicodeToAnsi(u);
    return c ? char(c) : fallback;
}

FormatSeparators localeSeparators()
{
    const QLocale locale = QLocale::system();
    if (locale.language() == QLocale::C)
        return {};
    FormatSeparators s;
    s.thousands = toAnsiSeparator(locale.groupSeparator(), ',');
    s.decimal = toAnsiSeparator(locale.decimalPoint(), '.');
    return s;
}

// What the digit placeholders of one format section ask for.
struct SectionLayout
{
    int intCount = 0;      // placeholders before the decimal point
    int firstIntZero = -1; // index of the first "0" among them
    int fracCount = 0;     // placeholders after it
    int lastFracZero = -1; // index of the last "0" among them
    bool thousands = false;
    bool scientific = false;
};

bool isExponentAt(std::string_view f, size_t i)
{
    return (f[i] == 'E' || f[i] == 'e') && i + 1 < f.size() && (f[i + 1] == '+' || f[i + 1] == '-');
}

SectionLayout analyse(std::string_view f)
{
    SectionLayout l;
    bool decimal = false;
    for (size_t i = 0; i < f.size(); ++i) {
        const char c = f[i];
        if (c == '"' || c == '\'') {
            const size_t close = f.find(c, i + 1);
            i = close == std::string_view::npos ? f.size() : close;
        } else if (isExponentAt(f, i) && !l.scientific) {
            l.scientific = true;
            i += 1;
            while (i + 1 < f.size() && f[i + 1] == '0')
                ++i;
        } else if (l.scientific) {
            continue; // placeholders after the exponent are not digits
        } else if (c == '.') {
            decimal = true;
        } else if (c == ',') {
            l.thousands = l.thousands || !decimal;
        } else if (c == '0' || c == '#') {
            if (!decimal) {
                if (c == '0' && l.firstIntZero < 0)
                    l.firstIntZero = l.intCount;
                ++l.intCount;
            } else {
                if (c == '0')
                    l.lastFracZero = l.fracCount;
                ++l.fracCount;
            }
        }
    }
    if (l.scientific)
        l.thousands = false;
    return l;
}

// Splits at ";" outside quoted texts.
std::vector<std::string_view> splitSections(std::string_view format)
{
    std::vector<std::string_view> sections;
    size_t start = 0;
    char quote = 0;
    for (size_t i = 0; i < format.size(); ++i) {
        const char c = format[i];
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == ';') {
            sections.push_back(format.substr(start, i - start));
            start = i + 1;
        }
    }
    sections.push_back(format.substr(start));
    return sections;
}

class SectionWriter
{
public:
    SectionWriter(std::string_view format, const SectionLayout &layout, const Decimal &value,
                  const FormatSeparators &seps)
        : m_format(format)
        , m_layout(layout)
        , m_seps(seps)
    {
        if (layout.scientific) {
            const Decimal r = roundDigits(value, std::max(1, layout.intCount + layout.fracCount));
            for (int i = 0; i < layout.intCount; ++i)
                m_int += digitAt(r, i);
            for (int i = 0; i < layout.fracCount; ++i)
                m_frac += digitAt(r, layout.intCount + i);
            m_exponent = r.isZero() ? 0 : r.exponent - layout.intCount;
        } else {
            const Decimal r = roundDigits(value, value.exponent + layout.fracCount);
            for (int i = 0; i < r.exponent; ++i)
                m_int += digitAt(r, i);
            for (int i = 0; i < layout.fracCount; ++i)
                m_frac += digitAt(r, r.exponent + i);
            const size_t minInt = layout.firstIntZero < 0 ? 0 : size_t(layout.intCount - layout.firstIntZero);
            if (m_int.size() < minInt)
                m_int.insert(0, minInt - m_int.size(), '0');
        }
        m_shownFrac = size_t(layout.lastFracZero + 1);
        for (size_t i = m_frac.size(); i > m_shownFrac; --i)
            if (m_frac[i - 1] != '0') {
                m_shownFrac = i;
                break;
            }
    }

    std::string write()
    {
        bool decimal = false;
        bool exponentDone = false;
        int intIndex = 0;
        int fracIndex = 0;
        const std::string_view f = m_format;
        for (size_t i = 0; i < f.size(); ++i) {
            const char c = f[i];
            if (c == '"' || c == '\'') {
                const size_t close = f.find(c, i + 1);
                const size_t end = close == std::string_view::npos ? f.size() : close;
                m_out.append(f.substr(i + 1, end - i - 1));
                i = end;
            } else if (m_layout.scientific && !exponentDone && isExponentAt(f, i)) {
                exponentDone = true;
                size_t zeros = 0;
                while (i + 2 + zeros < f.size() && f[i + 2 + zeros] == '0')
                    ++zeros;
                writeExponent(f[i], f[i + 1], zeros);
                i += 1 + zeros;
            } else if (exponentDone && (c == '0' || c == '#')) {
                continue;
            } else if (c == '0' || c == '#') {
                if (!decimal)
                    writeIntPlaceholder(intIndex++);
                else if (size_t(fracIndex) < m_shownFrac)
                    m_out += m_frac[size_t(fracIndex++)];
            } else if (c == '.') {
                if (decimal)
                    continue;
                decimal = true;
                if (m_layout.intCount == 0)
                    writeIntDigits(0, m_int.size());
                if (m_shownFrac > 0)
                    m_out += m_seps.decimal;
            } else if (c == ',') {
                continue;
            } else {
                m_out += c;
            }
        }
        return m_out;
    }

private:
    // The integer digits are right-aligned to the placeholders; the first
    // placeholder takes every digit the others have no room for.
    void writeIntPlaceholder(int k)
    {
        const long len = long(m_int.size());
        const long p = m_layout.intCount;
        const long from = k == 0 ? 0 : len - p + k;
        const long to = len - p + k + 1;
        if (to > 0 && to > from)
            writeIntDigits(size_t(std::max(0L, from)), size_t(to));
    }

    void writeIntDigits(size_t from, size_t to)
    {
        for (size_t i = from; i < to && i < m_int.size(); ++i) {
            m_out += m_int[i];
            const size_t rest = m_int.size() - 1 - i;
            if (m_layout.thousands && rest > 0 && rest % 3 == 0)
                m_out += m_seps.thousands;
        }
    }

    void writeExponent(char letter, char signMode, size_t minDigits)
    {
        m_out += letter;
        if (m_exponent < 0)
            m_out += '-';
        else if (signMode == '+')
            m_out += '+';
        std::string digits = std::to_string(std::abs(m_exponent));
        if (digits.size() < std::min<size_t>(minDigits, 4))
            digits.insert(0, std::min<size_t>(minDigits, 4) - digits.size(), '0');
        m_out += digits;
    }

    std::string_view m_format;
    SectionLayout m_layout;
    FormatSeparators m_seps;
    std::string m_int;
    std::string m_frac;
    size_t m_shownFrac = 0;
    int m_exponent = 0;
    std::string m_out;
};

bool roundsToZero(const SectionLayout &l, const Decimal &d)
{
    if (l.scientific)
        return d.isZero();
    return roundDigits(d, d.exponent + l.fracCount).isZero();
}

} // namespace

FormatSeparators formatSeparators()
{
    std::lock_guard lock(g_sepMutex);
    if (g_pinned)
        return *g_pinned;
    static const FormatSeparators fromLocale = localeSeparators();
    return fromLocale;
}

void setFormatSeparators(char thousands, char decimal)
{
    std::lock_guard lock(g_sepMutex);
    if (thousands == 0 || decimal == 0)
        g_pinned.reset();
    else
        g_pinned = FormatSeparators{thousands, decimal};
}

std::string FloatToStr(double value)
{
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value < 0 ? "-INF" : "INF";
    const Decimal d = toDecimal(value);
    if (d.isZero())
        return "0";
    const char decimal = formatSeparators().decimal;
    std::string out = value < 0 ? "-" : "";
    if (d.exponent >= -3 && d.exponent <= Precision) {
        if (d.exponent <= 0) {
            out += '0';
            out += decimal;
            out.append(size_t(-d.exponent), '0');
            out += d.digits;
        } else {
            for (int i = 0; i < d.exponent; ++i)
                out += digitAt(d, i);
            if (d.digits.size() > size_t(d.exponent)) {
                out += decimal;
                out += d.digits.substr(size_t(d.exponent));
            }
        }
        return out;
    }
    out += d.digits[0];
    if (d.digits.size() > 1) {
        out += decimal;
        out += d.digits.substr(1);
    }
    out += 'E';
    out += std::to_string(d.exponent - 1);
    return out;
}

std::string FormatFloat(const std::string &format, double value)
{
    if (format.empty() || !std::isfinite(value))
        return FloatToStr(value);
    const std::vector<std::string_view> sections = splitSections(format);
    const Decimal d = toDecimal(value);
    auto usable = [&sections](size_t i) { return i < sections.size() && i < 3 && !sections[i].empty(); };

    size_t chosen = 0;
    if (value < 0 && usable(1))
        chosen = 1;
    SectionLayout layout = analyse(sections[chosen]);
    // A value that shows as zero takes the zero section, and loses its sign.
    const bool zero = roundsToZero(layout, d);
    if (zero && usable(2) && chosen != 2) {
        chosen = 2;
        layout = analyse(sections[chosen]);
    }
    if (sections[chosen].empty())
        return FloatToStr(value);
    if (!layout.scientific && std::fabs(value) >= 1e18)
        return FloatToStr(value);

    std::string out = SectionWriter(sections[chosen], layout, d, formatSeparators()).write();
    if (value < 0 && chosen == 0 && !zero)
        out.insert(0, 1, '-');
    return out;
}

} // namespace rtl
