#include "report/output/preview/Preview.h"

#include "report/model/base/Messages.h"
#include "report/model/objects/Descriptors.h"
#include "report/model/objects/EventIds.h"
#include "report/model/pages/Page.h"
#include "report/model/production/Producer.h"
#include "report/output/preview/CustomSearchPreview.h"
#include "report/output/preview/KeyPressFilter.h"
#include "report/output/preview/OutlineViewer.h"
#include "report/output/preview/OutlineViewerPanel.h"
#include "report/output/preview/PreviewIcons.h"
#include "report/output/screen/ScreenDevice.h"
#include "report/output/screen/Viewer.h"

#include "platform/controls/Guard.h"
#include "platform/gfx/Colors.h"
#include "platform/rtl/EditMask.h"

#include <QBitmap>
#include <QCursor>
#include <QEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSplitter>
#include <QStatusBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace report {

namespace {

// The width of a toolbar button; positions are counted in it.
constexpr int PreviewButtonWidth = 23;
constexpr int PreviewButtonHeight = 22;
const QString PreviewZoomMask = QStringLiteral("999\\ %;0; ");
const QString PreviewPageMask = QStringLiteral("99999;0; ");

template <class Glyph>
std::function<QIcon()> previewSingleGlyph()
{
    return [] {
        Glyph glyph;
        return ppSingleGlyphIcon(glyph);
    };
}

template <class Glyph>
std::function<QIcon()> previewDoubleGlyph()
{
    return [] {
        Glyph glyph;
        return ppDoubleGlyphIcon(glyph);
    };
}

// The edit shows its text from the start, however narrow it is.
void previewSetEditText(QLineEdit *aEdit, const QString &aText)
{
    aEdit->setText(aText);
    aEdit->setCursorPosition(0);
}

// The number an edit holds (its digits), or nothing.
std::optional<int> previewEditNumber(const QString &aText)
{
    QString digits;
    for (QChar c : aText)
        if (c.isDigit())
            digits += c;
    bool ok = false;
    const int value = digits.left(9).toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

// A scripting property of an object, through its class's descriptor (or
// the nearest ancestor's); nothing when the class has no such property.
bool previewPropRec(classes::TObject *aObject, const QString &aName, TraDataType aType, const TraRTTI *&aDescriptor)
{
    aDescriptor = nullptr;
    if (!aObject)
        return false;
    for (const classes::TMetaClass *meta = &aObject->ClassType(); meta; meta = meta->ClassParent())
        if ((aDescriptor = raFindRTTI(meta->ClassName())))
            break;
    TraPropRec rec;
    return aDescriptor && aDescriptor->GetPropRec(aObject->ClassType(), aName, rec) && rec.DataType == aType;
}

bool previewBoolProp(classes::TObject *aObject, const QString &aName)
{
    const TraRTTI *descriptor = nullptr;
    bool value = false;
    if (previewPropRec(aObject, aName, TraDataType::daBoolean, descriptor))
        descriptor->GetPropValue(aObject, aName, &value);
    return value;
}

classes::TObject *previewObjectProp(classes::TObject *aObject, const QString &aName)
{
    const TraRTTI *descriptor = nullptr;
    classes::TObject *value = nullptr;
    if (previewPropRec(aObject, aName, TraDataType::daClass, descriptor))
        descriptor->GetPropValue(aObject, aName, &value);
    return value;
}

} // namespace

TppPreview::TppPreview(QWidget *aParent)
    : TppCustomPreview(aParent)
{
    SubscribeEvent(ppEvent::OutlineVisibility);
    CreateToolbarPanels();
    CreateToolbar();
    CreateOutlineViewer();
    auto *layout = new QVBoxLayout(aParent);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_toolbarPanel);
    m_splitter = new QSplitter(Qt::Horizontal, aParent);
    m_splitter->addWidget(m_outlinePanel);
    m_splitter->addWidget(Viewer());
    m_splitter->setStretchFactor(1, 1);
    m_splitter->setSizes({125, 400});
    layout->addWidget(m_splitter, 1);
    m_focusEdit = new QLineEdit(aParent);
    m_focusEdit->setGeometry(0, 0, 0, 0);
    m_focusEdit->setFixedSize(0, 0);
    handEditKeysToPreview(m_focusEdit);
    // An Enter typed there is swallowed.
    QObject::connect(m_focusEdit, &QLineEdit::returnPressed, m_focusEdit, [] {});
    Viewer()->CreateControls();
    Viewer()->ScreenDevice()->SetActive(false);
    m_outlineVisible = true;
    m_initializing = false;
    LanguageChanged();
}

