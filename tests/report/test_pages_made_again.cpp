// Pages made again from the engine's cache, as the preview does going back
// without cached pages and as printing a page or a range does: each page
// must come out as it did when the report ran forward. A rich text going on
// from the page before shows the text of the record that page began with,
// and a long text going forward is still loaded and merged once a record.

#include "MemoFixture.h"

#include "report/content/drawcommands/DrawRichText.h"
#include "report/content/richtext/RichText.h"
#include "report/content/text/DBText.h"

#include "platform/richedit/RichEdit.h"

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

} // namespace
