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

TEST(EditCommands, ReachTheFocusedTextControlOnly)
{
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *line = new QLineEdit("alpha");
    auto *combo = new QComboBox;
    auto *button = new QPushButton("OK");
    combo->setEditable(true);
    layout->addWidget(line);
    layout->addWidget(combo);
    layout->addWidget(button);
    window.show();
    QApplication::setActiveWindow(&window);
    auto focus = [](QWidget *w) { w->setFocus(), QApplication::processEvents(); };

    focus(line);
    EXPECT_TRUE(sendEditCommand(EditCommand::SelectAll));
    EXPECT_TRUE(sendEditCommand(EditCommand::Copy));
    EXPECT_EQ(QApplication::clipboard()->text(), "alpha");
    sendEditCommand(EditCommand::Cut);
    EXPECT_EQ(line->text(), "");
    sendEditCommand(EditCommand::Undo);
    EXPECT_EQ(line->text(), "alpha");
    // An editable combo box: the focus sits in its line edit.
    focus(combo);
    EXPECT_TRUE(sendEditCommand(EditCommand::Paste));
    EXPECT_EQ(combo->currentText(), "alpha");
    focus(button);
    EXPECT_FALSE(sendEditCommand(EditCommand::Paste));
    QComboBox fixed;
    EXPECT_FALSE(sendEditCommand(EditCommand::Paste, &fixed));
}

TEST(EditCommands, HideSelectionCollapsesToTheStart)
{
    QPlainTextEdit memo("first\nsecond");
    memo.selectAll();
    hideSelection(&memo);
    EXPECT_FALSE(memo.textCursor().hasSelection());
    EXPECT_EQ(memo.textCursor().position(), 0);
    EXPECT_EQ(memo.cursorWidth(), 0);
    QLineEdit line("alpha");
    line.setSelection(1, 3);
    hideSelection(&line);
    EXPECT_FALSE(line.hasSelectedText());
    EXPECT_EQ(line.cursorPosition(), 0);
}
