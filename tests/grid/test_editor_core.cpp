#include "CoreFakes.h"
#include "GridPrinters.h"

#include "grid/core/EditViewData.h"
#include "grid/core/HintPlacement.h"

#include "platform/classes/ObjectText.h"
#include "platform/classes/Streams.h"

#include <gtest/gtest.h>

#include <typeinfo>

using namespace grid;
using gridtest::FakeContainer;
using gridtest::FakeEditor;
using gridtest::KeyCall;
using rtl::TRect;

namespace {

TEST(EditViewInfo, FramePerBorderStyle)
{
    const struct
    {
        TdxEditBorderStyle style;
        bool shadow;
        TdxEditEdges edges;
        int borderWidth;
        TRect client;
        TRect border;
        TRect shadowRect;
        size_t regionRects; // 0: the whole window
    } cases[] = {
        {xbsNone, false, edgAll, 0, {2, 2, 102, 22}, {2, 2, 102, 22}, {}, 1},
        {xbsSingle, false, edgAll, 1, {2, 2, 102, 22}, {1, 1, 103, 23}, {}, 1},
        {xbsThick, false, edgAll, 2, {2, 2, 102, 22}, {0, 0, 104, 24}, {}, 0},
        {xbsFlat, false, edgAll, 2, {2, 2, 102, 22}, {0, 0, 104, 24}, {}, 0},
        {xbs3D, false, edgAll, 2, {2, 2, 102, 22}, {0, 0, 104, 24}, {}, 0},
        {xbs3D, true, edgAll, 2, {2, 2, 100, 20}, {0, 0, 102, 22}, {2, 2, 104, 24}, 2},
        {xbsSingle, true, edgAll, 1, {2, 2, 100, 20}, {1, 1, 101, 21}, {3, 3, 103, 23}, 2},
        {xbs3D, false, EdgeBit(edgLeft) | EdgeBit(edgBottom), 2, {2, 2, 102, 22}, {0, 2, 102, 24}, {}, 1},
    };
    for (const auto &c : cases) {
        TdxEditViewData data;
        data.BorderStyle = c.style;
        data.Shadow = c.shadow;
        data.Edges = c.edges;
        data.Bounds = TRect{0, 0, 104, 24};
        const TdxEditViewInfo info = CalcViewInfo(data);
        const std::string name =
            std::to_string(c.style) + (c.shadow ? " shadow" : "") + " edges " + std::to_string(c.edges);
        EXPECT_EQ(info.BorderWidth, c.borderWidth) << name;
        EXPECT_EQ(info.ShadowSize, c.shadow ? 2 : 0) << name;
        EXPECT_EQ(info.ClientRect, c.client) << name;
        EXPECT_EQ(info.BorderRect, c.border) << name;
        EXPECT_EQ(info.ShadowRect, c.shadowRect) << name;
        EXPECT_EQ(EditWindowRegion(info, c.edges).size(), c.regionRects) << name;
    }
}

TEST(EditViewInfo, HotTrackingAndButtonStyles)
{
    FakeContainer container;
    FakeEditor edit(&container);
    edit.Style().SetBorderStyle(xbsSingle);
    edit.Style().SetHotTrack(true);
    EXPECT_EQ(edit.CreateViewData(false)->BorderStyle, xbsSingle);
    edit.focused = true; // focused and enabled: hot
    const auto hot = edit.CreateViewData(false);
    EXPECT_EQ(hot->BorderStyle, xbsThick);
    EXPECT_EQ(hot->ButtonStyle, bts3D); // the default follows the hot border
    edit.enabled = false;
    const auto disabled = edit.CreateViewData(false);
    EXPECT_EQ(disabled->BorderStyle, xbsSingle);
    EXPECT_EQ(disabled->FontColor, rtl::GetSysColor(rtl::COLOR_GRAYTEXT));
    EXPECT_EQ(disabled->Color, rtl::GetSysColor(rtl::COLOR_BTNFACE));

    const TdxEditButtonViewStyle resolved[] = {btsSimple, btsHotFlat, bts3D, btsFlat, bts3D};
    for (int b = xbsNone; b <= xbs3D; ++b)
        EXPECT_EQ(ResolveButtonStyle(btsDefault, TdxEditBorderStyle(b)), resolved[b]) << b;
    EXPECT_EQ(ResolveButtonStyle(btsFlat, xbsNone), btsFlat);
    EXPECT_TRUE(ButtonsTransparent(ebtInactive, false));
    EXPECT_FALSE(ButtonsTransparent(ebtInactive, true));
    EXPECT_FALSE(ButtonsTransparent(ebtHideInactive, false));
}

TEST(EditorContract, ABaseContainerRefusesCharactersAndModifyingKeys)
{
    TCustomdxContainer container(nullptr);
    FakeEditor edit(&container);
    for (QChar c : QStringLiteral("a7 é€")) {
        TChar key = c.unicode();
        edit.KeyPress(key);
        EXPECT_EQ(key, 0u) << int(c.unicode());
    }
    EXPECT_EQ(edit.beeps, 5);
    EXPECT_TRUE(edit.ownChars.isEmpty());
    TChar backspace = 8;
    edit.KeyPress(backspace); // control characters are no typing
    EXPECT_EQ(backspace, 8u);

    const KeyCall refused[] = {
        {VK_BACK, 0}, {VK_DELETE, 0}, {'V', ssCtrl}, {'X', ssCtrl}, {VK_INSERT, ssShift},
    };
    for (const KeyCall &k : refused) {
        TKey key = k.key;
        edit.KeyDown(key, k.shift);
        EXPECT_EQ(key, 0) << k.key;
    }
    TKey left = VK_LEFT;
    edit.KeyDown(left, 0);
    EXPECT_EQ(left, VK_LEFT);
    EXPECT_EQ(edit.ownKeys, (std::vector<KeyCall>{{VK_LEFT, 0}}));

    // Without a container an editor takes what it is given.
    FakeEditor alone(nullptr);
    TChar a = 'a';
    alone.KeyPress(a);
    EXPECT_EQ(a, TChar('a'));
    TKey back = VK_BACK;
    alone.KeyDown(back, 0);
    EXPECT_EQ(back, VK_BACK);
}

TEST(EditorContract, AWheelNotchScrollsTheSystemsLines)
{
    const struct
    {
        int lines;
        int delta;
        std::vector<int> scrolls;
    } cases[] = {
        {3, 120, {SB_LINEUP, SB_LINEUP, SB_LINEUP}},
        {3, -480, {SB_LINEDOWN, SB_LINEDOWN, SB_LINEDOWN}}, // whatever the size of the turn
        {0, 120, {}},
        {-1, -120, {}},
    };
    for (const auto &c : cases) {
        FakeContainer container;
        container.wheelLines = c.lines;
        FakeEditor edit(&container);
        edit.MouseWheel(c.delta);
        EXPECT_EQ(container.scrolls, c.scrolls) << c.lines << " " << c.delta;
        EXPECT_EQ(container.cancelModes, 1);
    }
}

class KeyRouting : public ::testing::Test
{
protected:
    void SetUp() override
    {
        edit = new FakeEditor(&container);
        edit->OnValidate = [this](classes::TObject *, QString &text, bool &accept) {
            ++validations;
            accept = accepting;
            if (!accepting)
                text = "No.";
        };
        edit->text = "old";
        edit->focused = true;
        edit->FocusChanged(true);
        edit->text = "typed";
        edit->SetModified(true);
    }

