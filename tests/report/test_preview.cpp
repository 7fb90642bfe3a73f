// The preview: its plug-in registry, the toolbar following the viewer, the
// keys and actions, the outline rules, and the preview window a report
// prints to on the screen, offscreen.

#include "report/content/ContentRegistration.h"
#include "report/model/ModelRegistration.h"
#include "report/model/base/Exceptions.h"
#include "report/model/base/Messages.h"
#include "report/model/base/Units.h"
#include "report/model/forms/FormClassRegistry.h"
#include "report/model/objects/Descriptors.h"
#include "report/model/outline/OutlineDrawCommand.h"
#include "report/model/outline/OutlineNode.h"
#include "report/model/pages/DeviceRegistry.h"
#include "report/model/pages/Page.h"
#include "report/model/production/PreviewFormSettings.h"
#include "report/model/production/Producer.h"
#include "report/model/production/TextSearchSettings.h"
#include "report/output/forms/PrintPreview.h"
#include "report/output/preview/CustomSearchPreview.h"
#include "report/output/preview/OutlineViewer.h"
#include "report/output/preview/OutlineViewerPanel.h"
#include "report/output/preview/Preview.h"
#include "report/output/preview/PreviewIcons.h"
#include "report/output/preview/PreviewPlugIn.h"
#include "report/output/screen/ScreenDevice.h"
#include "report/output/screen/Viewer.h"

#include "tests/support/report/PageFakes.h"
#include "tests/support/report/ReportFakes.h"
#include "tests/support/report/SamplePage.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/controls/EventPump.h"
#include "platform/shell/MessageBox.h"
#include "platform/shell/Modal.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>

using namespace report;

namespace {

// A report that says, through its descriptor, whether it has an outline.
class OutlineReport : public TppProducer
{
    ZVO_CLASS(OutlineReport)
public:
    using TppProducer::TppProducer;
    bool Exists = false;
    bool Suppress = false;
};

const classes::TMetaClass &OutlineReport::StaticClass()
{
    static const classes::TMetaClass meta = classes::MakeClass<OutlineReport, TppProducer>("OutlineReport");
    return meta;
}

class TraOutlineReportRTTI : public TraRTTI
{
public:
    TraOutlineReportRTTI()
        : TraRTTI(nullptr)
    {}
    const classes::TMetaClass &RefClass() const override { return OutlineReport::StaticClass(); }
    bool GetPropRec(const classes::TMetaClass &aClass, const QString &aName, TraPropRec &aRec) const override
    {
        if (aName != QLatin1String("OutlineExists") && aName != QLatin1String("SuppressOutline"))
            return TraRTTI::GetPropRec(aClass, aName, aRec);
        InitPropRec(aName, TraDataType::daBoolean, true, aRec);
        return true;
    }
    bool GetPropValue(classes::TObject *aObject, const QString &aName, const TraValuePointer &aValue) const override
    {
        auto *report = static_cast<OutlineReport *>(aObject);
        if (aName == QLatin1String("OutlineExists"))
            raWriteValue(aValue, report->Exists);
        else if (aName == QLatin1String("SuppressOutline"))
            raWriteValue(aValue, report->Suppress);
        else
            return TraRTTI::GetPropValue(aObject, aName, aValue);
        return true;
    }
};

class PreviewTest : public ::testing::Test
{
protected:
    PreviewTest()
    {
        ppModelLayerInit();
        ppContentLayerInit();
        ppRegisterDevice(&ppDeviceClass<TppScreenDevice>());
        raRegisterRTTI(descriptor);
        reporttest::SetA4Portrait(*producer->PrinterSetup());
        reporttest::ProducerScript script;
        script.pageCount = 3;
        engine = std::make_unique<reporttest::StandInProducer>(producer->Publisher(), script);
        engine->BeforeDeliver = [this](TppPage &aPage) {
            reporttest::SetA4Portrait(*aPage.PrinterSetup());
            if (WhileGenerating)
                WhileGenerating(aPage);
        };
    }
    ~PreviewTest() override
    {
        preview.reset();
        host.reset();
        engine.reset();
        producer.reset();
        raUnRegisterRTTI(descriptor);
        ppUnRegisterDevice(&ppDeviceClass<TppScreenDevice>());
        ppContentLayerFinalize();
    }

