#include "report/model/printing/Printer.h"

#include "report/model/base/Exceptions.h"
#include "report/model/printing/PrinterList.h"
#include "report/model/printing/PrinterSetup.h"

#include "platform/rtl/Rounding.h"

#include <QPainter>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>

namespace report {

namespace {

// The screen as a context: it measures at the screen's resolution and has
// no paper.
class ScreenContext : public PrinterContext
{
public:
    DeviceCaps caps() const override
    {
        DeviceCaps c;
        c.logPixelsX = c.logPixelsY = ppScreenPixelsPerInch();
        return c;
    }
    QPainter *painter() override { return nullptr; }
    const gfx::TextMeasurer *measurer() const override { return nullptr; }
    bool startDoc(const QString &, const QString &) override { return false; }
    bool startPage() override { return false; }
    bool endPage() override { return false; }
    bool endDoc() override { return false; }
    void abortDoc() override {}
    bool reset(const std::optional<DriverSettings> &) override { return true; }
};

PrinterPropertiesDialog &installedPropertiesDialog()
{
    static PrinterPropertiesDialog dialog;
    return dialog;
}

int16_t toInt16(int64_t value)
{
    return int16_t(
        std::clamp<int64_t>(value, std::numeric_limits<int16_t>::min(), std::numeric_limits<int16_t>::max()));
}

} // namespace

void ppSetPrinterPropertiesDialog(PrinterPropertiesDialog aDialog)
{
    installedPropertiesDialog() = std::move(aDialog);
}

// ---- TppPrinterCanvas --------------------------------------------------------

TppPrinterCanvas::TppPrinterCanvas(TppCustomPrinter &aPrinter)
    : m_printer(aPrinter)
{}

TppPrinterCanvas::~TppPrinterCanvas()
{
    // The canvas paints on the measuring surface and asks the measurer, both
    // declared after it: it must end its painter before they go.
    m_canvas.reset();
}

gfx::Canvas &TppPrinterCanvas::Canvas()
{
    if (!m_canvas)
        createHandle();
    else
        Changing();
    return *m_canvas;
}

void TppPrinterCanvas::Changing()
{
    if (!m_canvas || m_canvas->font() == m_fittedFont)
        return;
    const gfx::Font &font = m_canvas->font();
    if (font.height != 0 && font.height != m_fittedFont.height)
        m_fontPixelsPerInch = ppScreenPixelsPerInch();
    UpdateFont();
}

void TppPrinterCanvas::Refresh()
{
    if (m_canvas) {
        m_font = m_canvas->font();
        m_pen = m_canvas->pen();
        m_brush = m_canvas->brush();
    }
    m_canvas.reset();
}

void TppPrinterCanvas::createHandle()
{
    PrinterContext *dc = m_printer.GetDC();
    const DeviceCaps caps = dc ? dc->caps() : DeviceCaps{};
    const int dpiX = caps.logPixelsX > 0 ? caps.logPixelsX : ppScreenPixelsPerInch();
    const int dpiY = caps.logPixelsY > 0 ? caps.logPixelsY : ppScreenPixelsPerInch();
    const gfx::TextMeasurer *measurer = dc ? dc->measurer() : nullptr;
    if (!measurer) {
        // Kept from page to page, with the fonts it has measured.
        if (!m_measurer || m_measurer->dpiY() != dpiY)
            m_measurer = std::make_unique<gfx::QtTextMeasurer>(dpiY);
        measurer = m_measurer.get();
    }
    if (QPainter *painter = dc ? dc->painter() : nullptr) {
        m_canvas = std::make_unique<gfx::Canvas>(*painter, measurer);
    } else {
        // Outside a page the canvas only measures.
        m_surface = QImage(1, 1, QImage::Format_RGB32);
        m_surface.setDotsPerMeterX(qRound(dpiX / 0.0254));
        m_surface.setDotsPerMeterY(qRound(dpiY / 0.0254));
        m_canvas = std::make_unique<gfx::Canvas>(&m_surface, measurer);
    }
    // Paper is white whatever the desktop's colours: a dark palette's light
    // window text would print near-white.
    m_canvas->setSystemColors(rtl::SystemColors::classic());
    m_canvas->setFont(m_font);
    m_canvas->setPen(m_pen);
    m_canvas->setBrush(m_brush);
    // Drawing code keeps the canvas and sets fonts on it directly; each
    // drawing operation fits what was set since the last one.
    m_canvas->setChangingHook([this] { Changing(); });
    UpdateFont();
}

void TppPrinterCanvas::UpdateFont()
{
    if (!m_canvas)
        return;
    gfx::Font font = m_canvas->font();
    const int ppi = m_printer.GetPixelsPerInch(TppAxisType::atVertical);
    if (m_fontPixelsPerInch != ppi) {
        if (font.height != 0 && m_fontPixelsPerInch > 0) {
            font.size = rtl::MulDiv(std::abs(font.height), 72, m_fontPixelsPerInch);
            font.height = 0;
        }
        m_fontPixelsPerInch = ppi;
    }
    if (!m_printer.IsColor() && font.color != rtl::clBlack && font.color != rtl::TColor(0xFFFFFF))
        font.color = rtl::clBlack;
    m_canvas->setFont(font);
    m_fittedFont = font;
}

// ---- TppCustomPrinter --------------------------------------------------------

TppCustomPrinter::TppCustomPrinter() = default;

TppCustomPrinter::~TppCustomPrinter()
{
    // The canvas paints through the context's painter.
    m_canvas.reset();
    if (m_printing && m_dc)
        m_dc->abortDoc();
    m_dc.reset();
}

TppPrinterCanvas *TppCustomPrinter::Canvas()
{
    if (!m_canvas)
        m_canvas = std::make_unique<TppPrinterCanvas>(*this);
    return m_canvas.get();
}

void TppCustomPrinter::freeDC()
{
    if (m_canvas)
        m_canvas->Refresh();
    m_dc.reset();
}

void TppCustomPrinter::readCaps()
{
    m_caps = m_dc ? m_dc->caps() : DeviceCaps{};
}

TppPrinterInfo *TppCustomPrinter::PrinterInfo() const
{
    if (!m_printerInfo)
        m_printerInfo = ppHoldPrinterInfo(ppGetPrinterList()->PrinterByName(m_printerName));
    return m_printerInfo.get();
}

PrinterContext *TppCustomPrinter::GetDC()
{
    if (m_dc)
        return m_dc.get();
    TppPrinterInfo *info = PrinterInfo();
    if (!info || !info->IsValid())
        return nullptr;
    if (info->IsScreen()) {
        if (m_printing)
            throw EPrintError(QStringLiteral("Screen printer does not support printing."));
        m_dc = std::make_unique<ScreenContext>();
    } else {
        m_dc = print::printerBackend().createContext(info->Entry(), DevMode(), m_printing);
    }
    if (!m_dc) {
        info->SetIsValid(false);
        if (!m_printing && m_printerName != ScreenName) {
            SetPrinterName(ScreenName);
            return GetDC();
        }
        return nullptr;
    }
    readCaps();
    if (m_canvas)
        m_canvas->Refresh();
    return m_dc.get();
}

int TppCustomPrinter::GetPixelsPerInch(TppAxisType aAxis)
{
    if (!GetDC())
        return ppScreenPixelsPerInch();
    const int ppi = aAxis == TppAxisType::atHorizontal ? m_caps.logPixelsX : m_caps.logPixelsY;
    return ppi > 0 ? ppi : ppScreenPixelsPerInch();
}

int TppCustomPrinter::pixelsPerInch(TppAxisType axis) const
{
    return const_cast<TppCustomPrinter *>(this)->GetPixelsPerInch(axis);
}

rtl::TRect TppCustomPrinter::GetPrinterMargins()
{
    GetDC();
    const int right = m_caps.physicalWidth - m_caps.physicalOffsetX - m_caps.horzRes;
    const int bottom = m_caps.physicalHeight - m_caps.physicalOffsetY - m_caps.vertRes;
    return rtl::TRect{m_caps.physicalOffsetX, m_caps.physicalOffsetY, right, bottom};
}

bool TppCustomPrinter::IsColor()
{
    GetDC();
    return m_caps.isColor;
}

const std::optional<DriverSettings> &TppCustomPrinter::DevMode()
{
    if (!m_devModeMade) {
        m_devModeMade = true;
        if (PrinterInfo() && !m_printerInfo->IsScreen())
            m_devMode = print::printerBackend().driverSettings(m_printerInfo->Entry());
        if (m_devMode)
            m_defaultSource = m_devMode->defaultSource;
    }
    return m_devMode;
}

int16_t TppCustomPrinter::DefaultSource()
{
    DevMode();
    return m_defaultSource;
}

void TppCustomPrinter::SetDevMode(const std::optional<DriverSettings> &aDevMode)
{
    if (m_printing)
        m_resetPending = true;
    else
        freeDC();
    m_devMode = aDevMode;
    m_devModeMade = true;
    m_devModeAssigned = true;
}

void TppCustomPrinter::SetPrinterName(const QString &aName)
{
    if (m_printing)
        return;
    TppPrinterList *list = ppGetPrinterList();
    QString name = aName;
    if (name == DefaultName)
        list->GetDefaultPrinterName(name);
    TppPrinterInfo *info = list->PrinterByName(name);
    if (!info || !info->IsValid())
        info = list->PrinterByName(ScreenName);
    if (info == PrinterInfo() && m_printerName == (info ? info->Name() : m_printerName))
        return;
    freeDC();
    m_devMode.reset();
    m_devModeMade = false;
    m_devModeAssigned = false;
    m_defaultSource = 0;
    m_printerInfo = ppHoldPrinterInfo(info);
    if (info)
        m_printerName = info->Name();
}

bool TppCustomPrinter::ShowProperties()
{
    PrinterPropertiesDialog dialog = ScopedPrinterPropertiesDialog::valueOr(installedPropertiesDialog());
    if (!dialog)
        return false;
    std::optional<DriverSettings> copy = DevModeCopy();
    if (!dialog(*this, copy))
        return false;
    SetDevMode(copy);
    if (OnDevModeChange)
        OnDevModeChange(this);
    return true;
}

// ---- Job calls ---------------------------------------------------------------

namespace {

// A job into a file fails for the file system's reason (a full disk), which
// the printer context leaves in errno; a printer's own refusals carry none
// worth showing.
QString printerFileReason(const QString &aOutputFileName, int aError)
{
    if (aOutputFileName.isEmpty() || aError == 0)
        return QString();
    return QStringLiteral(": ") + aOutputFileName + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(aError));
}

} // namespace

