#include "platform/shell/EditCommands.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace shell {

namespace {

template <typename Edit>
void runOnTextEdit(Edit *edit, EditCommand command)
{
    switch (command) {
    case EditCommand::Copy: edit->copy(); break;
    case EditCommand::Cut: edit->cut(); break;
    case EditCommand::Paste: edit->paste(); break;
    case EditCommand::Undo: edit->undo(); break;
    case EditCommand::SelectAll: edit->selectAll(); break;
    }
}

QLineEdit *lineEditOf(QWidget *widget)
{
    if (auto *line = qobject_cast<QLineEdit *>(widget))
        return line;
    // An editable combo box hands the focus to its line edit, but callers may
    // also name the box itself.
    if (auto *combo = qobject_cast<QComboBox *>(widget))
        return combo->isEditable() ? combo->lineEdit() : nullptr;
    return nullptr;
}

} // namespace

bool sendEditCommand(EditCommand command, QWidget *target)
{
    if (!target && qobject_cast<QApplication *>(QCoreApplication::instance()))
        target = QApplication::focusWidget();
    if (!target)
        return false;
    if (QLineEdit *line = lineEditOf(target)) {
        runOnTextEdit(line, command);
        return true;
    }
    if (auto *text = qobject_cast<QTextEdit *>(target)) {
        runOnTextEdit(text, command);
        return true;
    }
    if (auto *plain = qobject_cast<QPlainTextEdit *>(target)) {
        runOnTextEdit(plain, command);
        return true;
    }
    return false;
}

void hideSelection(QWidget *control)
{
    if (QLineEdit *line = lineEditOf(control)) {
        if (line->hasSelectedText()) {
            line->deselect();
            line->setCursorPosition(0);
        }
        return;
    }
    auto collapse = [](auto *edit) {
        QTextCursor cursor = edit->textCursor();
        if (cursor.hasSelection()) {
            cursor.clearSelection();
            cursor.movePosition(QTextCursor::Start);
            edit->setTextCursor(cursor);
        }
        edit->setCursorWidth(0);
    };
    if (auto *text = qobject_cast<QTextEdit *>(control))
        collapse(text);
    else if (auto *plain = qobject_cast<QPlainTextEdit *>(control))
        collapse(plain);
}

} // namespace shell
