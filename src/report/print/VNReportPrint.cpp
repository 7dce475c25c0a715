// The print loop over built pages. Copies are made here, never by the queue, so that collation
// and odd/even selection behave the same on every printer; a page whose paper differs from the
// one before it ends the spooler document and starts another with that paper.
#include "VNReportPrint.h"
#include "VNPrinter.h"
#include "VNPrinterList.h"

#include "report/VNEMFPages.h"
#include "report/VNEngine.h"
#include "report/VNReport.h"
#include "report/VNStrings.h"
#include "report/VNWindowServices.h"

#include "platform/Canvas.h"
#include "platform/Locale.h"
#include "platform/Picture.h"
#include "platform/Value.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <memory>

std::vector<bool> ParsePageList(const AnsiString& text, int pageCount) {
    AnsiString s;
    for (char c : text)
        if (c != ' ') s += c;
    if (s.empty()) return {};
    if (s.back() == '-') s += IntToStr(pageCount);
    s += ',';
    std::vector<bool> selected(std::size_t(std::max(pageCount, 0)), false);
    auto mark = [&](long long from, long long to) {
        for (long long p = std::max(1LL, from); p <= std::min<long long>(to, pageCount); ++p)
            selected[std::size_t(p - 1)] = true;
    };
    AnsiString number;
    long long rangeStart = -1;
    auto take = [&]() -> long long {
        if (number.empty()) throw EConvertError("'' is not a valid integer value");
        long long v = 0;
        for (char d : number)
            v = std::min<long long>(v * 10 + (d - '0'), LLONG_MAX / 20); // far beyond any page
        number.clear();
        return v;
    };
    for (char c : s) {
        if (c >= '0' && c <= '9')
            number += c;
        else if (c == '-')
            rangeStart = take();
        else if (c == ',') {
            const long long n = take();
            if (rangeStart >= 0)
                mark(rangeStart, n);
            else
                mark(n, n);
            rangeStart = -1;
        } else
            throw EConvertError("'" + s.substr(0, s.size() - 1) + "' is not a valid page list");
    }
    return selected;
}

namespace {

// The file name without its folder.
AnsiString FileNamePart(const AnsiString& path) {
    const auto slash = path.find_last_of("/\\");
    return slash == AnsiString::npos ? path : path.substr(slash + 1);
}

class TPrintRun {
public:
    TPrintRun(TVNReport& report, const TVNPrintOptions& options)
        : FReport(report), FPages(*report.EMFPages), FOptions(options), FPrinter(VNSharedPrinter()) {}

    TVNPrintOutcome Run();

private:
    bool Stopped();
    void PrintPage(int index);
    void AfterPage(int index);
    void SetPaperFor(const TVNPreparedPage& page);
    void Progress(int pageNo);
    bool Failed() const { return !FOutcome.Error.empty(); }

