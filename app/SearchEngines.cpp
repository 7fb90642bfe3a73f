#include "app/SearchEngines.h"

#include "foundation/MyUtilities.h"
#include "foundation/MyWebUtilities.h"
#include "platform/rtl/Win1252.h"

#include <array>
#include <cctype>

namespace app {

using namespace foundation;

namespace {

// The engines that are given the domain as the user typed it. They are
// recognised by their host names anywhere in the template.
constexpr std::array<std::string_view, 4> AsTypedHosts = {"altavista.com", "alltheweb.com", "search.yahoo.com",
                                                          "search.msn.com"};

bool isHexDigit(char c)
{
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

void appendEscaped(std::string &out, unsigned char byte)
{
    static const char hex[] = "0123456789ABCDEF";
    out += '%';
    out += hex[byte >> 4];
    out += hex[byte & 0x0F];
}

} // namespace

bool TakesDomainAsTyped(std::string_view urlTemplate)
{
    for (std::string_view host : AsTypedHosts) {
        if (StrPos(urlTemplate, host, false) > 0)
            return true;
    }
    return false;
}

std::string BuildSearchEngineQueryURL(std::string_view urlTemplate, std::string_view domain)
{
    std::string replacement(domain);
    if (!TakesDomainAsTyped(urlTemplate)) {
        if (StrPos(replacement, "://", false) == 0)
            replacement = "http://" + replacement;
        replacement = GetSiteRootURL(replacement, false);
        if (!replacement.empty() && replacement.back() == '/')
            replacement.pop_back();
    }
    return ReplaceText(urlTemplate, DomainPlaceholder, PercentEncodeForURL(replacement), false);
}

std::string PercentEncodeForURL(std::string_view text)
{
    constexpr std::string_view notInURL = "\"<>\\^`{|}";
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80) {
            const char16_t u = rtl::AnsiToUnicode(byte);
            if (u == 0) {
                appendEscaped(out, byte);
                continue;
            }
            if (u < 0x800) {
                appendEscaped(out, static_cast<unsigned char>(0xC0 | (u >> 6)));
            } else {
                appendEscaped(out, static_cast<unsigned char>(0xE0 | (u >> 12)));
                appendEscaped(out, static_cast<unsigned char>(0x80 | ((u >> 6) & 0x3F)));
            }
            appendEscaped(out, static_cast<unsigned char>(0x80 | (u & 0x3F)));
        } else if (byte <= 0x20 || byte == 0x7F || notInURL.find(c) != std::string_view::npos) {
            appendEscaped(out, byte);
        } else if (c == '%' && !(i + 2 < text.size() && isHexDigit(text[i + 1]) && isHexDigit(text[i + 2]))) {
            appendEscaped(out, byte);
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace app
