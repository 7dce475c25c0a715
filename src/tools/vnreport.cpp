// vnreport: the command-line report tool. It only dispatches to the registered sub-commands; all
// the work lives in the engine libraries.
#include "CommandRegistry.h"

#include <cstdio>
#include <cstring>

std::map<std::string, TCommandInfo>& Commands() {
    static std::map<std::string, TCommandInfo> commands;
    return commands;
}

static int Usage() {
    std::fprintf(stderr, "usage: vnreport COMMAND ARGS...\n");
    for (const auto& [name, info] : Commands())
        std::fprintf(stderr, "  vnreport %s\n", info.Usage.c_str());
    return 2;
}

int main(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0) return Usage();
    auto it = Commands().find(argv[1]);
    if (it == Commands().end()) {
        std::fprintf(stderr, "vnreport: unknown command '%s'\n", argv[1]);
        return Usage();
    }
    return it->second.Run(argc - 1, argv + 1);
}
