#pragma once

// The report's values are QVariants. As in the class library, a value that
// was never assigned (an invalid QVariant) differs from a null one (a QVariant
// holding nullptr, as a data field without a value gives): both show as
// '', but only the unassigned one converts to a number or date (0).
// Dates travel as QDateTime, QDate or QTime.

#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Types.h"

#include <QString>
#include <QVariant>

namespace rtl {

QVariant Unassigned();
QVariant Null();
bool VarIsEmpty(const QVariant &value);
bool VarIsNull(const QVariant &value);
// A number held as an integer of any width and either sign (one-byte ones
// included) or as a float or double; Booleans, dates and texts are not.
bool VarIsNumber(const QVariant &value);

// '' for unassigned and null; "True"/"False"; integers in decimal; doubles in
// the general format with 15 digits, floats with 7; a date-time, date or time
// as DateTimeToStr, DateToStr or TimeToStr give it; texts as they are (bytes
// as Windows-1252).
QString VarToStr(const QVariant &value);
QString VarToStr(const QVariant &value, const TFormatSettings &settings);

// Unassigned gives 0; a number is taken as a date-time; a text is read by
// StrToDateTime. Null, other types, and values outside the years 1 to 9999
// raise EConvertError.
TDateTime VarToDateTime(const QVariant &value);
TDateTime VarToDateTime(const QVariant &value, const TFormatSettings &settings);

// A day number as a report value. A whole day is its QDate, which no zone
// can shift; another moment is the local QDateTime of the same wall-clock
// time, also where the zone has none (a daylight-saving gap, a skipped day:
// Qt's invalid local value that keeps the date and time), so that it prints
// as a date-time everywhere; the number itself only where the moment has no
// calendar date. Every form converts back to the same number.
QVariant DateTimeToVar(TDateTime value);

// The day number of a QDateTime, QDate or QTime value; false for another
// type, an invalid value or a date outside the years 1 to 9999. A date goes
// by its parts, never through a local midnight that may not exist; so does a
// local QDateTime the zone skipped (invalid, with a valid date and time), and
// one a named zone skipped.
bool TryDateVarToDateTime(const QVariant &value, TDateTime &result);

// Unassigned gives 0; True gives -1 and False 0, as the class library
// converts them; numbers keep their value (64-bit integers exactly); a
// date-time, date or time gives its TDateTime; a text is read by StrToFloat.
// Null and other types raise EConvertError.
long double VarToExtended(const QVariant &value);
long double VarToExtended(const QVariant &value, const TFormatSettings &settings);

} // namespace rtl
