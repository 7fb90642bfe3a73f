#pragma once

// The update list the update server publishes, and the small text rules the
// update road shares: dotted versions, "YYYY-MM-DD" dates, the file names a
// list may name and the line breaks of a downloaded file. Free of Qt, so that
// the parser can be fed arbitrary bytes on its own.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace settings {

// What one update list says. The four file lists run in parallel, one entry
// per file section in list order.
struct TUpdateScript
{
    // The application's download page; the caller presets the default and a
    // "Link:" of the "Application" section replaces it.
    std::string AppDownloadURL;
    // The "Version:" of the "Application" section; empty when there is none.
    std::string AppVersion;

    std::vector<std::string> FileNames;
    std::vector<std::string> FileLinks;
    // The application version a file needs, as listed (dotted); empty when
    // none is given.
    std::vector<std::string> FileRequiredAppVersions;
    // The release date of each file, "YYYY-MM-DD" as listed.
    std::vector<std::string> FileVersions;
};

// Receives the text of each warning about a malformed list, in list order;
// parsing goes on after it returns.
using UpdateScriptWarning = std::function<void(const std::string &text)>;

// Adds what the text says to the script and returns the application's listed
// version. Lines end at LF; a line that is none of the known kinds is skipped.
std::string ParseUpdateScript(std::string_view text, TUpdateScript &script, const UpdateScriptWarning &warn = {});

// Blanks and control characters removed at both ends.
std::string TrimText(std::string_view text);

// Negative, 0 or positive as a is older, equal to or newer than b. Dotted
// parts compare as numbers (lenient reading), missing parts count as 0, so
// "10.0" is newer than "9.5" and "2.10" newer than "2.9".
int CompareVersions(std::string_view a, std::string_view b);

struct TUpdateDate
{
    int Year = 2001;
    int Month = 1;
    int Day = 1;
    friend bool operator==(const TUpdateDate &, const TUpdateDate &) = default;
};

// A "YYYY-MM-DD" text read by position: the year from characters 1-4, the
// month from characters 6-7 and the day from the last two characters, each
// read leniently and rounded. Anything that is not a real date gives
// 1 January 2001.
TUpdateDate DecodeUpdateDate(std::string_view text);

// Whether a name from an update list may be written in the program folder:
// a plain file name, not a path, without control characters.
bool IsBareFileName(std::string_view name);

// Why Qt, the web engine or the desktop would take a file of this name in
// the program folder as configuration or code ("qt.conf", the web engine's
// helper program and resources, a desktop launcher); empty for any other
// name. Compared as IsProgramOwnFileName compares.
std::string RuntimeFileRefusal(std::string_view name);

// Whether a name from an update list is one of the program's own files
// rather than a data file its maker ships: the program itself (its file name
// given), a shared library or plug-in, the settings "Options.ini", the site
// list, the error log, the instance lock or any hidden
// name (the saves' temporary files), a ".bak" copy, a name whose ".bak"
// copy would take the place of one of theirs, or any name that begins with
// the user's file's name or its ".bak" copy's (the set-aside ".bad" lists). Names compare without case and
// without trailing dots and blanks, as a folder on a memory stick or a
// case-folding file system compares them.
bool IsProgramOwnFileName(std::string_view name, std::string_view programName);

// The name as such a folder stores it: two names of one list that fold alike
// are one file.
std::string FoldedFileName(std::string_view name);

// Every line break (CR LF, LF or CR) made CR LF, then runs of empty lines
// removed: four passes that each merge pairs of line breaks, so up to sixteen
// breaks in a row become one.
std::string NormalizeDownloadedText(std::string_view text);

} // namespace settings
