#pragma once

// The values of an auto-search criterion as text. A report file travels
// between machines, so its value text means the same on every system:
// numbers with "." as an English (United States) system writes them, which
// is what every file saved on a "." system already holds, and dates and
// times in ISO 8601 ("2025-04-01", "13:30:00", "2025-04-01T13:30:00"),
// which no system's own form reads another way. A date stored in another
// form (by an older save) is read in the system's form. The user types and
// reads values in the form of the own locale; the dialog converts at its
// edge.

#include "report/model/base/Types.h"

#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Types.h"

#include <QString>

namespace report {

// The form of a stored number's text.
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

// The stored text of a date, time or date-time read: ISO 8601 first, any
// other text in the system's form. Raises EConvertError when neither reads it.
rtl::TDateTime ppReadStoredSearchMoment(const QString &aText);

// A date, time or date-time in ISO 8601 ("2025-04-01", "13:30:00",
// "2025-04-01T13:30:00"; a date-time at midnight as its date), and read back:
// False for any text of another form.
QString ppIsoSearchMoment(rtl::TDateTime aValue, TppDataType aType);
bool ppTryReadIsoSearchMoment(const QString &aText, rtl::TDateTime &aValue);

} // namespace report
