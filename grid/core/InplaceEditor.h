#pragma once

// An in-place editor as its host sees it, and the part of its behaviour
// that needs no widget: the value and its saved copy, validation, the
// routing of keys between the editor and its container, the style and its
// controller, and the paint data. The widget that derives from it supplies
// the window operations at the end of the class.
//
// Host's order of calls: create with the container as owner, set the
// properties, SetEditValue, ShowEdit over the cell; on leaving ValidateEdit,
// read GetText or GetEditValue, HideEdit.

#include "grid/core/ControlTypes.h"
#include "grid/core/EditStyle.h"
#include "grid/core/EditViewData.h"
#include "grid/core/TreeListLife.h"

#include "platform/classes/Component.h"
#include "platform/classes/Graphics.h"
#include "platform/rtl/Types.h"

#include <QString>
#include <QVariant>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace grid {

class TCustomdxContainer;

using TNotifyEvent = std::function<void(classes::TObject *sender)>;
using TdxEditValidateEvent = std::function<void(classes::TObject *sender, QString &errorText, bool &accept)>;

// Bits of StoredValues: which properties were set explicitly.
enum : uint8_t {
    svsAlignment = 0x01,
    svsMaxLength = 0x02,
    svsEditMask = 0x04,
    svsReadOnly = 0x40,
};

// The properties of a text editor that a column sets.
class TextEditorProps
{
public:
    virtual TEditCharCase CharCase() const = 0;
    virtual void SetCharCase(TEditCharCase value) = 0;
    virtual int MaxLength() const = 0;
    virtual void SetMaxLength(int value) = 0;
    virtual bool OEMConvert() const = 0;
    virtual void SetOEMConvert(bool value) = 0;
    virtual QChar PasswordChar() const = 0;
    virtual void SetPasswordChar(QChar value) = 0;
    virtual void EmptyUndoBuffer() = 0;

protected:
    ~TextEditorProps() = default;
};

// The further properties of a mask editor.
class MaskEditorProps
{
public:
    virtual QString EditMask() const = 0;
    virtual void SetEditMask(const QString &mask) = 0;
    virtual bool IgnoreMaskBlank() const = 0;
    virtual void SetIgnoreMaskBlank(bool value) = 0;

protected:
    ~MaskEditorProps() = default;
};

class InplaceEditor : public classes::TComponent
{
    ZVO_CLASS(InplaceEditor)
public:
    // The text a refused validation shows unless OnValidate gives another.
    static const QString InvalidInputText;

    explicit InplaceEditor(TCustomdxContainer *container);
    ~InplaceEditor() override;

    TCustomdxContainer *Container() const { return m_container; }

    // ---- What the host calls ----
    // Nothing for an empty rectangle; else the editor covers it with 2
    // pixels to spare a side, shows, takes the focus and selects all.
    void ShowEdit(const rtl::TRect &rect);
    // Moves a shown editor over rect, or shows one hidden while editing
    // there again, without entering it anew: caret, selection and the text
    // Esc restores stay. With takeFocus it gets the keys back.
    void PlaceEdit(const rtl::TRect &rect, bool takeFocus);
    virtual void HideEdit();
    bool Shown() const { return m_shown; }
    // While a show bracket is open, a first showing runs no AfterFirstShow.
    void BeginShow() { ++m_showLock; }
    void EndShow() { --m_showLock; }
    virtual void SetEditValue(const QVariant &value);
    // Takes alignment and read-only anew from the data link where they are
    // not set explicitly; no editor of this program has a data link.
    virtual void RefreshDefaults() {}
    virtual QVariant GetEditValue(bool fromDataLink);
    // The text the host reads.
    virtual QString GetText();
    virtual QVariant GetEditText();
    virtual void SetEditText(const QString &text);
    virtual bool GetModified() const;
    virtual void SetModified(bool value);
    // False when refused; the refusal has been reported to the user and the
    // focus stays in the editor. The caller stops what it was doing.
    virtual bool ValidateEdit();
    virtual void ResetEdit();
    // The text changed: OnChange.
    virtual void Change();
    virtual void MoveCaretToEnd() {}
    // The click that opened the editor, at a point of the container's
    // client area: the caret goes there.
    virtual void ClickAt(const rtl::TPoint & /*point*/) {}
    virtual void SelectAll() {}
    // Set by the host while it closes the editor.
    bool Closing() const { return m_closing; }
    void SetClosing(bool closing) { m_closing = closing; }
    // The message time of the click that opened the editor (0: none).
    void SetClickTime(int64_t time) { m_clickTime = time; }

