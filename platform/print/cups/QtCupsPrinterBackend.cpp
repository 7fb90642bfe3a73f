#include "platform/print/cups/QtCupsPrinterBackend.h"

#include "platform/rtl/AtomicSave.h"
#include "platform/rtl/FileDescriptor.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/LocalNames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPrintEngine>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>

#include <cups/cups.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace print {

const QString QtCupsPrinterBackend::PdfPrinterName = QStringLiteral("Print to File (PDF)");

namespace {

// The CUPS engine's list of extra job options (key, value, key, value...),
// the property Qt's own print dialog fills.
constexpr auto CupsOptionsProperty = QPrintEngine::PrintEnginePropertyKey(0xfe00);

constexpr int CustomCode = 256;
constexpr int FirstOwnCode = 257;
constexpr int AutoBin = 7;

int16_t clamp16(int64_t value)
{
    return int16_t(std::clamp<int64_t>(value, 0, std::numeric_limits<int16_t>::max()));
}

QString orNull(const QString &text)
{
    return text.isEmpty() ? QString() : text;
}

// Bin codes as the platform numbers its standard bins.
int binCodeOf(const QString &keyword)
{
    static const std::map<QString, int> codes = {
        {QStringLiteral("top"), 1},
        {QStringLiteral("bottom"), 2},
        {QStringLiteral("middle"), 3},
        {QStringLiteral("manual"), 4},
        {QStringLiteral("envelope"), 5},
        {QStringLiteral("auto"), AutoBin},
        {QStringLiteral("large-capacity"), 11},
    };
    const auto it = codes.find(keyword);
    return it == codes.end() ? 0 : it->second;
}

// "tray-1" as "Tray 1", for a server that offers no text of its own.
QString readableKeyword(const QString &keyword)
{
    QString text = keyword;
    text.replace(QLatin1Char('-'), QLatin1Char(' '));
    if (!text.isEmpty())
        text[0] = text[0].toUpper();
    return text;
}

QSize tenthsOf(const QPageSize &size)
{
    const QSizeF mm = size.size(QPageSize::Millimeter);
    return {qRound(mm.width() * 10), qRound(mm.height() * 10)};
}

int16_t duplexOf(QPrinter::DuplexMode mode)
{
    switch (mode) {
    case QPrinter::DuplexLongSide:
    case QPrinter::DuplexAuto: return 2;
    case QPrinter::DuplexShortSide: return 3;
    default: return 1;
    }
}

DriverSettings settingsFor(int code, const QSize &tenths)
{
    DriverSettings s;
    s.fields = DriverSettings::DM_ORIENTATION | DriverSettings::DM_PAPERSIZE | DriverSettings::DM_PAPERLENGTH |
               DriverSettings::DM_PAPERWIDTH | DriverSettings::DM_COPIES | DriverSettings::DM_DEFAULTSOURCE |
               DriverSettings::DM_DUPLEX | DriverSettings::DM_COLLATE;
    s.paperSize = clamp16(code);
    s.paperWidth = clamp16(tenths.width());
    s.paperLength = clamp16(tenths.height());
    s.defaultSource = AutoBin;
    return s;
}

// The media sources of a queue and its resolution, asked of the server.
void readDestination(const QString &device, QtCupsPrinterBackend::Queue &queue)
{
    const QByteArray name = device.toUtf8();
    cups_dest_t *dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, name.constData(), nullptr);
    if (!dest)
        return;
    cups_dinfo_t *info = cupsCopyDestInfo(CUPS_HTTP_DEFAULT, dest);
    if (info) {
        int next = FirstOwnCode;
        if (ipp_attribute_t *sources = cupsFindDestSupported(CUPS_HTTP_DEFAULT, dest, info, "media-source")) {
            for (int i = 0; i < ippGetCount(sources); ++i) {
                const char *value = ippGetString(sources, i, nullptr);
                if (!value)
                    continue;
                const QString keyword = QString::fromUtf8(value);
                int code = binCodeOf(keyword);
                if (code == 0 || queue.mediaSources.count(code))
                    code = next++;
                const char *text = cupsLocalizeDestValue(CUPS_HTTP_DEFAULT, dest, info, "media-source", value);
                QString label = text ? QString::fromUtf8(text) : keyword;
                if (label == keyword)
                    label = readableKeyword(keyword);
                queue.mediaSources[code] = keyword;
                queue.capabilities.binNames << label;
                queue.capabilities.binCodes.push_back(code);
            }
        }
        if (ipp_attribute_t *source = cupsFindDestDefault(CUPS_HTTP_DEFAULT, dest, info, "media-source")) {
            const QString keyword = QString::fromUtf8(ippGetString(source, 0, nullptr));
            for (const auto &[code, known] : queue.mediaSources)
                if (known == keyword)
                    queue.defaults.defaultSource = clamp16(code);
        }
        if (ipp_attribute_t *res = cupsFindDestDefault(CUPS_HTTP_DEFAULT, dest, info, "printer-resolution")) {
            int y = 0;
            ipp_res_t units = IPP_RES_PER_INCH;
            const int x = ippGetResolution(res, 0, &y, &units);
            const int dpi = units == IPP_RES_PER_CM ? qRound(x * 2.54) : x;
            if (dpi > 0)
                queue.dpi = dpi;
        }
        cupsFreeDestInfo(info);
    }
    cupsFreeDests(1, dest);
}

