#include "app/Controls.h"
#include "app/MainUnit.h"
#include "app/SiteListView.h"
#include "foundation/MyOptions.h"
#include "foundation/MyUtilitiesFiles.h"
#include "platform/rtl/QtText.h"
#include "platform/shell/Desktop.h"
#include "platform/shell/MessageBox.h"
#include "settings/FirstStartWizardUnit.h"
#include "tests/app/WindowScript.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QHeaderView>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

namespace {

const std::string ThreeEngines = "; engines\r\n"
                                 "Alpha:http://alpha.example/?q=link:YOURDOMAIN.COM\r\n"
                                 "Beta:http://beta.example/?q=YOURDOMAIN.COM\r\n"
                                 "\r\n"
                                 "Gamma:http://search.yahoo.com/?p=YOURDOMAIN.COM\r\n";

// Rows already in the order the list sorts them (totals ascending).
const std::string SortedRows = "small.example\t7\t3\t2\t2\r\n"
                               "middle.example\t1,200\t1,000\t100\t100\r\n"
                               "big.example\t2,000,000\t1,000,000\t500,000\t500,000\r\n";

class MainWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.isValid());
        shell::setProgramFolder(m_folder.path());
        shell::setWorkArea(rtl::Rect(0, 0, 1280, 1000));
        shell::setScreenSize(rtl::TSize{1280, 1024});
        write("ZVO-SearchEngines.txt", ThreeEngines);
        QFile::remove(m_folder.file("Domain-Data.txt"));
        QFile::remove(m_folder.file("Options.ini"));
    }

    void TearDown() override
    {
        m_form.reset();
        shell::setProgramFolder(QString());
        shell::setWorkArea(std::nullopt);
        shell::setScreenSize(std::nullopt);
    }

    void write(const char *name, const std::string &bytes)
    {
        ASSERT_TRUE(zvotest::writeFile(m_folder.file(QString::fromLatin1(name)), bytes));
    }
    std::string read(const char *name) const { return zvotest::readFile(m_folder.file(QString::fromLatin1(name))); }

    TMainForm &start(bool expectRunning = true)
    {
        m_form = std::make_unique<TMainForm>();
        // The splash's minimum time passes at once, and a first start is
        // left with Exit.
        m_form->SplashClock = [this] { return m_splashNow; };
        m_form->SplashPause = [this](int ms) { m_splashNow += ms; };
        zvotest::WindowScript<TFirstStartWizardForm> exitWizard(
            [](TFirstStartWizardForm &wizard) { wizard.ExitButton->click(); });
        EXPECT_EQ(m_form->FormCreate(), expectRunning);
        return *m_form;
    }

    QStringList files() const { return QDir(m_folder.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot); }

    zvotest::ProgramFolder m_folder;
    shell::RecordingMessageBoxes m_boxes;
    std::unique_ptr<TMainForm> m_form;
    int64_t m_splashNow = 0;
};

TEST_F(MainWindowTest, MissingEngineTableEndsTheProgramWritingNothing)
{
    QFile::remove(m_folder.file("ZVO-SearchEngines.txt"));
    write("Domain-Data.txt", SortedRows);
    const QStringList before = files();

    TMainForm &form = start(false);
    ASSERT_EQ(m_boxes.requests().size(), 1u);
    EXPECT_EQ(m_boxes.requests()[0].text,
              QStringLiteral("The file \"ZVO-SearchEngines.txt\" does not exists. Please re-install Zarvello."));
    EXPECT_EQ(m_boxes.requests()[0].icon, shell::MessageIcon::Exclamation);
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(form.CheckForUpdatesTimer->isActive());
    EXPECT_EQ(files(), before);
    EXPECT_EQ(read("Domain-Data.txt"), SortedRows);
}

