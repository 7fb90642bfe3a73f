#include "BandGeneration.h"
#include "ModelObjects.h"

#include "report/model/bands/BandClasses.h"
#include "report/model/bands/BandClassesRTTI.h"
#include "report/model/bands/DetailBand.h"
#include "report/model/base/Exceptions.h"
#include "report/model/base/Messages.h"
#include "report/model/data/CacheManager.h"
#include "report/model/groups/Group.h"
#include "report/model/groups/GroupBands.h"
#include "report/model/groups/GroupRTTI.h"
#include "report/model/pages/Page.h"

#include "platform/classes/ClassRegistry.h"

#include <QStringList>

#include <algorithm>
#include <limits>

using namespace report;
using namespace reporttest;

namespace {

using BandClasses = BandGeneration;

TEST_F(BandClasses, StaticBandThatDoesNotFitPrintsAtTheTopOfTheNextPage)
{
    auto *title = make<TppTitleBand>(2000);
    engine.SetPrintArea(FakePageEngine::LeftMargin, engine.PageBottom - 1500, FakePageEngine::Width,
                        engine.PageBottom - 1500);
    title->Generate();
    EXPECT_TRUE(title->OutOfSpace());
    EXPECT_EQ(title->Count(), 0);
    EXPECT_EQ(drawn(), 0);
    EXPECT_EQ(engine.PrintTop(), engine.PageBottom - 1500);

    engine.StartPage(2);
    title->Generate();
    EXPECT_FALSE(title->OutOfSpace());
    EXPECT_EQ(title->PrintRect().Top, FakePageEngine::TopMargin);
    EXPECT_EQ(engine.PrintTop(), FakePageEngine::TopMargin + 2000);
    EXPECT_EQ(engine.MaxPosition(), 2000);
    EXPECT_EQ(drawn(), 1);
}

TEST_F(BandClasses, PrintPositionMovesTheBandDownOrBreaksThePageOnce)
{
    auto *band = make<TppColumnHeaderBand>(5000);
    engine.SetPrintArea(FakePageEngine::LeftMargin, 20000, FakePageEngine::Width, 20000);
    band->SetmmPrintPosition(50000);
    band->Generate();
    EXPECT_FALSE(band->OutOfSpace());
    EXPECT_EQ(band->PrintRect().Top, 50000);
    EXPECT_EQ(engine.PrintTop(), 55000);

    // Above the current position: the next page, where it fits at 15000.
    band->SetmmPrintPosition(15000);
    engine.SetPrintArea(FakePageEngine::LeftMargin, 20000, FakePageEngine::Width, 20000);
    band->Generate();
    EXPECT_TRUE(band->OutOfSpace());
    EXPECT_TRUE(band->PrintPositionBreak());
    engine.StartPage(2);
    band->Generate();
    EXPECT_FALSE(band->OutOfSpace());
    EXPECT_EQ(band->PrintRect().Top, 15000);

    // Not fitting twice: the second time it prints where it stands.
    band->SetmmPrintPosition(engine.PageBottom - 1000);
    engine.SetPrintArea(FakePageEngine::LeftMargin, 30000, FakePageEngine::Width, 30000);
    band->Generate();
    EXPECT_TRUE(band->OutOfSpace());
    band->Generate();
    EXPECT_FALSE(band->OutOfSpace());
    EXPECT_FALSE(band->PrintPositionBreak());
    EXPECT_EQ(band->PrintRect().Top, 30000);
}

TEST_F(BandClasses, PrintPositionAtThePageBottomGoesToThePrintErrorHandler)
{
    auto *band = make<TppColumnHeaderBand>(5000);
    band->SetmmPrintPosition(engine.PageBottom);
    EXPECT_THROW(band->Generate(), EPrintError);
    ASSERT_EQ(report.PrintErrors.size(), 1);
    EXPECT_EQ(report.PrintErrors.first(), ppLoadStr(415) + QStringLiteral("."));
    EXPECT_FALSE(band->Generating());
}

TEST_F(BandClasses, PageBandsOnTheFirstAndLastPage)
{
    auto *header = make<TppHeaderBand>();
    header->SetPrintOnFirstPage(false);
    header->Generate();
    EXPECT_EQ(header->Count(), 0);
    engine.StartPage(2);
    header->Generate();
    EXPECT_EQ(header->Count(), 1);
    EXPECT_TRUE(engine.Calls.contains(QStringLiteral("ResetBand Header")));

    header->SetPrintOnLastPage(false);
    engine.StartPage(3);
    engine.LastPage = true;
    header->Generate();
    EXPECT_EQ(header->Count(), 0);
}

TEST_F(BandClasses, FooterSitsAtTheFootOfThePageAndStaysStatic)
{
    auto *footer = make<TppFooterBand>(15000);
    footer->SetPrintHeight(TppPrintHeightType::phDynamic);
    EXPECT_EQ(footer->PrintHeight(), TppPrintHeightType::phStatic);
    engine.SetPrintArea(FakePageEngine::LeftMargin, 30000, FakePageEngine::Width, 30000);
    footer->Generate();
    EXPECT_EQ(footer->PrintRect().Top, engine.PageAreaBottom - 15000);
    EXPECT_EQ(footer->PrintRect().Bottom, engine.PageAreaBottom);
    EXPECT_EQ(drawn(), 1);

    auto *columnFooter = make<TppColumnFooterBand>(4000);
    columnFooter->Generate();
    EXPECT_EQ(columnFooter->PrintRect().Top, engine.ColumnBottom);
}

TEST_F(BandClasses, TitleWithNewPageStandsAlone)
{
    auto *title = make<TppTitleBand>();
    title->SetNewPage(true);
    title->Generate();
    EXPECT_EQ(title->Count(), 1);
    // Printed, and the report goes on on a new page.
    EXPECT_TRUE(title->OutOfSpace());
    EXPECT_TRUE(title->PrintedOnce());
    engine.StartPage(2);
    title->Generate();
    EXPECT_EQ(title->Count(), 0);
    EXPECT_FALSE(engine.EngineState() & ppEngineState::TitleNewPage);

    title->InitObjects();
    EXPECT_FALSE(title->PrintedOnce());
}

TEST_F(BandClasses, SummaryWithNewPageStartsOnANewPage)
{
    auto *summary = make<TppSummaryBand>();
    summary->SetNewPage(true);
    summary->Generate();
    EXPECT_EQ(summary->Count(), 0);
    EXPECT_TRUE(summary->OutOfSpace());
    engine.StartPage(2);
    summary->Generate();
    EXPECT_EQ(summary->Count(), 1);
    EXPECT_EQ(summary->PrintRect().Top, FakePageEngine::TopMargin);
}

TEST_F(BandClasses, HiddenTitleOrSummaryWithNewPageTakesNoPageOfItsOwn)
{
    auto *title = make<TppTitleBand>();
    title->SetNewPage(true);
    title->SetVisible(false);
    title->Generate();
    EXPECT_TRUE(title->PrintedOnce());
    EXPECT_FALSE(title->OutOfSpace());
    EXPECT_FALSE(engine.EngineState() & ppEngineState::TitleNewPage);

    auto *summary = make<TppSummaryBand>();
    summary->SetNewPage(true);
    summary->SetVisible(false);
    summary->Generate();
    EXPECT_FALSE(summary->OutOfSpace());
    EXPECT_FALSE(engine.EngineState() & ppEngineState::SummaryNewPage);
    EXPECT_EQ(drawn(), 0);
}

QList<int> pagesPrinted(TppPageStyle *aStyle, FakePageEngine &aEngine)
{
    QList<int> pages;
    for (int page = 1; page <= 6; ++page) {
        aEngine.StartPage(page);
        aStyle->Generate();
        if (aStyle->Count() == 1)
            pages.append(page);
    }
    return pages;
}

TEST_F(BandClasses, PageStylePrintsOnTheChosenPages)
{
    auto *style = make<TppPageStyle>();
    EXPECT_EQ(pagesPrinted(style, engine), (QList<int>{1, 2, 3, 4, 5, 6}));
    style->SetPageSetting(TppPageSettingType::psFirstPage);
    EXPECT_EQ(pagesPrinted(style, engine), (QList<int>{1}));
    style->SetPageList({QString::asprintf("%8d", 3)});
    style->SetPageSetting(TppPageSettingType::psPageList);
    EXPECT_EQ(pagesPrinted(style, engine), (QList<int>{3}));
    style->SetStartPage(2);
    style->SetEndPage(4);
    style->SetPageSetting(TppPageSettingType::psPageRange);
    EXPECT_EQ(pagesPrinted(style, engine), (QList<int>{2, 3, 4}));
    style->SetEndPage(0);
    EXPECT_EQ(pagesPrinted(style, engine), (QList<int>{2, 3, 4, 5, 6}));
    style->SetSinglePage(5);
    style->SetPageSetting(TppPageSettingType::psSinglePage);
    EXPECT_EQ(pagesPrinted(style, engine), (QList<int>{5}));
    style->SetPageSetting(TppPageSettingType::psLastPage);
    EXPECT_EQ(pagesPrinted(style, engine), (QList<int>{}));
    engine.LastPage = true;
    EXPECT_EQ(pagesPrinted(style, engine), (QList<int>{1, 2, 3, 4, 5, 6}));
}

TEST_F(BandClasses, ValidPagesParsesIntoThePageListOrChangesNothing)
{
    auto *style = make<TppPageStyle>();
    style->SetValidPages(QStringLiteral("1, 4-5"));
    EXPECT_EQ(style->PageSetting(), TppPageSettingType::psPageList);
    EXPECT_EQ(style->PageList(),
              (QStringList{QString::asprintf("%8d", 1), QString::asprintf("%8d", 4), QString::asprintf("%8d", 5)}));
    style->SetPageSetting(TppPageSettingType::psAll);
    style->SetValidPages(QStringLiteral("1-200000"));
    EXPECT_EQ(style->PageSetting(), TppPageSettingType::psAll);
    EXPECT_EQ(style->PageList().size(), 3);
    EXPECT_EQ(style->ValidPages(), QStringLiteral("1, 4-5"));

    // Nothing changes while the report prints.
    report.Printing = true;
    style->SetPageSetting(TppPageSettingType::psFirstPage);
    EXPECT_EQ(style->PageSetting(), TppPageSettingType::psAll);
    EXPECT_EQ(style->GetSortKey(), QString::asprintf("%8d", 0));
    report.Printing = false;
    EXPECT_EQ(style->GetSortKey(), QString::asprintf("%8d", 10));
}

TEST_F(BandClasses, APageStyleKeepsItsSettingAndPagesThroughAStream)
{
    TppPageStyle style(nullptr);
    style.SetName(QStringLiteral("PageStyle1"));
    style.SetValidPages(QStringLiteral("1, 4-5"));
    style.SetPageSetting(TppPageSettingType::psFirstPage);
    const QByteArray text = componentStreamText(&style);

    classes::RegisterClasses({&TppPageStyle::StaticClass()});
    TppPageStyle copy(nullptr);
    modeltest::readText(&copy, text);
    classes::UnRegisterClasses({&TppPageStyle::StaticClass()});
    EXPECT_EQ(copy.PageSetting(), TppPageSettingType::psFirstPage) << text.toStdString();
    EXPECT_EQ(copy.ValidPages(), QStringLiteral("1, 4-5"));
    EXPECT_EQ(copy.PageList(), style.PageList());
}

TEST_F(BandClasses, BandKeysSortInPrintOrderWithTwoGroups)
{
    auto outer = std::make_unique<TppGroup>(nullptr);
    auto inner = std::make_unique<TppGroup>(nullptr);
    outer->SetReport(&report);
    inner->SetReport(&report);
    std::vector<std::pair<TppBand *, QString>> bands = {
        {make<TppSummaryBand>(), "summary"},
        {make<TppFooterBand>(), "footer"},
        {make<TppGroupFooterBand>(), "group footer 0"},
        {make<TppDetailBand>(), "detail"},
        {make<TppGroupHeaderBand>(), "group header 1"},
        {make<TppColumnFooterBand>(), "column footer"},
        {make<TppGroupFooterBand>(), "group footer 1"},
        {make<TppHeaderBand>(), "header"},
        {make<TppGroupHeaderBand>(), "group header 0"},
        {make<TppColumnHeaderBand>(), "column header"},
        {make<TppTitleBand>(), "title"},
    };
    for (auto &[band, name] : bands) {
        TppGroup *group = name.endsWith(QLatin1Char('0')) ? outer.get() : inner.get();
        if (auto *groupBand = dynamic_cast<TppGroupBand *>(band))
            groupBand->SetGroup(group);
    }
    std::stable_sort(bands.begin(), bands.end(),
                     [](const auto &a, const auto &b) { return a.first->GetSortKey() < b.first->GetSortKey(); });
    QStringList order;
    for (const auto &entry : bands)
        order.append(entry.second);
    EXPECT_EQ(order, (QStringList{"title", "header", "column header", "group header 0", "group header 1", "detail",
                                  "group footer 1", "group footer 0", "column footer", "footer", "summary"}));
    for (auto &entry : bands)
        if (auto *groupBand = dynamic_cast<TppGroupBand *>(entry.first))
            groupBand->SetGroup(nullptr);
}

TEST_F(BandClasses, KindsCaptionsAndNames)
{
    EXPECT_EQ(make<TppTitleBand>()->GetBandKind(), ppBandKind::Title);
    EXPECT_EQ(make<TppSummaryBand>()->UserName(), QStringLiteral("Summary"));
    EXPECT_FALSE(make<TppHeaderBand>()->UsesColumnWidth());
    EXPECT_TRUE(make<TppColumnHeaderBand>()->UsesColumnWidth());
    EXPECT_EQ(make<TppFooterBand>()->GetDefaultCaption(), ppLoadStr(190));
    TppGroup group(nullptr);
    group.SetReport(&report);
    auto *header = make<TppGroupHeaderBand>();
    header->SetGroup(&group);
    EXPECT_EQ(header->GetBandKind(), ppBandKind::GroupHeader | ppBandKind::Header);
    report.ColumnCount = 2;
    EXPECT_EQ(header->GetBandKind(), ppBandKind::GroupHeader | ppBandKind::Header | ppBandKind::ColumnHeader);
    EXPECT_EQ(header->GetDefaultCaption(), ppLoadStr(192) + QStringLiteral("[0]: ") + ppLoadStr(301));
    group.SetBreakName(QStringLiteral("Country"));
    EXPECT_EQ(header->GetDefaultCaption(), ppLoadStr(192) + QStringLiteral("[0]: Country"));
    header->SetGroup(nullptr);
}

TEST_F(BandClasses, EveryClassCarriesItsConstants)
{
    struct Expected
    {
        TppCustomBand *band;
        const char *userName;
        int caption, sortKey, kind, recordSize;
        bool resetOnPage, columnWidth;
        int printCountMode;
    };
    TppGroup group(nullptr);
    group.SetReport(&report);
    group.SetReprintOnSubsequentPage(false);
    auto *groupHeader = make<TppGroupHeaderBand>();
    auto *groupFooter = make<TppGroupFooterBand>();
    groupHeader->SetGroup(&group);
    groupFooter->SetGroup(&group);
    const Expected table[] = {
        {make<TppTitleBand>(), "Title", 195, 1, 1, 20, true, false, 1},
        {make<TppHeaderBand>(), "Header", 193, 2, 4, 20, true, false, 1},
        {make<TppColumnHeaderBand>(), "ColumnHeader", 188, 3, 16, 20, true, true, 1},
        {groupHeader, nullptr, 192, 4, 64, 24, false, true, 1},
        {make<TppDetailBand>(), "Detail", 189, 5, 256, 24, false, true, 2},
        {groupFooter, nullptr, 191, 6, 128, 20, false, true, 1},
        {make<TppColumnFooterBand>(), "ColumnFooter", 187, 7, 32, 20, false, true, 1},
        {make<TppFooterBand>(), "Footer", 190, 8, 8, 20, false, false, 1},
        {make<TppSummaryBand>(), "Summary", 194, 9, 2, 20, false, false, 1},
        {make<TppPageStyle>(), "PageStyle", 691, 10, 4, 20, true, false, 1},
    };
    for (const Expected &e : table) {
        const QString name = e.band->ClassName();
        if (e.userName) {
            EXPECT_EQ(e.band->UserName(), QString::fromLatin1(e.userName)) << name.toStdString();
        }
        EXPECT_EQ(e.band->CaptionIndex(), e.caption) << name.toStdString();
        EXPECT_EQ(e.band->GetSortKey().left(8), QString::asprintf("%8d", e.sortKey)) << name.toStdString();
        EXPECT_EQ(e.band->GetBandKind(), e.kind) << name.toStdString();
        EXPECT_EQ(e.band->CacheRecordSize(), e.recordSize) << name.toStdString();
        EXPECT_EQ(e.band->ResetOnPage(), e.resetOnPage) << name.toStdString();
        EXPECT_EQ(e.band->UsesColumnWidth(), e.columnWidth) << name.toStdString();
        EXPECT_EQ(e.band->DefaultPrintCountMode(), e.printCountMode) << name.toStdString();
        EXPECT_EQ(e.band->PrintHook(), e.band->ClassName() == QStringLiteral("TppPageStyle")) << name.toStdString();
    }
    // The bands without a height of their own.
    for (TppBand *band :
         std::initializer_list<TppBand *>{new TppColumnHeaderBand(nullptr), new TppColumnFooterBand(nullptr),
                                          new TppGroupHeaderBand(nullptr), new TppGroupFooterBand(nullptr)}) {
        EXPECT_EQ(band->mmHeight(), 0) << band->ClassName().toStdString();
        delete band;
    }
    groupHeader->SetGroup(nullptr);
    groupFooter->SetGroup(nullptr);
}

TEST_F(BandClasses, BandStateSurvivesTheCache)
{
    auto *title = make<TppTitleBand>();
    auto *detail = make<TppDetailBand>();
    TppCacheManager cache(nullptr, &report);
    cache.Reset();
    title->SetNewPage(true);
    title->Generate();
    detail->SetCurrentSection(1);
    detail->SetCurrentObjectIndex(2);
    detail->SetOverFlow(true);
    detail->SetPartialAdjustment(1234);
    cache.SavePage(1);

    title->InitObjects();
    detail->InitObjects();
    EXPECT_FALSE(title->PrintedOnce());
    cache.RestorePage(1);
    EXPECT_TRUE(title->PrintedOnce());
    EXPECT_EQ(detail->CurrentSection(), 1);
    EXPECT_EQ(detail->CurrentObjectIndex(), 2);
    EXPECT_TRUE(detail->OverFlow());
    EXPECT_EQ(detail->PartialAdjustment(), 1234);
    EXPECT_EQ(detail->CacheRecordSize(), 24);
    EXPECT_EQ(title->CacheRecordSize(), 20);
}

} // namespace

