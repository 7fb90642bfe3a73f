#include "platform/rtl/EditMask.h"

#include "QStringPrinter.h"

#include <gtest/gtest.h>

#include <climits>

using namespace rtl;

namespace {

const char16_t *const Phone = u"!\\(999\\)\\ 000\\-0000;0; ";

struct MaskRow
{
    const char16_t *mask;
    int size;
    bool save;
    QChar blank;
    // format("") and format(value)
    const char16_t *value;
    const char16_t *shown;
    const char16_t *empty;
    // unformat of `shown` and of a partly filled text
    const char16_t *partial;
    const char16_t *unformatShown;
    const char16_t *unformatPartial;
    int failAt; // check of the partial text
};

TEST(EditMask, FormatUnformatAndCheck)
{
    const MaskRow rows[] = {
        {u"00/00;1;_", 5, true, u'_', u"1234", u"12/34", u"__/__", u"1_/3_", u"12/34", u"1 /3 ", 1},
        {u";0;", 3, true, u'_', u"5", u";5;", u";_;", u";_;", u";5;", u"", 1},
        {u"00/00;0;_", 5, false, u'_', u"12/34", u"12/34", u"__/__", u"1_/3_", u"1234", u"1 3", 1},
        {u"!999;0;*", 3, false, u'*', u"7", u"**7", u"***", u"*5*", u"7", u"5 ", -1}, // only leading blanks go
        {Phone, 14, false, u' ', u"5551234567", u"(555) 123-4567", u"(   )    -    ", u"(   ) 123-4567", u"5551234567",
         u"1234567", -1},
    };
    for (const MaskRow &r : rows) {
        const EditMask m(QStringView(r.mask), FormatSettingsEnUS());
        const std::string name = QString::fromUtf16(r.mask).toStdString();
        EXPECT_EQ(m.size(), r.size) << name;
        EXPECT_EQ(m.saveLiterals(), r.save) << name;
        EXPECT_EQ(m.blank(), r.blank) << name;
        EXPECT_EQ(m.format(QStringView(r.value)), QString::fromUtf16(r.shown)) << name;
        EXPECT_EQ(m.format(u""), QString::fromUtf16(r.empty)) << name;
        EXPECT_EQ(m.unformat(QStringView(r.shown)), QString::fromUtf16(r.unformatShown)) << name;
        EXPECT_EQ(m.unformat(QStringView(r.partial)), QString::fromUtf16(r.unformatPartial)) << name;
        EXPECT_EQ(m.unformat(QStringView(r.empty)), QString()) << name;
        EXPECT_EQ(m.check(QStringView(r.partial)), r.failAt) << name;
        EXPECT_EQ(m.check(QStringView(r.shown)), -1) << name;
        EXPECT_EQ(m.check(u""), -1) << name;
    }
}

TEST(EditMask, CaretMovesOverLiterals)
{
    const EditMask date(u"00/00;1;_", FormatSettingsEnUS());
    EXPECT_EQ(date.firstEditable(), 0);
    EXPECT_EQ(date.lastEditable(), 4);
    EXPECT_EQ(date.previousEditable(3 - 1), 1); // Left from after the separator
    EXPECT_EQ(date.nextEditable(1 + 1), 3);     // Right from before it
    EXPECT_EQ(date.nextEditable(5), 5);
    EXPECT_EQ(date.findLiteral(0, u'/'), 2); // a typed "/" jumps past the separator
    EXPECT_EQ(date.findLiteral(3, u'/'), -1);
    EXPECT_EQ(date.findLiteral(0, u'-'), -1);
    EXPECT_EQ(date.findLiteral(INT_MAX, u'/'), -1); // a caret far past the end finds nothing

    const EditMask literalsAround(u";0;", FormatSettingsEnUS());
    EXPECT_EQ(literalsAround.firstEditable(), 1);
    EXPECT_EQ(literalsAround.lastEditable(), 1);
    EXPECT_EQ(literalsAround.previousEditable(0), 1); // nothing before: the first editable
    EXPECT_EQ(literalsAround.nextEditable(2), 3);
    EXPECT_EQ(literalsAround.findLiteral(1, u';'), 2);

    const EditMask none(u"\\(-\\)", FormatSettingsEnUS());
    EXPECT_EQ(none.firstEditable(), none.size());
    EXPECT_EQ(none.lastEditable(), none.size());
}

TEST(EditMask, TypedCharacters)
{
    const EditMask m(u">LL<ll<>La0#9Cc\\0/", FormatSettingsEnUS());
    const struct
    {
        int pos;
        char16_t typed;
        char16_t result; // 0: refused
    } cases[] = {
        {0, u'a', u'A'},  {1, u'Z', u'Z'},  {2, u'B', u'b'},  {3, u'q', u'q'}, {4, u'x', u'x'},
        {4, u'1', 0},     {5, u'1', u'1'},  {5, u'-', 0},     {6, u'5', u'5'}, {6, u'a', 0},
        {7, u'+', u'+'},  {7, u' ', u' '},  {7, u'x', 0},     {8, u'-', 0},    {9, u'?', u'?'},
        {10, u'e', u'e'}, {11, u'7', u'0'}, {12, u'x', u'/'}, {13, u'1', 0},   {-1, u'1', 0},
    };
    for (const auto &c : cases) {
        const std::optional<QChar> got = m.accept(c.pos, QChar(c.typed));
        if (c.result == 0)
            EXPECT_FALSE(got.has_value()) << c.pos << " " << char(c.typed);
        else
            EXPECT_EQ(got, QChar(c.result)) << c.pos << " " << char(c.typed);
    }
    // Formatting converts case but does not check.
    EXPECT_EQ(FormatMaskText(u"!90:00:00\\ >LL;0; ", u"13:30:55 pm", FormatSettingsEnUS()), "13:30:55 PM");
    EXPECT_EQ(FormatMaskText(u">LLL", u"a1!"), "A1!");
}

TEST(EditMask, DisplayMasksOfTheReport)
{
    const struct
    {
        const char16_t *mask;
        const char16_t *value;
        const char16_t *text;
    } cases[] = {
        {Phone, u"5551234567", u"(555) 123-4567"},
        {Phone, u"1234567", u"(   ) 123-4567"}, // "!" fills from the end
        {Phone, u"(555) 123-4567", u"(555) 123-4567"},
        {u"!99999;0; ", u"42", u"   42"},
        {u"000\\-00\\-0000;0; ", u"123456789", u"123-45-6789"},
        {u"00000;0; ", u"12345", u"12345"},
        {u"00000\\-9999;0; ", u"12345", u"12345-    "},
        {u"!99/99/00;0; ", u"30495", u" 3/04/95"},
        {u"!90:00:00\\ >LL;0; ", u"13:30:55 pm", u"13:30:55 PM"},
        {u"!90:00;0; ", u"930", u" 9:30"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(FormatMaskText(QStringView(c.mask), QStringView(c.value), FormatSettingsEnUS()),
                  QString::fromUtf16(c.text))
            << QString::fromUtf16(c.mask).toStdString();

    TFormatSettings dots = FormatSettingsEnUS();
    dots.DateSeparator = u'.';
    dots.TimeSeparator = u'h';
    EXPECT_EQ(EditMask(u"00/00", dots).format(u""), "__.__");
    EXPECT_EQ(EditMask(u"00:00", dots).format(u"1230"), "12h30");
}

TEST(EditMask, OddMasksAndValues)
{
    const TFormatSettings &us = FormatSettingsEnUS();
    EXPECT_TRUE(EditMask(u"", us).isEmpty());
    EXPECT_TRUE(EditMask(u"!><", us).isEmpty());
    EXPECT_TRUE(EditMask(u";;;;", us).isEmpty());
    EXPECT_EQ(FormatMaskText(u"!<>;0; ", u"abc", us), "abc"); // no positions: nothing to mask
    EXPECT_EQ(EditMask(u"", us).unformat(u"abc"), "abc");
    EXPECT_EQ(EditMask(u"00\\", us).size(), 2); // a trailing backslash stands for nothing
    const EditMask escapedSemicolon(u"00\\;", us);
    EXPECT_EQ(escapedSemicolon.size(), 3);
    EXPECT_TRUE(escapedSemicolon.isLiteral(2));
    EXPECT_TRUE(escapedSemicolon.saveLiterals());
    EXPECT_EQ(EditMask(u"00;0", us).blank(), u'_'); // a blank needs a save field before it

    // Values longer than the mask lose what does not fit.
    EXPECT_EQ(EditMask(u"00/00", us).format(u"123456"), "12/34");
    EXPECT_EQ(EditMask(u"!000", us).format(u"12345"), "345");

    const EditMask c(u"CC;1;_", us);
    EXPECT_EQ(c.check(u"a "), -1); // a space is a character for "C"
    EXPECT_EQ(c.check(u"a"), 1);   // a short text is blank at the end
    EXPECT_EQ(EditMask(u"LL;1;_", us).check(u"a "), 1);
    EXPECT_EQ(EditMask(u"00/00;1;_", us).checkAcceptingBlanks(u"1_/3_"), -1);
    EXPECT_EQ(EditMask(u"00/00;1;_", us).blankRange(u"12/34", 1, 3), "1_/_4");
    EXPECT_EQ(EditMask(u"00/00;1;_", us).blankRange(u"12/34", 3, 99), "12/__");
    EXPECT_EQ(EditMask(u"00/00;1;_", us).blankRange(u"12/34", -5, 2), "12/34");
}

TEST(EditMask, FormatUnformattedUndoesUnformat)
{
    const TFormatSettings &us = FormatSettingsEnUS();
    const struct
    {
        const char16_t *mask;
        const char16_t *text; // as an editor shows it
    } cases[] = {
        {u"cc-cc;0;_", u"ab--_"},                            // an entered "-" just before the "-" literal
        {u"cc-cc;1;_", u"ab--_"}, {u"!cc-cc;0;_", u"_a--x"}, // filled from the end
        {u"00/00;0;_", u"1_/3_"}, {u">LL<ll;0;*", u"ABcd"},  {u"", u"free text"},
    };
    for (const auto &c : cases) {
        const EditMask m(QStringView(c.mask), us);
        const QString handedOn = m.unformat(QStringView(c.text));
        EXPECT_EQ(m.unformat(m.formatUnformatted(handedOn)), handedOn) << QString::fromUtf16(c.mask).toStdString();
    }
    // format itself takes the "-" for the literal and loses it.
    const EditMask noLiterals(u"cc-cc;0;_", us);
    EXPECT_EQ(noLiterals.unformat(noLiterals.format(u"ab-")), "ab");
    EXPECT_EQ(noLiterals.formatUnformatted(u"ab-"), "ab--_");
    EXPECT_EQ(EditMask(u"!cc-cc;0;_", us).formatUnformatted(u"a-x"), "_a--x");
}

// A character beyond the basic plane is one character: it takes one
// position, whole, in every routine that counts positions.
TEST(EditMask, APairTakesOnePosition)
{
#define SMILE "\xF0\x9F\x98\x80"
#define HAN "\xF0\xA0\x80\x80" // U+20000
    const auto t = [](const char *utf8) { return QString::fromUtf8(utf8); };
    const TFormatSettings &us = FormatSettingsEnUS();
    EXPECT_EQ(FormatMaskText(u"cccc;0; ", t("Ann" SMILE), us), t("Ann" SMILE));
    EXPECT_EQ(EditMask(u"!cccc;0;_", us).format(t(SMILE "b")), t("__" SMILE "b"));
    EXPECT_EQ(EditMask(u"cc;0;_", us).format(t(SMILE HAN "x")), t(SMILE HAN)); // the rest does not fit
    EXPECT_EQ(EditMask(u">cc;1;_", us).format(t(SMILE "a")), t(SMILE "A"));
    EXPECT_EQ(EditMask::length(t("a" SMILE) + QChar(0xDC00)), 3); // a lone half counts alone

    const EditMask m(u"ccc;0;_", us);
    EXPECT_EQ(m.unformat(t("A" SMILE "_")), t("A" SMILE));
    EXPECT_EQ(EditMask(u"!ccc;0;_", us).unformat(t("_" SMILE "b")), t(SMILE "b"));
    EXPECT_EQ(EditMask(u"cc-c;1;_", us).unformat(t(SMILE "_-" HAN)), t(SMILE " -" HAN));
    EXPECT_EQ(m.formatUnformatted(t(SMILE "z")), t(SMILE "z_"));
    EXPECT_EQ(m.unformat(m.formatUnformatted(t(HAN SMILE))), t(HAN SMILE));
    EXPECT_EQ(m.blankRange(t(SMILE "b" HAN), 1, 1), t(SMILE "_" HAN));
    // The second required position is the blank one, not the pair's low half.
    EXPECT_EQ(EditMask(u"LL;1;_", us).check(t(SMILE "_")), 1);
    EXPECT_EQ(EditMask(u"CCC;1;_", us).check(t(SMILE HAN "_")), 2);
    EXPECT_EQ(EditMask(u"CC;1;_", us).checkAcceptingBlanks(t(SMILE "_")), -1);

    // A literal beyond the basic plane is one position, and no key's unit.
    const EditMask literal(t("0" SMILE "0"), us);
    EXPECT_EQ(literal.size(), 3);
    EXPECT_TRUE(literal.isLiteral(1));
    EXPECT_EQ(literal.format(u"12"), t("1" SMILE "2"));
    EXPECT_EQ(literal.format(t("1" SMILE "2")), t("1" SMILE "2"));
    EXPECT_FALSE(literal.accept(1, u'x').has_value());
    EXPECT_FALSE(EditMask(u"c", us).accept(0, t(SMILE)[0]).has_value()); // half of a pair never takes one
#undef SMILE
#undef HAN
}

} // namespace