    FakeContainer container;
    FakeEditor *edit = nullptr; // the container's
    int validations = 0;
    bool accepting = true;
};

TEST_F(KeyRouting, UpValidatesOnceThoughTheContainerValidatesAgain)
{
    container.onKeyDown = [this](TKey) { edit->ValidateEdit(); };
    TKey key = VK_UP;
    edit->KeyDown(key, 0);
    EXPECT_EQ(key, 0);
    EXPECT_EQ(validations, 1);
    EXPECT_EQ(container.keysDown, (std::vector<KeyCall>{{VK_UP, 0}}));
    edit->ValidateEdit(); // the lock is down again
    EXPECT_EQ(validations, 2);
}

TEST_F(KeyRouting, ARefusedNavigationKeyStopsWithOneBeepAndOneMessage)
{
    accepting = false;
    for (TKey k : {VK_TAB, VK_RETURN, VK_UP, VK_NEXT}) {
        TKey key = k;
        edit->KeyDown(key, 0);
        EXPECT_EQ(key, 0);
    }
    EXPECT_TRUE(container.keysDown.empty());
    EXPECT_EQ(edit->beeps, 4);
    EXPECT_EQ(edit->refusals, QStringList({"No.", "No.", "No.", "No."}));
    EXPECT_EQ(edit->text, "typed");

    // Keys that stay in the editor validate nothing.
    TKey left = VK_LEFT;
    edit->KeyDown(left, 0);
    EXPECT_EQ(validations, 4);
}

TEST_F(KeyRouting, EscapeRestoresTheTextOfTheFocusAndPassesOn)
{
    accepting = false; // Esc validates after the reset, which leaves nothing to refuse
    TKey key = VK_ESCAPE;
    edit->KeyDown(key, 0);
    EXPECT_EQ(edit->text, "old");
    EXPECT_FALSE(edit->GetModified());
    EXPECT_EQ(validations, 0);
    EXPECT_EQ(container.keysDown, (std::vector<KeyCall>{{VK_ESCAPE, 0}}));
    TChar esc = 0x1B;
    edit->KeyPress(esc);
    EXPECT_EQ(esc, 0u);
}

TEST_F(KeyRouting, WhatGoesToTheContainerAndWhatStays)
{
    const struct
    {
        KeyCall key;
        bool toContainer;
    } cases[] = {
        {{VK_TAB, 0}, true},          {{VK_TAB, ssAlt}, false}, {{VK_PRIOR, 0}, true},        {{VK_INSERT, 0}, true},
        {{VK_INSERT, ssCtrl}, false}, {{VK_HOME, 0}, false},    {{VK_RIGHT, ssShift}, false}, {{'A', 0}, false},
    };
    for (const auto &c : cases) {
        container.keysDown.clear();
        edit->ownKeys.clear();
        TKey key = c.key.key;
        edit->KeyDown(key, c.key.shift);
        EXPECT_EQ(container.keysDown.size(), c.toContainer ? 1u : 0u) << c.key.key << " " << c.key.shift;
        EXPECT_EQ(edit->ownKeys.size(), c.toContainer ? 0u : 1u) << c.key.key << " " << c.key.shift;
    }
    // The container's key event may take a key; F2 without a taker puts the
    // caret at the end.
    TKey f2 = VK_F2;
    edit->KeyDown(f2, 0);
    EXPECT_EQ(edit->caretToEnd, 1);
    container.OnEditKeyDown = [](classes::TObject *, TKey &key, TShiftState) { key = 0; };
    f2 = VK_F2;
    edit->KeyDown(f2, 0);
    EXPECT_EQ(edit->caretToEnd, 1);
    TKey a = 'A';
    edit->ownKeys.clear();
    edit->KeyDown(a, 0);
    EXPECT_TRUE(edit->ownKeys.empty());
}

TEST_F(KeyRouting, AReadOnlyEditorSwallowsEditKeysAndTyping)
{
    edit->SetReadOnly(true);
    EXPECT_EQ(edit->StoredValues() & svsReadOnly, svsReadOnly);
    TKey back = VK_BACK;
    edit->KeyDown(back, 0);
    EXPECT_EQ(back, 0);
    TChar x = 'x';
    edit->KeyPress(x);
    EXPECT_EQ(x, 0u);
    EXPECT_EQ(edit->beeps, 0); // swallowed without a sound
    edit->RestoreDefaults();
    EXPECT_FALSE(edit->ReadOnly());
}

TEST(EditorShow, ShowEditCoversTheRectangleWithTwoPixelsToSpare)
{
    FakeContainer container;
    FakeEditor edit(&container);
    edit.ShowEdit(TRect{10, 10, 110, 30});
    EXPECT_EQ(edit.bounds, (TRect{8, 8, 112, 32}));
    EXPECT_EQ(edit.bounds.Width(), 104);
    EXPECT_EQ(edit.bounds.Height(), 24);
    EXPECT_TRUE(edit.visible);
    EXPECT_TRUE(edit.focused);
    EXPECT_EQ(edit.selectAlls, 1);
    EXPECT_EQ(edit.firstShows, 1);
    edit.ShowEdit(TRect{0, 0, 50, 20}); // shown already: no first show again
    EXPECT_EQ(edit.firstShows, 1);
    edit.HideEdit();
    edit.BeginShow();
    edit.ShowEdit(TRect{0, 0, 50, 20});
    edit.EndShow();
    EXPECT_EQ(edit.firstShows, 1);
    edit.HideEdit();
    edit.ShowEdit(TRect{5, 5, 5, 30}); // empty: nothing
    EXPECT_FALSE(edit.visible);
}

TEST(HintPlacement, StaysOnTheScreen)
{
    const TRect screen{0, 0, 800, 600};
    const struct
    {
        rtl::TPoint point;
        rtl::TSize size;
        TRect bounds;
    } cases[] = {
        {{100, 100}, {50, 20}, {100, 100, 150, 120}},
        {{790, 595}, {50, 20}, {750, 580, 800, 600}}, // the bottom-right corner
        {{10, 10}, {900, 20}, {0, 10, 900, 30}},      // wider than the screen
        {{10, 300}, {40, 1000}, {10, 0, 50, 1000}},   // taller than the screen
    };
    for (const auto &c : cases)
        EXPECT_EQ(HintBounds(c.point, c.size, screen), c.bounds) << c.point.X << "," << c.point.Y;
    // A second screen to the right.
    EXPECT_EQ(HintBounds({1790, 10}, {50, 20}, TRect{800, 0, 1824, 768}), (TRect{1774, 10, 1824, 30}));
    EXPECT_EQ(HintBounds({1000, 10}, {2000, 20}, TRect{800, 0, 1824, 768}).Left, 800);
}

} // namespace

