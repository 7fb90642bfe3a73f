#include "CallOutSweeps.h"
#include "TreeListFixture.h"

#include "grid/core/TreeListControl.h"
#include "grid/paint/TreeListDragPictures.h"
#include "grid/paint/TreeListGlyphs.h"
#include "grid/paint/TreeListPainter.h"

#include "tests/support/GoldenImage.h"
#include "tests/support/PixelProbes.h"

#include "grid/core/TreeListNodeDrag.h"

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <tuple>

using namespace grid;
using zvotest::at;
using zvotest::countOf;

namespace {

constexpr rtl::TColor untouched = 0x00FF00FF; // magenta: nothing painted there

class PaintControl : public TCustomdxTreeListControl
{
public:
    using TCustomdxTreeList::SetState;
    using TCustomdxTreeListControl::TCustomdxTreeListControl;
    bool IsNewItemRowShown() override { return newItemRow; }
    bool IsGroupFooter(TdxTreeListNode *, int) override { return answer(groupFooters, "IsGroupFooter"); }
    bool HasLevelColors() override { return levelColor != rtl::clNone; }
    rtl::TColor LevelColor(TdxTreeListNode *, int) override
    {
        const rtl::TColor color = levelColor;
        call(levelColorHook);
        return color;
    }
    bool IsSingleTextNode(TdxTreeListNode *node) override { return answer(node == singleText, "IsSingleTextNode"); }
    void DoRowBegin(TdxTreeListNode *node) override
    {
        rowCalls.push_back({node, true});
        call(rowBeginHook);
    }
    void DoRowEnd(TdxTreeListNode *node) override
    {
        rowCalls.push_back({node, false});
        call(rowEndHook);
    }
    // What an override does besides answering; it may free the grid.
    std::function<void()> levelColorHook, rowBeginHook, rowEndHook;
    std::map<std::string, std::function<void()>> queryHooks; // by the virtual's name
    int GroupPanelHeight() override { return answer(groupPanel, "GroupPanelHeight"); }
    bool IsBottomPanelShown() override { return answer(bottomPanel, "IsBottomPanelShown"); }
    bool IsBottomPanelButtonShown() override { return bottomButton; }
    QString BottomPanelText() override { return answer(bottomText, "BottomPanelText"); }
    int ColumnHeaderDropDown(int) override { return answer(dropDown, "ColumnHeaderDropDown"); }
    bool IsWholeRow(TdxTreeListNode *node) override
    {
        return answer(TCustomdxTreeListControl::IsWholeRow(node), "IsWholeRow");
    }
    bool RowFlag(TdxTreeListNode *node) override { return answer(TCustomdxTreeListControl::RowFlag(node), "RowFlag"); }
    QString FooterCellText(int column) override
    {
        return answer(TCustomdxTreeListControl::FooterCellText(column), "FooterCellText");
    }
    rtl::TColor ColumnColor(int column) override
    {
        return answer(TCustomdxTreeListControl::ColumnColor(column), "ColumnColor");
    }

    bool newItemRow = false;
    int groupPanel = 0;
    bool bottomPanel = false;
    bool bottomButton = false;
    QString bottomText;
    int dropDown = -1;
    bool groupFooters = false;
    rtl::TColor levelColor = rtl::clNone;
    TdxTreeListNode *singleText = nullptr;

private:
    // The answer is taken before the hook runs: the hook may free this control.
    template <typename T>
    T answer(T value, const char *query)
    {
        if (const auto hook = queryHooks.find(query); hook != queryHooks.end())
            call(hook->second);
        return value;
    }
    // The hook is copied first: it may free this control and itself with it.
    static void call(const std::function<void()> &hook)
    {
        if (const std::function<void()> h = hook)
            h();
    }
public:
    std::vector<std::pair<TdxTreeListNode *, bool>> rowCalls;
};

// A control whose bands keep their widths, painted on a fake host with a
// fixed-width measurer so that the layout does not depend on fonts.
struct PaintFixture
{
    PaintFixture()
        : tree(std::make_unique<PaintControl>(nullptr))
    {
        tree->SetHost(&host);
        tree->SetOptionsB(tree->OptionsB() & ~(1u << boWidthFit));
        tree->SetDefaultLayout(false);
        tree->SetClientRect(rtl::Rect(0, 0, 300, 120));
    }
    ~PaintFixture() { tree.reset(); }

    TdxTreeListColumn *column(const QString &caption, int width, int band = 0)
    {
        while (tree->Bands()->Count() <= band)
            tree->Bands()->Add();
        auto *c = tree->CreateColumn(TdxTreeListColumn::StaticClass());
        c->SetCaption(caption);
        c->SetBandIndex(band);
        c->SetMinWidth(0);
        c->SetWidth(width);
        TdxTreeListBand *b = tree->Bands()->Items(band);
        b->SetMinWidth(0);
        b->SetWidth(bandWidths[band] += width);
        return c;
    }
    TdxTreeListNode *node(const QStringList &texts, TdxTreeListNode *parent = nullptr)
    {
        TdxTreeListNode *n = parent ? parent->AddChild() : tree->Add();
        for (int i = 0; i < texts.size(); ++i)
            tree->SetNodeString(n, i, texts[i]);
        return n;
    }
    void settings(const std::function<void(TreeListSettings &)> &change)
    {
        TreeListSettings s = tree->Settings();
        change(s);
        tree->SetSettings(s);
    }
    QImage paint(int width = 300, int height = 120)
    {
        if (!tree)
            return {};
        tree->SetClientRect(rtl::Rect(0, 0, width, height));
        tree->CalcMetrics();
        QImage image = zvotest::blank(std::max(width, 1), std::max(height, 1), untouched);
        gfx::Canvas canvas(&image, &host.measurer);
        TreeListPainter pass(*tree, canvas, host.focused);
        pass.Paint();
        info = pass.Layout();
        return image;
    }
    // Two columns of a focused row in cell focus, the first column focused.
    TdxTreeListNode *focusedTwoColumns()
    {
        column("A", 80);
        column("B", 80);
        TdxTreeListNode *n = node({"a", "b"});
        node({"c", "d"});
        tree->SetOptionsA(tree->OptionsA() & ~(1u << aoRowFocus));
        tree->SetFocusedNode(n);
        tree->SetFocusedColumn(tree->PositionOfColumn(0));
        host.focused = true;
        return n;
    }
    rtl::TRect headerCell(int column) const
    {
        for (const TdxTreeListHeaderCell &c : info.HeaderCells)
            if (c.ColumnIndex == column)
                return c.CellRect;
        return {};
    }
    // A pixel inside a column's cell of the first row, clear of its text.
    rtl::TColor firstRowCell(const QImage &image, int column) const
    {
        const rtl::TRect c = headerCell(column);
        return at(image, c.Right - 4, info.Rows.at(0).Top + 2);
    }

    gridtest::FakeTreeListHost host;
    std::unique_ptr<PaintControl> tree;
    std::map<int, int> bandWidths;
    TdxTreeListLayoutInfo info;
};

const rtl::TColor window = rtl::ColorToRGB(rtl::clWindow);
const rtl::TColor highlightColour = rtl::ColorToRGB(rtl::clHighlight);
const rtl::TColor btnFace = rtl::ColorToRGB(rtl::clBtnFace);

} // namespace

TEST(TreeListPaint, WithoutBandsOnlyTheEmptyAreasAreFilled)
{
    PaintFixture f;
    f.tree->Bands()->Clear();
    f.node({"x"});
    f.node({"y"});
    const QImage image = f.paint();
    int painted = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            auto inside = [x, y](const rtl::TRect &r) {
                return x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom;
            };
            const rtl::TColor c = at(image, x, y);
            painted += c != untouched;
            if (inside(f.info.EmptyRightRect) || inside(f.info.EmptyBottomRect)) {
                ASSERT_EQ(c, window) << x << "," << y;
            }
        }
    EXPECT_GT(painted, 0);
    EXPECT_EQ(countOf(image, untouched) + painted, image.width() * image.height());
    EXPECT_EQ(countOf(image, window), painted);
}

