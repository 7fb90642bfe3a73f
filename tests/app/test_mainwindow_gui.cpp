// The main window on its own: start-up and its refusals, the list file as it
// is read, sorted, edited and saved, colours, geometry and hints.

#include "app/Controls.h"
#include "app/SiteListView.h"
#include "foundation/MyOptions.h"
#include "foundation/MyUtilitiesFiles.h"
#include "foundation/MyUtilitiesUi.h"
#include "settings/FirstStartWizardUnit.h"
#include "tests/app/MainFormFixture.h"

#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QTextDocument>
#include <QToolTip>

#include <optional>

using namespace app;
using namespace foundation;
using namespace settings;

namespace {

using MainWindowTest = MainFormTest;

// A table that yields no engine would leave the list without its engine
// columns, and the close would write every row without its counts.
TEST_F(MainWindowTest, AMissingOrEngineLessTableEndsTheProgramWritingNothing)
{
    const struct
    {
        const char *name;
        std::optional<std::string> table;
        const char *says;
    } cases[] = {
        {"missing", std::nullopt, "does not exists"},
        {"empty", "", "holds no search engine"},
        {"no engine line", "; engines\r\nEngine 1: http://127.0.0.1/?q=YOURDOMAIN.COM\r\n\r\n",
         "holds no search engine"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        m_boxes.clear();
        QFile::remove(m_folder.file("ZVO-SearchEngines.txt"));
        if (c.table)
            write("ZVO-SearchEngines.txt", *c.table);
        write("Domain-Data.txt", SortedRows);
        const QDir folder(m_folder.path());
        const QStringList before = folder.entryList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
        const std::string options = read("Options.ini");

        TMainForm &form = start(false);
        ASSERT_EQ(m_boxes.requests().size(), 1u);
        EXPECT_EQ(m_boxes.requests()[0].text,
                  QStringLiteral("The file \"ZVO-SearchEngines.txt\" %1. Please re-install Zarvello.")
                      .arg(QLatin1String(c.says)));
        EXPECT_EQ(m_boxes.requests()[0].icon, shell::MessageIcon::Exclamation);
        EXPECT_FALSE(form.isVisible());
        EXPECT_FALSE(form.CheckForUpdatesTimer->isActive());
        // A close of what did start would write the list without counts.
        form.close();
        m_form.reset();
        EXPECT_EQ(folder.entryList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot), before);
        EXPECT_EQ(read("Domain-Data.txt"), SortedRows);
        EXPECT_EQ(read("Options.ini"), options);
    }
}

TEST_F(MainWindowTest, StartUpShowsTitleColumnsAndSortedRows)
{
    write("Domain-Data.txt", "big.example\t2,000,000\t1\t1\t1\r\n"
                             "short.example\t5\r\n" // written before two engines existed
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
    EXPECT_EQ(header->text(4), QStringLiteral("Engine 3"));
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
}

// A right-aligned caption wider than its column keeps its first letters and
// ends in an ellipsis: it is drawn exactly as some shortened caption is.
TEST(SiteListHeaderTest, ACaptionWiderThanItsColumnEndsInAnEllipsis)
{
    TSiteListView list;
    list.setColumnCount(2);
    list.headerItem()->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    list.setColumnWidth(0, 60);
    list.setColumnWidth(1, 78);
    list.resize(200, 80);
    list.show();
    const auto shown = [&list](const QString &caption) {
        list.headerItem()->setText(1, caption);
        return list.header()->grab().toImage();
    };
    const QString caption = QStringLiteral("Fake Engine 1 With A Long Name");
    const QImage whole = shown(caption);
    bool matched = false;
    for (qsizetype k = 1; k < caption.size() && !matched; ++k)
        matched = shown(caption.left(k) + QChar(0x2026)) == whole;
    EXPECT_TRUE(matched);
    // A caption that fits is left whole.
    EXPECT_NE(shown(QStringLiteral("Fake")), shown(QStringLiteral("Fak") + QChar(0x2026)));
}

// True when the cell's text fits the room the style leaves it, so that it is
// drawn without an ellipsis.
bool shownWhole(const QTreeWidget &list, int row, int column)
{
    QStyleOptionViewItem option;
    option.rect = list.visualRect(list.model()->index(row, column));
    option.font = list.font();
    option.fontMetrics = QFontMetrics(list.font());
    option.text = list.topLevelItem(row)->text(column);
    option.features = QStyleOptionViewItem::HasDisplay;
    if (column == 0) {
        option.features |= QStyleOptionViewItem::HasDecoration;
        option.decorationSize = QSize(16, 16);
    }
    const QRect room = list.style()->subElementRect(QStyle::SE_ItemViewItemText, &option, &list);
    const int margin = list.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &list) + 1;
    return option.fontMetrics.horizontalAdvance(option.text) <= room.width() - 2 * margin;
}

void expectEveryCellWhole(const QTreeWidget &list)
{
    for (int row = 0; row < list.topLevelItemCount(); ++row) {
        for (int column = 0; column < list.columnCount(); ++column)
            EXPECT_TRUE(shownWhole(list, row, column))
                << list.topLevelItem(row)->text(column).toStdString() << " in column " << column;
    }
}

TEST(SiteListColumnsTest, CountColumnsKeepTheirWidthsAndGrowForTheirWidestValue)
{
    TSiteListView list;
    list.setColumnCount(4);
    list.setHeaderLabels({QStringLiteral("Domain"), QStringLiteral("Total"), QStringLiteral("A"), QStringLiteral("B")});
    list.setCountColumnMinimumWidths({70, 78, 78});
    list.resize(400, 200);
    list.show();
    EXPECT_EQ(list.columnWidth(1), 70);
    EXPECT_EQ(list.columnWidth(3), 78);

    auto *row = new TSiteRow;
    row->setText(0, QStringLiteral("a.example"));
    row->setText(1, QStringLiteral("16,057,123"));
    row->setText(2, QStringLiteral("0"));
    row->setText(3, QStringLiteral("1,234,567,890"));
    list.addTopLevelItem(row);
    expectEveryCellWhole(list);
    EXPECT_EQ(list.columnWidth(2), 78);

    // A value written later, and a column dragged narrower than its values.
    row->setText(2, QStringLiteral("2,147,483,647,000"));
    list.header()->resizeSection(1, 10);
    expectEveryCellWhole(list);
    EXPECT_GE(list.columnWidth(1), 70);
}

// An engine's name that its column cuts short shows whole as a tooltip; one
// that fits has none.
TEST(SiteListHeaderTest, ACaptionCutShortShowsWholeAsItsTooltip)
{
    TSiteListView list;
    const QString longName = QStringLiteral("A Search Engine With A Long Name");
    list.setHeaderLabels({QStringLiteral("Domain"), QStringLiteral("Google"), longName});
    list.setColumnWidth(0, 60);
    list.setColumnWidth(1, 78);
    list.setColumnWidth(2, 78);
    list.resize(300, 80);
    list.show();
    QHeaderView *header = list.header();
    const auto tipOver = [header](int column) {
        const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                        header->height() / 2);
        QHelpEvent help(QEvent::ToolTip, at, header->viewport()->mapToGlobal(at));
        QApplication::sendEvent(header->viewport(), &help);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    EXPECT_EQ(tipOver(1), QString());
    EXPECT_EQ(tipOver(2), longName);
    QToolTip::hideText();
}

// The engine table comes by the update road: a name that looks like markup
// is shown as it stands, so an <img> in it reads no local file.
TEST(SiteListHeaderTest, ACaptionThatLooksLikeMarkupShowsAsItStands)
{
    TSiteListView list;
    const QString markup = QStringLiteral("<b>Engine</b> <img src=\"missing.png\"> with a long name");
    list.setHeaderLabels({QStringLiteral("Domain"), markup});
    list.setColumnWidth(0, 60);
    list.setColumnWidth(1, 78);
    list.resize(300, 80);
    list.show();
    QHeaderView *header = list.header();
    const QPoint at(header->sectionViewportPosition(1) + header->sectionSize(1) / 2, header->height() / 2);
    QHelpEvent help(QEvent::ToolTip, at, header->viewport()->mapToGlobal(at));
    QApplication::sendEvent(header->viewport(), &help);
    ASSERT_TRUE(QToolTip::isVisible());
    QTextDocument shown;
    shown.setHtml(QToolTip::text());
    EXPECT_EQ(shown.toPlainText().toStdString(), markup.toStdString());
    QToolTip::hideText();
}

TEST_F(MainWindowTest, CloseIsRefusedUnderACheckThenSavesTiesInTheirOrderAndTheSettings)
{
    const std::string ties = "zeta.example\t5\t5\t0\t0\r\n"
                             "alpha.example\t5\t0\t5\t0\r\n"
                             "mid.example\t5\t0\t0\t5\r\n"
                             "top.example\t6\t6\t0\t0\r\n";
    write("Domain-Data.txt", ties);
    QFile::remove(m_folder.file("Options.ini"));
    TMainForm &form = start();
    form.AddWebSite("new.example");
    form.SortSiteList();
    form.Busy = true;
    EXPECT_FALSE(form.close());
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(read("Domain-Data.txt"), ties);
    form.Busy = false;
    EXPECT_TRUE(form.close());
    EXPECT_EQ(read("Domain-Data.txt"), "new.example\t0\t0\t0\t0\r\n" + ties);

    const std::string ini = read("Options.ini");
    EXPECT_TRUE(ini.starts_with("[" + section().toStdString() + "]\r\n")) << ini;
    EXPECT_NE(ini.find("\r\nMainWindowState=Normal\r\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("\r\nMainWindowW=" + std::to_string(form.frameGeometry().width()) + "\r\n"), std::string::npos);
}

// A close whose save fails says which file and why, and No keeps the program
// open with nothing lost; once the user has made room, the next close saves.
// (A folder where the file should be stands in for a read-only folder, which
// the tests, run as root, cannot make.)
TEST_F(MainWindowTest, ACloseThatCannotSaveAsksBeforeLosingAnything)
{
    const QString list = m_folder.file("Domain-Data.txt");
    const QString options = m_folder.file("Options.ini");
    const struct
    {
        const char *name;
        std::vector<QString> blocked;
    } cases[] = {
        {"list", {list}},
        {"settings", {options}},
        {"both", {list, options}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        write("Domain-Data.txt", SortedRows);
        writeOptions("ShowSplashScreen=false\r\n");
        TMainForm &form = start();
        form.AddWebSite("new.example");
        form.SortSiteList();
        for (const QString &file : c.blocked)
            ASSERT_TRUE(QFile::remove(file) && QDir().mkdir(file));
        m_boxes.clear();
        m_boxes.script(shell::IDNO);
        EXPECT_FALSE(form.close());
        ASSERT_EQ(m_boxes.requests().size(), 1u);
        const shell::MessageBoxRequest &box = m_boxes.requests()[0];
        QString expected;
        for (const QString &file : c.blocked)
            expected += QStringLiteral("The file \"%1\" could not be saved (Is a directory).\r\n").arg(file);
        expected += QStringLiteral("\r\nIf you close Zarvello now, the changes since the last save are lost. "
                                   "Close Zarvello anyway?");
        EXPECT_EQ(box.text, expected);
        EXPECT_EQ(box.buttons, shell::MessageButtons::YesNo);
        EXPECT_EQ(box.icon, shell::MessageIcon::Exclamation);
        EXPECT_TRUE(form.isVisible() && form.IsStarted());
        EXPECT_TRUE(form.CheckForUpdatesTimer->isActive());

        // Room made: the close goes through without a word.
        for (const QString &file : c.blocked)
            ASSERT_TRUE(QDir().rmdir(file));
        m_boxes.clear();
        EXPECT_TRUE(form.close());
        EXPECT_TRUE(m_boxes.requests().empty());
        EXPECT_EQ(read("Domain-Data.txt"), "new.example\t0\t0\t0\t0\r\n" + SortedRows);
        EXPECT_NE(read("Options.ini").find("MainWindowState=Normal"), std::string::npos);
    }

    // Yes closes all the same.
    write("Domain-Data.txt", SortedRows);
    TMainForm &form = start();
    form.AddWebSite("lost.example");
    ASSERT_TRUE(QFile::remove(list) && QDir().mkdir(list));
    m_boxes.clear();
    m_boxes.script(shell::IDYES);
    EXPECT_TRUE(form.close());
    EXPECT_EQ(m_boxes.requests().size(), 1u);
    EXPECT_FALSE(form.IsStarted());
}

TEST_F(MainWindowTest, AnUnreadableListIsMovedAsideAndAFirstStartLeftWithExitEndsTheProgram)
{
    // A folder where the file should be cannot be read as a file.
    write("Domain-Data.txt.bad", "an older copy\r\n");
    ASSERT_TRUE(QDir(m_folder.path()).mkdir(QStringLiteral("Domain-Data.txt")));
    // The empty list leads to the first start, which is left with Exit.
    m_dialogs.drive<TFirstStartWizardForm>([](TFirstStartWizardForm &w) { w.ExitButton->click(); });
    TMainForm &form = start(false);
    EXPECT_EQ(m_dialogs.shown(), QStringList{QStringLiteral("settings::TFirstStartWizardForm")});
    EXPECT_EQ(form.ListView1->topLevelItemCount(), 0);
    EXPECT_FALSE(form.CheckForUpdatesTimer->isActive());
    EXPECT_TRUE(m_engine.requests().empty());
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

TEST_F(MainWindowTest, StartUpRemovesWhatInterruptedSavesLeftAndNothingElse)
{
    write("Domain-Data.txt", SortedRows);
    const char *leftovers[] = {".Domain-Data.txt.0123456789ab~", ".Options.ini.ffffffffffff~"};
    const char *others[] = {".Domain-Data.txt.bak~", "Domain-Data.txt~", "Domain-Data.0123456789ab~"};
    for (const char *name : leftovers)
        write(name, "half a list\r\n");
    for (const char *name : others)
        write(name, "the user's\r\n");
    start();
    for (const char *name : leftovers)
        EXPECT_FALSE(QFile::exists(m_folder.file(QString::fromLatin1(name)))) << name;
    for (const char *name : others)
        EXPECT_EQ(read(name), "the user's\r\n") << name;
    EXPECT_EQ(m_form->ListView1->topLevelItemCount(), 3);
}

// QWidget's destructor hides a shown window and deletes its controls after
// the form's own part is gone. Whatever the controls call back on the way
// must not reach the form any more: a row left to lay out asks for colours,
// an open in-place editor hands in its text, a selection goes.
TEST_F(MainWindowTest, AShownWindowTakenDownAsksTheGoneFormNothing)
{
    write("Domain-Data.txt", SortedRows);
    TMainForm &form = start();
    ASSERT_TRUE(form.isVisible());
    // The form's own part is gone once it has left the main-form slot.
    std::vector<std::string> tooLate;
    const auto gone = [&tooLate](const char *what) {
        if (GetMainForm())
            return false;
        tooLate.emplace_back(what);
        return true;
    };
    form.ListView1->OnCustomDraw = [previous = form.ListView1->OnCustomDraw, gone](int row, int column) {
        return gone("colours") ? std::nullopt : previous(row, column);
    };
    form.ListView1->OnEdited = [previous = form.ListView1->OnEdited, gone](QTreeWidgetItem *item, std::string &text) {
        if (!gone("edit"))
            previous(item, text);
    };
    form.PaintBox1->OnPaint = [previous = form.PaintBox1->OnPaint, gone](QPainter &painter) {
        if (!gone("legend"))
            previous(painter);
    };
    QObject::connect(form.ListView1, &QTreeWidget::itemSelectionChanged, &form, [gone] { gone("selection"); });
    QObject::connect(form.ListView1, &QTreeWidget::currentItemChanged, &form, [gone] { gone("current row"); });

    form.activateWindow();
    select(1);
    form.ListView1->setFocus();
    form.ListView1->editItem(form.ListView1->topLevelItem(1), 0);
    ASSERT_NE(form.ListView1->viewport()->findChild<QLineEdit *>(), nullptr);
    // A row added just before leaves the list a layout to do when it hides.
    form.ListView1->addTopLevelItem(new QTreeWidgetItem(QStringList{QStringLiteral("late.example")}));
    m_form.reset();
    EXPECT_TRUE(tooLate.empty()) << tooLate.front();
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
}

TEST_F(MainWindowTest, OnlyTheDomainIsEditedAndOnlyAnotherValidSiteResetsTheCounts)
{
    write("Domain-Data.txt", SortedRows);
    TMainForm &form = start();
    QTreeWidget *list = form.ListView1;
    QTreeWidgetItem *big = list->topLevelItem(2);
    for (const char *unchanged : {"big.example", "nonsense"}) {
        std::string text = unchanged;
        form.ListView1Edited(big, text);
        EXPECT_EQ(text, "big.example");
        EXPECT_EQ(big->text(1), QStringLiteral("2,000,000"));
    }

    list->setCurrentItem(big, 2);
    list->editItem(big, 2);
    EXPECT_EQ(list->viewport()->findChild<QLineEdit *>(), nullptr);
    list->editItem(big, 0);
    auto *editor = list->viewport()->findChild<QLineEdit *>();
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("http://www.other.example"));
    QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(big->text(0), QStringLiteral("www.other.example"));
    for (int c = 1; c < 5; ++c)
        EXPECT_EQ(big->text(c), QStringLiteral("0")) << c;
    // Sorted again: the reset row now has the smallest total.
    EXPECT_EQ(list->topLevelItem(0), big);
}

TEST_F(MainWindowTest, RowsAndTheCellBeingWrittenTakeTheirColours)
{
    write("Domain-Data.txt", "a.example\t249\t249\t0\t0\r\n"
                             "b.example\t250\t250\t0\t0\r\n"
                             "c.example\t999,999,998\t0\t0\t0\r\n"
                             "d.example\t999,999,999\t0\t0\t0\r\n");
    TMainForm &form = start();
    EXPECT_EQ(form.ListView1CustomDrawItem(0), ColorScaleColors[0]);
    EXPECT_EQ(form.ListView1CustomDrawSubItem(2, 3), ColorScaleColors[9]);
    EXPECT_EQ(form.ListView1CustomDrawItem(3), std::nullopt);
    form.HighlightRow = 1;
    form.HighlightColumn = 3;
    EXPECT_EQ(form.ListView1CustomDrawItem(1), HighlightColor);
    EXPECT_EQ(form.ListView1CustomDrawSubItem(1, 3), HighlightColor);
    EXPECT_EQ(form.ListView1CustomDrawSubItem(1, 2), ColorScaleColors[1]);
    EXPECT_EQ(form.ListView1CustomDrawSubItem(0, 3), ColorScaleColors[0]);
}

TEST_F(MainWindowTest, GarbageInTheListAndTheSettingsStartsWithoutFailing)
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
    // A bad number in the settings falls back to its own default; the good
    // keys are kept.
    writeOptions("MainWindowX=99999999999\r\nConcurrentConnectionCount=3\r\nShowSplashScreen=false\r\n"
                 "CheckForUpdatesInterval=Never\r\n");
    TMainForm &form = start();
    EXPECT_EQ(ConcurrentConnectionCount, 3);
    EXPECT_FALSE(ShowSplashScreen);
    EXPECT_EQ(CheckForUpdatesInterval, "Never");
    ASSERT_GE(form.ListView1->topLevelItemCount(), 3003);
    EXPECT_EQ(form.RowCaption(0), "minus.example");
    EXPECT_EQ(form.RowCaption(form.ListView1->topLevelItemCount() - 1), "huge.example");
    EXPECT_TRUE(form.close());
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
        engines += "E" + std::to_string(i) + ":" + m_engine.queryUrl(i + 1) + "\r\n";
    write("ZVO-SearchEngines.txt", engines);
    ASSERT_TRUE(form.LoadSearchEngines());
    form.SetupListViewColumns();
    EXPECT_EQ(form.ListView1->columnWidth(0), 40);
}

TEST_F(MainWindowTest, SevenEnginesAndTenMillionTotalsShowEveryCountAndDomainWhole)
{
    setEngines(7);
    write("Domain-Data.txt", "www.a-rather-long-company-name.example.com\t16,057,123\t1,234,567\t8,765,432\t12,345"
                             "\t3,000,000\t99,999\t2,000,000\t1,000,000\r\n"
                             "short.example\t1,234\t1\t2\t3\t4\t5\t6\t7\r\n");
    TMainForm &form = start();
    QTreeWidget *list = form.ListView1;
    expectEveryCellWhole(*list);
    EXPECT_GE(list->columnWidth(1), 70);
    for (int column = 2; column < list->columnCount(); ++column)
        EXPECT_GE(list->columnWidth(column), 78);

    // A result that makes the total and its engine's count wider.
    form.SetLinkPopularityResult("short.example", 7, 2147483647);
    EXPECT_EQ(form.RowSubItem(0, 7), "2,147,483,647");
    expectEveryCellWhole(*list);
}

TEST_F(MainWindowTest, HintsOfControlsAndLegendStepsReachTheStatusBarUnlessBusy)
{
    write("Domain-Data.txt", SortedRows);
    TMainForm &form = start();
    const auto hintAt = [&](QWidget *w, QPoint at) {
        QCursor::setPos(w->mapToGlobal(at));
        QTest::mouseMove(w, at);
        form.HintTimerTimer();
        return form.statusBar()->currentMessage();
    };
    QPushButton *add = form.AddWebSiteButton;
    QCursor::setPos(add->mapToGlobal(add->rect().center()));
    if (QApplication::widgetAt(QCursor::pos()) != add)
        GTEST_SKIP() << "the platform does not place the pointer";
    EXPECT_EQ(hintAt(add, add->rect().center()), QStringLiteral("Add a web site to check its link popularity"));
    // A disabled control has its hint too.
    QPushButton *remove = form.RemoveSelectedWebSiteButton;
    ASSERT_FALSE(remove->isEnabled());
    EXPECT_EQ(hintAt(remove, remove->rect().center()), QStringLiteral("Remove the selected web site from the list"));
    EXPECT_TRUE(hintAt(form.PaintBox1, QPoint(2, form.PaintBox1->height() / 2)).endsWith(" 250 references"));
    form.Busy = true;
    EXPECT_TRUE(hintAt(form.ListView1->viewport(), QPoint(5, 5)).endsWith(" 250 references"));
    EXPECT_TRUE(form.HintTimer->isActive());

    // Past the last step of the legend its last hint stays.
    form.PaintBox1->setMinimumWidth(0);
    form.PaintBox1->resize(402, 16);
    form.PaintBox1MouseMove(399, 5);
    const QString last = form.PaintBox1->statusTip();
    EXPECT_TRUE(last.endsWith(QStringLiteral(" 999,999,999 references")));
    form.PaintBox1MouseMove(400, 5);
    EXPECT_EQ(form.PaintBox1->statusTip(), last);
}

} // namespace
