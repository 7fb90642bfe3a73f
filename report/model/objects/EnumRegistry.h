#pragma once

// The enumerated-name registry: enumeration type names to their name tables,
// so that scripts can type properties by the name of their enumeration.

#include "platform/classes/PropInfo.h"

#include <QString>
#include <QStringList>

namespace report {

// An existing name (compared without regard to ASCII case) gets the new table.
void ppRegisterEnumType(const QString &aName, const classes::TEnumInfo *aTypeInfo);
void ppUnRegisterEnumType(const QString &aName);
// nullptr when the name is not registered.
const classes::TEnumInfo *ppFindEnumType(const QString &aName);
// The registered names in order.
QStringList ppEnumTypeNames();
// Frees the registry (the model layer's release); the next use makes a new one.
void ppFreeEnumRegistry();

// The 29 names the model layer registers at start-up, in their order.
void ppRegisterLibraryEnumTypes();
void ppUnRegisterLibraryEnumTypes();

} // namespace report
