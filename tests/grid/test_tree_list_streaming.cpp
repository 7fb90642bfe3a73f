// A control with its bands and columns through a component stream: only the
// stored properties go, the columns come back attached, and bad values in a
// stream are clamped.

#include "ControlFixture.h"
#include "TreeListFixture.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/classes/ObjectText.h"
#include "platform/classes/Streams.h"
#include "tests/support/StringSweep.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

using namespace grid;
using gridtest::ControlFixture;

namespace {

struct StreamingClasses
{
    StreamingClasses()
    {
        classes::RegisterClasses({&TdxTreeListColumn::StaticClass(), &TdxTreeListMaskColumn::StaticClass()});
    }
};

QByteArray asText(classes::TMemoryStream &binary)
{
    binary.SetPosition(0);
    classes::TMemoryStream text;
    classes::ObjectBinaryToText(binary, text);
    return QByteArray(text.Memory(), int(text.Size()));
}

QByteArray textToBinary(const QByteArray &text)
{
    classes::TMemoryStream input;
    input.Write(text.constData(), text.size());
    input.SetPosition(0);
    classes::TMemoryStream output;
    classes::ObjectTextToBinary(input, output);
    return QByteArray(output.Memory(), int(output.Size()));
}

void readInto(TCustomdxTreeListControl &tree, const QByteArray &binary)
{
    classes::TMemoryStream stream;
    stream.Write(binary.constData(), binary.size());
    stream.SetPosition(0);
    stream.ReadComponent(&tree);
}

} // namespace

TEST(TreeListStreaming, StoredPropertiesOnlyAndColumnsAttached)
{
    static StreamingClasses registered;
    ControlFixture f;
    f.tree->SetName(QStringLiteral("Tree"));
    f.tree->SetOptionsB(f.tree->OptionsB() | (1u << boMultiSort));
    f.tree->Bands()->Add()->SetCaption(QStringLiteral("Second"));
    f.tree->SetHeaderPanelRowCount(2);
    auto *plain = new TdxTreeListColumn(f.tree.get());
    plain->SetName(QStringLiteral("Plain"));
    plain->SetParentComponent(f.tree.get());
    plain->SetBandIndex(1);
    auto *mask = new TdxTreeListMaskColumn(f.tree.get());
    mask->SetName(QStringLiteral("Masked"));
    mask->SetParentComponent(f.tree.get());
    mask->SetEditMask(QStringLiteral("000-00;1;_"));
    mask->SetBandIndex(1);
    mask->SetRowIndex(1);
    mask->SetWidth(140);
    mask->SetCaption(QStringLiteral("Code"));

    classes::TMemoryStream stream;
    stream.WriteComponent(f.tree.get());
    QByteArray text = asText(stream);
    EXPECT_FALSE(text.contains("Width = 100")) << text.constData();
    EXPECT_FALSE(text.contains("SortedOrder"));
    EXPECT_TRUE(text.contains("StoredRowIndex = 1"));
    EXPECT_EQ(text.count("StoredRowIndex"), 1);

    // Two sorted columns under multi-column sort store their order.
    mask->SetSorted(csUp);
    plain->SetSorted(csDown);
    classes::TMemoryStream sorted;
    sorted.WriteComponent(f.tree.get());
    text = asText(sorted);
    EXPECT_EQ(text.count("SortedOrder"), 2) << text.constData();

    ControlFixture g;
    g.tree->SetOptionsB(g.tree->OptionsB() | (1u << boMultiSort));
    readInto(*g.tree, QByteArray(sorted.Memory(), int(sorted.Size())));
    ASSERT_EQ(g.tree->ColumnCount(), 2);
    auto *masked = dynamic_cast<TdxTreeListMaskColumn *>(g.tree->Columns(1));
    ASSERT_TRUE(masked);
    EXPECT_EQ(masked->TreeList(), g.tree.get());
    EXPECT_EQ(masked->Name(), QStringLiteral("Masked"));
    EXPECT_EQ(masked->EditMask(), QStringLiteral("000-00;1;_"));
    EXPECT_EQ(masked->BandIndex(), 1);
    EXPECT_EQ(masked->RowIndex(), 1);
    EXPECT_EQ(masked->Width(), 140);
    EXPECT_FALSE(g.tree->Columns(0)->IsAssigned(TdxTreeListColumn::avWidth));
    EXPECT_EQ(g.tree->Bands()->Count(), 2);
    EXPECT_EQ(g.tree->HeaderPanelRowCount(), 2);
    ASSERT_EQ(g.tree->SortedColumnCount(), 2);
    EXPECT_EQ(g.tree->SortedColumns()[0], masked);
    classes::TMemoryStream again;
    again.WriteComponent(g.tree.get());
    EXPECT_EQ(asText(again), text);

#ifdef STREAMCONV_PATH
    QTemporaryDir dir;
    const QString binaryFile = dir.filePath(QStringLiteral("tree.bin"));
    const QString textFile = dir.filePath(QStringLiteral("tree.txt"));
    sorted.SaveToFile(binaryFile);
    QProcess tool;
    tool.start(QStringLiteral(STREAMCONV_PATH), {QStringLiteral("--to-text"), binaryFile, textFile});
    ASSERT_TRUE(tool.waitForFinished(30000));
    EXPECT_EQ(tool.exitCode(), 0);
    QFile written(textFile);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), text);
