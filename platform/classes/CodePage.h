#pragma once

// Windows-1252 bytes of the stream forms to and from Unicode text, with a
// fast path for the usual plain-ASCII names and texts.

#include <QString>

#include <string>
#include <string_view>

namespace classes {

QString FromWin1252(std::string_view bytes);
// False when a character has no byte in the code page (out is then partial).
bool ToWin1252(QStringView text, std::string &out);
// Characters without a byte become '?'.
std::string ToWin1252Lossy(QStringView text);

} // namespace classes
