#pragma once

// The in-place editor as a widget: a frame that draws the style's border and
// shadow around its client rectangle (where the platform has a non-client
// area), cuts itself to them with a mask, and holds the input widget of a
// text editor there. It turns Qt's events into the editor's: one key event
// gives KeyDown and then KeyPress for each character it types.
//
// A validation that refuses to let the editor go beeps once, shows its text
// once in a stop box and brings the focus back; what the refusal stopped (a
// key, a focus change, closing the window) does not happen.

#include "grid/core/InplaceEditor.h"
#include "grid/widgets/KeyTranslation.h"

#include "platform/controls/Guard.h"

#include <QPointer>
#include <QWidget>

#include <optional>

namespace gfx {
class Canvas;
class TextMeasurer;
} // namespace gfx

namespace grid {

class TdxInplaceEdit
    : public QWidget
    , public InplaceEditor
{
    Q_OBJECT
public:
    // Owned by the container and, as a widget, a child of parent, or of the
    // container when it is a widget itself.
    explicit TdxInplaceEdit(TCustomdxContainer *container, QWidget *parent = nullptr);
    ~TdxInplaceEdit() override;

    // The widget that holds the focus and gets the keys.
    virtual QWidget *inputWidget() const { return const_cast<TdxInplaceEdit *>(this); }
    // Text of the frame is measured with this; nullptr: the real fonts.
    void setTextMeasurer(const gfx::TextMeasurer *measurer);
    // The client rectangle within the frame.
    QRect clientRect();
    // The frame and, for an editor that is not a text editor, the content,
    // drawn from the paint data given.
    virtual void PaintEdit(gfx::Canvas &canvas, TdxEditViewData &viewData);
    virtual void DrawEditBorder(gfx::Canvas &canvas, const TdxEditViewInfo &info, const TdxEditViewData &viewData);
    virtual void DrawEditContent(gfx::Canvas &canvas, const rtl::TRect &rect, const TdxEditViewData &viewData);
    // The height a line of the editor's font asks for.
    virtual int GetDefaultHeight();

    // The input widget's events, in Qt's terms.
    void handleKeyPress(QKeyEvent *event);
    // Text an input method commits is typed: each character goes the way of
    // a typed key's, through the routing, the case, MaxLength and the mask.
    void handleCommittedText(QStringView text);
    void handleKeyRelease(QKeyEvent *event);
    void handleFocusIn(Qt::FocusReason reason);
    void handleFocusOut(Qt::FocusReason reason);
    void handleWheel(QWheelEvent *event);
    // A left press; true when it is to count as a double click.
    bool handleLeftPress(const QMouseEvent *event);
    // True when Tab is the editor's and not the dialog's.
    bool routesTab();
    // Tab that is the dialog's: the focus goes to the control after (or
    // before) the one the editor sits in. False when the editor sits in no
    // control of its own, so that the window's order applies as it is.
    bool tabOutOfHost(bool backward);

    // The editor is hiding and gives the keys to its control: what is
    // selected stays, as where the keys go once it has them again.
    bool hidingWithKeys() const { return m_hidingWithKeys; }

    // A control the editor sits in has a popup menu of its own: a context
    // menu request then goes to it rather than to the editor's own menu.
    bool parentHasPopupMenu() const;

    // Runs the work of a Qt edge of the editor: a failure is told to the
    // user over the editor's window and goes no further.
    template <class Work>
    bool atEdge(Work &&work)
    {
        return controls::guarded(controls::Report::toUser(window()), std::forward<Work>(work));
    }

protected:
    // ---- Window operations of the editor ----
    QString Text() const override { return m_text; }
    void SetText(const QString &text) override;
    rtl::TRect BoundsRect() const override;
    void SetBoundsRect(const rtl::TRect &rect) override;
    void ShowEditWindow() override;
    void HideEditWindow() override;
    bool HasFocus() const override;
    void SetFocus() override;
    void ReturnFocus() override;
    bool Enabled() const override { return isEnabled(); }
    void Invalidate() override { update(); }
    void ApplyWindowRegion(const std::vector<rtl::TRect> &region) override;
    void Beep() override;
    void ReportRefusal(const QString &errorText) override;
    void UpdateWindowRegion() override;
    TShiftState KeyboardState() const override;

    // The input widget's own handling of a key whose routing left key (0:
    // swallowed), after the characters it types went through KeyPress; the
    // frame alone has none.
    virtual void ownKeyEvent(QKeyEvent *event, TKey key, const QString &characters);
    // The client rectangle moved or changed its size.
    virtual void clientRectChanged(const QRect &) {}
    bool enteredByMouse() const { return m_enteredByMouse; }
    const gfx::TextMeasurer *textMeasurer() const { return m_measurer; }

    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *containerWidget() const;
    // The control the editor sits in: its parent, or the scroll area whose
    // viewport that is.
    QWidget *hostWidget() const;
    void watchWindow();

    // The pointer is at that point of the editor: its own cursor there,
    // where it has one.
    void applyEditCursor(const QPoint &at);

    QString m_text;
    CharacterJoiner m_typed;
    const gfx::TextMeasurer *m_measurer = nullptr;
    // The input widget's cursor before the editor put its own.
    std::optional<QCursor> m_windowCursor;
    // The widget whose pointer moves ask for the cursor anew.
    QPointer<QWidget> m_pointerWidget;
    bool m_enteredByMouse = false;
    // A refusal's message is up: the focus it takes validates nothing.
    bool m_reporting = false;
    // A refused exit let the focus go; it comes back as if it had stayed.
    bool m_focusHeld = false;
    bool m_hidingWithKeys = false;
    QPointer<QWidget> m_window; // whose closing is validated
};

} // namespace grid
