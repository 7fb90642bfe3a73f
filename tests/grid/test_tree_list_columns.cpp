// Columns, bands and the text-node control: inheritable values, clamped
// places, texts that stay under their columns, band renumbering, header
// rows, the default layout, the lookup cache and best fit.

#include "ControlFixture.h"
#include "CoreFakes.h"

#include "platform/classes/Component.h"

#include <gtest/gtest.h>

#include <random>

using namespace grid;
using gridtest::ControlFixture;

namespace {

bool isStored(const classes::TPersistent &object, const char *property)
{
    const classes::TPropInfo *p = object.ClassType().FindProperty(std::string_view(property));
    return p && p->IsStored(object);
}

// A default width that follows the caption, as a descendant may define it.
class CaptionWideColumn : public TdxTreeListColumn
{
public:
    using TdxTreeListColumn::TdxTreeListColumn;
    int DefaultWidth() const override { return 10 * int(Caption().size()) + 100; }
};

// A text editor that keeps what a column sets on it.
class PropsTextEditor
    : public gridtest::FakeEditor
    , public TextEditorProps
{
public:
    using gridtest::FakeEditor::FakeEditor;
    TextEditorProps *TextProps() override { return this; }
    TEditCharCase CharCase() const override { return charCase; }
    void SetCharCase(TEditCharCase value) override { charCase = value; }
    int MaxLength() const override { return maxLength; }
    void SetMaxLength(int value) override { maxLength = value; }
    bool OEMConvert() const override { return oem; }
    void SetOEMConvert(bool value) override { oem = value; }
    QChar PasswordChar() const override { return password; }
    void SetPasswordChar(QChar value) override { password = value; }
    void EmptyUndoBuffer() override { ++undoEmptied; }

    TEditCharCase charCase = ecNormal;
    int maxLength = -1;
    bool oem = false;
    QChar password;
    int undoEmptied = 0;
};

// The core's question before editing, asked from outside.
class EditQuestionControl : public TCustomdxTreeListControl
{
public:
    using TCustomdxTreeListControl::DoCanEdit;
    using TCustomdxTreeListControl::TCustomdxTreeListControl;
};

} // namespace

TEST(TreeListColumn, InheritableValuesReadDefaultsUntilSet)
{
    TdxTreeListColumn loose(nullptr);
    EXPECT_EQ(loose.Width(), 100);
    EXPECT_FALSE(isStored(loose, "Width"));
    EXPECT_EQ(loose.Color(), rtl::clWindow);
    EXPECT_FALSE(isStored(loose, "Color"));
    loose.SetWidth(5);
    EXPECT_EQ(loose.Width(), 20);
    EXPECT_TRUE(isStored(loose, "Width"));
    loose.SetMinWidth(-5);
    EXPECT_EQ(loose.MinWidth(), 0);
    loose.SetMinWidth(60);
    EXPECT_EQ(loose.Width(), 60);
    EXPECT_EQ(loose.BandIndex(), 0);
    loose.SetBandIndex(-3);
    EXPECT_EQ(loose.BandIndex(), -1);

    CaptionWideColumn wide(nullptr);
    EXPECT_EQ(wide.Width(), 100);
    wide.SetCaption(QStringLiteral("abc"));
    EXPECT_EQ(wide.Width(), 130);
    EXPECT_FALSE(isStored(wide, "Width"));
    EXPECT_TRUE(isStored(wide, "Caption"));
    wide.SetWidth(77);
    wide.SetCaption(QStringLiteral("abcdef"));
    EXPECT_EQ(wide.Width(), 77);
}

