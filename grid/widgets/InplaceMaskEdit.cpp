#include "grid/widgets/InplaceMaskEdit.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/rtl/Variants.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>

#include <algorithm>

namespace grid {

const QString TdxInplaceMaskEdit::MaskErrorText =
    QStringLiteral("Invalid input value.  Use escape key to abandon changes");

const classes::TMetaClass &TdxInplaceMaskEdit::StaticClass()
{
    static const classes::TMetaClass meta =
        classes::MakeClass<TdxInplaceMaskEdit, TdxInplaceTextEdit>("TdxInplaceMaskEdit");
    return meta;
}

TdxInplaceMaskEdit::TdxInplaceMaskEdit(TCustomdxContainer *container, QWidget *parent)
    : TdxInplaceTextEdit(container, parent)
{}

MaskEditText TdxInplaceMaskEdit::current() const
{
    const QString text = lineEdit()->text();
    const int start = MaskPositionOf(text, GetSelStart());
    return MaskEditText{text, start, MaskPositionOf(text, GetSelStart() + GetSelLength()) - start};
}

int TdxInplaceMaskEdit::caret() const
{
    return MaskPositionOf(lineEdit()->text(), GetSelStart());
}

void TdxInplaceMaskEdit::apply(const MaskEditText &edit)
{
    QLineEdit *line = lineEdit();
    const QString old = line->text();
    if (edit.text != old) {
        // Only what changed is replaced, and never half of a pair: a
        // character beyond the basic plane may take the place of one that
        // is not, so the two texts need not be of one length.
        const qsizetype shorter = std::min(old.size(), edit.text.size());
        qsizetype first = 0;
        while (first < shorter && old[first] == edit.text[first])
            ++first;
        if (first > 0 && old[first - 1].isHighSurrogate())
            --first;
        qsizetype same = 0;
        while (same < shorter - first && old[old.size() - 1 - same] == edit.text[edit.text.size() - 1 - same])
            ++same;
        if (same > 0 && old[old.size() - same].isLowSurrogate())
            --same;
        line->setSelection(int(first), int(old.size() - same - first));
        line->insert(edit.text.mid(first, edit.text.size() - same - first));
    }
    const int start = MaskUnitOf(edit.text, edit.selStart);
    if (edit.selLength > 0)
        line->setSelection(start, MaskUnitOf(edit.text, edit.selStart + edit.selLength) - start);
    else
        line->setCursorPosition(start);
}

void TdxInplaceMaskEdit::GetSel(int &start, int &stop) const
{
    start = GetSelStart();
    stop = start + GetSelLength();
}

// ---- Mask and value ----------------------------------------------------------------

void TdxInplaceMaskEdit::SetEditMask(const QString &mask)
{
    SetStoredValue(svsEditMask);
    if (mask == m_editMask)
        return;
    const int start = GetSelStart();
    const int length = GetSelLength();
    m_editMask = mask;
    m_mask = rtl::EditMask(mask);
    setSettingValue(true);
    const QString text = lineEdit()->text();
    TdxInplaceTextEdit::SetText(m_mask.isEmpty() ? text : m_mask.format(text));
    setSettingValue(false);
    ApplyMaxLength(m_mask.isEmpty() ? 0 : m_mask.size());
    if (HasFocus())
        lineEdit()->setSelection(start, length);
}

void TdxInplaceMaskEdit::SetText(const QString &text)
{
    TdxInplaceTextEdit::SetText(text);
    if (!m_mask.isEmpty())
        apply(SelectAtCaret(m_mask, current(), m_mask.nextEditable(0)));
}

void TdxInplaceMaskEdit::SetEditValue(const QVariant &value)
{
    if (m_mask.isEmpty()) {
        TdxInplaceTextEdit::SetEditValue(value);
        return;
    }
    setSettingValue(true);
    // The value is what GetText handed on, so it comes back unchanged.
    SetText(m_mask.formatUnformatted(rtl::VarToStr(value)));
    EmptyUndoBuffer();
    setSettingValue(false);
}

QString TdxInplaceMaskEdit::GetText()
{
    return MaskEditorText(m_mask, lineEdit()->text(), m_ignoreMaskBlank);
}

bool TdxInplaceMaskEdit::ValidateEdit()
{
    if (m_mask.isEmpty())
        return TdxInplaceTextEdit::ValidateEdit();
    if (!GetModified() || IsValidating())
        return true;
    const int wrong = MaskCheck(m_mask, lineEdit()->text(), m_ignoreMaskBlank);
    if (wrong >= 0) {
        if (Closing()) {
            ResetEdit();
            return true;
        }
        apply(SelectAtCaret(m_mask, current(), wrong));
        m_failedValidation = true;
        return Refuse(MaskErrorText);
    }
    apply(SelectAtCaret(m_mask, current(), caret()));
    return TdxInplaceTextEdit::ValidateEdit();
}

void TdxInplaceMaskEdit::textChanged()
{
    if (m_reformatting)
        return;
    if (!m_mask.isEmpty() && !settingValue() && rtl::EditMask::length(lineEdit()->text()) != m_mask.size()) {
        // An undo or an input method can leave a text of another length.
        m_reformatting = true;
        const int at = caret();
        lineEdit()->setText(m_mask.format(lineEdit()->text()));
        SetModified(true);
        lineEdit()->setCursorPosition(MaskUnitOf(lineEdit()->text(), at));
        m_reformatting = false;
    }
    TdxInplaceTextEdit::textChanged();
}

// ---- Focus and mouse -----------------------------------------------------------------

void TdxInplaceMaskEdit::Enter()
{
    if (m_mask.isEmpty()) {
        TdxInplaceTextEdit::Enter();
        return;
    }
    if (!m_failedValidation && AutoSelect() && !enteredByMouse())
        SelectAll();
    m_failedValidation = false;
    apply(SelectAtCaret(m_mask, current(), caret()));
    TdxInplaceEdit::Enter();
}

void TdxInplaceMaskEdit::lineFocusIn()
{
    if (!m_mask.isEmpty())
        apply(SelectAtCaret(m_mask, current(), caret()));
}

void TdxInplaceMaskEdit::lineMousePress(QMouseEvent *event)
{
    m_pressX = int(event->position().x());
}

void TdxInplaceMaskEdit::lineMouseRelease(QMouseEvent *event)
{
    if (m_mask.isEmpty() || event->button() != Qt::LeftButton)
        return;
    const MaskEditText edit = current();
    apply(SelectAtCaret(m_mask, edit, event->position().x() > m_pressX ? edit.selStart + edit.selLength : edit.selStart));
}

// ---- Keys ---------------------------------------------------------------------------

void TdxInplaceMaskEdit::OwnKeyDown(TKey &key, TShiftState shift)
{
    if (m_mask.isEmpty() || (shift & ssAlt)) {
        TdxInplaceTextEdit::OwnKeyDown(key, shift);
        return;
    }
    const bool ctrl = shift & ssCtrl;
    const bool shifted = shift & ssShift;
    const MaskEditText edit = current();
    switch (key) {
    case VK_LEFT:
    case VK_RIGHT:
        if (shifted || ctrl)
            return; // the line edit extends the selection
        apply(key == VK_LEFT ? MaskCaretLeft(m_mask, edit) : MaskCaretRight(m_mask, edit));
        key = 0;
        return;
    case VK_UP:
    case VK_DOWN: key = 0; return;
    case VK_HOME:
    case VK_END:
        if (shifted)
            return;
        apply(key == VK_HOME ? MaskCaretHome(m_mask, edit) : MaskCaretEnd(m_mask, edit));
        key = 0;
        return;
    case VK_DELETE:
    case VK_BACK:
        if (key == VK_DELETE && (shifted || ctrl))
            break; // Shift+Delete cuts
        deletePlaces(edit, key == VK_BACK);
        key = 0;
        return;
    case 'A':
        if (ctrl) {
            SelectAll();
            key = 0;
            return;
        }
        break;
    default: break;
    }
    TdxInplaceTextEdit::OwnKeyDown(key, shift);
    const bool modifierKey = key == VK_SHIFT || key == VK_CONTROL || key == VK_MENU;
    // Any other key works on the character at the caret; a command key
    // (copy) keeps the selection it acts on.
    if (key != 0 && !ctrl && !modifierKey)
        apply(SelectAtCaret(m_mask, current(), caret()));
}

void TdxInplaceMaskEdit::OwnKeyPress(TChar &key)
{
    if (m_mask.isEmpty()) {
        TdxInplaceTextEdit::OwnKeyPress(key);
        return;
    }
    if (key == 3 || key == 22 || key == 24) // Ctrl+C, Ctrl+V, Ctrl+X
        return;
    if (IsTypedChar(key)) {
        const MaskTyped typed = MaskTypeChar(m_mask, current(), key);
        if (typed.refused)
            Beep();
        else
            apply(typed.edit);
    }
    key = 0;
}

void TdxInplaceMaskEdit::ownKeyEvent(QKeyEvent *event, TKey key, const QString &characters)
{
    // The line edit's own deletions (of a word, to the end of the line, of
    // the line) would shift the later characters across the literals, and
    // the reformat would then put them in places they do not fit. A mask
    // deletes place by place: forwards as Delete, backwards as Backspace.
    if (!m_mask.isEmpty() && key != 0) {
        const bool backward = event->matches(QKeySequence::DeleteStartOfWord);
        if (backward || event->matches(QKeySequence::DeleteEndOfWord) ||
            event->matches(QKeySequence::DeleteEndOfLine) || event->matches(QKeySequence::DeleteCompleteLine)) {
            deletePlaces(current(), backward);
            return;
        }
    }
    TdxInplaceTextEdit::ownKeyEvent(event, key, characters);
}

bool TdxInplaceMaskEdit::lineInputMethodDeletes(int start, int length)
{
    if (m_mask.isEmpty())
        return false;
    const QString text = lineEdit()->text();
    const int size = int(text.size());
    start = std::clamp(start, 0, size);
    length = std::clamp(length, 0, size - start);
    const int first = MaskPositionOf(text, start);
    deletePlaces(MaskEditText{text, first, MaskPositionOf(text, start + length) - first}, false);
    return true;
}

void TdxInplaceMaskEdit::deletePlaces(const MaskEditText &edit, bool backspace)
{
    if (CanModify() && IsEditable())
        if (const std::optional<MaskEditText> deleted = MaskDelete(m_mask, edit, backspace))
            apply(*deleted);
}

void TdxInplaceMaskEdit::cutText()
{
    if (m_mask.isEmpty()) {
        TdxInplaceTextEdit::cutText();
        return;
    }
    if (!CanModify())
        return;
    lineEdit()->copy();
    clearText();
}

void TdxInplaceMaskEdit::clearText()
{
    if (m_mask.isEmpty()) {
        TdxInplaceTextEdit::clearText();
        return;
    }
    if (CanModify() && GetSelLength() > 0)
        if (const std::optional<MaskEditText> deleted = MaskDelete(m_mask, current(), false))
            apply(*deleted);
}

void TdxInplaceMaskEdit::pasteText(const QString &text)
{
    if (m_mask.isEmpty()) {
        TdxInplaceTextEdit::pasteText(text);
        return;
    }
    if (!IsEditable() || !CanModify())
        return;
    apply(MaskPaste(m_mask, current(), text));
    SetModified(true);
    ValidateEdit();
}

} // namespace grid

#include "moc_InplaceMaskEdit.cpp"
