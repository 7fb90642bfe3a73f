#pragma once

// The character case of a text editor and of the cells painted like it,
// one character for one (rtl::SimpleUpperCase): the editor puts its caret
// and selection back after converting, and the painter shows what it holds.

#include "grid/core/ControlTypes.h"

#include <QString>
#include <QStringView>

namespace grid {

TChar CaseConverted(TChar c, TEditCharCase charCase);
QString CaseConverted(QStringView text, TEditCharCase charCase);

} // namespace grid