TppPreview::~TppPreview()
{
    BeforeDestruction();
    // A search preview that took the search panel gave it a parent, which
    // frees it.
    if (m_searchPanel && m_searchPanel->parent())
        (void)m_searchPanel.release();
}

void TppPreview::CreateToolbarPanels()
{
    m_toolbarPanel = new QWidget(Parent());
    m_toolbarPanel->setFixedHeight(26);
    m_toolbarPanel->setAutoFillBackground(true);
    m_buttonPanel = new QWidget(m_toolbarPanel);
    m_buttonPanel->setGeometry(0, 0, 550, 26);
    m_outlinePanel = new QWidget(Parent());
    m_outlinePanel->resize(125, m_outlinePanel->height());
    auto *outlineLayout = new QVBoxLayout(m_outlinePanel);
    outlineLayout->setContentsMargins(0, 0, 0, 0);
    // A frame, so that beside the outline it can show its lowered bevel.
    m_searchPanel = std::make_unique<QFrame>();
}

QToolButton *TppPreview::addToolButton(int aLeft, int aTag, const std::function<QIcon()> &aIcon, int aMessage)
{
    auto *button = new QToolButton(m_buttonPanel);
    button->setAutoRaise(true);
    button->setGeometry(aLeft, 2, PreviewButtonWidth, PreviewButtonHeight);
    ppSetGlyphIcon(*button, aIcon);
    button->setToolTip(ppLoadStr(aMessage));
    button->setFocusPolicy(Qt::NoFocus);
    QObject::connect(button, &QToolButton::clicked, button, [this, aTag, button] {
        controls::guarded(controls::Report::toUser(button), [&] { ToolButtonClick(aTag); });
    });
    m_buttons[aTag] = button;
    return button;
}

void TppPreview::CreateToolbar()
{
    const int w = PreviewButtonWidth;
    QToolButton *print = addToolButton(2, ppPreviewAction::Print, previewSingleGlyph<TppPrinterIcon>(), 22);
    QToolButton *search =
        addToolButton(print->x() + 2 * w, ppPreviewAction::AutoSearch, previewSingleGlyph<TppAutoSearchIcon>(), 1021);
    search->setVisible(false);
    QToolButton *whole = addToolButton(search->x() + 3 * w, ppPreviewAction::ZoomWholePage,
                                       previewSingleGlyph<TppZoomWholePageIcon>(), 30);
    QToolButton *width =
        addToolButton(whole->x() + w, ppPreviewAction::ZoomPageWidth, previewSingleGlyph<TppZoomPageWidthIcon>(), 31);
    QToolButton *full =
        addToolButton(width->x() + w, ppPreviewAction::Zoom100Percent, previewSingleGlyph<TppZoom100PercentIcon>(), 1);
    for (QToolButton *zoom : {whole, width, full})
        zoom->setCheckable(true);
    whole->setChecked(true);

    m_zoomEdit = new QLineEdit(m_buttonPanel);
    m_zoomEdit->setGeometry(full->x() + w + 5, 2, 37, PreviewButtonHeight);
    m_zoomEdit->setMaxLength(5);
    m_zoomEdit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9 ]{0,3}( ?%)?")), m_zoomEdit));
    QToolButton *first = addToolButton(m_zoomEdit->x() + m_zoomEdit->width() + w, ppPreviewAction::FirstPage,
                                       previewDoubleGlyph<TppFirstIcon>(), 13);
    QToolButton *prior =
        addToolButton(first->x() + w, ppPreviewAction::PriorPage, previewDoubleGlyph<TppPriorIcon>(), 29);
    m_pageNoEdit = new QLineEdit(m_buttonPanel);
    m_pageNoEdit->setGeometry(prior->x() + w + 8, 2, 37, PreviewButtonHeight);
    m_pageNoEdit->setMaxLength(5);
    m_pageNoEdit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9 ]{0,5}")), m_pageNoEdit));
    QToolButton *next = addToolButton(m_pageNoEdit->x() + m_pageNoEdit->width() + 8, ppPreviewAction::NextPage,
                                      previewDoubleGlyph<TppNextIcon>(), 15);
    QToolButton *last = addToolButton(next->x() + w, ppPreviewAction::LastPage, previewDoubleGlyph<TppLastIcon>(), 14);
    for (QLineEdit *edit : {m_zoomEdit, m_pageNoEdit}) {
        // The toolbar's small font, so that "100 %" fits the 37 pixels.
        QFont font = edit->font();
        font.setPointSize(8);
        edit->setFont(font);
        edit->setTextMargins(0, 0, 0, 0);
        edit->setFocusPolicy(Qt::ClickFocus);
        handEditKeysToPreview(edit);
    }
    QObject::connect(m_pageNoEdit, &QLineEdit::returnPressed, m_pageNoEdit, [this] {
        controls::guarded(controls::Report::toUser(m_pageNoEdit), [&] { PageNoEditKeyPress(); });
    });
    QObject::connect(m_zoomEdit, &QLineEdit::returnPressed, m_zoomEdit,
                     [this] { controls::guarded(controls::Report::toUser(m_zoomEdit), [&] { ZoomEditKeyPress(); }); });

    m_closeButton = new QPushButton(ppLoadStr(5), m_buttonPanel);
    m_closeButton->setGeometry(last->x() + 3 * w, 2, 54, PreviewButtonHeight);
    m_closeButton->setToolTip(ppLoadStr(5));
    m_closeButton->setFocusPolicy(Qt::NoFocus);
    QObject::connect(m_closeButton, &QPushButton::clicked, m_closeButton, [this] {
        controls::guarded(controls::Report::toUser(m_closeButton), [&] { ToolButtonClick(ppPreviewAction::Cancel); });
    });
}

