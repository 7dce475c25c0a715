// Speed of the CP936 edge conversions: 1 MB of mixed Chinese and ASCII text (as a report or a
// grid holds it) to UTF-16 and back. Target: at least 100 MB/s for the round trip.
#include "platform/AnsiString.h"

#include <benchmark/benchmark.h>

#include <random>

namespace {

// About 1 MB: runs of GB2312 hanzi (lead 0xB0..0xD6, trail 0xA1..0xFE) mixed with ASCII words,
// digits and blanks, as item names, codes and quantities mix them.
const AnsiString& SampleText() {
    static const AnsiString text = [] {
        std::mt19937 random(936);
        AnsiString s;
        s.reserve(1 << 20);
        while (s.size() < (1u << 20) - 16) {
            const int hanzi = 1 + static_cast<int>(random() % 8);
            for (int k = 0; k < hanzi; ++k) {
                s += static_cast<char>(0xB0 + random() % 39);
                s += static_cast<char>(0xA1 + random() % 94);
            }
            const int ascii = static_cast<int>(random() % 10);
            for (int k = 0; k < ascii; ++k)
                s += static_cast<char>(k == 0 ? ' ' : "0123456789abcdefXYZ"[random() % 19]);
        }
        return s;
    }();
    return text;
}

void BM_AnsiToUtf16AndBack(benchmark::State& state) {
    const AnsiString& text = SampleText();
    Utf16ToAnsi(AnsiToUtf16("warm")); // builds the tables outside the timing
    for (auto _ : state) {
        const std::u16string wide = AnsiToUtf16(text);
        AnsiString back = Utf16ToAnsi(wide);
        benchmark::DoNotOptimize(back.data());
        if (back.size() != text.size()) state.SkipWithError("round trip changed the text");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_AnsiToUtf16AndBack)->Unit(benchmark::kMillisecond);

// The two directions apart, to see which one to work on when the round trip slows down.
void BM_AnsiToUtf16(benchmark::State& state) {
    const AnsiString& text = SampleText();
    for (auto _ : state) {
        const std::u16string wide = AnsiToUtf16(text);
        benchmark::DoNotOptimize(wide.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_AnsiToUtf16)->Unit(benchmark::kMillisecond);

void BM_Utf16ToAnsi(benchmark::State& state) {
    const AnsiString& text = SampleText();
    const std::u16string wide = AnsiToUtf16(text);
    for (auto _ : state) {
        const AnsiString back = Utf16ToAnsi(wide);
        benchmark::DoNotOptimize(back.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_Utf16ToAnsi)->Unit(benchmark::kMillisecond);

void BM_AnsiToUtf8AndBack(benchmark::State& state) {
    const AnsiString& text = SampleText();
    for (auto _ : state) {
        const std::string utf8 = AnsiToUtf8(text);
        AnsiString back = Utf8ToAnsi(utf8);
        benchmark::DoNotOptimize(back.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_AnsiToUtf8AndBack)->Unit(benchmark::kMillisecond);

} // namespace