void TppCustomPrinter::BeginDoc()
{
    if (m_printing)
        return;
    m_printing = true;
    m_aborted = false;
    m_pageNumber = 0;
    m_pageStarted = false;
    freeDC();
    // A job that cannot start leaves the printer as it was, not printing.
    try {
        ResetDC();
        PrinterContext *dc = GetDC();
        errno = 0;
        if (!dc || !dc->startDoc(m_documentName, m_outputFileName)) {
            throw EPrintError(QStringLiteral("Printing on \"%1\" could not start%2.")
                                  .arg(m_printerName, printerFileReason(m_outputFileName, errno)));
        }
    } catch (...) {
        freeDC();
        m_printing = false;
        throw;
    }
}

void TppCustomPrinter::StartPage()
{
    if (!m_printing || m_pageStarted)
        return;
    m_pageStarted = true;
    if (m_resetPending)
        ResetDC();
    PrinterContext *dc = GetDC();
    errno = 0;
    if (dc && !dc->startPage())
        throw EPrintError(QStringLiteral("Printing on \"%1\" could not start page %2%3.")
                              .arg(m_printerName)
                              .arg(m_pageNumber + 1)
                              .arg(printerFileReason(m_outputFileName, errno)));
    ++m_pageNumber;
    if (m_canvas)
        m_canvas->Refresh();
}