    TppPreview &open()
    {
        preview.reset();
        host = std::make_unique<QWidget>();
        host->resize(700, 600);
        preview = TppPreviewPlugIn::CreatePreview(host.get());
        preview->SetStatusBar(&statusBar);
        preview->Viewer()->SetReport(producer.get());
        preview->BeforePreview();
        host->show();
        producer->PrintToDevices();
        return static_cast<TppPreview &>(*preview);
    }

    ScopedScreenPixelsPerInch ppi{96};
    reporttest::StandInCommandClasses commands;
    shell::RecordingMessageBoxes boxes;
    TraOutlineReportRTTI descriptor;
    std::unique_ptr<OutlineReport> producer = std::make_unique<OutlineReport>();
    std::unique_ptr<reporttest::StandInProducer> engine;
    std::function<void(TppPage &)> WhileGenerating;
    QStatusBar statusBar;
    std::unique_ptr<QWidget> host;
    std::unique_ptr<TppCustomPreview> preview;
};

} // namespace

TEST_F(PreviewTest, TheRegistryFallsBackToTheStandardPreviewWithoutSearch)
{
    TppPreviewPlugIn::UnRegister();
    producer->TextSearchSettings()->SetEnabled(true);
    TppPreview &standard = open();
    EXPECT_NE(dynamic_cast<TppPreview *>(&standard), nullptr);
    EXPECT_EQ(standard.SearchPreview(), nullptr);
    EXPECT_EQ(standard.GetSearchPreview(), nullptr);

    QWidget other;
    bool made = false;
    TppPreviewPlugIn::Register([&](QWidget *aParent) -> std::unique_ptr<TppCustomPreview> {
        made = true;
        return std::make_unique<TppPreview>(aParent);
    });
    TppPreviewPlugIn::CreatePreview(&other);
    EXPECT_TRUE(made);
    TppPreviewPlugIn::UnRegister();
}

TEST_F(PreviewTest, KeysAndButtonsPageThroughTheReport)
{
    TppPreview &p = open();
    ASSERT_EQ(p.Viewer()->AbsolutePageNo(), 1);
    EXPECT_FALSE(p.ToolButton(ppPreviewAction::FirstPage)->isEnabled());
    EXPECT_TRUE(p.ToolButton(ppPreviewAction::NextPage)->isEnabled());

    const int generations = engine->Generations;
    EXPECT_FALSE(p.KeyDown(Qt::Key_Home, Qt::NoModifier));
    EXPECT_EQ(engine->Generations, generations);

    EXPECT_TRUE(p.KeyDown(Qt::Key_End, Qt::ControlModifier));
    EXPECT_EQ(p.PageNoEdit()->text().trimmed(), QStringLiteral("3"));
    EXPECT_FALSE(p.ToolButton(ppPreviewAction::NextPage)->isEnabled());
    EXPECT_FALSE(p.ToolButton(ppPreviewAction::LastPage)->isEnabled());
    EXPECT_TRUE(p.ToolButton(ppPreviewAction::PriorPage)->isEnabled());
    EXPECT_EQ(statusBar.currentMessage(), QStringLiteral("Page 3 of 3"));

    EXPECT_TRUE(p.KeyDown(Qt::Key_Home, Qt::ControlModifier));
    EXPECT_EQ(p.Viewer()->AbsolutePageNo(), 1);

    // Typed page numbers: a number goes there, anything else nowhere.
    p.PageNoEdit()->setText(QStringLiteral("2"));
    p.PageNoEditKeyPress();
    EXPECT_EQ(p.Viewer()->AbsolutePageNo(), 2);
    p.PageNoEdit()->setText(QString());
    p.PageNoEditKeyPress();
    EXPECT_EQ(p.Viewer()->AbsolutePageNo(), 2);

    // The zoom: a button, a typed percentage, and no number at all.
    p.ToolButtonClick(ppPreviewAction::Zoom100Percent);
    EXPECT_TRUE(p.ToolButton(ppPreviewAction::Zoom100Percent)->isChecked());
    EXPECT_EQ(p.ZoomEdit()->text(), QStringLiteral("100 %"));
    for (const auto &[typed, zoom] : {std::pair{"999", 250}, std::pair{"0", 25}, std::pair{"abc", 100}}) {
        p.ZoomEdit()->setText(QString::fromLatin1(typed));
        p.ZoomEditKeyPress();
        EXPECT_EQ(p.Viewer()->ZoomPercentage(), zoom) << typed;
        EXPECT_EQ(p.Viewer()->ZoomSetting(), TppZoomSettingType::zsPercentage);
    }
    for (int action : {ppPreviewAction::ZoomWholePage, ppPreviewAction::ZoomPageWidth, ppPreviewAction::Zoom100Percent})
        EXPECT_FALSE(p.ToolButton(action)->isChecked());
}

