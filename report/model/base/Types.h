#pragma once

// The enumerations the whole report library shares. Their value names, in
// order, are what stored reports and scripts know them by: EnumInfo<E>()
// answers the name table of each (a class-layer enumeration description).

#include "platform/classes/PropInfo.h"

#include <QString>

#include <cstdint>

namespace report {

enum class TppCollationType : uint8_t { ctANSI, ctASCII };

enum class TppBarCodeType : uint8_t {
    bcUPC_A,
    bcUPC_E,
    bcEAN_13,
    bcEAN_8,
    bcInt2of5,
    bcCode128,
    bcCode39,
    bcPostnet,
    bcFIM,
    bcCodabar,
    bcMSI
};

enum class TppBarCodeOrientation : uint8_t { orLeftToRight, orRightToLeft, orTopToBottom, orBottomToTop };

enum class TppBreakType : uint8_t { btDataField, btCustomField };

enum class TppCalcType : uint8_t {
    ctDate,
    ctDateTime,
    ctPrintDateTime,
    ctPageCount,
    ctPageSet,
    ctPageSetDesc,
    ctPageNo,
    ctPageNoDesc,
    ctTime,
    ctCustom
};

enum class TppDataType : uint8_t {
    dtBoolean,
    dtDate,
    dtTime,
    dtDateTime,
    dtInteger,
    dtSingle,
    dtDouble,
    dtExtended,
    dtCurrency,
    dtChar,
    dtString,
    dtVariant,
    dtLongint,
    dtBLOB,
    dtMemo,
    dtGraphic,
    dtNotKnown,
    dtLargeInt
};

enum class TppDBCalcType : uint8_t { dcCount, dcSum, dcMinimum, dcMaximum, dcAverage };

enum class TppDuplexType : uint8_t { dpNone, dpHorizontal, dpVertical };

enum class TppFileType : uint8_t { ftComma, ftTab, ftFixedLength, ftCustom };

enum class TppFormatType : uint8_t { ftBinary, ftASCII };

enum class TppLanguageType : uint8_t {
    lgDefault,
    lgDanish,
    lgDutch,
    lgEnglish,
    lgFrench,
    lgGerman,
    lgItalian,
    lgPortugueseBrazil,
    lgPortuguese,
    lgSpanish,
    lgSpanishMexico,
    lgSwedish,
    lgNorwegian,
    lgCustom
};

enum class TppLinePositionType : uint8_t { lpTop, lpBottom, lpLeft, lpRight };

enum class TppLineStyleType : uint8_t { lsSingle, lsDouble };

enum class TppNoDataBehaviorType : uint8_t { ndMessageDialog, ndMessageOnPage, ndBlankPage, ndBlankReport };

enum class TppOutlineNodeType : uint8_t { ntRoot, ntReport, ntSubReport, ntGroup, ntPage, ntNoOutline, ntOther };

enum class TppPageSettingType : uint8_t { psAll, psPageList, psSinglePage, psFirstPage, psLastPage, psPageRange };

enum class TppPageRangeType : uint8_t { prAll, prOddPages, prEvenPages };

enum class TppPassSettingType : uint8_t { psOnePass, psTwoPass };

enum class TppPrintBehaviorType : uint8_t { pbChild, pbSection, pbFixed };

enum class TppPrintHeightType : uint8_t { phStatic, phDynamic };

// How the detail band fills the columns of a page.
enum class TppColumnTraversalType : uint8_t { ctTopToBottom, ctLeftToRight };

enum class TppRangeBeginType : uint8_t { rbFirstRecord, rbLastRecord, rbCurrentRecord };

enum class TppRangeEndType : uint8_t { reFirstRecord, reLastRecord, reCurrentRecord, reCount };

enum class TppSaveToType : uint8_t { stDatabase, stFile };

enum class TppSearchOperatorType : uint8_t {
    soEqual,
    soNotEqual,
    soLessThan,
    soLessThanOrEqualTo,
    soGreaterThan,
    soGreaterThanOrEqualTo,
    soLike,
    soNotLike,
    soBetween,
    soNotBetween,
    soInList,
    soNotInList,
    soBlank,
    soNotBlank
};

enum class TppSortOrderType : uint8_t { soAscending, soDescending };

enum class TppUnitType : uint8_t { utScreenPixels, utInches, utMillimeters, utPrinterPixels, utMMThousandths };

enum class TppVarEventType : uint8_t {
    veTraversal,
    veDataPipelineTraversal,
    vePageStart,
    vePageEnd,
    veColumnStart,
    veColumnEnd,
    veReportStart,
    veReportEnd,
    veGroupStart,
    veGroupEnd,
    veGroupBeforeHeader,
    veGroupBeforeFooter
};

enum class TppVarType : uint8_t {
    vtDate,
    vtDateTime,
    vtDocumentName,
    vtPrintDateTime,
    vtPageCount,
    vtPageSet,
    vtPageSetDesc,
    vtPageNo,
    vtPageNoDesc,
    vtTime
};

enum class TppTextAlignment : uint8_t { taLeftJustified, taRightJustified, taCentered, taFullJustified };

enum class TppZoomSettingType : uint8_t { zsWholePage, zsPageWidth, zs100Percent, zsPercentage };

// The values of the system's scroll notifications, in their order.
enum class TppVerticalScrollEventType : uint8_t {
    vsLineUp,
    vsLineDown,
    vsPageUp,
    vsPageDown,
    vsThumbPos,
    vsThumbTrack,
    vsTop,
    vsBottom,
    vsEndScroll
};

enum class TppHorizontalScrollEventType : uint8_t {
    hsLineLeft,
    hsLineRight,
    hsPageLeft,
    hsPageRight,
    hsThumbPos,
    hsThumbTrack,
    hsLeft,
    hsRight,
    hsEndScroll
};

// The name table of an enumeration above (its type name and value names).
template <class E>
const classes::TEnumInfo &EnumInfo();

#define ZVO_REPORT_ENUM(E)                                                                                             \
    template <>                                                                                                        \
    const classes::TEnumInfo &EnumInfo<E>();
ZVO_REPORT_ENUM(TppCollationType)
ZVO_REPORT_ENUM(TppBarCodeType)
ZVO_REPORT_ENUM(TppBarCodeOrientation)
ZVO_REPORT_ENUM(TppBreakType)
ZVO_REPORT_ENUM(TppCalcType)
ZVO_REPORT_ENUM(TppDataType)
ZVO_REPORT_ENUM(TppDBCalcType)
ZVO_REPORT_ENUM(TppDuplexType)
ZVO_REPORT_ENUM(TppFileType)
ZVO_REPORT_ENUM(TppFormatType)
ZVO_REPORT_ENUM(TppLanguageType)
ZVO_REPORT_ENUM(TppLinePositionType)
ZVO_REPORT_ENUM(TppLineStyleType)
ZVO_REPORT_ENUM(TppNoDataBehaviorType)
ZVO_REPORT_ENUM(TppOutlineNodeType)
ZVO_REPORT_ENUM(TppPageSettingType)
ZVO_REPORT_ENUM(TppPageRangeType)
ZVO_REPORT_ENUM(TppPassSettingType)
ZVO_REPORT_ENUM(TppPrintBehaviorType)
ZVO_REPORT_ENUM(TppPrintHeightType)
ZVO_REPORT_ENUM(TppColumnTraversalType)
ZVO_REPORT_ENUM(TppRangeBeginType)
ZVO_REPORT_ENUM(TppRangeEndType)
ZVO_REPORT_ENUM(TppSaveToType)
ZVO_REPORT_ENUM(TppSearchOperatorType)
ZVO_REPORT_ENUM(TppSortOrderType)
ZVO_REPORT_ENUM(TppUnitType)
ZVO_REPORT_ENUM(TppVarEventType)
ZVO_REPORT_ENUM(TppVarType)
ZVO_REPORT_ENUM(TppTextAlignment)
ZVO_REPORT_ENUM(TppZoomSettingType)
ZVO_REPORT_ENUM(TppVerticalScrollEventType)
ZVO_REPORT_ENUM(TppHorizontalScrollEventType)
#undef ZVO_REPORT_ENUM

// The value's name ('' outside the enumeration).
template <class E>
QString EnumName(E value)
{
    return EnumInfo<E>().NameOf(int64_t(value));
}

} // namespace report
