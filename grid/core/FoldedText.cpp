#include "grid/core/FoldedText.h"

#include <QChar>

#include <algorithm>

namespace grid {

namespace {

// One unit folded alone, or -1 where Qt's comparison would not fold it alone
// into one unit: a surrogate folds with its partner, and a character whose
// folded form lies beyond the basic plane takes two units.
int foldedTextUnit(char16_t unit)
{
    if (unit < 0x80)
        return unit >= u'A' && unit <= u'Z' ? unit + (u'a' - u'A') : unit;
    if (QChar::isSurrogate(unit))
        return -1;
    const char32_t folded = QChar::toCaseFolded(char32_t(unit));
    return folded > 0xFFFF || QChar::isSurrogate(folded) ? -1 : int(folded);
}

} // namespace

void FoldedPrefix::assign(QStringView text, uint16_t madeIn)
{
    const qsizetype n = std::min<qsizetype>(text.size(), Capacity);
    uint8_t made = text.size() > Capacity ? Longer : 0;
    for (qsizetype i = 0; i < n; ++i) {
        const int unit = foldedTextUnit(text[i].unicode());
        if (unit < 0) {
            made |= Inexact;
            units[i] = text[i].unicode();
        } else {
            units[i] = char16_t(unit);
        }
    }
    count = uint8_t(n);
    flags = made;
    generation = madeIn;
}

FoldedNeedle::FoldedNeedle(QStringView text)
    : m_size(text.size())
{
    m_folded.assign(text, 0);
}

} // namespace grid
