// Built pages made in code for the printing tests: page i holds one memo with the text "Pi",
// so a printed document can be read back page by page.
#pragma once

#include "report/VNEMFPages.h"
#include "report/VNMemoView.h"
#include "report/VNReport.h"
#include "report/print/VNPrinter.h"
#include "report/print/VNReportPrint.h"

#include <functional>
#include <string>
#include <vector>

// Built pages "P1".."Pn", each with one memo; orientation(i) gives page i's orientation.
struct TBuiltPages {
    TVNReport Report;
    explicit TBuiltPages(int n, const std::function<int(int)>& orientation = {}, int bin = -1) {
        Report.ShowProgress = false;
        TVNPage& design = Report.Pages.Add();
        for (int i = 1; i <= n; ++i) {
            const int o = orientation ? orientation(i) : 0;
            design.PaperSize = 9;
            design.Orientation = std::uint8_t(o);
            design.PaperWidth = o ? 297000 : 210000;
            design.PaperHeight = o ? 210000 : 297000;
            design.Bin = bin;
            TVNPreparedPage& rec = Report.EMFPages->AddPage(design);
            VNSharedPrinter().FillPrinterMetrics(rec.Metrics);
            TVNMemoView m;
            m.Name = "M";
            m.PlaceAt(100, 100, 200, 30);
            m.Memo1 = {"P" + std::to_string(i)};
            Report.EMFPages->WriteView(m);
        }
    }
    TVNPrintOutcome Print(const AnsiString& pages = "", int copies = 1, bool collate = true, int selection = 0) {
        TVNPrintOptions o;
        o.PageList = pages;
        o.Copies = copies;
        o.Collate = collate;
        o.Selection = selection;
        return PrintBuiltReport(Report, o);
    }
};

inline std::vector<std::string> Pages(std::initializer_list<int> numbers) {
    std::vector<std::string> out;
    for (int n : numbers)
        out.push_back("P" + std::to_string(n));
    return out;
}
