// F5 on the sheet of 10,000 lines, as the clerk waits for it: the filter dialog over the grid is
// confirmed with the lines (the user's part is scripted), the grid's data set applies the filter,
// the form recounts its footer and the grid repaints. Target: at most 100 ms median.
//   BM_FilterAndRepaint/comparison            差异数量 大于 0
//   BM_FilterAndRepaint/partial_not_eq        商品名称 部分不等于 牛肉面: the names holding the text
//                                             are excluded one by one ("excluded_names" of them)
//   BM_FilterAndRepaint/partial_not_eq_heavy  商品名称 部分不等于 装: two thirds of the lines,
//                                             over two thousand names, excluded
// The form runs on the demo server's large sheet, shown offscreen at 1000 x 700.
#include "BenchSupport.h"
#include "controls/AdvDBGridQx.h"
#include "module/GusvakModule.h"
#include "module/UnitCondition.h"
#include "module/UnitGusvak.h"
#include "module/GridFilterDialog.h"
#include "module/UnitQuerySet.h"
#include "platform/MessageService.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>

namespace {

void RunFilter(benchmark::State& state, const TLogicList& lines) {
    EnsureApplication();
    TBenchDemo bench("bench_filter", 10000);
    const std::string& path = bench.Path;
    const TDemoSummary& demo = bench.Summary;
    TScriptedMessageService script;
    TMessageServiceScope scope(script);
    {
        TCoorDispRef server = THostServer::Create(OpenSqliteBackend(path));
        GusvakModule::Enter(nullptr, "0001", server.Get());
        auto form = std::make_unique<TFrmGusvak>(nullptr);
        form->resize(1000, 700);
        // The first showing asks for a sheet: cancelled here, the sheet is loaded directly.
        QTimer cancel;
        QObject::connect(&cancel, &QTimer::timeout, [&] {
            if (QApplication::activeModalWidget() == form->FrmCondition()) form->FrmCondition()->reject();
        });
        cancel.start(5);
        form->show();
        QElapsedTimer wait;
        wait.start();
        while (!form->FirstShow() && wait.elapsed() < 200)
            QCoreApplication::processEvents();
        for (int i = 0; i < 20; ++i)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        cancel.stop();
        form->RunSearch(demo.LargeSheet, TBenchDemo::Today);
        QCoreApplication::processEvents();

        const TQuerySetRunner confirm = [&lines](TFrmQuerySet& dialog) {
            dialog.SetLogic(lines);
            dialog.ConfirmFilter();
            return dialog.result();
        };
        int shown = 0;
        for (auto _ : state) {
            FilterDialog(*form->dgdView, Utf8ToAnsi("盘点损益表"), false, confirm);
            form->ShowLineCount();
            form->dgdView->repaint();
            QCoreApplication::processEvents();
            shown = form->dgdView->DataSet()->RecordCount();
        }
        // Names excluded one by one: every "<>'" of the applied text but the placeholder's.
        const AnsiString applied = form->dgdView->DataSet()->Filter();
        int excluded = -1;
        for (std::size_t at = applied.find("<>'"); at != AnsiString::npos; at = applied.find("<>'", at + 1))
            ++excluded;
        state.counters["excluded_names"] = std::max(excluded, 0);
        form->dgdView->DataSet()->SetFiltered(false);
        state.counters["lines"] = form->dgdView->DataSet()->RecordCount();
        state.counters["shown"] = shown;
        state.counters["messages"] = static_cast<double>(script.Shown().size());
        form.reset();
        GusvakModule::MainServer = TCoorDispRef();
        GusvakModule::ConditionServer = TCoorDispRef();
    }
}

void BM_FilterAndRepaint(benchmark::State& state, const char* field, const char* factor, const char* value) {
    RunFilter(state, {ConditionLine(Utf8ToAnsi(field), Utf8ToAnsi(factor), Utf8ToAnsi(value))});
}
BENCHMARK_CAPTURE(BM_FilterAndRepaint, comparison, "差异数量", "大于", "0")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FilterAndRepaint, partial_not_eq, "商品名称", "部分不等于", "牛肉面")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FilterAndRepaint, partial_not_eq_heavy, "商品名称", "部分不等于", "装")
    ->Unit(benchmark::kMillisecond);

} // namespace
