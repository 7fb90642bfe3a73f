#include "grid/core/NodeValueOrder.h"

#include <QDateTime>
#include <QLocale>

namespace grid {

namespace {

// Values of different kinds are ordered by kind instead of failing to
// convert in the middle of a sort.
int valueOrderKind(const QVariant &value)
{
    if (value.isNull())
        return 0;
    switch (value.metaType().id()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar: return 1;
    case QMetaType::QString:
    case QMetaType::QChar:
    case QMetaType::QByteArray: return 2;
    default: return 3;
    }
}

int valueOrderSign(int value)
{
    return value < 0 ? -1 : (value > 0 ? 1 : 0);
}

// The local wall-clock date and time of a date value. A local date-time the
// user's zone skipped (a daylight-saving gap, a skipped day) is one Qt calls
// invalid while it keeps its date and time; Qt orders all of them as equal
// and before every valid one, where the user reads them by their clock.
bool wallClockOf(const QVariant &value, QDate &date, QTime &time)
{
    if (value.metaType().id() == QMetaType::QDate) {
        date = value.toDate();
        time = QTime(0, 0);
        return date.isValid();
    }
    if (value.metaType().id() != QMetaType::QDateTime)
        return false;
    const QDateTime moment = value.toDateTime();
    if (moment.isValid()) {
        const QDateTime local = moment.toLocalTime();
        date = local.date();
        time = local.time();
        return true;
    }
    date = moment.date();
    time = moment.time();
    const bool wallClock = moment.timeSpec() == Qt::LocalTime || moment.timeSpec() == Qt::TimeZone;
    return wallClock && date.isValid() && time.isValid();
}

bool isValidDateTime(const QVariant &value)
{
    return value.metaType().id() == QMetaType::QDateTime && value.toDateTime().isValid();
}

// Two date values by the clock, unless both are valid date-times, which go
// by their moment (an hour the clocks went back shows one clock time twice).
bool orderByWallClock(const QVariant &a, const QVariant &b, int &order)
{
    if (isValidDateTime(a) && isValidDateTime(b))
        return false;
    QDate dateA, dateB;
    QTime timeA, timeB;
    if (!wallClockOf(a, dateA, timeA) || !wallClockOf(b, dateB, timeB))
        return false;
    if (dateA != dateB)
        order = dateA < dateB ? -1 : 1;
    else
        order = timeA < timeB ? -1 : (timeB < timeA ? 1 : 0);
    return true;
}

} // namespace

int NodeValueOrder(const QVariant &a, const QVariant &b, const QCollator *collator)
{
    const int kindA = valueOrderKind(a);
    const int kindB = valueOrderKind(b);
    // The locale's order takes over as soon as the first value is a text,
    // whatever the second is: a number then sorts among texts by its digits.
    if (collator && kindA == 2 && !b.isNull())
        return valueOrderSign(collator->compare(a.toString(), b.toString()));
    if (kindA != kindB)
        return kindA < kindB ? -1 : 1;
    switch (kindA) {
    case 0: return 0;
    case 1: {
        if (a.metaType().id() == QMetaType::Double || b.metaType().id() == QMetaType::Double ||
            a.metaType().id() == QMetaType::Float || b.metaType().id() == QMetaType::Float) {
            const double x = a.toDouble();
            const double y = b.toDouble();
            return x < y ? -1 : (y < x ? 1 : 0);
        }
        if (a.metaType().id() == QMetaType::ULongLong || b.metaType().id() == QMetaType::ULongLong) {
            const qulonglong x = a.toULongLong();
            const qulonglong y = b.toULongLong();
            return x < y ? -1 : (y < x ? 1 : 0);
        }
        const qlonglong x = a.toLongLong();
        const qlonglong y = b.toLongLong();
        return x < y ? -1 : (y < x ? 1 : 0);
    }
    case 2: {
        const QString x = a.toString();
        const QString y = b.toString();
        if (collator)
            return valueOrderSign(collator->compare(x, y));
        return valueOrderSign(x.compare(y));
    }
    default: {
        if (int byClock = 0; orderByWallClock(a, b, byClock))
            return byClock;
        const QPartialOrdering order = QVariant::compare(a, b);
        if (order == QPartialOrdering::Less)
            return -1;
        if (order == QPartialOrdering::Greater)
            return 1;
        if (order == QPartialOrdering::Equivalent)
            return 0;
        // Unordered values of one kind: by their text, so the order stays total.
        return valueOrderSign(a.toString().compare(b.toString()));
    }
    }
}

QCollator NodeTextCollator()
{
    QCollator collator{QLocale()};
    collator.setCaseSensitivity(Qt::CaseSensitive);
    return collator;
}

} // namespace grid