namespace {

TEST_F(BandClasses, ScriptsSeeTheGenerationStateAndTheBandSettings)
{
    auto *detail = make<TppDetailBand>();
    detail->SetPrintCount(2);
    engine.SetDueBands(ppBandKind::Detail);
    detail->Generate();

    const TraRTTI &rtti = TraTppDetailBandRTTI::Instance();
    TraPropRec rec;
    ASSERT_TRUE(rtti.GetPropRec(TppDetailBand::StaticClass(), QStringLiteral("count"), rec));
    int32_t count = 0;
    EXPECT_TRUE(rtti.GetPropValue(detail, QStringLiteral("Count"), &count));
    EXPECT_EQ(count, 2);
    EXPECT_FALSE(rtti.SetPropValue(detail, QStringLiteral("Count"), &count));
    int32_t perRecord = 0;
    EXPECT_TRUE(rtti.SetPropValue(detail, QStringLiteral("BandsPerRecord"), &perRecord));
    EXPECT_EQ(detail->BandsPerRecord(), 1);
    classes::TObject *current = nullptr;
    EXPECT_TRUE(rtti.GetPropValue(detail, QStringLiteral("CurrentObject"), &current));
    EXPECT_EQ(current, detail->Objects(0));

    TppGroup group(nullptr);
    group.SetReport(&report);
    std::unique_ptr<TraParamList> params = TraTppGroupRTTI::Instance().GetParams(QStringLiteral("OnGetBreakValue"));
    ASSERT_TRUE(params);
    EXPECT_EQ(params->ParamRec(0).Name, QStringLiteral("BreakValue"));
    bool keep = true;
    EXPECT_TRUE(TraTppGroupRTTI::Instance().SetPropValue(&group, QStringLiteral("KeepTogether"), &keep));
    EXPECT_TRUE(group.KeepTogether());
    // Scripts may give the thresholds in other units.
    uint8_t units = uint8_t(TppUnitType::utMillimeters);
    EXPECT_TRUE(TraTppGroupRTTI::Instance().SetPropValue(&group, QStringLiteral("Units"), &units));
    group.SetNewPageThreshold(25.0f);
    EXPECT_EQ(group.mmNewPageThreshold(), 25000);
    units = 9;
    EXPECT_FALSE(TraTppGroupRTTI::Instance().SetPropValue(&group, QStringLiteral("Units"), &units));
    EXPECT_EQ(group.Units(), TppUnitType::utMillimeters);
    uint8_t breakType = uint8_t(TppBreakType::btCustomField);
    EXPECT_TRUE(TraTppGroupRTTI::Instance().SetPropValue(&group, QStringLiteral("BreakType"), &breakType));
    EXPECT_EQ(group.BreakType(), TppBreakType::btCustomField);
    breakType = 2;
    EXPECT_FALSE(TraTppGroupRTTI::Instance().SetPropValue(&group, QStringLiteral("BreakType"), &breakType));
}

} // namespace

