// The shared loading of the report commands: option parsing, the data sources (read by
// DataTables) and the measuring canvas.
#include "ReportLoading.h"
#include "DataTables.h"
#include "EmptyFile.h"

#include "report/VNEngine.h"
#include "report/VNMemoLayout.h"
#include "report/expr/VNEvalContext.h"

#include <QApplication>

#include <charconv>
#include <cstdio>
#include <cstdlib>

bool TReportSources::ParseOption(int argc, char** argv, int& i) {
    const std::string a = argv[i];
    if (a == "--max-rows" || a == "--max-bytes") {
        const std::string text = i + 1 < argc ? argv[++i] : std::string();
        std::int64_t n = 0;
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
        if (text.empty() || ec != std::errc() || end != text.data() + text.size() || n < 1) return false;
        (a == "--max-rows" ? Limits.MaxRows : Limits.MaxBytes) = n;
        return true;
    }
    if (a != "--data" && a != "--var") return false;
    const std::string value = i + 1 < argc ? argv[++i] : std::string();
    const auto eq = value.find('=');
    if (eq == std::string::npos || eq == 0) return false;
    (a == "--data" ? Data : Vars).emplace_back(value.substr(0, eq), value.substr(eq + 1));
    return true;
}

bool TLoadedReport::Load(const std::string& reportFile, const TReportSources& sources,
                         const std::function<void()>& onLoadFailed) {
    if (ReportEmptyFile(reportFile)) return false;
    if (!Report.LoadReportFile(reportFile) || !Report.LoadMessage.empty()) {
        if (onLoadFailed) onLoadFailed();
        std::fprintf(stderr, "vnreport: cannot load %s\n", reportFile.c_str());
        return false;
    }
    Report.Owner = &FOwner;
    for (const auto& [name, source] : sources.Data) {
        TDataTable rows;
        std::string error;
        bool ok;
        if (source.rfind("sqlite:", 0) == 0) {
            const auto colon = source.find(':', 7);
            const bool hasSelect = colon != std::string::npos && !Trim(source.substr(colon + 1)).empty();
            ok = hasSelect &&
                 ReadSqliteRows(source.substr(7, colon - 7), source.substr(colon + 1), sources.Limits, rows, error);
            if (!ok && error.empty()) error = "give sqlite:PATH:SELECT";
        } else {
            std::vector<int> rowLines;
            std::vector<std::string> warnings;
            ok = ReadCsvFile(source, rows, rowLines, error) && CheckDataHeader(rows, error) &&
                 CheckDataRows(rows, rowLines, error, warnings);
            for (const std::string& w : warnings)
                std::fprintf(stderr, "vnreport: %s: %s\n", source.c_str(), w.c_str());
        }
        if (ok && source.rfind("sqlite:", 0) == 0) ok = CheckDataHeader(rows, error);
        if (!ok) {
            std::fprintf(stderr, "vnreport: cannot read data %s: %s\n", source.c_str(), error.c_str());
            return false;
        }
        try {
            FTables.push_back(MakeDataSet(rows));
        } catch (const std::exception& e) {
            std::fprintf(stderr, "vnreport: cannot read data %s: %s\n", source.c_str(), e.what());
            return false;
        }
        auto ds = std::make_unique<TVNDBDataSet>(&FOwner, Utf8ToAnsi(name));
        ds->SetDataSet(FTables.back().get());
        FDatasets.push_back(std::move(ds));
    }
    for (const auto& [name, value] : sources.Vars)
        EngineVariables().SetVariable(Utf8ToAnsi(name), Value(Utf8ToAnsi(value)));
    return true;
}

THeadlessRun::THeadlessRun(char* programName, bool windows) : FArgv{programName, nullptr} {
    if (windows)
        FApp = std::make_unique<QApplication>(FArgc, FArgv);
    else {
        if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
        FApp = std::make_unique<QGuiApplication>(FArgc, FArgv);
    }
    VNState().ScreenDPI = 96;
    FMeasure = std::make_unique<TVNQtMeasureCanvasScope>(96);
    FScope = std::make_unique<TMessageServiceScope>(FMessages);
}

THeadlessRun::~THeadlessRun() {
    FScope.reset();
    FMeasure.reset();
    FApp.reset();
}

void THeadlessRun::FlushMessages() {
    for (const auto& m : FMessages.Shown())
        std::fprintf(stderr, "message: %s\n", AnsiToUtf8(m.Text).c_str());
    FMessages.Clear();
}
