// The sheet's normal print. See SheetNormalPrint.h.
#include "SheetNormalPrint.h"

#include "report/VNEMFPages.h"
#include "report/VNEngine.h"
#include "report/VNStrings.h"
#include "report/export/VNExportFilter.h"

namespace {

// An RTF font table of the two fonts the captions use, named in CP936 as the fonts are known.
AnsiString FontTable() {
    return "{\\fonttbl{\\f0 " + CP936("黑体") + ";}{\\f1 " + CP936("宋体") + ";}}";
}

} // namespace

AnsiString PrintDGPageHeader() {
    return "{\\rtf1\\ansi\\ansicpg936" + FontTable() +
           "\\pard\\qc\\f0\\fs44 [Title]\\par\\pard\\ql\\f1\\fs18 [Condi]\\par}";
}

AnsiString PrintDGColumnFooter() {
    return "{\\rtf1\\ansi\\ansicpg936" + FontTable() + "\\pard\\ql\\f1\\fs18 " +
           CP936("打印日期:[Date]  打印时间:[Time]") + std::string(21, ' ') + "\\par " + CP936("操 作 员:[Oper]  ") +
           "\\par " + CP936("页    数:第[Page#]页/共[TotalPages#]页") + "\\par}";
}

void SetupPrintDG(TVNFormReport& p, QWidget* grid) {
    p.PrintControl = grid;
    p.Groups.clear();
    p.ReportOptions = vngoStretch | vngoWordWrap | vngoGridLines | vngoRebuildAfterPageChanged | vngoDisableControls;
    p.PageLayout.pgSize = 9;
    p.PageLayout.Width = 2100;
    p.PageLayout.Height = 2970;
    p.PageLayout.pgOr = poPortrait;
    p.PageLayout.LeftMargin = p.PageLayout.TopMargin = p.PageLayout.RightMargin = p.PageLayout.BottomMargin = 38;
    p.PageLayout.Columns = 1;
    p.PageLayout.pgBin = 0;
    p.PageLayout.PrinterName = VNText(TVNText::DefaultPrinter);
    p.PageLayout.DoublePass = true;
    p.PageLayout.PrintBackColor = false;
    p.PageHeader.Caption = {PrintDGPageHeader()};
    p.PageHeader.Height = 0;
    p.PageFooter.Caption.clear();
    p.PageFooter.Height = 0;
    p.ColumnFooter.Caption = {PrintDGColumnFooter()};
    p.ColumnFooter.Height = 0;
    p.ScaleMode.ScaleMode = vnsmAdjust;
    p.GridNumOptions.Text = "No";
    p.GridFontOptions.Font.Name = "MS Sans Serif";
    p.GridFontOptions.Font.Size = 8;
    p.InitialZoom = pzDefault;
    p.ShowPrintDialog = false;
    p.PreviewButtons = pbZoom | pbLoad | pbSave | pbPrint | pbFind | pbPageSetup | pbExit | pbSaveToXLS | pbSuperExp;
    p.ShowMasterData = false;
    p.PageHeaderOnly1 = false;
}

void SendGridReport(TVNFormReport& printDG, TSheetPrintTarget& target) {
    switch (target.Kind) {
    case TSheetPrintTarget::Preview:
        printDG.PreviewReport();
        break;
    case TSheetPrintTarget::Print: {
        const TVNPrintOutcome outcome = printDG.PrintReport();
        target.Written = outcome.Printed;
        if (!outcome.Printed && !outcome.Cancelled && !outcome.Error.empty())
            VNShowMessage(outcome.Error, VNText(TVNText::ErrorCaption), TVNMessageKind::Error);
        break;
    }
    case TSheetPrintTarget::Export:
        if (printDG.PrepareReport() && target.Filter)
            target.Written = printDG.Report().ExportBuiltReport(*target.Filter, target.FileName);
        break;
    }
    TVNReport& r = printDG.Report();
    target.Pages = r.EMFPages ? r.EMFPages->Count() : 0;
}
