// vnreport dump FILE [--out FILE.json]: writes the text form of a report, template, dictionary or
// hexadecimal template text, to standard output or to a file (written whole or not at all).
#include "CommandRegistry.h"
#include "EmptyFile.h"

#include "report/VNJsonReport.h"

#include "platform/AtomicFile.h"

#include <cstdio>
#include <string>

namespace {

int RunDump(int argc, char** argv) {
    std::string in, out;
    if (!ParseFileAndOut(argc, argv, in, out)) {
        std::fprintf(stderr, "usage: vnreport dump FILE [--out FILE.json]\n");
        return 2;
    }
    std::string bytes;
    if (ReportEmptyFile(in)) return 1;
    if (!ReadWholeFile(in, bytes)) {
        std::fprintf(stderr, "vnreport: cannot read %s\n", in.c_str());
        return 1;
    }
    try {
        const std::string text = StoredBytesToJson(bytes);
        if (out.empty())
            std::fwrite(text.data(), 1, text.size(), stdout);
        else
            AtomicWriteFile(out, text);
    } catch (const EVNJsonError& e) {
        std::fprintf(stderr, "%s: %s\n", in.c_str(), e.what());
        return 1;
    } catch (const EFileWriteError& e) {
        std::fprintf(stderr, "vnreport: %s\n", e.what());
        return 1;
    }
    return 0;
}

TCommandRegistrar reg("dump", "dump FILE [--out FILE.json]      # text form of a .vnf .vnt .vnd or hex template", &RunDump);

} // namespace
