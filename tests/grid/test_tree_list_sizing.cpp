// Finished sizings of bands, columns, panels and rows, their limits, and the
// measure of wrapped preview text.

#include "LayoutFixture.h"

#include <gtest/gtest.h>

#include <QHash>

using namespace grid;
using gridtest::LayoutFixture;

namespace {

std::vector<int> bandWidths(LayoutFixture &f)
{
    std::vector<int> widths;
    for (int i = 0; i < f.tree->Bands()->Count(); ++i)
        widths.push_back(f.tree->Bands()->Items(i)->Width());
    return widths;
}

std::vector<int> columnWidths(LayoutFixture &f)
{
    std::vector<int> widths;
    for (int i = 0; i < f.tree->ColumnCount(); ++i)
        widths.push_back(f.tree->Columns(i)->Width());
    return widths;
}

} // namespace

TEST(TreeListSizing, TheLastBandTakesFromAllBandsToItsLeftUnderAutomaticWidth)
{
    LayoutFixture f(600);
    f.tree->SetOptionsA(f.tree->OptionsA() | (1u << aoAutoWidth));
    f.band(0, 100);
    f.band(1, 200);
    f.band(2, 300);
    EXPECT_EQ(f.tree->BandDisplayWidth(2), 300);
    const TdxTreeListLayoutInfo info = f.layout();
    f.tree->FinishBandSizing(2, info.Bands[2].BandRect.Left + 240 - 2);
    EXPECT_EQ(bandWidths(f), (std::vector<int>{120, 240, 240}));
    // Another band takes from those to its right only.
    f.tree->FinishBandSizing(0, f.layout().Bands[0].BandRect.Left + 150 - 2);
    EXPECT_EQ(bandWidths(f), (std::vector<int>{150, 225, 225}));
}

TEST(TreeListSizing, BandsRescaleTheirColumnsAndStopAtTheirLimits)
{
    LayoutFixture f(600);
    f.band(0, 300);
    f.sized(0, 100);
    f.sized(0, 200);
    f.tree->FinishBandSizing(0, 900); // bounded by the client
    EXPECT_EQ(bandWidths(f), (std::vector<int>{600}));
    EXPECT_EQ(columnWidths(f), (std::vector<int>{200, 400}));
    f.tree->SetOptionsB(f.tree->OptionsB() | (1u << boUnboundedSizing));
    f.tree->FinishBandSizing(0, 1198);
    EXPECT_EQ(bandWidths(f), (std::vector<int>{1200}));
    f.tree->FinishBandSizing(0, 3); // the columns' minimums hold it
    EXPECT_EQ(bandWidths(f), (std::vector<int>{40}));
}

TEST(TreeListSizing, ColumnsTakeFromTheirNeighbours)
{
    LayoutFixture f(600);
    f.band(0, 300);
    for (int i = 0; i < 3; ++i)
        f.sized(0, 100);
    f.tree->FinishColumnSizing(2, 200 + 60 - 1); // the last column: its left neighbour only
    EXPECT_EQ(columnWidths(f), (std::vector<int>{100, 140, 60}));
    f.tree->FinishColumnSizing(0, 5); // below the minimum: stops there
    EXPECT_EQ(columnWidths(f)[0], 20);
    EXPECT_EQ(columnWidths(f)[1] + columnWidths(f)[2], 280);
    EXPECT_EQ(f.tree->ClampColumnSizing(1, 5000), 299); // the band's last pixel
    // Sized to the band's edge, the column ends where the band does.
    f.tree->FinishColumnSizing(1, 5000);
    EXPECT_EQ(columnWidths(f)[1], 280);

    // Width fit with one line: the band follows its column.
    LayoutFixture g(600);
    g.tree->SetOptionsB(g.tree->OptionsB() | (1u << boWidthFit));
    g.band(0, 300);
    g.sized(0, 100);
    g.sized(0, 200);
    g.tree->FinishColumnSizing(0, 149);
    EXPECT_EQ(columnWidths(g), (std::vector<int>{150, 200}));
    EXPECT_EQ(g.tree->BandStoredWidth(0), 350);
}

TEST(TreeListSizing, PanelsAndRows)
{
    LayoutFixture f(400, 300);
    f.column("A");
    TdxTreeListNode *n = f.node({"a"});
    f.tree->FinishHeaderPanelSizing(19 * 2 + 3);
    EXPECT_EQ(f.tree->HeaderPanelRowCount(), 2);
    f.tree->FinishHeaderPanelSizing(-40);
    EXPECT_EQ(f.tree->HeaderPanelRowCount(), 1);
    f.tree->FinishRowSizing(n, 19 + 25);
    EXPECT_EQ(f.tree->Settings().DefaultRowHeight, 25);
    EXPECT_TRUE(f.tree->Settings().DefaultRowHeightSet);
    f.tree->FinishRowSizing(n, 0); // never below the minimum row height
    EXPECT_EQ(f.tree->Settings().DefaultRowHeight, 16);
}

