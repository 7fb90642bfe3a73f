#include "report/model/pages/DeviceRegistry.h"

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Component.h"

#include <algorithm>
#include <mutex>

namespace report {

TppDeviceClass::TppDeviceClass(const classes::TMetaClass &aMetaClass, const QString &aDeviceName)
    : m_metaClass(aMetaClass)
    , m_deviceName(aDeviceName.isEmpty() ? aMetaClass.ClassName() : aDeviceName)
{}

const QString &TppDeviceClass::className() const
{
    return m_metaClass.ClassName();
}

TppDevice *TppDeviceClass::Create(classes::TComponent *aOwner) const
{
    if (m_metaClass.IsAbstract())
        return nullptr;
    classes::TComponent *made = m_metaClass.NewComponent(aOwner);
    if (auto *device = dynamic_cast<TppDevice *>(made))
        return device;
    delete made;
    return nullptr;
}

namespace {

struct DeviceRegistryList
{
    std::mutex mutex;
    std::vector<const TppDeviceClass *> classes;
};

DeviceRegistryList &deviceRegistryList()
{
    static DeviceRegistryList list;
    return list;
}

} // namespace

void ppRegisterDevice(const TppDeviceClass *aClass)
{
    if (!aClass)
        return;
    DeviceRegistryList &list = deviceRegistryList();
    std::lock_guard lock(list.mutex);
    if (std::find(list.classes.begin(), list.classes.end(), aClass) != list.classes.end())
        return;
    classes::RegisterClass(aClass->MetaClass());
    list.classes.push_back(aClass);
}

void ppUnRegisterDevice(const TppDeviceClass *aClass)
{
    if (!aClass)
        return;
    DeviceRegistryList &list = deviceRegistryList();
    std::lock_guard lock(list.mutex);
    const auto it = std::find(list.classes.begin(), list.classes.end(), aClass);
    if (it == list.classes.end())
        return;
    classes::UnRegisterClass(aClass->MetaClass());
    list.classes.erase(it);
}

std::vector<const TppDeviceClass *> ppGetDeviceClassList()
{
    DeviceRegistryList &list = deviceRegistryList();
    std::lock_guard lock(list.mutex);
    return list.classes;
}

const TppDeviceClass *ppGetDeviceClass(const QString &aDeviceName)
{
    DeviceRegistryList &list = deviceRegistryList();
    std::lock_guard lock(list.mutex);
    for (const TppDeviceClass *deviceClass : list.classes)
        if (deviceClass->deviceName().compare(aDeviceName, Qt::CaseInsensitive) == 0)
            return deviceClass;
    return nullptr;
}

QString TppDeviceSubstitutions::SubstituteFont(const QString &aFontName)
{
    static const char *const courierNew[] = {"Courier", "MS Serif"};
    static const char *const arial[] = {"Fixedsys", "MS Sans Serif", "Modern", "Small Fonts", "System", "Terminal"};
    for (const char *name : courierNew)
        if (aFontName == QLatin1String(name))
            return QStringLiteral("Courier New");
    for (const char *name : arial)
        if (aFontName == QLatin1String(name))
            return QStringLiteral("Arial");
    return aFontName;
}

} // namespace report
