#include "tests/support/report/BandFakes.h"
#include "tests/support/report/PageFakes.h"

#include "ModelObjects.h"

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/ObjectText.h"
#include "platform/classes/Streams.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>

using namespace report;
using namespace reporttest;

namespace {

class Components : public ::testing::Test
{
protected:
    Components()
    {
        classes::RegisterClasses({&StandInPrintable::StaticClass(), &StandInRegion::StaticClass()});
        report.DesignerSink = &designer;
        band->SetReport(&report);
    }
    ~Components() override
    {
        band.reset();
        classes::UnRegisterClasses({&StandInPrintable::StaticClass(), &StandInRegion::StaticClass()});
    }
    template <class T = StandInPrintable>
    T *add(const char *aName)
    {
        auto *object = new T();
        object->SetName(QString::fromLatin1(aName));
        object->SetBand(band.get());
        return object;
    }

    ScopedScreenPixelsPerInch screen{96};
    RecordingDesigner designer;
    StandInReport report;
    std::unique_ptr<StandInBand> band = std::make_unique<StandInBand>();
};

} // namespace

TEST_F(Components, AStreamKeepsTheNameScriptsKnowTheObjectBy)
{
    StandInPrintable written;
    written.SetName("Label1");
    written.SetUserName("Total");
    const QByteArray text = componentStreamText(&written);
    EXPECT_TRUE(text.contains("UserName = 'Total'")) << text.toStdString();

    StandInPrintable read;
    modeltest::readText(&read, text);
    EXPECT_EQ(read.UserName(), "Total");
}

TEST_F(Components, ARegionHoldsItsOwnChildrenInItsOwnOrder)
{
    auto *region = add<StandInRegion>("Region1");
    region->SetBounds(1000, 2000, 5000, 3000);
    StandInPrintable *a = add("a");
    StandInPrintable *b = add("b");
    StandInPrintable *loose = add("loose");
    a->SetRegion(region);
    b->SetRegion(region);
    b->SetRegion(loose); // not a region
    EXPECT_EQ(b->Region(), region);
    EXPECT_EQ(a->GetParent(), region);
    EXPECT_EQ(a->GetNextSibling(), b);
    EXPECT_EQ(b->GetNextSibling(), nullptr); // the band's next object is not in the region
    EXPECT_EQ(region->GetNextSibling(), nullptr);

    b->SendToBack();
    EXPECT_EQ(b->GetZOrder(), 0);
    EXPECT_EQ(a->GetZOrder(), 1);
    EXPECT_EQ(band->IndexOfObject(b), 2);

    loose->SetParentWidth(true);
    EXPECT_EQ(loose->mmWidth(), report.PrintableWidth);
    loose->SetRegion(region);
    EXPECT_EQ(loose->mmLeft(), 1000);
    EXPECT_EQ(loose->mmWidth(), 5000);

    delete region;
    EXPECT_EQ(a->Region(), nullptr);
    EXPECT_EQ(a->GetParent(), band.get());
    EXPECT_EQ(band->ObjectCount(), 3);
}

TEST_F(Components, TheDesignerKeepsObjectsInsideTheBandAndAReportRunDoesNot)
{
    StandInPrintable *object = add("a");
    object->IncludeState(ppState::Design);
    const int32_t height = band->mmHeight();
    object->SetBounds(-50, height + 100, 10, 20);
    EXPECT_EQ(object->mmLeft(), 0);
    EXPECT_EQ(object->mmTop(), height);
    object->SetBounds(report.PrintableWidth + 1, 0, 10, 20);
    EXPECT_EQ(object->mmLeft(), report.PrintableWidth);
    object->SetmmWidth(-3);
    object->SetmmHeight(-4);
    EXPECT_EQ(object->mmWidth(), 0);
    EXPECT_EQ(object->mmHeight(), 0);

    report.Printing = true;
    object->SetBounds(-50, height + 100, 10, 20);
    EXPECT_EQ(object->mmLeft(), -50);
    EXPECT_EQ(object->mmTop(), height + 100);
    report.Printing = false;

    object->SetParentHeight(true);
    EXPECT_EQ(object->mmTop(), 0);
    EXPECT_EQ(object->mmHeight(), height);
    object->SetmmTop(10);
    object->SetmmHeight(10);
    EXPECT_EQ(object->mmTop(), 0);
    EXPECT_EQ(object->mmHeight(), height);
    EXPECT_TRUE(designer.has("send 1144"));
}

TEST_F(Components, AResetGroupIsHeardOnlyWhileItIsTheOne)
{
    StandInPrintable *object = add("a");
    TppCommunicator first(nullptr), second(nullptr);
    object->SetResetGroup(&first);
    object->SetResetGroup(&second);
    EXPECT_TRUE(object->IsSubscribed(ppEvent::AfterGroupBreak));
    EXPECT_FALSE(first.HasEventNotify(ppEvent::AfterGroupBreak));
    EXPECT_TRUE(second.HasEventNotify(ppEvent::AfterGroupBreak));
    object->SetResetGroup(nullptr);
    EXPECT_FALSE(object->IsSubscribed(ppEvent::AfterGroupBreak));
    EXPECT_FALSE(second.HasEventNotify(ppEvent::AfterGroupBreak));
}

