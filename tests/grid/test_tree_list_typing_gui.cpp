// Typing into the grid as a user does, in any script: the key events go to
// the real grid widget and its real editors, and what a cell, an editor or
// the incremental search ends up holding is read back.

#include "GridTestSinks.h"

#include "grid/core/TreeListControl.h"
#include "grid/core/TreeListHooks.h"
#include "grid/widgets/InplaceMaskEdit.h"
#include "grid/widgets/TreeListWidget.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <map>

using namespace grid;

namespace {

const QString Cyrillic = QStringLiteral("д");
const QString Emoji = QString::fromUtf8("\xF0\x9F\x98\x80");        // U+1F600, two UTF-16 units
const QString DeseretSmall = QString::fromUtf8("\xF0\x90\x90\xA8"); // U+10428
const QString DeseretCapital = QString::fromUtf8("\xF0\x90\x90\x80");

// One key that types text, as the keyboard layout makes it.
void typeKey(QWidget *target, const QString &text, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    const int key = text.size() == 1 ? int(QChar(text[0]).toUpper().unicode()) : int(Qt::Key_unknown);
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(target, &release);
}

// The widget that has the keyboard now: the grid, or its editor's line.
QWidget *keyboardTarget(QWidget *fallback)
{
    QWidget *focus = QApplication::focusWidget();
    return focus ? focus : fallback;
}

struct TypingGrid
{
    explicit TypingGrid(unsigned extraOptionsB)
        : tree(std::make_unique<TCustomdxTreeListControl>(nullptr))
    {
        text = tree->CreateColumn(TdxTreeListColumn::StaticClass());
        mask = static_cast<TdxTreeListMaskColumn *>(tree->CreateColumn(TdxTreeListMaskColumn::StaticClass()));
        mask->SetEditMask("LL;1;_");
        for (const char *caption : {"x", "été", "дом", "😀 smile", "Дно"}) {
            TdxTreeListNode *node = tree->Add();
            tree->SetNodeString(node, 0, QString::fromUtf8(caption));
            nodes.push_back(node);
        }
        tree->SetOptionsA((tree->OptionsA() | 1u << aoEditing) & ~(1u << aoRowFocus));
        tree->SetOptionsB(tree->OptionsB() | extraOptionsB);
        widget = std::make_unique<TreeListWidget>(tree.get());
        widget->resize(320, 160);
        widget->show();
        widget->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(widget.get()));
        widget->setFocus();
        tree->SetFocusedNode(nodes[0]);
    }
    ~TypingGrid()
    {
        widget.reset();
        tree.reset();
    }

    void type(const QString &typed) { typeKey(keyboardTarget(widget.get()), typed); }
    QLineEdit *line() const
    {
        auto *edit = dynamic_cast<TdxInplaceTextEdit *>(tree->Editor());
        return edit && tree->State() == tsEditing ? edit->lineEdit() : nullptr;
    }

    gridtest::RecordingBeeps beeps;
    std::unique_ptr<TCustomdxTreeListControl> tree;
    TdxTreeListColumn *text = nullptr;
    TdxTreeListMaskColumn *mask = nullptr;
    std::vector<TdxTreeListNode *> nodes;
    std::unique_ptr<TreeListWidget> widget;
};

} // namespace

