#pragma once

// TppViewer: the panel that shows one generated page. It owns a screen
// device, which renders the page into a bitmap at the viewer's zoom, and
// shows that bitmap in a scroll box through a paint box that only copies
// what it is asked to repaint. Clicks on the page become clicks on draw
// commands; navigation and printing go through the device and the report.
//
// Events of its own go to OnPageChange, OnPrintStateChange, OnStatusChange
// and OnReset, then as events 94 to 97 through its Communicator.

#include "report/model/base/Types.h"

#include "platform/classes/PropInfo.h"
#include "platform/rtl/Colors.h"

#include <QPointer>
#include <QWidget>

#include <memory>

class QDropEvent;
class QMouseEvent;

namespace report {

class TppCommunicator;
class TppDrawCommand;
class TppPage;
class TppPrinterSetup;
class TppProducer;
class TppScreenDevice;
class TppScrollBox;
class TraParamList;

class TppViewer : public QWidget
{
public:
    explicit TppViewer(QWidget *aParent = nullptr);
    ~TppViewer() override;

    // ---- Properties ----
    rtl::TColor PageColor() const { return m_pageColor; }
    void SetPageColor(rtl::TColor aValue);
    TppProducer *Report() const { return m_report; }
    void SetReport(TppProducer *aReport);
    int ZoomPercentage() const { return m_zoomPercentage; }
    // Clamped to 25..250; switches to percentage zoom.
    void SetZoomPercentage(int aValue);
    TppZoomSettingType ZoomSetting() const { return m_zoomSetting; }
    void SetZoomSetting(TppZoomSettingType aValue);
    bool DesignPreview() const { return m_designPreview; }
    void SetDesignPreview(bool aValue) { m_designPreview = aValue; }

    TppScreenDevice *ScreenDevice() const { return m_screenDevice.get(); }
    TppScrollBox *ScrollBox() const { return m_scrollBox; }
    QWidget *PaintBox() const { return m_paintBox; }
    TppCommunicator *Communicator() const { return m_communicator.get(); }

    // ---- Navigation and printing ----
    void FirstPage();
    void LastPage();
    void GotoPage(int aPageNo);
    void NextPage();
    void PriorPage();
    // 0 up, 1 down, 2 left, 3 right: one screen of the scroll box.
    void ScrollPage(int aDirection);
    // Prints the previewed report on the printer and comes back.
    void Print();
    void Cancel();
    void PerformAutoSearch();
    void RegenerateReport();
    void Reset();

    // ---- Queries ----
    int AbsolutePageNo() const;
    int CalculatedZoom() const;
    QString Status() const;
    bool Busy() const;
    TppPage *CurrentPage() const;
    bool IsUpdating() const { return m_updateCount > 0; }
    void BeginUpdate() { ++m_updateCount; }
    void EndUpdate() { m_updateCount = std::max(m_updateCount - 1, 0); }
    bool JobStarted() const { return m_jobStarted; }
    bool Redrawing() const { return m_redrawing; }
    void SetRedrawing(bool aValue) { m_redrawing = aValue; }

    // Its body is empty: the scroll box scrolls with the wheel unless a
    // descendant takes the event here.
    virtual void ScrollBoxMouseWheel(QObject *Sender, Qt::KeyboardModifiers Shift, int WheelDelta, QPoint MousePos,
                                     bool &Handled);

    // ---- Events ----
    // When set, Cancel asks its host to stop the print (which tells the
    // report's own cancel handlers) instead of cancelling the report itself.
    std::function<void()> OnCancelRequest;
    classes::TNotifyEvent OnPageChange;
    classes::TNotifyEvent OnPrintStateChange;
    classes::TNotifyEvent OnStatusChange;
    classes::TNotifyEvent OnReset;
    classes::TNotifyEvent OnClick;
    // Pointer events on the page, in the paint box's coordinates.
    using MouseEvent =
        std::function<void(TppViewer *Sender, Qt::MouseButtons aButtons, Qt::KeyboardModifiers aShift, int X, int Y)>;
    MouseEvent OnMouseMove;
    MouseEvent OnMouseDown;
    MouseEvent OnMouseUp;
    classes::TNotifyEvent OnDblClick;
    // Drags over the page, in the paint box's coordinates. Source is the
    // drag: its data, and its source() when it started in this program.
    // Accept comes in True; a drag that is not accepted cannot be dropped.
    enum class TDragState { dsDragEnter, dsDragLeave, dsDragMove };
    using DragOverEvent =
        std::function<void(TppViewer *Sender, const QDropEvent &Source, int X, int Y, TDragState State, bool &Accept)>;
    using DragDropEvent = std::function<void(TppViewer *Sender, const QDropEvent &Source, int X, int Y)>;
    DragOverEvent OnDragOver;
    DragDropEvent OnDragDrop;
    // Whenever the viewer changes size, before the page is laid out again.
    classes::TNotifyEvent OnResize;

    // ---- Called by the screen device ----
    bool PageAvailable();
    void CreateControls();
    void PaintPage();
    void UpdateScrollRange();
    void DoOnPageChange();
    void DoOnStatusChange();
    void DoOnPrintStateChange();
    void DoOnReset();

    // The report is going: forgotten without being told, then Reset.
    void ReportGone();

    // The paint box's handlers, public for the preview's tests.
    void PaintBoxClick(QPoint aPosition);
    void PaintBoxMouseMove(Qt::MouseButtons aButtons, Qt::KeyboardModifiers aShift, QPoint aPosition);

protected:
    bool event(QEvent *aEvent) override;
    void resizeEvent(QResizeEvent *aEvent) override;
    virtual void Resize();

private:
    class PaintBoxWidget;
    class ViewerCommunicator;
    friend class PaintBoxWidget;
    friend class ViewerCommunicator;

    void ReportEventNotify(TppCommunicator *aSender, int aEventID);
    void SetPageDefFromReport();
    // Puts back what Print changed on the report; aRejoin also brings the
    // device back to the report's publisher.
    void restorePrintState(bool aRejoin);
    void refreshCursor();

    std::unique_ptr<TppScreenDevice> m_screenDevice;
    std::unique_ptr<TppCommunicator> m_communicator;
    TppScrollBox *m_scrollBox = nullptr;
    QWidget *m_paintBox = nullptr;
    TppProducer *m_report = nullptr;
    QPointer<QObject> m_reportAlive;
    rtl::TColor m_pageColor = rtl::clWindow;
    int m_zoomPercentage = 100;
    TppZoomSettingType m_zoomSetting = TppZoomSettingType::zsWholePage;
    Qt::CursorShape m_savedCursor = Qt::ArrowCursor;
    bool m_cursorChanging = false;
    bool m_redrawing = false;
    bool m_jobStarted = false;
    bool m_resetScrollPositions = true;
    int m_updateCount = 0;
    bool m_controlsCreated = false;
    bool m_designPreview = false;
    // What Print changed on the report, until it is put back.
    bool m_printPending = false;
    QString m_savedDeviceType;
    std::unique_ptr<TppPrinterSetup> m_savedPrinterSetup;
    bool m_savedShowAutoSearchDialog = false;
};

} // namespace report