// Qt's PDF writer does not say when the disk refused its bytes: a file it
// finished has the cross-reference table where its last lines point.
bool isCompletePdf(int fd)
{
    struct stat st
    {};
    if (::fstat(fd, &st) != 0 || st.st_size < 32)
        return false;
    char tail[64] = {};
    const off_t tailSize = std::min<off_t>(st.st_size, off_t(sizeof tail - 1));
    if (::pread(fd, tail, size_t(tailSize), st.st_size - tailSize) != tailSize)
        return false;
    const char *at = std::strstr(tail, "startxref");
    if (!at || !std::strstr(at, "%%EOF"))
        return false;
    char *end = nullptr;
    const long long offset = std::strtoll(at + 9, &end, 10);
    if (end == at + 9 || offset < 0 || offset + 4 > st.st_size)
        return false;
    char xref[4] = {};
    return ::pread(fd, xref, 4, off_t(offset)) == 4 && std::memcmp(xref, "xref", 4) == 0;
}

// Why a file could not be completed, as far as can be told afterwards.
int incompleteFileError(const std::string &fileName, int fd)
{
    // A file-size limit (ulimit -f) stops the file where the limit is.
    struct rlimit limit
    {};
    struct stat st
    {};
    if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY && ::fstat(fd, &st) == 0 &&
        rlim_t(st.st_size) >= limit.rlim_cur)
        return EFBIG;
    struct statvfs fs
    {};
    const auto slash = fileName.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string(".") : fileName.substr(0, slash + 1);
    if (::statvfs(folder.c_str(), &fs) == 0 && fs.f_bavail == 0)
        return ENOSPC;
    return EIO;
}

// ---- The context of a printer ------------------------------------------------

class QtPrinterContext : public PrinterContext
{
public:
    QtPrinterContext(std::unique_ptr<QPrinter> printer, std::shared_ptr<const QtCupsPrinterBackend::Queue> queue,
                     bool printing)
        : m_printer(std::move(printer))
        , m_queue(std::move(queue))
        , m_printing(printing)
    {}
    ~QtPrinterContext() override
    {
        if (m_inJob)
            abortDoc();
    }

    DeviceCaps caps() const override
    {
        DeviceCaps c;
        const int dpi = m_printer->resolution();
        QPageLayout layout = m_printer->pageLayout();
        const QRect full = layout.fullRectPixels(dpi);
        layout.setUnits(QPageLayout::Point);
        const QMarginsF m = m_queue->pdf ? QMarginsF() : layout.minimumMargins();
        const auto px = [dpi](qreal points) { return qRound(points * dpi / 72.0); };
        c.physicalOffsetX = px(m.left());
        c.physicalOffsetY = px(m.top());
        c.physicalWidth = full.width();
        c.physicalHeight = full.height();
        c.horzRes = std::max(0, full.width() - c.physicalOffsetX - px(m.right()));
        c.vertRes = std::max(0, full.height() - c.physicalOffsetY - px(m.bottom()));
        c.logPixelsX = c.logPixelsY = dpi;
        c.isColor = m_printer->colorMode() == QPrinter::Color;
        return c;
    }

