// The main window's commands as a user reaches them: buttons, menus, the row
// popup and the list's keys, the enabling of the controls, and the windows of
// its neighbours that it opens (splash, about, options, help, first start,
// update question).

#include "app/Controls.h"
#include "app/MainUnit.h"
#include "app/SiteListView.h"
#include "app/about/AboutUnit.h"
#include "foundation/MyOptions.h"
#include "foundation/MyUtilitiesFiles.h"
#include "platform/help/HtmlHelp.h"
#include "platform/rtl/FormatFloat.h"
#include "platform/rtl/QtText.h"
#include "platform/shell/Desktop.h"
#include "platform/shell/MessageBox.h"
#include "settings/FirstStartWizardUnit.h"
#include "settings/OptionsUnit.h"
#include "tests/app/WindowScript.h"
#include "tests/support/FakeSearchEngine.h"
#include "tests/support/TestSupport.h"
#include "widgets/pagecontrol/dxPageControl.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

#include <memory>

namespace {

// Rows in the order the list sorts them (totals ascending).
const std::string SortedRows = "small.example\t7\t3\t2\t2\r\n"
                               "middle.example\t1,200\t1,000\t100\t100\r\n"
                               "big.example\t2,000,000\t1,000,000\t500,000\t500,000\r\n";

class CommandsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.isValid() && m_engine.isRunning());
        shell::setProgramFolder(m_folder.path());
        shell::setWorkArea(rtl::Rect(0, 0, 1280, 1000));
        shell::setScreenSize(rtl::TSize{1280, 1024});
        rtl::setFormatSeparators(',', '.');
        m_previousOpener = shell::setUrlOpener([this](const QString &url) { m_opened << url; });
        setEngines(3);
        QFile::remove(m_folder.file("Domain-Data.txt"));
        writeOptions("ShowSplashScreen=false\r\n");
    }

    void TearDown() override
    {
        m_form.reset();
        shell::setUrlOpener(m_previousOpener);
        shell::setProgramFolder(QString());
        shell::setWorkArea(std::nullopt);
        shell::setScreenSize(std::nullopt);
        rtl::setFormatSeparators(0, 0);
    }

    void write(const char *name, const std::string &bytes)
    {
        ASSERT_TRUE(zvotest::writeFile(m_folder.file(QString::fromLatin1(name)), bytes));
    }
    std::string read(const char *name) const { return zvotest::readFile(m_folder.file(QString::fromLatin1(name))); }

    void writeOptions(const std::string &lines)
    {
        const QString section = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
        write("Options.ini", "[" + section.toStdString() + "]\r\n" + lines);
    }

    // Engines on the loopback engine, so that a check started by mistake
    // stays on this machine and shows in its requests.
    void setEngines(int count)
    {
        std::string table;
        for (int i = 1; i <= count; ++i)
            table += "Engine " + std::to_string(i) + ":" + m_engine.queryUrl(i) + "\r\n";
        write("ZVO-SearchEngines.txt", table);
    }

    TMainForm &start(bool expectRunning = true)
    {
        m_form = std::make_unique<TMainForm>();
        m_form->SplashClock = [this] { return m_splashNow; };
        m_form->SplashPause = [this](int ms) {
            m_splashNow += ms;
            if (m_onSplashPause)
                m_onSplashPause();
        };
        EXPECT_EQ(m_form->FormCreate(), expectRunning);
        return *m_form;
    }

    void select(int row)
    {
        m_form->ListView1->setCurrentItem(m_form->ListView1->topLevelItem(row));
    }

    QStringList captions() const
    {
        QStringList out;
        for (int row = 0; row < m_form->ListView1->topLevelItemCount(); ++row)
            out << m_form->ListView1->topLevelItem(row)->text(0);
        return out;
    }

    zvotest::ProgramFolder m_folder;
    zvotest::FakeSearchEngine m_engine;
    shell::RecordingMessageBoxes m_boxes;
    shell::UrlOpener m_previousOpener;
    QStringList m_opened;
    std::unique_ptr<TMainForm> m_form;
    int64_t m_splashNow = 0;
    std::function<void()> m_onSplashPause;
};

