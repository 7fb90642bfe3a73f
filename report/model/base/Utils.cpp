#include "report/model/base/Utils.h"

#include "report/model/base/Messages.h"
#include "report/model/base/PageList.h"
#include "report/model/objects/EventIds.h"

#include "platform/classes/StringList.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/FloatToStr.h"
#include "platform/rtl/FormatDateTime.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/LocalNames.h"
#include "platform/rtl/StrToDateTime.h"
#include "platform/rtl/StrToFloat.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStringView>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <thread>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

namespace report {

namespace {

std::atomic<bool> g_mainThreadKnown{false};
std::thread::id g_mainThread;
std::atomic<bool> g_inMainThreadOverride{false};

} // namespace

// ---- Files and text ----------------------------------------------------------

QString ppGetTempPath()
{
    // Empty where the folder's name is no UTF-8: the files would go to a
    // folder of another name.
    QString path = rtl::temporaryFolder();
    if (path.isEmpty())
        return path;
    if (!path.endsWith(u'/'))
        path += u'/';
    return path;
}

QString ppGetTempFileName(const QString &aPath, const QString &aPrefix)
{
    QString folder = aPath.isEmpty() ? ppGetTempPath() : aPath;
    if (folder.isEmpty())
        return QString();
    if (!folder.endsWith(u'/'))
        folder += u'/';
    QByteArray pattern = QFile::encodeName(folder + aPrefix.left(3) + QStringLiteral("XXXXXX"));
    // mkstemp makes the file with mode 0600 and never reuses an existing name.
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        return QString();
    ::close(fd);
    return QFile::decodeName(pattern);
}

QString ppGetFilePath(const QString &aFileName)
{
    const qsizetype slash = std::max(aFileName.lastIndexOf(u'/'), aFileName.lastIndexOf(u'\\'));
    return slash < 0 ? QString() : aFileName.left(slash + 1);
}

QString ppRemoveChar(QChar aChar, const QString &aText)
{
    QString text = aText;
    text.remove(aChar);
    return text;
}

bool ppTextEquals(const QString &S1, const QString &S2)
{
    return QString::localeAwareCompare(S1.toCaseFolded(), S2.toCaseFolded()) == 0;
}

qsizetype ppCharCount(QStringView aText)
{
    qsizetype count = aText.size();
    for (qsizetype i = 0; i + 1 < aText.size(); ++i) {
        if (aText[i].isHighSurrogate() && aText[i + 1].isLowSurrogate()) {
            --count;
            ++i;
        }
    }
    return count;
}

qsizetype ppCharsToUnits(QStringView aText, qsizetype aChars)
{
    qsizetype units = 0;
    for (qsizetype chars = 0; chars < aChars && units < aText.size(); ++chars) {
        const bool pair =
            units + 1 < aText.size() && aText[units].isHighSurrogate() && aText[units + 1].isLowSurrogate();
        units += pair ? 2 : 1;
    }
    return units;
}

QString ppPadString(const QString &aText, int aWidth, classes::TAlignment aAlignment)
{
    const int width = std::max(aWidth, 0);
    const qsizetype chars = ppCharCount(aText);
    if (chars >= width)
        return aText.left(ppCharsToUnits(aText, width));
    const int blanks = width - int(chars);
    switch (aAlignment) {
    case classes::TAlignment::taRightJustify: return QString(blanks, u' ') + aText;
    case classes::TAlignment::taCenter: {
        const int before = ppRound(blanks / 2.0);
        return QString(before, u' ') + aText + QString(blanks - before, u' ');
    }
    case classes::TAlignment::taLeftJustify: break;
    }
    return aText + QString(blanks, u' ');
}

void ppCommaTextToList(const QString &aText, classes::TStrings &aList)
{
    aList.BeginUpdate();
    aList.Clear();
    QStringList pieces = aText.split(u',');
    if (!pieces.isEmpty() && pieces.last().isEmpty())
        pieces.removeLast();
    for (const QString &piece : pieces)
        aList.Add(piece);
    aList.EndUpdate();
}

bool ppTextToPageList(const QString &aText, classes::TStrings &aList, bool aTrim)
{
    std::vector<int> pages;
    const bool valid = ppParsePageList(aText, pages);
    aList.BeginUpdate();
    aList.Clear();
    for (const int page : pages) {
        QString entry = QString::number(page);
        if (!aTrim && entry.size() < 8)
            entry = entry.rightJustified(8, u' ');
        aList.Add(entry);
    }
    aList.EndUpdate();
    return valid;
}

QString TppStrUtils::LeftStr(const QString &aText, int aCount)
{
    return aText.left(std::max(aCount, 0));
}

rtl::TDateTime ppStrToDateTime(const QString &aText)
{
    return rtl::StrToDateTime(aText);
}

// ---- Number lists ------------------------------------------------------------

void ppConvertListFromMMThousandths(classes::TStrings &aList, TppUnitType aUnits, TppAxisType aAxis,
                                    const PrinterResolution *aPrinter)
{
    aList.BeginUpdate();
    for (int i = 0; i < aList.Count(); ++i) {
        int32_t value = 0;
        if (!rtl::TryStrToInt(aList.Get(i), value))
            continue;
        aList.Put(i, rtl::FloatToStrF(ppFromMMThousandths(value, aUnits, aAxis, aPrinter), rtl::ffGeneral, 7, 0));
    }
    aList.EndUpdate();
}

void ppConvertListToMMThousandths(classes::TStrings &aList, TppUnitType aUnits, TppAxisType aAxis,
                                  const PrinterResolution *aPrinter)
{
    aList.BeginUpdate();
    for (int i = 0; i < aList.Count(); ++i) {
        long double value = 0;
        if (!rtl::TryStrToFloat(aList.Get(i), value))
            continue;
        aList.Put(i, QString::number(ppToMMThousandths(float(value), aUnits, aAxis, aPrinter)));
    }
    aList.EndUpdate();
}

void ppFixDecimalSeparators(classes::TStrings &aList)
{
    const QChar separator = rtl::FormatSettings().DecimalSeparator;
    aList.BeginUpdate();
    for (int i = 0; i < aList.Count(); ++i) {
        const QString entry = aList.Get(i);
        if (entry.contains(u'.'))
            aList.Put(i, QString(entry).replace(u'.', separator));
    }
    aList.EndUpdate();
}

// ---- Numbers and names -------------------------------------------------------

int32_t ppVersionToNumber(const QString &aText)
{
    QString run;
    for (const QChar c : aText) {
        const bool digitOrDot = (c >= u'0' && c <= u'9') || c == u'.';
        if (run.size() == 20 || !digitOrDot)
            break;
        run += c;
    }
    const qsizetype firstDot = run.indexOf(u'.');
    if (firstDot >= 0)
        run.remove(firstDot, 1);
    const qsizetype nextDot = run.indexOf(u'.');
    if (nextDot >= 0)
        run.truncate(nextDot);
    while (run.size() < 4)
        run += u'0';
    // At most 20 digits: the value is built in a wider type and saturated.
    long double value = 0;
    for (const QChar c : run)
        value = value * 10 + (c.unicode() - u'0');
    return value > std::numeric_limits<int32_t>::max() ? std::numeric_limits<int32_t>::max() : int32_t(value);
}

int ppVarEventToEventID(TppVarEventType aVarEventType)
{
    switch (aVarEventType) {
    case TppVarEventType::veTraversal: return ppEvent::Traversal;
    case TppVarEventType::veDataPipelineTraversal: return ppEvent::OnTraversal;
    case TppVarEventType::vePageStart: return ppEvent::OnStartPage;
    case TppVarEventType::vePageEnd: return ppEvent::OnEndPage;
    case TppVarEventType::veColumnStart: return ppEvent::OnStartColumn;
    case TppVarEventType::veColumnEnd: return ppEvent::OnEndColumn;
    case TppVarEventType::veReportStart: return ppEvent::ReportStart;
    case TppVarEventType::veReportEnd: return ppEvent::ReportEnd;
    case TppVarEventType::veGroupStart: return ppEvent::BeforeGroupBreak;
    case TppVarEventType::veGroupEnd: return ppEvent::AfterGroupBreak;
    case TppVarEventType::veGroupBeforeHeader: return ppEvent::BeforeHeader;
    case TppVarEventType::veGroupBeforeFooter: return ppEvent::BeforeFooter;
    }
    return ppEvent::Traversal;
}

TppVarType ppCalcTypeToVarType(TppCalcType aCalcType)
{
    switch (aCalcType) {
    case TppCalcType::ctDate: return TppVarType::vtDate;
    case TppCalcType::ctDateTime: return TppVarType::vtDateTime;
    case TppCalcType::ctPrintDateTime: return TppVarType::vtPrintDateTime;
    case TppCalcType::ctPageCount: return TppVarType::vtPageCount;
    case TppCalcType::ctPageSet: return TppVarType::vtPageSet;
    case TppCalcType::ctPageSetDesc: return TppVarType::vtPageSetDesc;
    case TppCalcType::ctPageNo: return TppVarType::vtPageNo;
    case TppCalcType::ctPageNoDesc: return TppVarType::vtPageNoDesc;
    case TppCalcType::ctTime: return TppVarType::vtTime;
    case TppCalcType::ctCustom: break;
    }
    return TppVarType::vtDate;
}

float ppGetScaleToFit(int aWidth, int aHeight, int aBoxWidth, int aBoxHeight)
{
    if (aWidth <= 0 || aHeight <= 0)
        return 0.0f;
    return std::min(float(aBoxWidth) / float(aWidth), float(aBoxHeight) / float(aHeight));
}

// ---- System variables --------------------------------------------------------

void ppGetSystemVariableText(TppVarType aVarType, int aPageNo, int aPageCount, QString &aText, bool aValuesKnown,
                             int /*aLanguageIndex*/, rtl::TDateTime aPrintDateTime)
{
    const QString page = QString::number(aValuesKnown ? aPageNo : 1);
    const QString count = QString::number(aValuesKnown ? aPageCount : 1);
    const QChar blank = u' ';
    switch (aVarType) {
    case TppVarType::vtDate: aText = rtl::DateTimeToStr(rtl::Date()); return;
    case TppVarType::vtDateTime: aText = rtl::DateTimeToStr(rtl::Now()); return;
    case TppVarType::vtDocumentName: aText.clear(); return;
    case TppVarType::vtPrintDateTime: aText = rtl::DateTimeToStr(aValuesKnown ? aPrintDateTime : rtl::Now()); return;
    case TppVarType::vtPageCount: aText = count; return;
    case TppVarType::vtPageSet: aText = page + blank + ppLoadStr(16) + blank + count; return;
    case TppVarType::vtPageSetDesc:
        aText = ppLoadStr(18) + blank + page + blank + ppLoadStr(16) + blank + count;
        return;
    case TppVarType::vtPageNo: aText = page; return;
    case TppVarType::vtPageNoDesc: aText = ppLoadStr(18) + blank + page; return;
    case TppVarType::vtTime: aText = rtl::TimeToStr(rtl::Now()); return;
    }
    aText.clear();
}

QString ppSystemVariableToText(TppVarType aVarType, int aPageNo, int aPageCount, bool aValuesKnown, int aLanguageIndex,
                               rtl::TDateTime aPrintDateTime)
{
    QString text;
    ppGetSystemVariableText(aVarType, aPageNo, aPageCount, text, aValuesKnown, aLanguageIndex, aPrintDateTime);
    return text;
}

// ---- Threads -----------------------------------------------------------------

bool ppInMainThread()
{
    if (g_inMainThreadOverride.load(std::memory_order_relaxed))
        return true;
    if (g_mainThreadKnown.load(std::memory_order_acquire))
        return std::this_thread::get_id() == g_mainThread;
    const QCoreApplication *app = QCoreApplication::instance();
    return app && app->thread() == QThread::currentThread();
}

void ppSetMainThread()
{
    g_mainThread = std::this_thread::get_id();
    g_mainThreadKnown.store(true, std::memory_order_release);
}

void ppSetInMainThreadOverride(bool aOverride)
{
    g_inMainThreadOverride.store(aOverride, std::memory_order_relaxed);
}

} // namespace report
