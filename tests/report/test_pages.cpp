#include "tests/support/report/PageFakes.h"

#include "report/model/ModelRegistration.h"
#include "report/model/base/Exceptions.h"
#include "report/model/pages/DeviceRegistry.h"
#include "report/model/printing/PageDef.h"
#include "report/model/printing/PrinterSetup.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Reader.h"
#include "platform/classes/Streams.h"

#include <gtest/gtest.h>

#include <memory>

using namespace report;
using namespace reporttest;

namespace {

class Pages : public ::testing::Test
{
protected:
    StandInCommandClasses registered;
};

// A program's own command class, which nobody registered.
class UnlistedCommand : public TppDrawCommand
{
    ZVO_CLASS(UnlistedCommand)
public:
    explicit UnlistedCommand(classes::TComponent *aOwner = nullptr)
        : TppDrawCommand(aOwner)
    {}
    void Assign(const classes::TPersistent *source) override
    {
        TppDrawCommand::Assign(source);
        if (const auto *other = dynamic_cast<const UnlistedCommand *>(source))
            Stamp = other->Stamp;
    }
    QString Stamp;
};

const classes::TMetaClass &UnlistedCommand::StaticClass()
{
    static const classes::TMetaClass meta = classes::MakeClass<UnlistedCommand, TppDrawCommand>("UnlistedCommand");
    return meta;
}

// A command class that cannot be made without more than an owner.
class UnmadeCommand : public TppDrawCommand
{
    ZVO_CLASS(UnmadeCommand)
public:
    explicit UnmadeCommand(int)
        : TppDrawCommand(nullptr)
    {}
};

const classes::TMetaClass &UnmadeCommand::StaticClass()
{
    static const classes::TMetaClass meta = classes::MakeClass<UnmadeCommand, TppDrawCommand>("UnmadeCommand");
    return meta;
}

void expectSameCommands(const TppPage &a, const TppPage &b)
{
    ASSERT_EQ(a.DrawCommandCount(), b.DrawCommandCount());
    for (int i = 0; i < a.DrawCommandCount(); ++i) {
        EXPECT_NE(a.DrawCommands(i), b.DrawCommands(i));
        EXPECT_EQ(&a.DrawCommands(i)->ClassType(), &b.DrawCommands(i)->ClassType()) << i;
        EXPECT_TRUE(a.DrawCommands(i)->IsEqual(b.DrawCommands(i))) << i;
    }
}

// Gives every page value one that no default has.
void fillPageValues(TppPage &aPage)
{
    aPage.SetAbsolutePageNo(7);
    aPage.SetAbsolutePageCount(12);
    aPage.SetCalculation(true);
    aPage.SetColor(0x123456);
    aPage.SetControlGroupBreakNo(3);
    aPage.SetDocumentName("Ledger");
    aPage.SetFirstPage(true);
    aPage.SetFinal(true);
    aPage.SetLanguageIndex(2);
    aPage.SetLastPage(true);
    aPage.SetPageNo(4);
    aPage.SetPageCount(5);
    aPage.SetPassSetting(TppPassSettingType::psTwoPass);
    aPage.SetPrintDateTime(46000.5);
    aPage.PrinterSetup()->SetDocumentName("Ledger setup");
}

void expectPageValues(const TppPage &aPage)
{
    EXPECT_EQ(aPage.AbsolutePageNo(), 7);
    EXPECT_EQ(aPage.AbsolutePageCount(), 12);
    EXPECT_TRUE(aPage.Calculation());
    EXPECT_EQ(aPage.Color(), 0x123456);
    EXPECT_EQ(aPage.ControlGroupBreakNo(), 3);
    EXPECT_EQ(aPage.DocumentName(), "Ledger");
    EXPECT_TRUE(aPage.FirstPage());
    EXPECT_TRUE(aPage.Final());
    EXPECT_EQ(aPage.LanguageIndex(), 2);
    EXPECT_TRUE(aPage.LastPage());
    EXPECT_EQ(aPage.PageNo(), 4);
    EXPECT_EQ(aPage.PageCount(), 5);
    EXPECT_EQ(aPage.PassSetting(), TppPassSettingType::psTwoPass);
    EXPECT_EQ(aPage.PrintDateTime(), 46000.5);
    EXPECT_EQ(aPage.PrinterSetup()->DocumentName(), "Ledger setup");
}

} // namespace

