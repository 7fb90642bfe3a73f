#include "tests/support/report/BandFakes.h"
#include "tests/support/report/MemoryPipeline.h"

#include "report/content/ContentRegistration.h"
#include "report/content/barcodes/BarCode.h"
#include "report/content/barcodes/BarCodeRTTI.h"
#include "report/content/barcodes/BarCodeRules.h"
#include "report/content/barcodes/Code128.h"
#include "report/content/barcodes/DrawBarCode.h"
#include "report/model/ModelRegistration.h"
#include "report/model/bands/DetailBand.h"
#include "report/model/base/Messages.h"
#include "report/model/base/Units.h"
#include "report/model/components/ComponentRegistry.h"
#include "report/model/forms/DialogServices.h"

#include "platform/classes/ObjectText.h"
#include "platform/classes/Reader.h"
#include "platform/classes/Streams.h"
#include "platform/classes/Writer.h"
#include "platform/gfx/Canvas.h"

#include <gtest/gtest.h>

#include <QImage>

#include <functional>

using namespace report;
using namespace reporttest;
using namespace Qt::Literals::StringLiterals;
using T = TppBarCodeType;

namespace {

// A bar code read from a template's text form; aOnError may pass over bad
// values.
void readBarCode(TppBarCode &aBarCode, const QByteArray &aText,
                 std::function<void(classes::TReader &, const std::exception &, bool &)> aOnError = {})
{
    classes::TMemoryStream source;
    source.WriteBuffer(aText.constData(), aText.size());
    source.SetPosition(0);
    classes::TMemoryStream binary;
    classes::ObjectTextToBinary(source, binary);
    binary.SetPosition(0);
    classes::TReader reader(binary);
    reader.OnError = std::move(aOnError);
    reader.ReadRootComponent(&aBarCode);
}

class BarCodeControls : public ::testing::Test
{
protected:
    BarCodeControls() { ppModelLayerInit(); }

    // The message numbers shown since the last call, by their texts.
    std::vector<int> messages()
    {
        std::vector<int> ids;
        for (const QString &text : shown) {
            int id = -1;
            for (int n : {423, 424, 425, 426, 427, 428, 429})
                if (text == ppLoadStr(n) || text.startsWith(ppLoadStr(n).section(u'<', 0, 0)))
                    id = n;
            ids.push_back(id);
        }
        shown.clear();
        return ids;
    }

