// The grid report component's options, run sequence, page slices and scaling rule.
#include "VNCustomGridReport.h"

#include "report/VNEMFPages.h"
#include "report/VNEngineState.h"
#include "report/VNMemoView.h"
#include "report/VNPage.h"
#include "report/VNPaper.h"
#include "report/VNStrings.h"
#include "platform/ScopedValue.h"
#include "report/output/VNPrintForm.h"

#include <cmath>
#include <string>

namespace {

int RoundEven(double v) {
    return static_cast<int>(std::nearbyint(v));
}

// 10 mm at the screen's resolution.
int TenMillimetres() {
    return RoundEven(10.0 * VNState().ScreenDPI / 25.4);
}

// The bound data set's controls are off while a run reads its records, so the grid on screen
// neither follows the cursor nor repaints per record; they come back on every exit path.
class TControlsDisabled {
public:
    explicit TControlsDisabled(TMemDataSet* dataSet) : FDataSet(dataSet) {
        if (FDataSet) FDataSet->DisableControls();
    }
    ~TControlsDisabled() {
        if (FDataSet) FDataSet->EnableControls();
    }
    TControlsDisabled(const TControlsDisabled&) = delete;
    TControlsDisabled& operator=(const TControlsDisabled&) = delete;

private:
    TMemDataSet* FDataSet;
};

} // namespace

TVNPageLayout::TVNPageLayout()
    : LeftMargin(TenMillimetres()), TopMargin(TenMillimetres()), RightMargin(TenMillimetres()),
      BottomMargin(TenMillimetres()), PrinterName(VNText(TVNText::DefaultPrinter)) {}

TVNCustomGridReport::TVNCustomGridReport() = default;
TVNCustomGridReport::~TVNCustomGridReport() = default;

TVNReport& TVNCustomGridReport::Report() {
    if (!FReport) {
        FReport = std::make_unique<TVNReport>();
        FReport->Owner = &VNDialogForm();
    }
    return *FReport;
}

TVNDBDataSet& TVNCustomGridReport::GridDataSet() {
    if (!FDataSet) {
        TVNComponent& form = VNDialogForm();
        int n = 1;
        while (form.FindComponent("VNGridDataSet" + std::to_string(n)))
            ++n;
        FDataSet = std::make_unique<TVNDBDataSet>(&form, "VNGridDataSet" + std::to_string(n));
    }
    return *FDataSet;
}

TVNPage& TVNCustomGridReport::AddPageSlice() {
    TVNPage& page = Report().Pages.Add();
    const TVNPageLayout& l = PageLayout;
    // Bin 0 is the printer's default source.
    page.ChangePaper(l.pgSize, l.Width * 100, l.Height * 100, l.pgOr, l.pgBin == 0 ? 0xFFFF : l.pgBin);
    page.SetMarginsPx(l.LeftMargin, l.TopMargin, l.RightMargin, l.BottomMargin);
    page.Columns = l.Columns;
    page.ColumnGap = RoundEven(l.ColumnSpace * 25400.0 / VNState().ScreenDPI);
    PageWidths.push_back(0);
    return page;
}

int TVNCustomGridReport::ScaledSliceWidth(int x) const {
    if (ScaleMode.ScaleMode == vnsmAdjust && ScaleMode.ScaleFactor != 100)
        return RoundEven(double(x) * ScaleMode.ScaleFactor / 100.0);
    return x;
}

void TVNCustomGridReport::ScaleToPage(TVNView& view, int bandTop, int contentWidth) {
    double f = ScaleMode.ScaleFactor / 100.0;
    bool scale = false;
    if (ScaleMode.ScaleMode == vnsmFit) {
        if (ScaleMode.FitPageWidth && contentWidth > 0) {
            f = double(PrintableWidth) / contentWidth;
            scale = true;
        } else if (!HasDataBand && ScaleMode.FitPageHeight && ContentHeight > 0) {
            f = double(PrintableHeight) / ContentHeight;
            scale = true;
        }
    } else {
        scale = ScaleMode.ScaleFactor != 100;
    }
    if (scale) {
        // Each edge is scaled on its own, so neighbouring cells keep sharing their edges.
        const int right = RoundEven((view.Left + view.Width) * f);
        const int bottom = RoundEven((view.Top + view.Height) * f);
        view.Left = RoundEven(view.Left * f);
        view.Width = right - view.Left;
        view.Height = bottom - RoundEven(view.Top * f);
        view.Top = RoundEven(view.Top * f) + bandTop - RoundEven(bandTop * f);
        if (auto* memo = dynamic_cast<TVNMemoView*>(&view))
            memo->Font.Height = -static_cast<int>(std::trunc(memo->Font.Size * VNState().ScreenDPI / 72.0 * f));
    } else {
        // Centring below measures the content as it prints: unscaled.
        f = 1.0;
    }
    if (ScaleMode.CenterOnPageH) view.Left += (PrintableWidth - RoundEven(contentWidth * f)) / 2;
    if (ScaleMode.CenterOnPageV && !HasDataBand)
        view.Top += (PrintableHeight - RoundEven(ContentHeight * f)) / 2;
}

