// Speed of the sheet's grid and search (offscreen Qt):
//   BM_GridAttachAndPaint  attaching N lines to the grid (model reset, footer totals) and painting
//                          the visible part once;
//   BM_GridScrollPage      one page down and the repaint it causes, over 100,000 lines: the time a
//                          clerk waits per scroll step (target: at most 50 ms, "max_ms" counter);
//   BM_Search              functions 33 and 34 on the demo server, the print copy rebuilt and the
//                          footer recomputed for the 10,000-line sheet (target: median <= 400 ms).
#include "host/CallCommand.h"
#include "BenchSupport.h"
#include "controls/AdvDBGridQx.h"
#include "module/GusvakModule.h"
#include "module/SheetFields.h"
#include "module/UnitGusvak.h"
#include "platform/MessageService.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTableView>


namespace {

std::shared_ptr<TMemDataSet> SyntheticLines(int count) {
    auto lines = MakeSheetLines();
    lines->Open();
    lines->DisableControls();
    std::vector<Value> row(SheetFieldCount);
    for (int i = 0; i < count; ++i) {
        for (int f = 0; f < SheetFieldCount; ++f) {
            const TSheetField& def = SheetFields[static_cast<std::size_t>(f)];
            row[static_cast<std::size_t>(f)] =
                def.IsString ? Value::String(std::string(def.Name + 2) + std::to_string(i))
                             : Value::Float((i % 997) * 1.37 - 400 + f);
        }
        lines->AppendRecord(row);
    }
    lines->EnableControls();
    return lines;
}

std::unique_ptr<TAdvDBGridQx> SheetGrid() {
    auto grid = std::make_unique<TAdvDBGridQx>();
    std::vector<TGridColumn> columns;
    for (int index : SheetGridOrder) {
        TGridColumn c;
        c.FieldName = SheetFields[static_cast<std::size_t>(index)].Name;
        c.Width = 80;
        c.FooterType = SheetFields[static_cast<std::size_t>(index)].Footer;
        columns.push_back(c);
    }
    grid->SetColumns(columns);
    grid->resize(1000, 700);
    grid->show();
    return grid;
}

void BM_GridAttachAndPaint(benchmark::State& state) {
    EnsureApplication();
    auto lines = SyntheticLines(static_cast<int>(state.range(0)));
    auto grid = SheetGrid();
    const int sysl = lines->FieldByName("f_Sysl").Index();
    grid->SetCellParams([&](int row, int, QColor& background) {
        background = TFrmGusvak::RowColor(lines->CellValue(row, sysl).AsFloat());
    });
    for (auto _ : state) {
        grid->SetDataSet(nullptr);
        grid->SetDataSet(lines);
        grid->repaint();
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_GridAttachAndPaint)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_GridScrollPage(benchmark::State& state) {
    EnsureApplication();
    auto lines = SyntheticLines(static_cast<int>(state.range(0)));
    auto grid = SheetGrid();
    const int sysl = lines->FieldByName("f_Sysl").Index();
    grid->SetCellParams([&](int row, int, QColor& background) {
        background = TFrmGusvak::RowColor(lines->CellValue(row, sysl).AsFloat());
    });
    grid->SetDataSet(lines);
    QCoreApplication::processEvents();
    QScrollBar* bar = grid->View()->verticalScrollBar();
    double maxMs = 0;
    QElapsedTimer timer;
    for (auto _ : state) {
        timer.start();
        const int next = bar->value() + bar->pageStep();
        bar->setValue(next > bar->maximum() ? 0 : next);
        grid->View()->viewport()->repaint();
        QCoreApplication::processEvents();
        maxMs = std::max(maxMs, timer.nsecsElapsed() / 1e6);
    }
    state.counters["max_ms"] = maxMs;
}
BENCHMARK(BM_GridScrollPage)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_Search(benchmark::State& state) {
    EnsureApplication();
    TBenchDemo bench("bench_module", static_cast<int>(state.range(0)));
    const std::string& path = bench.Path;
    const TDemoSummary& demo = bench.Summary;
    TScriptedMessageService script;
    TMessageServiceScope scope(script);
    {
        TCoorDispRef server = THostServer::Create(OpenSqliteBackend(path));
        GusvakModule::Enter(nullptr, "0001", server.Get());
        auto form = std::make_unique<TFrmGusvak>(nullptr);
        for (auto _ : state) {
            form->RunSearch(demo.LargeSheet, TBenchDemo::Today);
            QCoreApplication::processEvents();
        }
        state.counters["lines"] = form->ADS_Main()->RecordCount();
        form.reset();
        GusvakModule::MainServer = TCoorDispRef();
        GusvakModule::ConditionServer = TCoorDispRef();
    }
}
BENCHMARK(BM_Search)->Arg(10000)->Unit(benchmark::kMillisecond)->MinTime(3);

} // namespace
