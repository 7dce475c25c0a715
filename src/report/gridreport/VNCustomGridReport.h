// TVNCustomGridReport: a report made on the fly from what a screen shows. It holds the options
// (paper, captions, scaling, the report options), creates the generated report and its data set,
// and runs the sequence preview / print / build-only around the band assembly, which a subclass
// provides (TVNFormReport). It also owns the two rules every control printer shares: adding a
// page for a horizontal slice of a wide grid, and scaling a view onto the printable width.
//
// Run sequence: the generated report is emptied, takes the options, gets its first page and the
// subclass fills it; when pages were generated, the report is built and shown, printed or only
// built (for exports and tests). The generated report lives until the next run or the
// component's end, so its built pages can be exported after a run.
#pragma once

#include "VNGridReportOptions.h"

#include "report/VNReport.h"
#include "report/expr/VNDataset.h"
#include "report/expr/VNDatasetComponents.h"
#include "report/print/VNReportPrint.h"

#include <functional>
#include <memory>
#include <vector>

class TVNBandView;
class TVNPage;
class TVNPageSetting;
class TVNView;

class TVNCustomGridReport {
public:
    TVNCustomGridReport();
    virtual ~TVNCustomGridReport();
    TVNCustomGridReport(const TVNCustomGridReport&) = delete;
    TVNCustomGridReport& operator=(const TVNCustomGridReport&) = delete;

    // Optional data: the whole control repeats once per record (a form printed per record).
    TMemDataSet* DataSet = nullptr;
    std::uint32_t ReportOptions = VNDefaultGridReportOptions;
    TVNPageLayout PageLayout;
    TVNPageHeaderFooter PageHeader, PageFooter, ColumnFooter;
    TVNScaleOptions ScaleMode;
    TVNGridNumOptions GridNumOptions;
    TVNGridFontOptions GridFontOptions;
    TVNMasterDataBandOptions MasterDataBandOptions;
    TVNGridPageAggrOptions PageAggrOptions; // kept; the generator does not use it
    TVNPreviewZoom InitialZoom = pzDefault;
    int PreviewButtons = pbZoom | pbLoad | pbSave | pbPrint | pbFind | pbPageSetup | pbExit | pbSuperExp;
    TVNReportType ReportType = rtSimple;
    bool ShowProgress = true;
    bool ShowPrintDialog = true;
    bool ModifyPrepared = false;
    AnsiString ReportTitle;
    AnsiString AutoBooleanString; // kept; the generator does not use it
    bool ShowMasterData = false;  // grid data cells print invisible and of height 0
    bool PageHeaderOnly1 = false; // the title band becomes a page header on every page

    // Events handed to the generated report before each run.
    std::function<void(TVNBand*)> OnBeginBand, OnEndBand, OnBeginColumn;
    std::function<void()> OnBeginDoc, OnEndDoc;
    std::function<void(int pageNo)> OnBeginPage, OnEndPage;
    std::function<void(const AnsiString& name, Value& value)> OnGetValue;
    std::function<void(int n)> OnProgress;
    std::function<void(int column, int& width)> OnPrintColumn;

    bool HasOption(std::uint32_t option) const { return (ReportOptions & option) != 0; }

    // Generates the report and shows it in the preview.
    void PreviewReport();
    // Generates and builds the report, then prints it (through the print dialog when
    // ShowPrintDialog is on). The outcome says what the print loop did.
    TVNPrintOutcome PrintReport();
    // Generates and builds the report without showing anything (exports, tests, benchmarks).
    // False when nothing was generated or the build made no page.
    bool PrepareReport();
    // Only generates the report's pages (no build). False when nothing was generated.
    bool GenerateReport();
    // Takes the page setting the user chose in the preview into PageLayout and generates and
    // builds the report again without showing anything.
    void RebuildAfterPageSetup(const TVNPageSetting& setting);
    // Takes title, printer, passes, orientation, columns, colours, margins, paper and bin of a page
    // setting into PageLayout (margins from millimetres to pixels).
    void TakePageSetting(const TVNPageSetting& setting);

    // The generated report (created on first use).
    TVNReport& Report();
    // The generated data set the data band walks ("VNDialogForm." + its name).
    TVNDBDataSet& GridDataSet();
    // Whether the data band walks GridDataSet (set at creation; printers that feed the band with
    // a dataset of their own clear it and set the report's Dataset instead).
    bool BindDataSet = true;

    // ---- for the band assembly and the control printers ----
    virtual bool BuildGridReport() { return false; }
    // Appends a page for one more horizontal slice, with the layout's paper and margins; its
    // content width starts at 0.
    TVNPage& AddPageSlice();
    // Content width of each generated page (its slice), before scaling.
    std::vector<int> PageWidths;
    int PrintableWidth = 0, PrintableHeight = 0;
    int ContentHeight = 0;
    // Scales the view by the scaling options; bandTop is the top of the band the view is in (its
    // offset inside the band is scaled, the band's top stays), contentWidth the width of the
    // view's page slice.
    void ScaleToPage(TVNView& view, int bandTop, int contentWidth);
    // A width as it compares with the printable width when slicing.
    int ScaledSliceWidth(int x) const;
    // Whether slicing applies at all (not when the content is fitted to the page width).
    bool SlicesAllowed() const { return !(ScaleMode.ScaleMode == vnsmFit && ScaleMode.FitPageWidth); }
    // Set by the band assembly while it places views: there is a data band (vertical centring and
    // height fitting then do not apply).
    bool HasDataBand = false;

protected:
    // Empties the report and prepares it for a run (steps shared by every run kind).
    void PrepareRun();

private:
    bool RunGenerated(); // PrepareRun + BuildGridReport
    // Set while a rebuild after page setup runs: it runs inside the report's page-setup hook,
    // which the run then must not replace.
    bool FRebuilding = false;
    std::unique_ptr<TVNReport> FReport;
    std::unique_ptr<TVNDBDataSet> FDataSet;
};
