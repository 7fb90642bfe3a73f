#include "CoreFakes.h"

#include "grid/core/EditStyle.h"

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
    DefaultEditStyleController()->OnStyleChanged = [&](classes::TObject *, classes::TObject *) { ++heard; };
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
    DefaultEditStyleController()->OnStyleChanged = nullptr;
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
    own.OnStyleChanged = [&](classes::TObject *, classes::TObject *link) {
        if (link == first) {
            delete second;
            second = nullptr;
        }
    };
    own.SetBorderColor(rtl::clRed);
    EXPECT_EQ(second, nullptr);
    EXPECT_EQ(third->styleChanges, 1);
    EXPECT_EQ(own.ListenerCount(), 2);
    own.OnStyleChanged = nullptr;
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
