// The main window as drawn: the legend row against a reviewed picture.

#include "app/ColorLegend.h"
#include "app/Controls.h"
#include "app/MyConstants.h"
#include "app/SiteListView.h"
#include "tests/app/MainFormFixture.h"
#include "tests/support/GoldenImage.h"

#include <QFontInfo>
#include <QLabel>

#include <cstdint>

using namespace app;

namespace {

using MainWindowPixelsTest = MainFormTest;

TEST_F(MainWindowPixelsTest, LegendRowShowsTheTenScaleColoursBetweenItsCaptions)
{
    // A list, so that the first-start wizard stays away.
    write("Domain-Data.txt", SortedRows);
    TMainForm &form = start();
    // The captions' font decides how wide the colour strip gets.
    const QFontInfo font(form.LeftLabel->font());
    ASSERT_EQ(font.family(), QStringLiteral("DejaVu Sans")) << "install fonts-dejavu-core";
    ASSERT_EQ(form.PaintBox1->logicalDpiY(), 96);
    // The reviewed picture has a client area 730 pixels wide; the default
    // width is the window's outer one, frame included.
    form.resize(730, form.height());
    QCoreApplication::processEvents();

    // Each segment in its colour, so that a rewritten golden cannot lose one.
    const QImage strip = form.PaintBox1->grab().toImage();
    const LegendLayout layout = CalcLegendLayout(strip.width(), strip.height());
    for (size_t step = 0; step < layout.fills.size(); ++step) {
        const rtl::TRect &r = layout.fills[step];
        const auto bgr = std::uint32_t(ColorScaleColors[step]);
        EXPECT_EQ(strip.pixel((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2),
                  qRgb(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF))
            << "step " << step;
    }

    // The row across the whole client area, margins included.
    QWidget *client = form.PaintBox1->parentWidget();
    QRect row = form.LeftLabel->geometry() | form.PaintBox1->geometry() | form.RightLabel->geometry();
    row.setLeft(0);
    row.setRight(client->width() - 1);
    EXPECT_TRUE(
        zvotest::matchesGolden(client->grab(row).toImage(), QStringLiteral("tests/app/goldens/legend_row.png")));
}

} // namespace
