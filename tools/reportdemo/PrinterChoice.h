#pragma once

// The printer a command line names. The library takes a name it does not
// know for the default printer; a person who names a printer expects that
// one or an error, as `lp -d` gives.

#include <QString>

namespace reportdemo {

// True when aName is a printer of the printing system's list, by its name
// or as "device on port"; else aError names it and the printers there are.
bool CheckPrinterName(const QString &aName, QString &aError);

} // namespace reportdemo