TEST(TreeListColumn, AttachedColumnFollowsTheControl)
{
    ControlFixture f;
    TdxTreeListColumn *c = f.column(QStringLiteral("A"));
    f.tree->SetColor(rtl::clYellow);
    EXPECT_EQ(c->Color(), rtl::clYellow);
    EXPECT_FALSE(isStored(*c, "Color"));
    c->SetColor(rtl::clYellow);
    EXPECT_FALSE(isStored(*c, "Color")); // set, but equal to the inherited value
    c->SetColor(rtl::clRed);
    EXPECT_TRUE(isStored(*c, "Color"));

    f.tree->Font().SetSize(14);
    EXPECT_EQ(c->Font()->Size(), 14);
    EXPECT_FALSE(c->IsAssigned(TdxTreeListColumn::avFont));
    c->Font()->SetSize(8);
    EXPECT_TRUE(c->IsAssigned(TdxTreeListColumn::avFont));
    f.tree->Font().SetSize(16);
    EXPECT_EQ(c->Font()->Size(), 8);

    f.tree->SetHeaderPanelMaxRowCount(5);
    f.tree->SetHeaderPanelRowCount(2);
    f.column(QStringLiteral("Top")); // keeps row 0 in use
    c->SetRowIndex(7);
    EXPECT_EQ(c->RowIndex(), 1);
    c->SetBandIndex(4);
    EXPECT_EQ(c->BandIndex(), 0);
    c->SetBandIndex(-3);
    EXPECT_EQ(c->BandIndex(), -1);
}

TEST(TreeListColumn, TextsStayUnderTheirColumnsWhenColumnsMoveOrGo)
{
    ControlFixture f;
    for (const char *name : {"A", "B", "C", "D"})
        f.column(QString::fromLatin1(name));
    TdxTreeListNode *full = f.node({"a", "b", "c", "d"});
    TdxTreeListNode *child = f.node({"a1", "b1", "c1"}, full);
    TdxTreeListNode *shortNode = f.node({"x"});
    TdxTreeListNode *only3 = f.tree->Add();
    f.tree->SetNodeString(only3, 3, QStringLiteral("d3"));
    EXPECT_EQ(f.tree->GetNodeString(only3, 0), QString());
    EXPECT_EQ(f.tree->GetNodeString(only3, 9), QString());

    auto cellsOf = [&f](TdxTreeListNode *n) {
        QStringList cells;
        for (int i = 0; i < f.tree->ColumnCount(); ++i)
            cells << f.tree->Columns(i)->Caption() + "=" + f.tree->GetNodeString(n, i);
        return cells;
    };
    f.tree->Columns(0)->SetIndex(2);
    EXPECT_EQ(f.captions(), (QStringList{"B", "C", "A", "D"}));
    EXPECT_EQ(cellsOf(full), (QStringList{"B=b", "C=c", "A=a", "D=d"}));
    EXPECT_EQ(cellsOf(child), (QStringList{"B=b1", "C=c1", "A=a1", "D="}));
    EXPECT_EQ(cellsOf(shortNode), (QStringList{"B=", "C=", "A=x", "D="}));
    f.tree->Columns(3)->SetIndex(-4); // clamped to the front
    EXPECT_EQ(cellsOf(only3), (QStringList{"D=d3", "B=", "C=", "A="}));

    delete f.tree->Columns(1); // B
    EXPECT_EQ(cellsOf(full), (QStringList{"D=d", "C=c", "A=a"}));
    EXPECT_EQ(cellsOf(shortNode), (QStringList{"D=", "C=", "A=x"}));
    EXPECT_EQ(f.tree->ColumnCount(), 3);
    EXPECT_EQ(f.tree->Columns(2)->Index(), 2);
}

TEST(TreeListColumn, OwnerAndControlMayGoInEitherOrder)
{
    for (bool controlFirst : {true, false}) {
        auto form = std::make_unique<classes::TComponent>(nullptr);
        gridtest::FakeTreeListHost host;
        TdxTreeListColumn *early = new TdxTreeListColumn(form.get());
        auto *tree = new TCustomdxTreeListControl(form.get());
        tree->SetHost(&host);
        early->SetParentComponent(tree);
        TdxTreeListColumn *late = tree->CreateColumn(TdxTreeListColumn::StaticClass());
        EXPECT_EQ(late->Owner(), form.get());
        tree->SetNodeString(tree->Add(), 1, QStringLiteral("t"));
        if (controlFirst) {
            delete tree; // frees both columns; the form forgets them
            EXPECT_EQ(form->ComponentCount(), 0);
        } else {
            delete early;
            EXPECT_EQ(tree->ColumnCount(), 1);
            EXPECT_EQ(tree->GetNodeString(tree->Items(0), 0), QStringLiteral("t"));
        }
        form.reset(); // ASan: nothing freed twice
    }
}

