// TVNFormReport: the grid report generator over a screen control. It walks the control and its
// child widgets, lets a control printer (VNFormReportObject.h) turn each one into report views
// filed by destination band, and assembles the generated pages: title band (with the page header
// caption), data band, group footers, column footer and page footer (with their captions) and the
// summary band, scaled and centred on the paper. A grid wider than the paper gets one page per
// horizontal slice.
//
// Typical use (the sheet's normal print):
//   TVNFormReport printDG;
//   printDG.PrintControl = grid;              // a TAdvCustomDBGridQx
//   printDG.PageHeader.Caption = {rtfText};   // "[Title]" ... evaluated when printing
//   printDG.PreviewReport();                  // or PrintReport(), or PrepareReport() headless
#pragma once

#include "VNCustomGridReport.h"
#include "VNFormReportObject.h"

#include <QPointer>

#include <memory>
#include <vector>

class TVNBandView;
class TVNMemoView;

class TVNFormReport : public TVNCustomGridReport {
public:
    TVNFormReport();
    ~TVNFormReport() override;

    // The control to print; cleared automatically when the widget is destroyed.
    QPointer<QWidget> PrintControl;
    std::vector<TVNGroupItem> Groups;
    // Leading grid columns repeated on every horizontal slice.
    int GridFixedCols = 0;

    // May name a printer for the control (printer stays empty: the registry decides) or declare
    // it drawn by the caller (ownerDraw: the control prints nothing).
    std::function<void(TVNFormReport& report, TVNPage& page, QWidget* control,
                       std::unique_ptr<TVNFormReportObject>& printer, bool& ownerDraw)>
        OnPrintObject;
    std::function<void(QWidget* control, TVNView* view)> OnAfterCreateObject;
    std::function<void(QWidget* control, const AnsiString& fieldName, TVNView* view)> OnAfterCreateGridObjectEvent;

    bool BuildGridReport() override;

    // ---- run-time state for the control printers ----
    // The walk's offset of the current container (x, y).
    int OffsetX = 0, OffsetY = 0;
    // A grid (or list view) was printed in this run; controls visited afterwards go to the column
    // footer list. Its top (walk coordinates) and height.
    bool GridPrinted = false;
    int GridTop = 0, GridHeight = 0;
    // The view lists by destination band; each view already sits on its page slice.
    std::vector<TVNView*> TitleViews, DataViews, PageFooterViews, ColumnFooterViews, SummaryViews;
    // Printers kept until the next run (their datasets feed the build).
    std::vector<std::unique_ptr<TVNFormReportObject>> KeptPrinters;

    // Files a simple control's view: the title list before the grid has printed, the column
    // footer list after it.
    void FileSimpleView(TVNView* view);
    // A simple control's view: placed at the control's place in the walk moved by (dx, dy), sized,
    // framed on all sides with vngoDrawBorder, added to the page and filed.
    void PlaceSimpleView(TVNPage& page, QWidget* control, TVNView* view, int dx, int dy, int width, int height);
    // A footer total: the view shows SUM (or COUNT) over the data band of its page, which exists
    // only once the bands are assembled. expression: the field reference summed (empty: COUNT).
    void AddAggregateCell(TVNMemoView* view, const AnsiString& expression);
    // Adds a view to a page under a name unique in the generated report.
    void AddView(TVNPage& page, TVNView* view);

private:
    void WalkControl(QWidget* control, int offsetX, int offsetY);
    void AssemblePage(TVNPage& page, int pageIndex);
    TVNBandView* AddBand(TVNPage& page, int type, int top);
    // Adds a caption's views under `top`; answers their height (0 when the caption is empty).
    int AddCaption(TVNPage& page, const TVNPageHeaderFooter& caption, int top, bool visible);
    struct TAggregateCell {
        TVNMemoView* View;
        AnsiString Expression;
    };
    std::vector<TAggregateCell> FAggregates;
    std::vector<TVNBandView*> FDataBands; // per page, null where a page has none
    int FViewCounter = 0;
};
