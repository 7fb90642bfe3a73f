// The main window's commands as a user reaches them: buttons, menus, the row
// popup and the list's keys, the enabling of the controls, and the windows of
// its neighbours that it opens (splash, about, options, help, first start,
// update question).

#include "app/Application.h"
#include "app/Controls.h"
#include "app/SiteListView.h"
#include "app/about/AboutUnit.h"
#include "foundation/MyOptions.h"
#include "foundation/MyUtilitiesFiles.h"
#include "platform/controls/ManualClock.h"
#include "platform/help/HtmlHelp.h"
#include "platform/rtl/Exceptions.h"
#include "settings/FirstStartWizardUnit.h"
#include "settings/OptionsUnit.h"
#include "tests/app/MainFormFixture.h"
#include "widgets/pagecontrol/dxPageControl.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QDialog>
#include <QDir>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QUrl>

using namespace app;
using namespace foundation;
using namespace settings;

namespace {

using CommandsTest = MainFormTest;

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
    EXPECT_EQ(m_opened,
              (QStringList{rtl::ToQString(m_engine.queryUrl(1, "middle.example")),
                           rtl::ToQString(m_engine.queryUrl(3, "middle.example")),
                           QStringLiteral("http://middle.example/"), QStringLiteral("http://middle.example/")}));
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
    for (QWidget *w :
         std::initializer_list<QWidget *>{form.OptionsButton, form.GetLatestVersionButton, form.TellYourFriendsButton,
                                          form.HelpButton, form.ImproveYourLinkPopularityButton, form.NewsletterButton})
        EXPECT_EQ(w->isEnabled(), e.others) << w->objectName().toStdString();
    EXPECT_EQ(form.ListView1->isEnabled(), e.list);
    for (QAction *entry : form.ListPopupMenu->actions())
        EXPECT_TRUE(entry->isSeparator() || entry->isEnabled() == e.popup) << entry->text().toStdString();
    for (QAction *entry :
         {form.MenuEditUndo, form.MenuEditCut, form.MenuEditCopy, form.MenuEditPaste, form.MenuEditSelectAll})
        EXPECT_EQ(entry->isEnabled(), e.edit) << entry->objectName().toStdString();
    for (QAction *entry : {form.MenuFileExit, form.MenuEditOptions, form.MenuHelpHelpTopics, form.MenuHelpVisitHomepage,
                           form.MenuHelpGetTheLatestVersion, form.MenuHelpAboutZarvello})
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
    // The input box, left with OK and the text entered, or with Cancel.
    const auto enter = [&](std::optional<QString> text) {
        m_dialogs.drive<QInputDialog>([&asked, text](QInputDialog &box) {
            asked = {box.windowTitle().toStdString(), box.labelText().toStdString(),
                     box.textValue().left(7).toStdString()};
            if (!text)
                return box.reject();
            box.setTextValue(*text);
            box.accept();
        });
    };

    enter(std::nullopt);
    form.AddWebSiteButton->click();
    EXPECT_EQ(asked, (std::vector<std::string>{"Add Web Site", "Enter the web page URL:", "http://"}));
    EXPECT_TRUE(m_boxes.requests().empty());
    EXPECT_EQ(form.ListView1->topLevelItemCount(), 3);

    enter(QStringLiteral("localhost"));
    form.AddWebSiteButton->click();
    ASSERT_EQ(m_boxes.requests().size(), 1u);
    EXPECT_EQ(m_boxes.requests()[0].text, QStringLiteral("The URL \"localhost\" is not valid."));
    EXPECT_EQ(m_boxes.requests()[0].icon, shell::MessageIcon::Information);
    EXPECT_EQ(form.ListView1->topLevelItemCount(), 3);

    select(2);
    enter(QStringLiteral(" http://www.Fresh.example "));
    form.AddWebSiteButton->click();
    EXPECT_EQ(m_boxes.requests().size(), 1u);
    EXPECT_EQ(form.ListView1->topLevelItemCount(), 4);
    EXPECT_EQ(form.RowCaption(0), "www.Fresh.example");
    EXPECT_EQ(form.RowSubItem(0, 0), "0");
    ASSERT_EQ(form.ListView1->selectedItems().size(), 1);
    EXPECT_EQ(form.ListView1->selectedItems()[0], form.ListView1->topLevelItem(0));
    EXPECT_EQ(form.focusWidget(), form.ListView1);
    EXPECT_TRUE(form.UpdateSelectedButton->isEnabled());
    EXPECT_TRUE(m_engine.requests().empty());
    EXPECT_EQ(m_dialogs.shown(), QStringList(3, QStringLiteral("QInputDialog")));
}