TEST_F(CommandsTest, RowPopupOpensTheSiteAndEachEnginesQueryForTheSelectedRow)
{
    write("Domain-Data.txt", SortedRows);
    TMainForm &form = start();
    const QList<QAction *> popup = form.ListPopupMenu->actions();
    ASSERT_EQ(popup.size(), 7);
    // Each entry has a key of its own.
    EXPECT_EQ(popup[4]->text(), QStringLiteral("&Show link popularity on Engine 1 in web browser"));
    EXPECT_EQ(popup[5]->text(), QStringLiteral("S&how link popularity on Engine 2 in web browser"));

    // Nothing is opened without a selected row.
    popup[4]->setEnabled(true);
    popup[4]->trigger();
    form.ListView1DblClick();
    EXPECT_TRUE(m_opened.isEmpty());

    select(1);
    popup[4]->trigger();
    popup[6]->trigger();
    popup[0]->trigger();
    const QRect cell = form.ListView1->visualItemRect(form.ListView1->topLevelItem(1));
    // A double-click is a press, a release and then the double-click.
    QTest::mouseClick(form.ListView1->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(form.ListView1->viewport(), Qt::LeftButton, {}, cell.center());
    ASSERT_EQ(m_opened.size(), 4);
    EXPECT_EQ(m_opened[0], rtl::ToQString(m_engine.queryUrl(1, "middle.example")));
    EXPECT_EQ(m_opened[1], rtl::ToQString(m_engine.queryUrl(3, "middle.example")));
    EXPECT_EQ(m_opened[2], QStringLiteral("http://middle.example/"));
    EXPECT_EQ(m_opened[3], QStringLiteral("http://middle.example/"));
    EXPECT_TRUE(m_engine.requests().empty());
}

// Which controls are enabled in each state of the window.
struct Enabling
{
    bool add, remove, updateAll, updateSelected, others, list, popup, edit;
};

void expectEnabling(TMainForm &form, const Enabling &e, const char *state)
{
    SCOPED_TRACE(state);
    EXPECT_EQ(form.AddWebSiteButton->isEnabled(), e.add);
    EXPECT_EQ(form.RemoveSelectedWebSiteButton->isEnabled(), e.remove);
    EXPECT_EQ(form.UpdateAllButton->isEnabled(), e.updateAll);
    EXPECT_EQ(form.UpdateSelectedButton->isEnabled(), e.updateSelected);
    for (QWidget *w : {static_cast<QWidget *>(form.OptionsButton), static_cast<QWidget *>(form.GetLatestVersionButton),
                       static_cast<QWidget *>(form.TellYourFriendsButton), static_cast<QWidget *>(form.HelpButton),
                       static_cast<QWidget *>(form.ImproveYourLinkPopularityButton),
                       static_cast<QWidget *>(form.NewsletterButton)})
        EXPECT_EQ(w->isEnabled(), e.others) << w->objectName().toStdString();
    EXPECT_EQ(form.ListView1->isEnabled(), e.list);
    for (QAction *entry : form.ListPopupMenu->actions()) {
        if (!entry->isSeparator()) {
            EXPECT_EQ(entry->isEnabled(), e.popup) << entry->text().toStdString();
        }
    }
    for (QAction *entry : {form.MenuEditUndo, form.MenuEditCut, form.MenuEditCopy, form.MenuEditPaste,
                           form.MenuEditSelectAll})
        EXPECT_EQ(entry->isEnabled(), e.edit) << entry->objectName().toStdString();
    for (QAction *entry : {form.MenuFileExit, form.MenuEditOptions, form.MenuHelpHelpTopics,
                           form.MenuHelpVisitHomepage, form.MenuHelpGetTheLatestVersion, form.MenuHelpAboutZarvello})
        EXPECT_TRUE(entry->isEnabled()) << entry->objectName().toStdString();
}

TEST_F(CommandsTest, ControlsFollowRowsSelectionAndABusyWindow)
{
    write("Domain-Data.txt", "only.example\t5\t5\t0\t0\r\n");
    TMainForm &form = start();
    expectEnabling(form, {true, false, true, false, true, true, false, false}, "rows, no selection");
    select(0);
    expectEnabling(form, {true, true, true, true, true, true, true, true}, "a selected row");
    form.Busy = true;
    form.UpdateControls();
    expectEnabling(form, {false, false, false, false, false, false, true, true}, "busy");
    form.Busy = false;
    form.UpdateControls();

    // Delete removes the row at once, without asking.
    QTest::keyClick(form.ListView1, Qt::Key_Delete);
    EXPECT_TRUE(m_boxes.requests().empty());
    expectEnabling(form, {true, false, false, false, true, true, false, false}, "no rows");
}

TEST_F(CommandsTest, AddWebSiteAsksChecksTheAddressAndSelectsTheNewRowWithoutChecking)
{
    write("Domain-Data.txt", SortedRows);
    TMainForm &form = start();
    std::vector<std::string> asked;
    std::optional<std::string> answer;
    form.InputQuery = [&](const std::string &caption, const std::string &prompt, const std::string &initial) {
        asked = {caption, prompt, initial};
        return answer;
    };

    form.AddWebSiteButton->click();
    ASSERT_EQ(asked.size(), 3u);
    EXPECT_EQ(asked[0], "Add Web Site");
    EXPECT_EQ(asked[1], "Enter the web page URL:");
    EXPECT_EQ(asked[2].rfind("http://", 0), 0u);
    EXPECT_TRUE(m_boxes.requests().empty());

    answer = "localhost";
    form.AddWebSiteButton->click();
    ASSERT_EQ(m_boxes.requests().size(), 1u);
    EXPECT_EQ(m_boxes.requests()[0].text, QStringLiteral("The URL \"localhost\" is not valid."));
    EXPECT_EQ(m_boxes.requests()[0].icon, shell::MessageIcon::Information);
    EXPECT_EQ(form.ListView1->topLevelItemCount(), 3);

    select(2);
    answer = " http://www.Fresh.example ";
    form.AddWebSiteButton->click();
    EXPECT_EQ(m_boxes.requests().size(), 1u);
    EXPECT_EQ(captions(), (QStringList{QStringLiteral("www.Fresh.example"), QStringLiteral("small.example"),
                                       QStringLiteral("middle.example"), QStringLiteral("big.example")}));
    ASSERT_EQ(form.ListView1->selectedItems().size(), 1);
    EXPECT_EQ(form.ListView1->selectedItems()[0]->text(0), QStringLiteral("www.Fresh.example"));
    EXPECT_EQ(form.focusWidget(), form.ListView1);
    EXPECT_TRUE(form.UpdateSelectedButton->isEnabled());
    EXPECT_EQ(form.RowSubItem(0, 0), "0");
    EXPECT_TRUE(m_engine.requests().empty());
}

TEST_F(CommandsTest, ButtonsLogoAndMenuOpenTheirPagesAndTheRecommendationMail)
{
    write("Domain-Data.txt", SortedRows);
    TMainForm &form = start();
    form.ImproveYourLinkPopularityButton->click();
    form.NewsletterButton->click();
    QTest::mouseDClick(form.LogoImage, Qt::LeftButton);
    form.MenuHelpVisitHomepage->trigger();
    form.TellYourFriendsButton->click();
    ASSERT_EQ(m_opened.size(), 5);
    EXPECT_EQ(QUrl(m_opened[0]).query(), QStringLiteral("zvo"));
    EXPECT_EQ(QUrl(m_opened[1]).path() + "?" + QUrl(m_opened[1]).query(), QStringLiteral("/subscribe.htm?zvo"));
    EXPECT_EQ(QUrl(m_opened[2]).query(), QStringLiteral("zvologo"));
    EXPECT_EQ(QUrl(m_opened[3]).path() + "?" + QUrl(m_opened[3]).query(), QStringLiteral("/?zvo"));
    EXPECT_NE(m_opened[0], m_opened[3]);

    // The mail survives being taken apart as a URL: subject and body intact.
    const QUrl mail(m_opened[4]);
    EXPECT_EQ(mail.scheme(), QStringLiteral("mailto"));
    const QString query = QUrl::fromPercentEncoding(mail.query(QUrl::FullyEncoded).toLatin1());
    EXPECT_TRUE(query.startsWith(QStringLiteral("subject=")) && query.contains(QStringLiteral("&body=")));
    EXPECT_TRUE(query.contains(QStringLiteral("http://www.zarvello.example/")));
}

TEST_F(CommandsTest, HintTimerShowsTheHintOfTheLegendSegmentUnderTheMouse)
{
    write("Domain-Data.txt", SortedRows);
    TMainForm &form = start();
    const QPoint inFirstStep(2, form.PaintBox1->height() / 2);
    QCursor::setPos(form.PaintBox1->mapToGlobal(inFirstStep));
    if (QApplication::widgetAt(QCursor::pos()) != form.PaintBox1)
        GTEST_SKIP() << "the platform does not place the pointer";
    QTest::mouseMove(form.PaintBox1, inFirstStep);
    form.HintTimerTimer();
    const QString hint = form.statusBar()->currentMessage();
    EXPECT_TRUE(hint.endsWith(QStringLiteral(" 250 references"))) << hint.toStdString();

    const QPoint inLastStep(form.PaintBox1->width() - 2, form.PaintBox1->height() / 2);
    QCursor::setPos(form.PaintBox1->mapToGlobal(inLastStep));
    QTest::mouseMove(form.PaintBox1, inLastStep);
    form.HintTimerTimer();
    EXPECT_NE(form.statusBar()->currentMessage(), hint);
    EXPECT_TRUE(form.HintTimer->isActive());
}

TEST_F(CommandsTest, ExitClosesTheOtherWindowsFirstAndSavesListAndSettings)
{
    write("Domain-Data.txt", SortedRows);
    QFile::remove(m_folder.file("Options.ini"));
    TMainForm &form = start();
    form.AddWebSite("added.example");
    // Not while a check runs: ending then would lose the list.
    form.Busy = true;
    form.MenuFileExit->trigger();
    EXPECT_TRUE(form.isVisible());
    form.Busy = false;

    form.MenuHelpAboutZarvello->trigger();
    form.MenuHelpAboutZarvello->trigger();
    QList<TAboutForm *> about = form.findChildren<TAboutForm *>();
    ASSERT_EQ(about.size(), 1);
    EXPECT_TRUE(about[0]->isVisible());
    EXPECT_EQ(about[0]->VersionLabel->text(), rtl::ToQString("Version " + GetFileVersionString()));
    QPointer<TAboutForm> aboutWindow = about[0];

    // The main window closes last: the about window is gone by then.
    bool aboutGoneFirst = false;
    struct OnClose : QObject
    {
        std::function<void()> f;
        bool eventFilter(QObject *, QEvent *e) override { return e->type() == QEvent::Close ? f(), false : false; }
    } watch;
    watch.f = [&] { aboutGoneFirst = !aboutWindow || !aboutWindow->isVisible(); };
    form.installEventFilter(&watch);
    form.MenuFileExit->trigger();
    QApplication::processEvents();
    EXPECT_TRUE(aboutGoneFirst);
    EXPECT_FALSE(form.isVisible());
    EXPECT_NE(read("Domain-Data.txt").find("added.example\t0\t0\t0\t0\r\n"), std::string::npos);
    EXPECT_NE(read("Options.ini").find("MainWindowState=Normal"), std::string::npos);
}

TEST_F(CommandsTest, OptionsOpenOnTheFirstPageAndTheSettingsAreSavedAfterOkOrCancel)
{
    write("Domain-Data.txt", SortedRows);
    TMainForm &form = start();
    int page = -1;
    {
        zvotest::WindowScript<TOptionsForm> cancel([&](TOptionsForm &options) {
            page = options.PageControl1->ActivePageIndex();
            options.CancelButton->click();
        });
        QFile::remove(m_folder.file("Options.ini"));
        form.OptionsButton->click();
        EXPECT_EQ(cancel.runs(), 1);
    }
    EXPECT_EQ(page, 0);
    EXPECT_NE(read("Options.ini").find("ShowSplashScreen=false"), std::string::npos);

    zvotest::WindowScript<TOptionsForm> accept([](TOptionsForm &options) {
        options.ShowSplashScreenCheckBox->setChecked(true);
        options.OKButton->click();
    });
    form.MenuEditOptions->trigger();
    EXPECT_EQ(accept.runs(), 1);
    EXPECT_NE(read("Options.ini").find("ShowSplashScreen=true"), std::string::npos);
    EXPECT_TRUE(form.findChildren<TOptionsForm *>().isEmpty());
}

TEST_F(CommandsTest, HelpKeyAndButtonShowTheContentsAndClosingClosesTheHelp)
{
    write("Domain-Data.txt", SortedRows);
    // What the help viewer is asked to do, instead of opening it.
    std::vector<std::pair<QString, help::HtmlHelpCommand>> calls;
    const auto previous = help::setHtmlHelpEntry(
        [&](QWidget *, const QString &path, help::HtmlHelpCommand command, const help::HtmlHelpArg &) {
            calls.emplace_back(path, command);
            return static_cast<QWidget *>(nullptr);
        });
    TMainForm &form = start();
    ASSERT_NE(form.HelpRouter1, nullptr);
    EXPECT_EQ(form.MenuHelpHelpTopics->shortcut(), QKeySequence(Qt::Key_F1));

    form.HelpButton->click();
    form.MenuHelpHelpTopics->trigger();
    const auto contents = std::make_pair(m_folder.file(QStringLiteral("ZVO.chm")), help::HtmlHelpCommand::DisplayTopic);
    EXPECT_EQ(calls, (decltype(calls){contents, contents}));
    calls.clear();
    EXPECT_TRUE(form.close());
    help::setHtmlHelpEntry(previous);
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls[0].second, help::HtmlHelpCommand::CloseAll);
}

