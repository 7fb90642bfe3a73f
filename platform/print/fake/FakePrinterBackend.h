#pragma once

// A printing system for tests: it offers exactly the printers a test
// scripts, with their papers, bins, resolution, offsets and colour, refuses
// what the test tells it to, and records every job call with the settings in
// force and every page as a picture.

#include "platform/print/PrinterBackend.h"

#include <QImage>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

namespace print {

class FakePrinterBackend : public PrinterBackend
{
public:
    struct Printer
    {
        PrinterEntry entry;
        DriverCapabilities capabilities;
        // nullopt: the driver refuses to give its settings.
        std::optional<DriverSettings> settings;
        int dpiX = 600;
        int dpiY = 600;
        // Device pixels.
        int offsetX = 0;
        int offsetY = 0;
        int unprintableRight = 0;
        int unprintableBottom = 0;
        bool color = true;
        bool refuseContext = false; // no context can be made
        bool refuseJob = false;     // a job cannot start
        bool loseJob = false;       // a job does not reach the printer
        bool refuseReset = false;   // new settings are not taken; the old ones hold
    };

    // One recorded call of a context: "createContext", "startDoc",
    // "startPage", "endPage", "endDoc", "abortDoc", "reset".
    struct Call
    {
        QString what;
        QString device;
        std::optional<DriverSettings> settings;
        QString text; // startDoc: document name and output file, joined by "|"
    };

    FakePrinterBackend() = default;

    // A printer named and known by `name` with A4 (9) and Letter (1), the
    // bins "Default" (7) and "Tray 1" (257), no driver copies and driver
    // settings of A4 portrait from bin 7.
    Printer &add(const QString &name);
    Printer *find(const QString &device);
    void setDefaultDevice(const QString &device) { m_default = device; }
    // Text measured by this one instead of the real fonts (not owned).
    void setMeasurer(const gfx::TextMeasurer *measurer) { m_measurer = measurer; }
    // Pages are kept as pictures of the whole sheet; too large a sheet keeps
    // a null picture.
    void setRecordPages(bool record) { m_recordPages = record; }

    const std::vector<Call> &calls() const { return m_calls; }
    // The calls' names in order, "startDoc startPage ...".
    QString callNames() const;
    const std::vector<QImage> &pages() const { return m_pages; }
    int capabilityRequests() const { return m_capabilityRequests; }
    void clearRecord();

    std::vector<PrinterEntry> printers() override;
    QString defaultDevice() override { return m_default; }
    DriverCapabilities capabilities(const PrinterEntry &printer) override;
    std::optional<DriverSettings> driverSettings(const PrinterEntry &printer) override;
    std::unique_ptr<PrinterContext>
    createContext(const PrinterEntry &printer, const std::optional<DriverSettings> &settings, bool printing) override;

private:
    friend class FakeContext;
    void record(Call call) { m_calls.push_back(std::move(call)); }

    std::vector<std::unique_ptr<Printer>> m_printers;
    QString m_default;
    const gfx::TextMeasurer *m_measurer = nullptr;
    bool m_recordPages = true;
    std::vector<Call> m_calls;
    std::vector<QImage> m_pages;
    int m_capabilityRequests = 0;
};

} // namespace print
