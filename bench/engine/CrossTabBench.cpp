// Cross-tab speed, measuring text on the Qt canvas (offscreen) as a real build does: the layout
// of examples/crosstab_sales.json (stores down, months across, amounts in framed 宋体 9 pt cells,
// a total per row from the cross footer, totals per column and the corner from the master
// footer), built with 1,000 store rows and 36 month columns, so the columns continue across
// several built pages. Target: at most 0.5 s per build. Counters: cells per second (amount cells
// only), built pages.
#include "BenchReports.h"

#include "report/VNBandView.h"
#include "report/VNEMFPages.h"
#include "report/VNMemoView.h"
#include "report/VNReport.h"
#include "report/expr/VNDataset.h"

#include "platform/MemDataSet.h"
#include "platform/MessageService.h"

#include <benchmark/benchmark.h>

namespace {

using namespace bench;

struct TCrossData {
    TVNComponent Form{nullptr, "BenchForm"};
    TMemDataSet StoreTable, MonthTable;
    TVNDBDataSet Stores{&Form, "Stores"}, Months{&Form, "Months"};
};

std::unique_ptr<TCrossData> CrossData(int stores, int months) {
    auto d = std::make_unique<TCrossData>();
    d->StoreTable.AddField("Store", TFieldType::String, 20);
    d->StoreTable.AddField("Base", TFieldType::Float);
    d->StoreTable.Open();
    const AnsiString store = CP936("门店");
    for (int i = 0; i < stores; ++i)
        d->StoreTable.AppendRecord({Value(store + std::to_string(i + 1)), Value(8000.0 + (i * 137) % 5000)});
    d->MonthTable.AddField("Month", TFieldType::String, 10);
    d->MonthTable.AddField("Factor", TFieldType::Float);
    d->MonthTable.Open();
    const AnsiString month = CP936("月");
    for (int m = 0; m < months; ++m)
        d->MonthTable.AppendRecord({Value(std::to_string(m + 1) + month), Value(0.75 + (m * 7 % 12) / 20.0)});
    d->Stores.SetDataSet(&d->StoreTable);
    d->Months.SetDataSet(&d->MonthTable);
    return d;
}

TVNBandView* Cross(TVNPage& p, const AnsiString& name, int type, int x, int width) {
    TVNBandView* b = Band(p, name, type, 0, 1000);
    b->PlaceAt(x, 0, width, 1000);
    return b;
}

void CrossReport(TVNReport& r, TCrossData& d) {
    r.Owner = &d.Form;
    TVNPage& p = r.Pages.Add();
    p.PaperSize = 9;
    p.PaperWidth = 210000;
    p.PaperHeight = 297000;
    Band(p, "Captions", bkMasterHeader, 80, 26)->Flags |= bfRepeatHeader;
    Band(p, "Rows", bkMasterData, 110, 22)->FormatText = "Stores";
    Band(p, "Totals", bkMasterFooter, 140, 26);
    Cross(p, "StoreColumn", bkCrossHeader, 57, 100)->Flags |= bfRepeatHeader;
    Cross(p, "MonthColumns", bkCrossData, 157, 56)->FormatText = "Months";
    Cross(p, "TotalColumn", bkCrossFooter, 213, 80);
    const AnsiString amount = "Stores.\"Base\" * Months.\"Factor\"";
    auto cell = [&](const char* name, int l, int t, int w, int h, const AnsiString& text) {
        Memo(p, name, l, t, w, h, text, false)->SetStretched(false);
    };
    cell("Corner", 57, 80, 100, 26, CP936("门店＼月份"));
    cell("Month", 157, 80, 56, 26, "[Months.\"Month\"]");
    cell("TotalCaption", 213, 80, 80, 26, CP936("合计"));
    cell("Store", 57, 110, 100, 22, "[Stores.\"Store\"]");
    cell("Amount", 157, 110, 56, 22, "[" + amount + " #N#,##0]");
    cell("StoreTotal", 213, 110, 80, 22, "[SUM(" + amount + ") #N#,##0]");
    cell("TotalsCaption", 57, 140, 100, 26, CP936("合计"));
    cell("MonthTotal", 157, 140, 56, 26, "[SUM(" + amount + ") #N#,##0]");
    cell("GrandTotal", 213, 140, 80, 26, "[SUM(SUM(" + amount + ")) #N#,##0]");
}

void BM_CrossTab(benchmark::State& state) {
    UseQtMeasuring();
    TScriptedMessageService quiet;
    TMessageServiceScope scope(quiet);
    const int stores = int(state.range(0)), months = int(state.range(1));
    auto data = CrossData(stores, months);
    TVNReport report;
    CrossReport(report, *data);
    for (auto _ : state) {
        if (!report.BuildReport()) state.SkipWithError("nothing built");
    }
    state.counters["cells/s"] =
        benchmark::Counter(double(stores) * months, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["pages"] = report.EMFPages->Count();
}

} // namespace

BENCHMARK(BM_CrossTab)
    ->Args({1000, 36})
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);
