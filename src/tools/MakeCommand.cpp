// vnreport make FILE.json --out FILE.vnf|.vnt|.vnd|.hex: makes a stored report, template,
// dictionary or hexadecimal template text from its text form. Errors name the line and the
// property; nothing is written unless the whole text is right.
#include "CommandRegistry.h"

#include "report/VNJsonReport.h"

#include <cstdio>
#include <string>

namespace {

int RunMake(int argc, char** argv) {
    std::string in, out;
    if (!ParseFileAndOut(argc, argv, in, out) || out.empty()) {
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
