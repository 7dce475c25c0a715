// vnreport render REPORT.vnf [--data NAME=FILE.csv|sqlite:PATH:SELECT ...] [--var NAME=VALUE ...]
//                --out DIR [--vnp FILE]
// Builds a report headless (Qt offscreen) with the named data sets and writes every built page as
// a PNG at 96 dpi, printing the page count and the build time. Loading and the data sources are
// shared with the other report commands (ReportLoading.h). The tool only wires data and canvases
// to the engine.
#include "CommandRegistry.h"
#include "ReportLoading.h"

#include "report/VNEMFPages.h"
#include "report/VNEngine.h"
#include "report/VNReport.h"
#include "report/VNReportCheck.h"

#include "platform/AtomicFile.h"
#include "platform/MessageService.h"
#include "platform/qt/QtCanvas.h"

#include <QBuffer>
#include <QByteArray>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

namespace {

int Usage() {
    std::fprintf(stderr, "usage: vnreport render REPORT.vnf " VN_DATA_OPTIONS_USAGE
                         " --out DIR [--vnp FILE] [--max-pages N]\n");
    return 2;
}

// Ctrl+C stops the build at the next page; nothing half-written is left behind.
std::atomic<bool> Interrupted{false};
extern "C" void OnInterrupt(int) {
    Interrupted = true;
}

int RunRender(int argc, char** argv) {
    if (argc < 2) return Usage();
    std::string reportFile, outDir, vnpFile;
    int maxPages = 0;
    TReportSources sources;
    reportFile = argv[1];
    for (int i = 2; i < argc; ++i) {
        const std::string a = argv[i];
        auto next = [&]() -> std::string { return i + 1 < argc ? argv[++i] : std::string(); };
        if (TReportSources::Takes(a)) {
            if (!sources.ParseOption(argc, argv, i)) return Usage();
        } else if (a == "--out")
            outDir = next();
        else if (a == "--vnp")
            vnpFile = next();
        else if (a == "--max-pages") {
            char* end = nullptr;
            const std::string v = next();
            const long n = std::strtol(v.c_str(), &end, 10);
            if (v.empty() || *end != '\0' || n < 1 || n > 100000000) return Usage();
            maxPages = int(n);
        }
        else
            return Usage();
    }
    if (outDir.empty()) return Usage();

    THeadlessRun run(argv[0]);
    auto flushMessages = [&run] { run.FlushMessages(); };

    TLoadedReport loaded("Render");
    if (!loaded.Load(reportFile, sources, flushMessages)) return 1;
    TVNReport& report = loaded.Report;
    report.ShowProgress = false;
    if (maxPages > 0) report.MaxPages = maxPages;
    report.CancelRequested = [] { return Interrupted.load(); };
    std::signal(SIGINT, OnInterrupt);
    // A build drops a script that does not compile: say so, as `vnreport check` would.
    for (const TVNCheckProblem& p : CheckReport(report))
        std::fprintf(stderr, "warning: %s\n", AnsiToUtf8(ProblemText(p)).c_str());

    const auto start = std::chrono::steady_clock::now();
    const bool built = report.BuildReport();
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    flushMessages();
    if (Interrupted) {
        std::fprintf(stderr, "vnreport: interrupted; no pages written\n");
        return 130;
    }
    TVNEMFPages& pages = *report.EMFPages;
    std::printf("pages: %d\nbuild time: %.1f ms\n", pages.Count(), ms);

    QDir().mkpath(QString::fromStdString(outDir));
    // Leftovers of a killed earlier render go once for the folder, not with every page.
    RemoveStaleTemporariesIn(outDir);
    for (int i = 0; i < pages.Count(); ++i) {
        TVNPreparedPage& page = pages.Page(i);
        const int w = page.Metrics.PaperWidthPx > 0 ? page.Metrics.PaperWidthPx : 794;
        const int h = page.Metrics.PaperHeightPx > 0 ? page.Metrics.PaperHeightPx : 1123;
        QImage image(w, h, QImage::Format_RGB32);
        image.setDotsPerMeterX(3780);
        image.setDotsPerMeterY(3780);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            TQtCanvas canvas(&painter, 96, 96);
            page.Visible = 1; // DrawPage skips pages that are not on screen
            pages.DrawPage(i, canvas, TRect{0, 0, w, h});
            page.Visible = 0;
        }
        // Drawn pages stay as their compact streams: a decoded page is released once written, so
        // a long report renders in the memory of one page at a time.
        page.DecodedPage.reset();
        char name[32];
        std::snprintf(name, sizeof name, "page-%03d.png", i + 1);
        const QString path = QDir(QString::fromStdString(outDir)).filePath(QString::fromLatin1(name));
        // Complete or absent: a full disk must not leave a truncated picture behind.
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        try {
            if (!image.save(&buffer, "PNG")) throw std::runtime_error("cannot encode the page");
            AtomicWriteFile(path.toStdString(), std::string_view(png.constData(), std::size_t(png.size())),
                            TStaleTemporaries::LeaveToCaller);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "vnreport: cannot write %s: %s\n", path.toLocal8Bit().constData(), e.what());
            return 1;
        }
    }
    if (!vnpFile.empty() && !report.SaveBuiltPages(vnpFile)) {
        std::fprintf(stderr, "vnreport: cannot write %s\n", vnpFile.c_str());
        return 1;
    }
    return built ? 0 : 1;
}

TCommandRegistrar
    reg("render",
        "render REPORT.vnf [--data NAME=FILE.csv|sqlite:PATH:SELECT ...] [--var NAME=VALUE ...] "
        "--out DIR [--vnp FILE] [--max-pages N]",
        &RunRender);

} // namespace
