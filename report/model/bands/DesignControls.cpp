#include "report/model/bands/DesignControls.h"

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
