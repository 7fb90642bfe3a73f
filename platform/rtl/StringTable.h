#pragma once

// The program's string table: the texts a unit shows, kept under the numbers
// they have always had, so that a text can be looked up (and one day
// translated) by its number. Each unit enters its own texts when the program
// is loaded, through a StringTableEntries object at namespace scope.

#include <initializer_list>
#include <string>

namespace rtl {

struct TStringTableEntry
{
    int Id;
    const char *Text;
};

class StringTableEntries
{
public:
    StringTableEntries(std::initializer_list<TStringTableEntry> entries);
};

// The text entered under id; empty when there is none.
std::string LoadStr(int id);

} // namespace rtl
