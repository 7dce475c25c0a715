// Papers and the page-side printer model: the standard paper table (67 papers, the last being
// the custom paper) and the five extra papers, the printer metrics every built page carries, the
// page setting record of the page setup dialog, and the shared printer as far as pages need it.
//
// The shared printer starts as the virtual printer ("虚拟打印机"), which needs no device: its
// paper list is the paper table after the usual fix-up, and its metrics come from the paper size
// alone. The output side installs a real printer through SetVNPrinter.
#pragma once

#include "platform/AnsiString.h"
#include "platform/PrintPlatform.h"

#include <cstdint>
#include <map>
#include <vector>

struct TPaperInfo {
    int Code;
    const char* Name; // UTF-8 source text; PaperName gives it in CP936
    int Width;        // tenths of a millimetre, portrait
    int Height;
};

constexpr int PaperTableCount = 67;
constexpr int ExtraPaperCount = 5;
constexpr int CustomPaperCode = 256;
constexpr int DefaultPaperCode = 9; // A4

const TPaperInfo& PaperTableEntry(int index);  // 0..66
const TPaperInfo& ExtraPaperEntry(int index);  // 0..4
AnsiString PaperName(const TPaperInfo& paper); // CP936
// Index in the paper table of a code, or -1.
int PaperTableIndexOf(int code);

// One printer of the printer list with its paper and bin lists (texts and decimal numbers).
struct TVNPrinterInfo {
    AnsiString Driver, Device, Port;
    bool Usable = true;
    bool Loaded = false;
    int FirstCustomIndex = 0;
    int CustomPaperCode = 256;
    std::vector<AnsiString> PaperNames, PaperNumbers, PaperWidths, PaperHeights, BinNames, BinNumbers;
    // A real printer's papers and sources as its queue names them, by paper code and bin number,
    // with the device resolution and colour ability; empty for the pseudo-entries.
    std::map<int, TPrintMedia> Media;
    std::map<int, AnsiString> Slots;
    int Resolution = 0;
    bool Color = true;
    AnsiString Comment;

    // Index of the first paper with that code, or the last index (the custom paper).
    int PaperIndex(int code) const;
    // Index of a bin number, or 0.
    int BinIndex(int bin) const;
    int PaperCodeAt(int index) const;
    int PaperWidthAt(int index) const;
    int PaperHeightAt(int index) const;
};

// The fix-up every printer's lists get after they are read from the driver: custom paper found
// or added and renamed, sizes completed from the paper table, sizeless papers dropped, the
// custom paper moved last, the extra papers inserted before it, and the default bin "缺省".
void FixUpPaperLists(TVNPrinterInfo& info);

// The virtual printer's info: the paper table after the fix-up.
TVNPrinterInfo& VirtualPrinterInfo();

struct TVNPrinterMetrics {
    std::int32_t PhysicalWidth = 0, PhysicalHeight = 0; // printer pixels
    std::int32_t PaperWidthPx = 0, PaperHeightPx = 0;   // report pixels
    std::int32_t OffsetX = 0, OffsetY = 0;              // printer pixels
    std::int32_t OffsetXPx = 0, OffsetYPx = 0;          // report pixels
    std::int32_t PrintableWidth = 0, PrintableHeight = 0;
    std::int32_t PrintableWidthPx = 0, PrintableHeightPx = 0;
    friend bool operator==(const TVNPrinterMetrics&, const TVNPrinterMetrics&) = default;
};

class TVNPageSetting {
public:
    AnsiString Title;
    int PaperSize = DefaultPaperCode;
    int PaperWidth = 2100, PaperHeight = 2970; // tenths of mm, in the page's orientation
    int Orientation = 0;
    int Bin = 0xFFFF;
    bool DontPrintBackground = false;
    double MarginLeft = 15, MarginTop = 20, MarginRight = 15, MarginBottom = 20; // mm
    bool PrintToPrevPage = false, UnlimitedHeight = false, DoublePass = false;
    int ColCount = 1;
    double ColGap = 0;
    AnsiString PrinterName;
    bool PrintBackColor = true;

    // index 0 left, 1 top, 2 right, 3 bottom, 4 column gap; negative values are ignored.
    void SetMargin(int index, double mm);
    double Margin(int index) const;
    void SetColCount(int count);          // below 1 ignored
    void SetOrientation(int orientation); // a change swaps width and height
};

// The shared printer as pages see it. The default instance is the virtual printer.
class TVNPagePrinter {
public:
    virtual ~TVNPagePrinter() = default;
    virtual const TVNPrinterInfo& Info() const { return VirtualPrinterInfo(); }
    virtual bool IsVirtual() const { return true; }
    // Sets paper (size code, width and height in tenths of mm in the page's orientation,
    // orientation, bin); unless forced, nothing happens when it is the current paper.
    virtual void SetPaper(int paperSize, int width, int height, int orientation, int bin, bool force = false);
    virtual bool SameAsCurrent(int paperSize, int width, int height, int orientation, int bin) const;
    virtual int PaperWidth() const; // tenths of mm, in the current orientation
    virtual int PaperHeight() const;
    virtual void FillPrinterMetrics(TVNPrinterMetrics& m) const;
    // Selects a printer by the name a report stores; answers the name the report keeps.
    virtual AnsiString SelectByName(const AnsiString& name) { return name; }
    // Name of the selected printer in the printer list.
    virtual AnsiString SelectedName() const;

    int PaperSize() const { return FPaperSize; }
    int Orientation() const { return FOrientation; }
    int Bin() const { return FBin; }
    void ForceNextPaper() { FPaperSize = -1; }

protected:
    int FPaperSize = DefaultPaperCode;
    int FOrientation = 0;
    int FBin = -1;
};

TVNPagePrinter& VNPrinter();
// Installs another printer (not owned); nullptr restores the virtual printer.
void SetVNPrinter(TVNPagePrinter* printer);
