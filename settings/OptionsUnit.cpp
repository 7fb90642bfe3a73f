#include "settings/OptionsUnit.h"

#include "foundation/MyOptions.h"
#include "foundation/MyUtilities.h"
#include "foundation/MyUtilitiesUi.h"
#include "platform/controls/Guard.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/QtText.h"
#include "platform/rtl/Rounding.h"
#include "settings/CheckForUpdatesUnit.h"
#include "widgets/pagecontrol/dxPageControl.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

namespace settings {

using namespace foundation;
using namespace widgets;
using controls::guarded;
using controls::Report;

namespace {

constexpr const char *UnitName = "OptionsUnit";

// The settings the window writes, to be put back when they cannot be saved.
struct OptionsWindowSettings
{
    bool showSplashScreen = ShowSplashScreen;
    int32_t concurrentConnectionCount = ConcurrentConnectionCount;
    bool useProxy = UseProxy;
    std::string proxyKind = ProxyKind;
    std::string proxyServer = ProxyServer;
    int32_t proxyPort = ProxyPort;
    std::string proxyUsername = ProxyUsername;
    std::string proxyPassword = ProxyPassword;
    std::string checkForUpdatesInterval = CheckForUpdatesInterval;

    void restore() const
    {
        ShowSplashScreen = showSplashScreen;
        ConcurrentConnectionCount = concurrentConnectionCount;
        UseProxy = useProxy;
        ProxyKind = proxyKind;
        ProxyServer = proxyServer;
        ProxyPort = proxyPort;
        ProxyUsername = proxyUsername;
        ProxyPassword = proxyPassword;
        CheckForUpdatesInterval = checkForUpdatesInterval;
    }
};

} // namespace

const std::vector<std::string> &TOptionsForm::ConnectionCountItems()
{
    static const std::vector<std::string> items = [] {
        std::vector<std::string> list = {"1", "2", "3", "4", "5", "6", "8"};
        for (int n = 10; n <= 50; n += 2)
            list.push_back(std::to_string(n));
        for (int n = 60; n <= 100; n += 10)
            list.push_back(std::to_string(n));
        return list;
    }();
    return items;
}

const std::vector<std::string> &TOptionsForm::UpdateIntervalItems()
{
    // "At Every Start" is left out on purpose: it checks at every tick of the
    // update timer, which nobody should pick by hand.
    static const std::vector<std::string> items = [] {
        std::vector<std::string> texts;
        for (const int id : {SEveryDay, SEveryTwoDays, SEveryFourDays, SEveryWeek, SEveryTwoWeeks, SEveryMonth, SNever})
            texts.push_back(UpdateString(id));
        return texts;
    }();
    return items;
}

TOptionsForm::TOptionsForm(QWidget *owner)
    : QDialog(owner)
{
    setObjectName(QStringLiteral("OptionsForm"));
    setWindowTitle(QStringLiteral("Options"));
    setFont(FormFont());
    setFixedSize(284, 265);
    setLayoutDirection(Qt::LeftToRight);
    createControls();
    KeepFormLayout(this);
    FormCreate();
}

TOptionsForm::~TOptionsForm() = default;

void TOptionsForm::createControls()
{
    // Children are made in tab order: the focus chain follows creation.
    PageControl1 = new TdxPageControl(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setGeometry(0, 10, 284, 208);
    PageControl1->SetStyle(TdxTabStyle::dxtsTabs);
    PageControl1->SetTabPosition(TdxTabPosition::dxtpTop);
    gfx::Font tabFont = PageControl1->Font();
    tabFont.height = -11;
    PageControl1->SetFont(tabFont);
    UseFormFace(PageControl1, font());

    createGeneralPage();
    createProxyPage();
    createUpdatesPage();

    OKButton = new QPushButton(QStringLiteral("&OK"), this);
    OKButton->setGeometry(63, 230, 75, ButtonHeight);
    OKButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("&Cancel"), this);
    CancelButton->setGeometry(154, 230, 75, ButtonHeight);

    connect(OKButton, &QPushButton::clicked, this, [this] {
        bool close = true;
        guarded(Report::toUser(this), [&] { close = acceptChanges(); });
        if (close)
            accept();
    });
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

void TOptionsForm::createGeneralPage()
{
    Other = new TdxTabSheet(PageControl1);
    Other->setObjectName(QStringLiteral("Other"));
    Other->SetCaption("General");

    ShowSplashScreenCheckBox = new QCheckBox(QStringLiteral("Show splash screen at startup"), Other);
    ShowSplashScreenCheckBox->setGeometry(8, 10, 164, CheckBoxHeight);

    ConnectionsComboBox = new QComboBox(Other);
    ConnectionsComboBox->setGeometry(224, 37, 48, EditHeight);
    ConnectionsComboBox->setMaxVisibleItems(50);
    for (const std::string &item : ConnectionCountItems())
        ConnectionsComboBox->addItem(rtl::ToQString(item));
    ConnectionsLabel = MakeLabel(Other, "Ma&ximum number of concurrent connections:", 8, 41, 212, ConnectionsComboBox);
}

void TOptionsForm::createProxyPage()
{
    dxTabSheet1 = new TdxTabSheet(PageControl1);
    dxTabSheet1->setObjectName(QStringLiteral("dxTabSheet1"));
    dxTabSheet1->SetCaption("Proxy");

    CreateProxyControls(dxTabSheet1, 8, 10, "User &name (if required):");

    auto click = [this] { guarded(Report::toUser(this), [this] { UseProxyServerCheckBoxClick(); }); };
    for (QAbstractButton *button :
         {static_cast<QAbstractButton *>(UseProxyServerCheckBox), static_cast<QAbstractButton *>(ProxyHTTPRadioButton),
          static_cast<QAbstractButton *>(ProxySocks4RadioButton),
          static_cast<QAbstractButton *>(ProxySocks5RadioButton)})
        connect(button, &QAbstractButton::clicked, this, click);
    auto change = [this] { guarded(Report::toUser(this), [this] { ProxyServerEditChange(); }); };
    for (QLineEdit *edit : {ProxyServerEdit, ProxyPortEdit, ProxyUsernameEdit, ProxyPasswordEdit})
        connect(edit, &QLineEdit::textChanged, this, change);
}

void TOptionsForm::createUpdatesPage()
{
    dxTabSheet2 = new TdxTabSheet(PageControl1);
    dxTabSheet2->setObjectName(QStringLiteral("dxTabSheet2"));
    dxTabSheet2->SetCaption("Updates");

    UpdateComboBox = new QComboBox(dxTabSheet2);
    UpdateComboBox->setGeometry(102, 10, 120, EditHeight);
    UpdateLabel = MakeLabel(dxTabSheet2, "Chec&k for updates:", 8, 14, 92, UpdateComboBox);

    UpdateMemo = MakeNoteMemo(dxTabSheet2, QRect(8, 37, 264, 92),
                              QStringLiteral("Zarvello can regularly check if there are \n"
                                             "updates available to the application itself and to the \n"
                                             "search engine scripts.\n"
                                             "\n"
                                             "Select \"Never\" to turn off checking for updates. You \n"
                                             "can always check manually for updates by selecting \n"
                                             "\"Check Online For Latest Version\" from the Help menu."));
    UpdateMemo->viewport()->installEventFilter(this);
}

bool TOptionsForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == UpdateMemo->viewport() && event->type() == QEvent::MouseButtonRelease) {
        // Let the memo finish its own handling of the release first.
        guarded(Report::none(), [this] {
            QMetaObject::invokeMethod(
                this, [this] { guarded(Report::toUser(this), [this] { UpdateMemoMouseUp(); }); }, Qt::QueuedConnection);
        });
    }
    return QDialog::eventFilter(watched, event);
}

