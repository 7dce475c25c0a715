// Band engine speed, measuring text on the Qt canvas (offscreen) as a real build does:
//   1. The peer table: A4 portrait, a page header with a title and six column captions, a data
//      band of six framed, word-wrapped memos in 宋体 9 pt, a summary with SUM of the amount.
//      Targets: 10,000 rows built into prepared pages in at most 0.5 s, 100,000 rows in 5 s.
//   2. A stocktake-sheet-like report: A4 landscape, 28 word-wrapped memo columns, two sums in the
//      summary, double pass (TotalPages in the page footer). Targets: 10,000 rows in 1.0 s with at
//      most 250 MB peak memory, 100,000 rows in 10 s with at most 1.5 GB; the single pass at most
//      55% of the double pass.
// Counters: rows per second, page-stream bytes per row, built pages, peak resident memory (MB,
// getrusage; the peak of the whole process so far).
#include "BenchReports.h"

#include "report/VNBandView.h"
#include "report/VNEMFPages.h"
#include "report/VNMemoLayout.h"
#include "report/VNMemoView.h"
#include "report/VNReport.h"
#include "report/expr/VNDataset.h"

#include "platform/MemDataSet.h"
#include "platform/MessageService.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

namespace {

using namespace bench;

std::unique_ptr<TData> StocktakeData(int rows) {
    auto d = std::make_unique<TData>();
    TMemDataSet& t = d->Table;
    for (int c = 0; c < 28; ++c)
        t.AddField("f" + std::to_string(c), c % 3 == 0 ? TFieldType::String : TFieldType::Float, 30);
    t.Open();
    const AnsiString name = CP936("东北大米五常稻花香"), spec = CP936("5kg×4袋");
    std::vector<Value> values(28);
    for (int i = 0; i < rows; ++i) {
        for (int c = 0; c < 28; ++c)
            values[std::size_t(c)] = c % 3 == 0
                                         ? Value(c == 3   ? name + std::to_string(i % 97)
                                                 : c == 6 ? spec
                                                          : AnsiString("690") + std::to_string(1000000 + i))
                                         : Value(double((i * (c + 7)) % 100000) / 100.0);
        t.AppendRecord(values);
    }
    d->Lines.SetDataSet(&t);
    return d;
}

void StocktakeReport(TVNReport& r, TData& d, bool doublePass) {
    r.Owner = &d.Form;
    r.DoublePass = doublePass;
    TVNPage& p = r.Pages.Add();
    p.PaperSize = 9;
    p.PaperWidth = 297000;
    p.PaperHeight = 210000;
    p.Orientation = 1;
    p.SetMarginsPx(20, 40, 20, 40);
    Band(p, "Header", bkPageHeader, 0, 60);
    Memo(p, "Title", 20, 2, 1000, 28, CP936("盘点损益表"), false)->SetFrameTyp(0);
    TVNBandView* data = Band(p, "Data", bkMasterData, 100, 20);
    data->FormatText = "Lines";
    data->Flags |= bfStretched;
    for (int c = 0; c < 28; ++c) {
        Memo(p, "Cap" + std::to_string(c), 20 + c * 38, 32, 38, 26, CP936("列") + std::to_string(c));
        Memo(p, "Cell" + std::to_string(c), 20 + c * 38, 100, 38, 20, "[f" + std::to_string(c) + "]");
    }
    Band(p, "Summary", bkSummary, 200, 30);
    Memo(p, "Sum1", 20 + 38, 200, 76, 24, "[SUM([f1])]");
    Memo(p, "Sum2", 20 + 76 * 2, 200, 76, 24, "[SUM([f4])]");
    Band(p, "Footer", bkPageFooter, 300, 24)->Flags |= bfOnFirstPage | bfOnLastPage;
    Memo(p, "PageNo", 400, 302, 200, 20, CP936("第[Page#]页/共[TotalPages#]页"), false)->SetFrameTyp(0);
}

std::size_t StreamBytes(TVNReport& r) {
    std::size_t bytes = 0;
    for (int i = 0; i < r.EMFPages->Count(); ++i)
        bytes += r.EMFPages->Page(i).PageStream->Size();
    return bytes;
}

template <class MakeData, class MakeReport>
void RunBuild(benchmark::State& state, MakeData makeData, MakeReport makeReport) {
    UseQtMeasuring();
    TScriptedMessageService quiet;
    TMessageServiceScope scope(quiet);
    const int rows = int(state.range(0));
    auto data = makeData(rows);
    TVNReport report;
    makeReport(report, *data);
    for (auto _ : state) {
        if (!report.BuildReport()) state.SkipWithError("nothing built");
    }
    state.counters["rows/s"] =
        benchmark::Counter(double(rows), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["bytes/row"] = double(StreamBytes(report)) / rows;
    state.counters["pages"] = report.EMFPages->Count();
    state.counters["peakMB"] = PeakMB();
}

void BM_PeerTable(benchmark::State& state) {
    RunBuild(state, PeerData, PeerReport);
}

void BM_StocktakeDoublePass(benchmark::State& state) {
    RunBuild(state, StocktakeData, [](TVNReport& r, TData& d) { StocktakeReport(r, d, true); });
}

void BM_StocktakeSinglePass(benchmark::State& state) {
    RunBuild(state, StocktakeData, [](TVNReport& r, TData& d) { StocktakeReport(r, d, false); });
}

} // namespace

BENCHMARK(BM_PeerTable)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_StocktakeDoublePass)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_StocktakeSinglePass)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);
