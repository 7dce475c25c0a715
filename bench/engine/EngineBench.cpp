// Band engine speed, measuring text on the Qt canvas (offscreen) as a real build does:
//   1. The peer table: A4 portrait, a page header with a title and six column captions, a data
//      band of six framed, word-wrapped memos in 宋体 9 pt, a summary with SUM of the amount.
//      Targets: 10,000 rows built into prepared pages in at most 0.5 s, 100,000 rows in 5 s.
//   2. A stocktake-sheet-like report: A4 landscape, 28 word-wrapped memo columns, two sums in the
//      summary, double pass (TotalPages in the page footer). Targets: 10,000 rows in 1.0 s with at
//      most 250 MB peak memory, 100,000 rows in 10 s with at most 1.5 GB; the single pass at most
//      55% of the double pass.
// Counters: rows per second, page-stream bytes per row, built pages, peak resident memory (MB,
// getrusage; the peak of the whole process so far).
#include "report/VNBandView.h"
#include "report/VNEMFPages.h"
#include "report/VNMemoLayout.h"
#include "report/VNMemoView.h"
#include "report/VNReport.h"
#include "report/expr/VNDataset.h"

#include "platform/MemDataSet.h"
#include "platform/MessageService.h"
#include "platform/qt/QtCanvas.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

namespace {

struct TQtMeasuring {
    QGuiApplication* App;
    QImage Image{10, 10, QImage::Format_RGB32};
    QPainter Painter;
    TQtCanvas* Canvas;
    TQtMeasuring() {
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "bench";
        static char* argv[] = {name, nullptr};
        App = new QGuiApplication(argc, argv);
        Painter.begin(&Image);
        Canvas = new TQtCanvas(&Painter, 96, 96);
        SetVNMeasureCanvas(Canvas);
    }
};

void UseQtMeasuring() {
    static TQtMeasuring* m = new TQtMeasuring();
    (void)m;
}

double PeakMB() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_maxrss) / 1024.0;
}

TVNBandView* Band(TVNPage& p, const AnsiString& name, int type, int top, int height) {
    auto* b = new TVNBandView;
    b->Name = name;
    b->SetBandType(type);
    b->PlaceAt(0, top, 1000, height);
    p.Add(b);
    return b;
}

TVNMemoView* Memo(TVNPage& p, const AnsiString& name, int l, int t, int w, int h, const AnsiString& text,
                  bool wrap = true) {
    auto* m = new TVNMemoView;
    m->Name = name;
    m->PlaceAt(l, t, w, h);
    m->Memo = {text};
    m->Font.Name = CP936("宋体");
    m->Font.Size = 9;
    m->SetFrameTyp(15);
    m->SetFlag(flWordWrap, wrap);
    m->SetStretched(true);
    p.Add(m);
    return m;
}

struct TData {
    TVNComponent Form{nullptr, "BenchForm"};
    TMemDataSet Table;
    TVNDBDataSet Lines{&Form, "Lines"};
};

std::unique_ptr<TData> PeerData(int rows) {
    static const char* const names[] = {"红富士苹果",     "东北大米五常稻花香", "金龙鱼食用调和油",
                                        "农夫山泉矿泉水", "康师傅红烧牛肉面",   "伊利纯牛奶",
                                        "青岛啤酒经典",   "海天金标生抽"};
    static const char* const units[] = {"箱", "袋", "瓶", "个"};
    auto d = std::make_unique<TData>();
    TMemDataSet& t = d->Table;
    t.AddField("code", TFieldType::String, 10);
    t.AddField("name", TFieldType::String, 40);
    t.AddField("spec", TFieldType::String, 20);
    t.AddField("unit", TFieldType::String, 4);
    t.AddField("qty", TFieldType::Integer);
    t.AddField("amount", TFieldType::Float);
    t.Open();
    AnsiString nameText[8], unitText[4];
    for (int i = 0; i < 8; ++i)
        nameText[i] = Utf8ToAnsi(names[i]);
    for (int i = 0; i < 4; ++i)
        unitText[i] = Utf8ToAnsi(units[i]);
    const AnsiString bag = CP936("袋"), times = CP936("×");
    for (int i = 0; i < rows; ++i) {
        char code[16];
        std::snprintf(code, sizeof code, "SKU%06d", i);
        t.AppendRecord(
            {Value(AnsiString(code)), Value(nameText[i % 8] + "-" + std::to_string(i % 97)),
             Value(std::to_string((i % 10 + 1) * 50) + "g" + times + std::to_string(i % 24 + 1) + bag),
             Value(unitText[i % 4]), Value((i * 7) % 1000), Value(((i * 37) % 100000) / 100.0)});
    }
    d->Lines.SetDataSet(&t);
    return d;
}

