// Window placement from stored bounds within the placement area.

#include "foundation/MyUtilitiesUi.h"

#include "platform/shell/Desktop.h"
#include "platform/shell/WindowFrame.h"

#include <gtest/gtest.h>

#include <QWidget>

#include <optional>

using namespace foundation;

using rtl::Bounds;
using rtl::TSize;

TEST(Placement, AreaIsTheWorkAreaSizeElseTheScreenLessThePanel)
{
    // Only the size counts; the origin stays at the screen's corner.
    EXPECT_EQ(PlacementArea(rtl::Rect(64, 24, 1024, 768), TSize{1024, 768}), (TSize{960, 744}));
    EXPECT_EQ(PlacementArea(rtl::TRect{}, TSize{800, 600}), (TSize{800, 568}));
    EXPECT_EQ(PlacementArea(rtl::Rect(0, 0, 1024, 0), TSize{800, 600}), (TSize{800, 568}));
}

TEST(Placement, StoredBoundsWithinTheAreaAndItsEightPixelMargin)
{
    const rtl::TRect form = Bounds(10, 20, 400, 300);
    const TSize area{1024, 740};
    // Unset size: fills only an area larger than 640 by 480, and centres.
    EXPECT_EQ(CalcFormBounds(form, 5, 5, -1, -1, TSize{640, 480}), Bounds(120, 90, 400, 300));
    EXPECT_EQ(CalcFormBounds(form, 5, 5, -1, -1, TSize{641, 480}), Bounds(120, 90, 400, 300));
    EXPECT_EQ(CalcFormBounds(form, 5, 5, -1, -1, area), Bounds(0, 0, 1024, 740));
    // Wider or higher than the area + 8: the current size stays.
    EXPECT_EQ(CalcFormBounds(form, 0, 0, 1033, 749, area), Bounds(0, 0, 400, 300));
    EXPECT_EQ(CalcFormBounds(form, 0, 0, 1032, 748, area), Bounds(0, 0, 1032, 748));
    // Left -1 centres; a right edge beyond the margin centres too.
    EXPECT_EQ(CalcFormBounds(form, -1, 10, 500, 400, area), Bounds(262, 10, 500, 400));
    EXPECT_EQ(CalcFormBounds(form, 532, 10, 500, 400, area), Bounds(532, 10, 500, 400));
    EXPECT_EQ(CalcFormBounds(form, 533, 10, 500, 400, area), Bounds(262, 10, 500, 400));
    // Top -1 centres; a bottom edge beyond the margin moves the window up to end at the area's bottom.
    EXPECT_EQ(CalcFormBounds(form, 10, -1, 500, 400, area), Bounds(10, 170, 500, 400));
    EXPECT_EQ(CalcFormBounds(form, 10, 348, 500, 400, area), Bounds(10, 348, 500, 400));
    EXPECT_EQ(CalcFormBounds(form, 10, 349, 500, 400, area), Bounds(10, 340, 500, 400));
    // Size 0 (the progress window) keeps the size at the stored place.
    EXPECT_EQ(CalcFormBounds(form, 30, 40, 0, 0, area), Bounds(30, 40, 400, 300));
    // Halves round toward zero: (101 - 200) / 2 is -49, not -50.
    EXPECT_EQ(CalcFormBounds(Bounds(0, 0, 200, 100), -1, -1, 0, 0, TSize{101, 481}), Bounds(-49, 190, 200, 100));
    const rtl::TRect control = Bounds(100, 100, 51, 51);
    EXPECT_EQ(CalcCenteredPosition(TSize{20, 80}, &control, TSize{}), (rtl::TPoint{115, 86}));
}

TEST(Placement, RealWindowsInThePinnedWorkArea)
{
    // Bounds are the windows' outer ones, the platform's frame included.
    std::optional<shell::ScopedWorkArea> workArea;
    workArea.emplace(rtl::Rect(0, 0, 1024, 740));
    QWidget form;
    form.setGeometry(10, 20, 400, 300);
    SetFormBounds(&form, 10, 600, 500, 400);
    EXPECT_EQ(shell::outerGeometry(&form), QRect(10, 340, 500, 400));
    // A window that refuses the full size is centred with the size it took.
    QWidget small;
    small.setMaximumSize(300, 200);
    SetFormBounds(&small, -1, -1, -1, -1);
    EXPECT_EQ(small.size(), QSize(300, 200));
    const QSize smallOuter = shell::outerGeometry(&small).size();
    EXPECT_EQ(small.pos(), QPoint((1024 - smallOuter.width()) / 2, (740 - smallOuter.height()) / 2));

    workArea.emplace(rtl::TRect{});
    const shell::ScopedScreenSize screen(TSize{800, 600});
    QWidget dialog;
    dialog.resize(200, 100);
    const QSize dialogOuter = shell::outerGeometry(&dialog).size();
    CenterForm(&dialog);
    EXPECT_EQ(dialog.pos(), QPoint((800 - dialogOuter.width()) / 2, (568 - dialogOuter.height()) / 2));
    QWidget parent;
    QWidget child(&parent);
    child.setGeometry(100, 50, 300, 200);
    CenterForm(&dialog, &child);
    EXPECT_EQ(dialog.pos(), QPoint(100 + (300 - dialogOuter.width()) / 2, 50 + (200 - dialogOuter.height()) / 2));
}
