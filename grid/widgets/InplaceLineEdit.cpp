#include "grid/widgets/InplaceLineEdit.h"

#include "grid/widgets/InplaceTextEdit.h"

#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

#include <algorithm>

namespace grid {

namespace {

// Whether a caret at pos stands between the two halves of a pair.
bool insidePair(const QString &text, int pos)
{
    return pos > 0 && pos < text.size() && text[pos - 1].isHighSurrogate() && text[pos].isLowSurrogate();
}

} // namespace

InplaceLineEdit::InplaceLineEdit(TdxInplaceTextEdit *editor)
    : QLineEdit(editor)
    , m_editor(editor)
{
    // Showing a password, the line edit steps by its stars, one for each
    // UTF-16 unit: the caret would stop inside a pair, and a key typed
    // there would split it. It goes on past the pair in the way it went.
    connect(this, &QLineEdit::cursorPositionChanged, this, [this](int from, int to) {
        if (!insidePair(text(), to))
            return;
        if (to > from)
            cursorForward(hasSelectedText(), 1);
        else
            cursorBackward(hasSelectedText(), 1);
    });
}

void InplaceLineEdit::lineEditKeyPress(QKeyEvent *event)
{
    // Delete takes the character after the caret, and in a password that
    // is one star, half of a pair; the pair goes whole.
    const int at = cursorPosition();
    if (event->matches(QKeySequence::Delete) && !hasSelectedText() && insidePair(text(), at + 1))
        setSelection(at, 2);
    QLineEdit::keyPressEvent(event);
    event->accept();
}

bool InplaceLineEdit::event(QEvent *event)
{
    // Tab is the editor's when its container wants it; otherwise it moves
    // the focus as in any dialog, and leaving validates.
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            if (m_editor->routesTab()) {
                m_editor->atEdge([&] { m_editor->handleKeyPress(key); });
                return true;
            }
            if (!(key->modifiers() & Qt::AltModifier) &&
                m_editor->tabOutOfHost(key->key() == Qt::Key_Backtab || (key->modifiers() & Qt::ShiftModifier)))
                return true;
        }
    }
    return QLineEdit::event(event);
}

void InplaceLineEdit::keyPressEvent(QKeyEvent *event)
{
    event->accept();
    m_editor->atEdge([&] { m_editor->handleKeyPress(event); });
}

void InplaceLineEdit::keyReleaseEvent(QKeyEvent *event)
{
    event->accept();
    m_editor->atEdge([&] { m_editor->handleKeyRelease(event); });
}

void InplaceLineEdit::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    m_editor->atEdge([&] {
        m_editor->handleFocusIn(event->reason());
        m_editor->lineFocusIn();
    });
}

void InplaceLineEdit::focusOutEvent(QFocusEvent *event)
{
    // The line edit drops its selection when the focus moves on; an editor
    // that does not hide its selection keeps it, and so does one put aside
    // with its edit going on: the keys typed meanwhile, and those once it is
    // back, go where they would have gone.
    const bool keep = (!m_editor->HideSelection() || m_editor->hidingWithKeys()) && hasSelectedText();
    const int start = selectionStart();
    const int length = selectionLength();
    const bool caretAtStart = cursorPosition() == start;
    QLineEdit::focusOutEvent(event);
    if (keep && !hasSelectedText()) {
        if (caretAtStart)
            setSelection(start + length, -length);
        else
            setSelection(start, length);
    }
    m_editor->atEdge([&] { m_editor->handleFocusOut(event->reason()); });
}

void InplaceLineEdit::mousePressEvent(QMouseEvent *event)
{
    bool asDouble = false;
    if (event->button() == Qt::LeftButton)
        m_editor->atEdge([&] { asDouble = m_editor->handleLeftPress(event); });
    if (asDouble) {
        QLineEdit::mouseDoubleClickEvent(event);
        return;
    }
    if (event->button() == Qt::MiddleButton) {
        event->accept(); // the selection is pasted on release, through the editor
        return;
    }
    QLineEdit::mousePressEvent(event);
    m_editor->atEdge([&] { m_editor->lineMousePress(event); });
}

void InplaceLineEdit::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::MiddleButton) {
        event->accept();
        m_editor->atEdge([&] { m_editor->pasteSelection(); });
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
    m_editor->atEdge([&] {
        m_editor->lineMouseRelease(event);
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
            m_editor->Click();
    });
}

void InplaceLineEdit::wheelEvent(QWheelEvent *event)
{
    event->accept();
    m_editor->atEdge([&] { m_editor->handleWheel(event); });
}

void InplaceLineEdit::contextMenuEvent(QContextMenuEvent *event)
{
    // Where a control the editor sits in has a menu of its own, that menu
    // shows: the request goes on up to it.
    bool theirs = false;
    m_editor->atEdge([&] { theirs = m_editor->parentHasPopupMenu(); });
    if (theirs) {
        event->ignore();
        return;
    }
    event->accept();
    m_editor->atEdge([&] { m_editor->showContextMenu(event->pos(), event->reason() == QContextMenuEvent::Keyboard); });
}

void InplaceLineEdit::inputMethodEvent(QInputMethodEvent *event)
{
    const QString commit = event->commitString();
    const int replaced = event->replacementLength();
    if (commit.isEmpty() && replaced == 0) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    // The line shows the composition that goes on; what is committed is
    // typed, so that it is refused, converted and masked where a typed key
    // is. Handed to the line as it stands, it would land in any place, even
    // in a mask's literals.
    QInputMethodEvent composing(event->preeditString(), event->attributes());
    if (commit.isEmpty()) {
        // Text next to the caret deleted: an edit like Delete, where the
        // cell may be changed; a mask deletes its places as Delete does.
        bool mayModify = false;
        bool deleted = false;
        const int start = cursorPosition() + event->replacementStart();
        m_editor->atEdge([&] {
            mayModify = m_editor->CanModify();
            deleted = mayModify && m_editor->lineInputMethodDeletes(start, replaced);
        });
        if (mayModify && !deleted)
            composing.setCommitString(QString(), event->replacementStart(), replaced);
        QLineEdit::inputMethodEvent(&composing);
        event->accept();
        return;
    }
    QLineEdit::inputMethodEvent(&composing);
    event->accept();
    if (replaced > 0) {
        // The committed text takes the place of text next to the caret.
        const int start = std::max(0, cursorPosition() + event->replacementStart());
        setSelection(start, std::min(replaced, int(text().size()) - start));
    }
    m_editor->atEdge([&] { m_editor->handleCommittedText(commit); });
}

} // namespace grid
