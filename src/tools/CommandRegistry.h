// The sub-commands of vnreport register themselves here, one file each, so the tool's main stays a
// thin dispatcher and a command can be added without touching the others.
#pragma once

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