TEST(TreeListPaint, HeadersDrawnUnlessAHookIsDoneAndPressedOnesInverted)
{
    PaintFixture f;
    TdxTreeListColumn *a = f.column("A", 80);
    f.column("B", 80);
    f.node({"1", "2"});
    QString seen;
    a->OnCustomDrawColumnHeader.Set([&](classes::TObject *, TdxTreeListColumn *, gfx::Canvas *, const rtl::TRect &,
                                        QString &text, rtl::TColor &, classes::TFont *, TAlignment &,
                                        TdxTreeListColumnSort &, bool &done) {
        seen = text;
        done = true;
    });
    QImage image = f.paint();
    EXPECT_EQ(seen, "A");
    const rtl::TRect cellA = f.headerCell(0);
    const rtl::TRect cellB = f.headerCell(1);
    ASSERT_FALSE(cellA.IsEmpty());
    for (int x = cellA.Left; x < cellA.Right; ++x)
        ASSERT_EQ(at(image, x, cellA.Top + 3), untouched) << x;
    EXPECT_EQ(at(image, cellB.Left + 10, cellB.Top + 3), btnFace);

    a->OnCustomDrawColumnHeader.Clear();
    f.tree->SetPressed(1, -1);
    const QImage plain = f.paint();
    f.tree->SetState(tsColumnDown);
    const QImage pressed = f.paint();
    f.tree->SetState(tsNone);
    for (int y = cellB.Top; y < cellB.Bottom; ++y)
        for (int x = cellB.Left; x < cellB.Right; ++x)
            ASSERT_EQ(at(pressed, x, y), at(plain, x, y) ^ 0xFFFFFF) << x << "," << y;
    EXPECT_EQ(at(pressed, cellA.Left + 10, cellA.Top + 3), at(plain, cellA.Left + 10, cellA.Top + 3));
}

TEST(TreeListPaint, CellFocusHighlightsTheFocusedCellOrTheRowsOtherCells)
{
    PaintFixture f;
    f.focusedTwoColumns();
    QImage image = f.paint();
    // Without multiple selection the focused row is the selected one.
    EXPECT_EQ(f.firstRowCell(image, 0), highlightColour);
    EXPECT_EQ(f.firstRowCell(image, 1), window);
    f.tree->SetOptionsB(f.tree->OptionsB() | 1u);
    image = f.paint();
    EXPECT_EQ(f.firstRowCell(image, 0), window);
    EXPECT_EQ(f.firstRowCell(image, 1), highlightColour);
}

TEST(TreeListPaint, UnfocusedRowsLoseTheHighlightOrTakeTheInactiveColours)
{
    PaintFixture f;
    f.focusedTwoColumns();
    f.host.focused = false;
    QImage image = f.paint();
    EXPECT_EQ(f.firstRowCell(image, 0), window);
    TreeListPaintSwitches s = f.tree->PaintSwitches();
    s.HideSelection = false;
    f.tree->SetPaintSwitches(s);
    image = f.paint();
    EXPECT_EQ(f.firstRowCell(image, 0), btnFace);
    // The inverted focus frame of the unfocused control marks the cell.
    const rtl::TRect cell = f.headerCell(0);
    EXPECT_EQ(at(image, cell.Right - 10, f.info.Rows[0].Top), btnFace ^ 0xFFFFFF);
}

TEST(TreeListPaint, ADragFromAnotherGridHighlightsTheFocusedRowOfAnUnfocusedOne)
{
    PaintFixture f;
    f.focusedTwoColumns();
    f.host.focused = false;
    f.tree->NodeDrag().OnDragOver = [](TCustomdxTreeList *, int, int, bool &) {};
    PaintFixture source;
    source.focusedTwoColumns();
    source.tree->NodeDrag().SetDraggedNode(source.tree->FocusedNode());
    ASSERT_TRUE(source.tree->NodeDrag().BeginDrag(0, 0));
    source.tree->NodeDrag().MoveTo(f.tree.get(), 0, 0);
    EXPECT_EQ(f.firstRowCell(f.paint(), 1), highlightColour);
    source.tree->NodeDrag().Cancel();
    EXPECT_EQ(f.firstRowCell(f.paint(), 1), window);
}

TEST(TreeListPaint, ColumnColoursAndGridLines)
{
    PaintFixture f;
    TdxTreeListNode *n = f.focusedTwoColumns();
    (void)n;
    f.tree->Columns(0)->SetColor(rtl::clWindow); // like the control: the control's brush
    f.tree->Columns(1)->SetColor(rtl::clYellow);
    f.tree->SetFocusedNode(f.tree->Items(1));
    QImage image = f.paint();
    EXPECT_EQ(f.firstRowCell(image, 0), window);
    EXPECT_EQ(f.firstRowCell(image, 1), rtl::clYellow);
    // clNone and clDefault have no colour of their own: the control's.
    f.tree->Columns(1)->SetColor(rtl::clNone);
    image = f.paint();
    EXPECT_EQ(f.firstRowCell(image, 1), window);
    f.tree->Columns(1)->SetColor(rtl::clDefault);
    image = f.paint();
    EXPECT_EQ(f.firstRowCell(image, 1), window);

    // The focused (selected) cell's right edge carries the grid line: in the
    // control's colour with ShowGrid off, in the grid colour with it on.
    f.tree->SetFocusedNode(f.tree->Items(0));
    image = f.paint();
    const rtl::TRect cell = f.headerCell(0);
    const int y = f.info.Rows[0].Top + 3;
    EXPECT_EQ(at(image, cell.Right - 2, y), highlightColour);
    EXPECT_EQ(at(image, cell.Right - 1, y), window);
    f.settings([](TreeListSettings &s) { s.ShowGrid = true; });
    image = f.paint();
    EXPECT_EQ(at(image, cell.Right - 1, y), rtl::ColorToRGB(rtl::clBtnShadow));
}

TEST(TreeListPaint, DottedTreeLinesContinueFromRowToRow)
{
    PaintFixture f;
    f.column("Tree", 200);
    TdxTreeListNode *root = f.node({"root"});
    for (int i = 0; i < 4; ++i)
        f.node({"child"}, root);
    f.node({"next"});
    root->SetExpanded(true);
    f.settings([](TreeListSettings &s) {
        s.ReserveButtonCell = true;
        s.DefaultRowHeight = 17; // odd: a restart per row would break the dots
        s.DefaultRowHeightSet = true;
    });
    TreeListPaintSwitches s = f.tree->PaintSwitches();
    s.ShowLines = true;
    s.LineStyle = 1;
    f.tree->SetPaintSwitches(s);
    const QImage image = f.paint(300, 160);
    const int indent = f.tree->Metrics().IndentWidth;
    const int x = f.info.RowsRect.Left + indent / 2 - 1; // the roots' line, through every row
    const int top = f.info.Rows[1].Top;
    const int bottom = f.info.Rows[4].Top + f.info.Rows[4].Height;
    const rtl::TColor gray = rtl::ColorToRGB(rtl::clGrayText);
    for (int y = top; y < bottom; ++y)
        ASSERT_EQ(at(image, x, y), ((x + y) % 2 == 0) ? gray : window) << y;

    // Solid lines, in the grid's grey-text colour.
    s.LineStyle = 0;
    f.tree->SetPaintSwitches(s);
    TreeListColors colors = f.tree->Colors();
    colors.GrayTextColor = 0x0000FF;
    f.tree->SetColors(colors);
    const QImage solid = f.paint(300, 160);
    for (int y = top; y < bottom; ++y)
        ASSERT_EQ(at(solid, x, y), rtl::TColor(0x0000FF)) << y;
}

TEST(TreeListPaint, ExpandButtonsAndTheGlyphPairMatchTheirPictures)
{
    QImage image = zvotest::blank(64, 16, rtl::clWhite);
    zvotest::paint(image, [](gfx::Canvas &c) {
        DrawClassicExpandButton(c, rtl::Rect(0, 0, 16, 16), 8, false);
        DrawClassicExpandButton(c, rtl::Rect(16, 0, 32, 16), 8, true);
        DrawFlatExpandButton(c, rtl::Rect(32, 0, 48, 16), false);
        DrawFlatExpandButton(c, rtl::Rect(48, 0, 64, 16), true);
    });
    EXPECT_TRUE(zvotest::matchesGolden(image, QStringLiteral("tests/grid/goldens/expand_buttons.png")));
    const ExpandGlyphPair pair = DrawExpandGlyphs();
    QImage glyphs = zvotest::blank(24, 12);
    zvotest::paint(glyphs, [&](gfx::Canvas &c) {
        c.BitBlt(0, 0, 12, 12, pair.plus, 0, 0);
        c.BitBlt(12, 0, 12, 12, pair.minus, 0, 0);
    });
    EXPECT_TRUE(zvotest::matchesGolden(glyphs, QStringLiteral("tests/grid/goldens/expand_glyph_pair.png")));
}

