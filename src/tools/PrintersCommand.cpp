// vnreport printers
// Lists the printer list as reports see it: the two pseudo-entries and every CUPS queue, which
// of them is the default, and for each queue its papers (engine paper code, size and printable
// margins) and paper sources (bin number and name).
#include "CommandRegistry.h"

#include "report/print/VNPrinter.h"
#include "report/print/VNPrinterList.h"
#include "report/output/VNCupsPrintPlatform.h"

#include "platform/AnsiString.h"
#include "platform/Locale.h"

#include <cstdio>

namespace {

std::string U(const AnsiString& s) {
    return AnsiToUtf8(s);
}

int RunPrinters(int argc, char** argv) {
    (void)argv;
    if (argc != 1) {
        std::fprintf(stderr, "usage: vnreport printers\n");
        return 2;
    }
    InstallVNCupsPrinting();
    TVNPrinterList& list = VNPrinterList();
    for (int i = 0; i < list.Count(); ++i) {
        std::printf("%d %s%s\n", i, U(list.Name(i)).c_str(), i == list.DefaultIndex() ? " (default)" : "");
        if (i < 2) continue;
        const TVNPrinterInfo& info = list.PrinterInfo(i);
        if (!info.Driver.empty()) std::printf("  driver: %s\n", U(info.Driver).c_str());
        std::printf("  resolution: %d dpi\n", info.Resolution);
        for (std::size_t p = 0; p < info.PaperNames.size(); ++p) {
            const int code = info.PaperCodeAt(int(p));
            std::printf("  paper %d \"%s\" %.1f x %.1f mm", code, U(info.PaperNames[p]).c_str(),
                        info.PaperWidthAt(int(p)) / 10.0, info.PaperHeightAt(int(p)) / 10.0);
            auto m = info.Media.find(code);
            if (m != info.Media.end() && int(p) < info.FirstCustomIndex)
                std::printf(", printable margins %.2f %.2f %.2f %.2f mm (%s)", m->second.Left / 100.0,
                            m->second.Top / 100.0, m->second.Right / 100.0, m->second.Bottom / 100.0,
                            U(m->second.Key).c_str());
            std::printf("\n");
        }
        for (std::size_t b = 0; b < info.BinNames.size(); ++b) {
            std::printf("  source %s \"%s\"", U(info.BinNumbers[b]).c_str(), U(info.BinNames[b]).c_str());
            auto s = info.Slots.find(int(TryStrToInt64(info.BinNumbers[b]).value_or(0)));
            if (s != info.Slots.end()) std::printf(" (%s)", U(s->second).c_str());
            std::printf("\n");
        }
    }
    if (!list.HasPrinters()) std::printf("no printer installed\n");
    return 0;
}

TCommandRegistrar reg("printers", "printers", &RunPrinters);

} // namespace
