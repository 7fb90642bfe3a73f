#include "report/output/autosearch/AutoSearchPanels.h"

#include "report/model/autosearch/AutoSearchField.h"
#include "report/model/autosearch/AutoSearchValues.h"
#include "report/model/base/Messages.h"

#include "platform/gfx/Colors.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/StrToDateTime.h"
#include "platform/rtl/StrToFloat.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

#include <algorithm>
#include <initializer_list>
#include <utility>
#include <limits>

namespace report {

namespace {

constexpr int searchPanelLeft = 8;
constexpr int searchSentenceTop = 29;
constexpr int searchEditTop = 26;
constexpr int searchGap = 5;
constexpr int searchSimpleEditWidth = 273;
constexpr int searchSimpleHeight = 73;
constexpr int searchBetweenEditWidth = 150;
constexpr int searchBetweenGap = 10;
constexpr int searchListEditWidth = 200;
constexpr int searchListEditTop = 53;
constexpr int searchListButtonGap = 15;
constexpr int searchListAddTop = 53;
constexpr int searchListRemoveTop = 85;
constexpr int searchListButtonWidth = 95;
constexpr int searchListButtonHeight = 25;
constexpr int searchListBoxWidth = 200;
constexpr int searchListBoxHeight = 131;
constexpr int searchListHeight = 183;
constexpr int searchReportedMargin = 20;
constexpr int searchMarkerWidth = 5;
constexpr int searchMarkerHeight = 7;
constexpr int searchMarkerGap = 3;

// The text that no list may hold, for it separates the stored values.
const QString searchListSeparator = QStringLiteral(",");

bool searchIsBlankOperator(TppSearchOperatorType aOperator)
{
    return aOperator == TppSearchOperatorType::soBlank || aOperator == TppSearchOperatorType::soNotBlank;
}

QString searchFailure(const QString &aText, int aMessage)
{
    return aText + QLatin1Char(' ') + ppLoadStr(aMessage);
}

QLabel *searchLabel(QWidget *aParent, const QString &aText, int aLeft, int aTop)
{
    auto *label = new QLabel(aText, aParent);
    label->adjustSize();
    label->move(aLeft, aTop);
    return label;
}

// A value is as long as the field's text: a line edit's own limit would cut
// a stored value short when OK writes it back.
QLineEdit *searchEdit(const QString &aText, QWidget *aParent)
{
    auto *edit = new QLineEdit(aParent);
    edit->setMaxLength(std::numeric_limits<int>::max());
    edit->setText(aText);
    return edit;
}

// The values of a list or range as the user reads them.
QStringList searchShownValues(const TppAutoSearchField &aField)
{
    QStringList values = ppSplitSearchExpression(aField.SearchExpression());
    for (QString &value : values)
        value = ppSearchValueToShown(value, aField.DataType());
    return values;
}

// The layout's height, or more where a larger font makes the controls
// reach further: the next panel must not cover them. Two pixels stay for the
// line below a panel on a page.
int searchHeightHolding(int aHeight, std::initializer_list<const QWidget *> aLowest)
{
    for (const QWidget *control : aLowest)
        aHeight = std::max(aHeight, control->geometry().bottom() + 1 + 2);
    return aHeight;
}

TppAutoSearchPanel *makeSimpleSearchPanel(QWidget *aParent)
{
    return new TppSimpleSearchPanel(aParent);
}

TppAutoSearchPanel *makeBetweenSearchPanel(QWidget *aParent)
{
    return new TppBetweenSearchPanel(aParent);
}

TppAutoSearchPanel *makeInListSearchPanel(QWidget *aParent)
{
    return new TppInListSearchPanel(aParent);
}

} // namespace

QString ppCheckSearchValue(const TppAutoSearchField &aField, const QString &aText, bool aInList)
{
    if (aText.isEmpty())
        return aField.Mandatory() ? ppLoadStr(61) : QString();
    rtl::TDateTime moment = 0;
    QString number = aText;
    number.remove(rtl::FormatSettings().ThousandSeparator);
    switch (aField.DataType()) {
    case TppDataType::dtBoolean:
        if (!QStringLiteral("01FNTY").contains(aText.at(0).toUpper()))
            return ppLoadStr(60);
        break;
    case TppDataType::dtDate:
        if (!rtl::TryStrToDate(aText, moment))
            return searchFailure(aText, 56);
        break;
    case TppDataType::dtTime:
        if (!rtl::TryStrToTime(aText, moment))
            return searchFailure(aText, 57);
        break;
    case TppDataType::dtDateTime:
        if (!rtl::TryStrToDateTime(aText, moment))
            return searchFailure(aText, 58);
        break;
    case TppDataType::dtInteger:
    case TppDataType::dtLongint: {
        int32_t value = 0;
        if (!rtl::TryStrToInt(number, value))
            return searchFailure(aText, 59);
        break;
    }
    case TppDataType::dtSingle:
    case TppDataType::dtDouble:
    case TppDataType::dtExtended: {
        long double value = 0;
        if (!rtl::TryStrToFloat(number, value))
            return searchFailure(aText, 59);
        break;
    }
    case TppDataType::dtCurrency: {
        // Read as the field's value is read: a number beyond the currency
        // range would pass here and fail the report later.
        rtl::Currency value;
        if (!rtl::TryStrToCurr(number, value))
            return searchFailure(aText, 59);
        break;
    }
    default: break;
    }
    // A "," that stays in the stored form would split the value when it is
    // read back: the list cannot hold it. A decimal "," the user types is a
    // "." there.
    if (aInList && ppSearchValueToStored(aText, aField.DataType()).contains(searchListSeparator))
        return QStringLiteral("%1 holds a \",\", which separates the values.").arg(aText);
    return QString();
}

TppAutoSearchPanelFactory ppAutoSearchPanelClass(TppSearchOperatorType aOperator)
{
    switch (aOperator) {
    case TppSearchOperatorType::soBetween:
    case TppSearchOperatorType::soNotBetween: return makeBetweenSearchPanel;
    case TppSearchOperatorType::soInList:
    case TppSearchOperatorType::soNotInList: return makeInListSearchPanel;
    default: return makeSimpleSearchPanel;
    }
}

// ---- Markers ------------------------------------------------------------------------------

TppSearchMarker::TppSearchMarker(const QColor &aColor, QWidget *aParent)
    : QWidget(aParent)
    , m_color(aColor)
{
    // Fixed, so that a layout gives it its size too: it has no content to
    // ask for one.
    setFixedSize(searchMarkerWidth, searchMarkerHeight);
}

void TppSearchMarker::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(gfx::ReadableShade(m_color, palette().color(QPalette::Window)));
    painter.drawEllipse(rect());
}

