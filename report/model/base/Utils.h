#pragma once

// Small routines the whole report library shares: temporary files, text and
// list helpers, page lists, the version-number rule, number lists in units,
// the texts of system variables, scaling and the main-thread test.

#include "report/model/base/Types.h"
#include "report/model/base/Units.h"

#include "platform/classes/EnumTypes.h"
#include "platform/rtl/Types.h"

#include <QString>
#include <QStringView>

#include <cstdint>

namespace classes {
class TStrings;
}

namespace report {

// ---- Files and text ----------------------------------------------------------

// The system's folder for temporary files, with a "/" at the end.
QString ppGetTempPath();
// Creates a new empty file, readable and writable by its owner only, in
// aPath (the temporary folder when empty) whose name begins with the first
// three characters of aPrefix ("cch" for the page cache, "arc" for the
// archive device), and answers its name; '' when no file can be made there.
QString ppGetTempFileName(const QString &aPath, const QString &aPrefix);
// The text up to and including the last "/" or "\"; '' when there is none.
QString ppGetFilePath(const QString &aFileName);
QString ppRemoveChar(QChar aChar, const QString &aText);
// Equal without regard to case, as the user's locale compares.
bool ppTextEquals(const QString &S1, const QString &S2);
// Cut to aWidth, or padded with blanks to it: after the text, before it, or
// around it (Round(n / 2) of the n blanks before, halves to even). Widths
// count characters: a pair of surrogates is one and is never cut in two.
QString ppPadString(const QString &aText, int aWidth, classes::TAlignment aAlignment);
// The characters of aText, a pair of surrogates counting as one.
qsizetype ppCharCount(QStringView aText);
// The UTF-16 units the first aChars characters of aText take (all of them
// when it has fewer).
qsizetype ppCharsToUnits(QStringView aText, qsizetype aChars);
// Clears aList and adds the pieces of aText between commas; empty pieces
// stay except a last one.
void ppCommaTextToList(const QString &aText, classes::TStrings &aList);
// Clears aList and fills it with the pages of a page list (PageList.h), each
// as "%8d" (trimmed with aTrim), in ascending order. False, with aList empty,
// for a text that is no page list; callers then show message 11.
bool ppTextToPageList(const QString &aText, classes::TStrings &aList, bool aTrim);

struct TppStrUtils
{
    static QString LeftStr(const QString &aText, int aCount);
};

struct TppMath
{
    static int Max(int A, int B) { return A > B ? A : B; }
};

// The date-time of a text; the class library's conversion error when it
// does not read.
rtl::TDateTime ppStrToDateTime(const QString &aText);

// ---- Number lists ------------------------------------------------------------

// Each entry, an Integer in thousandths, converted to aUnits and written as a
// general-format number of 7 significant digits. Entries that are no
// number stay as they are, for the caller to report.
void ppConvertListFromMMThousandths(classes::TStrings &aList, TppUnitType aUnits, TppAxisType aAxis,
                                    const PrinterResolution *aPrinter = nullptr);
// Each entry, a number in aUnits, converted to thousandths and written as an
// Integer; entries that are no number stay as they are.
void ppConvertListToMMThousandths(classes::TStrings &aList, TppUnitType aUnits, TppAxisType aAxis,
                                  const PrinterResolution *aPrinter = nullptr);
// Each entry containing "." gets the system's decimal separator in its place.
void ppFixDecimalSeparators(classes::TStrings &aList);

// ---- Numbers and names -------------------------------------------------------

// The leading run of digits and "." (at most 20 characters) without its
// first ".", cut at a further "." and padded with "0" to four digits: "7.01"
// gives 7010, "1.0" 1000, "7.01 Beta" 7010. Saturates at the Integer's end.
int32_t ppVersionToNumber(const QString &aText);
// The communicator event id of a variable's timing.
int ppVarEventToEventID(TppVarEventType aVarEventType);
// The system-variable kind of a calculation kind (ctCustom: vtDate).
TppVarType ppCalcTypeToVarType(TppCalcType aCalcType);
// The factor that fits a picture into a box keeping its aspect ratio; 0 for
// a picture without width or height.
float ppGetScaleToFit(int aWidth, int aHeight, int aBoxWidth, int aBoxHeight);

// ---- System variables --------------------------------------------------------

// The text of a system variable. Without aValuesKnown (design time) page
// and page count are 1 and the print date-time is now. aLanguageIndex is
// the language of the band asking; the words come from the process-wide
// message language, which every index shares.
void ppGetSystemVariableText(TppVarType aVarType, int aPageNo, int aPageCount, QString &aText, bool aValuesKnown,
                             int aLanguageIndex, rtl::TDateTime aPrintDateTime);
QString ppSystemVariableToText(TppVarType aVarType, int aPageNo, int aPageCount, bool aValuesKnown, int aLanguageIndex,
                               rtl::TDateTime aPrintDateTime);

// ---- Threads -----------------------------------------------------------------

// True on the thread that started the library (or, before that, the
// application's thread), and everywhere while the override is set.
bool ppInMainThread();
// Records the calling thread as the main thread; the library's start-up calls it.
void ppSetMainThread();
void ppSetInMainThreadOverride(bool aOverride);

} // namespace report
