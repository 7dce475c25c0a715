// Preview speed on the peer table of the engine benchmark at 10,000 rows (about 190 pages), built
// once, shown in a preview control on the offscreen platform:
//   - the first page drawn at 100 % from the built pages: at most 100 ms;
//   - moving to a page and drawing it: at most 30 ms;
//   - finding a text only the last page holds ("SKU009999"): at most 400 ms;
//   - memory of the open preview: at most 1.5 x the built pages' own size (the counters
//     pagesMB, the page streams, and previewMB, the growth of the process while the preview is
//     open and has paged through the report).
#include "../engine/BenchReports.h"

#include "report/VNEMFPages.h"
#include "report/output/VNPreview.h"

#include "platform/MessageService.h"

#include "platform/qt/QtCanvas.h"
#include "report/VNEngine.h"

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <cstdio>
#include <unistd.h>

#include <benchmark/benchmark.h>

namespace {

using namespace bench;

QApplication& App() {
    static QApplication* app = [] {
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "bench_preview";
        static char* argv[] = {name, nullptr};
        auto* a = new QApplication(argc, argv);
        // Text is measured as the screen measures it (the engine benchmark's own set-up makes a
        // GUI application without widgets, which a preview cannot use).
        static QImage image(10, 10, QImage::Format_RGB32);
        static QPainter painter(&image);
        SetVNMeasureCanvas(new TQtCanvas(&painter, 96, 96));
        return a;
    }();
    return *app;
}

// The process's resident memory now (not its peak: the build before it peaks higher).
double ResidentMB() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

struct TBuilt : TBuiltPeerTable {
    double PagesMB() {
        double bytes = 0;
        for (int i = 0; i < Report.EMFPages->Count(); ++i) bytes += double(Report.EMFPages->Page(i).PageStream->Size());
        return bytes / (1024.0 * 1024.0);
    }
};

TBuilt& Built() {
    App();
    static TBuilt* built = new TBuilt();
    return *built;
}

void Show(TVNPreview& p) {
    p.show();
    QApplication::processEvents();
    p.DrawPanel()->repaint();
}

void BM_PreviewFirstPage(benchmark::State& state) {
    TBuilt& b = Built();
    for (auto _ : state) {
        TVNPreview p;
        p.resize(1000, 800);
        p.Connect(&b.Report);
        Show(p);
    }
    state.counters["pages"] = b.Report.EMFPages->Count();
}

void BM_PreviewGotoPage(benchmark::State& state) {
    TBuilt& b = Built();
    TVNPreview p;
    p.resize(1000, 800);
    p.Connect(&b.Report);
    Show(p);
    int page = 1;
    for (auto _ : state) {
        page = page * 37 % p.PageCount() + 1; // pages all over the report
        p.GotoPage(page);
        p.DrawPanel()->repaint();
    }
}

void BM_PreviewFindOnLastPage(benchmark::State& state) {
    TBuilt& b = Built();
    TVNPreview p;
    p.resize(1000, 800);
    p.Connect(&b.Report);
    Show(p);
    bool found = false;
    for (auto _ : state) {
        found = p.Find(QStringLiteral("SKU009999"), false, false, true);
        p.DrawPanel()->repaint();
    }
    state.counters["found"] = found && p.CurrentPage() == p.PageCount();
}

void BM_PreviewMemory(benchmark::State& state) {
    TBuilt& b = Built();
    const double before = ResidentMB();
    double open = 0;
    for (auto _ : state) {
        TVNPreview p;
        p.resize(1000, 800);
        p.Connect(&b.Report);
        Show(p);
        for (int i = 1; i <= p.PageCount(); i += 7) {
            p.GotoPage(i);
            p.DrawPanel()->repaint();
        }
        open = ResidentMB(); // while the preview is still open
    }
    state.counters["pagesMB"] = b.PagesMB();
    state.counters["previewMB"] = open - before;
}

} // namespace

BENCHMARK(BM_PreviewFirstPage)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_PreviewGotoPage)->Unit(benchmark::kMillisecond)->Iterations(30);
BENCHMARK(BM_PreviewFindOnLastPage)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PreviewMemory)->Unit(benchmark::kMillisecond)->Iterations(1);
