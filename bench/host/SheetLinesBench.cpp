// Server function 34 for the demo's 10,000-line sheet, from the request to the lines loaded into
// the in-memory data set, on both backends. Targets: median at most 200 ms on SQLite and 400 ms
// on PostgreSQL.
#include "host/DemoData.h"
#include "host/HostServer.h"
#include "PgTestServer.h"
#include "host/StocktakeFunctions.h"
#include "platform/MemDataSet.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace {

struct TBenchDatabase {
    TCoorDispRef Server;
    AnsiString Request;
};

TDemoOptions BenchDemo() {
    TDemoOptions options;
    options.Lines = 10000;
    options.Today = "20240601";
    return options;
}

TBenchDatabase Prepare(std::unique_ptr<TDbBackend> db) {
    const TDemoSummary demo = CreateDemoDatabase(*db, BenchDemo());
    TBenchDatabase b{THostServer::Create(std::move(db)), {}};
    b.Request = demo.LargeSheet + "\t" + demo.LargeSheet.substr(0, 8) + "\t20240601\t0101";
    return b;
}

void RunSheetLines(benchmark::State& state, TBenchDatabase& b) {
    for (auto _ : state) {
        Value parameter = Value::String(b.Request), unused;
        if (!b.Server->RunServerFunction(ServerFunction::SheetLines, parameter, unused)) {
            state.SkipWithError("function 34 failed");
            return;
        }
        const auto lines = parameter.AsRecordSet();
        if (lines->RecordCount() != 10000) state.SkipWithError("wrong line count");
        benchmark::DoNotOptimize(lines);
    }
}

void BM_SheetLines_Sqlite(benchmark::State& state) {
    static const std::string path =
        (std::filesystem::temp_directory_path() / ("bench_host-" + std::to_string(getpid()) + ".db"))
            .string();
    static TBenchDatabase b = [] {
        std::filesystem::remove(path);
        std::atexit([] {
            std::error_code ec;
            for (const char* suffix : {"", "-wal", "-shm"})
                std::filesystem::remove(path + suffix, ec);
        });
        return Prepare(OpenSqliteBackend(path));
    }();
    RunSheetLines(state, b);
}
BENCHMARK(BM_SheetLines_Sqlite)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SheetLines_Postgres(benchmark::State& state) {
    static TBenchDatabase b = Prepare(OpenPgBackend(TPgTestServer::Shared().NewSchemaConninfo()));
    RunSheetLines(state, b);
}
BENCHMARK(BM_SheetLines_Postgres)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

namespace {
// The database part alone (no data set), to tell query time from loading time.
void BM_ComputeSheetLines_Sqlite(benchmark::State& state) {
    static const std::string path =
        (std::filesystem::temp_directory_path() / ("bench_host_c-" + std::to_string(getpid()) + ".db"))
            .string();
    static std::unique_ptr<TDbBackend> db = [] {
        std::filesystem::remove(path);
        std::atexit([] {
            std::error_code ec;
            for (const char* suffix : {"", "-wal", "-shm"})
                std::filesystem::remove(path + suffix, ec);
        });
        auto d = OpenSqliteBackend(path);
        CreateDemoDatabase(*d, BenchDemo());
        return d;
    }();
    const std::string djh =
        db->Query("SELECT f_Djh FROM tbDlpdzb WHERE f_Ckbm = '0101' ORDER BY f_Djh").At(0, 0).AsString();
    for (auto _ : state)
        benchmark::DoNotOptimize(ComputeSheetLines(*db, djh, djh.substr(0, 8), "20240601", "0101"));
}
BENCHMARK(BM_ComputeSheetLines_Sqlite)->Unit(benchmark::kMillisecond)->UseRealTime();
} // namespace
