#include "report/output/preview/OutlineViewer.h"

#include "report/model/base/Exceptions.h"
#include "report/model/base/Messages.h"
#include "report/model/objects/EventIds.h"
#include "report/model/objects/ParamList.h"
#include "report/model/outline/OutlineDrawCommand.h"
#include "report/model/outline/OutlineNode.h"
#include "report/model/pages/Page.h"
#include "report/output/screen/Viewer.h"

#include "platform/controls/Guard.h"

#include <QMenu>
#include <QMouseEvent>

namespace report {

namespace {

constexpr int OutlinePageRole = Qt::UserRole;
// Items that are no node: the blank line and "...more...".
constexpr int OutlineFillerRole = Qt::UserRole + 1;
// More than a panel can ever show; a caption of a megabyte took seconds
// to lay out at every repaint of the tree.
constexpr qsizetype OutlineShownCaptionLength = 1024;
constexpr const char *OutlineViewerWalkieTalkie =
    "TppOutlineViewer.Notification: Do not try to free the embedded walkie talkie.";

} // namespace

TppOutlineViewer::TppOutlineViewer(TppViewer *aViewer, QWidget *aParent)
    : TppOutlinePanelViewer(aViewer, aParent)
    , m_pageViewer(aViewer)
{
    // The items are the report's; nothing here edits them or takes a tab.
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setRootIsDecorated(false);
    setFocusPolicy(Qt::ClickFocus);
    setHotTrack(true);
    watchCommunicator();
    connect(this, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem *aItem, int) {
        controls::guarded(controls::Report::toUser(this), [&] { turnToItem(aItem); });
    });
    connect(this, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *aItem, QTreeWidgetItem *) {
        controls::guarded(controls::Report::toUser(this), [&] { turnToItem(aItem); });
    });
}

TppOutlineViewer::~TppOutlineViewer()
{
    m_watcher.reset();
}

void TppOutlineViewer::watchCommunicator()
{
    m_watcher = std::make_unique<TppCommunicator>(nullptr);
    m_watcher->OnNotify.Set([this](classes::TObject *, TppCommunicator *aCommunicator, int aOperation) {
        if (aOperation != ppNotify::Remove || !Communicator() || aCommunicator != Communicator())
            return;
        // A destructor cannot be refused: the viewer lets go of it instead.
        if (aCommunicator->IsDestroying()) {
            qWarning("%s", qPrintable(QString::fromLatin1(OutlineViewerWalkieTalkie)));
            ForgetCommunicator();
            return;
        }
        throw EBrevantorError(QString::fromLatin1(OutlineViewerWalkieTalkie));
    });
    Communicator()->AddNotify(m_watcher.get());
}

void TppOutlineViewer::setHotTrack(bool aValue)
{
    m_hotTrack = aValue;
    setMouseTracking(aValue);
    setAttribute(Qt::WA_Hover, aValue);
    if (!aValue)
        setToolTip(QString());
}

bool TppOutlineViewer::isMoreItem(const QTreeWidgetItem *aItem) const
{
    return aItem && aItem->data(0, OutlineFillerRole).toBool();
}

void TppOutlineViewer::addNodes(const TppOutlineNode *aNode, QTreeWidgetItem *aParent)
{
    for (int i = 0; i < aNode->ChildCount(); ++i) {
        const auto *child = dynamic_cast<const TppOutlineNode *>(aNode->ChildAt(i));
        if (!child)
            continue;
        auto *item = aParent ? new QTreeWidgetItem(aParent) : new QTreeWidgetItem(this);
        item->setText(0, child->Caption().left(OutlineShownCaptionLength));
        item->setData(0, OutlinePageRole, child->PageReference());
        addNodes(child, item);
    }
}

void TppOutlineViewer::Rebuild(const TppOutlineDrawCommand *aCommand)
{
    m_selecting = true;
    clear();
    m_shownNodeCount = 0;
    const TppOutlineNode *root = aCommand ? aCommand->OutlineNode() : nullptr;
    if (root) {
        addNodes(root, nullptr);
        m_shownNodeCount = root->AbsoluteChildNodeCount();
    }
    expandAll();
    if (m_shownNodeCount >= 1 && !m_outlineComplete)
        for (const QString &text : {QString(), ppLoadStr(1045)}) {
            auto *item = new QTreeWidgetItem(this);
            item->setText(0, text);
            item->setData(0, OutlineFillerRole, true);
        }
    if (m_shownNodeCount == 1 && m_outlineComplete)
        setHotTrack(false);
    m_selecting = false;
}

void TppOutlineViewer::PageChanged(TppPage *aPage)
{
    if (!aPage)
        return;
    if (QTreeWidgetItem *selected = currentItem();
        selected && selected->data(0, OutlinePageRole).toInt() != aPage->AbsolutePageNo()) {
        m_selecting = true;
        setCurrentItem(nullptr);
        clearSelection();
        m_selecting = false;
    }
    const auto *command = dynamic_cast<const TppOutlineDrawCommand *>(aPage->OutlineDrawCommand());
    if (!command)
        return;
    m_outlineComplete = command->OutlineComplete();
    if (command->NodeCount() > m_shownNodeCount) {
        Rebuild(command);
        return;
    }
    if (!m_outlineComplete)
        return;
    const TppOutlineNode *root = command->OutlineNode();
    const auto *first =
        root && root->ChildCount() > 0 ? dynamic_cast<const TppOutlineNode *>(root->ChildAt(0)) : nullptr;
    if (!first || first->NodeType() == TppOutlineNodeType::ntNoOutline)
        setHotTrack(false);
    // The blank line goes with the "...more..." it set apart.
    while (topLevelItemCount() > 0 && isMoreItem(topLevelItem(topLevelItemCount() - 1)))
        delete takeTopLevelItem(topLevelItemCount() - 1);
}

