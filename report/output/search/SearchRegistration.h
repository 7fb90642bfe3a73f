#pragma once

// What the text search registers at the library's start-up, and takes back
// at its end: the engine offered by default ("Full Search"), the
// highlighters of plain and rich text, and the toolbox. The search preview
// and its settings dialog are registered just before these.

namespace report {

void ppRegisterTextSearch();
void ppUnRegisterTextSearch();

} // namespace report