TEST_F(Pages, ACopyClonesEveryCommandAndOutlivesItsSource)
{
    auto source = makePage(3, 6);
    fillPageValues(*source);
    source->DrawCommands(1)->SetClickable(true);
    (new StandInRecalcCommand())->SetPage(source.get());
    const int livingBefore = TppLiveCount<TppDrawCommand>::Count();

    TppPage copy;
    (new StandInTextCommand())->SetPage(&copy); // replaced by the copy's commands
    copy.Assign(source.get());
    expectSameCommands(*source, copy);
    expectPageValues(copy);
    EXPECT_EQ(copy.ClickableDrawCommandCount(), 1);
    EXPECT_TRUE(copy.HasRecalcDrawCommands());
    EXPECT_EQ(copy.DrawCommands(0)->Page(), &copy);
    EXPECT_EQ(copy.DrawCommands(0)->Owner(), &copy);
    EXPECT_EQ(TppLiveCount<TppDrawCommand>::Count(), livingBefore + 7);

    source.reset();
    EXPECT_EQ(copy.DrawCommandCount(), 7);
    EXPECT_EQ(static_cast<StandInTextCommand *>(copy.DrawCommands(0))->Text, "Line 0 of page 3");
}

TEST_F(Pages, ACommandCopiesWhatItShowsButNotWhereItBelongs)
{
    auto page = makePage(1, 0);
    StandInTextCommand source;
    int clicks = 0;
    source.OnClick.Set([&](classes::TObject *) { ++clicks; });
    auto *band = reinterpret_cast<TppBand *>(&source); // only compared
    source.SetBand(band);
    source.SetClickable(true);
    source.SetDataType(TppDataType::dtInteger);
    source.SetDrawLeft(1);
    source.SetDrawTop(2);
    source.SetDrawRight(3);
    source.SetDrawBottom(4);
    source.SetCommandText("total");
    source.SetLeft(10);
    source.SetTop(20);
    source.SetWidth(30);
    source.SetHeight(40);
    source.SetTag(7);
    source.SetRedrawPage(true);
    source.SetPrintableArea({5, 5, 100, 100});
    source.SetPage(page.get());

    StandInTextCommand copy;
    copy.Assign(&source);
    EXPECT_EQ(copy.Band(), band);
    EXPECT_TRUE(copy.Clickable());
    EXPECT_EQ(copy.DataType(), TppDataType::dtInteger);
    EXPECT_EQ(copy.DrawRect(), source.DrawRect());
    EXPECT_EQ(copy.CommandText(), "total");
    EXPECT_TRUE(copy.IsEqual(&source));
    EXPECT_EQ(copy.Tag(), 7);
    copy.DoOnClick();
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(copy.Page(), nullptr);
    EXPECT_FALSE(copy.RedrawPage());
    EXPECT_EQ(copy.PrintableArea(), rtl::TRect());

    // Geometry alone decides equality in the base.
    copy.SetHeight(41);
    EXPECT_FALSE(copy.IsEqual(&source));
    EXPECT_EQ(page->FindDrawCommand(StandInTextCommand::StaticClass()), &source);
    EXPECT_EQ(page->FindDrawCommand(StandInLineCommand::StaticClass()), nullptr);
    source.SetPage(nullptr);
}

// A program's own command, registered or not, is copied as what it is; only
// a class that cannot be made stops the copy, before either page changes.
TEST_F(Pages, ACopyKeepsAProgramsOwnCommandClassAndRefusesOnlyOneItCannotMake)
{
    auto source = makePage(1, 2);
    auto *own = new UnlistedCommand();
    own->Stamp = "approved";
    own->SetPage(source.get());
    TppPage copy;
    copy.Assign(source.get());
    expectSameCommands(*source, copy);
    ASSERT_EQ(&copy.DrawCommands(2)->ClassType(), &UnlistedCommand::StaticClass());
    EXPECT_EQ(static_cast<UnlistedCommand *>(copy.DrawCommands(2))->Stamp, "approved");

    (new UnmadeCommand(0))->SetPage(source.get());
    auto target = makePage(9, 4);
    EXPECT_THROW(target->Assign(source.get()), EBrevantorError);
    EXPECT_EQ(source->DrawCommandCount(), 4);
    EXPECT_EQ(target->DrawCommandCount(), 4);
    EXPECT_EQ(target->AbsolutePageNo(), 9);
}

