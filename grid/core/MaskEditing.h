#pragma once

// What a key does to the text of a mask editor. The mask editor keeps one
// character selected at its caret, so that typing replaces it; the text
// always has one character per mask position and its literals never change.
// The caret and the selection count characters, as the mask's positions do:
// a character beyond the basic plane is one, and the editor turns them into
// the line edit's UTF-16 units and back (MaskUnitOf, MaskPositionOf).
// The mask's own rules (which character goes where, blanks, literals) are
// rtl::EditMask's; this adds only the caret and the keys.

#include "platform/rtl/EditMask.h"

#include <QString>
#include <QStringView>

#include <optional>

namespace grid {

struct MaskEditText
{
    QString text;
    int selStart = 0; // positions count from 0
    int selLength = 0;
    friend bool operator==(const MaskEditText &, const MaskEditText &) = default;
};

// The UTF-16 unit where a position of the text starts, and the position
// that holds a unit (the half of a pair belongs to the pair's position).
int MaskUnitOf(QStringView text, int position);
int MaskPositionOf(QStringView text, int unit);

// One character selected at the caret; at the end of the text, none.
MaskEditText SelectAtCaret(const rtl::EditMask &mask, MaskEditText edit, int caret);

// Left and Right step over literals; Home and End go to the first and last
// editable positions.
MaskEditText MaskCaretLeft(const rtl::EditMask &mask, const MaskEditText &edit);
MaskEditText MaskCaretRight(const rtl::EditMask &mask, const MaskEditText &edit);
MaskEditText MaskCaretHome(const rtl::EditMask &mask, const MaskEditText &edit);
MaskEditText MaskCaretEnd(const rtl::EditMask &mask, const MaskEditText &edit);

struct MaskTyped
{
    MaskEditText edit;
    bool refused = false; // the editor beeps
};

// A typed character goes to the next editable position from the caret when
// the mask takes it there. One it refuses that equals a literal further on
// moves the caret past that literal.
MaskTyped MaskTypeChar(const rtl::EditMask &mask, const MaskEditText &edit, char32_t c);

// Delete and Backspace blank the selected editable positions. Backspace
// with at most one character selected first steps back to the previous
// editable position. Nothing (nullopt) when there is nothing to blank.
std::optional<MaskEditText> MaskDelete(const rtl::EditMask &mask, const MaskEditText &edit, bool backspace);

// Pasted text enters at the selection as if typed, except that characters
// the mask refuses are dropped without a sound; the caret follows the text.
MaskEditText MaskPaste(const rtl::EditMask &mask, const MaskEditText &edit, QStringView pasted);

// What a mask editor hands its host: the text as shown when blanks are to be
// ignored or there is no mask, else the mask's unformatted text.
QString MaskEditorText(const rtl::EditMask &mask, const QString &shown, bool ignoreMaskBlank);

// The first position the mask check refuses, or -1.
int MaskCheck(const rtl::EditMask &mask, const QString &shown, bool ignoreMaskBlank);

} // namespace grid
