// FastReplaceAll and the searches against the naive reference, both case
// rules. Input: find length, replacement length, start, then find,
// replacement and source bytes.

#include "foundation/FastStrings.h"
#include "fuzz/TextReference.h"

#include <cstdint>

using namespace foundation;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 3)
        return 0;
    const size_t findLength = data[0] % 12 + 1;
    const size_t replacementLength = data[1] % 12;
    const size_t start = data[2] + 1;
    std::string_view rest(reinterpret_cast<const char *>(data + 3), size - 3);
    const std::string_view find = rest.substr(0, findLength);
    rest.remove_prefix(find.size());
    const std::string_view replacement = rest.substr(0, replacementLength);
    rest.remove_prefix(replacement.size());
    const std::string_view source = rest;
    if (find.empty())
        return 0;

    for (bool noCase : {false, true}) {
        if (FastReplaceAll(source, find, replacement, !noCase) !=
            textref::replaceAll(source, find, replacement, noCase))
            textref::mismatch("FastReplaceAll");

        const size_t ref = textref::find(source, find, start - 1, noCase);
        const std::ptrdiff_t expected = ref == std::string_view::npos ? 0 : std::ptrdiff_t(ref + 1);
        const std::ptrdiff_t got = noCase ? FastFindNoCase(source, find, std::ptrdiff_t(start))
                                          : FastFind(source, find, std::ptrdiff_t(start));
        if (got != expected)
            textref::mismatch("FastFind");

        TSkipTable table;
        noCase ? MakeSkipTableNoCase(find, table) : MakeSkipTable(find, table);
        const size_t direct = noCase ? SkipTableFindNoCase(source, find, table) : SkipTableFind(source, find, table);
        if (direct != textref::find(source, find, 0, noCase))
            textref::mismatch("SkipTableFind");
    }
    return 0;
}
