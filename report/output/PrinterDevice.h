#pragma once

// TppPrinterDevice ("Printer"): prints the pages its publisher hands it on
// its own TppPrinter. Each page takes its own printer setup, every draw
// command is placed to the printer pixel relative to the printable corner,
// and copies are made page by page or, collated, by asking for the whole job
// again.

#include "report/model/base/Units.h"
#include "report/model/pages/Device.h"
#include "report/model/production/PrinterOutput.h"

#include "platform/gfx/GdiObjects.h"
#include "platform/rtl/Types.h"

#include <QString>

#include <QHash>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace gfx {
class ShapedLine;
}

namespace report {

class TppDrawImage;
class TppDrawLine;
class TppDrawShape;
class TppDrawText;
class TppPrinter;
class TppPrinterCanvas;

class TppPrinterDevice
    : public TppRasterDevice
    , public TppPrinterOutput
{
    ZVO_CLASS(TppPrinterDevice)
public:
    explicit TppPrinterDevice(classes::TComponent *aOwner = nullptr);
    ~TppPrinterDevice() override;

    static QString ClassDeviceName() { return QStringLiteral("Printer"); }
    QString DeviceName() const override { return ClassDeviceName(); }

    void StartJob() override;
    void ReceivePage(TppPage *aPage) override;
    void EndJob() override;
    void CancelJob() override;
    bool Draw(TppDrawCommand *aDrawCommand) override;

    // True when no collated copy is left; otherwise counts one off, asks the
    // publisher for the job's pages again and answers false.
    virtual bool CopiesComplete();
    virtual void DrawShape(TppDrawShape *aDrawShape);
    virtual void DrawLine(TppDrawLine *aDrawLine);
    virtual void DrawImage(TppDrawImage *aDrawImage);
    virtual void DrawText(TppDrawText *aDrawText);
    virtual void DrawBitmap(TppDrawImage *aDrawImage);
    virtual void DrawGraphic(TppDrawImage *aDrawImage);
    // An upper bound of the width of aText in the canvas's font, -1 when
    // none is known.
    int plainWidthBound(const QString &aText);
    // The line shaped with the canvas's font for measuring and drawing it, or
    // null: when the canvas cannot shape it, or, unless aMeasure, when it is
    // the first time the line comes in this font (a text that never comes
    // again is drawn without keeping its shape).
    std::shared_ptr<const gfx::ShapedLine> shapedLine(const QString &aLine, bool aMeasure);
    void noteInk(const rtl::TRect &aRect);
    bool inkedUnder(const rtl::TRect &aRect) const;
    virtual void DirectDrawImage(TppDrawImage *aDrawImage);

    // The command's rectangle in printer pixels from the printable corner,
    // into its Draw* values.
    void CalcDrawRect(TppDrawCommand *aDrawCommand);

    // TppPrinterOutput
    TppPrinter *OutputPrinter() const override { return m_printer.get(); }
    bool PrinterUsable() const override;

    TppPrinter *Printer() const { return m_printer.get(); }
    // The printer's canvas while a job runs, else nullptr.
    TppPrinterCanvas *Canvas() const { return m_canvas; }
    int CopiesRemaining() const { return m_copiesRemaining; }
    bool FirstPage() const { return m_firstPage; }
    bool BeginDocOnStartJob() const { return m_beginDocOnStartJob; }
    void SetBeginDocOnStartJob(bool aValue) { m_beginDocOnStartJob = aValue; }
    bool EndDocOnEndJob() const { return m_endDocOnEndJob; }
    void SetEndDocOnEndJob(bool aValue) { m_endDocOnEndJob = aValue; }
    int PrintableOffsetX() const { return m_printableOffsetX; }
    int PrintableOffsetY() const { return m_printableOffsetY; }

    TppPageEvent OnStartPage;
    TppPageEvent OnEndPage;

protected:
    void StartPrinterPage(TppPage *aPage);
    void EndPrinterPage(TppPage *aPage);

private:
    void updateStatus(const TppPage *aPage);
    // The target of a picture drawn at the printer's resolution, and whether
    // it must be clipped to the draw rectangle.
    rtl::TRect pictureTarget(TppDrawImage *aDrawImage, int aWidth, int aHeight, bool &aClip) const;
    void withPictureClip(TppDrawImage *aDrawImage, bool aClip, const std::function<void()> &aDraw);
    int screenToPrinter(int aPixels, TppAxisType aAxis) const;
    // The sheet in device pixels (from the printable corner).
    rtl::TRect sheetRect() const;

    std::unique_ptr<TppPrinter> m_printer;
    TppPrinterCanvas *m_canvas = nullptr;
    int m_copiesRemaining = 1;
    bool m_firstPage = true;
    bool m_endDocOnEndJob = true;
    bool m_beginDocOnStartJob = true;
    int m_printableOffsetX = 0;
    int m_printableOffsetY = 0;
    // What has been drawn on the page so far, in printer pixels: where none
    // of it lies an opaque white text needs no background of its own. Filed
    // under each horizontal strip of the page it reaches, so that a text
    // looks only at what lies beside it, not at the whole page.
    std::vector<std::vector<rtl::TRect>> m_inked;
    // Lines that came more than once, shaped, by font: a column's recurring
    // values and the labels of every page are shaped once a job. Both the
    // lines and the hashes of the texts seen are bounded, so that memory stays
    // flat however many pages the job has.
    struct ShapedFont
    {
        gfx::Font font;
        int dpi = 0;
        QHash<QString, std::shared_ptr<const gfx::ShapedLine>> lines;
        // The widest advance of a printable ASCII character, 0 until asked.
        int widestAdvance = 0;
    };
    std::vector<ShapedFont> m_shapedFonts;
    // The entry of the canvas's font, made when missing.
    ShapedFont &shapedFont();
    qsizetype m_shapedCount = 0;
    // Hashes of the lines seen, one a slot: a line whose slot another took
    // since counts as new.
    std::vector<size_t> m_seenLines;
    void forgetShapes();
    // While the pages of a collated copy are asked for: the job's end that
    // the publisher passes on then belongs to the copy, not to the job.
    bool m_requestingCopy = false;
};

// Puts the device class on the registry under "Printer", and takes it off.
void ppRegisterPrinterDevice();
void ppUnRegisterPrinterDevice();

} // namespace report