TEST_F(CommandsTest, SplashStaysItsMinimumTimeBeforeTheWindowShows)
{
    write("Domain-Data.txt", SortedRows);
    writeOptions("ShowSplashScreen=true\r\n");
    int pausesWithSplash = 0;
    m_onSplashPause = [&] {
        for (TAboutForm *about : m_form->findChildren<TAboutForm *>()) {
            if (about->isVisible() && (about->windowFlags() & Qt::FramelessWindowHint))
                ++pausesWithSplash;
        }
        EXPECT_FALSE(m_form->isVisible());
    };
    TMainForm &form = start();
    EXPECT_GE(m_splashNow, 2000);
    EXPECT_LT(m_splashNow, 2000 + 250 + 1);
    EXPECT_EQ(int64_t(pausesWithSplash) * 250, m_splashNow);
    EXPECT_TRUE(form.findChildren<TAboutForm *>().isEmpty());
    EXPECT_TRUE(form.isVisible());
}

TEST_F(CommandsTest, UpdateTimerAsksTheSchedulerWhenTheCheckIsDue)
{
    write("Domain-Data.txt", SortedRows);
    writeOptions("ShowSplashScreen=false\r\nCheckForUpdatesInterval=At Every Start\r\n");
    TMainForm &form = start();
    m_boxes.script(shell::ResultNo);
    form.CheckForUpdatesTimerTimer();
    ASSERT_EQ(m_boxes.requests().size(), 1u);
    EXPECT_EQ(m_boxes.requests()[0].caption, QStringLiteral("Check for updates"));
    EXPECT_EQ(CheckForUpdatesLastDate, QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")).toStdString());
    EXPECT_TRUE(form.CheckForUpdatesTimer->isActive());

    // Not while a check runs.
    form.Busy = true;
    form.CheckForUpdatesTimerTimer();
    EXPECT_EQ(m_boxes.requests().size(), 1u);
    form.Busy = false;
}

TEST_F(CommandsTest, FirstStartAddsTheWizardsSitesAndStoredCountsThenChecksEveryRow)
{
    setEngines(2);
    // A listed site is skipped, a blank line is no site, a lone LF ends a
    // line too, and values beyond the engines have no column.
    write("ZVO-Domains.txt", "www.rival.example*999*9*9*9*9*9\r\n"
                             "\r\n"
                             "stored.example*12345,6*1000*2000*3*4*5\n"
                             "other.example*7*1*2\r\n");
    zvotest::WindowScript<TFirstStartWizardForm> wizard([](TFirstStartWizardForm &w) {
        w.NextButton->click();
        w.ConnectionsComboBox->setCurrentIndex(0);
        w.NextButton->click();
        w.URLEdit->setText(QStringLiteral("http://www.own.example"));
        w.Competitor1Edit->setText(QStringLiteral("www.rival.example"));
        w.Competitor2Edit->setText(QStringLiteral("WWW.RIVAL.example"));
        w.Competitor3Edit->setText(QStringLiteral("www.another.example"));
        w.NextButton->click();
    });
    TMainForm &form = start();
    EXPECT_EQ(wizard.runs(), 1);
    EXPECT_TRUE(form.findChildren<TFirstStartWizardForm *>().isEmpty());

    // The list as saved before the check: the wizard's sites and the stored
    // counts, sorted by total.
    const std::string saved = read("Domain-Data.txt");
    EXPECT_NE(saved.find("www.own.example\t0\t0\t0\r\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("www.rival.example\t0\t0\t0\r\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("www.another.example\t0\t0\t0\r\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("other.example\t7\t1\t2\r\n"), std::string::npos) << saved;
    EXPECT_TRUE(saved.ends_with("stored.example\t12,346\t1,000\t2,000\r\n")) << saved;
    EXPECT_EQ(form.ListView1->topLevelItemCount(), 5);

    // Then every row was checked against every engine.
    for (const char *domain :
         {"www.own.example", "www.rival.example", "www.another.example", "other.example", "stored.example"}) {
        for (int engine = 1; engine <= 2; ++engine)
            EXPECT_EQ(m_engine.queries(domain, engine).size(), 1u) << domain << " " << engine;
    }
    EXPECT_FALSE(form.Busy);
}

TEST_F(CommandsTest, FirstStartLeftWithExitEndsTheProgram)
{
    zvotest::WindowScript<TFirstStartWizardForm> wizard([](TFirstStartWizardForm &w) { w.ExitButton->click(); });
    start(false);
    EXPECT_EQ(wizard.runs(), 1);
    EXPECT_EQ(m_form->ListView1->topLevelItemCount(), 0);
    EXPECT_FALSE(m_form->CheckForUpdatesTimer->isActive());
    EXPECT_TRUE(m_engine.requests().empty());
}

} // namespace