// ---- Panel --------------------------------------------------------------------------------

TppAutoSearchPanel::TppAutoSearchPanel(QWidget *aParent)
    : QFrame(aParent)
{
    setFrameStyle(QFrame::Panel | QFrame::Raised);
}

TppAutoSearchPanel::~TppAutoSearchPanel()
{
    if (m_field && m_field->AutoSearchPanel() == static_cast<QObject *>(this))
        m_field->SetAutoSearchPanel(nullptr);
}

void TppAutoSearchPanel::SetOnPage(bool aOnPage, bool aLast)
{
    setFrameStyle(aOnPage ? QFrame::NoFrame : QFrame::Panel | QFrame::Raised);
    if (aOnPage && !aLast && !m_bevel) {
        m_bevel = new QFrame(this);
        m_bevel->setFrameStyle(QFrame::HLine | QFrame::Sunken);
        m_bevel->setGeometry(0, height() - 2, width(), 2);
    }
}

void TppAutoSearchPanel::addEditor(QWidget *aEditor)
{
    m_editors.append(aEditor);
}

bool TppAutoSearchPanel::ShowAllTicked() const
{
    return m_chkShowAll && !m_chkShowAll->isHidden() && m_chkShowAll->isChecked();
}

void TppAutoSearchPanel::CreateControls()
{
    const TppAutoSearchField &field = *m_field;
    m_chkShowAll = new QCheckBox(ppLoadStr(1033).replace(QStringLiteral("<name>"), field.FieldAlias()), this);
    m_chkShowAll->setObjectName(QStringLiteral("chkShowAll"));
    m_chkShowAll->adjustSize();
    m_chkShowAll->move(searchPanelLeft, searchGap);
    m_chkShowAll->setHidden(field.Mandatory());
    m_chkShowAll->setChecked(field.ShowAllValues());
    connect(m_chkShowAll, &QCheckBox::clicked, this, [this] { ShowAllValuesClick(); });

    // The first panel of its container heads the sentence.
    TppAutoSearchPanel *first = nullptr;
    if (parentWidget())
        first = parentWidget()->findChild<TppAutoSearchPanel *>(QString(), Qt::FindDirectChildrenOnly);
    m_field->SetFirstField(first == this);
    m_lblLead = searchLabel(this, ppLoadStr(first == this ? 54 : 55), searchPanelLeft, searchSentenceTop);
    m_lblAlias =
        searchLabel(this, field.FieldAlias(), m_lblLead->geometry().right() + 1 + searchGap, searchSentenceTop);
    m_lblOperator = searchLabel(this, ppAutoSearchOperatorText(field.SearchOperator(), field.DataType()),
                                m_lblAlias->geometry().right() + 1 + searchGap, searchSentenceTop);

    m_shpError = new TppSearchMarker(Qt::red, this);
    m_shpError->hide();
    m_lblError = new QLabel(this);
    m_lblError->setObjectName(QStringLiteral("lblError"));
    m_lblError->hide();
    m_shpMandatory = new TppSearchMarker(Qt::black, this);
    m_shpMandatory->setHidden(!field.Mandatory());
    applyColours();
}

