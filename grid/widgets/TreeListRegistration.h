#pragma once

// The grid's start-up and shut-down, the only part of the grid the program
// itself calls: the column classes become known to component streams, the
// grid's cursors enter the cursor table, the shared timers are reset and
// the row-indicator glyphs are drawn. Nothing here needs a tree list.

namespace grid {

// Once per process, after the application object exists; again does nothing.
void RegisterTreeListGrid();
// Undoes the registration; nothing when it has not run.
void ReleaseTreeListGrid();
bool TreeListGridRegistered();

} // namespace grid