TEST_F(MainWindowTest, StartUpShowsTitleColumnsPopupAndSortedRows)
{
    write("Domain-Data.txt", "big.example\t2,000,000\t1\t1\t1\r\n"
                             "short.example\t5\r\n"                      // written before two engines existed
                             "long.example\t300\t100\t100\t100\t9\t9\r\n");
    TMainForm &form = start();
    EXPECT_TRUE(m_boxes.requests().empty());
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(form.CheckForUpdatesTimer->isActive());
    EXPECT_EQ(form.CheckForUpdatesTimer->interval(), 100000);
    EXPECT_EQ(form.windowTitle(), rtl::ToQString("Zarvello " + GetFileVersionString()));

    QTreeWidget *list = form.ListView1;
    ASSERT_EQ(list->columnCount(), 5);
    QTreeWidgetItem *header = list->headerItem();
    EXPECT_EQ(header->text(0), QStringLiteral("Domain"));
    EXPECT_EQ(header->text(1), QStringLiteral("Total"));
    EXPECT_EQ(header->text(4), QStringLiteral("Gamma"));
    EXPECT_EQ(list->columnWidth(1), 70);
    EXPECT_EQ(list->columnWidth(2), 78);
    EXPECT_TRUE(header->textAlignment(3) & Qt::AlignRight);
    EXPECT_FALSE(list->header()->sectionsClickable());

    ASSERT_EQ(list->topLevelItemCount(), 3);
    EXPECT_EQ(form.RowCaption(0), "short.example");
    EXPECT_EQ(form.RowCaption(2), "big.example");
    // Missing counts read as never checked; fields beyond the columns go.
    EXPECT_EQ(form.RowSubItem(0, 3), "0");
    EXPECT_EQ(list->topLevelItem(1)->columnCount(), 5);

    // Two fixed entries, two separators, one entry per engine.
    const QList<QAction *> popup = form.ListPopupMenu->actions();
    ASSERT_EQ(popup.size(), 7);
    EXPECT_EQ(popup[4]->iconText(), QStringLiteral("Show link popularity on Alpha in web browser"));
    EXPECT_EQ(popup[6]->iconText(), QStringLiteral("Show link popularity on Gamma in web browser"));

    EXPECT_TRUE(form.UpdateAllButton->isEnabled());
    EXPECT_FALSE(form.UpdateSelectedButton->isEnabled());
    list->setCurrentItem(list->topLevelItem(0));
    EXPECT_TRUE(form.UpdateSelectedButton->isEnabled());
    EXPECT_TRUE(form.RemoveSelectedWebSiteButton->isEnabled());
}

TEST_F(MainWindowTest, CloseLeavesAnUnchangedListAsItWasAndStoresTheSettings)
{
    write("Domain-Data.txt", SortedRows);
    TMainForm &form = start();
    ASSERT_EQ(form.ListView1->topLevelItemCount(), 3);
    EXPECT_TRUE(form.close());

    EXPECT_EQ(read("Domain-Data.txt"), SortedRows);
    const QString ini = QString::fromLatin1(read("Options.ini"));
    QStringList lines;
    for (const QString &line : ini.split(QLatin1Char('\n')))
        if (!line.trimmed().isEmpty())
            lines << line.trimmed();
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(lines[0], QStringLiteral("[test_mainwindow_gui]"));
    EXPECT_EQ(lines.size(), 18);
    EXPECT_TRUE(lines.contains(QStringLiteral("MainWindowState=Normal")));
    EXPECT_TRUE(lines.contains(QStringLiteral("MainWindowW=%1").arg(form.frameGeometry().width())));
}

TEST_F(MainWindowTest, EqualTotalsKeepTheirOrderThroughLoadAndSave)
{
    const std::string ties = "zeta.example\t5\t5\t0\t0\r\n"
                             "alpha.example\t5\t0\t5\t0\r\n"
                             "mid.example\t5\t0\t0\t5\r\n"
                             "top.example\t6\t6\t0\t0\r\n";
    write("Domain-Data.txt", ties);
    TMainForm &form = start();
    form.SortSiteList();
    EXPECT_TRUE(form.close());
    EXPECT_EQ(read("Domain-Data.txt"), ties);
}