TEST(TreeListColumn, AssignCopiesSetValuesAndSurvivesItself)
{
    ControlFixture f;
    f.tree->Bands()->Add();
    TdxTreeListColumn *source = f.column("Source", 1);
    source->SetWidth(140);
    source->SetReadOnly(true);
    source->SetMinWidth(40);
    source->SetDisableEditor(true);
    source->SetVertAlignment(tlBottom);
    TdxTreeListColumn *copy = f.column("Copy");
    copy->SetAlignment(taRightJustify);
    copy->SetSizing(false);
    copy->Assign(source);
    EXPECT_EQ(copy->Caption(), QStringLiteral("Source"));
    EXPECT_EQ(copy->Width(), 140);
    EXPECT_TRUE(copy->ReadOnly());
    EXPECT_FALSE(copy->IsAssigned(TdxTreeListColumn::avAlignment)); // unset on the source
    EXPECT_TRUE(copy->Sizing());
    EXPECT_EQ(copy->MinWidth(), 40);
    EXPECT_TRUE(copy->DisableEditor());
    EXPECT_EQ(copy->VertAlignment(), tlBottom);
    EXPECT_EQ(copy->BandIndex(), 1);

    copy->Assign(copy);
    EXPECT_EQ(copy->Caption(), QStringLiteral("Source"));
    EXPECT_EQ(copy->Width(), 140);
    EXPECT_TRUE(copy->ReadOnly());
    EXPECT_EQ(copy->MinWidth(), 40);

    copy->SetSorted(csUp);
    copy->SetHeaderAlignment(taCenter);
    copy->RestoreDefaults();
    EXPECT_EQ(copy->AssignedValues(), 0);
    EXPECT_EQ(copy->Caption(), QString());
    EXPECT_EQ(copy->Width(), 100);
    EXPECT_EQ(copy->MinWidth(), 20);
    EXPECT_EQ(copy->Sorted(), csNone);
    EXPECT_EQ(f.tree->SortedColumnCount(), 0);
    EXPECT_EQ(copy->HeaderAlignment(), taLeftJustify);
    EXPECT_FALSE(copy->DisableEditor());
    EXPECT_EQ(copy->VertAlignment(), tlTop);

    TdxTreeListBand *band = f.tree->Bands()->Items(1);
    band->SetWidth(400);
    band->SetCaption(QStringLiteral("B"));
    band->Assign(band);
    EXPECT_EQ(band->Width(), 400);
    EXPECT_EQ(band->Caption(), QStringLiteral("B"));
}

TEST(TreeListColumn, EditorTakesTheColumnsRulesAndTheCellsText)
{
    ControlFixture f;
    f.column("A");
    TdxTreeListColumn *c = f.column("B");
    TdxTreeListNode *n = f.node({"a", "text of b"});
    c->SetReadOnly(true);
    c->SetCharCase(ecUpperCase);
    c->SetMaxLength(12);
    c->SetPasswordChar(QChar('*'));
    PropsTextEditor editor(f.tree.get());
    editor.text = QStringLiteral("left from another cell");
    c->InitEditProperties(editor);
    EXPECT_TRUE(editor.ReadOnly());
    EXPECT_EQ(editor.charCase, ecUpperCase);
    EXPECT_EQ(editor.maxLength, 12);
    EXPECT_EQ(editor.password, QChar('*'));
    EXPECT_EQ(editor.undoEmptied, 1);

    // A read-only cell shows its own text too; loading is no change.
    EXPECT_EQ(c->LoadEditorValue(n, editor).toString(), QStringLiteral("text of b"));
    EXPECT_EQ(editor.text, QStringLiteral("text of b"));
    EXPECT_FALSE(editor.GetModified());

    c->SetReadOnly(false);
    c->InitEditProperties(editor);
    editor.text.clear();
    c->LoadEditorValue(n, editor);
    EXPECT_EQ(editor.text, QStringLiteral("text of b"));
    EXPECT_FALSE(editor.GetModified());
    editor.text = QStringLiteral("typed"); // as the user types
    editor.SetModified(true);
    EXPECT_EQ(c->AssignEditValue(n, editor).toString(), QStringLiteral("typed"));
    EXPECT_EQ(f.tree->GetNodeString(n, 1), QStringLiteral("typed"));
    EXPECT_EQ(f.tree->GetNodeString(n, 0), QStringLiteral("a"));

    // The editor's change and validation reach the column's events, except
    // while the container sets the value itself.
    int changes = 0;
    int validations = 0;
    c->OnChange.Set([&changes](classes::TObject *sender) { changes += sender != nullptr; });
    c->OnValidate.Set([&validations](classes::TObject *, QString &, bool &) { ++validations; });
    editor.Change();
    EXPECT_TRUE(editor.ValidateEdit());
    f.tree->SetEditFlag();
    editor.Change();
    f.tree->ClearEditFlag();
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(validations, 1);
}

