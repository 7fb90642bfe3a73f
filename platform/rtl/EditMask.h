#pragma once

// The class library's edit masks (not Qt's input masks, whose 0 and 9 mean
// the opposite). A mask text has up to three fields separated by ";": the
// mask, a save-literals flag ("0": only the entered characters are kept,
// anything else: the literals too) and the blank character (default "_").
// As in the class library, ";" separates fields only among the last four
// characters of a mask text of at least four; elsewhere it is a literal.
//
// Mask characters: "!" drops leading rather than trailing blanks (and fills
// from the end); ">" upper case follows, "<" lower case follows, "<>" case
// conversion off; "\" makes the next character a literal; "L" letter, "A"
// letter or digit, "C" any character, "0" digit (all required); "l", "a",
// "c", "9" the same optional; "#" digit, blank or sign, optional; ":" and "/"
// the record's time and date separators; any other character is a literal.
//
// Positions count from 0; the text a mask shows has one character per
// position, and a character beyond the basic plane (a pair of UTF-16 units)
// is one character: it takes one position, and neither half takes one alone.

#include "platform/rtl/FormatSettings.h"

#include <QChar>
#include <QString>
#include <QStringView>

#include <optional>
#include <vector>

namespace rtl {

class EditMask
{
public:
    EditMask() = default;
    explicit EditMask(QStringView mask);
    EditMask(QStringView mask, const TFormatSettings &settings);

    // A mask without positions masks nothing: texts pass unchanged.
    bool isEmpty() const { return m_positions.empty(); }
    int size() const { return int(m_positions.size()); }
    bool saveLiterals() const { return m_saveLiterals; }
    QChar blank() const { return m_blank; }
    bool reversed() const { return m_reversed; }

    bool isEditable(int pos) const;
    bool isLiteral(int pos) const;

    // The value as the mask shows it: literal positions write their literal
    // and use up the value's next character when it is that literal;
    // editable positions take the value's next character, case-converted
    // but not checked, or the blank when the value has run out. With "!" the
    // walk runs from the end. Characters the mask has no room for are
    // dropped.
    QString format(QStringView value) const { return format(value, m_blank); }
    QString format(QStringView value, QChar blank) const;

    // What an editor hands on for its text: '' when every editable position
    // is blank; otherwise, saving literals, the text with its blanks as
    // spaces; else only the entered characters, without the blanks at the
    // end ("!": at the start) and with the others as spaces.
    QString unformat(QStringView text) const;

    // The text for a value that unformat handed on, so that unformatting it
    // gives the value back. Saving literals it is format. Without them the
    // value holds entered characters only: each fills the next editable
    // position, and none is taken for a literal it happens to equal (format
    // would, and an entered "-" before a "-" literal would be lost).
    QString formatUnformatted(QStringView value) const;

    // The first required position that is blank, or holds a space where
    // the mask asks for anything but "C"; -1 when there is none (an empty
    // text passes). The second form accepts blanks.
    int check(QStringView text) const;
    int checkAcceptingBlanks(QStringView text) const;

    // The character that typing `c` at `pos` puts there (case-converted), or
    // nothing when the mask refuses it. A literal position takes its own
    // literal whatever is typed.
    std::optional<char32_t> acceptCharacter(int pos, char32_t c) const;
    // The same for one UTF-16 unit: half of a pair is refused, and so is an
    // answer that takes two units.
    std::optional<QChar> accept(int pos, QChar c) const;

    // The first editable position at or after `pos` (size() when none).
    int nextEditable(int pos) const;
    // The last editable position at or before `pos`; when there is none,
    // the first editable position.
    int previousEditable(int pos) const;
    int firstEditable() const { return nextEditable(0); }
    int lastEditable() const { return previousEditable(size() - 1); }

    // The first literal after `pos` that equals `c` (a typed separator jumps
    // there), or -1.
    int findLiteral(int pos, char32_t c) const;
    int findLiteral(int pos, QChar c) const { return findLiteral(pos, char32_t(c.unicode())); }

    // The text with the editable positions among count characters from start
    // blanked; literals stay.
    QString blankRange(QStringView text, int start, int count) const;

    // The number of positions a text fills: its characters, a pair counting
    // as one.
    static int length(QStringView text);

private:
    enum class CharCase : uint8_t { Normal, Upper, Lower };
    struct Position
    {
        char32_t ch; // the mask character, or the literal
        bool literal = false;
        CharCase charCase = CharCase::Normal;
    };

    static char32_t convert(char32_t c, CharCase charCase);
    int firstFailure(QStringView text, bool acceptBlanks) const;

    std::vector<Position> m_positions;
    bool m_saveLiterals = true;
    bool m_reversed = false;
    QChar m_blank = u'_';
};

// The value's text through a mask, blanks as spaces: how a report shows a
// text field with a mask as its display format.
QString FormatMaskText(QStringView mask, QStringView value);
QString FormatMaskText(QStringView mask, QStringView value, const TFormatSettings &settings);

// A text as a mask's positions hold it: a pair is one character; a lone
// half, which no position would ever make, is kept as it stands.
std::vector<char32_t> MaskCharacters(QStringView text);

} // namespace rtl
