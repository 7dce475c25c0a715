// The shared printer object: printer selection, paper, device metrics from the queue's printable
// areas, and spooler documents through the printing platform.
#include "VNPrinter.h"
#include "VNPrinterList.h"

#include "report/VNEngine.h"
#include "report/VNStrings.h"

#include "platform/Locale.h"

#include <cmath>
#include <cstdlib>

const TVNPrinterInfo& TVNPrinter::Info() const {
    return VNPrinterList().PrinterInfo(FIndex);
}

bool TVNPrinter::IsVirtual() const {
    TVNPrinterList& list = VNPrinterList();
    if (!list.HasPrinters()) return true;
    const int resolved = FIndex == 0 ? list.DefaultIndex() : FIndex;
    return resolved <= 1 || resolved >= list.Count();
}

bool TVNPrinter::HasDevice() const {
    return !IsVirtual() && Info().Usable;
}

void TVNPrinter::SetPaper(int paperSize, int width, int height, int orientation, int bin, bool force) {
    if (FPrinting) return;
    if (IsVirtual()) {
        TVNPagePrinter::SetPaper(paperSize, width, height, orientation, bin, force);
        return;
    }
    const TVNPrinterInfo& info = Info();
    if (paperSize == CustomPaperCode)
        paperSize = info.PaperNumbers.empty() ? CustomPaperCode : info.PaperCodeAt(int(info.PaperNumbers.size()) - 1);
    if (!force && SameAsCurrent(paperSize, width, height, orientation, bin)) return;
    FPaperSize = paperSize;
    FOrientation = orientation;
    FBin = bin;
    const int index = info.PaperIndex(paperSize);
    if (index == int(info.PaperNumbers.size()) - 1) {
        // The custom paper takes the size asked for, already in the page's orientation.
        FReqWidth = width;
        FReqHeight = height;
    } else {
        FReqWidth = info.PaperWidthAt(index);
        FReqHeight = info.PaperHeightAt(index);
        if (orientation == 1) std::swap(FReqWidth, FReqHeight);
    }
}

int TVNPrinter::ToDevice(int hundredthsOfMM) const {
    return int(std::lround(hundredthsOfMM / 2540.0 * PixelsPerInchX()));
}

int TVNPrinter::PixelsPerInchX() const {
    if (!HasDevice()) return VNState().ScreenDPI;
    const int r = Info().Resolution;
    return r > 0 ? r : 600;
}

int TVNPrinter::PhysicalWidth() const {
    return HasDevice() ? ToDevice(FReqWidth * 10) : 0;
}

int TVNPrinter::PhysicalHeight() const {
    return HasDevice() ? ToDevice(FReqHeight * 10) : 0;
}

void TVNPrinter::Margins(int& left, int& top, int& right, int& bottom) const {
    left = top = right = bottom = 0;
    const TVNPrinterInfo& info = Info();
    if (info.Media.empty()) return;
    // A custom or extra paper is printed with the margins the device keeps on its own papers.
    auto it = info.PaperIndex(FPaperSize) < info.FirstCustomIndex ? info.Media.find(FPaperSize) : info.Media.end();
    const TPrintMedia& m = it != info.Media.end() ? it->second : info.Media.begin()->second;
    if (FOrientation == 1) {
        // Landscape pages are turned a quarter left onto the sheet: the sheet's bottom edge is the
        // page's left edge.
        left = m.Bottom, top = m.Left, right = m.Top, bottom = m.Right;
    } else
        left = m.Left, top = m.Top, right = m.Right, bottom = m.Bottom;
}

void TVNPrinter::PageGutters(int& left, int& top, int& right, int& bottom) const {
    left = top = right = bottom = 0;
    if (!HasDevice()) return;
    int l, t, r, b;
    Margins(l, t, r, b);
    left = ToDevice(l);
    top = ToDevice(t);
    right = ToDevice(r);
    bottom = ToDevice(b);
}

int TVNPrinter::PrintableWidth() const {
    int l, t, r, b;
    PageGutters(l, t, r, b);
    return HasDevice() ? PhysicalWidth() - l - r : 0;
}

int TVNPrinter::PrintableHeight() const {
    int l, t, r, b;
    PageGutters(l, t, r, b);
    return HasDevice() ? PhysicalHeight() - t - b : 0;
}

bool TVNPrinter::IsColor() const {
    return !HasDevice() || Info().Color;
}

int TVNPrinter::PaperWidth() const {
    if (!HasDevice() || FReqWidth <= 0) return TVNPagePrinter::PaperWidth();
    const int measured = int(std::lround(PhysicalWidth() * 254.0 / PixelsPerInchX()));
    return std::abs(measured - FReqWidth) > 1 ? measured : FReqWidth;
}

int TVNPrinter::PaperHeight() const {
    if (!HasDevice() || FReqHeight <= 0) return TVNPagePrinter::PaperHeight();
    const int measured = int(std::lround(PhysicalHeight() * 254.0 / PixelsPerInchY()));
    return std::abs(measured - FReqHeight) > 1 ? measured : FReqHeight;
}