TEST(TreeListSizing, PreviewLines)
{
    LayoutFixture f;
    const classes::TFont &font = f.tree->PreviewFont();
    int height = -1;
    EXPECT_EQ(f.tree->MeasurePreviewLines(QString(), 100, 0, -1, 0, font, height), 0);
    EXPECT_EQ(height, 0);
    EXPECT_EQ(f.tree->MeasurePreviewLines(QStringLiteral("abc"), 100, 0, 0, 0, font, height), 0);
    // 8 characters a line in 60 - 4 pixels; 2 px kept above and below.
    EXPECT_EQ(f.tree->MeasurePreviewLines(QStringLiteral("abc def ghi jkl"), 60, 0, -1, 0, font, height), 2);
    EXPECT_EQ(height, 26 + 4);
    EXPECT_EQ(f.tree->MeasurePreviewLines(QStringLiteral("abc def ghi jkl"), 60, 0, 1, 0, font, height), 1);
    EXPECT_EQ(height, 13 + 4);
    EXPECT_EQ(f.tree->MeasurePreviewLines(QStringLiteral("abc def ghi jkl"), 60, 0, -1, 20, font, height), 1);
    // Only a positive limit caps; another negative one is no count below zero.
    EXPECT_EQ(f.tree->MeasurePreviewLines(QStringLiteral("abc def ghi jkl"), 60, 0, -5, 0, font, height), 2);
    EXPECT_EQ(height, 26 + 4);
    // 1 px each where the preview's grid line takes the other.
    f.settings([](TreeListSettings &s) {
        s.ShowGrid = true;
        s.ShowPreviewGrid = true;
    });
    EXPECT_EQ(f.tree->MeasurePreviewLines(QStringLiteral("abc def ghi jkl"), 60, 0, -1, 0, font, height), 2);
    EXPECT_EQ(height, 26 + 2);
}

namespace {

// Previews from the node's own text, its height adjusted by the control.
class PreviewTextControl : public TCustomdxTreeListControl
{
public:
    using TCustomdxTreeListControl::TCustomdxTreeListControl;
    QString NodePreviewText(TdxTreeListNode *node) override { return texts.value(node); }
    void AdjustPreviewHeight(int &height) override { height += adjustBy; }
    QHash<TdxTreeListNode *, QString> texts;
    int adjustBy = 0;
};

} // namespace

TEST(TreeListSizing, AutomaticPreviewHeightFollowsTheNodesPreviewText)
{
    LayoutFixture f(400);
    auto *control = new PreviewTextControl(nullptr);
    f.tree.reset(control);
    f.tree->SetHost(&f.host);
    f.tree->SetDefaultLayout(false);
    f.tree->SetClientRect(rtl::Rect(0, 0, 400, 400));
    f.band(0, 216);
    f.sized(0, 216); // 200 px of preview text beside a top-level node's indent
    f.tree->SetOptionsA(f.tree->OptionsA() | (1u << aoPreview));
    f.settings([](TreeListSettings &s) { s.PreviewLines = 3; });
    TdxTreeListNode *none = f.node({"a"});
    TdxTreeListNode *two = f.node({"b"});
    TdxTreeListNode *many = f.node({"c"});
    control->texts[two] = QString(20, 'x') + " " + QString(20, 'y'); // 28 characters a line
    control->texts[many] = QString(20, 'w') + " " + QString(20, 'x') + " " + QString(20, 'y') + " " + QString(20, 'z');
    ASSERT_TRUE(f.tree->optionB(boPreviewFromText)); // on by default
    EXPECT_EQ(f.tree->NodePreviewLines(none), 0);
    EXPECT_EQ(f.tree->NodePreviewLines(two), 2);
    EXPECT_EQ(f.tree->NodePreviewLines(many), 3); // the set count caps it
    control->adjustBy = 5;
    int height = 0;
    f.tree->MeasurePreviewLines(control->texts[two], 200, 0, -1, 0, f.tree->PreviewFont(), height);
    EXPECT_EQ(height, 26 + 4 + 5);
    // Without the option, the set count.
    f.tree->SetOptionsB(f.tree->OptionsB() & ~(1u << boPreviewFromText));
    EXPECT_EQ(f.tree->NodePreviewLines(none), 3);
}

TEST(TreeListSizing, AutomaticWidthHoldsBandsAtTheirMinimumsAndTheOthersShareTheRest)
{
    LayoutFixture f(600);
    f.tree->SetOptionsA(f.tree->OptionsA() | (1u << aoAutoWidth));
    f.band(0, 100)->SetMinWidth(150);
    f.band(1, 100);
    f.band(2, 400);
    // 450 left over the minimums, shared 100 : 400 on top of them.
    EXPECT_EQ(f.tree->BandDisplayWidth(0), 150);
    EXPECT_EQ(f.tree->BandDisplayWidth(1), 90);
    EXPECT_EQ(f.tree->BandDisplayWidth(2), 360);
    // Minimums wider than the client: the last band is empty, never negative.
    f.tree->SetClientRect(rtl::Rect(0, 0, 100, 400));
    EXPECT_EQ(f.tree->BandDisplayWidth(0), 150);
    EXPECT_EQ(f.tree->BandDisplayWidth(2), 0);
}
