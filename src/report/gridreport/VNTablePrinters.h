// Printers of the Qt table and tree views:
//   TVNFormPrintDBGrid      a QTableView over a data set (TDataSetGridModel): titles, one data
//                           cell per visible column bound to its field, the row number column,
//                           slices, selected rows only
//   TVNFormPrintStringGrid  any other QTableView (a QTableWidget above all): the header's titles
//                           and every row's cell texts, walked by a dataset of its own
//   TVNPrintListView        a QTreeView in list form (QTreeWidget): column captions, one printed
//                           row per top-level item, the row number column
// Each prints only the first grid-like control of a run; controls met after it go under it.
#pragma once

#include "VNRowDataset.h"

class TVNFormPrintDBGrid : public TVNFormReportObject {
public:
    void PrintObject(TVNFormReport& report, TVNPage& page, TVNView*& view, QWidget* control) override;
};

class TVNFormPrintStringGrid : public TVNRowDatasetPrinter {
public:
    void PrintObject(TVNFormReport& report, TVNPage& page, TVNView*& view, QWidget* control) override;

private:
    std::vector<int> FRowHeights;
    int FCurrentRow = 0;
};

class TVNPrintListView : public TVNRowDatasetPrinter {
public:
    void PrintObject(TVNFormReport& report, TVNPage& page, TVNView*& view, QWidget* control) override;
};

// Whether a table view shows a data set (the database grid printer's kind).
bool IsDataSetTableView(const QWidget* control);
