// Normal-mode preview of the 10,000-line demo sheet (offscreen Qt), from the command to the first
// page shown (target: at most 1.5 s):
//   BM_NormalPreview      the preview button's whole path: variables, the report generated from
//                         the grid, built, the preview window opened and its first page painted
//                         (the window grabs itself once and closes);
//   BM_NormalPreviewSplit the same in its three steps, each a counter in milliseconds: generate
//                         (the report made from the grid), build (all pages, with the grid's data
//                         set controls off as the preview has them), first_page (the preview
//                         window opened on the built pages and painted once).
#include "BenchSupport.h"
#include "module/GusvakModule.h"
#include "module/UnitGusvak.h"
#include "platform/MessageService.h"
#include "report/VNEMFPages.h"
#include "report/output/VNPreviewForm.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QRadioButton>

#include <ctime>
#include <filesystem>
#include <string>
#include <utility>

namespace {

// A form showing the large sheet; the module's state is put back when it goes.
class TBenchSheet {
public:
    explicit TBenchSheet(int lines) : FDemo("bench_print", lines), FScope(FScript) {
        FServer = THostServer::Create(OpenSqliteBackend(FDemo.Path));
        GusvakModule::Enter(nullptr, "0001", FServer.Get());
        Form = std::make_unique<TFrmGusvak>(nullptr);
        Form->resize(1000, 700);
        Form->RunSearch(FDemo.Summary.LargeSheet, TBenchDemo::Today);
        Form->rdoNormalClick();
    }
    ~TBenchSheet() {
        Form.reset();
        GusvakModule::MainServer = TCoorDispRef();
        GusvakModule::ConditionServer = TCoorDispRef();
    }
    std::unique_ptr<TFrmGusvak> Form;

private:
    TBenchDemo FDemo;
    TScriptedMessageService FScript;
    TMessageServiceScope FScope;
    TCoorDispRef FServer;
};

std::string ShotFile() {
    return (std::filesystem::temp_directory_path() / "bench_print_first_page.png").string();
}

void BM_NormalPreview(benchmark::State& state) {
    EnsureApplication();
    TBenchSheet sheet(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        TVNPreviewForm::SetStartup(QString(), QString::fromStdString(ShotFile()));
        sheet.Form->tbnPreviewClick();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    state.counters["pages"] = sheet.Form->PrintDG.Report().EMFPages->Count();
}
BENCHMARK(BM_NormalPreview)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(5);

// Milliseconds of wall time and of this process's CPU time since the last mark: on a shared
// machine the CPU figure is the steadier one.
class TSplitClock {
public:
    TSplitClock() { Mark(); }
    std::pair<double, double> Mark() {
        timespec cpu{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu);
        const double wallNow = double(FWall.nsecsElapsed()) / 1e6, cpuNow = cpu.tv_sec * 1e3 + cpu.tv_nsec / 1e6;
        const std::pair<double, double> d{wallNow - FLastWall, cpuNow - FLastCpu};
        FLastWall = wallNow, FLastCpu = cpuNow;
        return d;
    }

private:
    struct TStarted : QElapsedTimer {
        TStarted() { start(); }
    } FWall;
    double FLastWall = 0, FLastCpu = 0;
};

void BM_NormalPreviewSplit(benchmark::State& state) {
    EnsureApplication();
    TBenchSheet sheet(static_cast<int>(state.range(0)));
    TVNFormReport& printDG = sheet.Form->PrintDG;
    double sums[3][2] = {};
    auto add = [&sums](int step, std::pair<double, double> d) {
        sums[step][0] += d.first;
        sums[step][1] += d.second;
    };
    for (auto _ : state) {
        TSplitClock clock;
        printDG.GenerateReport();
        const auto generated = clock.Mark();
        add(0, generated);
        // The build runs as the preview runs it, with the grid's data set controls off; that
        // entry generates again, so the build is its time less a generation.
        printDG.PrepareReport();
        const auto prepared = clock.Mark();
        add(1, {prepared.first - generated.first, prepared.second - generated.second});
        {
            TVNPreviewForm preview(printDG.Report());
            preview.resize(1000, 700);
            preview.show();
            preview.grab();
        }
        add(2, clock.Mark());
    }
    const double n = double(state.iterations());
    const char* names[3] = {"generate", "build", "first_page"};
    for (int i = 0; i < 3; ++i) {
        state.counters[std::string(names[i]) + "_ms"] = sums[i][0] / n;
        state.counters[std::string(names[i]) + "_cpu_ms"] = sums[i][1] / n;
    }
}
BENCHMARK(BM_NormalPreviewSplit)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(5);

} // namespace
