#include "grid/core/MaskEditing.h"

#include <algorithm>
#include <vector>

namespace grid {

namespace {

// A text that lost its shape (an undo, an input method) is put back into the
// mask before a key works on it.
MaskEditText shaped(const rtl::EditMask &mask, MaskEditText edit)
{
    if (rtl::EditMask::length(edit.text) != mask.size())
        edit.text = mask.format(edit.text);
    return edit;
}

// Puts a typed character at a position: whatever stands there, one unit or
// a pair, makes way for it whole.
void putAt(QString &text, int position, char32_t c)
{
    const int unit = MaskUnitOf(text, position);
    const int taken = MaskUnitOf(text, position + 1) - unit;
    if (QChar::requiresSurrogates(c)) {
        const QChar pair[2] = {QChar(QChar::highSurrogate(c)), QChar(QChar::lowSurrogate(c))};
        text.replace(unit, taken, pair, 2);
    } else {
        text.replace(unit, taken, QChar(char16_t(c)));
    }
}

} // namespace

int MaskUnitOf(QStringView text, int position)
{
    qsizetype unit = 0;
    for (int p = 0; p < position && unit < text.size(); ++p)
        unit += unit + 1 < text.size() && text[unit].isHighSurrogate() && text[unit + 1].isLowSurrogate() ? 2 : 1;
    return int(unit);
}

int MaskPositionOf(QStringView text, int unit)
{
    int position = 0;
    for (qsizetype u = 0; u < text.size(); ++position) {
        u += u + 1 < text.size() && text[u].isHighSurrogate() && text[u + 1].isLowSurrogate() ? 2 : 1;
        if (u > unit)
            break;
    }
    return position;
}

MaskEditText SelectAtCaret(const rtl::EditMask &mask, MaskEditText edit, int caret)
{
    const int n = mask.isEmpty() ? rtl::EditMask::length(edit.text) : mask.size();
    edit.selStart = std::clamp(caret, 0, n);
    edit.selLength = edit.selStart < n ? 1 : 0;
    return edit;
}

MaskEditText MaskCaretLeft(const rtl::EditMask &mask, const MaskEditText &edit)
{
    int p = edit.selStart - 1;
    while (p >= 0 && !mask.isEditable(p))
        --p;
    return SelectAtCaret(mask, edit, p >= 0 ? p : edit.selStart);
}

MaskEditText MaskCaretRight(const rtl::EditMask &mask, const MaskEditText &edit)
{
    return SelectAtCaret(mask, edit, mask.nextEditable(edit.selStart + 1));
}

MaskEditText MaskCaretHome(const rtl::EditMask &mask, const MaskEditText &edit)
{
    return SelectAtCaret(mask, edit, mask.firstEditable());
}

MaskEditText MaskCaretEnd(const rtl::EditMask &mask, const MaskEditText &edit)
{
    return SelectAtCaret(mask, edit, mask.lastEditable());
}

MaskTyped MaskTypeChar(const rtl::EditMask &mask, const MaskEditText &edit, char32_t c)
{
    const int start = edit.selStart;
    const int p = mask.nextEditable(start);
    if (p < mask.size()) {
        if (const std::optional<char32_t> accepted = mask.acceptCharacter(p, c)) {
            MaskEditText out = shaped(mask, edit);
            if (edit.selLength > 1)
                out.text = mask.blankRange(out.text, start, edit.selLength);
            putAt(out.text, p, *accepted);
            return MaskTyped{SelectAtCaret(mask, out, mask.nextEditable(p + 1)), false};
        }
    }
    // A separator typed early jumps to the field after it.
    const int literal = mask.findLiteral(start - 1, c);
    if (literal >= 0)
        return MaskTyped{SelectAtCaret(mask, edit, mask.nextEditable(literal + 1)), false};
    return MaskTyped{edit, true};
}

std::optional<MaskEditText> MaskDelete(const rtl::EditMask &mask, const MaskEditText &edit, bool backspace)
{
    int start = edit.selStart;
    int length = edit.selLength;
    if (backspace && length <= 1) {
        int p = start - 1;
        while (p >= 0 && !mask.isEditable(p))
            --p;
        if (p < 0)
            return std::nullopt;
        start = p;
        length = 1;
    }
    if (length <= 0)
        return std::nullopt;
    MaskEditText out = shaped(mask, edit);
    out.text = mask.blankRange(out.text, start, length);
    return SelectAtCaret(mask, out, length > 1 ? mask.nextEditable(start) : start);
}

MaskEditText MaskPaste(const rtl::EditMask &mask, const MaskEditText &edit, QStringView pasted)
{
    MaskEditText out = shaped(mask, edit);
    if (edit.selLength > 1)
        out.text = mask.blankRange(out.text, edit.selStart, edit.selLength);
    const int n = mask.size();
    int pos = edit.selStart;
    for (const char32_t c : rtl::MaskCharacters(pasted)) {
        const int p = mask.nextEditable(pos);
        if (p >= n)
            break;
        if (const std::optional<char32_t> accepted = mask.acceptCharacter(p, c)) {
            putAt(out.text, p, *accepted);
            pos = p + 1;
            continue;
        }
        // A literal of the pasted text that stands where the mask has one
        // is passed over; anything else the mask refuses is dropped.
        for (int q = pos; q < p; ++q)
            if (mask.acceptCharacter(q, c) == c) {
                pos = q + 1;
                break;
            }
    }
    return SelectAtCaret(mask, out, mask.nextEditable(pos));
}

QString MaskEditorText(const rtl::EditMask &mask, const QString &shown, bool ignoreMaskBlank)
{
    if (ignoreMaskBlank || mask.isEmpty())
        return shown;
    return mask.unformat(shown);
}

int MaskCheck(const rtl::EditMask &mask, const QString &shown, bool ignoreMaskBlank)
{
    if (mask.isEmpty())
        return -1;
    return ignoreMaskBlank ? mask.checkAcceptingBlanks(shown) : mask.check(shown);
}

} // namespace grid
