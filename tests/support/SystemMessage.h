#pragma once

// The system's message for an error number in the user's language: what a
// program started by a test says, as it takes the locale of the environment
// the test runs in (the test program itself keeps the C locale).

#include <QString>

#include <clocale>
#include <cstring>

#include <locale.h>

namespace zvotest {

inline QString systemMessage(int errorNumber)
{
    locale_t user = newlocale(LC_ALL_MASK, "", static_cast<locale_t>(nullptr));
    if (!user)
        return QString::fromUtf8(std::strerror(errorNumber));
    const QString text = QString::fromUtf8(strerror_l(errorNumber, user));
    freelocale(user);
    return text;
}

} // namespace zvotest