void TppPreview::CreateOutlineViewer()
{
    m_outlineViewer = new TppOutlineViewer(Viewer(), m_outlinePanel);
    m_outlinePanel->layout()->addWidget(m_outlineViewer);
    m_outlineViewer->SetShowing(false);
    m_outlineViewer->Communicator()->AddEventNotify(this);
}

QToolButton *TppPreview::ToolButton(int aAction) const
{
    return aAction >= 0 && aAction < 10 ? m_buttons[aAction] : nullptr;
}

const QWidget *TppPreview::pageFocus() const
{
    return m_focusEdit;
}

const QWidget *TppPreview::outlineTree() const
{
    return m_outlineViewer;
}

void TppPreview::handEditKeysToPreview(QLineEdit *aEdit)
{
    new TppKeyPressFilter(aEdit, [this, aEdit](QKeyEvent &aKey) {
        if (editKeepsKey(aEdit, aKey.key()))
            return false;
        const bool taken = KeyDown(aKey.key(), aKey.modifiers());
        if (taken)
            EditKeyDown(-1, aKey.modifiers());
        return taken;
    });
}

// ---- Actions and keys --------------------------------------------------------------

void TppPreview::focusEditFocus()
{
    if (m_focusEdit)
        m_focusEdit->setFocus();
}

void TppPreview::refreshCursor()
{
    const QString platform = QGuiApplication::platformName();
    if (platform != QLatin1String("offscreen") && platform != QLatin1String("minimal"))
        QCursor::setPos(QCursor::pos());
}

void TppPreview::ToolButtonClick(int aTag)
{
    int action = aTag;
    if (action == ppPreviewAction::Cancel && !Viewer()->Busy()) {
        // Close, unless the search is the one working.
        if (!(SearchPreview() && SearchPreview()->IsSearching()))
            action = ppPreviewAction::Close;
    }
    const std::weak_ptr<char> alive = AliveToken();
    PerformPreviewAction(action);
    if (!alive.expired())
        focusEditFocus();
}

void TppPreview::EditKeyDown(int aKey, Qt::KeyboardModifiers aShift)
{
    if (aKey >= 0)
        KeyDown(aKey, aShift);
    refreshCursor();
}

void TppPreview::PageNoEditKeyPress()
{
    // Text that is no number is no page to go to.
    if (const std::optional<int> page = previewEditNumber(m_pageNoEdit->text()))
        GotoPage(*page);
    focusEditFocus();
}