    ScopedScreenPixelsPerInch screen{96};
    QStringList shown;
    ScopedDialogServices services{{{}, [this](const TppMessageRequest &aRequest) {
                                       shown.append(aRequest.text);
                                       return 1;
                                   }}};
};

TEST_F(BarCodeControls, ANewBarCodeStartsAsCode39InAnInchAndAHalf)
{
    TppBarCode bc;
    EXPECT_EQ(bc.BarCodeType(), T::bcCode39);
    EXPECT_EQ(bc.Data(), u"Barcode"_s);
    EXPECT_EQ(bc.mmBarWidth(), 254);
    EXPECT_FLOAT_EQ(bc.WideBarRatio(), 3.0f);
    EXPECT_EQ(bc.mmWideBarRatio(), 76200);
    EXPECT_EQ(bc.Color(), 0xFFFFFFu);
    EXPECT_EQ(bc.Font()->Name(), u"Courier New"_s);
    EXPECT_TRUE(bc.AutoSize());
    EXPECT_EQ(bc.mmWidth(), 38862);
    EXPECT_EQ(bc.mmHeight(), 12911);
}

// Each change of symbology brings its sample data and its bar width, even
// over data that was valid for the new type.
TEST_F(BarCodeControls, ChangingTheSymbologyShowsItsSampleData)
{
    TppBarCode bc;
    bc.SetAutoSize(false);
    const std::tuple<T, QString, int32_t> cases[] = {
        {T::bcUPC_A, u"01234567890"_s, 330},    {T::bcUPC_E, u"012345"_s, 330},
        {T::bcEAN_13, u"0012345678905"_s, 330}, {T::bcEAN_8, u"20123451"_s, 330},
        {T::bcInt2of5, u"0123456789"_s, 381},   {T::bcCode39, u"BarCode"_s, 254},
        {T::bcPostnet, u"012345678"_s, 508},    {T::bcFIM, u"A"_s, 787},
        {T::bcCodabar, u"A01234B"_s, 254},      {T::bcMSI, u"0139725"_s, 254},
    };
    for (const auto &[type, sample, width] : cases) {
        bc.SetBarCodeType(type);
        EXPECT_EQ(bc.Data(), sample) << int(type);
        EXPECT_EQ(bc.mmBarWidth(), width) << int(type);
        EXPECT_TRUE(bc.CodeOK());
    }
    bc.SetBarCodeType(T::bcCode128);
    EXPECT_EQ(bc.Data(), QChar(code128::START_C) + u"1234"_s + QChar(code128::CODE_B) + u" abcd"_s);
    EXPECT_TRUE(bc.AutoEncode());
    bc.SetCalcCheckDigit(false);
    bc.SetBarCodeType(T::bcUPC_E);
    EXPECT_EQ(bc.Data(), u"0123457"_s);
    bc.SetBarCodeType(T::bcEAN_8);
    bc.SetData(u"96385074"_s);
    bc.SetBarCodeType(T::bcEAN_13);
    bc.SetBarCodeType(T::bcEAN_8);
    EXPECT_EQ(bc.Data(), u"20123451"_s);
    TppDBBarCode db;
    db.SetBarCodeType(T::bcUPC_A);
    db.SetBarCodeType(T::bcCode39);
    EXPECT_EQ(db.Data(), u"DBBarCode"_s);
    EXPECT_TRUE(shown.isEmpty());
}

TEST_F(BarCodeControls, RefusedSettingsKeepTheOldValueAndSayWhy)
{
    TppBarCode bc;
    bc.SetBarCodeType(T::bcPostnet);
    EXPECT_FALSE(bc.PrintHumanReadable());
    EXPECT_TRUE(bc.AutoSize());
    bc.SetAutoSize(false);
    EXPECT_TRUE(bc.AutoSize());
    EXPECT_EQ(messages(), std::vector<int>{425});

    bc.SetBarCodeType(T::bcCode39);
    bc.SetAddOnCode(u"12"_s);
    EXPECT_EQ(bc.AddOnCode(), QString());
    bc.SetBearerBars(true);
    EXPECT_FALSE(bc.BearerBars());
    bc.SetAutoEncode(true); // silently ignored
    EXPECT_FALSE(bc.AutoEncode());
    EXPECT_EQ(messages(), (std::vector<int>{423, 429}));

    bc.SetBarCodeType(T::bcUPC_A);
    bc.SetAddOnCode(u"123"_s);
    EXPECT_EQ(bc.AddOnCode(), QString());
    bc.SetAutoSizeFont(false);
    EXPECT_TRUE(bc.AutoSizeFont());
    bc.SetAddOnCode(u"12345"_s);
    EXPECT_EQ(bc.AddOnCode(), u"12345"_s);
    bc.SetAddOnCode(QString());
    EXPECT_EQ(bc.AddOnCode(), QString());
    EXPECT_EQ(messages(), (std::vector<int>{424, 426}));
    // The encoder reads digits only: a letter would drop the add-on unseen.
    bc.SetBarCodeType(T::bcEAN_13);
    bc.SetAddOnCode(u"1A"_s);
    bc.SetAddOnCode(u"1234 "_s);
    EXPECT_EQ(bc.AddOnCode(), QString());
    EXPECT_EQ(messages(), (std::vector<int>{424, 424}));

    // Widths in inches: 0.004 and 0.1 are the limits.
    bc.SetUnits(TppUnitType::utInches);
    bc.SetBarWidth(0.003f);
    bc.SetBarWidth(0.2f);
    EXPECT_EQ(bc.mmBarWidth(), 330);
    EXPECT_EQ(messages(), (std::vector<int>{427, 428}));
    bc.SetBarWidth(0.004f);
    EXPECT_EQ(bc.mmBarWidth(), 102);
    bc.SetBarWidth(0.1f);
    EXPECT_EQ(bc.mmBarWidth(), 2540);
    bc.SetWideBarRatio(0);
    bc.SetWideBarRatio(-2);
    EXPECT_FLOAT_EQ(bc.WideBarRatio(), 3.0f);
    bc.SetWideBarRatio(2.5f);
    EXPECT_FLOAT_EQ(bc.WideBarRatio(), 2.5f);
    EXPECT_TRUE(messages().empty());
}

TEST_F(BarCodeControls, DataIsValidatedPerSymbology)
{
    struct Case
    {
        T type;
        QString data;
        bool calc;
        int message; // 0: valid
    } cases[] = {
        {T::bcUPC_A, u"0123456789"_s, true, 438},
        {T::bcUPC_A, u"01234567890"_s, false, 439},
        {T::bcUPC_A, u"0123456789a"_s, true, 440},
        {T::bcUPC_A, u"012345678905"_s, false, 0},
        {T::bcUPC_E, u"01234"_s, true, 648},
        {T::bcUPC_E, u"012345"_s, false, 649},
        {T::bcUPC_E, u"01234x"_s, true, 650},
        {T::bcEAN_13, u"12345678901"_s, true, 431},
        {T::bcEAN_13, u"400638133393"_s, false, 432},
        {T::bcEAN_13, u"40063813339x"_s, true, 433},
        {T::bcEAN_8, u"123456789"_s, true, 645},
        {T::bcEAN_8, u"9638507"_s, false, 646},
        {T::bcEAN_8, u"963850x"_s, true, 647},
        {T::bcInt2of5, u"12a4"_s, true, 434},
        {T::bcInt2of5, u"123"_s, false, 435},
        {T::bcInt2of5, u"123"_s, true, 0},
        {T::bcCode39, u"*AB-c12*"_s, true, 0},
        {T::bcCode39, u"AB*C"_s, true, 430},
        {T::bcCode39, u"AB#"_s, true, 430},
        {T::bcCode39, u"*"_s, true, 430},  // start and stop at once
        {T::bcCode39, u"**"_s, true, 430}, // start and stop around nothing
        {T::bcCode39, u"*A*"_s, true, 0},
        {T::bcPostnet, u"12345-6789"_s, true, 0},
        {T::bcPostnet, u"1234"_s, true, 436},
        {T::bcPostnet, u"12a45"_s, true, 437},
        {T::bcFIM, u"b"_s, true, 0},
        {T::bcFIM, u"D"_s, true, 651},
        {T::bcFIM, u"AB"_s, true, 651},
        {T::bcCodabar, u"a123d"_s, true, 0},
        {T::bcCodabar, u"A12#B"_s, true, 652},
        {T::bcCodabar, u"A1234"_s, true, 653},
        {T::bcCodabar, u"A12C34B"_s, true, 654},
        {T::bcCode128, u"anything"_s, true, 0},
        {T::bcMSI, u""_s, true, 0},
        // A character beyond the basic plane is one character, never two digits' room.
        {T::bcEAN_8, u"1234567\U0001F600"_s, true, 647},
        {T::bcUPC_E, u"12345\U0001F600"_s, false, 649},
        {T::bcUPC_A, u"0123456789\U0001F600"_s, true, 440},
        {T::bcEAN_13, u"123456789012\U00020000"_s, true, 433},
        {T::bcInt2of5, u"1\U0001F600"_s, true, 434},
        {T::bcCode39, u"*A\U0001F600*"_s, true, 430},
        {T::bcPostnet, u"12345\U0001F600"_s, true, 437},
        {T::bcFIM, u"\U0001F600"_s, true, 651},
    };
    for (const Case &c : cases) {
        const BarCodeValidation v = ppValidateBarCodeData(c.type, c.data, c.calc);
        EXPECT_EQ(v.Valid, c.message == 0) << c.data.toStdString();
        EXPECT_EQ(v.Message, c.message) << c.data.toStdString();
    }
    const BarCodeValidation codabar = ppValidateBarCodeData(T::bcCodabar, u"A12C34B"_s, true);
    EXPECT_EQ(codabar.Text, ppLoadStr(654) + u" "_s + ppLoadStr(655));
    EXPECT_FALSE(codabar.Text.trimmed().isEmpty());
    EXPECT_EQ(ppValidateBarCodeData(T::bcMSI, u"12a"_s, true).Text, u"MSI Barcodes must be numeric"_s);

    // Invalid data is kept, marked and told.
    TppBarCode bc;
    bc.SetData(u"AB*C"_s);
    EXPECT_EQ(bc.Data(), u"AB*C"_s);
    EXPECT_FALSE(bc.CodeOK());
    EXPECT_EQ(shown, QStringList{ppLoadStr(430)});
}

TEST_F(BarCodeControls, AutoSizeMeasuresTheSymbolAtThePrinterResolution)
{
    TppBarCode bc;
    bc.SetBarCodeType(T::bcPostnet);
    // An eighth of an inch high (3175 thousandths of a millimetre).
    EXPECT_EQ(bc.mmHeight(), 3175);
    bc.SetBarCodeType(T::bcCode39);
    const int32_t across = bc.mmWidth(), high = bc.mmHeight();
    bc.SetOrientation(TppBarCodeOrientation::orTopToBottom);
    EXPECT_EQ(bc.mmWidth(), high);
    EXPECT_EQ(bc.mmHeight(), across);
    // Grouped changes measure once, at the end.
    bc.BeginUpdate();
    bc.SetOrientation(TppBarCodeOrientation::orLeftToRight);
    EXPECT_EQ(bc.mmWidth(), high);
    bc.EndUpdate();
    EXPECT_EQ(bc.mmWidth(), across);
    bc.EndUpdate(); // not below zero
    EXPECT_EQ(bc.UpdateCount(), 0);
}

TEST_F(BarCodeControls, TheDrawCommandCarriesTheSettings)
{
    TppBarCode bc;
    bc.SetBarCodeType(T::bcEAN_13);
    bc.SetAddOnCode(u"12"_s);
    bc.SetBarColor(0x0000FF);
    EXPECT_EQ(bc.Font()->Color(), 0x0000FFu);
    bc.Font()->SetColor(0x00FF00);
    bc.FontChange();
    EXPECT_EQ(bc.BarColor(), 0x00FF00u);
    bc.SetOrientation(TppBarCodeOrientation::orRightToLeft);
    TppDrawBarCode cmd;
    bc.PropertiesToDrawCommand(&cmd);
    EXPECT_EQ(cmd.BarCodeType(), T::bcEAN_13);
    EXPECT_EQ(cmd.Data(), u"0012345678905"_s);
    EXPECT_EQ(cmd.AddOnCode(), u"12"_s);
    EXPECT_EQ(cmd.BarColor(), 0x00FF00u);
    EXPECT_EQ(cmd.BarWidth(), 330);
    EXPECT_EQ(cmd.Orientation(), TppBarCodeOrientation::orRightToLeft);
    EXPECT_FLOAT_EQ(cmd.WideBarRatio(), 3.0f);
    EXPECT_TRUE(cmd.CodeOK());
    EXPECT_EQ(cmd.Width(), bc.mmWidth());
    bc.SetTransparent(true);
    EXPECT_TRUE(bc.IsOpaque());
    bc.Font()->SetColor(0xFFFFFF);
    EXPECT_FALSE(bc.IsOpaque());
}

TEST_F(BarCodeControls, StoredWidthsAndRatiosLoadAsIntegersOrFloats)
{
    const struct
    {
        const char *width;
        int32_t expected;
    } widths[] = {{"381", 381}, {"330.6", 331}, {"0", 0}, {"-5", -5}, {"2147483648", INT32_MAX}};
    for (const auto &w : widths) {
        const QByteArray text = QByteArray("object TppBarCode\n  BarCodeType = bcEAN_13\n  AddOnCode = '12345'\n"
                                           "  Data = '4006381333931'\n  mmBarWidth = ") +
                                w.width + "\n  mmWideBarRatio = 63500.4\nend\n";
        TppBarCode bc;
        readBarCode(bc, text);
        EXPECT_EQ(bc.mmBarWidth(), w.expected) << w.width;
        EXPECT_EQ(bc.mmWideBarRatio(), 63500);
        EXPECT_EQ(bc.AddOnCode(), u"12345"_s);
        EXPECT_EQ(bc.Data(), u"4006381333931"_s);
    }
    EXPECT_TRUE(shown.isEmpty());
}

TEST_F(BarCodeControls, InvalidDataShowsADashedFrameInTheDesigner)
{
    TppBarCode bc;
    bc.SetAutoSize(false);
    bc.SetSpBounds(0, 0, 150, 50);
    QImage image(150, 50, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        gfx::Canvas canvas(&image);
        bc.PaintDesignControl(canvas);
    }
    EXPECT_EQ(image.pixelColor(0, 10), QColor(Qt::black)); // the start character's first bar
    bc.SetData(u"AB*C"_s);
    image.fill(Qt::white);
    {
        gfx::Canvas canvas(&image);
        bc.PaintDesignControl(canvas);
    }
    int black = 0;
    for (int x = 0; x < 150; ++x)
        black += image.pixelColor(x, 0) == QColor(Qt::black);
    EXPECT_GT(black, 20);
    EXPECT_LT(black, 140);
    EXPECT_EQ(image.pixelColor(75, 25), QColor(Qt::white));
}

TEST_F(BarCodeControls, TheStartUpRegistersTheBarCodesWithRowsAndDescriptor)
{
    ppContentLayerInit();
    ASSERT_NE(ppFindRegComponent("TppBarCode"), nullptr);
    ASSERT_NE(ppFindRegComponent("TppDBBarCode"), nullptr);
    EXPECT_EQ(raFindRTTI("TppBarCode"), &TraTppBarCodeRTTI::Instance());
    TppBarCode bc;
    uint8_t type = uint8_t(T::bcFIM);
    EXPECT_TRUE(TraTppBarCodeRTTI::Instance().SetPropValue(&bc, "barcodetype", &type));
    EXPECT_EQ(bc.BarCodeType(), T::bcFIM);
    type = 11;
    EXPECT_FALSE(TraTppBarCodeRTTI::Instance().SetPropValue(&bc, "BarCodeType", &type));
    QString data;
    EXPECT_TRUE(TraTppBarCodeRTTI::Instance().GetPropValue(&bc, "Data", &data));
    EXPECT_EQ(data, u"A"_s);
    float ratio = 0;
    EXPECT_TRUE(TraTppBarCodeRTTI::Instance().GetPropValue(&bc, "WideBarRatio", &ratio));
    EXPECT_FLOAT_EQ(ratio, 3.0f);
    ppContentLayerFinalize();
    EXPECT_EQ(ppFindRegComponent("TppBarCode"), nullptr);
    EXPECT_EQ(raFindRTTI("TppBarCode"), nullptr);
}

} // namespace