// The first character typed on a cell opens its editor holding that
// character, whatever the script; it replaces what the cell held, and the
// keys after it go on from there.
TEST(TreeListTypingGui, TheCharacterThatOpensTheEditorIsTheEditorsFirstCharacter)
{
    for (const QString &first : {QStringLiteral("a"), QStringLiteral("é"), Cyrillic, Emoji}) {
        TypingGrid g(1u << boImmediateEditor);
        g.type(first);
        ASSERT_TRUE(g.line()) << first.toStdString();
        EXPECT_EQ(g.line()->text(), first) << first.toStdString();
        g.type(QStringLiteral("b"));
        EXPECT_EQ(g.line()->text(), first + "b");
        ASSERT_TRUE(g.tree->EndEditing());
        EXPECT_EQ(g.tree->GetNodeString(g.nodes[0], 0), first + "b");
    }
    // One key event that types two characters: the second goes in after the
    // first rather than to the grid under the open editor.
    {
        TypingGrid two(1u << boImmediateEditor);
        two.type(Cyrillic + Emoji);
        ASSERT_TRUE(two.line());
        EXPECT_EQ(two.line()->text(), Cyrillic + Emoji);
    }
    // A platform that sends the two halves of a pair as two key events: the
    // grid opens the editor on the whole character, not on its first half.
    TypingGrid g(1u << boImmediateEditor);
    g.type(Emoji.left(1));
    EXPECT_EQ(g.tree->State(), tsNone);
    g.type(Emoji.mid(1));
    ASSERT_TRUE(g.line());
    EXPECT_EQ(g.line()->text(), Emoji);
}

