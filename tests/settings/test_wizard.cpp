#include "settings/FirstStartWizardUnit.h"

#include "foundation/MyOptions.h"
#include "platform/shell/MessageBox.h"
#include "platform/shell/Modal.h"
#include "widgets/pagecontrol/dxPageControl.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

using namespace foundation;
using namespace settings;

namespace {

class Wizard : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ConcurrentConnectionCount = 8;
        UseProxy = false;
        ProxyKind = "HTTP";
        ProxyServer = ProxyUsername = ProxyPassword = "";
        ProxyPort = 0;
        wizard = std::make_unique<TFirstStartWizardForm>();
        wizard->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(wizard.get()));
    }

    int page() const { return wizard->dxPageControl1->ActivePageIndex(); }
    void toURLPage()
    {
        QTest::mouseClick(wizard->NextButton, Qt::LeftButton);
        QTest::mouseClick(wizard->NextButton, Qt::LeftButton);
        ASSERT_EQ(page(), 2);
    }
    static void replaceText(QLineEdit *edit, const QString &text)
    {
        edit->selectAll();
        edit->del();
        QTest::keyClicks(edit, text);
    }

    std::unique_ptr<TFirstStartWizardForm> wizard;
};

// The side picture is drawn on the form, as a label is: the page control is
// the first control in the tab order, as the form lays it out.
TEST_F(Wizard, ThePageControlIsFirstInTheTabOrder)
{
    EXPECT_EQ(wizard->dxPageControl1->TabOrder(), 0);
    // Place 1 is after Exit, before Back: the picture takes none.
    wizard->dxPageControl1->SetTabOrder(1);
    EXPECT_EQ(wizard->dxPageControl1->TabOrder(), 1);
    QWidget *after = wizard->ExitButton->nextInFocusChain();
    while (after != wizard->dxPageControl1 && after != wizard->BackButton)
        after = after->nextInFocusChain();
    EXPECT_EQ(after, wizard->dxPageControl1);
}

TEST_F(Wizard, ConnectionSpeedSetsTheCountFromTheStart)
{
    EXPECT_EQ(ConcurrentConnectionCount, 5);
    EXPECT_EQ(wizard->ConnectionsComboBox->currentText(), "56 Kbps Modem");
    std::vector<int> counts;
    for (int i : {4, 3, 2, 1, 0, -1}) {
        wizard->ConnectionsComboBox->setCurrentIndex(i);
        counts.push_back(ConcurrentConnectionCount);
    }
    // No selection counts as the fastest line.
    EXPECT_EQ(counts, (std::vector<int>{50, 16, 8, 5, 2, 50}));
}

TEST_F(Wizard, ExitOnTheWelcomePageEndsWithTheProxyUntouched)
{
    // Other windows get no input while it shows.
    EXPECT_EQ(QGuiApplication::modalWindow(), wizard->windowHandle());
    QSignalSpy ended(wizard.get(), &TFirstStartWizardForm::Ended);
    wizard->UseProxyServerCheckBox->setChecked(true);
    wizard->ProxyServerEdit->setText("proxy.local");
    EXPECT_FALSE(wizard->BackButton->isEnabled());
    QTest::mouseClick(wizard->ExitButton, Qt::LeftButton);
    EXPECT_TRUE(wizard->ExitPressed());
    EXPECT_FALSE(wizard->Finished());
    EXPECT_EQ(ended.count(), 1);
    EXPECT_FALSE(wizard->ExitButton->isEnabled() || wizard->BackButton->isEnabled() || wizard->NextButton->isEnabled());
    EXPECT_EQ(std::tuple(ConcurrentConnectionCount, UseProxy, ProxyServer), std::tuple(5, false, std::string()));
}