    rtl::TColor Color() const { return m_color; }
    void SetColor(rtl::TColor color);
    classes::TFont &Font() { return m_font; }
    const classes::TFont &Font() const { return m_font; }
    // Left, top and right insets of the text; the fourth is kept with them.
    const rtl::TRect &Margins() const { return m_margins; }
    void SetMargins(const rtl::TRect &margins);
    TAlignment Alignment() const { return m_alignment; }
    virtual void SetAlignment(TAlignment value);
    bool ReadOnly() const;
    virtual void SetReadOnly(bool value);
    uint8_t StoredValues() const { return m_storedValues; }
    virtual void RestoreDefaults();

    // An editor's style is its container's; one without a container (or
    // not in place) makes an instance of GetEditStyleClass when first asked
    // for it, after construction, so that a descendant's answer counts.
    TdxEditStyle &Style();
    const TdxEditStyle &Style() const;
    // The class of that style, as the function that makes one for an editor.
    using TdxEditStyleClass = std::unique_ptr<TdxEditStyle> (*)(InplaceEditor *edit);
    virtual TdxEditStyleClass GetEditStyleClass() const;
    TdxEditStyleController *StyleController() const { return m_styleController; }
    void SetStyleController(TdxEditStyleController *controller);
    // The style or its controller changed: new region, repaint.
    virtual void StyleChanged();

    virtual bool IsTextEditor() const { return false; }
    virtual TextEditorProps *TextProps() { return nullptr; }
    virtual MaskEditorProps *MaskProps() { return nullptr; }
    virtual bool IsFocused() const { return HasFocus(); }
    // Every editor of this program sits in a cell; read once, as the
    // editor is made (where the base answer holds).
    virtual bool IsInplace() const { return true; }
    // Ctrl held and Alt not, as the keyboard is now.
    virtual bool IsCtrlOnly() const;
    // A disabled editor paints its content itself.
    virtual bool NeedsRepaintOnFocus() const { return !Enabled(); }
    // A flag of the editor's own; while it is set a press on the grid
    // leaves the editor open. Nothing in this program sets it.
    virtual bool GetStateFlag() const { return m_stateFlag; }
    // Where the editor's buttons are; the base has none.
    virtual void GetButtonsRect(const TdxEditViewData & /*viewData*/, rtl::TRect &rect) const { rect = {}; }
    virtual bool IsActive() const { return m_mouseInside || (IsFocused() && Enabled()); }
    virtual bool IsEditable() const { return !ReadOnly(); }
    virtual bool CanModify() const;
    virtual bool GetEditOption() const;
    // The editor draws its content itself rather than leaving it to the
    // window, and so repaints when its hot or focus look changes.
    virtual bool IsOwnerPainted() const { return !IsTextEditor(); }
    // Hands the focus to the container's previous or next cell.
    virtual void MoveFocus(bool backward);
    bool MouseInside() const { return m_mouseInside; }

    std::unique_ptr<TdxEditViewData> CreateViewData(bool forPaint);
    // The frame, client and shadow rectangles of the paint data.
    virtual TdxEditViewInfo CalcViewInfo(const TdxEditViewData &viewData);
    // The cursor over a point of the editor; crDefault leaves the window's.
    virtual TCursor GetEditCursor(int x, int y, const TdxEditViewData &viewData);
    // The client rectangle inside the frame, in the container's
    // coordinates.
    rtl::TRect ClientBounds();

    // A destroyed controller is let go.
    void Notification(classes::TComponent *component, classes::TOperation operation) override;
    // The stored-values flags go with the editor when there are any; the
    // height only for an editor that does not sit in a cell.
    void DefineProperties(classes::TFiler &filer) override;

    TNotifyEvent OnChange;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;
    TdxEditValidateEvent OnValidate;

