// Objects that a handler moves to the front of their band or region while
// they generate, or frees between pages: each still prints once, from the
// place it had when the band got ready to generate, and what continues on
// the next page is still found.

#include "tests/support/report/MemoryPipeline.h"
#include "tests/support/report/SamplePage.h"
#include "tests/support/report/TraceDevice.h"

#include "report/content/ContentRegistration.h"
#include "report/content/drawcommands/DrawText.h"
#include "report/content/graphics/Region.h"
#include "report/content/text/DBText.h"
#include "report/content/text/Label.h"
#include "report/content/text/Memo.h"
#include "report/content/variables/Variable.h"
#include "report/model/ModelRegistration.h"
#include "report/model/bands/BandClasses.h"
#include "report/model/bands/DetailBand.h"
#include "report/model/base/Exceptions.h"
#include "report/model/engine/Engine.h"
#include "report/model/groups/Group.h"
#include "report/model/groups/GroupBands.h"
#include "report/model/outline/OutlineNode.h"
#include "report/model/pages/Page.h"
#include "report/model/pages/PageRequest.h"
#include "report/model/reports/Report.h"
#include "report/model/subreports/SubReport.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace report;

namespace {

// The runs here end by themselves: one that is still going after the pages
// a test allows is ended, and the test fails. A page limit would end it
// too, and hide a run that never ends.
class RunEnd
{
public:
    RunEnd(TppCustomReport &aReport, int aMaxPages) : m_report(&aReport), m_alive(aReport.AliveToken())
    {
        aReport.OnEndPage.Set([this, aMaxPages](classes::TObject *) {
            if (m_report->Engine()->PageNo() > aMaxPages) {
                ranOn = true;
                m_report->Engine()->EndReport();
            }
        });
    }
    ~RunEnd()
    {
        if (!m_alive.expired())
            m_report->OnEndPage.Clear();
    }

    // The run ended by itself within the pages allowed: complete, or ended
    // by the library's own error, or where it stood when a handler freed
    // the report.
    void expectEnded(bool aByError = false) const
    {
        EXPECT_FALSE(ranOn) << "the run was still going after the pages allowed";
        if (!aByError && !m_alive.expired())
            EXPECT_TRUE(static_cast<const TppEngine *>(m_report->Engine())->ReportComplete());
    }

    bool ranOn = false;

private:
    TppCustomReport *m_report;
    std::weak_ptr<char> m_alive;
};

class MovedWhileGenerating : public ::testing::Test
{
protected:
    MovedWhileGenerating()
    {
        ppModelLayerInit();
        ppContentLayerInit();
        reporttest::SetA4Portrait(*report.PrinterSetup());
        detail = new TppDetailBand(nullptr);
        detail->SetReport(&report);
        detail->SetmmHeight(40000);
        detail->SetPrintHeight(TppPrintHeightType::phDynamic);
    }

    template <class T>
    T *add(const QString &aText, int32_t aTop)
    {
        auto *object = new T;
        object->SetBand(detail);
        object->SetBounds(0, aTop, 50000, 4000);
        if constexpr (std::is_same_v<T, TppMemo>)
            object->Lines()->Add(aText);
        else
            object->SetCaption(aText);
        return object;
    }

    // As the handler of a user's report might: the object goes to the
    // front as it prints.
    static void toFrontOnPrint(TppComponent *aObject)
    {
        aObject->OnPrint.Set([aObject](classes::TObject *) { aObject->BringToFront(); });
    }

    // The texts of the first page, in the order it holds them.
    QStringList print()
    {
        QStringList texts;
        bool first = true;
        reporttest::TraceDevice device;
        device.OnPageReceive.Set([&](classes::TObject *, classes::TObject *aPage) {
            const auto *page = static_cast<TppPage *>(aPage);
            if (page->Calculation() || !first)
                return;
            first = false;
            for (int i = 0; i < page->DrawCommandCount(); ++i)
                if (const auto *text = dynamic_cast<const TppDrawText *>(page->DrawCommands(i)))
                    texts << (text->IsMemo() ? text->WrappedText()->Strings(0) : text->Text());
        });
        const RunEnd end(report, maxPages);
        device.SetPublisher(report.Publisher());
        report.PrintToDevices();
        device.SetPublisher(nullptr);
        end.expectEnded();
        return texts;
    }

    // Every line of the memos and texts of each page.
    QList<QStringList> printPages()
    {
        QList<QStringList> pages;
        reporttest::TraceDevice device;
        pagesPrinted = 0;
        device.OnPageReceive.Set([&](classes::TObject *, classes::TObject *aPage) {
            const auto *page = static_cast<TppPage *>(aPage);
            if (!page->Calculation())
                ++pagesPrinted;
            if (page->Calculation() || page->DrawCommandCount() == 0)
                return;
            QStringList texts;
            for (int i = 0; i < page->DrawCommandCount(); ++i) {
                const auto *text = dynamic_cast<const TppDrawText *>(page->DrawCommands(i));
                if (text && text->IsMemo())
                    for (int line = 0; line < text->WrappedText()->Count(); ++line)
                        texts << text->WrappedText()->Strings(line);
                else if (text)
                    texts << text->Text();
            }
            pages << texts;
        });
        const RunEnd end(report, maxPages);
        device.SetPublisher(report.Publisher());
        report.PrintToDevices();
        device.SetPublisher(nullptr);
        end.expectEnded();
        return pages;
    }

