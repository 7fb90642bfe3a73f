#pragma once

// The published-property descriptions of the class library: one table per
// class, ancestors first in declaration order. Streaming, the scripting
// descriptors and the by-name helpers all read the same table.

#include <QString>
#include <QStringView>
#include <QVariant>

#include <any>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace classes {

class TObject;
class TPersistent;
class TMetaClass;

enum class TTypeKind {
    tkUnknown,
    tkInteger,
    tkChar,
    tkEnumeration,
    tkFloat,
    tkString,
    tkSet,
    tkClass,
    tkMethod,
    tkVariant,
    tkInt64,
};

enum class TFloatType { ftSingle, ftDouble, ftExtended, ftComp, ftCurr };

// The names of an enumeration type, value MinValue first. Sets name their
// element enumeration; a set value is a bit mask with bit (value - MinValue).
class TEnumInfo
{
public:
    TEnumInfo(QString typeName, std::initializer_list<const char *> names, int minValue = 0);

    const QString &TypeName() const { return m_typeName; }
    int MinValue() const { return m_minValue; }
    int MaxValue() const { return m_minValue + int(m_names.size()) - 1; }
    // The value's name, or an empty text outside the range.
    QString NameOf(int64_t value) const;
    // The same as stored in streams; nullptr outside the range.
    const std::string *NameBytesOf(int64_t value) const;
    // The value of a name compared without regard to ASCII case; -1 when unknown.
    int64_t ValueOf(QStringView name) const;
    int64_t ValueOf(std::string_view name) const;

private:
    QString m_typeName;
    std::vector<QString> m_names;
    std::vector<std::string> m_bytes;
    int m_minValue = 0;
};

// The two-valued enumeration streamed as the True/False value types.
const TEnumInfo &BooleanInfo();

// Names for some values of an integer type (colours, character sets): those
// values are streamed as identifiers, all others as numbers.
struct TIdentMapEntry
{
    int32_t Value;
    const char *Name;
};

// Hashing and comparing names without regard to ASCII case, usable as the
// transparent hash and equality of unordered containers.
struct TNameHash
{
    using is_transparent = void;
    size_t operator()(std::string_view name) const;
    size_t operator()(QStringView name) const;
};

struct TNameEqual
{
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const;
    bool operator()(QStringView a, QStringView b) const;
};

class TIdentMap
{
public:
    explicit TIdentMap(std::span<const TIdentMapEntry> entries);
    bool IntToIdent(int32_t value, QString &ident) const;
    bool IdentToInt(QStringView ident, int32_t &value) const;
    // The name of a value, or nullptr.
    const char *NameOf(int32_t value) const;
    bool ValueOf(std::string_view ident, int32_t &value) const;

private:
    std::unordered_map<std::string, int32_t, TNameHash, TNameEqual> m_byName;
    std::unordered_map<int32_t, const char *> m_byValue;
};

// A method-property value: the handler's name as streamed, and the callable
// (a std::function of the event's signature) when one is bound.
struct TMethod
{
    QString Name;
    std::any Code;
};

// A published event: a handler name and a callable of one signature.
template <typename Signature>
class TEvent;

template <typename R, typename... Args>
class TEvent<R(Args...)>
{
public:
    using Function = std::function<R(Args...)>;

    void Set(const QString &name, Function function)
    {
        m_name = name;
        m_function = function ? std::make_shared<const Function>(std::move(function)) : nullptr;
    }
    void Set(Function function) { Set(QString(), std::move(function)); }
    void Clear() { Set(QString(), nullptr); }

    const QString &Name() const { return m_name; }
    const Function &Code() const
    {
        static const Function none;
        return m_function ? *m_function : none;
    }
    bool Assigned() const { return bool(m_function); }
    explicit operator bool() const { return Assigned(); }

    // The handler may free the object that holds this event, its sender, or
    // set the event anew: the call keeps its own share of the callable, so
    // the handler's captures stay valid until it returns.
    R operator()(Args... args) const
    {
        const std::shared_ptr<const Function> held = m_function;
        if (!held)
            throw std::bad_function_call();
        return (*held)(std::forward<Args>(args)...);
    }

private:
    QString m_name;
    std::shared_ptr<const Function> m_function;
};

