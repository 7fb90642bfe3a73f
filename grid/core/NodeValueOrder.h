#pragma once

// How two column values are ordered when nodes are sorted: nulls first, then
// numbers, then texts; values of one kind by their own order. Texts can
// instead follow the user's locale, case-sensitive. Dates and date-times go
// by the user's clock, so a local time the zone skipped sorts where it reads.

#include <QCollator>
#include <QVariant>

namespace grid {

// Negative, 0 or positive. With a collator, a first value that is a text
// orders both values as texts by it.
int NodeValueOrder(const QVariant &a, const QVariant &b, const QCollator *collator = nullptr);

// The collator of locale-aware text ordering: the user's locale, with case.
QCollator NodeTextCollator();

} // namespace grid