    // Three stretching memos 5 mm apart from aTop: "Gone", 200 lines "C0"
    // to "C199", which need more than a page, and "Last".
    std::vector<TppMemo *> goneContinuingLast(int32_t aTop)
    {
        std::vector<TppMemo *> memos;
        for (const char *name : {"Gone", "C0", "Last"}) {
            memos.push_back(add<TppMemo>(QString::fromLatin1(name), aTop + 5000 * int32_t(memos.size())));
            memos.back()->SetStretch(true);
        }
        for (int i = 1; i < 200; ++i)
            memos[1]->Lines()->Add(QStringLiteral("C%1").arg(i));
        return memos;
    }

    // aGone is freed as the second page starts: the memo after it still
    // goes on to its last line.
    void expectTheContinuationWhenTheFirstGoes(TppMemo *aGone)
    {
        report.OnStartPage.Set([this, aGone](classes::TObject *) {
            if (report.Engine()->PageNo() == 2)
                delete aGone;
        });
        const QList<QStringList> pages = printPages();
        ASSERT_GE(pages.size(), 2);
        EXPECT_TRUE(pages[0].contains(QStringLiteral("Gone")));
        EXPECT_TRUE(pages.last().contains(QStringLiteral("C199"))) << pages.last().join(u' ').toStdString();
    }

    // Prints with aFree run as the second page starts: the memo that goes
    // on over the pages still reaches its last line.
    QList<QStringList> printFreeingAsPageTwoStarts(const std::function<void()> &aFree)
    {
        report.OnStartPage.Set([this, aFree](classes::TObject *) {
            if (report.Engine()->PageNo() == 2)
                aFree();
        });
        const QList<QStringList> pages = printPages();
        EXPECT_GE(pages.size(), 2);
        EXPECT_TRUE(!pages.isEmpty() && pages.last().contains(QStringLiteral("C199")));
        return pages;
    }

    TppReport report;
    TppDetailBand *detail = nullptr;
    // Every run of these tests ends by itself within this many pages.
    int maxPages = 4;
    // The pages the last printPages() printed, empty ones too.
    int pagesPrinted = 0;
};

TEST_F(MovedWhileGenerating, EachShifterOfAMemoPrintsOnceInItsPreparedOrder)
{
    auto *target = add<TppMemo>(QStringLiteral("Target"), 0);
    target->SetStretch(true);
    auto *first = add<TppMemo>(QStringLiteral("First"), 5000);
    auto *second = add<TppMemo>(QStringLiteral("Second"), 10000);
    first->SetShiftRelativeTo(target);
    second->SetShiftRelativeTo(target);
    toFrontOnPrint(first);
    toFrontOnPrint(second);
    EXPECT_EQ(print(), (QStringList{"Target", "First", "Second"}));
}

TEST_F(MovedWhileGenerating, EachChildOfARegionPrintsOnceInItsPreparedOrder)
{
    auto *region = new TppRegion;
    region->SetBand(detail);
    region->SetBounds(0, 0, 190000, 30000);
    TppLabel *labels[3];
    for (int i = 0; i < 3; ++i) {
        labels[i] = add<TppLabel>(QStringLiteral("Label %1").arg(i), 5000 * i);
        labels[i]->SetRegion(region);
    }
    toFrontOnPrint(labels[0]);
    toFrontOnPrint(labels[1]);
    EXPECT_EQ(print(), (QStringList{"Label 0", "Label 1", "Label 2"}));
    // The region keeps the order the handlers left for the next run.
    EXPECT_EQ(region->Objects(2), labels[1]);
}

// What continues on the next page is found by its place in a list; an
// object that leaves the list between the pages takes no other one's place.
TEST_F(MovedWhileGenerating, AShifterThatGoesBetweenPagesLeavesTheOneThatContinuesItsPlace)
{
    auto *target = add<TppMemo>(QStringLiteral("Target"), 0);
    target->SetStretch(true);
    const std::vector<TppMemo *> shifters = goneContinuingLast(5000);
    for (TppMemo *shifter : shifters)
        shifter->SetShiftRelativeTo(target);
    expectTheContinuationWhenTheFirstGoes(shifters.front());
}

TEST_F(MovedWhileGenerating, AChildThatLeavesItsRegionBetweenPagesLeavesTheOneThatContinuesItsPlace)
{
    auto *region = new TppRegion;
    region->SetBand(detail);
    region->SetBounds(0, 0, 190000, 30000);
    const std::vector<TppMemo *> children = goneContinuingLast(0);
    for (TppMemo *child : children)
        child->SetRegion(region);
    expectTheContinuationWhenTheFirstGoes(children.front());
}

TEST_F(MovedWhileGenerating, EachObjectOfABandPrintsOnceInItsPreparedOrder)
{
    TppLabel *labels[3];
    for (int i = 0; i < 3; ++i)
        labels[i] = add<TppLabel>(QStringLiteral("Label %1").arg(i), 5000 * i);
    toFrontOnPrint(labels[0]);
    toFrontOnPrint(labels[1]);
    EXPECT_EQ(print(), (QStringList{"Label 0", "Label 1", "Label 2"}));
}

// The engine sorts the bands into its lists once per run; a handler that
// frees a band part way through leaves no entry behind that a later page
// would generate or measure.
TEST_F(MovedWhileGenerating, ABandAHandlerFreesPartWayThroughIsNoLongerGenerated)
{
    goneContinuingLast(0);
    auto *footer = new TppFooterBand(nullptr);
    footer->SetReport(&report);
    footer->SetmmHeight(10000);
    auto *summary = new TppSummaryBand(nullptr);
    summary->SetReport(&report);
    for (TppBand *band : {static_cast<TppBand *>(footer), static_cast<TppBand *>(summary)}) {
        auto *label = new TppLabel;
        label->SetBand(band);
        label->SetBounds(0, 0, 50000, 4000);
        label->SetCaption(band == footer ? QStringLiteral("Footer") : QStringLiteral("Summary"));
    }
    const QList<QStringList> pages = printFreeingAsPageTwoStarts([&] {
        delete footer;
        delete summary;
    });
    ASSERT_GE(pages.size(), 2);
    EXPECT_TRUE(pages[0].contains(QStringLiteral("Footer")));
    for (int i = 1; i < pages.size(); ++i)
        EXPECT_FALSE(pages[i].contains(QStringLiteral("Footer")) || pages[i].contains(QStringLiteral("Summary")));
}

// Likewise the groups the engine picked at the run's start: the one kept
// together and the one that numbers the pages.
TEST_F(MovedWhileGenerating, AGroupAHandlerFreesPartWayThroughIsNoLongerAsked)
{
    goneContinuingLast(0);
    auto *numbering = new TppGroup;
    numbering->SetReport(&report);
    numbering->SetNewPage(true);
    numbering->SetResetPageNo(true);
    auto *keptTogether = new TppGroup;
    keptTogether->SetReport(&report);
    keptTogether->SetKeepTogether(true);
    for (TppGroup *group : {numbering, keptTogether})
        group->OnGetBreakValue.Set([](classes::TObject *, QString &aValue) { aValue = QStringLiteral("one"); });
    printFreeingAsPageTwoStarts([&] {
        delete numbering;
        delete keptTogether;
    });
    EXPECT_EQ(report.Engine()->GetPageNoForDisplay(), report.Engine()->PageNo());
}

// A handler that frees an object the library is calling it for: its own
// sender, the object it belongs to, the band or the group. The run goes on
// without the freed object, or ends; the library never reads the object
// again (the sanitizer build tells).
// A data text that tells when it is restored from a cache, as a region that
// keeps its children together restores them when they do not fit.
class RestoredText : public TppDBText
{
public:
    void RestoreFromCache(int32_t aPageIndex) override
    {
        restoring = true;
        const std::weak_ptr<char> alive = AliveToken();
        TppDBText::RestoreFromCache(aPageIndex);
        if (!alive.expired())
            restoring = false;
    }
    bool restoring = false;
};

// Tells whether a handler's captures went while the handler still ran: set
// by the destructor of what the handler captures.
bool handlerRunning = false;
bool capturesWentDuringTheCall = false;

struct CaptureWitness
{
    ~CaptureWitness()
    {
        if (handlerRunning)
            capturesWentDuringTheCall = true;
    }
};

class FreedByItsHandler : public MovedWhileGenerating
{
protected:
    FreedByItsHandler()
    {
        data.AddField(QStringLiteral("Key"));
        for (const char *key : {"A", "B", "C"})
            data.AddRow({QString::fromLatin1(key)});
        report.SetDataPipeline(&data);
    }