TEST_F(CommandsTest, SitesAddedOrRenamedInTheirOwnScriptAreKeptInTheirAsciiForm)
{
    write("Domain-Data.txt", SortedRows);
    TMainForm &form = start();
    const auto captions = [&form] {
        std::string all;
        for (int i = 0; i < form.ListView1->topLevelItemCount(); ++i)
            all += form.RowCaption(i) + ";";
        return all;
    };
    m_dialogs.drive<QInputDialog>([](QInputDialog &box) {
        box.setTextValue(QStringLiteral("http://пример.рф"));
        box.accept();
    });
    form.AddWebSiteButton->click();
    EXPECT_TRUE(m_boxes.requests().empty());
    EXPECT_NE((";" + captions()).find(";xn--e1afmkfd.xn--p1ai;"), std::string::npos) << captions();

    QTreeWidgetItem *big = form.ListView1->topLevelItem(3);
    form.ListView1->setCurrentItem(big, 0);
    form.ListView1->editItem(big, 0);
    auto *edit = form.ListView1->viewport()->findChild<QLineEdit *>();
    ASSERT_NE(edit, nullptr);
    edit->setText(QStringLiteral("ελλάδα.gr"));
    QTest::keyClick(edit, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_NE((";" + captions()).find(";xn--hxakic4aa.gr;"), std::string::npos) << captions();
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
    QStringList pages;
    for (int i = 0; i < 4; ++i)
        pages << QUrl(m_opened[i]).path() + "?" + QUrl(m_opened[i]).query();
    EXPECT_EQ(pages.mid(1), (QStringList{"/subscribe.htm?zvo", "/?zvologo", "/?zvo"}));
    EXPECT_TRUE(pages[0].endsWith("?zvo") && m_opened[0] != m_opened[3]);

    // The mail survives being taken apart as a URL: subject and body intact.
    const QUrl mail(m_opened[4]);
    EXPECT_EQ(mail.scheme(), QStringLiteral("mailto"));
    const QString query = QUrl::fromPercentEncoding(mail.query(QUrl::FullyEncoded).toLatin1());
    EXPECT_TRUE(query.startsWith(QStringLiteral("subject=")) && query.contains(QStringLiteral("&body=")));
    EXPECT_TRUE(query.contains(QStringLiteral("http://www.zarvello.example/")));
}

TEST_F(CommandsTest, AFailingCommandShowsItsErrorUnderTheProgramsTitleOverTheWindowWhichCarriesOn)
{
    // The program names itself as its start does.
    setApplicationTitle();
    write("Domain-Data.txt", SortedRows);
    TMainForm &form = start();
    {
        const shell::ScopedUrlOpener failing(
            [](const QString &) { throw rtl::Exception("No program opens \xabweb pages\xbb"); });
        form.NewsletterButton->click();
        form.MenuHelpVisitHomepage->trigger();
    }
    ASSERT_EQ(m_boxes.requests().size(), 2u);
    for (const shell::MessageBoxRequest &box : m_boxes.requests()) {
        EXPECT_EQ(box.text, QString::fromUtf8("No program opens \u00abweb pages\u00bb"));
        EXPECT_EQ(box.caption, QStringLiteral("Zarvello"));
        EXPECT_EQ(box.icon, shell::MessageIcon::Stop);
        EXPECT_EQ(box.owner, &form);
    }
    form.NewsletterButton->click();
    EXPECT_EQ(m_opened.size(), 1);
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

    // The main window closes last: the about window is gone by then.
    struct OnClose : QObject
    {
        QPointer<TAboutForm> about;
        bool aboutGoneFirst = false;
        bool eventFilter(QObject *, QEvent *e) override
        {
            aboutGoneFirst |= e->type() == QEvent::Close && (!about || !about->isVisible());
            return false;
        }
    } watch;
    watch.about = about[0];
    form.installEventFilter(&watch);
    form.MenuFileExit->trigger();
    QApplication::processEvents();
    EXPECT_TRUE(watch.aboutGoneFirst);
    EXPECT_FALSE(form.isVisible());
    EXPECT_NE(read("Domain-Data.txt").find("added.example\t0\t0\t0\t0\r\n"), std::string::npos);
    EXPECT_NE(read("Options.ini").find("MainWindowState=Normal"), std::string::npos);
}

TEST_F(CommandsTest, OptionsOpenOnTheFirstPageAndTheSettingsAreSavedAfterOkOrCancel)
{
    write("Domain-Data.txt", SortedRows);
    TMainForm &form = start();
    int page = -1;
    m_dialogs.drive<TOptionsForm>([&](TOptionsForm &options) {
        page = options.PageControl1->ActivePageIndex();
        options.CancelButton->click();
    });
    QFile::remove(m_folder.file("Options.ini"));
    form.OptionsButton->click();
    EXPECT_EQ(page, 0);
    EXPECT_NE(read("Options.ini").find("ShowSplashScreen=false"), std::string::npos);

    m_dialogs.drive<TOptionsForm>([](TOptionsForm &options) {
        options.ShowSplashScreenCheckBox->setChecked(true);
        options.OKButton->click();
    });
    form.MenuEditOptions->trigger();
    EXPECT_EQ(m_dialogs.shown(), QStringList(2, QStringLiteral("settings::TOptionsForm")));
    EXPECT_NE(read("Options.ini").find("ShowSplashScreen=true"), std::string::npos);
    EXPECT_TRUE(form.findChildren<TOptionsForm *>().isEmpty());
}

// A full disk or a folder without write access: OK says so at once and the
// window stays with what the user chose, to be tried again or cancelled.
TEST_F(CommandsTest, OkSaysWhenTheSettingsCannotBeSavedAndKeepsTheWindow)
{
    write("Domain-Data.txt", SortedRows);
    writeOptions("ShowSplashScreen=false\r\n");
    TMainForm &form = start();
    const QString options = m_folder.file("Options.ini");
    for (const bool retry : {false, true}) {
        SCOPED_TRACE(retry ? "OK again once it can be saved" : "Cancel");
        QDir().rmdir(options);
        QFile::remove(options);
        ASSERT_TRUE(QDir().mkdir(options)); // a file that cannot be replaced
        m_boxes.clear();
        bool stayedOpen = false;
        bool keptChoice = false;
        bool overTheWindow = false;
        m_dialogs.drive<TOptionsForm>([&](TOptionsForm &window) {
            window.ShowSplashScreenCheckBox->setChecked(true);
            window.OKButton->click();
            stayedOpen = window.isVisible();
            overTheWindow = !m_boxes.requests().empty() && m_boxes.requests()[0].owner == &window;
            keptChoice = window.ShowSplashScreenCheckBox->isChecked();
            if (retry) {
                EXPECT_TRUE(QDir().rmdir(options));
                window.OKButton->click();
            } else {
                window.CancelButton->click();
            }
        });
        form.OptionsButton->click();
        EXPECT_TRUE(stayedOpen);
        EXPECT_TRUE(keptChoice);
        EXPECT_TRUE(overTheWindow);
        ASSERT_EQ(m_boxes.requests().size(), 1u);
        EXPECT_EQ(m_boxes.requests()[0].text,
                  QStringLiteral("The file \"%1\" could not be saved (Is a directory).").arg(options));
        // Cancel leaves the settings as they were before the window opened.
        EXPECT_EQ(ShowSplashScreen, retry);
    }
    EXPECT_NE(read("Options.ini").find("ShowSplashScreen=true"), std::string::npos);
}

TEST_F(CommandsTest, HelpKeyAndButtonShowTheContentsAndClosingClosesTheHelp)
{
    write("Domain-Data.txt", SortedRows);
    // What the help viewer is asked to do, instead of opening it.
    std::vector<std::pair<QString, help::HtmlHelpCommand>> calls;
    {
        const help::ScopedHtmlHelpEntry entry(
            [&](QWidget *, const QString &path, help::HtmlHelpCommand command, const help::HtmlHelpArg &) {
                calls.emplace_back(path, command);
                return static_cast<QWidget *>(nullptr);
            });
        TMainForm &form = start();
        ASSERT_NE(form.HelpRouter1, nullptr);
        EXPECT_EQ(form.MenuHelpHelpTopics->shortcut(), QKeySequence(Qt::Key_F1));

        form.HelpButton->click();
        form.MenuHelpHelpTopics->trigger();
        const auto contents =
            std::make_pair(m_folder.file(QStringLiteral("ZVO.chm")), help::HtmlHelpCommand::DisplayTopic);
        EXPECT_EQ(calls, (decltype(calls){contents, contents}));
        calls.clear();
        EXPECT_TRUE(form.close());
    }
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls[0].second, help::HtmlHelpCommand::CloseAll);
}

