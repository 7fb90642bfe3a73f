#include "report/model/base/UniqueNames.h"

#include <limits>

namespace report {

QString ppComponentNameBase(const QString &aClassName)
{
    return aClassName.mid(1);
}

QString ppUserNameBase(const QString &aClassName)
{
    return aClassName.mid(3);
}

void TppNameNumbers::Note(QStringView aName)
{
    NoteNumber(NumberIn(aName, m_base));
}

int TppNameNumbers::NumberIn(QStringView aName, QStringView aBase)
{
    if (aName.size() <= aBase.size() || !aName.startsWith(aBase, Qt::CaseInsensitive))
        return 0;
    int64_t number = 0;
    for (QChar c : aName.mid(aBase.size())) {
        if (c < u'0' || c > u'9')
            return 0;
        number = number * 10 + (c.unicode() - u'0');
        if (number > std::numeric_limits<int32_t>::max())
            return 0;
    }
    return int(number);
}

void TppNameNumbers::NoteNumber(int aNumber)
{
    if (aNumber > 0)
        m_numbers.push_back(aNumber);
}

int TppNameNumbers::First() const
{
    // Among n numbers the smallest free one is at most n + 1, so larger ones
    // cannot matter; duplicates count once.
    const size_t n = m_numbers.size();
    std::vector<bool> taken(n + 2, false);
    for (int number : m_numbers)
        if (size_t(number) <= n + 1)
            taken[size_t(number)] = true;
    for (size_t i = 1; i < taken.size(); ++i)
        if (!taken[i])
            return int(i);
    return int(n + 1);
}

} // namespace report
