// The printer setup: its defaults, paper helpers and setters, and how the
// printer carries it into its driver settings and back.

#include "tests/support/report/FakePrinters.h"

#include "report/model/printing/PageDef.h"
#include "report/model/printing/Printer.h"
#include "report/model/printing/PrinterList.h"
#include "report/model/printing/PrinterSetup.h"
#include "report/model/printing/PrinterSetupRTTI.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/classes/ObjectText.h"
#include "platform/classes/Reader.h"
#include "platform/classes/Streams.h"
#include "platform/classes/Writer.h"
#include "platform/rtl/FormatSettings.h"

#include <gtest/gtest.h>

using namespace report;
using classes::TPrinterOrientation;
using reporttest::FakePrinters;

namespace {

rtl::TFormatSettings withDecimalSeparator(QChar separator)
{
    rtl::TFormatSettings settings = rtl::FormatSettingsEnUS();
    settings.DecimalSeparator = separator;
    return settings;
}

struct PrinterSetupTest : ::testing::Test
{
    PrinterSetupTest()
    {
        auto &office = fake->add("Office");
        office.capabilities.paperNames << "A5"
                                       << "Envelope DL"
                                       << "A3";
        office.capabilities.paperCodes.insert(office.capabilities.paperCodes.end(), {11, 27, 8});
        office.capabilities.paperWidths.insert(office.capabilities.paperWidths.end(), {1480, 1100, 2970});
        office.capabilities.paperHeights.insert(office.capabilities.paperHeights.end(), {2100, 2200, 4200});
        office.capabilities.copies = 99;
        fake->setDefaultDevice("Office");
        auto &odd = fake->add("OnlyA3");
        odd.capabilities.paperNames = {"A3"};
        odd.capabilities.paperCodes = {8};
        odd.capabilities.paperWidths = {2970};
        odd.capabilities.paperHeights = {4200};
    }

