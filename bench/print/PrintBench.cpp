// Printing speed on CUPS: the 10,000-row peer table, built once, printed on the pass-through
// queue "vnfile" of a private scheduler, timed from the first page drawn to the job accepted by
// the scheduler (the PDF drawn by Qt and handed over by libcups). Target: at most 10 ms per page.
// Run through run_print_bench.sh, which starts and stops the scheduler.
// Counters: ms per page (wall), cpu_ms_per_page (this process), built pages, and the split of the
// wall time: finish_ms_per_page is closing each spooler document (the PDF's end written) and
// handing it to the scheduler until it accepts the job; the rest is drawing the pages.
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
#include <ctime>

namespace {

using namespace bench;

double CpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// The CUPS platform with the time spent in each job's Finish added up.
class TTimedPlatform : public IPrintPlatform {
public:
    double FinishMs = 0;
    std::vector<AnsiString> Queues() override { return FCups.Queues(); }
    AnsiString DefaultQueue() override { return FCups.DefaultQueue(); }
    bool QueueInfo(const AnsiString& queue, TPrintQueueInfo& info) override { return FCups.QueueInfo(queue, info); }
    TPrintQueueState QueueState(const AnsiString& queue) override { return FCups.QueueState(queue); }
    std::unique_ptr<IPrintJob> BeginJob(const TPrintJobSettings& settings, AnsiString& error) override {
        auto job = FCups.BeginJob(settings, error);
        return job ? std::make_unique<TJob>(std::move(job), FinishMs) : nullptr;
    }

private:
    struct TJob : IPrintJob {
        std::unique_ptr<IPrintJob> Inner;
        double& Total;
        TJob(std::unique_ptr<IPrintJob> inner, double& total) : Inner(std::move(inner)), Total(total) {}
        ICanvas& Canvas() override { return Inner->Canvas(); }
        void StartPage() override { Inner->StartPage(); }
        void EndPage() override { Inner->EndPage(); }
        TPrintResult Finish() override {
            const auto start = std::chrono::steady_clock::now();
            TPrintResult r = Inner->Finish();
            Total += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
            return r;
        }
        void Abort() override { Inner->Abort(); }
    };
    TVNCupsPrintPlatform FCups;
};

struct TPrintSetup {
    std::unique_ptr<TData> Data;
    TVNReport Report;
    TTimedPlatform Platform;
    TPrintSetup() {
        UseQtMeasuring(); // the Qt application and the measuring canvas
        VNState().ScreenDPI = 96;
        InstallVNPrinting(&Platform);
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
    double totalMs = 0, cpuMs = 0;
    setup->Platform.FinishMs = 0;
    for (auto _ : state) {
        const double cpuStart = CpuMs();
        const auto start = std::chrono::steady_clock::now();
        TVNPrintOutcome out = PrintBuiltReport(setup->Report, {});
        const auto end = std::chrono::steady_clock::now();
        if (!out.Printed) {
            state.SkipWithError(AnsiToUtf8(out.Error).c_str());
            return;
        }
        totalMs += std::chrono::duration<double, std::milli>(end - start).count();
        cpuMs += CpuMs() - cpuStart;
    }
    const double perPage = double(state.iterations()) * pages;
    state.counters["ms_per_page"] = totalMs / perPage;
    state.counters["cpu_ms_per_page"] = cpuMs / perPage;
    state.counters["finish_ms_per_page"] = setup->Platform.FinishMs / perPage;
    state.counters["pages"] = pages;
}

} // namespace

BENCHMARK(BM_PrintPeerTable)->Unit(benchmark::kMillisecond)->Iterations(3);
