#include "platform/rtl/SimpleCase.h"

#include <QChar>

namespace rtl {

namespace {

// A counterpart on the other side of the basic plane's edge would take
// another number of UTF-16 units; the character stays as it is then.
char32_t sameLength(char32_t c, char32_t converted)
{
    return QChar::requiresSurrogates(converted) == QChar::requiresSurrogates(c) ? converted : c;
}

} // namespace

// Qt keeps a character whose full mapping is longer than one character as it
// is, also where the character database gives it a single counterpart as
// well. These are all of them: the Greek letters with ypogegrammeni upwards
// and the dotted capital I downwards.
char32_t SimpleUpperCase(char32_t c)
{
    if ((c >= 0x1F80 && c <= 0x1F87) || (c >= 0x1F90 && c <= 0x1F97) || (c >= 0x1FA0 && c <= 0x1FA7))
        return c + 8;
    switch (c) {
    case 0x1FB3: return 0x1FBC;
    case 0x1FC3: return 0x1FCC;
    case 0x1FF3: return 0x1FFC;
    default: return sameLength(c, QChar::toUpper(c));
    }
}

char32_t SimpleLowerCase(char32_t c)
{
    return c == 0x0130 ? char32_t(u'i') : sameLength(c, QChar::toLower(c));
}

} // namespace rtl
