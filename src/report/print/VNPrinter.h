// TVNPrinter: the shared printer object. It selects one entry of the printer list, keeps the
// paper, orientation and source pages ask for, measures the device (resolution, sheet, printable
// area) from what the queue reports for that paper, and runs spooler documents: BeginDoc,
// StartPage, EndPage, EndDoc, Abort. On the virtual printer, or with no printer installed, it
// measures as the engine's virtual printer does and cannot print.
//
// The device is modelled as a printer's device context: its origin is the printable area's
// top-left corner, so the sheet's corner lies at (-offset X, -offset Y) in printer pixels.
#pragma once

#include "report/VNPaper.h"

#include "platform/PrintPlatform.h"

#include <memory>
#include <vector>

class ICanvas;

class TVNPrinter : public TVNPagePrinter {
public:
    const TVNPrinterInfo& Info() const override;
    bool IsVirtual() const override;
    void SetPaper(int paperSize, int width, int height, int orientation, int bin, bool force = false) override;
    int PaperWidth() const override;
    int PaperHeight() const override;
    void FillPrinterMetrics(TVNPrinterMetrics& m) const override;
    AnsiString SelectByName(const AnsiString& name) override;
    AnsiString SelectedName() const override;

    int PrinterIndex() const { return FIndex; }
    // Ignored while printing, for negative or unknown indexes and for the current index. Keeps
    // the paper when the new printer has one of the same size (1 tenth of a mm either way),
    // else the paper becomes custom (256).
    void SetPrinterIndex(int index);

    // Device metrics of the current paper, printer pixels (all 0 without a device).
    int PixelsPerInchX() const;
    int PixelsPerInchY() const { return PixelsPerInchX(); }
    int PhysicalWidth() const;
    int PhysicalHeight() const;
    int PrintableWidth() const;
    int PrintableHeight() const;
    // Left and top offsets of the printable area, right and bottom gutters.
    void PageGutters(int& left, int& top, int& right, int& bottom) const;
    bool IsColor() const;
    // Printer pixels per report pixel, set by FillPrinterMetrics.
    double ScaleX() const { return FScaleX; }
    double ScaleY() const { return FScaleY; }

    AnsiString Title; // the document name the spooler shows
    int Copies = 1;   // the engine makes copies itself; a job always asks for one

    // Spooler documents. BeginDoc is false (reason in LastError) when no document can start.
    bool BeginDoc();
    void StartPage();
    void EndPage();
    // Ends the document; a refusal of the queue is kept in LastError and in Results.
    void EndDoc();
    void Abort();
    bool Printing() const { return FPrinting; }
    bool Aborted() const { return FAborted; }
    int PageNumber() const { return FPageNumber; }
    // The canvas of the open page, else nullptr.
    ICanvas* Canvas();

    // What the queue answered to each document handed over since ClearResults.
    const std::vector<TPrintResult>& Results() const { return FResults; }
    void ClearResults() {
        FResults.clear();
        LastError.clear();
    }
    AnsiString LastError;

private:
    bool HasDevice() const;
    // The unprintable margins of the current paper, hundredths of a mm, in the page's orientation.
    void Margins(int& left, int& top, int& right, int& bottom) const;
    int ToDevice(int hundredthsOfMM) const;
    int FIndex = 0;
    int FReqWidth = 0, FReqHeight = 0; // tenths of mm, in the page's orientation
    mutable double FScaleX = 0, FScaleY = 0;
    bool FPrinting = false, FAborted = false, FPageOpen = false;
    int FPageNumber = 0;
    std::unique_ptr<IPrintJob> FJob;
    std::vector<TPrintResult> FResults;
};

// The shared printer object, created on first use.
TVNPrinter& VNSharedPrinter();
// Installs the printing platform (not owned; nullptr: none), reads the printer list again and
// makes the shared printer object the printer pages are measured with. It starts on
// "默认打印机" and A4 portrait.
void InstallVNPrinting(IPrintPlatform* platform);