void TppCustomPrinter::EndPage()
{
    if (!m_printing || !m_pageStarted)
        return;
    m_pageStarted = false;
    if (m_canvas)
        m_canvas->Refresh();
    if (m_dc)
        m_dc->endPage();
}

void TppCustomPrinter::EndDoc()
{
    if (!m_printing)
        return;
    EndPage();
    bool reached = true;
    int error = 0;
    if (m_dc) {
        if (m_canvas)
            m_canvas->Refresh();
        if (m_aborted) {
            m_dc->abortDoc();
        } else {
            errno = 0;
            reached = m_dc->endDoc();
            error = errno;
        }
    }
    freeDC();
    m_printing = false;
    m_pageStarted = false;
    m_aborted = false;
    m_pageNumber = 0;
    if (!reached)
        throw EPrintError(QStringLiteral("The document \"%1\" did not reach the printer \"%2\"%3.")
                              .arg(m_documentName, m_printerName, printerFileReason(m_outputFileName, error)));
}

void TppCustomPrinter::ResetDC()
{
    if (!m_printing)
        return;
    m_resetPending = false;
    if (m_canvas)
        m_canvas->Refresh();
    PrinterContext *dc = GetDC();
    if (!dc)
        return;
    // A driver that keeps its old settings would put the next pages on the
    // paper and in the orientation of the ones before, and the job would end
    // as if all were well.
    if (!dc->reset(DevMode()))
        throw EPrintError(QStringLiteral("Printing on \"%1\" could not take the settings of page %2.")
                              .arg(m_printerName)
                              .arg(m_pageNumber + 1));
    readCaps();
    if (m_canvas)
        m_canvas->UpdateFont();
}

