// vnreport preview REPORT.vnf [--data NAME=FILE.csv|sqlite:PATH:SELECT ...] [--var NAME=VALUE ...]
// Loads a report with its data exactly as `render` does, then builds and previews it in windows:
// the build's progress window, the forms of its dialog pages and the page viewer. Messages show as
// boxes. The command returns when the preview is closed: 0 when pages were built, 1 otherwise.
// It runs on the desktop's display; QT_QPA_PLATFORM chooses another (offscreen for scripts).
#include "CommandRegistry.h"
#include "ReportLoading.h"

#include "report/VNEMFPages.h"
#include "report/VNEngine.h"
#include "report/export/VNExportFilter.h"
#include "report/export/VNExportFormats.h"
#include "report/output/VNExportDialogs.h"
#include "report/output/VNPreviewForm.h"
#include "report/output/VNQtWindowServices.h"

#include <QApplication>
#include <QScreen>

#include "platform/MessageService.h"
#include "platform/qt/QtMessageService.h"

#include <cstdio>
#include <memory>
#include <vector>

namespace {

int Usage() {
    std::fprintf(stderr, "usage: vnreport preview REPORT.vnf " VN_DATA_OPTIONS_USAGE "\n");
    return 2;
}

int RunPreview(int argc, char** argv) {
    if (argc < 2) return Usage();
    const std::string reportFile = argv[1];
    TReportSources sources;
    QString find, screenshot;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "--find" || arg == "--screenshot") && i + 1 < argc) {
            (arg == "--find" ? find : screenshot) = QString::fromLocal8Bit(argv[++i]);
            continue;
        }
        if (!sources.ParseOption(argc, argv, i)) return Usage();
    }

    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    QApplication app(qtArgc, qtArgv);
    // Report pixels are screen pixels: the page is shown at 100 % on this screen.
    if (QScreen* screen = QGuiApplication::primaryScreen()) VNState().ScreenDPI = qRound(screen->logicalDotsPerInchX());
    TVNQtMeasureCanvasScope measure(VNState().ScreenDPI);

    TQtMessageService messages;
    TMessageServiceScope messageScope(messages);
    TVNQtWindowServicesScope windows;
    // One filter of every format, each registering itself for the preview's save dialog.
    InstallVNExportDialogs();
    std::vector<std::unique_ptr<TVNExportFilter>> filters;
    for (const TVNExportFormat& format : ExportFormats()) filters.push_back(format.Make());

    // The same owner name as `render`, so that a report finds its data sets the same way.
    TLoadedReport loaded("Render");
    if (!loaded.Load(reportFile, sources)) return 1;
    TVNReport& report = loaded.Report;
    // --find starts the window with a search; --screenshot saves its picture and closes it, so
    // that the window can be checked without a person at the screen.
    TVNPreviewForm::SetStartup(find, screenshot);
    report.PreviewReport();
    // A report that asks for a non-modal preview leaves its window open: wait until it closes.
    bool windowOpen = false;
    for (QWidget* w : QApplication::topLevelWidgets())
        windowOpen = windowOpen || w->isVisible();
    if (windowOpen) app.exec();
    // The closed window deletes itself later; it must go while the report it shows still lives.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return report.EMFPages->Count() > 0 ? 0 : 1;
}

TCommandRegistrar reg("preview", "preview REPORT.vnf " VN_DATA_OPTIONS_USAGE, &RunPreview);

} // namespace