    // A handler's body that frees what aSlot holds, once. The object may be
    // the handler's owner: nothing is read after the free.
    template <class T>
    static auto freeOnce(T *&aSlot)
    {
        return [&aSlot](auto &&...) {
            if (T *victim = std::exchange(aSlot, nullptr))
                delete victim;
        };
    }

    // A handler's body that frees its sender, aSlot, and then goes on with
    // its own captures, as a handler of a form that forgets the object it
    // freed does.
    template <class T>
    static auto freeThenUseCaptures(T *&aSlot)
    {
        capturesWentDuringTheCall = false;
        auto witness = std::make_shared<CaptureWitness>();
        return [witness, &aSlot](auto &&...) {
            T *victim = std::exchange(aSlot, nullptr);
            if (!victim)
                return;
            handlerRunning = true;
            delete victim;
            handlerRunning = false;
            if (!capturesWentDuringTheCall) {
                aSlot = nullptr;
                EXPECT_EQ(witness.use_count(), 1);
            }
        };
    }

    // Every page's texts; a run the library ends with its own error counts
    // as ended.
    QList<QStringList> run()
    {
        try {
            return printPages();
        } catch (const EPrintError &) {
            return {};
        }
    }

    TppDBText *keyText()
    {
        auto *text = add<TppDBText>(QString(), 0);
        text->SetDataPipeline(&data);
        text->SetDataField(QStringLiteral("Key"));
        return text;
    }

    void freeTheRegionFromAChild(bool aStretching)
    {
        auto *region = new TppRegion;
        region->SetBand(detail);
        region->SetBounds(0, 0, 190000, 20000);
        auto *child = add<TppMemo>(QStringLiteral("Child"), 0);
        child->SetStretch(aStretching);
        child->SetRegion(region);
        add<TppLabel>(QStringLiteral("Next"), 5000)->SetRegion(region);
        add<TppLabel>(QStringLiteral("Stays"), 25000);
        child->OnPrint.Set(freeOnce(region));
        const QList<QStringList> pages = run();
        ASSERT_FALSE(pages.isEmpty());
        EXPECT_EQ(pages[0].count(QStringLiteral("Stays")), 3);
    }

    // aHook sets the handler that frees the detail band, on the band or on
    // a label of it. The report has no summary and no group footer: the
    // detail band was the last band, and the run ends on its first page.
    void freeTheDetailBand(const std::function<void(TppLabel *)> &aHook)
    {
        aHook(add<TppLabel>(QStringLiteral("Detail"), 0));
        run();
        EXPECT_EQ(detail, nullptr);
        EXPECT_EQ(report.GetBand(4), nullptr);
        EXPECT_EQ(pagesPrinted, 1);
    }

