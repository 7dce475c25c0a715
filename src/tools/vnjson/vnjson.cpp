// vnjson make FILE.json --out FILE.vnf|.vnt|.vnd|.hex: vnreport's `make` for builds without Qt.
#include "report/VNJsonReport.h"

#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
    if (argc != 5 || std::strcmp(argv[1], "make") != 0 || std::strcmp(argv[3], "--out") != 0) {
        std::fprintf(stderr, "usage: vnjson make FILE.json --out FILE.vnf|.vnt|.vnd|.hex\n");
        return 2;
    }
    const std::string error = MakeStoredFile(argv[2], argv[4]);
    if (error.empty()) return 0;
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
}
