// The sub-commands of vnreport register themselves here, one file each, so the tool's main stays a
// thin dispatcher and a command can be added without touching the others.
#pragma once

#include <cstring>
#include <map>
#include <string>

using TCommandFn = int (*)(int argc, char** argv); // argv[0] is the sub-command's name

struct TCommandInfo {
    std::string Usage; // one line, e.g. "info FILE"
    TCommandFn Run = nullptr;
};

std::map<std::string, TCommandInfo>& Commands();

struct TCommandRegistrar {
    TCommandRegistrar(const char* name, const char* usage, TCommandFn run) {
        Commands()[name] = TCommandInfo{usage, run};
    }
};

// The arguments "FILE [--out FILE]" in any order; false on anything else or without FILE.
inline bool ParseFileAndOut(int argc, char** argv, std::string& in, std::string& out) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--out") == 0 && i + 1 < argc)
            out = argv[++i];
        else if (in.empty() && argv[i][0] != '-')
            in = argv[i];
        else
            return false;
    }
    return !in.empty();
}
