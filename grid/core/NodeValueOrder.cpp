#include "grid/core/NodeValueOrder.h"

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