TEST(BandGeometry, AnObjectReachingBeyondTheRangeOfThousandthsIsHeldAtItsEnd)
{
    constexpr int32_t most = std::numeric_limits<int32_t>::max();
    // Without report the height is not capped: the object moves up into it.
    TppTitleBand loose(nullptr);
    auto *object = new StandInPrintable(nullptr);
    object->SetBand(&loose);
    object->TppPrintable::SetmmHeight(1000);
    object->TppPrintable::SetmmTop(most - 100);
    loose.SetmmHeight(5000);
    EXPECT_EQ(object->mmTop(), 4000);
    EXPECT_EQ(loose.mmHeight(), 5000);

    // An old dynamic band takes its bottom offset from its lowest object.
    StandInReport report;
    TppTitleBand old(nullptr);
    old.SetReport(&report);
    old.SetPrintHeight(TppPrintHeightType::phDynamic);
    old.SetmmHeight(10000);
    auto *low = new StandInPrintable(nullptr);
    low->SetBand(&old);
    low->TppPrintable::SetmmHeight(1000);
    low->TppPrintable::SetmmTop(most - 100);
    old.Convert(2500);
    EXPECT_EQ(old.mmBottomOffset(), 10000 - most);
}

namespace {

TEST_F(BandClasses, ABandPrintedOnceOrACountedNumberOfTimesWaitsForItsKindToBeDue)
{
    auto *title = make<TppTitleBand>(2000);
    auto *summary = make<TppSummaryBand>(2000);
    summary->SetPrintCount(2);
    engine.SetDueBands(0);
    title->Generate();
    summary->Generate();
    EXPECT_EQ(title->Count(), 0);
    EXPECT_EQ(summary->Count(), 0);
    EXPECT_EQ(drawn(), 0);

    engine.SetDueBands(ppBandKind::Title | ppBandKind::Summary);
    title->Generate();
    summary->Generate();
    EXPECT_EQ(title->Count(), 1);
    // Twice, while its kind stays due.
    EXPECT_EQ(summary->Count(), 2);
}

} // namespace