    QPainter *painter() override { return m_pageOpen && m_painter.isActive() ? &m_painter : nullptr; }
    const gfx::TextMeasurer *measurer() const override { return nullptr; }

    bool startDoc(const QString &documentName, const QString &outputFileName) override
    {
        // An information context only measures; a context runs one job at
        // a time.
        if (!m_printing || m_inJob)
            return false;
        m_printer->setDocName(documentName);
        if (m_queue->pdf) {
            m_printer->setOutputFileName(outputFileName.isEmpty() ? defaultFileName(documentName) : outputFileName);
        } else if (!outputFileName.isEmpty()) {
            m_printer->setOutputFileName(outputFileName);
        }
        if (m_printer->outputFormat() == QPrinter::PdfFormat && m_printer->outputFileName().isEmpty())
            return false;
        if (!openOutput())
            return false;
        // The painter begins with the first page, so that a change between
        // here and that page still holds for it.
        m_inJob = true;
        m_pages = 0;
        return true;
    }

    bool startPage() override
    {
        if (!m_inJob)
            return false;
        if (m_pages == 0 ? !beginPainting() : !m_printer->newPage())
            return false;
        ++m_pages;
        m_pageOpen = true;
        // Device (0, 0) is the printable corner, as on the platform.
        const DeviceCaps c = caps();
        m_painter.resetTransform();
        m_painter.translate(c.physicalOffsetX, c.physicalOffsetY);
        return true;
    }

    bool endPage() override
    {
        m_pageOpen = false;
        return m_inJob && m_painter.isActive();
    }

    bool endDoc() override
    {
        if (!m_inJob)
            return false;
        m_pageOpen = false;
        const bool spooled = isSpooled();
        if (m_pages == 0) {
            // A job without pages puts no empty sheet on a printer; a file
            // still gets its document, of one empty page, as Qt writes none
            // without a page.
            if (spooled) {
                m_inJob = false;
                return true;
            }
            if (!beginPainting())
                return false;
        }
        m_inJob = false;
        if (!m_painter.isActive()) {
            dropOutput();
            return false;
        }
        if (!m_painter.end()) {
            dropOutput();
            return false;
        }
        if (m_output.isOpen())
            return commitOutput();
        if (m_spool.valid())
            return commitSpool();
        // Qt hands the job to the server when the painter ends and does not
        // say whether the server took it.
        return !spooled || cupsLastError() <= IPP_STATUS_OK_EVENTS_COMPLETE;
    }

    void abortDoc() override
    {
        m_inJob = false;
        m_pageOpen = false;
        if (m_painter.isActive()) {
            // Qt cannot call a job off: ending the painter hands it to the
            // server all the same. It goes there held, and is cancelled
            // before it can print.
            const QString heldTitle = isSpooled() ? holdJob() : QString();
            m_printer->abort();
            m_painter.end();
            if (!heldTitle.isEmpty())
                cancelHeldJob(heldTitle);
        }
        dropOutput();
    }

    bool reset(const std::optional<DriverSettings> &settings) override
    {
        if (!settings)
            return true;
        if (!m_inJob) {
            QtCupsPrinterBackend::apply(*settings, *m_printer, *m_queue);
            return true;
        }
        // During a job only the page may change; it holds from the next page,
        // the first one included.
        QPrinter scratch(QPrinter::HighResolution);
        scratch.setOutputFormat(QPrinter::PdfFormat);
        scratch.setPageLayout(m_printer->pageLayout());
        QtCupsPrinterBackend::apply(*settings, scratch, *m_queue);
        // The printer itself gives the new paper its printable margins: an
        // envelope or an inkjet's Letter has wider ones than the paper
        // before, and a layout kept within the old ones is refused. The
        // turn comes first, as the margins depend on it.
        const QPageLayout wanted = scratch.pageLayout();
        m_printer->setPageOrientation(wanted.orientation());
        return m_printer->setPageSize(wanted.pageSize()) &&
               m_printer->pageLayout().orientation() == wanted.orientation();
    }

private:
    // A queue given a file writes the file itself (a PDF, whatever the name
    // says) and spools nothing.
    bool isSpooled() const
    {
        return m_printer->outputFormat() == QPrinter::NativeFormat && m_printer->outputFileName().isEmpty();
    }