void TppAutoSearchPanel::applyColours()
{
    if (!m_lblAlias)
        return;
    const QColor window = palette().color(QPalette::Window);
    for (const auto &[label, wanted] : {std::pair<QLabel *, QColor>{m_lblAlias, Qt::blue}, {m_lblError, Qt::red}}) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, gfx::ReadableShade(wanted, window));
        label->setPalette(palette);
    }
}

void TppAutoSearchPanel::changeEvent(QEvent *aEvent)
{
    // The desktop's colours changed while the dialog shows.
    if (aEvent->type() == QEvent::PaletteChange)
        applyColours();
    QFrame::changeEvent(aEvent);
}

void TppAutoSearchPanel::DisableInput()
{
    setInputEnabled(false);
}

void TppAutoSearchPanel::EnableInput()
{
    setInputEnabled(true);
}

void TppAutoSearchPanel::setInputEnabled(bool aEnabled)
{
    for (QWidget *w :
         {static_cast<QWidget *>(m_lblLead), static_cast<QWidget *>(m_lblAlias), static_cast<QWidget *>(m_lblOperator)})
        w->setEnabled(aEnabled);
    for (QWidget *editor : m_editors)
        editor->setEnabled(aEnabled);
}

bool TppAutoSearchPanel::ContainsPoint(int aX, int aY) const
{
    return std::any_of(m_editors.begin(), m_editors.end(), [aX, aY](const QWidget *editor) {
        return !editor->isHidden() && editor->geometry().contains(aX, aY);
    });
}

void TppAutoSearchPanel::ShowAllValuesClick()
{
    UpdateShowAllValues();
    if (!ShowAllTicked())
        FocusEditor();
}

void TppAutoSearchPanel::UpdateShowAllValues()
{
    if (ShowAllTicked())
        DisableInput();
    else
        EnableInput();
}

void TppAutoSearchPanel::PutCheckBoxLast()
{
    // The box comes last in the tab order: after the editors.
    QWidget *previous = m_chkShowAll;
    for (QWidget *editor : m_editors) {
        setTabOrder(previous, editor);
        previous = editor;
    }
    setTabOrder(previous, m_chkShowAll);
}

void TppAutoSearchPanel::mousePressEvent(QMouseEvent *aEvent)
{
    // The disabled editors pass their clicks here: a click into one reopens it.
    const QPoint at = aEvent->position().toPoint();
    if (ShowAllTicked() && ContainsPoint(at.x(), at.y())) {
        m_chkShowAll->setChecked(false);
        ShowAllValuesClick();
        return;
    }
    QFrame::mousePressEvent(aEvent);
}

