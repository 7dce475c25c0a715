// vnreport print REPORT [--data ...] [--var ...] [--printer NAME] [--pages LIST] [--copies N]
//                [--collate|--no-collate] [--odd|--even] [--paper NAME] [--source NAME]
//                [--scale-to PAPER] [--scale PERCENT] [--dialog [--screenshot FILE.png]]
// Builds a report (or reads built pages from a ".vnp") and prints it on a CUPS queue through the
// engine's print loop. An unknown printer, paper or source is an error that names what exists;
// a queue that refuses a job is an error with the queue's own reason, never a success.
// --dialog prints through the print dialog and the progress window on the display (the way a
// person prints from the program): the page list, copies, collation, odd/even and scale flags are
// entered into the dialog's controls, where the user may change them before OK. --screenshot
// takes the dialog's picture from the screen once it is shown and then presses OK itself, so the
// dialog can be checked on a display with nobody at it.
#include "CommandRegistry.h"
#include "ReportLoading.h"

#include "report/VNEMFPages.h"
#include "report/VNEngine.h"
#include "report/output/VNCupsPrintPlatform.h"
#include "report/output/VNPrintForm.h"
#include "report/output/VNQtWindowServices.h"
#include "report/print/VNPrinter.h"
#include "report/print/VNPrinterList.h"
#include "report/print/VNReportPrint.h"

#include "platform/Locale.h"
#include "platform/MessageService.h"
#include "platform/qt/QtText.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QTimer>
#include <QWindow>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

#define VN_PRINT_USAGE                                                                                               \
    "print REPORT.vnf|REPORT.vnp " VN_DATA_OPTIONS_USAGE " [--printer NAME] [--pages LIST] [--copies N] "           \
    "[--collate|--no-collate] [--odd|--even] [--paper NAME] [--source NAME] [--scale-to PAPER] [--scale PERCENT] " \
    "[--dialog [--screenshot FILE.png]]"

int Usage() {
    std::fprintf(stderr, "usage: vnreport " VN_PRINT_USAGE "\n");
    return 2;
}

bool EndsWithVnp(const std::string& s) {
    return s.size() > 4 && (s.substr(s.size() - 4) == ".vnp" || s.substr(s.size() - 4) == ".VNP");
}

std::string Join(const std::vector<AnsiString>& names) {
    std::string out;
    for (const AnsiString& n : names)
        out += (out.empty() ? "\"" : ", \"") + AnsiToUtf8(n) + "\"";
    return out;
}

// Index of a paper in the printer's list by its name, its queue key or its code; -1 when none.
int FindPaper(const TVNPrinterInfo& info, const std::string& text) {
    const AnsiString name = Utf8ToAnsi(text);
    for (std::size_t i = 0; i < info.PaperNames.size(); ++i) {
        const int code = info.PaperCodeAt(int(i));
        auto m = info.Media.find(code);
        if (SameText(info.PaperNames[i], name) || info.PaperNumbers[i] == name ||
            (m != info.Media.end() && SameText(m->second.Key, name)))
            return int(i);
    }
    return -1;
}

int FindSource(const TVNPrinterInfo& info, const std::string& text) {
    const AnsiString name = Utf8ToAnsi(text);
    for (std::size_t i = 0; i < info.BinNames.size(); ++i) {
        auto s = info.Slots.find(int(TryStrToInt64(info.BinNumbers[i]).value_or(0)));
        if (SameText(info.BinNames[i], name) || info.BinNumbers[i] == name ||
            (s != info.Slots.end() && SameText(s->second, name)))
            return int(i);
    }
    return -1;
}

// What the command line chose, entered into the print dialog's controls.
struct TDialogInput {
    const TVNPrintOptions* Options;
    bool CollateGiven;
    int Scale;
    int ScalePaperIndex; // index in the printer's paper list, -1 for none
};

void EnterIntoDialog(TVNPrintForm& form, const TDialogInput& in) {
    const TVNPrintOptions& o = *in.Options;
    if (!o.PageList.empty()) {
        form.SomePages()->setChecked(true);
        form.PageList()->setText(AnsiToQString(o.PageList));
    }
    if (o.Copies > 1) form.Copies()->setValue(o.Copies);
    if (in.CollateGiven) form.Collate()->setChecked(o.Collate);
    form.Selection()->setCurrentIndex(o.Selection);
    form.Scale()->setValue(in.Scale);
    // The scale paper list is "无缩放" and then the printer's papers.
    if (in.ScalePaperIndex >= 0) form.ScalePapers()->setCurrentIndex(in.ScalePaperIndex + 1);
}