    // aOwn has the first place in the detail band; a label of the title,
    // with the first place there, moves into the detail band once the
    // title printed.
    void expectBothPrintWhenMovedIn(TppComponent *aOwn)
    {
        ASSERT_EQ(detail->IndexOfObject(aOwn), 0);
        auto *title = new TppTitleBand(nullptr);
        title->SetReport(&report);
        auto *moved = new TppLabel;
        moved->SetBand(title);
        moved->SetBounds(0, 5000, 50000, 4000);
        moved->SetCaption(QStringLiteral("Moved"));
        title->AfterPrint.Set([this, moved](classes::TObject *) { moved->SetBand(detail); });
        const QList<QStringList> pages = run();
        EXPECT_EQ(moved->Band(), detail);
        ASSERT_EQ(pages.size(), 1);
        EXPECT_EQ(pages[0].count(QStringLiteral("Own")), 3);
        // Once in the title, then with each record.
        EXPECT_EQ(pages[0].count(QStringLiteral("Moved")), 4);
    }

    TppBand *addSummary()
    {
        auto *summary = new TppSummaryBand(nullptr);
        summary->SetReport(&report);
        auto *label = new TppLabel;
        label->SetBand(summary);
        label->SetBounds(0, 0, 50000, 4000);
        label->SetCaption(QStringLiteral("Summary"));
        return summary;
    }

    // A group that breaks on every record, with a labelled header and
    // footer.
    TppGroup *addGroup()
    {
        add<TppLabel>(QStringLiteral("Detail"), 0);
        auto *group = new TppGroup;
        group->SetReport(&report);
        group->SetDataPipeline(&data);
        group->SetBreakName(QStringLiteral("Key"));
        for (TppGroupBand *band : {static_cast<TppGroupBand *>(new TppGroupHeaderBand),
                                   static_cast<TppGroupBand *>(new TppGroupFooterBand)}) {
            band->SetGroup(group);
            band->SetmmHeight(5000);
            auto *label = new TppLabel;
            label->SetBand(band);
            label->SetBounds(0, 0, 50000, 4000);
            label->SetCaption(QStringLiteral("Group"));
        }
        return group;
    }

    void expectTheDetailsWithoutTheGroup()
    {
        const QList<QStringList> pages = run();
        EXPECT_EQ(report.GroupCount(), 0);
        ASSERT_FALSE(pages.isEmpty());
        EXPECT_EQ(pages.last().count(QStringLiteral("Detail")), 3);
    }

