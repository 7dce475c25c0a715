// vnreport make FILE.json --out FILE.vnf|.vnt|.vnd|.hex: makes a stored report, template,
// dictionary or hexadecimal template text from its text form. Errors name the line and the
// property; nothing is written unless the whole text is right.
#include "CommandRegistry.h"

#include "report/VNJsonReport.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

int RunMake(int argc, char** argv) {
    std::string in, out;
    bool bad = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--out") == 0 && i + 1 < argc)
            out = argv[++i];
        else if (in.empty() && argv[i][0] != '-')
            in = argv[i];
        else
            bad = true;
    }
    if (bad || in.empty() || out.empty()) {
        std::fprintf(stderr, "usage: vnreport make FILE.json --out FILE.vnf|.vnt|.vnd|.hex\n");
        return 2;
    }
    const std::string error = MakeStoredFile(in, out);
    if (error.empty()) return 0;
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
}

TCommandRegistrar reg("make", "make FILE.json --out FILE.vnf|.vnt|.vnd|.hex", &RunMake);

} // namespace
