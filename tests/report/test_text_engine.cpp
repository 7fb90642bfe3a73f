#include "tests/support/report/BandSequence.h"
#include "tests/support/report/MemoryPipeline.h"

#include "report/content/drawcommands/DrawText.h"
#include "report/content/text/DBText.h"
#include "report/content/text/Label.h"
#include "report/model/ModelRegistration.h"
#include "report/model/bands/BandClasses.h"
#include "report/model/bands/DetailBand.h"
#include "report/model/engine/Engine.h"
#include "report/model/groups/Group.h"
#include "report/model/groups/GroupBands.h"
#include "report/model/pages/Page.h"
#include "report/model/pages/PageRequest.h"
#include "report/model/printing/PageDef.h"
#include "report/model/printing/PrinterSetup.h"

#include <gtest/gtest.h>

using namespace report;
using namespace reporttest;

namespace {

// A4 with 10 mm margins, page header and footer of 20 mm and details of
// 5 mm: 47 details a page. Each page is dumped as its texts, "text@top" in
// mm, joined by blanks.
class TextEngine : public ::testing::Test
{
protected:
    TextEngine()
    {
        ppModelLayerInit();
        TppPageDef *page = report.PrinterSetup()->PageDef();
        page->SetmmWidth(210000);
        page->SetmmHeight(297000);
        for (auto set : {&TppPageDef::SetmmMarginLeft, &TppPageDef::SetmmMarginRight, &TppPageDef::SetmmMarginTop,
                         &TppPageDef::SetmmMarginBottom})
            (page->*set)(10000);
        data.AddField(QStringLiteral("City"));
        report.SetPageLimit(10);
        report.AddBand<TppHeaderBand>(20000);
        report.AddBand<TppFooterBand>(20000);
        detail = report.AddBand<TppDetailBand>(5000);
        city = new TppDBText();
        city->SetBand(detail);
        city->SetDataPipeline(&data);
        city->SetDataField(QStringLiteral("City"));
        city->SetBounds(0, 1000, 30000, 3000);
        report.OnEndPage.Set([this](classes::TObject *) { dumpPage(); });
    }

    void dumpPage()
    {
        QStringList texts;
        const TppPage *page = static_cast<TppEngine *>(report.Engine())->Page();
        for (int i = 0; i < page->DrawCommandCount(); ++i)
            if (auto *text = dynamic_cast<const TppDrawText *>(page->DrawCommands(i)))
                texts << QStringLiteral("%1@%2").arg(text->Text()).arg(text->Top() / 1000);
        Dumps << texts.join(u' ');
    }

    void generate(const QStringList &aCities)
    {
        for (const QString &c : aCities)
            data.AddRow({c});
        report.SetDataPipeline(&data);
        TppPageRequest request;
        request.SetPageSetting(TppPageSettingType::psAll);
        static_cast<TppEngine *>(report.Engine())->GeneratePage(request);
    }

    static QStringList repeated(const QString &aCity, int aCount)
    {
        QStringList list;
        for (int i = 0; i < aCount; ++i)
            list << aCity;
        return list;
    }

    MemoryPipeline data;
    RecordingReport report;
    TppDetailBand *detail = nullptr;
    TppDBText *city = nullptr;
    QStringList Dumps;
};

} // namespace

TEST_F(TextEngine, DetailsCarryTheirFieldsOntoEveryPage)
{
    QStringList cities;
    for (int i = 0; i < 50; ++i)
        cities << QStringLiteral("C%1").arg(i);
    generate(cities);
    ASSERT_EQ(Dumps.size(), 2);
    EXPECT_TRUE(Dumps[0].startsWith("C0@31 C1@36 C2@41 "));
    EXPECT_TRUE(Dumps[0].endsWith(" C46@261"));
    EXPECT_EQ(Dumps[1], "C47@31 C48@36 C49@41");
}

TEST_F(TextEngine, RepeatedValuesPrintSuppressedOrAgainOnEachPage)
{
    city->SetSuppressRepeatedValues(false);
    generate(repeated("Oslo", 50) + QStringList{"Rome"});
    ASSERT_EQ(Dumps.size(), 2);
    EXPECT_EQ(Dumps[1], "Oslo@31 Oslo@36 Oslo@41 Rome@46");
}

TEST_F(TextEngine, SuppressedRepeatedValuesPrintOnceUnlessReprintedOnTheNextPage)
{
    city->SetSuppressRepeatedValues(true);
    generate(repeated("Oslo", 50) + QStringList{"Rome"});
    EXPECT_EQ(Dumps, (QStringList{"Oslo@31", "Rome@46"}));
}

TEST_F(TextEngine, ReprintOnSubsequentShowsTheValueAtTheTopOfTheNextPage)
{
    city->SetSuppressRepeatedValues(true);
    city->SetReprintOnSubsequent(true);
    generate(repeated("Oslo", 50) + QStringList{"Rome"});
    EXPECT_EQ(Dumps, (QStringList{"Oslo@31", "Oslo@31 Rome@46"}));
}

// A group's reset makes its first value new, whatever came before; the
// values after it are repeats again.
TEST_F(TextEngine, SuppressedRepeatedValuesStartAgainWithTheirResetGroup)
{
    data.AddField(QStringLiteral("Country"));
    TppGroup group;
    group.SetReport(&report);
    group.SetDataPipeline(&data);
    group.SetBreakName(QStringLiteral("Country"));
    report.AddBand<TppGroupHeaderBand>(0)->SetGroup(&group);
    report.AddBand<TppGroupFooterBand>(0)->SetGroup(&group);
    city->SetResetGroup(&group);
    city->SetSuppressRepeatedValues(true);
    for (const auto &[country, town] :
         {std::pair{"N", "Oslo"}, {"N", "Oslo"}, {"S", "Oslo"}, {"S", "Oslo"}, {"S", "Rome"}})
        data.AddRow({QString::fromLatin1(town), QString::fromLatin1(country)});
    generate({});
    EXPECT_EQ(Dumps, (QStringList{"Oslo@31 Oslo@41 Rome@51"}));
    city->SetResetGroup(nullptr);
}
