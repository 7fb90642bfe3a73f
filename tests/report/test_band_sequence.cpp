#include "tests/support/report/BandFakes.h"
#include "tests/support/report/BandSequence.h"

#include "report/model/bands/BandClasses.h"
#include "report/model/bands/DetailBand.h"
#include "report/model/outline/OutlineDrawCommand.h"
#include "report/model/pages/DrawCommand.h"
#include "report/model/pages/Page.h"

#include <gtest/gtest.h>

using namespace report;
using namespace reporttest;

namespace {

// A page of commands put down by hand, for the readings the Trace device
// and the engine tests rely on.
class BandSequenceReading : public ::testing::Test
{
protected:
    StandInPrintable *object(TppBand &aBand)
    {
        auto *printable = new StandInPrintable;
        printable->SetBand(&aBand);
        return printable;
    }
    void put(classes::TObject *aObject, int32_t aTop)
    {
        auto *command = new TppDrawCommand;
        command->SetComponent(aObject);
        command->SetTop(aTop);
        page.AddDrawCommand(command);
    }

    TppHeaderBand header;
    TppDetailBand detail;
    TppDetailBand twin;
    TppFooterBand footer;
    classes::TComponent plain{nullptr};
    TppPage page;
};

TEST_F(BandSequenceReading, InstancesBreakOnANameChangeOrAnObjectAgainAndNotOnTheBandAlone)
{
    header.SetUserName(QStringLiteral("Header"));
    detail.SetUserName(QStringLiteral("Detail"));
    // Another band of the same name reads as the same band.
    twin.SetUserName(QStringLiteral("Detail"));
    footer.SetUserName(QStringLiteral("Footer"));
    StandInPrintable *title = object(header);
    StandInPrintable *first = object(detail);
    StandInPrintable *second = object(detail);
    StandInPrintable *beside = object(twin);
    auto *loose = new StandInPrintable;
    StandInPrintable *total = object(footer);

    put(title, 0);
    put(first, 10);
    put(second, 10);
    put(beside, 12);
    page.AddDrawCommand(new TppOutlineDrawCommand);
    put(first, 20);
    put(beside, 22);
    put(second, 20);
    put(first, 30);
    // An object without a band, commands of no object or of one that is no
    // component: all "?", and the latter two count as one object.
    put(loose, 40);
    put(nullptr, 41);
    put(&plain, 42);
    put(loose, 43);
    put(loose, 44);
    put(total, 50);
    put(total, 60);

    EXPECT_EQ(BandSequence(page), QStringLiteral("Header Detail*3 ?*3 Footer*2"));
    const QList<QPair<QString, int32_t>> tops = BandTops(page);
    const QList<QPair<QString, int32_t>> expected{
        {QStringLiteral("Header"), 0}, {QStringLiteral("Detail"), 10}, {QStringLiteral("Detail"), 20},
        {QStringLiteral("Detail"), 30}, {QStringLiteral("?"), 40},     {QStringLiteral("?"), 42},
        {QStringLiteral("?"), 44},     {QStringLiteral("Footer"), 50}, {QStringLiteral("Footer"), 60}};
    EXPECT_EQ(tops, expected);
    delete loose;
}

TEST_F(BandSequenceReading, APageOfManyObjectsReadsEachOnceAndAnEmptyPageNothing)
{
    EXPECT_EQ(BandSequence(page), QString());
    detail.SetUserName(QStringLiteral("Detail"));
    std::vector<StandInPrintable *> objects;
    for (int i = 0; i < 300; ++i)
        objects.push_back(object(detail));
    for (int round = 0; round < 2; ++round)
        for (StandInPrintable *printable : objects)
            put(printable, round);
    EXPECT_EQ(BandSequence(page), QStringLiteral("Detail*2"));
}

} // namespace
