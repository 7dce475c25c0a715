// vnreport export REPORT [--data ...] [--var ...] --format FORMAT --out PATH [--option NAME=VALUE ...]
// Writes a report's built pages through one export filter: REPORT is a ".vnf" to build (with the
// given data sets) or a ".vnp" of pages built before. Every option of the filter's dialog is an
// --option; unknown formats and options are answered with the list of what exists. An output
// that cannot be written leaves no file behind.
#include "CommandRegistry.h"
#include "ReportLoading.h"

#include "report/VNEMFPages.h"
#include "report/VNEngine.h"
#include "report/export/VNExportFormats.h"
#include "report/output/VNQtRasterSurface.h"

#include "platform/AtomicFile.h"
#include "platform/MessageService.h"

#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: vnreport export REPORT.vnf|REPORT.vnp " VN_DATA_OPTIONS_USAGE
                 " --format %s --out PATH [--option NAME=VALUE ...]\n",
                 ExportFormatList().c_str());
    return 2;
}

bool EndsWith(const std::string& s, const std::string& tail) {
    if (s.size() < tail.size()) return false;
    for (std::size_t i = 0; i < tail.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(s[s.size() - tail.size() + i])) != tail[i]) return false;
    return true;
}

int RunExport(int argc, char** argv) {
    if (argc < 2) return Usage();
    const std::string reportFile = argv[1];
    std::string format, out;
    std::vector<std::pair<std::string, std::string>> options;
    TReportSources sources;
    for (int i = 2; i < argc; ++i) {
        const std::string a = argv[i];
        auto next = [&]() -> std::string { return i + 1 < argc ? argv[++i] : std::string(); };
        if (TReportSources::Takes(a)) {
            if (!sources.ParseOption(argc, argv, i)) return Usage();
        } else if (a == "--format")
            format = next();
        else if (a == "--out")
            out = next();
        else if (a == "--option") {
            const std::string o = next();
            const auto eq = o.find('=');
            if (eq == std::string::npos || eq == 0) {
                std::fprintf(stderr, "vnreport: --option wants NAME=VALUE, got \"%s\"\n", o.c_str());
                return 2;
            }
            options.emplace_back(o.substr(0, eq), o.substr(eq + 1));
        } else
            return Usage();
    }
    if (format.empty() || out.empty()) return Usage();
    std::unique_ptr<TVNExportFilter> filter;
    try {
        filter = MakeExportFilter(format, options);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vnreport: %s\n", e.what());
        return 2;
    }

    THeadlessRun run(argv[0]);
    InstallVNQtRasterSurfaces();
    auto flushMessages = [&run] { run.FlushMessages(); };

    TLoadedReport loaded("Export");
    TVNReport& report = loaded.Report;
    report.ShowProgress = false;
    if (EndsWith(reportFile, ".vnp")) {
        if (!report.LoadBuiltPages(reportFile)) {
            flushMessages();
            std::fprintf(stderr, "vnreport: cannot read built pages from %s\n", reportFile.c_str());
            return 1;
        }
    } else {
        if (!loaded.Load(reportFile, sources, flushMessages)) return 1;
        report.BuildReport();
    }
    flushMessages();
    const int pages = report.EMFPages ? report.EMFPages->Count() : 0;
    if (pages == 0) {
        std::fprintf(stderr, "vnreport: the report has no pages; nothing written\n");
        return 1;
    }
    try {
        if (!report.ExportBuiltReport(*filter, out)) {
            std::fprintf(stderr, "vnreport: nothing exported\n");
            return 1;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vnreport: %s\n", e.what());
        return 1;
    }
    flushMessages();
    std::printf("pages: %d\nwritten: %s\n", pages, out.c_str());
    return 0;
}

TCommandRegistrar reg("export",
                      "export REPORT.vnf|REPORT.vnp " VN_DATA_OPTIONS_USAGE
                      " --format FORMAT --out PATH [--option NAME=VALUE ...]",
                      &RunExport);

} // namespace
