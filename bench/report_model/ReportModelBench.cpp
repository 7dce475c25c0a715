// Report model speed: saving and loading a report of 2,000 views (target: 50 ms median), and
// writing, reading and decoding every page of a prepared report of 1,000 pages with 40 memos each
// (target: 300 ms median).
#include "report/VNEMFPages.h"
#include "report/VNReport.h"

#include "platform/MessageService.h"
#include "support/ReportMakers.h"

#include <benchmark/benchmark.h>

namespace {

void BuildLargeReport(TVNReport& r, int views) {
    TVNPage& p = r.Pages.Add();
    for (int i = 0; i < views; ++i) {
        if (i % 20 == 0) {
            reportmakers::AddBand(p, "Band" + std::to_string(i), bkMasterData, i, 20, 700)->FormatText = "Lines";
            continue;
        }
        TVNMemoView* m = reportmakers::AddMemo(p, "Memo" + std::to_string(i), i % 700, i, 80, 18,
                                               {"[Lines.\"f_Spbm\"] " + std::to_string(i), "second line"});
        m->SetFrameTyp(15);
        m->OnBeforePrint = {"if [x] > 0 then Visible := True;"};
    }
}

void BM_SaveAndLoadReport2000Views(benchmark::State& state) {
    TScriptedMessageService quiet;
    TMessageServiceScope scope(quiet);
    TVNReport r;
    BuildLargeReport(r, 2000);
    for (auto _ : state) {
        TVNStream s;
        r.SaveReportStream(s);
        s.Seek(0);
        TVNReport back;
        bool ok = back.LoadReportStream(s);
        benchmark::DoNotOptimize(ok);
    }
}
BENCHMARK(BM_SaveAndLoadReport2000Views)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

void BM_SaveAndLoadPrepared1000Pages(benchmark::State& state) {
    TScriptedMessageService quiet;
    TMessageServiceScope scope(quiet);
    TVNReport r;
    TVNPage& design = r.Pages.Add();
    for (int p = 0; p < 1000; ++p) {
        r.EMFPages->AddPage(design);
        for (int i = 0; i < 40; ++i) {
            TVNMemoView m;
            m.Name = "Memo" + std::to_string(i);
            m.PlaceAt(20 + (i % 4) * 180, 40 + (i / 4) * 24, 170, 20);
            m.SetFrameTyp(15);
            m.Memo1 = {"row " + std::to_string(p * 40 + i) + " 6901234567890 12.50"};
            r.EMFPages->WriteView(m);
        }
    }
    for (auto _ : state) {
        TVNStream s;
        r.EMFPages->SaveToStream(s);
        s.Seek(0);
        TVNEMFPages back(nullptr);
        bool ok = back.LoadFromStream(s);
        // Decode every page once, as a preview scrolling through the whole file would.
        for (int i = 0; i < back.Count(); ++i) {
            back.DecodePage(i);
            benchmark::DoNotOptimize(back.Page(i).DecodedPage->Objects.size());
            back.Page(i).DecodedPage.reset();
        }
        benchmark::DoNotOptimize(ok);
    }
}
BENCHMARK(BM_SaveAndLoadPrepared1000Pages)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

} // namespace
