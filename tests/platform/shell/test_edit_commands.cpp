#include "platform/shell/EditCommands.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace shell;

namespace {

// A shown window whose children can take the keyboard focus.
struct Window
{
    QWidget top;
    QLineEdit *line = new QLineEdit("alpha");
    QPlainTextEdit *plain = new QPlainTextEdit("first\nsecond");
    QComboBox *combo = new QComboBox;
    QPushButton *button = new QPushButton("OK");
    Window()
    {
        auto *layout = new QVBoxLayout(&top);
        combo->setEditable(true);
        for (QWidget *w : {static_cast<QWidget *>(line), static_cast<QWidget *>(plain),
                           static_cast<QWidget *>(combo), static_cast<QWidget *>(button)})
            layout->addWidget(w);
        top.show();
        QApplication::setActiveWindow(&top);
    }
    void focus(QWidget *w)
    {
        w->setFocus();
        QApplication::processEvents();
    }
};

} // namespace

TEST(EditCommands, ReachTheFocusedControlAndOnlyTextControls)
{
    Window window;
    window.focus(window.line);
    ASSERT_EQ(QApplication::focusWidget(), window.line);
    QApplication::clipboard()->setText("clip");

    EXPECT_TRUE(sendEditCommand(EditCommand::SelectAll));
    EXPECT_EQ(window.line->selectedText(), "alpha");
    EXPECT_TRUE(sendEditCommand(EditCommand::Copy));
    EXPECT_EQ(QApplication::clipboard()->text(), "alpha");
    sendEditCommand(EditCommand::Cut);
    EXPECT_EQ(window.line->text(), "");
    sendEditCommand(EditCommand::Undo);
    EXPECT_EQ(window.line->text(), "alpha");

    // The editable combo box: its line edit has the focus, the box may be named too.
    window.focus(window.combo);
    QApplication::clipboard()->setText("pasted");
    EXPECT_TRUE(sendEditCommand(EditCommand::Paste));
    EXPECT_EQ(window.combo->currentText(), "pasted");
    EXPECT_TRUE(sendEditCommand(EditCommand::SelectAll, window.combo));
    EXPECT_EQ(window.combo->lineEdit()->selectedText(), "pasted");

    window.focus(window.button);
    EXPECT_FALSE(sendEditCommand(EditCommand::Paste));
    QComboBox fixed;
    EXPECT_FALSE(sendEditCommand(EditCommand::Paste, &fixed));
}

TEST(EditCommands, HideSelectionCollapsesToTheStart)
{
    Window window;
    window.plain->selectAll();
    hideSelection(window.plain);
    EXPECT_FALSE(window.plain->textCursor().hasSelection());
    EXPECT_EQ(window.plain->textCursor().position(), 0);
    EXPECT_EQ(window.plain->cursorWidth(), 0);

    window.line->setSelection(1, 3);
    hideSelection(window.line);
    EXPECT_FALSE(window.line->hasSelectedText());
    EXPECT_EQ(window.line->cursorPosition(), 0);
    EXPECT_EQ(window.line->text(), "alpha");
}
