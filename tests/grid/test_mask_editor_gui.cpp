#include "EditorFixture.h"

#include "grid/widgets/InplaceMaskEdit.h"

#include "platform/rtl/FormatSettings.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QKeyEvent>

#include <random>

using namespace grid;
using gridtest::EditorWindow;

namespace {

class MaskEditor : public EditorWindow
{
protected:
    void SetUp() override
    {
        EditorWindow::SetUp();
        edit = make<TdxInplaceMaskEdit>();
        line = edit->lineEdit();
        edit->OnValidate = [this](classes::TObject *, QString &, bool &) { ++validations; };
    }

    void open(const QString &mask, const QVariant &value)
    {
        edit->SetEditMask(mask);
        edit->SetEditValue(value);
        edit->ShowEdit(rtl::TRect{10, 10, 110, 30});
    }

    int caret() const { return edit->GetSelStart(); }

    TdxInplaceMaskEdit *edit = nullptr;
    QLineEdit *line = nullptr;
    int validations = 0;
    // A mask's "/" is the record's date separator; these tests are about the
    // keys, and read it as the English record writes it.
    rtl::ScopedFormatSettings english{rtl::FormatSettingsEnUS()};
};

TEST_F(MaskEditor, ALetterWhereDigitsGoBeepsAndChangesNothing)
{
    EXPECT_EQ(edit->ClassName(), "TdxInplaceMaskEdit");
    EXPECT_TRUE(edit->InheritsFrom(TdxInplaceTextEdit::StaticClass()));
    open("00/00;1;_", QVariant());
    EXPECT_EQ(line->text(), "__/__");
    QTest::keyClick(line, Qt::Key_X);
    EXPECT_EQ(beeps.count(), 1);
    EXPECT_EQ(line->text(), "__/__");
    EXPECT_FALSE(edit->GetModified());

    QTest::keyClicks(line, "1234");
    EXPECT_EQ(line->text(), "12/34");
    EXPECT_EQ(edit->GetText(), "12/34");
    EXPECT_EQ(beeps.count(), 1);

    // A command key keeps the selection it works on.
    QTest::keyClick(line, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(line, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "12/34");
}

TEST_F(MaskEditor, LeftAfterTheSeparatorLandsBeforeIt)
{
    open("00/00;1;_", "12/34");
    line->setSelection(3, 1);
    QTest::keyClick(line, Qt::Key_Left);
    EXPECT_EQ(caret(), 1);
    EXPECT_EQ(edit->GetSelLength(), 1);
    QTest::keyClick(line, Qt::Key_Right);
    EXPECT_EQ(caret(), 3);
    QTest::keyClick(line, Qt::Key_Backspace);
    EXPECT_EQ(line->text(), "1_/34");
    EXPECT_EQ(caret(), 1);
    QTest::keyClick(line, Qt::Key_Delete);
    EXPECT_EQ(line->text(), "1_/34");
    QTest::keyClick(line, Qt::Key_End);
    EXPECT_EQ(caret(), 4);
    QTest::keyClick(line, Qt::Key_Delete);
    EXPECT_EQ(line->text(), "1_/3_");
}

TEST_F(MaskEditor, AFailedCheckPutsTheCaretOnTheFirstWrongPosition)
{
    open("00/00;1;_", QVariant());
    QTest::keyClicks(line, "1");
    QTest::keyClick(line, Qt::Key_Up);
    QCoreApplication::processEvents();
    EXPECT_EQ(caret(), 1);
    EXPECT_EQ(edit->GetSelLength(), 1);
    ASSERT_EQ(boxes.requests().size(), 1u);
    EXPECT_EQ(boxes.requests()[0].text, "Invalid input value.  Use escape key to abandon changes");
    EXPECT_EQ(beeps.count(), 1);
    EXPECT_EQ(validations, 0);
    EXPECT_TRUE(container->keysDown.empty());
    EXPECT_TRUE(line->hasFocus());

    // Complete, the check passes and OnValidate is asked.
    QTest::keyClicks(line, "234");
    QTest::keyClick(line, Qt::Key_Up);
    EXPECT_EQ(validations, 1);
    EXPECT_EQ(container->keysDown, std::vector<TKey>{VK_UP});

    // While the host closes the editor a failing text is given up instead:
    // back to the text the editor had when it got the focus.
    QTest::keyClick(line, Qt::Key_End);
    QTest::keyClick(line, Qt::Key_Backspace);
    edit->SetClosing(true);
    EXPECT_TRUE(edit->ValidateEdit());
    EXPECT_EQ(line->text(), "__/__");
    EXPECT_FALSE(edit->GetModified());
    EXPECT_EQ(boxes.requests().size(), 1u);
}

TEST_F(MaskEditor, PastesAndCutsKeepTheShape)
{
    open("(000) 000-0000;0;_", QVariant());
    QApplication::clipboard()->setText("(555) 123-4567");
    QTest::keyClick(line, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(line->text(), "(555) 123-4567");
    EXPECT_EQ(edit->GetText(), "5551234567");
    EXPECT_TRUE(boxes.requests().empty()); // complete: validation passes

    line->setSelection(1, 3);
    QTest::keyClick(line, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "555");
    EXPECT_EQ(line->text(), "(___) 123-4567");

    QApplication::clipboard()->setText(QString(100000, u'7'));
    QTest::keyClick(line, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(line->text(), "(777) 777-7777");
    EXPECT_TRUE(boxes.requests().empty());
}

// A character beyond the basic plane typed as the platform sends it (two
// key events, one per half), pasted or committed by an input method fills
// one place, and the caret moves on to the next place, not into the pair.
TEST_F(MaskEditor, APairTypedPastedOrCommittedFillsOnePlace)
{
    const QString smile = QString::fromUtf8("\xF0\x9F\x98\x80");
    open("cc-cc;1;_", QVariant());
    for (const QChar half : smile) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(half));
        QApplication::sendEvent(line, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(half));
        QApplication::sendEvent(line, &release);
    }
    EXPECT_EQ(line->text(), smile + "_-__");
    EXPECT_EQ(line->selectionStart(), 2);
    EXPECT_EQ(line->selectedText(), "_");
    QTest::keyClicks(line, "x");
    EXPECT_EQ(line->text(), smile + "x-__");
    EXPECT_EQ(beeps.count(), 0);

    QInputMethodEvent committed;
    committed.setCommitString(smile);
    QApplication::sendEvent(line, &committed);
    EXPECT_EQ(line->text(), smile + "x-" + smile + "_");

    // Backspace from the last place blanks the pair before it whole.
    QTest::keyClick(line, Qt::Key_End);
    QTest::keyClick(line, Qt::Key_Backspace);
    EXPECT_EQ(line->text(), smile + "x-__");
    EXPECT_EQ(edit->GetText(), smile + "x-  ");

    line->setSelection(0, 0);
    QApplication::clipboard()->setText("\u0416" + smile + smile);
    QTest::keyClick(line, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(line->text(), "\u0416" + smile + "-" + smile + "_");
    EXPECT_EQ(beeps.count(), 0);
}

TEST_F(MaskEditor, RandomKeysKeepTheShapeAndTheValueRoundTrips)
{
    std::mt19937 random(7);
    const QString masks[] = {"00/00;1;_", "!cc-cc;0;_", ">LL<ll-999;0;*", "\\(aa\\);1;_", "90:00;1;_"};
    const Qt::Key keys[] = {Qt::Key_Left,      Qt::Key_Right, Qt::Key_Home,  Qt::Key_End, Qt::Key_Delete,
                            Qt::Key_Backspace, Qt::Key_A,     Qt::Key_Minus, Qt::Key_1,   Qt::Key_Slash};
    for (const QString &m : masks) {
        open(m, QVariant());
        const rtl::EditMask &mask = edit->Mask();
        const QString literals = mask.format(u"");
        for (int step = 0; step < 60; ++step) {
            const Qt::Key key = keys[random() % std::size(keys)];
            QTest::keyClick(line, key, random() % 4 == 0 ? Qt::ShiftModifier : Qt::NoModifier);
            const QString text = line->text();
            ASSERT_EQ(text.size(), mask.size()) << m.toStdString();
            for (int p = 0; p < mask.size(); ++p) {
                if (mask.isLiteral(p)) {
                    ASSERT_EQ(text[p], literals[p]) << m.toStdString();
                }
            }
            const QString value = edit->GetText();
            edit->SetEditValue(value);
            ASSERT_EQ(edit->GetText(), value) << m.toStdString() << " " << text.toStdString();
            line->setSelection(int(random() % mask.size()), 1);
        }
        edit->HideEdit();
    }
}

} // namespace

// The selection as start and stop, moved over the mask by the keys; the
// mask's length is the limit, given through ApplyMaxLength.
TEST_F(MaskEditor, GetSelGivesTheSelectionAsTheMaskPlacesIt)
{
    open("00/00;1;_", QVariant());
    EXPECT_EQ(edit->MaxLength(), 5);
    EXPECT_FALSE(edit->StoredValues() & svsMaxLength);
    int start = -1, stop = -1;
    QTest::keyClicks(line, "12");
    edit->GetSel(start, stop);
    EXPECT_EQ(start, 3);
    EXPECT_EQ(stop, 4);
    edit->SelectAll();
    edit->GetSel(start, stop);
    EXPECT_EQ(start, 0);
    EXPECT_EQ(stop, 5);
    EXPECT_TRUE(edit->GetEditMaskFromLink().isEmpty());
}
