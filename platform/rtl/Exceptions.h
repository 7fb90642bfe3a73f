#pragma once

// The exception types of the application. Failures are reported by
// exceptions; routines that handle a failure locally catch them and return an
// empty text, false or -1.

#include <stdexcept>
#include <string>

namespace rtl {

// Base of every error the system raises itself.
class Exception : public std::runtime_error
{
public:
    explicit Exception(const std::string &message)
        : std::runtime_error(message)
    {}
};

// An argument check failed: "Assertion failure (<file>, line <n>)".
class EAssertionFailed : public Exception
{
public:
    EAssertionFailed(const char *file, int line);
    EAssertionFailed(const std::string &message, const char *file, int line);
    const std::string &file() const { return m_file; }
    int line() const { return m_line; }

private:
    std::string m_file;
    int m_line = 0;
};

// A value does not fit the integer type it is converted to.
class ERangeError : public Exception
{
public:
    ERangeError()
        : Exception("Range check error")
    {}
    explicit ERangeError(const std::string &message)
        : Exception(message)
    {}
};

// A text does not read as the number, date or time asked for, or a value
// has no text in the asked form ("'x' is not a valid integer value").
class EConvertError : public Exception
{
public:
    explicit EConvertError(const std::string &message)
        : Exception(message)
    {}
};

// The silent abort: control flow in timers and workers, never shown to the user.
class EAbort : public Exception
{
public:
    EAbort()
        : Exception("Operation aborted")
    {}
};

// The message of an assertion failure in the form "%s (%s, line %d)".
std::string assertionMessage(const std::string &message, const char *file, int line);

} // namespace rtl

// Raises "Assertion failure (<unit>, line <n>)" when the condition is false.
// The unit is named explicitly (not __FILE__) so that the message names the
// unit as the user and the log know it, whatever the build folder.
#define ZVO_ASSERT(cond, unit)                                                                                         \
    do {                                                                                                               \
        if (!(cond))                                                                                                   \
            throw ::rtl::EAssertionFailed((unit), __LINE__);                                                           \
    } while (0)
