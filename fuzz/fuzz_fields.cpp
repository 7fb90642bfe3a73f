// GetField and GetFieldCount against a direct reading of their rules.
// Input: delimiter length, field number, then delimiter and text bytes.

#include "foundation/MyUtilities.h"
#include "fuzz/TextReference.h"

#include <cstdint>
#include <vector>

using namespace foundation;

namespace {

// Hits of the delimiter without regard to case, each search starting one
// character after the previous hit's first character.
std::vector<size_t> delimiterHits(std::string_view text, std::string_view delimiter)
{
    std::vector<size_t> hits;
    for (size_t from = 0;;) {
        const size_t hit = textref::find(text, delimiter, from, true);
        if (hit == std::string_view::npos)
            return hits;
        hits.push_back(hit);
        from = hit + 1;
    }
}

std::string referenceField(std::string_view text, std::string_view delimiter, int n)
{
    if (n < 1)
        return {};
    if (delimiter.empty())
        return n == 1 ? std::string(text) : std::string();
    const std::vector<size_t> hits = delimiterHits(text, delimiter);
    if (hits.size() < size_t(n - 1))
        return {};
    const size_t begin = n == 1 ? 0 : hits[size_t(n - 2)] + delimiter.size();
    const size_t end = size_t(n - 1) < hits.size() ? hits[size_t(n - 1)] : text.size();
    return end > begin ? std::string(text.substr(begin, end - begin)) : std::string();
}

int referenceCount(std::string_view text, std::string_view delimiter)
{
    if (text.empty() || delimiter.empty())
        return 0;
    if (delimiter.size() == 1) {
        int count = 1;
        for (char c : text)
            count += c == delimiter[0];
        return count;
    }
    const std::string rest = textref::replaceAll(text, delimiter, "", true);
    return int((text.size() - rest.size()) / delimiter.size() + 1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const size_t delimiterLength = data[0] % 4;
    const int n = int(int8_t(data[1]));
    std::string_view rest(reinterpret_cast<const char *>(data + 2), size - 2);
    const std::string_view delimiter = rest.substr(0, delimiterLength);
    const std::string_view text = rest.substr(delimiter.size());

    if (GetField(text, delimiter, n) != referenceField(text, delimiter, n))
        textref::mismatch("GetField");
    if (GetFieldCount(text, delimiter) != referenceCount(text, delimiter))
        textref::mismatch("GetFieldCount");
    return 0;
}
