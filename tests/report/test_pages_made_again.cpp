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

#include "report/model/pages/Publisher.h"
#include "report/model/reports/Report.h"
#include "report/output/LibraryInit.h"

#include "platform/classes/ObjectText.h"
#include "platform/classes/Streams.h"
#include "platform/richedit/RichEdit.h"

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
        return found == pages.end() ? QStringList{QStringLiteral("page %1 not delivered").arg(aPage)}
                                    : found->second;
    }

    // Every page made again backwards, then in a shuffled order; answers
    // the pages that came out otherwise than forward, with their first
    // difference.
    QStringList differences()
    {
        const std::map<int, QStringList> forward = print();
        QStringList found;
        if (forward.size() < 2)
            return {QStringLiteral("only %1 pages").arg(forward.size())};
        std::vector<int> order;
        for (const auto &[page, commands] : forward)
            order.insert(order.begin(), page);
        std::vector<int> shuffled = order;
        QRandomGenerator random(20261208);
        std::shuffle(shuffled.begin(), shuffled.end(), random);
        order.insert(order.end(), shuffled.begin(), shuffled.end());
        for (int page : order) {
            const QStringList again = single(page);
            const QStringList &before = forward.at(page);
            if (again == before)
                continue;
            int i = 0;
            while (i < again.size() && i < before.size() && again[i] == before[i])
                ++i;
            found << QStringLiteral("page %1 (%2 commands, forward %3), command %4:\n%5\nforward:\n%6")
                         .arg(page)
                         .arg(again.size())
                         .arg(before.size())
                         .arg(i)
                         .arg(again.value(i), before.value(i));
        }
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

} // namespace