// The print dialog's picture as the display shows it (the window manager's frame included
// where there is one); a display that cannot be read back gives the widget's own rendering.
bool SaveDialogPicture(QWidget& form, const QString& file) {
    QPixmap shot;
    if (QScreen* screen = form.screen()) {
        const QRect g = form.frameGeometry();
        shot = screen->grabWindow(0, g.x(), g.y(), g.width(), g.height());
    }
    if (shot.isNull()) shot = form.grab();
    return shot.save(file);
}

// Prints through the dialog: the command line's choices are entered once it is shown; with a
// screenshot file the picture is taken a moment later and OK pressed.
TVNPrintOutcome PrintThroughDialog(TVNReport& report, const TDialogInput& in, const QString& screenshot,
                                   bool& screenshotSaved) {
    TVNPrintForm* filled = nullptr;
    int waitTicks = 0;
    QTimer driver;
    driver.setInterval(50);
    QObject::connect(&driver, &QTimer::timeout, [&] {
        auto* form = dynamic_cast<TVNPrintForm*>(QApplication::activeModalWidget());
        if (!form || !form->windowHandle() || !form->windowHandle()->isExposed()) return;
        if (form != filled) {
            EnterIntoDialog(*form, in);
            filled = form;
            waitTicks = 0;
            if (screenshot.isEmpty()) driver.stop();
            return;
        }
        // A few ticks for the display to paint what was entered.
        if (++waitTicks < 6) return;
        driver.stop();
        screenshotSaved = SaveDialogPicture(*form, screenshot);
        form->accept();
    });
    driver.start();
    return PrintBuiltReportDlg(report);
}

