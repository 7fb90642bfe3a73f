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

} // namespace rtl
