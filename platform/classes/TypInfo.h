#pragma once

// Published properties by name, for the scripting descriptors and the
// by-name helpers. Each raises EPropertyError for a missing property, a
// property of another kind, or a write to a read-only one.

#include "platform/classes/PropInfo.h"

namespace classes {

const TPropInfo *GetPropInfo(const TPersistent &instance, QStringView name);
const TPropInfo &FindPropInfo(const TPersistent &instance, QStringView name);

// Integer, Int64, Char, enumeration, set and Currency (value x 10000).
int64_t GetOrdProp(const TPersistent &instance, const TPropInfo &prop);
void SetOrdProp(TPersistent &instance, const TPropInfo &prop, int64_t value);
// Any float, Currency included (as its value).
long double GetFloatProp(const TPersistent &instance, const TPropInfo &prop);
void SetFloatProp(TPersistent &instance, const TPropInfo &prop, long double value);
QString GetStrProp(const TPersistent &instance, const TPropInfo &prop);
void SetStrProp(TPersistent &instance, const TPropInfo &prop, const QString &value);
TPersistent *GetObjectProp(const TPersistent &instance, const TPropInfo &prop);
void SetObjectProp(TPersistent &instance, const TPropInfo &prop, TPersistent *value);
TMethod GetMethodProp(const TPersistent &instance, const TPropInfo &prop);
void SetMethodProp(TPersistent &instance, const TPropInfo &prop, const TMethod &value);
QVariant GetVariantProp(const TPersistent &instance, const TPropInfo &prop);
void SetVariantProp(TPersistent &instance, const TPropInfo &prop, const QVariant &value);

// Enumerations by value name, sets as "a,b" texts.
QString GetEnumProp(const TPersistent &instance, const TPropInfo &prop);
void SetEnumProp(TPersistent &instance, const TPropInfo &prop, QStringView name);
QString GetSetProp(const TPersistent &instance, const TPropInfo &prop);
void SetSetProp(TPersistent &instance, const TPropInfo &prop, QStringView text);

bool IsStoredProp(const TPersistent &instance, const TPropInfo &prop);

} // namespace classes
