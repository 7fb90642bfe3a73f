// Window placement from stored bounds within the placement area.

#include "foundation/MyUtilitiesUi.h"

#include "platform/shell/Desktop.h"

#include <gtest/gtest.h>

#include <QWidget>

using rtl::Bounds;
using rtl::TSize;

namespace {
const rtl::TRect kForm = Bounds(10, 20, 400, 300);
}

TEST(PlacementArea, WorkAreaSizeElseTheScreenLessThePanel)
{
    EXPECT_EQ(PlacementArea(rtl::Rect(0, 0, 1024, 740), TSize{1024, 768}), (TSize{1024, 740}));
    // Only the size counts; the origin stays at the screen's corner.
    EXPECT_EQ(PlacementArea(rtl::Rect(64, 24, 1024, 768), TSize{1024, 768}), (TSize{960, 744}));
    EXPECT_EQ(PlacementArea(rtl::TRect{}, TSize{800, 600}), (TSize{800, 568}));
    EXPECT_EQ(PlacementArea(rtl::Rect(0, 0, 1024, 0), TSize{800, 600}), (TSize{800, 568}));
}

TEST(CalcFormBounds, UnsetSizeFillsOnlyAnAreaLargerThan640By480)
{
    EXPECT_EQ(CalcFormBounds(kForm, 5, 5, -1, -1, TSize{640, 480}), Bounds(120, 90, 400, 300));
    EXPECT_EQ(CalcFormBounds(kForm, 5, 5, -1, -1, TSize{641, 480}), Bounds(120, 90, 400, 300));
    EXPECT_EQ(CalcFormBounds(kForm, 5, 5, -1, -1, TSize{1024, 740}), Bounds(0, 0, 1024, 740));
    EXPECT_EQ(CalcFormBounds(kForm, 5, 5, -1, -1, TSize{641, 481}), Bounds(0, 0, 641, 481));
}

TEST(CalcFormBounds, StoredBoundsWithinTheAreaAndItsEightPixelMargin)
{
    const TSize area{1024, 740};
    EXPECT_EQ(CalcFormBounds(kForm, 100, 50, 500, 400, area), Bounds(100, 50, 500, 400));
    // Wider than the area + 8: the current width stays.
    EXPECT_EQ(CalcFormBounds(kForm, 0, 0, 1033, 400, area), Bounds(0, 0, 400, 400));
    EXPECT_EQ(CalcFormBounds(kForm, 0, 0, 1032, 748, area), Bounds(0, 0, 1032, 748));
    EXPECT_EQ(CalcFormBounds(kForm, 0, 0, 500, 749, area), Bounds(0, 0, 500, 300));
    // Left -1 centres; a right edge beyond the margin centres too.
    EXPECT_EQ(CalcFormBounds(kForm, -1, 10, 500, 400, area), Bounds(262, 10, 500, 400));
    EXPECT_EQ(CalcFormBounds(kForm, 532, 10, 500, 400, area), Bounds(532, 10, 500, 400));
    EXPECT_EQ(CalcFormBounds(kForm, 533, 10, 500, 400, area), Bounds(262, 10, 500, 400));
    // Top -1 centres; a bottom edge beyond the margin moves the window up to end at the area's bottom.
    EXPECT_EQ(CalcFormBounds(kForm, 10, -1, 500, 400, area), Bounds(10, 170, 500, 400));
    EXPECT_EQ(CalcFormBounds(kForm, 10, 348, 500, 400, area), Bounds(10, 348, 500, 400));
    EXPECT_EQ(CalcFormBounds(kForm, 10, 349, 500, 400, area), Bounds(10, 340, 500, 400));
    // Size 0 (the progress window) keeps the size at the stored place; one -1 alone is "keep" too.
    EXPECT_EQ(CalcFormBounds(kForm, 30, 40, 0, 0, area), Bounds(30, 40, 400, 300));
    EXPECT_EQ(CalcFormBounds(kForm, 30, 40, -1, 200, area), Bounds(30, 40, 400, 200));
}

TEST(CalcFormBounds, HalvesRoundTowardZero)
{
    // A form wider than a small area: (101 - 200) / 2 is -49, not -50.
    EXPECT_EQ(CalcFormBounds(Bounds(0, 0, 200, 100), -1, -1, 0, 0, TSize{101, 481}), Bounds(-49, 190, 200, 100));
    EXPECT_EQ(CalcCenteredPosition(TSize{200, 100}, nullptr, TSize{101, 99}), (rtl::TPoint{-49, 0}));
    const rtl::TRect control = Bounds(100, 100, 51, 51);
    EXPECT_EQ(CalcCenteredPosition(TSize{20, 80}, &control, TSize{}), (rtl::TPoint{115, 86}));
}

TEST(SetFormBounds, PlacesARealWindowWithinThePinnedWorkArea)
{
    shell::setWorkArea(rtl::Rect(0, 0, 1024, 740));
    QWidget form;
    form.setGeometry(10, 20, 400, 300);
    SetFormBounds(&form, 10, 600, 500, 400);
    EXPECT_EQ(form.geometry(), QRect(10, 340, 500, 400));

    SetFormBounds(&form, -1, -1, -1, -1);
    EXPECT_EQ(form.geometry(), QRect(0, 0, 1024, 740));

    // A window that refuses the full size is centred with the size it took.
    QWidget small;
    small.setMaximumSize(300, 200);
    SetFormBounds(&small, -1, -1, -1, -1);
    EXPECT_EQ(small.geometry(), QRect(362, 270, 300, 200));

    shell::setWorkArea(rtl::TRect{});
    shell::setScreenSize(TSize{800, 600});
    QWidget dialog;
    dialog.resize(200, 100);
    CenterForm(&dialog);
    EXPECT_EQ(dialog.pos(), QPoint(300, 234));

    QWidget parent;
    parent.setGeometry(0, 0, 600, 600);
    QWidget child(&parent);
    child.setGeometry(100, 50, 300, 200);
    CenterForm(&dialog, &child);
    EXPECT_EQ(dialog.pos(), QPoint(150, 100));
    shell::setScreenSize(std::nullopt);
    shell::setWorkArea(std::nullopt);
}
