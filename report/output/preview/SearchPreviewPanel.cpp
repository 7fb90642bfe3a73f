// TppSearchPreview's controls: the toolbar toggle, the search panel with
// its options menu, the buttons' states, and the panel's two placements.

#include "report/output/preview/SearchPreview.h"

#include "report/model/base/Messages.h"
#include "report/model/production/TextSearchSettings.h"
#include "report/output/preview/KeyPressFilter.h"
#include "report/output/preview/PreviewIcons.h"
#include "report/output/search/CustomSearchEngine.h"

#include "platform/controls/Guard.h"

#include <QActionGroup>
#include <QApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>

#include <algorithm>

namespace report {

namespace {

constexpr int SearchPanelButtonWidth = 23;
constexpr int SearchPanelButtonHeight = 22;

template <class Glyph>
std::function<QIcon()> searchPanelGlyph()
{
    return [] {
        Glyph glyph;
        return ppDoubleGlyphIcon(glyph);
    };
}

int searchPanelRight(const QWidget *aWidget)
{
    return aWidget->x() + aWidget->width();
}

int searchPanelBottom(const QWidget *aWidget)
{
    return aWidget->y() + aWidget->height();
}

} // namespace

void TppSearchPreview::CreateToolbar(QWidget *aButtonPanel)
{
    if (m_findButton || !aButtonPanel)
        return;
    auto *button = new QToolButton(aButtonPanel);
    button->setObjectName(QStringLiteral("FindButton"));
    button->setAutoRaise(true);
    button->setGeometry(77, 2, SearchPanelButtonWidth, SearchPanelButtonHeight);
    ppSetGlyphIcon(*button, searchPanelGlyph<TppTextSearchIcon>());
    button->setCheckable(true);
    button->setProperty("Tag", 2);
    button->setFocusPolicy(Qt::NoFocus);
    button->setToolTip(ppLoadStr(1054));
    QObject::connect(button, &QToolButton::clicked, m_context.get(), [this, button] {
        controls::guarded(controls::Report::toUser(button), [&] { ToggleSearchPanel(); });
    });
    m_findButton = button;
}

void TppSearchPreview::CreateResultPanel(QWidget *aSearchPanel)
{
    if (m_textBox || !aSearchPanel)
        return;
    m_searchPanel = aSearchPanel;
    const auto guardedAction = [this](QWidget *aOwner, int aAction) {
        return [this, aOwner, aAction] {
            controls::guarded(controls::Report::toUser(aOwner), [&] { PerformSearchAction(aAction); });
        };
    };

    m_textBox = new QLineEdit(aSearchPanel);
    m_textBox->setObjectName(QStringLiteral("TextBox"));
    // Its own height now: rows below are placed from it before it ever shows.
    m_textBox->setFixedSize(115, m_textBox->sizeHint().height());
    m_textBox->setFocusPolicy(Qt::ClickFocus);
    m_textBox->setProperty("Tag", 101);
    // Enter runs the search and goes no further (not to the window's
    // default button).
    new TppKeyPressFilter(m_textBox, [this](QKeyEvent &aKey) {
        if (aKey.key() != Qt::Key_Return && aKey.key() != Qt::Key_Enter)
            return false;
        TextBoxEnter();
        return true;
    });
    // AutoSelect: the text is selected whenever the box takes the focus.
    QObject::connect(qApp, &QApplication::focusChanged, m_context.get(), [this](QWidget *, QWidget *aNow) {
        if (aNow == m_textBox)
            QMetaObject::invokeMethod(m_textBox, &QLineEdit::selectAll, Qt::QueuedConnection);
    });

    const std::pair<std::function<QIcon()>, int> navigation[] = {
        {searchPanelGlyph<TppFirstSearchOccurrenceIcon>(), ppSearchAction::First},
        {searchPanelGlyph<TppPriorSearchOccurrenceIcon>(), ppSearchAction::Prior},
        {searchPanelGlyph<TppNextSearchOccurrenceIcon>(), ppSearchAction::Next},
        {searchPanelGlyph<TppLastSearchOccurrenceIcon>(), ppSearchAction::Last}};
    for (int i = 0; i < 4; ++i) {
        auto *button = new QToolButton(aSearchPanel);
        button->setAutoRaise(true);
        button->resize(SearchPanelButtonWidth, SearchPanelButtonHeight);
        ppSetGlyphIcon(*button, navigation[i].first);
        button->setProperty("Tag", 102 + i);
        button->setFocusPolicy(Qt::NoFocus);
        button->setEnabled(false);
        QObject::connect(button, &QToolButton::clicked, m_context.get(), guardedAction(button, navigation[i].second));
        m_navButtons[i] = button;
    }
    m_findTextButton = new QPushButton(aSearchPanel);
    m_findTextButton->setProperty("Tag", 106);
    m_doneButton = new QPushButton(aSearchPanel);
    m_doneButton->setProperty("Tag", 107);
    m_doneButton->setEnabled(false);
    for (QPushButton *button : {m_findTextButton, m_doneButton}) {
        button->resize(55, 23);
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoDefault(false);
    }
    QObject::connect(m_findTextButton, &QPushButton::clicked, m_context.get(), [this] {
        controls::guarded(controls::Report::toUser(m_findTextButton), [&] {
            m_searchText = m_textBox->text();
            PerformSearchAction(ppSearchAction::Search);
        });
    });
    QObject::connect(m_doneButton, &QPushButton::clicked, m_context.get(), [this] {
        controls::guarded(controls::Report::toUser(m_doneButton), [&] {
            PerformSearchAction(m_doneButton->text() == ppLoadStr(5) ? ppSearchAction::Cancel : ppSearchAction::Clear);
        });
    });

    m_optionsMenu = new QMenu(aSearchPanel);
    const auto addItem = [this](int aMessage) {
        QAction *item = m_optionsMenu->addAction(ppLoadStr(aMessage));
        item->setCheckable(true);
        QObject::connect(item, &QAction::triggered, m_context.get(), [this] {
            m_optionsChanged = true;
            controls::guarded(controls::Report::none(), [&] {
                StatusChange();
                refreshButtons();
            });
        });
        return item;
    };
    m_showAllItem = addItem(1062);
    m_caseSensitiveItem = addItem(1063);
    m_wholeWordItem = addItem(1064);
    m_optionsMenu->addSeparator();
    m_firstPageItem = addItem(1057);
    m_currentPageItem = addItem(1056);
    auto *startPage = new QActionGroup(m_optionsMenu);
    startPage->addAction(m_firstPageItem);
    startPage->addAction(m_currentPageItem);
    aSearchPanel->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(aSearchPanel, &QWidget::customContextMenuRequested, m_context.get(),
                     [this](const QPoint &aPos) { m_optionsMenu->popup(m_searchPanel->mapToGlobal(aPos)); });

    checksFromSettings();
    LanguageChanged();
    refreshButtons();
}

void TppSearchPreview::OptionClick(QAction *aItem)
{
    aItem->trigger();
}

void TppSearchPreview::LanguageChanged()
{
    if (m_findButton)
        m_findButton->setToolTip(ppLoadStr(m_searchPanelVisible ? 1055 : 1054));
    if (!m_textBox)
        return;
    m_textBox->setToolTip(ppLoadStr(1052));
    const int hints[] = {1058, 1061, 1060, 1059};
    for (int i = 0; i < 4; ++i)
        m_navButtons[i]->setToolTip(ppLoadStr(hints[i]));
    m_findTextButton->setText(ppLoadStr(1072));
    m_findTextButton->setToolTip(ppLoadStr(1053));
    fitSearchButtons();
    const std::pair<QAction *, int> items[] = {{m_showAllItem, 1062},
                                               {m_caseSensitiveItem, 1063},
                                               {m_wholeWordItem, 1064},
                                               {m_firstPageItem, 1057},
                                               {m_currentPageItem, 1056}};
    for (const auto &[item, message] : items)
        item->setText(ppLoadStr(message));
    refreshButtons();
}

void TppSearchPreview::refreshButtons()
{
    if (!m_doneButton)
        return;
    const int count = m_engine ? m_engine->OccurrenceCount() : 0;
    bool prior = false;
    bool next = false;
    bool done = m_hasResults;
    if (m_hasResults && !m_settings->ShowAll()) {
        if (count == 0 && !m_searching) {
            done = false;
        } else {
            prior = m_currentOccurrence > 0;
            next = !(m_engine && m_engine->LastPageReached() && count >= 1 && count == m_currentOccurrence + 1);
            done = true;
        }
    }
    FirstButton()->setEnabled(prior);
    PriorButton()->setEnabled(prior);
    NextButton()->setEnabled(next);
    LastButton()->setEnabled(next);
    // The done button stops a running action.
    m_doneButton->setEnabled(done || m_busyCursor);
    m_doneButton->setText(ppLoadStr(m_busyCursor ? 5 : 1046));
    m_doneButton->setToolTip(ppLoadStr(m_busyCursor ? 5 : 1049));
}

void TppSearchPreview::fitSearchButtons()
{
    // Both as large as the find button's layout size, or as a caption in the
    // screen's font needs, the done button's two captions included: a larger
    // application font cut "Find Text" to "nd Tex".
    QSize size(55, 23);
    size = size.expandedTo(m_findTextButton->sizeHint());
    const QString shown = m_doneButton->text();
    for (const int message : {1046, 5}) {
        m_doneButton->setText(ppLoadStr(message));
        size = size.expandedTo(m_doneButton->sizeHint());
    }
    m_doneButton->setText(shown);
    m_findTextButton->resize(size);
    m_doneButton->resize(size);
    if (!m_searchPanel)
        return;
    if (m_inToolbar)
        layOutInToolbar();
    else if (m_outlinePanel && m_searchPanel->parentWidget() == m_outlinePanel)
        layOutBesideOutline();
}

// ---- Placements ---------------------------------------------------------------------

void TppSearchPreview::PlaceSearchPanel(QWidget *aOutlinePanel, QWidget *aSearchPanel)
{
    if (!m_searchPanel)
        m_searchPanel = aSearchPanel;
    PlaceBesideOutline(aOutlinePanel);
}

void TppSearchPreview::PlaceBesideOutline(QWidget *aOutlinePanel)
{
    if (!m_searchPanel || !aOutlinePanel || m_searchPanel->parentWidget() == aOutlinePanel)
        return;
    m_outlinePanel = aOutlinePanel;
    m_inToolbar = false;
    m_searchPanel->setParent(aOutlinePanel);
    // On top of the outline, across the panel.
    if (auto *layout = qobject_cast<QBoxLayout *>(aOutlinePanel->layout()))
        layout->insertWidget(0, m_searchPanel, 0, Qt::AlignTop);
    // Its inner bevel is lowered here; in a toolbar it has none.
    if (auto *frame = qobject_cast<QFrame *>(m_searchPanel.data()))
        frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_searchPanel->setMinimumWidth(0);
    m_searchPanel->setMaximumWidth(QWIDGETSIZE_MAX);
    layOutBesideOutline();
    m_searchPanel->setVisible(m_searchPanelVisible);
}

void TppSearchPreview::layOutBesideOutline()
{
    if (!m_textBox)
        return;
    m_textBox->move(5, 5);
    const int row2 = searchPanelBottom(m_textBox) + 2;
    const int gaps[] = {0, 7, 10, 7};
    int left = 5;
    for (int i = 0; i < 4; ++i) {
        if (i > 0)
            left = searchPanelRight(m_navButtons[i - 1]) + gaps[i];
        m_navButtons[i]->move(left, row2);
    }
    const int row3 = searchPanelBottom(LastButton()) + 2;
    m_findTextButton->move(5, row3);
    m_doneButton->move(searchPanelRight(m_findTextButton) + 6, row3);
    m_searchPanel->setFixedHeight(std::max(78, searchPanelBottom(m_doneButton) + 2));
    // The outline's panel is never narrower than the rows: the done button
    // must not go under the splitter.
    m_searchPanel->setMinimumWidth(searchPanelRight(m_doneButton) + 5);
}

void TppSearchPreview::PlaceInToolbar(QWidget *aControl)
{
    QWidget *toolbar = aControl ? aControl->parentWidget() : nullptr;
    if (!m_searchPanel || !toolbar || m_searchPanel->parentWidget() == toolbar)
        return;
    if (QLayout *layout = m_outlinePanel ? m_outlinePanel->layout() : nullptr)
        layout->removeWidget(m_searchPanel);
    m_searchPanel->setParent(toolbar);
    m_inToolbar = true;
    if (auto *frame = qobject_cast<QFrame *>(m_searchPanel.data()))
        frame->setFrameStyle(QFrame::NoFrame);
    layOutInToolbar();
    m_searchPanel->move(searchPanelRight(aControl), m_searchPanel->y());
    m_searchPanel->setVisible(m_searchPanelVisible);
}

void TppSearchPreview::layOutInToolbar()
{
    if (!m_textBox)
        return;
    QWidget *row[] = {m_textBox,       m_navButtons[0],  m_navButtons[1], m_navButtons[2],
                      m_navButtons[3], m_findTextButton, m_doneButton};
    int left = 2;
    int bottom = 0;
    for (QWidget *control : row) {
        control->move(left, 2);
        left = searchPanelRight(control) + 5;
        bottom = std::max(bottom, searchPanelBottom(control));
    }
    m_searchPanel->setFixedWidth(searchPanelRight(m_doneButton));
    m_searchPanel->setFixedHeight(std::max(32, bottom + 2));
}

} // namespace report
