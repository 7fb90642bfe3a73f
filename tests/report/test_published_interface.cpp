// The published interface of the report classes: what a stored report can
// name and what a save keeps. One row per published property or event, by
// the class that declares it; a class is checked against its own rows and
// those of its ancestors, and every value goes through both stream forms.

#include "tests/support/report/ReportFakes.h"

#include "report/model/forms/DialogServices.h"
#include "report/output/LibraryInit.h"

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Component.h"
#include "platform/classes/ObjectText.h"
#include "platform/classes/Reader.h"
#include "platform/classes/Streams.h"
#include "platform/classes/StringList.h"
#include "platform/classes/TypInfo.h"
#include "platform/classes/Writer.h"

#include <QSet>

#include <gtest/gtest.h>

namespace {

// Stored: 'd' when the value is not the default (texts: not empty; events:
// a handler; objects: what they store), 'n' never (another entry keeps it,
// or it is a view of one).
struct Row
{
    const char *owner;
    const char *name;
    const char *type;
    const char *defaultValue;
    char stored;
    const char *sample; // "" for objects and references, checked by their own tests
};

constexpr Row Rows[] = {
    {"TComponent", "Name", "string", "", 'n', ""},
    {"TComponent", "Tag", "Integer", "0", 'd', "7"},

    {"TppCustomReport", "AutoStop", "Boolean", "True", 'd', "False"},
    {"TppCustomReport", "Columns", "Integer", "1", 'd', "3"},
    {"TppCustomReport", "ColumnPositions", "TStrings", "", 'd', "100|2000"},
    {"TppCustomReport", "ColumnWidth", "Single", "", 'n', ""},
    {"TppCustomReport", "DataPipeline", "TppDataPipeline", "", 'n', ""},
    {"TppCustomReport", "NoDataBehaviors", "TppNoDataBehaviors", "[ndBlankPage]", 'd',
     "[ndMessageDialog,ndBlankReport]"},
    {"TppCustomReport", "OnEndColumn", "TNotifyEvent", "", 'd', ""},
    {"TppCustomReport", "OnEndFirstPass", "TNotifyEvent", "", 'd', ""},
    {"TppCustomReport", "OnEndPage", "TNotifyEvent", "", 'd', ""},
    {"TppCustomReport", "OnEndSecondPass", "TNotifyEvent", "", 'd', ""},
    {"TppCustomReport", "OnNoData", "TppNoDataEvent", "", 'd', ""},
    {"TppCustomReport", "OnPrintingComplete", "TNotifyEvent", "", 'd', ""},
    {"TppCustomReport", "OnSaveText", "TppSaveTextEvent", "", 'd', ""},
    {"TppCustomReport", "OnStartColumn", "TNotifyEvent", "", 'd', ""},
    {"TppCustomReport", "OnStartFirstPass", "TNotifyEvent", "", 'd', ""},
    {"TppCustomReport", "OnStartPage", "TNotifyEvent", "", 'd', ""},
    {"TppCustomReport", "OnStartSecondPass", "TNotifyEvent", "", 'd', ""},
    {"TppCustomReport", "PageLimit", "Integer", "0", 'd', "4"},
    {"TppCustomReport", "PassSetting", "TppPassSettingType", "psOnePass", 'd', "psTwoPass"},
    {"TppCustomReport", "PrinterSetup", "TppPrinterSetup", "", 'd', ""},
    // Read back as True, it loads the layout from the template's file.
    {"TppCustomReport", "SaveAsTemplate", "Boolean", "False", 'd', ""},
    {"TppCustomReport", "Template", "TppReportTemplate", "", 'd', ""},
    {"TppCustomReport", "Units", "TppUnitType", "utInches", 'd', "utMillimeters"},

    {"TppReport", "AfterAutoSearchDialogCreate", "TNotifyEvent", "", 'd', ""},
    {"TppReport", "AfterPrint", "TNotifyEvent", "", 'd', ""},
    {"TppReport", "AllowPrintToArchive", "Boolean", "False", 'd', "True"},
    {"TppReport", "AllowPrintToFile", "Boolean", "False", 'd', "True"},
    {"TppReport", "ArchiveFileName", "string", "", 'd', "out.raf"},
    {"TppReport", "BeforeAutoSearchDialogCreate", "TNotifyEvent", "", 'd', ""},
    {"TppReport", "BeforePrint", "TNotifyEvent", "", 'd', ""},
    {"TppReport", "CachePages", "Boolean", "False", 'd', "True"},
    {"TppReport", "DeviceType", "string", "Screen", 'd', "Printer"},
    {"TppReport", "Icon", "TIcon", "", 'd', ""},
    {"TppReport", "Language", "TppLanguageType", "lgDefault", 'd', "lgFrench"},
    {"TppReport", "ModalCancelDialog", "Boolean", "True", 'd', "False"},
    {"TppReport", "ModalPreview", "Boolean", "True", 'd', "False"},
    {"TppReport", "OnAutoSearchDialogClose", "TNotifyEvent", "", 'd', ""},
    {"TppReport", "OnCancel", "TNotifyEvent", "", 'd', ""},
    {"TppReport", "OnCancelDialogClose", "TNotifyEvent", "", 'd', ""},
    {"TppReport", "OnCancelDialogCreate", "TNotifyEvent", "", 'd', ""},
    {"TppReport", "OnGetAutoSearchValues", "TNotifyEvent", "", 'd', ""},
    {"TppReport", "OnOutlineNodeCreate", "TppOutlineNodeCreateEvent", "", 'd', ""},
    {"TppReport", "OnPageRequest", "TppPageRequestEvent", "", 'd', ""},
    {"TppReport", "OnAssignPreviewFormSettings", "TNotifyEvent", "", 'd', ""},
    {"TppReport", "OnPreviewFormClose", "TNotifyEvent", "", 'd', ""},
    {"TppReport", "OnPreviewFormCreate", "TNotifyEvent", "", 'd', ""},
    {"TppReport", "OnPrintDialogClose", "TNotifyEvent", "", 'd', ""},
    {"TppReport", "OnPrintDialogCreate", "TNotifyEvent", "", 'd', ""},
    {"TppReport", "OutlineSettings", "TppOutlineReportSettings", "", 'd', ""},
    {"TppReport", "PreviewFormSettings", "TppPreviewFormSettings", "", 'd', ""},
    {"TppReport", "SavePrinterSetup", "Boolean", "False", 'd', "True"},
    {"TppReport", "ShowAutoSearchDialog", "Boolean", "False", 'd', "True"},
    {"TppReport", "ShowCancelDialog", "Boolean", "True", 'd', "False"},
    {"TppReport", "ShowPrintDialog", "Boolean", "True", 'd', "False"},
    {"TppReport", "TextFileName", "string", "", 'd', "out.csv"},
    {"TppReport", "TextFileType", "TppFileType", "ftComma", 'd', "ftTab"},
    {"TppReport", "TextSearchSettings", "TppTextSearchSettings", "", 'd', ""},

    {"TppGroup", "AfterGroupBreak", "TNotifyEvent", "", 'd', ""},
    {"TppGroup", "BeforeGroupBreak", "TNotifyEvent", "", 'd', ""},
    {"TppGroup", "BreakName", "string", "", 'd', "Key"},
    {"TppGroup", "BreakType", "TppBreakType", "btDataField", 'd', "btCustomField"},
    {"TppGroup", "DataPipeline", "TppDataPipeline", "", 'n', ""},
    {"TppGroup", "HeaderForOrphanedFooter", "Boolean", "True", 'd', "False"},
    {"TppGroup", "KeepTogether", "Boolean", "False", 'd', "True"},
    {"TppGroup", "NewColumn", "Boolean", "False", 'd', ""},
    {"TppGroup", "NewColumnThreshold", "Single", "0", 'n', ""},
    {"TppGroup", "NewPage", "Boolean", "False", 'd', ""},
    {"TppGroup", "NewPageThreshold", "Single", "0", 'n', ""},
    {"TppGroup", "OnGetBreakValue", "TppGetBreakValueEvent", "", 'd', ""},
    {"TppGroup", "OutlineSettings", "TppOutlineSettings", "", 'd', ""},
    {"TppGroup", "ReprintOnSubsequentColumn", "Boolean", "True", 'd', "False"},
    {"TppGroup", "ReprintOnSubsequentPage", "Boolean", "True", 'd', "False"},
    {"TppGroup", "ResetPageNo", "Boolean", "False", 'd', "True"},
    {"TppGroup", "UserName", "string", "", 'd', "Totals"},

    {"TppBand", "AfterGenerate", "TNotifyEvent", "", 'd', ""},
    {"TppBand", "AfterPrint", "TNotifyEvent", "", 'd', ""},
    {"TppBand", "BeforeGenerate", "TNotifyEvent", "", 'd', ""},
    {"TppBand", "BeforePrint", "TNotifyEvent", "", 'd', ""},
    {"TppBand", "Height", "Single", "", 'n', ""},
    {"TppBand", "Save", "Boolean", "False", 'd', "True"},
    {"TppBand", "Visible", "Boolean", "True", 'd', "False"},
    {"TppDetailBand", "BandsPerRecord", "Integer", "1", 'd', "2"},
    {"TppDetailBand", "BottomOffset", "Single", "0", 'n', ""},
    {"TppDetailBand", "ColumnTraversal", "TppColumnTraversalType", "ctTopToBottom", 'd', "ctLeftToRight"},
    {"TppDetailBand", "PrintCount", "Integer", "0", 'd', "5"},
    {"TppDetailBand", "PrintHeight", "TppPrintHeightType", "phStatic", 'd', "phDynamic"},
    {"TppDetailBand", "PrintPosition", "Single", "0", 'n', ""},
    {"TppPageBand", "PrintHeight", "TppPrintHeightType", "phStatic", 'd', "phDynamic"},
    {"TppPageBand", "PrintOnFirstPage", "Boolean", "True", 'd', "False"},
    {"TppPageBand", "PrintOnLastPage", "Boolean", "True", 'd', "False"},
    {"TppHeaderBand", "BottomOffset", "Single", "0", 'n', ""},
    {"TppHeaderBand", "PrintPosition", "Single", "0", 'n', ""},
    {"TppReportBand", "BottomOffset", "Single", "0", 'n', ""},
    {"TppReportBand", "NewPage", "Boolean", "False", 'd', "True"},
    {"TppReportBand", "PrintHeight", "TppPrintHeightType", "phStatic", 'd', "phDynamic"},
    {"TppReportBand", "PrintPosition", "Single", "0", 'n', ""},
    {"TppColumnHeaderBand", "BottomOffset", "Single", "0", 'n', ""},
    {"TppColumnHeaderBand", "PrintHeight", "TppPrintHeightType", "phStatic", 'd', "phDynamic"},
    {"TppColumnHeaderBand", "PrintPosition", "Single", "0", 'n', ""},
    // A column footer keeps to the column's bottom: its height cannot vary.
    {"TppColumnFooterBand", "PrintHeight", "TppPrintHeightType", "phStatic", 'd', ""},
    {"TppGroupBand", "BottomOffset", "Single", "0", 'n', ""},
    {"TppGroupBand", "Group", "TppGroup", "", 'n', ""},
    {"TppGroupBand", "PrintHeight", "TppPrintHeightType", "phStatic", 'd', "phDynamic"},
    {"TppGroupBand", "PrintPosition", "Single", "0", 'n', ""},
    {"TppPageStyle", "EndPage", "Integer", "0", 'd', "9"},
    {"TppPageStyle", "PageList", "TStrings", "", 'd', "       2|       5"},
    {"TppPageStyle", "PageSetting", "TppPageSettingType", "psAll", 'd', "psLastPage"},
    {"TppPageStyle", "SinglePage", "Integer", "0", 'd', "3"},
    {"TppPageStyle", "StartPage", "Integer", "0", 'd', "2"},
    {"TppPageStyle", "ValidPages", "string", "", 'd', ""},

    {"TppPrintable", "OnPrint", "TNotifyEvent", "", 'd', ""},
    {"TppComponent", "UserName", "string", "", 'd', "Frame"},
    {"TppStretchable", "BottomOffset", "Single", "0", 'n', ""},
    {"TppStretchable", "KeepTogether", "Boolean", "False", 'd', "True"},
    {"TppStretchable", "OverFlowOffset", "Single", "0", 'n', ""},
    {"TppStretchable", "StopPosition", "Single", "0", 'n', ""},
    {"TppStretchable", "Stretch", "Boolean", "False", 'd', "True"},
    {"TppRegion", "Brush", "TBrush", "", 'd', ""},
    {"TppRegion", "Caption", "string", "", 'd', "Totals frame"},
    {"TppRegion", "Height", "Single", "", 'n', ""},
    {"TppRegion", "Left", "Single", "", 'n', ""},
    {"TppRegion", "OnDrawCommandClick", "TppDrawCommandEvent", "", 'd', ""},
    {"TppRegion", "OnDrawCommandCreate", "TppDrawCommandEvent", "", 'd', ""},
    {"TppRegion", "ParentHeight", "Boolean", "False", 'd', "True"},
    {"TppRegion", "ParentWidth", "Boolean", "False", 'd', "True"},
    {"TppRegion", "Pen", "TPen", "", 'd', ""},
    {"TppRegion", "ReprintOnOverFlow", "Boolean", "False", 'd', "True"},
    {"TppRegion", "ShiftRelativeTo", "TppStretchable", "", 'n', ""},
    {"TppRegion", "ShiftWithParent", "Boolean", "False", 'd', "True"},
    {"TppRegion", "StretchWithParent", "Boolean", "False", 'd', "True"},
    {"TppRegion", "Top", "Single", "", 'n', ""},
    {"TppRegion", "Transparent", "Boolean", "False", 'd', "True"},
    {"TppRegion", "Visible", "Boolean", "True", 'd', "False"},
    {"TppRegion", "Width", "Single", "", 'n', ""},

    // The controls. Left, Top, Width and Height are views of the stored
    // thousandths, a pipeline is stored by its name ("DataPipelineName") and
    // a shift target under its own entry.
    {"TppLabel|TppDBText|TppSystemVariable|TppVariable|TppCalc|TppShape|TppLine|TppCustomImage|TppBarCode|"
     "TppDBBarCode|TppCustomMemo|TppSubReport",
     "Left", "Single", "", 'n', ""},
    {"TppLabel|TppDBText|TppSystemVariable|TppVariable|TppCalc|TppShape|TppLine|TppCustomImage|TppBarCode|"
     "TppDBBarCode|TppCustomMemo|TppSubReport",
     "Top", "Single", "", 'n', ""},
    {"TppLabel|TppDBText|TppSystemVariable|TppVariable|TppCalc|TppShape|TppLine|TppCustomImage|TppBarCode|"
     "TppDBBarCode|TppCustomMemo|TppSubReport",
     "Width", "Single", "", 'n', ""},
    {"TppLabel|TppDBText|TppSystemVariable|TppVariable|TppCalc|TppShape|TppLine|TppCustomImage|TppBarCode|"
     "TppDBBarCode|TppCustomMemo|TppSubReport",
     "Height", "Single", "", 'n', ""},
    {"TppDBText|TppDBImage|TppDBBarCode|TppDBMemo|TppDBRichText|TppSubReport", "DataPipeline", "TppDataPipeline", "",
     'n', ""},
    {"TppCustomMemo|TppCustomRichText|TppSubReport", "ShiftRelativeTo", "TppStretchable", "", 'n', ""},
    {"TppLabel|TppDBText|TppSystemVariable|TppVariable|TppCalc|TppBarCode|TppDBBarCode|TppCustomMemo|TppRichText|"
     "TppDBRichText",
     "Color", "Integer", "16777215", 'd', "255"},
    {"TppLabel|TppDBText|TppSystemVariable|TppVariable|TppCalc|TppShape|TppLine|TppCustomImage|TppBarCode|"
     "TppDBBarCode|TppCustomMemo|TppRichText|TppDBRichText|TppSubReport",
     "Visible", "Boolean", "True", 'd', "False"},
    {"TppLabel|TppDBText|TppSystemVariable|TppVariable|TppCalc|TppCustomImage|TppBarCode|TppDBBarCode|TppCustomMemo|"
     "TppRichText|TppDBRichText",
     "Transparent", "Boolean", "False", 'd', "True"},
    {"TppLabel|TppDBText|TppSystemVariable|TppVariable|TppCalc|TppBarCode|TppDBBarCode|TppCustomMemo", "Font",
     "TppFont", "", 'd', ""},
    {"TppLabel|TppDBText|TppSystemVariable|TppVariable|TppCustomMemo", "TextAlignment", "TppTextAlignment",
     "taLeftJustified", 'd', "taRightJustified"},
    {"TppLabel|TppDBText|TppSystemVariable|TppVariable|TppCalc", "WordWrap", "Boolean", "False", 'd', "True"},
    {"TppDBText|TppSystemVariable|TppVariable|TppCalc", "AutoSize", "Boolean", "False", 'd', "True"},
    {"TppDBText|TppSystemVariable|TppVariable|TppCalc", "DisplayFormat", "string", "", 'd', "#,0.00"},
    {"TppDBText|TppSystemVariable|TppVariable|TppCalc", "OnFormat", "TppFormatEvent", "", 'd', ""},
    {"TppLabel|TppDBText|TppShape|TppLine|TppCustomImage|TppBarCode|TppDBBarCode", "OnDrawCommandClick",
     "TppDrawCommandEvent", "", 'd', ""},
    {"TppLabel|TppDBText|TppShape|TppLine|TppCustomImage|TppBarCode|TppDBBarCode", "OnDrawCommandCreate",
     "TppDrawCommandEvent", "", 'd', ""},
    {"TppShape|TppLine|TppCustomImage|TppBarCode|TppDBBarCode|TppCustomMemo|TppRichText|TppDBRichText",
     "ReprintOnOverFlow", "Boolean", "False", 'd', "True"},
    {"TppShape|TppLine|TppCustomImage|TppBarCode|TppDBBarCode|TppCustomMemo|TppRichText|TppDBRichText",
     "ShiftWithParent", "Boolean", "False", 'd', "True"},
    {"TppShape|TppLine|TppCustomMemo", "StretchWithParent", "Boolean", "False", 'd', "True"},
    {"TppDBText|TppDBImage|TppDBBarCode|TppDBMemo|TppDBRichText", "DataField", "string", "", 'd', "Amount"},
    {"TppDBText|TppDBImage|TppDBBarCode|TppDBMemo|TppDBRichText", "ParentDataPipeline", "Boolean", "True", 'd',
     "False"},
    {"TppDBImage|TppDBMemo|TppDBRichText", "AutoDisplay", "Boolean", "True", 'd', "False"},
    {"TppDBText|TppDBMemo", "SuppressRepeatedValues", "Boolean", "False", 'd', "True"},

    {"TppCustomText", "CharWrap", "Boolean", "False", 'd', "True"},
    {"TppCustomText", "OnGetText", "TppGetTextEvent", "", 'd', ""},
    {"TppCustomText", "ReprintOnOverFlow", "Boolean", "False", 'd', "True"},
    // Its place in the band's save list: no band here.
    {"TppCustomText", "SaveOrder", "Integer", "-1", 'd', ""},
    {"TppCustomText", "Save", "Boolean", "False", 'd', "True"},
    {"TppCustomText", "SaveLength", "Integer", "0", 'd', "12"},
    {"TppCustomText", "ShiftWithParent", "Boolean", "False", 'd', "True"},
    {"TppLabel", "AutoSize", "Boolean", "True", 'd', "False"},
    {"TppLabel", "Caption", "string", "", 'd', "Total"},
    {"TppDBText", "BlankWhenZero", "Boolean", "False", 'd', "True"},
    {"TppDBText", "ReprintOnSubsequent", "Boolean", "False", 'd', "True"},
    {"TppDBText", "ResetGroup", "TppGroup", "", 'd', ""},
    {"TppDBCalc", "DBCalcType", "TppDBCalcType", "dcSum", 'd', "dcAverage"},
    {"TppDBCalc", "LookAhead", "Boolean", "False", 'd', "True"},
    {"TppDBCalc", "OnCalc", "TNotifyEvent", "", 'd', ""},
    {"TppDBCalc", "OnGroupBreak", "TNotifyEvent", "", 'd', ""},
    {"TppSystemVariable", "VarType", "TppVarType", "vtDate", 'd', "vtPageNoDesc"},
    // Its place among the band's calculations: no band here.
    {"TppVariable", "CalcOrder", "Integer", "-1", 'd', ""},
    {"TppVariable", "CalcComponent", "TppCommunicator", "", 'd', ""},
    {"TppVariable", "CalcType", "TppVarEventType", "veTraversal", 'd', "veReportStart"},
    {"TppVariable", "DataType", "TppDataType", "dtString", 'd', "dtInteger"},
    {"TppVariable", "LookAhead", "Boolean", "False", 'd', "True"},
    {"TppVariable", "OldOnCalc", "TNotifyEvent", "", 'd', ""},
    {"TppVariable", "OnCalc", "TppVarCalcEvent", "", 'd', ""},
    {"TppVariable", "OnReset", "TppVarCalcEvent", "", 'd', ""},
    {"TppVariable", "ResetComponent", "TppCommunicator", "", 'd', ""},
    {"TppVariable", "ResetType", "TppVarEventType", "veReportEnd", 'd', "vePageStart"},
    {"TppCalc", "Alignment", "TAlignment", "taLeftJustify", 'd', "taCenter"},
    // Follows the kind unless the kind is custom; always stored.
    {"TppCalc", "CustomType", "TppDataType", "dtDateTime", 'd', ""},
    {"TppCalc", "CalcType", "TppCalcType", "ctDate", 'd', "ctPageNo"},
    {"TppCalc", "OnCalc", "TNotifyEvent", "", 'd', ""},

    {"TppCustomMemo", "CharWrap", "Boolean", "False", 'd', "True"},
    {"TppCustomMemo", "ForceJustifyLastLine", "Boolean", "False", 'd', "True"},
    {"TppCustomMemo", "Leading", "Single", "0", 'n', ""},
    {"TppCustomMemo", "TabStopPositions", "TStrings", "", 'd', ""},
    {"TppMemo", "Lines", "TStrings", "", 'd', "First line|Second line"},
    {"TppDBMemo", "OnGetMemo", "TppMemoEvent", "", 'd', ""},

    {"TppShape|TppLine|TppCustomImage", "Visible", "Boolean", "True", 'd', "False"},
    {"TppShape", "Brush", "TBrush", "", 'd', ""},
    {"TppShape|TppLine", "Pen", "TPen", "", 'd', ""},
    {"TppShape", "Shape", "TShapeType", "stRectangle", 'd', "stEllipse"},
    {"TppLine", "Position", "TppLinePositionType", "lpTop", 'd', "lpBottom"},
    {"TppLine", "Style", "TppLineStyleType", "lsSingle", 'd', "lsDouble"},
    {"TppLine", "Weight", "Single", "0.75", 'd', "2"},
    {"TppCustomImage", "Center", "Boolean", "True", 'd', "False"},
    // Only the designer's caption uses it: published, never written.
    {"TppCustomImage", "Font", "TppFont", "", 'n', ""},
    {"TppCustomImage", "MaintainAspectRatio", "Boolean", "False", 'd', "True"},
    {"TppCustomImage", "Stretch", "Boolean", "False", 'd', "True"},
    {"TppImage", "AutoSize", "Boolean", "False", 'd', "True"},
    {"TppImage|TppDBImage", "DirectDraw", "Boolean", "False", 'd', "True"},
    {"TppImage", "Picture", "TPicture", "", 'd', ""},
    {"TppDBImage", "GraphicType", "string", "Bitmap", 'd', "Icon"},
    {"TppDBImage", "OnGetPicture", "TppPictureEvent", "", 'd', ""},

    // Set before the symbology, which replaces data it cannot encode.
    {"TppBarCode", "Data", "string", "Barcode", 'd', "123456"},
    // An add-on belongs to the UPC and EAN symbologies only.
    {"TppBarCode|TppDBBarCode", "AddOnCode", "string", "", 'd', ""},
    {"TppBarCode|TppDBBarCode", "Alignment", "TAlignment", "taLeftJustify", 'd', "taRightJustify"},
    {"TppBarCode|TppDBBarCode", "AutoEncode", "Boolean", "False", 'd', "True"},
    {"TppBarCode|TppDBBarCode", "AutoSize", "Boolean", "True", 'd', "False"},
    {"TppBarCode|TppDBBarCode", "AutoSizeFont", "Boolean", "True", 'd', "False"},
    {"TppBarCode|TppDBBarCode", "BarCodeType", "TppBarCodeType", "bcCode39", 'd', "bcInt2of5"},
    {"TppBarCode|TppDBBarCode", "BarColor", "Integer", "-16777208", 'd', "255"},
    // Stored as "mmBarWidth" and "mmWideBarRatio".
    {"TppBarCode|TppDBBarCode", "BarWidth", "Single", "", 'n', ""},
    {"TppBarCode|TppDBBarCode", "BearerBars", "Boolean", "False", 'd', "True"},
    {"TppBarCode|TppDBBarCode", "CalcCheckDigit", "Boolean", "True", 'd', "False"},
    {"TppBarCode|TppDBBarCode", "Orientation", "TppBarCodeOrientation", "orLeftToRight", 'd', "orTopToBottom"},
    {"TppBarCode|TppDBBarCode", "PrintHumanReadable", "Boolean", "True", 'd', "False"},
    {"TppBarCode|TppDBBarCode", "WideBarRatio", "Single", "", 'n', ""},

    {"TppRichText", "Caption", "string", "", 'd', ""},
    {"TppRichText", "MailMerge", "Boolean", "False", 'd', "True"},
    {"TppRichText", "RichText", "string", "", 'd', ""},
    {"TppDBRichText", "OnGetRichText", "TppGetTextEvent", "", 'd', ""},

    // First: a new print job makes the subreport a section.
    {"TppSubReport", "Stretch", "Boolean", "True", 'd', "False"},
    {"TppSubReport", "PrintBehavior", "TppPrintBehaviorType", "pbChild", 'd', "pbSection"},
    {"TppSubReport", "DrillDownComponent", "TppComponent", "", 'd', ""},
    {"TppSubReport", "ExpandAll", "Boolean", "False", 'd', "True"},
    {"TppSubReport", "NewPrintJob", "Boolean", "False", 'd', "True"},
    {"TppSubReport", "OutlineSettings", "TppOutlineSettings", "", 'd', ""},
    {"TppSubReport", "ParentPrinterSetup", "Boolean", "True", 'd', "False"},
    {"TppSubReport", "ParentWidth", "Boolean", "True", 'd', "False"},
    {"TppSubReport", "ResetPageNo", "Boolean", "True", 'd', "False"},
    {"TppSubReport", "TraverseAllData", "Boolean", "False", 'd', "True"},

    // Mandatory and ShowAllValues switch each other off: one sample is enough.
    {"TppField|TppAutoSearchField", "Alignment", "TAlignment", "taLeftJustify", 'd', "taRightJustify"},
    {"TppField|TppAutoSearchField", "FieldAlias", "string", "", 'd', "Customer name"},
    {"TppField|TppAutoSearchField", "FieldName", "string", "", 'd', "Name"},
    {"TppField|TppAutoSearchField", "FieldLength", "Integer", "10", 'd', "40"},
    {"TppField|TppAutoSearchField", "IsDetail", "Boolean", "False", 'd', "True"},
    {"TppField|TppAutoSearchField", "Linkable", "Boolean", "True", 'd', "False"},
    {"TppField|TppAutoSearchField", "GroupOrder", "Integer", "-1", 'd', "2"},
    {"TppField|TppAutoSearchField", "DataType", "TppDataType", "dtString", 'd', "dtInteger"},
    {"TppField|TppAutoSearchField", "DisplayFormat", "string", "", 'd', "#,0"},
    {"TppField|TppAutoSearchField", "DisplayWidth", "Integer", "10", 'd', "12"},
    {"TppField|TppAutoSearchField", "Mandatory", "Boolean", "False", 'd', "True"},
    {"TppField", "Position", "Integer", "-1", 'd', ""},
    // A criterion's place is its place among the report's criteria.
    {"TppAutoSearchField", "Position", "Integer", "-1", 'n', ""},
    {"TppField|TppAutoSearchField", "Selectable", "Boolean", "True", 'd', "False"},
    {"TppField|TppAutoSearchField", "SelectOrder", "Integer", "-1", 'd', "3"},
    {"TppField|TppAutoSearchField", "Searchable", "Boolean", "True", 'd', "False"},
    {"TppField|TppAutoSearchField", "Search", "Boolean", "False", 'd', "True"},
    {"TppField|TppAutoSearchField", "SearchExpression", "string", "", 'd', "A,B"},
    {"TppField|TppAutoSearchField", "SearchOrder", "Integer", "-1", 'd', "4"},
    {"TppField|TppAutoSearchField", "ShowAllValues", "Boolean", "False", 'd', ""},
    {"TppField|TppAutoSearchField", "Sortable", "Boolean", "True", 'd', "False"},
    {"TppField|TppAutoSearchField", "Sort", "Boolean", "False", 'd', "True"},
    {"TppField|TppAutoSearchField", "SortOrder", "Integer", "-1", 'd', "5"},
    {"TppField|TppAutoSearchField", "SortType", "TppSortOrderType", "soAscending", 'd', "soDescending"},
    {"TppField|TppAutoSearchField", "SortExpression", "string", "", 'd', "Name DESC"},
    {"TppField|TppAutoSearchField", "TableAlias", "string", "", 'd', "c"},
    {"TppField|TppAutoSearchField", "TableName", "string", "", 'd', "customer"},
    {"TppAutoSearchField", "Delimiter", "string", "", 'd', "'"},
    {"TppAutoSearchField", "SearchOperator", "TppSearchOperatorType", "soEqual", 'd', "soLike"},
    {"TppAutoSearchField", "WildCard", "string", "", 'd', "%"},
    {"TppMasterFieldLink", "MasterFieldName", "string", "", 'd', "Id"},
    {"TppMasterFieldLink", "CollationType", "TppCollationType", "ctANSI", 'd', "ctASCII"},
    {"TppMasterFieldLink", "DetailFieldName", "string", "", 'd', "CustomerId"},
    {"TppMasterFieldLink", "DetailSortOrder", "TppSortOrderType", "soAscending", 'd', "soDescending"},
    {"TppMasterFieldLink", "IsCaseSensitive", "Boolean", "False", 'd', "True"},

    // The draw commands a page is made of: saved with the page, so every
    // position and value must come back as it was drawn.
    {"TppDrawCommand", "Clickable", "Boolean", "False", 'd', "True"},
    {"TppDrawCommand", "DataType", "TppDataType", "dtString", 'd', "dtInteger"},
    {"TppDrawCommand", "Height", "Integer", "", 'd', "5000"},
    {"TppDrawCommand", "Left", "Integer", "", 'd', "6350"},
    {"TppDrawCommand", "Top", "Integer", "", 'd', "12700"},
    {"TppDrawCommand", "Width", "Integer", "", 'd', "25400"},
    {"TppDrawShape|TppDrawLine|TppDrawImage", "DataType", "TppDataType", "dtGraphic", 'd', "dtInteger"},

    {"TppDrawText", "AutoSize", "Boolean", "False", 'd', "True"},
    {"TppDrawText", "BandSave", "Boolean", "False", 'd', "True"},
    {"TppDrawText", "BandSaveNo", "Integer", "0", 'd', "3"},
    {"TppDrawText", "Color", "Integer", "16777215", 'd', "255"},
    {"TppDrawText", "ComponentSave", "Boolean", "False", 'd', "True"},
    {"TppDrawText", "ComponentSaveNo", "Integer", "0", 'd', "4"},
    {"TppDrawText", "Font", "TppFont", "", 'd', ""},
    {"TppDrawText", "ForceJustifyLastLine", "Boolean", "False", 'd', "True"},
    {"TppDrawText", "IsMemo", "Boolean", "False", 'd', "True"},
    {"TppDrawText", "Leading", "Integer", "0", 'd', "450"},
    {"TppDrawText", "SaveLength", "Integer", "0", 'd', "12"},
    {"TppDrawText", "TabStopPositions", "TStringList", "", 'd', "6350|12700"},
    {"TppDrawText", "Text", "string", "", 'd', "Total"},
    {"TppDrawText", "TextAlignment", "TppTextAlignment", "taLeftJustified", 'd', "taCentered"},
    {"TppDrawText", "Transparent", "Boolean", "False", 'd', "True"},
    {"TppDrawText", "WordWrap", "Boolean", "False", 'd', "True"},
    {"TppDrawText", "WrappedText", "TStringList", "", 'd', "First line|Second line"},

    {"TppDrawShape", "Brush", "TBrush", "", 'd', ""},
    {"TppDrawShape|TppDrawLine", "Pen", "TPen", "", 'd', ""},
    {"TppDrawShape", "ShapeType", "TShapeType", "stRectangle", 'd', "stRoundRect"},
    {"TppDrawShape", "XCornerRound", "Integer", "0", 'd', "2000"},
    {"TppDrawShape", "YCornerRound", "Integer", "0", 'd', "3000"},

    {"TppDrawLine", "LinePosition", "TppLinePositionType", "lpTop", 'd', "lpBottom"},
    {"TppDrawLine", "LineStyle", "TppLineStyleType", "lsSingle", 'd', "lsDouble"},
    {"TppDrawLine", "Weight", "Single", "", 'd', "2"},

    {"TppDrawImage", "Center", "Boolean", "False", 'd', "True"},
    {"TppDrawImage", "DirectDraw", "Boolean", "False", 'd', "True"},
    {"TppDrawImage", "ImageName", "string", "", 'd', "logo.png"},
    {"TppDrawImage", "MaintainAspectRatio", "Boolean", "False", 'd', "True"},
    {"TppDrawImage", "Picture", "TPicture", "", 'd', ""},
    {"TppDrawImage", "Scale", "Boolean", "False", 'd', "True"},
    {"TppDrawImage", "Stretch", "Boolean", "False", 'd', "True"},
    {"TppDrawImage", "Transparent", "Boolean", "False", 'd', "True"},

    {"TppDrawVariable", "LookAhead", "Boolean", "False", 'd', "True"},
    {"TppDrawVariable", "LookAheadKey", "string", "", 'd', "Customer 12"},
    {"TppDrawVar", "VarType", "TppVarType", "vtDate", 'd', "vtPageNo"},
    {"TppDrawCalc", "CalcType", "TppCalcType", "ctDate", 'd', "ctPageCount"},

    // The RTF itself is stored under its own entry ("RTFStream").
    {"TppDrawRichText", "DataType", "TppDataType", "dtBLOB", 'd', "dtInteger"},
    {"TppDrawRichText", "Color", "Integer", "", 'd', "255"},
    {"TppDrawRichText", "EndCharPos", "Integer", "-1", 'd', "40"},
    {"TppDrawRichText", "StartCharPos", "Integer", "-1", 'd', "2"},
    {"TppDrawRichText", "Transparent", "Boolean", "False", 'd', "True"},

    {"TppDrawBarCode", "AddOnCode", "string", "", 'd', "12"},
    {"TppDrawBarCode", "Alignment", "TAlignment", "taLeftJustify", 'd', "taCenter"},
    {"TppDrawBarCode", "AutoEncode", "Boolean", "False", 'd', "True"},
    {"TppDrawBarCode", "AutoSize", "Boolean", "True", 'd', "False"},
    {"TppDrawBarCode", "AutoSizeFont", "Boolean", "True", 'd', "False"},
    {"TppDrawBarCode", "BarCodeType", "TppBarCodeType", "", 'd', "bcInt2of5"},
    {"TppDrawBarCode", "BarColor", "Integer", "", 'd', "255"},
    {"TppDrawBarCode", "BarWidth", "Integer", "", 'd', "508"},
    {"TppDrawBarCode", "BearerBars", "Boolean", "False", 'd', "True"},
    {"TppDrawBarCode", "CalcCheckDigit", "Boolean", "True", 'd', "False"},
    {"TppDrawBarCode", "CodeOK", "Boolean", "True", 'd', "False"},
    {"TppDrawBarCode", "Color", "Integer", "", 'd', "65280"},
    {"TppDrawBarCode", "Data", "string", "", 'd', "123456"},
    {"TppDrawBarCode", "Font", "TppFont", "", 'd', ""},
    {"TppDrawBarCode", "Orientation", "TppBarCodeOrientation", "orLeftToRight", 'd', "orTopToBottom"},
    {"TppDrawBarCode", "PrintHumanReadable", "Boolean", "True", 'd', "False"},
    {"TppDrawBarCode", "Transparent", "Boolean", "False", 'd', "True"},
    {"TppDrawBarCode", "WideBarRatio", "Single", "", 'd', "2.5"},
};

// The classes registered at start-up that the rows describe in full.
constexpr const char *Classes[] = {
    "TppReport",
    "TppChildReport",
    "TppGroup",
    "TppHeaderBand",
    "TppTitleBand",
    "TppDetailBand",
    "TppSummaryBand",
    "TppFooterBand",
    "TppGroupHeaderBand",
    "TppGroupFooterBand",
    "TppColumnHeaderBand",
    "TppColumnFooterBand",
    "TppPageStyle",
    "TppRegion",
    "TppField",
    "TppMasterFieldLink",
    "TppAutoSearchField",
    "TppLabel",
    "TppDBText",
    "TppDBCalc",
    "TppSystemVariable",
    "TppVariable",
    "TppCalc",
    "TppMemo",
    "TppDBMemo",
    "TppShape",
    "TppLine",
    "TppImage",
    "TppDBImage",
    "TppBarCode",
    "TppDBBarCode",
    "TppRichText",
    "TppDBRichText",
    "TppSubReport",
    "TppDrawText",
    "TppDrawShape",
    "TppDrawLine",
    "TppDrawImage",
    "TppDrawVariable",
    "TppDrawVar",
    "TppDrawCalc",
    "TppDrawRichText",
    "TppDrawBarCode",
};

std::vector<const Row *> rowsOf(const classes::TMetaClass &aClass)
{
    std::vector<const Row *> rows;
    for (const classes::TMetaClass *c = &aClass; c; c = c->ClassParent())
        for (const Row &row : Rows)
            if (QString::fromLatin1(row.owner).split(u'|').contains(c->ClassName()))
                rows.push_back(&row);
    // A class re-publishing a property (with its own default) shadows the
    // ancestor's row.
    std::vector<const Row *> unique;
    QSet<QString> seen;
    for (const Row *row : rows)
        if (!seen.contains(QString::fromLatin1(row->name))) {
            seen.insert(QString::fromLatin1(row->name));
            unique.push_back(row);
        }
    return unique;
}

QString valueText(const classes::TPersistent &aObject, const classes::TPropInfo &aProp)
{
    using K = classes::TTypeKind;
    switch (aProp.Kind) {
    case K::tkEnumeration: return aProp.Enum->NameOf(aProp.GetOrd(aObject));
    case K::tkSet: return QStringLiteral("[%1]").arg(classes::GetSetProp(aObject, aProp));
    case K::tkInteger: return QString::number(aProp.GetOrd(aObject));
    case K::tkFloat: return QString::number(double(aProp.GetFloat(aObject)));
    case K::tkString: return aProp.GetStr(aObject);
    case K::tkMethod: return aProp.GetMethod(aObject).Name;
    case K::tkClass:
        if (auto *list = dynamic_cast<classes::TStrings *>(aProp.GetObj(aObject)))
            return list->Text().trimmed().replace(QStringLiteral("\r\n"), QStringLiteral("|"));
        return QString();
    default: return QStringLiteral("?");
    }
}

void setSample(classes::TPersistent &aObject, const classes::TPropInfo &aProp, const QString &aSample)
{
    using K = classes::TTypeKind;
    switch (aProp.Kind) {
    case K::tkEnumeration: aProp.SetOrd(aObject, aProp.Enum->ValueOf(aSample)); return;
    case K::tkSet: classes::SetSetProp(aObject, aProp, QStringView(aSample).mid(1, aSample.size() - 2)); return;
    case K::tkInteger: aProp.SetOrd(aObject, aSample.toLongLong()); return;
    case K::tkFloat: aProp.SetFloat(aObject, aSample.toDouble()); return;
    case K::tkString: aProp.SetStr(aObject, aSample); return;
    case K::tkMethod: aProp.SetMethod(aObject, classes::TMethod{aSample, {}}); return;
    case K::tkClass:
        if (auto *list = dynamic_cast<classes::TStrings *>(aProp.GetObj(aObject)))
            list->SetText(QString(aSample).replace(u'|', QStringLiteral("\r\n")));
        return;
    default: return;
    }
}

QByteArray bytesOf(classes::TMemoryStream &aStream)
{
    return QByteArray(aStream.Memory(), qsizetype(aStream.Size()));
}

class PublishedInterface : public ::testing::Test
{
protected:
    PublishedInterface()
    {
        // A French module, so that a stored language other than the default
        // can be read back.
        EXPECT_TRUE(modules.write(QStringLiteral("bvPrint.fra"), "43001=fr\n"));
        report::ppLibraryInit();
    }
    ~PublishedInterface() override { report::ppLibraryFinalize(); }