    ScopedScreenPixelsPerInch screen{96};
    FakePrinters fake;
};

TEST_F(PrinterSetupTest, ANewSetupFollowsTheDecimalSeparator)
{
    struct Case
    {
        QChar separator;
        int width, height;
    };
    for (const Case &c : {Case{'.', 215900, 279401}, Case{',', 210000, 297000}}) {
        rtl::ScopedFormatSettings locale(withDecimalSeparator(c.separator));
        TppPrinterSetup setup;
        setup.SetPrinterName("OnlyA3");
        EXPECT_EQ(setup.PageDef()->mmWidth(), c.width);
        EXPECT_EQ(setup.PageDef()->mmHeight(), c.height);
        EXPECT_EQ(setup.PageDef()->mmMarginLeft(), 6350);
        EXPECT_EQ(setup.PageDef()->mmMarginBottom(), 6350);
        EXPECT_EQ(setup.PaperName(), "Custom");
        EXPECT_EQ(setup.BinName(), "Default");
        EXPECT_EQ(setup.Copies(), 1);
        EXPECT_TRUE(setup.Collation());
    }
}

TEST_F(PrinterSetupTest, PaperHelpersWorkOnThePrintersLists)
{
    TppPrinterSetup setup;
    setup.SetUnits(TppUnitType::utMillimeters);
    EXPECT_EQ(setup.PrinterDescription(), "Office");
    setup.SetPaperName("A5");
    EXPECT_EQ(setup.PageDef()->mmWidth(), 148000);
    EXPECT_EQ(setup.PageDef()->mmHeight(), 210000);
    EXPECT_EQ(setup.PaperCode(), 11);
    QString name;
    EXPECT_TRUE(setup.PaperNameFromCode(27, name));
    EXPECT_EQ(name, "Envelope DL");
    EXPECT_FALSE(setup.PaperNameFromCode(12, name));
    setup.PaperNameFromSize(name, 297.5f, 210.5f);
    EXPECT_EQ(name, "A4");
    setup.PaperNameFromSize(name, 298.1f, 210.0f);
    EXPECT_EQ(name, "Custom");
    setup.SetPaperWidth(100);
    EXPECT_EQ(setup.PaperName(), "Custom");
    EXPECT_EQ(setup.PaperCode(), 256);
    // A printer that has the code keeps the paper by its code.
    setup.SetPaperName("A3");
    setup.SetPrinterName("OnlyA3");
    EXPECT_EQ(setup.PaperName(), "A3");
    EXPECT_EQ(setup.PaperCode(), 8);
}

TEST_F(PrinterSetupTest, SettersGuardTheirValuesAndFireOnce)
{
    TppPrinterSetup setup;
    int changes = 0;
    int pageChanges = 0;
    setup.OnChange.Set([&](classes::TObject *) { ++changes; });
    setup.OnPageDefChange.Set([&](classes::TObject *) { ++pageChanges; });
    for (int copies : {0, -1})
        setup.SetCopies(copies);
    EXPECT_EQ(setup.Copies(), 1);
    setup.SetCopies(100000);
    EXPECT_EQ(setup.Copies(), 100000);
    EXPECT_EQ(changes, 1);
    setup.SetBinName("Current");
    EXPECT_EQ(changes, 1); // "Current" is "Default"
    setup.SetMarginLeft(-1);
    EXPECT_EQ(pageChanges, 0);

    const int32_t width = setup.PageDef()->mmWidth();
    const int32_t height = setup.PageDef()->mmHeight();
    setup.SetOrientation(TPrinterOrientation::poLandscape);
    EXPECT_EQ(pageChanges, 1);
    EXPECT_EQ(setup.PageDef()->mmWidth(), height);
    EXPECT_EQ(setup.PageDef()->mmHeight(), width);
    setup.SetOrientation(TPrinterOrientation::poLandscape);
    EXPECT_EQ(pageChanges, 1);

    // A refused change leaves everything as it was.
    setup.OnPageDefChanging.Set([](classes::TObject *, TppPageDef *, bool &allow) { allow = false; });
    setup.SetOrientation(TPrinterOrientation::poPortrait);
    setup.SetMarginTop(2);
    setup.SetPaperName("A5");
    EXPECT_EQ(setup.Orientation(), TPrinterOrientation::poLandscape);
    EXPECT_EQ(setup.PageDef()->mmMarginTop(), 6350);
    EXPECT_EQ(setup.PageDef()->mmWidth(), height);
    EXPECT_EQ(pageChanges, 1);
}

TEST_F(PrinterSetupTest, AnEnvelopeTurnsThePageBeforeItsSizeApplies)
{
    TppPrinterSetup setup;
    setup.SetUnits(TppUnitType::utMMThousandths);
    setup.SetPaperName("Envelope DL");
    EXPECT_EQ(setup.Orientation(), TPrinterOrientation::poLandscape);
    EXPECT_EQ(setup.PageDef()->mmWidth(), 220000);
    EXPECT_EQ(setup.PageDef()->mmHeight(), 110000);
}

TEST_F(PrinterSetupTest, MarginsWiderThanThePaperLeaveANegativePrintableArea)
{
    TppPrinterSetup setup;
    setup.SetUnits(TppUnitType::utMillimeters);
    setup.SetPaperName("A5");
    setup.SetMarginLeft(100);
    setup.SetMarginRight(100);
    EXPECT_FLOAT_EQ(setup.PrintableWidth(), -52);
}

// ---- Reading a setup while its owner reads a stream --------------------------

class TSetupOwner : public classes::TComponent
{
    ZVO_CLASS(TSetupOwner)
public:
    explicit TSetupOwner(classes::TComponent *owner)
        : TComponent(owner)
        , m_setup(this)
    {}
    TppPrinterSetup *PrinterSetup() const { return const_cast<TppPrinterSetup *>(&m_setup); }

private:
    TppPrinterSetup m_setup;
};

const classes::TMetaClass &TSetupOwner::StaticClass()
{
    static const classes::TMetaClass meta =
        classes::MakeClass<TSetupOwner, classes::TComponent>("TSetupOwner", [](classes::TClassBuilder<TSetupOwner> &c) {
            c.Object("PrinterSetup", &TSetupOwner::PrinterSetup);
        });
    return meta;
}

TEST_F(PrinterSetupTest, SizesReadFromAStreamWaitForTheVersionConversion)
{
    rtl::ScopedFormatSettings locale(withDecimalSeparator(','));
    classes::RegisterClass(TSetupOwner::StaticClass());
    const QByteArray text = "object Owner: TSetupOwner\n"
                            "  PrinterSetup.PaperHeight = 10.000000000000000000\n"
                            "  PrinterSetup.PaperWidth = 5.000000000000000000\n"
                            "  PrinterSetup.mmMarginLeft = 1234\n"
                            "  PrinterSetup.PaperSize = 11\n"
                            "end\n";
    classes::TMemoryStream in, binary;
    in.WriteBuffer(text.constData(), text.size());
    in.SetPosition(0);
    classes::ObjectTextToBinary(in, binary);
    binary.SetPosition(0);
    TSetupOwner owner(nullptr);
    classes::TReader reader(binary);
    reader.ReadRootComponent(&owner);
    classes::UnRegisterClass(TSetupOwner::StaticClass());

    TppPrinterSetup &setup = *owner.PrinterSetup();
    EXPECT_EQ(setup.PageDef()->mmWidth(), 210000);
    EXPECT_EQ(setup.PageDef()->mmMarginLeft(), 1234);
    EXPECT_EQ(setup.PendingPaperSize(), 11);
    setup.ApplyLoadedPaperSize();
    EXPECT_EQ(setup.PageDef()->mmWidth(), 127000);
    EXPECT_EQ(setup.PageDef()->mmHeight(), 254001);
    EXPECT_EQ(setup.PaperName(), "A5");
    EXPECT_EQ(setup.PendingPaperSize(), 0);
}

TEST_F(PrinterSetupTest, SizesAndMarginsNearTheIntegerLimitAreHeldWithinAPage)
{
    // A stored report edited by hand: the engine subtracts margins from the
    // paper's size, which must not overflow.
    classes::RegisterClass(TSetupOwner::StaticClass());
    const QByteArray text = "object Owner: TSetupOwner\n"
                            "  PrinterSetup.mmMarginBottom = -2147483648\n"
                            "  PrinterSetup.mmMarginTop = 2147483647\n"
                            "  PrinterSetup.mmPaperHeight = 2147483647\n"
                            "  PrinterSetup.mmPaperWidth = -1\n"
                            "end\n";
    classes::TMemoryStream in, binary;
    in.WriteBuffer(text.constData(), text.size());
    in.SetPosition(0);
    classes::ObjectTextToBinary(in, binary);
    binary.SetPosition(0);
    TSetupOwner owner(nullptr);
    classes::TReader reader(binary);
    reader.ReadRootComponent(&owner);
    classes::UnRegisterClass(TSetupOwner::StaticClass());

    const TppPageDef &def = *owner.PrinterSetup()->PageDef();
    EXPECT_EQ(def.mmMarginBottom(), 0);
    EXPECT_EQ(def.mmMarginTop(), 500000000);
    EXPECT_EQ(def.mmHeight(), 500000000);
    EXPECT_EQ(def.mmWidth(), 0);
    EXPECT_EQ(def.mmPrintableHeight(), 0);

    TppPrinterSetup setup;
    setup.SetUnits(TppUnitType::utInches);
    setup.SetPaperHeight(1e30f);
    setup.SetMarginLeft(1e30f);
    EXPECT_EQ(setup.PageDef()->mmHeight(), 500000000);
    EXPECT_EQ(setup.PageDef()->mmMarginLeft(), 500000000);
}

// ---- Setup and driver settings ------------------------------------------------

TEST_F(PrinterSetupTest, DriverCopiesFollowCollationAndCopiesByDriver)
{
    struct Case
    {
        bool collation, byDriver;
        int copies;
    };
    for (const Case &c : {Case{true, true, 1}, Case{false, true, 3}, Case{false, false, 1}, Case{true, false, 1}}) {
        TppPrinter printer;
        TppPrinterSetup setup;
        setup.SetCopies(3);
        setup.SetCollation(c.collation);
        setup.SetCopiesByDriver(c.byDriver);
        printer.SetPrinterSetup(&setup);
        EXPECT_EQ(printer.DevMode()->copies, c.copies) << c.collation << c.byDriver;
    }
    // Beyond what the settings hold, copies stop at the largest they can carry.
    TppPrinter printer;
    TppPrinterSetup setup;
    setup.SetCopies(100000);
    setup.SetCollation(false);
    setup.SetCopiesByDriver(true);
    printer.SetPrinterSetup(&setup);
    EXPECT_EQ(printer.DevMode()->copies, 32767);
}

TEST_F(PrinterSetupTest, ACustomLandscapePaperWritesItsSizeExchanged)
{
    TppPrinter printer;
    TppPrinterSetup setup;
    setup.SetUnits(TppUnitType::utMillimeters);
    setup.SetOrientation(TPrinterOrientation::poLandscape);
    setup.SetPaperWidth(300);
    setup.SetPaperHeight(100);
    // A bin the printer does not have leaves the bin out of the settings.
    setup.SetBinName("Upper tray");
    EXPECT_EQ(setup.PaperName(), "Custom");
    printer.SetPrinterSetup(&setup);
    const DriverSettings &dm = *printer.DevMode();
    EXPECT_EQ(dm.fields, 0x110Fu);
    EXPECT_EQ(dm.paperSize, 256);
    EXPECT_EQ(dm.orientation, 2);
    EXPECT_EQ(dm.paperWidth, 1000);
    EXPECT_EQ(dm.paperLength, 3000);
}

TEST_F(PrinterSetupTest, SettingsRoundTripThroughTheSetup)
{
    TppPrinter printer;
    printer.SetPrinterName("Office");
    DriverSettings dm = *printer.DevMode();
    dm.fields = 0x1303;
    dm.orientation = 2;
    dm.paperSize = 11;
    dm.duplex = 3;
    dm.defaultSource = 257;
    printer.SetDevMode(dm);
    TppPrinterSetup *setup = printer.GetPrinterSetup();
    EXPECT_EQ(setup->PaperName(), "A5");
    EXPECT_EQ(setup->Orientation(), TPrinterOrientation::poLandscape);
    EXPECT_EQ(setup->Duplex(), TppDuplexType::dpVertical);
    EXPECT_EQ(setup->BinName(), "Tray 1");
    printer.WriteDevMode();
    EXPECT_EQ(*printer.DevMode(), dm);

    // The driver's own bin reads as "Default" and writes back as its code.
    dm.defaultSource = 7;
    printer.SetDevMode(dm);
    EXPECT_EQ(printer.GetPrinterSetup()->BinName(), "Default");
    printer.WriteDevMode();
    EXPECT_EQ(printer.DevMode()->defaultSource, 7);
}

TEST_F(PrinterSetupTest, ACustomSizeComesBackFromTheSettings)
{
    TppPrinter printer;
    printer.SetPrinterName("Office");
    DriverSettings dm = *printer.DevMode();
    dm.fields = 0x130F;
    dm.paperSize = 256;
    dm.orientation = 2;
    dm.paperWidth = 1000;
    dm.paperLength = 3000;
    printer.SetDevMode(dm);
    TppPrinterSetup *setup = printer.GetPrinterSetup();
    setup->SetUnits(TppUnitType::utMillimeters);
    // Read in inches first, through whole screen pixels.
    EXPECT_NEAR(setup->PaperWidth(), 300, 0.1);
    EXPECT_NEAR(setup->PaperHeight(), 100, 0.1);
    printer.WriteDevMode();
    EXPECT_EQ(*printer.DevMode(), dm);
}

TEST_F(PrinterSetupTest, ARefusedDriverLeavesNoSettingsToWrite)
{
    fake->find("Office")->settings.reset();
    ppGetPrinterList()->Refresh();
    TppPrinter printer;
    TppPrinterSetup setup;
    setup.SetCopies(5);
    printer.SetPrinterSetup(&setup);
    EXPECT_FALSE(printer.DevMode().has_value());
    EXPECT_EQ(printer.PrinterSetup()->Copies(), 5);
}

TEST_F(PrinterSetupTest, SetupChangesOfThePrinterReachItsSettings)
{
    TppPrinter printer;
    printer.PrinterSetup()->SetPrinterName("Office");
    printer.PrinterSetup()->SetDuplex(TppDuplexType::dpHorizontal);
    EXPECT_EQ(printer.DevMode()->duplex, 2);
    printer.PrinterSetup()->SetOrientation(TPrinterOrientation::poLandscape);
    EXPECT_EQ(printer.DevMode()->orientation, 2);
    EXPECT_TRUE(printer.PrinterSetup()->IsSamePrinterAndPaper(*printer.PrinterSetup()));
    TppPrinterSetup copy;
    copy.Assign(printer.PrinterSetup());
    EXPECT_TRUE(copy.IsEqual(*printer.PrinterSetup()));
    copy.SetOutputFileName("/tmp/x.pdf");
    EXPECT_FALSE(copy.IsEqual(*printer.PrinterSetup()));
}

// What a script sees of a setup: the published properties and the setup's
// own read-only lists, texts, objects and sizes, with "Units" the one of
// those it may change.
TEST_F(PrinterSetupTest, TheScriptingDescriptorShowsTheSetup)
{
    const TraRTTI &rtti = TraTppPrinterSetupRTTI::Instance();
    EXPECT_EQ(&rtti.RefClass(), &TppPrinterSetup::StaticClass());
    classes::TStringList names;
    rtti.GetPropList(TppPrinterSetup::StaticClass(), names);
    for (const char *name : {"Active", "BinNames", "PaperNames", "PrinterNames", "PrinterDescription", "PrinterInfo",
                             "PageDef", "PrintableHeight", "PrintableWidth", "Units", "PaperName", "Copies", "Assign"})
        EXPECT_GE(names.IndexOf(QString::fromLatin1(name)), 0) << name;

    TraPropRec rec;
    ASSERT_TRUE(rtti.GetPropRec(TppPrinterSetup::StaticClass(), "papernames", rec));
    EXPECT_EQ(rec.ClassType, &classes::TStrings::StaticClass());
    EXPECT_TRUE(rec.ReadOnly);
    ASSERT_TRUE(rtti.GetPropRec(TppPrinterSetup::StaticClass(), "Units", rec));
    EXPECT_EQ(rec.DataType, TraDataType::daEnumerated);
    EXPECT_EQ(rec.TypeName, "TppUnitType");
    EXPECT_FALSE(rec.ReadOnly);
    ASSERT_TRUE(rtti.GetPropRec(TppPrinterSetup::StaticClass(), "PrintableWidth", rec));
    EXPECT_EQ(rec.DataType, TraDataType::daSingle);
    EXPECT_TRUE(rec.ReadOnly);

    TppPrinterSetup setup;
    classes::TObject *object = nullptr;
    ASSERT_TRUE(rtti.GetPropValue(&setup, "PaperNames", &object));
    EXPECT_EQ(object, &setup.PaperNames());
    ASSERT_TRUE(rtti.GetPropValue(&setup, "PageDef", &object));
    EXPECT_EQ(object, setup.PageDef());
    ASSERT_TRUE(rtti.GetPropValue(&setup, "PrinterInfo", &object));
    EXPECT_EQ(object, setup.PrinterInfo());
    QString text;
    ASSERT_TRUE(rtti.GetPropValue(&setup, "PrinterDescription", &text));
    EXPECT_EQ(text, "Office");
    float width = 0;
    ASSERT_TRUE(rtti.GetPropValue(&setup, "PrintableWidth", &width));
    EXPECT_FLOAT_EQ(width, setup.PrintableWidth());

    uint8_t units = uint8_t(TppUnitType::utMillimeters);
    ASSERT_TRUE(rtti.SetPropValue(&setup, "Units", &units));
    EXPECT_EQ(setup.Units(), TppUnitType::utMillimeters);
    bool active = false;
    EXPECT_FALSE(rtti.SetPropValue(&setup, "Active", &active));
    EXPECT_TRUE(setup.Active());
    int32_t copies = 3;
    ASSERT_TRUE(rtti.SetPropValue(&setup, "Copies", &copies));
    EXPECT_EQ(setup.Copies(), 3);
}

} // namespace