TEST_F(Wizard, NextOnTheLastPageNeedsAPlausibleOwnSite)
{
    toURLPage();
    EXPECT_EQ(QApplication::focusWidget(), wizard->URLEdit);
    replaceText(wizard->URLEdit, "");
    EXPECT_FALSE(wizard->NextButton->isEnabled());
    QTest::keyClicks(wizard->URLEdit, "mysite");
    EXPECT_FALSE(wizard->NextButton->isEnabled());
    // Turning the pages with Ctrl+Tab instead of the buttons keeps Next
    // honest.
    QTest::mouseClick(wizard->BackButton, Qt::LeftButton);
    ASSERT_TRUE(wizard->NextButton->isEnabled());
    wizard->ConnectionsComboBox->setFocus();
    QTest::keyClick(wizard->ConnectionsComboBox, Qt::Key_Tab, Qt::ControlModifier);
    ASSERT_EQ(page(), 2);
    EXPECT_FALSE(wizard->NextButton->isEnabled());
    QTest::keyClicks(wizard->URLEdit, ".org");
    EXPECT_TRUE(wizard->NextButton->isEnabled());
    QTest::keyClick(wizard->URLEdit, Qt::Key_Return);
    EXPECT_TRUE(wizard->Finished());
    EXPECT_FALSE(wizard->NextButton->isEnabled() || wizard->BackButton->isEnabled());
    EXPECT_EQ(wizard->GetURL(), "mysite.org");
}

TEST_F(Wizard, CompetitorsAreFilteredGivenASchemeAndListedOnce)
{
    auto competitors = [&](const char *one, const char *two, const char *three) {
        wizard->Competitor1Edit->setText(one);
        wizard->Competitor2Edit->setText(two);
        wizard->Competitor3Edit->setText(three);
        TCompetitorURLList list;
        wizard->GetCompetitorURLs(list);
        return list;
    };
    TCompetitorURLList untouched;
    wizard->GetCompetitorURLs(untouched);
    EXPECT_TRUE(untouched.empty()) << "the examples count as empty";

    EXPECT_EQ(competitors("", "no-dot", "rival.com"), TCompetitorURLList{"http://rival.com"});
    // A scheme in any case is recognised, so none gets a second one.
    EXPECT_EQ(competitors("HTTP://Rival.com", "https://secure.net", "Http://x.org"),
              (TCompetitorURLList{"HTTP://Rival.com", "https://secure.net", "Http://x.org"}));
    // The same site comes back once; field 1's example is a real entry in
    // field 3.
    const std::string example1 = TFirstStartWizardForm::PlaceholderCompetitorURL(1);
    const auto once = competitors("rival.com", "HTTP://RIVAL.COM", example1.c_str());
    EXPECT_EQ(once, (TCompetitorURLList{"http://rival.com", example1}));
    EXPECT_EQ(*once.begin(), "http://rival.com");
}

TEST_F(Wizard, SitesInTheirOwnScriptComeBackInTheirAsciiForm)
{
    // No single-byte form holds them: as question marks they would name
    // another site, or none.
    wizard->URLEdit->setText(QStringLiteral("пример.рф"));
    EXPECT_EQ(wizard->GetURL(), "xn--e1afmkfd.xn--p1ai");
    wizard->URLEdit->setText(QStringLiteral("http://bücher.de/straße"));
    EXPECT_EQ(wizard->GetURL(), "http://b\xFC"
                                "cher.de/stra\xDF"
                                "e")
        << "Latin-1 stays as typed";
    wizard->Competitor1Edit->setText(QStringLiteral("http://例え.jp/パス"));
    wizard->Competitor2Edit->setText(QStringLiteral("ελλάδα.gr"));
    wizard->Competitor3Edit->setText(QString::fromUtf8("site.com/\xF0\x9F\x98\x80"));
    TCompetitorURLList list;
    wizard->GetCompetitorURLs(list);
    EXPECT_EQ(list, (TCompetitorURLList{"http://site.com/%F0%9F%98%80", "http://xn--hxakic4aa.gr",
                                        "http://xn--r8jz45g.jp/%E3%83%91%E3%82%B9"}));
}

