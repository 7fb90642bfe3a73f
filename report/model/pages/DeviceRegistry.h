#pragma once

// The device classes by name, process-wide: the producer finds the class to
// print with from its DeviceType ("Screen", "Printer", ...), the print
// dialog lists the file devices. Names are compared without regard to case.

#include "report/model/pages/Device.h"

#include <QString>

#include <vector>

namespace classes {
class TComponent;
class TMetaClass;
} // namespace classes

namespace report {

// A device class: its class reference and its registered name.
class TppDeviceClass
{
public:
    TppDeviceClass(const classes::TMetaClass &aMetaClass, const QString &aDeviceName);

    const classes::TMetaClass &MetaClass() const { return m_metaClass; }
    const QString &className() const;
    const QString &deviceName() const { return m_deviceName; }
    // A new device of this class (nullptr for an abstract class).
    TppDevice *Create(classes::TComponent *aOwner) const;

private:
    const classes::TMetaClass &m_metaClass;
    QString m_deviceName;
};

// The one description of device class T, named by T::ClassDeviceName().
template <class T>
const TppDeviceClass &ppDeviceClass()
{
    static const TppDeviceClass deviceClass(T::StaticClass(), T::ClassDeviceName());
    return deviceClass;
}

// Appends the class unless listed and registers it for streaming.
void ppRegisterDevice(const TppDeviceClass *aClass);
// Takes it off the list and out of the class registry.
void ppUnRegisterDevice(const TppDeviceClass *aClass);
// The registered classes in registration order.
std::vector<const TppDeviceClass *> ppGetDeviceClassList();
// The class whose device name is aDeviceName (without regard to case), or
// nullptr.
const TppDeviceClass *ppGetDeviceClass(const QString &aDeviceName);

// Fonts that screens do not have, and what to show instead.
class TppDeviceSubstitutions
{
public:
    // "Courier" and "MS Serif" give "Courier New"; the old bitmap and system
    // fonts give "Arial"; any other name (compared with case) is kept.
    static QString SubstituteFont(const QString &aFontName);
};

} // namespace report
