#include "foundation/MyWebUtilities.h"

#include "foundation/MyUtilities.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Rounding.h"
#include "platform/rtl/Win1252.h"

namespace foundation {

namespace {

// Blanks and control characters, as a trim drops them.
bool isTrimmed(char c)
{
    return uint8_t(c) <= ' ';
}

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && isTrimmed(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isTrimmed(s.back()))
        s.remove_suffix(1);
    return s;
}

bool startsWithNoCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (rtl::AnsiUpper(uint8_t(text[i])) != rtl::AnsiUpper(uint8_t(prefix[i])))
            return false;
    return true;
}

// Raises rtl::ERangeError when the number does not fit 32 bits.
int32_t readCount(std::string_view piece)
{
    const std::string normal = NormalizeWhitespace(piece);
    return rtl::Round(StrToNumber(trimmed(normal)));
}

// The piece of the given length behind a phrase found at the 1-based position.
int32_t readCountBehind(const std::string &page, int position, std::string_view phrase)
{
    return readCount(CopyStr(page, position + int(phrase.size()), 30));
}

struct BracketRule
{
    std::string_view marker;
    std::string_view terminator;
    bool dropGreaterThan;
};

// Engines that state their count between two fixed texts.
constexpr BracketRule BracketRules[] = {
    {"<B>Results</B> : ", "documents", false},
    {"var IWtotalresults =", ";", false},
    {"class=\"ofSoMany\"", "<", true},
};

// Markup and words that stand between a phrase and its number on the pages
// of the other engines; thousands separators go too.
constexpr std::string_view RemovedTexts[] = {
    "<B>", "</B>", "<I>", "</I>", "<strong>", "</strong>", ",", ".", "about", "fewer than", "less than", "more than",
};

} // namespace

int32_t GetResultCountFromHTML(std::string_view page)
{
    if (page.empty())
        return -1;

    for (const BracketRule &rule : BracketRules) {
        const int marker = StrPos(page, rule.marker, false);
        if (marker == 0)
            continue;
        const int terminator = StrPosFrom(marker + 1, page, rule.terminator, false);
        if (terminator == 0)
            continue;
        const int from = marker + int(rule.marker.size());
        std::string piece = ReplaceText(CopyStr(page, from, terminator - from), ",", "", false);
        if (rule.dropGreaterThan)
            piece = ReplaceText(piece, ">", "", false);
        return readCount(piece);
    }

    std::string cleaned(page);
    for (std::string_view removed : RemovedTexts)
        cleaned = ReplaceText(cleaned, removed, "", false);
    cleaned = ReplaceText(cleaned, "&nbsp;", " ", false);

    constexpr std::string_view weFound = "we found ";
    if (const int p = StrPos(cleaned, weFound, false))
        return readCountBehind(cleaned, p, weFound);

    for (int n = 20; n >= 1; --n) {
        std::string phrase = "1-" + std::to_string(n) + " of";
        int p = StrPos(cleaned, phrase, false);
        if (p == 0) {
            phrase = "1 - " + std::to_string(n) + " of";
            p = StrPos(cleaned, phrase, false);
        }
        if (p != 0)
            return readCountBehind(cleaned, p, phrase);
    }

    constexpr std::string_view found = " found ";
    if (const int p = StrPos(cleaned, found, false))
        return readCountBehind(cleaned, p, found);
    return -1;
}

std::string GetSiteRootURL(std::string_view url, bool withScheme)
{
    ZVO_ASSERT(!url.empty(), "MyWebUtilities");
    std::string_view scheme;
    if (startsWithNoCase(url, "http://"))
        scheme = "http://";
    else if (startsWithNoCase(url, "https://"))
        scheme = "https://";
    else
        return std::string(url);

    std::string_view host = url.substr(scheme.size());
    host = host.substr(0, host.find('/'));
    host = host.substr(0, host.find(':'));
    std::string root = withScheme ? std::string(scheme) : std::string();
    root += rtl::AnsiLowerCase(host);
    root += '/';
    return root;
}

std::string_view TrimmedAddress(std::string_view url)
{
    return trimmed(url);
}

bool IsStorableSite(std::string_view site)
{
    if (site.empty() || site.size() > MaxSiteLength)
        return false;
    for (const char c : site)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return false;
    return true;
}

bool IsValidURL(std::string_view url)
{
    std::string_view s = trimmed(url);
    // The same rule as for a stored site: what passes here becomes a row.
    std::string_view site = s;
    if (const size_t scheme = site.find("://"); scheme != std::string_view::npos)
        site.remove_prefix(scheme + 3);
    if (!IsStorableSite(site))
        return false;
    if (startsWithNoCase(s, "http://"))
        s.remove_prefix(7);
    if (startsWithNoCase(s, "www."))
        s.remove_prefix(4);
    if (s.size() <= 3 || s.find('.') == std::string_view::npos || GetField(s, ".", 1).empty())
        return false;
    return GetField(s, ".", 2).size() > 1;
}

} // namespace foundation
