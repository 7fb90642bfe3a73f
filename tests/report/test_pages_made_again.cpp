// Pages made again from the engine's cache, as the preview does going back
// without cached pages and as printing a page or a range does: each page
// must come out as it did when the report ran forward. A rich text going on
// from the page before shows the text of the record that page began with,
// and a long text going forward is still loaded and merged once a record.

#include "MemoFixture.h"

#include "report/content/drawcommands/DrawRichText.h"
#include "report/content/richtext/RichText.h"
#include "report/content/text/DBText.h"

#include "tests/support/report/CsvPipeline.h"
#include "tests/support/report/TraceDevice.h"

#include "Samples.h"

#include "report/content/barcodes/BarCode.h"
#include "report/content/graphics/Images.h"
#include "report/content/graphics/Region.h"
#include "report/content/text/Label.h"
#include "report/content/variables/Calc.h"
#include "report/content/variables/DBCalc.h"
#include "report/content/variables/SystemVariable.h"
#include "report/content/variables/Variable.h"
#include "report/model/groups/Group.h"
#include "report/model/groups/GroupBands.h"
#include "report/model/pages/Publisher.h"
#include "report/model/reports/Report.h"
#include "report/model/subreports/SubReport.h"
#include "report/output/LibraryInit.h"

#include "platform/classes/ObjectText.h"
#include "platform/classes/Picture.h"
#include "platform/classes/Streams.h"
#include "platform/classes/StringList.h"
#include "platform/richedit/RichEdit.h"

#include <QBuffer>
#include <QImage>
#include <QRandomGenerator>

#include <algorithm>
#include <map>

namespace {

using namespace memotest;

// What a page shows of the rich text and of the key beside it.
struct RecordOnPage
{
    QString key;
    int start = -1;
    int end = -1;
    QString text;

    bool operator==(const RecordOnPage &) const = default;
};

std::ostream &operator<<(std::ostream &aOut, const RecordOnPage &aPage)
{
    return aOut << "key " << aPage.key.toStdString() << " [" << aPage.start << ", " << aPage.end << "] "
                << aPage.text.left(24).toStdString();
}

class RichTextMadeAgain : public MemoFixture
{
protected:
    RichTextMadeAgain()
    {
        memo->SetVisible(false);
        key = new TppDBText;
        key->SetBand(detail);
        key->SetBounds(0, 0, 8 * CharMM, LineMM);
        key->SetDataPipeline(&data);
        key->SetDataField(QStringLiteral("Key"));
        key->SetReprintOnOverFlow(true);
        report.OnEndPage.Set([this](classes::TObject *) { readPage(); });
    }

    template <class Rich>
    Rich *addRichText()
    {
        auto *rich = new Rich;
        rich->SetBand(detail);
        rich->SetBounds(10 * CharMM, 0, 60 * CharMM, LineMM);
        rich->SetStretch(true);
        return rich;
    }

    void readPage()
    {
        RecordOnPage seen;
        const TppPage *page = engine()->Page();
        for (int i = 0; i < page->DrawCommandCount(); ++i) {
            if (const auto *text = dynamic_cast<const TppDrawText *>(page->DrawCommands(i)); text && seen.key.isEmpty())
                seen.key = text->Text();
            const auto *command = dynamic_cast<const TppDrawRichText *>(page->DrawCommands(i));
            if (!command || seen.start >= 0)
                continue;
            richedit::RichEdit edit;
            edit.LoadFromBytes(command->RichTextBytes());
            seen.start = command->StartCharPos();
            seen.end = command->EndCharPos();
            seen.text = edit.Text().mid(seen.start, 40);
        }
        pages << seen;
    }

    // Paragraphs enough for about five pages, each naming its record.
    static QString recordRtf(const QString &aRecord, int aParagraphs = 220)
    {
        QString rtf = QStringLiteral("{\\rtf1{\\fonttbl{\\f0 Arial;}}\\f0\\fs24 ");
        for (int p = 0; p < aParagraphs; ++p)
            rtf += QStringLiteral("Record %1 paragraph %2 holds words enough to wrap onto a second line.\\par ")
                       .arg(aRecord)
                       .arg(p);
        return rtf + u'}';
    }

