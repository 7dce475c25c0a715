// What the tests of the file exports share: a Qt application for the page pictures and the
// measuring canvas (as vnreport and the module run exports), a temporary folder, and running the
// independent readers (poppler, qpdf, LibreOffice) on what was written.
#pragma once

#include "report_output/OutputFixture.h"

#include "report/VNMemoLayout.h"
#include "report/output/VNQtRasterSurface.h"

#include "platform/qt/QtCanvas.h"

#include <QImage>
#include <QPainter>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

// Text measured and pages drawn on Qt, as in the programs.
struct TQtExportSetup {
    QImage Image{8, 8, QImage::Format_RGB32};
    QPainter Painter;
    std::unique_ptr<TQtCanvas> Canvas;
    TQtExportSetup() {
        TestApp();
        Painter.begin(&Image);
        Canvas = std::make_unique<TQtCanvas>(&Painter, 96, 96);
        SetVNMeasureCanvas(Canvas.get());
        InstallVNQtRasterSurfaces();
    }
    ~TQtExportSetup() { SetVNMeasureCanvas(nullptr); }
};

struct TTempDir {
    fs::path Path = fs::temp_directory_path() / ("vnfiles-" + std::to_string(::getpid()) + "-" +
                                                 std::to_string(reinterpret_cast<std::uintptr_t>(this)));
    TTempDir() { fs::create_directories(Path); }
    ~TTempDir() { fs::remove_all(Path); }
    std::string File(const std::string& name) const { return (Path / name).string(); }
};

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Runs a shell command; answers its standard output (standard error joins it) and exit status.
struct TToolResult {
    int Status = -1;
    std::string Output;
};
inline TToolResult RunTool(const std::string& command) {
    TToolResult r;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return r;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0)
        r.Output.append(buf, n);
    const int status = ::pclose(pipe);
    r.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

inline std::string Quote(const std::string& path) {
    return "'" + path + "'";
}