int RunPrint(int argc, char** argv) {
    if (argc < 2) return Usage();
    const std::string reportFile = argv[1];
    TReportSources sources;
    std::string printer, paper, source, scaleTo;
    TVNPrintOptions options;
    int scale = 100;
    bool collateGiven = false, dialog = false;
    std::string screenshot;
    for (int i = 2; i < argc; ++i) {
        const std::string a = argv[i];
        auto next = [&]() -> std::string { return i + 1 < argc ? argv[++i] : std::string(); };
        auto number = [&](int& target, int minimum) {
            const auto v = TryStrToInt64(next());
            if (!v || *v < minimum || *v > 1000000) return false;
            target = int(*v);
            return true;
        };
        if (TReportSources::Takes(a)) {
            if (!sources.ParseOption(argc, argv, i)) return Usage();
        } else if (a == "--printer")
            printer = next();
        else if (a == "--pages")
            options.PageList = Utf8ToAnsi(next());
        else if (a == "--copies") {
            if (!number(options.Copies, 1)) return Usage();
        } else if (a == "--collate" || a == "--no-collate") {
            options.Collate = a == "--collate";
            collateGiven = true;
        } else if (a == "--odd")
            options.Selection = 1;
        else if (a == "--even")
            options.Selection = 2;
        else if (a == "--paper")
            paper = next();
        else if (a == "--source")
            source = next();
        else if (a == "--scale-to")
            scaleTo = next();
        else if (a == "--scale") {
            if (!number(scale, 1)) return Usage();
        } else if (a == "--dialog")
            dialog = true;
        else if (a == "--screenshot") {
            screenshot = next();
            if (screenshot.empty()) return Usage();
        } else
            return Usage();
    }
    if (!screenshot.empty() && !dialog) return Usage();

    THeadlessRun run(argv[0], dialog);
    InstallVNCupsPrinting();
    auto flushMessages = [&run] { run.FlushMessages(); };

    TVNPrinterList& list = VNPrinterList();
    if (!list.HasPrinters()) {
        std::fprintf(stderr, "vnreport: no printer is installed (only \"%s\")\n",
                     AnsiToUtf8(list.Name(1)).c_str());
        return 1;
    }
    int printerIndex = -1;
    if (!printer.empty()) {
        printerIndex = list.IndexOf(Utf8ToAnsi(printer));
        if (printerIndex < 0 || printerIndex == 1) {
            std::vector<AnsiString> names;
            for (int i = 0; i < list.Count(); ++i)
                if (i != 1) names.push_back(list.Name(i));
            std::fprintf(stderr, "vnreport: unknown printer \"%s\"; printers: %s\n", printer.c_str(),
                         Join(names).c_str());
            return 2;
        }
    }

    TLoadedReport loaded("Print");
    TVNReport& report = loaded.Report;
    report.ShowProgress = false;
    const bool prepared = EndsWithVnp(reportFile);
    if (prepared) {
        if (!report.LoadBuiltPages(reportFile)) {
            flushMessages();
            std::fprintf(stderr, "vnreport: cannot read built pages from %s\n", reportFile.c_str());
            return 1;
        }
    } else if (!loaded.Load(reportFile, sources, flushMessages))
        return 1;

    TVNPrinter& shared = VNSharedPrinter();
    if (printerIndex >= 0) ChangePrinter(report, shared.PrinterIndex(), printerIndex);
    const TVNPrinterInfo& info = list.PrinterInfo(shared.PrinterIndex());
    int paperIndex = -1, sourceIndex = -1, scaleIndex = -1;
    auto unknown = [&](const char* what, const std::string& given, const std::vector<AnsiString>& names) {
        std::fprintf(stderr, "vnreport: unknown %s \"%s\" on %s; %ss: %s\n", what, given.c_str(),
                     AnsiToUtf8(shared.SelectedName()).c_str(), what, Join(names).c_str());
        return 2;
    };
    if (!paper.empty() && (paperIndex = FindPaper(info, paper)) < 0) return unknown("paper", paper, info.PaperNames);
    if (!scaleTo.empty() && (scaleIndex = FindPaper(info, scaleTo)) < 0)
        return unknown("paper", scaleTo, info.PaperNames);
    if (!source.empty() && (sourceIndex = FindSource(info, source)) < 0)
        return unknown("source", source, info.BinNames);

    // The chosen paper and source are given to every design page before the build (so pages are
    // laid out for that paper), or to every built page of a ".vnp".
    const int bin = sourceIndex >= 0 ? int(TryStrToInt64(info.BinNumbers[std::size_t(sourceIndex)]).value_or(-1)) : 0;
    if (!prepared) {
        for (int i = 0; i < report.Pages.Count(); ++i) {
            TVNPage& page = report.Pages[i];
            int code = page.PaperSize, w = page.PaperWidth, h = page.PaperHeight;
            if (paperIndex >= 0) {
                code = info.PaperCodeAt(paperIndex);
                w = info.PaperWidthAt(paperIndex) * 100;
                h = info.PaperHeightAt(paperIndex) * 100;
                if (page.Orientation == 1) std::swap(w, h);
            }
            page.ChangePaper(code, w, h, page.Orientation, sourceIndex >= 0 ? bin : page.Bin);
        }
        report.BuildReport();
        flushMessages();
    } else
        for (int i = 0; i < report.EMFPages->Count(); ++i) {
            TVNPreparedPage& rec = report.EMFPages->Page(i);
            if (paperIndex >= 0) {
                rec.PaperSize = std::int16_t(info.PaperCodeAt(paperIndex));
                rec.PaperWidth = info.PaperWidthAt(paperIndex);
                rec.PaperHeight = info.PaperHeightAt(paperIndex);
                if (rec.Orientation == 1) std::swap(rec.PaperWidth, rec.PaperHeight);
            }
            if (sourceIndex >= 0) rec.Bin = bin;
        }
    const int pages = report.EMFPages ? report.EMFPages->Count() : 0;
    if (pages == 0) {
        std::fprintf(stderr, "vnreport: the report has no pages; nothing printed\n");
        return 1;
    }
    if (!collateGiven) options.Collate = report.DefaultCollate;
    if (scaleIndex >= 0) {
        options.ScalePaperSize = info.PaperCodeAt(scaleIndex);
        options.ScalePaperWidth = info.PaperWidthAt(scaleIndex);
        options.ScalePaperHeight = info.PaperHeightAt(scaleIndex);
    }
    TVNPrintOutcome out;
    if (dialog) {
        TVNQtWindowServicesScope windows;
        report.ShowProgress = true;
        bool saved = false;
        out = PrintThroughDialog(report, {&options, collateGiven, scale, scaleIndex},
                                 QString::fromLocal8Bit(screenshot.c_str()), saved);
        if (!screenshot.empty()) {
            if (!saved) {
                std::fprintf(stderr, "vnreport: cannot save the dialog's picture to %s\n", screenshot.c_str());
                return 1;
            }
            std::printf("screenshot: %s\n", screenshot.c_str());
        }
    } else {
        report.PrintScale = scale;
        report.taoda = report.taodaDefault;
        out = PrintBuiltReport(report, options);
    }
    flushMessages();
    for (const TPrintResult& d : out.Documents)
        if (d.Ok) std::printf("job: %d\n", d.JobId);
    if (!out.Printed) {
        std::fprintf(stderr, "vnreport: not printed: %s\n",
                     out.Error.empty() ? "cancelled" : AnsiToUtf8(out.Error).c_str());
        return 1;
    }
    std::printf("printer: %s\npages: %d\nsheets: %d\n", AnsiToUtf8(shared.SelectedName()).c_str(), pages,
                out.Sheets);
    return 0;
}

TCommandRegistrar reg("print", VN_PRINT_USAGE, &RunPrint);

} // namespace
