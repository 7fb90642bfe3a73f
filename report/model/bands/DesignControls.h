#pragma once

// What a report object asks of the controls a designer shows it with,
// without linking any window code: the control that stands for the object on
// the design surface, the popup menu of its class and the selection markers.
// The window layer supplies the controls (the designer creates the design
// control when an object asks for one; the menus come from the factory the
// window layer installs at start-up). Without a window layer there are none,
// and an object in design state simply has nothing to show itself in.

#include "platform/rtl/ScopedOverride.h"
#include "platform/rtl/Types.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace classes {
class TObject;
class TPersistent;
} // namespace classes

class QObject;

namespace gfx {
class Canvas;
}

namespace report {

// Sides a design control keeps its distance to when its parent resizes.
namespace ppAnchor {
constexpr uint8_t Left = 1;
constexpr uint8_t Top = 2;
constexpr uint8_t Right = 4;
constexpr uint8_t Bottom = 8;
constexpr uint8_t LeftRight = Left | Right;
constexpr uint8_t TopBottom = Top | Bottom;
} // namespace ppAnchor

class IppPopupMenu;

class IppMenuItem
{
public:
    virtual QString Name() const = 0;
    // The message number its caption comes from; 0 for a text of its own.
    virtual int Tag() const = 0;
    virtual QString Caption() const = 0;
    virtual void SetCaption(const QString &aCaption) = 0;
    virtual bool Checked() const = 0;
    virtual void SetChecked(bool aChecked) = 0;
    virtual bool Enabled() const = 0;
    virtual void SetEnabled(bool aEnabled) = 0;
    virtual void SetVisible(bool aVisible) = 0;
    // Replaces what a click does; an empty function: nothing.
    virtual void SetOnClick(std::function<void()> aHandler) = 0;
    // As the user's click.
    virtual void Click() = 0;
    // The items this one holds as a sub-menu, in the order added. Nothing is
    // added (nullptr) under an empty name or one the sub-menu holds already.
    virtual IppMenuItem *AddSubItem(const QString &aName, const QString &aCaption) = 0;
    virtual IppMenuItem *SubItemByName(const QString &aName) const = 0;
    virtual std::vector<IppMenuItem *> SubItems() const = 0;

protected:
    ~IppMenuItem() = default;
};

class IppPopupMenu
{
public:
    virtual ~IppPopupMenu() = default;

    // Items are ordered by group, then by name. Nothing is added (nullptr)
    // when the menu holds an item of that name already or the name is empty.
    virtual IppMenuItem *AddItem(int aGroup, const QString &aName, int aCaptionID, const QString &aCaption) = 0;
    virtual IppMenuItem *ItemByName(const QString &aName) const = 0;
    // Before the menu pops up: items named after a published Boolean
    // property of aObject show and toggle it. nullptr unbinds.
    virtual void SetComponent(classes::TPersistent *aObject) = 0;
    // The object the menu was built for.
    virtual void SetMenuObject(classes::TObject *aObject) = 0;
    virtual classes::TObject *MenuObject() const = 0;
    // Captions taken from messages are read again (language change).
    virtual void Recaption() = 0;
};

class IppDesignControl
{
public:
    virtual ~IppDesignControl() = default;

    // In the surface's pixels.
    virtual void SetDesignBounds(const rtl::TRect &aBounds) = 0;
    virtual rtl::TRect DesignBounds() const = 0;
    virtual void SetDesignVisible(bool aVisible) = 0;
    virtual bool DesignVisible() const = 0;
    virtual void SetAnchors(uint8_t aAnchors) = 0;
    virtual uint8_t Anchors() const = 0;
    // Paints again as soon as the surface comes round.
    virtual void Invalidate() = 0;
    // Top or bottom of the surface's stacking.
    virtual void BringToFront() = 0;
    virtual void SendToBack() = 0;
    // The menu it pops up on a right click; not owned.
    virtual void SetPopupMenu(IppPopupMenu *aMenu) = 0;
    virtual IppPopupMenu *PopupMenu() const = 0;
    // Ends the control. Its object may go from inside the control's own
    // paint or resize (a handler the painting runs frees it): a control that
    // is a window lets its toolkit free it once that event is over.
    virtual void Release() { delete this; }

