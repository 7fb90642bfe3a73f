#pragma once

// Section names, key names, registry paths and values as the settings stores
// hold them: Windows-1252 bytes, as every store written before holds them, with
// an escape for what the code page lacks. Such a character is written as "&#x",
// its code point in hexadecimal capitals, ";" ("Ж" is "&#x416;"), so that names
// in another script keep apart instead of all becoming question marks. An "&"
// that would start such an escape is itself written as "&#x26;", so that a text
// that holds "&#x416;" literally reads back as it was and names no other.

#include <QString>

#include <string>
#include <string_view>

namespace ini {

std::string ToStoredText(const QString &text);
QString FromStoredText(std::string_view bytes);

} // namespace ini