TEST(TreeListPaint, NewItemRowWithoutIndicatorDrawsNoGlyph)
{
    PaintFixture f;
    f.column("A", 80);
    f.node({"a"});
    f.tree->newItemRow = true;
    QImage image = f.paint();
    ASSERT_FALSE(f.info.NewItemRowRect.IsEmpty());
    const rtl::TRect r = f.info.NewItemRowRect;
    // Black appears only with a glyph: the frame is grey and white.
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Left + 14; ++x)
            ASSERT_NE(at(image, x, y), rtl::clBlack) << x << "," << y;
}

TEST(TreeListPaint, TheActiveNewItemRowTakesTheHighlightAndTheFocusMarkFromTheFocusedRow)
{
    PaintFixture f;
    f.focusedTwoColumns();
    f.tree->newItemRow = true;
    f.tree->CalcMetrics();
    QImage image = f.paint();
    EXPECT_EQ(f.firstRowCell(image, 0), highlightColour);
    f.tree->SetNewItemRowActive(true);
    ASSERT_TRUE(f.tree->IsNewItemRowActive());
    image = f.paint();
    // The focused row is no longer drawn selected, nor framed.
    EXPECT_EQ(f.firstRowCell(image, 0), window);
    const rtl::TRect cell = f.headerCell(0);
    const int top = f.info.Rows.at(0).Top;
    for (int x = cell.Left + 24; x < cell.Right - 2; ++x) // right of the indent
        ASSERT_EQ(at(image, x, top), window) << x;
    // The new item row's focused cell is, its other cell is not.
    const rtl::TRect row = f.info.NewItemRowRect;
    const int y = row.Top + 3;
    EXPECT_EQ(at(image, f.headerCell(0).Right - 4, y), highlightColour);
    EXPECT_NE(at(image, f.headerCell(1).Right - 4, y), highlightColour);
}

TEST(TreeListPaint, PasswordCellsShowOneAsteriskPerCharacter)
{
    PaintFixture f;
    TdxTreeListColumn *pin = f.column("PIN", 80);
    TdxTreeListNode *n = f.node({"abc"});
    f.node({"***"});
    pin->SetPasswordChar('*');
    TreeListPaintSwitches s = f.tree->PaintSwitches();
    s.NoInactiveFocus = true; // no focus frame around the first row
    f.tree->SetPaintSwitches(s);
    const QImage image = f.paint();
    pin->SetPasswordChar(QChar());
    const QImage plain = f.paint();
    const int line = f.tree->Settings().DefaultRowHeight;
    (void)n;
    const rtl::TRect cell = f.headerCell(0);
    // Row 0 with the password character looks like row 1's "***" drawn
    // the same way.
    for (int y = 0; y < line; ++y)
        for (int x = cell.Left; x < cell.Right; ++x)
            ASSERT_EQ(at(image, x, f.info.Rows[0].Top + y), at(image, x, f.info.Rows[1].Top + y)) << x << "," << y;
    EXPECT_NE(plain, image);
}

// The dragged row's picture floats over other windows: a password column
// shows its mask there, one character per character, as its cells do.
TEST(TreeListPaint, ANodeDragPictureMasksAPasswordColumn)
{
    PaintFixture f;
    f.column("PIN", 80);
    TdxTreeListNode *secret = f.node({"abc"});
    TdxTreeListNode *stars = f.node({"***"});
    TdxTreeListNode *empty = f.node({""});
    TdxTreeListNode *pair = f.node({QString::fromUtf8("a\U0001F600b")});
    f.tree->Columns(0)->SetPasswordChar('*');
    const auto picture = [&](TdxTreeListNode *n) {
        return PaintTreeListDragPicture(*f.tree, f.tree->BuildNodeDragImage(n, 0), &f.host.measurer, 300).Image;
    };
    const QImage masked = picture(secret);
    ASSERT_FALSE(masked.isNull());
    EXPECT_EQ(masked, picture(stars));
    EXPECT_EQ(picture(pair), masked) << "a character beyond the basic plane is one star";
    EXPECT_EQ(picture(empty).size(), QSize(26, masked.height())) << "an empty cell has no mask to show";
    f.tree->Columns(0)->SetPasswordChar(QChar());
    EXPECT_NE(picture(secret), masked);
}

TEST(TreeListPaint, AnUnsetSearchHighlightOnAWhiteCellIsBlack)
{
    PaintFixture f;
    f.column("A", 120);
    f.node({"apple"});
    f.node({"banana"});
    f.host.focused = true;
    f.tree->SetOptionsA(f.tree->OptionsA() & ~(1u << aoRowFocus));
    f.tree->SetOptionsB(f.tree->OptionsB() | 1u); // the focused cell stays white
    ASSERT_TRUE(f.tree->StartSearch(0, "ban"));
    const QImage image = f.paint();
    const rtl::TRect cell = f.headerCell(0);
    const TdxTreeListRowInfo &row = f.info.Rows[1];
    ASSERT_EQ(row.Node, f.tree->FocusedNode());
    const int textLeft = cell.Left + f.tree->NodeIndentWidth(row.Node) + 2;
    EXPECT_EQ(at(image, textLeft, row.Top + 1), rtl::clBlack);
    EXPECT_EQ(at(image, cell.Right - 8, row.Top + 2), window);
}

TEST(TreeListPaint, BadInputEndsEveryPassClosed)
{
    PaintFixture f;
    TdxTreeListColumn *a = f.column("A & B", 80);
    f.column("B", 80);
    QString longText(10000, QChar('x'));
    longText.replace(100, 4, "\t\r\n&");
    TdxTreeListNode *n = f.node({longText, "b"});
    f.node({"\t\r\n", "&&"}, n);
    n->SetExpanded(true);
    gfx::ImageList images(16, 16);
    f.tree->SetImages(&images);
    f.tree->SetNodeImageIndex(n, 7); // outside the list
    for (auto [w, h] : {std::pair{0, 0}, {1, 1}, {32767, 100}, {300, 120}}) {
        f.paint(w, h);
        EXPECT_EQ(f.tree->FeedbackHidden(), 0);
    }
    f.tree->SetImages(nullptr);
    f.paint();

    int calls = 0;
    a->OnCustomDrawCell.Set([&](classes::TObject *, gfx::Canvas *, const rtl::TRect &, TdxTreeListNode *,
                                TdxTreeListColumn *, bool, bool, bool, QString &text, rtl::TColor &, classes::TFont *,
                                TAlignment &, bool &) {
        text.clear();
        ++calls;
    });
    const QImage emptied = f.paint();
    EXPECT_GT(calls, 0);
    const rtl::TRect cell = f.headerCell(0);
    EXPECT_EQ(at(emptied, cell.Left + 40, f.info.Rows[1].Top + 8), window);

    a->OnCustomDrawCell.Set([](classes::TObject *, gfx::Canvas *, const rtl::TRect &, TdxTreeListNode *,
                               TdxTreeListColumn *, bool, bool, bool, QString &, rtl::TColor &, classes::TFont *,
                               TAlignment &, bool &) { throw std::runtime_error("handler"); });
    QImage image = zvotest::blank(300, 120);
    {
        gfx::Canvas canvas(&image, &f.host.measurer);
        const int depth = canvas.SaveDC();
        canvas.RestoreDC(depth);
        TreeListPainter pass(*f.tree, canvas, true);
        EXPECT_THROW(pass.Paint(), std::runtime_error);
        EXPECT_EQ(f.tree->FeedbackHidden(), 0);
        // The canvas is back at the depth it had: a new level is the first.
        EXPECT_EQ(canvas.SaveDC(), depth);
    }
}