namespace {

// A damaged template names values past the enumerations: the reader's error
// handler may pass over them, and the control keeps what it had; scripts and
// archives setting such ordinals change nothing either.
TEST_F(BarCodeControls, OrdinalsPastTheEnumerationsAreIgnored)
{
    const QByteArray text = "object TppBarCode\n  BarCodeType = 99\n  Orientation = 7\n  Data = 'X'\nend\n";
    TppBarCode bc;
    int errors = 0;
    readBarCode(bc, text, [&errors](classes::TReader &, const std::exception &, bool &aHandled) {
        ++errors;
        aHandled = true;
    });
    EXPECT_EQ(errors, 2);
    EXPECT_EQ(bc.BarCodeType(), T::bcCode39);
    EXPECT_EQ(bc.Orientation(), TppBarCodeOrientation::orLeftToRight);
    EXPECT_EQ(bc.Data(), u"X"_s);

    bc.SetBarCodeType(TppBarCodeType(99));
    bc.SetOrientation(TppBarCodeOrientation(7));
    EXPECT_EQ(bc.BarCodeType(), T::bcCode39);
    EXPECT_EQ(bc.Orientation(), TppBarCodeOrientation::orLeftToRight);
    TppDrawBarCode cmd;
    cmd.SetBarCodeType(TppBarCodeType(99));
    cmd.SetOrientation(TppBarCodeOrientation(7));
    EXPECT_EQ(cmd.BarCodeType(), T::bcCode39);
    EXPECT_EQ(cmd.Orientation(), TppBarCodeOrientation::orLeftToRight);
}

// The data bar code reads its field; without one it shows the sample data,
// and while the report prints nothing.
TEST_F(BarCodeControls, TheDataBarCodeTakesItsFieldsValue)
{
    TppDBBarCode db;
    db.SetBarCodeType(T::bcEAN_8);
    QString data;
    db.GetData(data);
    EXPECT_EQ(data, u"20123451"_s);

    MemoryPipeline pipeline;
    pipeline.AddField("Code", TppDataType::dtString);
    pipeline.AddField("Number", TppDataType::dtInteger);
    pipeline.AddRow({u"9638507"_s, 4006381});
    pipeline.AddRow({QVariant(), 0});
    pipeline.Open();
    pipeline.First();
    db.SetDataPipeline(&pipeline);
    db.SetDataField(u"Code"_s);
    db.GetData(data);
    EXPECT_EQ(data, u"9638507"_s);
    TppDrawBarCode cmd;
    db.PropertiesToDrawCommand(&cmd);
    EXPECT_EQ(cmd.Data(), u"9638507"_s);
    EXPECT_TRUE(cmd.CodeOK());
    db.SetDataField(u"Number"_s);
    db.GetData(data);
    EXPECT_EQ(data, u"4006381"_s);
    pipeline.Next();
    db.SetDataField(u"Code"_s);
    db.GetData(data);
    EXPECT_EQ(data, QString());
    EXPECT_TRUE(db.IsDataAware());
}

} // namespace

