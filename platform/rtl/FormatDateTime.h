#pragma once

// Date-times as text in the class library's format language (letters in
// either case unless said otherwise):
//   c        short date, then the long time unless it is midnight
//   d dd     day; ddd dddd short and long day name;
//   ddddd    the short date format; dddddd the long date format
//   m mm     month; mmm mmmm short and long month name; straight after an
//            hour field m and mm are minutes
//   yy yyyy  two- and four-digit year
//   h hh     hour (12-hour when an am/pm field follows); n nn minutes;
//   s ss     seconds; z zzz milliseconds
//   t tt     the short and long time formats
//   am/pm    "am" or "pm" as written in the format (case kept); a/p likewise;
//   ampm     the record's AM and PM strings
//   /  :     the record's date and time separators
//   '...' "..."  literal text; any other character is literal.
// The formats a record names are expanded once; a record whose formats name
// further formats gets nothing for those, so no record can recurse forever.
// An empty format means "c". A value that is NaN or outside the years 1 to
// 9999 raises EConvertError.

#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Types.h"

#include <QString>
#include <QStringView>

namespace rtl {

QString FormatDateTime(QStringView format, TDateTime value);
QString FormatDateTime(QStringView format, TDateTime value, const TFormatSettings &settings);

// "c"; the short date format; the long time format.
QString DateTimeToStr(TDateTime value);
QString DateTimeToStr(TDateTime value, const TFormatSettings &settings);
QString DateToStr(TDateTime value);
QString DateToStr(TDateTime value, const TFormatSettings &settings);
QString TimeToStr(TDateTime value);
QString TimeToStr(TDateTime value, const TFormatSettings &settings);

} // namespace rtl
