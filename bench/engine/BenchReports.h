// Reports and helpers the engine and export benchmarks share: the Qt measuring canvas a real
// build uses, the process's peak memory, and the peer table (A4 portrait, a page header with a
// title and six column captions, a data band of six framed, word-wrapped memos in 宋体 9 pt, a
// summary with SUM of the amount) with its generated goods rows.
#pragma once

#include "report/VNEMFPages.h"
#include "report/VNMemoLayout.h"
#include "report/VNReport.h"
#include "report/expr/VNDataset.h"

#include "platform/MemDataSet.h"
#include "platform/MessageService.h"
#include "report/output/VNQtMeasureCanvas.h"
#include "support/ReportMakers.h"

#include <QGuiApplication>

#include <sys/resource.h>

#include <cstdio>
#include <memory>

namespace bench {

struct TQtMeasuring {
    QGuiApplication* App;
    TVNQtMeasureCanvasScope* Measure;
    TQtMeasuring() {
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "bench";
        static char* argv[] = {name, nullptr};
        App = new QGuiApplication(argc, argv);
        Measure = new TVNQtMeasureCanvasScope(96);
    }
};

inline void UseQtMeasuring() {
    static TQtMeasuring* m = new TQtMeasuring();
    (void)m;
}

inline double PeakMB() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_maxrss) / 1024.0;
}

inline TVNBandView* Band(TVNPage& p, const AnsiString& name, int type, int top, int height) {
    return reportmakers::AddBand(p, name, type, top, height);
}

// A framed, stretching memo, wrapped unless told otherwise.
inline TVNMemoView* Memo(TVNPage& p, const AnsiString& name, int l, int t, int w, int h, const AnsiString& text,
                         bool wrap = true) {
    TVNMemoView* m = reportmakers::AddBodyMemo(p, name, l, t, w, h, {text});
    m->SetFrameTyp(15);
    m->SetFlag(flWordWrap, wrap);
    m->SetStretched(true);
    return m;
}

struct TData {
    TVNComponent Form{nullptr, "BenchForm"};
    TMemDataSet Table;
    TVNDBDataSet Lines{&Form, "Lines"};
};

inline std::unique_ptr<TData> PeerData(int rows) {
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

inline void PeerReport(TVNReport& r, TData& d) {
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


// The peer table over 10,000 rows, built once, quietly and without a progress window, for the
// benchmarks that work on its pages.
struct TBuiltPeerTable {
    std::unique_ptr<TData> Data = PeerData(10000);
    TVNReport Report;
    TScriptedMessageService Quiet;
    TBuiltPeerTable() {
        TMessageServiceScope scope(Quiet);
        PeerReport(Report, *Data);
        Report.ShowProgress = false;
        Report.BuildReport();
    }
};

} // namespace bench
