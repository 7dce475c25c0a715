// Rows of grid cells across page slices (see VNGridRows.h).
#include "VNGridRows.h"

#include "VNFormReport.h"
#include "VNGridCells.h"

#include "report/VNPage.h"

#include <QWidget>

TVNGridRows::TVNGridRows(TVNFormReport& report, QWidget* grid, bool doubleFrame, std::vector<int> fixedColumns)
    : FReport(report), FGrid(grid), FDoubleFrame(doubleFrame), FFixed(std::move(fixedColumns)),
      FLeft(grid->x() + report.OffsetX), FTop(grid->y() + report.OffsetY) {}

void TVNGridRows::Begin(int totalWidth) {
    FReport.GridPrinted = true;
    FReport.GridTop = FTop;
    FReport.GridHeight = FGrid->height();
    if (FGrid == FReport.PrintControl || FReport.PageWidths[0] < totalWidth)
        FReport.PageWidths[0] = 2 * FLeft + totalWidth;
}

void TVNGridRows::PlaceRow(TRowKind kind, const std::vector<int>& columns, const TCellWidth& cellWidth,
                           const TMakeCell& make) {
    TVNSlicePlacer placer(FReport, FLeft, FFixed, true);
    std::vector<TVNView*> last; // per slice, for the double frame's right edge
    auto endSlice = [&](int slice) {
        if (FDoubleFrame && slice < int(last.size()) && last[std::size_t(slice)])
            WideFrameLine(last[std::size_t(slice)]->RightFrame());
    };
    for (int c : columns)
        placer.Place(
            c,
            [&](int column, int slice, int x) {
                TVNPage& page = FReport.Report().Pages[slice];
                TVNView* v = make(column, x);
                if (FDoubleFrame) {
                    if (placer.CountOnSlice() == 0) WideFrameLine(v->LeftFrame());
                    if (kind == TitleRow) WideFrameLine(v->TopFrame());
                    else {
                        TVNView* line = DoubleFrameBottomLine(x, FReport.GridTop + FReport.GridHeight, v->Width,
                                                              FReport.HasOption(vngoStretch));
                        FReport.AddView(page, line);
                        FReport.ColumnFooterViews.push_back(line);
                    }
                }
                FReport.AddView(page, v);
                (kind == TitleRow ? FReport.TitleViews : FReport.DataViews).push_back(v);
                if (int(last.size()) <= slice) last.resize(std::size_t(slice) + 1, nullptr);
                last[std::size_t(slice)] = v;
                return v->Width;
            },
            endSlice, cellWidth(c));
    endSlice(placer.Slice());
    FSlice = placer.Slice();
    if (FReport.Report().Pages.Count() > 1) FReport.PageWidths[std::size_t(placer.Slice())] = placer.X();
}
