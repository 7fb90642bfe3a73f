#include "platform/rtl/Exceptions.h"

#include <cstdio>

namespace rtl {

std::string assertionMessage(const std::string &message, const char *file, int line)
{
    std::string text = message;
    text += " (";
    text += file ? file : "";
    text += ", line ";
    text += std::to_string(line);
    text += ")";
    return text;
}

EAssertionFailed::EAssertionFailed(const char *file, int line)
    : EAssertionFailed("Assertion failure", file, line)
{}

EAssertionFailed::EAssertionFailed(const std::string &message, const char *file, int line)
    : Exception(assertionMessage(message, file, line))
    , m_file(file ? file : "")
    , m_line(line)
{}

} // namespace rtl