void TVNPrinter::FillPrinterMetrics(TVNPrinterMetrics& m) const {
    if (!HasDevice()) {
        TVNPagePrinter::FillPrinterMetrics(m);
        FScaleX = FScaleY = 0;
        return;
    }
    // Report pixels per printer pixel, as the page store has always measured printed pages.
    const int ppiX = PixelsPerInchX(), ppiY = PixelsPerInchY();
    const double fx = ppiX < 1 ? 90.99804305283757 : 90.99804305283757 / ppiX;
    const double fy = ppiY < 1 ? 91.6256157635468 : 91.6256157635468 / ppiY;
    int l, t, r, b;
    PageGutters(l, t, r, b);
    m = TVNPrinterMetrics{};
    m.PhysicalWidth = PhysicalWidth();
    m.PhysicalHeight = PhysicalHeight();
    m.OffsetX = l;
    m.OffsetY = t;
    m.OffsetXPx = RoundToIntClamped(l * fx);
    m.OffsetYPx = RoundToIntClamped(t * fy);
    m.PrintableWidth = PrintableWidth();
    m.PrintableHeight = PrintableHeight();
    m.PrintableWidthPx = RoundToIntClamped(fx * m.PrintableWidth);
    m.PrintableHeightPx = RoundToIntClamped(fy * m.PrintableHeight);
    m.PaperWidthPx = RoundToIntClamped(MMToPixels(PaperWidth() / 10.0));
    m.PaperHeightPx = RoundToIntClamped(MMToPixels(PaperHeight() / 10.0));
    FScaleX = m.PaperWidthPx > 0 ? double(m.PhysicalWidth) / m.PaperWidthPx : 0;
    FScaleY = m.PaperHeightPx > 0 ? double(m.PhysicalHeight) / m.PaperHeightPx : 0;
}

void TVNPrinter::SetPrinterIndex(int index) {
    TVNPrinterList& list = VNPrinterList();
    if (FPrinting || index < 0 || index >= list.Count() || index == FIndex) return;
    const TVNPrinterInfo& before = Info();
    const TVNPrinterInfo& after = list.PrinterInfo(index);
    // The paper is kept by size; a paper the new printer lacks becomes a custom one.
    const int oldIndex = before.PaperIndex(FPaperSize);
    const int w = before.PaperWidthAt(oldIndex), h = before.PaperHeightAt(oldIndex);
    const int keepW = PaperWidth(), keepH = PaperHeight();
    FIndex = index;
    if (&before == &after) return;
    int code = CustomPaperCode;
    for (int i = 0; i < int(after.PaperNumbers.size()); ++i)
        if (std::abs(after.PaperWidthAt(i) - w) <= 1 && std::abs(after.PaperHeightAt(i) - h) <= 1) {
            code = after.PaperCodeAt(i);
            break;
        }
    SetPaper(code, keepW, keepH, FOrientation, FBin, true);
}

AnsiString TVNPrinter::SelectByName(const AnsiString& name) {
    TVNPrinterList& list = VNPrinterList();
    int index;
    if (name.empty() || name == "Default Printer")
        index = 0;
    else if (name == "Virtual Printer")
        index = 1;
    else
        index = std::max(0, list.IndexOf(name));
    SetPrinterIndex(index);
    return name;
}

AnsiString TVNPrinter::SelectedName() const {
    TVNPrinterList& list = VNPrinterList();
    return FIndex < list.Count() ? list.Name(FIndex) : VNText(TVNText::VirtualPrinter);
}

bool TVNPrinter::BeginDoc() {
    if (FPrinting) return true;
    LastError.clear();
    IPrintPlatform* platform = PrintPlatform();
    if (!VNPrinterList().HasPrinters() || !platform) {
        LastError = VNText(TVNText::NoPrinter);
        return false;
    }
    if (!HasDevice()) {
        LastError = VNText(TVNText::VirtualCannotPrint);
        return false;
    }
    const TVNPrinterInfo& info = Info();
    TPrintJobSettings s;
    s.Queue = info.Device;
    s.Title = Title;
    auto media = info.Media.find(FPaperSize);
    if (info.PaperIndex(FPaperSize) < info.FirstCustomIndex && media != info.Media.end()) s.MediaKey = media->second.Key;
    s.Landscape = FOrientation == 1;
    s.Width = s.Landscape ? FReqHeight : FReqWidth;
    s.Height = s.Landscape ? FReqWidth : FReqHeight;
    auto slot = info.Slots.find(FBin);
    if (slot != info.Slots.end()) s.SlotKey = slot->second;
    s.Resolution = PixelsPerInchX();
    int r, b;
    PageGutters(s.OriginX, s.OriginY, r, b);
    FJob = platform->BeginJob(s, LastError);
    if (!FJob) return false;
    FPrinting = true;
    FAborted = false;
    FPageOpen = false;
    FPageNumber = 0;
    return true;
}

void TVNPrinter::StartPage() {
    if (!FPrinting || FPageOpen) return;
    FPageOpen = true;
    FJob->StartPage();
    ++FPageNumber;
}

void TVNPrinter::EndPage() {
    if (!FPageOpen) return;
    FPageOpen = false;
    FJob->EndPage();
}

void TVNPrinter::EndDoc() {
    if (!FPrinting) return;
    EndPage();
    if (!FAborted) {
        if (FPageNumber == 0)
            FJob->Abort(); // a document without pages is not worth a job
        else {
            TPrintResult r = FJob->Finish();
            if (!r.Ok) LastError = r.Reason;
            FResults.push_back(std::move(r));
        }
    }
    FJob.reset();
    FPrinting = false;
    FPageNumber = 0;
}

void TVNPrinter::Abort() {
    if (!FPrinting) return;
    FPageOpen = false;
    FJob->Abort();
    FAborted = true;
    EndDoc();
}

ICanvas* TVNPrinter::Canvas() {
    return FPageOpen && FJob ? &FJob->Canvas() : nullptr;
}

TVNPrinter& VNSharedPrinter() {
    static TVNPrinter printer;
    return printer;
}

void InstallVNPrinting(IPrintPlatform* platform) {
    SetPrintPlatform(platform);
    VNPrinterList().Rebuild();
    TVNPrinter& printer = VNSharedPrinter();
    printer.SetPrinterIndex(0);
    printer.ForceNextPaper();
    printer.SetPaper(DefaultPaperCode, 2100, 2970, 0, -1, true);
    SetVNPrinter(&printer);
}
