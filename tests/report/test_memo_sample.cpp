#include "tests/support/report/CsvPipeline.h"
#include "tests/support/report/MemoryPipeline.h"

#include "Samples.h"

#include "report/content/drawcommands/DrawText.h"
#include "report/model/ModelRegistration.h"
#include "report/model/engine/Engine.h"
#include "report/model/pages/Page.h"
#include "report/model/pages/PageRequest.h"
#include "report/model/reports/Report.h"
#include "report/model/text/TextMarkups.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

using namespace report;

namespace {

QStringList memoSampleWords(const QString &aText)
{
    QString text = aText;
    return text.remove(TppTextMarkups::NewLineMarkup())
        .split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
}

// The sample of reportdemo, measured with the real font: whatever the lines
// look like, the memos carry every word of the file's last column once, in
// the file's order, and each page's part stays inside the page body.
TEST(MemoSample, EveryWordOfTheFilePrintsOnceInOrder)
{
    ppModelLayerInit();
    reporttest::MemoryPipeline data;
    QString error;
    ASSERT_TRUE(reporttest::LoadCsvPipeline(QStringLiteral(ZVO_MEMO_SAMPLE), data, error)) << error.toStdString();
    QStringList expected;
    const QString last = data.GetField(data.GetFieldCount() - 1)->FieldName;
    for (int row = 0; row < data.RecordCount(); ++row)
        expected << memoSampleWords(data.Cell(row, last).toString());

    std::unique_ptr<TppReport> sample = reportdemo::CreateSample(QStringLiteral("memo"), data);
    ASSERT_TRUE(sample);
    sample->SetPageLimit(20);
    QStringList printed;
    int pages = 0;
    auto *engine = static_cast<TppEngine *>(sample->Engine());
    sample->OnEndPage.Set([&](classes::TObject *) {
        ++pages;
        const TppPage *page = engine->Page();
        for (int i = 0; i < page->DrawCommandCount(); ++i) {
            const auto *text = dynamic_cast<const TppDrawText *>(page->DrawCommands(i));
            if (!text || !text->IsMemo())
                continue;
            EXPECT_LE(text->Top() + text->Height(), 267000) << pages;
            for (int l = 0; l < text->WrappedText()->Count(); ++l)
                printed << memoSampleWords(text->WrappedText()->Strings(l));
        }
    });
    TppPageRequest request;
    request.SetPageSetting(TppPageSettingType::psAll);
    engine->GeneratePage(request);
    EXPECT_GE(pages, 3);
    EXPECT_EQ(printed, expected);
}

} // namespace
