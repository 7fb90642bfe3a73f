#pragma once

// The text helpers every unit of the application uses on its single-byte
// (Windows-1252) texts: page HTML, file lines, settings values, displayed
// counts. Character positions and field numbers count from 1; a field that is
// not there is the empty text; numbers are read leniently. No state.

#include <string>
#include <string_view>

namespace foundation {

// The unit that MyUtilities' files name in their failed assertions.
inline constexpr const char *MyUtilitiesUnit = "MyUtilities";

// Position of the first occurrence (from position 1, or at or after start);
// 0 when absent, when either text is empty, or on any failure (such as a start
// below 1). Without case sensitivity both sides compare in upper case.
int StrPos(std::string_view text, std::string_view subText, bool caseSensitive);
int StrPosFrom(int start, std::string_view text, std::string_view subText, bool caseSensitive);

// Substrings clamped to the text, as ordinary substring extraction: a
// position below 1 counts as 1, a count below 1 gives the empty text.
std::string LeftStr(std::string_view text, int n);
std::string RightStr(std::string_view text, int n);
std::string CopyFrom(std::string_view text, int position);
std::string CopyStr(std::string_view text, int position, int n);

// Every occurrence replaced, left to right, without overlaps; the text
// unchanged when anything fails.
std::string ReplaceText(std::string_view text, std::string_view find, std::string_view replacement, bool caseSensitive);

// The n-th field separated by the delimiter (found without regard to case);
// empty when there is no such field or n < 1. An empty delimiter makes the
// whole text field 1.
std::string GetField(std::string_view text, std::string_view delimiter, int n);
int GetFieldCount(std::string_view text, std::string_view delimiter);

// The lenient number reader: a comma counts as the decimal point, trailing
// characters that do not belong to a number are cut off, and a text without a
// leading number gives 0. Never fails (an overflowing exponent gives an
// infinity, which a later rounding reports as a range error).
double StrToNumber(std::string_view text);

// Tabs, line feeds and carriage returns become blanks and every run of blanks
// becomes one blank (leading and trailing blanks stay, one each).
std::string NormalizeWhitespace(std::string_view text);

// Every character of code 128 or above replaced by the replacement (which may
// be empty); with fold, accented Latin letters first become their plain forms
// ("ü" -> "ue", "é" -> "e", "ß" -> "ss").
std::string RemoveNonASCIIChars(std::string_view text, std::string_view replacement, bool fold);

// Returns the text before the first CR LF (the whole text when there is none)
// and leaves the rest behind the CR LF in the text.
std::string ExtractFirstLine(std::string &text);

} // namespace foundation