TEST(TreeListColumn, CellViewDataFollowsTheColumnAndTheGridsLook)
{
    ControlFixture f;
    TdxTreeListColumn *c = f.column("A");
    c->SetAlignment(taRightJustify);
    c->SetVertAlignment(tlCenter);
    c->SetCharCase(ecLowerCase);
    c->SetPasswordChar(QChar('#'));
    const rtl::TRect cell{1, 2, 50, 20};
    std::vector<int> styles; // as numbers, which the failure message shows
    for (uint8_t look : {0, 1, 2}) {
        f.tree->SetLook(look);
        TdxTextEditViewData data;
        c->FillViewData(data, cell, QStringLiteral("text"), rtl::clWindow, rtl::clWindowText);
        styles.push_back(int(data.ButtonStyle));
        EXPECT_EQ(data.Bounds, cell);
        EXPECT_EQ(data.Alignment, taRightJustify);
        EXPECT_EQ(data.VerticalLayout, 1);
        EXPECT_EQ(data.CharCase, ecLowerCase);
        EXPECT_EQ(data.PasswordChar, QChar('#'));
        EXPECT_EQ(data.Color, rtl::ColorToRGB(rtl::clWindow));
        EXPECT_EQ(data.EditValue.toString(), QStringLiteral("text"));
    }
    EXPECT_EQ(styles, (std::vector<int>{bts3D, btsFlat, btsHotFlat}));
}

TEST(TreeListColumn, AFocusedColumnWithoutEditorRefusesEditing)
{
    gridtest::FakeTreeListHost host;
    EditQuestionControl tree(nullptr);
    tree.SetHost(&host);
    tree.SetOptionsA(tree.OptionsA() & ~(1u << aoRowFocus));
    tree.CreateColumn(TdxTreeListColumn::StaticClass());
    TdxTreeListColumn *locked = tree.CreateColumn(TdxTreeListColumn::StaticClass());
    locked->SetDisableEditor(true);
    TdxTreeListNode *node = tree.Add();
    auto asked = [&tree, node] {
        bool allow = true;
        tree.DoCanEdit(node, allow);
        return allow;
    };
    EXPECT_TRUE(asked());
    tree.SetFocusedColumn(1);
    EXPECT_FALSE(asked());
    locked->SetDisableEditor(false);
    EXPECT_TRUE(asked());
    tree.OnCanEdit = [](classes::TObject *, TdxTreeListNode *, bool &allow) { allow = false; };
    EXPECT_FALSE(asked());
}

TEST(TreeListBands, ColumnsFollowBandMovesAndDeletions)
{
    ControlFixture f;
    TdxTreeListBands *bands = f.tree->Bands();
    ASSERT_EQ(bands->Count(), 1);
    EXPECT_TRUE(f.tree->DefaultLayout());
    bands->Add();
    EXPECT_FALSE(f.tree->DefaultLayout());
    bands->Add();
    for (int b : {0, 1, 2})
        f.column(QString::number(b), b);

    bands->Items(0)->SetIndex(2);
    EXPECT_EQ(f.bandIndexes(), (std::vector<int>{2, 0, 1}));
    bands->Items(0)->SetIndex(2); // band "1" (now 0) back to the end
    EXPECT_EQ(f.bandIndexes(), (std::vector<int>{1, 2, 0}));

    // Fixing moves to the end, keeps one band per side and ignores moves.
    bands->Items(2)->SetFixed(bfLeft);
    EXPECT_EQ(bands->Items(0)->Fixed(), bfLeft);
    EXPECT_EQ(f.bandIndexes(), (std::vector<int>{2, 0, 1}));
    bands->Items(1)->SetFixed(bfLeft);
    EXPECT_EQ(bands->Items(0)->Fixed(), bfLeft);
    EXPECT_EQ(bands->Items(1)->Fixed(), bfNone);
    bands->Items(0)->SetIndex(2);
    EXPECT_EQ(bands->Items(0)->Fixed(), bfLeft);
    bands->Items(0)->SetVisible(false);
    EXPECT_EQ(bands->Items(0)->Fixed(), bfNone);
    bands->Items(0)->SetFixed(bfRight); // hidden: moved, but not fixed
    EXPECT_EQ(bands->Items(2)->Fixed(), bfNone);
    EXPECT_FALSE(bands->Items(2)->Visible());
    EXPECT_EQ(bands->VisibleCount(), 2);
    EXPECT_EQ(bands->BandIndexToVisibleIndex(2), -1);
    EXPECT_EQ(bands->VisibleIndexToBandIndex(1), 1);

    const std::vector<int> before = f.bandIndexes();
    bands->Delete(1);
    for (size_t i = 0; i < before.size(); ++i)
        EXPECT_EQ(f.bandIndexes()[i], before[i] == 1 ? -1 : (before[i] > 1 ? before[i] - 1 : before[i]));

    TdxTreeListBand *band = bands->Items(0);
    band->SetWidth(10);
    EXPECT_EQ(band->Width(), 30);
    band->SetMinWidth(-1);
    EXPECT_EQ(band->MinWidth(), 0);
}

