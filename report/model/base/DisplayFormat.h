#pragma once

// Values of the report's data types as text with a user's display format,
// and the ready-made formats the designer offers per data type. Both go
// through a replaceable formatter, so that an application can install its
// own; the model layer's start-up installs TppDisplayFormat.

#include "report/model/base/Types.h"

#include <QString>
#include <QVariant>

namespace classes {
class TStrings;
}

namespace report {

class TppDisplayFormat
{
public:
    virtual ~TppDisplayFormat() = default;

    // A null value gives ''. Number formats containing "$" show the value in
    // the currency format with as many decimals as the first section has
    // characters after its "."; texts take a non-empty format as an edit
    // mask. A value that does not convert to the data type raises the class
    // library's conversion error.
    virtual QString Format(const QString &aDisplayFormat, TppDataType aDataType, const QVariant &aValue) const;
    // Clears aList and adds one entry per format: the sample text, the
    // character with code 1, the format. Samples are display texts, not
    // necessarily what their format makes of a value.
    virtual void GetDisplayFormats(TppDataType aDataType, classes::TStrings &aList) const;
};

// The formatter in use; nullptr while none is installed (formatting then gives '').
const TppDisplayFormat *ppDisplayFormatClass();
void ppSetDisplayFormatClass(const TppDisplayFormat *aFormatter);
// The library's own formatter.
const TppDisplayFormat &ppDefaultDisplayFormat();

QString ppFormatDisplayValue(const QString &aDisplayFormat, TppDataType aDataType, const QVariant &aValue);
void ppGetDisplayFormats(TppDataType aDataType, classes::TStrings &aList);

} // namespace report
