#pragma once

// Scripting descriptors: for each report class, one constant object that
// tells a scripting layer which properties, methods and events the class has,
// of which types, and that reads, writes or calls them on an object by name.
// Each descriptor handles its own names (without regard to case) and hands
// every other name to its parent descriptor, so the descriptors form a tree
// beside the classes they describe. At the root, names are looked up in the
// class's published properties.
//
// Descriptors hold no state. They are found by the name of the class they
// describe in one process-wide registry; the first registration of a class
// name wins.

#include "report/model/objects/ParamList.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace classes {
class TEnumInfo;
class TMetaClass;
class TObject;
struct TPropInfo;
class TStrings;
} // namespace classes

namespace report {

// The description of one name.
struct TraPropRec
{
    QString Name;
    const classes::TMetaClass *ClassType = nullptr;
    QString TypeName;
    TraDataType DataType = TraDataType::daNotSupported;
    bool IsPublished = false; // found among the published properties
    bool ReadOnly = false;
    bool IsConstructor = false;
    bool IsArray = false; // an indexed property
    int32_t EventID = -1; // the communicator event of an event
    std::unique_ptr<TraParamList> Params;
};

// Whether aName is aOwnName (ASCII) without regard to case: how a
// descriptor recognises its own names.
bool raSameName(QStringView aName, const char *aOwnName);

// Whether the enumeration has a value of that number. A script hands over
// any byte; a write or call that stored one the enumeration lacks would
// break the next save of the report, so descriptors refuse it instead.
bool raFitsEnumeration(const classes::TEnumInfo &aInfo, int64_t aValue);

// Reads an enumerated value a script wrote into aValue; false, and aValue
// untouched, when aInfo has no value of that number.
template <class E>
bool raReadEnumeration(const TraValuePointer &aPointer, const QString &aWhat, const classes::TEnumInfo &aInfo,
                       E &aValue)
{
    const uint8_t value = raReadValue<uint8_t>(aPointer, aWhat);
    if (!raFitsEnumeration(aInfo, value))
        return false;
    aValue = static_cast<E>(value);
    return true;
}

// Reads an object of class T (or nil) a script wrote into aObject; false
// for an object of another class, which the write then refuses instead of
// storing nil in its place.
template <class T>
bool raReadObjectOf(const TraValuePointer &aPointer, const QString &aWhat, T *&aObject)
{
    classes::TObject *object = raReadValue<classes::TObject *>(aPointer, aWhat);
    T *typed = dynamic_cast<T *>(object);
    if (object && !typed)
        return false;
    aObject = typed;
    return true;
}

// The data type of a published property: Integer 1, Char 6, enumerations 15
// (11 for "Boolean"), floats by their float type, texts 7, classes 14,
// variants 12, every other kind 0.
TraDataType raDataTypeOf(const classes::TPropInfo &aProp);

class TraRTTI
{
public:
    explicit TraRTTI(const TraRTTI *aParent)
        : m_parent(aParent)
    {}
    virtual ~TraRTTI() = default;
    TraRTTI(const TraRTTI &) = delete;
    TraRTTI &operator=(const TraRTTI &) = delete;

    const TraRTTI *Parent() const { return m_parent; }

    // Each of these answers for the descriptor's own names and passes every
    // other name to the parent; the versions here are what a descendant
    // calls for the names that are not its own.

    // Appends the property names: at the root, those published by aClass
    // whose kind a script can use (not sets, methods).
    virtual void GetPropList(const classes::TMetaClass &aClass, classes::TStrings &aList) const;
    // Appends the event names: at the root, the published method properties.
    virtual void GetEventList(const classes::TMetaClass &aClass, classes::TStrings &aList) const;
    // The described class.
    virtual const classes::TMetaClass &RefClass() const;
    // False when the name is unknown.
    virtual bool GetPropRec(const classes::TMetaClass &aClass, const QString &aName, TraPropRec &aRec) const;
    // Reads the arguments from aParams in order and writes the results, the
    // "Result" parameter last. False when the name is no method here.
    virtual bool CallMethod(classes::TObject *aObject, const QString &aName, TraParamList &aParams) const;
    // The parameters of a method or event, unbound; nullptr when it has none.
    virtual std::unique_ptr<TraParamList> GetParams(const QString &aName) const;
    // Writes the value of a property into the variable aValue names, which
    // must be of the property's data type (EBrevantorError otherwise). False
    // for unknown names and for kinds a script cannot use.
    virtual bool GetPropValue(classes::TObject *aObject, const QString &aName, const TraValuePointer &aValue) const;
    // The value as text by its data type; '' when it cannot be read.
    virtual void GetPropText(classes::TObject *aObject, const QString &aName, QString &aText) const;
    // Writes a property from the variable aValue names. False for unknown
    // names, read-only properties, kinds a script cannot use and
    // enumeration values the enumeration does not have.
    virtual bool SetPropValue(classes::TObject *aObject, const QString &aName, const TraValuePointer &aValue) const;

    QString PropText(classes::TObject *aObject, const QString &aName) const
    {
        QString text;
        GetPropText(aObject, aName, text);
        return text;
    }

