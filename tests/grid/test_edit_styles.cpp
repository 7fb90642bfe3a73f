#include "CoreFakes.h"

#include "grid/core/EditStyle.h"

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/MetaClass.h"
#include "platform/classes/ObjectText.h"
#include "platform/classes/Streams.h"
#include "platform/classes/TypInfo.h"

#include <gtest/gtest.h>

using namespace grid;
using gridtest::FakeContainer;
using gridtest::FakeEditor;

namespace {

// The default controller is the process's; each test leaves it as found.
class EditStyles : public ::testing::Test
{
protected:
    void SetUp() override { DefaultEditStyleController()->RestoreDefaults(); }
    void TearDown() override { DefaultEditStyleController()->RestoreDefaults(); }

    FakeContainer container;
};

TEST_F(EditStyles, UnassignedValuesComeFromTheControllerInUse)
{
    FakeEditor edit(&container);
    TdxEditStyle &style = edit.Style();
    EXPECT_EQ(style.AssignedValues(), 0);
    EXPECT_EQ(style.BorderStyle(), xbs3D);
    EXPECT_EQ(style.Edges(), edgAll);

    TdxEditStyleController own(nullptr);
    own.SetBorderStyle(xbsFlat);
    edit.SetStyleController(&own);
    EXPECT_EQ(style.BorderStyle(), xbsFlat);
    style.SetBorderStyle(xbsSingle);
    own.SetBorderStyle(xbsThick); // an assigned value stays
    EXPECT_EQ(style.BorderStyle(), xbsSingle);
    style.RestoreDefaults();
    EXPECT_EQ(style.BorderStyle(), xbsThick);
    edit.SetStyleController(nullptr);
    EXPECT_EQ(style.BorderStyle(), xbs3D);
}

TEST_F(EditStyles, SettingTheResolvedDefaultAssignsItAndNotifiesOnce)
{
    FakeEditor edit(&container);
    edit.styleChanges = 0;
    edit.Style().SetBorderStyle(xbs3D); // what the getter already reports
    EXPECT_EQ(edit.Style().AssignedValues(), ValueBit(svBorderStyle));
    EXPECT_EQ(edit.styleChanges, 1);
    edit.Style().SetBorderStyle(xbs3D);
    EXPECT_EQ(edit.styleChanges, 1);
    // Once assigned, the value no longer follows the controller.
    DefaultEditStyleController()->SetBorderStyle(xbsNone);
    EXPECT_EQ(edit.Style().BorderStyle(), xbs3D);

    FakeEditor other(&container);
    other.Style().Assign(&edit.Style());
    EXPECT_EQ(other.Style().AssignedValues(), 0x7F);
}

TEST_F(EditStyles, DefaultControllerReachesOnlyEditorsWithoutOwnController)
{
    FakeEditor plain(&container);
    FakeEditor owned(&container);
    TdxEditStyleController own(nullptr);
    owned.SetStyleController(&own);
    int heard = 0;
    DefaultEditStyleController()->OnStyleChanged.Set([&](classes::TObject *, classes::TObject *) { ++heard; });
    plain.styleChanges = owned.styleChanges = 0;

    DefaultEditStyleController()->SetShadow(true);
    EXPECT_EQ(plain.styleChanges, 1);
    EXPECT_EQ(owned.styleChanges, 0);
    EXPECT_TRUE(plain.Style().Shadow());
    EXPECT_FALSE(owned.Style().Shadow());
    EXPECT_EQ(heard, 1);

    own.SetShadow(true);
    EXPECT_EQ(plain.styleChanges, 1);
    EXPECT_EQ(owned.styleChanges, 1);
    DefaultEditStyleController()->OnStyleChanged.Clear();
}

TEST_F(EditStyles, AssignInsideABracketNotifiesOnceAtTheLastEnd)
{
    FakeEditor edit(&container);
    TdxEditStyleController target(nullptr);
    edit.SetStyleController(&target);
    TdxEditStyleController source(nullptr);
    source.SetBorderStyle(xbsThick);
    source.SetShadow(true);
    source.SetEdges(EdgeBit(edgLeft));
    edit.styleChanges = 0;

    target.BeginUpdate();
    target.BeginUpdate();
    target.Assign(&source);
    target.EndUpdate();
    EXPECT_EQ(edit.styleChanges, 0);
    target.EndUpdate();
    EXPECT_EQ(edit.styleChanges, 1);
    EXPECT_EQ(edit.Style().BorderStyle(), xbsThick);
    EXPECT_EQ(edit.Style().Edges(), EdgeBit(edgLeft));

    TdxCheckEditStyleController check(nullptr);
    EXPECT_EQ(check.BorderStyle(), xbsNone);
    EXPECT_EQ(check.ButtonStyle(), bts3D);
    check.SetBorderStyle(xbs3D);
    check.RestoreDefaults();
    EXPECT_EQ(check.BorderStyle(), xbsNone);
}

TEST_F(EditStyles, AControllerDestroyedWhileEditorsListenIsLetGo)
{
    auto *first = new FakeEditor(&container);
    auto *second = new FakeEditor(&container);
    auto *own = new TdxEditStyleController(nullptr);
    first->SetStyleController(own);
    second->SetStyleController(own);
    first->styleChanges = 0;
    delete own;
    EXPECT_EQ(first->StyleController(), nullptr);
    EXPECT_EQ(second->StyleController(), nullptr);
    EXPECT_EQ(first->styleChanges, 1); // back on the default controller's values
    DefaultEditStyleController()->SetHotTrack(true);
    EXPECT_TRUE(first->Style().HotTrack());
    delete first;
    delete second;

    // An editor destroyed first leaves no trace in its controller.
    TdxEditStyleController kept(nullptr);
    auto *edit = new FakeEditor(&container);
    edit->SetStyleController(&kept);
    EXPECT_EQ(kept.ListenerCount(), 1);
    delete edit;
    EXPECT_EQ(kept.ListenerCount(), 0);
    kept.SetShadow(true);
}

TEST_F(EditStyles, AHandlerThatFreesAnEditorDuringANotification)
{
    TdxEditStyleController own(nullptr);
    auto *first = new FakeEditor(&container);
    auto *second = new FakeEditor(&container);
    auto *third = new FakeEditor(&container);
    for (FakeEditor *e : {first, second, third})
        e->SetStyleController(&own);
    third->styleChanges = 0;
    own.OnStyleChanged.Set([&](classes::TObject *, classes::TObject *link) {
        if (link == first) {
            delete second;
            second = nullptr;
        }
    });
    own.SetBorderColor(rtl::clRed);
    EXPECT_EQ(second, nullptr);
    EXPECT_EQ(third->styleChanges, 1);
    EXPECT_EQ(own.ListenerCount(), 2);
    own.OnStyleChanged.Clear();
}

TEST_F(EditStyles, DefaultControllersGoAtShutDownBeforeTheirEditors)
{
    auto *edit = new FakeEditor(&container);
    DoneEditStyleControllers();
    EXPECT_EQ(DefaultEditStyleController(), nullptr);
    EXPECT_EQ(edit->Style().BorderStyle(), xbs3D); // the built-in default
    delete edit;                                   // leaves no controller it could reach
    InitEditStyleControllers();
    EXPECT_NE(DefaultEditStyleController(), nullptr);
}

} // namespace

