#include "report/output/design/SelectionObject.h"

#include "platform/gfx/Colors.h"
#include "platform/rtl/Colors.h"

#include <QPaintEvent>
#include <QPainter>

namespace report {

// ---- TppHandleShape ------------------------------------------------------------------

TppHandleShape::TppHandleShape(QWidget *aParent, int aTag, const QColor &aColor)
    : QWidget(aParent)
    , m_tag(aTag)
    , m_color(aColor)
{
    hide();
}

void TppHandleShape::SetColor(const QColor &aColor)
{
    m_color = aColor;
    update();
}

void TppHandleShape::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), m_color);
}

// ---- TppBoundsRect -------------------------------------------------------------------

TppBoundsRect::TppBoundsRect(QWidget *aParent)
    : QWidget(aParent)
{
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    hide();
}

QColor TppBoundsRect::PenColor()
{
    return gfx::ToQColor(rtl::clBtnShadow);
}

// Four strips that do not overlap, so that no pixel is combined twice.
void TppBoundsRect::PaintFrame(QPainter &aPainter, const QRect &aRect)
{
    const QRect r = aRect.normalized();
    if (r.isEmpty())
        return;
    aPainter.save();
    aPainter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    const QColor pen = PenColor();
    const int w = r.width();
    const int h = r.height();
    const int band = std::min(PenWidth, std::min(w, h));
    aPainter.fillRect(QRect(r.left(), r.top(), w, band), pen);
    if (h > band)
        aPainter.fillRect(QRect(r.left(), r.top() + std::max(band, h - band), w, std::min(band, h - band)), pen);
    const int sideTop = r.top() + band;
    const int sideHeight = h - 2 * band;
    if (sideHeight > 0) {
        aPainter.fillRect(QRect(r.left(), sideTop, band, sideHeight), pen);
        if (w > band)
            aPainter.fillRect(QRect(r.left() + std::max(band, w - band), sideTop, std::min(band, w - band), sideHeight),
                              pen);
    }
    aPainter.restore();
}

void TppBoundsRect::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    PaintFrame(painter, rect());
}

// ---- TppSelectionHandles -------------------------------------------------------------

TppSelectionHandles::TppSelectionHandles(QObject *aOwner)
    : QObject(aOwner)
{}

TppSelectionHandles::~TppSelectionHandles()
{
    for (const QPointer<TppHandleShape> &handle : m_handles)
        delete handle.data();
}

void TppSelectionHandles::SetParent(QWidget *aParent)
{
    const QColor grey = gfx::ToQColor(0xC0C0C0);
    for (int tag = 0; tag < 4; ++tag) {
        QPointer<TppHandleShape> &handle = m_handles[size_t(tag)];
        if (!handle) {
            handle = new TppHandleShape(aParent, tag, grey);
            handle->resize(HandleSize, HandleSize);
        } else {
            handle->setParent(aParent);
            handle->hide();
        }
    }
}

void TppSelectionHandles::Show(const rtl::TRect &aRect)
{
    const int left = std::min(aRect.Left, aRect.Right);
    const int top = std::min(aRect.Top, aRect.Bottom);
    const int right = std::max(aRect.Left, aRect.Right) - HandleSize;
    const int bottom = std::max(aRect.Top, aRect.Bottom) - HandleSize;
    const QPoint corners[4] = {{left, top}, {right, top}, {left, bottom}, {right, bottom}};
    for (int tag = 0; tag < 4; ++tag)
        if (TppHandleShape *handle = m_handles[size_t(tag)]) {
            handle->move(corners[tag]);
            handle->show();
            handle->raise();
        }
}

void TppSelectionHandles::Hide()
{
    for (const QPointer<TppHandleShape> &handle : m_handles)
        if (handle)
            handle->hide();
}

// ---- TppHandleMarker -----------------------------------------------------------------

TppHandleMarker::TppHandleMarker(QWidget *aParent, QObject *aOwner)
    : QObject(aOwner)
{
    for (int i = 0; i < 8; ++i) {
        m_handles[size_t(i)] = new TppHandleShape(aParent, i, Qt::black);
        m_handles[size_t(i)]->resize(HandleSize, HandleSize);
    }
}

TppHandleMarker::~TppHandleMarker()
{
    for (const QPointer<TppHandleShape> &handle : m_handles)
        delete handle.data();
}

void TppHandleMarker::ShowAround(const QRect &aBounds, const QColor &aColor)
{
    const int l = aBounds.left();
    const int t = aBounds.top();
    const int w = aBounds.width();
    const int h = aBounds.height();
    const int xs[3] = {l - 2, l + w / 2 - 2, l + w - 2};
    const int ys[3] = {t - 2, t + h / 2 - 2, t + h - 2};
    const QPoint at[8] = {{xs[0], ys[0]}, {xs[1], ys[0]}, {xs[2], ys[0]}, {xs[0], ys[1]},
                          {xs[2], ys[1]}, {xs[0], ys[2]}, {xs[1], ys[2]}, {xs[2], ys[2]}};
    for (int i = 0; i < 8; ++i)
        if (TppHandleShape *handle = m_handles[size_t(i)]) {
            handle->SetColor(aColor);
            handle->move(at[i]);
            handle->show();
            handle->raise();
        }
}

void TppHandleMarker::Hide()
{
    for (const QPointer<TppHandleShape> &handle : m_handles)
        if (handle)
            handle->hide();
}

// ---- TppSelectionObject --------------------------------------------------------------

TppSelectionObject::TppSelectionObject(QObject *aOwner)
    : QObject(aOwner)
    , m_boundsRect(new TppBoundsRect)
    , m_handles(new TppSelectionHandles(this))
{}

TppSelectionObject::~TppSelectionObject()
{
    delete m_boundsRect.data();
}

void TppSelectionObject::SetParent(QWidget *aParent)
{
    if (m_boundsRect)
        m_boundsRect->setParent(aParent);
    m_handles->SetParent(aParent);
}

void TppSelectionObject::SetSelected(QWidget *aControl, rtl::TColor aColor)
{
    m_selected = aControl;
    m_selectedColor = aColor;
    if (m_showing)
        Show();
    else
        fitBoundsRect();
}

void TppSelectionObject::SetEnabled(bool aEnabled)
{
    m_enabled = aEnabled;
    fitBoundsRect();
}

QColor TppSelectionObject::MarkerColor(rtl::TColor aSelectedColor)
{
    return aSelectedColor == 0 || aSelectedColor == 0x800000 ? Qt::white : Qt::black;
}

void TppSelectionObject::fitBoundsRect()
{
    if (m_enabled && m_selected && m_boundsRect)
        m_boundsRect->setGeometry(m_selected->geometry());
}

void TppSelectionObject::Show()
{
    m_showing = true;
    if (m_boundsRect)
        m_boundsRect->hide();
    fitBoundsRect();
    if (!m_selected)
        return;
    const QRect bounds = m_selected->geometry();
    if (m_marker) {
        m_handles->Hide();
        m_marker->ShowAround(bounds, MarkerColor(m_selectedColor));
    } else {
        m_handles->Show({bounds.left(), bounds.top(), bounds.left() + bounds.width(), bounds.top() + bounds.height()});
    }
}

void TppSelectionObject::Hide()
{
    m_showing = false;
    if (m_marker)
        m_marker->Hide();
    m_handles->Hide();
}

void TppSelectionObject::Refresh()
{
    if (m_showing)
        Show();
    else
        fitBoundsRect();
}

} // namespace report

#include "moc_SelectionObject.cpp"
