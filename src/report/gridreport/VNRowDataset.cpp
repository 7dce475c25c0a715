// Row datasets of the string grid and list view printers (see VNRowDataset.h).
#include "VNRowDataset.h"

#include "VNFormReport.h"

#include "report/VNMemoView.h"
#include "report/expr/VNDataset.h"

TVNRowDatasetPrinter::TVNRowDatasetPrinter() {
    FreeAfterPrint = false;
}

TVNRowDatasetPrinter::~TVNRowDatasetPrinter() = default;

void TVNRowDatasetPrinter::AttachDataset(TVNFormReport& fr, int rows, TFillCell fill) {
    if (!FDataset) FDataset = std::make_unique<TVNUserDataset>();
    RowCells.clear();
    TVNReport& report = fr.Report();
    // The data band has no data set name: it walks the report's own dataset, this one.
    fr.BindDataSet = false;
    report.Dataset = FDataset.get();
    FDataset->OnCheckEOF = [rows](TVNDataset* ds, bool& eof) { eof = ds->RecordNo >= rows; };
    // The cells are looked up by name once per walk: the pages do not change while it runs.
    auto cells = std::make_shared<std::vector<std::pair<TVNMemoView*, int>>>();
    auto move = [this, &report, rows, cells, fill = std::move(fill)](TVNDataset* ds) {
        if (ds->RecordNo == 0 || cells->size() != RowCells.size()) {
            cells->clear();
            for (const TRowCell& cell : RowCells)
                cells->emplace_back(dynamic_cast<TVNMemoView*>(report.FindObject(cell.Name)), cell.Column);
        }
        if (ds->RecordNo < 0 || ds->RecordNo >= rows) return;
        if (OnRow) OnRow(ds->RecordNo);
        for (auto [memo, column] : *cells)
            if (memo) fill(ds->RecordNo, column, *memo);
    };
    FDataset->OnFirst = move;
    FDataset->OnNext = move;
    FDataset->OnPrior = move;
}
