#include "grid/core/Container.h"

#include "grid/core/EditStyle.h"

#include "platform/classes/ClassBuilder.h"

#include <QGuiApplication>
#include <QStyleHints>

namespace grid {

const classes::TMetaClass &TCustomdxContainer::StaticClass()
{
    static const classes::TMetaClass meta =
        classes::MakeClass<TCustomdxContainer, classes::TComponent>("TCustomdxContainer");
    return meta;
}

TCustomdxContainer::TCustomdxContainer(classes::TComponent *owner)
    : classes::TComponent(owner)
{}

TCustomdxContainer::~TCustomdxContainer()
{
    // The editors it owns ask it things while they go.
    Destroying();
    DestroyComponents();
}

bool TCustomdxContainer::CanEditModify()
{
    return false;
}

bool TCustomdxContainer::CanEditAcceptChar(TChar)
{
    return false;
}

bool TCustomdxContainer::EditReservedQuery()
{
    return true;
}

std::unique_ptr<TdxEditStyle> TCustomdxContainer::CreateEditStyle(InplaceEditor *edit)
{
    return std::make_unique<TdxEditStyle>(edit);
}

void TCustomdxContainer::MouseWheelScroll(bool up, int lines)
{
    for (int i = 0; i < lines; ++i)
        VScroll(up ? SB_LINEUP : SB_LINEDOWN);
}

rtl::TColor TCustomdxContainer::GetEditColor()
{
    return Color();
}

const classes::TFont &TCustomdxContainer::GetEditFont()
{
    return Font();
}

bool TCustomdxContainer::IsEditReadOnly()
{
    return false;
}

bool TCustomdxContainer::IsPaintOption()
{
    return false;
}

void TCustomdxContainer::DoEditKeyDown(TKey &key, TShiftState shift)
{
    if (OnEditKeyDown)
        OnEditKeyDown(this, key, shift);
}

bool TCustomdxContainer::IsEditOutOfSync()
{
    return false;
}

bool TCustomdxContainer::EditClickToDblClick()
{
    return false;
}

bool TCustomdxContainer::EditOptionQuery()
{
    return false;
}

bool TCustomdxContainer::EditWantTabs()
{
    return false;
}

void TCustomdxContainer::EditMoveFocus(bool) {}

void TCustomdxContainer::EditFocusChanged() {}

void TCustomdxContainer::SetEditFlag()
{
    m_editFlag = true;
}

void TCustomdxContainer::ClearEditFlag()
{
    m_editFlag = false;
}

uint8_t TCustomdxContainer::GetEditKind()
{
    return 2;
}

void TCustomdxContainer::KeyDown(TKey &key, TShiftState shift)
{
    if (OnKeyDown)
        OnKeyDown(this, key, shift);
}

void TCustomdxContainer::KeyUp(TKey &, TShiftState) {}

void TCustomdxContainer::KeyPress(TChar &key)
{
    if (OnKeyPress)
        OnKeyPress(this, key);
}

void TCustomdxContainer::Click()
{
    if (OnClick)
        OnClick(this);
}

void TCustomdxContainer::DblClick()
{
    if (OnDblClick)
        OnDblClick(this);
}

void TCustomdxContainer::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    if (OnMouseDown)
        OnMouseDown(this, button, shift, x, y);
}

void TCustomdxContainer::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    if (OnMouseUp)
        OnMouseUp(this, button, shift, x, y);
}

void TCustomdxContainer::CancelMode() {}

void TCustomdxContainer::VScroll(int) {}

void TCustomdxContainer::MouseWheel(int delta)
{
    MouseWheelScroll(delta > 0, WheelScrollLines());
}

int TCustomdxContainer::WheelScrollLines() const
{
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return QGuiApplication::styleHints()->wheelScrollLines();
    return 3;
}

} // namespace grid
