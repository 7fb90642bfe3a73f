#include "report/output/autosearch/AutoSearchNotebook.h"

#include "report/model/autosearch/AutoSearchField.h"
#include "report/model/autosearch/AutoSearchGroups.h"
#include "report/model/base/Messages.h"

#include "platform/controls/Direction.h"

#include <QMenu>
#include <QPainter>
#include <QScrollArea>
#include <QTabBar>
#include <QTabWidget>

#include <algorithm>

namespace report {

namespace {

constexpr int notebookTabsHeight = 28;
constexpr int notebookMargin = 20;
constexpr int notebookBulletSize = 5;

} // namespace

QPixmap ppErrorBulletBitmap()
{
    // Drawn on white, which is the transparent colour.
    QImage image(notebookBulletSize, notebookBulletSize, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(Qt::red));
    painter.drawEllipse(QRectF(0, 0, notebookBulletSize, notebookBulletSize));
    painter.end();
    QPixmap bullet = QPixmap::fromImage(image);
    bullet.setMask(bullet.createMaskFromColor(Qt::white));
    return bullet;
}

TppAutoSearchNotebook::TppAutoSearchNotebook(TppAutoSearchGroups *aGroups, QWidget *aParent, bool aMayReorder)
    : m_groups(aGroups)
    , m_parent(aParent)
    , m_mayReorder(aMayReorder)
{}

TppAutoSearchNotebook::~TppAutoSearchNotebook()
{
    delete Widget();
}

QWidget *TppAutoSearchNotebook::Widget() const
{
    if (m_pageControl)
        return m_pageControl;
    return m_scrollBox;
}

QScrollArea *TppAutoSearchNotebook::makeScrollBox(QWidget *aParent)
{
    auto *box = new QScrollArea(aParent);
    box->setFrameShape(QFrame::NoFrame);
    box->setWidget(new QWidget);
    return box;
}

void TppAutoSearchNotebook::Build()
{
    if (m_built || !m_groups)
        return;
    m_built = true;
    const int groups = m_groups->GroupCount();
    if (groups < 2) {
        m_scrollBox = makeScrollBox(m_parent);
        m_scrollBox->setObjectName(QStringLiteral("scbPanels"));
        if (groups == 1)
            m_height = fillContainer(*m_groups->Groups(0), *m_scrollBox->widget(), 0, false);
        // The sentences stand left to right at fixed places: mirrored, the
        // box would open scrolled to their ends.
        controls::KeepLeftToRight(m_scrollBox);
        return;
    }
    m_pageControl = new QTabWidget(m_parent);
    m_pageControl->setObjectName(QStringLiteral("pgcGroups"));
    m_pageControl->setIconSize(QSize(notebookBulletSize, notebookBulletSize));
    if (m_mayReorder) {
        m_pageControl->tabBar()->setContextMenuPolicy(Qt::CustomContextMenu);
        QObject::connect(m_pageControl->tabBar(), &QWidget::customContextMenuRequested, m_pageControl,
                         [this](const QPoint &aAt) { showPopup(aAt); });
    }
    for (int i = 0; i < groups; ++i)
        m_pageGroups.push_back(m_groups->Groups(i));
    std::stable_sort(m_pageGroups.begin(), m_pageGroups.end(), [](TppAutoSearchGroup *a, TppAutoSearchGroup *b) {
        return QString::asprintf("%8d", a->TabOrder()) < QString::asprintf("%8d", b->TabOrder());
    });
    int tallest = 0;
    for (size_t page = 0; page < m_pageGroups.size(); ++page) {
        TppAutoSearchGroup *group = m_pageGroups[page];
        group->SetTabOrder(int32_t(page));
        QScrollArea *box = makeScrollBox(nullptr);
        m_pageControl->addTab(box, group->Description());
        tallest = std::max(tallest, fillContainer(*group, *box->widget(), int(page), true));
        controls::KeepLeftToRight(box);
    }
    m_height = tallest + notebookTabsHeight;
    m_pageControl->resize(m_greatestWidth + notebookMargin, m_height + notebookMargin);
}

int TppAutoSearchNotebook::fillContainer(TppAutoSearchGroup &aGroup, QWidget &aContainer, int aPage, bool aOnPage)
{
    int top = 0;
    std::vector<TppAutoSearchPanel *> made;
    for (int i = 0; i < aGroup.FieldCount(); ++i) {
        TppAutoSearchField *field = aGroup.Fields(i);
        TppAutoSearchPanelFactory factory = ppAutoSearchPanelClass(field->SearchOperator());
        if (OnGetPanelClass)
            OnGetPanelClass(this, field, factory);
        TppAutoSearchPanel *panel = factory(&aContainer);
        panel->SetField(field);
        field->SetAutoSearchPanel(panel);
        field->SetAutoSearchContainer(&aContainer);
        panel->CreateControls();
        panel->PutCheckBoxLast();
        panel->UpdateShowAllValues();
        panel->move(0, top);
        top += panel->PanelHeight();
        m_hasMandatory = m_hasMandatory || field->Mandatory();
        m_greatestWidth = std::max(m_greatestWidth, panel->PanelWidth());
        m_panels.push_back({panel, aPage});
        made.push_back(panel);
        if (OnPanelCreated)
            OnPanelCreated(field, panel);
    }
    // Aligned to the top: every panel as wide as the widest.
    for (size_t i = 0; i < made.size(); ++i) {
        made[i]->resize(std::max(made[i]->width(), m_greatestWidth), made[i]->height());
        made[i]->SetOnPage(aOnPage, i + 1 == made.size());
    }
    aContainer.resize(m_greatestWidth, top);
    return top;
}

bool TppAutoSearchNotebook::ApplyCriteria()
{
    int firstFailure = -1;
    int markedPage = -1;
    for (size_t i = 0; i < m_panels.size(); ++i) {
        const PanelEntry &entry = m_panels[i];
        // The mark is reset at the first panel of each page.
        if (m_pageControl && entry.page != markedPage) {
            markedPage = entry.page;
            m_pageControl->setTabIcon(entry.page, QIcon());
        }
        if (entry.panel->ApplyCriteria())
            continue;
        if (m_pageControl)
            m_pageControl->setTabIcon(entry.page, QIcon(ppErrorBulletBitmap()));
        if (firstFailure < 0)
            firstFailure = int(i);
    }
    if (firstFailure < 0)
        return true;
    const PanelEntry &failed = m_panels[size_t(firstFailure)];
    if (m_pageControl)
        m_pageControl->setCurrentIndex(failed.page);
    failed.panel->FocusEditor();
    return false;
}

void TppAutoSearchNotebook::MoveActivePage(int aDirection)
{
    if (!m_pageControl)
        return;
    const int from = m_pageControl->currentIndex();
    const int to = from + aDirection;
    if (from < 0 || to < 0 || to >= m_pageControl->count())
        return;
    m_pageControl->tabBar()->moveTab(from, to);
    std::swap(m_pageGroups[size_t(from)], m_pageGroups[size_t(to)]);
    m_pageGroups[size_t(from)]->SetTabOrder(from);
    m_pageGroups[size_t(to)]->SetTabOrder(to);
    for (PanelEntry &entry : m_panels) {
        if (entry.page == from)
            entry.page = to;
        else if (entry.page == to)
            entry.page = from;
    }
    std::stable_sort(m_panels.begin(), m_panels.end(),
                     [](const PanelEntry &a, const PanelEntry &b) { return a.page < b.page; });
}

void TppAutoSearchNotebook::showPopup(const QPoint &aAt)
{
    QMenu popup(m_pageControl);
    QAction *left = popup.addAction(ppLoadStr(1025));
    QAction *right = popup.addAction(ppLoadStr(1026));
    const int page = m_pageControl->currentIndex();
    left->setEnabled(page > 0);
    right->setEnabled(page < m_pageControl->count() - 1);
    QAction *chosen = popup.exec(m_pageControl->tabBar()->mapToGlobal(aAt));
    if (chosen == left)
        MoveActivePage(-1);
    else if (chosen == right)
        MoveActivePage(1);
}

} // namespace report
