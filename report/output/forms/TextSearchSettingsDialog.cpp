#include "report/output/forms/TextSearchSettingsDialog.h"

#include "report/model/base/Messages.h"
#include "report/model/production/Producer.h"
#include "report/model/production/TextSearchSettings.h"
#include "report/model/storage/IniStorage.h"

#include "platform/classes/ClassBuilder.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

namespace report {

namespace {

constexpr int SettingsDialogWidth = 230;
constexpr int SettingsDialogMaxWidth = 436;
constexpr int SettingsDialogHeight = 327;

// A stored place that no screen shows any more (a monitor unplugged since)
// would open the dialog out of reach.
QPoint settingsDialogOnScreen(const QRect &aFrame)
{
    for (const QScreen *screen : QGuiApplication::screens())
        if (screen->availableGeometry().intersects(aFrame))
            return aFrame.topLeft();
    const QScreen *primary = QGuiApplication::primaryScreen();
    if (!primary)
        return aFrame.topLeft();
    const QRect area = primary->availableGeometry();
    return {std::clamp(aFrame.left(), area.left(), std::max(area.left(), area.right() - aFrame.width())),
            std::clamp(aFrame.top(), area.top(), std::max(area.top(), area.bottom() - aFrame.height()))};
}

} // namespace

const classes::TMetaClass &TppTextSearchSettingsDialog::StaticClass()
{
    static const classes::TMetaClass meta =
        classes::MakeClass<TppTextSearchSettingsDialog, TppCustomTextSearchSettingsDialog>(
            "TppTextSearchSettingsDialog");
    return meta;
}

TppTextSearchSettingsDialog::TppTextSearchSettingsDialog(classes::TComponent *aOwner)
    : TppFormOf<TppCustomTextSearchSettingsDialog>(aOwner)
    , m_cbxEnabled(new QCheckBox(this))
    , m_cbxShowAll(new QCheckBox(this))
    , m_cbxCaseSensitive(new QCheckBox(this))
    , m_cbxWholeWord(new QCheckBox(this))
    , m_rdgStartingPage(new QGroupBox(this))
    , m_rdbFirstPage(new QRadioButton(QStringLiteral("Search From First Page"), m_rdgStartingPage))
    , m_rdbCurrentPage(new QRadioButton(QStringLiteral("Search From Current Page"), m_rdgStartingPage))
    , m_cbxShowSearchToolbar(new QCheckBox(this))
    , m_lblSearchString(new QLabel(this))
    , m_edtSearchString(new QLineEdit(this))
    , m_btnOK(new QPushButton(this))
    , m_btnCancel(new QPushButton(this))
{
    setObjectName(QStringLiteral("ppTextSearchSettingsDialog"));
    setMinimumSize(SettingsDialogWidth, SettingsDialogHeight);
    setMaximumSize(SettingsDialogMaxWidth, SettingsDialogHeight);
    resize(SettingsDialogWidth, SettingsDialogHeight);

    const std::pair<QWidget *, const char *> names[] = {{m_cbxEnabled, "cbxEnabled"},
                                                        {m_cbxShowAll, "cbxShowAll"},
                                                        {m_cbxCaseSensitive, "cbxCaseSensitive"},
                                                        {m_cbxWholeWord, "cbxWholeWord"},
                                                        {m_rdgStartingPage, "rdgStartingPage"},
                                                        {m_cbxShowSearchToolbar, "cbxShowSearchToolbar"},
                                                        {m_lblSearchString, "lblSearchString"},
                                                        {m_edtSearchString, "edtSearchString"},
                                                        {m_btnOK, "btnOK"},
                                                        {m_btnCancel, "btnCancel"}};
    for (const auto &[widget, name] : names)
        widget->setObjectName(QLatin1String(name));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 10, 12, 10);
    layout->addWidget(m_cbxEnabled);
    layout->addWidget(m_cbxShowAll);
    layout->addWidget(m_cbxCaseSensitive);
    layout->addWidget(m_cbxWholeWord);
    auto *radios = new QVBoxLayout(m_rdgStartingPage);
    radios->addWidget(m_rdbFirstPage);
    radios->addWidget(m_rdbCurrentPage);
    m_rdbFirstPage->setChecked(true);
    layout->addWidget(m_rdgStartingPage);
    layout->addWidget(m_cbxShowSearchToolbar);
    layout->addWidget(m_lblSearchString);
    layout->addWidget(m_edtSearchString);
    layout->addStretch(1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_btnOK);
    buttons->addWidget(m_btnCancel);
    layout->addLayout(buttons);
    m_lblSearchString->setBuddy(m_edtSearchString);
    m_btnOK->setDefault(true);

    connect(m_cbxEnabled, &QCheckBox::toggled, this, [this] { enableOptions(); });
    connect(m_btnOK, &QPushButton::clicked, this, [this] { closeWithResult(ppModalResultOK); });
    connect(m_btnCancel, &QPushButton::clicked, this, [this] { closeWithResult(ppModalResultCancel); });
    int left = 0;
    int top = 0;
    CenterPosition(left, top);
    move(left, top);
    LanguageChanged();
    enableOptions();
}

