#include "griddemo_grid.h"

#include "platform/gfx/Canvas.h"

#include <QImage>

#include <functional>

namespace griddemo {

namespace {

// Site, page and link: a globe, a sheet and a chain link, on the masked
// colour.
QImage demoGlyph(int level)
{
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(Qt::white);
    gfx::Canvas c(&image);
    auto fill = [&](int l, int t, int r, int b, rtl::TColor color) {
        c.FillRect(rtl::Rect(l, t, r, b), gfx::Brush::solid(color));
    };
    if (level == 0) {
        c.setPen(gfx::Pen{rtl::clNavy});
        c.setBrush(gfx::Brush::solid(rtl::RGB(64, 160, 224)));
        c.Ellipse(rtl::Rect(1, 1, 15, 15));
        fill(2, 7, 14, 8, rtl::clNavy);
        fill(7, 2, 8, 14, rtl::clNavy);
    } else if (level == 1) {
        fill(3, 1, 13, 15, rtl::clGray);
        fill(4, 2, 12, 14, rtl::RGB(255, 255, 224));
        for (int y = 4; y < 13; y += 2)
            fill(5, y, 11, y + 1, rtl::clGray);
    } else {
        c.setPen(gfx::Pen{rtl::clGreen, 2});
        c.setBrush(gfx::Brush::clear());
        c.RoundRect(rtl::Rect(1, 4, 10, 12), 4, 4);
        c.RoundRect(rtl::Rect(6, 4, 15, 12), 4, 4);
    }
    return image;
}

// The demo's grid: the text-node control with the parts it is asked for.
class DemoTreeList : public grid::TCustomdxTreeListControl
{
public:
    DemoTreeList(classes::TComponent *owner, const DemoParts &parts)
        : TCustomdxTreeListControl(owner)
        , m_parts(parts)
    {}
    bool IsGroupFooter(grid::TdxTreeListNode *, int level) override { return m_parts.rowFooters && level <= 1; }
    int GroupPanelHeight() override { return m_parts.groupPanel ? 28 : 0; }
    bool IsBottomPanelShown() override { return m_parts.bottomPanel; }
    bool IsBottomPanelButtonShown() override { return m_parts.bottomPanel; }
    QString BottomPanelText() override { return QString("%1 nodes").arg(NodeCount()); }
    // The counts' sums over every node.
    QString FooterCellText(int column) override
    {
        if (column < 1 || column > 5)
            return column == 0 ? QStringLiteral("Sum") : QString();
        qint64 sum = 0;
        std::function<void(grid::TdxTreeListNode *)> add = [&](grid::TdxTreeListNode *node) {
            sum += GetNodeString(node, column).toLongLong();
            for (int i = 0; i < node->Count(); ++i)
                add(node->Items(i));
        };
        for (int i = 0; i < Count(); ++i)
            add(Items(i));
        return QString::number(sum);
    }

private:
    DemoParts m_parts;
};

void addDemoColumn(grid::TCustomdxTreeListControl &tree, const classes::TMetaClass &type, const char *name,
                   const char *caption, int width, int band)
{
    grid::TdxTreeListColumn *c = tree.CreateColumn(type);
    c->SetName(QString::fromLatin1(name));
    c->SetCaption(QString::fromLatin1(caption));
    c->SetBandIndex(band);
    c->SetWidth(width);
}

void fillDemoNode(grid::TCustomdxTreeListControl &tree, grid::TdxTreeListNode *node, const QString &site, int s,
                  int level, bool longNotes)
{
    int total = 0;
    tree.SetNodeString(node, 0, site);
    for (int k = 1; k <= 4; ++k) {
        const int e = (37 * s + 101 * k) % 1000;
        total += e;
        tree.SetNodeString(node, k, QString::number(e));
    }
    tree.SetNodeString(node, 5, QString::number(total));
    const QString code = QString("%1").arg((7919LL * s) % 100000, 5, 10, QChar('0'));
    tree.SetNodeString(node, 6, code.left(3) + "-" + code.mid(3));
    if (s % 3 == 0)
        tree.SetNodeString(node, 7, QString("note %1").arg(s));
    if (s % 3 == 0 && longNotes)
        tree.SetNodeString(node, 7,
                           QString("note %1: %2").arg(s).arg(s % 2 ? "seen twice" : "checked by hand, then again"));
    if (level == 0)
        tree.SetNodeString(node, 8, "1234");
    tree.SetNodeImageIndex(node, level);
    tree.SetNodeSelectedIndex(node, level);
}

} // namespace

bool ParseDemoParts(const QString &list, DemoParts &parts)
{
    for (const QString &name : list.split(',', Qt::SkipEmptyParts)) {
        const QString n = name.trimmed();
        if (n == "multiline")
            parts.multiLine = true;
        else if (n == "rowfooters")
            parts.rowFooters = true;
        else if (n == "footer")
            parts.footer = true;
        else if (n == "grouppanel")
            parts.groupPanel = true;
        else if (n == "bottompanel")
            parts.bottomPanel = true;
        else
            return false;
    }
    return true;
}

void BuildGridDemo(GridDemo &demo, uint32_t optionsA, uint32_t optionsB, const DemoParts &parts)
{
    using namespace grid;
    demo.form = std::make_unique<classes::TComponent>(nullptr);
    demo.form->SetName("GridDemo");
    demo.tree = new DemoTreeList(demo.form.get(), parts);
    TCustomdxTreeListControl &tree = *demo.tree;
    tree.SetName("Grid1");
    tree.SetParentForm(demo.form.get());
    tree.BeginUpdate();
    classes::TFont font;
    font.SetName("DejaVu Sans");
    font.SetSize(9);
    tree.Font().Assign(&font);
    tree.SetBandFont(font);
    tree.SetHeaderFont(font);
    tree.SetOptionsA(optionsA);
    tree.SetOptionsB(optionsB | (parts.multiLine ? 1u << boMultiLineRows : 0u));

    TdxTreeListBands &bands = *tree.Bands();
    const char *bandCaptions[] = {"Site", "Counts", "Notes"};
    for (int i = 0; i < 3; ++i) {
        TdxTreeListBand *band = bands.Count() > i ? bands.Items(i) : bands.Add();
        band->SetCaption(QString::fromLatin1(bandCaptions[i]));
    }
    bands.Items(0)->SetFixed(bfLeft);
    bands.Items(2)->SetFixed(bfRight);

    const classes::TMetaClass &text = TdxTreeListColumn::StaticClass();
    addDemoColumn(tree, text, "colSite", "Site", 180, 0);
    const char *counts[] = {"colE1", "colE2", "colE3", "colE4"};
    for (int k = 0; k < 4; ++k) {
        addDemoColumn(tree, text, counts[k], qPrintable(QString("E%1").arg(k + 1)), 80, 1);
        tree.Columns(1 + k)->SetAlignment(taRightJustify);
    }
    tree.Columns(1)->OnValidate.Set([&tree](classes::TObject *, QString &errorText, bool &accept) {
        for (QChar ch : tree.GetEditorText())
            if (!ch.isDigit())
                accept = false;
        if (!accept)
            errorText = QStringLiteral("E1 takes digits only");
    });
    addDemoColumn(tree, text, "colTotal", "Total", 90, 1);
    tree.Columns(5)->SetReadOnly(true);
    addDemoColumn(tree, TdxTreeListMaskColumn::StaticClass(), "colCode", "Code", 90, 2);
    static_cast<TdxTreeListMaskColumn *>(tree.Columns(6))->SetEditMask("000-00;1;_");
    addDemoColumn(tree, text, "colNote", "Note", 150, 2);
    addDemoColumn(tree, text, "colPin", "PIN", 60, 2);
    tree.Columns(8)->SetPasswordChar('*');

    for (int level = 0; level < 3; ++level)
        demo.images.add(demoGlyph(level), rtl::clWhite);
    tree.SetImages(&demo.images);

    int s = 0;
    for (int site = 1; site <= 12; ++site) {
        TdxTreeListNode *siteNode = tree.Add();
        fillDemoNode(tree, siteNode, QString("Site %1").arg(site, 2, 10, QChar('0')), s++, 0, parts.multiLine);
        for (int page = 1; page <= 4; ++page) {
            TdxTreeListNode *pageNode = siteNode->AddChild();
            fillDemoNode(tree, pageNode, QString("Page %1-%2").arg(site, 2, 10, QChar('0')).arg(page), s++, 1,
                         parts.multiLine);
            for (int link = 1; link <= 5; ++link)
                fillDemoNode(tree, pageNode->AddChild(),
                             QString("Link %1-%2-%3").arg(site, 2, 10, QChar('0')).arg(page).arg(link), s++, 2,
                             parts.multiLine);
        }
    }

    TreeListSettings settings = tree.Settings();
    settings.ShowBands = true;
    settings.ShowIndicator = true;
    settings.ReserveButtonCell = true;
    settings.ShowFooter = parts.footer;
    settings.ShowRowFooters = parts.rowFooters;
    if (parts.multiLine)
        settings.RowLineLimit = 3;
    tree.SetSettings(settings);
    TreeListPaintSwitches switches = tree.PaintSwitches();
    switches.ShowLines = true;
    switches.LineStyle = 1;
    tree.SetPaintSwitches(switches);
    tree.EndUpdate();

    tree.Items(0)->SetExpanded(true);
    tree.Items(0)->Items(0)->SetExpanded(true);
    tree.SetFocusedNode(tree.Items(0));
    tree.SetFocusedColumn(tree.PositionOfColumn(0));
}

} // namespace griddemo
