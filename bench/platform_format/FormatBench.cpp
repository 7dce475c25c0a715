// Speed of picture formatting: a report build formats every printed number, so one picture applied
// to a million values must take well under a second (target: at least 2,000,000 values per second
// on one core with "#,##0.00").
#include "platform/Format.h"
#include "platform/Locale.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace {

constexpr std::size_t ValueCount = 1000000;

// Amounts as a stocktake sheet holds them: both signs, up to eight integer digits, a few decimals.
const std::vector<double>& Values() {
    static const std::vector<double> values = [] {
        std::mt19937_64 random(20240305);
        std::uniform_real_distribution<double> amount(-5e7, 5e7);
        std::vector<double> v(ValueCount);
        for (double& x : v)
            x = static_cast<double>(static_cast<long long>(amount(random) * 1000)) / 1000;
        return v;
    }();
    return values;
}

// FormatFloat as callers use it: picture text in, new text out.
void BM_FormatFloatThousands(benchmark::State& state) {
    const auto& values = Values();
    for (auto _ : state) {
        for (double v : values) {
            AnsiString text = FormatFloat("#,##0.00", v);
            benchmark::DoNotOptimize(text.data());
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * values.size()));
}
BENCHMARK(BM_FormatFloatThousands)->Unit(benchmark::kMillisecond);

// A compiled picture appending into one reused buffer: no allocation per value.
void BM_CompiledPictureAppend(benchmark::State& state) {
    const auto& values = Values();
    const TNumberPicture picture("#,##0.00");
    AnsiString out;
    out.reserve(64);
    for (auto _ : state) {
        for (double v : values) {
            out.clear();
            picture.AppendTo(out, v);
            benchmark::DoNotOptimize(out.data());
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * values.size()));
}
BENCHMARK(BM_CompiledPictureAppend)->Unit(benchmark::kMillisecond);

// Thousands notation with two decimals, as the report's number kind 3 formats.
void BM_FloatToStrFNumber(benchmark::State& state) {
    const auto& values = Values();
    for (auto _ : state) {
        for (double v : values) {
            AnsiString text = FloatToStrF(v, TFloatFormat::Number, 15, 2);
            benchmark::DoNotOptimize(text.data());
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * values.size()));
}
BENCHMARK(BM_FloatToStrFNumber)->Unit(benchmark::kMillisecond);

void BM_FormatDateTime(benchmark::State& state) {
    const double start = EncodeDate(2024, 1, 1);
    for (auto _ : state) {
        for (int i = 0; i < 100000; ++i) {
            AnsiString text = FormatDateTime("yyyy-mm-dd hh:nn:ss", start + i * 0.37);
            benchmark::DoNotOptimize(text.data());
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * 100000));
}
BENCHMARK(BM_FormatDateTime)->Unit(benchmark::kMillisecond);

} // namespace
