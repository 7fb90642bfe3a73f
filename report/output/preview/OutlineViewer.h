#pragma once

// TppOutlineViewer: the report's outline beside the previewed page. It
// shows the tree that the shown page carries, rebuilt when a later page
// brings more nodes; while the report is still generating, "...more..."
// ends the list. Choosing a node turns the viewer to its page. Its popup
// menu hides and shows it and expands or collapses the tree; a change of
// visibility is told as event 101 with "Visible".

#include "report/output/preview/OutlineViewerPanel.h"

#include <QObject>
#include <QPointer>

#include <memory>

class QMenu;

namespace report {

class TppOutlineDrawCommand;
class TppOutlineNode;
class TppPage;

class TppOutlineViewer : public TppOutlinePanelViewer
{
public:
    TppOutlineViewer(TppViewer *aViewer, QWidget *aParent);
    ~TppOutlineViewer() override;

    // The command's tree: the root's children at the top level, each item
    // the node's caption with its page as data, all expanded.
    void Rebuild(const TppOutlineDrawCommand *aCommand);
    // Follows the shown page: its tree when it brings more nodes, the end
    // of "...more..." once the outline is complete.
    void PageChanged(TppPage *aPage);
    // With nothing selected, the first item of the page.
    void SelectPage(int aPageNo);
    // Ignored while a change of visibility is under way.
    void SetVisible(bool aVisible);
    bool OutlineComplete() const { return m_outlineComplete; }
    int ShownNodeCount() const { return m_shownNodeCount; }
    // Whether hovering marks items (off for an outline of one entry).
    bool HotTrack() const { return m_hotTrack; }
    QMenu *PopupMenu() const { return m_popupMenu; }
    // "Hide Outline" or "Show Outline", "Expand Outline", "Collapse Outline".
    void UpdatePopupMenu();

    void Clear() override;
    void SetShowing(bool aValue) override { SetVisible(aValue); }
    void SelectPageNode(int aPageNo) override;
    void PreparePopupMenu() override;
    // The menu and "...more..." (the nodes' captions are the report's).
    void retranslate() override;

protected:
    void mousePressEvent(QMouseEvent *aEvent) override;
    void mouseDoubleClickEvent(QMouseEvent *aEvent) override;
    void showEvent(QShowEvent *aEvent) override;

private:
    void addNodes(const TppOutlineNode *aNode, QTreeWidgetItem *aParent);
    void watchCommunicator();
    void setHotTrack(bool aValue);
    void turnToItem(QTreeWidgetItem *aItem);
    bool isMoreItem(const QTreeWidgetItem *aItem) const;

    QPointer<TppViewer> m_pageViewer;
    // Hears of the embedded communicator going.
    std::unique_ptr<TppCommunicator> m_watcher;
    QMenu *m_popupMenu = nullptr;
    QMetaObject::Connection m_menuRequests;
    bool m_outlineComplete = false;
    int m_shownNodeCount = 0;
    bool m_hotTrack = true;
    bool m_busy = false;
    bool m_selecting = false;
};

} // namespace report
