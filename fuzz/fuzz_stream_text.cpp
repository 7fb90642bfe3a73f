// The text form of component streams is edited by hand. Whatever converts to
// binary must convert to text and back to the very same bytes, and read in
// full into the sample classes.

#include "fuzz/StreamFuzz.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    QByteArray binary;
    try {
        binary = streamfuzz::toBinary(input);
    } catch (const std::exception &) {
        return 0;
    }
    streamfuzz::checkTextRoundTrip(binary, true);
    streamfuzz::fullRead(binary, size % 3);
    return 0;
}
