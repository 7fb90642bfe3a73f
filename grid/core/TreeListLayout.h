#pragma once

// Where everything of a tree list is: the metrics that size its panels and
// rows, the layout record of one client size and scroll position, and what
// a client point hits. Painting and input only read these answers. All
// rectangles have exclusive right and bottom edges.

#include "platform/rtl/Types.h"

#include <cstdint>
#include <vector>

namespace grid {

class TdxTreeListNode;

// Heights and widths that follow from the fonts and settings; computed by
// the tree list's metrics step.
struct TreeListMetrics
{
    int TextHeight = 0;
    int BandLineHeight = 0;
    int BandPanelHeight = 0;
    int HeaderLineHeight = 0;
    int HeaderPanelHeight = 0;
    int GroupPanelHeight = 0;
    int IndicatorWidth = 0;
    int FooterLineHeight = 0;
    int FooterPanelHeight = 0;
    int RowFooterHeight = 0;
    int BottomPanelHeight = 0;
    int MinRowHeight = 0;
    int HorzLineStep = 0;
    int IndentWidth = 16;
    int NewItemSeparator = 0;
    int NewItemRowHeight = 0;
    int PreviewLineHeight = 0;
};

struct TdxTreeListBandInfo
{
    int BandIndex = -1; // visible position
    rtl::TRect BandRect;
    rtl::TRect BandClipRect;
};

struct TdxTreeListHeaderCell
{
    int ColumnIndex = -1;
    int BandIndex = -1; // visible position
    int BandLine = 0;
    int Position = 0;
    int LineCount = 1;
    rtl::TRect CellRect;
    rtl::TRect ClipRect;
    rtl::TRect FillerRect;
    bool FirstInLine = false;
    bool LastInLine = false;
    bool FirstOfFirstBand = false;
    bool LastOfLastBand = false;
    bool ColumnFlag = false; // the column's cells wrap their text
};

struct TdxTreeListEmptyBand
{
    int BandIndex = -1;
    rtl::TRect ClipRect;
    bool CutRight = false;
};

struct TdxTreeListRowInfo
{
    TdxTreeListNode *Node = nullptr;
    bool WholeRow = false; // drawn as one piece, not cell by cell
    bool Selected = false;
    int Top = 0;
    int Height = 0;
    int FooterLines = 0;
    int FooterHeight = 0;
    bool RowFlag = false;
    int PreviewLines = 0;
    // The lines of a multi-line row; -1 outside that mode.
    int LineCount = -1;
};

struct TdxTreeListLayoutInfo
{
    rtl::TRect ClientRect;
    rtl::TRect GroupPanelRect;
    rtl::TRect BandPanelRect;
    rtl::TRect BandIndicatorRect;
    rtl::TRect HeaderPanelRect;
    rtl::TRect HeaderIndicatorRect;
    rtl::TRect IndicatorRect;
    rtl::TRect NewItemRowRect;
    rtl::TRect RowsRect;
    rtl::TRect EmptyRightRect;
    rtl::TRect EmptyBottomRect;
    rtl::TRect FooterRect;
    rtl::TRect BottomPanelRect;
    rtl::TRect LeftFixedRect;
    rtl::TRect RightFixedRect;
    int LeftFixedEntry = -1;
    int RightFixedEntry = -1;
    int LastScrolledBand = -1;
    int ColumnsRight = 0;
    int LastRowBottom = -1;
    int TreeColumnWidth = 0;
    int HorzLineWidth = 0;
    std::vector<TdxTreeListBandInfo> Bands;
    std::vector<TdxTreeListHeaderCell> HeaderCells;
    std::vector<TdxTreeListEmptyBand> EmptyBands;
    // As many as fit from the top row; grows as needed.
    std::vector<TdxTreeListRowInfo> Rows;
};

enum TdxTreeListHitCode : uint8_t {
    htNowhere = 0,
    htColumnHeader = 1,
    htColumnEdge = 2,
    htButton = 3,
    htImage = 4,
    htStateImage = 5,
    htIndent = 6,
    htCell = 7,
    htRowTail = 8,
    htOutside = 9,
    htGroupPanel = 10,
    htBandIndicator = 11,
    htBandHeader = 12,
    htBandEdge = 13,
    htHeaderIndicator = 14,
    htRowIndicator = 15,
    htNewItemRow = 16,
    htRowFooter = 17,
    htFooter = 18,
    htBandPanelEdge = 19,
    htHeaderPanelEdge = 20,
    htRowEdge = 21,
    htPreview = 22,
    htBottomPanel = 23,
};

struct TdxTreeListHitInfo
{
    int X = 0;
    int Y = 0;
    int BandIndex = -1;
    int ColumnIndex = -1;
    TdxTreeListNode *Node = nullptr;
    int RowIndex = -1;
    int FooterLine = -1;
    TdxTreeListHitCode HitCode = htOutside;
};

// The parts of a node's indent, from the rows' left edge; empty when absent.
struct TreeListIndentRects
{
    rtl::TRect Button;
    rtl::TRect StateImage;
    rtl::TRect Image;
    rtl::TRect Indent;
};

// Sizes of the image lists a tree list draws its nodes' images from.
struct TreeListImageSizes
{
    int ImageWidth = 0;
    int ImageHeight = 0;
    int StateImageWidth = 0;
    int StateImageHeight = 0;
};

// a * b / c rounded half away from zero; a zero divisor keeps a.
int TreeListShare(int a, int b, int c);

} // namespace grid
