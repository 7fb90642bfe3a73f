#pragma once

// One line of the stored counts "ZVO-Domains.txt": a site and its total and
// first five engines' counts, joined by "*".

#include <array>
#include <optional>
#include <string_view>

namespace app {

struct StoredSite
{
    std::string_view Site; // without its scheme
    std::array<double, 6> Counts{};
};

// The line's site and counts, or none when the line would not make a row
// that the site list can save and read back as it was: a site that is empty,
// longer than a host name may be or holds a control character (a tab would
// shift the row's counts in the list's file, a line break split the row),
// or a count that is no number. Missing counts are 0, as never checked.
std::optional<StoredSite> ReadStoredSite(std::string_view line);

} // namespace app