namespace {

// An editor that refines the queries its base routes keys, repaints and
// paint data through.
class RefinedEditor : public FakeEditor
{
public:
    using FakeEditor::FakeEditor;
    bool editable = true;
    bool ownerPainted = false;
    bool active = false;
    int repaints = 0;
    int hotStates = 0;
    bool IsEditable() const override { return editable; }
    bool IsOwnerPainted() const override { return ownerPainted; }
    bool IsActive() const override { return active; }
    void UpdateHotState() override
    {
        ++hotStates;
        FakeEditor::UpdateHotState();
    }
    TdxEditViewInfo CalcViewInfo(const TdxEditViewData &viewData) override
    {
        TdxEditViewInfo info = FakeEditor::CalcViewInfo(viewData);
        info.ClientRect.Left += 10; // room for a button of its own
        return info;
    }
    TCursor GetEditCursor(int x, int, const TdxEditViewData &viewData) override
    {
        return x < 10 ? crArrow : FakeEditor::GetEditCursor(x, 0, viewData);
    }

protected:
    void Invalidate() override { ++repaints; }
};

class MoveFocusContainer : public FakeContainer
{
public:
    void EditMoveFocus(bool backward) override { moves << backward; }
    QList<bool> moves;
};

} // namespace

TEST(EditorOverrides, KeysRepaintsAndPaintDataFollowTheDescendantsAnswers)
{
    MoveFocusContainer container;
    RefinedEditor edit(&container);
    edit.editable = false;
    TKey del = VK_BACK;
    edit.KeyDown(del, 0);
    EXPECT_EQ(del, 0) << "an editing key on an editor that says it cannot be edited";
    edit.editable = true;
    del = VK_BACK;
    edit.KeyDown(del, 0);
    EXPECT_EQ(del, VK_BACK);

    // A text editor that paints itself repaints as the focus goes; the
    // focus coming goes through the overridable hot-state step.
    edit.FocusLost(false);
    EXPECT_EQ(edit.repaints, 0);
    edit.ownerPainted = true;
    edit.FocusLost(false);
    EXPECT_EQ(edit.repaints, 1);
    edit.FocusGained();
    EXPECT_EQ(edit.hotStates, 1);
    EXPECT_EQ(edit.repaints, 2);

    // The hot look follows the editor's own idea of being active.
    edit.Style().SetHotTrack(true);
    edit.Style().SetBorderStyle(xbsSingle);
    EXPECT_EQ(edit.CreateViewData(false)->BorderStyle, xbsSingle);
    edit.active = true;
    EXPECT_TRUE(edit.CreateViewData(false)->Active);
    EXPECT_EQ(edit.CreateViewData(false)->BorderStyle, xbsThick);

    // Its own frame geometry places the client area, and its cursor is
    // asked with the point.
    edit.ShowEdit(rtl::TRect{10, 10, 110, 30});
    const rtl::TRect plain = CalcViewInfo(*edit.CreateViewData(false)).ClientRect;
    EXPECT_EQ(edit.ClientBounds().Left, edit.bounds.Left + plain.Left + 10);
    EXPECT_EQ(edit.GetEditCursor(5, 0, *edit.CreateViewData(false)), crArrow);
    EXPECT_EQ(edit.GetEditCursor(50, 0, *edit.CreateViewData(false)), crDefault);

    edit.MoveFocus(true);
    edit.MoveFocus(false);
    EXPECT_EQ(container.moves, (QList<bool>{true, false}));
}

