#pragma once

// The selection markers of a design surface: the rubber-band rectangle a
// drag draws over the surface, the four small corner handles, the eight
// handles of the designer's sizing marker, and the selection object that
// shows one kind of handles or the other around the selected control.

#include "report/model/bands/DesignControls.h"

#include "platform/rtl/Colors.h"
#include "platform/rtl/Types.h"

#include <QColor>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <array>

class QPainter;

namespace report {

// A filled square (its pen and brush of one colour).
class TppHandleShape : public QWidget
{
    Q_OBJECT
public:
    TppHandleShape(QWidget *aParent, int aTag, const QColor &aColor);
    int Tag() const { return m_tag; }
    void SetColor(const QColor &aColor);
    QColor Color() const { return m_color; }

protected:
    void paintEvent(QPaintEvent *aEvent) override;

private:
    int m_tag;
    QColor m_color;
};

// The rubber band: a frame two pixels wide combined with the pixels beneath
// by exclusive or, so that painting it again gives them back. Hidden until a
// drag shows it.
class TppBoundsRect : public QWidget
{
    Q_OBJECT
public:
    explicit TppBoundsRect(QWidget *aParent = nullptr);
    // The frame of aRect, combined with what aPainter's device holds.
    static void PaintFrame(QPainter &aPainter, const QRect &aRect);
    static QColor PenColor();
    static constexpr int PenWidth = 2;

protected:
    void paintEvent(QPaintEvent *aEvent) override;
};

// Four corner handles, numbered 0 to 3 by their tag: top-left, top-right,
// bottom-left, bottom-right, each inside the rectangle shown.
class TppSelectionHandles : public QObject
{
    Q_OBJECT
public:
    static constexpr int HandleSize = 5;
    explicit TppSelectionHandles(QObject *aOwner = nullptr);
    ~TppSelectionHandles() override;

    void SetParent(QWidget *aParent);
    // An inverted rectangle is taken the right way round.
    void Show(const rtl::TRect &aRect);
    void Hide();
    TppHandleShape *Handle(int aTag) const { return m_handles[size_t(aTag)].data(); }

private:
    std::array<QPointer<TppHandleShape>, 4> m_handles;
};

// The designer's sizing marker: eight handles around a control.
class TppHandleMarker : public QObject
{
    Q_OBJECT
public:
    static constexpr int HandleSize = 5;
    explicit TppHandleMarker(QWidget *aParent, QObject *aOwner = nullptr);
    ~TppHandleMarker() override;

    // Top-left, top-middle, top-right, middle-left, middle-right,
    // bottom-left, bottom-middle, bottom-right, centred on the corners and
    // edge middles of aBounds.
    void ShowAround(const QRect &aBounds, const QColor &aColor);
    void Hide();
    TppHandleShape *Handle(int aIndex) const { return m_handles[size_t(aIndex)].data(); }

private:
    std::array<QPointer<TppHandleShape>, 8> m_handles;
};

class TppSelectionObject
    : public QObject
    , public IppSelectionObject
{
    Q_OBJECT
public:
    explicit TppSelectionObject(QObject *aOwner = nullptr);
    ~TppSelectionObject() override;

    void SetParent(QWidget *aParent);
    TppBoundsRect *BoundsRect() const { return m_boundsRect.data(); }
    TppSelectionHandles *Handles() const { return m_handles; }

    // The designer's eight-handle marker, when it has one; let go when it goes.
    void SetMarker(TppHandleMarker *aMarker) { m_marker = aMarker; }
    TppHandleMarker *Marker() const { return m_marker.data(); }

    // The control of the selected object and that object's colour.
    void SetSelected(QWidget *aControl, rtl::TColor aColor);
    QWidget *Selected() const { return m_selected.data(); }

    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool aEnabled);

    void Show();
    void Hide();
    bool Showing() const { return m_showing; }
    void Refresh() override;

    // White over black or navy, black over anything else.
    static QColor MarkerColor(rtl::TColor aSelectedColor);

private:
    void fitBoundsRect();

    QPointer<TppBoundsRect> m_boundsRect;
    TppSelectionHandles *m_handles;
    QPointer<TppHandleMarker> m_marker;
    QPointer<QWidget> m_selected;
    rtl::TColor m_selectedColor = 0xFFFFFF;
    bool m_enabled = true;
    bool m_showing = false;
};

} // namespace report