TppTextSearchSettingsDialog::~TppTextSearchSettingsDialog() = default;

void TppTextSearchSettingsDialog::LanguageChanged()
{
    setWindowTitle(ppLoadStr(1150));
    m_btnOK->setText(ppLoadStr(17));
    m_btnCancel->setText(ppLoadStr(5));
    m_cbxShowSearchToolbar->setText(ppLoadStr(1067));
    m_rdgStartingPage->setTitle(ppLoadStr(1065));
    m_lblSearchString->setText(ppLoadStr(1068));
    m_cbxCaseSensitive->setText(ppLoadStr(1063));
    m_cbxShowAll->setText(ppLoadStr(1062));
    m_cbxEnabled->setText(ppLoadStr(1066));
    m_cbxWholeWord->setText(ppLoadStr(1064));
}

TppTextSearchSettings *TppTextSearchSettingsDialog::ReportSettings() const
{
    auto *report = dynamic_cast<TppProducer *>(Report());
    return report ? report->TextSearchSettings() : nullptr;
}

void TppTextSearchSettingsDialog::ReportAssigned()
{
    takeSettings();
}

int TppTextSearchSettingsDialog::StartingPageIndex() const
{
    return m_rdbCurrentPage->isChecked() ? 1 : 0;
}

void TppTextSearchSettingsDialog::SetStartingPageIndex(int aIndex)
{
    (aIndex == 1 ? m_rdbCurrentPage : m_rdbFirstPage)->setChecked(true);
}

void TppTextSearchSettingsDialog::takeSettings()
{
    const TppTextSearchSettings *settings = ReportSettings();
    if (!settings)
        return;
    m_edtSearchString->setText(settings->DefaultString());
    m_cbxEnabled->setChecked(settings->Enabled());
    m_cbxShowAll->setChecked(settings->ShowAll());
    m_cbxCaseSensitive->setChecked(settings->CaseSensitive());
    m_cbxWholeWord->setChecked(settings->WholeWord());
    m_cbxShowSearchToolbar->setChecked(settings->Visible());
    SetStartingPageIndex(settings->SearchFromCurrentPage() ? 1 : 0);
    enableOptions();
}

void TppTextSearchSettingsDialog::enableOptions()
{
    const bool enabled = m_cbxEnabled->isChecked();
    for (QWidget *option :
         std::initializer_list<QWidget *>{m_cbxShowAll, m_cbxCaseSensitive, m_cbxWholeWord, m_rdgStartingPage,
                                          m_cbxShowSearchToolbar, m_lblSearchString, m_edtSearchString})
        option->setEnabled(enabled);
}

void TppTextSearchSettingsDialog::writeBackSettings()
{
    TppTextSearchSettings *target = ReportSettings();
    if (!target)
        return;
    TppTextSearchSettings values;
    values.SetDefaultString(m_edtSearchString->text());
    values.SetCaseSensitive(m_cbxCaseSensitive->isChecked());
    values.SetEnabled(m_cbxEnabled->isChecked());
    values.SetSearchOnStart(false);
    values.SetShowAll(m_cbxShowAll->isChecked());
    values.SetWholeWord(m_cbxWholeWord->isChecked());
    values.SetVisible(m_cbxShowSearchToolbar->isChecked());
    values.SetSearchFromCurrentPage(StartingPageIndex() == 1);
    target->Assign(&values);
}

void TppTextSearchSettingsDialog::loadGeometry()
{
    const std::unique_ptr<TppIniStorage> store = TppIniStoragePlugIn::CreateInstance();
    if (!store)
        return;
    const QString section = StorageSection();
    const int w = std::clamp(store->ReadInteger(section, QStringLiteral("Width"), width()), SettingsDialogWidth,
                             SettingsDialogMaxWidth);
    resize(w, SettingsDialogHeight);
    const QPoint place(store->ReadInteger(section, QStringLiteral("Left"), x()),
                       store->ReadInteger(section, QStringLiteral("Top"), y()));
    move(settingsDialogOnScreen(QRect(place, size())));
}

void TppTextSearchSettingsDialog::saveGeometry() const
{
    const std::unique_ptr<TppIniStorage> store = TppIniStoragePlugIn::CreateInstance();
    if (!store)
        return;
    const QString section = StorageSection();
    store->WriteInteger(section, QStringLiteral("Left"), x());
    store->WriteInteger(section, QStringLiteral("Top"), y());
    store->WriteInteger(section, QStringLiteral("Width"), width());
    store->WriteInteger(section, QStringLiteral("Height"), height());
}

void TppTextSearchSettingsDialog::showEvent(QShowEvent *aEvent)
{
    loadGeometry();
    takeSettings();
    TppFormOf<TppCustomTextSearchSettingsDialog>::showEvent(aEvent);
}

void TppTextSearchSettingsDialog::done(int aResult)
{
    if (isVisible())
        saveGeometry();
    if (aResult == ppModalResultOK)
        writeBackSettings();
    TppFormOf<TppCustomTextSearchSettingsDialog>::done(aResult);
}

} // namespace report

#include "moc_TextSearchSettingsDialog.cpp"