    // Makes the job go to the server held; answers the title it goes under,
    // one of its own.
    QString holdJob()
    {
        static std::atomic<unsigned> serial{0};
        const QString title = QStringLiteral("zarvello-cancelled-%1-%2").arg(::getpid()).arg(++serial);
        QPrintEngine *engine = m_printer->printEngine();
        engine->setProperty(QPrintEngine::PPK_DocumentName, title);
        QStringList options = engine->property(CupsOptionsProperty).toStringList();
        options << QStringLiteral("job-hold-until") << QStringLiteral("indefinite");
        engine->setProperty(CupsOptionsProperty, options);
        return title;
    }

    void cancelHeldJob(const QString &title)
    {
        const QByteArray queue = m_printer->printerName().toUtf8();
        cups_job_t *jobs = nullptr;
        const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, queue.constData(), 1, CUPS_WHICHJOBS_ACTIVE);
        for (int i = 0; i < count; ++i)
            if (jobs[i].title && QString::fromUtf8(jobs[i].title) == title)
                cupsCancelJob2(CUPS_HTTP_DEFAULT, jobs[i].dest, jobs[i].id, 1);
        cupsFreeJobs(count, jobs);
    }

    // False, with errno, when the job's output cannot take the document; the
    // job is over then.
    bool beginPainting()
    {
        if (m_painter.begin(m_printer.get()))
            return true;
        const int error = errno;
        m_inJob = false;
        dropOutput();
        errno = error;
        return false;
    }

    // A job's file is written beside its name and takes its place only when
    // the job is complete, so that a failed, cancelled or killed job leaves
    // an earlier file as it was. A device or a pipe there is written as is.
    bool openOutput()
    {
        m_output.discard();
        dropSpool();
        const QString target = m_printer->outputFileName();
        if (target.isEmpty())
            return true;
        m_target = target;
        const std::string name = QFile::encodeName(target).toStdString();
        struct stat st
        {};
        if (::stat(name.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode))
            return openSpool();
        if (const rtl::SaveResult result =
                m_output.open(name, {.existing = rtl::ExistingFile::Update, .removeLeftovers = true});
            !result) {
            errno = result.error;
            return false;
        }
        m_printer->setOutputFileName(QFile::decodeName(QByteArray::fromStdString(m_output.temporaryName())));
        return true;
    }

    // Qt's writer neither checks its last flush nor says that a device
    // refused its bytes: the job goes to a file of its own first, is checked
    // there, and reaches the device in writes that each say whether it took
    // them.
    bool openSpool()
    {
        const QString folder = rtl::temporaryFolder();
        if (folder.isEmpty()) {
            errno = EILSEQ;
            return false;
        }
        QByteArray name = QFile::encodeName(folder) + "/zarvello-print-XXXXXX";
        m_spool = rtl::FileDescriptor(::mkostemp(name.data(), O_CLOEXEC));
        if (!m_spool.valid())
            return false;
        m_spoolName = name.toStdString();
        m_printer->setOutputFileName(QFile::decodeName(name));
        return true;
    }

    void dropSpool()
    {
        if (!m_spool.valid())
            return;
        m_spool.close();
        ::unlink(m_spoolName.c_str());
        m_printer->setOutputFileName(m_target);
    }

    bool commitSpool()
    {
        const int error = deliverSpool();
        dropSpool();
        errno = error;
        return error == 0;
    }

    // 0, or why the device did not get the whole file.
    int deliverSpool()
    {
        if (!isCompletePdf(m_spool.get()))
            return incompleteFileError(m_spoolName, m_spool.get());
        rtl::AtomicFile device;
        if (const rtl::SaveResult opened =
                device.open(QFile::encodeName(m_target).toStdString(), {.existing = rtl::ExistingFile::Update});
            !opened)
            return opened.error;
        char buffer[65536];
        for (off_t at = 0;;) {
            const ssize_t n = ::pread(m_spool.get(), buffer, sizeof buffer, at);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                return errno;
            if (n == 0)
                break;
            if (const rtl::SaveResult written = device.write(buffer, size_t(n)); !written)
                return written.error;
            at += n;
        }
        const rtl::SaveResult committed = device.commit();
        return committed ? 0 : committed.error;
    }

    void dropOutput()
    {
        dropSpool();
        if (!m_output.isOpen())
            return;
        m_output.discard();
        m_printer->setOutputFileName(m_target);
    }

    bool commitOutput()
    {
        m_printer->setOutputFileName(m_target);
        if (!isCompletePdf(m_output.handle())) {
            const int error = incompleteFileError(m_output.fileName(), m_output.handle());
            m_output.discard();
            errno = error;
            return false;
        }
        const rtl::SaveResult result = m_output.commit();
        errno = result.error;
        return bool(result);
    }

    // "<document name or Report>.pdf" in the documents folder, numbered
    // rather than written over a file that is there.
    static QString defaultFileName(const QString &documentName)
    {
        QString base = documentName.trimmed().isEmpty() ? QStringLiteral("Report") : documentName.trimmed();
        base.replace(QLatin1Char('/'), QLatin1Char('_'));
        // Named by HOME and XDG_CONFIG_HOME, decoded: bytes that are no UTF-8
        // name another folder.
        if (!rtl::environmentDecodesFaithfully("HOME") || !rtl::environmentDecodesFaithfully("XDG_CONFIG_HOME"))
            return QString();
        QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        if (folder.isEmpty())
            folder = QDir::homePath();
        QDir().mkpath(folder);
        const QDir dir(folder);
        QString name = dir.filePath(base + QStringLiteral(".pdf"));
        for (int n = 2; QFileInfo::exists(name); ++n)
            name = dir.filePath(QStringLiteral("%1 (%2).pdf").arg(base).arg(n));
        return name;
    }

    std::unique_ptr<QPrinter> m_printer;
    std::shared_ptr<const QtCupsPrinterBackend::Queue> m_queue;
    const bool m_printing;
    QPainter m_painter;
    bool m_inJob = false;    // between startDoc and endDoc
    bool m_pageOpen = false; // between startPage and endPage
    int m_pages = 0;
    rtl::AtomicFile m_output;
    rtl::FileDescriptor m_spool;
    std::string m_spoolName;
    QString m_target;
};

} // namespace

