#pragma once

// The single-line text editor: a line edit inside the editor's frame, with a
// context menu of its own. Typed and pasted characters are kept as they come
// (any Unicode character); MaxLength 0 sets no limit of the editor's own.

#include "grid/widgets/InplaceEdit.h"

#include <QString>

#include <memory>

class QLineEdit;
class QMenu;
class QMouseEvent;

namespace grid {

class InplaceLineEdit;
class PasswordCharStyle;

class TdxInplaceTextEdit
    : public TdxInplaceEdit
    , public TextEditorProps
{
    Q_OBJECT
    ZVO_CLASS(TdxInplaceTextEdit)
public:
    // Tags of the context menu's items.
    enum MenuTag { mtUndo = -1, mtRedo = -2, mtCut = -3, mtCopy = -4, mtPaste = -5, mtDelete = -6, mtSelectAll = -7 };

    explicit TdxInplaceTextEdit(TCustomdxContainer *container, QWidget *parent = nullptr);
    ~TdxInplaceTextEdit() override;

    QLineEdit *lineEdit() const;
    QWidget *inputWidget() const override;
    bool IsTextEditor() const override { return true; }
    TextEditorProps *TextProps() override { return this; }

    bool AutoSelect() const { return m_autoSelect; }
    void SetAutoSelect(bool value) { m_autoSelect = value; }
    // False keeps the selection in view while the focus is elsewhere.
    bool HideSelection() const { return m_hideSelection; }
    void SetHideSelection(bool value) { m_hideSelection = value; }
    bool SelectionBar() const { return m_selectionBar; }
    void SetSelectionBar(bool value);

    TEditCharCase CharCase() const override { return m_charCase; }
    void SetCharCase(TEditCharCase value) override;
    int MaxLength() const override { return m_maxLength; }
    void SetMaxLength(int value) override;
    // Kept only: Unicode text needs no OEM round trip.
    bool OEMConvert() const override { return m_oemConvert; }
    void SetOEMConvert(bool value) override { m_oemConvert = value; }
    QChar PasswordChar() const override { return m_passwordChar; }
    void SetPasswordChar(QChar value) override;
    void EmptyUndoBuffer() override;

    // The editor's own operations, open to descendants.
    virtual void UpdateCharCase();
    // Sets the limit typing and pasting keep to, without marking MaxLength
    // as set explicitly; 0 or less: no limit of the editor's own.
    virtual void ApplyMaxLength(int value);
    virtual int GetSelLength() const;
    virtual int GetSelStart() const;
    virtual QString GetSelText() const;
    // Only an editor bound to a data link takes drops through the callback;
    // none of this program is, and its editors take no drops at all.
    virtual bool UseOleCallback() const { return false; }
    // The selection or the caret moved: OnSelectionChange.
    virtual void SelectionChange();
    virtual void SetSelLength(int length);
    virtual void SetSelStart(int start);
    // The limit when none is set explicitly; a data link would give its
    // field's size, and no editor here has one.
    virtual int DefaultMaxLength() const { return 0; }
    // Copies at most size UTF-16 units of the selected text, never half of a
    // pair, and answers how many it copied.
    virtual int GetSelTextBuffer(QChar *buffer, int size) const;

    // With CharCase set, the character is converted before the container
    // and the acceptance check see it.
    void KeyPress(TChar &key) override;
    void SetEditValue(const QVariant &value) override;
    bool GetModified() const override;
    void SetModified(bool value) override;
    void SetReadOnly(bool value) override;
    void MoveCaretToEnd() override;
    void ClickAt(const rtl::TPoint &point) override;
    void SelectAll() override;
    void RestoreDefaults() override;
    void RefreshDefaults() override;

    TNotifyEvent OnSelectionChange;

    // The context menu, made on first use (nullptr before).
    QMenu *contextMenu() const { return m_menu; }
    // At a point of the line edit, or for the keyboard at the caret.
    void showContextMenu(const QPoint &pos, bool fromKeyboard);

    // ---- Hooks of the line edit ----
    virtual void lineMousePress(QMouseEvent *) {}
    virtual void lineMouseRelease(QMouseEvent *) {}
    virtual void lineFocusIn() {}
    // An input method deletes length characters from start; false leaves it
    // to the line edit.
    virtual bool lineInputMethodDeletes(int /*start*/, int /*length*/) { return false; }
    void lineTextChanged();
    // What of the text fits at the selection in the room MaxLength leaves.
    QString fitToMaxLength(const QString &text) const;
    // Middle-button paste of the X11 selection.
    void pasteSelection();

protected:
    QString Text() const override;
    void SetText(const QString &text) override;
    void Enter() override;
    void OwnKeyDown(TKey &key, TShiftState shift) override;
    // A typed character goes in at the selection, as far as MaxLength
    // leaves room for it whole.
    void OwnKeyPress(TChar &key) override;
    void ownKeyEvent(QKeyEvent *event, TKey key, const QString &characters) override;
    std::unique_ptr<TdxEditViewData> NewViewData() const override;
    void FillViewData(TdxEditViewData &viewData, bool forPaint) override;
    void ColorChanged() override;
    void FontChanged() override;
    void MarginsChanged() override;
    void AlignmentChanged() override;
    void clientRectChanged(const QRect &client) override;
    void changeEvent(QEvent *event) override;

    // The editing commands of keys and menu; a mask editor keeps its shape.
    virtual void cutText();
    virtual void pasteText(const QString &text);
    virtual void clearText();
    // The text changed in the window.
    virtual void textChanged();
    // Inserts at the selection what room MaxLength leaves.
    void insertText(const QString &text);
    bool settingValue() const { return m_settingValue; }
    void setSettingValue(bool value) { m_settingValue = value; }

private:
    void applyPalette();
    void applyTextMargins();
    void menuTriggered(int tag);

    InplaceLineEdit *m_line = nullptr;
    std::unique_ptr<PasswordCharStyle> m_passwordStyle;
    QMenu *m_menu = nullptr; // a child of the editor
    bool m_autoSelect = true;
    bool m_hideSelection = true;
    bool m_selectionBar = false;
    TEditCharCase m_charCase = ecNormal;
    int m_maxLength = 0;
    bool m_oemConvert = false;
    QChar m_passwordChar;
    bool m_settingValue = false;
    bool m_converting = false;
    // The selection OnSelectionChange last told of: start and length.
    std::pair<int, int> m_toldSelection{0, 0};
};

} // namespace grid
