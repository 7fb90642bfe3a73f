#include "EngineFixture.h"

#include <stdexcept>
#include <utility>

#include "report/model/engine/ChildPageRequest.h"
#include "report/model/objects/EventIds.h"
#include "report/model/pages/Page.h"
#include "report/model/pages/Publisher.h"

#include "platform/rtl/Exceptions.h"

using namespace report;
using namespace reporttest;

namespace {

const QString requestsFullPage = QStringLiteral("Header Detail*47 Footer");
const QString requestsLastPage = QStringLiteral("Header Detail*6 Footer");

class PageRequests : public enginetest::EngineFixture
{
protected:
    PageRequests()
    {
        rows(100);
        for (auto *event :
             {&report.OnStartFirstPass, &report.OnEndFirstPass, &report.OnStartSecondPass, &report.OnEndSecondPass})
            event->Set([this, event](classes::TObject *) { passEvents.append(passEventName(event)); });
    }

    QString passEventName(const classes::TNotifyEvent *aEvent) const
    {
        if (aEvent == &report.OnStartFirstPass)
            return QStringLiteral("StartFirst");
        if (aEvent == &report.OnEndFirstPass)
            return QStringLiteral("EndFirst");
        if (aEvent == &report.OnStartSecondPass)
            return QStringLiteral("StartSecond");
        return QStringLiteral("EndSecond");
    }