TEST_F(Components, AFreedObjectTellsTheDesignerAndLeavesItsBand)
{
    StandInPrintable *object = add("a");
    designer.Messages.clear();
    delete object;
    EXPECT_EQ(band->ObjectCount(), 0);
    ASSERT_FALSE(designer.Messages.isEmpty());
    EXPECT_EQ(designer.Messages.first(), "send 1128");
}

TEST_F(Components, APageWithoutRoomGivesAFittedObjectNoSizeRatherThanANegativeOne)
{
    StandInPrintable *object = add("a");
    report.PrintableWidth = -3000; // margins wider than the page
    object->SetParentWidth(true);
    EXPECT_EQ(object->mmLeft(), 0);
    EXPECT_EQ(object->mmWidth(), 0);
    band->SetmmHeight(2000);
    object->SetParentHeight(true);
    EXPECT_EQ(object->mmHeight(), 2000);
}

// A layout fits only the objects that fit themselves to the band, and
// keeps up with objects that join with the setting or take or drop it.
TEST_F(Components, ALayoutFitsTheObjectsThatFitTheirBandNowAndNoOthers)
{
    StandInPrintable *taking = add("taking");
    StandInPrintable *plain = add("plain");
    plain->SetBounds(0, 0, 1000, 500);
    auto *joining = new StandInPrintable(nullptr);
    joining->SetParentHeight(true);
    joining->SetBand(band.get());
    band->SetmmHeight(2000);
    taking->SetParentHeight(true);
    EXPECT_EQ(taking->mmHeight(), 2000);
    band->SetmmHeight(3000);
    EXPECT_EQ(taking->mmHeight(), 3000);
    EXPECT_EQ(joining->mmHeight(), 3000);
    EXPECT_EQ(plain->mmHeight(), 500);
    taking->SetParentHeight(false);
    band->SetmmHeight(4000);
    EXPECT_EQ(taking->mmHeight(), 3000);
    EXPECT_EQ(joining->mmHeight(), 4000);
}

TEST_F(Components, HugeBoundsGiveSaturatedParentRectangles)
{
    constexpr int32_t most = std::numeric_limits<int32_t>::max();
    StandInPrintable loose; // without band its own bounds are its parent
    loose.SetBounds(5000, 7000, most, most);
    loose.SetParentWidth(true);
    EXPECT_EQ(loose.GetParentRect(), (rtl::TRect{5000, 7000, most, most}));
    EXPECT_EQ(loose.mmWidth(), most - 5000);

    auto *region = add<StandInRegion>("Region1");
    region->SetBounds(1000, 2000, most, most);
    StandInPrintable *child = add("child");
    child->SetRegion(region);
    EXPECT_EQ(child->GetParentRect(), (rtl::TRect{1000, 2000, most, most}));
}

TEST_F(Components, ScriptsMoveAnObjectButMayNotRewriteWhereItIs)
{
    const TraRTTI &rtti = TraTppComponentRTTI::Instance();
    StandInPrintable *first = add("a");
    StandInPrintable *object = add("b");
    auto *region = add<StandInRegion>("Region1");
    int32_t value = -5;
    EXPECT_TRUE(rtti.GetPropValue(object, "index", &value));
    EXPECT_EQ(value, 1);
    EXPECT_FALSE(rtti.SetPropValue(object, "BandType", &value));
    EXPECT_FALSE(rtti.SetPropValue(object, "GroupNo", &value));
    EXPECT_EQ(object->BandType(), 4);

    classes::TObject *target = first; // not a region
    EXPECT_TRUE(rtti.SetPropValue(object, "Region", &target));
    EXPECT_EQ(object->Region(), nullptr);
    target = region;
    EXPECT_TRUE(rtti.SetPropValue(object, "Region", &target));
    EXPECT_EQ(object->Region(), region);
    EXPECT_TRUE(rtti.GetPropValue(object, "ParentIndex", &value));
    EXPECT_EQ(value, 0);

    StandInBand other;
    other.SetReport(&report);
    target = &other;
    EXPECT_TRUE(rtti.SetPropValue(first, "Band", &target));
    EXPECT_EQ(first->Band(), &other);
    EXPECT_EQ(other.IndexOfObject(first), 0);
    EXPECT_EQ(band->IndexOfObject(first), -1);
    target = region;
    EXPECT_ANY_THROW(rtti.SetPropValue(first, "Band", &target));
    EXPECT_EQ(first->Band(), &other);
    delete first;
}
