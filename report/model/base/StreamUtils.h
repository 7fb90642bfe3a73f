#pragma once

// Helpers over the class layer's component streams and published
// properties, for legacy property readers and for code that reaches
// properties by name.

#include "platform/classes/PropInfo.h"

#include <QString>

#include <cstdint>

namespace classes {
class TPersistent;
class TReader;
class TStream;
class TStrings;
} // namespace classes

namespace report {

// A streamed number written either as an integer or as a floating-point value
// (rounded, halves to even, saturating).
int32_t ppReadIntegerOrFloat(classes::TReader &aReader);

// A stored component name without the module that qualifies it ("Form1." in
// Form1.Pipeline1): the pipelines and components are looked up by their own
// names, wherever they live.
QString ppUnqualifiedName(const QString &aName);

// A number stored as text (a column position): always written with ".",
// but read with "," too, as a system that wrote its own separator into the
// file left it. False for a text that is no finite number.
bool ppReadStoredFloat(const QString &aText, double &aValue);

// Looks ahead among the remaining entries of the object being read; the
// reader is back where it was afterwards.
class TppHReaderUtils
{
public:
    // Whether one of the remaining entries is the property aPropName.
    static bool HasProperty(classes::TReader &aReader, const QString &aPropName);
    // The identifier (or text) stored for aPropName, only the part after its
    // last "." (a stored Form1.Pipeline1 gives Pipeline1); '' when absent.
    static QString ReadIdentProperty(classes::TReader &aReader, const QString &aPropName);
};

// The published method aName of aObject (a component's method table) as a
// method value; without such a method the value is empty.
classes::TMethod ppMethodByName(const classes::TPersistent *aObject, const QString &aName);

// Published properties by name, where the object has them: reads of a
// property it lacks (or one of another kind) give 0 or '', such writes are
// skipped.
int64_t ppGetOrdPropByName(const classes::TPersistent *aObject, const QString &aPropName);
QString ppGetStrPropByName(const classes::TPersistent *aObject, const QString &aPropName);
void ppSetOrdPropByName(classes::TPersistent *aObject, const QString &aPropName, int64_t aValue);
void ppSetMethodPropByName(classes::TPersistent *aObject, const QString &aPropName, const classes::TMethod &aMethod);

// Replaces the content of aStream by the text of aStrings (UTF-8, each line
// ended by CR LF).
void ppStringsToStream(const classes::TStrings &aStrings, classes::TStream &aStream);

} // namespace report
