#include "settings/UpdateScript.h"

#include "foundation/MyUtilities.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Rounding.h"

#include <cmath>

namespace settings {

using namespace foundation;

namespace {

constexpr std::string_view SectionMark = "* ";
constexpr std::string_view VersionKey = "Version:";
constexpr std::string_view RequiresKey = "RequiresAppVersion:";
constexpr std::string_view LinkKey = "Link:";
constexpr std::string_view ApplicationSection = "Application";

bool isTrimmable(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

bool startsWith(std::string_view line, std::string_view prefix)
{
    return line.substr(0, prefix.size()) == prefix;
}

std::string valueAfter(std::string_view line, std::string_view key)
{
    return TrimText(line.substr(key.size()));
}

// One part of a dotted version as a number; a part that reads as nothing
// sensible counts as 0 rather than poisoning the comparison.
double versionPart(std::string_view part)
{
    const double value = StrToNumber(part);
    return std::isnan(value) ? 0.0 : value;
}

std::vector<std::string_view> splitDots(std::string_view text)
{
    std::vector<std::string_view> parts;
    for (;;) {
        const size_t dot = text.find('.');
        parts.push_back(text.substr(0, dot));
        if (dot == std::string_view::npos)
            return parts;
        text.remove_prefix(dot + 1);
    }
}

// The files in the program folder that are the user's or the program's
// running state; the update list has no business with any of them. The
// stored counts "ZVO-Domains.txt" are not among them: the program only reads
// them, and the maker's list is how new counts reach the users.
constexpr std::string_view UserFileNames[] = {
    "options.ini",
    "domain-data.txt",
    "~se-errors.txt",
    ".zarvello.lock",
};

struct RuntimeFile
{
    std::string_view name; // folded
    std::string_view reason;
};

constexpr std::string_view QtConfiguration =
    "Qt's configuration, which Qt reads from the program folder at start and which names the folders its "
    "plug-ins load from";
constexpr std::string_view BrowserHelper =
    "the web engine's helper program, which the browser runs from the program folder";
constexpr std::string_view BrowserResource =
    "a resource of the web engine, which the browser reads from the program folder as its own";

// Names Qt and the web engine look for beside the executable and take as
// their own configuration or code. Plug-in folders ("platforms/...") need no
// entry: a name with a folder part is no plain file name.
constexpr RuntimeFile RuntimeFiles[] = {
    {"qt.conf", QtConfiguration},
    // Qt 6.5 and later look for this one first.
    {"qt6.conf", QtConfiguration},
    {"qtwebengineprocess", BrowserHelper},
    {"icudtl.dat", BrowserResource},
    {"snapshot_blob.bin", BrowserResource},
    {"v8_context_snapshot.bin", BrowserResource},
};

// The letters outside ASCII that a case-insensitive file system takes for
// ASCII ones: "Optionſ.ini" is "Options.ini" in a folder that folds case
// fully (ext4's casefold: "ß" is "ss", "ﬆ" is "st", the Kelvin sign is "K"),
// and "Optıons.ini" is where names compare in capitals (NTFS, exFAT: "ı" is
// "I", "ſ" is "S").
struct AsciiLookalike
{
    std::string_view utf8;
    std::string_view ascii;
};

constexpr AsciiLookalike AsciiLookalikes[] = {
    {"\u0131", "i"},   {"\u0130", "i"},  {"\u017F", "s"},  {"\u212A", "k"},  {"\u00DF", "ss"},
    {"\u1E9E", "ss"},  {"\uFB00", "ff"}, {"\uFB01", "fi"}, {"\uFB02", "fl"}, {"\uFB03", "ffi"},
    {"\uFB04", "ffl"}, {"\uFB05", "st"}, {"\uFB06", "st"},
};

// The name as a case-insensitive file system that drops trailing dots and
// blanks would store it.
std::string foldedFileName(std::string_view name)
{
    while (!name.empty() && (name.back() == '.' || name.back() == ' '))
        name.remove_suffix(1);
    std::string folded;
    folded.reserve(name.size());
    while (!name.empty()) {
        const AsciiLookalike *lookalike = nullptr;
        for (const AsciiLookalike &candidate : AsciiLookalikes)
            if (name.starts_with(candidate.utf8))
                lookalike = &candidate;
        if (lookalike) {
            folded += lookalike->ascii;
            name.remove_prefix(lookalike->utf8.size());
            continue;
        }
        const char c = name.front();
        folded += c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
        name.remove_prefix(1);
    }
    return folded;
}

// The name its ".bak" copy takes, without the ".bak": the name up to its
// last dot, a leading dot being no extension's.
std::string_view backupStem(std::string_view name)
{
    const size_t dot = name.rfind('.');
    return dot == std::string_view::npos || dot == 0 ? name : name.substr(0, dot);
}

bool endsWith(std::string_view text, std::string_view suffix)
{
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

bool isLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month)
{
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : days[month - 1];
}

} // namespace

std::string TrimText(std::string_view text)
{
    while (!text.empty() && isTrimmable(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isTrimmable(text.back()))
        text.remove_suffix(1);
    return std::string(text);
}

std::string ParseUpdateScript(std::string_view text, TUpdateScript &script, const UpdateScriptWarning &warn)
{
    std::string appVersion;
    bool inApplication = false;

    // A key outside the "Application" section with no file named yet has
    // nowhere to go; the list's author hears about it and the line is dropped.
    const auto fileEntry = [&](std::string_view key) -> bool {
        if (!script.FileNames.empty())
            return true;
        if (warn)
            warn("Error in the update script! \"" + std::string(key) + "\" found without corresponding file!");
        return false;
    };

    while (!text.empty()) {
        const size_t lf = text.find('\n');
        const std::string_view line = text.substr(0, lf);
        text.remove_prefix(lf == std::string_view::npos ? text.size() : lf + 1);

        if (startsWith(line, SectionMark)) {
            const std::string name = TrimText(line.substr(1));
            inApplication = name == ApplicationSection;
            if (!inApplication) {
                script.FileNames.push_back(TrimText(line.substr(2)));
                script.FileLinks.emplace_back();
                script.FileRequiredAppVersions.emplace_back();
                script.FileVersions.emplace_back();
            }
        } else if (startsWith(line, VersionKey)) {
            if (inApplication)
                appVersion = valueAfter(line, VersionKey);
            else if (fileEntry(VersionKey))
                script.FileVersions.back() = valueAfter(line, VersionKey);
        } else if (startsWith(line, RequiresKey)) {
            if (!inApplication && fileEntry(RequiresKey))
                script.FileRequiredAppVersions.back() = valueAfter(line, RequiresKey);
        } else if (startsWith(line, LinkKey)) {
            if (inApplication)
                script.AppDownloadURL = valueAfter(line, LinkKey);
            else if (fileEntry(LinkKey))
                script.FileLinks.back() = valueAfter(line, LinkKey);
        }
    }
    script.AppVersion = appVersion;
    return appVersion;
}

int CompareVersions(std::string_view a, std::string_view b)
{
    const std::vector<std::string_view> left = splitDots(a);
    const std::vector<std::string_view> right = splitDots(b);
    const size_t count = std::max(left.size(), right.size());
    for (size_t i = 0; i < count; ++i) {
        const double x = i < left.size() ? versionPart(left[i]) : 0.0;
        const double y = i < right.size() ? versionPart(right[i]) : 0.0;
        if (x < y)
            return -1;
        if (x > y)
            return 1;
    }
    return 0;
}

TUpdateDate DecodeUpdateDate(std::string_view text)
{
    try {
        const int year = rtl::Round(StrToNumber(CopyStr(text, 1, 4)));
        const int month = rtl::Round(StrToNumber(CopyStr(text, 6, 2)));
        const int day = rtl::Round(StrToNumber(RightStr(text, 2)));
        if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month))
            return {};
        return {year, month, day};
    } catch (const rtl::Exception &) {
        return {};
    }
}

bool IsBareFileName(std::string_view name)
{
    if (name.empty() || name == "." || name.find("..") != std::string_view::npos)
        return false;
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '/' || c == '\\' || u < 0x20 || u == 0x7F)
            return false;
    }
    return true;
}

