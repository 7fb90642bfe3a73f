// Random bytes as RTF: reading ends within its limits, and what was read,
// written and read again has the same text and writes the same bytes.

#include "platform/richedit/RtfReader.h"
#include "platform/richedit/RtfWriter.h"

#include <QByteArrayView>
#include <QGuiApplication>
#include <QTextDocument>

#include <cstddef>
#include <cstdint>
#include <cstdio>

// Fontconfig keeps its caches to the end of the process.
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

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray rtf("{\\rtf1 ");
    rtf.append(reinterpret_cast<const char *>(data), qsizetype(size));
    QTextDocument first;
    richedit::ReadRtf(rtf, first);
    const QByteArray written = richedit::WriteRtf(first);
    QTextDocument second;
    richedit::ReadRtf(written, second);
    if (first.toRawText() != second.toRawText()) {
        fprintf(stderr, "text read: %s\ntext again: %s\nwritten: %s\n", qPrintable(first.toRawText()),
                qPrintable(second.toRawText()), written.constData());
        __builtin_trap();
    }
    const QByteArray rewritten = richedit::WriteRtf(second);
    if (rewritten != written) {
        fprintf(stderr, "written: %s\nwritten again: %s\n", written.constData(), rewritten.constData());
        __builtin_trap();
    }
    return 0;
}
