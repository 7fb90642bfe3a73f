#include "settings/OptionsUnit.h"

#include "foundation/MyOptions.h"
#include "platform/rtl/Exceptions.h"
#include "platform/shell/MessageBox.h"
#include "widgets/pagecontrol/dxPageControl.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include <tuple>

using namespace foundation;
using namespace settings;

namespace {

class OptionsWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ShowSplashScreen = true;
        ConcurrentConnectionCount = 8;
        UseProxy = true;
        ProxyKind = "HTTP";
        ProxyServer = "proxy.local";
        ProxyPort = 3128;
        ProxyUsername = "anna";
        ProxyPassword = "secret";
        CheckForUpdatesInterval = "Every Week";
    }

    static void replaceText(QLineEdit *edit, const QString &text)
    {
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }
};

TEST_F(OptionsWindow, PortFieldHidesTheUnsetPortsOnlyWithoutProxy)
{
    const std::tuple<bool, int, const char *, int> cases[] = {
        {false, 80, "", 0}, {false, 8080, "8080", 8080}, {true, 80, "80", 80}};
    for (auto [useProxy, port, shown, stored] : cases) {
        UseProxy = useProxy;
        ProxyPort = port;
        TOptionsForm form;
        EXPECT_EQ(form.ProxyPortEdit->text(), shown);
        form.OKButton->click();
        EXPECT_EQ(ProxyPort, stored);
    }
}

TEST_F(OptionsWindow, ProxyControlsFollowTheBoxAndTheKind)
{
    ProxyKind = "Socks4";
    TOptionsForm form;
    form.ShowPage(2);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_TRUE(form.ProxyServerEdit->isEnabled() && form.ProxyPortEdit->isEnabled());
    EXPECT_FALSE(form.ProxyUsernameEdit->isEnabled() || form.ProxyPasswordLabel->isEnabled());

    // A click on a kind moves the user on to the server.
    QTest::mouseClick(form.ProxySocks5RadioButton, Qt::LeftButton);
    EXPECT_TRUE(form.ProxyUsernameEdit->isEnabled() && form.ProxyPasswordEdit->isEnabled());
    EXPECT_TRUE(form.ProxyUsernameLabel->isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), form.ProxyServerEdit);

    QTest::mouseClick(form.UseProxyServerCheckBox, Qt::LeftButton);
    for (QWidget *w : std::initializer_list<QWidget *>{form.ProxyHTTPRadioButton, form.ProxyServerEdit,
                                                       form.ProxyPortLabel, form.ProxyUsernameEdit})
        EXPECT_FALSE(w->isEnabled()) << w->metaObject()->className();
    QTest::mouseClick(form.UseProxyServerCheckBox, Qt::LeftButton);
    EXPECT_TRUE(form.ProxyServerEdit->isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), form.ProxyServerEdit);
}

TEST_F(OptionsWindow, OkCopiesEveryControlBackAndCancelLeavesTheSettings)
{
    auto settings = [] {
        return std::tuple(ShowSplashScreen, ConcurrentConnectionCount, UseProxy, ProxyKind, ProxyServer, ProxyPort,
                          ProxyUsername, ProxyPassword, CheckForUpdatesInterval);
    };
    const auto before = settings();
    for (QPushButton *TOptionsForm::*button : {&TOptionsForm::CancelButton, &TOptionsForm::OKButton}) {
        TOptionsForm form;
        form.show();
        // The interval list leaves out "At Every Start".
        EXPECT_EQ(form.UpdateComboBox->currentText(), "Every Week");
        EXPECT_EQ(form.UpdateComboBox->findText("At Every Start"), -1);
        EXPECT_EQ(form.UpdateComboBox->count(), 7);
        form.ShowSplashScreenCheckBox->setChecked(false);
        form.ConnectionsComboBox->setCurrentIndex(form.ConnectionsComboBox->findText("24"));
        form.ProxySocks5RadioButton->setChecked(true);
        replaceText(form.ProxyServerEdit, " other.proxy ");
        replaceText(form.ProxyPortEdit, "1080");
        replaceText(form.ProxyUsernameEdit, "bob");
        replaceText(form.ProxyPasswordEdit, "pw");
        form.UseProxyServerCheckBox->setChecked(false);
        form.UpdateComboBox->setCurrentIndex(form.UpdateComboBox->findText("Every Month"));
        QTest::mouseClick(form.*button, Qt::LeftButton);
        EXPECT_FALSE(form.isVisible());
        if (button == &TOptionsForm::CancelButton) {
            EXPECT_EQ(form.result(), QDialog::Rejected);
            EXPECT_EQ(settings(), before);
        } else {
            EXPECT_EQ(form.result(), QDialog::Accepted);
            EXPECT_EQ(settings(), std::tuple(false, 24, false, std::string("Socks5"), std::string(" other.proxy "),
                                             1080, std::string("bob"), std::string("pw"), std::string("Every Month")));
        }
    }
}