using TNotifyEvent = TEvent<void(TObject *)>;

// One published property. Ordinal kinds (integer, Int64, char, enumeration,
// set, Currency as value x 10000) go through the ordinal accessors, the other
// floats through the float ones.
struct TPropInfo
{
    QString Name;
    std::string NameBytes; // the name as streamed
    TTypeKind Kind = TTypeKind::tkUnknown;
    TFloatType FloatType = TFloatType::ftDouble;
    QString TypeName;
    const TEnumInfo *Enum = nullptr;   // enumerations and sets
    const TIdentMap *Idents = nullptr; // integers with named values
    const TMetaClass *Class = nullptr; // class properties
    bool IsDate = false;               // a TDateTime float, streamed as a Date value
    bool HasDefault = false;
    int64_t DefaultValue = 0;
    std::function<bool(const TPersistent &)> StoredFn; // empty: stored
    bool StoredConst = true;

    std::function<int64_t(const TPersistent &)> GetOrd;
    std::function<void(TPersistent &, int64_t)> SetOrd;
    std::function<long double(const TPersistent &)> GetFloat;
    std::function<void(TPersistent &, long double)> SetFloat;
    std::function<QString(const TPersistent &)> GetStr;
    std::function<void(TPersistent &, const QString &)> SetStr;
    std::function<TPersistent *(const TPersistent &)> GetObj;
    std::function<void(TPersistent &, TPersistent *)> SetObj;
    std::function<TMethod(const TPersistent &)> GetMethod;
    std::function<void(TPersistent &, const TMethod &)> SetMethod;
    // A reference that its class resolves itself once loaded (its target
    // may live in another module): the reader hands over the name as read
    // instead of resolving it.
    std::function<void(TPersistent &, const QString &)> ReadName;
    std::function<QVariant(const TPersistent &)> GetVar;
    std::function<void(TPersistent &, const QVariant &)> SetVar;

    // A class property whose values are references to components (streamed
    // by name) rather than owned sub-objects.
    bool IsReference() const;
    bool IsReadOnly() const;
    bool IsStored(const TPersistent &instance) const { return StoredConst && (!StoredFn || StoredFn(instance)); }

    TPropInfo &Default(int64_t value)
    {
        HasDefault = true;
        DefaultValue = value;
        return *this;
    }
    template <typename E>
    requires std::is_enum_v<E> TPropInfo &Default(E value) { return Default(int64_t(value)); }
    TPropInfo &NoDefault()
    {
        HasDefault = false;
        return *this;
    }
    TPropInfo &Stored(bool stored)
    {
        StoredConst = stored;
        return *this;
    }
    template <typename Pred>
    TPropInfo &Stored(Pred pred)
    {
        StoredFn = std::move(pred);
        return *this;
    }
    TPropInfo &ReadByName(std::function<void(TPersistent &, const QString &)> read)
    {
        ReadName = std::move(read);
        return *this;
    }
    TPropInfo &WithIdents(const TIdentMap &map)
    {
        Idents = &map;
        return *this;
    }
    TPropInfo &WithTypeName(const QString &name)
    {
        TypeName = name;
        return *this;
    }
};

// Currency is a float type of its own: stored as a scaled whole number.
inline bool isCurrency(const TPropInfo &prop)
{
    return prop.Kind == TTypeKind::tkFloat && prop.FloatType == TFloatType::ftCurr;
}

// ASCII letters, digits and '_', not starting with a digit; with dots also
// allowed between such parts when dotted is true.
bool IsValidIdent(QStringView text, bool dotted = false);
bool IsValidIdent(std::string_view text, bool dotted = false);

// ASCII case-insensitive equality and lower-casing (names and identifiers).
bool SameName(QStringView a, QStringView b);
bool SameName(std::string_view a, std::string_view b);
std::string AsciiLower(std::string_view text);

} // namespace classes
