#pragma once

// A character's single upper- or lower-case counterpart, as the 8-bit
// platform's conversions gave it: a text converted character by character
// keeps its length, so a caret, a selection or a mask position stays where
// it was. Qt's full mappings turn "ß" into "SS" and "İ" into "i" with a
// combining dot; a character with no single counterpart stays as it is.

namespace rtl {

char32_t SimpleUpperCase(char32_t c);
char32_t SimpleLowerCase(char32_t c);

} // namespace rtl