TEST_F(MainWindowTest, CloseIsRefusedWhileACheckRuns)
{
    write("Domain-Data.txt", SortedRows);
    TMainForm &form = start();
    form.AddWebSite("new.example");
    form.Busy = true;
    EXPECT_FALSE(form.close());
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(read("Domain-Data.txt"), SortedRows);
    form.Busy = false;
    EXPECT_TRUE(form.close());
    EXPECT_NE(read("Domain-Data.txt").find("new.example\t0\t0\t0\t0\r\n"), std::string::npos);
}

TEST_F(MainWindowTest, AnUnreadableListIsMovedAsideNotDeleted)
{
    // A folder where the file should be cannot be read as a file.
    write("Domain-Data.txt.bad", "an older copy\r\n");
    ASSERT_TRUE(QDir(m_folder.path()).mkdir(QStringLiteral("Domain-Data.txt")));
    // The empty list leads to the first start, which is left with Exit.
    TMainForm &form = start(false);
    EXPECT_EQ(form.ListView1->topLevelItemCount(), 0);
    EXPECT_EQ(read("Domain-Data.txt.bad"), "an older copy\r\n");
    EXPECT_TRUE(QFileInfo(m_folder.file("Domain-Data.txt.bad.1")).isDir());
}

TEST_F(MainWindowTest, AFailedSaveKeepsThePreviousFile)
{
    write("Domain-Data.txt", SortedRows);
    TMainForm &form = start();
    // A row without its sub-items cannot be written.
    form.ListView1->addTopLevelItem(new QTreeWidgetItem(QStringList{QStringLiteral("broken.example")}));
    EXPECT_FALSE(form.SaveDomainData());
    EXPECT_EQ(read("Domain-Data.txt"), SortedRows);
}

TEST_F(MainWindowTest, AddingASiteThatIsListedSelectsItInstead)
{
    write("Domain-Data.txt", SortedRows);
    TMainForm &form = start();
    EXPECT_EQ(form.AddWebSite("http://MIDDLE.example"), nullptr);
    EXPECT_EQ(form.AddWebSite("Middle.Example"), nullptr);
    ASSERT_EQ(form.ListView1->selectedItems().size(), 1);
    EXPECT_EQ(form.ListView1->selectedItems()[0]->text(0), QStringLiteral("middle.example"));
    EXPECT_EQ(form.ListView1->topLevelItemCount(), 3);

    QTreeWidgetItem *row = form.AddWebSite("https://fresh.example/page");
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->text(0), QStringLiteral("fresh.example/page"));
    EXPECT_EQ(row->columnCount(), 5);
    EXPECT_EQ(row->text(4), QStringLiteral("0"));
    EXPECT_TRUE(row->flags() & Qt::ItemIsEditable);
}

TEST_F(MainWindowTest, RenamingResetsCountsOnlyForAnotherValidSite)
{
    write("Domain-Data.txt", SortedRows);
    TMainForm &form = start();
    QTreeWidgetItem *big = form.ListView1->topLevelItem(2);

    std::string text = "big.example";
    form.ListView1Edited(big, text);
    EXPECT_EQ(text, "big.example");
    EXPECT_EQ(big->text(1), QStringLiteral("2,000,000"));

    text = "nonsense";
    form.ListView1Edited(big, text);
    EXPECT_EQ(text, "big.example");
    EXPECT_EQ(big->text(1), QStringLiteral("2,000,000"));

    text = "http://www.other.example";
    form.ListView1Edited(big, text);
    EXPECT_EQ(text, "www.other.example");
    for (int c = 1; c < 5; ++c)
        EXPECT_EQ(big->text(c), QStringLiteral("0")) << c;
    // Sorted again: the reset row now has the smallest total.
    EXPECT_EQ(form.ListView1->topLevelItem(0), big);
}