TEST(TreeListBands, DeletingABandInsideAnUpdateStillRenumbersItsColumns)
{
    ControlFixture f;
    TdxTreeListBands *bands = f.tree->Bands();
    bands->Add();
    bands->Add();
    for (int b : {0, 1, 2})
        f.column(QString::number(b), b);
    f.tree->BeginUpdate();
    bands->Delete(1);
    f.tree->EndUpdate();
    EXPECT_EQ(f.bandIndexes(), (std::vector<int>{0, -1, 1}));
}

TEST(TreeListControl, CustomisingPlacesColumnsAndBandsAndSaysSo)
{
    ControlFixture f;
    TdxTreeListColumn *a = f.column("A");
    TdxTreeListColumn *b = f.column("B");
    TdxTreeListColumn *c = f.column("C");
    QStringList said;
    auto saidColumn = [&said](const char *what) {
        return [&said, what](classes::TObject *, TdxTreeListColumn *column) {
            said << QString::fromLatin1(what) + column->Caption();
        };
    };
    f.tree->OnMoveColumn = saidColumn("move ");
    f.tree->OnHideColumn = saidColumn("hide ");
    f.tree->OnShowColumn = saidColumn("show ");
    f.tree->OnPlaceColumn = saidColumn("place ");
    f.tree->OnHideBand = [&said](classes::TObject *, TdxTreeListBand *band) { said << "hide " + band->Caption(); };
    f.tree->OnShowBand = [&said](classes::TObject *, TdxTreeListBand *band) { said << "show " + band->Caption(); };

    c->SetColIndex(0);
    EXPECT_EQ(f.captions(), (QStringList{"C", "A", "B"}));
    a->SetColIndex(9); // the last place of the row
    EXPECT_EQ(f.captions(), (QStringList{"C", "B", "A"}));
    EXPECT_EQ(a->ColIndex(), 2);

    f.tree->Bands()->Items(0)->SetCaption(QStringLiteral("first"));
    f.tree->Bands()->Add()->SetCaption(QStringLiteral("second"));
    f.tree->MoveColumn(a, 1, 0, 0);
    EXPECT_EQ(a->BandIndex(), 1);
    EXPECT_EQ(a->ColIndex(), 0);
    f.tree->HideColumn(b);
    EXPECT_EQ(b->ColIndex(), -1);
    f.tree->PlaceColumn(b, 1, 0, 0);
    EXPECT_TRUE(b->Visible());
    EXPECT_EQ(b->BandIndex(), 1);
    EXPECT_EQ(f.tree->ColumnAt(1, 0, 0), b->Index());
    EXPECT_EQ(f.tree->ColumnAt(1, 0, 1), a->Index());

    f.tree->HideBand(0);
    EXPECT_EQ(f.tree->VisibleBandCount(), 1);
    f.tree->ShowBand(0, 1);
    EXPECT_EQ(f.tree->Bands()->Items(1)->Caption(), QStringLiteral("first"));
    EXPECT_EQ(c->BandIndex(), 1);
    EXPECT_EQ(a->BandIndex(), 0);
    EXPECT_EQ(said, (QStringList{"move A", "hide B", "place B", "hide first", "show first"}));
}