void TppAutoSearchPanel::showError(const QString &aMessage, const QWidget *aEditor, int aLabelLeft, int aLabelTop)
{
    if (aMessage.isEmpty()) {
        m_lblError->hide();
        m_shpError->hide();
        return;
    }
    m_lblError->setText(aMessage);
    m_lblError->adjustSize();
    m_lblError->move(aLabelLeft, aLabelTop);
    m_lblError->show();
    m_shpError->move(aEditor->geometry().right() + 1 + searchMarkerGap, aEditor->y());
    m_shpError->show();
}

// ---- Simple -------------------------------------------------------------------------------

void TppSimpleSearchPanel::CreateControls()
{
    TppAutoSearchPanel::CreateControls();
    const TppAutoSearchField &field = *Field();
    m_edtValue = searchEdit(ppSearchValueToShown(field.SearchExpression(), field.DataType()), this);
    m_edtValue->setObjectName(QStringLiteral("edtValue"));
    m_edtValue->setGeometry(lblOperator()->geometry().right() + 1 + searchGap, searchEditTop, searchSimpleEditWidth,
                            m_edtValue->sizeHint().height());
    addEditor(m_edtValue);
    if (searchIsBlankOperator(field.SearchOperator())) {
        m_edtValue->hide();
        lblOperator()->setText(lblOperator()->text() + QLatin1Char('.'));
        lblOperator()->adjustSize();
    }
    connect(m_edtValue, &QLineEdit::textEdited, this, [this](const QString &aText) {
        if (!chkShowAll()->isHidden())
            chkShowAll()->setChecked(aText.isEmpty());
    });
    const QRect edit = m_edtValue->geometry();
    chkShowAll()->setGeometry(edit.left(), edit.bottom() + 1 + searchGap, edit.width(),
                              chkShowAll()->sizeHint().height());
    shpMandatory()->move(edit.right() + 1 + searchMarkerGap, edit.top());
    const int right = m_edtValue->isHidden() ? lblOperator()->geometry().right() : edit.right();
    resize(right + 1 + searchMarkerGap + searchMarkerWidth + searchGap, searchHeightHolding(searchSimpleHeight, {chkShowAll()}));
}

int TppSimpleSearchPanel::PanelWidth() const
{
    const QWidget *last = m_edtValue->isHidden() ? static_cast<QWidget *>(lblOperator()) : m_edtValue;
    return last->geometry().right() + 1 + searchReportedMargin;
}

bool TppSimpleSearchPanel::ApplyCriteria()
{
    if (!ShowAllTicked() && !m_edtValue->isHidden()) {
        const QString error = ppCheckSearchValue(*Field(), m_edtValue->text());
        showError(error, m_edtValue, m_edtValue->x() + 4, 8);
        if (!error.isEmpty())
            return false;
    }
    Field()->SetSearchExpression(ppSearchValueToStored(m_edtValue->text(), Field()->DataType()));
    Field()->SetShowAllValues(ShowAllTicked());
    return true;
}

void TppSimpleSearchPanel::FocusEditor()
{
    setFocus();
    if (m_edtValue->isHidden())
        return;
    m_edtValue->setFocus();
    m_edtValue->selectAll();
}

// ---- Between ------------------------------------------------------------------------------