void TppPreview::ZoomEditKeyPress()
{
    SetZoomPercentage(previewEditNumber(m_zoomEdit->text()).value_or(100));
    focusEditFocus();
}

// ---- Following the viewer ------------------------------------------------------------

void TppPreview::updateZoomButtons()
{
    const TppZoomSettingType setting = Viewer()->ZoomSetting();
    const std::pair<int, TppZoomSettingType> zooms[] = {
        {ppPreviewAction::ZoomWholePage, TppZoomSettingType::zsWholePage},
        {ppPreviewAction::ZoomPageWidth, TppZoomSettingType::zsPageWidth},
        {ppPreviewAction::Zoom100Percent, TppZoomSettingType::zs100Percent}};
    for (const auto &[action, zoom] : zooms)
        m_buttons[action]->setChecked(setting == zoom);
}

void TppPreview::updateAutoSearchButton()
{
    if (TppProducer *report = Report() ? Report() : Viewer()->Report())
        m_buttons[ppPreviewAction::AutoSearch]->setVisible(report->ShowAutoSearchDialog());
}

void TppPreview::PageChange()
{
    TppPage *page = Viewer()->CurrentPage();
    previewSetEditText(m_pageNoEdit,
                       rtl::EditMask(PreviewPageMask).format(QString::number(Viewer()->AbsolutePageNo())));
    previewSetEditText(m_zoomEdit, rtl::EditMask(PreviewZoomMask).format(QString::number(Viewer()->CalculatedZoom())));
    updateZoomButtons();
    const bool first = page->FirstPage() || Viewer()->AbsolutePageNo() <= 1;
    m_buttons[ppPreviewAction::FirstPage]->setEnabled(!first);
    m_buttons[ppPreviewAction::PriorPage]->setEnabled(!first);
    m_buttons[ppPreviewAction::NextPage]->setEnabled(!page->LastPage());
    m_buttons[ppPreviewAction::LastPage]->setEnabled(!page->LastPage());
    if (!OutlineShowing() && m_outlineVisible && page->FirstPage() && !Viewer()->IsUpdating() &&
        page->OutlineDrawCommand())
        ShowOutline(true);
    if (OutlineShowing())
        m_outlineViewer->SelectPageNode(Viewer()->AbsolutePageNo());
    updateAutoSearchButton();
    PlaceSearchPanel();
    TppCustomPreview::PageChange();
}

void TppPreview::PrintStateChange()
{
    const bool busy = Viewer()->Busy();
    const Qt::CursorShape shape = busy ? Qt::WaitCursor : Qt::ArrowCursor;
    Viewer()->setCursor(shape);
    m_toolbarPanel->setCursor(shape);
    if (StatusBar())
        StatusBar()->setCursor(shape);
    m_zoomEdit->setEnabled(!busy);
    m_pageNoEdit->setEnabled(!busy);
    if (Viewer()->DesignPreview()) {
        m_closeButton->setCursor(shape);
        m_closeButton->setEnabled(busy);
    } else {
        m_closeButton->setCursor(Qt::ArrowCursor);
        m_closeButton->setText(ppLoadStr(busy ? 5 : 6));
    }
    refreshCursor();
}

void TppPreview::BeforePreview()
{
    m_initializing = true;
    const bool hadSearch = SearchPreview() != nullptr;
    TppCustomPreview::BeforePreview();
    if (!hadSearch && SearchPreview()) {
        SearchPreview()->CreateToolbar(m_buttonPanel);
        SearchPreview()->CreateResultPanel(m_searchPanel.get());
    }
    PlaceSearchPanel();
    if (SearchPreview())
        SearchPreview()->BeginPreview();
    for (int action :
         {ppPreviewAction::FirstPage, ppPreviewAction::PriorPage, ppPreviewAction::NextPage, ppPreviewAction::LastPage})
        m_buttons[action]->setEnabled(false);
    updateZoomButtons();
    updateAutoSearchButton();
    m_outlineViewer->Clear();

    TppProducer *report = Report();
    classes::TObject *settings = previewObjectProp(report, QStringLiteral("OutlineSettings"));
    const bool suppress = previewBoolProp(report, QStringLiteral("SuppressOutline"));
    const bool exists = previewBoolProp(report, QStringLiteral("OutlineExists"));
    const bool enabled = previewBoolProp(settings, QStringLiteral("Enabled"));
    const bool visible = previewBoolProp(settings, QStringLiteral("Visible"));
    m_outlineVisible = settings && enabled && visible;
    if (settings && enabled && !visible)
        m_outlineViewer->PreparePopupMenu();
    ShowOutline((settings && m_outlineVisible) || (exists && !suppress));
    StatusChange();
    m_initializing = false;
}

