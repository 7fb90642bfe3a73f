#pragma once

// A printer as the report library drives it: its entry in the printer list,
// its driver settings, a device context that measures while nothing prints
// and prints during a job, the canvas on that context, and the job calls.
// TppPrinter keeps its own printer setup and the driver settings in step
// with it in both directions.

#include "report/model/base/Units.h"
#include "report/model/printing/PrinterBackend.h"

#include "platform/classes/Persistent.h"
#include "platform/classes/PropInfo.h"
#include "platform/gfx/Canvas.h"
#include "platform/rtl/ScopedOverride.h"
#include "platform/rtl/Types.h"

#include <QImage>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace report {

class TppCustomPrinter;
class TppPrinterInfo;
class TppPrinterSetup;

// The canvas of a printer: a Canvas on the printing context's painter during
// a page, else on a measuring surface at the printer's resolution. Made anew
// whenever the context or the page changes; font, pen and brush carry over.
class TppPrinterCanvas
{
public:
    explicit TppPrinterCanvas(TppCustomPrinter &aPrinter);
    ~TppPrinterCanvas();
    TppPrinterCanvas(const TppPrinterCanvas &) = delete;
    TppPrinterCanvas &operator=(const TppPrinterCanvas &) = delete;

    // The canvas on the printer's current context (made when needed). Each
    // use and each drawing operation go through Changing, so a font set since
    // is fitted to the printer before anything is measured or drawn with it.
    gfx::Canvas &Canvas();
    // Drops the canvas; the next use makes it on the current context.
    void Refresh();
    // Fits a font set on the canvas since the last use: a pixel height the
    // canvas did not give it is one of the screen, where fonts are made.
    void Changing();
    // A font measured at another resolution keeps its point size at the
    // printer's; on a printer without colour, coloured text becomes black.
    void UpdateFont();
    bool HasHandle() const { return m_canvas != nullptr; }

private:
    void createHandle();

    TppCustomPrinter &m_printer;
    std::unique_ptr<gfx::Canvas> m_canvas;
    std::unique_ptr<gfx::QtTextMeasurer> m_measurer;
    QImage m_surface;
    gfx::Font m_font;
    gfx::Pen m_pen;
    gfx::Brush m_brush;
    int m_fontPixelsPerInch = 0;
    // The font as the last fitting left it.
    gfx::Font m_fittedFont;
};

class TppCustomPrinter
    : public classes::TObject
    , public PrinterResolution
{
public:
    TppCustomPrinter();
    ~TppCustomPrinter() override;

    TppPrinterCanvas *Canvas();
    // The context, made on first use; nullptr when none can be made.
    PrinterContext *DC() { return GetDC(); }
    PrinterContext *GetDC();
    // Looked up by PrinterName on first use.
    TppPrinterInfo *PrinterInfo() const;

    int16_t DefaultSource();
    const QString &DocumentName() const { return m_documentName; }
    void SetDocumentName(const QString &aName) { m_documentName = aName; }
    const QString &OutputFileName() const { return m_outputFileName; }
    void SetOutputFileName(const QString &aName) { m_outputFileName = aName; }
    int PageNumber() const { return m_pageNumber; }
    bool Printing() const { return m_printing; }
    bool Aborted() const { return m_aborted; }
    // A job marked aborted is dropped at EndDoc instead of printed.
    void SetAborted(bool aAborted) { m_aborted = aAborted; }
    bool ResetPending() const { return m_resetPending; }
    bool PageStarted() const { return m_pageStarted; }

    const QString &PrinterName() const { return m_printerName; }
    // Ignored while printing. "Default" stands for the system's default
    // printer; a name without a usable entry selects "Screen".
    void SetPrinterName(const QString &aName);

    // The driver settings, made on first use; nullopt when the driver refused.
    const std::optional<DriverSettings> &DevMode();
    std::optional<DriverSettings> DevModeCopy() { return DevMode(); }
    void SetDevMode(const std::optional<DriverSettings> &aDevMode);
    // False while the driver settings are still the driver's own defaults
    // (or not made yet): nothing has been written into them since.
    bool DevModeAssigned() const { return m_devModeAssigned; }
    classes::TNotifyEvent OnDevModeChange;

    bool IsColor();
    int GetPixelsPerInch(TppAxisType aAxis);
    int pixelsPerInch(TppAxisType axis) const override;
    // Offsets on the left and top, the unprintable widths on the right and
    // bottom, in device pixels.
    rtl::TRect GetPrinterMargins();
    // The caps read when the context was made.
    const DeviceCaps &Caps() const { return m_caps; }

    // The printer's properties dialog on a copy of the settings; true when
    // the user accepted them, which then become the printer's.
    bool ShowProperties();

    void BeginDoc();
    void StartPage();
    void EndPage();
    void EndDoc();
    void ResetDC();

protected:
    virtual void devModeChanged() {}

private:
    void freeDC();
    void readCaps();

    std::unique_ptr<TppPrinterCanvas> m_canvas;
    std::unique_ptr<PrinterContext> m_dc;
    mutable std::shared_ptr<TppPrinterInfo> m_printerInfo;
    std::optional<DriverSettings> m_devMode;
    bool m_devModeMade = false;
    bool m_devModeAssigned = false;
    int16_t m_defaultSource = 0;
    QString m_documentName;
    QString m_outputFileName;
    int m_pageNumber = 0;
    bool m_printing = false;
    bool m_aborted = false;
    bool m_resetPending = false;
    bool m_pageStarted = false;
    QString m_printerName = QStringLiteral("Default");
    DeviceCaps m_caps;
};

class TppPrinter : public TppCustomPrinter
{
public:
    TppPrinter();
    ~TppPrinter() override;

    TppPrinterSetup *PrinterSetup() const { return m_printerSetup.get(); }
    // Takes the setup over unless it describes what this printer has already.
    void SetPrinterSetup(const TppPrinterSetup *aSetup);
    // The own setup, refreshed from the driver settings.
    TppPrinterSetup *GetPrinterSetup();
    // Writes the own setup into the driver settings.
    void WriteDevMode();

private:
    std::unique_ptr<TppPrinterSetup> m_printerSetup;
};

// The printer properties dialog: given the printer and a copy of its
// settings, it changes the copy and answers whether the user accepted.
// The dialog layer puts one in place; without one nothing is shown.
using PrinterPropertiesDialog =
    std::function<bool(TppCustomPrinter &aPrinter, std::optional<DriverSettings> &aSettings)>;
using ScopedPrinterPropertiesDialog = rtl::ScopedOverride<struct PrinterPropertiesDialogTag, PrinterPropertiesDialog>;
// Puts the dialog layer's dialog in place for the rest of the process.
void ppSetPrinterPropertiesDialog(PrinterPropertiesDialog aDialog);

} // namespace report