QtCupsPrinterBackend::QtCupsPrinterBackend(std::vector<Paper> pdfPapers)
    : m_pdfPapers(std::move(pdfPapers))
{}
QtCupsPrinterBackend::~QtCupsPrinterBackend() = default;

std::vector<PrinterEntry> QtCupsPrinterBackend::printers()
{
    {
        std::lock_guard lock(m_mutex);
        m_queues.clear();
    }
    std::vector<PrinterEntry> entries;
    for (const QPrinterInfo &info : QPrinterInfo::availablePrinters())
        entries.push_back(PrinterEntry{info.printerName(), orNull(info.makeAndModel()), info.printerName(),
                                       orNull(info.location()), !info.isRemote()});
    entries.push_back(PrinterEntry{PdfPrinterName, QString(), PdfPrinterName, QString(), true});
    return entries;
}

QString QtCupsPrinterBackend::defaultDevice()
{
    return QPrinterInfo::defaultPrinterName();
}

std::shared_ptr<QtCupsPrinterBackend::Queue> QtCupsPrinterBackend::readQueue(const QString &device) const
{
    auto queue = std::make_shared<Queue>();
    DriverCapabilities &caps = queue->capabilities;
    if (device == PdfPrinterName) {
        queue->pdf = true;
        queue->exists = true;
        for (const Paper &paper : m_pdfPapers) {
            if (paper.code <= 0 || paper.code >= CustomCode || paper.width <= 0 || paper.height <= 0)
                continue;
            // The file gets the size the program measures with, also where
            // Qt's paper of that code differs (JIS B4, the "Extra" papers).
            queue->pageSizes.emplace(paper.code, QPageSize(QSizeF(paper.width / 10.0, paper.height / 10.0),
                                                           QPageSize::Millimeter, QString(), QPageSize::ExactMatch));
            caps.paperNames << paper.name;
            caps.paperCodes.push_back(paper.code);
            caps.paperWidths.push_back(paper.width);
            caps.paperHeights.push_back(paper.height);
        }
        caps.paperNames << QStringLiteral("Custom");
        caps.paperCodes.push_back(CustomCode);
        caps.binNames << QStringLiteral("Default");
        caps.binCodes.push_back(AutoBin);
        caps.copies = 1;
        const bool letter = rtl::FormatSettings().DecimalSeparator == QLatin1Char('.');
        const int code = letter ? 1 : 9;
        QSize tenths = letter ? QSize(2159, 2794) : QSize(2100, 2970);
        for (const Paper &paper : m_pdfPapers)
            if (paper.code == code)
                tenths = QSize(paper.width, paper.height);
        queue->defaults = settingsFor(code, tenths);
        return queue;
    }

    const QPrinterInfo info = QPrinterInfo::printerInfo(device);
    if (info.isNull())
        return queue;
    queue->exists = true;
    int next = FirstOwnCode;
    for (const QPageSize &size : info.supportedPageSizes()) {
        int code = size.windowsId();
        if (code == 0 || code == CustomCode || queue->pageSizes.count(code))
            code = next++;
        const QSize tenths = tenthsOf(size);
        queue->pageSizes.emplace(code, size);
        caps.paperNames << size.name();
        caps.paperCodes.push_back(code);
        caps.paperWidths.push_back(tenths.width());
        caps.paperHeights.push_back(tenths.height());
    }
    const QList<int> resolutions = info.supportedResolutions();
    if (!resolutions.isEmpty())
        queue->dpi = resolutions.first();
    QPageSize defaultSize = info.defaultPageSize();
    int defaultCode = CustomCode;
    for (const auto &[code, size] : queue->pageSizes)
        if (size.isEquivalentTo(defaultSize)) {
            defaultCode = code;
            break;
        }
    queue->defaults = settingsFor(defaultCode, tenthsOf(defaultSize));
    queue->defaults.duplex = duplexOf(info.defaultDuplexMode());
    readDestination(device, *queue);
    caps.copies = QPrinter(info).supportsMultipleCopies() ? 9999 : 1;
    return queue;
}

