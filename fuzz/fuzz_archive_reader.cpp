// Archive files come from anywhere. Any bytes either fail the reader's
// checks with an exception or give an index whose pages each read back into
// a page or fail with an exception; a page that was read writes out again.

#include "ReportFuzz.h"

#include "report/model/pages/Page.h"
#include "report/output/ArchiveReader.h"

#include "platform/classes/Streams.h"

#include <cstdio>
#include <cstdlib>
#include <exception>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    std::unique_ptr<report::TppArchiveReader> reader;
    try {
        reader = std::make_unique<report::TppArchiveReader>(bytes);
    } catch (const std::exception &) {
        return 0;
    }
    if (reader->PageCount() > int(size / 8)) {
        std::fprintf(stderr, "archive fuzz: more pages than the index can hold\n");
        std::abort();
    }
    for (int i = 0; i < reader->PageCount(); ++i) {
        try {
            const std::unique_ptr<report::TppPage> page = reader->ReadPage(i);
            classes::TMemoryStream again;
            again.WriteComponent(page.get());
        } catch (const std::exception &) {
        }
    }
    return 0;
}
