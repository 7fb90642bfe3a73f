// The registries of start-up: dialog forms by their abstract class, report
// component classes with their palette places; and the settings objects the
// producer owns.

#include "tests/support/report/FormFakes.h"

#include "report/model/ModelRegistration.h"
#include "report/model/components/ComponentRegistry.h"
#include "report/model/forms/DialogBases.h"
#include "report/model/forms/FormClassRegistry.h"
#include "report/model/objects/Communicator.h"
#include "report/model/objects/EnumRegistry.h"
#include "report/model/objects/RegList.h"
#include "report/model/production/PreviewFormSettings.h"
#include "report/model/production/SearchErrors.h"
#include "report/model/production/TextSearchSettings.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/ClassRegistry.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>

using namespace report;

namespace {

// A form without a window: enough for the registry.
class RegistryTestCancelForm : public reporttest::WindowlessForm<TppCustomCancelDialog>
{
    ZVO_CLASS(RegistryTestCancelForm)
public:
    using WindowlessForm::WindowlessForm;
};

class RegistryTestOtherCancelForm : public RegistryTestCancelForm
{
    ZVO_CLASS(RegistryTestOtherCancelForm)
public:
    using RegistryTestCancelForm::RegistryTestCancelForm;
};

// Named as the library names its label.
class RegistryTestLabel : public classes::TComponent
{
    ZVO_CLASS(RegistryTestLabel)
public:
    using TComponent::TComponent;
};

class RegistryTestShape : public classes::TComponent
{
    ZVO_CLASS(RegistryTestShape)
public:
    using TComponent::TComponent;
};

struct ModelLayer
{
    ModelLayer() { ppModelLayerInit(); }
    ~ModelLayer() { ppModelLayerFinalize(); }
};

} // namespace

const classes::TMetaClass &RegistryTestCancelForm::StaticClass()
{
    static const classes::TMetaClass meta =
        classes::MakeClass<RegistryTestCancelForm, TppCustomCancelDialog>("RegistryTestCancelForm");
    return meta;
}

const classes::TMetaClass &RegistryTestOtherCancelForm::StaticClass()
{
    static const classes::TMetaClass meta =
        classes::MakeClass<RegistryTestOtherCancelForm, RegistryTestCancelForm>("RegistryTestOtherCancelForm");
    return meta;
}

const classes::TMetaClass &RegistryTestLabel::StaticClass()
{
    static const classes::TMetaClass meta = classes::MakeClass<RegistryTestLabel, classes::TComponent>("TppLabel");
    return meta;
}

const classes::TMetaClass &RegistryTestShape::StaticClass()
{
    static const classes::TMetaClass meta = classes::MakeClass<RegistryTestShape, classes::TComponent>("TppShape");
    return meta;
}

TEST(FormClassRegistry, ASecondRegistrationReplacesTheFirstAndAnUnregisteredBaseGivesNothing)
{
    ModelLayer layer;
    const auto &base = TppCustomCancelDialog::StaticClass();
    EXPECT_EQ(ppGetFormClass(base), nullptr);
    EXPECT_EQ(ppCreateForm<TppCustomCancelDialog>(), nullptr);

    ppRegisterFormClass(base, RegistryTestCancelForm::StaticClass());
    EXPECT_EQ(classes::GetClass(u"RegistryTestCancelForm"), &RegistryTestCancelForm::StaticClass());
    ppRegisterFormClass(base, RegistryTestOtherCancelForm::StaticClass());
    EXPECT_EQ(ppGetFormClass(base), &RegistryTestOtherCancelForm::StaticClass());
    EXPECT_EQ(classes::GetClass(u"RegistryTestCancelForm"), nullptr);
    EXPECT_EQ(ppFormClassList().size(), 1u);

    std::unique_ptr<TppCustomCancelDialog> form(ppCreateForm<TppCustomCancelDialog>());
    ASSERT_TRUE(form);
    EXPECT_EQ(&form->ClassType(), &RegistryTestOtherCancelForm::StaticClass());
    // A form registered for another base is not handed out as this one.
    EXPECT_EQ(ppCreateForm<TppCustomPrintDialog>(), nullptr);

    ppUnRegisterFormClass(base);
    ppUnRegisterFormClass(base);
    EXPECT_EQ(ppGetFormClass(base), nullptr);
    EXPECT_EQ(classes::GetClass(u"RegistryTestOtherCancelForm"), nullptr);
}

TEST(FormClassRegistry, TheCancelDialogStartsThePrintOnceFromItsTimerAndSurvivesAFailingHandler)
{
    RegistryTestCancelForm form;
    int prints = 0;
    form.OnPrintNotify.Set([&](classes::TObject *) {
        ++prints;
        throw std::runtime_error("device gone");
    });
    EXPECT_EQ(form.TimerInterval(), 10);
    EXPECT_EQ(form.ShowModalAndPrint(), ppModalResultOK);
    EXPECT_TRUE(form.Modal);
    EXPECT_TRUE(form.TimerEnabled());
    // The tick is an event like any other: served, not slept for.
    const QDeadlineTimer limit(10000);
    while (form.TimerEnabled() && !limit.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    EXPECT_EQ(prints, 1);
}

TEST(ComponentRegistry, ARegistrationAgainKeepsOneRecordWithTheLatestValues)
{
    ModelLayer layer;
    // The model layer's own row (the subreport) is there already.
    const int rows = ppComponentList() ? ppComponentList()->Count() : 0;
    ppRegisterComponent(RegistryTestLabel::StaticClass(), QStringLiteral("Standard Components"), 0, 172);
    ppRegisterComponent(RegistryTestLabel::StaticClass(), QStringLiteral("Mine"), 4, 999, QStringLiteral("x"), 7);
    ASSERT_NE(ppComponentList(), nullptr);
    EXPECT_EQ(ppComponentList()->Count(), rows + 1);
    const TppRegComponent *record = ppFindRegComponent(QStringLiteral("tpplabel"));
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->PalettePage, QStringLiteral("Mine"));
    EXPECT_EQ(record->PaletteIndex, 4);
    EXPECT_EQ(record->PaletteTextID, 999);
    EXPECT_EQ(record->Text, QStringLiteral("x"));
    EXPECT_EQ(record->Value, 7);
    EXPECT_EQ(classes::GetClass(u"TppLabel"), &RegistryTestLabel::StaticClass());

    // Never registered: nothing changes.
    ppUnRegisterComponent(RegistryTestShape::StaticClass());
    EXPECT_EQ(ppComponentList()->Count(), rows + 1);

    ppUnRegisterComponent(RegistryTestLabel::StaticClass());
    EXPECT_EQ(ppComponentList()->Count(), rows);
    EXPECT_EQ(classes::GetClass(u"TppLabel"), nullptr);
}

