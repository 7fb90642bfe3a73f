#pragma once

// The one way a test stands in for a service of the platform: a scoped
// override. A service that tests may replace names its seam once,
//
//     using ScopedUrlOpener = rtl::ScopedOverride<struct UrlOpenerTag, UrlOpener>;
//
// and asks ScopedUrlOpener::current() before doing its own work. While a
// ScopedUrlOpener lives its value is in place; when it goes, whatever was
// there before comes back. Overrides therefore nest, and a test that fails
// half-way cannot leave one behind for the next test. Overrides of one seam
// must end in the reverse order of their start, as scopes do.
//
// The tag keeps two seams of one value type apart. The value is read and
// replaced under a lock, so a worker thread may ask while a test swaps it;
// callers get a copy, so a swap while one runs does no harm.

#include "platform/rtl/Hook.h"

#include <optional>
#include <utility>

namespace rtl {

template <typename Tag, typename T>
class ScopedOverride
{
public:
    using Value = T;

    explicit ScopedOverride(T value)
        : m_previous(slot().replace(std::optional<T>(std::move(value))))
    {}
    ~ScopedOverride() { slot().replace(std::move(m_previous)); }
    ScopedOverride(const ScopedOverride &) = delete;
    ScopedOverride &operator=(const ScopedOverride &) = delete;

    // The value in place; nullopt while nothing stands in for the service.
    static std::optional<T> current() { return slot().get(); }
    // The value in place, else the fallback.
    static T valueOr(T fallback)
    {
        std::optional<T> value = current();
        return value ? std::move(*value) : std::move(fallback);
    }

private:
    static Hook<std::optional<T>> &slot()
    {
        static Hook<std::optional<T>> theSlot;
        return theSlot;
    }

    std::optional<T> m_previous;
};

} // namespace rtl