TEST(TreeListPaint, PreviewLinesTakeTheRowColours)
{
    PaintFixture f;
    f.focusedTwoColumns();
    f.tree->SetOptionsA(f.tree->OptionsA() | (1u << aoPreview) | (1u << aoRowFocus));
    f.tree->SetOptionsB(f.tree->OptionsB() & ~(1u << boPreviewFromText)); // the set count of lines
    for (const bool grid : {false, true}) {
        f.settings([grid](TreeListSettings &s) { s.ShowGrid = grid; });
        const QImage image = f.paint(300, 200);
        for (size_t i = 0; i < 2; ++i) {
            const TdxTreeListRowInfo &row = f.info.Rows.at(i);
            ASSERT_GT(row.PreviewLines, 0);
            const int bottom = row.Top + row.Height - f.info.HorzLineWidth - row.FooterHeight;
            const int top = bottom - row.PreviewLines * f.tree->Metrics().PreviewLineHeight - 2;
            // The focused row is selected: its preview is highlighted with it.
            const rtl::TColor expected = i == 0 ? highlightColour : window;
            for (const int y : {top + 1, (top + bottom) / 2, bottom - 1})
                for (const int x : {f.headerCell(0).Left + f.tree->NodeIndentWidth(row.Node) + 4, f.info.ColumnsRight})
                    ASSERT_EQ(at(image, x, y), expected) << grid << " row " << i << " at " << x << "," << y;
        }
    }
}

TEST(TreeListPaint, ImagesStayInsideTheTreePart)
{
    for (const int variant : {0, 1, 2, 3, 4}) {
        PaintFixture f;
        f.column("T", 40);
        if (variant == 1)
            f.column("C", 80);
        f.column("B", 80, 1);
        TdxTreeListNode *n = f.node({"a", "b", "c"});
        for (int i = 0; i < 3; ++i) {
            n->SetExpanded(true);
            n = f.node({"a", "b", "c"}, n);
        }
        f.tree->Items(0)->SetExpanded(true);
        gfx::ImageList images(16, 16);
        QImage red(16, 16, QImage::Format_RGB32);
        red.fill(Qt::red);
        images.add(red);
        f.tree->SetImages(&images);
        for (TdxTreeListNode *m = f.tree->Items(0); m; m = m->GetNext())
            f.tree->SetNodeImageIndex(m, 0);
        if (variant == 2)
            f.tree->SetHorzOffset(30);
        if (variant == 3)
            f.tree->Bands()->Items(0)->SetFixed(bfLeft);
        if (variant == 4) {
            f.column("R", 200, 2);
            f.tree->Bands()->Items(2)->SetFixed(bfRight);
            f.tree->SetHorzOffset(20);
        }
        const QImage image = f.paint();
        const int left = f.info.RowsRect.Left;
        const int right = left + f.info.TreeColumnWidth;
        int reds = 0;
        for (int y = f.info.RowsRect.Top; y < f.info.RowsRect.Bottom; ++y)
            for (int x = 0; x < image.width(); ++x)
                if (at(image, x, y) == rtl::clRed) {
                    ++reds;
                    ASSERT_TRUE(x >= left && x < right)
                        << variant << ": " << x << "," << y << " tree " << left << "-" << right;
                }
        EXPECT_GT(reds, 0) << variant;
    }
}

TEST(TreeListPaint, APressedIndicatorPieceIsDrawnInverted)
{
    PaintFixture f;
    f.column("A", 80);
    f.node({"a"});
    f.settings([](TreeListSettings &s) {
        s.ShowBands = true;
        s.ShowIndicator = true;
    });
    const QImage plain = f.paint();
    const rtl::TRect band = f.info.BandIndicatorRect;
    const rtl::TRect header = f.info.HeaderIndicatorRect;
    ASSERT_FALSE(band.IsEmpty());
    ASSERT_FALSE(header.IsEmpty());
    for (const auto &[state, pressed, other] :
         {std::tuple{tsBandButtonDown, band, header}, std::tuple{tsHeaderButtonDown, header, band}}) {
        f.tree->SetState(state);
        const QImage image = f.paint();
        f.tree->SetState(tsNone);
        for (int y = pressed.Top; y < pressed.Bottom; ++y)
            for (int x = pressed.Left; x < pressed.Right; ++x)
                ASSERT_EQ(at(image, x, y), at(plain, x, y) ^ 0xFFFFFF) << int(state) << ": " << x << "," << y;
        EXPECT_EQ(at(image, other.Left + 2, other.Top + 2), at(plain, other.Left + 2, other.Top + 2)) << int(state);
    }
}

TEST(TreeListPaint, NewItemRowGridLinesFollowShowGridLikeTheRows)
{
    PaintFixture f;
    f.column("A", 80);
    f.column("B", 80);
    f.node({"a", "b"});
    f.tree->newItemRow = true;
    for (const bool grid : {false, true}) {
        f.settings([grid](TreeListSettings &s) { s.ShowGrid = grid; });
        const QImage image = f.paint();
        const rtl::TRect r = f.info.NewItemRowRect;
        ASSERT_FALSE(r.IsEmpty());
        const int y = (r.Top + r.Bottom) / 2;
        const int x = f.headerCell(0).Right - 1;
        // Where a row's cell edge is, the new item row's is the same colour.
        EXPECT_EQ(at(image, x, y), at(image, x, f.info.Rows[0].Top + 3)) << grid;
        EXPECT_EQ(at(image, x, y), grid ? rtl::ColorToRGB(rtl::clBtnShadow) : window) << grid;
    }
}

TEST(TreeListPaint, AHeaderDrawnByItsHookKeepsItsFiller)
{
    PaintFixture f;
    TdxTreeListColumn *a = f.column("A", 80);
    f.column("B", 80, 1);
    f.column("C", 80, 1)->SetRowIndex(1);
    f.tree->SetHeaderPanelRowCount(2);
    f.node({"1", "2", "3"});
    a->OnCustomDrawColumnHeader.Set([](classes::TObject *, TdxTreeListColumn *, gfx::Canvas *, const rtl::TRect &,
                                       QString &, rtl::TColor &, classes::TFont *, TAlignment &,
                                       TdxTreeListColumnSort &, bool &done) { done = true; });
    const QImage image = f.paint(300, 160);
    rtl::TRect filler;
    for (const TdxTreeListHeaderCell &c : f.info.HeaderCells)
        if (c.ColumnIndex == 0)
            filler = c.FillerRect;
    ASSERT_FALSE(filler.IsEmpty());
    EXPECT_EQ(at(image, (filler.Left + filler.Right) / 2, (filler.Top + filler.Bottom) / 2),
              rtl::ColorToRGB(rtl::clBtnShadow));
}

// A band that may not be sized can come out narrower than its columns'
// minimums; the column that passes its edge is clipped there, and so is
// the filler under it: the header of the band beside it stays as drawn.
TEST(TreeListPaint, AFillerStopsAtTheEdgeOfANarrowBand)
{
    PaintFixture f;
    f.tree->SetHeaderPanelRowCount(2);
    for (const char *caption : {"A", "B", "C"})
        f.column(caption, 80)->SetMinWidth(80);
    f.column("", 80, 1);
    TdxTreeListColumn *lower = f.column("", 80, 1);
    lower->SetRowIndex(1);
    f.tree->Bands()->Items(0)->SetSizing(false);
    f.tree->SetOptionsA(f.tree->OptionsA() | 1u << aoAutoWidth);
    f.node({"1", "2", "3", "4", "5"});
    const QImage image = f.paint(200, 160);
    const TdxTreeListHeaderCell *passing = nullptr;
    for (const TdxTreeListHeaderCell &c : f.info.HeaderCells)
        if (c.BandIndex == 0 && c.CellRect.Right > c.ClipRect.Right && !c.FillerRect.IsEmpty())
            passing = &c;
    ASSERT_TRUE(passing);
    const rtl::TRect beside = f.headerCell(lower->Index());
    ASSERT_LT(beside.Left, passing->CellRect.Right);
    const int x = (beside.Left + std::min(beside.Right, passing->CellRect.Right)) / 2;
    const int y = (beside.Top + beside.Bottom) / 2;
    EXPECT_NE(at(image, x, y), rtl::ColorToRGB(rtl::clBtnShadow));
    EXPECT_EQ(at(image, x, y), at(image, (beside.Left + beside.Right) / 2 + 10, y));
    // Inside its own band the filler is there.
    EXPECT_EQ(at(image, (passing->ClipRect.Left + passing->ClipRect.Right) / 2,
                 (passing->FillerRect.Top + passing->FillerRect.Bottom) / 2),
              rtl::ColorToRGB(rtl::clBtnShadow));
}