    // The whole report forward, then every page alone, last first: each
    // page as the forward run made it.
    void expectEveryPageAgainAsBefore()
    {
        generate();
        const QList<RecordOnPage> forward = pages;
        ASSERT_GE(forward.size(), 12);
        for (int page = int(forward.size()); page >= 1; --page) {
            pages.clear();
            generate(TppPageSettingType::psSinglePage, page);
            ASSERT_FALSE(pages.isEmpty()) << page;
            EXPECT_EQ(pages.last(), forward[page - 1]) << "page " << page;
        }
    }

    TppDBText *key = nullptr;
    QList<RecordOnPage> pages;
};

TEST_F(RichTextMadeAgain, ADataRichTextGoingOnShowsTheRecordItsPageBeganWith)
{
    auto *rich = addRichText<TppDBRichText>();
    rich->SetDataPipeline(&data);
    rich->SetDataField(QStringLiteral("Text"));
    rows({recordRtf(QStringLiteral("one")), recordRtf(QStringLiteral("two")), recordRtf(QStringLiteral("three"))});
    expectEveryPageAgainAsBefore();
}

TEST_F(RichTextMadeAgain, AMergedTextGoingOnShowsTheRecordItsPageBeganWith)
{
    auto *rich = addRichText<TppRichText>();
    rich->SetMailMerge(true);
    rich->SetRichText(recordRtf(QStringLiteral("<Key>")));
    rows({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
    expectEveryPageAgainAsBefore();
}

TEST_F(RichTextMadeAgain, ATextGoingForwardIsLoadedOnceARecordAndOnceMoreForAPageMadeAgain)
{
    auto *rich = addRichText<TppDBRichText>();
    int loads = 0;
    rich->OnGetRichText.Set([&](classes::TObject *, QString &aText) {
        ++loads;
        aText = recordRtf(data.GetFieldAsString(QStringLiteral("Key")));
    });
    rows({QStringLiteral("x"), QStringLiteral("y")});
    generate();
    EXPECT_GE(pages.size(), 8);
    EXPECT_EQ(loads, 2);
    // Page 3 goes on with the first record: its text is loaded for it once.
    loads = 0;
    generate(TppPageSettingType::psSinglePage, 3);
    EXPECT_EQ(loads, 1);
}

// ---- Every page again, of whole reports -------------------------------------------------

// A page's draw commands, each in the text form of its stream: every value a
// device reads, the rich text's RTF included. The outline is left out: a page
// carries the outline as far as the report is known when the page is made.
QStringList pageCommands(report::TppPage &aPage)
{
    QStringList commands;
    const report::TppDrawCommand *outline = aPage.OutlineDrawCommand();
    for (int i = 0; i < aPage.DrawCommandCount(); ++i) {
        if (aPage.DrawCommands(i) == outline)
            continue;
        classes::TMemoryStream binary;
        binary.WriteComponent(aPage.DrawCommands(i));
        binary.SetPosition(0);
        classes::TMemoryStream text;
        classes::ObjectBinaryToText(binary, text);
        commands << QString::fromLatin1(text.Memory(), qsizetype(text.Size()));
    }
    return commands;
}

// The report's pages as its devices get them: the whole report forward,
// then page by page on their own, as the preview asks for them going back
// with no pages cached.
class PageSweep
{
public:
    explicit PageSweep(report::TppReport &aReport)
        : m_report(aReport)
    {
        m_report.SetCachePages(false);
    }

    // Page number to commands, of the pages the request delivered.
    std::map<int, QStringList> print(const report::TppPageRequest *aRequest = nullptr)
    {
        std::map<int, QStringList> pages;
        reporttest::TraceDevice device;
        if (aRequest)
            device.SetPageRequest(aRequest);
        device.OnPageReceive.Set([&](classes::TObject *, classes::TObject *aPage) {
            auto *page = static_cast<report::TppPage *>(aPage);
            if (!page->Calculation() && device.PageInRequest())
                pages[page->AbsolutePageNo()] = pageCommands(*page);
        });
        device.SetPublisher(m_report.Publisher());
        m_report.PrintToDevices();
        device.SetPublisher(nullptr);
        return pages;
    }

    QStringList single(int aPage)
    {
        report::TppPageRequest request;
        request.SetPageSetting(report::TppPageSettingType::psSinglePage);
        request.SetPageRequested(aPage);
        const std::map<int, QStringList> pages = print(&request);
        const auto found = pages.find(aPage);
        return found == pages.end() ? QStringList{QStringLiteral("page %1 not delivered").arg(aPage)} : found->second;
    }

    // Every page made again backwards, then in a shuffled order, then the
    // second half of the report as one range; answers the pages that came
    // out otherwise than forward, with their first difference.
    QStringList differences()
    {
        const std::map<int, QStringList> forward = print();
        QStringList found;
        if (forward.size() < 2)
            return {QStringLiteral("only %1 pages").arg(forward.size())};
        const auto compare = [&](int aPage, const QStringList &aAgain) {
            const QStringList &before = forward.at(aPage);
            if (aAgain == before)
                return;
            int i = 0;
            while (i < aAgain.size() && i < before.size() && aAgain[i] == before[i])
                ++i;
            found << QStringLiteral("page %1 (%2 commands, forward %3), command %4:\n%5\nforward:\n%6")
                         .arg(aPage)
                         .arg(aAgain.size())
                         .arg(before.size())
                         .arg(i)
                         .arg(aAgain.value(i), before.value(i));
        };
        std::vector<int> order;
        for (const auto &[page, commands] : forward)
            order.insert(order.begin(), page);
        std::vector<int> shuffled = order;
        QRandomGenerator random(20261208);
        std::shuffle(shuffled.begin(), shuffled.end(), random);
        order.insert(order.end(), shuffled.begin(), shuffled.end());
        for (int page : order)
            compare(page, single(page));

        report::TppPageRequest range;
        range.SetPageSetting(report::TppPageSettingType::psPageList);
        classes::TStringList list;
        const int last = forward.rbegin()->first;
        for (int page = last / 2 + 1; page <= last; ++page)
            list.Add(QString::number(page));
        range.SetPageList(&list);
        const std::map<int, QStringList> printed = print(&range);
        if (int(printed.size()) != list.Count())
            found << QStringLiteral("%1 pages of a range of %2").arg(printed.size()).arg(list.Count());
        for (const auto &[page, commands] : printed)
            compare(page, commands);
        return found;
    }

private:
    report::TppReport &m_report;
};

class PagesMadeAgain : public ::testing::Test
{
protected:
    PagesMadeAgain() { report::ppLibraryInit(); }
    ~PagesMadeAgain() override { report::ppLibraryFinalize(); }
};

// reportdemo's samples over their CSV files, as --report prints them.
TEST_F(PagesMadeAgain, EveryPageOfEverySampleComesOutAsForward)
{
    const std::map<QString, QString> files{{QStringLiteral("grouped"), QStringLiteral("grouped.csv")},
                                           {QStringLiteral("memo"), QStringLiteral("memo.csv")},
                                           {QStringLiteral("barcodes"), QStringLiteral("codes.csv")},
                                           {QStringLiteral("shapes"), QStringLiteral("pics.csv")}};
    for (const QString &name : reportdemo::SampleNames()) {
        const auto file = files.find(name);
        const QString csv = file == files.end() ? QStringLiteral("list.csv") : file->second;
        reporttest::MemoryPipeline data;
        QString error;
        ASSERT_TRUE(reporttest::LoadCsvPipeline(QStringLiteral(ZVO_DEMO_SAMPLES "/") + csv, data, error))
            << error.toStdString();
        std::unique_ptr<report::TppReport> sample = reportdemo::CreateSample(name, data);
        ASSERT_TRUE(sample) << name.toStdString();
        sample->SetPageLimit(40);
        PageSweep sweep(*sample);
        const QStringList found = sweep.differences();
        EXPECT_TRUE(found.isEmpty()) << name.toStdString() << ": " << found.join(u'\n').left(3000).toStdString();
    }
}

// ---- A report of every kind of printable ----------------------------------------------

// Records in groups of five, kept together; each prints every kind of
// printable, the texts of some going on over the next page, and the groups'
// and the report's ends hold subreports.
class EveryPrintable
{
public:
    EveryPrintable()
    {
        data.AddField(QStringLiteral("Key"));
        data.AddField(QStringLiteral("Group"));
        data.AddField(QStringLiteral("Amount"), report::TppDataType::dtDouble);
        data.AddField(QStringLiteral("Text"));
        data.AddField(QStringLiteral("Rtf"));
        data.AddField(QStringLiteral("Code"));
        for (int i = 0; i < 24; ++i) {
            // Every seventh record holds a text longer than a page.
            const int words = i % 7 == 3 ? 900 : 6 + i * 5;
            QStringList text;
            for (int w = 0; w < words; ++w)
                text << QStringLiteral("r%1w%2").arg(i).arg(w);
            QString rtf = QStringLiteral("{\\rtf1{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 ");
            for (int p = 0; p < (i % 7 == 5 ? 160 : 1 + i % 4); ++p)
                rtf += QStringLiteral("{\\b Record %1} paragraph %2 of its rich text.\\par ").arg(i).arg(p);
            data.AddRow({QStringLiteral("K%1").arg(i), QStringLiteral("G%1").arg(i / 5), 1.5 * i, text.join(u' '),
                         rtf + u'}', QStringLiteral("%1").arg(100000 + i * 37)});
        }
        lines.AddField(QStringLiteral("Line"));
        for (int i = 0; i < 12; ++i)
            lines.AddRow({QStringLiteral("line %1").arg(i)});
    }

    struct Layout
    {
        const char *name;
        int columns = 1;
        report::TppColumnTraversalType traversal = report::TppColumnTraversalType::ctTopToBottom;
        // How the summary's subreport prints; a section stands alone there.
        report::TppPrintBehaviorType summary = report::TppPrintBehaviorType::pbChild;
        // The group footer's fixed subreport goes on with its data group by group.
        bool fixedTraversesAllData = false;
    };

    std::unique_ptr<report::TppReport> build(const Layout &aLayout)
    {
        const int aColumns = aLayout.columns;
        const report::TppColumnTraversalType aTraversal = aLayout.traversal;
        using namespace report;
        auto result = std::make_unique<TppReport>();
        TppReport &r = *result;
        reporttest::SetA4Portrait(*r.PrinterSetup());
        r.SetDataPipeline(&data);
        r.SetPageLimit(100);
        if (aColumns > 1) {
            r.SetColumns(aColumns);
            r.SetmmColumnWidth(95000);
        }
        const int32_t width = 90000;

        auto *title = band<TppTitleBand>(r, 12000);
        label(title, QStringLiteral("Every printable"), 0, 0, width);
        auto *printed = place(new TppSystemVariable, title, 0, 6000, width);
        printed->SetVarType(TppVarType::vtPrintDateTime);

        auto *header = band<TppHeaderBand>(r, 10000);
        label(header, QStringLiteral("Header"), 0, 0, 40000);
        place(new TppCalc, header, 45000, 0, 40000)->SetCalcType(TppCalcType::ctPageNoDesc);

        if (aColumns > 1) {
            label(band<TppColumnHeaderBand>(r, 6000), QStringLiteral("Column"), 0, 0, 40000);
            label(band<TppColumnFooterBand>(r, 6000), QStringLiteral("Column end"), 0, 0, 40000);
        }
        auto *footer = band<TppFooterBand>(r, 10000);
        place(new TppSystemVariable, footer, 0, 0, width)->SetVarType(TppVarType::vtPageSetDesc);

        auto *group = new TppGroup;
        group->SetReport(&r);
        group->SetDataPipeline(&data);
        group->SetBreakName(QStringLiteral("Group"));
        group->SetKeepTogether(true);
        group->SetReprintOnSubsequentPage(true);
        auto *groupHeader = band<TppGroupHeaderBand>(r, 6000);
        groupHeader->SetGroup(group);
        dbText(groupHeader, QStringLiteral("Group"), 0, 0, 40000);
        auto *groupFooter = band<TppGroupFooterBand>(r, 20000);
        groupFooter->SetGroup(group);
        auto *sum = place(new TppDBCalc, groupFooter, 0, 0, 40000);
        sum->SetDataPipeline(&data);
        sum->SetDataField(QStringLiteral("Amount"));
        sum->SetResetGroup(group);

        auto *fixed = place(new TppSubReport, groupFooter, 0, 6000, width, 12000);
        fixed->SetPrintBehavior(TppPrintBehaviorType::pbFixed);
        fixed->SetTraverseAllData(aLayout.fixedTraversesAllData);
        childList(*fixed);

        auto *detail = band<TppDetailBand>(r, 44000);
        detail->SetPrintHeight(TppPrintHeightType::phDynamic);
        detail->SetColumnTraversal(aTraversal);
        dbText(detail, QStringLiteral("Key"), 0, 0, 20000);
        dbText(detail, QStringLiteral("Amount"), 0, 5000, 20000);
        auto *running = place(new TppVariable, detail, 0, 10000, 20000);
        running->SetDataType(TppDataType::dtDouble);
        running->SetResetType(TppVarEventType::veGroupEnd);
        running->SetResetComponent(group);
        running->OnCalc.Set([this](classes::TObject *, QVariant &aValue) {
            aValue = aValue.toDouble() + data.GetFieldValue(QStringLiteral("Amount")).toDouble();
        });

        label(detail, QStringLiteral("Label"), 0, 15000, 20000);
        groupOnce(detail, 60000, 15000);
        auto *text = place(new TppDBMemo, detail, 20000, 0, 35000);
        text->SetDataPipeline(&data);
        text->SetDataField(QStringLiteral("Text"));
        text->SetStretch(true);
        text->SetKeepTogether(true);
        auto *rich = place(new TppDBRichText, detail, 55000, 0, 35000);
        rich->SetDataPipeline(&data);
        rich->SetDataField(QStringLiteral("Rtf"));
        rich->SetStretch(true);
        rich->SetKeepTogether(true);

        auto *image = place(new TppImage, detail, 0, 21000, 8000, 8000);
        image->Picture()->LoadFromBytes(bitmap(Qt::darkGreen));
        auto *dataImage = place(new TppDBImage, detail, 10000, 21000, 8000, 8000);
        dataImage->SetDataPipeline(&data);
        dataImage->OnGetPicture.Set([this](classes::TObject *, classes::TPicture *aPicture) {
            aPicture->LoadFromBytes(bitmap(QColor::fromHsv(data.RecordIndex() * 15 % 360, 200, 200)));
        });

        auto *barCode = place(new TppBarCode, detail, 20000, 21000, 30000, 9000);
        barCode->SetBarCodeType(TppBarCodeType::bcCode39);
        barCode->SetData(QStringLiteral("ZVO"));
        auto *dataBarCode = place(new TppDBBarCode, detail, 55000, 21000, 30000, 9000);
        dataBarCode->SetBarCodeType(TppBarCodeType::bcCode128);
        dataBarCode->SetDataPipeline(&data);
        dataBarCode->SetDataField(QStringLiteral("Code"));

        auto *region = place(new TppRegion, detail, 0, 31000, width, 6000);
        auto *inRegion = dbText(detail, QStringLiteral("Key"), 1000, 31500, 20000);
        inRegion->SetRegion(region);
        auto *note = place(new TppMemo, detail, 25000, 31500, 60000);
        note->Lines()->SetText(QStringLiteral("A memo of two lines\nin a region."));
        note->SetStretch(true);
        note->SetRegion(region);
        auto *merged = place(new TppRichText, detail, 0, 38000, width, 5000);
        merged->SetMailMerge(true);
        merged->SetRichText(QStringLiteral("{\\rtf1 Merged <Key> of <Group>.}"));

        auto *summary = band<TppSummaryBand>(r, 12000);
        if (aLayout.summary != TppPrintBehaviorType::pbSection)
            label(summary, QStringLiteral("Summary"), 0, 0, 40000);
        auto *child = place(new TppSubReport, summary, 0, 6000, width, 5000);
        child->SetPrintBehavior(aLayout.summary);
        childList(*child);
        return result;
    }

    // The keys under their group's header, each with its record's text.
    std::unique_ptr<report::TppReport> groupedKeys()
    {
        using namespace report;
        auto result = std::make_unique<TppReport>();
        reporttest::SetA4Portrait(*result->PrinterSetup());
        result->SetDataPipeline(&data);
        auto *group = new TppGroup;
        group->SetReport(result.get());
        group->SetDataPipeline(&data);
        group->SetBreakName(QStringLiteral("Group"));
        auto *groupHeader = band<TppGroupHeaderBand>(*result, 6000);
        groupHeader->SetGroup(group);
        dbText(groupHeader, QStringLiteral("Group"), 0, 0, 40000);
        band<TppGroupFooterBand>(*result, 21000)->SetGroup(group);
        keysWithTheirTexts(*result);
        label(band<TppHeaderBand>(*result, 10000), QStringLiteral("Header"), 0, 0, 40000);
        label(band<TppSummaryBand>(*result, 12000), QStringLiteral("Summary"), 0, 0, 40000);
        return result;
    }

    // Three lines, each printing the grouped records in a child report of
    // many pages: the child's groups break on a page made again where they
    // did forward. A fixed frame goes on with the child's data.
    std::unique_ptr<report::TppReport> groupsInAChild(report::TppPrintBehaviorType aBehavior, bool aKeepTogether,
                                                      int aColumns)
    {
        using namespace report;
        auto result = std::make_unique<TppReport>();
        reporttest::SetA4Portrait(*result->PrinterSetup());
        lines.ClearRows();
        for (int i = 0; i < 3; ++i)
            lines.AddRow({QStringLiteral("line %1").arg(i)});
        result->SetDataPipeline(&lines);
        result->SetPageLimit(100);
        label(band<TppHeaderBand>(*result, 10000), QStringLiteral("Header"), 0, 0, 40000);
        auto *subReport = place(new TppSubReport, band<TppDetailBand>(*result, 20000), 0, 6000, 190000, 10000);
        subReport->SetPrintBehavior(aBehavior);
        subReport->SetDataPipeline(&data);
        if (aBehavior == TppPrintBehaviorType::pbFixed) {
            subReport->SetTraverseAllData(true);
            subReport->SetBounds(0, 6000, 190000, 60000);
        }
        TppChildReport *child = subReport->Report();
        if (aColumns > 1) {
            child->SetColumns(aColumns);
            child->SetmmColumnWidth(95000);
        }
        auto *group = new TppGroup;
        group->SetReport(child);
        group->SetDataPipeline(&data);
        group->SetBreakName(QStringLiteral("Group"));
        group->SetKeepTogether(aKeepTogether);
        for (TppGroupBand *groupBand : {static_cast<TppGroupBand *>(band<TppGroupHeaderBand>(*child, 6000)),
                                        static_cast<TppGroupBand *>(band<TppGroupFooterBand>(*child, 8000))}) {
            groupBand->SetGroup(group);
            dbText(groupBand, QStringLiteral("Group"), 0, 0, 40000);
        }
        keysWithTheirTexts(*child);
        return result;
    }

    // Beside each record of a child's detail, values shown once: the group's
    // name in a data text and a data memo, and the least amount so far,
    // which shows again at the top of each page; below them the last keys.
    void repeatsInAChild(report::TppReport &aReport)
    {
        using namespace report;
        TppDetailBand *detail = childDetail(aReport);
        ASSERT_NE(detail, nullptr);
        groupOnce(detail, 150000, 0);
        auto *least = place(new TppDBCalc, detail, 178000, 0, 10000);
        least->SetDataPipeline(&data);
        least->SetDataField(QStringLiteral("Amount"));
        least->SetDBCalcType(TppDBCalcType::dcMinimum);
        least->SetSuppressRepeatedValues(true);
        least->SetReprintOnSubsequent(true);
        // A text that runs on from record to record, kept per page too.
        auto *trail = place(new TppVariable, detail, 150000, 5000, 30000);
        trail->SetDataType(TppDataType::dtString);
        trail->OnCalc.Set([this](classes::TObject *, QVariant &aValue) {
            aValue = aValue.toString().right(4) + data.GetFieldValue(QStringLiteral("Key")).toString().right(1);
        });
    }

    // A detail band of each record's key and text. The long texts go on
    // over the next page, which then begins within a record, with no
    // traversal to come first.
    void keysWithTheirTexts(report::TppCustomReport &aReport)
    {
        auto *detail = band<report::TppDetailBand>(aReport, 21000);
        dbText(detail, QStringLiteral("Key"), 0, 0, 40000);
        auto *text = place(new report::TppDBMemo, detail, 45000, 0, 100000);
        text->SetDataPipeline(&data);
        text->SetDataField(QStringLiteral("Text"));
        text->SetStretch(true);
    }

    // The child's page of its count beside each record.
    void pagesOfAChild(report::TppReport &aReport)
    {
        report::TppDetailBand *detail = childDetail(aReport);
        ASSERT_NE(detail, nullptr);
        place(new report::TppSystemVariable, detail, 150000, 0, 40000)->SetVarType(report::TppVarType::vtPageSetDesc);
    }

    static report::TppDetailBand *childDetail(report::TppReport &aReport)
    {
        using namespace report;
        for (int i = 0; i < aReport.BandCount(); ++i) {
            TppBand *parentBand = aReport.Bands(i);
            auto *sub = parentBand->ObjectCount() ? dynamic_cast<TppSubReport *>(parentBand->Objects(0)) : nullptr;
            for (int j = 0; sub && j < sub->Report()->BandCount(); ++j)
                if (auto *detail = dynamic_cast<TppDetailBand *>(sub->Report()->Bands(j)))
                    return detail;
        }
        return nullptr;
    }

    reporttest::MemoryPipeline data;
    reporttest::MemoryPipeline lines;

private:
    // The group's name beside its first record only: a data text and a data
    // memo that suppress repeated values.
    void groupOnce(report::TppBand *aBand, int32_t aLeft, int32_t aTop)
    {
        dbText(aBand, QStringLiteral("Group"), aLeft, aTop, 10000)->SetSuppressRepeatedValues(true);
        auto *memo = place(new report::TppDBMemo, aBand, aLeft + 15000, aTop, 10000);
        memo->SetDataPipeline(&data);
        memo->SetDataField(QStringLiteral("Group"));
        memo->SetSuppressRepeatedValues(true);
    }

    template <class Band>
    static Band *band(report::TppCustomReport &aReport, int32_t aHeight)
    {
        auto *b = new Band(nullptr);
        b->SetReport(&aReport);
        b->SetmmHeight(aHeight);
        return b;
    }

    template <class Component>
    static Component *place(Component *aComponent, report::TppBand *aBand, int32_t aLeft, int32_t aTop, int32_t aWidth,
                            int32_t aHeight = 4500)
    {
        aComponent->SetBand(aBand);
        aComponent->SetBounds(aLeft, aTop, aWidth, aHeight);
        return aComponent;
    }

    static void label(report::TppBand *aBand, const QString &aCaption, int32_t aLeft, int32_t aTop, int32_t aWidth)
    {
        place(new report::TppLabel, aBand, aLeft, aTop, aWidth)->SetCaption(aCaption);
    }

    report::TppDBText *dbText(report::TppBand *aBand, const QString &aField, int32_t aLeft, int32_t aTop,
                              int32_t aWidth)
    {
        auto *text = place(new report::TppDBText, aBand, aLeft, aTop, aWidth);
        text->SetDataPipeline(&data);
        text->SetDataField(aField);
        return text;
    }

    // The child lists the lines with the page it is on.
    void childList(report::TppSubReport &aSubReport)
    {
        using namespace report;
        aSubReport.SetDataPipeline(&lines);
        TppChildReport *child = aSubReport.Report();
        ASSERT_NE(child, nullptr);
        auto *childDetail = band<TppDetailBand>(*child, 4000);
        auto *line = place(new TppDBText, childDetail, 0, 0, 40000, 3500);
        line->SetDataPipeline(&lines);
        line->SetDataField(QStringLiteral("Line"));
        place(new TppSystemVariable, childDetail, 45000, 0, 40000, 3500)->SetVarType(TppVarType::vtPageNo);
    }

    static QByteArray bitmap(const QColor &aColor)
    {
        QImage image(4, 4, QImage::Format_RGB32);
        image.fill(aColor);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "BMP");
        return bytes;
    }
};

// A page made again stands on the record it began with, while the group
// still held the break value of the last page generated.
TEST_F(PagesMadeAgain, AGroupBreaksOnAPageMadeAgainWhereItDidForward)
{
    EveryPrintable every;
    std::unique_ptr<report::TppReport> built = every.groupedKeys();
    PageSweep sweep(*built);
    const QStringList found = sweep.differences();
    EXPECT_TRUE(found.isEmpty()) << found.join(u'\n').left(2000).toStdString();
}

TEST_F(PagesMadeAgain, EveryPageOfAReportOfEveryPrintableComesOutAsForward)
{
    using Layout = EveryPrintable::Layout;
    const Layout layouts[] = {
        {"one column"},
        {"columns down", 2},
        {"columns across", 2, report::TppColumnTraversalType::ctLeftToRight},
        {"a section", 1, report::TppColumnTraversalType::ctTopToBottom, report::TppPrintBehaviorType::pbSection, true}};
    for (const Layout &layout : layouts) {
        EveryPrintable every;
        std::unique_ptr<report::TppReport> built = every.build(layout);
        PageSweep sweep(*built);
        const QStringList found = sweep.differences();
        EXPECT_TRUE(found.isEmpty()) << layout.name << ": " << found.size() << " pages differ\n"
                                     << found.join(u'\n').left(4000).toStdString();
    }
}

// A child report's pipelines are put back by its subreport's request, after
// the page's state came from the cache; the page it makes is the one the
// subreport asks for, whatever a later run of the child knew of its pages.
// In columns a group's header comes again at the top of the next column of
// the page it goes on to.
TEST_F(PagesMadeAgain, AGroupOfAChildReportBreaksOnAPageMadeAgainWhereItDidForward)
{
    struct Case
    {
        report::TppPrintBehaviorType behavior;
        bool keepTogether;
        int columns;
    };
    for (const Case &c : {Case{report::TppPrintBehaviorType::pbChild, true, 1},
                          Case{report::TppPrintBehaviorType::pbSection, false, 1},
                          Case{report::TppPrintBehaviorType::pbFixed, false, 2}}) {
        const report::TppPrintBehaviorType behavior = c.behavior;
        EveryPrintable every;
        std::unique_ptr<report::TppReport> built = every.groupsInAChild(behavior, c.keepTogether, c.columns);
        PageSweep sweep(*built);
        const QStringList found = sweep.differences();
        EXPECT_TRUE(found.isEmpty()) << int(behavior) << ": " << found.size() << " pages differ\n"
                                     << found.join(u'\n').left(3000).toStdString();
    }
}

// The pages of a one-column child report, kept together and not, that come
// out otherwise when made again, with what aAdd put in the child.
QStringList childPagesMadeAgain(report::TppPrintBehaviorType aBehavior,
                                void (EveryPrintable::*aAdd)(report::TppReport &))
{
    QStringList found;
    for (const bool keepTogether : {true, false}) {
        EveryPrintable every;
        std::unique_ptr<report::TppReport> built = every.groupsInAChild(aBehavior, keepTogether, 1);
        (every.*aAdd)(*built);
        PageSweep sweep(*built);
        const QStringList differences = sweep.differences();
        if (!differences.isEmpty())
            found << QStringLiteral("kept together %1: %2 pages differ\n").arg(keepTogether).arg(differences.size())
                  << differences;
    }
    return found;
}

// A value shown once in a child's detail stays shown, on a page made again,
// where the forward run showed it: the value it compares with is the one of
// the record the page goes on with.
TEST_F(PagesMadeAgain, AValueShownOnceInAChildReportShowsOnAPageMadeAgainAsForward)
{
    const QStringList found =
        childPagesMadeAgain(report::TppPrintBehaviorType::pbChild, &EveryPrintable::repeatsInAChild);
    EXPECT_TRUE(found.isEmpty()) << found.join(u'\n').left(3000).toStdString();
}

// A section's page made again counts the child's pages as far as the forward
// run knew them there, not as a later section left the child's count.
TEST_F(PagesMadeAgain, ASectionsPageMadeAgainCountsItsPagesAsForward)
{
    const QStringList found =
        childPagesMadeAgain(report::TppPrintBehaviorType::pbSection, &EveryPrintable::pagesOfAChild);
    EXPECT_TRUE(found.isEmpty()) << found.join(u'\n').left(3000).toStdString();
}

} // namespace
