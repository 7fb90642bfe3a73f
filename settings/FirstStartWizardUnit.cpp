#include "settings/FirstStartWizardUnit.h"

#include "foundation/MyOptions.h"
#include "foundation/MyUtilities.h"
#include "foundation/MyUtilitiesUi.h"
#include "foundation/MyWebUtilities.h"
#include "platform/controls/ControlTypes.h"
#include "platform/controls/Guard.h"
#include "platform/rtl/QtText.h"
#include "platform/rtl/Win1252.h"
#include "platform/shell/Modal.h"
#include "widgets/pagecontrol/dxPageControl.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include <array>

namespace settings {

using namespace foundation;
using namespace widgets;
using controls::guarded;
using controls::Report;

namespace {

struct ConnectionSpeed
{
    const char *item;
    int connections;
};

constexpr std::array<ConnectionSpeed, 5> Speeds = {{
    {"28 Kbps Modem", 2},
    {"56 Kbps Modem", 5},
    {"64 Kbps (single ISDN)", 8},
    {"128 Kbps (dual ISDN)", 16},
    {"DSL/cable modem or better", 50},
}};
constexpr int DefaultSpeedIndex = 1;

enum WizardPage { WelcomePage = 0, ConnectionPage = 1, URLPage = 2 };

// The picture beside the pages: rising bars under the program's name, drawn
// rather than shipped so the wizard needs no file of its own.
class TWizardPicture : public QWidget
{
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent *) override
    {
        guarded(Report::none(), [this] { paint(); });
    }

private:
    void paint()
    {
        QPainter p(this);
        QLinearGradient sky(0, 0, 0, height());
        sky.setColorAt(0, QColor(0x1F, 0x3A, 0x68));
        sky.setColorAt(1, QColor(0x5B, 0x8D, 0xC9));
        p.fillRect(rect(), sky);

        QFont title = FormFont(15, true);
        p.setFont(title);
        p.setPen(Qt::white);
        p.drawText(QRect(0, 16, width(), 30), Qt::AlignHCenter | Qt::AlignVCenter, QStringLiteral("Zarvello"));

        const int base = height() - 24;
        const int barWidth = 18;
        const int gap = 8;
        const int heights[] = {30, 52, 78, 110, 150};
        int x = (width() - (5 * barWidth + 4 * gap)) / 2;
        for (int i = 0; i < 5; ++i) {
            const QColor bar = QColor::fromHsv(40 + 20 * i, 120, 250);
            p.fillRect(x, base - heights[i], barWidth, heights[i], bar);
            x += barWidth + gap;
        }
        p.fillRect(12, base, width() - 24, 2, Qt::white);
    }
};

bool startsWithNoCase(const std::string &text, const char *prefix)
{
    return StrPos(text, prefix, false) == 1;
}

} // namespace

bool LessNoCase::operator()(const std::string &a, const std::string &b) const
{
    return rtl::AnsiUpperCase(a) < rtl::AnsiUpperCase(b);
}

std::string TFirstStartWizardForm::PlaceholderURL()
{
    return "http://www.your-site.example";
}

std::string TFirstStartWizardForm::PlaceholderCompetitorURL(int n)
{
    return "http://www.competitor" + std::to_string(n) + ".example";
}

int TFirstStartWizardForm::ConnectionCountForSpeed(int index)
{
    if (index < 0 || index >= int(Speeds.size()))
        return Speeds.back().connections;
    return Speeds[size_t(index)].connections;
}

TFirstStartWizardForm::TFirstStartWizardForm(QWidget *owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("FirstStartWizardForm"));
    setWindowTitle(QStringLiteral("First Start Wizard"));
    setFont(FormFont());
    setFixedSize(510, 333);
    setLayoutDirection(Qt::LeftToRight);
    // Shown without exec(), yet nothing else of the program takes input
    // while it is up.
    setWindowModality(Qt::ApplicationModal);
    createControls();
    KeepFormLayout(this);
    FormCreate();
    connectHandlers();
}

TFirstStartWizardForm::~TFirstStartWizardForm() = default;