TEST_F(Wizard, ProxyIsStoredOnNextIncludingCredentialsSocks4DoesNotUse)
{
    QTest::mouseClick(wizard->NextButton, Qt::LeftButton);
    ASSERT_EQ(page(), 1);
    EXPECT_EQ(QApplication::focusWidget(), wizard->ConnectionsComboBox);
    EXPECT_FALSE(wizard->ProxyServerEdit->isEnabled());
    QTest::mouseClick(wizard->UseProxyServerCheckBox, Qt::LeftButton);
    EXPECT_EQ(QApplication::focusWidget(), wizard->ProxyServerEdit);
    QTest::keyClicks(wizard->ProxyServerEdit, "proxy.local");
    QTest::mouseClick(wizard->ProxySocks4RadioButton, Qt::LeftButton);
    EXPECT_FALSE(wizard->ProxyUsernameEdit->isEnabled() || wizard->ProxyPasswordEdit->isEnabled());
    wizard->ProxyUsernameEdit->setText("anna");
    wizard->ProxyPortEdit->setText("1080");
    EXPECT_FALSE(UseProxy) << "nothing is stored before Next";

    QTest::mouseClick(wizard->NextButton, Qt::LeftButton);
    EXPECT_EQ(page(), 2);
    EXPECT_EQ(std::tuple(UseProxy, ProxyKind, ProxyServer, ProxyPort, ProxyUsername),
              std::tuple(true, std::string("Socks4"), std::string("proxy.local"), 1080, std::string("anna")));
}

// A proxy field with a character the code page lacks keeps the wizard on
// its page with a message; nothing is stored as question marks.
TEST_F(Wizard, AProxyFieldTheCodePageCannotKeepStaysOnItsPage)
{
    shell::RecordingMessageBoxes boxes;
    QTest::mouseClick(wizard->NextButton, Qt::LeftButton);
    wizard->UseProxyServerCheckBox->setChecked(true);
    wizard->ProxyServerEdit->setText("proxy.local");
    wizard->ProxyUsernameEdit->setText(QString::fromUtf8("\xD0\x90\xD0\xBD\xD0\xBD\xD0\xB0"));
    QTest::mouseClick(wizard->NextButton, Qt::LeftButton);
    EXPECT_EQ(page(), 1);
    ASSERT_EQ(boxes.requests().size(), 1u);
    EXPECT_TRUE(boxes.requests()[0].text.contains("User Name"));
    EXPECT_EQ(std::tuple(UseProxy, ProxyServer, ProxyUsername), std::tuple(false, std::string(), std::string()));
    wizard->ProxyUsernameEdit->setText("anna");
    QTest::mouseClick(wizard->NextButton, Qt::LeftButton);
    EXPECT_EQ(page(), 2);
    EXPECT_EQ(ProxyUsername, "anna");
}

TEST_F(Wizard, EscGoesBackAndEnterGoesOn)
{
    QTest::keyClick(wizard.get(), Qt::Key_Escape);
    EXPECT_EQ(page(), 0);
    EXPECT_TRUE(wizard->isVisible()) << "Esc on the first page must not close the wizard";
    // Even with the focus on Exit, Enter means Next and not the end of the
    // program.
    wizard->ExitButton->setFocus();
    QTest::keyClick(wizard->ExitButton, Qt::Key_Return);
    EXPECT_EQ(page(), 1);
    QTest::keyClick(wizard->ConnectionsComboBox, Qt::Key_Return);
    EXPECT_EQ(page(), 2);
    QTest::keyClick(wizard->URLEdit, Qt::Key_Escape);
    EXPECT_EQ(page(), 1);
    EXPECT_TRUE(wizard->BackButton->isEnabled());
    QTest::keyClick(wizard->ConnectionsComboBox, Qt::Key_Escape);
    EXPECT_EQ(page(), 0);
    EXPECT_FALSE(wizard->BackButton->isEnabled());
    EXPECT_FALSE(wizard->ExitPressed() || wizard->Finished());
}