TEST_F(Pages, ACommandBelongsToOnePageAtATime)
{
    auto first = makePage(1, 0);
    auto second = makePage(2, 0);
    auto *command = new StandInTextCommand();
    command->SetClickable(true);
    first->AddDrawCommand(command);
    first->AddDrawCommand(command);
    EXPECT_EQ(first->DrawCommandCount(), 1);
    EXPECT_EQ(first->ClickableDrawCommandCount(), 1);

    second->AddDrawCommand(command);
    EXPECT_EQ(first->DrawCommandCount(), 0);
    EXPECT_EQ(first->ClickableDrawCommandCount(), 0);
    EXPECT_EQ(second->DrawCommandCount(), 1);
    EXPECT_EQ(command->Owner(), second.get());
    EXPECT_EQ(first->ComponentCount(), 0);

    // A parent set through the tree still means the page.
    command->SetParent(first.get());
    EXPECT_EQ(command->Page(), first.get());
    EXPECT_EQ(second->DrawCommandCount(), 0);

    first->RemoveDrawCommand(command);
    EXPECT_EQ(command->Page(), nullptr);
    EXPECT_EQ(command->Owner(), nullptr);
    delete command;
    EXPECT_EQ(first->DrawCommandCount(), 0);
}

TEST_F(Pages, OnlyOneOutlineCommandFitsOnAPage)
{
    auto page = makePage(1, 1);
    auto other = makePage(2, 0);
    auto *outline = new StandInOutlineCommand();
    page->AddDrawCommand(outline);
    EXPECT_EQ(page->OutlineDrawCommand(), outline);

    auto *second = new StandInOutlineCommand();
    other->AddDrawCommand(second);
    try {
        page->AddDrawCommand(second);
        FAIL() << "a second outline command was taken";
    } catch (const EOutlineError &e) {
        EXPECT_EQ(e.Message(), "TppPage.AddDrawCommand: Cannot add more than one draw outline command per page.");
    }
    EXPECT_EQ(second->Page(), other.get());
    EXPECT_EQ(page->DrawCommandCount(), 2);

    // Moved through its page property, the refused command stays where it was.
    EXPECT_THROW(second->SetPage(page.get()), EOutlineError);
    EXPECT_EQ(second->Page(), other.get());
    EXPECT_EQ(second->Owner(), other.get());
    EXPECT_EQ(other->OutlineDrawCommand(), second);
}

TEST_F(Pages, ClearFreesTheCommandsAndZeroesTheNumbers)
{
    auto page = makePage(4, 5);
    page->SetLastPage(true);
    page->SetDocumentName("Invoices");
    page->SetColor(0x00FF00);
    const int living = TppLiveCount<TppDrawCommand>::Count();
    page->Clear();
    EXPECT_EQ(TppLiveCount<TppDrawCommand>::Count(), living - 5);
    EXPECT_EQ(page->AbsolutePageNo(), 0);
    EXPECT_FALSE(page->LastPage());
    EXPECT_FALSE(page->Final());
    EXPECT_TRUE(page->DocumentName().isEmpty());
    EXPECT_EQ(page->Color(), 0x00FF00);
}

TEST_F(Pages, APageDrawsOnlyTheCommandsThatStartOnIt)
{
    auto page = makePage(1, 0);
    page->PageDef()->SetmmWidth(210000);
    page->PageDef()->SetmmHeight(297000);
    const struct
    {
        int left, top;
    } places[] = {{1000, 1000}, {210000, 297000}, {210001, 5}, {5, 297001}, {-50, -50}};
    for (const auto &p : places) {
        auto *command = new StandInLineCommand();
        command->SetLeft(p.left);
        command->SetTop(p.top);
        command->SetPage(page.get());
    }
    RecordingDevice device;
    device.DrawPage(page.get());
    EXPECT_EQ(device.Drawn, (QList<int>{1000, 210000, -50}));
}