void TFirstStartWizardForm::createControls()
{
    Image1 = new TWizardPicture(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(8, 12, 154, 272);
    Image1->setCursor(Qt::PointingHandCursor);
    controls::MarkGraphicControl(Image1);

    // Children are made in tab order: the focus chain follows creation.
    dxPageControl1 = new TdxPageControl(this);
    dxPageControl1->setObjectName(QStringLiteral("dxPageControl1"));
    dxPageControl1->setGeometry(162, 11, 348, 274);
    dxPageControl1->SetStyle(TdxTabStyle::dxtsButtons);
    dxPageControl1->SetTabPosition(TdxTabPosition::dxtpTop);
    dxPageControl1->SetHideButtons(true);
    UseFormFace(dxPageControl1, font());

    createWelcomePage();
    createConnectionPage();
    createURLPage();

    ExitButton = new QPushButton(QStringLiteral("&Exit"), this);
    ExitButton->setGeometry(8, 296, 68, ButtonHeight);
    BackButton = new QPushButton(QStringLiteral("< &Back"), this);
    BackButton->setGeometry(352, 296, 75, ButtonHeight);
    NextButton = new QPushButton(QStringLiteral("&Next >"), this);
    NextButton->setGeometry(427, 296, 75, ButtonHeight);
    NextButton->setDefault(true);
    // Enter means Next wherever the focus is: the page control takes no
    // focus, so Exit would otherwise be the focused button on the welcome
    // page, and Enter would end the program.
    for (QPushButton *button : {ExitButton, BackButton, NextButton})
        button->setAutoDefault(false);
    NextButton->setFocus();
}

void TFirstStartWizardForm::createWelcomePage()
{
    dxTabSheet1 = new TdxTabSheet(dxPageControl1);
    dxTabSheet1->setObjectName(QStringLiteral("dxTabSheet1"));

    WelcomeLabel = new QLabel(QStringLiteral("How popular is your web site?"), dxTabSheet1);
    WelcomeLabel->setObjectName(QStringLiteral("WelcomeLabel"));
    WelcomeLabel->setGeometry(16, 32, 320, 32);
    WelcomeLabel->setFont(FormFont(12, true));
    WelcomeLabel->setWordWrap(true);
    WelcomeLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    LengthyMemo =
        MakeNoteMemo(dxTabSheet1, QRect(16, 65, 320, 173),
                     QStringLiteral("Link popularity is the total number of web sites that link to your site. \n"
                                    "Nearly all major search engines rank sites in part by the site's link \n"
                                    "popularity.\n"
                                    "\n"
                                    "Zarvello tells you how \"popular\" search engines \n"
                                    "believe your site to be. You can also see how popular your \n"
                                    "competitor web sites are.\n"
                                    "\n"
                                    "Zarvello is free of charge. It shows no nag screens and \n"
                                    "opens no advertisement pop-up windows: it is sponsored \n"
                                    "by its maker, www.zarvello.example."));
    LengthyMemo->viewport()->installEventFilter(this);
}

void TFirstStartWizardForm::createConnectionPage()
{
    dxTabSheet2 = new TdxTabSheet(dxPageControl1);
    dxTabSheet2->setObjectName(QStringLiteral("dxTabSheet2"));

    Step1Label = MakeLabel(dxTabSheet2, "Step 1 of 2: Select your Internet connection", 16, 18, 320);
    Step1Label->setObjectName(QStringLiteral("Step1Label"));
    Step1Label->setFont(FormFont(8, true));

    ConnectionsComboBox = new QComboBox(dxTabSheet2);
    ConnectionsComboBox->setGeometry(16, 56, 200, EditHeight);
    for (const ConnectionSpeed &speed : Speeds)
        ConnectionsComboBox->addItem(QString::fromLatin1(speed.item));
    ConnectionsLabel = MakeLabel(dxTabSheet2, "&Select your Internet connection:", 16, 39, 200, ConnectionsComboBox);

    CreateProxyControls(dxTabSheet2, 16, 104, "User name (if &required):");
}

void TFirstStartWizardForm::createURLPage()
{
    dxTabSheet3 = new TdxTabSheet(dxPageControl1);
    dxTabSheet3->setObjectName(QStringLiteral("dxTabSheet3"));

    Step2Label = MakeLabel(dxTabSheet3, "Step 2 of 2: Enter URLs", 16, 18, 320);
    Step2Label->setObjectName(QStringLiteral("Step2Label"));
    Step2Label->setFont(FormFont(8, true));

    URLEdit = MakeEdit(dxTabSheet3, 16, 56, 320);
    URLLabel = MakeLabel(dxTabSheet3, "Enter the &URL of your web site:", 16, 39, 316, URLEdit);
    Competitor1Edit = MakeEdit(dxTabSheet3, 16, 139, 320);
    Competitor2Edit = MakeEdit(dxTabSheet3, 16, 170, 320);
    Competitor3Edit = MakeEdit(dxTabSheet3, 16, 201, 320);
    CompetitorLabel = MakeLabel(
        dxTabSheet3, "Enter up to three URLs of your &competitors (you can also leave these fields empty):", 16, 109,
        316, Competitor1Edit);
    CompetitorLabel->resize(316, 26);
    CompetitorLabel->setWordWrap(true);
    CompetitorLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void TFirstStartWizardForm::connectHandlers()
{
    auto handler = [this](void (TFirstStartWizardForm::*method)()) {
        return [this, method] { guarded(Report::toUser(this), [this, method] { (this->*method)(); }); };
    };
    // Ctrl+Tab still turns the pages without the buttons; their states must
    // follow, or Next could finish with an own site that was never checked.
    dxPageControl1->OnChange.Set(
        [this](TdxCustomPageControl *) { guarded(Report::toUser(this), [this] { UpdateControls(); }); });
    connect(ExitButton, &QPushButton::clicked, this, handler(&TFirstStartWizardForm::ExitButtonClick));
    connect(BackButton, &QPushButton::clicked, this, handler(&TFirstStartWizardForm::BackButtonClick));
    connect(NextButton, &QPushButton::clicked, this, handler(&TFirstStartWizardForm::NextButtonClick));
    connect(ConnectionsComboBox, &QComboBox::currentIndexChanged, this,
            handler(&TFirstStartWizardForm::ConnectionsComboBoxChange));
    connect(UseProxyServerCheckBox, &QCheckBox::clicked, this,
            handler(&TFirstStartWizardForm::UseProxyServerCheckBoxClick));
    for (QRadioButton *radio : {ProxyHTTPRadioButton, ProxySocks4RadioButton, ProxySocks5RadioButton})
        connect(radio, &QRadioButton::clicked, this, handler(&TFirstStartWizardForm::ProxyHTTPRadioButtonClick));
    for (QLineEdit *edit : {ProxyServerEdit, ProxyPortEdit, ProxyUsernameEdit, ProxyPasswordEdit})
        connect(edit, &QLineEdit::textChanged, this, handler(&TFirstStartWizardForm::ProxyServerEditChange));
    for (QLineEdit *edit : {URLEdit, Competitor1Edit, Competitor2Edit, Competitor3Edit})
        connect(edit, &QLineEdit::textChanged, this, handler(&TFirstStartWizardForm::URLEditChange));
}

void TFirstStartWizardForm::FormCreate()
{
    m_exitPressed = false;
    m_finished = false;
    dxPageControl1->SetActivePageIndex(WelcomePage);
    // The count is set as soon as the wizard exists, so even an Exit on the
    // first page leaves a sensible value behind.
    ConnectionsComboBox->setCurrentIndex(DefaultSpeedIndex);
    ConnectionsComboBoxChange();
    LoadProxyControls();
    URLEdit->setText(rtl::ToQString(PlaceholderURL()));
    Competitor1Edit->setText(rtl::ToQString(PlaceholderCompetitorURL(1)));
    Competitor2Edit->setText(rtl::ToQString(PlaceholderCompetitorURL(2)));
    Competitor3Edit->setText(rtl::ToQString(PlaceholderCompetitorURL(3)));
    UpdateControls();
}

void TFirstStartWizardForm::ShowAndWait()
{
    show();
    raise();
    activateWindow();
    if (m_exitPressed || m_finished)
        return;
    shell::runModal(*this, [this] {
        QEventLoop loop;
        connect(this, &TFirstStartWizardForm::Ended, &loop, &QEventLoop::quit);
        connect(this, &QObject::destroyed, &loop, &QEventLoop::quit);
        loop.exec();
        return 0;
    });
}

std::string TFirstStartWizardForm::GetURL() const
{
    return TypedAddress(URLEdit->text());
}

void TFirstStartWizardForm::GetCompetitorURLs(TCompetitorURLList &list) const
{
    const QLineEdit *fields[] = {Competitor1Edit, Competitor2Edit, Competitor3Edit};
    for (int n = 1; n <= 3; ++n) {
        std::string url = TypedAddress(fields[n - 1]->text());
        if (url.empty() || url == PlaceholderCompetitorURL(n) || !IsValidURL(url))
            continue;
        // People type schemes in capitals too; a second scheme in front would
        // make the address useless.
        if (!startsWithNoCase(url, "http://") && !startsWithNoCase(url, "https://"))
            url = "http://" + url;
        list.insert(url);
    }
}

void TFirstStartWizardForm::UpdateControls()
{
    UpdateProxyControls();
    if (m_exitPressed || m_finished) {
        SetEnabledIfChanged(BackButton, false);
        SetEnabledIfChanged(ExitButton, false);
        SetEnabledIfChanged(NextButton, false);
        return;
    }
    const int page = dxPageControl1->ActivePageIndex();
    SetEnabledIfChanged(BackButton, page >= ConnectionPage);
    SetEnabledIfChanged(ExitButton, true);
    SetEnabledIfChanged(NextButton, page != URLPage || IsValidURL(GetURL()));
}

void TFirstStartWizardForm::endWith(bool &flag)
{
    flag = true;
    UpdateControls();
    Q_EMIT Ended();
}

void TFirstStartWizardForm::ExitButtonClick()
{
    endWith(m_exitPressed);
}

void TFirstStartWizardForm::BackButtonClick()
{
    const int page = dxPageControl1->ActivePageIndex();
    if (page >= ConnectionPage)
        dxPageControl1->SetActivePageIndex(page - 1);
    UpdateControls();
}

void TFirstStartWizardForm::NextButtonClick()
{
    const int page = dxPageControl1->ActivePageIndex();
    if (page == WelcomePage) {
        dxPageControl1->SetActivePageIndex(ConnectionPage);
        ConnectionsComboBox->setFocus();
    } else if (page == ConnectionPage || page == URLPage) {
        if (const std::string refusal = ProxyControlsRefusal(); !refusal.empty()) {
            dxPageControl1->SetActivePageIndex(ConnectionPage);
            ShowMessageBox(this, refusal, '!');
            UpdateControls();
            return;
        }
        StoreProxyControls();
        if (page == ConnectionPage) {
            dxPageControl1->SetActivePageIndex(URLPage);
            URLEdit->setFocus();
        } else {
            endWith(m_finished);
            return;
        }
    }
    UpdateControls();
}

void TFirstStartWizardForm::ConnectionsComboBoxChange()
{
    ConcurrentConnectionCount = ConnectionCountForSpeed(ConnectionsComboBox->currentIndex());
    UpdateControls();
}

void TFirstStartWizardForm::UseProxyServerCheckBoxClick()
{
    if (UseProxyServerCheckBox->isChecked() && isVisible()) {
        SetEnabledIfChanged(ProxyServerEdit, true);
        ProxyServerEdit->setFocus();
    }
    UpdateControls();
}

void TFirstStartWizardForm::ProxyHTTPRadioButtonClick()
{
    UpdateControls();
}

void TFirstStartWizardForm::ProxyServerEditChange()
{
    UpdateControls();
}

void TFirstStartWizardForm::URLEditChange()
{
    UpdateControls();
}

void TFirstStartWizardForm::LengthyMemoClick()
{
    HideEditSelection(LengthyMemo);
}

void TFirstStartWizardForm::reject()
{
    if (BackButton->isEnabled())
        BackButton->click();
}

void TFirstStartWizardForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    // Whatever had the mouse must let go of it, or it would keep getting
    // input the wizard is meant to have.
    if (QWidget *popup = QApplication::activePopupWidget())
        popup->close();
    if (QWidget *grabber = QWidget::mouseGrabber())
        grabber->releaseMouse();
    if (QWidget *grabber = QWidget::keyboardGrabber())
        grabber->releaseKeyboard();
    QWidget *active = QApplication::activeWindow();
    m_previousActiveWindow = active != this ? active : nullptr;
}

void TFirstStartWizardForm::hideEvent(QHideEvent *event)
{
    QDialog::hideEvent(event);
    if (event->spontaneous())
        return;
    // Only hand the activation back when the user was still with the wizard;
    // otherwise they have moved on to something else.
    if (QApplication::activeWindow() != this)
        m_previousActiveWindow = nullptr;
    if (QWidget *previous = m_previousActiveWindow) {
        m_previousActiveWindow = nullptr;
        previous->activateWindow();
    }
}

void TFirstStartWizardForm::closeEvent(QCloseEvent *event)
{
    // Closed by the window manager: the caller waits for an answer, so a
    // close counts as Exit.
    if (!m_exitPressed && !m_finished)
        guarded(Report::toUser(this), [this] { ExitButtonClick(); });
    event->accept();
}

bool TFirstStartWizardForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == LengthyMemo->viewport() && event->type() == QEvent::MouseButtonRelease) {
        guarded(Report::none(), [this] {
            QMetaObject::invokeMethod(
                this, [this] { guarded(Report::toUser(this), [this] { LengthyMemoClick(); }); }, Qt::QueuedConnection);
        });
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace settings

#include "moc_FirstStartWizardUnit.cpp"
