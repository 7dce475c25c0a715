// vnreport make FILE.json --out FILE.vnf|.vnt|.vnd|.hex: makes a stored report, template,
// dictionary or hexadecimal template text from its text form. Errors name the line and the
// property; nothing is written unless the whole text is right.
#include "CommandRegistry.h"

#include "report/VNJsonReport.h"

#include "platform/AtomicFile.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
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
    std::string text;
    if (!ReadWholeFile(in, text)) {
        std::fprintf(stderr, "vnreport: cannot read %s\n", in.c_str());
        return 1;
    }
    try {
        const std::string bytes = JsonToStoredBytes(text, std::filesystem::path(out).extension().string());
        AtomicWriteFile(out, bytes);
    } catch (const EVNJsonError& e) {
        // "FILE:LINE: path: message", the form editors and compilers use.
        std::string where = in + (e.Line > 0 ? ":" + std::to_string(e.Line) : std::string());
        std::string what = e.Path.empty() ? e.Message : e.Path + ": " + e.Message;
        std::fprintf(stderr, "%s: %s\n", where.c_str(), what.c_str());
        return 1;
    } catch (const EFileWriteError& e) {
        std::fprintf(stderr, "vnreport: %s\n", e.what());
        return 1;
    }
    return 0;
}

TCommandRegistrar reg("make", "make FILE.json --out FILE.vnf|.vnt|.vnd|.hex", &RunMake);

} // namespace