void TppBetweenSearchPanel::CreateControls()
{
    TppAutoSearchPanel::CreateControls();
    const QStringList values = searchShownValues(*Field());
    m_edtFrom = searchEdit(values.value(0), this);
    m_edtFrom->setObjectName(QStringLiteral("edtFrom"));
    const int editHeight = m_edtFrom->sizeHint().height();
    m_edtFrom->setGeometry(lblOperator()->geometry().right() + 1 + searchGap, searchEditTop, searchBetweenEditWidth,
                           editHeight);
    m_lblAnd =
        searchLabel(this, ppLoadStr(62), m_edtFrom->geometry().right() + 1 + searchBetweenGap, searchSentenceTop);
    m_edtTo = searchEdit(values.value(1), this);
    m_edtTo->setObjectName(QStringLiteral("edtTo"));
    m_edtTo->setGeometry(m_lblAnd->geometry().right() + 1 + searchBetweenGap, searchEditTop, searchBetweenEditWidth,
                         editHeight);
    addEditor(m_edtFrom);
    addEditor(m_edtTo);
    shpMandatory()->move(m_edtFrom->geometry().right() + 1 + searchMarkerGap, searchEditTop);
    m_shpMandatory2 = new TppSearchMarker(Qt::black, this);
    m_shpMandatory2->move(m_edtTo->geometry().right() + 1 + searchMarkerGap, searchEditTop);
    m_shpMandatory2->setHidden(!Field()->Mandatory());
    const QRect from = m_edtFrom->geometry();
    chkShowAll()->setGeometry(from.left(), from.bottom() + 1 + searchGap, m_edtTo->geometry().right() - from.left(),
                              chkShowAll()->sizeHint().height());
    resize(m_edtTo->geometry().right() + 1 + searchMarkerGap + searchMarkerWidth + searchGap,
           searchHeightHolding(searchSimpleHeight, {chkShowAll()}));
}

int TppBetweenSearchPanel::PanelWidth() const
{
    return m_edtTo->geometry().right() + 1 + searchReportedMargin;
}

bool TppBetweenSearchPanel::ApplyCriteria()
{
    Field()->SetShowAllValues(ShowAllTicked());
    if (!Field()->ShowAllValues()) {
        for (QLineEdit *edit : {m_edtFrom, m_edtTo}) {
            const QString error = ppCheckSearchValue(*Field(), edit->text(), true);
            showError(error, edit, edit->x() + 4, 8);
            if (!error.isEmpty())
                return false;
        }
    }
    if (!m_edtFrom->text().isEmpty() && !m_edtTo->text().isEmpty())
        Field()->SetSearchExpression(ppSearchValueToStored(m_edtFrom->text(), Field()->DataType()) +
                                     searchListSeparator + ppSearchValueToStored(m_edtTo->text(), Field()->DataType()));
    else
        Field()->SetSearchExpression(QString());
    return true;
}

void TppBetweenSearchPanel::FocusEditor()
{
    setFocus();
    m_edtFrom->setFocus();
    m_edtFrom->selectAll();
}

// ---- In list ------------------------------------------------------------------------------

void TppInListSearchPanel::CreateControls()
{
    TppAutoSearchPanel::CreateControls();
    lblOperator()->setText(lblOperator()->text() + QLatin1Char(':'));
    lblOperator()->adjustSize();
    // The box stands above the sentence here: a larger font must not put
    // one over the other.
    const int sentenceTop = std::max(searchSentenceTop, chkShowAll()->geometry().bottom() + 2);
    for (QLabel *label : {lblLead(), lblAlias(), lblOperator()})
        label->move(label->x(), sentenceTop);
    m_edtValue = searchEdit(QString(), this);
    m_edtValue->setObjectName(QStringLiteral("edtValue"));
    m_edtValue->setGeometry(searchPanelLeft, searchListEditTop, searchListEditWidth, m_edtValue->sizeHint().height());
    const int buttonsLeft = m_edtValue->geometry().right() + 1 + searchListButtonGap;
    m_btnAdd = new QPushButton(ppLoadStr(63), this);
    m_btnAdd->setObjectName(QStringLiteral("btnAdd"));
    m_btnRemove = new QPushButton(ppLoadStr(64), this);
    m_btnRemove->setObjectName(QStringLiteral("btnRemove"));
    // At least as wide as their captions in the screen's font.
    const int buttonWidth =
        std::max({searchListButtonWidth, m_btnAdd->sizeHint().width(), m_btnRemove->sizeHint().width()});
    const int buttonHeight =
        std::max({searchListButtonHeight, m_btnAdd->sizeHint().height(), m_btnRemove->sizeHint().height()});
    const int addTop = std::max(searchListAddTop, lblOperator()->geometry().bottom() + 2);
    m_edtValue->move(searchPanelLeft, addTop);
    m_btnAdd->setGeometry(buttonsLeft, addTop, buttonWidth, buttonHeight);
    m_btnRemove->setGeometry(buttonsLeft,
                             std::max(searchListRemoveTop, addTop + buttonHeight + searchListRemoveTop -
                                                               searchListAddTop - searchListButtonHeight),
                             buttonWidth, buttonHeight);
    const int listLeft =
        std::max(m_btnAdd->geometry().right(), lblOperator()->geometry().right()) + 1 + searchBetweenGap;
    m_lbxValues = new QListWidget(this);
    m_lbxValues->setObjectName(QStringLiteral("lbxValues"));
    m_lbxValues->setGeometry(listLeft, searchEditTop, searchListBoxWidth, searchListBoxHeight);
    m_lbxValues->addItems(searchShownValues(*Field()));
    for (QWidget *editor : {static_cast<QWidget *>(m_edtValue), static_cast<QWidget *>(m_btnAdd),
                            static_cast<QWidget *>(m_btnRemove), static_cast<QWidget *>(m_lbxValues)})
        addEditor(editor);
    connect(m_btnAdd, &QPushButton::clicked, this, &TppInListSearchPanel::AddClick);
    connect(m_btnRemove, &QPushButton::clicked, this, &TppInListSearchPanel::RemoveClick);
    const QRect list = m_lbxValues->geometry();
    shpMandatory()->move(list.right() + 1 + searchMarkerGap, list.top());
    resize(list.right() + 1 + searchMarkerGap + searchMarkerWidth + searchGap,
           searchHeightHolding(searchListHeight, {m_btnRemove, m_lbxValues}));
    chkShowAll()->resize(width() - searchPanelLeft, chkShowAll()->height());
}

