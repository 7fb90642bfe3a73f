#pragma once

// A time zone for as long as the object lives. The local-time conversions
// read TZ again on every call, so a test can take a zone whose clock skips an
// hour or a whole day whatever zone the run itself has.

#include <QByteArray>
#include <QtGlobal>

#include <ctime>

namespace zvotest {

class ScopedTimeZone
{
public:
    explicit ScopedTimeZone(const char *zone)
        : m_had(qEnvironmentVariableIsSet("TZ"))
        , m_old(qgetenv("TZ"))
    {
        qputenv("TZ", zone);
        tzset();
    }
    ~ScopedTimeZone()
    {
        if (m_had)
            qputenv("TZ", m_old);
        else
            qunsetenv("TZ");
        tzset();
    }
    ScopedTimeZone(const ScopedTimeZone &) = delete;
    ScopedTimeZone &operator=(const ScopedTimeZone &) = delete;

private:
    bool m_had;
    QByteArray m_old;
};

} // namespace zvotest