    // Record builders for descendants. Each starts from a cleared record.
    void InitPropRec(const QString &aName, TraDataType aDataType, bool aReadOnly, TraPropRec &aRec) const;
    void ClassPropToRec(const QString &aName, const classes::TMetaClass &aClass, bool aReadOnly,
                        TraPropRec &aRec) const;
    void EnumPropToRec(const QString &aName, const QString &aTypeName, bool aReadOnly, TraPropRec &aRec) const;
    // A method record with the event id; with parameters from GetParams.
    void EventToRec(const QString &aName, int aEventID, bool aHasParams, TraPropRec &aRec) const;
    // Read-only, with parameters from GetParams; a "Result" of class type
    // last gives the record its class.
    void MethodToRec(const QString &aName, bool aHasParams, TraPropRec &aRec) const;
    void ArrayPropToRec(const QString &aName, TraPropRec &aRec) const;
    // The parameters from GetParams, then "Class" and "Result" of aClass.
    void ConstructorToRec(const QString &aName, const classes::TMetaClass &aClass, TraPropRec &aRec) const;

private:
    const TraRTTI *m_parent;
};

// Appends a name unless the list has it (without regard to case).
void raAddPropName(classes::TStrings &aList, const QString &aName);
void raAddMethodName(classes::TStrings &aList, const QString &aName);
// Deletes a name when the list has it (hiding an inherited event).
void raRemoveName(classes::TStrings &aList, const QString &aName);

// ---- The registry ---------------------------------------------------------

// Descriptors by the name of the class they describe, in registration order.
// Every operation takes the registry's lock.
class TraRTTIClassRegistry
{
public:
    // False, and nothing changes, when the class name is listed already.
    bool Register(const TraRTTI &aDescriptor);
    // Deletes the entry of the descriptor's class when it is this descriptor.
    bool UnRegister(const TraRTTI &aDescriptor);
    const TraRTTI *Find(const QString &aClassName) const;
    QStringList ClassNames() const;
    int Count() const;

private:
    struct Entry
    {
        QString className;
        const TraRTTI *descriptor;
    };
    int indexOf(const QString &aClassName) const;

    std::vector<Entry> m_entries;
};

// Made on first registration; the first registration of a class name wins.
void raRegisterRTTI(const TraRTTI &aDescriptor);
// Nothing happens without a registry or when another descriptor is listed
// for the class.
void raUnRegisterRTTI(const TraRTTI &aDescriptor);
// nullptr without a registry or entry.
const TraRTTI *raFindRTTI(const QString &aClassName);
QStringList raRegisteredRTTIClassNames();
// The model layer's release; the next registration makes a new registry.
void raFreeRTTIRegistry();

// ---- The descriptors of the class library's classes -----------------------

// TObject: "ClassName" (its "Result" a String), the constructor "Create"
// ("Class", "Result") and "Free".
class TraTObjectRTTI : public TraRTTI
{
public:
    static const TraTObjectRTTI &Instance();

    void GetPropList(const classes::TMetaClass &aClass, classes::TStrings &aList) const override;
    const classes::TMetaClass &RefClass() const override;
    bool GetPropRec(const classes::TMetaClass &aClass, const QString &aName, TraPropRec &aRec) const override;
    bool CallMethod(classes::TObject *aObject, const QString &aName, TraParamList &aParams) const override;
    std::unique_ptr<TraParamList> GetParams(const QString &aName) const override;

protected:
    TraTObjectRTTI();
};

// TPersistent: "Assign" ("Source").
class TraTPersistentRTTI : public TraRTTI
{
public:
    static const TraTPersistentRTTI &Instance();

    void GetPropList(const classes::TMetaClass &aClass, classes::TStrings &aList) const override;
    const classes::TMetaClass &RefClass() const override;
    bool GetPropRec(const classes::TMetaClass &aClass, const QString &aName, TraPropRec &aRec) const override;
    bool CallMethod(classes::TObject *aObject, const QString &aName, TraParamList &aParams) const override;
    std::unique_ptr<TraParamList> GetParams(const QString &aName) const override;

protected:
    TraTPersistentRTTI();
};

// TComponent: "Owner" (read only through the descriptor, although its record
// says writable), "Tag" read and written directly, and the constructor
// "Create" ("Owner", "Class", "Result") that makes a component of the given
// class with the given owner.
class TraTComponentRTTI : public TraRTTI
{
public:
    static const TraTComponentRTTI &Instance();

    void GetPropList(const classes::TMetaClass &aClass, classes::TStrings &aList) const override;
    const classes::TMetaClass &RefClass() const override;
    bool GetPropRec(const classes::TMetaClass &aClass, const QString &aName, TraPropRec &aRec) const override;
    bool CallMethod(classes::TObject *aObject, const QString &aName, TraParamList &aParams) const override;
    std::unique_ptr<TraParamList> GetParams(const QString &aName) const override;
    bool GetPropValue(classes::TObject *aObject, const QString &aName, const TraValuePointer &aValue) const override;
    bool SetPropValue(classes::TObject *aObject, const QString &aName, const TraValuePointer &aValue) const override;

protected:
    TraTComponentRTTI();
};

} // namespace report