void TOptionsForm::FormCreate()
{
    ShowSplashScreenCheckBox->setChecked(ShowSplashScreen);
    SelectComboBoxItem(ConnectionsComboBox, std::to_string(ConcurrentConnectionCount));
    LoadProxyControls();
    UpdateComboBox->clear();
    for (const std::string &item : UpdateIntervalItems())
        UpdateComboBox->addItem(rtl::ToQString(item));
    SelectComboBoxItem(UpdateComboBox, CheckForUpdatesInterval);
    PageControl1->SetActivePageIndex(0);
    UpdateControls();
}

void TOptionsForm::ShowPage(int PageNumber)
{
    // The line numbers are the ones these checks have always been reported
    // with.
    if (PageNumber < 0)
        throw rtl::EAssertionFailed(UnitName, 242);
    if (PageNumber > PageControl1->PageCount())
        throw rtl::EAssertionFailed(UnitName, 243);
    PageControl1->SetActivePageIndex(PageNumber - 1);
    switch (PageNumber) {
    case 1: ShowSplashScreenCheckBox->setFocus(); break;
    case 2: UseProxyServerCheckBox->setFocus(); break;
    case 3: UpdateComboBox->setFocus(); break;
    default: break;
    }
}

void TOptionsForm::UpdateControls()
{
    UpdateProxyControls();
}

void TOptionsForm::OKButtonClick()
{
    ShowSplashScreen = ShowSplashScreenCheckBox->isChecked();
    // A count that the list does not offer (edited into the settings file by
    // hand) shows no selection; it stays as it is unless the user picks one,
    // since the check driver needs at least one connection.
    if (ConnectionsComboBox->currentIndex() >= 0)
        ConcurrentConnectionCount = rtl::Round(StrToNumber(rtl::FromQString(ConnectionsComboBox->currentText())));
    StoreProxyControls();
    CheckForUpdatesInterval =
        UpdateComboBox->currentIndex() >= 0 ? rtl::FromQString(UpdateComboBox->currentText()) : std::string();
}

bool TOptionsForm::acceptChanges()
{
    if (const std::string refusal = ProxyControlsRefusal(); !refusal.empty()) {
        ShowPage(2);
        ShowMessageBox(this, refusal, '!');
        return false;
    }
    const OptionsWindowSettings before;
    OKButtonClick();
    if (!SaveSettings)
        return true;
    const QString failure = SaveSettings();
    if (failure.isEmpty())
        return true;
    before.restore();
    ShowMessageBox(this, failure, '!');
    return false;
}

void TOptionsForm::UseProxyServerCheckBoxClick()
{
    if (UseProxyServerCheckBox->isChecked() && isVisible()) {
        SetEnabledIfChanged(ProxyServerEdit, true);
        ProxyServerEdit->setFocus();
    }
    UpdateControls();
}

void TOptionsForm::ProxyServerEditChange()
{
    UpdateControls();
}

void TOptionsForm::UpdateMemoMouseUp()
{
    HideEditSelection(UpdateMemo);
}

} // namespace settings

#include "moc_OptionsUnit.cpp"