TEST_F(PrinterSetupTest, ANewSetupAnswersAndStoresTheCodeOfThePaperItsSizeIs)
{
    struct Case
    {
        QChar separator;
        const char *paper;
        int code;
    };
    classes::RegisterClass(TSetupOwner::StaticClass());
    for (const Case &c : {Case{'.', "Letter", 1}, Case{',', "A4", 9}}) {
        rtl::ScopedFormatSettings locale(withDecimalSeparator(c.separator));
        {
            TppPrinterSetup setup;
            EXPECT_EQ(setup.PaperCode(), c.code) << c.paper;
            EXPECT_EQ(setup.PaperName(), c.paper);
        }
        TSetupOwner owner(nullptr);
        owner.SetName("Owner");
        classes::TMemoryStream binary, text;
        classes::TWriter(binary).WriteRootComponent(&owner);
        binary.SetPosition(0);
        classes::ObjectBinaryToText(binary, text);
        const QByteArray stored(text.Memory(), qsizetype(text.Size()));
        EXPECT_TRUE(stored.contains("PrinterSetup.PaperSize = " + QByteArray::number(c.code))) << stored.toStdString();
    }
    classes::UnRegisterClass(TSetupOwner::StaticClass());

    // A size no paper has stays a size of its own.
    TppPrinterSetup odd;
    odd.SetUnits(TppUnitType::utMillimeters);
    odd.SetPaperWidth(100);
    EXPECT_EQ(odd.PaperCode(), 256);
    EXPECT_EQ(odd.PaperName(), "Custom");
}