namespace {

// An editor of its own, not over a cell.
class StandAloneEditor : public FakeEditor
{
public:
    using FakeEditor::FakeEditor;
    bool IsInplace() const override { return false; }
};

QByteArray editorAsText(classes::TComponent &edit, classes::TMemoryStream &binary)
{
    binary.WriteComponent(&edit);
    binary.SetPosition(0);
    classes::TMemoryStream text;
    classes::ObjectBinaryToText(binary, text);
    binary.SetPosition(0);
    return QByteArray(text.Memory(), int(text.Size()));
}

} // namespace

TEST(EditorStreaming, TheFlagsOfExplicitValuesGoWithTheEditorAndOnlyAnEditorOutsideACellKeepsItsHeight)
{
    FakeContainer container;
    FakeEditor edit(&container);
    edit.SetName("Edit");
    edit.bounds = rtl::Rect(0, 0, 80, 24);
    classes::TMemoryStream plain;
    QByteArray text = editorAsText(edit, plain);
    EXPECT_FALSE(text.contains("StoredValues")) << text.constData();
    EXPECT_FALSE(text.contains("Height")) << text.constData();

    edit.SetReadOnly(false); // set explicitly, though it is the default
    classes::TMemoryStream flagged;
    text = editorAsText(edit, flagged);
    EXPECT_TRUE(text.contains("StoredValues = 64")) << text.constData();
    FakeEditor back(nullptr);
    flagged.ReadComponent(&back);
    EXPECT_EQ(back.StoredValues(), svsReadOnly);

    StandAloneEditor own(nullptr);
    own.SetName("Own");
    own.bounds = rtl::Rect(5, 5, 85, 31);
    classes::TMemoryStream sized;
    text = editorAsText(own, sized);
    EXPECT_TRUE(text.contains("Height = 26")) << text.constData();
    StandAloneEditor read(nullptr);
    read.bounds = rtl::Rect(10, 10, 50, 20);
    sized.ReadComponent(&read);
    EXPECT_EQ(read.bounds, rtl::Rect(10, 10, 50, 36));
}

