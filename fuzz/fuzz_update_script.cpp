// The update list parser and the rules applied to what it yields, fed any
// bytes: the lists stay parallel, every parsed name that passes the file-name
// rule is a plain name, dates decode to real dates, version comparison is
// antisymmetric and the line-break normalisation leaves only CR LF pairs,
// with every run of breaks shortened as the four merging passes do.

#include "settings/UpdateScript.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

using namespace settings;

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

bool onlyCrLfBreaks(std::string_view text)
{
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n'))
            return false;
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            return false;
    }
    return true;
}

// Each run of n line breaks (CR LF, LF or CR) as four pair-merging passes
// leave it: n becomes n / 2 + n % 2 four times.
std::string referenceNormalized(std::string_view text)
{
    std::string result;
    size_t i = 0;
    while (i < text.size()) {
        size_t breaks = 0;
        while (i < text.size() && (text[i] == '\r' || text[i] == '\n')) {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            ++i;
            ++breaks;
        }
        for (int pass = 0; pass < 4; ++pass)
            breaks = breaks / 2 + breaks % 2;
        for (size_t b = 0; b < breaks; ++b)
            result += "\r\n";
        while (i < text.size() && text[i] != '\r' && text[i] != '\n')
            result += text[i++];
    }
    return result;
}

bool validDate(const TUpdateDate &d)
{
    static constexpr int days[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return d.Year >= 1 && d.Year <= 9999 && d.Month >= 1 && d.Month <= 12 && d.Day >= 1 && d.Day <= days[d.Month - 1];
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);

    TUpdateScript script;
    size_t warnings = 0;
    const std::string version = ParseUpdateScript(text, script, [&](const std::string &) { ++warnings; });
    check(version == script.AppVersion);
    const size_t files = script.FileNames.size();
    check(script.FileLinks.size() == files && script.FileRequiredAppVersions.size() == files &&
          script.FileVersions.size() == files);
    check(warnings <= size);

    for (size_t i = 0; i < files; ++i) {
        const std::string &name = script.FileNames[i];
        if (IsBareFileName(name))
            check(name.find('/') == std::string::npos && name.find('\\') == std::string::npos &&
                  name.find("..") == std::string::npos);
        check(validDate(DecodeUpdateDate(script.FileVersions[i])));
        const std::string &required = script.FileRequiredAppVersions[i];
        check(CompareVersions(required, version) == -CompareVersions(version, required));
        check(CompareVersions(required, required) == 0);
    }
    check(validDate(DecodeUpdateDate(text.substr(0, 16))));

    const std::string normalized = NormalizeDownloadedText(text.substr(0, 4096));
    check(onlyCrLfBreaks(normalized));
    check(normalized == referenceNormalized(text.substr(0, 4096)));
    return 0;
}
