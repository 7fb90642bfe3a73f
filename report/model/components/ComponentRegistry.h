#pragma once

// The report component classes a designer offers, each with its palette page,
// its place on the page and the message number of its palette text. The
// classes' units register through ppRegisterComponent, which reaches the
// registry through two hooks that exist only while the registry's unit is
// initialised (between ppComponentRegistryInit and ppComponentRegistryFinalize).

#include "platform/classes/Persistent.h"

#include <QString>

#include <cstdint>
#include <span>

namespace classes {
class TMetaClass;
} // namespace classes

namespace report {

class TppRegList;

// One registered component class.
class TppRegComponent : public classes::TObject
{
public:
    TppRegComponent(int32_t aTextID, const classes::TMetaClass &aClass, int32_t aIndex, const QString &aPage,
                    const QString &aString, int32_t aInteger)
        : PaletteTextID(aTextID)
        , ComponentClass(&aClass)
        , PaletteIndex(aIndex)
        , PalettePage(aPage)
        , Text(aString)
        , Value(aInteger)
    {}

    int32_t PaletteTextID;
    const classes::TMetaClass *ComponentClass;
    int32_t PaletteIndex;
    QString PalettePage;
    // Unused by the library's own registrations ('' and 0).
    QString Text;
    int32_t Value;
};

// Through the register hook; without it raises rtl::Exception "Unable to
// register component classes.".
void ppRegisterComponent(const classes::TMetaClass &aClass, const QString &aPage, int32_t aIndex, int32_t aTextID,
                         const QString &aString = QString(), int32_t aInteger = 0);
// Through the unregister hook; without it raises "Unable to unregister
// component classes.".
void ppUnRegisterComponent(const classes::TMetaClass &aClass);

// The registry's unit: sets the hooks, and at finalisation clears them and
// frees every record and the registry.
void ppComponentRegistryInit();
void ppComponentRegistryFinalize();

// Entries: class names, each with its record. nullptr before the first
// registration.
const TppRegList *ppComponentList();
// The record of that class name, or nullptr.
const TppRegComponent *ppFindRegComponent(const QString &aClassName);

// The library's palette: where each of its component classes goes.
struct TppPaletteEntry
{
    const char *page;
    int32_t index;
    const char *className;
    int32_t textID;
};
std::span<const TppPaletteEntry> ppPaletteTable();
// Registers the class as its row of the palette table says; a class the
// table does not hold raises EBrevantorError.
void ppRegisterPaletteComponent(const classes::TMetaClass &aClass);

} // namespace report