TEST_F(Wizard, WaitEndsOnExitOrOnAClose)
{
    wizard->hide();
    shell::ScriptedDialogs dialogs;
    dialogs.drive<TFirstStartWizardForm>([](TFirstStartWizardForm &w) { w.ExitButton->click(); });
    wizard->ShowAndWait();
    EXPECT_TRUE(wizard->ExitPressed());
    wizard->ShowAndWait(); // already ended: must not wait again
    EXPECT_EQ(dialogs.shown().size(), 1);

    TFirstStartWizardForm closed;
    dialogs.drive<TFirstStartWizardForm>([](TFirstStartWizardForm &w) { w.close(); });
    closed.ShowAndWait();
    EXPECT_TRUE(closed.ExitPressed()) << "a closed wizard answers as if Exit was pressed";
    EXPECT_FALSE(closed.isVisible());
    EXPECT_EQ(dialogs.pending(), 0);
}

} // namespace

namespace {

struct ShownFont
{
    QString family;
    int points = 0;
    bool bold = false;
    int stretch = 0;
    bool operator==(const ShownFont &) const = default;
};

// The font each control of a shown wizard draws with, in creation order.
std::vector<ShownFont> shownFonts(TFirstStartWizardForm &wizard)
{
    wizard.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&wizard));
    std::vector<ShownFont> fonts;
    for (QWidget *control : wizard.findChildren<QWidget *>()) {
        const QFontInfo info(control->font());
        fonts.push_back({info.family(), info.pointSize(), info.bold(), control->font().stretch()});
    }
    return fonts;
}

} // namespace

// An application style sheet with larger fonts leaves the wizard's fixed
// pages with the fonts they were laid out for, so they still hold their text.
TEST(WizardScreen, UnderAnApplicationStyleSheetEveryControlKeepsTheFormsFont)
{
    TFirstStartWizardForm plain;
    const std::vector<ShownFont> expected = shownFonts(plain);
    ASSERT_EQ(expected.front().points, 8);
    qApp->setStyleSheet(QStringLiteral("QWidget { font-family: serif; font-size: 14pt; } QLabel { font-size: 16pt; }"));
    {
        TFirstStartWizardForm styled;
        const std::vector<ShownFont> fonts = shownFonts(styled);
        ASSERT_EQ(fonts.size(), expected.size());
        for (size_t i = 0; i < fonts.size(); ++i)
            EXPECT_TRUE(fonts[i] == expected[i])
                << styled.findChildren<QWidget *>()[qsizetype(i)]->metaObject()->className() << " "
                << fonts[i].family.toStdString() << " " << fonts[i].points << " stretch " << fonts[i].stretch;
        EXPECT_EQ(QFontInfo(styled.WelcomeLabel->font()).pointSize(), 12);
        EXPECT_TRUE(QFontInfo(styled.Step1Label->font()).bold());
    }
    qApp->setStyleSheet(QString());
}

// Right to left, as a right-to-left translation sets it, the wizard looks as
// it does left to right: its buttons keep their places and their captions
// their order ("< Back" on the left of "Next >"), and the welcome text is whole.
TEST(WizardScreen, RightToLeftTheWizardLooksAsItDoesLeftToRight)
{
    const auto picture = [] {
        TFirstStartWizardForm wizard;
        wizard.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&wizard));
        return wizard.grab().toImage();
    };
    // Also where an application style sheet draws the controls itself.
    for (const char *sheet : {"", "QPushButton, QLabel { background: #404040; color: white; }"}) {
        qApp->setStyleSheet(QString::fromLatin1(sheet));
        const QImage leftToRight = picture();
        QApplication::setLayoutDirection(Qt::RightToLeft);
        const QImage rightToLeft = picture();
        QApplication::setLayoutDirection(Qt::LeftToRight);
        ASSERT_EQ(leftToRight.size(), rightToLeft.size());
        int differing = 0;
        for (int y = 0; y < leftToRight.height(); ++y)
            for (int x = 0; x < leftToRight.width(); ++x)
                differing += leftToRight.pixel(x, y) != rightToLeft.pixel(x, y);
        EXPECT_EQ(differing, 0) << sheet;
    }
    qApp->setStyleSheet(QString());
}
