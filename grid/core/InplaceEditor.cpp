#include "grid/core/InplaceEditor.h"

#include "grid/core/Container.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/Filer.h"
#include "platform/classes/Reader.h"
#include "platform/classes/Writer.h"
#include "platform/rtl/Variants.h"

#include <algorithm>
#include <climits>

#include <utility>

namespace grid {

namespace {

bool isNavigationKey(TKey key)
{
    switch (key) {
    case VK_TAB:
    case VK_RETURN:
    case VK_ESCAPE:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_UP:
    case VK_DOWN:
    case VK_INSERT: return true;
    default: return false;
    }
}

// Keeps a counter raised for a scope, also when the scope is left early;
// the counter goes with an editor a handler freed meanwhile.
class CounterGuard
{
public:
    CounterGuard(int32_t &counter, TreeListAlive alive)
        : m_counter(counter)
        , m_alive(std::move(alive))
    {
        ++m_counter;
    }
    ~CounterGuard()
    {
        if (!m_alive.expired())
            --m_counter;
    }
    CounterGuard(const CounterGuard &) = delete;
    CounterGuard &operator=(const CounterGuard &) = delete;

private:
    int32_t &m_counter;
    TreeListAlive m_alive;
};

} // namespace

const QString InplaceEditor::InvalidInputText =
    QStringLiteral("Invalid input value. Use escape key to abandon changes");

const classes::TMetaClass &InplaceEditor::StaticClass()
{
    static const classes::TMetaClass meta = classes::MakeClass<InplaceEditor, classes::TComponent>("TdxInplaceEdit");
    return meta;
}

InplaceEditor::InplaceEditor(TCustomdxContainer *container)
    : classes::TComponent(container)
    , m_container(container)
{
    m_alignment = DefaultAlignment();
    if (m_container && IsInplace())
        m_style = m_container->CreateEditStyle(this);
    m_font.OnChange = [this](classes::TObject *) { FontChanged(); };
}

InplaceEditor::~InplaceEditor()
{
    m_font.OnChange = nullptr;
    if (m_styleController && !m_styleController->HasState(classes::csDestroying))
        m_styleController->RemoveListener(this);
    m_style.reset();
}

TdxEditStyle &InplaceEditor::Style()
{
    if (!m_style)
        m_style = GetEditStyleClass()(this);
    return *m_style;
}

const TdxEditStyle &InplaceEditor::Style() const
{
    return const_cast<InplaceEditor *>(this)->Style();
}

InplaceEditor::TdxEditStyleClass InplaceEditor::GetEditStyleClass() const
{
    return [](InplaceEditor *edit) { return std::make_unique<TdxEditStyle>(edit); };
}

// ---- The host's calls -------------------------------------------------------

void InplaceEditor::ShowEdit(const rtl::TRect &rect)
{
    if (rect.IsEmpty())
        return;
    SetBoundsRect(rtl::TRect{rect.Left - 2, rect.Top - 2, rect.Right + 2, rect.Bottom + 2});
    const bool wasShown = m_shown;
    ShowEditWindow();
    m_shown = true;
    if (!HasFocus())
        SetFocus();
    SelectAll();
    if (!wasShown && m_showLock == 0)
        AfterFirstShow();
}

void InplaceEditor::PlaceEdit(const rtl::TRect &rect, bool takeFocus)
{
    if (rect.IsEmpty())
        return;
    const rtl::TRect bounds{rect.Left - 2, rect.Top - 2, rect.Right + 2, rect.Bottom + 2};
    if (BoundsRect() != bounds)
        SetBoundsRect(bounds);
    if (!m_shown) {
        ShowEditWindow();
        m_shown = true;
    }
    if (takeFocus && !HasFocus())
        ReturnFocus();
}

void InplaceEditor::HideEdit()
{
    m_shown = false;
    HideEditWindow();
}

void InplaceEditor::SetEditValue(const QVariant &value)
{
    SetText(rtl::VarToStr(value));
}

QVariant InplaceEditor::GetEditValue(bool)
{
    return QVariant(Text());
}

QString InplaceEditor::GetText()
{
    return Text();
}

QVariant InplaceEditor::GetEditText()
{
    return QVariant(GetText());
}

void InplaceEditor::SetEditText(const QString &text)
{
    if (!CanModify())
        return;
    SetText(text);
    SetModified(true);
}

bool InplaceEditor::GetModified() const
{
    return m_modified;
}

void InplaceEditor::SetModified(bool value)
{
    m_modified = value;
}

bool InplaceEditor::ValidateEdit()
{
    if (!GetModified() || m_validationLock > 0)
        return true;
    bool accept = true;
    QString errorText = InvalidInputText;
    // The handler may free the container, and this editor with it: that
    // ends the caller's step as a refusal does.
    const TreeListAlive alive = AliveToken();
    if (OnValidate)
        OnValidate(this, errorText, accept);
    if (alive.expired())
        return false;
    if (!accept)
        return Refuse(errorText);
    return true;
}

bool InplaceEditor::Refuse(const QString &errorText)
{
    Beep();
    ReportRefusal(errorText);
    return false;
}

void InplaceEditor::ResetEdit()
{
    if (!GetModified() || !IsTextEditor())
        return;
    SetText(m_savedText);
    SetModified(m_savedModified);
}

void InplaceEditor::Change()
{
    if (OnChange)
        OnChange(this);
}

void InplaceEditor::SetColor(rtl::TColor color)
{
    if (color == m_color)
        return;
    m_color = color;
    ColorChanged();
}

void InplaceEditor::SetMargins(const rtl::TRect &margins)
{
    if (margins == m_margins)
        return;
    m_margins = margins;
    MarginsChanged();
}

void InplaceEditor::SetAlignment(TAlignment value)
{
    m_storedValues |= svsAlignment;
    if (value == m_alignment)
        return;
    m_alignment = value;
    AlignmentChanged();
}

bool InplaceEditor::ReadOnly() const
{
    return (m_storedValues & svsReadOnly) ? m_readOnly : DefaultReadOnly();
}

void InplaceEditor::SetReadOnly(bool value)
{
    m_storedValues |= svsReadOnly;
    m_readOnly = value;
}

void InplaceEditor::RestoreDefaults()
{
    m_storedValues = 0;
    const TAlignment alignment = DefaultAlignment();
    if (alignment != m_alignment) {
        m_alignment = alignment;
        AlignmentChanged();
    }
    m_readOnly = DefaultReadOnly();
}

void InplaceEditor::SetStyleController(TdxEditStyleController *controller)
{
    // Made first, so that making it never adds a listener while a
    // controller tells its listeners of a change.
    Style();
    if (controller == m_styleController)
        return;
    if (m_styleController && !m_styleController->HasState(classes::csDestroying)) {
        m_styleController->RemoveListener(this);
        m_styleController->RemoveFreeNotification(this);
    }
    m_styleController = controller;
    if (controller) {
        controller->AddListener(this);
        controller->FreeNotification(this);
        controller->NotifyListener(this);
    } else {
        StyleChanged();
    }
}

void InplaceEditor::Notification(classes::TComponent *component, classes::TOperation operation)
{
    classes::TComponent::Notification(component, operation);
    if (operation == classes::TOperation::opRemove && component && component == m_styleController)
        SetStyleController(nullptr);
}

void InplaceEditor::StyleChanged()
{
    UpdateWindowRegion();
    Invalidate();
}

void InplaceEditor::DefineProperties(classes::TFiler &filer)
{
    classes::TComponent::DefineProperties(filer);
    filer.DefineProperty(
        QStringLiteral("StoredValues"),
        [this](classes::TReader &reader) { m_storedValues = uint8_t(reader.ReadInteger()); },
        [this](classes::TWriter &writer) { writer.WriteInteger(m_storedValues); }, m_storedValues != 0);
    filer.DefineProperty(
        QStringLiteral("Height"),
        [this](classes::TReader &reader) {
            const int height = int(std::clamp<int64_t>(reader.ReadInteger(), 0, INT_MAX / 2));
            rtl::TRect bounds = BoundsRect();
            bounds.Bottom = bounds.Top + height;
            SetBoundsRect(bounds);
        },
        [this](classes::TWriter &writer) { writer.WriteInteger(BoundsRect().Height()); }, !IsInplace());
}

bool InplaceEditor::CanModify() const
{
    if (ReadOnly())
        return false;
    return m_container ? m_container->CanEditModify() : true;
}

bool InplaceEditor::GetEditOption() const
{
    return m_container && m_container->EditOptionQuery();
}

void InplaceEditor::MoveFocus(bool backward)
{
    if (m_container)
        m_container->EditMoveFocus(backward);
}

TdxEditViewInfo InplaceEditor::CalcViewInfo(const TdxEditViewData &viewData)
{
    return grid::CalcViewInfo(viewData);
}

TCursor InplaceEditor::GetEditCursor(int /*x*/, int /*y*/, const TdxEditViewData &viewData)
{
    return grid::GetEditCursor(viewData);
}

// ---- Paint data -------------------------------------------------------------

std::unique_ptr<TdxEditViewData> InplaceEditor::NewViewData() const
{
    return std::make_unique<TdxEditViewData>();
}

rtl::TRect InplaceEditor::ClientBounds()
{
    const rtl::TRect bounds = BoundsRect();
    const rtl::TRect client = CalcViewInfo(*CreateViewData(false)).ClientRect;
    return rtl::TRect{bounds.Left + client.Left, bounds.Top + client.Top, bounds.Left + client.Right,
                      bounds.Top + client.Bottom};
}

std::unique_ptr<TdxEditViewData> InplaceEditor::CreateViewData(bool forPaint)
{
    std::unique_ptr<TdxEditViewData> data = NewViewData();
    FillViewData(*data, forPaint);
    return data;
}

void InplaceEditor::FillViewData(TdxEditViewData &data, bool forPaint)
{
    data.Enabled = Enabled();
    data.Focused = IsFocused();
    data.Active = IsActive();
    data.BorderColor = Style().BorderColor();
    TdxEditBorderStyle border = Style().BorderStyle();
    if (data.Active && Style().HotTrack())
        border = HotBorderStyle(border);
    data.BorderStyle = border;
    data.ButtonStyle = ResolveButtonStyle(Style().ButtonStyle(), border);
    data.ButtonsTransparent = ButtonsTransparent(Style().ButtonTransparence(), data.Active);
    data.Edges = Style().Edges();
    data.Shadow = Style().Shadow();
    data.Transparent = false;
    const rtl::TRect bounds = BoundsRect();
    data.Bounds = rtl::TRect{0, 0, bounds.Width(), bounds.Height()};
    data.Margins = m_margins;
    data.VerticalLayout = 0;
    data.Font = m_font.Font();
    if (data.Enabled) {
        data.Brush = gfx::Brush::solid(m_color);
        data.Color = rtl::ColorToRGB(m_color);
        data.FontColor = rtl::ColorToRGB(m_font.Color());
    } else {
        data.Brush = gfx::Brush::solid(rtl::clBtnFace);
        data.Color = rtl::GetSysColor(rtl::COLOR_BTNFACE);
        data.FontColor = rtl::GetSysColor(rtl::COLOR_GRAYTEXT);
    }
    data.MeasureOnly = false;
    data.Alignment = m_alignment;
    data.IsTextEditor = IsTextEditor();
    data.EditValue = GetEditValue(forPaint);
    data.Cursor = m_cursor;
}

void InplaceEditor::UpdateWindowRegion()
{
    const std::unique_ptr<TdxEditViewData> data = CreateViewData(false);
    const TdxEditViewInfo info = CalcViewInfo(*data);
    ApplyWindowRegion(EditWindowRegion(info, data->Edges));
}

void InplaceEditor::UpdateHotTrack()
{
    if (HasState(classes::csDestroying))
        return;
    const TdxEditButtonTransparence t = Style().ButtonTransparence();
    if (Style().HotTrack() || t == ebtInactive || t == ebtAlways || t == ebtHideInactive)
        UpdateWindowRegion();
}

void InplaceEditor::UpdateHotState()
{
    UpdateHotTrack();
    if (IsOwnerPainted())
        Invalidate();
}

// ---- Keys --------------------------------------------------------------------

bool InplaceEditor::IsValidChar(TChar key)
{
    return m_container ? m_container->CanEditAcceptChar(key) : true;
}

bool InplaceEditor::IsEditKey(TKey key, TShiftState shift) const
{
    const bool ctrl = (shift & ssCtrl) && !(shift & ssAlt);
    return (ctrl && (key == 'V' || key == 'X')) || key == VK_BACK || key == VK_DELETE ||
           ((shift & ssShift) && key == VK_INSERT);
}

void InplaceEditor::KeyDown(TKey &key, TShiftState shift)
{
    if (key == VK_ESCAPE)
        ResetEdit();
    if (isNavigationKey(key) && !ValidateEdit()) {
        key = 0;
        return;
    }
    // The container's handlers may free it, and this editor with it.
    const TreeListAlive alive = AliveToken();
    CounterGuard lock(m_validationLock, alive);
    bool toContainer = false;
    switch (key) {
    case VK_TAB: toContainer = !(shift & ssAlt); break;
    case VK_RETURN:
    case VK_ESCAPE:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_UP:
    case VK_DOWN: toContainer = true; break;
    case VK_INSERT:
        if (!(shift & (ssShift | ssCtrl | ssAlt)))
            toContainer = true;
        else if ((shift & ssShift) && m_container && !m_container->CanEditModify())
            key = 0;
        break;
    case VK_F2:
        if (m_container)
            m_container->DoEditKeyDown(key, shift);
        if (alive.expired())
            return;
        if (key == VK_F2)
            MoveCaretToEnd();
        key = 0;
        return;
    case VK_DELETE:
        if (m_container && !m_container->CanEditModify())
            key = 0;
        break;
    default: break;
    }
    if (toContainer) {
        if (m_container)
            m_container->KeyDown(key, shift);
        key = 0;
        return;
    }
    if (key == 0)
        return;
    if (m_container)
        m_container->DoEditKeyDown(key, shift);
    if (alive.expired())
        return;
    if (key != 0 && IsEditKey(key, shift) && (!IsEditable() || !CanModify()))
        key = 0;
    if (key != 0)
        OwnKeyDown(key, shift);
}

void InplaceEditor::KeyPress(TChar &key)
{
    const TreeListAlive alive = AliveToken();
    if (m_container)
        m_container->KeyPress(key);
    if (alive.expired())
        return;
    if (IsTypedChar(key) && !IsValidChar(key)) {
        key = 0;
        Beep();
    }
    if (key == '\t' && !WantTabChar())
        key = 0;
    if (key == 0x1B)
        key = 0;
    if (IsTextEditor() && !CanModify() && (key == '\t' || IsTypedChar(key)))
        key = 0;
    if (key != 0)
        OwnKeyPress(key);
}

void InplaceEditor::KeyUp(TKey &key, TShiftState shift)
{
    if (m_container)
        m_container->KeyUp(key, shift);
}

void InplaceEditor::OwnKeyDown(TKey &, TShiftState) {}

void InplaceEditor::OwnKeyPress(TChar &) {}

bool InplaceEditor::IsOutOfSync() const
{
    return m_container && m_container->IsEditOutOfSync();
}

// ---- Focus and mouse -------------------------------------------------------------

void InplaceEditor::FocusChanged(bool)
{
    m_savedText = Text();
    m_savedModified = GetModified();
}

void InplaceEditor::Enter()
{
    FocusChanged(true);
}

bool InplaceEditor::Exit()
{
    if (!ValidateEdit())
        return false;
    FocusChanged(false);
    return true;
}

void InplaceEditor::FocusGained()
{
    if (m_container)
        m_container->EditFocusChanged();
    UpdateHotState();
}

void InplaceEditor::FocusLost(bool toContainer)
{
    UpdateHotTrack();
    if (IsOwnerPainted())
        Invalidate();
    if (m_container && !toContainer)
        m_container->EditFocusChanged();
}

bool InplaceEditor::IsCtrlOnly() const
{
    const TShiftState keys = KeyboardState();
    return (keys & ssCtrl) && !(keys & ssAlt);
}

void InplaceEditor::MouseEnter()
{
    SetMouseInside(true);
    UpdateHotTrack();
    if (OnMouseEnter)
        OnMouseEnter(this);
}

void InplaceEditor::MouseLeave()
{
    SetMouseInside(false);
    UpdateHotTrack();
    if (OnMouseLeave)
        OnMouseLeave(this);
}

void InplaceEditor::MouseWheel(int delta)
{
    if (!m_container)
        return;
    m_container->CancelMode();
    m_container->MouseWheel(delta);
}

bool InplaceEditor::TakeClickAsDoubleClick(int64_t time, int doubleClickTime)
{
    const bool asDouble =
        m_container && m_container->EditClickToDblClick() && m_clickTime != 0 && time - m_clickTime < doubleClickTime;
    m_clickTime = 0;
    return asDouble;
}

void InplaceEditor::Click()
{
    if (m_container)
        m_container->Click();
}

} // namespace grid