TEST(TreeListPaint, AHeaderGlyphIsDrawnWithoutItsTransparentColour)
{
    PaintFixture f;
    TdxTreeListColumn *a = f.column("A", 80);
    f.node({"1"});
    QImage glyph(8, 8, QImage::Format_RGB32);
    glyph.fill(Qt::red);
    glyph.setPixel(0, 7, qRgb(255, 255, 255)); // the bottom-left pixel names the transparent colour
    glyph.setPixel(1, 7, qRgb(255, 255, 255));
    classes::TBitmap bitmap;
    bitmap.SetImage(glyph);
    a->SetHeaderGlyph(&bitmap);
    const QImage image = f.paint();
    const rtl::TRect cell = f.headerCell(0);
    int reds = 0, whites = 0;
    for (int y = cell.Top; y < cell.Bottom; ++y)
        for (int x = cell.Left; x < cell.Right; ++x) {
            reds += at(image, x, y) == rtl::clRed;
            whites += at(image, x, y) == rtl::clWhite;
        }
    EXPECT_EQ(reds, 62);
    a->SetHeaderGlyph(nullptr);
    const QImage plain = f.paint();
    int plainWhites = 0;
    for (int y = cell.Top; y < cell.Bottom; ++y)
        for (int x = cell.Left; x < cell.Right; ++x)
            plainWhites += at(plain, x, y) == rtl::clWhite;
    EXPECT_EQ(whites, plainWhites); // the frame's highlight only
}

TEST(TreeListPaint, NothingIsLeftUnpaintedBelowTheLastRow)
{
    PaintFixture f;
    f.column("A", 80);
    f.node({"a"});
    f.settings([](TreeListSettings &s) { s.ShowIndicator = true; });
    const QImage image = f.paint(300, 160);
    ASSERT_FALSE(f.info.EmptyBottomRect.IsEmpty());
    EXPECT_EQ(countOf(image, untouched), 0);
    // Under the indicator column the empty part is the control's, as beside it.
    EXPECT_EQ(at(image, 2, f.info.EmptyBottomRect.Top + 4), window);
}

TEST(TreeListPaint, RowsUnderABandOfFewerLinesAreFilled)
{
    PaintFixture f;
    f.column("A", 60);
    f.column("B", 70, 1);
    f.column("C", 50, 1)->SetRowIndex(1);
    f.tree->SetHeaderPanelRowCount(2);
    f.node({"a", "b", "c"});
    f.node({"d", "e", "f"});
    f.settings([](TreeListSettings &s) { s.ShowIndicator = true; });
    f.tree->SetFocusedNode(f.tree->Items(0));
    ASSERT_TRUE(f.tree->IsRowFocus());
    for (const bool focused : {false, true}) {
        f.host.focused = focused;
        const QImage image = f.paint(300, 160);
        EXPECT_EQ(countOf(image, untouched), 0) << focused;
        // Below the one-line band's cell the row keeps its colours: the
        // focused row (row focus) is highlighted there too.
        const rtl::TRect a = f.headerCell(0);
        const TdxTreeListRowInfo &row = f.info.Rows.at(0);
        const int line = f.tree->Settings().DefaultRowHeight;
        EXPECT_EQ(at(image, a.Right - 4, row.Top + line + line / 2), focused ? highlightColour : window) << focused;
    }
}

TEST(TreeListPaint, GroupFootersTakeTheLightOrTheLevelColourAndRowsAreAnnounced)
{
    PaintFixture f;
    f.column("A", 100);
    f.column("B", 100);
    TdxTreeListNode *p = f.node({"p", ""});
    TdxTreeListNode *c = f.node({"c", ""}, p);
    p->Expand(false);
    f.tree->groupFooters = true;
    f.settings([](TreeListSettings &s) { s.ShowRowFooters = true; });
    QImage image = f.paint(300, 140);
    ASSERT_EQ(f.info.Rows.size(), 2u);
    const TdxTreeListRowInfo &row = f.info.Rows[1];
    ASSERT_EQ(row.FooterLines, 1);
    const int middle = row.Top + row.Height - row.FooterHeight / 2;
    EXPECT_EQ(at(image, 150, middle), rtl::ColorToRGB(rtl::cl3DLight));
    EXPECT_EQ(at(image, 150, row.Top + 4), window); // the cells above it
    // Framed by the look: a raised edge at its top, a shadow frame when flat.
    EXPECT_EQ(at(image, 150, row.Top + row.Height - row.FooterHeight), rtl::ColorToRGB(rtl::clBtnHighlight));
    f.tree->SetLook(2);
    image = f.paint(300, 140);
    EXPECT_EQ(at(image, 150, row.Top + row.Height - row.FooterHeight), rtl::ColorToRGB(rtl::clBtnShadow));
    f.tree->SetLook(0);
    // Each row is announced before and after it is drawn.
    const std::vector<std::pair<TdxTreeListNode *, bool>> expected{{p, true}, {p, false}, {c, true}, {c, false}};
    f.tree->rowCalls.clear();
    f.paint(300, 140);
    EXPECT_EQ(f.tree->rowCalls, expected);

    // Level colours: the footer line, the group row and the indent levels.
    f.tree->levelColor = 0x0000C0;
    image = f.paint(300, 140);
    EXPECT_EQ(at(image, 150, middle), 0x0000C0);
    EXPECT_EQ(at(image, 150, f.info.Rows[0].Top + 4), 0x0000C0);
    EXPECT_EQ(at(image, 2, row.Top + 4), 0x0000C0);
}

TEST(TreeListPaint, AWholeRowIsOnePieceInTheGroupColours)
{
    PaintFixture f;
    f.column("A", 100);
    f.column("B", 100);
    f.node({"a", "b"});
    f.tree->singleText = f.node({"", "hidden"});
    QImage image = f.paint();
    const TdxTreeListRowInfo &row = f.info.Rows.at(1);
    EXPECT_TRUE(row.WholeRow);
    EXPECT_FALSE(f.info.Rows.at(0).WholeRow);
    // Across both columns in the group colour, no cell edge between them.
    for (int x = 20; x < 199; ++x)
        ASSERT_EQ(at(image, x, row.Top + 2), btnFace) << x;
    EXPECT_EQ(at(image, 150, f.info.Rows[0].Top + 2), window);

    // Its text is the header's kind: the header font, not the grid's.
    classes::TFont header;
    header.SetName("DejaVu Serif");
    header.SetSize(14);
    f.tree->SetHeaderFont(header);
    QString fontSeen;
    f.tree->OnCustomDrawNode.Set([&](classes::TObject *, gfx::Canvas *, const rtl::TRect &, TdxTreeListNode *,
                                     QString &, rtl::TColor &, classes::TFont *font, TAlignment &,
                                     bool &) { fontSeen = font->Name() + QString::number(font->Size()); });
    f.paint();
    EXPECT_EQ(fontSeen, "DejaVu Serif14");
}

TEST(TreeListPaint, FooterCellsSitUnderTheirHeaderCells)
{
    PaintFixture f;
    f.column("A", 80);
    f.column("B", 100);
    f.node({"a", "b"});
    f.tree->SetLook(2);
    f.settings([](TreeListSettings &s) { s.ShowFooter = true; });
    const QImage image = f.paint();
    const rtl::TRect footer = f.info.FooterRect;
    ASSERT_FALSE(footer.IsEmpty());
    const int y = footer.Top + footer.Height() / 2;
    const rtl::TColor shadow = rtl::ColorToRGB(rtl::clBtnShadow);
    // Each cell framed 1 px inside its column's extent, the face between.
    for (int column : {0, 1}) {
        const rtl::TRect cell = f.headerCell(column);
        if (column > 0) { // the first starts under the panel's own frame
            EXPECT_EQ(at(image, cell.Left + 1, y), shadow) << column;
        }
        EXPECT_EQ(at(image, cell.Right - 2, y), shadow) << column;
        EXPECT_EQ(at(image, cell.Left + 10, y), btnFace) << column;
    }
    EXPECT_EQ(at(image, f.headerCell(1).Left, y), btnFace); // the gap between two cells
    // The panel: a shadow frame, unless the footer style asks for none in
    // the flat look.
    EXPECT_EQ(at(image, footer.Left + 20, footer.Top), shadow);
    TreeListPaintSwitches switches = f.tree->PaintSwitches();
    switches.FooterStyle = true;
    f.tree->SetPaintSwitches(switches);
    const QImage styled = f.paint();
    EXPECT_EQ(at(styled, footer.Left + 20, footer.Top), btnFace);
}

