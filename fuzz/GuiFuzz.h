#pragma once

// For the one source of a fuzz target that draws text: an offscreen GUI
// application made before the first input, and fontconfig's caches, kept to
// the end of the process, not taken for leaks.

#include <QGuiApplication>

extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libfontconfig\n";
}

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}