TEST_F(PreviewTest, CloseCancelsWhileAPageGeneratesAndClosesWhenIdle)
{
    TppPreview &p = open();
    int closes = 0;
    p.OnClose.Set([&](classes::TObject *) { ++closes; });
    WhileGenerating = [&](TppPage &) {
        // Keys hammered and Print asked while busy request nothing.
        const int generations = engine->Generations;
        p.KeyDown(Qt::Key_End, Qt::ControlModifier);
        p.ToolButtonClick(ppPreviewAction::Print);
        EXPECT_EQ(engine->Generations, generations);
        EXPECT_EQ(p.CloseButton()->text(), ppLoadStr(5));
        producer->SetPrinting(true);
        p.ToolButtonClick(ppPreviewAction::Cancel);
        producer->SetPrinting(false);
        WhileGenerating = nullptr;
    };
    p.Viewer()->NextPage();
    EXPECT_EQ(closes, 0);
    EXPECT_TRUE(p.Viewer()->ScreenDevice()->Cancelled() || producer->Publisher()->RequestComplete());
    EXPECT_EQ(p.CloseButton()->text(), ppLoadStr(6));
    p.ToolButtonClick(ppPreviewAction::Cancel);
    EXPECT_EQ(closes, 1);
}

TEST_F(PreviewTest, TheOutlineFollowsWhatTheReportSays)
{
    producer->Exists = true;
    TppPreview &p = open();
    EXPECT_TRUE(p.OutlineShowing());
    EXPECT_TRUE(p.OutlinePanel()->isVisible());
    preview.reset();

    producer->Suppress = true;
    TppPreview &suppressed = open();
    EXPECT_FALSE(suppressed.OutlineShowing());
    EXPECT_FALSE(suppressed.OutlinePanel()->isVisible());
}

// Page n carries groups "A".."A+n-1", each on its own page; the last page's
// outline is complete.
void addScriptOutline(TppPage &aPage, int aPageCount)
{
    auto *root = new TppOutlineNode;
    root->SetNodeType(TppOutlineNodeType::ntRoot);
    for (int i = 0; i < aPage.AbsolutePageNo(); ++i) {
        auto *node = static_cast<TppOutlineNode *>(root->Add());
        node->SetCaption(QString(QLatin1Char(char('A' + i))));
        node->SetPageReference(i + 1);
        node->SetNodeType(TppOutlineNodeType::ntGroup);
    }
    auto *command = new TppOutlineDrawCommand;
    root->SetParent(command);
    command->SetOutlineComplete(aPage.AbsolutePageNo() == aPageCount);
    aPage.AddDrawCommand(command);
}