TEST_F(MainWindowTest, RowsAndTheCellBeingWrittenTakeTheirColours)
{
    write("Domain-Data.txt", "a.example\t249\t249\t0\t0\r\n"
                             "b.example\t250\t250\t0\t0\r\n"
                             "c.example\t999,999,998\t0\t0\t0\r\n"
                             "d.example\t999,999,999\t0\t0\t0\r\n");
    TMainForm &form = start();
    EXPECT_EQ(form.ListView1CustomDrawItem(0), ColorScaleColors[0]);
    EXPECT_EQ(form.ListView1CustomDrawItem(1), ColorScaleColors[1]);
    EXPECT_EQ(form.ListView1CustomDrawSubItem(2, 3), ColorScaleColors[9]);
    EXPECT_EQ(form.ListView1CustomDrawItem(3), std::nullopt);

    form.HighlightRow = 1;
    form.HighlightColumn = 3;
    EXPECT_EQ(form.ListView1CustomDrawItem(1), HighlightColor);
    EXPECT_EQ(form.ListView1CustomDrawSubItem(1, 3), HighlightColor);
    EXPECT_EQ(form.ListView1CustomDrawSubItem(1, 2), ColorScaleColors[1]);
    EXPECT_EQ(form.ListView1CustomDrawSubItem(0, 3), ColorScaleColors[0]);
}

TEST_F(MainWindowTest, GarbageInTheListStartsAndSortsWithoutFailing)
{
    std::string rows = "minus.example\t-5\t0\t0\t0\r\n"
                       "huge.example\t1e300\t0\t0\t0\r\n"
                       "wide.example\t99999999999999\t0\t0\t0\r\n";
    const char nulRow[] = "nul\0byte.example\t1\x00\x01\xFF\r\n";
    rows.append(nulRow, sizeof(nulRow) - 1);
    rows += "\x89PNG\x1A\n\xFF\xFE\tabc\n";
    for (int i = 0; i < 3000; ++i)
        rows += "site" + std::to_string(i) + ".example\t" + std::to_string(i * 7 % 1000) + "\t0\t0\t0\r\n";
    write("Domain-Data.txt", rows);
    TMainForm &form = start();
    ASSERT_GE(form.ListView1->topLevelItemCount(), 3003);
    EXPECT_EQ(form.RowCaption(0), "minus.example");
    EXPECT_EQ(form.RowCaption(form.ListView1->topLevelItemCount() - 1), "huge.example");
    EXPECT_TRUE(form.close());
}

TEST_F(MainWindowTest, BadNumbersInTheSettingsFallBackToDefaults)
{
    write("Options.ini", "[test_mainwindow_gui]\r\nMainWindowX=99999999999\r\nConcurrentConnectionCount=3\r\n");
    write("Domain-Data.txt", SortedRows);
    TMainForm &form = start();
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(ConcurrentConnectionCount, 8);
    EXPECT_TRUE(ShowSplashScreen);
}

TEST_F(MainWindowTest, WindowGeometryRules)
{
    std::string rows;
    for (int i = 0; i < 10; ++i)
        rows += "site" + std::to_string(i) + ".example\t" + std::to_string(i) + "\t0\t0\t0\r\n";
    write("Domain-Data.txt", rows);
    TMainForm &form = start();
    EXPECT_EQ(form.minimumSize(), QSize(630, 340));

    // No stored height: the outer height follows the ten rows.
    const int outer = form.frameGeometry().height();
    const int listTop = form.ListView1->mapTo(form.centralWidget(), QPoint()).y();
    const int buttonTop = form.AddWebSiteButton->mapTo(form.centralWidget(), QPoint()).y();
    const int nonClient = outer - form.centralWidget()->height() - form.statusBar()->height();
    EXPECT_EQ(outer, 12 * 18 + nonClient + listTop + (outer - buttonTop));
    EXPECT_EQ(MainWindowH, outer);

    // So many rows that the height stops at 80 % of the screen.
    for (int i = 0; i < 100; ++i)
        form.AddWebSite("more" + std::to_string(i) + ".example");
    form.FitHeightToRows();
    EXPECT_EQ(form.frameGeometry().height(), int(1024 * 0.8));
    // Moved up so that it still ends within the work area.
    EXPECT_LE(form.frameGeometry().y() + form.frameGeometry().height(), 1000 + 8);

    // A hundred engines leave the domain column its minimum.
    std::string engines;
    for (int i = 0; i < 100; ++i)
        engines += "E" + std::to_string(i) + ":http://e.example/?q=YOURDOMAIN.COM\r\n";
    write("ZVO-SearchEngines.txt", engines);
    ASSERT_TRUE(form.LoadSearchEngines());
    form.SetupListViewColumns();
    EXPECT_EQ(form.ListView1->columnWidth(0), 40);
}

