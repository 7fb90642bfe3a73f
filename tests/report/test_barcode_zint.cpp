// Our module patterns beside libzint's for the same data. Where zint draws a
// symbology differently by design (Code 39 and Codabar ratios and gaps,
// Postnet spacing), the element sequences are compared instead.

#include "report/content/barcodes/BarCodeEncoders.h"

#include <gtest/gtest.h>

#include <zint.h>

#include <QString>

#include <memory>
#include <string>
#include <vector>

using namespace report;
using namespace Qt::Literals::StringLiterals;
using T = TppBarCodeType;

namespace {

struct ZintSymbol
{
    std::unique_ptr<zint_symbol, decltype(&ZBarcode_Delete)> s{ZBarcode_Create(), &ZBarcode_Delete};

    // The modules of one row as '1' and '0'.
    std::string row(int r) const
    {
        std::string out;
        for (int x = 0; x < s->width; ++x)
            out += (s->encoded_data[r][x >> 3] >> (x & 7)) & 1 ? '1' : '0';
        return out;
    }
};

ZintSymbol zintEncode(int symbology, const std::string &data, int option2 = 0)
{
    ZintSymbol z;
    z.s->symbology = symbology;
    z.s->option_2 = option2;
    const int rc = ZBarcode_Encode(z.s.get(), reinterpret_cast<const unsigned char *>(data.data()), int(data.size()));
    EXPECT_LT(rc, ZINT_ERROR) << data << ": " << z.s->errtxt;
    return z;
}

// At 100 dpi a bar width of 0.254 mm is one column per module.
std::string ours(T type, const QString &data, float ratio = 3.0f, BarColumns *addOn = nullptr,
                 const QString &addOnCode = {})
{
    BarCodeSymbol s;
    s.BarCodeType = type;
    s.Data = data;
    s.BarWidth = 254;
    s.WideBarRatio = ratio;
    s.AddOnCode = addOnCode;
    BarColumns columns;
    EncodeBarCode(s, 100, columns);
    if (addOn)
        EncodeAddOn(s, 100, *addOn);
    return std::string(columns.view());
}

// Widths of the runs as N (one module) and W (more), dropping every
// (perCharacter + 1)th run: the gap between characters.
std::string elements(const std::string &modules, size_t perCharacter)
{
    std::string out;
    size_t run = 0;
    for (size_t i = 0; i < modules.size();) {
        size_t j = i;
        while (j < modules.size() && modules[j] == modules[i])
            ++j;
        if (run++ % (perCharacter + 1) != perCharacter)
            out += j - i > 1 ? 'W' : 'N';
        i = j;
    }
    return out;
}

TEST(BarCodesBesideZint, FixedModuleSymbologiesMatchModuleForModule)
{
    struct Case
    {
        T type;
        QString data;
        int symbology;
        std::string zintData;
        int option2;
    } cases[] = {
        {T::bcUPC_A, u"03600029145"_s, BARCODE_UPCA, "03600029145", 0},
        {T::bcUPC_A, u"01234567890"_s, BARCODE_UPCA, "01234567890", 0},
        {T::bcUPC_E, u"012345"_s, BARCODE_UPCE, "012345", 0},
        {T::bcUPC_E, u"045678"_s, BARCODE_UPCE, "045678", 0},
        {T::bcEAN_13, u"400638133393"_s, BARCODE_EANX, "400638133393", 0},
        {T::bcEAN_13, u"978030640615"_s, BARCODE_EANX, "978030640615", 0},
        {T::bcEAN_8, u"9638507"_s, BARCODE_EANX, "9638507", 0},
        {T::bcInt2of5, u"0123456"_s, BARCODE_C25INTER, "0123456", 1},
        {T::bcInt2of5, u"12345678"_s, BARCODE_C25INTER, "12345678", 0},
        {T::bcMSI, u"7992739871"_s, BARCODE_MSI_PLESSEY, "7992739871", 1},
        {T::bcMSI, u"0139725"_s, BARCODE_MSI_PLESSEY, "0139725", 1},
        {T::bcFIM, u"A"_s, BARCODE_FIM, "A", 0},
        {T::bcFIM, u"B"_s, BARCODE_FIM, "B", 0},
        {T::bcFIM, u"C"_s, BARCODE_FIM, "C", 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.zintData);
        std::string reference = zintEncode(c.symbology, c.zintData, c.option2).row(0);
        std::string mine = ours(c.type, c.data);
        // zint ends a row on its last bar; ours keeps the spaces of the
        // stop pattern (MSI) or of the last element (FIM).
        while (!mine.empty() && mine.back() == '0')
            mine.pop_back();
        EXPECT_EQ(mine, reference);
    }
}

TEST(BarCodesBesideZint, SupplementsMatchTheirModules)
{
    for (const std::string code : {"12", "99", "00", "12345", "90000", "54321"}) {
        const ZintSymbol z = zintEncode(BARCODE_EANX, "400638133393+" + code);
        const std::string reference = z.row(0);
        BarColumns addOn;
        ours(T::bcEAN_13, u"400638133393"_s, 3.0f, &addOn, QString::fromStdString(code));
        ASSERT_FALSE(addOn.empty()) << code;
        // The supplement ends the row.
        EXPECT_EQ(std::string(addOn.view()), reference.substr(reference.size() - size_t(addOn.size()))) << code;
    }
}

TEST(BarCodesBesideZint, WideAndNarrowElementsMatchForCode39AndCodabar)
{
    const std::pair<T, std::string> cases[] = {
        {T::bcCode39, "A1-$"},     {T::bcCode39, "ZARVELLO 42"}, {T::bcCode39, "+%/."},
        {T::bcCodabar, "A40156B"}, {T::bcCodabar, "C-$:/.+D"},   {T::bcCodabar, "D0123456789A"},
    };
    for (const auto &[type, data] : cases) {
        SCOPED_TRACE(data);
        const bool code39 = type == T::bcCode39;
        const std::string reference = zintEncode(code39 ? BARCODE_CODE39 : BARCODE_CODABAR, data).row(0);
        const std::string mine = ours(type, QString::fromStdString(data), 2.0f);
        EXPECT_EQ(elements(mine, code39 ? 9 : 7), elements(reference, code39 ? 9 : 7));
    }
}

// zint keeps a Postnet bar's height in its rows: both rows tall, the lower
// row alone short.
TEST(BarCodesBesideZint, PostnetBarsMatchTallForTall)
{
    for (const std::string data : {"12345", "123456789", "12345678901", "00000"}) {
        const ZintSymbol z = zintEncode(BARCODE_POSTNET, data);
        std::string reference;
        const std::string top = z.row(0), bottom = z.row(1);
        for (size_t x = 0; x < bottom.size(); ++x)
            if (bottom[x] == '1')
                reference += top[x] == '1' ? 'T' : 's';
        std::string mine;
        const std::string columns = ours(T::bcPostnet, QString::fromStdString(data));
        for (size_t i = 0; i < columns.size(); ++i)
            if (columns[i] != '0' && (i == 0 || columns[i - 1] != columns[i]))
                mine += columns[i] == '2' ? 'T' : 's';
        EXPECT_EQ(mine, reference) << data;
    }
}

} // namespace