TEST_F(OptionsWindow, ValuesTheWindowCannotShowSurviveOk)
{
    // Only by editing the settings file: a count the list lacks and a kind
    // in other case. A port beyond 32 bits keeps the old port. An interval
    // the list does not offer shows no selection, and OK stores the empty
    // text, which the scheduler reads as "At Every Start" again.
    ConcurrentConnectionCount = 7;
    ProxyKind = "socks5";
    CheckForUpdatesInterval = "At Every Start";
    {
        TOptionsForm form;
        EXPECT_EQ(form.ConnectionsComboBox->currentIndex(), -1);
        EXPECT_EQ(form.UpdateComboBox->currentIndex(), -1);
        EXPECT_FALSE(form.ProxyHTTPRadioButton->isChecked() || form.ProxySocks4RadioButton->isChecked() ||
                     form.ProxySocks5RadioButton->isChecked());
        form.ProxyPortEdit->setText("99999999999");
        form.ProxyServerEdit->setText("new.proxy");
        form.OKButton->click();
        EXPECT_EQ(form.result(), QDialog::Accepted);
    }
    EXPECT_EQ(
        std::tuple(ConcurrentConnectionCount, ProxyKind, ProxyPort, ProxyServer, ProxyPassword,
                   CheckForUpdatesInterval),
        std::tuple(7, std::string("socks5"), 3128, std::string("new.proxy"), std::string("secret"), std::string()));

    TOptionsForm form;
    form.ConnectionsComboBox->setCurrentIndex(form.ConnectionsComboBox->findText("100"));
    form.OKButton->click();
    EXPECT_EQ(ConcurrentConnectionCount, 100);
}

// The proxy settings are kept in the code page and sent so: a field with a
// character it lacks is refused with a message, the window stays open, and
// nothing is stored as question marks.
TEST_F(OptionsWindow, AProxyFieldTheCodePageCannotKeepIsRefused)
{
    shell::RecordingMessageBoxes boxes;
    for (QLineEdit *TOptionsForm::*field :
         {&TOptionsForm::ProxyServerEdit, &TOptionsForm::ProxyUsernameEdit, &TOptionsForm::ProxyPasswordEdit}) {
        boxes.clear();
        TOptionsForm form;
        (form.*field)->setText(QString::fromUtf8("\xD0\xBF\xD1\x80\xD0\xBE\xD0\xBA\xD1\x81\xD0\xB8 \xF0\x9F\x98\x80"));
        form.ProxyPortEdit->setText("8080");
        form.OKButton->click();
        EXPECT_NE(form.result(), QDialog::Accepted);
        ASSERT_EQ(boxes.requests().size(), 1u);
        EXPECT_TRUE(boxes.requests()[0].text.contains("cannot keep")) << boxes.requests()[0].text.toStdString();
        EXPECT_EQ(std::tuple(ProxyServer, ProxyUsername, ProxyPassword, ProxyPort),
                  std::tuple(std::string("proxy.local"), std::string("anna"), std::string("secret"), 3128));
    }
    // What the code page holds is stored as typed.
    TOptionsForm form;
    form.ProxyPasswordEdit->setText(QString::fromUtf8("s\xC3\xA9same\xE2\x82\xAC"));
    form.OKButton->click();
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(ProxyPassword, "s\xE9same\x80");
}

TEST_F(OptionsWindow, EnterPressesOkAndEscCancels)
{
    for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Return}) {
        TOptionsForm form;
        form.ShowPage(2);
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        form.ProxyServerEdit->setFocus();
        form.ProxyServerEdit->setText("typed.proxy");
        QTest::keyClick(form.ProxyServerEdit, key);
        EXPECT_FALSE(form.isVisible());
        EXPECT_EQ(form.result(), key == Qt::Key_Return ? QDialog::Accepted : QDialog::Rejected);
        EXPECT_EQ(ProxyServer, key == Qt::Key_Return ? "typed.proxy" : "proxy.local");
    }
}

TEST_F(OptionsWindow, PagesTakeTheFocusAndTheirAcceleratorsAndPageNumbersAreChecked)
{
    TOptionsForm form;
    EXPECT_EQ(form.PageControl1->ActivePageIndex(), 0);
    // As the main window does it: the page is chosen before the window shows.
    form.ShowPage(2);
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    EXPECT_EQ(form.focusWidget(), form.UseProxyServerCheckBox);
    QTest::keyClick(&form, Qt::Key_Y, Qt::AltModifier);
    EXPECT_EQ(QApplication::focusWidget(), form.ProxyPortEdit);
    QTest::keyClick(&form, Qt::Key_D, Qt::AltModifier);
    EXPECT_EQ(QApplication::focusWidget(), form.ProxyPasswordEdit);

    const std::pair<int, QWidget *> pages[] = {
        {1, form.ShowSplashScreenCheckBox}, {2, form.UseProxyServerCheckBox}, {3, form.UpdateComboBox}};
    for (const auto &[number, first] : pages) {
        form.ShowPage(number);
        EXPECT_EQ(form.PageControl1->ActivePageIndex(), number - 1);
        EXPECT_EQ(form.focusWidget(), first) << number;
    }
    // The count's caption stops short of its list.
    EXPECT_EQ(form.ConnectionsLabel->geometry(), QRect(8, 41, 212, 13));
    EXPECT_LT(form.ConnectionsLabel->geometry().right(), form.ConnectionsComboBox->x());
    // The help text of the last page never keeps a selection.
    form.UpdateMemo->selectAll();
    QTest::mouseRelease(form.UpdateMemo->viewport(), Qt::LeftButton, {}, QPoint(20, 10));
    QApplication::processEvents();
    EXPECT_FALSE(form.UpdateMemo->textCursor().hasSelection());

    form.ShowPage(0);
    EXPECT_EQ(form.PageControl1->ActivePage(), nullptr);
    for (auto [number, line] : {std::pair(-1, "242"), std::pair(4, "243")}) {
        try {
            form.ShowPage(number);
            ADD_FAILURE() << "no assertion for page " << number;
        } catch (const rtl::EAssertionFailed &e) {
            EXPECT_EQ(e.what(), "Assertion failure (OptionsUnit, line " + std::string(line) + ")");
        }
    }
}

} // namespace
