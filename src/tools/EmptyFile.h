// The message every command gives for an empty file: the engine loads nothing from an empty
// stream and says nothing, so without it a command would fail with no word of why.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

// True, after saying so on stderr, when the file exists and holds no bytes.
inline bool ReportEmptyFile(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error) || std::filesystem::file_size(path, error) != 0 ||
        error)
        return false;
    std::fprintf(stderr, "vnreport: %s is empty (0 bytes): it holds no report\n", path.c_str());
    return true;
}