TEST_F(MainWindowTest, LegendHintFollowsTheMouse)
{
    write("Domain-Data.txt", SortedRows);
    TMainForm &form = start();
    form.PaintBox1->setMinimumWidth(0);
    form.PaintBox1->resize(402, 16);
    form.PaintBox1MouseMove(10, 5);
    EXPECT_TRUE(form.PaintBox1->statusTip().endsWith(QStringLiteral(" 250 references")));
    form.PaintBox1MouseMove(399, 5);
    const QString last = form.PaintBox1->statusTip();
    EXPECT_TRUE(last.contains(QStringLiteral("999")));
    form.PaintBox1MouseMove(400, 5);
    EXPECT_EQ(form.PaintBox1->statusTip(), last);
}

TEST_F(MainWindowTest, UpdateTimerSkipsWhileBusyOrADialogExists)
{
    write("Domain-Data.txt", SortedRows);
    TMainForm &form = start();
    MainWindowX = -77;
    form.Busy = true;
    form.CheckForUpdatesTimerTimer();
    EXPECT_EQ(MainWindowX, -77);
    EXPECT_TRUE(form.CheckForUpdatesTimer->isActive());

    form.Busy = false;
    {
        QDialog hidden(&form);
        form.CheckForUpdatesTimerTimer();
        EXPECT_EQ(MainWindowX, -77);
    }
    // The scheduler itself stays quiet: no question, no update window.
    CheckForUpdatesInterval = "Never";
    form.CheckForUpdatesTimerTimer();
    EXPECT_EQ(MainWindowX, form.frameGeometry().x());
    EXPECT_TRUE(form.CheckForUpdatesTimer->isActive());
}

} // namespace

namespace {

TEST_F(MainWindowTest, OnlyTheDomainIsEditedInPlaceAndTheEditGoesThroughTheRules)
{
    write("Domain-Data.txt", SortedRows);
    TMainForm &form = start();
    QTreeWidget *list = form.ListView1;
    QTreeWidgetItem *middle = list->topLevelItem(1);
    list->setCurrentItem(middle, 2);
    list->editItem(middle, 2);
    EXPECT_EQ(list->viewport()->findChild<QLineEdit *>(), nullptr);

    list->editItem(middle, 0);
    auto *editor = list->viewport()->findChild<QLineEdit *>();
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("http://renamed.example"));
    QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(middle->text(0), QStringLiteral("renamed.example"));
    EXPECT_EQ(middle->text(1), QStringLiteral("0"));
    EXPECT_EQ(list->topLevelItem(0), middle);
}

TEST_F(MainWindowTest, StatusBarShowsTheHintUnderTheMouseUnlessBusy)
{
    write("Domain-Data.txt", SortedRows);
    TMainForm &form = start();
    QCursor::setPos(form.AddWebSiteButton->mapToGlobal(form.AddWebSiteButton->rect().center()));
    if (QApplication::widgetAt(QCursor::pos()) != form.AddWebSiteButton)
        GTEST_SKIP() << "the platform does not place the pointer";
    form.HintTimerTimer();
    EXPECT_EQ(form.statusBar()->currentMessage(), QStringLiteral("Add a web site to check its link popularity"));
    // A disabled control has its hint too.
    ASSERT_FALSE(form.RemoveSelectedWebSiteButton->isEnabled());
    QCursor::setPos(form.RemoveSelectedWebSiteButton->mapToGlobal(form.RemoveSelectedWebSiteButton->rect().center()));
    form.HintTimerTimer();
    EXPECT_EQ(form.statusBar()->currentMessage(), QStringLiteral("Remove the selected web site from the list"));
    form.Busy = true;
    QCursor::setPos(form.ListView1->viewport()->mapToGlobal(QPoint(5, 5)));
    form.HintTimerTimer();
    EXPECT_EQ(form.statusBar()->currentMessage(), QStringLiteral("Remove the selected web site from the list"));
    EXPECT_TRUE(form.HintTimer->isActive());
}

} // namespace
