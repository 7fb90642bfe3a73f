#pragma once

// Conversions between the application's Windows-1252 byte texts and Qt's
// Unicode strings, used where texts meet widgets, file names and URLs.

#include <QString>

#include <string>
#include <string_view>

namespace rtl {

QString ToQString(std::string_view text);
// Characters the code page cannot hold become '?'.
std::string FromQString(const QString &text);
// Whether every character of the text has a byte in the code page: what
// must be written in it whole is refused, not folded, when this is false.
bool FitsCodePage(QStringView text);

// '0' to '9' only: numbers and masks take no other digits.
inline bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// The conversion routines' one failure: "'<text>' is not a valid <what>",
// raised as EConvertError.
[[noreturn]] void raiseNotValid(QStringView text, const char *what);

} // namespace rtl
