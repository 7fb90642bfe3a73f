#pragma once

// For the one source of a fuzz target that reads report classes from a
// stream: an offscreen GUI application (texts are measured) and the model
// and content layers' registrations, made before the first input and
// released at exit, so that neither an input nor the end of a run is taken
// for leaking what lives for the whole process.

#include "report/content/ContentRegistration.h"
#include "report/model/ModelRegistration.h"

#include <QGuiApplication>

#include <cstdlib>

// fontconfig's caches live to the end of the process.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libfontconfig\n";
}

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
