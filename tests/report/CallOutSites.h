#pragma once

// The places where the report library calls out to a program's code, read
// from the library's sources: every call through an event holder, every
// step of a printable that a program's class may override, every device
// class (its page receipt runs OnPageReceive) and every painting of a
// control in the designer. The handler sweep must fire each one; a new one
// it does not know fails the check that compares the two lists.

#include <string>
#include <vector>

namespace reporttest {

struct CallOutSite
{
    // "TppPrintable::DoOnPrint/OnPrint" for a call through a holder (the
    // routine that calls, the holder it calls); "virtual TppPrintable::Generate"
    // for a step; "device TppTextFileDevice"; "paint TppCustomImage".
    std::string name;
    // Where it was found first, relative to the source root: "file:line".
    std::string where;
};

// Reads the sources under aRoot (the folder that holds "report/"); sorted by
// name, each name once.
std::vector<CallOutSite> ScanCallOutSites(const std::string &aRoot);

} // namespace reporttest
