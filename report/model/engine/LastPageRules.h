#pragma once

// What the last page of a report looks like once it is known to be the
// last: page headers and footers that do not print on the last page leave
// it, and the body closes up under the headers.

#include <vector>

namespace report {

class TppCustomBand;
class TppPage;

// The commands of each page header without PrintOnLastPage go, and every
// other command but those of titles, page and column footers moves up by
// the tallest such header printed; the commands of each page footer
// without PrintOnLastPage go, and column footer commands move down by its
// height.
void ppApplyLastPageRules(TppPage &aPage, const std::vector<TppCustomBand *> &aHeaders,
                          const std::vector<TppCustomBand *> &aFooters);

} // namespace report
