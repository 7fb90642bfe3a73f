#pragma once

// TppOutlinePanelViewer: the outline tree beside the previewed page, as the
// preview drives it: cleared, shown, hidden, asked whether it shows, and
// told which page is shown. This one holds no nodes of its own; a viewer
// that reads the report's outline replaces it through the preview's
// CreateOutlineViewer. A chosen node is told as event 101 through its
// communicator.

#include "report/model/objects/Communicator.h"

#include <QTreeWidget>

#include <memory>

namespace report {

class TppViewer;

class TppOutlinePanelViewer : public QTreeWidget
{
public:
    TppOutlinePanelViewer(TppViewer *aViewer, QWidget *aParent);
    ~TppOutlinePanelViewer() override;

    TppCommunicator *Communicator() const { return m_communicator.get(); }
    // The communicator went without the viewer: nothing frees it again.
    void ForgetCommunicator() { (void)m_communicator.release(); }
    TppViewer *Viewer() const { return m_viewer; }

    virtual void Clear() { clear(); }
    virtual bool Showing() const { return isVisibleTo(parentWidget()); }
    virtual void SetShowing(bool aValue) { setVisible(aValue); }
    // Selects the node of the page; nothing without one.
    virtual void SelectPageNode(int aPageNo);
    // With the outline enabled but hidden, only its popup menu is made.
    virtual void PreparePopupMenu() {}
    // The library's language changed: texts of its own follow it.
    virtual void retranslate() {}

private:
    TppViewer *m_viewer;
    std::unique_ptr<TppCommunicator> m_communicator;
};

} // namespace report
