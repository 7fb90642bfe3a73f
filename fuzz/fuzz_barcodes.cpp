// Bar-code data comes from report templates and from database fields, so the
// encoders must take any text with any settings: they never write past their
// column ceiling, write nothing but bar and space columns, draw nothing for
// data they refuse, and auto-encoded printable text always encodes. Data a
// control accepts for its symbology always draws when its modules are at
// least a pixel wide.

#include "report/content/barcodes/BarCodeRules.h"
#include "report/content/barcodes/Code128.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

[[noreturn]] void fail(const char *what)
{
    std::fprintf(stderr, "broken promise: %s\n", what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 12)
        return 0;
    using namespace report;
    BarCodeSymbol s;
    s.BarCodeType = TppBarCodeType(data[0] % 11);
    s.CalcCheckDigit = data[1] & 1;
    s.AutoEncode = data[1] & 2;
    const bool wideText = data[1] & 4;
    std::memcpy(&s.BarWidth, data + 2, 4);
    s.BarWidth %= (data[1] & 8) ? 3000 : INT32_MAX; // mostly sizes a report would use
    std::memcpy(&s.WideBarRatio, data + 6, 4);
    const int resolution = 1 + (data[10] | (data[11] << 8)) % 4800;
    data += 12;
    size -= 12;

    QString text;
    if (wideText) {
        for (size_t i = 0; i + 1 < size; i += 2)
            text += QChar(char16_t(data[i] | (data[i + 1] << 8)));
    } else {
        for (size_t i = 0; i < size; ++i)
            text += QChar(char16_t(data[i]));
    }
    const QString addOn = text.left(5);
    s.Data = text;
    s.AddOnCode = addOn;

    bool printable = !text.isEmpty();
    for (QChar c : text)
        printable = printable && c.unicode() >= 32 && c.unicode() <= 126;

    const bool accepted = s.BarCodeType != TppBarCodeType::bcCode128 &&
                          ppValidateBarCodeData(s.BarCodeType, text, s.CalcCheckDigit).Valid;
    bool visible = false;
    for (QChar c : text)
        visible = visible || c.unicode() > 32;

    BarColumns columns, addOnColumns;
    EncodeBarCode(s, resolution, columns);
    EncodeAddOn(s, resolution, addOnColumns);
    for (const BarColumns *c : {&columns, &addOnColumns}) {
        if (c->size() > BarColumns::kMaxColumns)
            fail("columns past the ceiling");
        const char top = s.BarCodeType == TppBarCodeType::bcPostnet && c == &columns ? '2' : '1';
        for (char col : c->view())
            if (col < '0' || col > top)
                fail("a column that is neither bar nor space");
    }
    if (!s.CodeOK && !columns.empty())
        fail("refused data drew bars");
    if (s.BarCodeType == TppBarCodeType::bcCode128 && s.AutoEncode && printable && !s.CodeOK)
        fail("auto-encoded printable text was refused");
    if (accepted && visible && ppElementColumns(s.BarWidth, resolution) >= 1 && !columns.overflowed() &&
        columns.empty())
        fail("accepted data drew nothing");
    return 0;
}
