#include "tests/support/report/MemoryColumn.h"

#include <QDate>

#include <limits>

namespace reporttest {

namespace {

// A text that QString::fromUtf8 gives back as it was: no surrogate without
// its pair, and no byte-order mark first, which the decoding drops.
bool memoryTextRoundTrips(const QString &aText)
{
    const qsizetype size = aText.size();
    if (size > 0 && aText.front() == QChar(0xFEFF))
        return false;
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = aText.at(i);
        if (!c.isSurrogate())
            continue;
        if (c.isLowSurrogate() || i + 1 == size || !aText.at(i + 1).isLowSurrogate())
            return false;
        ++i;
    }
    return true;
}

} // namespace

MemoryColumn MemoryColumn::Texts(std::string aText, std::vector<uint32_t> aEnds)
{
    MemoryColumn column;
    column.m_kind = Kind::Texts;
    column.m_count = aEnds.size();
    column.m_text = std::move(aText);
    column.m_ends = std::move(aEnds);
    return column;
}

MemoryColumn MemoryColumn::Doubles(std::vector<double> aValues)
{
    MemoryColumn column;
    column.m_kind = Kind::Doubles;
    column.m_count = aValues.size();
    column.m_doubles = std::move(aValues);
    return column;
}

MemoryColumn::Kind MemoryColumn::kindOf(const QVariant &aValue)
{
    // A typed null (a QVariant made from its type alone) stays one.
    if (aValue.isNull())
        return Kind::Variants;
    switch (aValue.typeId()) {
    case QMetaType::QString: {
        // A null text and one UTF-8 cannot hold are kept as they came.
        const QString &text = *static_cast<const QString *>(aValue.constData());
        return text.isNull() || !memoryTextRoundTrips(text) ? Kind::Variants : Kind::Texts;
    }
    case QMetaType::Double: return Kind::Doubles;
    case QMetaType::Int: return Kind::Integers;
    case QMetaType::QDate: return aValue.toDate().isValid() ? Kind::Dates : Kind::Variants;
    default: return Kind::Variants;
    }
}

std::string_view MemoryColumn::textAt(size_t aRow) const
{
    const size_t start = aRow == 0 ? 0 : m_ends[aRow - 1];
    return std::string_view(m_text).substr(start, m_ends[aRow] - start);
}

QString MemoryColumn::textOf(size_t aRow) const
{
    // A report reads a record's field more than once (to print it, to see
    // whether it changed): the text last made is handed out again.
    if (aRow != m_decodedRow) {
        const std::string_view text = textAt(aRow);
        m_decoded = QString::fromUtf8(text.data(), qsizetype(text.size()));
        m_decodedRow = aRow;
    }
    return m_decoded;
}

QVariant MemoryColumn::at(size_t aRow) const
{
    if (m_kind == Kind::Variants)
        return m_variants[aRow];
    if (m_kind == Kind::Nulls || nullAt(aRow))
        return QVariant();
    switch (m_kind) {
    case Kind::Texts: return textOf(aRow);
    case Kind::Doubles: return m_doubles[aRow];
    case Kind::Integers: return m_integers[aRow];
    case Kind::Dates: return QDate::fromJulianDay(m_days[aRow]);
    default: return QVariant();
    }
}

bool MemoryColumn::isNull(size_t aRow) const
{
    switch (m_kind) {
    case Kind::Nulls: return true;
    case Kind::Variants: return !m_variants[aRow].isValid() || m_variants[aRow].isNull();
    default: return nullAt(aRow);
    }
}

double MemoryColumn::toDouble(size_t aRow) const
{
    if (m_kind == Kind::Doubles && !nullAt(aRow))
        return m_doubles[aRow];
    return at(aRow).toDouble();
}

QString MemoryColumn::toString(size_t aRow) const
{
    if (m_kind == Kind::Texts && !nullAt(aRow))
        return textOf(aRow);
    return at(aRow).toString();
}

void MemoryColumn::setNull(size_t aRow, bool aNull)
{
    if (m_nulls.empty()) {
        if (!aNull)
            return;
        m_nulls.assign(m_count, false);
    }
    m_nulls[aRow] = aNull;
}

void MemoryColumn::become(Kind aKind)
{
    // Every value so far is a null: each kind's place holder, marked null.
    m_kind = aKind;
    switch (aKind) {
    case Kind::Texts: m_ends.assign(m_count, 0); break;
    case Kind::Doubles: m_doubles.assign(m_count, 0.0); break;
    case Kind::Integers: m_integers.assign(m_count, 0); break;
    case Kind::Dates: m_days.assign(m_count, 0); break;
    case Kind::Variants: m_variants.assign(m_count, QVariant()); return;
    case Kind::Nulls: return;
    }
    if (m_count > 0)
        m_nulls.assign(m_count, true);
}