    QStringList passEvents;
};

TEST_F(PageRequests, S3_TwoPassesDeliverTheSinglePageWithItsFinalCount)
{
    report.SetPassSetting(TppPassSettingType::psTwoPass);
    generate(TppPageSettingType::psSinglePage, 2);
    // The first pass ran the whole report; the second made page 2 only.
    EXPECT_EQ(report.Pages.size(), 4);
    EXPECT_EQ(passEvents, (QStringList{"StartFirst", "EndFirst", "StartSecond"}));
    ASSERT_FALSE(report.Delivered.isEmpty());
    EXPECT_EQ(report.Delivered.last(), QStringLiteral("2/3 ") + requestsFullPage + QStringLiteral(" final"));
    for (const QString &page : report.Delivered.mid(0, report.Delivered.size() - 1))
        EXPECT_FALSE(page.endsWith(QStringLiteral(" final"))) << page.toStdString();

    // Later requests run no first pass, and no pass event comes twice.
    report.Delivered.clear();
    generate(TppPageSettingType::psSinglePage, 3);
    generate(TppPageSettingType::psSinglePage, 1);
    EXPECT_EQ(report.Delivered,
              (QStringList{"3/3 " + requestsLastPage + " final", "1/3 " + requestsFullPage + " final"}));
    EXPECT_EQ(passEvents, (QStringList{"StartFirst", "EndFirst", "StartSecond", "EndSecond"}));
}

TEST_F(PageRequests, TheSecondPassEndsWhenItReachesTheLastPageOncePerRun)
{
    report.SetPassSetting(TppPassSettingType::psTwoPass);
    generate(TppPageSettingType::psSinglePage, 2);
    generate(TppPageSettingType::psSinglePage, 2);
    // Page 2 is not the last: the second pass has not ended.
    EXPECT_EQ(passEvents, (QStringList{"StartFirst", "EndFirst", "StartSecond"}));
    generate();
    generate(TppPageSettingType::psLastPage);
    EXPECT_EQ(passEvents, (QStringList{"StartFirst", "EndFirst", "StartSecond", "EndSecond"}));

    // A new run hears every pass again, once.
    passEvents.clear();
    engine()->Reset();
    generate(TppPageSettingType::psSinglePage, 3);
    generate(TppPageSettingType::psSinglePage, 3);
    EXPECT_EQ(passEvents, (QStringList{"StartFirst", "EndFirst", "StartSecond", "EndSecond"}));
}

TEST_F(PageRequests, S4_APageListDeliversInItsOrderAndSkipsPagesPastTheEnd)
{
    generate(TppPageSettingType::psPageList, 1, {"3", "1", "9"});
    EXPECT_EQ(report.Delivered,
              (QStringList{"3/3 " + requestsLastPage + " final", "1/3 " + requestsFullPage + " final"}));
    EXPECT_FALSE(engine()->Generating());
}

TEST_F(PageRequests, APageAloneEqualsThatPageOfAFullRun)
{
    generate();
    const auto fullTops = report.Tops[2];
    const QString full = report.Delivered[2];

    RecordingReport alone;
    MemoryPipeline aloneData;
    aloneData.AddField(QStringLiteral("G"));
    for (int i = 0; i < 100; ++i)
        aloneData.AddRow({QStringLiteral("A")});
    alone.PrinterSetup()->PageDef()->Assign(report.PrinterSetup()->PageDef());
    alone.SetPageLimit(20);
    alone.AddBand<TppHeaderBand>(20000);
    alone.AddBand<TppFooterBand>(20000);
    alone.AddBand<TppDetailBand>(5000);
    alone.SetDataPipeline(&aloneData);
    TppPageRequest request;
    request.SetPageSetting(TppPageSettingType::psSinglePage);
    request.SetPageRequested(3);
    static_cast<TppEngine *>(alone.Engine())->GeneratePage(request);
    ASSERT_EQ(alone.Delivered.size(), 1);
    EXPECT_EQ(alone.Delivered[0], full);
    EXPECT_EQ(alone.Tops.last(), fullTops);
    alone.SetDataPipeline(nullptr);
}

TEST_F(PageRequests, ASinglePageOutsideTheReportComesToItsNearestEnd)
{
    generate(TppPageSettingType::psSinglePage, 0);
    EXPECT_EQ(report.Delivered, QStringList{"1/1 " + requestsFullPage + " final"});
    EXPECT_EQ(report.Pages.size(), 1);

    report.Delivered.clear();
    generate(TppPageSettingType::psSinglePage, 9);
    EXPECT_EQ(report.Delivered, QStringList{"3/3 " + requestsLastPage + " final"});
}

TEST_F(PageRequests, FirstAndLastPage)
{
    generate(TppPageSettingType::psFirstPage);
    EXPECT_EQ(report.Pages.size(), 1);
    EXPECT_EQ(report.Delivered, QStringList{"1/1 " + requestsFullPage + " final"});

    report.Delivered.clear();
    generate(TppPageSettingType::psLastPage);
    EXPECT_EQ(report.Delivered, QStringList{"3/3 " + requestsLastPage + " final"});
    EXPECT_TRUE(engine()->Page()->LastPage());
}

TEST_F(PageRequests, APublisherThatKeepsPagesGetsEveryPageOfTheFinalPass)
{
    report.Publisher()->SetCachePages(true);
    generate(TppPageSettingType::psSinglePage, 3);
    EXPECT_EQ(report.Delivered, (QStringList{"1/1 " + requestsFullPage + " final", "2/2 " + requestsFullPage + " final",
                                             "3/3 " + requestsLastPage + " final"}));

    RecordingReport twoPass;
    twoPass.SetPassSetting(TppPassSettingType::psTwoPass);
    twoPass.Publisher()->SetCachePages(true);
    twoPass.PrinterSetup()->PageDef()->Assign(report.PrinterSetup()->PageDef());
    twoPass.SetPageLimit(20);
    twoPass.AddBand<TppDetailBand>(5000);
    twoPass.SetDataPipeline(&data);
    TppPageRequest request;
    static_cast<TppEngine *>(twoPass.Engine())->GeneratePage(request);
    QStringList finals;
    for (const QString &page : twoPass.Delivered)
        if (page.endsWith(QStringLiteral(" final")))
            finals.append(page.section(QLatin1Char(' '), 0, 0));
    EXPECT_EQ(finals, (QStringList{"1/2", "2/2"}));
    twoPass.SetDataPipeline(nullptr);
}

TEST_F(PageRequests, AListedPageThatIsNoNumberRaises)
{
    EXPECT_THROW(generate(TppPageSettingType::psPageList, 1, {"x"}), rtl::EConvertError);
    EXPECT_FALSE(engine()->Generating());
    generate(TppPageSettingType::psPageList, 1, {"2"});
    EXPECT_EQ(report.Delivered, QStringList{"2/2 " + requestsFullPage + " final"});
}

} // namespace