TEST_F(Pages, RecalculationRedrawsOnlyTheCommandsThatChanged)
{
    auto page = makePage(1, 2);
    auto *changes = new StandInRecalcCommand();
    changes->SetLeft(1);
    auto *stays = new StandInRecalcCommand();
    stays->SetLeft(2);
    stays->Changes = false;
    changes->SetPage(page.get());
    stays->SetPage(page.get());
    RecordingDevice device;
    page->RecalcDrawCommands(&device);
    EXPECT_EQ(device.Redrawn, QList<int>{1});
    EXPECT_EQ(changes->Recalculations, 1);
    EXPECT_EQ(stays->Recalculations, 1);

    page->RemoveDrawCommand(changes);
    page->RemoveDrawCommand(stays);
    EXPECT_FALSE(page->HasRecalcDrawCommands());
    delete changes;
    delete stays;
}

TEST_F(Pages, APageOfFiftyCommandsComesBackFromItsStream)
{
    auto page = makePage(7, 50);
    fillPageValues(*page);
    page->DrawCommands(3)->SetClickable(true);

    classes::TMemoryStream stream;
    stream.WriteComponent(page.get());
    stream.SetPosition(0);
    TppPage read;
    classes::TReader(stream).ReadRootComponent(&read);

    expectSameCommands(*page, read);
    expectPageValues(read);
    EXPECT_EQ(read.ClickableDrawCommandCount(), 1);
    EXPECT_EQ(read.DrawCommands(0)->Owner(), &read);
}

TEST_F(Pages, ScriptsRemoveCommandsAndMoveThemBetweenPages)
{
    ppModelLayerInit();
    auto page = makePage(1, 2);
    auto other = makePage(2, 0);
    TppDrawCommand *command = page->DrawCommands(0);

    TraParamList params;
    params.AddParam("aDrawCommand", TraDataType::daClass);
    classes::TObject *argument = command;
    params.SetParamValuePointer(0, &argument);
    const TraRTTI *pageRTTI = raFindRTTI("TppPage");
    ASSERT_NE(pageRTTI, nullptr);
    EXPECT_TRUE(pageRTTI->CallMethod(page.get(), "removedrawcommand", params));
    EXPECT_EQ(page->DrawCommandCount(), 1);

    const TraRTTI *commandRTTI = raFindRTTI("TppDrawCommand");
    ASSERT_NE(commandRTTI, nullptr);
    classes::TObject *target = other.get();
    EXPECT_TRUE(commandRTTI->SetPropValue(command, "PAGE", &target));
    EXPECT_EQ(command->Page(), other.get());
    bool clickable = true;
    EXPECT_TRUE(commandRTTI->SetPropValue(command, "Clickable", &clickable));
    EXPECT_EQ(other->ClickableDrawCommandCount(), 1);
    EXPECT_EQ(page->PageNoDescription(), "Page 1");
    other->SetAbsolutePageCount(12);
    EXPECT_EQ(other->PageNoOfCountDescription(), "Page 2 of 12");
    ppModelLayerFinalize();
}