std::string RuntimeFileRefusal(std::string_view name)
{
    const std::string folded = foldedFileName(name);
    for (const RuntimeFile &file : RuntimeFiles)
        if (folded == file.name)
            return std::string(file.reason);
    // "qtwebengine_resources.pak", "qtwebengine_devtools_resources.pak", ...
    if (folded.starts_with("qtwebengine"))
        return std::string(BrowserResource);
    // A file manager shown the folder offers a launcher as a program to run,
    // with whatever command line its author chose.
    if (endsWith(folded, ".desktop"))
        return "a desktop launcher, which a file manager runs as a program";
    return {};
}

bool IsProgramOwnFileName(std::string_view name, std::string_view programName)
{
    const std::string folded = foldedFileName(name);
    // Hidden names: the instance lock and the saves' temporary files.
    if (folded.empty() || folded.front() == '.')
        return true;
    // "libQt6Core.so", "libfoo.so.6", "libfoo.so.6.2.0"
    if (endsWith(folded, ".so") || folded.find(".so.") != std::string::npos || endsWith(folded, ".bak"))
        return true;
    // A data file is saved with its ".bak" copy: "Options.txt" would
    // overwrite the settings' backup, "zarvello.txt" the program's.
    const std::string_view stem = backupStem(folded);
    const std::string program = foldedFileName(programName);
    if (!program.empty() && (folded == program || stem == backupStem(program)))
        return true;
    for (const std::string_view own : UserFileNames) {
        if (stem == backupStem(own))
            return true;
        // What the program keeps of the user's beside the file itself: a list
        // it could not read is set aside as "Domain-Data.txt.bad" (".bad.1",
        // ...), never to be overwritten; and the ".bak" copies and anything
        // named after them.
        if (folded.starts_with(own) || folded.starts_with(std::string(backupStem(own)) + ".bak"))
            return true;
    }
    return false;
}

std::string FoldedFileName(std::string_view name)
{
    return foldedFileName(name);
}

std::string NormalizeDownloadedText(std::string_view text)
{
    std::string result;
    result.reserve(text.size() + text.size() / 8);
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            result += "\r\n";
        } else if (c == '\n') {
            result += "\r\n";
        } else {
            result += c;
        }
    }
    for (int pass = 0; pass < 4; ++pass)
        result = ReplaceText(result, "\r\n\r\n", "\r\n", true);
    return result;
}

} // namespace settings
