#pragma once

// The printers of the machine through Qt's printing support on CUPS: the
// queues in the server's order, then a printer that writes PDF files. Bins
// come from the queue's media sources, asked of CUPS directly; jobs run on a
// QPrinter with one painter, begun with the job's first page.
//
// Installed by the program at start-up:
//     print::installPrinterBackend(std::make_shared<print::QtCupsPrinterBackend>(papers));

#include "platform/print/PrinterBackend.h"

#include <QPageSize>

#include <map>
#include <memory>
#include <mutex>

class QPrinter;

namespace print {

class QtCupsPrinterBackend : public PrinterBackend
{
public:
    // The pseudo-printer after the queues, as the platform's print dialog
    // offers it.
    static const QString PdfPrinterName;

    // pdfPapers: what the PDF printer offers, from the table the program
    // measures with, so that a file gets the size it was laid out for.
    explicit QtCupsPrinterBackend(std::vector<Paper> pdfPapers);
    ~QtCupsPrinterBackend() override;

    std::vector<PrinterEntry> printers() override;
    QString defaultDevice() override;
    DriverCapabilities capabilities(const PrinterEntry &printer) override;
    std::optional<DriverSettings> driverSettings(const PrinterEntry &printer) override;
    std::unique_ptr<PrinterContext>
    createContext(const PrinterEntry &printer, const std::optional<DriverSettings> &settings, bool printing) override;

    // What the library knows of one printer beyond its capabilities: which
    // page size and media source each code stands for, and its resolution.
    struct Queue
    {
        bool pdf = false;
        bool exists = false;
        std::map<int, QPageSize> pageSizes;
        std::map<int, QString> mediaSources;
        DriverCapabilities capabilities;
        DriverSettings defaults;
        int dpi = 300;
    };
    std::shared_ptr<const Queue> queue(const QString &device);

    // A QPrinter for the printer with the settings applied; nullptr when Qt
    // does not know the queue (it would print into a PDF without a file).
    std::unique_ptr<QPrinter> makePrinter(const PrinterEntry &printer, const std::optional<DriverSettings> &settings);
    // Settings onto a printer: paper, orientation, copies, collation, duplex
    // and, on a queue, the media source.
    static void apply(const DriverSettings &settings, QPrinter &printer, const Queue &queue);
    // A printer's settings after a dialog changed it.
    static DriverSettings readBack(const QPrinter &printer, const Queue &queue, const DriverSettings &previous);

private:
    std::shared_ptr<Queue> readQueue(const QString &device) const;

    std::vector<Paper> m_pdfPapers;
    std::mutex m_mutex;
    std::map<QString, std::shared_ptr<const Queue>> m_queues;
};

} // namespace print
