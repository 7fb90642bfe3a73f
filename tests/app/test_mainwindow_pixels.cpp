// The main window as drawn: the legend row against a reviewed picture.

#include "app/ColorLegend.h"
#include "app/Controls.h"
#include "app/MyConstants.h"
#include "app/SiteListView.h"
#include "tests/app/MainFormFixture.h"
#include "tests/support/Contrast.h"
#include "tests/support/GoldenImage.h"

#include <QApplication>
#include <QFontInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPalette>
#include <QPushButton>

#include <cmath>
#include <cstdint>
#include <utility>

using namespace app;

namespace {

using MainWindowPixelsTest = MainFormTest;

using zvotest::contrast;

// A desktop palette and layout direction for as long as the object lives.
class ScopedDesktop
{
public:
    ScopedDesktop(const QPalette &palette, Qt::LayoutDirection direction)
        : m_palette(QApplication::palette())
        , m_direction(QApplication::layoutDirection())
    {
        QApplication::setPalette(palette);
        QApplication::setLayoutDirection(direction);
    }
    ~ScopedDesktop()
    {
        QApplication::setPalette(m_palette);
        QApplication::setLayoutDirection(m_direction);
    }

private:
    QPalette m_palette;
    Qt::LayoutDirection m_direction;
};

QPalette darkPalette()
{
    QPalette dark(QColor(0x35, 0x35, 0x35));
    dark.setColor(QPalette::Base, QColor(0x2A, 0x2A, 0x2A));
    dark.setColor(QPalette::AlternateBase, QColor(0x42, 0x42, 0x42));
    dark.setColor(QPalette::Text, QColor(0xEE, 0xEE, 0xEE));
    dark.setColor(QPalette::WindowText, QColor(0xEE, 0xEE, 0xEE));
    dark.setColor(QPalette::ButtonText, QColor(0xEE, 0xEE, 0xEE));
    return dark;
}

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

// A dark desktop: every cell keeps its light scale colour, and its text
// must read on it, not take the palette's light text colour.
TEST_F(MainWindowPixelsTest, UnderADarkPaletteEveryRowsTextReadsOnItsScaleColour)
{
    const ScopedDesktop desktop(darkPalette(), Qt::LeftToRight);
    write("Domain-Data.txt", SortedRows);
    TMainForm &form = start();
    form.resize(730, form.height());
    form.ListView1->clearSelection();
    form.ListView1->setCurrentItem(nullptr);
    QCoreApplication::processEvents();
    const QImage list = form.ListView1->viewport()->grab().toImage();
    const int columns = form.ListView1->columnCount();
    ASSERT_EQ(form.ListView1->topLevelItemCount(), 3);
    for (int row = 0; row < 3; ++row) {
        QTreeWidgetItem *item = form.ListView1->topLevelItem(row);
        for (int column = 0; column < columns; ++column) {
            QRect cell = form.ListView1->visualItemRect(item);
            cell.setLeft(form.ListView1->header()->sectionViewportPosition(column));
            cell.setWidth(form.ListView1->header()->sectionSize(column));
            // Inside the grid lines; past the row's icon.
            cell.adjust(column == 0 ? 24 : 2, 2, -3, -3);
            // Domains are left-aligned, counts right-aligned: the far side
            // of the text is the background.
            const QRgb background = list.pixel(column == 0 ? cell.right() : cell.left(), cell.center().y());
            double best = 1;
            for (int y = cell.top(); y <= cell.bottom(); ++y)
                for (int x = cell.left(); x <= cell.right(); ++x)
                    best = std::max(best, contrast(list.pixel(x, y), background));
            EXPECT_GE(best, 4.5) << "row " << row << " column " << column;
        }
    }
}

// A larger desktop font: every row is as tall as its text, so no domain or
// count is cut off at the top or bottom; the window is fitted to those rows.
TEST_F(MainWindowPixelsTest, UnderALargerApplicationFontEveryRowHoldsItsText)
{
    const QFont before = QApplication::font();
    QFont large = before;
    large.setPointSize(16);
    QApplication::setFont(large);
    write("Domain-Data.txt", SortedRows);
    TMainForm &form = start();
    QCoreApplication::processEvents();
    const int textHeight = form.ListView1->fontMetrics().height();
    ASSERT_GT(textHeight, TSiteListView::RowHeight);
    ASSERT_EQ(form.ListView1->topLevelItemCount(), 3);
    for (int row = 0; row < 3; ++row)
        EXPECT_GE(form.ListView1->visualItemRect(form.ListView1->topLevelItem(row)).height(), textHeight) << row;
    form.FitHeightToRows();
    QCoreApplication::processEvents();
    const QTreeWidgetItem *last = form.ListView1->topLevelItem(2);
    EXPECT_LE(form.ListView1->visualItemRect(last).bottom(), form.ListView1->viewport()->height());
    QApplication::setFont(before);
}

// A 14-point application font: the window is never narrower than its
// buttons need, so no caption is cut at its ends, also from a stored width;
// the count columns hold their captions.
TEST_F(MainWindowPixelsTest, UnderA14PointFontEveryButtonHoldsItsCaption)
{
    const QFont before = QApplication::font();
    QFont large = before;
    large.setPointSize(14);
    QApplication::setFont(large);
    write("Domain-Data.txt", SortedRows);
    writeOptions("ShowSplashScreen=false\r\nMainWindowW=630\r\nMainWindowState=Normal\r\n");
    TMainForm &form = start();
    form.show();
    QCoreApplication::processEvents();
    for (QPushButton *button : form.findChildren<QPushButton *>())
        if (button->isVisible()) {
            EXPECT_GE(button->width(), button->sizeHint().width()) << button->objectName().toStdString();
        }
    // And no count column cuts its caption.
    for (int column = 1; column < form.ListView1->columnCount(); ++column)
        EXPECT_GE(form.ListView1->columnWidth(column), form.ListView1->header()->sectionSizeHint(column)) << column;
    QApplication::setFont(before);
}

// The desktop's font grows while the window shows: the window widens with
// its buttons' needs and the count columns with their captions and values,
// as they do when it starts under that font.
TEST_F(MainWindowPixelsTest, AFontGrownWhileTheWindowShowsCutsNoButtonCaption)
{
    const QFont before = QApplication::font();
    write("Domain-Data.txt", SortedRows);
    writeOptions("ShowSplashScreen=false\r\nMainWindowW=630\r\nMainWindowState=Normal\r\n");
    TMainForm &form = start();
    form.show();
    QCoreApplication::processEvents();
    QFont large = before;
    large.setPointSize(14);
    QApplication::setFont(large);
    for (int round = 0; round < 5; ++round)
        QCoreApplication::processEvents();
    for (QPushButton *button : form.findChildren<QPushButton *>())
        if (button->isVisible()) {
            EXPECT_GE(button->width(), button->sizeHint().width()) << button->text().toStdString();
        }
    // The count columns hold their captions and their values in it.
    TSiteListView &list = *form.ListView1;
    for (int column = 1; column < list.columnCount(); ++column) {
        EXPECT_GE(list.columnWidth(column), list.header()->sectionSizeHint(column)) << column;
        for (int row = 0; row < list.topLevelItemCount(); ++row)
            EXPECT_GE(list.columnWidth(column), list.sizeHintForIndex(list.model()->index(row, column)).width())
                << row << " " << column;
    }
    QApplication::setFont(before);
}

// Right to left, as a right-to-left translation sets it: the legend row
// looks as it does left to right, "Limited Presence..." beside the lowest
// colour and "...Major Player" beside the highest, and the hint follows the
// colour under the mouse.
TEST_F(MainWindowPixelsTest, RightToLeftTheLegendRowLooksAsItDoesLeftToRight)
{
    write("Domain-Data.txt", SortedRows);
    const auto legendRow = [this](Qt::LayoutDirection direction) {
        const ScopedDesktop desktop(QApplication::palette(), direction);
        TMainForm &form = start();
        form.resize(730, form.height());
        QCoreApplication::processEvents();
        EXPECT_EQ(form.isRightToLeft(), direction == Qt::RightToLeft);
        form.PaintBox1MouseMove(4, 5);
        EXPECT_TRUE(form.PaintBox1->statusTip().endsWith(QStringLiteral(" 250 references")));
        return std::pair{form.PaintBox1->parentWidget()->grab().toImage(), form.LogoImage->grab().toImage()};
    };
    const auto [leftToRight, logoLeftToRight] = legendRow(Qt::LeftToRight);
    const auto [rightToLeft, logoRightToLeft] = legendRow(Qt::RightToLeft);
    ASSERT_EQ(leftToRight.size(), rightToLeft.size());
    EXPECT_TRUE(leftToRight == rightToLeft);
    // The logo fades into its colour towards the right; placed at the right
    // end, its light left edge would stand against that colour.
    EXPECT_TRUE(logoLeftToRight == logoRightToLeft);
}

} // namespace