void TppPreview::Cancel()
{
    TppCustomPreview::Cancel();
    for (int action :
         {ppPreviewAction::FirstPage, ppPreviewAction::PriorPage, ppPreviewAction::NextPage, ppPreviewAction::LastPage})
        m_buttons[action]->setEnabled(false);
    m_pageNoEdit->setEnabled(false);
}

void TppPreview::Reset()
{
    m_outlineViewer->Clear();
}

void TppPreview::SearchChange()
{
    focusEditFocus();
}

bool TppPreview::OutlineShowing() const
{
    return m_outlineViewer && m_outlineViewer->Showing();
}

void TppPreview::ShowOutline(bool aShow)
{
    m_outlineViewer->SetShowing(aShow);
    UpdateOutlinePanel();
}

void TppPreview::SetZoomSetting(TppZoomSettingType aSetting)
{
    TppCustomPreview::SetZoomSetting(aSetting);
    updateZoomButtons();
    previewSetEditText(m_zoomEdit, rtl::EditMask(PreviewZoomMask).format(QString::number(Viewer()->CalculatedZoom())));
    if (SearchPreview())
        SearchPreview()->ZoomChanged();
}

void TppPreview::LanguageChanged()
{
    TppCustomPreview::LanguageChanged();
    if (m_outlineViewer)
        m_outlineViewer->retranslate();
    if (OutlineShowing())
        m_outlineViewer->SelectPageNode(Viewer()->AbsolutePageNo());
    const std::pair<int, int> hints[] = {{ppPreviewAction::Print, 22},         {ppPreviewAction::AutoSearch, 1021},
                                         {ppPreviewAction::ZoomWholePage, 30}, {ppPreviewAction::ZoomPageWidth, 31},
                                         {ppPreviewAction::Zoom100Percent, 1}, {ppPreviewAction::FirstPage, 13},
                                         {ppPreviewAction::PriorPage, 29},     {ppPreviewAction::NextPage, 15},
                                         {ppPreviewAction::LastPage, 14}};
    for (const auto &[action, message] : hints)
        m_buttons[action]->setToolTip(ppLoadStr(message));
    m_closeButton->setToolTip(ppLoadStr(5));
    const bool cancel = Viewer()->DesignPreview() || Viewer()->Busy();
    m_closeButton->setText(ppLoadStr(cancel ? 5 : 6));
    m_closeButton->setFixedWidth(m_closeButton->fontMetrics().horizontalAdvance(m_closeButton->text()) + 30);
}

void TppPreview::UpdateOutlinePanel()
{
    const bool wasVisible = !m_outlinePanel->isHidden();
    const bool searchInside = SearchPreview() && SearchPreview()->SearchPanelInOutlinePanel();
    const bool visible =
        searchInside ? (OutlineShowing() || SearchPreview()->SearchPanelVisible()) : !m_outlineViewer->isHidden();
    m_outlinePanel->setVisible(visible);
    if (visible != wasVisible && !m_initializing) {
        // The page is laid out again for the width it now has.
        Viewer()->SetRedrawing(false);
        SetZoomSetting(Viewer()->ZoomSetting());
    }
}

void TppPreview::PlaceSearchPanel()
{
    if (SearchPreview())
        SearchPreview()->PlaceSearchPanel(m_outlinePanel, m_searchPanel.get());
}

void TppPreview::EventNotify(TppCommunicator *aCommunicator, int aEventID, TraParamList *aParams)
{
    TppCustomPreview::EventNotify(aCommunicator, aEventID, aParams);
    if (aEventID == ppEvent::OutlineVisibility && m_outlineViewer && aCommunicator == m_outlineViewer->Communicator()) {
        m_outlineViewer->SelectPageNode(Viewer()->AbsolutePageNo());
        UpdateOutlinePanel();
    }
}

} // namespace report