void MemoryColumn::toVariants()
{
    if (m_kind == Kind::Variants)
        return;
    std::vector<QVariant> values;
    values.reserve(m_count);
    for (size_t row = 0; row < m_count; ++row)
        values.push_back(at(row));
    const size_t count = m_count;
    *this = MemoryColumn();
    m_kind = Kind::Variants;
    m_count = count;
    m_variants = std::move(values);
}

void MemoryColumn::appendTyped(const QVariant &aValue)
{
    switch (m_kind) {
    case Kind::Texts: {
        const QByteArray bytes = static_cast<const QString *>(aValue.constData())->toUtf8();
        m_text.append(bytes.constData(), size_t(bytes.size()));
        m_ends.push_back(uint32_t(m_text.size()));
        break;
    }
    case Kind::Doubles: m_doubles.push_back(*static_cast<const double *>(aValue.constData())); break;
    case Kind::Integers: m_integers.push_back(*static_cast<const int *>(aValue.constData())); break;
    case Kind::Dates: m_days.push_back(aValue.toDate().toJulianDay()); break;
    case Kind::Variants: m_variants.push_back(aValue); break;
    case Kind::Nulls: break;
    }
    if (!m_nulls.empty())
        m_nulls.push_back(false);
    ++m_count;
}

bool MemoryColumn::textFits(const QVariant &aValue) const
{
    // Ends are 32 bits: a UTF-16 unit takes at most three bytes.
    const size_t most = size_t(static_cast<const QString *>(aValue.constData())->size()) * 3;
    return m_text.size() + most <= std::numeric_limits<uint32_t>::max();
}

void MemoryColumn::append(const QVariant &aValue)
{
    if (!aValue.isValid()) {
        switch (m_kind) {
        case Kind::Nulls: break;
        case Kind::Variants: m_variants.emplace_back(); break;
        case Kind::Texts: m_ends.push_back(uint32_t(m_text.size())); break;
        case Kind::Doubles: m_doubles.push_back(0.0); break;
        case Kind::Integers: m_integers.push_back(0); break;
        case Kind::Dates: m_days.push_back(0); break;
        }
        ++m_count;
        if (m_kind != Kind::Nulls && m_kind != Kind::Variants)
            setNull(m_count - 1, true);
        return;
    }
    const Kind kind = kindOf(aValue);
    if (m_kind == Kind::Nulls)
        become(kind);
    else if (kind != m_kind || (kind == Kind::Texts && !textFits(aValue)))
        toVariants();
    appendTyped(aValue);
}

void MemoryColumn::set(size_t aRow, const QVariant &aValue)
{
    if (!aValue.isValid()) {
        if (m_kind == Kind::Variants)
            m_variants[aRow] = QVariant();
        else if (m_kind != Kind::Nulls)
            setNull(aRow, true);
        return;
    }
    const Kind kind = kindOf(aValue);
    if (m_kind == Kind::Nulls)
        become(kind);
    // A text is rewritten in place only at the end of the buffer, as a new
    // record's fields are written one by one.
    if (kind != m_kind || (kind == Kind::Texts && aRow + 1 != m_count))
        toVariants();
    switch (m_kind) {
    case Kind::Texts: {
        m_decodedRow = NoRow;
        m_text.resize(aRow == 0 ? 0 : m_ends[aRow - 1]);
        const QByteArray bytes = static_cast<const QString *>(aValue.constData())->toUtf8();
        if (m_text.size() + size_t(bytes.size()) > std::numeric_limits<uint32_t>::max()) {
            m_ends[aRow] = uint32_t(m_text.size());
            toVariants();
            m_variants[aRow] = aValue;
            return;
        }
        m_text.append(bytes.constData(), size_t(bytes.size()));
        m_ends[aRow] = uint32_t(m_text.size());
        break;
    }
    case Kind::Doubles: m_doubles[aRow] = *static_cast<const double *>(aValue.constData()); break;
    case Kind::Integers: m_integers[aRow] = *static_cast<const int *>(aValue.constData()); break;
    case Kind::Dates: m_days[aRow] = aValue.toDate().toJulianDay(); break;
    case Kind::Variants: m_variants[aRow] = aValue; return;
    case Kind::Nulls: return;
    }
    setNull(aRow, false);
}

size_t MemoryColumn::bytes() const
{
    return sizeof(*this) + m_text.capacity() + m_ends.capacity() * sizeof(uint32_t) +
           m_doubles.capacity() * sizeof(double) + m_integers.capacity() * sizeof(int) +
           m_days.capacity() * sizeof(qint64) + m_variants.capacity() * sizeof(QVariant) + m_nulls.capacity() / 8;
}

} // namespace reporttest
