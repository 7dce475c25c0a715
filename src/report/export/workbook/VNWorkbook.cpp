// The workbook model's operations: sheets, unit conversions, ranges and their used area,
// pictures, and the check every writer runs before writing.
#include "VNWorkbook.h"

#include "report/VNEngine.h"
#include "report/VNMemoLayout.h"

#include "platform/Canvas.h"
#include "platform/Locale.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>

namespace {

// Integer multiply-then-divide with halves away from zero, as the unit rules ask.
int MulDivAway(std::int64_t a, std::int64_t b, std::int64_t c) {
    if (c == 0) return 0;
    const std::int64_t p = a * b;
    const std::int64_t q = (std::llabs(p) * 2 + std::llabs(c)) / (std::llabs(c) * 2);
    return int((p < 0) != (c < 0) ? -q : q);
}

void Widen(TVNWorksheet& sheet, int firstCol, int firstRow, int lastCol, int lastRow) {
    if (sheet.FirstCol < 0 || firstCol < sheet.FirstCol) sheet.FirstCol = firstCol;
    if (sheet.FirstRow < 0 || firstRow < sheet.FirstRow) sheet.FirstRow = firstRow;
    sheet.LastCol = std::max(sheet.LastCol, lastCol);
    sheet.LastRow = std::max(sheet.LastRow, lastRow);
}

int XWidthOfArial10() {
    ICanvas& canvas = VNMeasureCanvas();
    const TFontSpec saved = canvas.Font();
    TFontSpec arial;
    arial.Name = "Arial";
    arial.Size = 10;
    canvas.SetFont(arial);
    const int width = canvas.TextWidth("x");
    canvas.SetFont(saved);
    return width > 0 ? width : 7;
}

} // namespace

TVNWorkbook::TVNWorkbook() : TVNWorkbook(XWidthOfArial10(), VNState().ScreenDPI > 0 ? VNState().ScreenDPI : 96) {}

TVNWorkbook::TVNWorkbook(int xWidthPixels, int pixelsPerInch)
    : FXWidth(std::max(1, xWidthPixels)), FPixelsPerInch(std::max(1, pixelsPerInch)) {}

TVNWorksheet& TVNWorkbook::AddWorksheet() {
    auto sheet = std::make_unique<TVNWorksheet>();
    sheet->Name = "Sheet" + std::to_string(FSheets.size() + 1);
    FSheets.push_back(std::move(sheet));
    return *FSheets.back();
}

TVNWorksheet& TVNWorkbook::Worksheet(int index) {
    return *FSheets.at(std::size_t(index));
}
const TVNWorksheet& TVNWorkbook::Worksheet(int index) const {
    return *FSheets.at(std::size_t(index));
}

int TVNWorkbook::ColumnUnits(int pixels) const {
    return std::clamp(MulDivAway(pixels, 256, FXWidth), 0, 65280);
}

int TVNWorkbook::RowTwips(int pixels) const {
    // A row of the format holds at most 8192 twips; a taller object is cut, not wrapped round.
    return std::clamp(MulDivAway(pixels, 1440, FPixelsPerInch), 0, 8192);
}

void TVNWorkbook::ColumnWidth(TVNWorksheet& sheet, int column, int pixels) {
    sheet.Columns[column] = ColumnUnits(pixels);
}

void TVNWorkbook::RowHeight(TVNWorksheet& sheet, int row, int pixels) {
    sheet.Rows[row] = RowTwips(pixels);
}

TVNXLRange& TVNWorkbook::AddRange(TVNWorksheet& sheet, int firstCol, int firstRow, int lastCol, int lastRow) {
    TVNXLRange& range = sheet.Ranges.emplace_back();
    range.FirstCol = firstCol, range.FirstRow = firstRow, range.LastCol = lastCol, range.LastRow = lastRow;
    Widen(sheet, std::min(firstCol, lastCol), std::min(firstRow, lastRow), std::max(firstCol, lastCol),
          std::max(firstRow, lastRow));
    return range;
}

