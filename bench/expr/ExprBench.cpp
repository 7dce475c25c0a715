// Expression and formatting throughput: a compiled memo expression evaluated against a value
// handler answering from a small table, and floats formatted through the display-format path.
#include "report/expr/VNFormat.h"
#include "report/expr/VNParser.h"

#include <benchmark/benchmark.h>

#include <array>
#include <utility>

static void BM_EvaluateCompiled(benchmark::State& state) {
    TVNParser parser;
    const std::array<std::pair<AnsiString, Value>, 4> table = {{{"Code", Value::String("A001")},
                                                                {"Qty", Value::Float(12)},
                                                                {"Price", Value::Float(3.5)},
                                                                {"Name", Value::String("x")}}};
    parser.OnGetValue = [&](const AnsiString& name, Value& v) {
        for (const auto& [n, value] : table)
            if (n == name) {
                v = value;
                return;
            }
    };
    const AnsiString compiled = parser.Compile("[Qty] * [Price] + 1");
    for (auto _ : state)
        benchmark::DoNotOptimize(parser.EvaluateCompiled(compiled));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EvaluateCompiled);

static void BM_FormatFloats(benchmark::State& state) {
    const int code = (1 << 24) | (4 << 16) | (2 << 8) | '.';
    const AnsiString picture = "#,##0.00";
    double x = 0;
    for (auto _ : state) {
        x += 1.37;
        benchmark::DoNotOptimize(FormatValue(Value::Float(x), code, picture));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FormatFloats);
