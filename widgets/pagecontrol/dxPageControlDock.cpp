// Dock drags: a control or page with DragKind dkDock dragged to a page
// control that is a dock site.

#include "widgets/pagecontrol/dxPageControl.h"

#include "platform/controls/Guard.h"

#include <QApplication>
#include <QCursor>
#include <QRubberBand>

namespace widgets {

namespace {

// The dock site under the mouse that will take the source: the first whose
// influence rectangle holds the point and that lets it dock. A control is
// never docked into itself or a control on it, nor into the site it already
// sits in (a docked form, or a page, over its own control).
TdxCustomPageControl *siteAt(QWidget *source, QPoint globalPos)
{
    auto *page = qobject_cast<TdxTabSheet *>(source);
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (!top->isVisible())
            continue;
        QList<TdxCustomPageControl *> sites = top->findChildren<TdxCustomPageControl *>();
        if (auto *own = qobject_cast<TdxCustomPageControl *>(top))
            sites.prepend(own);
        for (TdxCustomPageControl *site : sites) {
            if (!site->DockSite() || !site->isVisible() || site == source || source->isAncestorOf(site) ||
                site->isAncestorOf(source) || (page && page->PageControl() == site))
                continue;
            QRect influence;
            if (site->GetSiteInfo(source, influence, globalPos) && influence.contains(globalPos))
                return site;
        }
    }
    return nullptr;
}

} // namespace

DockDrag::DockDrag() = default;
DockDrag::~DockDrag() = default;

void DockDrag::start(QWidget *source, classes::TObject *sender, const TStartDockEvent &onStartDock, QWidget *grabber)
{
    m_running = true;
    m_source = source;
    m_grabber = grabber ? grabber : source;
    m_sender = sender;
    m_object = {source, QCursor::pos(), {}};
    m_site = nullptr;
    m_accepted = false;
    if (onStartDock)
        controls::guarded(controls::Report::none(), [&] { onStartDock(sender, m_object); });
    m_grabber->grabMouse();
    m_grabber->grabKeyboard();
}

void DockDrag::move(QPoint globalPos)
{
    if (!m_running)
        return;
    if (!m_source) {
        abandon(m_object.Control);
        return;
    }
    m_object.DragPos = globalPos;
    TdxCustomPageControl *site = siteAt(m_source, globalPos);
    TDragState state = TDragState::dsDragMove;
    if (site != m_site.data()) {
        leaveSite();
        m_site = site;
        state = TDragState::dsDragEnter;
    }
    m_accepted = site && site->DockOver(m_object, globalPos, state);
    if (!m_accepted) {
        if (m_frame)
            m_frame->hide();
        return;
    }
    if (!m_frame)
        m_frame = std::make_unique<QRubberBand>(QRubberBand::Rectangle);
    m_frame->setGeometry(m_object.DockRect);
    m_frame->show();
}

void DockDrag::leaveSite()
{
    if (auto *site = static_cast<TdxCustomPageControl *>(m_site.data()))
        site->DockOver(m_object, m_object.DragPos, TDragState::dsDragLeave);
    m_site = nullptr;
    m_accepted = false;
    m_object.DockRect = QRect();
}

void DockDrag::letGo()
{
    m_running = false;
    m_source = nullptr;
    if (m_grabber) {
        m_grabber->releaseKeyboard();
        m_grabber->releaseMouse();
    }
    if (m_frame)
        m_frame->hide();
}

void DockDrag::abandon(QObject *source)
{
    if (!m_running || !source || source != m_object.Control)
        return;
    // A grabber that is the source itself is going with it.
    if (m_grabber == source)
        m_grabber = nullptr;
    m_object.Control = nullptr;
    letGo();
    leaveSite();
    m_grabber = nullptr;
    m_sender = nullptr;
}

QObject *DockDrag::finish(QPoint globalPos, bool drop, const TEndDockEvent &onEndDock)
{
    if (!m_running)
        return nullptr;
    if (!m_source) {
        abandon(m_object.Control);
        return nullptr;
    }
    if (drop)
        move(globalPos);
    if (!m_running)
        return nullptr; // it went while it was moved
    QWidget *source = m_source;
    letGo();
    QObject *target = nullptr;
    if (auto *site = static_cast<TdxCustomPageControl *>(m_site.data()); drop && site && m_accepted) {
        m_site = nullptr;
        controls::guarded(controls::Report::none(), [&] { site->DockDrop(m_object, globalPos); });
        target = site;
    } else {
        leaveSite();
    }
    m_site = nullptr;
    if (onEndDock) {
        const QPoint at = source->mapFromGlobal(globalPos);
        controls::guarded(controls::Report::none(), [&] { onEndDock(m_sender, target, at.x(), at.y()); });
    }
    return target;
}

bool TdxCustomPageControl::GetSiteInfo(QWidget *client, QRect &influenceRect, QPoint mousePos)
{
    influenceRect = QRect(mapToGlobal(QPoint(0, 0)), size()).adjusted(-10, -10, 10, 10);
    bool canDock = true;
    if (OnGetSiteInfo)
        controls::guarded(controls::Report::none(),
                          [&] { OnGetSiteInfo(this, client, influenceRect, mousePos, canDock); });
    return canDock;
}

bool TdxCustomPageControl::DockOver(TDragDockObject &source, QPoint globalPos, TDragState state)
{
    // A docked control fills the pages' area.
    const rtl::TRect r = displayRect();
    source.DockRect = QRect(mapToGlobal(QPoint(r.Left, r.Top)), QSize(r.Right - r.Left, r.Bottom - r.Top));
    bool accept = true;
    if (OnDockOver) {
        const QPoint at = mapFromGlobal(globalPos);
        controls::guarded(controls::Report::none(),
                          [&] { OnDockOver(this, source, at.x(), at.y(), state, accept); });
    }
    return accept;
}

void TdxCustomPageControl::DockDrop(TDragDockObject &source, QPoint globalPos)
{
    auto *page = qobject_cast<TdxTabSheet *>(source.Control);
    if (!page) {
        DockControl(source.Control);
        return;
    }
    page->SetPageControl(this);
    SetActivePage(page);
    if (OnDockDrop) {
        const QPoint at = mapFromGlobal(globalPos);
        controls::guarded(controls::Report::none(), [&] { OnDockDrop(this, page, at.x(), at.y()); });
    }
}

} // namespace widgets
