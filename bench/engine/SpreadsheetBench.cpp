// The yardstick of the spreadsheet exports (BM_ExportXls in ExportBench.cpp): python3-xlwt, a
// well-known BIFF8 writer, writes the peer table's 60,000 data cells (10,000 rows of code, name,
// spec, unit, quantity, amount) as plain values, without any layout; its time is measured inside
// Python around the writing alone. Counter: cells per second.
#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

constexpr double Cells = 60000;

// The same cells through xlwt: per iteration one Python run, timed inside Python.
void BM_XlwtSameCells(benchmark::State& state) {
    const char* program = R"(
import time, xlwt
names = ["红富士苹果", "东北大米五常稻花香", "金龙鱼食用调和油", "农夫山泉矿泉水", "康师傅红烧牛肉面", "伊利纯牛奶", "青岛啤酒经典", "海天金标生抽"]
units = ["箱", "袋", "瓶", "个"]
rows = [("SKU%06d" % i, names[i % 8] + "-" + str(i % 97), str((i % 10 + 1) * 50) + "g×" + str(i % 24 + 1) + "袋",
         units[i % 4], (i * 7) % 1000, ((i * 37) % 100000) / 100.0) for i in range(10000)]
t = time.perf_counter()
b = xlwt.Workbook(encoding="utf-8")
s = b.add_sheet("Sheet1")
for r, row in enumerate(rows):
    for c, v in enumerate(row):
        s.write(r, c, v)
b.save("/tmp/vnbench-xlwt.xls")
print(time.perf_counter() - t)
)";
    FILE* f = std::fopen("/tmp/vnbench-xlwt.py", "w");
    if (!f) {
        state.SkipWithError("cannot write the script");
        return;
    }
    std::fputs(program, f);
    std::fclose(f);
    for (auto _ : state) {
        double seconds = 0;
        if (FILE* p = popen("/usr/bin/python3 /tmp/vnbench-xlwt.py", "r")) {
            if (std::fscanf(p, "%lf", &seconds) != 1) seconds = 0;
            pclose(p);
        }
        if (seconds <= 0) {
            state.SkipWithError("python3-xlwt did not run");
            break;
        }
        state.SetIterationTime(seconds);
    }
    state.counters["cells/s"] = benchmark::Counter(Cells, benchmark::Counter::kIsIterationInvariantRate);
    std::remove("/tmp/vnbench-xlwt.py");
    std::remove("/tmp/vnbench-xlwt.xls");
}

} // namespace

BENCHMARK(BM_XlwtSameCells)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
