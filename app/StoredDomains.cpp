#include "app/StoredDomains.h"

#include "foundation/MyUtilities.h"
#include "foundation/MyWebUtilities.h"

#include <cmath>

namespace app {

namespace {

// A count as the lenient reader takes it, or none when the field holds no
// number to read: the reader would make "lots" a 0 and "1e999" a count no
// column can show.
std::optional<double> storedCount(std::string_view field)
{
    while (!field.empty() && static_cast<unsigned char>(field.front()) <= ' ')
        field.remove_prefix(1);
    if (field.empty())
        return 0.0;
    if (field.front() < '0' || field.front() > '9')
        return std::nullopt;
    const double value = foundation::StrToNumber(field);
    if (!std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace

std::optional<StoredSite> ReadStoredSite(std::string_view line)
{
    StoredSite stored;
    size_t star = line.find('*');
    std::string_view site = line.substr(0, star);
    if (const size_t scheme = site.find("://"); scheme != std::string_view::npos)
        site.remove_prefix(scheme + 3);
    // A blank site would become a row no engine can be asked about.
    if (site.find_first_not_of(' ') == std::string_view::npos || !foundation::IsStorableSite(site))
        return std::nullopt;
    stored.Site = site;
    for (double &count : stored.Counts) {
        if (star == std::string_view::npos)
            break;
        line.remove_prefix(star + 1);
        star = line.find('*');
        const std::optional<double> value = storedCount(line.substr(0, star));
        if (!value)
            return std::nullopt;
        count = *value;
    }
    return stored;
}

} // namespace app
