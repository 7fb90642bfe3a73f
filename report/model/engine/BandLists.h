#pragma once

// The engine's ten band lists: 0 page styles, 1 page headers, 2 titles,
// 3 column headers, 4 group headers, 5 details, 6 group footers, 7
// summaries, 8 column footers, 9 page footers. A band goes to the list of
// the first of its kind bits that matches, in an order that puts a group
// header that also reprints as a page or column header with the group
// headers.

namespace report {

class TppCustomBand;

// The list of aBand, -1 for none.
int ppEngineListOf(TppCustomBand *aBand);

} // namespace report
