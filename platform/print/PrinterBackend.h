#pragma once

// What a program asks of the machine's printing system, behind one
// interface: the printers and their default, each printer's papers and bins,
// its driver settings and the contexts that measure and print. The interface
// needs nothing beyond Qt's painting; the implementation on Qt's printing
// support and CUPS (platform/print/cups) is installed by the program at
// start-up, and tests put a scripted one (platform/print/fake) in its place
// for a scope, as they do with the message-box sink.

#include "platform/gfx/TextMeasurer.h"
#include "platform/rtl/ScopedOverride.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class QPainter;

namespace print {

// A printer's job settings as its driver keeps them. Only the fields whose
// bit is set in `fields` carry a value.
struct DriverSettings
{
    static constexpr uint32_t DM_ORIENTATION = 0x1;
    static constexpr uint32_t DM_PAPERSIZE = 0x2;
    static constexpr uint32_t DM_PAPERLENGTH = 0x4;
    static constexpr uint32_t DM_PAPERWIDTH = 0x8;
    static constexpr uint32_t DM_COPIES = 0x100;
    static constexpr uint32_t DM_DEFAULTSOURCE = 0x200;
    static constexpr uint32_t DM_DUPLEX = 0x1000;
    static constexpr uint32_t DM_COLLATE = 0x8000;

    uint32_t fields = 0;
    int16_t orientation = 1; // 1 portrait, 2 landscape
    int16_t paperSize = 0;   // paper code
    // Tenths of a millimetre, portrait.
    int16_t paperLength = 0;
    int16_t paperWidth = 0;
    int16_t copies = 1;
    int16_t defaultSource = 0; // bin code
    int16_t duplex = 1;        // 1 one-sided, 2 long edge, 3 short edge
    bool collate = false;
    QString formName; // at most 31 characters

    friend bool operator==(const DriverSettings &, const DriverSettings &) = default;
};

// A paper of the platform's table: its code, name and portrait size in
// tenths of a millimetre.
struct Paper
{
    int code = 0;
    QString name;
    int width = 0;
    int height = 0;
};

// A printer as the printing system names it.
struct PrinterEntry
{
    QString name;
    QString driver; // empty: none
    QString device; // the name the printing system knows the printer by
    QString port;   // empty: none
    bool isLocal = true;
};

// The papers and bins of one printer as its driver reports them, before the
// library puts them in order. Lists of one kind may differ in length.
struct DriverCapabilities
{
    QStringList paperNames;
    std::vector<int> paperCodes;
    // Tenths of a millimetre, portrait; one pair per paper.
    std::vector<int> paperWidths;
    std::vector<int> paperHeights;
    QStringList binNames;
    std::vector<int> binCodes;
    // How many copies the driver makes of a page by itself.
    int copies = 1;
};

// What a context tells of its device, in device pixels.
struct DeviceCaps
{
    int physicalOffsetX = 0;
    int physicalOffsetY = 0;
    int physicalWidth = 0;
    int physicalHeight = 0;
    int horzRes = 0;
    int vertRes = 0;
    int logPixelsX = 0;
    int logPixelsY = 0;
    bool isColor = true;
};

// A device context of a printer: an information context measures, a printing
// context also runs one job. Device (0, 0) is the printable corner.
class PrinterContext
{
public:
    virtual ~PrinterContext() = default;
    virtual DeviceCaps caps() const = 0;
    // The painter of the current page (between startPage and endPage), else
    // nullptr.
    virtual QPainter *painter() = 0;
    // A measurer of the device's own, or nullptr for the real fonts at the
    // device's resolution.
    virtual const gfx::TextMeasurer *measurer() const = 0;

    // False when the job cannot start, also on an information context or
    // during a job; outputFileName empty: the printer.
    virtual bool startDoc(const QString &documentName, const QString &outputFileName) = 0;
    virtual bool startPage() = 0;
    virtual bool endPage() = 0;
    // False when the job did not reach the printer.
    virtual bool endDoc() = 0;
    virtual void abortDoc() = 0;
    // New settings; during a job they hold from the next page on, the first
    // page too when it has not begun.
    virtual bool reset(const std::optional<DriverSettings> &settings) = 0;
};

class PrinterBackend
{
public:
    virtual ~PrinterBackend() = default;
    // The printers in the printing system's order; empty when there are none
    // or it cannot be asked.
    virtual std::vector<PrinterEntry> printers() = 0;
    // The device of the default printer; '' when there is none.
    virtual QString defaultDevice() = 0;
    virtual DriverCapabilities capabilities(const PrinterEntry &printer) = 0;
    // The driver's current settings; nullopt when it refuses.
    virtual std::optional<DriverSettings> driverSettings(const PrinterEntry &printer) = 0;
    // nullptr when no context can be made.
    virtual std::unique_ptr<PrinterContext>
    createContext(const PrinterEntry &printer, const std::optional<DriverSettings> &settings, bool printing) = 0;
};

// The backend in use: the one a scope put in place, else the one installed,
// else a printing system without printers.
PrinterBackend &printerBackend();
// The printing system of the process from now on (nullptr: none).
void installPrinterBackend(std::shared_ptr<PrinterBackend> backend);

using ScopedPrinterBackend = rtl::ScopedOverride<struct PrinterBackendTag, std::shared_ptr<PrinterBackend>>;

} // namespace print
