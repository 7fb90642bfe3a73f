#include "settings/OptionsUnit.h"

#include "foundation/MyOptions.h"
#include "platform/rtl/Exceptions.h"
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

TEST_F(OptionsWindow, IntervalListLeavesOutAtEveryStartAndOkStoresWhatIsSelected)
{
    {
        TOptionsForm form;
        EXPECT_EQ(form.UpdateComboBox->currentText(), "Every Week");
        EXPECT_EQ(form.UpdateComboBox->findText("At Every Start"), -1);
        EXPECT_EQ(form.UpdateComboBox->count(), 7);
        form.UpdateComboBox->setCurrentIndex(form.UpdateComboBox->findText("Never"));
        form.OKButton->click();
        EXPECT_EQ(CheckForUpdatesInterval, "Never");
    }
    // An interval the list does not offer shows no selection, and OK stores
    // the empty text, which the scheduler reads as "At Every Start" again.
    CheckForUpdatesInterval = "At Every Start";
    TOptionsForm form;
    EXPECT_EQ(form.UpdateComboBox->currentIndex(), -1);
    form.OKButton->click();
    EXPECT_EQ(CheckForUpdatesInterval, "");
}

TEST_F(OptionsWindow, PortFieldHidesTheUnsetPortsOnlyWithoutProxy)
{
    UseProxy = false;
    ProxyPort = 80;
    {
        TOptionsForm form;
        EXPECT_EQ(form.ProxyPortEdit->text(), "");
        form.OKButton->click();
        EXPECT_EQ(ProxyPort, 0);
    }
    ProxyPort = 8080;
    {
        TOptionsForm form;
        EXPECT_EQ(form.ProxyPortEdit->text(), "8080");
    }
    UseProxy = true;
    ProxyPort = 80;
    TOptionsForm form;
    EXPECT_EQ(form.ProxyPortEdit->text(), "80");
}

TEST_F(OptionsWindow, ProxyControlsFollowTheBoxAndTheKind)
{
    ProxyKind = "Socks4";
    TOptionsForm form;
    form.ShowPage(2);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_TRUE(form.ProxyServerEdit->isEnabled());
    EXPECT_TRUE(form.ProxyPortEdit->isEnabled());
    EXPECT_FALSE(form.ProxyUsernameEdit->isEnabled());
    EXPECT_FALSE(form.ProxyPasswordLabel->isEnabled());

    // A click on a kind moves the user on to the server.
    QTest::mouseClick(form.ProxySocks5RadioButton, Qt::LeftButton);
    EXPECT_TRUE(form.ProxyUsernameEdit->isEnabled());
    EXPECT_TRUE(form.ProxyPasswordEdit->isEnabled());
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
                                             1080, std::string("bob"), std::string("pw"),
                                             std::string("Every Month")));
        }
    }
}

TEST_F(OptionsWindow, ValuesTheWindowCannotShowSurviveOk)
{
    // Both only by editing the settings file: a count the list lacks and a
    // kind in other case.
    ConcurrentConnectionCount = 7;
    ProxyKind = "socks5";
    {
        TOptionsForm form;
        EXPECT_EQ(form.ConnectionsComboBox->currentIndex(), -1);
        EXPECT_FALSE(form.ProxyHTTPRadioButton->isChecked() || form.ProxySocks4RadioButton->isChecked() ||
                     form.ProxySocks5RadioButton->isChecked());
        form.OKButton->click();
    }
    EXPECT_EQ(ConcurrentConnectionCount, 7);
    EXPECT_EQ(ProxyKind, "socks5");

    TOptionsForm form;
    form.ConnectionsComboBox->setCurrentIndex(form.ConnectionsComboBox->findText("100"));
    form.OKButton->click();
    EXPECT_EQ(ConcurrentConnectionCount, 100);
}

TEST_F(OptionsWindow, PortBeyondThirtyTwoBitsKeepsTheOldPortAndStoresTheRest)
{
    TOptionsForm form;
    form.ProxyPortEdit->setText("99999999999");
    form.ProxyServerEdit->setText("new.proxy");
    form.OKButton->click();
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(ProxyPort, 3128);
    EXPECT_EQ(ProxyServer, "new.proxy");
    EXPECT_EQ(ProxyPassword, "secret");
    EXPECT_EQ(CheckForUpdatesInterval, "Every Week");
}

TEST_F(OptionsWindow, EnterPressesOkAndEscCancels)
{
    {
        TOptionsForm form;
        form.ShowPage(2);
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        form.ProxyServerEdit->setFocus();
        form.ProxyServerEdit->setText("typed.proxy");
        QTest::keyClick(form.ProxyServerEdit, Qt::Key_Escape);
        EXPECT_EQ(form.result(), QDialog::Rejected);
        EXPECT_EQ(ProxyServer, "proxy.local");
    }
    TOptionsForm form;
    form.ShowPage(2);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    form.ProxyServerEdit->setFocus();
    form.ProxyServerEdit->setText("typed.proxy");
    QTest::keyClick(form.ProxyServerEdit, Qt::Key_Return);
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(ProxyServer, "typed.proxy");
}

TEST_F(OptionsWindow, ShowPageSelectsThePageAndChecksItsNumber)
{
    TOptionsForm form;
    EXPECT_EQ(form.PageControl1->ActivePageIndex(), 0);
    // As the main window does it: the page is chosen before the window shows.
    form.ShowPage(2);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_EQ(form.focusWidget(), form.UseProxyServerCheckBox);
    const std::pair<int, QWidget *> pages[] = {
        {3, form.UpdateComboBox}, {2, form.UseProxyServerCheckBox}, {1, form.ShowSplashScreenCheckBox}};
    for (const auto &[number, first] : pages) {
        form.ShowPage(number);
        EXPECT_EQ(form.PageControl1->ActivePageIndex(), number - 1);
        EXPECT_EQ(form.focusWidget(), first) << number;
    }
    form.ShowPage(0);
    EXPECT_EQ(form.PageControl1->ActivePage(), nullptr);

    try {
        form.ShowPage(-1);
        ADD_FAILURE() << "no assertion below 0";
    } catch (const rtl::EAssertionFailed &e) {
        EXPECT_STREQ(e.what(), "Assertion failure (OptionsUnit, line 242)");
    }
    try {
        form.ShowPage(4);
        ADD_FAILURE() << "no assertion beyond the pages";
    } catch (const rtl::EAssertionFailed &e) {
        EXPECT_STREQ(e.what(), "Assertion failure (OptionsUnit, line 243)");
    }
}

TEST_F(OptionsWindow, LabelAcceleratorsReachTheirFieldsOnTheShownPage)
{
    TOptionsForm form;
    form.ShowPage(2);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    QTest::keyClick(&form, Qt::Key_Y, Qt::AltModifier);
    EXPECT_EQ(QApplication::focusWidget(), form.ProxyPortEdit);
    QTest::keyClick(&form, Qt::Key_D, Qt::AltModifier);
    EXPECT_EQ(QApplication::focusWidget(), form.ProxyPasswordEdit);
}

TEST_F(OptionsWindow, HelpTextNeverKeepsASelection)
{
    TOptionsForm form;
    form.ShowPage(3);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    form.UpdateMemo->selectAll();
    QTest::mouseRelease(form.UpdateMemo->viewport(), Qt::LeftButton, {}, QPoint(20, 10));
    QApplication::processEvents();
    EXPECT_FALSE(form.UpdateMemo->textCursor().hasSelection());
}

} // namespace
