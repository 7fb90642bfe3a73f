#include "report/output/forms/PrintDialogIcons.h"

#include <QString>

namespace report {

namespace {

constexpr int CollationWidth = 102;
constexpr int CollationHeight = 53;
constexpr int CollationPageWidth = 20;
constexpr int CollationPageHeight = 24;
// How far each page of a stack lies below and right of the one behind it;
// enough for the digit in its corner to stay visible.
constexpr int CollationStackStep = 8;

// A stack whose pages are numbered aDigits, back to front.
void collationStack(QImage &aCanvas, int aLeft, int aTop, const QString &aDigits,
                    void (*aFill)(QImage &, int, int, int, int, rtl::TColor),
                    void (*aFrame)(QImage &, int, int, int, int, rtl::TColor),
                    void (*aText)(QImage &, int, int, const QString &, rtl::TColor))
{
    for (int i = 0; i < aDigits.size(); ++i) {
        const int left = aLeft + i * CollationStackStep;
        const int top = aTop + i * CollationStackStep;
        aFill(aCanvas, left, top, left + CollationPageWidth - 1, top + CollationPageHeight - 1, rtl::clWindow);
        aFrame(aCanvas, left, top, left + CollationPageWidth - 1, top + CollationPageHeight - 1, rtl::clBlack);
        aText(aCanvas, left + 2, top + 1, aDigits.mid(i, 1), rtl::clBlack);
    }
}

} // namespace

TppCollationBitmap::TppCollationBitmap()
{
    SetSize(CollationWidth, CollationHeight);
    SetBackColor(rtl::clBtnFace);
}

void TppCollationBitmap::Draw(QImage &aCanvas)
{
    for (int copy = 0; copy < 2; ++copy)
        collationStack(aCanvas, 12 + copy * 42, 6, QStringLiteral("123"), &FillRect, &FrameRect, &Text);
}

TppNonCollationBitmap::TppNonCollationBitmap()
{
    SetSize(CollationWidth, CollationHeight);
    SetBackColor(rtl::clBtnFace);
}

void TppNonCollationBitmap::Draw(QImage &aCanvas)
{
    for (int page = 1; page <= 3; ++page)
        collationStack(aCanvas, 4 + (page - 1) * 33, 10, QString(2, QChar(u'0' + page)), &FillRect, &FrameRect, &Text);
}

void TppNetworkPrinterIcon::Draw(QImage &aCanvas)
{
    TppPrinterIcon::Draw(aCanvas);
    // The cable from under the printer to the socket on the right.
    Line(aCanvas, 7, 14, 7, 15, rtl::clBlack);
    Line(aCanvas, 7, 15, 13, 15, rtl::clBlack);
    FillRect(aCanvas, 13, 14, 15, 15, 0x808000);
}

} // namespace report
