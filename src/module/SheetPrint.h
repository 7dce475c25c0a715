// What the sheet hands to the report engine when it prints: the header texts as engine-wide
// variables, the condition text of a normal print, and the template report `Rrt` with its data
// set `RrtDataSet` on the rounded print copy `ADS`.
//
// A template stored by the host addresses the lines as [Ads.f_Spbm] and the header through the
// variables [Djh], [Ckmc] ...: the component tree below gives the report those names. The engine
// services the module needs (measuring canvas, windows, raster surfaces, printers and one export
// filter of each kind for the preview's save dialog) are installed once per process by
// EnsureReportEngine.
#pragma once

#include "platform/AnsiString.h"
#include "platform/MemDataSet.h"
#include "report/VNReport.h"
#include "report/expr/VNDataset.h"
#include "report/expr/VNDatasetComponents.h"

#include <memory>
#include <string>
#include <vector>

class TVNExportFilter;

// The header as the form shows it, plus the stocktake date.
struct TSheetHeaderTexts {
    AnsiString Djh, Bz, Bmbm, Bmmc, Ckbm, Ckmc, Zdrbm, Zdrmc, Pdrq, Zdrq, Mnrq;
};

// Eleven labelled lines joined by CR LF, no line end after the last.
AnsiString SheetConditionText(const TSheetHeaderTexts& header);

// The variables of a normal print: operator, date, time, title and condition text.
void SetNormalPrintVariables(const AnsiString& oper, const AnsiString& date, const AnsiString& time,
                             const TSheetHeaderTexts& header);
// The eleven header variables of a template print.
void SetTemplatePrintVariables(const TSheetHeaderTexts& header);

// Installs the module's engine services once per process (needs the Qt application).
void EnsureReportEngine();

// The template side of printing: the report `Rrt` and its data set on the print copy.
class TSheetTemplatePrint {
public:
    explicit TSheetTemplatePrint(TMemDataSet& printCopy);
    ~TSheetTemplatePrint();
    TSheetTemplatePrint(const TSheetTemplatePrint&) = delete;
    TSheetTemplatePrint& operator=(const TSheetTemplatePrint&) = delete;

    // Loads the stored template (hexadecimal text ended by "#"); false when the engine refused
    // it (it has said why).
    bool Load(const AnsiString& hexText);

    TVNReport& Rrt() { return FRrt; }
    TVNDBDataSet& RrtDataSet() { return FRrtDataSet; }

private:
    TVNComponent FForm;
    TVNDataSetComponent FADS;
    TVNDBDataSet FRrtDataSet;
    TVNReport FRrt;
};

// Where a print command sends the report: the preview window, the printer, or an export file
// (automation: the filter comes from the format table with its options set).
struct TSheetPrintTarget {
    enum TKind { Preview, Print, Export } Kind = Preview;
    TVNExportFilter* Filter = nullptr; // Export
    std::string FileName;              // Export
    // Filled by the command: pages built and the first problem met (empty when none).
    int Pages = 0;
    bool Written = false;
};

// Sends a built report (building it first) to the target: preview, print or export.
void SendReport(TVNReport& report, TSheetPrintTarget& target);
