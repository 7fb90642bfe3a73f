#include "report/model/bands/DesignControls.h"

#include "platform/classes/Persistent.h"

#include <mutex>

namespace report {

namespace {

std::mutex g_designServicesLock;
TppDesignServices g_designServices;

TppDesignServices designServices()
{
    if (std::optional<TppDesignServices> scoped = ScopedDesignServices::current())
        return *scoped;
    std::lock_guard lock(g_designServicesLock);
    return g_designServices;
}

} // namespace

struct TppPopupMenuCache::Entry
{
    QString className;
    std::unique_ptr<IppPopupMenu> menu;
};

TppPopupMenuCache::TppPopupMenuCache() = default;
TppPopupMenuCache::~TppPopupMenuCache() = default;

IppPopupMenu *TppPopupMenuCache::MenuOf(const QString &aClassName, bool aForBand,
                                        const std::function<void(IppPopupMenu &)> &aBuild)
{
    for (const Entry &entry : m_menus)
        if (entry.className == aClassName)
            return entry.menu.get();
    std::unique_ptr<IppPopupMenu> menu = ppCreatePopupMenu(aForBand);
    if (!menu)
        return nullptr;
    if (aBuild)
        aBuild(*menu);
    m_menus.push_back({aClassName, std::move(menu)});
    return m_menus.back().menu.get();
}

void TppPopupMenuCache::Recaption()
{
    for (const Entry &entry : m_menus)
        entry.menu->Recaption();
}

void TppPopupMenuCache::Clear()
{
    m_menus.clear();
}

int TppPopupMenuCache::Count() const
{
    return int(m_menus.size());
}

void ppBindPopupMenu(IppDesignControl &aControl, IppPopupMenu *aMenu, classes::TPersistent *aObject,
                     std::function<void(IppPopupMenu &)> aUpdate)
{
    aControl.SetPopupMenu(aMenu);
    aControl.OnPopup = [aMenu, aObject, update = std::move(aUpdate)] {
        if (!aMenu)
            return;
        aMenu->SetMenuObject(aObject);
        update(*aMenu);
        aMenu->SetComponent(aObject);
    };
}

void TppDesignControlRelease::operator()(IppDesignControl *aControl) const
{
    aControl->OnFreed = nullptr;
    aControl->OnPaint = nullptr;
    aControl->OnPopup = nullptr;
    aControl->Release();
}

void ppAdoptDesignControl(TppDesignControlHolder &aHolder, std::unique_ptr<IppDesignControl> aControl,
                          std::function<void()> aFreed)
{
    aHolder.reset(aControl.release());
    if (aHolder)
        aHolder->OnFreed = [&aHolder, freed = std::move(aFreed)] {
            (void)aHolder.release();
            if (freed)
                freed();
        };
}

void ppBindFlagItem(IppPopupMenu &aMenu, const QString &aName, bool aValue, std::function<void(bool)> aSet)
{
    IppMenuItem *item = aMenu.ItemByName(aName);
    if (!item)
        return;
    item->SetChecked(aValue);
    item->SetOnClick([set = std::move(aSet), aValue] { set(!aValue); });
}

void ppEnableItem(IppPopupMenu &aMenu, const QString &aName, bool aEnabled)
{
    if (IppMenuItem *item = aMenu.ItemByName(aName))
        item->SetEnabled(aEnabled);
}

void ppBindItem(IppPopupMenu &aMenu, const QString &aName, std::function<void()> aOnClick)
{
    if (IppMenuItem *item = aMenu.ItemByName(aName))
        item->SetOnClick(std::move(aOnClick));
}

void ppSetDesignServices(TppDesignServices aServices)
{
    std::lock_guard lock(g_designServicesLock);
    g_designServices = std::move(aServices);
}

std::unique_ptr<IppPopupMenu> ppCreatePopupMenu(bool aForBand)
{
    const TppDesignServices services = designServices();
    return services.createPopupMenu ? services.createPopupMenu(aForBand) : nullptr;
}

} // namespace report

namespace report {

std::unique_ptr<IppDesignControl> ppCreateDesignControl(QObject *aSurface)
{
    const TppDesignServices services = designServices();
    return services.createDesignControl ? services.createDesignControl(aSurface) : nullptr;
}

} // namespace report
