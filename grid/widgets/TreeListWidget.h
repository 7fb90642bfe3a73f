#pragma once

// The window of a tree list. The viewport is the whole client area, panels
// included, painted opaquely by the grid's painter; the tree list decides
// everything else and reaches the window through the TreeListHost calls
// this class answers.

#include "grid/core/PanningController.h"
#include "grid/core/TreeListHost.h"
#include "grid/core/TreeListLife.h"
#include "grid/widgets/KeyTranslation.h"

#include "platform/gfx/TextMeasurer.h"

#include <QAbstractScrollArea>
#include <QBasicTimer>

#include <map>
#include <memory>
#include <optional>

namespace grid {

class PanningSession;
class TCustomdxTreeList;
class TdxContainerHintWindow;
class TreeListDragImageWindow;

class TreeListWidget
    : public QAbstractScrollArea
    , public TreeListHost
    , public PanningHost
{
public:
    // The tree list is not owned; it must outlive the widget or be detached
    // with setTreeList(nullptr) first.
    explicit TreeListWidget(TCustomdxTreeList *tree, QWidget *parent = nullptr);
    ~TreeListWidget() override;

    // A new grid window's size, and what it asks of a layout.
    static constexpr QSize DefaultSize{250, 150};
    QSize sizeHint() const override;

    TCustomdxTreeList *treeList() const { return m_tree.get(); }
    void setTreeList(TCustomdxTreeList *tree);
    // The picture the grid paints in its current state, without a window
    // system: what a paint event would put on the viewport.
    // withFocus: as it looks while it has the keyboard focus. The client
    // size is the viewport's, or the one given; the viewport's is back
    // afterwards.
    QImage render(bool withFocus = true, QSize size = QSize());
    // How many paint passes ended in an exception of a handler.
    int failedPaints() const { return m_failedPaints; }
    // Where the sizing line of the running sizing mode stands, in viewport
    // coordinates; empty when none is shown (no mode, or the feedback
    // hidden by the scroll bracket).
    QRect sizingLine() const;
    // Beeps the tree list asked for.
    int beeps() const { return m_beeps; }
    // Rows the last paint event drew (those its region touched).
    int lastRowsPainted() const { return m_lastRowsPainted; }
    // The bars' ranges, pages and positions from the tree list, and whether
    // they show: each as the tree list's setting allows and only while its
    // page does not hold everything; after a resize neither when all of
    // the contents fit the area without bars.
    void updateScrollBars() override;

    // ---- TreeListHost ----
    void invalidate(const rtl::TRect &rect) override;
    void scrollContents(int dx, int dy, const rtl::TRect &area) override;
    void invalidateAll() override;
    void updateNow() override;
    bool hasKeyboardFocus() const override;
    void setKeyboardFocus() override;
    bool canFocus() const override;
    void startTimer(int id, int intervalMs) override;
    void stopTimer(int id) override;
    void setCursor(TCursor cursor) override;
    void showHint(const rtl::TPoint &clientPoint, const QString &text, const classes::TFont &font) override;
    void hideHint() override;
    // The grid's hint window while a hint shows; none otherwise.
    TdxContainerHintWindow *hintWindow() const { return m_hint.get(); }
    void setBusyCursor(bool busy) override;
    void setClipboardText(const QString &text) override;
    TShiftState keyState() const override;
    int doubleClickTime() const override;
    void beep() override;
    // The tree list's text and mask editors, as children of the viewport.
    InplaceEditor *createEditor(const QString &className, TCustomdxContainer *owner) override;
    const gfx::TextMeasurer &textMeasurer() const override { return m_measurer; }
    // The grid under the point among the grid windows of the program that
    // are shown, the window on top first.
    TCustomdxTreeList *treeListAt(TCustomdxTreeList &self, rtl::TPoint &point) override;
    void beginDragImage(const TreeListDragPicture &picture, const rtl::TPoint &clientPoint) override;
    void moveDragImage(const rtl::TPoint &clientPoint, bool besideCursor) override;
    void endDragImage() override;
    // The window carrying the running drag's picture; none between drags.
    TreeListDragImageWindow *dragImageWindow() const { return m_dragImage.get(); }
    // Where the drop arrows of a header drag stand, in viewport
    // coordinates; empty when none are shown.
    QRect dropArrows() const;
    // The input method's window goes beside the focused cell.
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

    // ---- PanningHost ----
    void startPanning(TCustomdxTreeList &tree) override;
    // The running panning mode, or none.
    PanningSession *panning() const { return m_panning; }

protected:
    // Tab and Shift+Tab are the grid's keys only while its options keep
    // them; else they move the focus between controls.
    bool event(QEvent *event) override;
    // One key goes to the tree list as a key down and then, unless that
    // swallowed it, as the characters it types.
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void timerEvent(QTimerEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void changeEvent(QEvent *event) override;
    // The pointer coming into and leaving the client area.
    bool viewportEvent(QEvent *event) override;
    // A composition of the input method goes to the focused cell's editor,
    // opened for it where typing opens one; without an editor what it
    // commits is typed into the grid.
    void inputMethodEvent(QInputMethodEvent *event) override;

private:
    // Characters typed on the grid, or into the editor once one opened.
    void typeCharacters(const std::vector<TChar> &characters);
    void paintOn(QPainter &painter);
    void barsFollow();
    void clientResized();
    void barAction(bool vertical, int action);
    void mouseButton(QMouseEvent *event, bool down, TShiftState extra);
    void feedbackChanged();
    // The frame follows the tree list's border; answers whether it changed.
    bool applyBorder();
    void paintFlatBorder();
    // Whether the window still has its grid: a handler the grid called
    // meanwhile may have let it go, or freed it.
    bool holdsTree();

    // The grid shown, read through its token: none once a handler freed it,
    // whichever Qt event the window is in when that comes out.
    class HeldTree
    {
    public:
        void reset(TCustomdxTreeList *tree, TreeListAlive alive)
        {
            m_tree = tree;
            m_alive = std::move(alive);
        }
        TCustomdxTreeList *get() const { return m_tree && !m_alive.expired() ? m_tree : nullptr; }
        operator TCustomdxTreeList *() const { return get(); }
        TCustomdxTreeList *operator->() const { return get(); }

    private:
        TCustomdxTreeList *m_tree = nullptr;
        TreeListAlive m_alive;
    };
    HeldTree m_tree;
    gfx::QtTextMeasurer m_measurer;
    std::map<int, QBasicTimer> m_timers;
    int m_failedPaints = 0;
    bool m_assumeFocus = false;
    int m_lastRowsPainted = 0;
    int m_beeps = 0;
    QWidget *m_overlay = nullptr;
    // The modifiers of the key event being handled; a synthetic event's
    // are not in the system's key state.
    std::optional<Qt::KeyboardModifiers> m_eventModifiers;
    CharacterJoiner m_typed;
    int m_wheelRest = 0;
    bool m_updatingBars = false;
    bool m_trimBars = false;
    QSize m_lastViewportSize;
    int m_border = -1; // the border the frame was made for
    PanningSession *m_panning = nullptr;
    QPoint m_pressGlobal;
    std::unique_ptr<TdxContainerHintWindow> m_hint;
    std::unique_ptr<TreeListDragImageWindow> m_dragImage;
};

} // namespace grid
