// Report templates come from files anyone may have edited. Any bytes are
// loaded into a live report that has a layout of its own: the load either
// succeeds or fails with an exception, and either way the report is whole
// afterwards, with its previous layout after a failure, and everything the
// load made is freed with the form.

#include "ReportFuzz.h"

#include "report/model/bands/BandClasses.h"
#include "report/model/reports/Report.h"
#include "report/model/templates/ReportTemplate.h"

#include "platform/classes/Streams.h"

#include <cstdio>
#include <cstdlib>
#include <exception>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    classes::TComponent form(nullptr);
    auto *report = new report::TppReport(&form);
    report->CreateDefaultBands();
    const int bands = report->BandCount();
    classes::TMemoryStream stream;
    stream.WriteBuffer(data, int64_t(size));
    stream.SetPosition(0);
    try {
        report->Template()->LoadFromStream(stream);
    } catch (const std::exception &) {
        if (report->BandCount() != bands || report->GroupCount() != 0) {
            std::fprintf(stderr, "template fuzz: a failed load changed the report\n");
            std::abort();
        }
    }
    if (report->Owner() != &form)
        std::abort();
    return 0;
}