// ---- TppPrinter --------------------------------------------------------------

TppPrinter::TppPrinter()
    : m_printerSetup(std::make_unique<TppPrinterSetup>(nullptr))
{
    m_printerSetup->OnGetPrinter.Set([this](classes::TObject *, TppCustomPrinter *&aPrinter) { aPrinter = this; });
    m_printerSetup->OnPageDefChange.Set([this](classes::TObject *) { WriteDevMode(); });
    m_printerSetup->OnChange.Set([this](classes::TObject *) { WriteDevMode(); });
}

TppPrinter::~TppPrinter() = default;

void TppPrinter::SetPrinterSetup(const TppPrinterSetup *aSetup)
{
    if (!aSetup)
        return;
    // The own setup describes the driver settings only once it was written
    // into them: until then they hold the queue's defaults, whose paper may
    // well differ from a setup that equals the one the printer was made with.
    if (DevModeAssigned() && PrinterInfo() && PrinterInfo()->Name() == aSetup->PrinterDescription() &&
        m_printerSetup->IsEqual(*aSetup))
        return;
    if (!Printing() && m_printerSetup->PrinterName() != aSetup->PrinterName())
        m_printerSetup->SetPrinterName(aSetup->PrinterName());
    m_printerSetup->SetActive(false);
    m_printerSetup->Assign(aSetup);
    WriteDevMode();
    m_printerSetup->SetActive(true);
}

