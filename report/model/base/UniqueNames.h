#pragma once

// Numbered names: a component called "ppLabel3", a user name "Label3". A new
// one takes the smallest positive number that no such name of its kind uses.

#include <QString>
#include <QStringView>

#include <vector>

namespace report {

// The base of a component name: the class name without its first letter
// (TppLabel: ppLabel).
QString ppComponentNameBase(const QString &aClassName);
// The base of a user name: the class name from its fourth letter (TppLabel:
// Label).
QString ppUserNameBase(const QString &aClassName);

// The numbers taken by names of one base.
class TppNameNumbers
{
public:
    explicit TppNameNumbers(const QString &aBase)
        : m_base(aBase)
    {}

    const QString &Base() const { return m_base; }
    // Notes the number of a name that is the base (without regard to case)
    // followed by digits only, of a positive Integer value; "Label1" and
    // "Label01" note the same number, "Label99999999999" none.
    void Note(QStringView aName);
    // The number Note would note for aName with the base aBase; 0 for none.
    static int NumberIn(QStringView aName, QStringView aBase);
    void NoteNumber(int aNumber);
    // The smallest positive number not noted.
    int First() const;
    QString NameOf(int aNumber) const { return m_base + QString::number(aNumber); }

private:
    QString m_base;
    std::vector<int> m_numbers;
};

} // namespace report