TEST(TreeListPaint, FooterCellsFooterLinesAndWholeRowsGiveTheProgramsEventsTheirTurn)
{
    PaintFixture f;
    f.column("A", 100);
    f.column("B", 100);
    TdxTreeListNode *p = f.node({"p", ""});
    TdxTreeListNode *c = f.node({"c", ""}, p);
    p->Expand(false);
    f.tree->groupFooters = true;
    f.settings([](TreeListSettings &s) {
        s.ShowRowFooters = true;
        s.ShowFooter = true;
    });
    constexpr rtl::TColor red = 0x0000C0;
    constexpr rtl::TColor blue = 0xC00000;
    std::vector<std::tuple<int, TdxTreeListNode *, int>> rowCells; // row, node, column
    bool footerDone = false;
    f.tree->OnCustomDrawFooter.Set([&](classes::TObject *, gfx::Canvas *, const rtl::TRect &, TdxTreeListNode *node,
                                       TdxTreeListColumn *column, int row, QString &, rtl::TColor &color,
                                       classes::TFont *, TAlignment &, bool &done) {
        rowCells.emplace_back(row, node, column ? column->Index() : -1);
        color = red;
        done = footerDone;
    });
    f.tree->OnCustomDrawFooterNode.Set([&](classes::TObject *, gfx::Canvas *, const rtl::TRect &, TdxTreeListNode *node,
                                           TdxTreeListColumn *column, int row, QString &, rtl::TColor &color,
                                           classes::TFont *, TAlignment &, bool &) {
        rowCells.emplace_back(row, node, column ? column->Index() : -1);
        color = blue;
    });
    QImage image = f.paint(300, 160);
    ASSERT_EQ(f.info.Rows.size(), 2u);
    const TdxTreeListRowInfo &row = f.info.Rows[1];
    ASSERT_EQ(row.FooterLines, 1);
    const rtl::TRect footer = f.info.FooterRect;
    ASSERT_FALSE(footer.IsEmpty());
    using Cell = std::tuple<int, TdxTreeListNode *, int>;
    EXPECT_EQ(rowCells, (std::vector<Cell>{{-1, nullptr, 0}, {-1, nullptr, 1}, {0, c, -1}}));
    EXPECT_EQ(at(image, f.headerCell(1).Left + 10, footer.Top + footer.Height() / 2), red);
    EXPECT_EQ(at(image, 150, row.Top + row.Height - row.FooterHeight / 2), blue);
    // A handler that is done leaves the cell to itself: the panel's face.
    footerDone = true;
    image = f.paint(300, 160);
    EXPECT_EQ(at(image, f.headerCell(1).Left + 10, footer.Top + footer.Height() / 2), btnFace);

    // A row drawn in one piece is the node's part: its two events in turn.
    f.tree->singleText = p;
    std::vector<QString> nodeCalls;
    f.tree->OnCustomDrawNode.Set([&](classes::TObject *, gfx::Canvas *, const rtl::TRect &, TdxTreeListNode *node,
                                     QString &text, rtl::TColor &color, classes::TFont *, TAlignment &, bool &) {
        nodeCalls.push_back(text);
        EXPECT_EQ(node, p);
        color = red;
    });
    f.tree->OnCustomDrawNodeEx.Set([&](classes::TObject *, gfx::Canvas *, const rtl::TRect &, TdxTreeListNode *,
                                       QString &, rtl::TColor &, classes::TFont *, TAlignment &,
                                       bool &) { nodeCalls.push_back("second"); });
    image = f.paint(300, 160);
    EXPECT_EQ(nodeCalls, (std::vector<QString>{"p", "second"}));
    EXPECT_EQ(at(image, 150, f.info.Rows[0].Top + 2), red);
}

TEST(TreeListPaint, GroupAndBottomPanels)
{
    PaintFixture f;
    f.column("A", 80);
    f.node({"a"});
    f.tree->groupPanel = 24;
    f.tree->bottomPanel = true;
    f.tree->bottomButton = true;
    f.tree->CalcMetrics();
    QImage image = f.paint(300, 160);
    const rtl::TRect group = f.info.GroupPanelRect;
    ASSERT_EQ(group, rtl::Rect(0, 0, 300, 24));
    EXPECT_EQ(at(image, 150, 12), rtl::ColorToRGB(rtl::clBtnShadow)); // the tree-line brush
    EXPECT_EQ(at(image, 150, 0), btnFace);                            // the header brush
    EXPECT_EQ(f.tree->HitTest(150, 12).HitCode, htGroupPanel);

    const rtl::TRect bottom = f.info.BottomPanelRect;
    ASSERT_FALSE(bottom.IsEmpty());
    const int top = bottom.Top + (bottom.Height() - 11) / 2;
    // The 11-px button 3 px in: its face, then a text-coloured outline 2 px in.
    EXPECT_EQ(at(image, bottom.Left + 3, top), btnFace);
    EXPECT_EQ(at(image, bottom.Left + 3 + 2, top + 2), rtl::ColorToRGB(rtl::clBtnText));
    EXPECT_EQ(at(image, bottom.Left + 3 + 8, top + 8), rtl::ColorToRGB(rtl::clBtnText));
    EXPECT_EQ(at(image, bottom.Left + 3 + 5, top + 5), btnFace);
    EXPECT_EQ(at(image, bottom.Left + 3 + 11, top + 5), btnFace);
    const auto ink = [&](const QImage &img) {
        int n = 0;
        for (int y = bottom.Top; y < bottom.Bottom; ++y)
            for (int x = bottom.Left + 20; x < bottom.Right; ++x)
                n += at(img, x, y) != btnFace;
        return n;
    };
    EXPECT_EQ(ink(image), 0);
    f.tree->bottomText = "Bottom";
    EXPECT_GT(ink(f.paint(300, 160)), 0);
    // Held down, the face takes the frame colour until the release.
    f.tree->MouseDown(mbLeft, {}, bottom.Left + 3 + 5, top + 5);
    ASSERT_EQ(f.tree->State(), tsBottomButtonDown);
    image = f.paint(300, 160);
    EXPECT_EQ(at(image, bottom.Left + 3, top), rtl::ColorToRGB(rtl::clWindowFrame));
    f.tree->MouseUp(mbLeft, {}, bottom.Left + 3 + 5, top + 5);
    image = f.paint(300, 160);
    EXPECT_EQ(at(image, bottom.Left + 3, top), btnFace);
    f.tree->bottomButton = false;
    image = f.paint(300, 160);
    EXPECT_EQ(at(image, bottom.Left + 3 + 2, top + 2), btnFace);
}

TEST(TreeListPaint, TheDropDownPartAndTheCustomDrawFont)
{
    PaintFixture f;
    TdxTreeListColumn *a = f.column("", 80);
    f.node({"a"});
    QImage image = f.paint();
    const rtl::TRect cell = f.headerCell(0);
    const int y = (cell.Top + cell.Bottom) / 2;
    const rtl::TColor text = rtl::ColorToRGB(rtl::clBtnText);
    EXPECT_NE(at(image, cell.Right - 3 - 8, y - 1), text);
    f.tree->dropDown = ddNormal;
    image = f.paint();
    // A 15-px part inside the raised frame's text area, framed in shadow,
    // its triangle in the button text colour.
    EXPECT_EQ(at(image, cell.Right - 3 - 15, y), rtl::ColorToRGB(rtl::clBtnShadow));
    EXPECT_EQ(at(image, cell.Right - 3 - 8, y - 1), text);
    f.tree->dropDown = ddDown;
    image = f.paint();
    EXPECT_EQ(at(image, cell.Right - 3 - 8, y - 1), window);

    gfx::Font big = f.tree->HeaderFont().Font();
    big.size = 13;
    classes::TFont header;
    header.SetFont(big);
    f.tree->SetHeaderFont(header);
    classes::TFont *given = nullptr;
    a->OnCustomDrawColumnHeader.Set([&](classes::TObject *, TdxTreeListColumn *, gfx::Canvas *canvas,
                                        const rtl::TRect &, QString &, rtl::TColor &, classes::TFont *font,
                                        TAlignment &, TdxTreeListColumnSort &, bool &) {
        given = font;
        EXPECT_EQ(canvas->font().size, 13);
        EXPECT_EQ(font->Font().size, 13);
    });
    f.paint();
    EXPECT_EQ(given, &f.tree->CustomDrawFont());
}