namespace {

QByteArray controllerAsText(classes::TComponent &controller)
{
    classes::TMemoryStream binary;
    binary.WriteComponent(&controller);
    binary.SetPosition(0);
    classes::TMemoryStream text;
    classes::ObjectBinaryToText(binary, text);
    return QByteArray(text.Memory(), int(text.Size()));
}

} // namespace

TEST_F(EditStyles, ControllersStreamOnlyWhatDiffersFromTheirDefaultsAndReadItBack)
{
    classes::RegisterClasses({&TdxEditStyleController::StaticClass(), &TdxCheckEditStyleController::StaticClass()});
    TdxEditStyleController plain(nullptr);
    plain.SetName("Plain");
    QByteArray text = controllerAsText(plain);
    for (const char *name :
         {"BorderColor", "BorderStyle", "ButtonStyle", "ButtonTransparence", "Edges", "HotTrack", "Shadow"})
        EXPECT_FALSE(text.contains(name)) << name << text.constData();
    // A check controller's own defaults are not written either, and the
    // edit controller's defaults are, on it.
    TdxCheckEditStyleController check(nullptr);
    check.SetName("Check");
    EXPECT_FALSE(controllerAsText(check).contains("BorderStyle"));
    EXPECT_FALSE(controllerAsText(check).contains("ButtonStyle"));
    check.SetBorderStyle(xbs3D);
    EXPECT_TRUE(controllerAsText(check).contains("BorderStyle = xbs3D"));

    plain.SetBorderColor(rtl::clRed);
    plain.SetBorderStyle(xbsFlat);
    plain.SetButtonTransparence(ebtAlways);
    plain.SetEdges(EdgeBit(edgLeft) | EdgeBit(edgBottom));
    plain.SetShadow(true);
    text = controllerAsText(plain);
    EXPECT_TRUE(text.contains("BorderColor = clRed")) << text.constData();
    EXPECT_TRUE(text.contains("Edges = [edgLeft, edgBottom]")) << text.constData();
    classes::TMemoryStream binary;
    binary.WriteComponent(&plain);
    binary.SetPosition(0);
    TdxEditStyleController back(nullptr);
    binary.ReadComponent(&back);
    EXPECT_EQ(back.BorderColor(), rtl::clRed);
    EXPECT_EQ(back.BorderStyle(), xbsFlat);
    EXPECT_EQ(back.ButtonStyle(), btsDefault);
    EXPECT_EQ(back.ButtonTransparence(), ebtAlways);
    EXPECT_EQ(back.Edges(), EdgeBit(edgLeft) | EdgeBit(edgBottom));
    EXPECT_FALSE(back.HotTrack());
    EXPECT_TRUE(back.Shadow());
    classes::UnRegisterClasses({&TdxEditStyleController::StaticClass(), &TdxCheckEditStyleController::StaticClass()});
}

TEST_F(EditStyles, AStylesValuesAreStoredExactlyWhenItWasGivenThem)
{
    gridtest::FakeEditor editor(nullptr);
    TdxEditStyle &style = editor.Style();
    const classes::TMetaClass &meta = TdxEditStyle::StaticClass();
    const auto stored = [&](const char *name) {
        const classes::TPropInfo *prop = meta.FindProperty(std::string_view(name));
        return prop && classes::IsStoredProp(style, *prop);
    };
    ASSERT_NE(meta.FindProperty(std::string_view("AssignedValues")), nullptr);
    EXPECT_FALSE(stored("AssignedValues"));
    for (const char *name :
         {"BorderColor", "BorderStyle", "ButtonStyle", "ButtonTransparence", "Edges", "HotTrack", "Shadow"})
        EXPECT_FALSE(stored(name)) << name;
    // The value it already reports, set, is its own from then on.
    style.SetBorderStyle(style.BorderStyle());
    style.SetShadow(true);
    EXPECT_TRUE(stored("BorderStyle"));
    EXPECT_TRUE(stored("Shadow"));
    EXPECT_FALSE(stored("Edges"));
    EXPECT_FALSE(stored("AssignedValues"));
    style.RestoreDefaults();
    EXPECT_FALSE(stored("BorderStyle"));
}
