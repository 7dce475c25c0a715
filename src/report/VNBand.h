// TVNBand: the run-time record of a band while its page is built - where it is, which views it
// holds, which data set it walks and the options copied from its band view. The band engine
// creates one per band view when building starts and frees them when the page is done.
#pragma once

#include "VNBandView.h"

#include "platform/Value.h"

#include <memory>
#include <vector>

class TVNDataset;
class TVNPage;

class TVNBand {
public:
    TVNBand() = default;
    TVNBand(const TVNBand&) = delete;
    TVNBand& operator=(const TVNBand&) = delete;
    ~TVNBand();

    int Type = bkNone;
    TVNPage* Page = nullptr;
    TVNBandView* View = nullptr;
    TVNBand* Next = nullptr; // next band of the same type (group chains)
    int X = 0, Y = 0, Width = 0, Height = 0;
    std::vector<TVNView*> Objects;
    std::vector<AnsiString> Aggregates, AggregateValues, AggregateNames;
    std::vector<std::pair<AnsiString, Value>> Values;
    TVNDataset* DataSet = nullptr;
    bool OwnsDataSet = false;
    AnsiString GroupCondition, NewPageCondition;
    bool Stretched = false, FormNewPage = false, PrintIfSubsetEmpty = false, PrintChildIfInvisible = false,
         AutoAppendBlank = false;
    int LinesPerPage = 0;
    bool Visible = true;
    int RowNo = 0, RowCount = 0;
    int CalculatedHeight = 0;

    // Build state kept by the band engine.
    int LineNo = 1, LineThrough = 1; // "Line#" (restarts with every group) and "LineThough#"
    int ColumnNo = 1;                // column counter of a multi-column band (1-based)
    int ColumnsX = 0;                // x where the band's columns start
    int ColumnsY = 0;                // y where the band's current row of columns started
    int FirstPrintY = -1;            // y of the band's first print on the current page column
    int ColumnsBottom = 0;           // lowest row bottom of a band running down several columns
    bool InColumnRow = false;        // PrintColFirst: a row of columns is still open
    bool HasLastValue = false;       // group header: a group value was taken
    Value LastValue;                 // group header: the value of the current group
    TVNBand* Header = nullptr;       // data bands: their header and footer
    TVNBand* Footer = nullptr;
    TVNBand* GroupFooter = nullptr;  // group headers: the paired footer
    TVNBand* Child = nullptr;        // the child band printed right after this one
    TVNBand* Parent = nullptr;       // a child band: the band that names it
    std::vector<TVNBand*> Groups;    // data bands: their group headers, outermost first
    TVNDataset* CrossDataSet = nullptr; // cross data set given by the cross band's list
    int CrossMaxColumns = 0;            // cross data band: the most columns a row printed
    int PageBreakRequests = 0, ColumnBreakRequests = 0; // "NEWPAGE" / "NEWCOLUMN" of its script
    bool SkipBeforePrintScript = false; // printed again after a break: the script ran already
    bool Queued = false;                // waiting in the data loop's print queue
    int Level = 0;                      // data bands: 1 master, 2 detail, 3 sub-detail
    // Accumulators of the aggregate calls that add up this data band's rows.
    struct TAccumulator {
        AnsiString Key;        // owner, kind, expression and flag (see VNAggregate.h)
        AnsiString Owner;      // the band whose print resets it
        int Kind = 0;          // TVNAggregateKind
        AnsiString Expression; // evaluated per row (not for COUNT)
        bool IncludeInvisible = false;
        Value Total;
        int Rows = 0; // rows added since the last reset (averages)
        // Held by a band cut into cross-tab columns: the accumulator (column 0) has a copy per
        // column, made when the column first adds a row.
        bool PerColumn = false;
        int Column = 0;
    };
    std::vector<TAccumulator> Accumulators;
    // The data set's range before the band overrode it (restored when the band is freed).
    bool RangeOverridden = false;
    int SavedRangeBegin = 0, SavedRangeEnd = 0, SavedRangeEndCount = 0;

    bool IsCrossBand() const { return IsCrossBandType(Type); }

    // Creates the run-time band of a band view, copying the options it keeps while building.
    static std::unique_ptr<TVNBand> FromView(TVNBandView& view, TVNPage* page);
    // Points the band at a data set, saving the data set's range and overriding it with the
    // band view's range where the view sets one. owned: the band frees it.
    void SetDataSet(TVNDataset* dataset, bool owned);
    // Restores the range, closes the data set and frees it when owned.
    void ReleaseDataSet();
};