    // An object with nothing to show (an image without a picture) frames
    // itself in dashes rather than a solid line.
    bool DashedFrame = false;
    // Paints the control on its canvas, the client area at (0, 0).
    std::function<void(gfx::Canvas &aCanvas)> OnPaint;
    // Before the menu pops up (the object binds its items).
    std::function<void()> OnPopup;
    // The control is going (its surface went first): whoever holds it lets go.
    std::function<void()> OnFreed;
};

// The rubber band and the handles of a selected object.
class IppSelectionObject
{
public:
    virtual ~IppSelectionObject() = default;
    // The selected control moved or resized.
    virtual void Refresh() = 0;
};

// How an object holds its control: letting go unbinds the control and
// releases it, so that it calls nothing of its holder again.
struct TppDesignControlRelease
{
    void operator()(IppDesignControl *aControl) const;
};
using TppDesignControlHolder = std::unique_ptr<IppDesignControl, TppDesignControlRelease>;

// Gives aControl the menu of its object's class and binds it to aObject as
// it pops up: the object's own bindings (aUpdate) first, then the published
// Boolean properties.
void ppBindPopupMenu(IppDesignControl &aControl, IppPopupMenu *aMenu, classes::TPersistent *aObject,
                     std::function<void(IppPopupMenu &)> aUpdate);
// Hands aControl over to aHolder, freeing the one it held without a word
// from it; a control its surface frees first lets go of the holder, then
// calls aFreed.
void ppAdoptDesignControl(TppDesignControlHolder &aHolder, std::unique_ptr<IppDesignControl> aControl,
                          std::function<void()> aFreed = {});

// Binds the item of that name, when the menu has one, to a flag of the
// object that is no published property: checked as the flag stands, a click
// sets the other value.
void ppBindFlagItem(IppPopupMenu &aMenu, const QString &aName, bool aValue, std::function<void(bool)> aSet);
void ppEnableItem(IppPopupMenu &aMenu, const QString &aName, bool aEnabled);
void ppBindItem(IppPopupMenu &aMenu, const QString &aName, std::function<void()> aOnClick);

// The design controls' factory the window layer installs.
struct TppDesignServices
{
    // A band's menu when aForBand, else a component's.
    std::function<std::unique_ptr<IppPopupMenu>(bool aForBand)> createPopupMenu;
    // A design control on aSurface (a widget of the designer's; nullptr for
    // none yet).
    std::function<std::unique_ptr<IppDesignControl>(QObject *aSurface)> createDesignControl;
};

// The menus of a report, one per class of object: built by the first
// object of a class that asks, bound to each object as its menu pops up.
class TppPopupMenuCache
{
public:
    TppPopupMenuCache();
    ~TppPopupMenuCache();
    TppPopupMenuCache(const TppPopupMenuCache &) = delete;
    TppPopupMenuCache &operator=(const TppPopupMenuCache &) = delete;

    // nullptr without a window layer.
    IppPopupMenu *MenuOf(const QString &aClassName, bool aForBand, const std::function<void(IppPopupMenu &)> &aBuild);
    void Recaption();
    void Clear();
    int Count() const;

private:
    struct Entry;
    std::vector<Entry> m_menus;
};

using ScopedDesignServices = rtl::ScopedOverride<struct DesignServicesTag, TppDesignServices>;
void ppSetDesignServices(TppDesignServices aServices);
// nullptr without a window layer.
std::unique_ptr<IppPopupMenu> ppCreatePopupMenu(bool aForBand);
std::unique_ptr<IppDesignControl> ppCreateDesignControl(QObject *aSurface);

} // namespace report
