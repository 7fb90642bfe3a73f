#pragma once

// The library's own English texts by resource id (message number + 43000).

#include <QString>

namespace report {

// '' for an id without a text.
QString ppOwnMessageText(int aResourceId);

} // namespace report
