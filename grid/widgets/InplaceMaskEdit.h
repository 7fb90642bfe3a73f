#pragma once

// The text editor with an edit mask. Keys go through the mask: the caret
// steps over literals, typing replaces the character at the caret, deleting
// blanks and never shortens, and the text always keeps the mask's shape. A
// text that fails the mask's check is refused before OnValidate is asked.

#include "grid/core/MaskEditing.h"
#include "grid/widgets/InplaceTextEdit.h"

#include "platform/rtl/EditMask.h"

namespace grid {

class TdxInplaceMaskEdit
    : public TdxInplaceTextEdit
    , public MaskEditorProps
{
    Q_OBJECT
    ZVO_CLASS(TdxInplaceMaskEdit)
public:
    // The mask check's message (two blanks after the first full stop).
    static const QString MaskErrorText;

    explicit TdxInplaceMaskEdit(TCustomdxContainer *container, QWidget *parent = nullptr);

    MaskEditorProps *MaskProps() override { return this; }
    QString EditMask() const override { return m_editMask; }
    void SetEditMask(const QString &mask) override;
    bool IgnoreMaskBlank() const override { return m_ignoreMaskBlank; }
    void SetIgnoreMaskBlank(bool value) override { m_ignoreMaskBlank = value; }
    const rtl::EditMask &Mask() const { return m_mask; }
    // Where the selection starts and where it stops.
    virtual void GetSel(int &start, int &stop) const;
    // The mask a data link's field would give; no editor here has a link.
    virtual QString GetEditMaskFromLink() const { return {}; }
    // No rule of the grid gives the flag a meaning of the mask editor's
    // own, so it answers as every editor does.
    bool GetStateFlag() const override { return TdxInplaceTextEdit::GetStateFlag(); }

    void SetEditValue(const QVariant &value) override;
    QString GetText() override;
    bool ValidateEdit() override;

    void lineMousePress(QMouseEvent *event) override;
    void lineMouseRelease(QMouseEvent *event) override;
    void lineFocusIn() override;
    bool lineInputMethodDeletes(int start, int length) override;

protected:
    void SetText(const QString &text) override;
    void Enter() override;
    void OwnKeyDown(TKey &key, TShiftState shift) override;
    void OwnKeyPress(TChar &key) override;
    void ownKeyEvent(QKeyEvent *event, TKey key, const QString &characters) override;
    void cutText() override;
    void pasteText(const QString &text) override;
    void clearText() override;
    void textChanged() override;

private:
    // The text with its selection in positions, and the caret's position.
    MaskEditText current() const;
    int caret() const;
    // Puts the edit in place; a changed text goes in as one step of the
    // line edit, so that undo and the modified flag follow it.
    void apply(const MaskEditText &edit);
    // Delete, or Backspace, over the selection of edit, as the mask's keys
    // delete: its places are blanked, its literals stay.
    void deletePlaces(const MaskEditText &edit, bool backspace);

    QString m_editMask;
    rtl::EditMask m_mask;
    bool m_ignoreMaskBlank = false;
    bool m_failedValidation = false;
    bool m_reformatting = false;
    int m_pressX = 0;
};

} // namespace grid
