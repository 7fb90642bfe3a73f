#pragma once

// The tabbed page control: an ordered list of pages of which one, the active
// page, fills the client area, and a strip of tabs along one side that selects
// it. The strip itself is measured and painted by the painter family in
// dxPageControlButtons.h.

#include "platform/classes/Component.h"
#include "platform/classes/Graphics.h"
#include "platform/classes/ImgList.h"
#include "platform/classes/PropInfo.h"
#include "platform/classes/SizeConstraints.h"
#include "platform/controls/Align.h"
#include "platform/controls/ControlTypes.h"
#include "platform/controls/Drag.h"
#include "platform/controls/MouseTypes.h"
#include "platform/controls/PopupMenu.h"
#include "platform/controls/RepeatTimer.h"
#include "platform/gfx/GdiObjects.h"
#include "platform/gfx/TextMeasurer.h"
#include "platform/rtl/Exceptions.h"
#include "widgets/pagecontrol/dxPageControlButtons.h"

#include <QDropEvent>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace gfx {
class Canvas;
class ImageList;
} // namespace gfx

namespace widgets {

class TdxCustomPageControl;

// A list index out of range.
class EListError : public rtl::Exception
{
public:
    using rtl::Exception::Exception;
};

using TMouseEvent = classes::TEvent<void(classes::TObject *sender, controls::TMouseButton button,
                                         controls::TShiftState shift, int x, int y)>;
using TMouseMoveEvent = classes::TEvent<void(classes::TObject *sender, controls::TShiftState shift, int x, int y)>;
// A context menu is asked for at the point (-1, -1 from the keyboard); a
// handler that shows one itself sets Handled.
// A drag over the control, from this program or another: its data, and its
// source() when it started in this program. Accept comes in True; a drag
// that is not accepted cannot be dropped, nor can one without a handler.
enum class TDragState { dsDragEnter, dsDragLeave, dsDragMove };
using TDragOverEvent = classes::TEvent<void(classes::TObject *sender, const QDropEvent &source, int x, int y,
                                            TDragState state, bool &accept)>;
using TDragDropEvent = classes::TEvent<void(classes::TObject *sender, const QDropEvent &source, int x, int y)>;
// A widget was docked as a page; the point is the mouse's in the control.
using TDockDropEvent = classes::TEvent<void(classes::TObject *sender, QWidget *client, int x, int y)>;
// A docked widget is to leave, floating (newTarget none) or for another
// control; Allow comes in True and false keeps it.
using TUnDockEvent = classes::TEvent<void(classes::TObject *sender, QWidget *client, QWidget *newTarget, bool &allow)>;
// A drag of the control starts: the handler fills in what is dragged.
using TStartDragEvent = classes::TEvent<void(classes::TObject *sender, QDrag &drag)>;
// The drag ended: the target that took it (none when nothing did) and the
// mouse's place in the control.
using TEndDragEvent = classes::TEvent<void(classes::TObject *sender, QObject *target, int x, int y)>;
using TContextPopupEvent = classes::TEvent<void(classes::TObject *sender, QPoint mousePos, bool &handled)>;

// A dock drag: the control dragged, the mouse on the screen, and the screen
// rectangle the control would fill if dropped now (empty off a dock site).
struct TDragDockObject
{
    QWidget *Control = nullptr;
    QPoint DragPos;
    QRect DockRect;
};
using TStartDockEvent = classes::TEvent<void(classes::TObject *sender, TDragDockObject &dragObject)>;
// The dock drag ended: the site that took the control (none when nothing
// did) and the mouse's place in the control.
using TEndDockEvent = classes::TEvent<void(classes::TObject *sender, QObject *target, int x, int y)>;
// A dock drag over a dock site, at a point of the site; Accept comes in True.
using TDockOverEvent = classes::TEvent<void(classes::TObject *sender, TDragDockObject &source, int x, int y,
                                            TDragState state, bool &accept)>;
// A dock site is asked whether the client may dock while the mouse is at
// the screen point MousePos, and which screen rectangle draws it in
// (InfluenceRect comes in as the site inflated by 10 pixels).
using TGetSiteInfoEvent = classes::TEvent<void(classes::TObject *sender, QWidget *dockClient, QRect &influenceRect,
                                               QPoint mousePos, bool &canDock)>;

// A control or page dragged with DragKind dkDock: it holds the mouse, finds
// the dock site under it, draws the dock rectangle and docks on the drop.
// Qt has no docking of its own widgets in others, so it is done by hand.
class DockDrag
{
public:
    DockDrag();
    ~DockDrag();
    bool active() const { return m_running; }
    // The grabber holds the mouse and the keyboard for the drag: the source
    // itself unless it is shown inside another control (a docked form,
    // dragged by its tab).
    void start(QWidget *source, classes::TObject *sender, const TStartDockEvent &onStartDock,
               QWidget *grabber = nullptr);
    void move(QPoint globalPos);
    // Docks on the site that accepted (unless cancelled), then tells
    // OnEndDock; answers that site, or none when nothing took the source.
    QObject *finish(QPoint globalPos, bool drop, const TEndDockEvent &onEndDock);
    // The dragged control is going, or no longer the drag's to take: the
    // drag ends where it is, with no drop and no end event, and never
    // touches it again.
    void abandon(QObject *source);

private:
    void leaveSite();
    void letGo();

