#pragma once

// TppAutoSearchNotebook: lays out one criterion panel per auto-search field
// in its parent window: a single scrolling area for one group, a page per
// group, in TabOrder, for two or more. Where reordering is allowed, the
// pages' popup moves them left and right and their groups keep the new
// order.

#include "report/output/autosearch/AutoSearchPanels.h"

#include "platform/classes/Component.h"

#include <QPixmap>

#include <functional>
#include <vector>

class QScrollArea;
class QTabWidget;
class QWidget;

namespace report {

class TppAutoSearchGroup;
class TppAutoSearchGroups;

// "PPERRORBULLET": the 5 x 5 mark of a page with a failing panel.
QPixmap ppErrorBulletBitmap();

class TppAutoSearchNotebook
{
public:
    TppAutoSearchNotebook(TppAutoSearchGroups *aGroups, QWidget *aParent, bool aMayReorder);
    ~TppAutoSearchNotebook();
    TppAutoSearchNotebook(const TppAutoSearchNotebook &) = delete;
    TppAutoSearchNotebook &operator=(const TppAutoSearchNotebook &) = delete;

    // May replace the panel class of a field.
    std::function<void(TppAutoSearchNotebook *, TppAutoSearchField *, TppAutoSearchPanelFactory &)> OnGetPanelClass;
    std::function<void(TppAutoSearchField *, TppAutoSearchPanel *)> OnPanelCreated;

    // Creates the panels; once.
    void Build();
    // Every panel, page by page.
    int PanelCount() const { return int(m_panels.size()); }
    TppAutoSearchPanel *Panels(int aIndex) const { return m_panels[size_t(aIndex)].panel; }
    // The page index of a panel (0 without pages).
    int PageOf(int aIndex) const { return m_panels[size_t(aIndex)].page; }
    // ApplyCriteria on every panel, even after a failure; a page with a
    // failing panel shows the error bullet, and the first failing panel's
    // page comes to the front with its editor focused. True when all pass.
    bool ApplyCriteria();

    int Height() const { return m_height; }
    int GreatestWidth() const { return m_greatestWidth; }
    bool HasMandatory() const { return m_hasMandatory; }
    // The page control with two groups or more, else nullptr.
    QTabWidget *PageControl() const { return m_pageControl; }
    QScrollArea *ScrollBox() const { return m_scrollBox; }
    QWidget *Widget() const;
    // The active page by one to the left (-1) or right (1), the groups'
    // TabOrder following the pages.
    void MoveActivePage(int aDirection);

private:
    struct PanelEntry
    {
        TppAutoSearchPanel *panel;
        int page;
    };

    QScrollArea *makeScrollBox(QWidget *aParent);
    int fillContainer(TppAutoSearchGroup &aGroup, QWidget &aContainer, int aPage, bool aOnPage);
    void showPopup(const QPoint &aAt);

    TppAutoSearchGroups *m_groups;
    QWidget *m_parent;
    bool m_mayReorder;
    bool m_built = false;
    int m_height = 0;
    int m_greatestWidth = 0;
    bool m_hasMandatory = false;
    QTabWidget *m_pageControl = nullptr;
    QScrollArea *m_scrollBox = nullptr;
    std::vector<TppAutoSearchGroup *> m_pageGroups;
    std::vector<PanelEntry> m_panels;
};

} // namespace report