    // ---- What the editor's window reports ----
    // Key codes set to 0 were swallowed; a non-zero result is left to the
    // window's own handling.
    virtual void KeyDown(TKey &key, TShiftState shift);
    virtual void KeyPress(TChar &key);
    void KeyUp(TKey &key, TShiftState shift);
    // The focus came from another control.
    virtual void Enter();
    // The focus goes to another control; false when the editor refused to
    // let it go (the refusal is reported and the focus comes back).
    bool Exit();
    void FocusGained();
    // toContainer: the focus went to the container itself.
    virtual void FocusLost(bool toContainer);
    void MouseEnter();
    void MouseLeave();
    void MouseWheel(int delta);
    // A left press at that message time counts as a double click when the
    // container asks for it and the opening click was recent enough.
    bool TakeClickAsDoubleClick(int64_t time, int doubleClickTime);
    void Click();
    // Keys and characters are dropped unprocessed while this is true.
    bool IsOutOfSync() const;

protected:
    // ---- Window operations ----
    virtual QString Text() const = 0;
    virtual void SetText(const QString &text) = 0;
    // In the parent's coordinates.
    virtual rtl::TRect BoundsRect() const = 0;
    virtual void SetBoundsRect(const rtl::TRect &rect) = 0;
    virtual void ShowEditWindow() = 0;
    // Hides the window and has the container repaint what it covered.
    virtual void HideEditWindow() = 0;
    virtual bool HasFocus() const = 0;
    virtual void SetFocus() = 0;
    // Gives the editor the keys as if it had kept them.
    virtual void ReturnFocus() { SetFocus(); }
    virtual bool Enabled() const = 0;
    virtual void Invalidate() = 0;
    // An empty region: the whole window.
    virtual void ApplyWindowRegion(const std::vector<rtl::TRect> &region) = 0;
    virtual void Beep() = 0;
    // Tells the user the error text once and brings the focus back to the
    // editor once the message is gone.
    virtual void ReportRefusal(const QString &errorText) = 0;

    // ---- Behaviour descendants refine ----
    // The window's own handling of a key and a character that passed the
    // routing; set the key to 0 when it is done with.
    virtual void OwnKeyDown(TKey &key, TShiftState shift);
    virtual void OwnKeyPress(TChar &key);
    virtual bool WantTabChar() const { return false; }
    virtual bool IsValidChar(TChar key);
    virtual bool IsEditKey(TKey key, TShiftState shift) const;
    virtual void FocusChanged(bool focused);
    virtual void UpdateWindowRegion();
    virtual void AfterFirstShow() {}
    virtual TAlignment DefaultAlignment() const { return taLeftJustify; }
    virtual bool DefaultReadOnly() const { return false; }
    virtual std::unique_ptr<TdxEditViewData> NewViewData() const;
    virtual void FillViewData(TdxEditViewData &viewData, bool forPaint);
    virtual void ColorChanged() { StyleChanged(); }
    virtual void FontChanged() { UpdateWindowRegion(); }
    virtual void MarginsChanged() {}
    virtual void AlignmentChanged() {}

    // Beeps and reports; answers false for ValidateEdit to return.
    bool Refuse(const QString &errorText);
    void UpdateHotTrack();
    virtual void UpdateHotState();
    // Expires when the editor goes: a handler its container calls may free
    // the container, and the editor with it.
    TreeListAlive AliveToken() const { return m_life.token(); }
    int32_t ValidationLock() const { return m_validationLock; }
    bool IsValidating() const { return m_validationLock > 0; }
    void SetStoredValue(uint8_t bit) { m_storedValues |= bit; }
    const QString &SavedText() const { return m_savedText; }

    // Stores whether the pointer is over the editor.
    virtual void SetMouseInside(bool inside) { m_mouseInside = inside; }
    // The keyboard's shift state now; none without a window system.
    virtual TShiftState KeyboardState() const { return 0; }

    bool m_modified = false;
    bool m_stateFlag = false;

private:
    TCustomdxContainer *m_container;
    TAlignment m_alignment = taLeftJustify;
    bool m_readOnly = false;
    uint8_t m_storedValues = 0;
    bool m_mouseInside = false;
    bool m_shown = false;
    bool m_closing = false;
    QString m_savedText;
    bool m_savedModified = false;
    int32_t m_validationLock = 0;
    TreeListLife m_life;
    int32_t m_showLock = 0;
    int64_t m_clickTime = 0;
    mutable std::unique_ptr<TdxEditStyle> m_style;
    TdxEditStyleController *m_styleController = nullptr;
    rtl::TColor m_color = rtl::clWindow;
    classes::TFont m_font;
    rtl::TRect m_margins;
    TCursor m_cursor = crDefault;
};

} // namespace grid
