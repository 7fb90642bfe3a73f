#include "platform/classes/TypInfo.h"

#include "platform/classes/ClassErrors.h"
#include "platform/classes/Persistent.h"

#include <cmath>

namespace classes {

namespace {

[[noreturn]] void wrongKind(const TPropInfo &prop)
{
    throw EPropertyError("Property " + messageText(prop.Name) + " is not of that kind");
}

[[noreturn]] void readOnly(const TPropInfo &prop)
{
    throw EPropertyError("Property " + messageText(prop.Name) + " is read-only");
}

} // namespace

const TPropInfo *GetPropInfo(const TPersistent &instance, QStringView name)
{
    return instance.ClassType().FindProperty(name);
}

const TPropInfo &FindPropInfo(const TPersistent &instance, QStringView name)
{
    const TPropInfo *prop = GetPropInfo(instance, name);
    if (!prop)
        throw EPropertyError("Property " + name.toString().toStdString() + " does not exist");
    return *prop;
}

int64_t GetOrdProp(const TPersistent &instance, const TPropInfo &prop)
{
    if (!prop.GetOrd)
        wrongKind(prop);
    return prop.GetOrd(instance);
}

void SetOrdProp(TPersistent &instance, const TPropInfo &prop, int64_t value)
{
    if (!prop.GetOrd)
        wrongKind(prop);
    if (!prop.SetOrd)
        readOnly(prop);
    prop.SetOrd(instance, value);
}

long double GetFloatProp(const TPersistent &instance, const TPropInfo &prop)
{
    if (isCurrency(prop))
        return static_cast<long double>(GetOrdProp(instance, prop)) / 10000.0L;
    if (!prop.GetFloat)
        wrongKind(prop);
    return prop.GetFloat(instance);
}

void SetFloatProp(TPersistent &instance, const TPropInfo &prop, long double value)
{
    if (isCurrency(prop)) {
        const long double scaled = value * 10000.0L;
        if (!(std::fabs(scaled) < 9.2e18L))
            throw EPropertyError("Currency value out of range");
        SetOrdProp(instance, prop, std::llroundl(scaled));
        return;
    }
    if (!prop.GetFloat)
        wrongKind(prop);
    if (!prop.SetFloat)
        readOnly(prop);
    prop.SetFloat(instance, value);
}

QString GetStrProp(const TPersistent &instance, const TPropInfo &prop)
{
    if (!prop.GetStr)
        wrongKind(prop);
    return prop.GetStr(instance);
}

void SetStrProp(TPersistent &instance, const TPropInfo &prop, const QString &value)
{
    if (!prop.GetStr)
        wrongKind(prop);
    if (!prop.SetStr)
        readOnly(prop);
    prop.SetStr(instance, value);
}

TPersistent *GetObjectProp(const TPersistent &instance, const TPropInfo &prop)
{
    if (!prop.GetObj)
        wrongKind(prop);
    return prop.GetObj(instance);
}

void SetObjectProp(TPersistent &instance, const TPropInfo &prop, TPersistent *value)
{
    if (!prop.GetObj)
        wrongKind(prop);
    if (!prop.SetObj)
        readOnly(prop);
    prop.SetObj(instance, value);
}

TMethod GetMethodProp(const TPersistent &instance, const TPropInfo &prop)
{
    if (!prop.GetMethod)
        wrongKind(prop);
    return prop.GetMethod(instance);
}

void SetMethodProp(TPersistent &instance, const TPropInfo &prop, const TMethod &value)
{
    if (!prop.GetMethod)
        wrongKind(prop);
    if (!prop.SetMethod)
        readOnly(prop);
    prop.SetMethod(instance, value);
}

QVariant GetVariantProp(const TPersistent &instance, const TPropInfo &prop)
{
    if (!prop.GetVar)
        wrongKind(prop);
    return prop.GetVar(instance);
}

void SetVariantProp(TPersistent &instance, const TPropInfo &prop, const QVariant &value)
{
    if (!prop.GetVar)
        wrongKind(prop);
    if (!prop.SetVar)
        readOnly(prop);
    prop.SetVar(instance, value);
}

QString GetEnumProp(const TPersistent &instance, const TPropInfo &prop)
{
    if (prop.Kind != TTypeKind::tkEnumeration || !prop.Enum)
        wrongKind(prop);
    return prop.Enum->NameOf(GetOrdProp(instance, prop));
}

void SetEnumProp(TPersistent &instance, const TPropInfo &prop, QStringView name)
{
    if (prop.Kind != TTypeKind::tkEnumeration || !prop.Enum)
        wrongKind(prop);
    const int64_t value = prop.Enum->ValueOf(name);
    if (value < 0)
        throw EPropertyError("Invalid value " + name.toString().toStdString() + " for " + messageText(prop.Name));
    SetOrdProp(instance, prop, value);
}

QString GetSetProp(const TPersistent &instance, const TPropInfo &prop)
{
    if (prop.Kind != TTypeKind::tkSet || !prop.Enum)
        wrongKind(prop);
    const uint64_t mask = uint64_t(GetOrdProp(instance, prop));
    QString text;
    for (int bit = 0; bit < 64; ++bit) {
        if (!(mask & (uint64_t(1) << bit)))
            continue;
        if (!text.isEmpty())
            text += u',';
        text += prop.Enum->NameOf(prop.Enum->MinValue() + bit);
    }
    return text;
}

void SetSetProp(TPersistent &instance, const TPropInfo &prop, QStringView text)
{
    if (prop.Kind != TTypeKind::tkSet || !prop.Enum)
        wrongKind(prop);
    QStringView inner = text.trimmed();
    if (inner.startsWith(u'[') && inner.endsWith(u']'))
        inner = inner.mid(1, inner.size() - 2);
    uint64_t mask = 0;
    for (QStringView part : inner.split(u',')) {
        part = part.trimmed();
        if (part.isEmpty())
            continue;
        const int64_t value = prop.Enum->ValueOf(part);
        if (value < 0 || value - prop.Enum->MinValue() >= 64)
            throw EPropertyError("Invalid value " + part.toString().toStdString() + " for " + messageText(prop.Name));
        mask |= uint64_t(1) << (value - prop.Enum->MinValue());
    }
    SetOrdProp(instance, prop, int64_t(mask));
}

bool IsStoredProp(const TPersistent &instance, const TPropInfo &prop)
{
    return prop.IsStored(instance);
}

} // namespace classes