// A mask editor takes the opening character through its mask; a character
// the mask's positions cannot hold whole is refused as any other, not split
// over two positions.
TEST(TreeListTypingGui, AMaskedCellTakesTheOpeningLetterAndRefusesACharacterItCannotHold)
{
    TypingGrid g(1u << boImmediateEditor);
    g.tree->SetFocusedColumn(1);
    g.type(Cyrillic);
    ASSERT_TRUE(g.line());
    EXPECT_EQ(g.line()->text(), Cyrillic + "_");
    EXPECT_EQ(g.beeps.count(), 0);
    g.type(Emoji);
    EXPECT_EQ(g.line()->text(), Cyrillic + "_");
    EXPECT_EQ(g.beeps.count(), 1);
    g.type(QStringLiteral("ы"));
    EXPECT_EQ(g.line()->text(), Cyrillic + "ы");

    ASSERT_TRUE(g.tree->EndEditing());

    // Pasted where any character goes, a character beyond the basic plane
    // takes one position, whole.
    g.mask->SetEditMask("CCC;1;_");
    g.tree->SetFocusedNode(g.nodes[1]);
    QTest::keyClick(g.widget.get(), Qt::Key_F2);
    ASSERT_TRUE(g.line());
    g.line()->selectAll();
    QApplication::clipboard()->setText(QStringLiteral("a") + Emoji + "b");
    QTest::keyClick(g.line(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(g.line()->text(), QStringLiteral("a") + Emoji + "b");
}

// A character beyond U+FFFF opens a masked cell's editor, or is typed on in
// it, as one character: a letter from beyond the basic plane is a letter
// where the mask asks for one, an emoji fills a place that takes anything.
TEST(TreeListTypingGui, AMaskedCellTakesACharacterBeyondTheBasicPlaneWhole)
{
    TypingGrid g(1u << boImmediateEditor);
    g.tree->SetFocusedColumn(1);
    g.type(DeseretSmall);
    ASSERT_TRUE(g.line());
    EXPECT_EQ(g.line()->text(), DeseretSmall + "_");
    g.type(Cyrillic);
    EXPECT_EQ(g.line()->text(), DeseretSmall + Cyrillic);
    ASSERT_TRUE(g.tree->EndEditing());
    EXPECT_EQ(g.tree->GetNodeString(g.nodes[0], 1), DeseretSmall + Cyrillic);

    g.mask->SetEditMask("CCC;1;_");
    g.tree->SetFocusedNode(g.nodes[1]);
    g.type(Emoji);
    ASSERT_TRUE(g.line());
    g.type(Emoji.left(1));
    g.type(Emoji.mid(1));
    g.type(QStringLiteral("z"));
    EXPECT_EQ(g.line()->text(), Emoji + Emoji + "z");
    EXPECT_EQ(g.beeps.count(), 0);
}

// Character case and MaxLength work on whole characters: a capital from
// beyond the basic plane, and a pair that does not fit is left out whole.
TEST(TreeListTypingGui, CaseAndLengthLimitsKeepCharactersWhole)
{
    TypingGrid g(1u << boImmediateEditor);
    g.text->SetCharCase(ecUpperCase);
    g.type(Cyrillic);
    g.type(DeseretSmall);
    ASSERT_TRUE(g.line());
    EXPECT_EQ(g.line()->text(), QStringLiteral("Д") + DeseretCapital);
    ASSERT_TRUE(g.tree->EndEditing());

    g.text->SetCharCase(ecNormal);
    g.text->SetMaxLength(3);
    g.tree->SetFocusedNode(g.nodes[1]);
    g.type(QStringLiteral("a"));
    g.type(QStringLiteral("b"));
    g.type(Emoji);
    EXPECT_EQ(g.line()->text(), "ab");
    g.type(Cyrillic);
    EXPECT_EQ(g.line()->text(), "ab" + Cyrillic);
}

// The incremental search takes what is typed in any script, a character
// beyond the basic plane as one, and leaves out control characters that
// Latin-1 counted among its upper half.
TEST(TreeListTypingGui, IncrementalSearchFindsWhatIsTypedInAnyScript)
{
    TypingGrid g(1u << boIncrementalSearch);
    g.type(Cyrillic);
    EXPECT_EQ(g.tree->FocusedNode(), g.nodes[2]);
    EXPECT_EQ(g.tree->SearchText(), Cyrillic);
    g.type(QStringLiteral("н"));
    EXPECT_EQ(g.tree->FocusedNode(), g.nodes[4]);
    EXPECT_EQ(g.tree->SearchText(), Cyrillic + "н");

    g.tree->EndSearch();
    g.type(Emoji);
    EXPECT_EQ(g.tree->FocusedNode(), g.nodes[3]);
    EXPECT_EQ(g.tree->SearchText(), Emoji);
    g.type(QString(QChar(0x85))); // NEL, a control in Unicode
    EXPECT_EQ(g.tree->SearchText(), Emoji);

    g.tree->EndSearch();
    g.tree->SetFocusedNode(g.nodes[0]);
    g.type(QStringLiteral("é"));
    EXPECT_EQ(g.tree->FocusedNode(), g.nodes[1]);
}

// Backspace is a character as well as a key: handed to the editor it opens,
// it deletes there, once, and a handler that takes it keeps the text.
TEST(TreeListTypingGui, BackspaceDeletesOnceInTheEditorItOpens)
{
    TypingGrid g(1u << boImmediateEditor);
    QTest::keyClick(g.widget.get(), Qt::Key_Backspace);
    ASSERT_TRUE(g.line());
    EXPECT_EQ(g.line()->text(), QString());
    g.type(QStringLiteral("ab") + Emoji);
    QTest::keyClick(g.line(), Qt::Key_Backspace);
    EXPECT_EQ(g.line()->text(), QStringLiteral("ab"));
    g.tree->OnKeyPress.Set([](classes::TObject *, TChar &key) {
        if (key == '\b')
            key = 0;
    });
    QTest::keyClick(g.line(), Qt::Key_Backspace);
    EXPECT_EQ(g.line()->text(), QStringLiteral("ab"));
    // Ctrl+Backspace is no Backspace character: it deletes the word before.
    g.tree->OnKeyPress.Set(nullptr);
    g.type(QStringLiteral(" cd"));
    QKeyEvent word(QEvent::KeyPress, Qt::Key_Backspace, Qt::ControlModifier, QStringLiteral("\b"));
    QApplication::sendEvent(g.line(), &word);
    EXPECT_EQ(g.line()->text(), QStringLiteral("ab "));
}

namespace {

// What an input method sends when the user accepts a composition: the text,
// with no composition left.
void commitText(QWidget *target, const QString &text)
{
    QInputMethodEvent event(QString(), {});
    event.setCommitString(text);
    QApplication::sendEvent(target, &event);
}

// The case mappings of the characters below, one character for one, as the
// editor's conversion is to make them.
QString expectedCase(const QString &text, TEditCharCase charCase)
{
    static const std::map<QString, std::pair<QString, QString>> upperLower = {
        {"s", {"S", "s"}}, {"t", {"T", "t"}}, {"r", {"R", "r"}}, {"a", {"A", "a"}},
        {"e", {"E", "e"}}, {"x", {"X", "x"}}, {"ß", {"ß", "ß"}}, {"İ", {"İ", "i"}},
        {"ﬁ", {"ﬁ", "ﬁ"}}, {"i", {"I", "i"}}, {"S", {"S", "s"}}, {"T", {"T", "t"}},
        {"R", {"R", "r"}}, {"A", {"A", "a"}}, {"E", {"E", "e"}}, {"X", {"X", "x"}},
    };
    QString out;
    for (const QChar c : text) {
        const auto &[upper, lower] = upperLower.at(QString(c));
        out += charCase == ecUpperCase ? upper : charCase == ecLowerCase ? lower : QString(c);
    }
    return out;
}

} // namespace

// For every case setting and every kind of mask: text whose full case
// mapping has another length ("ß" to "SS", "İ" to "i" and a dot, "ﬁ" to
// "FI") is stored one character for one, typed key by key or committed by an
// input method alike; the mask places committed text as it places keys.
TEST(TreeListTypingGui, CaseAndMasksHoldForLengthChangingTextAndInputMethods)
{
    struct MaskKind
    {
        const char *mask;  // nullptr: the text column
        TEditCharCase own; // the mask's own case directive
        bool literal;      // a "-" after the third position
    };
    const MaskKind kinds[] = {
        {nullptr, ecNormal, false},          {"", ecNormal, false},
        {"CCCCCC;1;_", ecNormal, false},     {">CCCCCC;1;_", ecUpperCase, false},
        {"<CCCCCC;1;_", ecLowerCase, false}, {"LLL-LLL;1;_", ecNormal, true},
    };
    const QString texts[] = {QString::fromUtf8("straße"), QString::fromUtf8("İxﬁßİx")};
    for (const MaskKind &kind : kinds) {
        for (const TEditCharCase charCase : {ecNormal, ecUpperCase, ecLowerCase}) {
            for (const QString &text : texts) {
                // The column's case holds for the whole text after every change,
                // over the mask's own.
                QString expected = expectedCase(expectedCase(text, kind.own), charCase);
                if (kind.literal)
                    expected.insert(3, u'-');
                for (const bool byInputMethod : {false, true}) {
                    const std::string what = std::string(kind.mask ? kind.mask : "(text)") + " case " +
                                             std::to_string(charCase) + " " + text.toStdString() +
                                             (byInputMethod ? " committed" : " typed");
                    TypingGrid g(0);
                    TdxTreeListColumn *column = kind.mask ? g.mask : g.text;
                    if (kind.mask)
                        g.mask->SetEditMask(QString::fromLatin1(kind.mask));
                    column->SetCharCase(charCase);
                    g.tree->SetFocusedColumn(column->Index());
                    g.tree->SetNodeString(g.nodes[0], column->Index(), QString());
                    QTest::keyClick(g.widget.get(), Qt::Key_F2);
                    ASSERT_TRUE(g.line()) << what;
                    QTest::keyClick(g.line(), Qt::Key_Home);
                    if (byInputMethod) {
                        commitText(g.line(), text);
                    } else {
                        for (const QChar c : text)
                            g.type(QString(c));
                    }
                    EXPECT_EQ(g.line()->text(), expected) << what;
                    ASSERT_TRUE(g.tree->EndEditing()) << what;
                    EXPECT_EQ(g.tree->GetNodeString(g.nodes[0], column->Index()), expected) << what;
                    EXPECT_EQ(g.beeps.count(), 0) << what;
                }
            }
        }
    }
}

// A limit on the length counts characters that keep their length through
// the case; a mask takes a committed text one character at a time, and
// refuses what it refuses from keys.
TEST(TreeListTypingGui, ALengthLimitAndADigitMaskHoldForCommittedText)
{
    for (const bool byInputMethod : {false, true}) {
        TypingGrid g(0);
        g.text->SetCharCase(ecUpperCase);
        g.text->SetMaxLength(3);
        g.tree->SetNodeString(g.nodes[0], 0, QString());
        QTest::keyClick(g.widget.get(), Qt::Key_F2);
        ASSERT_TRUE(g.line());
        const QString typed = QString::fromUtf8("abßd");
        if (byInputMethod)
            commitText(g.line(), typed);
        else
            for (const QChar c : typed)
                g.type(QString(c));
        EXPECT_EQ(g.line()->text(), QString::fromUtf8("ABß")) << byInputMethod;
        ASSERT_TRUE(g.tree->EndEditing());

        g.text->SetMaxLength(0);
        g.text->SetCharCase(ecLowerCase);
        g.tree->SetNodeString(g.nodes[0], 0, QString());
        QTest::keyClick(g.widget.get(), Qt::Key_F2);
        if (byInputMethod)
            commitText(g.line(), QString::fromUtf8("İx"));
        else
            for (const char *c : {"İ", "x"})
                g.type(QString::fromUtf8(c));
        EXPECT_EQ(g.line()->text(), "ix") << byInputMethod;
        ASSERT_TRUE(g.tree->EndEditing());
    }

    // "x1-23" into "00-00": the letter is refused with a beep, the "-" typed
    // where a digit goes moves past the literal, as from the keyboard.
    TypingGrid g(0);
    g.mask->SetEditMask("00-00;1;_");
    g.tree->SetFocusedColumn(1);
    QTest::keyClick(g.widget.get(), Qt::Key_F2);
    ASSERT_TRUE(g.line());
    QTest::keyClick(g.line(), Qt::Key_Home);
    commitText(g.line(), "x1-23");
    EXPECT_EQ(g.line()->text(), "1_-23");
    EXPECT_EQ(g.beeps.count(), 1);
    // A read-only cell takes nothing committed.
    QTest::keyClick(g.line(), Qt::Key_Escape);
    ASSERT_FALSE(g.line());
    g.mask->SetEditMask(QString());
    g.mask->SetReadOnly(true);
    g.tree->SetNodeString(g.nodes[0], 1, "ro");
    QTest::keyClick(g.widget.get(), Qt::Key_F2);
    ASSERT_TRUE(g.line());
    commitText(g.line(), "zz");
    EXPECT_EQ(g.line()->text(), "ro");
}

// Word deletions in a digit mask act on its places as Delete and Backspace
// do: Ctrl+Delete blanks the place at the caret, Ctrl+Backspace the one
// before it, and an input method's deletion the places it names. No literal
// ever moves into a digit's place, nor a digit out of its own.
TEST(TreeListTypingGui, WordDeletionsInADigitMaskBlankPlacesAndShiftNothing)
{
    TypingGrid g(0);
    g.mask->SetEditMask("00-00;1;_");
    g.tree->SetFocusedColumn(1);
    g.tree->SetNodeString(g.nodes[0], 1, "12-34");
    QTest::keyClick(g.widget.get(), Qt::Key_F2);
    ASSERT_TRUE(g.line());
    ASSERT_EQ(g.line()->text(), "12-34");
    QTest::keyClick(g.line(), Qt::Key_Home);
    QTest::keyClick(g.line(), Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(g.line()->text(), "_2-34");
    g.type("5");
    EXPECT_EQ(g.line()->text(), "52-34");

    QTest::keyClick(g.line(), Qt::Key_End);
    QKeyEvent word(QEvent::KeyPress, Qt::Key_Backspace, Qt::ControlModifier, QStringLiteral("\x7f"));
    QApplication::sendEvent(g.line(), &word);
    EXPECT_EQ(g.line()->text(), "52-_4");
    g.type("7");
    EXPECT_EQ(g.line()->text(), "52-74");

    // The input method deletes the "7" after the caret, then "-7" before it.
    g.line()->setCursorPosition(3);
    QInputMethodEvent after(QString(), {});
    after.setCommitString(QString(), 0, 1);
    QApplication::sendEvent(g.line(), &after);
    EXPECT_EQ(g.line()->text(), "52-_4");
    g.line()->setCursorPosition(4);
    QInputMethodEvent before(QString(), {});
    before.setCommitString(QString(), -2, 2);
    QApplication::sendEvent(g.line(), &before);
    EXPECT_EQ(g.line()->text(), "52-_4");
    EXPECT_EQ(g.tree->State(), tsEditing);
    g.line()->setCursorPosition(3);
    g.type("9");
    EXPECT_EQ(g.line()->text(), "52-94");

    // The platform's keys that delete to the end of the line, or the line.
    for (const auto kind : {QKeySequence::DeleteEndOfLine, QKeySequence::DeleteCompleteLine}) {
        for (const QKeySequence &keys : QKeySequence::keyBindings(kind)) {
            QTest::keyClick(g.line(), Qt::Key_Home);
            QTest::keySequence(g.line(), keys);
            EXPECT_EQ(g.line()->text(), "_2-94") << keys.toString().toStdString();
            g.type("5");
        }
    }
    ASSERT_TRUE(g.tree->EndEditing());
    EXPECT_EQ(g.tree->GetNodeString(g.nodes[0], 1), "52-94");
}
// An update bracket puts the open editor aside while the program changes
// the grid. The editor keeps its selection meanwhile, as the place where
// the keys go: what is typed then, or once it is back, goes where it would
// have gone without the bracket, in a text cell and in a mask cell.
TEST(TreeListTypingGui, AnEditorPutAsideKeepsItsSelectionForTheKeys)
{
    for (const bool insideBracket : {false, true}) {
        TypingGrid g(1u << boImmediateEditor);
        QTest::keyClick(g.widget.get(), Qt::Key_F2);
        ASSERT_TRUE(g.line());
        ASSERT_EQ(g.line()->selectedText(), "x"); // entered: all selected
        g.tree->BeginUpdate();
        if (insideBracket)
            g.type(Cyrillic);
        g.tree->EndUpdate();
        if (!insideBracket)
            g.type(Cyrillic);
        EXPECT_EQ(g.line()->text(), Cyrillic) << insideBracket;
        ASSERT_TRUE(g.tree->EndEditing());
        EXPECT_EQ(g.tree->GetNodeString(g.nodes[0], 0), Cyrillic) << insideBracket;
    }
    for (const bool insideBracket : {false, true}) {
        TypingGrid g(1u << boImmediateEditor);
        g.tree->SetFocusedColumn(1);
        g.type(Cyrillic);
        ASSERT_TRUE(g.line());
        ASSERT_EQ(g.line()->text(), Cyrillic + "_");
        g.tree->BeginUpdate();
        if (insideBracket)
            g.type(QStringLiteral("ж"));
        g.tree->EndUpdate();
        if (!insideBracket)
            g.type(QStringLiteral("ж"));
        EXPECT_EQ(g.line()->text(), Cyrillic + "ж") << insideBracket;
        EXPECT_EQ(g.beeps.count(), 0) << insideBracket;
        ASSERT_TRUE(g.tree->EndEditing());
        EXPECT_EQ(g.tree->GetNodeString(g.nodes[0], 1), Cyrillic + "ж") << insideBracket;
    }
    // An input method's text committed meanwhile goes in as typed keys do;
    // the hidden editor is not entered anew, which would select its text.
    for (const int column : {0, 1}) {
        TypingGrid g(1u << boImmediateEditor);
        g.tree->SetFocusedColumn(column);
        g.type(Cyrillic);
        g.tree->BeginUpdate();
        QInputMethodEvent commit(QString(), {});
        commit.setCommitString(QStringLiteral("ж"));
        QApplication::sendEvent(keyboardTarget(g.widget.get()), &commit);
        EXPECT_EQ(QApplication::focusWidget(), g.widget.get()) << column;
        g.tree->EndUpdate();
        EXPECT_TRUE(g.line()->hasFocus()) << column;
        EXPECT_EQ(g.line()->text(), Cyrillic + "ж") << column;
    }
}
