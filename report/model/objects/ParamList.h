#pragma once

// Parameter lists: how scripts call methods of report objects and how
// numbered events carry their arguments. A parameter names a variable of the
// caller's; whoever gets the list reads or writes that variable through it,
// so a receiver that changes a variable parameter changes the sender's value.
//
// Every variable is bound with its C++ type, and that type must be the one
// the parameter's data type names: a receiver that reads a text parameter as
// a number gets EBrevantorError rather than the bytes of another variable.

#include "report/model/base/Exceptions.h"

#include <QChar>
#include <QString>
#include <QVariant>

#include <cstdint>
#include <type_traits>
#include <variant>
#include <vector>

namespace classes {
class TObject;
class TMetaClass;
} // namespace classes

namespace report {

// The scripting data types, by their codes.
enum class TraDataType : int32_t {
    daNotSupported = 0,
    daInteger = 1,
    daSingle = 2,
    daDouble = 3,
    daExtended = 4,
    daCurrency = 5, // an int64_t of value x 10000
    daChar = 6,
    daString = 7,
    daDateTime = 8, // TDateTime doubles
    daDate = 9,
    daTime = 10,
    daBoolean = 11,
    daVariant = 12,
    daObject = 13,     // the parameter's value is the object itself
    daClass = 14,      // a variable holding an object (or a class) reference
    daEnumerated = 15, // a one-byte enumeration value, its type named apart
    daMethod = 16,
};

// Where a value lives: nowhere yet, or a variable of one of these types. The
// object alternative is the object itself (daObject); the others point at
// the caller's variable.
using TraValuePointer =
    std::variant<std::monostate, int32_t *, float *, double *, long double *, int64_t *, QChar *, QString *, bool *,
                 QVariant *, uint8_t *, classes::TObject *, classes::TObject **, const classes::TMetaClass **>;

// Whether the variable aPointer names may hold a value of aDataType (never
// for an unbound pointer, nor for the types that carry no value).
bool raPointerFits(TraDataType aDataType, const TraValuePointer &aPointer);

// aWhat names the value in the message (a parameter or property name).
[[noreturn]] void raValueMismatch(const QString &aWhat);

namespace detail {
template <class T>
constexpr bool isObjectPointer =
    std::is_pointer_v<T> &&std::is_base_of_v<classes::TObject, std::remove_cv_t<std::remove_pointer_t<T>>>;
classes::TObject *readObject(const TraValuePointer &aPointer, const QString &aWhat);
} // namespace detail

// Writes aValue into the variable aPointer names. Enumerations travel as
// their one-byte value, objects of any class as object references.
template <class T>
void raWriteValue(const TraValuePointer &aPointer, const T &aValue, const QString &aWhat = {})
{
    if constexpr (std::is_enum_v<T>) {
        static_assert(sizeof(T) == 1, "enumerations travel as one byte");
        raWriteValue(aPointer, static_cast<uint8_t>(aValue), aWhat);
    } else if constexpr (std::is_null_pointer_v<T>) {
        raWriteValue(aPointer, static_cast<classes::TObject *>(nullptr), aWhat);
    } else if constexpr (detail::isObjectPointer<T>) {
        classes::TObject **const *target = std::get_if<classes::TObject **>(&aPointer);
        if (!target || !*target)
            raValueMismatch(aWhat);
        **target = const_cast<classes::TObject *>(static_cast<const classes::TObject *>(aValue));
    } else {
        T *const *target = std::get_if<T *>(&aPointer);
        if (!target || !*target)
            raValueMismatch(aWhat);
        **target = aValue;
    }
}

// The value of the variable aPointer names. An object reference read as a
// class it is not of raises as any other mismatch; nil reads as nil.
template <class T>
T raReadValue(const TraValuePointer &aPointer, const QString &aWhat = {})
{
    if constexpr (std::is_enum_v<T>) {
        static_assert(sizeof(T) == 1, "enumerations travel as one byte");
        return static_cast<T>(raReadValue<uint8_t>(aPointer, aWhat));
    } else if constexpr (detail::isObjectPointer<T>) {
        classes::TObject *object = detail::readObject(aPointer, aWhat);
        if (!object)
            return nullptr;
        T typed = dynamic_cast<T>(object);
        if (!typed)
            raValueMismatch(aWhat);
        return typed;
    } else {
        T *const *source = std::get_if<T *>(&aPointer);
        if (!source || !*source)
            raValueMismatch(aWhat);
        return **source;
    }
}

// One parameter.
struct TraParamRec
{
    QString Name;
    TraDataType DataType = TraDataType::daNotSupported;
    const classes::TMetaClass *ClassType = nullptr; // for daClass
    QString TypeName;                               // for daEnumerated
    bool IsConst = false;
    bool IsVar = false;
    TraValuePointer ValuePointer; // unbound until the caller binds it
};

// The parameters of one call or event in declaration order; a function's
// last parameter is "Result".
class TraParamList
{
public:
    // Appends an unbound parameter and answers its index.
    int AddParam(const QString &aName, TraDataType aDataType, bool aIsVar = false, bool aIsConst = false,
                 const QString &aTypeName = QString(), const classes::TMetaClass *aClass = nullptr);

    int Count() const { return int(m_params.size()); }
    // The index of the parameter of that name (without regard to case), or -1.
    int IndexOf(const QString &aName) const;
    const TraParamRec &ParamRec(int aIndex) const { return at(aIndex); }
    void GetParamRec(int aIndex, TraParamRec &aRec) const { aRec = at(aIndex); }

    // Binds a parameter to a variable of the type its data type names; a
    // daObject parameter takes the object itself, and std::monostate unbinds.
    void SetParamValuePointer(int aIndex, const TraValuePointer &aPointer);
    void BindParamValue(int aIndex, const TraValuePointer &aPointer) { SetParamValuePointer(aIndex, aPointer); }

    // Writes or reads the bound variable; EBrevantorError when the parameter
    // is unbound or the type is not the bound variable's.
    template <class T>
    void SetParamValue(int aIndex, const T &aValue)
    {
        const TraParamRec &rec = at(aIndex);
        raWriteValue(rec.ValuePointer, aValue, rec.Name);
    }
    template <class T>
    void GetParamValue(int aIndex, T &aValue) const
    {
        aValue = ParamValue<T>(aIndex);
    }
    template <class T>
    T ParamValue(int aIndex) const
    {
        const TraParamRec &rec = at(aIndex);
        return raReadValue<T>(rec.ValuePointer, rec.Name);
    }

private:
    const TraParamRec &at(int aIndex) const;

    std::vector<TraParamRec> m_params;
};

} // namespace report
