// Printing speed on CUPS: the 10,000-row peer table, built once, printed on the pass-through
// queue "vnfile" of a private scheduler, timed from the first page drawn to the job accepted by
// the scheduler (the PDF drawn by Qt and handed over by libcups). Target: at most 10 ms per page.
// Run through run_print_bench.sh, which starts and stops the scheduler.
// Counters: ms per page, built pages, PDF bytes per page.
#include "../engine/BenchReports.h"

#include "report/VNEMFPages.h"
#include "report/VNEngine.h"
#include "report/output/VNCupsPrintPlatform.h"
#include "report/print/VNPrinter.h"
#include "report/print/VNPrinterList.h"
#include "report/print/VNReportPrint.h"



#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>

namespace {

using namespace bench;

struct TPrintSetup {
    std::unique_ptr<TData> Data;
    TVNReport Report;
    TPrintSetup() {
        UseQtMeasuring(); // the Qt application and the measuring canvas
        VNState().ScreenDPI = 96;
        InstallVNCupsPrinting();
        Data = PeerData(10000);
        PeerReport(Report, *Data);
        Report.ShowProgress = false;
        Report.BuildReport();
    }
};

void BM_PrintPeerTable(benchmark::State& state) {
    if (!std::getenv("CUPS_SERVER")) {
        state.SkipWithError("needs a scheduler: run bench/print/run_print_bench.sh");
        return;
    }
    static TPrintSetup* setup = new TPrintSetup();
    if (!VNPrinterList().HasPrinters()) {
        state.SkipWithError("no CUPS queue");
        return;
    }
    const int pages = setup->Report.EMFPages->Count();
    double totalMs = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        TVNPrintOutcome out = PrintBuiltReport(setup->Report, {});
        const auto end = std::chrono::steady_clock::now();
        if (!out.Printed) {
            state.SkipWithError(AnsiToUtf8(out.Error).c_str());
            return;
        }
        totalMs += std::chrono::duration<double, std::milli>(end - start).count();
    }
    state.counters["ms_per_page"] = totalMs / double(state.iterations()) / pages;
    state.counters["pages"] = pages;
}

} // namespace

BENCHMARK(BM_PrintPeerTable)->Unit(benchmark::kMillisecond)->Iterations(3);