    TVNReport& FReport;
    TVNEMFPages& FPages;
    TVNPrintOptions FOptions;
    TVNPrinter& FPrinter;
    TVNPrintOutcome FOutcome;
    std::vector<bool> FSelected;
    bool FScaling = false;
    bool FFirstPage = true;
    TVNPrinterMetrics FScaleMetrics; // the scale paper's metrics (scaling mode)
    std::unique_ptr<IVNProgressWindow> FProgress;
};

bool TPrintRun::Stopped() {
    if (FOutcome.Cancelled || Failed()) return true;
    if (FReport.CancelRequested && FReport.CancelRequested()) FOutcome.Cancelled = true;
    return FOutcome.Cancelled;
}

void TPrintRun::SetPaperFor(const TVNPreparedPage& page) {
    if (!FScaling) {
        FPrinter.SetPaper(page.PaperSize, page.PaperWidth, page.PaperHeight, page.Orientation, page.Bin, true);
        return;
    }
    // The page keeps its own measure; the printer takes the scale paper in the page's orientation.
    int w = FOptions.ScalePaperWidth, h = FOptions.ScalePaperHeight;
    if (page.Orientation == 1) std::swap(w, h);
    FPrinter.SetPaper(FOptions.ScalePaperSize, w, h, page.Orientation, page.Bin, true);
    FPrinter.FillPrinterMetrics(FScaleMetrics);
}

void TPrintRun::Progress(int pageNo) {
    if (FReport.OnProgress) {
        FReport.OnProgress(pageNo);
        return;
    }
    if (!FProgress) return;
    AnsiString label = VNText(TVNText::PrintingLabel) + "  " + IntToStr(pageNo);
    // Printing works on pages that are all built, so the total is known whether the report was
    // built in one pass or two.
    label += " " + VNText(TVNText::OfTotal) + " " + IntToStr(FPages.Count());
    FProgress->SetLabel(label);
    if (FProgress->ProcessMessages()) FOutcome.Cancelled = true;
}

void TPrintRun::PrintPage(int index) {
    if (FOptions.Selection == 1 && (index + 1) % 2 == 0) return;
    if (FOptions.Selection == 2 && (index + 1) % 2 == 1) return;
    TVNPreparedPage& rec = FPages.Page(index);
    int scaleW = FOptions.ScalePaperWidth, scaleH = FOptions.ScalePaperHeight;
    if (rec.Orientation == 1) std::swap(scaleW, scaleH);
    const bool same = FScaling ? FPrinter.SameAsCurrent(FOptions.ScalePaperSize, scaleW, scaleH, rec.Orientation, rec.Bin)
                               : FPrinter.SameAsCurrent(rec.PaperSize, rec.PaperWidth, rec.PaperHeight,
                                                        rec.Orientation, rec.Bin);
    if (!same) {
        FPrinter.EndDoc();
        if (!FPrinter.LastError.empty()) {
            FOutcome.Error = FPrinter.LastError;
            return;
        }
        SetPaperFor(rec);
        if (!FPrinter.BeginDoc()) {
            FOutcome.Error = FPrinter.LastError;
            return;
        }
    } else if (!FFirstPage)
        FPrinter.EndPage();
    FFirstPage = false;

    if (!FScaling) FPrinter.FillPrinterMetrics(rec.Metrics);
    FPrinter.StartPage();
    ICanvas* canvas = FPrinter.Canvas();
    if (!canvas) return;
    const TVNPrinterMetrics& m = FScaling ? FScaleMetrics : rec.Metrics;

    // The page's rectangle on the device, whose origin is the printable corner.
    TRect rect;
    if (FScaling) {
        // Scaled onto the other paper as a whole: the full sheet times PrintScale.
        rect = TRect{0, 0, ClampToInt(std::int64_t(m.PhysicalWidth) * FReport.PrintScale / 100),
                     ClampToInt(std::int64_t(m.PhysicalHeight) * FReport.PrintScale / 100)};
    } else {
        rect = TRect{-m.OffsetX, -m.OffsetY, m.PhysicalWidth - m.OffsetX, m.PhysicalHeight - m.OffsetY};
        if ((FReport.PrintOffsetLeft || FReport.PrintOffsetTop) && rec.Metrics.PaperWidthPx > 0 &&
            rec.Metrics.PaperHeightPx > 0) {
            const int dx = RoundToIntClamped(FReport.PrintOffsetLeft * (double(rect.Width()) / rec.Metrics.PaperWidthPx));
            const int dy = RoundToIntClamped(FReport.PrintOffsetTop * (double(rect.Height()) / rec.Metrics.PaperHeightPx));
            rect = TRect{rect.Left + dx, rect.Top + dy, rect.Right + dx, rect.Bottom + dy};
        }
    }

    // The background picture, unless a pre-printed form is being filled in.
    if (!FReport.taoda && rec.BackgroundIndex != 255)
        if (const TVNBkPicture* bk = FPages.Background(rec.BackgroundIndex); bk && !bk->Picture.Empty()) {
            const double fx = rec.Metrics.PaperWidthPx > 0 ? double(rect.Width()) / rec.Metrics.PaperWidthPx : 1;
            const double fy = rec.Metrics.PaperHeightPx > 0 ? double(rect.Height()) / rec.Metrics.PaperHeightPx : 1;
            TRect r{RoundToIntClamped(bk->Left * fx) + rect.Left, RoundToIntClamped(bk->Top * fy) + rect.Top,
                    RoundToIntClamped((bk->Left + bk->Width) * fx) + rect.Left,
                    RoundToIntClamped((bk->Top + bk->Height) * fy) + rect.Top};
            try {
                canvas->DrawPicture(r, TPicture::Load(bk->Picture.Data));
            } catch (const std::exception&) {
                // A damaged background is left out; the page itself still prints.
            }
        }

    // The store draws only pages marked as shown; a page the preview does not show is unloaded
    // again once printed.
    const std::uint8_t wasVisible = rec.Visible;
    rec.Visible = 1;
    // In scaling mode the page is laid out as on screen and then stretched, so PrintScale's whole
    // number factors of the printer do not apply.
    FPages.DrawPage(index, *canvas, rect, FScaling ? TVNDrawTarget::Metafile : TVNDrawTarget::Printer);
    rec.Visible = wasVisible;
    if (!wasVisible) rec.DecodedPage.reset();
    ++FOutcome.Sheets;
    Progress(index + 1);
}

void TPrintRun::AfterPage(int index) {
    if (!FReport.OnEndPrintPage || Failed()) return;
    FPrinter.EndDoc();
    if (!FPrinter.LastError.empty()) {
        FOutcome.Error = FPrinter.LastError;
        return;
    }
    if (!FPrinter.BeginDoc()) {
        FOutcome.Error = FPrinter.LastError;
        return;
    }
    FFirstPage = true;
    int pageNo = index;
    FReport.OnEndPrintPage(pageNo);
}

TVNPrintOutcome TPrintRun::Run() {
    const int count = FPages.Count();
    try {
        FSelected = ParsePageList(FOptions.PageList, count);
    } catch (const std::exception& e) {
        FOutcome.Error = Utf8ToAnsi(e.what());
        return FOutcome;
    }
    const int copies = std::max(1, FOptions.Copies);
    FScaling = FOptions.ScalePaperSize >= 0;
    FPrinter.ClearResults();
    SetPaperFor(FPages.Page(0));
    if (!FScaling) FPrinter.FillPrinterMetrics(FPages.Page(0).Metrics);

    AnsiString title = FReport.ReportInfo.Title;
    if (title.empty()) title = FileNamePart(FReport.FileName);
    FPrinter.Title = title.empty() ? AnsiString("Untitled") : title;

    if (FReport.ShowProgress && !FReport.OnProgress)
        if (IVNWindowServices* services = VNWindowServices()) {
            AnsiString caption = VNText(TVNText::PreparingReport);
            if (!FReport.ReportInfo.Title.empty()) caption += " - " + FReport.ReportInfo.Title;
            FProgress = services->OpenProgress(caption);
            if (FProgress) FProgress->SetLabel(VNText(TVNText::PrintingLabel));
        }
    if (FReport.OnPrintReport) FReport.OnPrintReport();
    if (!FPrinter.BeginDoc()) {
        FOutcome.Error = FPrinter.LastError;
        return FOutcome;
    }
    auto wanted = [&](int i) { return FSelected.empty() || FSelected[std::size_t(i)]; };
    if (FOptions.Collate) {
        for (int c = 0; c < copies && !Stopped(); ++c)
            for (int i = 0; i < count && !Stopped(); ++i) {
                if (!wanted(i)) continue;
                PrintPage(i);
                AfterPage(i);
            }
    } else {
        for (int i = 0; i < count && !Stopped(); ++i) {
            if (wanted(i))
                for (int c = 0; c < copies && !Stopped(); ++c)
                    PrintPage(i);
            AfterPage(i);
        }
    }
    if (FOutcome.Cancelled || Failed())
        FPrinter.Abort();
    else {
        FPrinter.EndDoc();
        if (!FPrinter.LastError.empty()) FOutcome.Error = FPrinter.LastError;
    }
    FOutcome.Documents = FPrinter.Results();
    FOutcome.Printed = !FOutcome.Cancelled && !Failed();
    return FOutcome;
}

} // namespace

