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

// What a password cell shows: one password character for each character of
// the text, a pair of UTF-16 units being one.
QString PasswordText(QStringView text, QChar passwordChar);

} // namespace grid
