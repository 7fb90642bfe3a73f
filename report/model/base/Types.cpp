#include "report/model/base/Types.h"

namespace report {

#define ZVO_REPORT_ENUM_INFO(E, ...)                                                                                   \
    template <>                                                                                                        \
    const classes::TEnumInfo &EnumInfo<E>()                                                                            \
    {                                                                                                                  \
        static const classes::TEnumInfo info(QStringLiteral(#E), {__VA_ARGS__});                                       \
        return info;                                                                                                   \
    }

ZVO_REPORT_ENUM_INFO(TppCollationType, "ctANSI", "ctASCII")
ZVO_REPORT_ENUM_INFO(TppBarCodeType, "bcUPC_A", "bcUPC_E", "bcEAN_13", "bcEAN_8", "bcInt2of5", "bcCode128", "bcCode39",
                     "bcPostnet", "bcFIM", "bcCodabar", "bcMSI")
ZVO_REPORT_ENUM_INFO(TppBarCodeOrientation, "orLeftToRight", "orRightToLeft", "orTopToBottom", "orBottomToTop")
ZVO_REPORT_ENUM_INFO(TppBreakType, "btDataField", "btCustomField")
ZVO_REPORT_ENUM_INFO(TppCalcType, "ctDate", "ctDateTime", "ctPrintDateTime", "ctPageCount", "ctPageSet",
                     "ctPageSetDesc", "ctPageNo", "ctPageNoDesc", "ctTime", "ctCustom")
ZVO_REPORT_ENUM_INFO(TppDataType, "dtBoolean", "dtDate", "dtTime", "dtDateTime", "dtInteger", "dtSingle", "dtDouble",
                     "dtExtended", "dtCurrency", "dtChar", "dtString", "dtVariant", "dtLongint", "dtBLOB", "dtMemo",
                     "dtGraphic", "dtNotKnown", "dtLargeInt")
ZVO_REPORT_ENUM_INFO(TppDBCalcType, "dcCount", "dcSum", "dcMinimum", "dcMaximum", "dcAverage")
ZVO_REPORT_ENUM_INFO(TppDuplexType, "dpNone", "dpHorizontal", "dpVertical")
ZVO_REPORT_ENUM_INFO(TppFileType, "ftComma", "ftTab", "ftFixedLength", "ftCustom")
ZVO_REPORT_ENUM_INFO(TppFormatType, "ftBinary", "ftASCII")
ZVO_REPORT_ENUM_INFO(TppLanguageType, "lgDefault", "lgDanish", "lgDutch", "lgEnglish", "lgFrench", "lgGerman",
                     "lgItalian", "lgPortugueseBrazil", "lgPortuguese", "lgSpanish", "lgSpanishMexico", "lgSwedish",
                     "lgNorwegian", "lgCustom")
ZVO_REPORT_ENUM_INFO(TppLinePositionType, "lpTop", "lpBottom", "lpLeft", "lpRight")
ZVO_REPORT_ENUM_INFO(TppLineStyleType, "lsSingle", "lsDouble")
ZVO_REPORT_ENUM_INFO(TppNoDataBehaviorType, "ndMessageDialog", "ndMessageOnPage", "ndBlankPage", "ndBlankReport")
ZVO_REPORT_ENUM_INFO(TppOutlineNodeType, "ntRoot", "ntReport", "ntSubReport", "ntGroup", "ntPage", "ntNoOutline",
                     "ntOther")
ZVO_REPORT_ENUM_INFO(TppPageSettingType, "psAll", "psPageList", "psSinglePage", "psFirstPage", "psLastPage",
                     "psPageRange")
ZVO_REPORT_ENUM_INFO(TppPageRangeType, "prAll", "prOddPages", "prEvenPages")
ZVO_REPORT_ENUM_INFO(TppPassSettingType, "psOnePass", "psTwoPass")
ZVO_REPORT_ENUM_INFO(TppPrintBehaviorType, "pbChild", "pbSection", "pbFixed")
ZVO_REPORT_ENUM_INFO(TppPrintHeightType, "phStatic", "phDynamic")
ZVO_REPORT_ENUM_INFO(TppColumnTraversalType, "ctTopToBottom", "ctLeftToRight")
ZVO_REPORT_ENUM_INFO(TppRangeBeginType, "rbFirstRecord", "rbLastRecord", "rbCurrentRecord")
ZVO_REPORT_ENUM_INFO(TppRangeEndType, "reFirstRecord", "reLastRecord", "reCurrentRecord", "reCount")
ZVO_REPORT_ENUM_INFO(TppSaveToType, "stDatabase", "stFile")
ZVO_REPORT_ENUM_INFO(TppSearchOperatorType, "soEqual", "soNotEqual", "soLessThan", "soLessThanOrEqualTo",
                     "soGreaterThan", "soGreaterThanOrEqualTo", "soLike", "soNotLike", "soBetween", "soNotBetween",
                     "soInList", "soNotInList", "soBlank", "soNotBlank")
ZVO_REPORT_ENUM_INFO(TppSortOrderType, "soAscending", "soDescending")
ZVO_REPORT_ENUM_INFO(TppUnitType, "utScreenPixels", "utInches", "utMillimeters", "utPrinterPixels", "utMMThousandths")
ZVO_REPORT_ENUM_INFO(TppVarEventType, "veTraversal", "veDataPipelineTraversal", "vePageStart", "vePageEnd",
                     "veColumnStart", "veColumnEnd", "veReportStart", "veReportEnd", "veGroupStart", "veGroupEnd",
                     "veGroupBeforeHeader", "veGroupBeforeFooter")
ZVO_REPORT_ENUM_INFO(TppVarType, "vtDate", "vtDateTime", "vtDocumentName", "vtPrintDateTime", "vtPageCount",
                     "vtPageSet", "vtPageSetDesc", "vtPageNo", "vtPageNoDesc", "vtTime")
ZVO_REPORT_ENUM_INFO(TppTextAlignment, "taLeftJustified", "taRightJustified", "taCentered", "taFullJustified")
ZVO_REPORT_ENUM_INFO(TppZoomSettingType, "zsWholePage", "zsPageWidth", "zs100Percent", "zsPercentage")
ZVO_REPORT_ENUM_INFO(TppVerticalScrollEventType, "vsLineUp", "vsLineDown", "vsPageUp", "vsPageDown", "vsThumbPos",
                     "vsThumbTrack", "vsTop", "vsBottom", "vsEndScroll")
ZVO_REPORT_ENUM_INFO(TppHorizontalScrollEventType, "hsLineLeft", "hsLineRight", "hsPageLeft", "hsPageRight",
                     "hsThumbPos", "hsThumbTrack", "hsLeft", "hsRight", "hsEndScroll")

#undef ZVO_REPORT_ENUM_INFO

} // namespace report
