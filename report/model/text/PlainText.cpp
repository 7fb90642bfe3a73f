#include "report/model/text/PlainText.h"

#include "report/model/printing/Printer.h"
#include "report/model/text/TextDevice.h"
#include "report/model/text/TextMarkups.h"
#include "report/model/text/TextWrapper.h"

#include "platform/gfx/Canvas.h"

#include <algorithm>
#include <cmath>

namespace report {

namespace {

std::vector<int> plainTextFirstStops(int aTabCount, const std::vector<int> &aTabStops)
{
    const size_t count = size_t(std::clamp(aTabCount, 0, TppPlainText::MaxTabStops));
    return std::vector<int>(aTabStops.begin(), aTabStops.begin() + std::min(count, aTabStops.size()));
}

bool plainTextIsBlank(QChar c)
{
    return c == TppTextMarkups::Space() || c == TppTextMarkups::Tab();
}

} // namespace

int32_t TppPlainText::WordWrap(const QString &aText, const rtl::TRect &aRect, TppTextAlignment aAlignment, bool aWiden,
                               const gfx::Font &aFont, bool aCharWrap, int32_t aLeading, const QStringList &aTabStops,
                               TppCustomPrinter *aDevice, qsizetype &aStartPosition, QStringList &aLines)
{
    TppTextWrapper wrapper(aRect, aAlignment, aWiden, aFont, aCharWrap, aLeading, aTabStops, aDevice);
    wrapper.Wrap(aText, aStartPosition);
    aLines = wrapper.Lines();
    return wrapper.LineHeight();
}

int TppPlainText::GetTabbedTextWidth(const gfx::Canvas &aCanvas, const QString &aText, int aTabCount,
                                     const std::vector<int> &aTabStops)
{
    // The full width: a 16-bit result would wrap a long line round to a
    // narrow one, and a word far too wide would seem to fit.
    return aCanvas.TabbedTextWidth(aText, plainTextFirstStops(aTabCount, aTabStops));
}

void TppPlainText::JustifyLine(gfx::Canvas &aCanvas, const rtl::TRect &aRect, QString &aLine, int aTabCount,
                               const std::vector<int> &aTabStops)
{
    if (aLine.isEmpty()) {
        aCanvas.SetTextJustification(0, 0);
        return;
    }
    qsizetype first = 0;
    qsizetype last = aLine.size();
    while (first < last && plainTextIsBlank(aLine[first]))
        ++first;
    while (last > first && plainTextIsBlank(aLine[last - 1]))
        --last;
    int breaks = int(std::count(aLine.begin() + first, aLine.begin() + last, TppTextMarkups::Space()));
    if (breaks == 0 && last - first > 1) {
        QString spread;
        spread.reserve(aLine.size() * 2);
        spread += QStringView(aLine).left(first);
        for (qsizetype i = first; i < last; ++i) {
            if (i > first)
                spread += TppTextMarkups::Space();
            spread += aLine[i];
        }
        spread += QStringView(aLine).mid(last);
        breaks = int(last - first - 1);
        aLine = spread;
    }
    const int width = GetTabbedTextWidth(aCanvas, aLine, aTabCount, aTabStops);
    aCanvas.SetTextJustification((aRect.Right - aRect.Left) - width, breaks);
}

void TppPlainText::GetTabStopArray(TppUnitType aUnitType, const QStringList &aTabStops, std::vector<int> &aArray,
                                   int &aCount, TppCustomPrinter *aDevice)
{
    aArray.clear();
    aCount = 0;
    if (aUnitType != TppUnitType::utScreenPixels && aUnitType != TppUnitType::utPrinterPixels)
        return;
    const PrinterResolution *resolution = aUnitType == TppUnitType::utPrinterPixels ? aDevice : nullptr;
    for (const QString &stop : aTabStops) {
        bool ok = false;
        const int value = stop.trimmed().toInt(&ok);
        if (!ok)
            continue;
        const float pixels = ppFromMMThousandths(value, aUnitType, TppAxisType::atHorizontal, resolution);
        aArray.push_back(int(std::trunc(pixels)));
    }
    aCount = int(aArray.size());
}

int TppPlainText::LineHeight(const gfx::Font &aFont, int32_t aLeading, int32_t aAvailableHeight,
                             TppCustomPrinter *aDevice, int32_t &aLineHeight)
{
    TppTextDevice device(aDevice);
    device.SetFont(aFont);
    aLineHeight = device.LineHeightMM(aLeading);
    return aLineHeight > 0 ? aAvailableHeight / aLineHeight : 0;
}

QString TppPlainText::RemoveAll(const QString &aText, const QString &aPart)
{
    if (aPart.isEmpty())
        return aText;
    QString result = aText;
    return result.remove(aPart);
}

} // namespace report
