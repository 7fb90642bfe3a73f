// Report templates come from files anyone may have edited. Any bytes are
// loaded into a live report that has a layout of its own: the load either
// succeeds or fails with an exception, and either way the report is whole
// afterwards, with its previous layout after a failure, and everything the
// load made is freed with the form.

#include "report/content/ContentRegistration.h"
#include "report/model/ModelRegistration.h"
#include "report/model/bands/BandClasses.h"
#include "report/model/reports/Report.h"
#include "report/model/templates/ReportTemplate.h"

#include "platform/classes/Streams.h"

#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>
#include <exception>

// fontconfig's caches live to the end of the process.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libfontconfig\n";
}

// The application (labels measure their texts) and the library's
// registrations are made before the first input, so that no input is taken
// for leaking what lives for the whole process.
extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    report::ppModelLayerInit();
    report::ppContentLayerInit();
    std::atexit([] {
        report::ppContentLayerFinalize();
        report::ppModelLayerFinalize();
    });
    return 0;
}

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
