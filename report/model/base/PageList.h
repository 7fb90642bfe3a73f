#pragma once

// Page lists as a user types them: "1,3,5-12".

#include <QStringView>

#include <vector>

namespace report {

// More pages than any list may name; a longer list is refused rather than
// spelled out.
constexpr int ppMaxPageListEntries = 100000;

// The page numbers of aText, each once, in ascending order. Pieces are
// separated by ","; blanks around a piece or around its "-" are allowed and
// empty pieces are skipped; a piece is a page number (1 or more) or a range
// "a-b" of them, and "12-5" means the same as "5-12". False, with aPages
// empty, when a piece is neither or the list would name more than
// ppMaxPageListEntries pages.
bool ppParsePageList(QStringView aText, std::vector<int> &aPages);

} // namespace report