#endif
}

TEST(TreeListStreaming, BadValuesAreClampedAndNothingHalfAttached)
{
    static StreamingClasses registered;
    const QByteArray binary = textToBinary(R"(object Tree: TCustomdxTreeListControl
  HeaderPanelRowCount = 2
  Bands = <
    item
      Caption = 'Only'
    end>
  object A: TdxTreeListColumn
    BandIndex = 99
    RowIndex = -7
    Sorted = csUp
  end
  object B: TdxTreeListColumn
    BandIndex = 0
    RowIndex = 1
    Sorted = csDown
  end
end
)");
    ControlFixture f;
    readInto(*f.tree, binary);
    ASSERT_EQ(f.tree->ColumnCount(), 2);
    EXPECT_EQ(f.tree->Columns(0)->BandIndex(), 0);
    EXPECT_EQ(f.tree->Columns(0)->RowIndex(), 0);
    EXPECT_EQ(f.tree->Columns(1)->RowIndex(), 1);
    // One sort mark without multi-column sort.
    EXPECT_EQ(f.tree->SortedColumnCount(), 1);
    EXPECT_EQ(f.tree->Columns(1)->Sorted(), csNone);

    const QByteArray broken = textToBinary(R"(object Tree: TCustomdxTreeListControl
  object A: TdxTreeListColumn
    Caption = 'kept'
  end
  object B: TdxTreeListColumn
    NoSuchProperty = 1
  end
end
)");
    ControlFixture g;
    EXPECT_THROW(readInto(*g.tree, broken), std::exception);
    EXPECT_EQ(g.tree->ColumnCount(), 0);
}

TEST(TreeListStreaming, ComputedHeaderRowsComeBackFromTheColumns)
{
    static StreamingClasses registered;
    const uint32_t computed = 1u << boComputedHeaderRows;
    ControlFixture f;
    f.tree->SetName(QStringLiteral("Tree"));
    f.tree->SetHeaderPanelRowCount(3);
    f.tree->SetOptionsB(f.tree->OptionsB() | computed);
    for (int row : {0, 1, 2}) {
        auto *c = new TdxTreeListColumn(f.tree.get());
        c->SetName(QStringLiteral("R%1").arg(row));
        c->SetParentComponent(f.tree.get());
        c->SetRowIndex(row);
    }
    classes::TMemoryStream stream;
    stream.WriteComponent(f.tree.get());
    const QByteArray text = asText(stream);
    EXPECT_FALSE(text.contains("HeaderPanelRowCount")) << text.constData();

    ControlFixture g;
    g.tree->SetOptionsB(g.tree->OptionsB() | computed);
    readInto(*g.tree, QByteArray(stream.Memory(), int(stream.Size())));
    EXPECT_EQ(g.tree->HeaderPanelRowCount(), 3);
    ASSERT_EQ(g.tree->ColumnCount(), 3);
    EXPECT_EQ(g.tree->Columns(2)->RowIndex(), 2);
    EXPECT_TRUE(g.tree->optionB(boComputedHeaderRows));
}

TEST(TreeListStreaming, RepeatedOrNegativeSortOrdersLoseNoSortedColumn)
{
    static StreamingClasses registered;
    const QByteArray binary = textToBinary(R"(object Tree: TCustomdxTreeListControl
  object A: TdxTreeListColumn
    Sorted = csUp
    SortedOrder = 1
  end
  object B: TdxTreeListColumn
    Sorted = csDown
    SortedOrder = 1
  end
  object C: TdxTreeListColumn
    Sorted = csUp
    SortedOrder = -4
  end
  object D: TdxTreeListColumn
    Sorted = csUp
    SortedOrder = 0
  end
end
)");
    ControlFixture f;
    f.tree->SetOptionsB(f.tree->OptionsB() | (1u << boMultiSort));
    readInto(*f.tree, binary);
    QStringList order;
    for (TdxTreeListColumn *column : f.tree->SortedColumns())
        order << column->Name();
    EXPECT_EQ(order, (QStringList{"D", "A", "B", "C"}));
    EXPECT_TRUE(f.tree->SortedColumnDesc(2));
}