void TppPrinter::WriteDevMode()
{
    TppPrinterSetup &setup = *m_printerSetup;
    const bool wasActive = setup.Active();
    setup.SetActive(false);
    SetPrinterName(setup.PrinterName());
    SetDocumentName(setup.DocumentName());
    SetOutputFileName(setup.OutputFileName());
    std::optional<DriverSettings> dm = DevModeCopy();
    if (!dm) {
        setup.SetActive(wasActive);
        return;
    }
    dm->fields = DriverSettings::DM_ORIENTATION | DriverSettings::DM_PAPERSIZE | DriverSettings::DM_COPIES |
                 DriverSettings::DM_DUPLEX;
    dm->copies = setup.CopiesByDriver() && !setup.Collation() ? toInt16(setup.Copies()) : 1;
    dm->duplex = int16_t(int(setup.Duplex()) + 1);
    dm->orientation = int16_t(int(setup.Orientation()) + 1);
    // The code comes from the resolved name: a setup that still stores
    // "Custom" while its size is a listed paper prints on that paper, not on
    // a custom size without dimensions.
    const QString paperName = setup.PaperName();
    dm->paperSize = toInt16(setup.PaperCode());
    if (paperName == QLatin1String("Custom")) {
        dm->fields |= DriverSettings::DM_PAPERLENGTH | DriverSettings::DM_PAPERWIDTH;
        const bool landscape = setup.Orientation() == classes::TPrinterOrientation::poLandscape;
        const float width = landscape ? setup.PaperHeight() : setup.PaperWidth();
        const float length = landscape ? setup.PaperWidth() : setup.PaperHeight();
        dm->paperWidth = toInt16(ppToTenthMillimeters(width, setup.Units(), TppAxisType::atHorizontal, this));
        dm->paperLength = toInt16(ppToTenthMillimeters(length, setup.Units(), TppAxisType::atVertical, this));
    }
    const classes::TStrings &binNames = setup.BinNames();
    const int bin = binNames.IndexOf(setup.BinName());
    const TppPrinterInfo *info = setup.PrinterInfo() ? setup.PrinterInfo() : ppGetNoPrinterInfo();
    const classes::TStrings &binCodes = const_cast<TppPrinterInfo *>(info)->GetCapabilities()->BinCodes;
    if (bin >= 0 && bin < binCodes.Count()) {
        dm->defaultSource = setup.BinName() == DefaultName ? DefaultSource() : toInt16(binCodes.Strings(bin).toInt());
        dm->fields |= DriverSettings::DM_DEFAULTSOURCE;
    }
    SetDevMode(dm);
    setup.SetActive(wasActive);
}

TppPrinterSetup *TppPrinter::GetPrinterSetup()
{
    TppPrinterSetup &setup = *m_printerSetup;
    const bool wasActive = setup.Active();
    setup.SetActive(false);
    if (setup.PrinterName() != PrinterName())
        setup.SetPrinterName(PrinterName());
    const std::optional<DriverSettings> &dm = DevMode();
    if (dm) {
        if (dm->fields & DriverSettings::DM_DUPLEX)
            setup.SetDuplex(TppDuplexType(std::clamp(dm->duplex - 1, 0, 2)));
        if (dm->fields & DriverSettings::DM_ORIENTATION)
            setup.SetOrientation(classes::TPrinterOrientation(std::clamp(dm->orientation - 1, 0, 1)));
        const bool landscape = setup.Orientation() == classes::TPrinterOrientation::poLandscape;
        if (dm->fields & DriverSettings::DM_PAPERSIZE) {
            const TppPrinterCapabilities *caps = setup.PrinterInfo() ? setup.PrinterInfo()->GetCapabilities() : nullptr;
            const int index = caps ? caps->PaperCodes.IndexOf(QString::number(dm->paperSize)) : -1;
            if (caps && index >= 0 && index < caps->PaperNames.Count()) {
                const QString name = caps->PaperNames.Strings(index);
                setup.SetPaperName(name);
                float width = landscape ? dm->paperLength : dm->paperWidth;
                float height = landscape ? dm->paperWidth : dm->paperLength;
                setup.PaperSizeFromName(name, width, height);
                setup.SetPaperWidth(width);
                setup.SetPaperHeight(height);
            }
            if (dm->paperSize == 256) {
                const int width = landscape ? dm->paperLength : dm->paperWidth;
                const int height = landscape ? dm->paperWidth : dm->paperLength;
                setup.SetPaperWidth(ppFromTenthMillimeters(width, setup.Units(), TppAxisType::atHorizontal, this));
                setup.SetPaperHeight(ppFromTenthMillimeters(height, setup.Units(), TppAxisType::atVertical, this));
            }
        }
        if (dm->fields & DriverSettings::DM_DEFAULTSOURCE) {
            if (dm->defaultSource == DefaultSource()) {
                setup.SetBinName(DefaultName);
            } else if (setup.PrinterInfo()) {
                const TppPrinterCapabilities *caps = setup.PrinterInfo()->GetCapabilities();
                const int index = caps->BinCodes.IndexOf(QString::number(dm->defaultSource));
                if (index >= 0 && index < caps->BinNames.Count())
                    setup.SetBinName(caps->BinNames.Strings(index));
            }
        }
    }
    setup.SetActive(wasActive);
    return &setup;
}

} // namespace report
