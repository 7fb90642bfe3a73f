#pragma once

// The values of an auto-search criterion as text. A report file travels
// between machines, so its value text has one form on every system: numbers
// with "." and dates as an English (United States) system writes them, which
// is what every file saved on a "." system already holds. The user types and
// reads values in the form of the own locale; the dialog converts at its
// edge.

#include "report/model/base/Types.h"

#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Types.h"

#include <QString>

namespace report {

// The form of the stored value text.
const rtl::TFormatSettings &ppAutoSearchStoredSettings();

// One value converted from the form of aFrom to that of aTo. A text that does
// not read in aFrom's form, and every value of a type that is no number or
// date, stands as it is. Thousand separators do not survive a number's
// conversion: in the stored form a "," separates the values.
QString ppConvertSearchValue(const QString &aText, TppDataType aType, const rtl::TFormatSettings &aFrom,
                             const rtl::TFormatSettings &aTo);

// One value of the user's form (the process-wide record) in the stored form,
// and back.
QString ppSearchValueToStored(const QString &aText, TppDataType aType);
QString ppSearchValueToShown(const QString &aStored, TppDataType aType);

// The stored text of a number made ready for the stored form's reading: its
// thousand separators gone. A floating-point value that a "," system wrote
// with its own decimal separator ("9,25": a "," not followed by groups of
// three digits) reads with its decimal "," as the ".".
QString ppStoredSearchNumber(QString aText, TppDataType aType);

// The stored text of a date, time or date-time read; one that an older save
// wrote in this system's own form, which the stored form cannot read, is read
// in that form. Raises EConvertError when neither reads it.
rtl::TDateTime ppReadStoredSearchMoment(const QString &aText);

} // namespace report