TEST(ComponentRegistry, ThePaletteTableGivesEachClassItsPlace)
{
    ModelLayer layer;
    const auto table = ppPaletteTable();
    ASSERT_EQ(table.size(), 17u);
    EXPECT_STREQ(table[8].className, "TppBarCode");
    EXPECT_STREQ(table[16].page, "Advanced Components");

    ppRegisterPaletteComponent(RegistryTestShape::StaticClass());
    const TppRegComponent *record = ppFindRegComponent(QStringLiteral("TppShape"));
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->PalettePage, QStringLiteral("Standard Components"));
    EXPECT_EQ(record->PaletteIndex, 6);
    EXPECT_EQ(record->PaletteTextID, 178);
    EXPECT_THROW(ppRegisterPaletteComponent(RegistryTestCancelForm::StaticClass()), EBrevantorError);
}

TEST(ComponentRegistry, AfterFinalisationRegistrationsRaise)
{
    {
        ModelLayer layer;
        ppRegisterComponent(RegistryTestLabel::StaticClass(), QStringLiteral("Standard Components"), 0, 172);
    }
    EXPECT_EQ(ppComponentList(), nullptr);
    try {
        ppRegisterComponent(RegistryTestLabel::StaticClass(), QStringLiteral("Standard Components"), 0, 172);
        FAIL() << "registered without a registry";
    } catch (const rtl::Exception &e) {
        EXPECT_STREQ(e.what(), "Unable to register component classes.");
    }
    try {
        ppUnRegisterComponent(RegistryTestLabel::StaticClass());
        FAIL() << "unregistered without a registry";
    } catch (const rtl::Exception &e) {
        EXPECT_STREQ(e.what(), "Unable to unregister component classes.");
    }
}

TEST(ProducerSettings, ZoomPercentageIsClampedAndSwitchesToPercentage)
{
    TppPreviewFormSettings settings;
    int changes = 0;
    settings.OnChange.Set([&](classes::TObject *) { ++changes; });
    settings.SetZoomPercentage(300);
    EXPECT_EQ(settings.ZoomPercentage(), 250);
    EXPECT_EQ(settings.ZoomSetting(), TppZoomSettingType::zsPercentage);
    EXPECT_EQ(changes, 2);
    settings.SetZoomPercentage(-5);
    EXPECT_EQ(settings.ZoomPercentage(), 25);

    TppPreviewFormSettings copy;
    copy.OnChange.Set([&](classes::TObject *) { ++changes; });
    copy.CopyFrom(settings);
    EXPECT_EQ(copy.ZoomPercentage(), 25);
    EXPECT_EQ(changes, 4);
}

TEST(ProducerSettings, PreviewSettingsRegisterTheirEnumeratedNames)
{
    {
        ModelLayer layer;
        EXPECT_NE(ppFindEnumType(QStringLiteral("TWindowState")), nullptr);
        EXPECT_NE(ppFindEnumType(QStringLiteral("TppZoomSettingType")), nullptr);
        EXPECT_EQ(classes::GetClass(u"TppPreviewFormSettings"), &TppPreviewFormSettings::StaticClass());
    }
    EXPECT_EQ(classes::GetClass(u"TppPreviewFormSettings"), nullptr);
}

TEST(ProducerSettings, TextSearchIsVisibleOnlyWhenEnabledAndAssignCopiesEverything)
{
    TppTextSearchSettings settings;
    EXPECT_TRUE(settings.Enabled());
    EXPECT_EQ(settings.DefaultString(), QStringLiteral("<FindText>"));
    settings.SetEnabled(false);
    settings.SetVisible(true);
    EXPECT_FALSE(settings.Visible());
    settings.SetEnabled(true);
    settings.SetSearchOnStart(true);
    EXPECT_TRUE(settings.Visible());
    settings.SetCaseSensitive(true);
    settings.SetWholeWord(true);
    settings.SetShowAll(true);
    settings.SetSearchFromCurrentPage(true);
    settings.SetDefaultString(QStringLiteral("abc"));

    TppTextSearchSettings copy;
    copy.Assign(&settings);
    EXPECT_TRUE(copy.SearchOnStart() && copy.Visible() && copy.CaseSensitive() && copy.WholeWord() && copy.ShowAll() &&
                copy.SearchFromCurrentPage());
    EXPECT_EQ(copy.DefaultString(), QStringLiteral("abc"));

    EXPECT_THROW(settings.WalkieTalkie()->Notify(settings.WalkieTalkie(), ppNotify::Remove), ESearchError);
}