void PeerReport(TVNReport& r, TData& d) {
    r.Owner = &d.Form;
    TVNPage& p = r.Pages.Add();
    p.PaperSize = 9;
    p.PaperWidth = 210000;
    p.PaperHeight = 297000;
    Band(p, "Header", bkPageHeader, 0, 60);
    Memo(p, "Title", 57, 2, 680, 28, CP936("商品清单"), false)->SetFrameTyp(0);
    const char* captions[] = {"编码 Code", "商品名称 Name", "规格 Spec", "单位", "数量 Qty", "金额 Amount"};
    const int lefts[] = {57, 157, 337, 467, 517, 617}, widths[] = {100, 180, 130, 50, 100, 120};
    for (int i = 0; i < 6; ++i)
        Memo(p, "Cap" + std::to_string(i), lefts[i], 32, widths[i], 24, Utf8ToAnsi(captions[i]));
    TVNBandView* data = Band(p, "Data", bkMasterData, 100, 20);
    data->FormatText = "Lines";
    data->Flags |= bfStretched;
    const char* fields[] = {"[code]", "[name]", "[spec]", "[unit]", "[qty]", "[amount]"};
    for (int i = 0; i < 6; ++i)
        Memo(p, "Cell" + std::to_string(i), lefts[i], 100, widths[i], 20, fields[i]);
    Band(p, "Summary", bkSummary, 200, 30);
    Memo(p, "Total", 617, 200, 120, 24, "[SUM([amount])]");
}

std::unique_ptr<TData> StocktakeData(int rows) {
    auto d = std::make_unique<TData>();
    TMemDataSet& t = d->Table;
    for (int c = 0; c < 28; ++c)
        t.AddField("f" + std::to_string(c), c % 3 == 0 ? TFieldType::String : TFieldType::Float, 30);
    t.Open();
    const AnsiString name = CP936("东北大米五常稻花香"), spec = CP936("5kg×4袋");
    std::vector<Value> values(28);
    for (int i = 0; i < rows; ++i) {
        for (int c = 0; c < 28; ++c)
            values[std::size_t(c)] = c % 3 == 0
                                         ? Value(c == 3   ? name + std::to_string(i % 97)
                                                 : c == 6 ? spec
                                                          : AnsiString("690") + std::to_string(1000000 + i))
                                         : Value(double((i * (c + 7)) % 100000) / 100.0);
        t.AppendRecord(values);
    }
    d->Lines.SetDataSet(&t);
    return d;
}

void StocktakeReport(TVNReport& r, TData& d, bool doublePass) {
    r.Owner = &d.Form;
    r.DoublePass = doublePass;
    TVNPage& p = r.Pages.Add();
    p.PaperSize = 9;
    p.PaperWidth = 297000;
    p.PaperHeight = 210000;
    p.Orientation = 1;
    p.SetMarginsPx(20, 40, 20, 40);
    Band(p, "Header", bkPageHeader, 0, 60);
    Memo(p, "Title", 20, 2, 1000, 28, CP936("盘点损益表"), false)->SetFrameTyp(0);
    TVNBandView* data = Band(p, "Data", bkMasterData, 100, 20);
    data->FormatText = "Lines";
    data->Flags |= bfStretched;
    for (int c = 0; c < 28; ++c) {
        Memo(p, "Cap" + std::to_string(c), 20 + c * 38, 32, 38, 26, CP936("列") + std::to_string(c));
        Memo(p, "Cell" + std::to_string(c), 20 + c * 38, 100, 38, 20, "[f" + std::to_string(c) + "]");
    }
    Band(p, "Summary", bkSummary, 200, 30);
    Memo(p, "Sum1", 20 + 38, 200, 76, 24, "[SUM([f1])]");
    Memo(p, "Sum2", 20 + 76 * 2, 200, 76, 24, "[SUM([f4])]");
    Band(p, "Footer", bkPageFooter, 300, 24)->Flags |= bfOnFirstPage | bfOnLastPage;
    Memo(p, "PageNo", 400, 302, 200, 20, CP936("第[Page#]页/共[TotalPages#]页"), false)->SetFrameTyp(0);
}

std::size_t StreamBytes(TVNReport& r) {
    std::size_t bytes = 0;
    for (int i = 0; i < r.EMFPages->Count(); ++i)
        bytes += r.EMFPages->Page(i).PageStream->Size();
    return bytes;
}

template <class MakeData, class MakeReport>
void RunBuild(benchmark::State& state, MakeData makeData, MakeReport makeReport) {
    UseQtMeasuring();
    TScriptedMessageService quiet;
    TMessageServiceScope scope(quiet);
    const int rows = int(state.range(0));
    auto data = makeData(rows);
    TVNReport report;
    makeReport(report, *data);
    for (auto _ : state) {
        if (!report.BuildReport()) state.SkipWithError("nothing built");
    }
    state.counters["rows/s"] =
        benchmark::Counter(double(rows), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["bytes/row"] = double(StreamBytes(report)) / rows;
    state.counters["pages"] = report.EMFPages->Count();
    state.counters["peakMB"] = PeakMB();
}

void BM_PeerTable(benchmark::State& state) {
    RunBuild(state, PeerData, PeerReport);
}

void BM_StocktakeDoublePass(benchmark::State& state) {
    RunBuild(state, StocktakeData, [](TVNReport& r, TData& d) { StocktakeReport(r, d, true); });
}

void BM_StocktakeSinglePass(benchmark::State& state) {
    RunBuild(state, StocktakeData, [](TVNReport& r, TData& d) { StocktakeReport(r, d, false); });
}

} // namespace

BENCHMARK(BM_PeerTable)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_StocktakeDoublePass)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_StocktakeSinglePass)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);
