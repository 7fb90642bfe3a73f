// The search panel in a preview, offscreen: a search typed and entered,
// the steps through the occurrences over pages made on the way, cancels,
// status texts, and the settings dialog.

#include "report/content/ContentRegistration.h"
#include "report/content/drawcommands/DrawText.h"
#include "report/model/ModelRegistration.h"
#include "report/model/base/Messages.h"
#include "report/model/base/Units.h"
#include "report/model/pages/DeviceRegistry.h"
#include "report/model/pages/Publisher.h"
#include "report/model/production/Producer.h"
#include "report/model/production/SearchErrors.h"
#include "report/model/production/TextSearchSettings.h"
#include "report/model/storage/IniStorage.h"
#include "report/output/forms/TextSearchSettingsDialog.h"
#include "report/output/preview/Preview.h"
#include "report/output/preview/PreviewPlugIn.h"
#include "report/output/preview/SearchPreview.h"
#include "report/output/screen/ScreenDevice.h"
#include "report/output/screen/Viewer.h"
#include "report/output/search/CustomSearchEngine.h"
#include "report/output/search/SearchEngineRegistry.h"
#include "report/output/search/SearchRegistration.h"

#include "tests/support/Contrast.h"
#include "tests/support/report/PageFakes.h"
#include "tests/support/report/SamplePage.h"

#include "platform/controls/EventPump.h"
#include "platform/registry/Registry.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QToolButton>

using namespace report;

namespace {

// Five pages; "cat" once on page 1, twice on page 3 and once on page 5.
class SearchPreviewTest : public ::testing::Test
{
protected:
    SearchPreviewTest()
    {
        ppModelLayerInit();
        ppContentLayerInit();
        ppRegisterDevice(&ppDeviceClass<TppScreenDevice>());
        ppRegisterTextSearch();
        TppPreviewPlugIn::RegisterSearchPreview<TppSearchPreview>();
        reporttest::SetA4Portrait(*producer->PrinterSetup());
        producer->TextSearchSettings()->SetVisible(true);
        reporttest::ProducerScript script;
        script.pageCount = 5;
        generator = std::make_unique<reporttest::StandInProducer>(producer->Publisher(), script);
        generator->BeforeDeliver = [this](TppPage &aPage) {
            reporttest::SetA4Portrait(*aPage.PrinterSetup());
            const int no = aPage.AbsolutePageNo();
            auto *text = new TppDrawText();
            text->SetText(no == 1 ? "the cat sat" : no == 3 ? "cat and cat" : no == 5 ? "my cat" : "a dog");
            text->SetLeft(20000);
            text->SetTop(30000);
            text->SetWidth(80000);
            text->SetHeight(5000);
            aPage.AddDrawCommand(text);
            if (WhileGenerating)
                WhileGenerating(no);
        };
        panel0->setObjectName(QStringLiteral("Panel0"));
        statusBar.addWidget(panel0);
    }
    ~SearchPreviewTest() override
    {
        preview.reset();
        host.reset();
        generator.reset();
        producer.reset();
        TppPreviewPlugIn::UnRegisterSearchPreview();
        ppUnRegisterTextSearch();
        ppUnRegisterDevice(&ppDeviceClass<TppScreenDevice>());
        ppContentLayerFinalize();
    }

    TppSearchPreview &open(bool aCachePages)
    {
        producer->Publisher()->SetCachePages(aCachePages);
        host = std::make_unique<QWidget>();
        host->resize(700, 600);
        preview = TppPreviewPlugIn::CreatePreview(host.get());
        preview->SetStatusBar(&statusBar);
        preview->Viewer()->SetReport(producer.get());
        preview->BeforePreview();
        host->show();
        producer->PrintToDevices();
        return *static_cast<TppSearchPreview *>(preview->SearchPreview());
    }

    void enter(TppSearchPreview &aSearch, const QString &aText)
    {
        aSearch.TextBox()->setText(aText);
        aSearch.TextBoxEnter();
    }

    QString panel1() const { return statusBar.findChild<QLabel *>(QStringLiteral("Panel1"))->text(); }

    ScopedScreenPixelsPerInch ppi{96};
    reporttest::StandInCommandClasses commands;
    std::unique_ptr<TppProducer> producer = std::make_unique<TppProducer>();
    std::unique_ptr<reporttest::StandInProducer> generator;
    std::function<void(int)> WhileGenerating;
    QStatusBar statusBar;
    QLabel *panel0 = new QLabel(&statusBar);
    std::unique_ptr<QWidget> host;
    std::unique_ptr<TppCustomPreview> preview;
};

} // namespace

