// Helpers for the spreadsheet tests: a private temporary folder, running the independent readers
// (Debian's Python with xlrd or openpyxl, LibreOffice headless) on written files, and splitting a
// BIFF8 stream into its records.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace sheettest {

namespace fs = std::filesystem;

// A folder removed when the test ends.
struct TTempDir {
    fs::path Path;
    TTempDir() {
        Path = fs::temp_directory_path() / ("vnsheet-" + std::to_string(::getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(Path);
        fs::create_directories(Path);
    }
    ~TTempDir() { fs::remove_all(Path); }
    std::string operator/(const std::string& name) const { return (Path / name).string(); }
};

// Runs a command and answers what it printed on stdout (stderr goes to the test's log).
inline std::string RunCommand(const std::string& command, int* status = nullptr) {
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buf[65536];
        std::size_t n;
        while ((n = fread(buf, 1, sizeof buf, p)) > 0)
            out.append(buf, n);
        const int rc = pclose(p);
        if (status) *status = rc;
    }
    return out;
}

// Runs a Python program (Debian's interpreter, which has xlrd and openpyxl) with the file's path
// as sys.argv[1].
inline std::string Python(const std::string& program, const std::string& file, const TTempDir& dir) {
    const std::string script = dir / "check.py";
    std::ofstream(script) << program;
    return RunCommand("/usr/bin/python3 " + script + " '" + file + "'");
}

// Converts the files to CSV with LibreOffice (UTF-8, comma, quoted texts) in one start of the
// program; answers the CSV of each file, in the files' order.
inline std::vector<std::string> LibreOfficeCsv(const std::vector<std::string>& files, const TTempDir& dir) {
    std::string cmd =
        "cd '" + dir.Path.string() + "' && HOME='" + dir.Path.string() +
        "' soffice -env:UserInstallation=file://" + dir.Path.string() +
        "/lo-profile --headless --convert-to 'csv:Text - txt - csv (StarCalc):44,34,76,1' --outdir '" +
        (dir.Path / "csv").string() + "'";
    for (const auto& f : files)
        cmd += " '" + f + "'";
    RunCommand(cmd + " >/dev/null 2>&1");
    std::vector<std::string> out;
    for (const auto& f : files) {
        std::ifstream in(dir.Path / "csv" / (fs::path(f).stem().string() + ".csv"), std::ios::binary);
        out.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return out;
}

struct TRecord {
    std::uint16_t Type;
    std::string Data;
    std::size_t Position;
};

inline std::vector<TRecord> Records(const std::string& stream) {
    std::vector<TRecord> out;
    for (std::size_t at = 0; at + 4 <= stream.size();) {
        const auto u = [&](std::size_t i) { return unsigned(static_cast<unsigned char>(stream[i])); };
        const std::uint16_t type = std::uint16_t(u(at) | u(at + 1) << 8);
        const std::size_t len = u(at + 2) | u(at + 3) << 8;
        out.push_back({type, stream.substr(at + 4, len), at});
        at += 4 + len;
    }
    return out;
}

// "0b 00 ..." from bytes, for readable comparisons.
inline std::string Hex(const std::string& bytes) {
    static const char* digits = "0123456789abcdef";
    std::string s;
    for (unsigned char c : bytes) {
        if (!s.empty()) s += ' ';
        s += digits[c >> 4];
        s += digits[c & 15];
    }
    return s;
}

inline std::string FromHex(const std::string& hex) {
    std::string out;
    for (std::size_t i = 0; i + 1 < hex.size();) {
        if (hex[i] == ' ') {
            ++i;
            continue;
        }
        out += char(std::stoi(hex.substr(i, 2), nullptr, 16));
        i += 2;
    }
    return out;
}

} // namespace sheettest