TEST(TreeListControl, RowCountsAndTheDefaultLayout)
{
    ControlFixture f;
    f.tree->SetBandRowCount(9);
    EXPECT_EQ(f.tree->BandRowCount(), 5);
    f.tree->SetBandMaxRowCount(3);
    EXPECT_EQ(f.tree->BandRowCount(), 3);
    f.tree->SetBandMaxRowCount(0);
    EXPECT_EQ(f.tree->BandMaxRowCount(), 1);

    f.tree->Bands()->Add();
    TdxTreeListColumn *a = f.column("A", 1);
    EXPECT_TRUE(f.tree->IsWidthFit() == f.tree->TCustomdxTreeList::IsWidthFit());
    f.tree->SetHeaderPanelRowCount(2);
    EXPECT_FALSE(f.tree->DefaultLayout());
    f.tree->Bands()->Items(0)->SetVisible(false);
    f.tree->SetDefaultLayout(true);
    EXPECT_EQ(f.tree->Bands()->Count(), 1);
    EXPECT_TRUE(f.tree->Bands()->Items(0)->Visible());
    EXPECT_EQ(f.tree->HeaderPanelRowCount(), 1);
    EXPECT_EQ(a->BandIndex(), 0);
    EXPECT_TRUE(f.tree->DefaultLayout());
    EXPECT_TRUE(f.tree->IsWidthFit());

    f.tree->SetOptionsB(f.tree->OptionsB() | (1u << boComputedHeaderRows));
    f.tree->SetHeaderPanelRowCount(3);
    EXPECT_FALSE(f.tree->optionB(boComputedHeaderRows));
}

TEST(TreeListControl, EmptyHeaderRowsCloseUp)
{
    ControlFixture f;
    f.tree->SetHeaderPanelRowCount(3);
    TdxTreeListColumn *a = f.column("A", 0, 1);
    TdxTreeListColumn *b = f.column("B", 0, 2);
    EXPECT_EQ(a->RowIndex(), 0);
    EXPECT_EQ(b->RowIndex(), 1);
    EXPECT_EQ(f.tree->BandLineCount(0), 2);
    b->SetVisible(false); // row 1 empties: a hidden column drops into the last used row
    EXPECT_EQ(b->RowIndex(), 0);
    EXPECT_EQ(f.tree->BandLineCount(0), 1);
    EXPECT_EQ(f.tree->ColumnAt(0, 0, 0), a->Index());
    EXPECT_EQ(f.tree->ColumnAt(0, 0, 1), -1);
}

TEST(TreeListControl, LookupCacheAnswersAsTheScan)
{
    std::mt19937 random(19);
    for (int round = 0; round < 60; ++round) {
        ControlFixture f;
        const int bands = 1 + int(random() % 4);
        for (int b = 1; b < bands; ++b)
            f.tree->Bands()->Add();
        f.tree->SetHeaderPanelRowCount(1 + int(random() % 3));
        const int columns = int(random() % 12);
        for (int c = 0; c < columns; ++c) {
            TdxTreeListColumn *col = f.column(QString::number(c), int(random() % 5) - 1, int(random() % 4));
            col->SetVisible(random() % 4 != 0);
        }
        for (int b = 0; b < bands; ++b)
            if (random() % 4 == 0)
                f.tree->Bands()->Items(b)->SetVisible(false);
        if (columns > 1)
            f.tree->Columns(int(random() % columns))->SetIndex(int(random() % columns));
        f.tree->ClearLookupCache();
        const int visible = f.tree->VisibleBandCount();
        for (int p = -1; p <= visible; ++p) {
            EXPECT_EQ(f.tree->BandUsedRowCount(p), f.tree->ScanBandUsedRowCount(p));
            for (int r = -1; r < 4; ++r) {
                EXPECT_EQ(f.tree->BandRowColumnCount(p, r), f.tree->ScanBandRowColumnCount(p, r));
                for (int place = -1; place < 6; ++place)
                    EXPECT_EQ(f.tree->ColumnAtPlace(p, r, place), f.tree->ScanColumnAtPlace(p, r, place))
                        << "round " << round << " band " << p << " row " << r << " place " << place;
            }
        }
        EXPECT_TRUE(f.tree->LookupCacheBuilt());
        for (int c = 0; c < columns; ++c)
            EXPECT_EQ(f.tree->ColumnPositionInLine(c), f.tree->ScanColIndex(f.tree->Columns(c)));
    }
}

