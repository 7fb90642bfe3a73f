#pragma once

// Qt's keys in the platform's numbering that the grid's key rules use.

#include "grid/core/ControlTypes.h"

#include <QString>
#include <Qt>

#include <vector>

class QKeyEvent;

namespace grid {

// The virtual key of the event; 0 for keys the rules know nothing of.
TKey VirtualKey(const QKeyEvent &event);
TShiftState ShiftState(Qt::KeyboardModifiers modifiers);
// The characters the key types, as the platform makes them: with Ctrl (and
// not Alt) a letter types its control character and nothing else is typed.
QString TypedCharacters(const QKeyEvent &event);
// The characters of a text one by one, a surrogate pair as one character.
std::vector<TChar> CharactersOf(QStringView text);
// True when the text types something: a character, or half of one.
bool TypesCharacters(QStringView text);

// The characters of key events one after the other. A platform that types a
// character beyond the basic plane as two key events, one for each half of
// its surrogate pair, gets the pair joined into the one character; a half
// without its partner is dropped.
class CharacterJoiner
{
public:
    std::vector<TChar> take(QStringView text);

private:
    char16_t m_high = 0; // the first half, waiting for its partner
};
// One character as text.
QString CharacterText(TChar c);
// How many of the first units of a text, at most units, hold whole
// characters: a cut never leaves the first half of a pair behind.
qsizetype WholeCharacterUnits(QStringView text, qsizetype units);

} // namespace grid
