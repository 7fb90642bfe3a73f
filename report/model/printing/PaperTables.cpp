#include "report/model/printing/PaperTables.h"

#include "report/model/base/Units.h"

#include <array>

namespace report {

namespace {

// One row: millimetres when metric, else inches.
struct PaperRow
{
    double width;
    double height;
    bool metric;
};

constexpr PaperRow In(double w, double h)
{
    return {w, h, false};
}
constexpr PaperRow Mm(double w, double h)
{
    return {w, h, true};
}
constexpr PaperRow None = {0, 0, true};

// Index = code; rows 48 and 49 are reserved by the platform.
constexpr std::array<PaperRow, 69> PaperRows = {
    None,             // 0
    In(8.5, 11),      // 1 Letter
    In(8.5, 11),      // 2 Letter Small
    In(11, 17),       // 3 Tabloid
    In(17, 11),       // 4 Ledger
    In(8.5, 14),      // 5 Legal
    In(5.5, 8.5),     // 6 Statement
    In(7.25, 10.5),   // 7 Executive
    Mm(297, 420),     // 8 A3
    Mm(210, 297),     // 9 A4
    Mm(210, 297),     // 10 A4 Small
    Mm(148, 210),     // 11 A5
    Mm(250, 354),     // 12 B4 (JIS)
    Mm(182, 257),     // 13 B5 (JIS)
    In(8.5, 13),      // 14 Folio
    Mm(215, 275),     // 15 Quarto
    In(10, 14),       // 16
    In(11, 17),       // 17
    In(8.5, 11),      // 18 Note
    In(3.875, 8.875), // 19 Envelope #9
    In(4.125, 9.5),   // 20 Envelope #10
    In(4.5, 10.375),  // 21 Envelope #11
    In(4.75, 11),     // 22 Envelope #12
    In(5, 11.5),      // 23 Envelope #14
    In(17, 22),       // 24 C size sheet
    In(22, 34),       // 25 D size sheet
    In(34, 44),       // 26 E size sheet
    Mm(110, 220),     // 27 Envelope DL
    Mm(162, 229),     // 28 Envelope C5
    Mm(324, 458),     // 29 Envelope C3
    Mm(229, 324),     // 30 Envelope C4
    Mm(114, 162),     // 31 Envelope C6
    Mm(114, 229),     // 32 Envelope C65
    Mm(250, 353),     // 33 Envelope B4
    Mm(176, 250),     // 34 Envelope B5
    Mm(176, 125),     // 35 Envelope B6
    Mm(110, 230),     // 36 Envelope
    In(3.875, 7.5),   // 37 Envelope Monarch
    In(3.625, 6.5),   // 38 6 3/4 Envelope
    In(14.875, 11),   // 39 US Std Fanfold
    In(8.5, 12),      // 40 German Std Fanfold
    In(8.5, 13),      // 41 German Legal Fanfold
    Mm(250, 353),     // 42 B4 (ISO)
    Mm(100, 148),     // 43 Japanese Postcard
    In(9, 11),        // 44
    In(10, 11),       // 45
    In(15, 11),       // 46
    Mm(220, 220),     // 47 Envelope Invite
    None,             // 48
    None,             // 49
    In(9.5, 12),      // 50 Letter Extra
    In(9.5, 15),      // 51 Legal Extra
    In(11.69, 18),    // 52 Tabloid Extra
    In(9.27, 12.69),  // 53 A4 Extra
    In(8.5, 11),      // 54 Letter Transverse
    Mm(210, 297),     // 55 A4 Transverse
    In(9.5, 12),      // 56 Letter Extra Transverse
    Mm(227, 356),     // 57 SuperA
    Mm(305, 487),     // 58 SuperB
    In(8.5, 12.69),   // 59 Letter Plus
    Mm(210, 330),     // 60 A4 Plus
    Mm(148, 210),     // 61 A5 Transverse
    Mm(182, 257),     // 62 B5 (JIS) Transverse
    Mm(322, 445),     // 63 A3 Extra
    Mm(174, 235),     // 64 A5 Extra
    Mm(201, 276),     // 65 B5 (ISO) Extra
    Mm(420, 594),     // 66 A2
    Mm(297, 420),     // 67 A3 Transverse
    Mm(322, 445),     // 68 A3 Extra Transverse
};

// The texts as the platform's paper list spells them, typos included.
const char16_t *const PaperNames[] = {
    nullptr,
    u"Letter 8 1/2 x 11 in",
    u"Letter 8 1/2 x 11 in",
    u"Tabloid 11 x 17 in",
    u"Ledger 17 x 11 in",
    u"Legal 8 12 x 14 in",
    u"Statement 5 1/2 x 8 12 in",
    u"Executive 7 14 x 10 1/2 in",
    u"A3 297 x 420 mm",
    u"A4 210 x 297 mm",
    u"A4 Small 210 x 297 mm",
    u"A5 148 x 210 mm",
    u"B4 (JIS) 250 x 354",
    u"B5 (JIS) 182 x 257 mm",
    u"Folio 8 1/2 x 13 in",
    u"Quarto 215 x 275 mm",
    u"10 x 14 in",
    u"11 x 17 in",
    u"Note 8 1/2 x 11 in",
    u"Envelope #9 3 7/8 x 8 7/8",
    u"Envelope #10 4 18 x 9 1/2",
    u"Envelope #11 4 12 x 10 3/8",
    u"Envelope #12 4 276 x 11",
    u"Envelope #14 5 x 11 1/2",
    u"C size sheet",
    u"D size sheet",
    u"E size sheet",
    u"Envelope DL 110 x 220mm",
    u"Envelope C5 162 x 229 mm",
    u" Envelope C3  324 x 458 mm",
    u"Envelope C4  229 x 324 mm",
    u"Envelope C6  114 x 162 mm",
    u"Envelope C65 114 x 229 mm",
    u"Envelope B4  250 x 353 mm",
    u"Envelope B5  176 x 250 mm",
    u"Envelope B6  176 x 125 mm",
    u"Envelope 110 x 230 mm",
    u"Envelope Monarch 3.875 x 7.5 in",
    u"6 34 Envelope 3 5/8 x 6 1/2 in",
    u"US Std Fanfold 14 7/8 x 11 in",
    u"German Std Fanfold 8 1/2 x 12 in",
    u"German Legal Fanfold 8 1/2 x 13 in",
    u"B4 (ISO) 250 x 353 mm",
    u"Japanese Postcard 100 x 148 mm",
    u"9 x 11 in",
    u"10 x 11 in",
    u"15 x 11 in",
    u"Envelope Invite 220 x 220 mm",
    nullptr,
    nullptr,
    u"Letter Extra 9 \\275 x 12 in",
    u"Legal Extra 9 \\275 x 15 in",
    u"Tabloid Extra 11.69 x 18 in",
    u"A4 Extra 9.27 x 12.69 in",
    u"Letter Transverse 8 \\275 x 11 in",
    u"A4 Transverse 210 x 297 mm",
    u"Letter Extra Transverse 9\\275 x 12 in",
    u"SuperASuperAA4 227 x 356 mm",
    u"SuperBSuperBA3 305 x 487 mm",
    u"Letter Plus 8.5 x 12.69 in",
    u"A4 Plus 210 x 330 mm",
    u"A5 Transverse 148 x 210 mm",
    u"B5 (JIS) Transverse 182 x 257 mm",
    u"A3 Extra 322 x 445 mm",
    u"A5 Extra 174 x 235 mm",
    u"B5 (ISO) Extra 201 x 276 mm",
    u"A2 420 x 594 mm",
    u"A3 Transverse 297 x 420 mm",
    u"A3 Extra Transverse 322 x 445 mm",
};
static_assert(std::size(PaperNames) == PaperRows.size());

int tenths(double value, bool metric, TppAxisType axis)
{
    if (metric)
        return int(value * 10 + 0.5);
    return ppToTenthMillimeters(float(value), TppUnitType::utInches, axis);
}

} // namespace

QSize ppPaperSizeOfCode(int aCode)
{
    if (aCode < 0 || aCode >= int(PaperRows.size()))
        return {0, 0};
    const PaperRow &row = PaperRows[size_t(aCode)];
    return {tenths(row.width, row.metric, TppAxisType::atHorizontal),
            tenths(row.height, row.metric, TppAxisType::atVertical)};
}

QString ppPaperNameOfCode(int aCode)
{
    if (aCode >= 0 && aCode < int(std::size(PaperNames)) && PaperNames[aCode])
        return QString::fromUtf16(PaperNames[aCode]);
    if (aCode == 118)
        return QStringLiteral("DMPAPER_A3_EXTRA_TRANSVERSE");
    if (aCode == 256)
        return QStringLiteral("Custom");
    return QStringLiteral("Unknown");
}

QString ppPaperSizeText(int aWidth, int aHeight)
{
    return QStringLiteral("%1 x %2 mm").arg(aWidth / 10).arg(aHeight / 10);
}

std::vector<print::Paper> ppTablePapers()
{
    std::vector<print::Paper> papers;
    for (int code = 1; code < 256; ++code) {
        const QSize size = ppPaperSizeOfCode(code);
        if (!size.isEmpty())
            papers.push_back({code, ppPaperNameOfCode(code), size.width(), size.height()});
    }
    return papers;
}

} // namespace report