TEST(TreeListControl, BestFitMeasuresTextsIndentAndCaption)
{
    ControlFixture f; // 7 px a character
    TdxTreeListColumn *tree = f.column("Name");
    TdxTreeListColumn *other = f.column("A long caption");
    TdxTreeListNode *root = f.node({"abc", "x"});
    f.node({"abcdefghij", "yy"}, root); // collapsed: not measured
    f.node({"abcdef", "zzz"});
    f.tree->ApplyBestFit(nullptr);
    // margin 7 / 2 + 1 = 4 on each side; the tree column adds one indent.
    EXPECT_EQ(tree->Width(), 6 * 7 + 16 + 8);
    EXPECT_EQ(other->Width(), 14 * 7 + 15 + 8);
    root->SetExpanded(true);
    other->SetHeaderButtonOff(true);
    other->SetSizing(false);
    f.tree->ApplyBestFit(tree);
    EXPECT_EQ(tree->Width(), 10 * 7 + 2 * 16 + 8);
    f.tree->ApplyBestFit(nullptr);
    EXPECT_EQ(other->Width(), 14 * 7 + 15 + 8); // cannot be sized

    // Images stand before the text of the tree column: a state image only
    // where the node has one, the image as every text node starts with one.
    TreeListImageSizes images;
    images.ImageWidth = 10;
    images.StateImageWidth = 6;
    f.tree->SetImageSizes(images);
    f.tree->ApplyBestFit(tree);
    EXPECT_EQ(tree->Width(), 10 * 7 + 2 * 16 + 10 + 8);
    f.tree->SetNodeStateIndex(root->Items(0), 2);
    f.tree->ApplyBestFit(tree);
    EXPECT_EQ(tree->Width(), 10 * 7 + 2 * 16 + 6 + 10 + 8);
}

TEST(TreeListControl, ManyColumnsAndNoVisibleBand)
{
    ControlFixture f;
    for (int i = 0; i < 1000; ++i)
        f.column(QString::number(i));
    TdxTreeListNode *n = f.node({"a", "b"});
    f.tree->SetNodeString(n, 999, QStringLiteral("last"));
    EXPECT_EQ(f.tree->BandRowColumnCount(0, 0), 1000);
    EXPECT_EQ(f.tree->ColumnAt(0, 0, 999), 999);
    EXPECT_EQ(f.tree->VisibleColumnCount(), 1000);
    delete f.tree->Columns(500);
    EXPECT_EQ(f.tree->GetNodeString(n, 998), QStringLiteral("last"));
    EXPECT_EQ(f.tree->ColumnAt(0, 0, 998), 998);

    f.tree->Bands()->Items(0)->SetVisible(false);
    EXPECT_EQ(f.tree->VisibleBandCount(), 0);
    EXPECT_EQ(f.tree->ColumnAt(0, 0, 0), -1);
    EXPECT_EQ(f.tree->BandLineCount(0), 0);
    EXPECT_FALSE(f.tree->ColumnVisible(0));
    EXPECT_EQ(f.tree->ColumnBand(0), -1);
    EXPECT_EQ(f.tree->VisibleColumnCount(), 0);
    QStringList exported;
    f.tree->SaveAllToStrings(exported);
    EXPECT_EQ(exported.size(), 2);
}

// A column's case is measured as it is shown: one character for one, so
// that a best fit leaves no room for letters that are not there.
TEST(TreeListColumn, ACasedColumnMeasuresItsTextOneCharacterForOne)
{
    ControlFixture f;
    TdxTreeListColumn *c = f.column("A");
    TdxTreeListNode *n = f.node({QString::fromUtf8("straße")});
    const gfx::FixedTextMeasurer measurer(7);
    c->SetCharCase(ecUpperCase);
    EXPECT_EQ(c->TextWidth(measurer, n), 6 * 7);
    f.tree->SetNodeString(n, 0, QString::fromUtf8("İﬁ"));
    c->SetCharCase(ecLowerCase);
    EXPECT_EQ(c->TextWidth(measurer, n), 2 * 7);
}