std::shared_ptr<const QtCupsPrinterBackend::Queue> QtCupsPrinterBackend::queue(const QString &device)
{
    {
        std::lock_guard lock(m_mutex);
        if (const auto it = m_queues.find(device); it != m_queues.end())
            return it->second;
    }
    std::shared_ptr<const Queue> made = readQueue(device);
    std::lock_guard lock(m_mutex);
    return m_queues.emplace(device, std::move(made)).first->second;
}

DriverCapabilities QtCupsPrinterBackend::capabilities(const PrinterEntry &printer)
{
    return queue(printer.device)->capabilities;
}

std::optional<DriverSettings> QtCupsPrinterBackend::driverSettings(const PrinterEntry &printer)
{
    const std::shared_ptr<const Queue> q = queue(printer.device);
    if (!q->exists)
        return std::nullopt;
    return q->defaults;
}

std::unique_ptr<QPrinter> QtCupsPrinterBackend::makePrinter(const PrinterEntry &printer,
                                                            const std::optional<DriverSettings> &settings)
{
    const std::shared_ptr<const Queue> q = queue(printer.device);
    if (!q->exists)
        return nullptr;
    auto p = std::make_unique<QPrinter>(QPrinter::HighResolution);
    if (q->pdf) {
        p->setOutputFormat(QPrinter::PdfFormat);
    } else {
        p->setPrinterName(printer.device);
        // Qt turns to a PDF without a file when the server does not know the queue.
        if (p->outputFormat() != QPrinter::NativeFormat || p->printerName() != printer.device)
            return nullptr;
    }
    // Qt reports its own high resolution, not the queue's.
    p->setResolution(q->dpi);
    p->setFullPage(true);
    if (q->pdf)
        p->setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    apply(settings ? *settings : q->defaults, *p, *q);
    return p;
}

