// The row source of the printers whose rows are not records of a data set (string grids, list
// views): a report dataset of their own that walks the control's rows and, on every move, writes
// the current row into the data band's cells. The generated report walks it in place of the
// generated data set, so the printer stays alive until the next run.
#pragma once

#include "VNFormReportObject.h"

#include "platform/AnsiString.h"

#include <functional>
#include <memory>
#include <vector>

class TVNMemoView;
class TVNUserDataset;

class TVNRowDatasetPrinter : public TVNFormReportObject {
public:
    TVNRowDatasetPrinter();
    ~TVNRowDatasetPrinter() override;

protected:
    // Makes the dataset the generated report's row source: `rows` rows; on every move
    // fill(row, column, cell) writes each data cell of RowCells (a column repeated on several
    // slices has a cell on each). The data cells are added afterwards.
    using TFillCell = std::function<void(int row, int column, TVNMemoView& cell)>;
    void AttachDataset(TVNFormReport& report, int rows, TFillCell fill);
    // Called before each row is filled (the row about to print).
    std::function<void(int row)> OnRow;
    // The data cells of one row: their names in the generated report and their columns.
    struct TRowCell {
        AnsiString Name;
        int Column;
    };
    std::vector<TRowCell> RowCells;

private:
    std::unique_ptr<TVNUserDataset> FDataset;
};
