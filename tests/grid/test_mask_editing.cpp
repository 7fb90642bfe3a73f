#include "GridPrinters.h"

#include "grid/core/MaskEditing.h"

#include "platform/rtl/FormatSettings.h"

#include <gtest/gtest.h>

#include <random>

using namespace grid;
using rtl::EditMask;

namespace {

EditMask mask(const char16_t *text)
{
    return EditMask(QStringView(text), rtl::FormatSettingsEnUS());
}

MaskEditText at(const QString &text, int start, int length = 1)
{
    return MaskEditText{text, start, length};
}

TEST(MaskEditing, KeysOfADateMask)
{
    const EditMask date = mask(u"00/00;1;_");
    const MaskEditText empty = at("__/__", 0);

    // A letter is refused where a digit is asked and changes nothing.
    const MaskTyped letter = MaskTypeChar(date, empty, u'x');
    EXPECT_TRUE(letter.refused);
    EXPECT_EQ(letter.edit, empty);

    // Digits fill the fields and step over the separator.
    MaskTyped typed = MaskTypeChar(date, empty, u'1');
    EXPECT_EQ(typed.edit, at("1_/__", 1));
    typed = MaskTypeChar(date, typed.edit, u'2');
    EXPECT_EQ(typed.edit, at("12/__", 3));
    // A separator typed early jumps to the next field.
    EXPECT_EQ(MaskTypeChar(date, at("1_/__", 1), u'/').edit, at("1_/__", 3));
    EXPECT_TRUE(MaskTypeChar(date, at("12/34", 5, 0), u'5').refused); // no room at the end

    // Left from the first position after the separator lands before it.
    EXPECT_EQ(MaskCaretLeft(date, at("12/34", 3)), at("12/34", 1));
    EXPECT_EQ(MaskCaretRight(date, at("12/34", 1)), at("12/34", 3));
    EXPECT_EQ(MaskCaretLeft(date, at("12/34", 0)), at("12/34", 0));
    EXPECT_EQ(MaskCaretRight(date, at("12/34", 4)), at("12/34", 5, 0));
    EXPECT_EQ(MaskCaretEnd(date, at("12/34", 0)), at("12/34", 4));
    EXPECT_EQ(MaskCaretHome(date, at("12/34", 4)), at("12/34", 0));

    // Deleting blanks and never shortens; Backspace steps back first.
    EXPECT_EQ(MaskDelete(date, at("12/34", 1), false), at("1_/34", 1));
    EXPECT_EQ(MaskDelete(date, at("12/34", 3), true), at("1_/34", 1));
    EXPECT_EQ(MaskDelete(date, at("12/34", 0, 5), false), at("__/__", 0));
    EXPECT_EQ(MaskDelete(date, at("12/34", 1, 3), false), at("1_/_4", 1));
    EXPECT_EQ(MaskDelete(date, at("12/34", 0), true), std::nullopt);     // nothing before
    EXPECT_EQ(MaskDelete(date, at("12/34", 5, 0), false), std::nullopt); // nothing selected

    // Whole text selected: typing blanks it and starts at the front.
    EXPECT_EQ(MaskTypeChar(date, at("12/34", 0, 5), u'9').edit, at("9_/__", 1));

    // Pasted text goes through the mask; literals of the paste are passed over.
    EXPECT_EQ(MaskPaste(date, empty, u"12/34"), at("12/34", 5, 0));
    EXPECT_EQ(MaskPaste(date, empty, u"1234"), at("12/34", 5, 0));
    EXPECT_EQ(MaskPaste(date, empty, u"a1b"), at("1_/__", 1));

    EXPECT_EQ(MaskCheck(date, "1_/34", false), 1);
    EXPECT_EQ(MaskCheck(date, "1_/34", true), -1);
    EXPECT_EQ(MaskEditorText(date, "__/__", false), "");
    EXPECT_EQ(MaskEditorText(date, "1_/34", false), "1 /34");
    EXPECT_EQ(MaskEditorText(date, "1_/34", true), "1_/34");
}

TEST(MaskEditing, OddMasksAndLongPastes)
{
    // No mask positions: nothing to type into, nothing to check.
    for (const char16_t *m : {u"", u"\\(-\\)", u"00\\"}) {
        const EditMask odd = mask(m);
        const QString shown = odd.format(u"");
        const MaskTyped typed = MaskTypeChar(odd, MaskEditText{shown, 0, 0}, u'x');
        EXPECT_EQ(typed.edit.text.size(), shown.size());
        EXPECT_EQ(MaskPaste(odd, MaskEditText{shown, 0, 0}, u"12345").text.size(), shown.size());
    }
    EXPECT_TRUE(MaskTypeChar(mask(u"\\(-\\)"), MaskEditText{"(-)", 0, 0}, u'x').refused);

    // A digit as blank: a typed 0 is a blank to the check and to the host.
    const EditMask zeros = mask(u"00;1;0");
    const MaskTyped typed = MaskTypeChar(zeros, at("00", 0), u'0');
    EXPECT_EQ(typed.edit.text, "00");
    EXPECT_EQ(MaskCheck(zeros, typed.edit.text, false), 0);
    EXPECT_EQ(MaskEditorText(zeros, "10", false), "1 ");

    // 300 positions and a paste of 100 000 characters.
    const EditMask wide(QString(300, u'c'), rtl::FormatSettingsEnUS());
    const MaskEditText pasted = MaskPaste(wide, MaskEditText{wide.format(u""), 0, 0}, QString(100000, u'z'));
    EXPECT_EQ(pasted.text, QString(300, u'z'));
    EXPECT_EQ(pasted.selStart, 300);
    const EditMask digits = mask(u"000;1;_");
    EXPECT_EQ(MaskPaste(digits, at("___", 0), QString(100000, u'x')).text, "___");
}

// A value that holds a character beyond the basic plane shows it whole; a
// key typed over it replaces it whole, never leaving half of it.
TEST(MaskEditing, TypingOverAPairReplacesItWhole)
{
    const EditMask any = mask(u"ccc;1;_");
    const QString shown = any.format(QString::fromUtf8("A\xF0\x9F\x98\x80"));
    ASSERT_EQ(shown, QString::fromUtf8("A\xF0\x9F\x98\x80_"));
    MaskTyped typed = MaskTypeChar(any, at(shown, 1), u'x');
    EXPECT_FALSE(typed.refused);
    EXPECT_EQ(typed.edit.text, "Ax_");
    EXPECT_EQ(MaskPaste(any, at(shown, 1), u"yz").text, "Ayz");
}

// The caret and the keys count characters: a character beyond the basic
// plane, typed, pasted or committed, takes one position as any other, and
// a letter among them is a letter to the mask, case conversion included.
TEST(MaskEditing, APairTypedPastedOrSteppedOverIsOneCharacter)
{
    const QString smile = QString::fromUtf8("\xF0\x9F\x98\x80");       // U+1F600
    const QString deseretLow = QString::fromUtf8("\xF0\x90\x90\xA8");  // U+10428, a lower-case letter
    const QString deseretHigh = QString::fromUtf8("\xF0\x90\x90\x80"); // U+10400, its capital

    const EditMask any = mask(u"ccc;1;_");
    MaskTyped typed = MaskTypeChar(any, at("___", 0), U'\U0001F600');
    EXPECT_FALSE(typed.refused);
    EXPECT_EQ(typed.edit, at(smile + "__", 1));
    typed = MaskTypeChar(any, typed.edit, U'\U0001F600');
    EXPECT_EQ(typed.edit, at(smile + smile + "_", 2));
    // Pasted, each pair fills one position and the caret follows by characters.
    EXPECT_EQ(MaskPaste(any, at("___", 0), QString("a" + smile + "b")), at("a" + smile + "b", 3, 0));
    // Left, Right, Delete and Backspace step over a pair as over one place.
    const MaskEditText two = at("a" + smile + "b", 2);
    EXPECT_EQ(MaskCaretLeft(any, two).selStart, 1);
    EXPECT_EQ(MaskCaretRight(any, at("a" + smile + "b", 1)).selStart, 2);
    EXPECT_EQ(MaskDelete(any, two, true), at("a_b", 1));
    EXPECT_EQ(MaskDelete(any, at("a" + smile + "b", 1), false), at("a_b", 1));

    // A letter beyond the basic plane is a letter, and ">" raises it.
    const EditMask upper = mask(u">LL-00;1;_");
    typed = MaskTypeChar(upper, at("__-__", 0), U'\U00010428');
    EXPECT_FALSE(typed.refused);
    EXPECT_EQ(typed.edit.text, deseretHigh + "_-__");
    EXPECT_TRUE(MaskTypeChar(upper, typed.edit, U'\U0001F600').refused); // no letter
    EXPECT_EQ(MaskPaste(upper, at("__-__", 0), QString(smile + deseretLow + smile + "\u0436" + "12")).text,
              deseretHigh + "\u0416-12");
    // A lone half is never a character.
    EXPECT_TRUE(MaskTypeChar(any, at("___", 0), char32_t(0xD83D)).refused);

    // The line edit's units and the mask's positions, both ways.
    const QString mixed = "a" + smile + "b" + smile;
    const int units[] = {0, 1, 3, 4, 6};
    for (int p = 0; p < 5; ++p) {
        EXPECT_EQ(MaskUnitOf(mixed, p), units[p]) << p;
        EXPECT_EQ(MaskPositionOf(mixed, units[p]), p) << p;
    }
    EXPECT_EQ(MaskPositionOf(mixed, 2), 1); // inside a pair: the pair's place
}

// Random masks, keys and pastes: the text keeps the mask's length, literals
// never change, and what the host reads comes back through SetEditValue.
TEST(MaskEditing, RandomKeysKeepTheMasksShape)
{
    std::mt19937 random(20240517);
    const QString maskChars = QStringLiteral("LlAaCc09#:/-() x><!\\");
    const QString typing = QStringLiteral("aZ09 -/:()x#+_\u00e9\u20ac");
    auto pick = [&](const QString &from) { return from[int(random() % from.size())]; };

    for (int round = 0; round < 400; ++round) {
        QString maskText;
        const int length = 1 + int(random() % 12);
        for (int i = 0; i < length; ++i)
            maskText += pick(maskChars);
        maskText += random() % 2 ? QStringLiteral(";1;_") : QStringLiteral(";0;_");
        const EditMask m(maskText, rtl::FormatSettingsEnUS());
        if (m.isEmpty())
            continue;
        const QString literals = m.format(u"");
        MaskEditText edit{literals, 0, int(random() % 2)};
        const std::string name = maskText.toStdString();

        for (int step = 0; step < 30; ++step) {
            switch (random() % 9) {
            case 0: edit = MaskCaretLeft(m, edit); break;
            case 1: edit = MaskCaretRight(m, edit); break;
            case 2: edit = MaskCaretHome(m, edit); break;
            case 3: edit = MaskDelete(m, edit, random() % 2).value_or(edit); break;
            case 4: {
                QString paste;
                for (int i = int(random() % 20); i > 0; --i)
                    paste += pick(typing);
                edit = MaskPaste(m, edit, paste);
                break;
            }
            case 5: edit.selLength = int(random() % (m.size() + 1)); break;
            default: edit = MaskTypeChar(m, edit, pick(typing).unicode()).edit; break;
            }
            ASSERT_EQ(edit.text.size(), m.size()) << name;
            for (int p = 0; p < m.size(); ++p) {
                if (m.isLiteral(p)) {
                    ASSERT_EQ(edit.text[p], literals[p]) << name << " at " << p;
                }
            }
            ASSERT_GE(edit.selStart, 0) << name;
            ASSERT_LE(edit.selStart, m.size()) << name;

            const QString handedOn = MaskEditorText(m, edit.text, false);
            const QString shownAgain = m.formatUnformatted(handedOn);
            ASSERT_EQ(MaskEditorText(m, shownAgain, false), handedOn) << name << " text " << edit.text.toStdString();
        }
    }
}

} // namespace
