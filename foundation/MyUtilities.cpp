#include "foundation/MyUtilities.h"

#include "foundation/FastStrings.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <exception>
#include <system_error>

namespace foundation {

namespace {


int toPosition(std::ptrdiff_t position)
{
    // A hit beyond what a position can hold counts as not found.
    return position > INT_MAX ? 0 : int(position);
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The outcome of one pass of the decimal conversion: the 1-based position of
// the first character that cannot be taken (0 when the whole text is a
// number) and the value read up to there.
struct Conversion
{
    size_t errorPosition = 0;
    double value = 0.0;
};

// Converts sign-less decimal text that has already been checked. The
// conversion is locale-independent and correctly rounded; out of range it
// saturates to an infinity or to zero.
double convertChecked(std::string_view digits, long decimalExponent)
{
    if (digits.empty())
        return 0.0;
    double value = 0.0;
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), value, std::chars_format::general);
    (void)end;
    if (error == std::errc::result_out_of_range)
        return decimalExponent > 0 ? HUGE_VAL : 0.0;
    if (error != std::errc())
        return 0.0;
    return value;
}

// The standard decimal conversion: optional leading blanks, optional sign,
// digits with an optional decimal point and fraction (at least one digit in
// all), optional exponent with optional sign and at least one digit.
Conversion convertDecimal(std::string_view s)
{
    const size_t n = s.size();
    size_t i = 0;
    while (i < n && s[i] == ' ')
        ++i;
    bool negative = false;
    if (i < n && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    const size_t mantissaStart = i;
    size_t leadingZeros = 0;
    bool significant = false;
    long integerDigits = 0; // significant digits before the point
    while (i < n && isDigit(s[i])) {
        if (s[i] != '0')
            significant = true;
        if (significant)
            ++integerDigits;
        else
            ++leadingZeros;
        ++i;
    }
    size_t digitCount = i - mantissaStart;
    long fractionZeros = 0; // zeros after the point before the first significant digit
    if (i < n && s[i] == '.') {
        ++i;
        const size_t fractionStart = i;
        while (i < n && isDigit(s[i])) {
            if (s[i] != '0')
                significant = true;
            else if (!significant)
                ++fractionZeros;
            ++i;
        }
        digitCount += i - fractionStart;
    }
    if (digitCount == 0)
        return {i + 1, 0.0};
    const size_t mantissaEnd = i;
    // A rough decimal magnitude, only used to tell overflow from underflow.
    const long magnitude = integerDigits > 0 ? integerDigits : -fractionZeros;

    auto valueUpTo = [&](size_t end, long exponent) {
        const double v = convertChecked(s.substr(mantissaStart, end - mantissaStart), magnitude + exponent);
        return negative ? -v : v;
    };

    if (i < n && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        bool negativeExponent = false;
        if (i < n && (s[i] == '+' || s[i] == '-')) {
            negativeExponent = s[i] == '-';
            ++i;
        }
        const size_t exponentStart = i;
        long exponent = 0;
        while (i < n && isDigit(s[i])) {
            exponent = std::min(exponent * 10 + (s[i] - '0'), 1000000000000000L);
            ++i;
        }
        if (i == exponentStart)
            return {i + 1, valueUpTo(mantissaEnd, 0)};
        const double value = valueUpTo(i, negativeExponent ? -exponent : exponent);
        return {i < n ? i + 1 : 0, value};
    }
    const double value = valueUpTo(mantissaEnd, 0);
    return {i < n ? i + 1 : 0, value};
}

// Replacements of the accented Latin letters when folding; nullptr keeps the
// character for the second step.
const char *foldedLetter(uint8_t c)
{
    switch (c) {
    case 0xE1:
    case 0xE0:
    case 0xE2:
    case 0xE3:
    case 0xE5: return "a";
    case 0xE4: return "ae";
    case 0xE7: return "c";
    case 0xE8:
    case 0xE9:
    case 0xEA:
    case 0xEB: return "e";
    case 0xEC:
    case 0xED:
    case 0xEE:
    case 0xEF: return "i";
    case 0xF1: return "n";
    case 0xF2:
    case 0xF3:
    case 0xF4:
    case 0xF5: return "o";
    case 0xF6: return "oe";
    case 0xDF: return "ss";
    case 0xF9:
    case 0xFA:
    case 0xFB: return "u";
    case 0xFC: return "ue";
    case 0xFD:
    case 0xFF: return "y";
    case 0xC0:
    case 0xC1:
    case 0xC2:
    case 0xC3:
    case 0xC5: return "A";
    case 0xC4: return "Ae";
    case 0xC6: return "AE";
    case 0xC7: return "C";
    case 0xC8:
    case 0xC9:
    case 0xCA:
    case 0xCB: return "E";
    case 0xCC:
    case 0xCD:
    case 0xCE:
    case 0xCF: return "I";
    case 0xD1: return "N";
    case 0xD2:
    case 0xD3:
    case 0xD4:
    case 0xD5: return "O";
    case 0xD6: return "Oe";
    case 0xD9:
    case 0xDA:
    case 0xDB: return "U";
    case 0xDC: return "Ue";
    case 0xDD: return "Y";
    default: return nullptr;
    }
}

} // namespace

int StrPos(std::string_view text, std::string_view subText, bool caseSensitive)
{
    return StrPosFrom(1, text, subText, caseSensitive);
}

int StrPosFrom(int start, std::string_view text, std::string_view subText, bool caseSensitive)
{
    if (text.empty() || subText.empty())
        return 0;
    try {
        return toPosition(caseSensitive ? FastFind(text, subText, start) : FastFindNoCase(text, subText, start));
    } catch (const std::exception &) {
        return 0;
    }
}

std::string LeftStr(std::string_view text, int n)
{
    if (n < 1)
        return {};
    return std::string(text.substr(0, size_t(n)));
}

std::string RightStr(std::string_view text, int n)
{
    if (n < 1)
        return {};
    const size_t count = std::min(text.size(), size_t(n));
    return std::string(text.substr(text.size() - count));
}

std::string CopyFrom(std::string_view text, int position)
{
    const size_t from = position < 1 ? 0 : size_t(position) - 1;
    if (from >= text.size())
        return {};
    return std::string(text.substr(from));
}

std::string CopyStr(std::string_view text, int position, int n)
{
    const size_t from = position < 1 ? 0 : size_t(position) - 1;
    if (n < 1 || from >= text.size())
        return {};
    return std::string(text.substr(from, size_t(n)));
}

std::string ReplaceText(std::string_view text, std::string_view find, std::string_view replacement, bool caseSensitive)
{
    try {
        return FastReplaceAll(text, find, replacement, caseSensitive);
    } catch (const std::exception &) {
        return std::string(text);
    }
}

std::string GetField(std::string_view text, std::string_view delimiter, int n)
{
    if (n < 1)
        return {};
    if (delimiter.empty())
        return n == 1 ? std::string(text) : std::string();
    // Offsets from 0; the next delimiter is searched from one character after
    // the previous hit's first character, so hits of a delimiter that
    // overlaps itself are all counted.
    size_t fieldStart = 0;
    size_t searchStart = 0;
    for (int k = 1;; ++k) {
        size_t hit = std::string_view::npos;
        if (searchStart < text.size()) {
            const std::ptrdiff_t p = FastFindNoCase(text, delimiter, std::ptrdiff_t(searchStart) + 1);
            if (p > 0)
                hit = size_t(p) - 1;
        }
        if (k == n) {
            const size_t end = hit == std::string_view::npos ? text.size() : hit;
            return end > fieldStart ? std::string(text.substr(fieldStart, end - fieldStart)) : std::string();
        }
        if (hit == std::string_view::npos)
            return {};
        fieldStart = hit + delimiter.size();
        searchStart = hit + 1;
    }
}

int GetFieldCount(std::string_view text, std::string_view delimiter)
{
    if (text.empty() || delimiter.empty())
        return 0;
    size_t count = 0;
    if (delimiter.size() == 1) {
        count = size_t(std::count(text.begin(), text.end(), delimiter[0])) + 1;
    } else {
        const std::string rest = ReplaceText(text, delimiter, "", false);
        count = (text.size() - rest.size()) / delimiter.size() + 1;
    }
    return count > size_t(INT_MAX) ? INT_MAX : int(count);
}

double StrToNumber(std::string_view text)
{
    std::string withStops;
    std::string_view s = text;
    if (text.find(',') != std::string_view::npos) {
        withStops.assign(text);
        std::replace(withStops.begin(), withStops.end(), ',', '.');
        s = withStops;
    }
    // Cutting the text before the first character the conversion cannot take
    // and converting again drops trailing words; a second failure at the same
    // place means the rest cannot become a number, and the value read up to
    // there stands.
    double value = 0.0;
    size_t previous = 0;
    while (!s.empty()) {
        const Conversion c = convertDecimal(s);
        value = c.value;
        if (c.errorPosition == 0 || c.errorPosition == previous)
            break;
        previous = c.errorPosition;
        s = s.substr(0, c.errorPosition - 1);
    }
    return value == 0.0 ? 0.0 : value;
}

std::string NormalizeWhitespace(std::string_view text)
{
    // One pass gives what replacing pairs of blanks until none is left gives.
    std::string out;
    out.reserve(text.size());
    bool afterBlank = false;
    for (char c : text) {
        if (c == '\t' || c == '\n' || c == '\r')
            c = ' ';
        if (c == ' ') {
            if (afterBlank)
                continue;
            afterBlank = true;
        } else {
            afterBlank = false;
        }
        out.push_back(c);
    }
    return out;
}

std::string RemoveNonASCIIChars(std::string_view text, std::string_view replacement, bool fold)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        const auto b = uint8_t(c);
        if (b < 128) {
            out.push_back(c);
        } else if (const char *plain = fold ? foldedLetter(b) : nullptr) {
            out.append(plain);
        } else {
            out.append(replacement);
        }
    }
    return out;
}

std::string ExtractFirstLine(std::string &text)
{
    const size_t p = text.find("\r\n");
    if (p == std::string::npos) {
        std::string line = std::move(text);
        text.clear();
        return line;
    }
    std::string line = text.substr(0, p);
    text.erase(0, p + 2);
    return line;
}

} // namespace foundation
