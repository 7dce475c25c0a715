// The in-memory spreadsheet workbook the spreadsheet exports fill while pages are exported and
// a writer saves afterwards (BIFF8 in a compound file, or XLSX): sheets with column widths, row
// heights, merged cell ranges carrying a value and its formats, pictures anchored to cells,
// horizontal page breaks and the page setup.
//
// The model stores what the caller asked for; it does not refuse indexes a particular file
// format cannot hold. Each writer checks the model against its own limits before it writes a
// single byte (CheckWorkbook), so an impossible model is refused, never written corrupt.
#pragma once

#include "platform/AnsiString.h"
#include "platform/Graphics.h"
#include "platform/Picture.h"

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

// Raised for a workbook that cannot be written (a limit of the format, overlapping ranges) and
// for a file that cannot be created.
class EVNWorkbookError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct TVNXLFont {
    AnsiString Name = "Arial";
    int Size = 10; // points
    TColor Color = clBlack;
    int Style = 0; // fsBold | fsItalic | fsUnderline | fsStrikeOut
    std::uint8_t Charset = DEFAULT_CHARSET;
    std::uint8_t Pitch = 0; // pitch-and-family byte
    friend bool operator==(const TVNXLFont&, const TVNXLFont&) = default;
};

// Line style codes of the format: 0 none, 1 thin, 3 dashed, 4 dotted, 9 thin dash-dot,
// 11 thin dash-dot-dot (the others exist but the exports do not use them).
struct TVNXLBorder {
    std::uint8_t Style = 0;
    TColor Color = clBlack;
    bool Assigned = false;
};

enum TVNXLBorderSide { xlbDiagonalDown, xlbDiagonalUp, xlbBottom, xlbLeft, xlbRight, xlbTop };

enum TVNXLHAlign : std::uint8_t { xlhGeneral = 0, xlhLeft = 1, xlhCenter = 2, xlhRight = 3 };
enum TVNXLVAlign : std::uint8_t { xlvTop = 0, xlvCenter = 1, xlvBottom = 2, xlvJustify = 3 };

// A merged block of cells (one cell when first == last) with one value and one format.
struct TVNXLRange {
    int FirstCol = 0, FirstRow = 0, LastCol = 0, LastRow = 0;

    // The value: a text (CP936) or a number. An empty text means no value (blank cells).
    bool IsNumber = false;
    AnsiString Text;
    double Number = 0;
    void SetText(AnsiString text) { IsNumber = false, Text = std::move(text); }
    void SetNumber(double value) { IsNumber = true, Number = value, Text.clear(); }

    AnsiString NumberFormat; // empty: General
    TVNXLFont Font;
    std::uint8_t HAlign = xlhGeneral;
    std::uint8_t VAlign = xlvBottom;
    bool Wrap = false;
    std::uint8_t Rotation = 0;
    TVNXLBorder Borders[6];       // indexed by TVNXLBorderSide
    std::uint8_t FillPattern = 0; // 0 none, 1 solid
    TColor PatternColor = clNone;
    TColor BackColor = clNone;

    bool IsMerged() const { return FirstCol != LastCol || FirstRow != LastRow; }
};

struct TVNXLAnchor {
    int LeftCol = 0, LeftOffset = 0, TopRow = 0, TopOffset = 0;
    int RightCol = 0, RightOffset = 0, BottomRow = 0, BottomOffset = 0;
};

enum class TVNXLPictureKind { Bitmap, Jpeg };

// A picture anchored to cells; the workbook keeps its own copy.
struct TVNXLPicture {
    TVNXLAnchor Anchor;
    TRasterImage Image; // the pixels (every writer can use them)
    TVNXLPictureKind Kind = TVNXLPictureKind::Bitmap;
    std::string Encoded; // the picture's file bytes as the export chose them (BMP or JPEG)
    TColor BackColor = clWhite;
    std::uint8_t LineStyle = 0xFF; // none
    std::uint8_t LineWeight = 1;
    int ScaleX = 0, ScaleY = 0; // percent; 0: the anchor's right and bottom cells give the size
};