namespace {

// Groups of 3, 50 and 2 records, each starting a page: four pages, the
// second group on two of them.
class PageNumbers : public enginetest::EngineFixture
{
protected:
    PageNumbers()
    {
        for (auto [value, count] : {std::pair{"A", 3}, {"B", 50}, {"C", 2}})
            for (int i = 0; i < count; ++i)
                data.AddRow({QString::fromLatin1(value)});
        report.SetDataPipeline(&data);
        resetGroup = group(QStringLiteral("G"));
        resetGroup->SetNewPage(true);
        resetGroup->SetResetPageNo(true);
        auto *page = engine()->Page();
        engine()->OnPageComplete.Set([this, page, previous = engine()->OnPageComplete](classes::TObject *aSender) {
            previous(aSender);
            if (engine()->PageWanted())
                numbers.append(QStringLiteral("%1:%2/%3#%4")
                                   .arg(page->AbsolutePageNo())
                                   .arg(page->PageNo())
                                   .arg(page->PageCount())
                                   .arg(page->ControlGroupBreakNo()));
        });
    }

    TppGroup *resetGroup = nullptr;
    QStringList numbers;
};

TEST_F(PageNumbers, AGroupThatResetsThePageNumberNumbersItsOwnPages)
{
    report.SetPassSetting(TppPassSettingType::psTwoPass);
    generate();
    // The last four are the second pass's, with the groups' page counts;
    // the pages of one break carry its number.
    ASSERT_GE(numbers.size(), 4);
    EXPECT_EQ(numbers.mid(numbers.size() - 4), (QStringList{"1:1/1#0", "2:1/2#1", "3:2/2#1", "4:1/1#2"}));
    // Pages made again from their saved state break where the first pass did.
    ASSERT_GE(report.Pages.size(), 4);
    EXPECT_EQ(report.Pages.mid(report.Pages.size() - 4),
              (QStringList{"Header GH Detail*3 GF Footer", "Header GH Detail*45 Footer", "Header GH Detail*5 GF Footer",
                           "Header GH Detail*2 GF Footer"}));
    EXPECT_EQ(engine()->GetPageNoForDisplay(), engine()->PageNo());
}

TEST_F(PageNumbers, WithoutResetThePagesCountThroughTheReport)
{
    resetGroup->SetResetPageNo(false);
    generate();
    EXPECT_EQ(numbers, (QStringList{"1:1/1#0", "2:2/2#0", "3:3/3#0", "4:4/4#0"}));
    EXPECT_GT(engine()->Page()->PrintDateTime(), 0.0);
}

} // namespace

namespace {

class ChildPages : public enginetest::EngineFixture
{};

TEST_F(ChildPages, AChildIsAskedPageByPageAndStaysBusyBetweenRequests)
{
    rows(100);
    ppRequestChildPage(*engine(), 1);
    EXPECT_EQ(report.Delivered, QStringList{"1/1 Header Detail*47 Footer final"});
    EXPECT_TRUE(engine()->Generating());
    // Nothing else runs or resets the child midway.
    generate();
    engine()->Reset();
    EXPECT_EQ(report.Pages.size(), 1);
    EXPECT_EQ(engine()->PageNo(), 1);

    ppRequestChildPage(*engine(), 2);
    EXPECT_EQ(report.Delivered.last(), QStringLiteral("2/2 Header Detail*47 Footer final"));
    EXPECT_EQ(report.Pages.size(), 2);
}

TEST_F(ChildPages, AChildThatStoppedIsReset)
{
    rows(100);
    detail->AfterPrint.Set([this](classes::TObject *) { engine()->SetStopped(true); });
    ppRequestChildPage(*engine(), 1);
    EXPECT_FALSE(engine()->Generating());
    EXPECT_EQ(engine()->PageNo(), 0);

    detail->AfterPrint.Set([](classes::TObject *) { throw std::runtime_error("child"); });
    EXPECT_THROW(ppRequestChildPage(*engine(), 1), std::runtime_error);
    EXPECT_FALSE(engine()->Generating());
    EXPECT_EQ(engine()->PageNo(), 0);
}

} // namespace
