// What the module benchmarks share: an offscreen application, and a demo database of the host in a
// folder of its own (also holding the settings) that disappears with the benchmark.
#pragma once

#include "host/DemoData.h"
#include "host/HostServer.h"

#include <QApplication>

#include <filesystem>
#include <string>
#include <system_error>
#include <unistd.h>

inline void EnsureApplication() {
    if (QApplication::instance() != nullptr) return;
    static int argc = 1;
    static char name[] = "bench_module";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    new QApplication(argc, argv);
}

// A demo database with a large sheet of `lines` lines, dated so that the benchmarks can search it.
class TBenchDemo {
public:
    static constexpr const char* Today = "20240915";

    TBenchDemo(const std::string& prefix, int lines)
        : FFolder(std::filesystem::temp_directory_path() / (prefix + "-" + std::to_string(::getpid()))) {
        std::filesystem::create_directories(FFolder);
        qputenv("XDG_CONFIG_HOME", (FFolder / "config").string().c_str());
        Path = (FFolder / "demo.sqlite").string();
        auto db = OpenSqliteBackend(Path);
        TDemoOptions options;
        options.Lines = lines;
        options.Today = Today;
        Summary = CreateDemoDatabase(*db, options);
    }
    ~TBenchDemo() {
        std::error_code ec;
        std::filesystem::remove_all(FFolder, ec);
    }
    TBenchDemo(const TBenchDemo&) = delete;
    TBenchDemo& operator=(const TBenchDemo&) = delete;

    std::string Path;
    TDemoSummary Summary;

private:
    std::filesystem::path FFolder;
};
