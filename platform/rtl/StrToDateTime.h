#pragma once

// Date-times read from text as the class library reads them: a date is two
// or three numbers separated by the record's date separator, in the order of
// its short date format (without a year: this year; a year of one or two
// digits: within the record's window of the current year); a time is hours,
// optional minutes, seconds and a fraction of a second, separated by the
// record's time and decimal separators, with an optional AM/PM (the record's
// strings or "AM"/"PM", before or after). Blanks around the parts are
// allowed; anything else left over is not. A text that does not read raises
// EConvertError; the Try forms answer false instead.

#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Types.h"

#include <QStringView>

namespace rtl {

TDateTime StrToDateTime(QStringView text);
TDateTime StrToDateTime(QStringView text, const TFormatSettings &settings);
bool TryStrToDateTime(QStringView text, TDateTime &value);
bool TryStrToDateTime(QStringView text, TDateTime &value, const TFormatSettings &settings);

TDateTime StrToDate(QStringView text);
TDateTime StrToDate(QStringView text, const TFormatSettings &settings);
bool TryStrToDate(QStringView text, TDateTime &value);
bool TryStrToDate(QStringView text, TDateTime &value, const TFormatSettings &settings);

TDateTime StrToTime(QStringView text);
TDateTime StrToTime(QStringView text, const TFormatSettings &settings);
bool TryStrToTime(QStringView text, TDateTime &value);
bool TryStrToTime(QStringView text, TDateTime &value, const TFormatSettings &settings);

} // namespace rtl