    bool m_running = false;
    QPointer<QWidget> m_source;
    QPointer<QWidget> m_grabber;
    classes::TObject *m_sender = nullptr;
    TDragDockObject m_object;
    QPointer<QWidget> m_site;
    bool m_accepted = false;
    std::unique_ptr<QWidget> m_frame;
};

// Pages and controls are components as well, so that a stored window layout
// can make them: a reader creates a page with its owner and puts it on the
// control it is read under.
class TdxTabSheet
    : public QWidget
    , public TabStripPage
    , public classes::TComponent
{
    Q_OBJECT
    ZVO_CLASS(TdxTabSheet)
public:
    explicit TdxTabSheet(QWidget *parent = nullptr);
    // A page made on its control in code, which the control keeps.
    explicit TdxTabSheet(TdxCustomPageControl *control);
    explicit TdxTabSheet(classes::TComponent *owner);
    ~TdxTabSheet() override;

    bool HasParent() const override { return true; }
    classes::TComponent *GetParentComponent() const override;
    void SetParentComponent(classes::TComponent *parent) override;
    void Notification(classes::TComponent *component, classes::TOperation operation) override;

    TdxCustomPageControl *PageControl() const { return m_pageControl; }
    void SetPageControl(TdxCustomPageControl *control);

    int PageIndex() const;
    void SetPageIndex(int value);
    // Number of pages before this one whose tab shows; -1 when its own does not.
    int TabIndex() const;

    const QString &Caption() const { return m_caption; }
    void SetCaption(const QString &caption);
    bool TabVisible() const { return m_tabVisible; }
    void SetTabVisible(bool value);
    bool TabShowing() const { return m_tabShowing; }
    int ImageIndex() const { return m_imageIndex; }
    void SetImageIndex(int value);
    bool Highlighted() const { return m_highlighted; }
    void SetHighlighted(bool value);
    // The font of the controls on the page. With ParentFont (the default)
    // they keep the window's; a font of the page's own ends ParentFont.
    classes::TFont *FontObject() const { return m_fontObject.get(); }
    bool ParentFont() const { return m_parentFont; }
    void SetParentFont(bool value);
    // Tool tips of the page show when ShowHint is true, or with ParentShowHint
    // when its control shows them.
    bool ShowHint() const { return m_showHint; }
    void SetShowHint(bool value);
    bool ParentShowHint() const { return m_parentShowHint; }
    void SetParentShowHint(bool value);
    bool HintsShown() const;
    // With ParentBiDiMode the page reads as its control does; a mode of its
    // own ends ParentBiDiMode.
    controls::TBiDiMode BiDiMode() const;
    void SetBiDiMode(controls::TBiDiMode value);
    bool ParentBiDiMode() const { return m_parentBiDiMode; }
    void SetParentBiDiMode(bool value);
    // The margin kept free inside the page around its controls.
    int BorderWidth() const { return m_borderWidth; }
    void SetBorderWidth(int value);
    // The page's size follows the control; its bounds are kept all the same.
    classes::TSizeConstraints *Constraints() const { return m_constraints.get(); }

    // Events are published, so that a stored layout can name their handlers.
    classes::TEvent<void(TdxTabSheet *sender)> OnShow;
    classes::TEvent<void(TdxTabSheet *sender)> OnHide;
    // The focus came into the page (to it or a control on it) from outside,
    // or left it; a window losing the activation keeps it where it was.
    classes::TEvent<void(classes::TObject *sender)> OnEnter;
    classes::TEvent<void(classes::TObject *sender)> OnExit;
    classes::TEvent<void(classes::TObject *sender)> OnResize;
    TMouseEvent OnMouseDown;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseUp;
    TContextPopupEvent OnContextPopup;
    TStartDragEvent OnStartDrag;
    TEndDragEvent OnEndDrag;
    // dmAutomatic: a press on the page that moves past the drag distance
    // drags the page.
    controls::TDragMode DragMode() const { return m_dragMode; }
    void SetDragMode(controls::TDragMode value) { m_dragMode = value; }
    // dkDock: the drag takes the page to a dock site, as a page of that
    // control.
    controls::TDragKind DragKind() const { return m_dragKind; }
    void SetDragKind(controls::TDragKind value) { m_dragKind = value; }
    TStartDockEvent OnStartDock;
    TEndDockEvent OnEndDock;
    // The cursor over a target that takes the drag (dkDrag); crDrag is the
    // platform's own drag cursor.
    controls::TCursor DragCursor() const { return m_dragCursor; }
    void SetDragCursor(controls::TCursor value) { m_dragCursor = value; }
    // Shown on a right click (or the menu key) that OnContextPopup left
    // unhandled; a page without one leaves the click to its control.
    controls::TPopupMenu *PopupMenu() const { return m_popupMenu; }
    void SetPopupMenu(controls::TPopupMenu *menu);
    // Drags the page now, to its end.
    void BeginDrag();
    TDragDropEvent OnDragDrop;
    TDragOverEvent OnDragOver;

    // The strip's view of the page.
    QString tabCaption() const override { return m_caption; }
    int tabImageIndex() const override;
    bool tabHighlighted() const override { return m_highlighted; }
    int tabPageIndex() const override { return PageIndex(); }

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    friend class TdxCustomPageControl;
    void updateTabShowing();
    // Shows or hides the page for its control. OnShow or OnHide runs once Qt
    // is done with the page, so that the handler may free it.
    void setShowing(bool visible);
    void showingChanged(bool shown);

    TdxCustomPageControl *m_pageControl = nullptr;
    QString m_caption;
    int m_imageIndex = 0;
    bool m_tabVisible = true;
    bool m_tabShowing = false;
    bool m_highlighted = false;
    bool m_shown = false;
    bool m_holdShowing = false;
    // The OnShow (1) or OnHide (-1) held back by setShowing; 0: none.
    int m_heldShowing = 0;
    int m_borderWidth = 0;
    bool m_showHint = false;
    bool m_parentShowHint = true;
    const std::unique_ptr<classes::TFont> m_fontObject = std::make_unique<classes::TFont>();
    bool m_parentFont = true;
    controls::TBiDiMode m_biDiMode = controls::TBiDiMode::bdLeftToRight;
    bool m_parentBiDiMode = true;
    controls::TPopupMenu *m_popupMenu = nullptr;
    controls::TDragMode m_dragMode = controls::TDragMode::dmManual;
    controls::TDragKind m_dragKind = controls::TDragKind::dkDrag;
    controls::TCursor m_dragCursor = controls::crDrag;
    DockDrag m_dockDrag;
    std::optional<QPoint> m_dragFrom;
    const std::unique_ptr<classes::TSizeConstraints> m_constraints = std::make_unique<classes::TSizeConstraints>();
    bool m_entered = false;
    QMetaObject::Connection m_focusWatch;
    // Where the drag over the page was last: Qt tells none on leaving.
    std::optional<QPoint> m_dragPosition;
};

// The argument of OnDrawTabEx: the tab and the font it will be drawn with.
struct TdxDrawTabExRecord
{
    const TdxPageControlButton *Item = nullptr;
    gfx::Font Font;
};

class TdxCustomPageControl
    : public QWidget
    , public TabStripHost
    , public classes::TComponent
{
    Q_OBJECT
    ZVO_CLASS(TdxCustomPageControl)
public:
    explicit TdxCustomPageControl(QWidget *parent = nullptr);
    explicit TdxCustomPageControl(classes::TComponent *owner);
    ~TdxCustomPageControl() override;

    // True while a stored layout is read into the control.
    bool Loading() const { return HasState(classes::csLoading); }
    void Loaded() override;
    void Notification(classes::TComponent *component, classes::TOperation operation) override;
    void GetChildren(const classes::TGetChildProc &proc, classes::TComponent *root) override;

    // Pages.
    int PageCount() const { return int(m_pages.size()); }
    TdxTabSheet *Pages(int index) const;
    TdxTabSheet *ActivePage() const { return m_activePage; }
    void SetActivePage(TdxTabSheet *page);
    int ActivePageIndex() const;
    void SetActivePageIndex(int index);
    TdxTabSheet *FindNextPage(TdxTabSheet *curPage, bool goForward, bool checkTabVisible) const;
    void SelectNextPage(bool goForward, bool checkTabVisible = true);
    int TabIndex() const { return m_tabIndex; }
    void SetTabIndex(int index);
    // The page whose tab has the given tab index, or none.
    TdxTabSheet *PageForTab(int tabIndex) const;
    virtual void UpdateActivePage();

    // Properties.
    bool HideButtons() const { return m_options.hideButtons; }
    void SetHideButtons(bool value);
    bool HotTrack() const { return m_options.hotTrack; }
    void SetHotTrack(bool value);
    gfx::ImageList *Images() const { return m_images; }
    void SetImages(gfx::ImageList *images);
    // The image list as a stored layout names it; freed, it leaves the
    // control without images.
    classes::TCustomImageList *ImagesComponent() const { return m_imagesComponent; }
    void SetImagesComponent(classes::TCustomImageList *images);
    bool MultiLine() const { return m_options.multiLine; }
    void SetMultiLine(bool value);
    bool OwnerDraw() const { return m_ownerDraw; }
    void SetOwnerDraw(bool value);
    bool RaggedRight() const { return m_options.raggedRight; }
    void SetRaggedRight(bool value);
    bool ScrollOpposite() const { return m_scrollOpposite; }
    void SetScrollOpposite(bool value);
    TdxTabStyle Style() const { return m_options.style; }
    void SetStyle(TdxTabStyle value);
    int TabHeight() const { return m_options.tabHeight; }
    void SetTabHeight(int value);
    TdxTabPosition TabPosition() const { return m_options.position; }
    void SetTabPosition(TdxTabPosition value);
    int TabWidth() const { return m_options.tabWidth; }
    void SetTabWidth(int value);
    const gfx::Font &Font() const { return m_font; }
    // A font of its own: ParentFont becomes false.
    void SetFont(const gfx::Font &font);
    // The font as a stored layout carries it (only without ParentFont).
    classes::TFont *FontObject() const { return m_fontObject.get(); }
    // True: the control has the form's font, the class library's default.
    bool ParentFont() const { return m_parentFont; }
    void SetParentFont(bool value);
    // False keeps the control out of the Tab order; a click still focuses
    // it, unless HideButtons leaves nothing in it to focus.
    bool TabStop() const { return m_tabStop; }
    void SetTabStop(bool value);
    // The control's place among its parent's child widgets in the focus
    // chain, from 0; -1 without a parent. A place out of range is taken as
    // the nearer end. While a layout is read the place waits for the end of
    // the read, when the siblings read after the control are there too.
    int TabOrder() const;
    void SetTabOrder(int value);
    // Placed in the parent as the class library places a control: docked to
    // a side or the whole of it, or kept at its anchored edges when the
    // parent is resized (Anchors count only without Align).
    controls::TAlign Align() const { return m_align; }
    void SetAlign(controls::TAlign value);
    controls::TAnchors Anchors() const { return m_anchors; }
    void SetAnchors(controls::TAnchors value) { m_anchors = value; }
    // Tool tips of the control (and, through their ParentShowHint, of its
    // pages) show when ShowHint is true; with ParentShowHint they show as
    // the window's do, which are not held back.
    bool ShowHint() const { return m_showHint; }
    void SetShowHint(bool value);
    bool ParentShowHint() const { return m_parentShowHint; }
    void SetParentShowHint(bool value);
    bool HintsShown() const { return m_parentShowHint || m_showHint; }
    // Right to left mirrors the control, its strip's place and its pages'
    // controls; with ParentBiDiMode it follows the window.
    controls::TBiDiMode BiDiMode() const;
    void SetBiDiMode(controls::TBiDiMode value);
    bool ParentBiDiMode() const { return m_parentBiDiMode; }
    void SetParentBiDiMode(bool value);
    // The smallest and largest size the control takes.
    classes::TSizeConstraints *Constraints() const { return m_constraints.get(); }
    bool DockSite() const { return m_dockSite; }
    void SetDockSite(bool value) { m_dockSite = value; }

    // Docking: the widget becomes the only child of a new page.
    TdxTabSheet *DockControl(QWidget *client);
    // False when OnUnDock kept the widget (or it is no client here).
    bool UndockControl(QWidget *client);
    // The docked form whose tab was pressed, while the button is down: it
    // is dragged once the mouse moves past the drag distance, as a dock
    // drag: released on a dock site it docks there, anywhere off this
    // control it floats.
    QWidget *DraggedClient() const { return m_dragClient; }
    bool DockDragging() const { return m_dockDragging; }

    // Events.
    classes::TEvent<void(TdxCustomPageControl *sender)> OnChange;
    classes::TEvent<void(TdxCustomPageControl *sender, TdxTabSheet *newPage, bool &allowChange)> OnChanging;
    classes::TEvent<void(TdxCustomPageControl *control, int tabIndex, const rtl::TRect &rect, bool active)> OnDrawTab;
    classes::TEvent<void(TdxCustomPageControl *control, TdxDrawTabExRecord &record)> OnDrawTabEx;
    classes::TEvent<void(TdxCustomPageControl *sender, int tabIndex, int &imageIndex)> OnGetImageIndex;
    // As a page's: the focus came into the control or left it.
    classes::TEvent<void(classes::TObject *sender)> OnEnter;
    classes::TEvent<void(classes::TObject *sender)> OnExit;
    classes::TEvent<void(classes::TObject *sender)> OnResize;
    TMouseEvent OnMouseDown;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseUp;
    TContextPopupEvent OnContextPopup;
    TStartDragEvent OnStartDrag;
    TEndDragEvent OnEndDrag;
    // dmAutomatic: a press on the control (off the tabs of docked forms)
    // that moves past the drag distance drags the control.
    controls::TDragMode DragMode() const { return m_dragMode; }
    void SetDragMode(controls::TDragMode value) { m_dragMode = value; }
    // dkDock: the drag takes the control to a dock site, as a page there.
    controls::TDragKind DragKind() const { return m_dragKind; }
    void SetDragKind(controls::TDragKind value) { m_dragKind = value; }
    TStartDockEvent OnStartDock;
    TEndDockEvent OnEndDock;
    // The cursor over a target that takes the drag (dkDrag); crDrag is the
    // platform's own drag cursor.
    controls::TCursor DragCursor() const { return m_dragCursor; }
    void SetDragCursor(controls::TCursor value) { m_dragCursor = value; }
    TDockOverEvent OnDockOver;
    TGetSiteInfoEvent OnGetSiteInfo;
    // As a dock site: whether the client may dock with the mouse at the
    // screen point, and the screen rectangle that counts for it.
    bool GetSiteInfo(QWidget *client, QRect &influenceRect, QPoint mousePos);
    // A dock drag came, moved or left; answers whether the site takes it
    // and sets the dock rectangle.
    bool DockOver(TDragDockObject &source, QPoint globalPos, TDragState state);
    // The dragged control is dropped here: a page moves over, anything
    // else is docked as a new page.
    void DockDrop(TDragDockObject &source, QPoint globalPos);
    // Shown on a right click (or the menu key) that OnContextPopup left
    // unhandled; a page without one leaves the click to its control.
    controls::TPopupMenu *PopupMenu() const { return m_popupMenu; }
    void SetPopupMenu(controls::TPopupMenu *menu);
    void BeginDrag();
    TDragDropEvent OnDragDrop;
    TDragOverEvent OnDragOver;
    TDockDropEvent OnDockDrop;
    TUnDockEvent OnUnDock;

    // The canvas of the paint in progress (for OnDrawTab), else null.
    gfx::Canvas *Canvas() const { return m_canvas; }
    TdxPageControlButtons &painter() const { return *m_painter; }
    // Text is measured through this; tests pin it to a fixed-width measurer.
    void setTextMeasurer(const gfx::TextMeasurer *measurer);
    // The area the pages cover.
    rtl::TRect displayRect() const { return m_painter->displayRect(); }
    // Recomputes the strip and the pages' place and repaints.
    void relayout();

    // TabStripHost
    const TabStripOptions &stripOptions() const override { return m_options; }
    rtl::TSize clientSize() const override { return {width(), height()}; }
    int textWidth(const QString &text) const override;
    int textHeight(const QString &text) const override;
    TabStripPage *activeTabPage() const override { return m_activePage; }
    bool stripFocused() const override;
    void activateTabPage(TabStripPage *page) override;
    void focusControl() override;
    void invalidateStrip(const rtl::TRect &rect) override;
    void startRepeatTimer(int periodMs) override;
    void stopRepeatTimer() override;
    gfx::Font stripFont() const override { return m_font; }
    const gfx::ImageList *stripImages() const override { return m_images; }
    void customizeTabFont(gfx::Canvas &canvas, const TdxPageControlButton &tab) override;
    bool ownerDrawTab(gfx::Canvas &canvas, const TdxPageControlButton &tab) override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    friend class TdxTabSheet;
    void insertPage(TdxTabSheet *page);
    void removePage(TdxTabSheet *page);
    void changeActivePage(TdxTabSheet *page);
    void changed();
    void tabShowingChanged(TdxTabSheet *page);
    void updateTabShowings();
    void invalidateActiveTab();
    void placePages();
    void updateFocusPolicy();
    bool ownsEvent(QObject *receiver) const;
    bool handleKey(QKeyEvent *event);
    bool handleAccelerator(QKeyEvent *event);
    TdxTabSheet *dockPageOf(QWidget *client) const;
    // The docked client leaves, for the new target or floating (none), if
    // OnUnDock lets it: answers its page, which the caller frees once the
    // client has left it, or none.
    TdxTabSheet *releaseClient(QWidget *client, QWidget *newTarget);
    void finishClientDrag(QPoint globalPos, bool drop);
    // Drops the entries of docked clients that match, no longer told of their end.
    struct DockClient;
    void forgetDockClients(const std::function<bool(const DockClient &)> &matches);
    void dockedClientFreed(QObject *client);
    // The client is going or let go of: if its tab is being dragged, the
    // drag ends where it is and no longer holds it.
    void endClientDrag(QObject *client);

    std::vector<TdxTabSheet *> m_pages;
    // Pages on their way out while the removal calls the handlers; a
    // control freed meanwhile lets go of them instead of freeing them.
    std::vector<TdxTabSheet *> m_leaving;
    TdxTabSheet *m_activePage = nullptr;
    int m_tabIndex = -1;
    std::unique_ptr<TdxPageControlButtons> m_painter;
    // The painter a Style set while painting replaced, until the paint ends.
    std::unique_ptr<TdxPageControlButtons> m_retiredPainter;
    bool m_painting = false;
    TabStripOptions m_options;
    bool m_ownerDraw = false;
    bool m_scrollOpposite = false;
    bool m_dockSite = false;
    bool m_tabStop = true;
    std::optional<int> m_loadedTabOrder;
    controls::TAlign m_align = controls::TAlign::alNone;
    controls::TAnchors m_anchors = controls::DefaultAnchors;
    controls::TDragMode m_dragMode = controls::TDragMode::dmManual;
    controls::TDragKind m_dragKind = controls::TDragKind::dkDrag;
    controls::TCursor m_dragCursor = controls::crDrag;
    DockDrag m_dockDrag;
    std::optional<QPoint> m_dragFrom;
    bool m_showHint = false;
    bool m_parentShowHint = true;
    controls::TBiDiMode m_biDiMode = controls::TBiDiMode::bdLeftToRight;
    bool m_parentBiDiMode = true;
    controls::TPopupMenu *m_popupMenu = nullptr;
    const std::unique_ptr<classes::TSizeConstraints> m_constraints = std::make_unique<classes::TSizeConstraints>();
    bool m_entered = false;
    QMetaObject::Connection m_focusWatch;
    std::optional<QPoint> m_dragPosition;
    gfx::ImageList *m_images = nullptr;
    classes::TCustomImageList *m_imagesComponent = nullptr;
    int m_imageLink = 0;
    gfx::Font m_font;
    const std::unique_ptr<classes::TFont> m_fontObject = std::make_unique<classes::TFont>();
    bool m_parentFont = true;
    bool m_syncingFont = false;
    gfx::QtTextMeasurer m_realMeasurer;
    const gfx::TextMeasurer *m_measurer = nullptr;
    // Caption widths in the font and by the measurer they were measured
    // with: the strip lays out every tab on each change, and measuring each
    // caption anew made adding pages one by one take time by the square.
    mutable std::unordered_map<QString, int> m_textWidths;
    mutable gfx::Font m_textWidthsFont;
    mutable const gfx::TextMeasurer *m_textWidthsMeasurer = nullptr;
    gfx::Canvas *m_canvas = nullptr;
    controls::RepeatTimer m_repeatTimer;
    struct DockClient
    {
        QWidget *client;
        TdxTabSheet *page;
        // Tells the control when the client is freed while docked.
        QMetaObject::Connection freed;
    };
    std::vector<DockClient> m_dockClients;
    QWidget *m_dragClient = nullptr;
    QPoint m_dragStart;
    bool m_dockDragging = false;
};

class TdxPageControl : public TdxCustomPageControl
{
    Q_OBJECT
    ZVO_CLASS(TdxPageControl)
public:
    using TdxCustomPageControl::TdxCustomPageControl;
};

// Makes both classes known to component streams; called once at start-up.
void RegisterPageControlClasses();

} // namespace widgets