void TVNCustomGridReport::PrepareRun() {
    TVNReport& r = Report();
    TVNDBDataSet& ds = GridDataSet();
    ds.SetDataSet(nullptr);
    ds.SetDataSource(nullptr);
    r.ModalPreview = true;
    r.ReportInfo.Title = ReportTitle.empty() ? PageLayout.Title : ReportTitle;
    r.InitialZoom = InitialZoom;
    r.PreviewButtons = PreviewButtons;
    r.ReportType = ReportType;
    r.ShowProgress = ShowProgress;
    r.ModifyPrepared = ModifyPrepared;
    r.ShowPrintDialog = ShowPrintDialog;
    r.OnBeginBand = OnBeginBand;
    r.OnEndBand = OnEndBand;
    r.OnBeginColumn = OnBeginColumn;
    r.OnBeginDoc = OnBeginDoc;
    r.OnEndDoc = OnEndDoc;
    r.OnBeginPage = OnBeginPage;
    r.OnEndPage = OnEndPage;
    r.OnGetValue = OnGetValue;
    r.OnProgress = OnProgress;
    r.OnPrintColumn = OnPrintColumn;
    r.OnBeforePrint = nullptr;
    // A new paper chosen in the preview lays the grid out again on it (new slices, new scale).
    if (!FRebuilding)
        r.OnPageSetup = HasOption(vngoRebuildAfterPageChanged)
                            ? std::function<void(const TVNPageSetting&)>(
                                  [this](const TVNPageSetting& setting) {
                                      // The report is built again right after the hook: generating
                                      // the pages is all that is left to do here.
                                      TScopedValue rebuilding(FRebuilding, true);
                                      TakePageSetting(setting);
                                      GenerateReport();
                                  })
                            : nullptr;
    // The selected-rows filter of the last run goes with it.
    r.OnBeforePrintBand = nullptr;
    r.Dataset = nullptr;
    r.Pages.Clear();
    r.DoublePass = PageLayout.DoublePass;
    r.PrintBackColor = PageLayout.PrintBackColor;
    r.SelectPrinter(PageLayout.PrinterName);
    PageWidths.clear();
    AddPageSlice();
}

bool TVNCustomGridReport::RunGenerated() {
    PrepareRun();
    return BuildGridReport();
}

bool TVNCustomGridReport::GenerateReport() {
    return RunGenerated();
}

void TVNCustomGridReport::PreviewReport() {
    if (!RunGenerated()) return;
    TControlsDisabled off(HasOption(vngoDisableControls) ? GridDataSet().DataSet() : nullptr);
    Report().PreviewReport();
}

TVNPrintOutcome TVNCustomGridReport::PrintReport() {
    if (!RunGenerated()) return {};
    TControlsDisabled off(HasOption(vngoDisableControls) ? GridDataSet().DataSet() : nullptr);
    TVNReport& r = Report();
    if (!r.BuildReport()) return {};
    return PrintBuiltReportDlg(r);
}

bool TVNCustomGridReport::PrepareReport() {
    if (!RunGenerated()) return false;
    TControlsDisabled off(HasOption(vngoDisableControls) ? GridDataSet().DataSet() : nullptr);
    return Report().BuildReport();
}

void TVNCustomGridReport::RebuildAfterPageSetup(const TVNPageSetting& s) {
    TScopedValue rebuilding(FRebuilding, true);
    TakePageSetting(s);
    PrepareReport();
}

void TVNCustomGridReport::TakePageSetting(const TVNPageSetting& s) {
    TVNPageLayout& l = PageLayout;
    l.Title = s.Title;
    l.PrinterName = s.PrinterName;
    l.DoublePass = s.DoublePass;
    l.pgOr = s.Orientation == 1 ? poLandscape : poPortrait;
    l.Columns = s.ColCount;
    const double pxPerMm = VNState().ScreenDPI / 25.4;
    l.ColumnSpace = RoundEven(s.ColGap * pxPerMm);
    l.PrintBackColor = s.PrintBackColor;
    l.LeftMargin = RoundEven(s.MarginLeft * pxPerMm);
    l.TopMargin = RoundEven(s.MarginTop * pxPerMm);
    l.RightMargin = RoundEven(s.MarginRight * pxPerMm);
    l.BottomMargin = RoundEven(s.MarginBottom * pxPerMm);
    l.pgSize = static_cast<std::int16_t>(s.PaperSize);
    // The layout keeps the paper upright; the setting has it in the page's orientation.
    const bool turned = s.Orientation == 1 && s.PaperWidth > s.PaperHeight;
    l.Width = turned ? s.PaperHeight : s.PaperWidth;
    l.Height = turned ? s.PaperWidth : s.PaperHeight;
    l.pgBin = s.Bin == 0xFFFF ? 0 : s.Bin;
}
