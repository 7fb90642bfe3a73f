#pragma once

// The host of in-place editors. An editor is owned by its container and asks
// it, through the operations below, what it may do and tells it what
// happened; the base answers make an editor that can show a value but takes
// no input. The tree list overrides them. No widget here: the control that
// is a container derives from this class and from its widget.

#include "grid/core/ControlTypes.h"

#include "platform/classes/Component.h"
#include "platform/classes/Graphics.h"
#include "platform/classes/PropInfo.h"
#include "platform/rtl/Colors.h"

#include <QChar>

#include <cstdint>
#include <functional>
#include <memory>

namespace grid {

class InplaceEditor;
class TdxEditStyle;

using TKeyEvent = std::function<void(classes::TObject *sender, TKey &key, TShiftState shift)>;
// The control's own events, as a program listens to them.
using TControlKeyEvent = classes::TEvent<void(classes::TObject *sender, TKey &key, TShiftState shift)>;
using TKeyPressEvent = classes::TEvent<void(classes::TObject *sender, TChar &key)>;
using TMouseEvent =
    classes::TEvent<void(classes::TObject *sender, TMouseButton button, TShiftState shift, int x, int y)>;

class TCustomdxContainer : public classes::TComponent
{
    ZVO_CLASS(TCustomdxContainer)
public:
    explicit TCustomdxContainer(classes::TComponent *owner);
    ~TCustomdxContainer() override;

    // ---- The editor-host contract, in slot order ----
    virtual bool CanEditModify();
    virtual bool CanEditAcceptChar(TChar key);
    virtual bool EditReservedQuery();
    virtual std::unique_ptr<TdxEditStyle> CreateEditStyle(InplaceEditor *edit);
    // Lines requests of one line each; nothing below one line.
    virtual void MouseWheelScroll(bool up, int lines);
    virtual rtl::TColor GetEditColor();
    virtual const classes::TFont &GetEditFont();
    virtual bool IsEditReadOnly();
    virtual bool IsPaintOption();
    // Fires OnEditKeyDown; the handler may change the key, 0 ends it.
    virtual void DoEditKeyDown(TKey &key, TShiftState shift);
    virtual bool IsEditOutOfSync();
    virtual bool EditClickToDblClick();
    virtual bool EditOptionQuery();
    virtual bool EditWantTabs();
    virtual void EditMoveFocus(bool backward);
    virtual void EditFocusChanged();
    virtual void SetEditFlag();
    virtual void ClearEditFlag();
    virtual uint8_t GetEditKind();

    bool EditFlag() const { return m_editFlag; }
    TKeyEvent OnEditKeyDown;

    // Kept for the scroll bars; Qt's bars have no flat modes to map it to.
    TScrollBarStyle ScrollBarStyle() const { return m_scrollBarStyle; }
    void SetScrollBarStyle(TScrollBarStyle style) { m_scrollBarStyle = style; }

    rtl::TColor Color() const { return m_color; }
    virtual void SetColor(rtl::TColor color) { m_color = color; }
    classes::TFont &Font() { return m_font; }
    const classes::TFont &Font() const { return m_font; }

    // ---- The control's own handling, to which an editor hands what it
    // does not keep. The base fires the control's events; a handler may
    // change the key, 0 ends it ----
    virtual void KeyDown(TKey &key, TShiftState shift);
    virtual void KeyUp(TKey &key, TShiftState shift);
    virtual void KeyPress(TChar &key);
    virtual void Click();
    virtual void DblClick();
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    TControlKeyEvent OnKeyDown;
    TKeyPressEvent OnKeyPress;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    classes::TNotifyEvent OnClick;
    classes::TNotifyEvent OnDblClick;
    // Ends a mouse mode (a drag, a sizing) before the editor passes on a
    // wheel turn.
    virtual void CancelMode();
    // One request of the vertical scroll bar (SB_LINEUP, SB_LINEDOWN).
    virtual void VScroll(int code);
    // A wheel turn: each notch scrolls the system's wheel lines, whatever
    // the size of the turn.
    void MouseWheel(int delta);
    // The system's lines per wheel notch.
    virtual int WheelScrollLines() const;

private:
    bool m_editFlag = false;
    TScrollBarStyle m_scrollBarStyle = ssRegular;
    rtl::TColor m_color = rtl::clWindow;
    classes::TFont m_font;
};

} // namespace grid
