#pragma once

// The graphic classes a data image may read its field as, by graphic-type
// name: "Bitmap", "Icon", "MetaFile", and "GIF" and "JPEG" when the class
// library has those classes. Names compare without regard to case; a name
// registered again takes the new class.

#include <QString>
#include <QStringList>

namespace classes {
class TMetaClass;
}

namespace report {

void ppRegisterGraphicClass(const QString &aName, const classes::TMetaClass &aClass);
// nullptr for a name not registered.
const classes::TMetaClass *ppGetGraphicClass(const QString &aName);
// The registered name as it was registered, or an empty text.
QString ppGraphicTypeName(const QString &aName);
// Sorted.
QStringList ppGraphicTypeNames();
// The next use starts a new registry.
void ppFreeGraphicClasses();

} // namespace report
