// The engine table is a file that the update service replaces from outside:
// its reading and the query URLs built from it are checked against a direct
// reading of the line rules. Input: a domain up to the first NUL byte, then
// the table's text.

#include "app/SearchEngines.h"
#include "fuzz/TextReference.h"

#include <cstdint>
#include <string>
#include <vector>

using namespace app;

namespace {

bool isBlankOrControl(char c)
{
    return uint8_t(c) <= ' ';
}

std::string trimmedReference(std::string_view s)
{
    while (!s.empty() && isBlankOrControl(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlankOrControl(s.back()))
        s.remove_suffix(1);
    return std::string(s);
}

std::vector<TSearchEngineEntry> referenceTable(std::string_view text)
{
    std::vector<TSearchEngineEntry> engines;
    size_t begin = 0;
    while (begin < text.size()) {
        size_t end = text.find('\n', begin);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(begin, end - begin);
        begin = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (textref::find(line, ":http://", 0, true) == std::string_view::npos)
            continue;
        const size_t colon = line.find(':');
        engines.push_back({trimmedReference(line.substr(0, colon)), trimmedReference(line.substr(colon + 1))});
    }
    return engines;
}

bool isHex(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

int hexValue(char c)
{
    return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
}

// Whatever went in, what comes out may stand in a URL as it is; text of
// ASCII characters without a "%" of its own decodes back to itself.
void checkEncoded(std::string_view raw, const std::string &encoded)
{
    std::string decoded;
    for (size_t i = 0; i < encoded.size(); ++i) {
        const auto c = uint8_t(encoded[i]);
        if (c <= 0x20 || c >= 0x7F || std::string_view("\"<>\\^`{|}").find(char(c)) != std::string_view::npos)
            textref::mismatch("PercentEncodeForURL: character left unescaped");
        if (c != '%') {
            decoded += char(c);
            continue;
        }
        if (i + 2 >= encoded.size() || !isHex(encoded[i + 1]) || !isHex(encoded[i + 2]))
            textref::mismatch("PercentEncodeForURL: bare percent sign");
        decoded += char(hexValue(encoded[i + 1]) * 16 + hexValue(encoded[i + 2]));
        i += 2;
    }
    bool plainAscii = raw.find('%') == std::string_view::npos;
    for (char c : raw)
        plainAscii = plainAscii && uint8_t(c) < 0x80;
    if (plainAscii && decoded != raw)
        textref::mismatch("PercentEncodeForURL: does not decode back");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string_view input(reinterpret_cast<const char *>(data), size);
    const size_t nul = input.find('\0');
    const std::string_view domain = nul == std::string_view::npos ? std::string_view() : input.substr(0, nul);
    const std::string_view table = nul == std::string_view::npos ? input : input.substr(nul + 1);

    const std::vector<TSearchEngineEntry> engines = ParseSearchEngineTable(table);
    const std::vector<TSearchEngineEntry> expected = referenceTable(table);
    if (engines.size() != expected.size())
        textref::mismatch("ParseSearchEngineTable: engine count");
    for (size_t i = 0; i < engines.size(); ++i) {
        if (engines[i].Name != expected[i].Name || engines[i].URLTemplate != expected[i].URLTemplate)
            textref::mismatch("ParseSearchEngineTable: entry");
        if (engines[i].Name.find(':') != std::string::npos)
            textref::mismatch("ParseSearchEngineTable: colon in a name");
    }

    checkEncoded(domain, PercentEncodeForURL(domain));
    if (domain.empty())
        return 0;
    for (const TSearchEngineEntry &engine : engines) {
        const std::string url = BuildSearchEngineQueryURL(engine.URLTemplate, domain);
        if (textref::find(engine.URLTemplate, DomainPlaceholder, 0, true) == std::string_view::npos &&
            url != engine.URLTemplate)
            textref::mismatch("BuildSearchEngineQueryURL: template without placeholder changed");
    }
    return 0;
}
