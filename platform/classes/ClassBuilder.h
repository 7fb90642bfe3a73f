#pragma once

// Declaring a class reference and its published properties:
//
//   const TMetaClass &TBand::StaticClass()
//   {
//       static const TMetaClass meta = MakeClass<TBand, TComponent>("TBand", [](TClassBuilder<TBand> &c) {
//           c.Integer("Height", &TBand::Height, &TBand::SetHeight).Default(0);
//           c.Object("Font", &TBand::Font, &TBand::SetFont);
//       });
//       return meta;
//   }
//
// Getters are member functions, data members or callables taking the object;
// setters are member functions, data members or callables taking the object
// and the value, or nullptr for a read-only property.

#include "platform/classes/ClassErrors.h"
#include "platform/classes/Collection.h"
#include "platform/classes/Component.h"

#include <QChar>

#include <functional>
#include <type_traits>

namespace classes {

namespace detail {

template <class T, class G>
using GetResult = std::remove_cvref_t<std::invoke_result_t<const G &, const T &>>;

template <class T, class G>
decltype(auto) invokeGet(const G &get, const TPersistent &object)
{
    return std::invoke(get, static_cast<const T &>(object));
}

template <class T, class S, class V>
void invokeSet(const S &set, TPersistent &object, V &&value)
{
    if constexpr (std::is_member_object_pointer_v<S>)
        static_cast<T &>(object).*set = std::forward<V>(value);
    else
        std::invoke(set, static_cast<T &>(object), std::forward<V>(value));
}

template <class R>
int64_t toOrd(const R &value)
{
    if constexpr (std::is_same_v<R, QChar>)
        return value.unicode();
    else
        return int64_t(value);
}

template <class R>
R fromOrd(int64_t value)
{
    if constexpr (std::is_same_v<R, QChar>)
        return QChar(char16_t(value));
    else if constexpr (std::is_same_v<R, bool>)
        return value != 0;
    else
        return static_cast<R>(value);
}

template <class S>
constexpr bool hasSetter = !std::is_same_v<S, std::nullptr_t>;

} // namespace detail

template <class T>
class TClassBuilder
{
public:
    explicit TClassBuilder(TMetaClass &meta)
        : m_meta(meta)
    {}

    template <class G, class S = std::nullptr_t>
    TPropInfo &Integer(const char *name, G get, S set = nullptr)
    {
        return ordinal(name, TTypeKind::tkInteger, QStringLiteral("Integer"), get, set);
    }

    template <class G, class S = std::nullptr_t>
    TPropInfo &Int64(const char *name, G get, S set = nullptr)
    {
        return ordinal(name, TTypeKind::tkInt64, QStringLiteral("Int64"), get, set);
    }

    // A single character (a QChar value).
    template <class G, class S = std::nullptr_t>
    TPropInfo &Char(const char *name, G get, S set = nullptr)
    {
        return ordinal(name, TTypeKind::tkChar, QStringLiteral("Char"), get, set);
    }

    template <class G, class S = std::nullptr_t>
    TPropInfo &Enum(const char *name, const TEnumInfo &info, G get, S set = nullptr)
    {
        TPropInfo &p = ordinal(name, TTypeKind::tkEnumeration, info.TypeName(), get, set);
        p.Enum = &info;
        return p;
    }

    template <class G, class S = std::nullptr_t>
    TPropInfo &Boolean(const char *name, G get, S set = nullptr)
    {
        return Enum(name, BooleanInfo(), get, set);
    }

    // A set of the given element enumeration; values are unsigned bit masks.
    template <class G, class S = std::nullptr_t>
    TPropInfo &Set(const char *name, const TEnumInfo &elements, const QString &typeName, G get, S set = nullptr)
    {
        TPropInfo &p = ordinal(name, TTypeKind::tkSet, typeName, get, set);
        p.Enum = &elements;
        return p;
    }

    template <class G, class S = std::nullptr_t>
    TPropInfo &Single(const char *name, G get, S set = nullptr)
    {
        return floating(name, TFloatType::ftSingle, QStringLiteral("Single"), get, set);
    }