namespace {

// Pages keep their commands in archives: a bar-code command comes back with
// what it draws, in the order it was published.
TEST_F(BarCodeControls, ADrawCommandStreamsItsSettings)
{
    TppDrawBarCode cmd;
    cmd.SetBarCodeType(T::bcEAN_13);
    cmd.SetData(u"4006381333931"_s);
    cmd.SetAddOnCode(u"12"_s);
    cmd.SetOrientation(TppBarCodeOrientation::orTopToBottom);
    cmd.SetBarColor(0x123456);
    cmd.SetWideBarRatio(2.5f);
    cmd.SetCodeOK(false);
    cmd.Font()->SetName(u"Courier New"_s);
    const QByteArray text = componentStreamText(&cmd);
    EXPECT_LT(text.indexOf("AddOnCode"), text.indexOf("BarCodeType"));
    EXPECT_LT(text.indexOf("Data"), text.indexOf("Orientation"));
    classes::TMemoryStream binary;
    binary.WriteComponent(&cmd);
    binary.SetPosition(0);
    TppDrawBarCode copy;
    classes::TReader(binary).ReadRootComponent(&copy);
    EXPECT_EQ(copy.BarCodeType(), T::bcEAN_13);
    EXPECT_EQ(copy.Data(), u"4006381333931"_s);
    EXPECT_EQ(copy.AddOnCode(), u"12"_s);
    EXPECT_EQ(copy.Orientation(), TppBarCodeOrientation::orTopToBottom);
    EXPECT_EQ(copy.BarColor(), 0x123456u);
    EXPECT_FLOAT_EQ(copy.WideBarRatio(), 2.5f);
    EXPECT_FALSE(copy.CodeOK());
    EXPECT_EQ(copy.Font()->Name(), u"Courier New"_s);
}

} // namespace
