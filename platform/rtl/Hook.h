#pragma once

// A function that stands in for a desktop service when set (tests install
// one to watch or answer what the program asks of the desktop). It is read
// and replaced from any thread; callers run a copy, so a replacement while
// one runs does no harm.

#include <mutex>
#include <utility>

namespace rtl {

// Function: the type of the value held, usually a std::function.
template <typename Function>
class Hook
{
public:
    Function get() const
    {
        std::lock_guard lock(m_mutex);
        return m_function;
    }

    // Returns the function that was in place.
    Function replace(Function function)
    {
        std::lock_guard lock(m_mutex);
        std::swap(m_function, function);
        return function;
    }

private:
    mutable std::mutex m_mutex;
    Function m_function;
};

} // namespace rtl
