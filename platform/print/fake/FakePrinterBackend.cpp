#include "platform/print/fake/FakePrinterBackend.h"

#include <QPainter>

#include <algorithm>

namespace print {

// The context of a fake printer: its caps follow the printer's script and
// the paper and orientation of the settings in force.
class FakeContext : public PrinterContext
{
public:
    FakeContext(FakePrinterBackend &backend, const FakePrinterBackend::Printer &printer,
                const std::optional<DriverSettings> &settings, bool printing)
        : m_backend(backend)
        , m_printer(printer)
        , m_settings(settings)
        , m_printing(printing)
    {}
    ~FakeContext() override
    {
        if (m_painter.isActive())
            m_painter.end();
    }

    DeviceCaps caps() const override
    {
        DeviceCaps c;
        int width = 2100;
        int length = 2970;
        if (m_settings && m_settings->paperWidth > 0 && m_settings->paperLength > 0) {
            width = m_settings->paperWidth;
            length = m_settings->paperLength;
        }
        if (m_settings && m_settings->orientation == 2)
            std::swap(width, length);
        c.physicalWidth = int(int64_t(width) * m_printer.dpiX / 254);
        c.physicalHeight = int(int64_t(length) * m_printer.dpiY / 254);
        c.physicalOffsetX = m_printer.offsetX;
        c.physicalOffsetY = m_printer.offsetY;
        c.horzRes = c.physicalWidth - m_printer.offsetX - m_printer.unprintableRight;
        c.vertRes = c.physicalHeight - m_printer.offsetY - m_printer.unprintableBottom;
        c.logPixelsX = m_printer.dpiX;
        c.logPixelsY = m_printer.dpiY;
        c.isColor = m_printer.color;
        return c;
    }

    QPainter *painter() override { return m_painter.isActive() ? &m_painter : nullptr; }
    const gfx::TextMeasurer *measurer() const override { return m_backend.m_measurer; }

    bool startDoc(const QString &documentName, const QString &outputFileName) override
    {
        record("startDoc", documentName + QLatin1Char('|') + outputFileName);
        // An information context only measures; a context runs one job at
        // a time.
        if (!m_printing || m_inJob)
            return false;
        m_inJob = !m_printer.refuseJob;
        return m_inJob;
    }

    bool startPage() override
    {
        record("startPage");
        if (!m_inJob)
            return false;
        finishPage();
        const DeviceCaps c = caps();
        const int64_t pixels = int64_t(c.physicalWidth) * c.physicalHeight;
        const bool keep = m_backend.m_recordPages && pixels > 0 && pixels <= 16'000'000;
        m_page =
            keep ? QImage(c.physicalWidth, c.physicalHeight, QImage::Format_RGB32) : QImage(1, 1, QImage::Format_RGB32);
        m_page.fill(Qt::white);
        m_page.setDotsPerMeterX(qRound(m_printer.dpiX / 0.0254));
        m_page.setDotsPerMeterY(qRound(m_printer.dpiY / 0.0254));
        m_keep = keep;
        m_painter.begin(&m_page);
        m_painter.translate(c.physicalOffsetX, c.physicalOffsetY);
        return true;
    }

    bool endPage() override
    {
        record("endPage");
        finishPage();
        return true;
    }

    bool endDoc() override
    {
        record("endDoc");
        finishPage();
        // Nothing reaches the printer from a job that did not start or was
        // given up.
        const bool inJob = m_inJob;
        m_inJob = false;
        return inJob && !m_printer.loseJob;
    }

    void abortDoc() override
    {
        record("abortDoc");
        if (m_painter.isActive())
            m_painter.end();
        m_inJob = false;
    }

    bool reset(const std::optional<DriverSettings> &settings) override
    {
        record("reset");
        if (m_printer.refuseReset)
            return false;
        // Without settings nothing changes, as with a real driver.
        if (settings)
            m_settings = settings;
        return true;
    }

private:
    void record(const char *what, const QString &text = QString())
    {
        m_backend.record({QString::fromLatin1(what), m_printer.entry.device, m_settings, text});
    }

    void finishPage()
    {
        if (!m_painter.isActive())
            return;
        m_painter.end();
        m_backend.m_pages.push_back(m_keep ? m_page : QImage());
    }

    FakePrinterBackend &m_backend;
    const FakePrinterBackend::Printer &m_printer;
    std::optional<DriverSettings> m_settings;
    const bool m_printing;
    QImage m_page;
    QPainter m_painter;
    bool m_inJob = false;
    bool m_keep = false;
};

FakePrinterBackend::Printer &FakePrinterBackend::add(const QString &name)
{
    auto printer = std::make_unique<Printer>();
    printer->entry = PrinterEntry{name, QString(), name, QString(), true};
    DriverCapabilities &caps = printer->capabilities;
    caps.paperNames = {QStringLiteral("A4"), QStringLiteral("Letter")};
    caps.paperCodes = {9, 1};
    caps.paperWidths = {2100, 2159};
    caps.paperHeights = {2970, 2794};
    caps.binNames = {QStringLiteral("Default"), QStringLiteral("Tray 1")};
    caps.binCodes = {7, 257};
    caps.copies = 1;
    DriverSettings s;
    s.fields = DriverSettings::DM_ORIENTATION | DriverSettings::DM_PAPERSIZE | DriverSettings::DM_PAPERLENGTH |
               DriverSettings::DM_PAPERWIDTH | DriverSettings::DM_COPIES | DriverSettings::DM_DEFAULTSOURCE |
               DriverSettings::DM_DUPLEX;
    s.paperSize = 9;
    s.paperWidth = 2100;
    s.paperLength = 2970;
    s.defaultSource = 7;
    printer->settings = s;
    m_printers.push_back(std::move(printer));
    return *m_printers.back();
}

FakePrinterBackend::Printer *FakePrinterBackend::find(const QString &device)
{
    for (const auto &p : m_printers)
        if (p->entry.device == device)
            return p.get();
    return nullptr;
}

QString FakePrinterBackend::callNames() const
{
    QStringList names;
    for (const Call &call : m_calls)
        names << call.what;
    return names.join(QLatin1Char(' '));
}

void FakePrinterBackend::clearRecord()
{
    m_calls.clear();
    m_pages.clear();
}

std::vector<PrinterEntry> FakePrinterBackend::printers()
{
    std::vector<PrinterEntry> entries;
    for (const auto &p : m_printers)
        entries.push_back(p->entry);
    return entries;
}

DriverCapabilities FakePrinterBackend::capabilities(const PrinterEntry &printer)
{
    ++m_capabilityRequests;
    const Printer *p = find(printer.device);
    return p ? p->capabilities : DriverCapabilities{};
}

std::optional<DriverSettings> FakePrinterBackend::driverSettings(const PrinterEntry &printer)
{
    const Printer *p = find(printer.device);
    return p ? p->settings : std::nullopt;
}

std::unique_ptr<PrinterContext> FakePrinterBackend::createContext(const PrinterEntry &printer,
                                                                  const std::optional<DriverSettings> &settings,
                                                                  bool printing)
{
    const Printer *p = find(printer.device);
    m_calls.push_back({QStringLiteral("createContext"), printer.device, settings,
                       printing ? QStringLiteral("printing") : QStringLiteral("info")});
    if (!p || p->refuseContext)
        return nullptr;
    return std::make_unique<FakeContext>(*this, *p, settings, printing);
}

} // namespace print