namespace {

// A tree list of its own, not the control, that stores its header font.
class FontedTreeList : public gridtest::ArrayTreeList
{
    ZVO_CLASS(FontedTreeList)

public:
    classes::TFont *storedHeaderFont() const { return &const_cast<FontedTreeList *>(this)->HeaderFont(); }
    void storeHeaderFont(const classes::TFont *font) { SetHeaderFont(*font); }
};

} // namespace

const classes::TMetaClass &FontedTreeList::StaticClass()
{
    using C = FontedTreeList;
    static const classes::TMetaClass meta =
        classes::MakeClass<C, TCustomdxTreeList>("TFontedTreeList", [](classes::TClassBuilder<C> &c) {
            c.Object("HeaderFont", &C::storedHeaderFont, &C::storeHeaderFont);
        });
    return meta;
}

// The metrics are not measured while a stream is read; any tree list read
// from one has them measured anew once it is loaded.
TEST(TreeListStreaming, ATreeListOfItsOwnMeasuresWhatItReadOnceLoaded)
{
    FontedTreeList written;
    written.HeaderFont().SetSize(40);
    classes::TMemoryStream stream;
    stream.WriteComponent(&written);

    FontedTreeList read;
    const int before = read.Metrics().HeaderLineHeight;
    stream.SetPosition(0);
    stream.ReadComponent(&read);
    EXPECT_EQ(read.HeaderFont().Size(), 40);
    EXPECT_GT(read.Metrics().HeaderLineHeight, before);
    EXPECT_EQ(read.Metrics().HeaderLineHeight, written.Metrics().HeaderLineHeight);
}

// Every published property of a column set away from its default goes
// through the binary stream and its text form and comes back, captions and
// the password character outside Latin-1 and in any locale included.
TEST(TreeListStreaming, EveryPublishedColumnPropertyComesBackThroughBothForms)
{
    static StreamingClasses registered;
    ControlFixture f;
    f.tree->SetName(QStringLiteral("Tree"));
    f.tree->Bands()->Add();
    f.tree->SetHeaderPanelRowCount(2);
    auto *c = new TdxTreeListMaskColumn(f.tree.get());
    c->SetName(QStringLiteral("Masked"));
    c->SetParentComponent(f.tree.get());
    c->SetAlignment(taRightJustify);
    c->SetCaption(QStringLiteral("Сумма 合計 \U0001F600"));
    c->SetCharCase(ecUpperCase);
    c->SetColor(rtl::TColor(0x123456));
    c->SetDisableCaption(true);
    c->SetDisableCustomizing(true);
    c->SetDisableDragging(true);
    c->SetDisableEditor(true);
    classes::TFont font;
    font.SetName(QStringLiteral("DejaVu Serif"));
    font.SetSize(11);
    c->SetFont(&font);
    c->SetHeaderAlignment(taCenter);
    QImage glyph(4, 3, QImage::Format_RGB32);
    glyph.fill(Qt::red);
    classes::TBitmap bitmap;
    bitmap.SetImage(glyph);
    c->SetHeaderGlyph(&bitmap);
    c->SetMaxLength(12);
    c->SetMinWidth(33);
    c->SetOEMConvert(true);
    c->SetPasswordChar(QChar(0x2022));
    c->SetReadOnly(true);
    c->SetSizing(false);
    c->SetTabStop(false);
    c->SetVertAlignment(tlBottom);
    c->SetVisible(false);
    c->SetWidth(140);
    c->SetBandIndex(1);
    c->SetRowIndex(1);
    c->SetHeaderMaxLineCount(3);
    c->SetEditMask(QStringLiteral("000-00;1;_"));
    c->SetIgnoreMaskBlank(true);
    c->SetSorted(csDown);
    c->OnChange.Set(QStringLiteral("MaskedChange"), nullptr);
    c->OnValidate.Set(QStringLiteral("MaskedValidate"), nullptr);

    classes::TMemoryStream stream;
    stream.WriteComponent(f.tree.get());
    const QByteArray text = asText(stream);
    for (const char *name : {"Alignment",
                             "Caption",
                             "CharCase",
                             "Color",
                             "DisableCaption",
                             "DisableCustomizing",
                             "DisableDragging",
                             "DisableEditor",
                             "Font.Name",
                             "HeaderAlignment",
                             "HeaderGlyph.Data",
                             "MaxLength",
                             "MinWidth",
                             "OEMConvert",
                             "PasswordChar",
                             "ReadOnly",
                             "Sizing",
                             "Sorted",
                             "TabStop",
                             "VertAlignment",
                             "Visible",
                             "Width",
                             "BandIndex",
                             "RowIndex",
                             "HeaderMaxLineCount",
                             "OnChange",
                             "OnValidate",
                             "EditMask",
                             "IgnoreMaskBlank"})
        EXPECT_TRUE(text.contains(QByteArray("\n    ") + name + " = ")) << name << "\n" << text.constData();

    const QByteArray fromText = textToBinary(text);
    for (const QByteArray &binary : {QByteArray(stream.Memory(), int(stream.Size())), fromText}) {
        ControlFixture g;
        g.tree->DefineMethod<void(classes::TObject *)>("MaskedChange", [](classes::TObject *) {});
        g.tree->DefineMethod<void(classes::TObject *, QString &, bool &)>("MaskedValidate",
                                                                          [](classes::TObject *, QString &, bool &) {});
        readInto(*g.tree, binary);
        ASSERT_EQ(g.tree->ColumnCount(), 1);
        auto *r = dynamic_cast<TdxTreeListMaskColumn *>(g.tree->Columns(0));
        ASSERT_TRUE(r);
        EXPECT_EQ(r->Caption(), c->Caption());
        EXPECT_EQ(r->PasswordChar(), QChar(0x2022));
        EXPECT_EQ(r->Color(), rtl::TColor(0x123456));
        EXPECT_EQ(r->Font()->Name(), QStringLiteral("DejaVu Serif"));
        EXPECT_EQ(r->HeaderGlyph()->Image().size(), QSize(4, 3));
        EXPECT_EQ(r->Sorted(), csDown);
        EXPECT_EQ(r->OnValidate.Name(), QStringLiteral("MaskedValidate"));
        classes::TMemoryStream again;
        again.WriteComponent(g.tree.get());
        EXPECT_EQ(asText(again), text);
    }
}

