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

// The bytes a build before the escape stored this name as, where they differ
// from ToStoredText's and name nothing else: a name that holds "&#x" (or
// "&#X") literally and only characters of the code page. Such a build wrote
// the "&" as it stands, so the name is found there only under these bytes.
// Empty for every other name: one with a character outside the code page was
// stored as "?", and one whose old bytes this build reads as another name
// ("&#x416;", which is how this build stores "Ж") may be that name's.
std::string PreviousStoredText(const QString &text);

// GetPrivateProfileString on stored names and texts: the value is cut to
// bufferSize - 1 UTF-16 units of the text read back, as a buffer of that many
// characters would hold it, not in the middle of an escape.
QString GetStoredProfileString(const QString &section, const QString &key, const QString &defaultValue,
                               size_t bufferSize, const std::string &fileName);

} // namespace ini