    // The object written as a root and read back through the binary form,
    // or through the text form made from it.
    classes::TComponent *roundTrip(classes::TComponent &aSource, bool aThroughText, classes::TComponent &aOwner,
                                   QByteArray *aText = nullptr)
    {
        classes::TMemoryStream binary;
        classes::TWriter(binary).WriteRootComponent(&aSource);
        binary.SetPosition(0);
        classes::TMemoryStream text;
        classes::ObjectBinaryToText(binary, text);
        if (aText)
            *aText = bytesOf(text);
        classes::TMemoryStream input;
        if (aThroughText) {
            text.SetPosition(0);
            classes::ObjectTextToBinary(text, input);
        } else {
            input.WriteBuffer(binary.Memory(), binary.Size());
        }
        input.SetPosition(0);
        classes::TComponent *copy = aSource.ClassType().NewComponent(&aOwner);
        classes::TReader reader(input);
        // Handlers are kept by name: no form here has them.
        reader.OnFindMethod = [](classes::TReader &, const QString &, const std::any *&, bool &aError) {
            aError = false;
        };
        reader.ReadRootComponent(copy);
        return copy;
    }

    reporttest::LanguageModuleFolder modules;
    // A sample a setter refuses says so here instead of in a box.
    report::ScopedDialogServices services{{{}, [](const report::TppMessageRequest &aRequest) {
                                               ADD_FAILURE() << "refused: " << aRequest.text.toStdString();
                                               return report::ppMessageOk;
                                           }}};
};

TEST_F(PublishedInterface, EveryRegisteredReportClassPublishesWhatItsRowsList)
{
    int properties = 0;
    for (const char *className : Classes) {
        SCOPED_TRACE(className);
        const classes::TMetaClass *meta = classes::GetClass(QString::fromLatin1(className));
        ASSERT_TRUE(meta) << "not registered";
        const std::vector<const Row *> rows = rowsOf(*meta);
        QSet<QString> listed;
        for (const Row *row : rows)
            listed.insert(QString::fromLatin1(row->name));
        for (const classes::TPropInfo *prop : meta->Properties())
            EXPECT_TRUE(listed.contains(prop->Name)) << "published beyond the list: " << prop->Name.toStdString();

        classes::TComponent form(nullptr);
        classes::TComponent *source = meta->NewComponent(&form);
        source->SetName(QStringLiteral("Obj1"));
        for (const Row *row : rows) {
            const classes::TPropInfo *prop = meta->FindProperty(std::string_view(row->name));
            if (!prop) {
                ADD_FAILURE() << "not published: " << row->name;
                continue;
            }
            ++properties;
            EXPECT_EQ(prop->TypeName, QLatin1String(row->type)) << row->name;
            if (prop->Kind != classes::TTypeKind::tkClass && *row->defaultValue) {
                EXPECT_EQ(valueText(*source, *prop), QLatin1String(row->defaultValue)) << row->name;
            }
            EXPECT_EQ(prop->IsStored(*source), row->stored == 'd') << row->name;
            const bool event = prop->Kind == classes::TTypeKind::tkMethod;
            if (event || *row->sample)
                setSample(*source, *prop,
                          event ? QStringLiteral("Obj1%1").arg(row->name) : QString::fromLatin1(row->sample));
        }
        for (const bool throughText : {false, true}) {
            SCOPED_TRACE(throughText ? "text form" : "binary form");
            classes::TComponent other(nullptr);
            QByteArray text;
            classes::TComponent *copy = roundTrip(*source, throughText, other, &text);
            for (const Row *row : rows) {
                const classes::TPropInfo *prop = meta->FindProperty(std::string_view(row->name));
                if (!prop)
                    continue;
                const QByteArray entry = QByteArray("\r\n  ") + row->name + " =";
                if (row->stored == 'n') {
                    EXPECT_FALSE(text.contains(entry)) << row->name << " is stored";
                } else if (prop->Kind != classes::TTypeKind::tkClass || *row->sample) {
                    EXPECT_EQ(valueText(*copy, *prop), valueText(*source, *prop)) << row->name;
                }
            }
        }
    }
    // The count the closing note gives.
    std::printf("published interface: %zu classes, %d properties\n", std::size(Classes), properties);
}

} // namespace
