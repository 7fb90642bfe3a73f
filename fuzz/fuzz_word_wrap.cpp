// Random text (UTF-16 from the bytes after a header) wrapped into a random
// width of 0 to 10,000 thousandths of a millimetre with random alignment,
// character wrapping, widening and leading, on a 600 dpi printer that
// measures with fixed widths (the real fonts' caches look like leaks), then
// continued from where each call stopped: every call that produces lines
// moves the position on, the lines never hold more characters than were
// passed over, and the position stays inside the text.

#include "report/model/printing/Printer.h"
#include "report/model/printing/PrinterBackend.h"
#include "report/model/printing/PrinterList.h"
#include "report/model/text/PlainText.h"

#include "platform/print/fake/FakePrinterBackend.h"

#include <QGuiApplication>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {

report::TppPrinter *g_wrapPrinter = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    static gfx::FixedTextMeasurer measurer(60, 120, 96);
    static auto backend = std::make_shared<print::FakePrinterBackend>();
    static report::ScopedPrinterBackend scope(backend);
    backend->add(QStringLiteral("Office"));
    backend->setMeasurer(&measurer);
    report::ppFreePrinters();
    static report::TppPrinter printer;
    printer.SetPrinterName(QStringLiteral("Office"));
    g_wrapPrinter = &printer;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 6)
        return 0;
    const int32_t width = int32_t((data[0] | (data[1] << 8)) % 10001);
    const int32_t rows = 1 + data[2] % 8;
    const uint8_t flags = data[3];
    const int32_t leading = data[4] * 10;
    const auto alignment = report::TppTextAlignment(flags & 3);
    QString text = QString::fromUtf16(reinterpret_cast<const char16_t *>(data + 6), qsizetype((size - 6) / 2));
    if (flags & 0x40) // the line-break markup is rare in random text
        text.replace(QChar(u'#'), QStringLiteral("$\u00B6"));
    gfx::Font font;
    font.size = 1 + data[5] % 40;
    qsizetype position = 0;
    for (int call = 0; call < 200 && position < text.size(); ++call) {
        QStringList lines;
        const qsizetype before = position;
        report::TppPlainText::WordWrap(text, rtl::TRect{0, 0, width, rows * 6000}, alignment, flags & 4, font,
                                       flags & 8, leading, {}, g_wrapPrinter, position, lines);
        if (position < before || position > text.size())
            std::abort();
        qsizetype placed = 0;
        for (const QString &line : lines)
            placed += line.size() - (line.endsWith(QStringLiteral("$\u00B6")) ? 2 : 0);
        if (placed > position - before)
            std::abort();
        if (lines.isEmpty() || position == before)
            break;
    }
    return 0;
}
