// What the grid-like printers (database grid, string grid, list view, the host's data grid) share
// once they know their columns: the grid's place in the walk, the first page widened to hold it,
// and rows of cells laid across page slices with the fixed columns repeated and the optional
// 2-pixel outer edge (double frame), each cell filed into the band list its row belongs to.
#pragma once

#include "VNPrintQXGrid.h"

#include <functional>
#include <vector>

class QWidget;
class TVNFormReport;
class TVNView;

class TVNGridRows {
public:
    enum TRowKind { TitleRow, DataRow };
    // The cell of `column` made at x on the given slice; the rows add it to that slice's page.
    using TMakeCell = std::function<TVNView*(int column, int x)>;
    using TCellWidth = std::function<int(int column)>;

    // fixedColumns: the columns placed again at the left of every new slice.
    TVNGridRows(TVNFormReport& report, QWidget* grid, bool doubleFrame, std::vector<int> fixedColumns);

    // Later controls go under the grid; the first page widens to hold `totalWidth` (always when
    // the grid is the printed control itself).
    void Begin(int totalWidth);
    int Left() const { return FLeft; }
    int Top() const { return FTop; }

    // Places one row: title cells go to the title band, data cells to the data band (the double
    // frame's line under each data cell to the column footer). The last slice's content width
    // becomes the row's end when the grid needs more than one slice.
    void PlaceRow(TRowKind kind, const std::vector<int>& columns, const TCellWidth& cellWidth,
                  const TMakeCell& make);

    // The slice the last cell went to (the page it sits on).
    int Slice() const { return FSlice; }

private:
    TVNFormReport& FReport;
    QWidget* FGrid;
    bool FDoubleFrame;
    std::vector<int> FFixed;
    int FLeft, FTop;
    int FSlice = 0;
};