    reporttest::MemoryPipeline data;
};

TEST_F(FreedByItsHandler, ATextThatItsOnGetTextFreesLeavesNoCommandBehind)
{
    TppLabel *label = add<TppLabel>(QStringLiteral("Gone"), 0);
    add<TppLabel>(QStringLiteral("Stays"), 5000);
    label->OnGetText.Set(freeOnce(label));
    const QList<QStringList> pages = run();
    ASSERT_FALSE(pages.isEmpty());
    EXPECT_TRUE(pages[0].contains(QStringLiteral("Stays")));
    EXPECT_FALSE(pages[0].contains(QStringLiteral("Gone")));
}

TEST_F(FreedByItsHandler, ADataTextThatItsOnGetTextOrOnFormatFreesIsNotPlacedAgain)
{
    TppDBText *byText = keyText();
    TppDBText *byFormat = keyText();
    add<TppLabel>(QStringLiteral("Stays"), 5000);
    byText->OnGetText.Set(freeOnce(byText));
    byFormat->OnFormat.Set(freeOnce(byFormat));
    const QList<QStringList> pages = run();
    ASSERT_FALSE(pages.isEmpty());
    EXPECT_EQ(pages[0].count(QStringLiteral("Stays")), 3);
}

TEST_F(FreedByItsHandler, AVariableThatItsOnFormatFreesIsNotReadAgain)
{
    auto *variable = add<TppVariable>(QString(), 0);
    add<TppLabel>(QStringLiteral("Stays"), 5000);
    variable->OnFormat.Set(freeOnce(variable));
    const QList<QStringList> pages = run();
    ASSERT_FALSE(pages.isEmpty());
    EXPECT_EQ(pages[0].count(QStringLiteral("Stays")), 3);
}

TEST_F(FreedByItsHandler, AShifterThatItsOnPrintFreesIsLeftOutOfItsTargetsLoop)
{
    auto *target = add<TppMemo>(QStringLiteral("Target"), 0);
    target->SetStretch(true);
    TppMemo *shifter = add<TppMemo>(QStringLiteral("Gone"), 5000);
    auto *next = add<TppMemo>(QStringLiteral("Next"), 10000);
    shifter->SetShiftRelativeTo(target);
    next->SetShiftRelativeTo(target);
    shifter->OnPrint.Set(freeOnce(shifter));
    const QList<QStringList> pages = run();
    ASSERT_FALSE(pages.isEmpty());
    EXPECT_TRUE(pages[0].contains(QStringLiteral("Next")));
}

TEST_F(FreedByItsHandler, AShifterThatFreesItsTargetEndsTheTargetsStepAndPrintsOnItsOwn)
{
    TppMemo *target = add<TppMemo>(QStringLiteral("Target"), 0);
    target->SetStretch(true);
    auto *shifter = add<TppMemo>(QStringLiteral("Shifter"), 5000);
    shifter->SetShiftRelativeTo(target);
    add<TppLabel>(QStringLiteral("Stays"), 20000);
    shifter->OnPrint.Set(freeOnce(target));
    const QList<QStringList> pages = run();
    ASSERT_FALSE(pages.isEmpty());
    EXPECT_EQ(pages[0].count(QStringLiteral("Stays")), 3);
    // Without its target the band prints it, from the next record on.
    EXPECT_EQ(pages[0].count(QStringLiteral("Shifter")), 2);
}

// The event keeps its handler for the call: a handler that frees its own
// sender still has what it captured.
TEST_F(FreedByItsHandler, ABandEventThatFreesItsBandKeepsItsCaptures)
{
    add<TppLabel>(QStringLiteral("Detail"), 0);
    TppBand *header = new TppHeaderBand(nullptr);
    header->SetReport(&report);
    header->BeforePrint.Set(freeThenUseCaptures(header));
    const QList<QStringList> pages = run();
    EXPECT_EQ(header, nullptr);
    EXPECT_FALSE(capturesWentDuringTheCall);
    ASSERT_FALSE(pages.isEmpty());
    EXPECT_EQ(pages[0].count(QStringLiteral("Detail")), 3);
}

TEST_F(FreedByItsHandler, ALabelsOnPrintThatFreesTheLabelKeepsItsCaptures)
{
    TppLabel *label = add<TppLabel>(QStringLiteral("Gone"), 0);
    add<TppLabel>(QStringLiteral("Stays"), 5000);
    label->OnPrint.Set(freeThenUseCaptures(label));
    const QList<QStringList> pages = run();
    EXPECT_EQ(label, nullptr);
    EXPECT_FALSE(capturesWentDuringTheCall);
    ASSERT_FALSE(pages.isEmpty());
    EXPECT_EQ(pages[0].count(QStringLiteral("Stays")), 3);
}

TEST_F(FreedByItsHandler, ABeforeGroupBreakThatFreesTheGroupKeepsItsCaptures)
{
    TppGroup *group = addGroup();
    group->BeforeGroupBreak.Set(freeThenUseCaptures(group));
    expectTheDetailsWithoutTheGroup();
    EXPECT_EQ(group, nullptr);
    EXPECT_FALSE(capturesWentDuringTheCall);
}

// An object a handler moves into the detail band comes with the place it
// had in its old band, which is another object's place here: both print,
// record after record.
TEST_F(FreedByItsHandler, AnObjectMovedIntoTheDetailBandPrintsBesideTheOneInItsPlace)
{
    expectBothPrintWhenMovedIn(add<TppLabel>(QStringLiteral("Own"), 0));
}

// The band's own object stretches: the moved one, a plain object, comes
// first.
TEST_F(FreedByItsHandler, AnObjectMovedIntoTheDetailBandPrintsBesideAStretchingOneInItsPlace)
{
    auto *own = add<TppMemo>(QStringLiteral("Own"), 0);
    own->SetStretch(true);
    expectBothPrintWhenMovedIn(own);
}

// A region of fixed height generates its children as it is placed, one
// that stretches as it measures itself.
TEST_F(FreedByItsHandler, ARegionThatAChildsOnPrintFreesEndsItsStep)
{
    freeTheRegionFromAChild(false);
}

TEST_F(FreedByItsHandler, AStretchingRegionThatAChildsOnPrintFreesEndsItsStep)
{
    freeTheRegionFromAChild(true);
}

// The band engine belongs to the band: when the band goes, so does the
// engine, in the middle of its own cycle.
TEST_F(FreedByItsHandler, TheDetailBandFreedByItsBeforePrintEndsTheRun)
{
    freeTheDetailBand([this](TppLabel *) { detail->BeforePrint.Set(freeOnce(detail)); });
}

TEST_F(FreedByItsHandler, TheDetailBandFreedByItsAfterPrintEndsTheRun)
{
    freeTheDetailBand([this](TppLabel *) { detail->AfterPrint.Set(freeOnce(detail)); });
}

TEST_F(FreedByItsHandler, TheDetailBandFreedByItsGenerateEventsEndsTheRun)
{
    freeTheDetailBand([this](TppLabel *) { detail->AfterGenerate.Set(freeOnce(detail)); });
}

TEST_F(FreedByItsHandler, TheDetailBandFreedByItsBeforeGenerateEndsTheRun)
{
    freeTheDetailBand([this](TppLabel *) { detail->BeforeGenerate.Set(freeOnce(detail)); });
}

TEST_F(FreedByItsHandler, TheDetailBandFreedByTheTitleEndsTheRunWithoutASummary)
{
    auto *title = new TppTitleBand(nullptr);
    title->SetReport(&report);
    freeTheDetailBand([&](TppLabel *) { title->BeforePrint.Set(freeOnce(detail)); });
}

TEST_F(FreedByItsHandler, TheDetailBandFreedByAnObjectsOnPrintEndsTheRun)
{
    freeTheDetailBand([this](TppLabel *aLabel) { aLabel->OnPrint.Set(freeOnce(detail)); });
}

TEST_F(FreedByItsHandler, TheDetailBandFreedByAnObjectsOnGetTextEndsTheRun)
{
    freeTheDetailBand([this](TppLabel *aLabel) { aLabel->OnGetText.Set(freeOnce(detail)); });
}

// Nothing walks the data once the detail band is gone: the run ends, with
// the summary, instead of offering the empty band list for ever.
TEST_F(FreedByItsHandler, TheDetailBandFreedBeforeItPrintsEndsTheRun)
{
    add<TppLabel>(QStringLiteral("Detail"), 0);
    auto *title = new TppTitleBand(nullptr);
    title->SetReport(&report);
    auto *summary = new TppSummaryBand(nullptr);
    summary->SetReport(&report);
    auto *label = new TppLabel;
    label->SetBand(summary);
    label->SetBounds(0, 0, 50000, 4000);
    label->SetCaption(QStringLiteral("Summary"));
    title->BeforePrint.Set(freeOnce(detail));
    const QList<QStringList> pages = run();
    ASSERT_EQ(pages.size(), 1);
    EXPECT_EQ(pages[0], QStringList{QStringLiteral("Summary")});
}

// The band that was to print last goes as it prints: the run ends all the
// same, once its data has ended.
TEST_F(FreedByItsHandler, TheSummaryFreedByItsOwnHandlerEndsTheRun)
{
    add<TppLabel>(QStringLiteral("Detail"), 0);
    TppBand *summary = addSummary();
    summary->BeforePrint.Set(freeOnce(summary));
    const QList<QStringList> pages = run();
    EXPECT_EQ(summary, nullptr);
    EXPECT_EQ(pagesPrinted, 1);
    ASSERT_EQ(pages.size(), 1);
    EXPECT_EQ(pages[0].count(QStringLiteral("Detail")), 3);
}

TEST_F(FreedByItsHandler, TheLastGroupFooterFreedByItsOwnHandlerEndsTheRun)
{
    TppGroup *group = addGroup();
    TppBand *footer = group->FooterBand();
    int footers = 0;
    // The third footer is the last band's print at the end of the data.
    footer->AfterPrint.Set([&footer, &footers](classes::TObject *) {
        if (++footers == 3)
            delete std::exchange(footer, nullptr);
    });
    const QList<QStringList> pages = run();
    EXPECT_EQ(footer, nullptr);
    EXPECT_EQ(pagesPrinted, 1);
    ASSERT_EQ(pages.size(), 1);
    EXPECT_EQ(pages[0].count(QStringLiteral("Group")), 6);
}

// The detail band goes after a record of a group: the data ends with it,
// and the group that record opened closes with its footer, once.
TEST_F(FreedByItsHandler, TheDetailBandFreedInAGroupClosesTheGroup)
{
    for (int record = 1; record <= 3; ++record) {
        SCOPED_TRACE(record);
        if (record > 1) {
            detail = new TppDetailBand(nullptr);
            detail->SetReport(&report);
            detail->SetmmHeight(40000);
        }
        TppGroup *group = addGroup();
        int printed = 0;
        detail->AfterPrint.Set([this, &printed, record](classes::TObject *) {
            if (++printed == record)
                delete std::exchange(detail, nullptr);
        });
        const QList<QStringList> pages = run();
        EXPECT_EQ(detail, nullptr);
        ASSERT_EQ(pages.size(), 1);
        QStringList expected;
        for (int i = 0; i < record; ++i)
            expected << QStringLiteral("Group") << QStringLiteral("Detail") << QStringLiteral("Group");
        EXPECT_EQ(pages[0], expected);
        delete group;
    }
}

TEST_F(FreedByItsHandler, TheSummaryRemovedFromTheReportAsItPrintsEndsTheRun)
{
    add<TppLabel>(QStringLiteral("Detail"), 0);
    TppBand *summary = addSummary();
    summary->BeforePrint.Set([summary](classes::TObject *) { summary->SetReport(nullptr); });
    run();
    EXPECT_EQ(report.GetBand(7), nullptr);
    EXPECT_EQ(pagesPrinted, 1);
    delete summary;
}

TEST_F(FreedByItsHandler, AGroupFreedByItsBeforeGroupBreakTakesItsBandsAndTheRunGoesOn)
{
    TppGroup *group = addGroup();
    group->BeforeGroupBreak.Set(freeOnce(group));
    expectTheDetailsWithoutTheGroup();
}

TEST_F(FreedByItsHandler, AGroupFreedByItsAfterGroupBreakTakesItsBandsAndTheRunGoesOn)
{
    TppGroup *group = addGroup();
    group->AfterGroupBreak.Set(freeOnce(group));
    expectTheDetailsWithoutTheGroup();
}

TEST_F(FreedByItsHandler, AGroupFreedByItsOnGetBreakValueTakesItsBandsAndTheRunGoesOn)
{
    TppGroup *group = addGroup();
    group->OnGetBreakValue.Set(freeOnce(group));
    expectTheDetailsWithoutTheGroup();
}

// A footer that goes on over the page end has the headers of its groups
// printed again above it; one of them may free itself as it does.
TEST_F(FreedByItsHandler, AHeaderPrintedAgainAboveAContinuingFooterMayFreeItself)
{
    TppGroup *group = addGroup();
    auto *memo = new TppMemo;
    memo->SetBand(group->FooterBand());
    memo->SetBounds(0, 5000, 50000, 4000);
    memo->SetStretch(true);
    for (int i = 0; i < 200; ++i)
        memo->Lines()->Add(QStringLiteral("F%1").arg(i));
    TppBand *header = group->HeaderBand();
    header->BeforePrint.Set([this, &header](classes::TObject *) {
        if (report.Engine()->PageNo() >= 2)
            if (TppBand *victim = std::exchange(header, nullptr))
                delete victim;
    });
    // Three footers of 200 lines each.
    maxPages = 8;
    const QList<QStringList> pages = run();
    EXPECT_EQ(header, nullptr);
    ASSERT_GE(pages.size(), 2);
    EXPECT_TRUE(pages.last().contains(QStringLiteral("F199")));
}

TEST_F(FreedByItsHandler, ASubreportThatItsOnPrintFreesRunsNoChild)
{
    TppSubReport *subreport = new TppSubReport;
    subreport->SetBand(detail);
    subreport->SetBounds(0, 5000, 190000, 5000);
    auto *childDetail = new TppDetailBand(nullptr);
    childDetail->SetReport(subreport->Report());
    auto *child = new TppLabel;
    child->SetBand(childDetail);
    child->SetBounds(0, 0, 50000, 4000);
    child->SetCaption(QStringLiteral("Child"));
    add<TppLabel>(QStringLiteral("Stays"), 0);
    subreport->OnPrint.Set(freeOnce(subreport));
    const QList<QStringList> pages = run();
    ASSERT_FALSE(pages.isEmpty());
    EXPECT_EQ(pages[0].count(QStringLiteral("Stays")), 3);
    EXPECT_FALSE(pages[0].contains(QStringLiteral("Child")));
}

// A region kept together that does not fit rolls its children back, which
// gives a data text its text again: the handler of that text may free the
// region, the text itself or the band, and the roll-back ends there.
TEST_F(FreedByItsHandler, AKeptTogetherRegionsRollBackEndsWhenATextsHandlerFreesWhatItRestores)
{
    for (int victim = 0; victim < 3; ++victim) {
        SCOPED_TRACE(victim);
        TppReport kept;
        reporttest::SetA4Portrait(*kept.PrinterSetup());
        kept.SetDataPipeline(&data);
        auto *band = new TppDetailBand(nullptr);
        band->SetReport(&kept);
        band->SetmmHeight(20000);
        band->SetPrintHeight(TppPrintHeightType::phDynamic);
        auto *region = new TppRegion;
        region->SetBand(band);
        region->SetBounds(0, 0, 190000, 20000);
        region->SetKeepTogether(true);
        region->SetStretch(true);
        auto *text = new RestoredText;
        text->SetBand(band);
        text->SetBounds(0, 0, 50000, 4000);
        text->SetRegion(region);
        text->SetDataPipeline(&data);
        text->SetDataField(QStringLiteral("Key"));
        auto *memo = new TppMemo;
        memo->SetBand(band);
        memo->SetBounds(0, 5000, 50000, 4000);
        memo->SetStretch(true);
        memo->SetRegion(region);
        for (int i = 0; i < 30; ++i)
            memo->Lines()->Add(QStringLiteral("M%1").arg(i));
        // Armed once the first record printed: the page's own restore is
        // past, the next one is the region's.
        bool armed = false;
        bool rolledBack = false;
        band->AfterPrint.Set([&armed](classes::TObject *) { armed = true; });
        classes::TObject *const victims[] = {region, text, band};
        text->OnGetText.Set([text, gone = victims[victim], &armed, &rolledBack](classes::TObject *, QString &) {
            if (!armed || rolledBack || !text->restoring)
                return;
            rolledBack = true;
            // The handler may go with its victim: nothing of it is read after.
            delete gone;
        });
        reporttest::TraceDevice device;
        const RunEnd end(kept, 5);
        device.SetPublisher(kept.Publisher());
        bool byError = false;
        try {
            kept.PrintToDevices();
        } catch (const EPrintError &) {
            byError = true;
        }
        device.SetPublisher(nullptr);
        EXPECT_TRUE(rolledBack);
        end.expectEnded(byError);
    }
}

// A group kept together that does not fit rolls the report back to where
// it began, which gives a data text its text again: its handler may free
// the group or the text, and the page ends where it stands.
TEST_F(FreedByItsHandler, AKeptTogetherGroupsRollBackEndsWhenATextsHandlerFreesWhatItRestores)
{
    for (int victim = 0; victim < 2; ++victim) {
        SCOPED_TRACE(victim);
        TppReport kept;
        reporttest::SetA4Portrait(*kept.PrinterSetup());
        kept.SetDataPipeline(&data);
        auto *band = new TppDetailBand(nullptr);
        band->SetReport(&kept);
        band->SetmmHeight(10000);
        band->SetPrintHeight(TppPrintHeightType::phDynamic);
        auto *group = new TppGroup;
        group->SetReport(&kept);
        group->SetDataPipeline(&data);
        group->SetBreakName(QStringLiteral("Key"));
        group->SetKeepTogether(true);
        (new TppGroupHeaderBand)->SetGroup(group);
        auto *text = new RestoredText;
        text->SetBand(band);
        text->SetBounds(0, 0, 50000, 4000);
        text->SetDataPipeline(&data);
        text->SetDataField(QStringLiteral("Key"));
        auto *memo = new TppMemo;
        memo->SetBand(band);
        memo->SetBounds(0, 5000, 50000, 4000);
        memo->SetStretch(true);
        for (int i = 0; i < 30; ++i)
            memo->Lines()->Add(QStringLiteral("M%1").arg(i));
        bool armed = false;
        bool rolledBack = false;
        band->AfterPrint.Set([&armed](classes::TObject *) { armed = true; });
        classes::TObject *const victims[] = {group, text};
        text->OnGetText.Set([text, gone = victims[victim], &armed, &rolledBack](classes::TObject *, QString &) {
            if (!armed || rolledBack || !text->restoring)
                return;
            rolledBack = true;
            // The handler may go with its victim: nothing of it is read after.
            delete gone;
        });
        reporttest::TraceDevice device;
        const RunEnd end(kept, 5);
        device.SetPublisher(kept.Publisher());
        bool byError = false;
        try {
            kept.PrintToDevices();
        } catch (const EPrintError &) {
            byError = true;
        }
        device.SetPublisher(nullptr);
        EXPECT_TRUE(rolledBack);
        end.expectEnded(byError);
    }
}

// Pages made again from the cache, backwards, as the preview asks for them
// going back: a handler that frees an object the second time it runs (as
// the page is restored, or made again) leaves a run that ends.
TEST_F(FreedByItsHandler, APageMadeAgainSurvivesAHandlerThatFreesOnTheSecondRun)
{
    for (int event = 0; event < 3; ++event)
        for (int victim = 0; victim < 4; ++victim) {
            SCOPED_TRACE(testing::Message() << "event " << event << " victim " << victim);
            reporttest::MemoryPipeline rows;
            rows.AddField(QStringLiteral("Key"));
            for (int i = 0; i < 60; ++i)
                rows.AddRow({QStringLiteral("K%1").arg(i / 7)});
            TppReport again;
            reporttest::SetA4Portrait(*again.PrinterSetup());
            again.SetDataPipeline(&rows);
            auto *band = new TppDetailBand(nullptr);
            band->SetReport(&again);
            band->SetmmHeight(10000);
            auto *group = new TppGroup;
            group->SetReport(&again);
            group->SetDataPipeline(&rows);
            group->SetBreakName(QStringLiteral("Key"));
            (new TppGroupHeaderBand)->SetGroup(group);
            auto *text = new TppDBText;
            text->SetBand(band);
            text->SetBounds(0, 0, 50000, 4000);
            text->SetDataPipeline(&rows);
            text->SetDataField(QStringLiteral("Key"));
            auto *label = new TppLabel;
            label->SetBand(band);
            label->SetBounds(60000, 0, 50000, 4000);
            label->SetCaption(QStringLiteral("Next"));
            bool armed = false;
            bool fired = false;
            classes::TObject *const victims[] = {text, label, band, group};
            const auto handler = [gone = victims[victim], &armed, &fired](auto &&...) {
                if (!armed || fired)
                    return;
                fired = true;
                delete gone;
            };
            if (event == 0)
                text->OnGetText.Set(handler);
            else if (event == 1)
                text->OnPrint.Set(handler);
            else
                band->BeforePrint.Set(handler);
            auto *engine = static_cast<TppEngine *>(again.Engine());
            const RunEnd end(again, 10);
            bool byError = false;
            const auto request = [engine, &byError](TppPageSettingType aSetting, int aPage) {
                TppPageRequest pageRequest;
                pageRequest.SetPageSetting(aSetting);
                pageRequest.SetPageRequested(aPage);
                try {
                    engine->GeneratePage(pageRequest);
                } catch (const EPrintError &) {
                    byError = true;
                }
            };
            request(TppPageSettingType::psAll, 1);
            const int pages = engine->PageCount();
            ASSERT_GE(pages, 3);
            end.expectEnded(byError);
            armed = true;
            for (int page = pages; page >= 1; --page)
                request(TppPageSettingType::psSinglePage, page);
            EXPECT_TRUE(fired);
            EXPECT_FALSE(end.ranOn);
            again.SetDataPipeline(nullptr);
        }
}

// The outline offers a page's nodes as the page ends, one group's after
// another: a handler of the offer may free a group, whose nodes' maker goes
// with it, the detail band, or the report.
TEST_F(FreedByItsHandler, AnOutlinePageNodesHandlerMayFreeAGroupTheBandOrTheReport)
{
    // The first, second or third page node offered: one of each maker.
    for (int victim = 0; victim < 12; ++victim) {
        SCOPED_TRACE(victim);
        int offers = victim / 4;
        reporttest::MemoryPipeline rows;
        rows.AddField(QStringLiteral("Key"));
        rows.AddField(QStringLiteral("Sub"));
        for (int i = 0; i < 40; ++i)
            rows.AddRow({QStringLiteral("K%1").arg(i / 10), QStringLiteral("S%1").arg(i / 3)});
        auto *printed = new TppReport;
        reporttest::SetA4Portrait(*printed->PrinterSetup());
        printed->SetDataPipeline(&rows);
        auto *band = new TppDetailBand(nullptr);
        band->SetReport(printed);
        band->SetmmHeight(20000);
        TppGroup *groups[2];
        for (int g = 0; g < 2; ++g) {
            groups[g] = new TppGroup;
            groups[g]->SetReport(printed);
            groups[g]->SetDataPipeline(&rows);
            groups[g]->SetBreakName(g ? QStringLiteral("Sub") : QStringLiteral("Key"));
            (new TppGroupHeaderBand)->SetGroup(groups[g]);
        }
        bool fired = false;
        classes::TObject *const victims[] = {groups[0], groups[1], band, printed};
        printed->OnOutlineNodeCreate.Set(
            [gone = victims[victim % 4], &fired, &offers, &printed](classes::TObject *, TppOutlineNode *aNode, bool &) {
                if (fired || aNode->NodeType() != TppOutlineNodeType::ntPage || offers-- > 0)
                    return;
                fired = true;
                if (gone == printed)
                    printed = nullptr;
                delete gone;
            });
        reporttest::TraceDevice device;
        const RunEnd end(*printed, 10);
        device.SetPublisher(printed->Publisher());
        bool byError = false;
        try {
            printed->PrintToDevices();
        } catch (const EPrintError &) {
            byError = true;
        }
        EXPECT_TRUE(fired);
        end.expectEnded(byError);
        if (printed)
            device.SetPublisher(nullptr);
        delete printed;
    }
}

} // namespace
