#include "platform/rtl/Variants.h"

#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FloatToStr.h"
#include "platform/rtl/FormatDateTime.h"
#include "platform/rtl/QtText.h"
#include "platform/rtl/StrToDateTime.h"
#include "platform/rtl/StrToFloat.h"

#include <QDate>
#include <QDateTime>
#include <QTime>

#include <cmath>

namespace rtl {

namespace {

[[noreturn]] void cannotConvert(const QVariant &value, const char *target = "Date")
{
    const char *name = VarIsNull(value) ? "Null" : value.metaType().name();
    throw EConvertError(std::string("Could not convert variant of type (") + (name ? name : "?") + ") into type (" +
                        target + ")");
}

TDateTime checkedDateTime(TDateTime value, const QVariant &source)
{
    TDateParts date;
    TTimeParts time;
    int dayOfWeek = 0;
    if (!TryDecodeDateTime(value, date, time, dayOfWeek))
        cannotConvert(source);
    return value;
}

} // namespace

QVariant Unassigned()
{
    return QVariant();
}

QVariant Null()
{
    return QVariant::fromValue(nullptr);
}

bool VarIsEmpty(const QVariant &value)
{
    return !value.isValid();
}

bool VarIsNull(const QVariant &value)
{
    return value.isValid() && value.isNull();
}

bool VarIsNumber(const QVariant &value)
{
    switch (value.metaType().id()) {
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Float:
    case QMetaType::Double: return true;
    default: return false;
    }
}

QString VarToStr(const QVariant &value, const TFormatSettings &settings)
{
    if (!value.isValid() || value.isNull())
        return QString();
    switch (value.metaType().id()) {
    case QMetaType::Bool: return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::Double: return FloatToStr(value.toDouble(), settings);
    case QMetaType::Float: return FloatToStrF(value.toFloat(), ffGeneral, 7, 0, settings);
    // Qt gives a one-byte integer as the character of that code.
    case QMetaType::SChar: return QString::number(value.toInt());
    case QMetaType::UChar: return QString::number(value.toUInt());
    case QMetaType::QDateTime:
    case QMetaType::QDate:
    case QMetaType::QTime: {
        TDateTime moment = 0;
        if (!TryDateVarToDateTime(value, moment))
            return QString();
        if (value.typeId() == QMetaType::QDate)
            return DateToStr(moment, settings);
        if (value.typeId() == QMetaType::QTime)
            return TimeToStr(moment, settings);
        return DateTimeToStr(moment, settings);
    }
    case QMetaType::QByteArray:
        return ToQString(std::string_view(value.toByteArray().constData(), size_t(value.toByteArray().size())));
    default: return value.toString();
    }
}

QString VarToStr(const QVariant &value)
{
    return VarToStr(value, FormatSettings());
}

TDateTime VarToDateTime(const QVariant &value, const TFormatSettings &settings)
{
    if (!value.isValid())
        return 0;
    if (value.isNull())
        cannotConvert(value);
    if (VarIsNumber(value))
        return checkedDateTime(value.toDouble(), value);
    switch (value.metaType().id()) {
    case QMetaType::QDateTime:
    case QMetaType::QDate:
    case QMetaType::QTime: {
        TDateTime moment = 0;
        if (!TryDateVarToDateTime(value, moment))
            cannotConvert(value);
        return checkedDateTime(moment, value);
    }
    case QMetaType::QString:
    case QMetaType::QByteArray: return StrToDateTime(VarToStr(value, settings), settings);
    default: cannotConvert(value);
    }
}

TDateTime VarToDateTime(const QVariant &value)
{
    return VarToDateTime(value, FormatSettings());
}

QVariant DateTimeToVar(TDateTime value)
{
    TDateParts date;
    TTimeParts time;
    int dayOfWeek = 0;
    if (!TryDecodeDateTime(value, date, time, dayOfWeek))
        return QVariant(value);
    const QDate day(date.year, date.month, date.day);
    if (time == TTimeParts{})
        return QVariant(day);
    if (const std::optional<QDateTime> local = ToQDateTime(value))
        return QVariant(*local);
    // A wall-clock time the zone skipped stays a date-time: Qt keeps its date
    // and time in a local value it calls invalid, which reads back by them.
    const QDateTime skipped(day, QTime(time.hour, time.minute, time.second, time.msec));
    if (skipped.timeSpec() == Qt::LocalTime && skipped.date() == day &&
        skipped.time() == QTime(time.hour, time.minute, time.second, time.msec))
        return QVariant(skipped);
    return QVariant(value);
}

bool TryDateVarToDateTime(const QVariant &value, TDateTime &result)
{
    switch (value.typeId()) {
    case QMetaType::QDateTime: {
        const QDateTime dt = value.toDateTime();
        if (dt.isValid()) {
            result = FromQDateTime(dt);
            return true;
        }
        // A local wall-clock time the user's zone skipped (a pipeline's
        // value, as a database hands it over): Qt calls it invalid but keeps
        // its date and time. The class library's date-time has no zone, so
        // it is read by them, as a QDate is. So is one that a named zone
        // skipped: it has no moment to move to the user's clock, and refusing
        // it would stop the whole run.
        const bool wallClock = dt.timeSpec() == Qt::LocalTime || dt.timeSpec() == Qt::TimeZone;
        if (!wallClock || !dt.date().isValid() || !dt.time().isValid())
            return false;
        const QDate d = dt.date();
        TDateTime day = 0;
        if (!TryEncodeDate(d.year(), d.month(), d.day(), day))
            return false;
        const TDateTime time = dt.time().msecsSinceStartOfDay() / double(MsecsPerDay);
        result = day >= 0 ? day + time : day - time;
        return true;
    }
    case QMetaType::QDate: {
        const QDate d = value.toDate();
        return d.isValid() && TryEncodeDate(d.year(), d.month(), d.day(), result);
    }
    case QMetaType::QTime: {
        const QTime t = value.toTime();
        if (!t.isValid())
            return false;
        result = t.msecsSinceStartOfDay() / double(MsecsPerDay);
        return true;
    }
    default: return false;
    }
}

long double VarToExtended(const QVariant &value, const TFormatSettings &settings)
{
    if (!value.isValid())
        return 0;
    if (value.isNull())
        cannotConvert(value, "Double");
    switch (value.metaType().id()) {
    case QMetaType::Bool: return value.toBool() ? -1 : 0;
    case QMetaType::SChar:
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::Long:
    case QMetaType::LongLong: return static_cast<long double>(value.toLongLong());
    case QMetaType::UChar:
    case QMetaType::UInt:
    case QMetaType::UShort:
    case QMetaType::ULong:
    case QMetaType::ULongLong: return static_cast<long double>(value.toULongLong());
    case QMetaType::Double:
    case QMetaType::Float: return value.toDouble();
    case QMetaType::QDateTime:
    case QMetaType::QDate:
    case QMetaType::QTime: return VarToDateTime(value, settings);
    case QMetaType::QString:
    case QMetaType::QByteArray: return StrToFloat(VarToStr(value, settings), settings);
    default: cannotConvert(value, "Double");
    }
}

long double VarToExtended(const QVariant &value)
{
    return VarToExtended(value, FormatSettings());
}

} // namespace rtl
