// The published option records of the grid report component: which parts of a screen control the
// generated report takes over and how (report options), the paper and margins it is laid out on,
// the rich-text captions above and below the grid, scaling, the row number column, the cell font
// override, the data band's settings and the group list. Plain data: the generator reads them at
// the start of every run, so changing one between runs is always safe.
#pragma once

#include "platform/AnsiString.h"
#include "platform/Graphics.h"
#include "report/VNStream.h"

#include <cstdint>
#include <vector>

// Bits of TVNCustomGridReport::ReportOptions.
enum TVNGridReportOption : std::uint32_t {
    vngoUseColor = 1u << 0,                // a cell keeps its own font colour when a font is applied
    vngoStretch = 1u << 1,                 // generated cells and the data band stretch
    vngoWordWrap = 1u << 2,                // grid cells wrap
    vngoGridLines = 1u << 3,               // grid cells get all four frame lines
    vngoSelectedRecordsOnly = 1u << 4,     // only the grid's selected rows print
    vngoAppendBlank = 1u << 5,             // the data band fills the page with blank rows
    vngoGridNumber = 1u << 6,              // a row number column (database grid and list view)
    vngoDrawBorder = 1u << 7,              // simple controls get all four frame lines
    vngoDoubleFrame = 1u << 8,             // a grid without footer rows gets a 2-pixel outer border
    vngoRebuildAfterPageChanged = 1u << 9, // rebuild when the page setup changes in the preview
    vngoDisableControls = 1u << 10,        // the bound data set's controls are off while running
};
constexpr std::uint32_t VNDefaultGridReportOptions =
    vngoStretch | vngoWordWrap | vngoGridLines | vngoRebuildAfterPageChanged | vngoDisableControls; // 1550

enum TPrinterOrientation : int { poPortrait = 0, poLandscape = 1 };

// Paper, margins (report pixels) and the print job's settings of the generated report.
struct TVNPageLayout {
    TVNPageLayout();
    std::int16_t pgSize = 9;
    std::int32_t LeftMargin, TopMargin, RightMargin, BottomMargin; // 10 mm at the screen's resolution
    std::int32_t Columns = 0, ColumnSpace = 0;
    std::int32_t Height = 2970, Width = 2100; // tenths of a millimetre
    TPrinterOrientation pgOr = poPortrait;
    std::int32_t pgBin = 0;
    AnsiString PrinterName; // the engine's text for the default printer
    bool DoublePass = false;
    bool PrintBackColor = false;
    AnsiString Title;
};

// A caption above or below the grid: one rich-text document (RTF; plain text is taken as one
// paragraph per line) whose bracketed groups ([Title], [Page#] ...) are evaluated when printing.
struct TVNPageHeaderFooter {
    TVNStrings Caption;
    std::int32_t Height = 0; // 0: measure the text; negative values are ignored
    void SetHeight(std::int32_t h) {
        if (h >= 0) Height = h;
    }
};

enum TVNFRScaleMode { vnsmAdjust, vnsmFit };

struct TVNScaleOptions {
    bool CenterOnPageH = false, CenterOnPageV = false, FitPageWidth = false, FitPageHeight = false;
    TVNFRScaleMode ScaleMode = vnsmFit;
    std::int32_t ScaleFactor = 100; // percent
};

struct TVNGridNumOptions {
    AnsiString Text = "No";
    // Width of the number column in heights of the letter "a" of the control's font.
    std::int32_t Number = 7;
    void SetNumber(std::int32_t n) {
        if (n >= 0) Number = n;
    }
};

struct TVNGridFontOptions {
    bool UseCustomFontSize = false; // grid data cells take Font instead of the column's font
    TFontSpec Font;
};

struct TVNMasterDataBandOptions {
    std::int32_t LinesPerPage = 0, Columns = 1, ColumnWidth = 200, ColumnGap = 20;
    bool NewPageAfter = false;
    std::int32_t Height = -1; // row height from the grid; a positive value replaces it
};

struct TVNGroupItem {
    AnsiString GroupFieldName;
    bool FormNewPage = false;
};

// Kept for callers that set them; the generator does not use them.
struct TVNPageAggr {
    bool AutoTotal = false;
    AnsiString TotalFields;
};
struct TVNGridPageAggrOptions {
    TVNPageAggr PageSum, PageSumTotal;
};