namespace {

class OwnStyle : public TdxEditStyle
{
public:
    using TdxEditStyle::TdxEditStyle;
};

class OwnStyleEditor : public gridtest::FakeEditor
{
public:
    using gridtest::FakeEditor::FakeEditor;
    TdxEditStyleClass GetEditStyleClass() const override
    {
        return [](InplaceEditor *edit) -> std::unique_ptr<TdxEditStyle> { return std::make_unique<OwnStyle>(edit); };
    }
};

} // namespace

// An editor without a container makes its style from its own style class;
// in a container the container's style holds.
TEST(EditorContract, AnEditorWithoutAContainerMakesItsStyleFromItsStyleClass)
{
    OwnStyleEditor alone(nullptr);
    EXPECT_NE(dynamic_cast<OwnStyle *>(&alone.Style()), nullptr);
    EXPECT_EQ(alone.Style().Edit(), &alone);
    gridtest::FakeEditor plain(nullptr);
    const TdxEditStyle &plainStyle = plain.Style();
    EXPECT_EQ(typeid(plainStyle), typeid(TdxEditStyle));

    FakeContainer container;
    OwnStyleEditor hosted(&container);
    const TdxEditStyle &hostedStyle = hosted.Style();
    EXPECT_EQ(typeid(hostedStyle), typeid(TdxEditStyle));
}
