#pragma once

// TppScreenDevice ("Screen", every report's default device): asks its
// publisher for one page at a time, keeps a copy of the page it shows and
// renders it into a bitmap at the viewer's zoom, the page on a grey
// surround. Without a viewer (search engines, reportdemo) it renders at
// 100 %.
//
// Draw command kinds the device does not know itself are drawn by routines
// registered for their class (bar codes, rich text): each draws on Canvas()
// through the device's geometry.

#include "report/model/pages/Device.h"
#include "report/output/screen/ScreenPageSize.h"

#include <QImage>

#include <functional>
#include <memory>

namespace classes {
class TMetaClass;
}

namespace gfx {
class Canvas;
}

namespace report {

class TppDrawImage;
class TppDrawLine;
class TppDrawShape;
class TppDrawText;
class TppPage;
class TppCommandRenderer;
class TppViewer;
struct TppRenderSettings;

class TppScreenDevice : public TppRasterDevice
{
    ZVO_CLASS(TppScreenDevice)
public:
    explicit TppScreenDevice(classes::TComponent *aOwner = nullptr);
    ~TppScreenDevice() override;

    static QString ClassDeviceName() { return QStringLiteral("Screen"); }
    QString DeviceName() const override { return ClassDeviceName(); }

    // ---- Device ----
    void Notify(TppCommunicator *aCommunicator, int aOperation) override;
    void EventNotify(TppCommunicator *aCommunicator, int aEventID, TraParamList *aParams) override;
    void SetStatus(const QString &aText) override;
    void CancelJob() override;
    bool Draw(TppDrawCommand *aDrawCommand) override;
    bool RedrawDrawCommand(TppDrawCommand *aDrawCommand) override;
    void EndJob() override;
    // Pages of a first pass are shown too.
    bool FinalPagesOnly() const override { return false; }
    void ReceivePage(TppPage *aPage) override;
    void Reset() override;
    void StartJob() override;

    // ---- Navigation (nothing while busy) ----
    void FirstPage();
    void LastPage();
    void GotoPage(int aPageNo);
    int AbsolutePageNo() const;
    void CancelReport();

    // ---- Drawing ----
    void CalcDrawRect(TppDrawCommand *aDrawCommand);
    // The first clickable command of the shown page whose draw rectangle
    // holds (X, Y), edges included.
    bool FindClickableDrawCommand(int X, int Y, TppDrawCommand *&aDrawCommand) const;
    // The shown page into a new bitmap at the current zoom.
    void RenderPage();
    virtual void DrawText(TppDrawText *aDrawCommand);
    virtual void DrawShape(TppDrawShape *aDrawCommand);
    virtual void DrawLine(TppDrawLine *aDrawCommand);
    virtual void DrawImage(TppDrawImage *aDrawCommand);
    virtual void DirectDrawImage(TppDrawImage *aDrawCommand);

    // Routines for draw-command classes the device does not draw itself;
    // the most derived registered class of a command wins. A routine answers
    // whether it drew.
    using DrawRoutine = std::function<bool(TppScreenDevice &aDevice, TppDrawCommand &aDrawCommand)>;
    static void RegisterDrawRoutine(const classes::TMetaClass &aClass, DrawRoutine aRoutine);
    static void UnRegisterDrawRoutine(const classes::TMetaClass &aClass);

    // ---- Properties ----
    int CalculatedZoom() const { return m_calculatedZoom; }
    // The bitmap was too large at the asked zoom and was drawn smaller.
    bool ZoomLimited() const { return m_zoomLimited; }
    // The canvas on the page bitmap while a page or command is drawn, else
    // nullptr.
    gfx::Canvas *Canvas() const { return m_canvas; }
    TppPage *Page() const { return m_page.get(); }
    const QImage &PageBitmap() const { return m_pageBitmap; }
    int OffsetX() const { return m_offsetX; }
    int OffsetY() const { return m_offsetY; }
    int PageWidth() const { return m_pageWidth; }
    int PageHeight() const { return m_pageHeight; }
    double ScaleX() const { return m_scaleX; }
    double ScaleY() const { return m_scaleY; }
    int PixelsPerInch() const;
    bool StatusEnabled() const { return m_statusEnabled; }
    void SetStatusEnabled(bool aValue) { m_statusEnabled = aValue; }
    TppViewer *Viewer() const { return m_viewer; }
    // The geometry draw routines convert with.
    TppRenderSettings RenderSettings() const;

    classes::TNotifyEvent OnPageDrawn;

    // Counts the times the shown page's commands were replaced or freed: a
    // command held across a handler is only used while it stands still.
    uint64_t PageGeneration() const { return m_pageGeneration; }

    // The viewer the device draws for (its owner), or nullptr.
    void AttachViewer(TppViewer *aViewer);

protected:
    // A new, empty bitmap of the size CalcPageSize gives, filled grey.
    void RebuildPageBitmap();
    // The page's commands freed, the bitmap rebuilt at the viewer's size
    // and the empty page drawn.
    void RecreatePageBitmap();

private:
    void statusForPage(const TppPage &aPage, bool aOfCount);
    bool drawWithCanvas(TppDrawCommand *aDrawCommand);
    bool lastPageKnown() const;

    TppViewer *m_viewer = nullptr;
    std::unique_ptr<TppPage> m_page;
    QImage m_pageBitmap;
    gfx::Canvas *m_canvas = nullptr;
    TppCommandRenderer *m_renderer = nullptr;
    int m_calculatedZoom = 100;
    bool m_zoomLimited = false;
    int m_offsetX = 0;
    int m_offsetY = 0;
    int m_pageWidth = 0;
    int m_pageHeight = 0;
    double m_scaleX = 1.0;
    double m_scaleY = 1.0;
    bool m_statusEnabled = true;
    uint64_t m_pageGeneration = 0;
};

} // namespace report