void TppOutlineViewer::SelectPage(int aPageNo)
{
    if (currentItem())
        return;
    for (QTreeWidgetItemIterator it(this); *it; ++it)
        if (!isMoreItem(*it) && (*it)->data(0, OutlinePageRole).toInt() == aPageNo) {
            m_selecting = true;
            setCurrentItem(*it);
            m_selecting = false;
            return;
        }
}

void TppOutlineViewer::SelectPageNode(int aPageNo)
{
    if (m_pageViewer)
        PageChanged(m_pageViewer->CurrentPage());
    SelectPage(aPageNo);
}

void TppOutlineViewer::turnToItem(QTreeWidgetItem *aItem)
{
    if (m_selecting || !aItem || isMoreItem(aItem) || !m_pageViewer)
        return;
    const int page = aItem->data(0, OutlinePageRole).toInt();
    if (page > 0 && page != m_pageViewer->AbsolutePageNo())
        m_pageViewer->GotoPage(page);
}

void TppOutlineViewer::mousePressEvent(QMouseEvent *aEvent)
{
    // The right button opens the menu only; it selects nothing.
    if (aEvent->button() == Qt::RightButton) {
        aEvent->accept();
        return;
    }
    TppOutlinePanelViewer::mousePressEvent(aEvent);
}

void TppOutlineViewer::mouseDoubleClickEvent(QMouseEvent *aEvent)
{
    // A double click would fold the branch the first click turned to.
    if (aEvent->button() == Qt::LeftButton) {
        aEvent->accept();
        return;
    }
    TppOutlinePanelViewer::mouseDoubleClickEvent(aEvent);
}

void TppOutlineViewer::showEvent(QShowEvent *aEvent)
{
    TppOutlinePanelViewer::showEvent(aEvent);
    PreparePopupMenu();
}

void TppOutlineViewer::PreparePopupMenu()
{
    if (m_popupMenu) {
        UpdatePopupMenu();
        return;
    }
    m_popupMenu = new QMenu(this);
    // Clear frees the menu; the viewer's own request makes it again, so
    // that a cleared outline that stays on screen still has its menu.
    if (!m_menuRequests)
        m_menuRequests = connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint &aPos) {
            PreparePopupMenu();
            m_popupMenu->popup(viewport()->mapToGlobal(aPos));
        });
    QAction *toggle = m_popupMenu->addAction(QString());
    QAction *expand = m_popupMenu->addAction(QString());
    QAction *collapse = m_popupMenu->addAction(QString());
    connect(toggle, &QAction::triggered, this,
            [this] { controls::guarded(controls::Report::toUser(this), [&] { SetVisible(!Showing()); }); });
    connect(expand, &QAction::triggered, this, [this] { expandAll(); });
    connect(collapse, &QAction::triggered, this, [this] { collapseAll(); });
    setContextMenuPolicy(Qt::CustomContextMenu);
    // A hidden outline comes back through the page's menu.
    if (m_pageViewer) {
        m_pageViewer->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(m_pageViewer, &QWidget::customContextMenuRequested, m_popupMenu,
                [this](const QPoint &aPos) { m_popupMenu->popup(m_pageViewer->mapToGlobal(aPos)); });
    }
    UpdatePopupMenu();
}

void TppOutlineViewer::retranslate()
{
    UpdatePopupMenu();
    for (int i = 0; i < topLevelItemCount(); ++i)
        if (QTreeWidgetItem *item = topLevelItem(i); isMoreItem(item) && !item->text(0).isEmpty())
            item->setText(0, ppLoadStr(1045));
}

void TppOutlineViewer::UpdatePopupMenu()
{
    if (!m_popupMenu)
        return;
    const QList<QAction *> actions = m_popupMenu->actions();
    const bool showing = Showing();
    actions[0]->setText(ppLoadStr(showing ? 1041 : 1042));
    actions[1]->setText(ppLoadStr(1043));
    actions[2]->setText(ppLoadStr(1044));
    actions[1]->setEnabled(showing);
    actions[2]->setEnabled(showing);
}

void TppOutlineViewer::SetVisible(bool aVisible)
{
    if (m_busy)
        return;
    m_busy = true;
    QWidget *window = parentWidget();
    const bool updates = window && window->updatesEnabled();
    if (window)
        window->setUpdatesEnabled(false);
    setVisible(aVisible);
    if (aVisible)
        PreparePopupMenu();
    else
        UpdatePopupMenu();
    bool visible = aVisible;
    TraParamList params;
    params.AddParam(QStringLiteral("Visible"), TraDataType::daBoolean);
    params.SetParamValuePointer(0, &visible);
    const QPointer<TppOutlineViewer> alive(this);
    try {
        if (Communicator())
            Communicator()->SendEventNotify(Communicator(), ppEvent::OutlineVisibility, &params);
    } catch (...) {
        if (alive) {
            m_busy = false;
            if (window)
                window->setUpdatesEnabled(updates);
        }
        throw;
    }
    if (!alive)
        return;
    m_busy = false;
    if (window)
        window->setUpdatesEnabled(updates);
}

void TppOutlineViewer::Clear()
{
    m_selecting = true;
    clear();
    m_selecting = false;
    m_shownNodeCount = 0;
    m_outlineComplete = false;
    setHotTrack(true);
    if (m_popupMenu) {
        if (m_pageViewer)
            disconnect(m_pageViewer, &QWidget::customContextMenuRequested, m_popupMenu, nullptr);
        delete m_popupMenu;
        m_popupMenu = nullptr;
    }
}

} // namespace report