TEST(DeviceRegistry, DevicesAreFoundByNameWithoutRegardToCase)
{
    ppRegisterDevice(&ppDeviceClass<ScreenStandInDevice>());
    ppRegisterDevice(&ppDeviceClass<PrinterStandInDevice>());
    ppRegisterDevice(&ppDeviceClass<PrinterStandInDevice>());
    ASSERT_EQ(ppGetDeviceClassList().size(), 2u);
    EXPECT_EQ(ppGetDeviceClassList()[0]->deviceName(), "Screen");
    EXPECT_EQ(ppGetDeviceClassList()[1]->deviceName(), "Printer");
    const TppDeviceClass *printer = ppGetDeviceClass("printer");
    ASSERT_NE(printer, nullptr);
    EXPECT_EQ(printer->deviceName(), "Printer");
    EXPECT_EQ(printer->className(), "PrinterStandInDevice");
    EXPECT_EQ(ppGetDeviceClass("SCREEN")->className(), "TppScreenDevice");
    EXPECT_EQ(classes::GetClass(u"TppScreenDevice"), &ScreenStandInDevice::StaticClass());
    std::unique_ptr<TppDevice> made(printer->Create(nullptr));
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->DeviceName(), "Printer");
    EXPECT_EQ(ppDeviceClass<RecordingDevice>().deviceName(), "RecordingDevice");

    ppUnRegisterDevice(&ppDeviceClass<ScreenStandInDevice>());
    ppUnRegisterDevice(&ppDeviceClass<PrinterStandInDevice>());
    EXPECT_EQ(ppGetDeviceClass("Printer"), nullptr);
    EXPECT_EQ(classes::GetClass(u"TppScreenDevice"), nullptr);
}

TEST(DeviceRegistry, ScreenFontsReplaceTheOldSystemFontsExactlyByName)
{
    const struct
    {
        const char *name, *shown;
    } cases[] = {
        {"Courier", "Courier New"},
        {"MS Serif", "Courier New"},
        {"MS Sans Serif", "Arial"},
        {"Fixedsys", "Arial"},
        {"Modern", "Arial"},
        {"Small Fonts", "Arial"},
        {"System", "Arial"},
        {"Terminal", "Arial"},
        {"courier", "courier"},
        {"Times New Roman", "Times New Roman"},
        {"", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(TppDeviceSubstitutions::SubstituteFont(c.name), c.shown) << c.name;
}

TEST(Devices, SettingsThatTheStateForbidsAreIgnored)
{
    RecordingDevice device;
    device.StartJob();
    device.SetActive(false);
    EXPECT_TRUE(device.Active());
    device.StartJob();
    EXPECT_EQ(device.Calls, (QStringList{"StartJob", "StartJob"}));
    device.CancelJob();
    EXPECT_TRUE(device.Cancelled());
    EXPECT_FALSE(device.Busy());
    device.Reset();
    EXPECT_FALSE(device.Cancelled());

    TppPublisher publisher;
    device.SetPublisher(&publisher);
    device.SetExclusive(true);
    device.SetExclusiveGroup("Preview");
    EXPECT_FALSE(device.Exclusive());
    EXPECT_TRUE(device.ExclusiveGroup().isEmpty());
}

TEST(Devices, TheJobProtocolFiresEachEventOnlyWhenTheStateChanges)
{
    RecordingDevice device;
    QStringList fired;
    device.OnStartJob.Set([&](classes::TObject *) { fired.append("start"); });
    device.OnEndJob.Set([&](classes::TObject *) { fired.append("end"); });
    device.OnCancelJob.Set([&](classes::TObject *) { fired.append("cancel"); });
    device.EndJob(); // not busy
    device.StartJob();
    device.StartJob();
    device.SetPageRequestPending(false);
    device.EndJob();
    EXPECT_TRUE(device.PageRequestPending());
    device.StartJob();
    device.CancelJob();
    device.EndJob(); // cancelled: no longer busy
    EXPECT_EQ(fired, (QStringList{"start", "end", "start", "cancel"}));
    EXPECT_TRUE(device.Cancelled());

    // Exclusive settings wait for the job to end, too.
    device.StartJob();
    device.SetExclusive(true);
    device.SetExclusiveGroup("Preview");
    EXPECT_FALSE(device.Exclusive());
    EXPECT_TRUE(device.ExclusiveGroup().isEmpty());
    device.EndJob();
    device.SetExclusive(true);
    EXPECT_TRUE(device.Exclusive());

    device.CancelJob();
    device.wantPage(3);
    device.SetPageRequestPending(false);
    device.Reset();
    EXPECT_FALSE(device.Cancelled());
    EXPECT_TRUE(device.PageRequestPending());
    EXPECT_EQ(device.PageRequest()->PageSetting(), TppPageSettingType::psAll);
}
