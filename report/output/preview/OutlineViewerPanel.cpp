#include "report/output/preview/OutlineViewerPanel.h"

#include "report/model/objects/EventIds.h"

#include "platform/controls/Guard.h"

namespace report {

TppOutlinePanelViewer::TppOutlinePanelViewer(TppViewer *aViewer, QWidget *aParent)
    : QTreeWidget(aParent)
    , m_viewer(aViewer)
    , m_communicator(std::make_unique<TppCommunicator>(nullptr))
{
    setHeaderHidden(true);
    connect(this, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem *, int) {
        controls::guarded(controls::Report::toUser(this), [&] {
            if (m_communicator)
                m_communicator->SendEventNotify(m_communicator.get(), ppEvent::OutlineVisibility, nullptr);
        });
    });
}

TppOutlinePanelViewer::~TppOutlinePanelViewer() = default;

void TppOutlinePanelViewer::SelectPageNode(int aPageNo)
{
    const QString page = QString::number(aPageNo);
    for (int i = 0; i < topLevelItemCount(); ++i) {
        QTreeWidgetItem *item = topLevelItem(i);
        if (item->data(0, Qt::UserRole).toString() == page) {
            setCurrentItem(item);
            return;
        }
    }
}

} // namespace report
