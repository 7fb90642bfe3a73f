#pragma once

// The binding of the compiled-help viewer. It is bound on first use and stays
// bound until the program ends.

namespace app {

// Binds the viewer when that has not happened yet; true when it is usable.
bool LoadHtmlHelp();
// True when compiled help can be shown (binding it first when needed).
bool HtmlHelpAvailable();

} // namespace app