struct TVNXLPageSetup {
    int PaperSize = 9; // A4
    bool Landscape = false;
    int Scale = 100;
    int FirstPageNumber = 1;
    int FitWidth = 1, FitHeight = 1;
    double LeftMargin = 2, RightMargin = 2, TopMargin = 2.5, BottomMargin = 2.5; // inches
    double HeaderMargin = 0, FooterMargin = 0;
    int Copies = 1;
    bool PrintGridLines = false, PrintHeadings = false;
    bool CenterHorizontally = false, CenterVertically = false;
    bool BlackAndWhite = false, Draft = false, Notes = false, LeftToRight = false;
    AnsiString HeaderLeft, HeaderCenter, HeaderRight;
    AnsiString FooterLeft, FooterCenter, FooterRight;
};

class TVNWorksheet {
public:
    AnsiString Name;
    TVNXLPageSetup PageSetup;
    std::map<int, int> Columns;    // column index -> width in 1/256 of the "x" width
    std::map<int, int> Rows;       // row index -> height in twips
    std::deque<TVNXLRange> Ranges; // references stay valid while ranges are added
    std::vector<TVNXLPicture> Pictures;
    std::vector<int> PageBreaks; // a break before each of these rows
    // The used area, -1 while the sheet is empty.
    int FirstCol = -1, LastCol = -1, FirstRow = -1, LastRow = -1;
};

class TVNWorkbook {
public:
    // Measures the "x" of Arial 10 on the engine's measuring canvas and takes the screen's
    // resolution, the two figures the unit conversions need.
    TVNWorkbook();
    TVNWorkbook(int xWidthPixels, int pixelsPerInch);
    TVNWorkbook(const TVNWorkbook&) = delete;
    TVNWorkbook& operator=(const TVNWorkbook&) = delete;

    AnsiString UserName = "Orvane";

    TVNWorksheet& AddWorksheet();
    int WorksheetCount() const { return int(FSheets.size()); }
    TVNWorksheet& Worksheet(int index);
    const TVNWorksheet& Worksheet(int index) const;
    void SetName(TVNWorksheet& sheet, const AnsiString& name) { sheet.Name = name; }

    // Widths and heights in report pixels, stored in the model's units.
    void ColumnWidth(TVNWorksheet& sheet, int column, int pixels);
    void RowHeight(TVNWorksheet& sheet, int row, int pixels);
    int ColumnUnits(int pixels) const;
    int RowTwips(int pixels) const;

    // A range with the default formats; widens the used area. The reference stays valid.
    TVNXLRange& AddRange(TVNWorksheet& sheet, int firstCol, int firstRow, int lastCol, int lastRow);
    TVNXLPicture& AddPicture(TVNWorksheet& sheet, int leftCol, int topRow, int rightCol, int bottomRow,
                             const TRasterImage& image);
    void AddPageBreak(TVNWorksheet& sheet, int row) { sheet.PageBreaks.push_back(row); }

    int XWidth() const { return FXWidth; }
    int PixelsPerInch() const { return FPixelsPerInch; }

private:
    std::vector<std::unique_ptr<TVNWorksheet>> FSheets;
    int FXWidth = 7;
    int FPixelsPerInch = 96;
};

// Limits of a file format; CheckWorkbook refuses a model outside them or with ranges that
// overlap (the first offending range is named in the message).
struct TVNWorkbookLimits {
    int MaxRows;
    int MaxColumns;
};
void CheckWorkbook(const TVNWorkbook& workbook, const TVNWorkbookLimits& limits);

// Writes the workbook as BIFF8 in a compound file (VNBiffWriter.cpp). The file is replaced as
// a whole: a failed save leaves no partial file behind.
void SaveWorkbook(const TVNWorkbook& workbook, const std::string& fileName);
// The compound file's bytes.
std::string WorkbookFileBytes(const TVNWorkbook& workbook);
// The "Workbook" stream alone (records), for tests that compare records byte by byte.
std::string WorkbookStreamBytes(const TVNWorkbook& workbook);

// True for a text the writers store as a number: after trimming, not empty, only digits, "."
// and "-", at most one ".", a "-" only as the first character, and at least one digit.
bool IsPlainDecimal(const AnsiString& text, double* value = nullptr);
