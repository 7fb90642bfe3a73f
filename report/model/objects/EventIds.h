#pragma once

// The numbered events report objects send one another (ids 0-255; those not
// named here are unused) and the operation codes of link notices. Names
// follow the script-level event each id is bound to, or what it tells where
// no script sees it.

namespace report {

namespace ppEvent {

constexpr int Count = 256;

// Producer.
constexpr int AfterPrint = 0;
constexpr int BeforePrint = 1;
constexpr int OnCancel = 2;
constexpr int OnCancelDialogCreate = 3;
constexpr int OnCancelDialogClose = 4;
constexpr int OnPreviewFormCreate = 5;
constexpr int OnPreviewFormClose = 6;
constexpr int OnPrintDialogCreate = 7;
constexpr int OnPrintDialogClose = 8;
constexpr int OnSaveText = 9;
// Report.
constexpr int AfterAutoSearchDialogCreate = 10;
constexpr int OnAutoSearchDialogClose = 11;
constexpr int OnGetAutoSearchValues = 12;
constexpr int ReportStart = 13;
constexpr int ReportEnd = 14;
constexpr int OnEndColumn = 15;
constexpr int OnEndFirstPass = 16;
constexpr int OnEndPage = 17;
constexpr int OnEndSecondPass = 18;
constexpr int OnStartColumn = 19;
constexpr int OnStartFirstPass = 20;
constexpr int OnStartPage = 21;
constexpr int OnStartSecondPass = 22;
// Bands.
constexpr int BandAfterPrint = 23;
constexpr int BandBeforePrint = 24;
constexpr int AfterGenerate = 25;
constexpr int BeforeGenerate = 26;
// Groups.
constexpr int AfterGroupBreak = 27;
constexpr int BeforeGroupBreak = 28;
constexpr int BeforeHeader = 29;
constexpr int BeforeFooter = 30;
constexpr int OnGetBreakValue = 31;
// Printables, variables and calculations.
constexpr int OnPrint = 32;
constexpr int OnCalc = 33;
constexpr int OnReset = 34;
constexpr int Traversal = 35;
// Data pipelines.
constexpr int OnRecordPositionChange = 37;
constexpr int OnMasterRecordPositionChange = 38;
constexpr int OnTraversal = 39;
constexpr int OnGotoBookmark = 40;
constexpr int OnDataChange = 41;
constexpr int OnFirst = 42;
constexpr int OnNext = 43;
constexpr int OnPrior = 44;
constexpr int OnLast = 45;
constexpr int OnOpen = 46;
constexpr int OnClose = 47;
// Cacheable objects.
constexpr int CacheWriteFailed = 48;
constexpr int CacheWriteFailedAgain = 49;
// Text and rich-text controls.
constexpr int OnGetText = 53;
constexpr int OnGetRichText = 53;
constexpr int AutoSearchFieldCreated = 66;
constexpr int LookAheadText = 67;
constexpr int GroupBreakStateChanged = 68;
constexpr int OnGetPicture = 69;
constexpr int DataStart = 70;
constexpr int DataEnd = 71;
constexpr int BeforeAutoSearchDialogCreate = 72;
constexpr int PipelineClosing = 73;
constexpr int OnDrawCommandCreate = 84;
constexpr int OnDrawCommandClick = 85;
constexpr int OnGetMemo = 86;
constexpr int OnNoData = 87;
constexpr int OnOutlineNodeCreate = 88;
constexpr int EndOfPrint = 89;
constexpr int EngineEvent = 90;
constexpr int PageLoopReset = 91;
// Screen device, viewer, devices, publisher and search.
constexpr int PageDisplayBegins = 92;
constexpr int PageDisplayEnds = 93;
constexpr int OnPageChange = 94;
constexpr int OnPrintStateChange = 95;
constexpr int OnStatusChange = 96;
constexpr int ViewerChange = 97;
constexpr int DevicePageReceived = 98;
constexpr int PublisherPageReceived = 99;
constexpr int PageRequest = 100;
constexpr int OutlineVisibility = 101;
constexpr int SearchPanelToggled = 102;
constexpr int SearchChange = 103;
constexpr int SearchResultsChanged = 104;
constexpr int OnAssignPreviewFormSettings = 105;

} // namespace ppEvent

// The operations of link notices (TppCommunicator::Notify).
namespace ppNotify {

constexpr int Remove = 0;         // the sender is being freed
constexpr int DataChange = 2;     // data or data source changed
constexpr int Rename = 3;         // the sender's user name changed
constexpr int TemplateNotice = 4; // the report's template asks for it
constexpr int LanguageChange = 5; // the report's language changed

} // namespace ppNotify

} // namespace report
