#pragma once

// How many objects of a class (its descendants included) are alive. Report
// objects free one another through owners, parents and link notices; tests
// check that each case leaves none behind, beside what the sanitizers see.

#include <atomic>

namespace report {

template <class T>
class TppLiveCount
{
public:
    TppLiveCount() noexcept { s_count.fetch_add(1, std::memory_order_relaxed); }
    TppLiveCount(const TppLiveCount &) noexcept
        : TppLiveCount()
    {}
    TppLiveCount &operator=(const TppLiveCount &) noexcept { return *this; }
    ~TppLiveCount() { s_count.fetch_sub(1, std::memory_order_relaxed); }

    static int Count() { return s_count.load(std::memory_order_relaxed); }

private:
    static inline std::atomic<int> s_count{0};
};

} // namespace report
