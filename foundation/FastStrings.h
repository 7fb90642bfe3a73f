#pragma once

// Text search and replace-all under every search of the program. Result pages
// of search engines are searched for many markers and cleaned by many
// replacements, so the search is a skip-table (Horspool) search and the
// replace-all builds its result in one pass. Texts are Windows-1252 bytes and
// may hold NUL bytes; the case-insensitive routines compare through the code
// page's upper-case table.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace foundation {

// One entry per byte value: how far the window may move when that byte stands
// under the pattern's last byte.
using TSkipTable = std::array<uint32_t, 256>;

// Fills the table for the pattern; raises rtl::Exception("BufferLen is 0") for
// an empty pattern.
void MakeSkipTable(std::string_view pattern, TSkipTable &table);
// The same with every distance stored under the upper-case form of the byte.
void MakeSkipTableNoCase(std::string_view pattern, TSkipTable &table);

// The 0-based offset of the first match of the pattern in the text, or
// std::string_view::npos. The table must have been made for the pattern (by
// the variant of the same case rule).
size_t SkipTableFind(std::string_view text, std::string_view pattern, const TSkipTable &table);
size_t SkipTableFindNoCase(std::string_view text, std::string_view pattern, const TSkipTable &table);

// The 1-based position of the first match at or after the 1-based start, 0
// when there is none. A start below 1 is an assertion failure; an empty
// pattern raises "BufferLen is 0".
std::ptrdiff_t FastFind(std::string_view text, std::string_view pattern, std::ptrdiff_t start);
std::ptrdiff_t FastFindNoCase(std::string_view text, std::string_view pattern, std::ptrdiff_t start);

// Every occurrence of find replaced, found left to right without overlaps.
// An empty source gives an empty result, an empty find the source unchanged.
std::string FastReplaceAll(std::string_view source, std::string_view find, std::string_view replacement,
                           bool caseSensitive);

// Plain forward byte copy: an overlapping destination above the source
// repeats the leading bytes, as a byte-by-byte copy would.
void MoveBytes(const void *source, void *destination, size_t count);

} // namespace foundation
