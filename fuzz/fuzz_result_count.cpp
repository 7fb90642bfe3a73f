// The result-count scraper and the address helpers on any bytes: they may
// only answer or, for counts beyond 32 bits, raise the range error.

#include "foundation/MyWebUtilities.h"
#include "platform/rtl/Exceptions.h"

#include <cstdint>

using namespace foundation;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string_view page(reinterpret_cast<const char *>(data), size);
    try {
        (void)GetResultCountFromHTML(page);
    } catch (const rtl::ERangeError &) {
    }
    (void)IsValidURL(page);
    if (!page.empty()) {
        const std::string root = GetSiteRootURL(page, true);
        if (root.empty())
            __builtin_trap();
    }
    return 0;
}
