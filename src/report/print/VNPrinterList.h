// TVNPrinterList: the printers a report can be sent to. Entry 0 is "默认打印机" (whichever queue
// the system names as its default), entry 1 "虚拟打印机" (measures pages without any device),
// entries 2 and up every queue the printing platform knows. A list of exactly two entries means
// no printer is installed. Each entry's papers and sources are read from its queue on first use
// and then fixed up like every printer's lists (custom paper last, the extra papers, "缺省").
#pragma once

#include "report/VNPaper.h"

#include <memory>
#include <vector>

class TVNPrinterList {
public:
    int Count() const { return int(FNames.size()); }
    // Display names, in list order.
    const std::vector<AnsiString>& Names() const { return FNames; }
    const AnsiString& Name(int index) const { return FNames.at(std::size_t(index)); }
    // The info of an entry, loaded on first access; index 0 resolves to the default printer's
    // entry, index 1 (and anything out of range) to the virtual printer.
    TVNPrinterInfo& PrinterInfo(int index);
    // Index of the system's default printer; 1 (the virtual printer) when there is none.
    int DefaultIndex() const { return FDefault; }
    bool HasPrinters() const { return Count() > 2; }
    // Index of a display name, or -1.
    int IndexOf(const AnsiString& name) const;
    // Reads the queues again (the printing platform changed).
    void Rebuild();

private:
    std::vector<AnsiString> FNames;
    std::vector<std::unique_ptr<TVNPrinterInfo>> FInfos;
    int FDefault = 1;
    bool FBuilt = false;
    friend TVNPrinterList& VNPrinterList();
};

// The process-wide list, built on first use.
TVNPrinterList& VNPrinterList();

// The engine's paper code for a paper a queue offers: the standard code when its name is a
// well-known paper, else a code of this printer's own (1000 and up, by position).
int PaperCodeForMedia(const TPrintMedia& media, int position);
// The bin number for a paper source: the standard number of a well-known source name, else one
// of this printer's own (256 and up, by position).
int BinNumberForSlot(const TPrintSlot& slot, int position);