TEST(TreeListPrimitives, EdgeCodesFlatFramesPreviewTextAndCentredBitmaps)
{
    EXPECT_EQ(HeaderEdgeCode(true, true), 0);
    EXPECT_EQ(HeaderEdgeCode(false, true), 1);
    EXPECT_EQ(HeaderEdgeCode(true, false), 2);
    EXPECT_EQ(HeaderEdgeCode(false, false), 3);

    gfx::FixedTextMeasurer measurer;
    QImage frame = zvotest::blank(40, 20, untouched);
    {
        gfx::Canvas canvas(&frame, &measurer);
        const rtl::TRect inner = DrawFlatHeaderFrame(canvas, rtl::Rect(0, 0, 40, 20), gfx::Brush::solid(btnFace));
        EXPECT_EQ(inner, rtl::Rect(1, 0, 38, 19)); // less the edge, then a pixel at either side
    }
    EXPECT_EQ(at(frame, 39, 5), rtl::ColorToRGB(rtl::clBtnShadow));
    EXPECT_EQ(at(frame, 5, 19), rtl::ColorToRGB(rtl::clBtnShadow));
    EXPECT_EQ(at(frame, 0, 0), btnFace);

    QImage bitmap = zvotest::blank(40, 20, untouched);
    QImage dot(3, 3, QImage::Format_RGB32);
    dot.fill(Qt::red);
    {
        gfx::Canvas canvas(&bitmap, &measurer);
        DrawCentredBitmap(canvas, rtl::Rect(10, 0, 20, 10), dot);
    }
    EXPECT_EQ(at(bitmap, 14, 4), 0x0000FF);
    EXPECT_EQ(at(bitmap, 16, 6), 0x0000FF);
    EXPECT_EQ(at(bitmap, 13, 4), untouched);

    // The preview text keeps its indent clear, and draws nothing when empty.
    QImage empty = zvotest::blank(60, 30, untouched);
    QImage text = zvotest::blank(60, 30, untouched);
    for (QImage *image : {&empty, &text}) {
        gfx::Canvas canvas(image, &measurer);
        DrawPreviewText(canvas, rtl::Rect(0, 0, 60, 30), image == &text ? QStringLiteral("MMMM MMMM MMMM") : QString(),
                        10, canvas.font(), rtl::clBlack, gfx::Brush::solid(window));
    }
    EXPECT_EQ(countOf(empty, window), 60 * 30);
    EXPECT_LT(countOf(text, window), 60 * 30);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 11; ++x)
            ASSERT_EQ(at(text, x, y), window) << x << "," << y;
}

// A custom-draw handler of the grid that frees the column it is drawing: the
// cell and the column's own handler are left out, the rest is drawn.
TEST(TreeListPaint, AColumnFreedByADrawHandlerIsDrawnNoFurther)
{
    PaintFixture f;
    f.column("A", 80);
    TdxTreeListColumn *b = f.column("B", 80);
    f.node({"a", "abc"});
    f.node({"c", "def"});
    b->SetPasswordChar('*');
    int ownCalls = 0;
    const auto own = [&](classes::TObject *, auto &&...) { ++ownCalls; };
    b->OnCustomDrawCell.Set(own);
    b->OnCustomDrawColumnHeader.Set(own);
    TdxTreeListColumn *victim = b;
    const auto freeB = [&](TdxTreeListColumn *c) {
        if (c && c == victim)
            delete std::exchange(victim, nullptr);
    };
    f.tree->OnCustomDrawCell.Set([&](classes::TObject *, gfx::Canvas *, const rtl::TRect &, TdxTreeListNode *,
                                     TdxTreeListColumn *c, bool, bool, bool, QString &, rtl::TColor &, classes::TFont *,
                                     TAlignment &, bool &) { freeB(c); });
    f.paint();
    EXPECT_EQ(f.tree->ColumnCount(), 1);
    EXPECT_EQ(ownCalls, 1); // B's header, before the cells

    f.column("C", 80)->OnCustomDrawColumnHeader.Set(own);
    victim = f.tree->Columns(1);
    ownCalls = 0;
    f.tree->OnCustomDrawCell = {};
    f.tree->OnCustomDrawColumnHeader.Set([&](classes::TObject *, TdxTreeListColumn *c, gfx::Canvas *,
                                             const rtl::TRect &, QString &, rtl::TColor &, classes::TFont *,
                                             TAlignment &, TdxTreeListColumnSort &, bool &) { freeB(c); });
    f.paint();
    EXPECT_EQ(f.tree->ColumnCount(), 1);
    EXPECT_EQ(ownCalls, 0);
}

// A cell drawing handler that deletes the node drawn, the node after it or
// every node: the paint goes on with the rows that are left, and the next
// one draws the tree as it is.
TEST(TreeListPaint, ANodeDeletedByADrawHandlerIsDrawnNoFurther)
{
    const std::vector<std::pair<const char *, std::function<void(TCustomdxTreeListControl &, TdxTreeListNode *)>>>
        acts = {
            {"the node", [](TCustomdxTreeListControl &, TdxTreeListNode *n) { n->Delete(); }},
            {"the next node",
             [](TCustomdxTreeListControl &, TdxTreeListNode *n) {
                 if (TdxTreeListNode *next = n->GetNext())
                     next->Delete();
             }},
            {"every node", [](TCustomdxTreeListControl &tree, TdxTreeListNode *) { tree.ClearNodes(); }},
        };
    for (const auto &[name, act] : acts) {
        SCOPED_TRACE(name);
        PaintFixture f;
        f.column("A", 80);
        f.column("B", 80);
        f.node({"a", "abc"});
        f.node({"b", "def"});
        f.node({"c", "ghi"});
        bool done = false;
        const auto &doIt = act;
        f.tree->OnCustomDrawCell.Set([&](classes::TObject *, gfx::Canvas *, const rtl::TRect &, TdxTreeListNode *n,
                                         TdxTreeListColumn *, bool, bool, bool, QString &, rtl::TColor &,
                                         classes::TFont *, TAlignment &, bool &) {
            if (n && !std::exchange(done, true))
                doIt(*f.tree, n);
        });
        f.paint();
        EXPECT_TRUE(done);
        f.paint();
    }
}

