// What the library offers scripts and designers once it has started: every
// registered scripting descriptor with exactly the names its class is
// described by (properties, methods, events with their ids and parameters),
// and the component palette with all of its rows. The names are data, one
// row per descriptor; a name missing or one beyond the row fails.

#include "report/model/components/ComponentRegistry.h"
#include "report/model/objects/Descriptors.h"
#include "report/model/objects/RegList.h"
#include "report/output/LibraryInit.h"

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/MetaClass.h"
#include "platform/classes/StringList.h"

#include <gtest/gtest.h>

#include <iostream>
#include <map>

using namespace report;

namespace {

// Names a descriptor adds to its parent's, blank-separated. Events are
// "Name=Id(Param,VarParam&)"; without "=Id" the name is only listed (its
// record comes from elsewhere), without "(...)" its parameters are not
// checked; "-Name" is an inherited event the descriptor hides.
struct DescriptorNames
{
    const char *className;
    const char *names;
    const char *events = "";
};

const DescriptorNames Described[] = {
    {"TObject", "ClassName Create Free"},
    {"TComponent", "Owner Create Tag"},
    {"TppCommunicator", "UserName"},
    {"TppRelative", "AllChildCount ChildCount ChildType FreeingChildren Index OrderedChildren Parent Position"},
    {"TppCacheable", "CacheCount CachePageCount CachePosition CacheRecordSize CacheStream"},
    {"TppPrintable",
     "Alignment AutoSize Caption DataField DataPipeline DefaultPropHint DefaultPropName DefaultPropEditType "
     "Description DesignControl DrawComponent Font GenerationComplete Height Left Top Width LookupPipeline mmLeft "
     "mmHeight mmTop mmWidth OutOfSpace OverFlow ParentHeight ParentWidth ReprintOnOverFlow ShiftWithParent "
     "StretchWithParent Visible WordWrap ResetOnCompute SelectionObject SpaceUsed spLeft spHeight spTop spWidth Text "
     "Units ZOrder",
     "OnPrint=32() OnDrawCommandCreate=84(aDrawCommand) OnDrawCommandClick=85(aDrawCommand)"},
    {"TppComponent", "Band BandType Index ParentIndex GroupNo NextSibling Parent ParentDataPipeline Region ResetGroup"},
    {"TppStretchable",
     "CurrentPosition mmBottomOffset mmOverFlowOffset KeepTogether KeptTogether PageBottom PartialAdjustment "
     "PartialGeneration ShifterCount ShiftRelativeTo mmStopPosition Stretch"},
    {"TppBand",
     "CaptionIndex Index ObjectCount SaveCount VariableCount DrawPage LastBand Rank Caption Height mmBottomOffset "
     "mmHeight mmPrintPosition mmTop mmWidth spHeight spTop spWidth Save Visible PrintHeight Report Units Objects "
     "Saves Variables",
     "AfterPrint=23() BeforePrint=24() AfterGenerate=25() BeforeGenerate=26()"},
    {"TppCustomBand",
     "AllObjectsPrinted Count CurrentObject CurrentPosition CumulativeCurrentPosition Generating GenerationComplete "
     "MaxStretchable OutOfSpace OverFlow PageBottom PartialGeneration PartialAdjustment PrintingSection "
     "PrintPositionBreak SpaceUsed StartingPosition"},
    {"TppPageBand", "PrintHeight"},
    {"TppReportBand", "NewPage"},
    {"TppFooterBand", "PrintHeight"},
    {"TppDetailBand", "BandsPerRecord BandsPerRecordCount DataPipeline PrintCount"},
    {"TppColumnFooterBand", "PrintHeight"},
    {"TppGroupBand", "Description Generation Group SaveGeneration"},
    {"TppGroupHeaderBand", "AlreadyPageBreak"},
    {"TppGroup",
     "BreakNo FirstColumn FirstPageNo GroupNo Index LastPageNo mmNewColumnThreshold mmNewPageThreshold Position "
     "PageNo PageCount Breaking FirstPage KeptTogether BreakValue CurrentValue Description PriorValue FooterBand "
     "HeaderBand BreakComponent BreakName BreakType DataPipeline HeaderForOrphanedFooter KeepTogether NewColumn "
     "NewPage ReprintOnSubsequentColumn ReprintOnSubsequentPage ResetPageNo NewColumnThreshold NewPageThreshold "
     "Report Units",
     "AfterGroupBreak=27() BeforeGroupBreak=28() BeforeHeader=29() BeforeFooter=30() OnGetBreakValue=31(BreakValue&)"},
    {"TppProducer",
     "Cancel AllowPrintToArchive AllowPrintToFile ArchiveFileName CancelDialog Converted ConvertedFromPre40 "
     "CurrentPage DeviceType EnableProcessMessages FileDevice Icon Language LanguageIndex ModalCancelDialog "
     "ModalPreview PreviewForm PreviewFormSettings PrinterSetup Printer PrintDialog Printing Producing PrinterDevice "
     "Publisher SavePrinterSetup ShowAutoSearchDialog ShowCancelDialog ShowPrintDialog TextFileName TextFileType "
     "TextSearchSettings Version VersionNo",
     "AfterPrint=0() BeforePrint=1() OnCancel=2() OnCancelDialogCreate=3() OnCancelDialogClose=4() "
     "OnAssignPreviewFormSettings=105() OnPreviewFormCreate=5() OnPreviewFormClose=6() OnPrintDialogCreate=7() "
     "OnPrintDialogClose=8() OnSaveText=9(Text)"},
    {"TppCustomReport",
     "AbsolutePage AbsolutePageNo AbsolutePageCount BandCount CurrentColumn GroupCount Page PageNo PageBandCount "
     "PageCount ReportBandCount mmColumnWidth spColumnWidth DonePrinting FirstPass PrintingAsSubReport SecondPass "
     "PrintDateTime Engine MainReport ParentReport ReportDesigner AutoStop Modified SaveAsTemplate Columns PageLimit "
     "ColumnWidth ColumnPositions DataPipeline Template PassSetting Units Bands Groups GetBand Stop PageLimitReached",
     "OnEndColumn=15() OnEndFirstPass=16() OnEndPage=17() OnEndSecondPass=18() "
     "OnNoData=87(aDialog,aShowDialog&,aDrawCommand,aAddDrawCommand&) OnStartColumn=19() OnStartFirstPass=20() "
     "OnStartPage=21() OnStartSecondPass=22() -OnPrintingComplete"},
    {"TppBandedReport",
     "ColumnHeader ColumnFooter Title Header Detail Footer Summary ColumnHeaderBand ColumnFooterBand TitleBand "
     "HeaderBand DetailBand FooterBand SummaryBand GroupHeader GroupHeaderBand GroupFooter GroupFooterBand"},
    {"TppReport",
     "ActiveReport AutoSearchDialog AutoSearchFields AutoSearchDescription AutoSearchFieldCount CacheManager "
     "CachePages PreviewForm CreateAutoSearchCriteria AutoSearchCriteriaByName GetAutoSearchDescriptionLines",
     "BeforeAutoSearchDialogCreate=72() AfterAutoSearchDialogCreate=10() OnAutoSearchDialogClose=11() "
     "OnGetAutoSearchValues=12() OnOutlineNodeCreate=88(Node,Accept&)"},
    {"TppSubReport",
     "Report CreateReport DrillDownExpanded CurrentExpansionKey CurrentReportKey Expansions ExpansionCount "
     "MasterReport"},
    {"TppCustomRegion", "ObjectCount Objects MaxStretchable Brush Pen"},
    {"TppCustomMemo", "CharWrap Color Leading Lines MemoStream mmLeading PrintLines spLeading TabStopPositions"},
    {"TppDBMemo", "AutoDisplay", "OnGetMemo=86"},
    {"TppDataPipeline",
     "Active BOF DataTraversed EOF FirstRecord LastRecord NoRecords TraversalCount FieldCount LinkCount DataView "
     "CurrentField SkipWhenNoRecords Visible MasterDataPipeline FieldValues FieldObjects Fields Links GetFieldValue",
     "OnRecordPositionChange=37() OnMasterRecordPositionChange=38() OnTraversal=39() OnGotoBookmark=40() "
     "OnDataChange=41() OnFirst=42() OnNext=43() OnPrior=44() OnLast=45() OnOpen=46() OnClose=47()"},
    {"TppField", "AsDouble AsPicture AsString IsNull DataPipeline Value"},
    {"TppTemplateDBSettings", "DataPipeline Name NameField TemplateField"},
    {"TppCustomTemplate", "DatabaseSettings Description FileName Format Offset Owner SaveTo"},
    {"TppTemplate",
     "LoadFromDatabase LoadFromFile New SaveToDatabase SaveToFile FileExtension FileFilter Root ReadOnly"},
    {"TppReportTemplate", "Report"},
    {"TppDrawCommand", "Page Clickable RedrawPage"},
    {"TppPage", "RemoveDrawCommand"},
    {"TppDrawText", ""},
    {"TppCustomText", "AutoSize CharWrap Color Description SaveOrder Save SaveLength Text Transparent",
     "OnGetText=53(Text&) OnFormat"},
    {"TppDBText", "AlreadyPrinted FirstPage PriorValue PriorValueSame FieldValue BlankWhenZero ReprintOnSubsequent "
                  "SuppressRepeatedValues"},
    {"TppDBCalc", "Divisor Value DBCalcType Clear GetLookAheadKey GetLookAheadValue", "OnCalc=33()"},
    {"TppCustomGraphic", "Brush Pen"},
    {"TppShape", "Shape"},
    {"TppLine", "Position Style"},
    {"TppCustomImage", "Center DirectDraw MaintainAspectRatio Stretch Transparent"},
    {"TppDBImage", "", "OnGetPicture=69(aPicture)"},
    {"TppVariable",
     "AsBoolean AsChar AsCurrency AsDateTime AsDate AsDouble AsExtended AsInteger AsSingle AsString AsTime CalcOrder "
     "CalcComponent CalcType DataType ResetComponent ResetType Value",
     "OnCalc=33(Value&) OnReset=34(Value&) OldOnCalc"},
    {"TppSystemVariable", "VarType"},
    {"TppCustomRichText",
     "EndCharPos RichText RichTextStream StartCharPos Paragraph PlainText SelAttributes SelLength SelStart SelText "
     "FindText LoadFromFile LoadFromRTFStream SaveToFile SaveToRTFStream",
     "OnGetRichText=53(Text)"},
    {"TppDBRichText", "AutoDisplay"},
    {"TppBarCode",
     "AddOnCode Data AutoEncode AutoSizeFont BearerBars CalcCheckDigit PrintHumanReadable BarCodeType BarColor "
     "BarWidth WideBarRatio Orientation"},
    {"TppPrinterSetup",
     "Active BinNames PaperNames PrinterNames PrinterDescription PrinterInfo PageDef PrintableHeight PrintableWidth "
     "Units BinName DocumentName PaperName PrinterName Collation Copies Duplex Orientation MarginBottom MarginLeft "
     "MarginRight MarginTop PaperHeight PaperWidth"},
    {"TppTreeNode",
     "ParentNode ChildNodes ChildNodeCount AbsoluteChildNodeCount Level Add Assign CloneNode GetFirstChild "
     "GetLastChild GetLastChildDescendent GetNext GetNextSibling GetPrevious GetPreviousSibling"},
    {"TppAutoSearchField", "DisableCriteria Value Values ValueCount"},
};

QStringList words(const char *aText)
{
    return QString::fromLatin1(aText).split(u' ', Qt::SkipEmptyParts);
}

QStringList listed(const TraRTTI *aRtti, const classes::TMetaClass &aClass, bool aEvents)
{
    classes::TStringList list;
    if (aRtti && aEvents)
        aRtti->GetEventList(aClass, list);
    else if (aRtti)
        aRtti->GetPropList(aClass, list);
    QStringList names;
    for (int i = 0; i < list.Count(); ++i)
        names.append(list.Strings(i));
    return names;
}

// Checks one event token against the descriptor; answers its name.
QString checkEvent(const TraRTTI &aRtti, const classes::TMetaClass &aClass, const QStringList &aEvents, QString aToken)
{
    SCOPED_TRACE(aToken.toStdString());
    if (aToken.startsWith(u'-')) {
        EXPECT_FALSE(aEvents.contains(aToken.mid(1), Qt::CaseInsensitive));
        return aToken.mid(1);
    }
    const qsizetype open = aToken.indexOf(u'(');
    const QStringList params =
        open < 0 ? QStringList() : aToken.mid(open + 1).chopped(1).split(u',', Qt::SkipEmptyParts);
    const QStringList head = aToken.left(open).split(u'=');
    EXPECT_TRUE(aEvents.contains(head[0]));
    if (head.size() < 2)
        return head[0];
    TraPropRec rec;
    EXPECT_TRUE(aRtti.GetPropRec(aClass, head[0], rec));
    EXPECT_EQ(rec.EventID, head[1].toInt());
    if (open >= 0) {
        const int count = rec.Params ? rec.Params->Count() : 0;
        EXPECT_EQ(count, params.size());
        for (int i = 0; i < std::min<int>(count, int(params.size())); ++i) {
            QString name = params[i];
            const bool isVar = name.endsWith(u'&');
            EXPECT_EQ(rec.Params->ParamRec(i).Name, isVar ? name.chopped(1) : name);
            if (isVar) {
                EXPECT_TRUE(rec.Params->ParamRec(i).IsVar);
            }
        }
    }
    return head[0];
}

// The library as the program starts it, and released again.
class PublishedDescriptors : public ::testing::Test
{
protected:
    PublishedDescriptors() { ppLibraryInit(); }
    ~PublishedDescriptors() override { ppLibraryFinalize(); }
};

TEST_F(PublishedDescriptors, EveryRegisteredDescriptorHasExactlyTheNamesOfItsClass)
{
    std::map<QString, const DescriptorNames *> rows;
    for (const DescriptorNames &row : Described)
        rows[QString::fromLatin1(row.className)] = &row;
    int names = 0;
    const QStringList registered = raRegisteredRTTIClassNames();
    for (const QString &className : registered) {
        SCOPED_TRACE(className.toStdString());
        const TraRTTI *rtti = raFindRTTI(className);
        ASSERT_NE(rtti, nullptr);
        const auto row = rows.find(className);
        ASSERT_NE(row, rows.end()) << "a descriptor without a row";
        const classes::TMetaClass &described = rtti->RefClass();
        const QStringList props = listed(rtti, described, false);
        const QStringList events = listed(rtti, described, true);
        const QStringList parentProps = listed(rtti->Parent(), described, false);
        const QStringList parentEvents = listed(rtti->Parent(), described, true);
        const QStringList own = words(row->second->names);
        for (const QString &name : own) {
            SCOPED_TRACE(name.toStdString());
            EXPECT_TRUE(props.contains(name));
            TraPropRec rec;
            EXPECT_TRUE(rtti->GetPropRec(described, name.toUpper(), rec));
            EXPECT_EQ(rec.Name, name);
        }
        QStringList ownEvents;
        for (const QString &token : words(row->second->events))
            ownEvents.append(checkEvent(*rtti, described, events, token));
        for (const QString &name : props)
            if (!parentProps.contains(name)) {
                EXPECT_TRUE(own.contains(name)) << "beyond the row: " << name.toStdString();
            }
        for (const QString &name : events)
            if (!parentEvents.contains(name)) {
                EXPECT_TRUE(ownEvents.contains(name)) << "beyond the row: " << name.toStdString();
            }
        names += int(own.size() + ownEvents.size());
    }
    EXPECT_EQ(registered.size(), qsizetype(std::size(Described))) << "a row without a registered descriptor";
    std::cout << registered.size() << " descriptors, " << names << " names\n";
}

TEST_F(PublishedDescriptors, ThePaletteHoldsEveryRowAfterStartUp)
{
    ASSERT_NE(ppComponentList(), nullptr);
    EXPECT_EQ(ppComponentList()->Count(), int(ppPaletteTable().size()));
    EXPECT_EQ(ppComponentList()->Count(), 17);
    for (const TppPaletteEntry &row : ppPaletteTable()) {
        SCOPED_TRACE(row.className);
        const TppRegComponent *record = ppFindRegComponent(QString::fromLatin1(row.className));
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(record->PalettePage, QString::fromLatin1(row.page));
        EXPECT_EQ(record->PaletteIndex, row.index);
        EXPECT_EQ(record->PaletteTextID, row.textID);
        EXPECT_NE(classes::GetClass(row.className), nullptr);
    }
}

} // namespace