QStringList outlineItems(const QTreeWidget &aTree)
{
    QStringList items;
    for (int i = 0; i < aTree.topLevelItemCount(); ++i)
        items.append(aTree.topLevelItem(i)->text(0));
    return items;
}

TEST_F(PreviewTest, TheOutlineShowsMoreUntilCompleteAndTurnsToAChosenPage)
{
    producer->Exists = true;
    WhileGenerating = [](TppPage &aPage) { addScriptOutline(aPage, 3); };
    TppPreview &p = open();
    auto *outline = dynamic_cast<TppOutlineViewer *>(p.OutlineViewer());
    ASSERT_NE(outline, nullptr);
    ASSERT_TRUE(p.OutlineShowing());
    EXPECT_EQ(outlineItems(*outline), (QStringList{"A", "", "...more..."}));

    p.Viewer()->LastPage();
    EXPECT_EQ(outlineItems(*outline), (QStringList{"A", "B", "C"}));
    EXPECT_TRUE(outline->OutlineComplete());
    ASSERT_NE(outline->currentItem(), nullptr);
    EXPECT_EQ(outline->currentItem()->text(0), QStringLiteral("C"));

    // A click turns the page; a right press and a double click change
    // nothing.
    QTreeWidgetItem *b = outline->topLevelItem(1);
    const QPoint at = outline->visualItemRect(b).center();
    QTest::mouseClick(outline->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(p.Viewer()->AbsolutePageNo(), 2);
    QTest::mousePress(outline->viewport(), Qt::RightButton, {},
                      outline->visualItemRect(outline->topLevelItem(0)).center());
    EXPECT_EQ(outline->currentItem(), b);
    QTest::mouseDClick(outline->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(p.Viewer()->AbsolutePageNo(), 2);

    // The menu hides the outline, and says so with event 101.
    bool heard = true;
    struct Listener : TppCommunicator
    {
        explicit Listener(bool &aHeard)
            : TppCommunicator(nullptr)
            , heard(aHeard)
        {
            SubscribeEvent(ppEvent::OutlineVisibility);
        }
        void EventNotify(TppCommunicator *, int, TraParamList *aParams) override
        {
            if (aParams)
                aParams->GetParamValue(0, heard);
        }
        bool &heard;
    } listener(heard);
    outline->Communicator()->AddEventNotify(&listener);
    ASSERT_NE(outline->PopupMenu(), nullptr);
    QList<QAction *> actions = outline->PopupMenu()->actions();
    EXPECT_EQ(actions[0]->text(), QStringLiteral("Hide Outline"));
    actions[0]->trigger();
    EXPECT_FALSE(heard);
    EXPECT_FALSE(p.OutlineShowing());
    EXPECT_FALSE(p.OutlinePanel()->isVisible());
    EXPECT_EQ(actions[0]->text(), QStringLiteral("Show Outline"));
    EXPECT_FALSE(actions[1]->isEnabled());
    actions[0]->trigger();
    EXPECT_TRUE(heard);
    EXPECT_TRUE(p.OutlinePanel()->isVisible());
    outline->Communicator()->RemoveEventNotify(&listener);

    // Cleared on screen (a preview run again), it still has its menu; a
    // caption of a megabyte, which took seconds per repaint, is cut.
    outline->Clear();
    emit outline->customContextMenuRequested(QPoint(2, 2));
    ASSERT_NE(outline->PopupMenu(), nullptr);
    outline->PopupMenu()->hide();
    TppOutlineDrawCommand huge;
    auto *root = new TppOutlineNode;
    root->SetNodeType(TppOutlineNodeType::ntRoot);
    static_cast<TppOutlineNode *>(root->Add())->SetCaption(QString(1 << 20, QLatin1Char('x')));
    root->SetParent(&huge);
    outline->Rebuild(&huge);
    EXPECT_EQ(outline->topLevelItem(0)->text(0).size(), 1024);

    // Its communicator freed by someone else is let go, not freed twice.
    delete outline->Communicator();
    EXPECT_EQ(outline->Communicator(), nullptr);
    outline->SetVisible(false);
    EXPECT_FALSE(outline->isVisible());
}

// The menu and "...more..." are the outline's own texts: another language
// module brings its words at once, also to a menu already made.
TEST_F(PreviewTest, TheOutlinesTextsFollowALanguageChange)
{
    producer->Exists = true;
    WhileGenerating = [](TppPage &aPage) { addScriptOutline(aPage, 3); };
    TppPreview &p = open();
    auto *outline = dynamic_cast<TppOutlineViewer *>(p.OutlineViewer());
    ASSERT_NE(outline, nullptr);
    ASSERT_NE(outline->PopupMenu(), nullptr);

    reporttest::LanguageModuleFolder folder;
    ASSERT_TRUE(folder.write("outline.fra", "44041=Masquer\n44042=Afficher\n44043=Tout ouvrir\n"
                                            "44044=Tout fermer\n44045=...suite...\n"));
    TppResourceManager &manager = ppGetResourceManager();
    manager.RegisterModule("outline");
    ASSERT_TRUE(manager.SetLanguage(TppLanguageType::lgFrench));
    p.LanguageChanged();
    QStringList texts;
    for (QAction *action : outline->PopupMenu()->actions())
        texts << action->text();
    EXPECT_EQ(texts, (QStringList{"Masquer", "Tout ouvrir", "Tout fermer"}));
    EXPECT_EQ(outlineItems(*outline), (QStringList{"A", "", "...suite..."}));
    outline->SetVisible(false);
    EXPECT_EQ(outline->PopupMenu()->actions()[0]->text(), QStringLiteral("Afficher"));

    EXPECT_TRUE(manager.SetLanguage(TppLanguageType::lgDefault));
    manager.UnregisterModule("outline");
    p.LanguageChanged();
    EXPECT_EQ(outline->PopupMenu()->actions()[0]->text(), QStringLiteral("Show Outline"));
}
TEST_F(PreviewTest, PrintingTellsBothSidesEvenWhenItFails)
{
    ppRegisterDevice(&ppDeviceClass<reporttest::PrinterStandInDevice>());
    TppPreview &p = open();
    QStringList told;
    p.OnBeforePreviewPrint.Set([&](classes::TObject *) { told << "before"; });
    p.OnAfterPreviewPrint.Set([&](classes::TObject *) { told << "after"; });
    producer->BeforePrint.Set([](classes::TObject *) { throw EBrevantorError(QStringLiteral("jammed")); });
    EXPECT_THROW(p.Print(), EBrevantorError);
    EXPECT_EQ(told, QStringList({"before", "after"}));
    EXPECT_EQ(producer->DeviceType(), QStringLiteral("Screen"));
    // From the button the failure reaches the user, not Qt.
    p.ToolButton(ppPreviewAction::Print)->click();
    EXPECT_EQ(boxes.requests().size(), 1u);
    ppUnRegisterDevice(&ppDeviceClass<reporttest::PrinterStandInDevice>());
}

TEST_F(PreviewTest, TheGlyphsHaveTheirSizesAndColours)
{
    const QImage zoom = TppMetaBitmap::CreateBitmap<TppZoomWholePageIcon>();
    EXPECT_EQ(zoom.size(), QSize(16, 16));
    EXPECT_EQ(zoom.pixel(0, 0), QColor(Qt::black).rgb()); // the frame
    EXPECT_EQ(zoom.pixel(3, 14), QColor(0x00, 0x80, 0x80).rgb());
    const QImage next = TppMetaBitmap::CreateBitmap<TppNextSearchOccurrenceIcon>();
    EXPECT_EQ(next.size(), QSize(32, 16));
    // The enabled half in the occurrence colour, filled; the disabled half grey.
    EXPECT_EQ(next.pixel(8, 8), QColor(0x80, 0x00, 0x00).rgb());
    EXPECT_EQ(next.pixel(24, 8), QColor(0x80, 0x80, 0x80).rgb());
    EXPECT_EQ(next.pixel(0, 15), next.pixel(31, 15)); // the background

    // On the buttons only the background is see-through: a glyph whose
    // corner is drawn on keeps its drawing.
    TppPreview &p = open();
    const auto shown = [&](int aAction, QIcon::Mode aMode) {
        return p.ToolButton(aAction)
            ->icon()
            .pixmap(QSize(16, 16), aMode)
            .toImage()
            .convertToFormat(QImage::Format_ARGB32);
    };
    const QImage whole = shown(ppPreviewAction::ZoomWholePage, QIcon::Normal);
    EXPECT_EQ(whole.pixel(0, 15), QColor(Qt::black).rgba()); // the frame
    EXPECT_EQ(whole.pixel(7, 6), QColor(Qt::white).rgba());  // the page
    EXPECT_EQ(qAlpha(shown(ppPreviewAction::Print, QIcon::Normal).pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(shown(ppPreviewAction::NextPage, QIcon::Normal).pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(shown(ppPreviewAction::NextPage, QIcon::Disabled).pixel(0, 0)), 0);
}

TEST_F(PreviewTest, TheWindowPreviewsAReportAndClosesOnEscape)
{
    ppRegisterFormClass(TppCustomPreviewer::StaticClass(), TppPrintPreview::StaticClass());
    TppPreviewFormSettings settings;
    int changes = 0;
    settings.OnChange.Set([&](classes::TObject *) { ++changes; });
    settings.SetZoomPercentage(300);
    EXPECT_EQ(settings.ZoomPercentage(), 250);
    EXPECT_EQ(changes, 2);
    producer->SetPreviewFormSettings(&settings);

    shell::ScriptedDialogs dialogs;
    bool driven = false;
    dialogs.drive<TppPrintPreview>([&](TppPrintPreview &aForm) {
        driven = true;
        EXPECT_EQ(aForm.StatusPanel()->width(), 275);
        TppViewer *viewer = aForm.PreviewViewer();
        // The first page comes once the window is active.
        controls::processEventsFor(5000, [&] { return viewer->AbsolutePageNo() == 1; });
        EXPECT_EQ(viewer->ZoomPercentage(), 250);
        EXPECT_EQ(viewer->AbsolutePageNo(), 1);
        QTest::keyClick(&aForm, Qt::Key_End, Qt::ControlModifier);
        EXPECT_EQ(viewer->AbsolutePageNo(), 3);
        EXPECT_EQ(aForm.StatusPanel()->text(), QStringLiteral("Page 3 of 3"));
        QTest::keyClick(&aForm, Qt::Key_Escape);
    });
    producer->Print();
    EXPECT_TRUE(driven);
    EXPECT_FALSE(producer->Producing());
    EXPECT_EQ(producer->PreviewForm(), nullptr);
    ppUnRegisterFormClass(TppCustomPreviewer::StaticClass());
}

TEST_F(PreviewTest, TheOutlineTreeKeepsItsKeysAndThePageFollowsItsSelection)
{
    ppRegisterFormClass(TppCustomPreviewer::StaticClass(), TppPrintPreview::StaticClass());
    producer->Exists = true;
    WhileGenerating = [](TppPage &aPage) { addScriptOutline(aPage, 3); };
    shell::ScriptedDialogs dialogs;
    bool driven = false;
    dialogs.drive<TppPrintPreview>([&](TppPrintPreview &aForm) {
        driven = true;
        TppViewer *viewer = aForm.PreviewViewer();
        controls::processEventsFor(5000, [&] { return viewer->AbsolutePageNo() == 1; });
        auto *plugIn = dynamic_cast<TppPreview *>(aForm.PlugIn());
        ASSERT_NE(plugIn, nullptr);
        auto *outline = dynamic_cast<TppOutlineViewer *>(plugIn->OutlineViewer());
        ASSERT_NE(outline, nullptr);
        viewer->LastPage();
        ASSERT_EQ(outlineItems(*outline), (QStringList{"A", "B", "C"}));
        QTest::mouseClick(outline->viewport(), Qt::LeftButton, {},
                          outline->visualItemRect(outline->topLevelItem(0)).center());
        ASSERT_EQ(viewer->AbsolutePageNo(), 1);
        outline->setFocus();

        // The arrows and page keys move the tree's selection, and the page
        // follows it.
        const auto press = [&](int aKey) {
            QTest::keyClick(outline, Qt::Key(aKey));
            const QString item = outline->currentItem() ? outline->currentItem()->text(0) : QStringLiteral("-");
            return QStringLiteral("%1@%2").arg(item).arg(viewer->AbsolutePageNo()).toStdString();
        };
        EXPECT_EQ(press(Qt::Key_Down), "B@2");
        EXPECT_EQ(press(Qt::Key_Down), "C@3");
        EXPECT_EQ(press(Qt::Key_Up), "B@2");
        EXPECT_EQ(press(Qt::Key_PageDown), "C@3");
        EXPECT_EQ(press(Qt::Key_PageUp), "A@1");
        EXPECT_EQ(press(Qt::Key_Right), "A@1");
        EXPECT_EQ(press(Qt::Key_Left), "A@1");
        // Held with Ctrl the keys stay the preview's.
        QTest::keyClick(outline, Qt::Key_End, Qt::ControlModifier);
        EXPECT_EQ(viewer->AbsolutePageNo(), 3);
        QTest::keyClick(outline, Qt::Key_PageUp, Qt::ControlModifier);
        EXPECT_EQ(viewer->AbsolutePageNo(), 2);
        QTest::keyClick(outline, Qt::Key_Escape);
    });
    producer->Print();
    EXPECT_TRUE(driven);
    EXPECT_EQ(producer->PreviewForm(), nullptr);
    ppUnRegisterFormClass(TppCustomPreviewer::StaticClass());
}

TEST_F(PreviewTest, AWindowClosedWhileItsPageIsGeneratedEndsThePreviewQuietly)
{
    ppRegisterFormClass(TppCustomPreviewer::StaticClass(), TppPrintPreview::StaticClass());
    producer->SetModalPreview(false);
    bool closed = false;
    WhileGenerating = [&](TppPage &) {
        WhileGenerating = nullptr;
        if (auto *form = dynamic_cast<TppPrintPreview *>(producer->PreviewForm())) {
            closed = true;
            // Closed by its user while the page is on its way, with the
            // events served as a status pump serves them.
            form->close();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QCoreApplication::processEvents();
        }
    };
    int cancels = 0;
    producer->OnCancel.Set([&](classes::TObject *) { ++cancels; });
    producer->Print();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(closed);
    // The print was stopped through the producer, which told its handlers.
    EXPECT_EQ(cancels, 1);
    EXPECT_EQ(producer->PreviewForm(), nullptr);
    EXPECT_FALSE(producer->Producing());
    ppUnRegisterFormClass(TppCustomPreviewer::StaticClass());
}

TEST_F(PreviewTest, ASearchPreviewFreedFromOutsideIsForgottenByItsPreview)
{
    TppPreviewPlugIn::RegisterSearchPreview(
        [](TppCustomPreview *aPreview) { return std::make_unique<TppCustomSearchPreview>(aPreview); });
    producer->TextSearchSettings()->SetEnabled(true);
    TppPreview &opened = open();
    TppPreviewPlugIn::UnRegisterSearchPreview();
    ASSERT_NE(opened.SearchPreview(), nullptr);
    delete opened.SearchPreview();
    EXPECT_EQ(opened.SearchPreview(), nullptr);
    // Actions that tell the search preview first go on without it.
    opened.PerformPreviewAction(ppPreviewAction::NextPage);
    EXPECT_EQ(opened.Viewer()->AbsolutePageNo(), 2);
    preview.reset();
}
