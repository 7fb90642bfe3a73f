#pragma once

// TraTableRTTI: a scripting descriptor whose own names come from a table:
// each entry gives the name, its type, whether scripts may write it, and
// how to read and write it on an object of the described class. The band
// classes and the group describe themselves this way.

#include "report/model/objects/Descriptors.h"
#include "report/model/objects/ParamList.h"

#include <functional>
#include <vector>

namespace report {

struct TraTableEntry
{
    enum class Kind { Integer, Boolean, String, Single, Enum, Object, DateTime };

    const char *Name;
    Kind Type;
    bool ReadOnly;
    // The enumeration's registered name, or the class of an object value.
    const char *EnumType = nullptr;
    const classes::TMetaClass &(*Class)() = nullptr;
    std::function<void(classes::TObject &, const TraValuePointer &, const QString &)> Get;
    // False: the value is refused.
    std::function<bool(classes::TObject &, const TraValuePointer &, const QString &)> Set;
};

class TraTableRTTI : public TraRTTI
{
public:
    void GetPropList(const classes::TMetaClass &aClass, classes::TStrings &aList) const override;
    void GetEventList(const classes::TMetaClass &aClass, classes::TStrings &aList) const override;
    const classes::TMetaClass &RefClass() const override { return m_class(); }
    bool GetPropRec(const classes::TMetaClass &aClass, const QString &aName, TraPropRec &aRec) const override;
    std::unique_ptr<TraParamList> GetParams(const QString &aName) const override;
    bool GetPropValue(classes::TObject *aObject, const QString &aName, const TraValuePointer &aValue) const override;
    bool SetPropValue(classes::TObject *aObject, const QString &aName, const TraValuePointer &aValue) const override;

protected:
    struct Event
    {
        const char *Name;
        int Id;
        // One String var parameter of this name, or none.
        const char *Param = nullptr;
    };

    TraTableRTTI(const TraRTTI *aParent, const classes::TMetaClass &(*aClass)(), std::vector<TraTableEntry> aEntries,
                 std::vector<const char *> aMethods = {}, std::vector<Event> aEvents = {});

private:
    const TraTableEntry *find(const QString &aName) const;
    bool applies(classes::TObject *aObject) const;

    const classes::TMetaClass &(*m_class)();
    std::vector<TraTableEntry> m_entries;
    std::vector<const char *> m_methods;
    std::vector<Event> m_events;
};

} // namespace report
