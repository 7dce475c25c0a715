// What the commands that build a report share: the "--data" and "--var" options, loading the
// report file with its data sets and variables, and the canvas memos are measured with. Data
// sets come from CSV files with a header row or from a SELECT on an SQLite file (DataTables.h).
#pragma once

#include "DataTables.h"
#include "report/VNReport.h"
#include "report/expr/VNDataset.h"

#include "platform/MemDataSet.h"
#include "platform/MessageService.h"
#include "report/output/VNQtMeasureCanvas.h"


#include <QGuiApplication>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#define VN_DATA_OPTIONS_USAGE \
    "[--data NAME=FILE.csv|sqlite:PATH:SELECT ...] [--var NAME=VALUE ...] [--max-rows N] [--max-bytes N]"

struct TReportSources {
    std::vector<std::pair<std::string, std::string>> Data, Vars; // NAME, SOURCE / NAME, VALUE
    TDataLimits Limits; // what one SQLite source may return

    // Takes "--data NAME=SOURCE", "--var NAME=VALUE", "--max-rows N" or "--max-bytes N" at
    // argv[i], leaving i on its value; false when argv[i] is none of these options or its value
    // has no "NAME=" (or is no positive number).
    bool ParseOption(int argc, char** argv, int& i);
    // Whether the argument is one of the options ParseOption takes.
    static bool Takes(const std::string& argument) {
        return argument == "--data" || argument == "--var" || argument == "--max-rows" || argument == "--max-bytes";
    }
};

// A report loaded from its file, with the data sets it was given (owned here, named as given)
// and the engine-wide variables set.
class TLoadedReport {
public:
    explicit TLoadedReport(const char* ownerName) : FOwner(nullptr, ownerName) {}

    // False, after printing why to stderr, when the report or a data source cannot be read.
    // When the report file itself fails, onLoadFailed runs first (to show what the loader said).
    bool Load(const std::string& reportFile, const TReportSources& sources,
              const std::function<void()>& onLoadFailed = {});

    TVNReport Report;

private:
    TVNComponent FOwner;
    std::vector<std::unique_ptr<TMemDataSet>> FTables;
    std::vector<std::unique_ptr<TVNDBDataSet>> FDatasets;
};

// What every headless command that builds or draws reports starts with: an offscreen Qt GUI
// application (unless QT_QPA_PLATFORM says otherwise), report pixels at 96 dpi, the Qt measuring
// canvas, and the engine's messages collected; FlushMessages prints them to stderr.
// With windows true the application can show widgets and runs on the display the environment
// names (a command that opens a dialog); pixels, measuring and messages stay the same, so the
// pages are the ones the headless run makes.
class THeadlessRun {
public:
    explicit THeadlessRun(char* programName, bool windows = false);
    ~THeadlessRun();
    THeadlessRun(const THeadlessRun&) = delete;
    THeadlessRun& operator=(const THeadlessRun&) = delete;
    void FlushMessages();

private:
    int FArgc = 1;
    char* FArgv[2];
    std::unique_ptr<QGuiApplication> FApp;
    std::unique_ptr<TVNQtMeasureCanvasScope> FMeasure;
    TScriptedMessageService FMessages;
    std::unique_ptr<TMessageServiceScope> FScope;
};