    template <class G, class S = std::nullptr_t>
    TPropInfo &Double(const char *name, G get, S set = nullptr)
    {
        return floating(name, TFloatType::ftDouble, QStringLiteral("Double"), get, set);
    }

    template <class G, class S = std::nullptr_t>
    TPropInfo &Extended(const char *name, G get, S set = nullptr)
    {
        return floating(name, TFloatType::ftExtended, QStringLiteral("Extended"), get, set);
    }

    // Days since 1899-12-30 (a double), streamed as a Date value.
    template <class G, class S = std::nullptr_t>
    TPropInfo &DateTime(const char *name, G get, S set = nullptr)
    {
        TPropInfo &p = floating(name, TFloatType::ftDouble, QStringLiteral("TDateTime"), get, set);
        p.IsDate = true;
        return p;
    }

    // Currency held as an Int64 of value x 10000.
    template <class G, class S = std::nullptr_t>
    TPropInfo &Currency(const char *name, G get, S set = nullptr)
    {
        TPropInfo &p = ordinal(name, TTypeKind::tkFloat, QStringLiteral("Currency"), get, set);
        p.FloatType = TFloatType::ftCurr;
        return p;
    }

    template <class G, class S = std::nullptr_t>
    TPropInfo &String(const char *name, G get, S set = nullptr)
    {
        TPropInfo &p = add(name, TTypeKind::tkString, QStringLiteral("string"));
        p.GetStr = [get](const TPersistent &o) -> QString { return detail::invokeGet<T>(get, o); };
        if constexpr (detail::hasSetter<S>)
            p.SetStr = [set](TPersistent &o, const QString &v) { detail::invokeSet<T>(set, o, v); };
        return p;
    }

    // An owned persistent sub-object (its properties stream with a dotted
    // path; a collection streams as a collection value).
    template <class G, class S = std::nullptr_t>
    TPropInfo &Object(const char *name, G get, S set = nullptr)
    {
        return objectProperty(name, get, set);
    }

    // A reference to a component, streamed by name and fixed up after reading.
    template <class G, class S = std::nullptr_t>
    TPropInfo &Reference(const char *name, G get, S set = nullptr)
    {
        using Pointer = detail::GetResult<T, G>;
        static_assert(std::is_base_of_v<TComponent, std::remove_pointer_t<Pointer>>,
                      "a reference property names a component class");
        return objectProperty(name, get, set);
    }

    template <class Sig>
    TPropInfo &Event(const char *name, TEvent<Sig> T::*field, const QString &typeName = QStringLiteral("TNotifyEvent"))
    {
        using Function = typename TEvent<Sig>::Function;
        TPropInfo &p = add(name, TTypeKind::tkMethod, typeName);
        p.GetMethod = [field](const TPersistent &o) -> TMethod {
            const TEvent<Sig> &e = static_cast<const T &>(o).*field;
            return TMethod{e.Name(), e.Code() ? std::any(e.Code()) : std::any()};
        };
        p.SetMethod = [field](TPersistent &o, const TMethod &m) {
            TEvent<Sig> &e = static_cast<T &>(o).*field;
            if (!m.Code.has_value()) {
                e.Set(m.Name, nullptr);
                return;
            }
            const Function *f = std::any_cast<Function>(&m.Code);
            if (!f)
                throw EPropertyError("The handler " + messageText(m.Name) + " does not fit the event");
            e.Set(m.Name, *f);
        };
        return p;
    }

    template <class G, class S = std::nullptr_t>
    TPropInfo &Variant(const char *name, G get, S set = nullptr)
    {
        TPropInfo &p = add(name, TTypeKind::tkVariant, QStringLiteral("Variant"));
        p.GetVar = [get](const TPersistent &o) -> QVariant { return detail::invokeGet<T>(get, o); };
        if constexpr (detail::hasSetter<S>)
            p.SetVar = [set](TPersistent &o, const QVariant &v) { detail::invokeSet<T>(set, o, v); };
        return p;
    }

private:
    TPropInfo &add(const char *name, TTypeKind kind, const QString &typeName)
    {
        TPropInfo info;
        info.Name = QString::fromLatin1(name);
        info.Kind = kind;
        info.TypeName = typeName;
        return m_meta.AddProperty(std::move(info));
    }