TVNXLPicture& TVNWorkbook::AddPicture(TVNWorksheet& sheet, int leftCol, int topRow, int rightCol,
                                      int bottomRow, const TRasterImage& image) {
    TVNXLPicture& picture = sheet.Pictures.emplace_back();
    picture.Anchor.LeftCol = leftCol, picture.Anchor.TopRow = topRow;
    picture.Anchor.RightCol = rightCol, picture.Anchor.BottomRow = bottomRow;
    picture.Image = image;
    return picture;
}

void CheckWorkbook(const TVNWorkbook& workbook, const TVNWorkbookLimits& limits) {
    for (int s = 0; s < workbook.WorksheetCount(); ++s) {
        const TVNWorksheet& sheet = workbook.Worksheet(s);
        const std::string where = "worksheet \"" + AnsiToUtf8(sheet.Name) + "\"";
        auto cell = [](int col, int row) {
            return "(column " + std::to_string(col) + ", row " + std::to_string(row) + ")";
        };
        // Per row, the column spans of the ranges on it; two spans overlapping is two ranges
        // claiming one cell.
        std::map<int, std::vector<std::pair<int, int>>> spans;
        for (const TVNXLRange& r : sheet.Ranges) {
            if (r.FirstCol < 0 || r.FirstRow < 0 || r.LastCol < r.FirstCol || r.LastRow < r.FirstRow)
                throw EVNWorkbookError(where + ": range " + cell(r.FirstCol, r.FirstRow) + " to " +
                                       cell(r.LastCol, r.LastRow) + " is not a rectangle");
            if (r.LastRow >= limits.MaxRows || r.LastCol >= limits.MaxColumns)
                throw EVNWorkbookError(where + ": range " + cell(r.FirstCol, r.FirstRow) + " to " +
                                       cell(r.LastCol, r.LastRow) + " lies beyond the format's " +
                                       std::to_string(limits.MaxRows) + " rows and " +
                                       std::to_string(limits.MaxColumns) + " columns");
            for (int row = r.FirstRow; row <= r.LastRow; ++row)
                spans[row].emplace_back(r.FirstCol, r.LastCol);
        }
        for (auto& [row, list] : spans) {
            std::sort(list.begin(), list.end());
            for (std::size_t i = 1; i < list.size(); ++i)
                if (list[i].first <= list[i - 1].second)
                    throw EVNWorkbookError(where + ": two ranges overlap at " + cell(list[i].first, row));
        }
        for (const TVNXLPicture& p : sheet.Pictures)
            if (p.Anchor.BottomRow >= limits.MaxRows || p.Anchor.RightCol >= limits.MaxColumns ||
                p.Anchor.LeftCol < 0 || p.Anchor.TopRow < 0)
                throw EVNWorkbookError(where + ": a picture lies beyond the format's rows or columns");
        if (!sheet.Columns.empty() &&
            (sheet.Columns.begin()->first < 0 || sheet.Columns.rbegin()->first >= limits.MaxColumns))
            throw EVNWorkbookError(where + ": a column width is set beyond the format's " +
                                   std::to_string(limits.MaxColumns) + " columns");
        if (!sheet.Rows.empty() &&
            (sheet.Rows.begin()->first < 0 || sheet.Rows.rbegin()->first >= limits.MaxRows))
            throw EVNWorkbookError(where + ": a row height is set beyond the format's " +
                                   std::to_string(limits.MaxRows) + " rows");
        for (int row : sheet.PageBreaks)
            if (row < 0 || row >= limits.MaxRows)
                throw EVNWorkbookError(where + ": a page break lies beyond the format's rows");
    }
}

bool IsPlainDecimal(const AnsiString& text, double* value) {
    const AnsiString t = Trim(text);
    if (t.empty()) return false;
    int points = 0, digits = 0;
    for (std::size_t i = 0; i < t.size(); ++i) {
        const char c = t[i];
        if (c >= '0' && c <= '9')
            ++digits;
        else if (c == '.') {
            if (++points > 1) return false;
        } else if (c == '-') {
            if (i != 0) return false;
        } else
            return false;
    }
    if (digits == 0) return false;
    // from_chars reads "." whatever the process's C locale says.
    if (value) {
        const char* begin = t.data() + (t[0] == '-' ? 1 : 0);
        double v = 0;
        std::from_chars(begin, t.data() + t.size(), v);
        *value = t[0] == '-' ? -v : v;
    }
    return true;
}