TVNPrintOutcome PrintBuiltReport(TVNReport& report, const TVNPrintOptions& options) {
    TVNPrintOutcome outcome;
    if (!report.EMFPages || report.EMFPages->Count() == 0) {
        outcome.Error = "no built pages";
        report.taoda = false;
        return outcome;
    }
    if (!VNPrinterList().HasPrinters()) {
        outcome.Error = VNText(TVNText::NoPrinter);
        report.taoda = false;
        return outcome;
    }
    try {
        outcome = TPrintRun(report, options).Run();
    } catch (const std::exception& e) {
        VNSharedPrinter().Abort();
        outcome.Printed = false;
        outcome.Error = Utf8ToAnsi(e.what());
    }
    report.taoda = false;
    return outcome;
}

bool ChangePrinter(TVNReport& report, int oldIndex, int newIndex) {
    TVNPrinter& printer = VNSharedPrinter();
    auto apply = [&](int index) {
        printer.SetPrinterIndex(index);
        report.PrinterName = printer.SelectedName();
        printer.ForceNextPaper();
        for (int i = 0; i < report.Pages.Count(); ++i) {
            TVNPage& page = report.Pages[i];
            page.ChangePaper(page.PaperSize, page.PaperWidth, page.PaperHeight, page.Orientation, page.Bin);
        }
    };
    try {
        apply(newIndex);
        return true;
    } catch (const std::exception&) {
        VNShowMessage(VNText(TVNText::PrinterChangeError), VNText(TVNText::ErrorCaption), TVNMessageKind::Error);
        try {
            apply(oldIndex);
        } catch (const std::exception&) {
            // The old printer was working a moment ago; nothing more can be done here.
        }
        return false;
    }
}