    template <class G, class S>
    TPropInfo &ordinal(const char *name, TTypeKind kind, const QString &typeName, G get, S set)
    {
        using R = detail::GetResult<T, G>;
        TPropInfo &p = add(name, kind, typeName);
        p.GetOrd = [get](const TPersistent &o) -> int64_t { return detail::toOrd<R>(detail::invokeGet<T>(get, o)); };
        if constexpr (detail::hasSetter<S>)
            p.SetOrd = [set](TPersistent &o, int64_t v) { detail::invokeSet<T>(set, o, detail::fromOrd<R>(v)); };
        return p;
    }

    template <class G, class S>
    TPropInfo &floating(const char *name, TFloatType type, const QString &typeName, G get, S set)
    {
        using R = detail::GetResult<T, G>;
        TPropInfo &p = add(name, TTypeKind::tkFloat, typeName);
        p.FloatType = type;
        p.GetFloat = [get](const TPersistent &o) -> long double { return detail::invokeGet<T>(get, o); };
        if constexpr (detail::hasSetter<S>)
            p.SetFloat = [set](TPersistent &o, long double v) { detail::invokeSet<T>(set, o, static_cast<R>(v)); };
        return p;
    }

    template <class G, class S>
    TPropInfo &objectProperty(const char *name, G get, S set)
    {
        using Pointer = detail::GetResult<T, G>;
        using C = std::remove_cv_t<std::remove_pointer_t<Pointer>>;
        static_assert(std::is_pointer_v<Pointer> && std::is_base_of_v<TPersistent, C>,
                      "a class property answers a pointer to a persistent class");
        TPropInfo &p = add(name, TTypeKind::tkClass, C::StaticClass().ClassName());
        p.Class = &C::StaticClass();
        p.GetObj = [get](const TPersistent &o) -> TPersistent * {
            return const_cast<C *>(static_cast<const C *>(detail::invokeGet<T>(get, o)));
        };
        if constexpr (detail::hasSetter<S>)
            p.SetObj = [set](TPersistent &o, TPersistent *v) {
                C *typed = dynamic_cast<C *>(v);
                if (v && !typed)
                    throw EInvalidCast("A " + messageText(v->ClassName()) + " is not a " +
                                       messageText(C::StaticClass().ClassName()));
                detail::invokeSet<T>(set, o, typed);
            };
        return p;
    }

    TMetaClass &m_meta;
};

// Makes the class reference of T (parent Base) and declares its properties.
template <class T, class Base, class Declare>
TMetaClass MakeClass(const char *name, Declare declare)
{
    TMetaClass meta(QString::fromLatin1(name), &Base::StaticClass());
    TComponent *(*newComponent)(TComponent *) = nullptr;
    TCollectionItem *(*newItem)(TCollection *) = nullptr;
    TPersistent *(*newInstance)() = nullptr;
    if constexpr (!std::is_abstract_v<T>) {
        if constexpr (std::is_base_of_v<TComponent, T>) {
            if constexpr (std::is_constructible_v<T, TComponent *>)
                newComponent = [](TComponent *owner) -> TComponent * { return new T(owner); };
        } else if constexpr (std::is_base_of_v<TCollectionItem, T>) {
            if constexpr (std::is_constructible_v<T, TCollection *>)
                newItem = [](TCollection *collection) -> TCollectionItem * { return new T(collection); };
        } else if constexpr (std::is_default_constructible_v<T>) {
            newInstance = []() -> TPersistent * { return new T(); };
        }
    }
    meta.SetFactories(newComponent, newItem, newInstance);
    TClassBuilder<T> builder(meta);
    declare(builder);
    return meta;
}

template <class T, class Base>
TMetaClass MakeClass(const char *name)
{
    return MakeClass<T, Base>(name, [](TClassBuilder<T> &) {});
}

} // namespace classes