// Every drawing event of the grid with a handler that frees a column, a band
// or a node while the grid paints: the paint runs to its end, draws nothing
// that went, and the next paint draws the grid as it is.
namespace {

// The drawing events and hooks of a paint, each set to call the sweep's
// handler.
using PaintSweepSet = std::function<void(PaintFixture &, std::function<void()>)>;
const std::vector<std::pair<const char *, PaintSweepSet>> &paintSweepEvents()
{
    using Fix = PaintFixture;
    using H = std::function<void()>;
    static const std::vector<std::pair<const char *, PaintSweepSet>> list = {
        // Virtuals a descendant overrides, the drawing's call-outs as much as its events.
        {"DoRowBegin", [](PaintFixture &f, std::function<void()> h) { f.tree->rowBeginHook = h; }},
        {"DoRowEnd", [](PaintFixture &f, std::function<void()> h) { f.tree->rowEndHook = h; }},
        {"LevelColor",
         [](PaintFixture &f, std::function<void()> h) {
             f.tree->levelColor = rtl::clRed;
             f.tree->levelColorHook = h;
         }},
        {"IsGroupFooter", [](PaintFixture &f, std::function<void()> h) { f.tree->queryHooks["IsGroupFooter"] = h; }},
        {"IsSingleTextNode",
         [](PaintFixture &f, std::function<void()> h) { f.tree->queryHooks["IsSingleTextNode"] = h; }},
        {"GroupPanelHeight",
         [](PaintFixture &f, std::function<void()> h) { f.tree->queryHooks["GroupPanelHeight"] = h; }},
        {"IsBottomPanelShown",
         [](PaintFixture &f, std::function<void()> h) { f.tree->queryHooks["IsBottomPanelShown"] = h; }},
        {"BottomPanelText",
         [](PaintFixture &f, std::function<void()> h) {
             f.tree->bottomPanel = true;
             f.tree->queryHooks["BottomPanelText"] = h;
         }},
        {"ColumnHeaderDropDown",
         [](PaintFixture &f, std::function<void()> h) { f.tree->queryHooks["ColumnHeaderDropDown"] = h; }},
        {"IsWholeRow", [](PaintFixture &f, std::function<void()> h) { f.tree->queryHooks["IsWholeRow"] = h; }},
        {"RowFlag", [](PaintFixture &f, std::function<void()> h) { f.tree->queryHooks["RowFlag"] = h; }},
        {"FooterCellText", [](PaintFixture &f, std::function<void()> h) { f.tree->queryHooks["FooterCellText"] = h; }},
        {"ColumnColor", [](PaintFixture &f, std::function<void()> h) { f.tree->queryHooks["ColumnColor"] = h; }},
        {"OnCustomDrawCell",
         [](PaintFixture &f, std::function<void()> h) { f.tree->OnCustomDrawCell.Set([h](auto &&...) { h(); }); }},
        {"OnCustomDrawCellEx",
         [](PaintFixture &f, std::function<void()> h) { f.tree->OnCustomDrawCellEx.Set([h](auto &&...) { h(); }); }},
        {"OnCustomDrawColumnHeader",
         [](PaintFixture &f, std::function<void()> h) {
             f.tree->OnCustomDrawColumnHeader.Set([h](auto &&...) { h(); });
         }},
        {"OnCustomDrawBand",
         [](PaintFixture &f, std::function<void()> h) { f.tree->OnCustomDrawBand.Set([h](auto &&...) { h(); }); }},
        {"OnCustomDrawFooter",
         [](PaintFixture &f, std::function<void()> h) { f.tree->OnCustomDrawFooter.Set([h](auto &&...) { h(); }); }},
        {"column OnCustomDrawCell",
         [](Fix &f, H h) { f.tree->Columns(0)->OnCustomDrawCell.Set([h](auto &&...) { h(); }); }},
        {"column OnCustomDrawColumnHeader",
         [](Fix &f, H h) { f.tree->Columns(0)->OnCustomDrawColumnHeader.Set([h](auto &&...) { h(); }); }},
        {"OnCustomDrawFooterNode",
         [](Fix &f, H h) {
             f.tree->groupFooters = true;
             f.tree->OnCustomDrawFooterNode.Set([h](auto &&...) { h(); });
         }},
        {"OnCustomDrawNode",
         [](Fix &f, H h) {
             f.tree->singleText = f.tree->Items(1);
             f.tree->OnCustomDrawNode.Set([h](auto &&...) { h(); });
         }},
        {"OnCustomDrawNodeEx",
         [](Fix &f, H h) {
             f.tree->singleText = f.tree->Items(1);
             f.tree->OnCustomDrawNodeEx.Set([h](auto &&...) { h(); });
         }},
        {"OnIsNodeIndicator",
         [](Fix &f, H h) {
             f.settings([](TreeListSettings &s) { s.ShowIndicator = true; });
             f.tree->OnIsNodeIndicator = [h](auto &&...) { h(); };
         }},
        {"OnGetImageIndex", [](Fix &f, H h) { f.tree->OnGetImageIndex = [h](auto &&...) { h(); }; }},
        {"OnGetSelectedIndex",
         [](Fix &f, H h) {
             // Asked when a node has no image of its own.
             f.tree->OnGetImageIndex = [](classes::TObject *, TdxTreeListNode *, int &index) { index = -1; };
             f.tree->OnGetSelectedIndex = [h](auto &&...) { h(); };
         }},
        {"OnGetStateIndex", [](Fix &f, H h) { f.tree->OnGetStateIndex = [h](auto &&...) { h(); }; }},
        {"OnGetSortMark", [](Fix &f, H h) { f.tree->OnGetSortMark = [h](auto &&...) { h(); }; }},
        {"OnAutoRowHeight",
         [](Fix &f, H h) {
             f.tree->SetOptionsB(f.tree->OptionsB() | 1u << boMultiLineRows);
             f.settings([](TreeListSettings &s) { s.RowLineLimit = 3; });
             f.tree->OnAutoRowHeight = [h](auto &&...) { h(); };
         }},
    };
    return list;
}

const char *const imageQueryFault =
    "the layout (NodeIndentRects, NodeIndentWidth, and CalcLayout and HitTest through them) asks the image "
    "queries in the middle of its computation and goes on with the grid a handler freed there";

const char *const layoutQueryFault =
    "a descendant's override asked in the middle of the layout's or the metrics' computation (CalcLayout, "
    "CalcMetrics, HitTest), which goes on with the grid the override freed";

} // namespace

const std::map<std::string, std::string> &gridtest::PaintSweepKnownFaults()
{
    static const std::map<std::string, std::string> faults = {
        {"OnGetImageIndex", imageQueryFault},
        {"OnGetSelectedIndex", imageQueryFault},
        {"OnGetStateIndex", imageQueryFault},
        {"OnAutoRowHeight", "the row layout (the row heights CalcLayout computes) asks it in the middle of its "
                            "computation and goes on with the grid a handler freed there"},
        {"IsGroupFooter", layoutQueryFault},
        {"RowFlag", layoutQueryFault},
        {"IsWholeRow", layoutQueryFault},
        {"IsBottomPanelShown", layoutQueryFault},
        {"GroupPanelHeight", layoutQueryFault},
        {"IsSingleTextNode", layoutQueryFault},
    };
    return faults;
}

std::vector<std::string> gridtest::PaintSweepNames()
{
    std::vector<std::string> names;
    for (const auto &[name, set] : paintSweepEvents())
        names.emplace_back(name);
    return names;
}

TEST(TreeListPaintSweep, EveryDrawingEventWithEveryVictimRunsToItsEnd)
{
    using Act = std::function<void(PaintFixture &)>;
    const std::vector<std::pair<const char *, Act>> victims = {
        {"frees the first column", [](PaintFixture &f) { delete f.tree->Columns(0); }},
        {"frees the last column", [](PaintFixture &f) { delete f.tree->Columns(f.tree->ColumnCount() - 1); }},
        {"frees the first band", [](PaintFixture &f) { delete f.tree->Bands()->Items(0); }},
        {"frees the last band", [](PaintFixture &f) { delete f.tree->Bands()->Items(f.tree->Bands()->Count() - 1); }},
        {"deletes the first node", [](PaintFixture &f) { f.tree->Items(0)->Delete(); }},
        {"deletes every node", [](PaintFixture &f) { f.tree->ClearNodes(); }},
        {"frees the grid", [](PaintFixture &f) { f.tree.reset(); }},
    };
    using Set = std::function<void(PaintFixture &, std::function<void()>)>;
    const std::vector<std::pair<const char *, Set>> &events = paintSweepEvents();
    for (const auto &[event, set] : events) {
        int heard = 0;
        for (const auto &victim : victims) {
            if (victim.first == std::string("frees the grid") && gridtest::PaintSweepKnownFaults().count(event))
                continue;
            SCOPED_TRACE(std::string(event) + ", " + victim.first);
            if (qEnvironmentVariableIsSet("ZVO_SWEEP_TRACE"))
                std::fprintf(stderr, "%s, %s\n", event, victim.first);
            PaintFixture f;
            f.column("A", 60);
            f.column("B", 60);
            f.column("C", 60, 1);
            f.column("D", 60, 1);
            TdxTreeListNode *a = f.node({"a", "b", "c", "d"});
            f.node({"a1", "b1", "c1", "d1"}, a);
            f.node({"e", "f", "g", "h"});
            a->SetExpanded(true);
            f.settings([](TreeListSettings &s) {
                s.ShowBands = true;
                s.ShowFooter = true;
                s.ShowRowFooters = true;
            });
            bool done = false;
            const Act &act = victim.second;
            set(f, [&] {
                ++heard;
                if (!std::exchange(done, true))
                    act(f);
            });
            f.paint();
            f.paint();
        }
        EXPECT_GT(heard, 0) << event << " was never called";
    }
}