TEST_F(CommandsTest, SplashStaysItsMinimumTimeBeforeTheWindowShows)
{
    write("Domain-Data.txt", SortedRows);
    writeOptions("ShowSplashScreen=true\r\n");
    // Time moves only while the splash waits.
    controls::ManualClock clock;
    int waitsWithSplash = 0;
    clock.onWait = [&](int64_t) {
        for (QWidget *window : QApplication::topLevelWidgets())
            if (auto *about = qobject_cast<TAboutForm *>(window))
                waitsWithSplash += about->isVisible() && (about->windowFlags() & Qt::FramelessWindowHint);
        EXPECT_FALSE(m_form->isVisible());
    };
    TMainForm &form = start();
    EXPECT_GE(clock.now(), 2000);
    EXPECT_LT(clock.now(), 2000 + 250 + 1);
    EXPECT_EQ(int64_t(waitsWithSplash) * 250, clock.now());
    for (QWidget *window : QApplication::topLevelWidgets())
        EXPECT_EQ(qobject_cast<TAboutForm *>(window), nullptr);
    EXPECT_TRUE(form.isVisible());
}

TEST_F(CommandsTest, UpdateTimerStoresTheSettingsAndAsksWhenDueButNotWhileBusyOrUnderADialog)
{
    write("Domain-Data.txt", SortedRows);
    writeOptions("ShowSplashScreen=false\r\nCheckForUpdatesInterval=At Every Start\r\n");
    TMainForm &form = start();
    m_boxes.script(shell::IDNO);
    MainWindowX = -77;
    form.Busy = true;
    form.CheckForUpdatesTimerTimer();
    form.Busy = false;
    {
        QDialog hidden(&form);
        form.CheckForUpdatesTimerTimer();
    }
    EXPECT_TRUE(m_boxes.requests().empty());
    EXPECT_EQ(MainWindowX, -77);
    EXPECT_TRUE(form.CheckForUpdatesTimer->isActive());

    form.CheckForUpdatesTimerTimer();
    ASSERT_EQ(m_boxes.requests().size(), 1u);
    EXPECT_EQ(m_boxes.requests()[0].caption, QStringLiteral("Check for updates"));
    EXPECT_EQ(CheckForUpdatesLastDate, QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")).toStdString());
    EXPECT_EQ(MainWindowX, form.frameGeometry().x());
    EXPECT_TRUE(form.CheckForUpdatesTimer->isActive());
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
    m_dialogs.drive<TFirstStartWizardForm>([](TFirstStartWizardForm &w) {
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
    EXPECT_EQ(m_dialogs.shown(), QStringList{QStringLiteral("settings::TFirstStartWizardForm")});
    EXPECT_TRUE(form.findChildren<TFirstStartWizardForm *>().isEmpty());

    // The list as saved before the check: the wizard's sites and the stored
    // counts, sorted by total.
    const std::string saved = read("Domain-Data.txt");
    for (const char *row : {"www.own.example\t0\t0\t0\r\n", "www.rival.example\t0\t0\t0\r\n",
                            "www.another.example\t0\t0\t0\r\n", "other.example\t7\t1\t2\r\n"})
        EXPECT_NE(saved.find(row), std::string::npos) << row << saved;
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

// Stored lines the list could not save and read back as they were are
// skipped: a tab would shift a row's counts in the list's file, a NUL or a
// line break cut or split it.
TEST_F(CommandsTest, FirstStartSkipsStoredLinesTheListCouldNotKeep)
{
    setEngines(2);
    std::string stored = "tab\tsite.example*5*1*1\r\n"
                         "bell\a.example*5*1*1\r\n"
                         "lots.example*many*1*1\r\n"
                         "good.example*5*2*3\r\n";
    stored += std::string("nul\0site.example*5*1*1\r\n", 26);
    stored += std::string(10240, 'x') + ".example*5*1*1\r\n";
    write("ZVO-Domains.txt", stored);
    m_dialogs.drive<TFirstStartWizardForm>([](TFirstStartWizardForm &w) {
        w.NextButton->click();
        w.NextButton->click();
        w.URLEdit->setText(QStringLiteral("http://www.own.example"));
        w.NextButton->click();
    });
    TMainForm &form = start();
    EXPECT_EQ(read("Domain-Data.txt"), "www.own.example\t0\t0\t0\r\ngood.example\t5\t2\t3\r\n");
    EXPECT_EQ(form.ListView1->topLevelItemCount(), 2);
}

} // namespace
