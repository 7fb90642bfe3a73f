#pragma once

// MemoryColumn: the values of one field of a memory pipeline, held by their
// kind. A column of texts keeps them in one UTF-8 buffer with their ends, a
// column of numbers, whole numbers or dates keeps them as such; a value of
// any other type, or one that does not fit the kind the column took, turns
// the column into a list of QVariants. A cell answers the QVariant it was
// given (same type, same value) whatever the column holds it as, so a report
// reads the same as over rows of QVariants, for a few bytes a value.

#include <QVariant>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace reporttest {

class MemoryColumn
{
public:
    // Nothing but nulls so far, then what the first value was.
    enum class Kind { Nulls, Texts, Doubles, Integers, Dates, Variants };

    MemoryColumn() = default;
    // aCount nulls.
    explicit MemoryColumn(size_t aCount)
        : m_count(aCount)
    {}
    // Texts in UTF-8, each ending at its entry of aEnds (ascending, the last
    // at most aText's size).
    static MemoryColumn Texts(std::string aText, std::vector<uint32_t> aEnds);
    static MemoryColumn Doubles(std::vector<double> aValues);

    Kind kind() const { return m_kind; }
    size_t size() const { return m_count; }
    void clear() { *this = MemoryColumn(); }

    // An invalid QVariant is a null; so is a null text, a null number and so on.
    QVariant at(size_t aRow) const;
    bool isNull(size_t aRow) const;
    // For readers that want the value as a number or a text without a
    // QVariant in between; the same as at(aRow).toDouble() and .toString().
    double toDouble(size_t aRow) const;
    QString toString(size_t aRow) const;

    void append(const QVariant &aValue);
    void set(size_t aRow, const QVariant &aValue);

    // Bytes held, for measuring.
    size_t bytes() const;

private:
    static Kind kindOf(const QVariant &aValue);
    bool nullAt(size_t aRow) const { return !m_nulls.empty() && m_nulls[aRow]; }
    void setNull(size_t aRow, bool aNull);
    // Takes aKind for a column of nulls only.
    void become(Kind aKind);
    void toVariants();
    void appendTyped(const QVariant &aValue);
    bool textFits(const QVariant &aValue) const;
    std::string_view textAt(size_t aRow) const;
    QString textOf(size_t aRow) const;

    Kind m_kind = Kind::Nulls;
    size_t m_count = 0;
    std::string m_text;
    std::vector<uint32_t> m_ends;
    std::vector<double> m_doubles;
    std::vector<int> m_integers;
    std::vector<qint64> m_days;
    std::vector<QVariant> m_variants;
    // Empty while no typed value is null.
    std::vector<bool> m_nulls;
    static constexpr size_t NoRow = size_t(-1);
    mutable size_t m_decodedRow = NoRow;
    mutable QString m_decoded;
};

} // namespace reporttest