std::unique_ptr<PrinterContext> QtCupsPrinterBackend::createContext(const PrinterEntry &printer,
                                                                    const std::optional<DriverSettings> &settings,
                                                                    bool printing)
{
    std::unique_ptr<QPrinter> p = makePrinter(printer, settings);
    if (!p)
        return nullptr;
    return std::make_unique<QtPrinterContext>(std::move(p), queue(printer.device), printing);
}

void QtCupsPrinterBackend::apply(const DriverSettings &s, QPrinter &printer, const Queue &queue)
{
    const bool custom = s.paperSize == CustomCode ||
                        ((s.fields & DriverSettings::DM_PAPERLENGTH) && (s.fields & DriverSettings::DM_PAPERWIDTH) &&
                         !queue.pageSizes.count(s.paperSize) && QPageSize::id(int(s.paperSize)) == QPageSize::Custom);
    if (custom && s.paperWidth > 0 && s.paperLength > 0) {
        printer.setPageSize(QPageSize(QSizeF(s.paperWidth / 10.0, s.paperLength / 10.0), QPageSize::Millimeter,
                                      QStringLiteral("Custom"), QPageSize::ExactMatch));
    } else if (s.fields & DriverSettings::DM_PAPERSIZE) {
        if (const auto it = queue.pageSizes.find(s.paperSize); it != queue.pageSizes.end())
            printer.setPageSize(it->second);
        else if (const QPageSize::PageSizeId id = QPageSize::id(int(s.paperSize)); id != QPageSize::Custom)
            printer.setPageSize(QPageSize(id));
    }
    if (s.fields & DriverSettings::DM_ORIENTATION)
        printer.setPageOrientation(s.orientation == 2 ? QPageLayout::Landscape : QPageLayout::Portrait);
    if (s.fields & DriverSettings::DM_COPIES)
        printer.setCopyCount(std::max<int>(1, s.copies));
    printer.setCollateCopies((s.fields & DriverSettings::DM_COLLATE) && s.collate);
    if (s.fields & DriverSettings::DM_DUPLEX)
        printer.setDuplex(s.duplex == 2   ? QPrinter::DuplexLongSide
                          : s.duplex == 3 ? QPrinter::DuplexShortSide
                                          : QPrinter::DuplexNone);
    if (!queue.pdf && printer.outputFormat() == QPrinter::NativeFormat) {
        QStringList options;
        if (s.fields & DriverSettings::DM_DEFAULTSOURCE)
            if (const auto it = queue.mediaSources.find(s.defaultSource); it != queue.mediaSources.end())
                options << QStringLiteral("media-source") << it->second;
        printer.printEngine()->setProperty(CupsOptionsProperty, options);
    }
}

DriverSettings QtCupsPrinterBackend::readBack(const QPrinter &printer, const Queue &queue,
                                              const DriverSettings &previous)
{
    DriverSettings s = previous;
    const QPageLayout layout = printer.pageLayout();
    const QPageSize size = layout.pageSize();
    const QSize tenths = tenthsOf(size);
    int code = CustomCode;
    for (const auto &[known, knownSize] : queue.pageSizes)
        if (knownSize.isEquivalentTo(size)) {
            code = known;
            break;
        }
    if (code == CustomCode && size.windowsId() > 0 && size.windowsId() < CustomCode)
        code = size.windowsId();
    s.fields |= DriverSettings::DM_ORIENTATION | DriverSettings::DM_PAPERSIZE | DriverSettings::DM_COPIES |
                DriverSettings::DM_DUPLEX | DriverSettings::DM_PAPERLENGTH | DriverSettings::DM_PAPERWIDTH;
    s.paperSize = clamp16(code);
    s.paperWidth = clamp16(tenths.width());
    s.paperLength = clamp16(tenths.height());
    s.orientation = layout.orientation() == QPageLayout::Landscape ? 2 : 1;
    s.copies = clamp16(printer.copyCount());
    s.duplex = duplexOf(printer.duplex());
    return s;
}

} // namespace print
