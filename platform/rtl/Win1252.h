#pragma once

// The single-byte text model: application texts are bytes in the Windows-1252
// code page, held in std::string. This layer converts at the edges (widgets,
// file names, URLs) and supplies the code page's upper-case mapping.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace rtl {

// Byte -> upper-case byte in Windows-1252 (accented letters included).
const std::array<uint8_t, 256> &AnsiUpperTable();

inline uint8_t AnsiUpper(uint8_t c)
{
    return AnsiUpperTable()[c];
}

// Upper-/lower-cases a whole text in Windows-1252.
std::string AnsiUpperCase(std::string_view text);
std::string AnsiLowerCase(std::string_view text);

// Windows-1252 byte -> Unicode code point, and back (0 when the code page
// cannot hold the character).
char16_t AnsiToUnicode(uint8_t c);
uint8_t UnicodeToAnsi(char16_t u);

} // namespace rtl