namespace {

// Every string the control, its bands and a column of each registered
// column class store, as their property tables name them, comes back in
// other scripts through both stream forms.
TEST(TreeListStreaming, EveryStoredStringComesBackInAnyScript)
{
    static StreamingClasses registered;
    ControlFixture f;
    f.tree->SetName(QStringLiteral("Tree"));
    std::vector<zvotest::Locate> targets{[](classes::TComponent &root) { return &root; }};
    std::vector<std::string> names{"TCustomdxTreeListControl"};
    for (const classes::TMetaClass *meta : classes::RegisteredClasses()) {
        if (!meta->InheritsFrom(TdxTreeListColumn::StaticClass()) || meta->IsAbstract())
            continue;
        classes::TComponent *column = meta->NewComponent(f.tree.get());
        column->SetName(meta->ClassName() + QStringLiteral("1"));
        column->SetParentComponent(f.tree.get());
        const int index = f.tree->ColumnCount() - 1;
        targets.push_back([index](classes::TComponent &root) -> classes::TPersistent * {
            auto &tree = static_cast<TCustomdxTreeListControl &>(root);
            return index < tree.ColumnCount() ? tree.Columns(index) : nullptr;
        });
        names.push_back(meta->ClassName().toStdString());
    }
    ASSERT_GE(names.size(), 3u);
    std::vector<std::unique_ptr<ControlFixture>> fixtures;
    const zvotest::SweepResult result =
        zvotest::sweepThroughStreams(*f.tree, targets, names, [&]() -> classes::TComponent & {
            fixtures.push_back(std::make_unique<ControlFixture>());
            return *fixtures.back()->tree;
        });
    for (const std::string &failure : result.failures)
        ADD_FAILURE() << failure;
    EXPECT_TRUE(result.properties.contains("TdxTreeListColumn.Caption"));
    EXPECT_TRUE(result.properties.contains("TCustomdxTreeListControl.Bands[0].Caption"));
    EXPECT_TRUE(result.properties.contains("TdxTreeListMaskColumn.EditMask"));
    RecordProperty("StringPropertiesSwept", int(result.properties.size()));
}

} // namespace
