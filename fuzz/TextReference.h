#pragma once

// Slow, obviously right versions of the text search, replace and field
// routines; the fuzz targets compare the fast ones against them.

#include "platform/rtl/Win1252.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace textref {

inline bool sameAt(std::string_view text, size_t at, std::string_view pattern, bool noCase)
{
    if (at > text.size() || text.size() - at < pattern.size())
        return false;
    for (size_t k = 0; k < pattern.size(); ++k) {
        const auto a = uint8_t(text[at + k]);
        const auto b = uint8_t(pattern[k]);
        if (noCase ? rtl::AnsiUpper(a) != rtl::AnsiUpper(b) : a != b)
            return false;
    }
    return true;
}

inline size_t find(std::string_view text, std::string_view pattern, size_t from, bool noCase)
{
    for (size_t i = from; i + pattern.size() <= text.size(); ++i)
        if (sameAt(text, i, pattern, noCase))
            return i;
    return std::string_view::npos;
}

inline std::string replaceAll(std::string_view s, std::string_view find, std::string_view rep, bool noCase)
{
    if (find.empty())
        return std::string(s);
    std::string out;
    size_t pos = 0;
    for (size_t hit; (hit = textref::find(s, find, pos, noCase)) != std::string_view::npos; pos = hit + find.size()) {
        out.append(s.substr(pos, hit - pos));
        out.append(rep);
    }
    out.append(s.substr(pos));
    return out;
}

[[noreturn]] inline void mismatch(const char *what)
{
    std::fprintf(stderr, "mismatch: %s\n", what);
    std::abort();
}

} // namespace textref
