#include "report/output/autosearch/AutoSearchDialog.h"

#include "report/model/autosearch/AutoSearchField.h"
#include "report/model/autosearch/AutoSearchGroups.h"
#include "report/model/base/Messages.h"
#include "report/output/autosearch/AutoSearchNotebook.h"

#include "platform/classes/ClassBuilder.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

namespace report {

namespace {

constexpr int searchDialogWidth = 532;
constexpr int searchDialogHeight = 500;
constexpr int searchDialogMinWidth = 438;
constexpr int searchBottomHeight = 42;
constexpr int searchButtonWidth = 75;
constexpr int searchButtonHeight = 25;

template <class Visit>
void searchDialogEachField(TppAutoSearchGroups *aGroups, Visit aVisit)
{
    for (int g = 0; aGroups && g < aGroups->GroupCount(); ++g)
        for (int f = 0; f < aGroups->Groups(g)->FieldCount(); ++f)
            aVisit(*aGroups->Groups(g)->Fields(f));
}

} // namespace

const classes::TMetaClass &TppAutoSearchDialog::StaticClass()
{
    static const classes::TMetaClass meta =
        classes::MakeClass<TppAutoSearchDialog, TppCustomAutoSearchDialog>("TppAutoSearchDialog");
    return meta;
}

TppAutoSearchDialog::TppAutoSearchDialog(classes::TComponent *aOwner)
    : TppFormOf<TppCustomAutoSearchDialog>(aOwner)
    , m_layout(new QVBoxLayout(this))
    , m_pnlBottom(new QWidget(this))
    , m_shpMandatory(new TppSearchMarker(Qt::black, m_pnlBottom))
    , m_lblMandatory(new QLabel(m_pnlBottom))
    , m_pnlButtons(new QWidget(m_pnlBottom))
    , m_btnOK(new QPushButton(m_pnlButtons))
    , m_btnCancel(new QPushButton(m_pnlButtons))
{
    setObjectName(QStringLiteral("ppAutoSearchDialog"));
    resize(searchDialogWidth, searchDialogHeight);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
    m_pnlBottom->setObjectName(QStringLiteral("pnlBottom"));
    m_pnlBottom->setFixedHeight(searchBottomHeight);
    m_layout->addStretch(1);
    m_layout->addWidget(m_pnlBottom);
    m_shpMandatory->setObjectName(QStringLiteral("shpMandatory"));
    m_lblMandatory->setObjectName(QStringLiteral("lblMandatory"));
    m_pnlButtons->setObjectName(QStringLiteral("pnlButtons"));
    auto *bottom = new QHBoxLayout(m_pnlBottom);
    bottom->setContentsMargins(8, 0, 8, 0);
    bottom->addWidget(m_shpMandatory);
    bottom->addWidget(m_lblMandatory);
    bottom->addStretch(1);
    bottom->addWidget(m_pnlButtons);
    auto *buttons = new QHBoxLayout(m_pnlButtons);
    buttons->setContentsMargins(0, 0, 0, 0);
    for (QPushButton *button : {m_btnOK, m_btnCancel})
        buttons->addWidget(button);
    m_btnOK->setObjectName(QStringLiteral("btnOK"));
    m_btnOK->setDefault(true);
    m_btnCancel->setObjectName(QStringLiteral("btnCancel"));
    m_shpMandatory->hide();
    m_lblMandatory->hide();
    connect(m_btnOK, &QPushButton::clicked, this, &TppAutoSearchDialog::btnOKClick);
    connect(m_btnCancel, &QPushButton::clicked, this, [this] { closeWithResult(ppModalResultCancel); });
    int left = 0;
    int top = 0;
    CenterPosition(left, top);
    move(left, top);
    LanguageChanged();
}

TppAutoSearchDialog::~TppAutoSearchDialog()
{
    releaseFields();
    m_notebook.reset();
}

void TppAutoSearchDialog::LanguageChanged()
{
    setWindowTitle(ppLoadStr(65));
    m_lblMandatory->setText(ppLoadStr(66));
    m_btnOK->setText(ppLoadStr(17));
    m_btnCancel->setText(ppLoadStr(5));
    // The layout's size, or what a larger font needs for the caption.
    for (QPushButton *button : {m_btnOK, m_btnCancel})
        button->setFixedSize(QSize(searchButtonWidth, searchButtonHeight).expandedTo(button->sizeHint()));
    m_pnlBottom->setFixedHeight(std::max(searchBottomHeight, m_btnOK->height() + 2 * 4));
}

void TppAutoSearchDialog::CreatePanels()
{
    if (m_notebook)
        return;
    const auto *report = dynamic_cast<const classes::TComponent *>(Report());
    const bool designing = report && report->HasState(classes::csDesigning);
    m_notebook = std::make_unique<TppAutoSearchNotebook>(AutoSearchGroups(), this, designing);
    m_notebook->OnGetPanelClass = [this](TppAutoSearchNotebook *aNotebook, TppAutoSearchField *aField,
                                         TppAutoSearchPanelFactory &aClass) {
        GetPanelClass(aNotebook, aField, aClass);
    };
    m_notebook->OnPanelCreated = [this](TppAutoSearchField *aField, TppAutoSearchPanel *aPanel) {
        PanelCreated(aField, aPanel);
    };
    m_notebook->Build();
    saveCriteria();
    if (QWidget *widget = m_notebook->Widget()) {
        delete m_layout->takeAt(0);
        m_layout->insertWidget(0, widget, 1);
    }
    m_shpMandatory->setVisible(m_notebook->HasMandatory());
    m_lblMandatory->setVisible(m_notebook->HasMandatory());
    const int wanted = m_notebook->Height() + m_pnlBottom->height();
    int width = std::max(m_notebook->GreatestWidth(), searchDialogMinWidth);
    // A panel as wide as a very long field name scrolls: a window wider
    // than the screen cannot be shown, and its buffer would take gigabytes.
    if (const QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen())
        width = std::min(width, std::max(screen->availableGeometry().width(), searchDialogMinWidth));
    resize(width, std::min(height(), wanted));
    int left = 0;
    int top = 0;
    CenterPosition(left, top);
    move(left, top);
}

void TppAutoSearchDialog::Activate()
{
    TppCustomAutoSearchDialog::Activate();
    if (m_focusPlaced || !m_notebook || m_notebook->PanelCount() == 0)
        return;
    m_focusPlaced = true;
    m_notebook->Panels(0)->FocusEditor();
}

void TppAutoSearchDialog::btnOKClick()
{
    if (m_notebook && !m_notebook->ApplyCriteria())
        return;
    closeWithResult(ppModalResultOK);
}

void TppAutoSearchDialog::done(int aResult)
{
    TppFormOf<TppCustomAutoSearchDialog>::done(aResult);
    if (aResult != ppModalResultOK)
        restoreCriteria();
    releaseFields();
    DoClose();
}

void TppAutoSearchDialog::saveCriteria()
{
    m_savedCriteria.clear();
    searchDialogEachField(AutoSearchGroups(), [this](TppAutoSearchField &aField) {
        m_savedCriteria.insert(&aField, {aField.SearchExpression(), aField.ShowAllValues(), aField.Mandatory()});
    });
}

void TppAutoSearchDialog::restoreCriteria()
{
    // Through the groups: a field freed meanwhile has left them.
    searchDialogEachField(AutoSearchGroups(), [this](TppAutoSearchField &aField) {
        const auto saved = m_savedCriteria.constFind(&aField);
        if (saved == m_savedCriteria.constEnd())
            return;
        if (aField.SearchExpression() != saved->expression)
            aField.SetSearchExpression(saved->expression);
        if (aField.ShowAllValues() != saved->showAllValues || aField.Mandatory() != saved->mandatory) {
            aField.SetShowAllValues(saved->showAllValues);
            aField.SetMandatory(saved->mandatory);
        }
    });
    m_savedCriteria.clear();
}

void TppAutoSearchDialog::releaseFields()
{
    searchDialogEachField(AutoSearchGroups(), [](TppAutoSearchField &aField) {
        aField.SetAutoSearchPanel(nullptr);
        aField.SetAutoSearchContainer(nullptr);
    });
}

} // namespace report

#include "moc_AutoSearchDialog.cpp"