int TppInListSearchPanel::PanelWidth() const
{
    return m_lbxValues->geometry().right() + 1 + searchReportedMargin;
}

void TppInListSearchPanel::AddClick()
{
    const QString text = m_edtValue->text();
    const QString error = ppCheckSearchValue(*Field(), text, true);
    // An empty text with a mandatory field is no entry yet, not an error.
    if (!text.isEmpty()) {
        showError(error, m_edtValue, m_edtValue->x() + 4, m_edtValue->geometry().bottom() + 2);
        if (!error.isEmpty())
            return;
        if (m_lbxValues->findItems(text, Qt::MatchExactly).isEmpty()) {
            m_lbxValues->addItem(text);
            m_lbxValues->setCurrentRow(m_lbxValues->count() - 1);
        }
    }
    m_edtValue->clear();
    m_edtValue->setFocus();
}

void TppInListSearchPanel::RemoveClick()
{
    const int row = m_lbxValues->currentRow();
    if (row < 0)
        return;
    delete m_lbxValues->takeItem(row);
    if (m_lbxValues->count() > 0)
        m_lbxValues->setCurrentRow(std::min(row, m_lbxValues->count() - 1));
}

bool TppInListSearchPanel::ApplyCriteria()
{
    const QRect list = m_lbxValues->geometry();
    if (Field()->Mandatory() && m_lbxValues->count() == 0) {
        showError(ppLoadStr(61), m_lbxValues, list.left() + 4, list.bottom() + 2);
        return false;
    }
    showError(QString(), m_lbxValues, 0, 0);
    QStringList values;
    for (int i = 0; i < m_lbxValues->count(); ++i)
        values << ppSearchValueToStored(m_lbxValues->item(i)->text(), Field()->DataType());
    // The split drops one trailing empty value: a list ending in one keeps
    // it by a separator more.
    QString expression = values.join(searchListSeparator);
    if (!values.isEmpty() && values.last().isEmpty())
        expression += searchListSeparator;
    Field()->SetSearchExpression(expression);
    Field()->SetShowAllValues(ShowAllTicked());
    return !(Field()->Mandatory() && Field()->SearchExpression().isEmpty() && !Field()->ShowAllValues());
}

void TppInListSearchPanel::FocusEditor()
{
    setFocus();
    m_edtValue->setFocus();
    m_edtValue->selectAll();
}

} // namespace report

#include "moc_AutoSearchPanels.cpp"
