// The sheet's hand-over to the report engine. See SheetPrint.h.
#include "SheetPrint.h"

#include "report/VNEMFPages.h"
#include "report/VNEngineState.h"
#include "report/export/VNExportFilter.h"
#include "report/export/VNExportFormats.h"
#include "report/expr/VNEvalContext.h"
#include "report/output/VNCupsPrintPlatform.h"
#include "report/output/VNExportDialogs.h"
#include "report/output/VNPrintForm.h"
#include "report/output/VNQtMeasureCanvas.h"
#include "report/output/VNQtRasterSurface.h"
#include "report/output/VNQtWindowServices.h"
#include "report/export/VNPDFExport.h"
#include "report/export/VNRTFExport.h"
#include "report/export/VNTextExport.h"
#include "report/export/VNXLSExport.h"

#include <QGuiApplication>
#include <QScreen>

AnsiString SheetConditionText(const TSheetHeaderTexts& h) {
    // The blanks after each colon line the values up under each other in the page header.
    const std::pair<const char*, const AnsiString*> lines[] = {
        {"单据号:     ", &h.Djh},   {"部门编码:   ", &h.Bmbm},  {"部门名称:   ", &h.Bmmc},
        {"仓库编码:   ", &h.Ckbm},  {"仓库名称:   ", &h.Ckmc},  {"制单人编码: ", &h.Zdrbm},
        {"制单人名称: ", &h.Zdrmc}, {"盘点日期:   ", &h.Pdrq},  {"制单日期:   ", &h.Zdrq},
        {"模拟日期:   ", &h.Mnrq},  {"备注:       ", &h.Bz},
    };
    AnsiString text;
    for (const auto& [label, value] : lines) {
        if (!text.empty()) text += "\r\n";
        text += Utf8ToAnsi(label) + *value;
    }
    return text;
}

void SetNormalPrintVariables(const AnsiString& oper, const AnsiString& date, const AnsiString& time,
                             const TSheetHeaderTexts& header) {
    TVNVariables& v = EngineVariables();
    v.SetVariable("Oper", Value::String(oper));
    v.SetVariable("Date", Value::String(date));
    v.SetVariable("Time", Value::String(time));
    v.SetVariable("Title", Value::String(CP936("盘点损益表")));
    v.SetVariable("Condi", Value::String(SheetConditionText(header)));
}

void SetTemplatePrintVariables(const TSheetHeaderTexts& h) {
    TVNVariables& v = EngineVariables();
    const std::pair<const char*, const AnsiString*> items[] = {
        {"Djh", &h.Djh},     {"Bz", &h.Bz},       {"Bmbm", &h.Bmbm}, {"Bmmc", &h.Bmmc},
        {"Ckbm", &h.Ckbm},   {"Ckmc", &h.Ckmc},   {"Zdrbm", &h.Zdrbm}, {"Zdrmc", &h.Zdrmc},
        {"Pdrq", &h.Pdrq},   {"Zdrq", &h.Zdrq},   {"Mnrq", &h.Mnrq},
    };
    for (const auto& [name, value] : items)
        v.SetVariable(name, Value::String(*value));
}

namespace {

// One filter of each kind, set up as the sheet offers them in the preview's save dialog.
struct TSheetExportFilters {
    TVNTextExport Text;
    TVNCSVExport Csv;
    TVNXLSExport Xls;
    TVNPDFExport Pdf;
    TVNRTFExport Rtf;
    std::vector<std::unique_ptr<TVNExportFilter>> Pictures;

    TSheetExportFilters() {
        Csv.Delimiter = ';';
        Xls.ShowAfterExport = true;
        Xls.MultiSheet = false;
        Pdf.ExportImageFormat = ifJPG;
        Rtf.ExportImageFormat = ifJPG;
        for (const char* name : {"emf", "wmf", "jpeg", "bmp"})
            Pictures.push_back(FindExportFormat(name)->Make());
    }
};

} // namespace

void EnsureReportEngine() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    // Report pixels are screen pixels, so the preview shows a page at 100 % on this screen.
    if (QScreen* screen = QGuiApplication::primaryScreen())
        VNState().ScreenDPI = qRound(screen->logicalDotsPerInchX());
    static TVNQtMeasureCanvasScope measure(VNState().ScreenDPI);
    InstallVNQtWindowServices();
    InstallVNExportDialogs();
    InstallVNQtRasterSurfaces();
    InstallVNCupsPrinting();
    static TSheetExportFilters filters;
}

TSheetTemplatePrint::TSheetTemplatePrint(TMemDataSet& printCopy)
    : FForm(nullptr, "FrmGusvak"), FADS(&FForm, "ADS", &printCopy), FRrtDataSet(&FForm, "RrtDataSet") {
    RegisterVNForm(&FForm);
    FRrtDataSet.SetDataSet(&printCopy);
    FRrt.Owner = &FForm;
    FRrt.Dataset = &FRrtDataSet;
    FRrt.SaveReportOptions.AutoLoadSaveSetting = true;
    FRrt.SaveReportOptions.UseRegistry = true;
    FRrt.SaveReportOptions.RegistryPath = "Valnor\\ReportSettings\\";
    FRrt.InitialZoom = pzOnePage;
    FRrt.ModifyPrepared = false;
    FRrt.ShowPrintDialog = false;
    FRrt.PreviewButtons = pbZoom | pbLoad | pbSave | pbPrint | pbFind | pbPageSetup | pbExit | pbDesign | pbSaveToXLS;
}

TSheetTemplatePrint::~TSheetTemplatePrint() {
    UnregisterVNForm(&FForm);
}

bool TSheetTemplatePrint::Load(const AnsiString& hexText) {
    return FRrt.LoadReportHex(hexText) && FRrt.LoadMessage.empty();
}

void SendReport(TVNReport& report, TSheetPrintTarget& target) {
    switch (target.Kind) {
    case TSheetPrintTarget::Preview:
        report.PreviewReport();
        break;
    case TSheetPrintTarget::Print:
        target.Written = BuildAndPrintReport(report).Printed;
        break;
    case TSheetPrintTarget::Export:
        report.taoda = false;
        if (report.BuildReport() && target.Filter)
            target.Written = report.ExportBuiltReport(*target.Filter, target.FileName);
        break;
    }
    target.Pages = report.EMFPages ? report.EMFPages->Count() : 0;
}
