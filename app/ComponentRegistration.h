#pragma once

namespace app {

// The start-up registration of the component libraries the program carries:
// the tree-list grid and the report library register their classes here and
// do nothing else. Called once, before the application's first window; the
// grid releases what it registered when the event loop ends.
void RegisterGridComponents();
// The page control's and the browser wrapper's classes for stored window
// layouts; the wrapper's help call bound to the program's help viewer, and
// the desktop shell's DDE names in the registry where it has none.
void RegisterWidgetComponents();
void RegisterReportComponents();

} // namespace app
