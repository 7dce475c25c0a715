// TVNPrintQXGrid: prints the host's data grid (TAdvCustomDBGridQx): a title row, one data cell
// per visible column in grid order (the data band repeats them per record), the footer row with
// its totals, counts and fixed texts, horizontal slices with the fixed columns repeated when the
// grid is wider than the paper, and only the selected rows on request. It also writes the plain
// data file that the preview's conversion to CSV reads.
#pragma once

#include "VNFormReportObject.h"

#include "platform/AnsiString.h"

#include <cstdint>
#include <functional>
#include <vector>

class TAdvCustomDBGridQx;
class TMemDataSet;

class TVNPrintQXGrid : public TVNFormReportObject {
public:
    void PrintObject(TVNFormReport& report, TVNPage& page, TVNView*& view, QWidget* control) override;
};

// Where the plain data file goes: "~superfile.tmp" in the user's temporary folder.
std::string PlainDataFileName();
// Writes the grid's visible columns and every record of its data set as the plain data file
// (titles joined by ",", then one line per record); false when the file cannot be written.
bool WritePlainDataFile(const TAdvCustomDBGridQx& grid, const std::string& fileName);
// The same for any grid over a data set: its visible columns as (title, field name) pairs.
struct TVNPlainColumn {
    AnsiString Title, FieldName;
};
bool WritePlainDataFile(const TMemDataSet& data, const std::vector<TVNPlainColumn>& columns,
                        const std::string& fileName);

// Selected rows only: the generated report's data bands print a record only when it is one of
// `chosen` (nothing changes when none is chosen).
void FilterSelectedRows(TVNFormReport& report, TMemDataSet* data, const std::vector<std::int64_t>& chosen);

// The slice rule the grid printers share: places the cells of one row of columns from left to
// right, starting a new page slice when the next cell would pass the printable width, and placing
// the fixed columns again at the start of each new slice.
class TVNSlicePlacer {
public:
    // place(column, slice page index, x) makes one cell and answers its width.
    using TPlace = std::function<int(int column, int slice, int x)>;
    // onSliceEnd(slice): the slice ends (its last cell may take a wider right line).
    using TSliceEnd = std::function<void(int slice)>;

    TVNSlicePlacer(TVNFormReport& report, int left, std::vector<int> fixedColumns, bool createSlices)
        : FReport(report), FLeft(left), FFixed(std::move(fixedColumns)), FCreate(createSlices) {}

    // cellWidth: the width the cell of `column` takes (column width + 1).
    void Place(int column, const TPlace& place, const TSliceEnd& onSliceEnd, int cellWidth);
    int Slice() const { return FSlice; }
    int X() const { return FX; }
    int CountOnSlice() const { return FCount; }

private:
    TVNFormReport& FReport;
    int FLeft;
    std::vector<int> FFixed;
    bool FCreate;
    int FSlice = 0, FX = 0, FCount = 0;
    bool FStarted = false;
};