TEST_F(SearchPreviewTest, EnterFindsEveryCachedHitAndHighlightsTheFirst)
{
    TppSearchPreview &search = open(true);
    ASSERT_TRUE(search.SearchPanelVisible());
    EXPECT_TRUE(search.SearchPanelInOutlinePanel());
    EXPECT_TRUE(search.FindButton()->isChecked());
    preview->Viewer()->LastPage();
    preview->Viewer()->FirstPage();
    const QImage plain = preview->Viewer()->ScreenDevice()->PageBitmap();

    search.TextBox()->setText("cat");
    QKeyEvent enterKey(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    EXPECT_TRUE(QCoreApplication::sendEvent(search.TextBox(), &enterKey));
    EXPECT_TRUE(panel1().startsWith("Found 1 of 4          Found Text From Page 1")) << panel1().toStdString();
    EXPECT_EQ(preview->Viewer()->AbsolutePageNo(), 1);
    EXPECT_EQ(search.SearchEngine()->Highlights().size(), 1u);
    EXPECT_NE(preview->Viewer()->ScreenDevice()->PageBitmap(), plain);
    EXPECT_FALSE(search.PriorButton()->isEnabled());
    EXPECT_TRUE(search.NextButton()->isEnabled());
    EXPECT_EQ(search.DoneButton()->text(), "Done");
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    // Stepping: onto page 3, to the end, and Next there does nothing.
    search.PerformSearchAction(ppSearchAction::Next);
    EXPECT_EQ(preview->Viewer()->AbsolutePageNo(), 3);
    search.PerformSearchAction(ppSearchAction::Last);
    EXPECT_EQ(preview->Viewer()->AbsolutePageNo(), 5);
    EXPECT_TRUE(panel1().startsWith("Found 4 of 4"));
    EXPECT_FALSE(search.NextButton()->isEnabled());
    search.PerformSearchAction(ppSearchAction::Next);
    EXPECT_EQ(search.CurrentOccurrence(), 3);

    // The options go into the status; Done clears the search and the page.
    search.OptionClick(search.WholeWordItem());
    enter(search, "cat");
    EXPECT_TRUE(panel1().endsWith("          Whole Word          Found Text From Page 1")) << panel1().toStdString();
    search.DoneButton()->click();
    EXPECT_EQ(panel1(), QString());
    EXPECT_TRUE(search.SearchEngine()->Highlights().empty());
    EXPECT_FALSE(search.DoneButton()->isEnabled());
}

TEST_F(SearchPreviewTest, SearchesStartOnTheShownPageAndNextGeneratesThePagesAhead)
{
    TppSearchPreview &search = open(false);
    preview->GotoPage(3);
    search.OptionClick(search.CurrentPageItem());
    enter(search, "cat");
    EXPECT_TRUE(panel1().startsWith("Found 1 of 2...more..."));
    EXPECT_TRUE(panel1().endsWith("Found Text From Page 3")) << panel1().toStdString();
    EXPECT_EQ(search.FirstSearchPage(), 3);

    // Page 4 and 5 are not made yet: Next goes on there.
    const int made = generator->PagesMade;
    search.PerformSearchAction(ppSearchAction::Next);
    search.PerformSearchAction(ppSearchAction::Next);
    EXPECT_EQ(preview->Viewer()->AbsolutePageNo(), 5);
    EXPECT_GT(generator->PagesMade, made);
    EXPECT_TRUE(panel1().startsWith("Found 3 of 3          ")) << panel1().toStdString();
    EXPECT_EQ(search.SearchEngine()->Highlights().size(), 1u);
}

TEST_F(SearchPreviewTest, HidingThePanelMidSearchCancelsItAndAFailedSearchLeavesNothingBusy)
{
    TppSearchPreview &search = open(false);
    WhileGenerating = [&](int aPageNo) {
        if (aPageNo == 3) {
            EXPECT_EQ(search.DoneButton()->text(), "Cancel");
            EXPECT_TRUE(search.DoneButton()->isEnabled());
            search.ToggleSearchPanel();
        }
    };
    enter(search, "my");
    EXPECT_EQ(panel1(), "Text Search Cancelled");
    EXPECT_FALSE(search.SearchPanelVisible());
    EXPECT_FALSE(search.FindButton()->isChecked());
    EXPECT_EQ(search.FindButton()->toolTip(), "Show the Find Text Toolbar");
    EXPECT_FALSE(search.IsSearching());
    EXPECT_EQ(search.DoneButton()->text(), "Done");

    // A page that cannot be made ends the search; the next one runs.
    search.ToggleSearchPanel();
    WhileGenerating = [](int aPageNo) {
        if (aPageNo == 4)
            throw std::runtime_error("no paper");
    };
    EXPECT_THROW(enter(search, "my"), std::runtime_error);
    EXPECT_FALSE(search.IsSearching());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    WhileGenerating = nullptr;
    enter(search, "my");
    EXPECT_EQ(preview->Viewer()->AbsolutePageNo(), 5);
    EXPECT_TRUE(panel1().startsWith("Found 1 of 1")) << panel1().toStdString();
}

TEST_F(SearchPreviewTest, ClosingThePreviewMidSearchLeavesNoBusyCursor)
{
    TppSearchPreview &search = open(false);
    WhileGenerating = [&](int aPageNo) {
        if (aPageNo == 3 && preview) {
            preview.reset();
            host.reset();
        }
    };
    search.TextBox()->setText("my");
    search.TextBoxEnter();
    EXPECT_EQ(preview, nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(SearchPreviewTest, AnEngineForgetsSettingsThatGo)
{
    const std::unique_ptr<TppCustomSearchEngine> engine =
        TppSearchEngineRegistry::GetEngineClass("Full Search")->Create(nullptr);
    auto settings = std::make_unique<TppTextSearchSettings>();
    settings->SetCaseSensitive(true);
    engine->SetTextSearchSettings(settings.get());
    settings.reset();
    EXPECT_EQ(engine->TextSearchSettings(), nullptr);
    EXPECT_FALSE(engine->CaseSensitive());
}

TEST_F(SearchPreviewTest, APageMadeAgainWithOtherCommandsShowsTheErrorAndTheNextSearchRuns)
{
    producer->TextSearchSettings()->SetShowAll(true);
    TppSearchPreview &search = open(false);
    enter(search, "cat");
    EXPECT_TRUE(panel1().startsWith("Found 1...more...          Show All")) << panel1().toStdString();
    generator->Script.commandsPerPage = 0;
    preview->GotoPage(2);
    preview->GotoPage(1);
    EXPECT_EQ(panel1(), "TppTextSearchEngine.CreateEntirePageHighlights: The draw command info list is out of "
                        "sync with the current viewer's page.");
    enter(search, "cat");
    EXPECT_TRUE(panel1().startsWith("Found 1...more...")) << panel1().toStdString();
    EXPECT_EQ(search.SearchEngine()->Highlights().size(), 1u);
}

TEST_F(SearchPreviewTest, ThePanelSitsOnTopOfTheOutlineOrInARowOfAToolbar)
{
    TppSearchPreview &search = open(true);
    auto &standard = static_cast<TppPreview &>(*preview);
    QWidget *panel = search.SearchPanel();
    ASSERT_EQ(panel->parentWidget(), standard.OutlinePanel());
    EXPECT_EQ(panel->geometry().top(), 0);
    EXPECT_EQ(panel->height(), 78);
    EXPECT_EQ(search.TextBox()->pos(), QPoint(5, 5));
    EXPECT_EQ(search.FirstButton()->y(), 5 + search.TextBox()->height() + 2);
    EXPECT_EQ(search.NextButton()->x(), search.PriorButton()->geometry().right() + 1 + 10);
    EXPECT_EQ(search.DoneButton()->x(), search.FindTextButton()->geometry().right() + 1 + 6);
    EXPECT_EQ(search.DoneButton()->y(), search.LastButton()->geometry().bottom() + 1 + 2);
    // The lowered inner bevel: shadow along the top and left edges, light
    // along the bottom and right ones.
    const QImage bevel = panel->grab().toImage();
    const auto grey = [&](int x, int y) { return qGray(bevel.pixel(x, y)); };
    const int w = bevel.width();
    const int h = bevel.height();
    EXPECT_LT(grey(w / 2, 0), grey(w / 2, 1));
    EXPECT_LT(grey(0, h / 2), grey(1, h / 2));
    EXPECT_GT(grey(w / 2, h - 1), grey(w / 2, 0));
    EXPECT_GT(grey(w - 1, h / 2), grey(0, h / 2));

    QToolButton *last = standard.ToolButton(ppPreviewAction::LastPage);
    search.PlaceInToolbar(last);
    EXPECT_EQ(panel->parentWidget(), last->parentWidget());
    EXPECT_FALSE(search.SearchPanelInOutlinePanel());
    EXPECT_EQ(panel->geometry(),
              QRect(last->geometry().right() + 1, panel->y(), search.DoneButton()->geometry().right() + 1, 32));
    EXPECT_EQ(search.FirstButton()->pos(), QPoint(search.TextBox()->geometry().right() + 1 + 5, 2));
    const QImage flat = panel->grab().toImage();
    EXPECT_EQ(flat.pixel(flat.width() / 2, 0), flat.pixel(flat.width() / 2, 1));
}

TEST_F(SearchPreviewTest, SearchOnStartShowsTheFirstHitAndASimpleStatusBarIsRefused)
{
    producer->TextSearchSettings()->SetDefaultString("cat");
    producer->TextSearchSettings()->SetSearchOnStart(true);
    TppSearchPreview &search = open(false);
    EXPECT_EQ(search.SearchEngine()->OccurrenceCount(), 0);
    // The search waits for the first page's job to end.
    controls::processEventsFor(2000, [&] { return search.CurrentOccurrence() == 0; });
    EXPECT_EQ(search.TextBox()->text(), "cat");
    EXPECT_TRUE(panel1().startsWith("Found 1 of 4          Found Text From Page 1")) << panel1().toStdString();
    EXPECT_EQ(search.SearchEngine()->Highlights().size(), 1u);
    preview.reset();

    statusBar.setProperty("SimplePanel", true);
    try {
        open(false);
        ADD_FAILURE() << "a simple status bar was taken";
    } catch (const ESearchError &error) {
        EXPECT_EQ(error.Message(), "TppCustomSearchPreview.StatusChange: Must have a non SimplePanel status bar to "
                                   "support text search.");
    }
}

TEST(TextSearchSettingsDialog, OkHandsTheValuesToTheReportAndTheDialogKeepsItsPlace)
{
    QTemporaryDir dir;
    registry::ScopedStoreFilePath store(dir.filePath("registry.ini").toStdString());
    ppIniStorageInit();
    TppProducer report;
    report.TextSearchSettings()->SetDefaultString("dog");
    report.TextSearchSettings()->SetSearchOnStart(true);
    {
        TppTextSearchSettingsDialog dialog;
        dialog.SetReport(&report);
        dialog.show();
        EXPECT_EQ(dialog.windowTitle(), "Text Search Settings");
        EXPECT_EQ(dialog.edtSearchString()->text(), "dog");
        EXPECT_TRUE(dialog.cbxShowSearchToolbar()->isChecked());
        dialog.cbxEnabled()->setChecked(false);
        EXPECT_FALSE(dialog.edtSearchString()->isEnabled());
        dialog.cbxEnabled()->setChecked(true);
        dialog.edtSearchString()->setText("cat");
        dialog.cbxWholeWord()->setChecked(true);
        dialog.SetStartingPageIndex(1);
        dialog.resize(300, 10);
        dialog.move(-5000, -5000);
        dialog.btnOK()->click();
    }
    const TppTextSearchSettings &settings = *report.TextSearchSettings();
    EXPECT_EQ(settings.DefaultString(), "cat");
    EXPECT_TRUE(settings.WholeWord());
    EXPECT_TRUE(settings.SearchFromCurrentPage());
    EXPECT_FALSE(settings.SearchOnStart());
    {
        TppTextSearchSettingsDialog dialog;
        dialog.SetReport(&report);
        dialog.show();
        EXPECT_EQ(dialog.size(), QSize(300, 327));
        EXPECT_TRUE(QGuiApplication::primaryScreen()->availableGeometry().intersects(dialog.frameGeometry()));
        dialog.cbxWholeWord()->setChecked(false);
        dialog.btnCancel()->click();
    }
    EXPECT_TRUE(settings.WholeWord());
    ppIniStorageFinalize();
}

namespace {

// A 14-point application font: in both places the search panel holds every
// control whole, and the find and done buttons hold "Find Text", "Done" and
// "Cancel".
TEST_F(SearchPreviewTest, UnderA14PointFontThePanelHoldsItsControlsAndCaptions)
{
    const QFont before = QApplication::font();
    QFont large = before;
    large.setPointSize(14);
    QApplication::setFont(large);
    TppSearchPreview &search = open(true);
    auto &standard = static_cast<TppPreview &>(*preview);
    QWidget *panel = search.SearchPanel();
    const auto holdsAll = [&](const char *aPlace) {
        for (QWidget *control : panel->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
            if (!control->isHidden() && !qobject_cast<QMenu *>(control)) {
                EXPECT_TRUE(panel->rect().contains(control->geometry()))
                    << aPlace << " " << control->metaObject()->className();
            }
        QPushButton *probe = search.DoneButton();
        const QString shown = probe->text();
        for (const QString &caption : {ppLoadStr(1046), ppLoadStr(5)}) {
            probe->setText(caption);
            EXPECT_TRUE(probe->size().expandedTo(probe->sizeHint()) == probe->size()) << aPlace;
        }
        probe->setText(shown);
        EXPECT_TRUE(search.FindTextButton()->size().expandedTo(search.FindTextButton()->sizeHint()) ==
                    search.FindTextButton()->size())
            << aPlace;
    };
    ASSERT_EQ(panel->parentWidget(), standard.OutlinePanel());
    holdsAll("beside the outline");
    search.PlaceInToolbar(standard.ToolButton(ppPreviewAction::LastPage));
    holdsAll("in the toolbar");
    QApplication::setFont(before);
}

} // namespace

namespace {

// Under a dark desktop palette the navigation glyphs read on the toolbar.
TEST_F(SearchPreviewTest, UnderADarkPaletteTheNavigationGlyphsRead)
{
    const QPalette before = QApplication::palette();
    QPalette dark(QColor(0x35, 0x35, 0x35));
    dark.setColor(QPalette::WindowText, QColor(0xEE, 0xEE, 0xEE));
    dark.setColor(QPalette::ButtonText, QColor(0xEE, 0xEE, 0xEE));
    QApplication::setPalette(dark);
    TppSearchPreview &search = open(true);
    auto &standard = static_cast<TppPreview &>(*preview);
    const QRgb face = dark.color(QPalette::Button).rgb();
    for (QAbstractButton *button : {static_cast<QAbstractButton *>(standard.ToolButton(ppPreviewAction::LastPage)),
                                    static_cast<QAbstractButton *>(search.FindButton())}) {
        const QImage glyph = button->icon().pixmap(16, 16).toImage();
        double best = 1;
        for (int y = 0; y < glyph.height(); ++y)
            for (int x = 0; x < glyph.width(); ++x)
                if (qAlpha(glyph.pixel(x, y)) == 255)
                    best = std::max(best, zvotest::contrast(glyph.pixel(x, y), face));
        EXPECT_GE(best, 4.5) << button->objectName().toStdString();
    }
    QApplication::setPalette(before);
}

// The best contrast a glyph's opaque pixels have on a face.
double glyphContrast(const QAbstractButton &aButton, QRgb aFace)
{
    const QImage glyph = aButton.icon().pixmap(16, 16).toImage();
    double best = 1;
    for (int y = 0; y < glyph.height(); ++y)
        for (int x = 0; x < glyph.width(); ++x)
            if (qAlpha(glyph.pixel(x, y)) == 255)
                best = std::max(best, zvotest::contrast(glyph.pixel(x, y), aFace));
    return best;
}

// The desktop turns dark while the preview shows, and light again: the
// glyphs are drawn again each time in a shade that reads on the new face.
TEST_F(SearchPreviewTest, ThePaletteTurnedDarkWhileThePreviewShowsKeepsTheGlyphsReadable)
{
    const QPalette before = QApplication::palette();
    QPalette light(QColor(0xEF, 0xEF, 0xEF));
    light.setColor(QPalette::WindowText, Qt::black);
    light.setColor(QPalette::ButtonText, Qt::black);
    QApplication::setPalette(light);
    TppSearchPreview &search = open(true);
    auto &standard = static_cast<TppPreview &>(*preview);
    const QAbstractButton *buttons[] = {standard.ToolButton(ppPreviewAction::LastPage),
                                        standard.ToolButton(ppPreviewAction::Print), search.FindButton(),
                                        search.NextButton()};
    QPalette dark(QColor(0x35, 0x35, 0x35));
    dark.setColor(QPalette::WindowText, QColor(0xEE, 0xEE, 0xEE));
    dark.setColor(QPalette::ButtonText, QColor(0xEE, 0xEE, 0xEE));
    for (const QPalette &palette : {dark, light}) {
        QApplication::setPalette(palette);
        QCoreApplication::processEvents();
        const QRgb face = palette.color(QPalette::Button).rgb();
        for (const QAbstractButton *button : buttons)
            EXPECT_GE(glyphContrast(*button, face), 4.5)
                << button->toolTip().toStdString() << " on " << std::hex << face;
    }
    QApplication::setPalette(before);
}

} // namespace
