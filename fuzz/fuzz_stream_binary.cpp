// Component streams come from files and database fields that anyone may have
// edited. Arbitrary bytes are converted to text (which must then read back
// to the same text) and read in full into the sample classes, with the error
// hook ignoring, partly ignoring or cancelling as the last byte says.

#include "fuzz/StreamFuzz.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    QByteArray text;
    try {
        text = streamfuzz::toText(input);
    } catch (const std::exception &) {
    }
    if (!text.isEmpty()) {
        QByteArray again;
        try {
            again = streamfuzz::toBinary(text);
        } catch (const std::exception &) {
            streamfuzz::failure("text from a binary stream does not convert back");
        }
        if (streamfuzz::toText(again) != text)
            streamfuzz::failure("binary -> text -> binary -> text changed the text");
    }
    streamfuzz::fullRead(input, size ? data[size - 1] % 3 : 0);
    return 0;
}
