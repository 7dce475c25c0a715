// Normal print of a 10,000-row sheet grid (12 visible columns, footer totals), split into its
// steps; the whole path to the first preview page should take at most 1.5 s:
//   - generate: the report made from the grid (titles, cells, footers, slices, plain data file);
//   - build: the generated report built into pages (two passes, as the sheet prints);
//   - first page: the built report shown in a preview control with its first page drawn;
//   - whole path: the three together, as the "预  览" command runs them.
#include "report/gridreport/VNFormReport.h"

#include "controls/AdvDBGridQx.h"
#include "report/VNEMFPages.h"
#include "report/output/VNPreview.h"
#include "report/output/VNQtMeasureCanvas.h"

#include "platform/MessageService.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

QApplication& App() {
    static QApplication* app = [] {
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "bench_gridreport";
        static char* argv[] = {name, nullptr};
        auto* a = new QApplication(argc, argv);
        static TVNQtMeasureCanvasScope measure; // text measured as the screen measures it
        return a;
    }();
    return *app;
}

// A sheet-like grid: codes, names, units, quantities, prices and amounts.
struct TSheet {
    std::shared_ptr<TMemDataSet> Data = std::make_shared<TMemDataSet>();
    std::unique_ptr<TAdvDBGridQx> Grid;
    TVNFormReport Print;
    TScriptedMessageService Quiet;
    TMessageServiceScope Scope{Quiet};

    explicit TSheet(int rows) {
        App();
        const char* names[] = {"f_Spbm", "f_Spmc", "f_Dw",   "f_Gg",   "f_Zmsl", "f_Pdsl",
                               "f_Cysl", "f_Jj",   "f_Zmje", "f_Pdje", "f_Cyje", "f_Bz"};
        for (int i = 0; i < 12; ++i) {
            const bool number = i >= 4 && i <= 10;
            TField& f = Data->AddField(names[i], number ? TFieldType::Float : TFieldType::String, 30);
            if (number) f.DisplayFormat = i >= 7 ? "#,##0.00" : "0.###";
        }
        Data->Open();
        Data->DisableControls();
        for (int r = 0; r < rows; ++r) {
            const double q = r % 97, p = 1.5 + r % 13;
            Data->AppendRecord({Value("SKU" + std::to_string(100000 + r)), Value("Goods name " + std::to_string(r)),
                                Value("pcs"), Value("500g"), Value::Float(q), Value::Float(q + r % 3 - 1),
                                Value::Float(r % 3 - 1), Value::Float(p), Value::Float(q * p),
                                Value::Float((q + r % 3 - 1) * p), Value::Float((r % 3 - 1) * p), Value("")});
        }
        Data->EnableControls();
        Grid = std::make_unique<TAdvDBGridQx>();
        Grid->resize(1000, 600);
        std::vector<TGridColumn> columns;
        for (int i = 0; i < 12; ++i) {
            TGridColumn c;
            c.FieldName = names[i];
            c.Width = i == 1 ? 140 : 60;
            if (i >= 8 && i <= 10) c.FooterType = TFooterValueType::Sum;
            columns.push_back(c);
        }
        Grid->SetColumns(columns);
        Grid->SetDataSet(Data);
        Print.PrintControl = Grid.get();
        Print.ShowProgress = false;
        Print.ShowPrintDialog = false;
        Print.ScaleMode.ScaleMode = vnsmAdjust;
        Print.PageLayout.DoublePass = true;
        Print.GridFixedCols = 2;
        Print.PageHeader.Caption = {"{\\rtf1\\pard\\qc\\fs44 [Title]\\par\\pard\\fs18 [Condi]\\par}"};
        Print.PageHeader.Height = 248;
    }
};

TSheet& Sheet() {
    static TSheet* sheet = new TSheet(10000);
    return *sheet;
}

void ShowFirstPage(TVNReport& report) {
    TVNPreview p;
    p.resize(1000, 800);
    p.Connect(&report);
    p.show();
    QApplication::processEvents();
    p.DrawPanel()->repaint();
}

void BM_GridReportGenerate(benchmark::State& state) {
    TSheet& s = Sheet();
    for (auto _ : state)
        benchmark::DoNotOptimize(s.Print.GenerateReport());
    state.counters["slices"] = s.Print.Report().Pages.Count();
}

void BM_GridReportBuild(benchmark::State& state) {
    TSheet& s = Sheet();
    s.Print.GenerateReport();
    for (auto _ : state)
        benchmark::DoNotOptimize(s.Print.Report().BuildReport());
    state.counters["pages"] = s.Print.Report().EMFPages->Count();
}

void BM_GridReportFirstPage(benchmark::State& state) {
    TSheet& s = Sheet();
    s.Print.PrepareReport();
    for (auto _ : state)
        ShowFirstPage(s.Print.Report());
}

void BM_GridReportWholePath(benchmark::State& state) {
    TSheet& s = Sheet();
    for (auto _ : state) {
        s.Print.PrepareReport();
        ShowFirstPage(s.Print.Report());
    }
    state.counters["pages"] = s.Print.Report().EMFPages->Count();
}

} // namespace

BENCHMARK(BM_GridReportGenerate)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_GridReportBuild)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_GridReportFirstPage)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_GridReportWholePath)->Unit(benchmark::kMillisecond)->Iterations(3);
