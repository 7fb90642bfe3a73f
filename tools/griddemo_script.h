#pragma once

// griddemo's scripts: one command per line that drives the demo grid as a
// user would (clicks, keys, the wheel) and checks what came of it.

#include "griddemo_grid.h"

#include <QImage>
#include <QString>

namespace grid {
class TreeListWidget;
}

namespace griddemo {

// Runs the script file against the shown grid. Failed checks are told on
// stderr as "FILE:LINE: expected ..., got ..."; the answer is 0 when every
// check held, 1 when one failed and 2 for a script that cannot run (a
// missing file, an unknown command, a bad argument, an unknown node).
int RunGridScript(const QString &path, GridDemo &demo, grid::TreeListWidget &widget);

// Saves the picture as a PNG file the way the program saves its files
// (a link planted in a shared folder, or a file or pipe planted there, is
// refused); empty on success, else why not, naming the file.
QString SavePicture(const QImage &image, const QString &path);

} // namespace griddemo
