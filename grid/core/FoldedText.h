#pragma once

// Case folding for the prefix search, unit for unit as Qt's case-insensitive
// comparison folds, and the few folded units a node keeps of its text in the
// searched column. A search folds its text once and compares it with what
// the nodes keep, without asking a node for its text or folding it again;
// only a node whose kept units cannot decide is compared in full.

#include <QStringView>

#include <cstdint>

namespace grid {

// The first units of one text, folded. Units that fold only together with
// their neighbour (surrogates) or beyond one unit are not kept as such: the
// prefix is marked inexact and a full comparison decides.
struct FoldedPrefix
{
    static constexpr int Capacity = 3; // fills a node's room up to 8 bytes more
    enum Flag : uint8_t { Longer = 1, Inexact = 2 };

    uint16_t generation = 0; // of the owner's folded texts when made; 0 none
    uint8_t count = 0;       // units kept
    uint8_t flags = 0;
    char16_t units[Capacity] = {};

    void assign(QStringView text, uint16_t madeIn);
};

// A search text, folded once for all the nodes it is compared with.
class FoldedNeedle
{
public:
    enum Verdict { NoMatch, Match, Undecided };

    explicit FoldedNeedle(QStringView text);
    // Whether the text of the prefix starts with the needle, without regard
    // to case; Undecided when only the whole text can tell. Inline, as it
    // runs for every node a search passes.
    Verdict startOf(const FoldedPrefix &prefix) const
    {
        if ((prefix.flags | m_folded.flags) & FoldedPrefix::Inexact)
            return Undecided;
        // Kept units are as many as the text has, up to the capacity:
        // fewer than the needle's means a shorter text.
        const int compared = m_folded.count;
        if (prefix.count < compared)
            return NoMatch;
        for (int i = 0; i < compared; ++i)
            if (m_folded.units[i] != prefix.units[i])
                return NoMatch;
        if (m_size <= FoldedPrefix::Capacity)
            return Match;
        return (prefix.flags & FoldedPrefix::Longer) ? Undecided : NoMatch;
    }

private:
    FoldedPrefix m_folded; // the needle's own first units
    qsizetype m_size;
};

} // namespace grid
